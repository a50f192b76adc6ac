// A connected input stream and its read-ahead buffer: characters, line
// ends, the line count and the failure report of a read. A CR directly
// before an LF is part of the line end.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "textio/failure.h"
#include "textio/read_item.h"

namespace smproc::textio {

class Output;

// A connected input stream with a read-ahead buffer.
class Input {
 public:
  static constexpr int line_end = -2;
  static constexpr int end_of_file = -1;

  // Takes ownership of fd unless it is standard input.
  Input(int fd, int unit, std::optional<std::string> name);
  // Reads from the given text instead of a descriptor (tests, fuzzing).
  static Input from_text(std::string text, int unit, std::optional<std::string> name);
  Input(Input&& other) noexcept;
  Input& operator=(Input&&) = delete;
  Input(const Input&) = delete;
  ~Input();

  // Output flushed before every statement, so a question is seen before the
  // answer is awaited. Its last line then names the question in reports.
  void tie(Output* out);

  // What this input is, in the words of whoever opened it ("record file"),
  // for the plain line of a failure report.
  void describe(std::string what) { what_ = std::move(what); }
  // A line longer than this many characters (line end not counted) fails
  // with "line too long" once that many have been passed; 0: no limit.
  void limit_line(std::size_t max) { max_line_ = max; }
  // Whether a list read takes a line of plain integers by the fast path (the
  // default). Off, every line takes the general path: for the tests and
  // fuzzing, which hold the two to the same results.
  void integer_line_fast_path(bool on) { integer_line_fast_path_ = on; }

  // The next character, line_end or end_of_file.
  int peek() {
    if (pos_ < len_ && buf_[pos_] != '\r' && buf_[pos_] != '\n')
      return static_cast<unsigned char>(buf_[pos_]);
    return peek_slow();
  }
  void advance();  // past the character or line end that peek() shows

  // Starts a statement: flushes the tied output, names the format for reports.
  void begin_statement(std::string_view format);
  // The last line was ended by the end of the input rather than a line feed.
  bool ended_without_line_end() const { return ended_without_line_end_; }
  // Passes over the rest of the current line and its line end. Returns false
  // when the input ended first and something other than blanks and tabs
  // stood before the end.
  bool discard_line();
  // Words (runs of characters other than blanks, tabs, commas and slashes)
  // passed over by discard_line so far, and the lines that held any.
  std::size_t discarded_words() const { return discarded_words_; }
  std::size_t lines_with_discarded_words() const { return lines_with_discarded_words_; }
  // The rest of the current line, at most max characters, left unread.
  std::string peek_line(std::size_t max);

  int unit() const { return unit_; }
  const std::optional<std::string>& name() const { return name_; }
  // Line ends passed so far.
  long long lines_passed() const { return lines_; }
  [[noreturn]] void fail(std::string context, std::string reason) const;

 private:
  friend bool read_integer_line(Input& in, std::span<const ReadItem> items);
  int peek_slow();
  bool fill(std::size_t keep);
  void pass_line_end(std::size_t length);
  std::string plain_words(const std::string& reason) const;

  int fd_;
  int unit_;
  std::optional<std::string> name_;
  Output* tie_ = nullptr;
  std::string buf_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  std::size_t chunk_;  // bytes the next read may bring
  bool eof_ = false;
  bool ended_without_line_end_ = false;
  std::size_t discarded_words_ = 0;
  std::size_t lines_with_discarded_words_ = 0;
  std::string format_;
  std::string what_;
  std::size_t max_line_ = 0;
  bool integer_line_fast_path_ = true;
  long long base_ = 0;        // position in the input of buf_[0]
  long long line_start_ = 0;  // position in the input where the current line began
  long long lines_ = 0;
};

}  // namespace smproc::textio
