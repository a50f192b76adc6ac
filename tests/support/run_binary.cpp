#include "support/run_binary.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace smproc::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "smproc-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const {
  std::ofstream f(path_ / name, std::ios::binary);
  f << content;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(path_ / name, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> file_tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = read_file(e.path());
  }
  return files;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream s(text);
  for (std::string l; std::getline(s, l);) out.push_back(l);
  return out;
}

bool TempDir::exists(const std::string& name) const { return fs::exists(path_ / name); }

Outcome run_program(const std::string& program, const fs::path& dir, const std::string& input,
                    const std::vector<std::string>& args) {
  return run_program(program, dir, input, args, Start{});
}

Outcome run_program(const std::string& program, const fs::path& dir, const std::string& input,
                    const std::vector<std::string>& args, const Start& start) {
  // Standard input, output and error go through files, so no pipe can stall.
  TempDir io;
  io.write("in", input);
  const std::string in_path =
      start.stdin_path.empty() ? (io.path() / "in").string() : start.stdin_path;
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (start.memory_cap > 0) {
      const rlimit cap{static_cast<rlim_t>(start.memory_cap),
                       static_cast<rlim_t>(start.memory_cap)};
      if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(127);
    }
    int in = open(in_path.c_str(), O_RDONLY);
    int out = open((io.path() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open((io.path() / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  rusage usage{};
  wait4(pid, &wstatus, 0, &usage);
  Outcome o;
  o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  o.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  o.peak_kib = usage.ru_maxrss;
  o.out = io.read("out");
  o.err = io.read("err");
  return o;
}

Outcome run_smproc(const fs::path& dir, const std::string& input,
                   const std::vector<std::string>& args) {
  return run_program(SMPROC_BIN, dir, input, args);
}

std::string source_file(const std::string& relative) {
  std::ifstream f(fs::path(SMPROC_SOURCE_DIR) / relative, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char ch : line) {
    if (ch == '"')
      quoted = !quoted;
    else if (ch == ',' && !quoted)
      out.emplace_back();
    else
      out.back() += ch;
  }
  return out;
}

}  // namespace smproc::testing
