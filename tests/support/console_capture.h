// A console whose answers come from a text and whose output lands in an
// in-memory file that the test reads back byte for byte.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "textio/console.h"
#include "textio/failure.h"

namespace smproc::testing {

class CapturedConsole {
 public:
  explicit CapturedConsole(std::string answers)
      : fd_(make_fd()),
        con_(textio::Input::from_text(std::move(answers), textio::unit_console_in, std::nullopt),
             textio::Output(dup(fd_), textio::unit_console_out, std::nullopt, false)) {}
  ~CapturedConsole() { close(fd_); }
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;

  textio::Console& con() { return con_; }

  // Everything written so far.
  std::string text() {
    con_.out.flush();
    std::string all;
    char buf[4096];
    off_t at = 0;
    for (ssize_t got; (got = pread(fd_, buf, sizeof buf, at)) > 0; at += got) all.append(buf, got);
    return all;
  }

 private:
  static int make_fd() {
    const int fd = memfd_create("smproc-console", 0);
    if (fd < 0) throw std::runtime_error("memfd_create failed");
    return fd;
  }

  int fd_;
  textio::Console con_;
};

}  // namespace smproc::testing
