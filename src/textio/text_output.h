// Writing lines: list writes (free form) and formatted writes (by a format),
// to the console or to a file, with the renderings of the numbers.
#pragma once

#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "textio/failure.h"
#include "textio/field_writer.h"
#include "textio/format.h"

namespace smproc::textio {

// Bytes waiting to be handed to the system. Unlike a string, room made for a
// line is not filled with zeros first: the line is written straight into it.
class PendingBytes {
 public:
  PendingBytes() = default;
  PendingBytes(PendingBytes&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  PendingBytes& operator=(PendingBytes&&) = delete;

  // n more places after the pending bytes, to be taken by added(n).
  char* room(std::size_t n) {
    if (size_ + n > capacity_) grow(size_ + n);
    return data_.get() + size_;
  }
  void added(std::size_t n) { size_ += n; }
  void push_back(char c) {
    *room(1) = c;
    ++size_;
  }
  void append(std::string_view s) {
    std::memcpy(room(s.size()), s.data(), s.size());
    size_ += s.size();
  }
  // Drops the first n bytes.
  void drop(std::size_t n);
  void clear() { size_ = 0; }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  void grow(std::size_t needed);
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

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
  // Room for n places of the current line, written in place, then taken.
  char* room(std::size_t n) { return buf_.room(n); }
  void added(std::size_t n) { buf_.added(n); }
  void end_line();
  // After whole lines were written into room() and added, line ends
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
  PendingBytes buf_;
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

using WriteItem = std::variant<std::string_view, int, double>;

// One list write: the items on one line (or more, when it wraps at 80).
void list_write(Output& out, std::initializer_list<WriteItem> items);

// One formatted write of double items by the format.
void formatted_write(Output& out, const Format& format, std::span<const double> items);

// Formatted writes of a given number of items by one format, the layout of
// such a write worked out once: where a file is written row after row by one
// format, each row then costs little more than its fields.
class RowWriter {
 public:
  RowWriter(const Format& format, std::size_t items);
  // The same as formatted_write(out, format, items); items.size() must be
  // the number given at construction.
  void write(Output& out, std::span<const double> items) const;
  // Rows 0 .. rows - 1, row k's items set by fill(k, items): the same as
  // write() of each in turn.
  template <typename Fill>
  void write_rows(Output& out, std::size_t rows, Fill fill) const {
    out.begin_statement(format_text_);
    std::vector<double> items(items_);
    for (std::size_t k = 0; k < rows; ++k) {
      fill(k, std::span<double>(items));
      put_row(out, items);
    }
  }

 private:
  // Text (blanks, literals), then a field or nothing.
  struct Piece {
    std::string text;
    // Its first eight bytes (blanks past its end), stored all at once: what
    // runs past the text is overwritten by what follows it, or lies past the
    // line in room made for that.
    char head[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    FieldWriter field = nullptr;
    int w = 0;
    int d = 0;
  };
  struct Line {
    std::vector<Piece> pieces;
    std::size_t length = 0;  // without the line end
  };
  // write() once the statement is begun.
  void put_row(Output& out, std::span<const double> items) const;
  // Writes a line's pieces from p on; returns the item after the line's last.
  static std::size_t put_pieces(char* p, const Line& line, std::span<const double> items,
                                std::size_t k);

  std::string format_text_;
  std::vector<Line> lines_;  // each ends with a line end
  std::size_t text_length_ = 0;  // of all lines, line ends included
  std::size_t items_ = 0;
};
void formatted_write(Output& out, const Format& format, std::initializer_list<double> items);

// Renderings, exposed for the tests.
std::string list_double(double v);                   // e.g. "  0.00999999978"
std::string fixed_field(double v, int w, int d);     // Fw.d
std::string exponent_field(double v, int w, int d);  // Ew.d

}  // namespace smproc::textio
