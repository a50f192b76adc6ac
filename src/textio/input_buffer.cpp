#include "textio/input_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "textio/text_output.h"

namespace smproc::textio {

namespace {

// Reads start small, for the few lines of answers, and grow to read_chunk
// while each fills its room, for the records: a buffer's pages cost more
// to bring in than the extra reads.
constexpr std::size_t first_chunk = 1 << 12;
constexpr std::size_t read_chunk = 1 << 16;

const char* const line_too_long = "line too long";

bool is_blank(int c) { return c == ' ' || c == '\t'; }

}  // namespace

Input::Input(int fd, int unit, std::optional<std::string> name)
    : fd_(fd), unit_(unit), name_(std::move(name)), chunk_(first_chunk) {}

Input Input::from_text(std::string text, int unit, std::optional<std::string> name) {
  Input in(-1, unit, std::move(name));
  in.len_ = text.size();
  in.buf_ = std::move(text);
  in.eof_ = true;
  return in;
}

Input::Input(Input&& o) noexcept
    : fd_(o.fd_),
      unit_(o.unit_),
      name_(std::move(o.name_)),
      tie_(o.tie_),
      buf_(std::move(o.buf_)),
      pos_(o.pos_),
      len_(o.len_),
      chunk_(o.chunk_),
      eof_(o.eof_),
      ended_without_line_end_(o.ended_without_line_end_),
      discarded_words_(o.discarded_words_),
      lines_with_discarded_words_(o.lines_with_discarded_words_),
      format_(std::move(o.format_)),
      what_(std::move(o.what_)),
      max_line_(o.max_line_),
      integer_line_fast_path_(o.integer_line_fast_path_),
      base_(o.base_),
      line_start_(o.line_start_),
      lines_(o.lines_) {
  o.fd_ = -1;
}

void Input::tie(Output* out) {
  tie_ = out;
  if (out) out->remember_last_line();
}

Input::~Input() {
  if (fd_ > 0) ::close(fd_);
}

bool Input::fill(std::size_t keep) {
  // A line that never ends is refused once it is too long, before more of
  // it is read.
  if (max_line_ > 0 && base_ + static_cast<long long>(pos_) - line_start_ >
                           static_cast<long long>(max_line_))
    fail(format_ == "list io" ? "list in" : "fmt", line_too_long);
  if (eof_) return false;
  // Keep the unread bytes at the front, then read behind them.
  std::size_t unread = len_ - pos_;
  if (unread > keep) unread = keep;
  std::memmove(buf_.data(), buf_.data() + pos_, unread);
  base_ += static_cast<long long>(pos_);
  pos_ = 0;
  len_ = unread;
  if (buf_.size() < unread + chunk_) buf_.resize(unread + chunk_);
  for (;;) {
    ssize_t n = ::read(fd_, buf_.data() + len_, buf_.size() - len_);
    if (n == static_cast<ssize_t>(buf_.size() - len_)) chunk_ = std::min(2 * chunk_, read_chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(format_ == "list io" ? "list in" : "fmt", std::strerror(errno));
    if (n == 0) {
      eof_ = true;
      return false;
    }
    len_ += static_cast<std::size_t>(n);
    return true;
  }
}

int Input::peek_slow() {
  if (pos_ >= len_ && !fill(0)) return end_of_file;
  char c = buf_[pos_];
  if (c == '\n') return line_end;
  if (c == '\r') {
    if (pos_ + 1 >= len_) fill(1);
    if (pos_ + 1 < len_ && buf_[pos_ + 1] == '\n') return line_end;
  }
  return static_cast<unsigned char>(c);
}

void Input::advance() {
  int c = peek();
  if (c == end_of_file) return;
  if (c != line_end) {
    ++pos_;
    return;
  }
  pass_line_end(buf_[pos_] == '\r' ? 2 : 1);
}

void Input::pass_line_end(std::size_t length) {
  if (max_line_ > 0 && base_ + static_cast<long long>(pos_) - line_start_ >
                           static_cast<long long>(max_line_))
    fail(format_ == "list io" ? "list in" : "fmt", line_too_long);
  pos_ += length;
  ++lines_;
  line_start_ = base_ + static_cast<long long>(pos_);
}

void Input::begin_statement(std::string_view format) {
  if (tie_) tie_->flush();
  format_.assign(format);
}

bool Input::discard_line() {
  bool only_blanks = true;
  bool in_word = false;
  std::size_t words = 0;
  auto counted = [&](bool result) {
    discarded_words_ += words;
    if (words > 0) ++lines_with_discarded_words_;
    return result;
  };
  for (;;) {
    int c = peek();
    if (c == line_end) {
      advance();
      return counted(true);
    }
    if (c == end_of_file) {
      ended_without_line_end_ = true;
      return counted(only_blanks);
    }
    if (!is_blank(c)) only_blanks = false;
    const bool separator = is_blank(c) || c == ',' || c == '/';
    if (!separator && !in_word) ++words;
    in_word = !separator;
    advance();
  }
}

std::string Input::peek_line(std::size_t max) {
  auto line_end_at = [&] { return std::string_view(buf_).substr(pos_, len_ - pos_).find('\n'); };
  while (line_end_at() == std::string_view::npos && len_ - pos_ < max && fill(len_ - pos_)) {
  }
  std::string_view rest = std::string_view(buf_).substr(pos_, len_ - pos_);
  const std::size_t end = rest.find('\n');
  rest = rest.substr(0, std::min(end, max));
  // A CR directly before the LF is part of the line end.
  if (end <= max && !rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
  return std::string(rest);
}

void Input::fail(std::string context, std::string reason) const {
  std::string detail = plain_words(reason);
  raise(std::move(context), std::move(reason), unit_, name_, format_, false, std::move(detail));
}

std::string Input::plain_words(const std::string& reason) const {
  const bool ended = reason == "end of file";
  const bool too_long = reason == line_too_long;
  const std::string limit = std::to_string(max_line_) + " characters";
  if (tie_ && !tie_->last_line().empty()) {
    // The console: the question on the screen is what the answer is for.
    const std::string answer = "the answer to \"" + tie_->last_line() + "\"";
    if (ended) return sentence("the input ended while " + answer + " was awaited");
    if (too_long) return sentence(answer + " is longer than " + limit);
    return sentence(answer + " could not be read");
  }
  const std::string stream = described(what_, name_, "input");
  if (ended) {
    // Lines seen, the last one counted also without its line end.
    const bool partial = base_ + static_cast<long long>(pos_) > line_start_;
    const long long seen = lines_ + (partial ? 1 : 0);
    if (seen == 0) return sentence(stream + " is empty");
    return sentence(stream + " ends after line " + std::to_string(seen));
  }
  const std::string line = "line " + std::to_string(lines_ + 1) + " of " + stream;
  if (too_long) return sentence(line + " is longer than " + limit);
  return sentence(line + " could not be read");
}
}  // namespace smproc::textio
