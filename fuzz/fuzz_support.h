// What the fuzz targets share: a private temporary folder, files written
// into it, and a console whose output is thrown away.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/console.h"
#include "textio/failure.h"

namespace smproc::fuzz {

// Stops the fuzzer with a message; libFuzzer records the input as a crash.
[[noreturn]] inline void defect(const char* what) {
  std::fprintf(stderr, "fuzz defect: %s\n", what);
  std::abort();
}

// The names of the files in a folder (not its subfolders; the targets make none).
inline std::vector<std::string> file_names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) defect("cannot list a fuzz folder");
  while (dirent* e = readdir(dir)) {
    std::string_view n = e->d_name;
    if (n != "." && n != "..") names.emplace_back(n);
  }
  closedir(dir);
  return names;
}

inline void remove_files(const std::string& folder) {
  for (const std::string& n : file_names(folder))
    if (::unlink((folder + "/" + n).c_str()) != 0) defect("cannot remove a fuzz file");
}

// A fresh folder under TMPDIR (or /tmp), made once per process and removed
// at a normal exit; a crash leaves it for inspection.
inline const std::string& temp_folder() {
  static const std::string path = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/smproc-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) defect("mkdtemp failed");
    return pattern;
  }();
  static const bool cleanup = std::atexit([] {
                                remove_files(path);
                                ::rmdir(path.c_str());
                              }) == 0;
  (void)cleanup;
  return path;
}

// Replaces the file at path with the bytes. A new file rather than a cut
// one: on ext4 closing a file cut to nothing waits for the disk.
inline void write_file(const std::string& path, std::string_view bytes) {
  ::unlink(path.c_str());
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) defect("cannot create a fuzz file");
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) defect("cannot write a fuzz file");
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

// A console answering from the text and writing to /dev/null.
inline textio::Console null_console(std::string answers) {
  int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (fd < 0) defect("cannot open /dev/null");
  return textio::Console(
      textio::Input::from_text(std::move(answers), textio::unit_console_in, std::nullopt),
      textio::Output(fd, textio::unit_console_out, std::nullopt, false));
}

// The longest input that chunked_input takes: its last piece must fit both
// the socket's send buffer and one read of the reader.
inline constexpr std::size_t max_chunked = 1 << 15;

// Input over a descriptor that hands the bytes out in pieces: the first
// pieces of `chunk` bytes, each one read() of its own, then the rest at once.
// Lines and CR LF pairs thus straddle the reader's refills.
inline textio::Input chunked_input(std::string_view bytes, std::size_t chunk, int unit,
                                   std::optional<std::string> name) {
  constexpr int max_pieces = 64;  // what fits the socket's send buffer
  if (bytes.size() > max_chunked) defect("input too long to hand out in pieces");
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) defect("socketpair failed");
  for (int n = 0; !bytes.empty(); ++n) {
    std::size_t k = n < max_pieces ? std::min(chunk, bytes.size()) : bytes.size();
    if (::write(sv[1], bytes.data(), k) != static_cast<ssize_t>(k))
      defect("cannot fill the socket");
    bytes.remove_prefix(k);
  }
  ::close(sv[1]);  // the reader meets the end after the last piece
  return textio::Input(sv[0], unit, std::move(name));
}

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The same bytes with every line feed preceded by a carriage return.
inline std::string with_crlf(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

}  // namespace smproc::fuzz
