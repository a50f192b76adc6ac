// The failure report of the text I/O layer: what a failed read, write or open
// throws, and the lines it becomes on standard error: four in the layer's own
// terms, then one in plain words.
#pragma once

#include <optional>
#include <string>

namespace smproc::textio {

// Connection numbers shown in reports.
inline constexpr int unit_console_in = 5;
inline constexpr int unit_console_out = 6;
inline constexpr int unit_spectrum = 10;
inline constexpr int unit_file = 11;  // record files and the waveform file
inline constexpr int unit_measures = 12;  // the intensity measures' files

struct Failure {
  std::string context;  // "list in", "fmt", "open", "invalid number", ...
  std::string reason;   // "end of file", "read unexpected character", a system text, ...
  int unit = 0;
  std::optional<std::string> name;    // file name; none for the console
  std::optional<std::string> format;  // "list io" or the format text, when one is current
  bool writing = false;
  // What was being read or written, in plain words: the question awaiting
  // an answer, the file and line, or the file that could not be written.
  std::string detail;
};

// Throws the failure of a statement on the given connection.
[[noreturn]] void raise(std::string context, std::string reason, int unit,
                        const std::optional<std::string>& name, const std::string& format,
                        bool writing, std::string detail = {});

// The report, each of its lines ended by a line feed; the plain line last,
// when there is one.
std::string report(const Failure& f);

// Helpers for the plain line. A stream as its opener described it, with its
// name: "the record file tky.ns", "the console input"; `what` defaults to
// "file" for a named stream and to `unnamed` otherwise.
std::string described(const std::string& what, const std::optional<std::string>& name,
                      const char* unnamed);
// The text with its first letter in upper case and a full stop after it.
std::string sentence(std::string text);

}  // namespace smproc::textio
