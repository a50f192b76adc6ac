// Running the built program in a fresh folder, for end-to-end tests.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace smproc::testing {

struct Outcome {
  int status = -1;  // exit status, or -1 when killed by a signal
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // standard output
  std::string err;  // standard error
  long peak_kib = 0;  // its largest resident memory, by the system's account
};

// How a program is started beyond its folder and arguments.
struct Start {
  std::string stdin_path;    // standard input from this file instead of a text
  long long memory_cap = 0;  // bytes of address space it may use; 0: no cap
};

// A fresh, empty folder removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Runs the program in `dir` with `args`, `input` as standard input.
Outcome run_smproc(const std::filesystem::path& dir, const std::string& input,
                   const std::vector<std::string>& args = {});

// Runs any program the same way.
Outcome run_program(const std::string& program, const std::filesystem::path& dir,
                    const std::string& input, const std::vector<std::string>& args);

// Runs the program as `start` says; `input` is used when no stdin_path is given.
Outcome run_program(const std::string& program, const std::filesystem::path& dir,
                    const std::string& input, const std::vector<std::string>& args,
                    const Start& start);

// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& p);

// Every regular file below a folder, by its name relative to it.
std::map<std::string, std::string> file_tree(const std::filesystem::path& root);

// The lines of a text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

// The fields of one CSV row, quotes taken off ("" inside quotes stays two).
std::vector<std::string> fields_of(const std::string& line);

// The content of a file below the source tree, e.g. "examples/velocity.answers".
std::string source_file(const std::string& relative);

}  // namespace smproc::testing
