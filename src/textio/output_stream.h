// A connected output stream: its buffer, its file and how that file takes
// its place at close.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textio/failure.h"
#include "textio/write_buffer.h"

namespace smproc::textio {

// What gives a file written under a temporary name its real name when the
// output is closed (the files layer makes one for each file it replaces).
class Replacement {
 public:
  virtual ~Replacement() = default;
  // Called once, the descriptor still open and every byte handed to the
  // system: makes the file durable and renames it over the file it replaces.
  // False with errno set when that fails; the temporary file is then gone
  // and the file it was to replace stays as it was.
  virtual bool put_in_place(int fd) noexcept = 0;
};

// A connected output stream. Lines are gathered in a buffer and handed to the
// system in large writes; a file that was written is cut at close to exactly
// what this run wrote, so an older, longer file keeps nothing of its own. A
// file written under a temporary name takes its real name at close, also
// when a failure closes it: either way it then holds what was written.
class Output {
 public:
  // Takes ownership of fd unless it is standard output or standard error.
  Output(int fd, int unit, std::optional<std::string> name, bool cut_at_close,
         std::unique_ptr<Replacement> replacement = nullptr);
  // Appends the lines to the text instead of a descriptor.
  static Output to_text(std::string* text, int unit, std::optional<std::string> name);
  Output(Output&& other) noexcept;
  Output& operator=(Output&&) = delete;
  Output(const Output&) = delete;
  ~Output();  // flushes and closes as best it can; never throws

  void put(char c) { buf_.push_back(c); }
  void put(std::string_view s) { buf_.append(s); }
  // Space for n characters of the current line, written in place, then
  // taken by commit(n).
  char* prepare(std::size_t n) { return buf_.prepare(n); }
  void commit(std::size_t n) { buf_.commit(n); }
  void end_line();
  // After whole lines were written into prepare() and committed, line ends
  // included: hands them on as end_line() would. Not for an output that
  // remembers its last line.
  void end_lines() {
    if (buf_.size() >= flush_threshold) flush();
  }

  // Marks the start of a statement whose format a failure report names.
  // Rows written one after another by one format name it once.
  void begin_statement(std::string_view format) {
    if (format != format_) format_.assign(format);
  }

  void flush();  // throws Failure when the system refuses the bytes
  void close();  // flush, cut, close, rename; throws Failure

  // What this output is, in the words of whoever opened it ("waveform
  // file"), for the plain line of a failure report.
  void describe(std::string what) { what_ = std::move(what); }
  // From now on keeps the last line that holds more than blanks, trimmed:
  // on the console, the question an answer is awaited for.
  void remember_last_line() { remember_ = true; }
  const std::string& last_line() const { return last_line_; }
  bool remembers_last_line() const { return remember_; }

  int unit() const { return unit_; }
  const std::optional<std::string>& name() const { return name_; }
  [[noreturn]] void fail(std::string context, std::string reason) const;

  // Bytes gathered before they are handed to the system.
  static constexpr std::size_t flush_threshold = 1 << 16;

 private:
  void release() noexcept;
  void note_line();
  bool put_in_place(int fd) noexcept;

  int fd_;
  std::string* text_ = nullptr;
  int unit_;
  std::optional<std::string> name_;
  bool cut_at_close_;
  WriteBuffer buf_;
  std::string format_;
  long long written_ = 0;
  std::unique_ptr<Replacement> replacement_;
  std::string what_;
  bool remember_ = false;
  std::string last_line_;
};

// Hands n bytes from p to fd, writing again after an interruption or a
// short write; adds the bytes taken to `written`. False with errno set.
bool write_bytes(int fd, const char* p, std::size_t n, long long& written);

}  // namespace smproc::textio
