#include "textio/failure.h"

namespace smproc::textio {

void raise(std::string context, std::string reason, int unit,
           const std::optional<std::string>& name, const std::string& format, bool writing,
           std::string detail) {
  Failure f;
  f.context = std::move(context);
  f.reason = std::move(reason);
  f.unit = unit;
  f.name = name;
  if (!format.empty()) f.format = format;
  f.writing = writing;
  f.detail = std::move(detail);
  throw f;
}

std::string report(const Failure& f) {
  std::string r = f.context + ": " + f.reason + "\n";
  r += "apparent state: unit " + std::to_string(f.unit) + " ";
  r += f.name ? "named " + *f.name : std::string("(unnamed)");
  r += "\n";
  if (f.format) r += "last format: " + *f.format + "\n";
  r += f.writing ? "lately writing sequential formatted external IO\n"
                 : "lately reading sequential formatted external IO\n";
  if (!f.detail.empty()) r += f.detail + "\n";
  return r;
}

std::string described(const std::string& what, const std::optional<std::string>& name,
                      const char* unnamed) {
  if (!name) return "the " + (what.empty() ? std::string(unnamed) : what);
  return "the " + (what.empty() ? std::string("file") : what) + " " + *name;
}

std::string sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  text.push_back('.');
  return text;
}

}  // namespace smproc::textio
