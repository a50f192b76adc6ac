#include "run/answers.h"

#include "records/component.h"

#include <cctype>

namespace smproc {

namespace {

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts(1);
  for (char ch : text) {
    if (ch == sep)
      parts.emplace_back();
    else
      parts.back() += ch;
  }
  return parts;
}

bool digit(char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; }

std::string yes_no(bool yes) { return yes ? "1\n" : "0\n"; }

}  // namespace

std::string answer_text(const AnswerOptions& o) {
  std::string t;
  // Polarity: 1 asks per component, in the order NS, EW, UD.
  if (o.flip[0] || o.flip[1] || o.flip[2]) {
    t += "1\n";
    for (bool f : o.flip) t += yes_no(f);
  } else {
    t += "0\n";
  }
  // Band-pass: the four corners on one line.
  if (o.bandpass.empty()) {
    t += "0\n";
  } else {
    t += "1\n";
    for (std::size_t k = 0; k < o.bandpass.size(); ++k) t += (k ? " " : "") + o.bandpass[k];
    t += "\n";
  }
  t += std::to_string(o.operation) + "\n";
  // Window: start, then length, each on its own line.
  if (o.window.empty()) {
    t += "0\n";
  } else {
    t += "1\n" + o.window[0] + "\n" + o.window[1] + "\n";
  }
  t += std::to_string(o.skip) + "\n";
  t += o.waveform + "\n";
  // The final pause takes one line.
  t += "\n";
  return t;
}

bool is_answer_number(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && digit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && digit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && std::string("EeDd").find(s[i]) != std::string::npos) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < s.size() && digit(s[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == s.size();
}

std::optional<std::vector<std::string>> split_numbers(const std::string& text, int count) {
  std::vector<std::string> parts = split(text, ',');
  if (static_cast<int>(parts.size()) != count) return std::nullopt;
  for (const std::string& p : parts) {
    if (!is_answer_number(p)) return std::nullopt;
  }
  return parts;
}

std::optional<PerComponent<bool>> parse_flip(const std::string& text) {
  PerComponent<bool> flip{};
  for (std::string part : split(text, ',')) {
    for (char& ch : part) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    bool known = false;
    for (int c = 0; c < 3; ++c) {
      if (part == component_name(c)) flip[c] = known = true;
    }
    if (!known) return std::nullopt;
  }
  return flip;
}

}  // namespace smproc
