#include "textio/failure.h"

namespace smproc::textio {

void raise(std::string context, std::string reason, int unit,
           const std::optional<std::string>& name, const std::string& format, bool writing) {
  Failure f;
  f.context = std::move(context);
  f.reason = std::move(reason);
  f.unit = unit;
  f.name = name;
  if (!format.empty()) f.format = format;
  f.writing = writing;
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
  return r;
}

}  // namespace smproc::textio
