#include "run/answers.h"

#include "records/component.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "textio/failure.h"
#include "files/files.h"
#include "textio/format.h"
#include "textio/text_input.h"

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

std::optional<std::string> waveform_answer(const std::string& answers) {
  // The questions before the waveform's, read as the dialogue reads them.
  textio::Input in = textio::Input::from_text(answers, textio::unit_console_in, std::nullopt);
  try {
    int change = 0, reverse = 0, bandpass = 0, operation = 0, cut = 0, skip = 0;
    double corner = 0.0, start = 0.0, length = 0.0;
    textio::list_read(in, {&change});
    if (change == 1) {
      for (int c = 0; c < 3; ++c) textio::list_read(in, {&reverse});
    }
    textio::list_read(in, {&bandpass});
    if (bandpass == 1) textio::list_read(in, {&corner, &corner, &corner, &corner});
    textio::list_read(in, {&operation});
    textio::list_read(in, {&cut});
    if (cut == 1) {
      textio::list_read(in, {&start});
      textio::list_read(in, {&length});
    }
    textio::list_read(in, {&skip});
    std::string name;
    textio::formatted_read(in, textio::Format("(A30)"), {textio::TextItem{&name, 30}});
    return textio::trim_name(name);
  } catch (const textio::Failure&) {
    return std::nullopt;
  }
}

std::optional<std::string> station_waveform_problem(const std::string& name, bool measures) {
  if (name.find('/') != std::string::npos)
    return "it must be a plain file name, without /, to stay in the station's folder";
  if (name == "." || name == "..") return "that is a folder";
  if (name == "console.txt") return "each station's console text goes there";
  if (name == "amp3.csv") return "each station's amplitude spectra go there";
  if (name == "answers.txt") return "the name is kept for a station's answers";
  if (measures && (name == "metrics.json" || name == "response_spectra.csv" ||
                   name == "fas_smoothed.csv"))
    return "each station's intensity measures go there";
  return std::nullopt;
}

std::optional<std::vector<std::string>> split_numbers(const std::string& text, int count) {
  std::vector<std::string> parts = split(text, ',');
  if (static_cast<int>(parts.size()) != count) return std::nullopt;
  for (const std::string& p : parts) {
    if (!is_answer_number(p)) return std::nullopt;
    // The dialogue reads D exponents as E; beyond the largest double every
    // run would fail on the number.
    std::string e = p;
    for (char& ch : e) {
      if (ch == 'D' || ch == 'd') ch = 'e';
    }
    errno = 0;
    const double v = std::strtod(e.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(v)) return std::nullopt;
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
