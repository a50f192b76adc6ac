// The failure report of the text I/O layer: what a failed read, write or open
// throws, and the four lines it becomes on standard error.
#pragma once

#include <optional>
#include <string>

namespace smproc::textio {

// Connection numbers shown in reports.
inline constexpr int unit_console_in = 5;
inline constexpr int unit_console_out = 6;
inline constexpr int unit_spectrum = 10;
inline constexpr int unit_file = 11;  // record files and the waveform file

struct Failure {
  std::string context;  // "list in", "fmt", "open", "invalid number", ...
  std::string reason;   // "end of file", "read unexpected character", a system text, ...
  int unit = 0;
  std::optional<std::string> name;    // file name; none for the console
  std::optional<std::string> format;  // "list io" or the format text, when one is current
  bool writing = false;
};

// Throws the failure of a statement on the given connection.
[[noreturn]] void raise(std::string context, std::string reason, int unit,
                        const std::optional<std::string>& name, const std::string& format,
                        bool writing);

// The report, each of its lines ended by a line feed.
std::string report(const Failure& f);

}  // namespace smproc::textio
