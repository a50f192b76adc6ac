#include "textio/text_input.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "textio/integer_token.h"
#include "textio/text_output.h"

namespace smproc::textio {

namespace {

// Reads start small, for the few lines of answers, and grow to read_chunk
// while each fills its room, for the records: a buffer's pages cost more
// to bring in than the extra reads.
constexpr std::size_t first_chunk = 1 << 12;
constexpr std::size_t read_chunk = 1 << 16;
// Exponents above this are refused, as are counts that do not fit.
constexpr long max_exponent = 99999999;
// Significant digits kept of a number; the rest are counted. A correctly
// rounded double is decided by its first 768 significant digits and whether
// any digit after them is not zero.
constexpr std::size_t kept_digits = 800;
// Decimal exponents beyond this overflow or underflow whatever the kept digits.
constexpr long long exponent_bound = 100000;

const char* const line_too_long = "line too long";

bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_sign(int c) { return c == '+' || c == '-'; }
bool ends_value(int c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == Input::line_end ||
         c == Input::end_of_file;
}

enum class Syntax { ok, not_a_number, exponent, overflow };

// The shape of a number, taken one character at a time: [sign] digits with
// at most one point, then an exponent written with E, D, e, d (and an
// optional sign) or a bare sign. Only the digits that decide the value are
// kept, so a number of any length takes bounded memory.
class NumberScan {
 public:
  void reset() {
    sign = negative = point = exponent = trailing = false;
    digits = exponent_digits = 0;
    part_ = Part::start;
    exp_magnitude_ = 0;
    exp_negative_ = false;
    count_ = 0;
    shift_ = 0;
    dropped_non_zero_ = false;
  }

  void add(char c) {
    switch (part_) {
      case Part::start:
        part_ = Part::mantissa;
        if (is_sign(c)) {
          sign = true;
          negative = c == '-';
          return;
        }
        [[fallthrough]];
      case Part::mantissa:
        if (is_digit(c)) {
          add_digit(c);
        } else if (c == '.' && !point) {
          point = true;
        } else if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
          exponent = true;
          part_ = Part::exponent_sign;
        } else if (is_sign(c)) {
          exponent = true;
          exp_negative_ = c == '-';
          part_ = Part::exponent_digits;
        } else {
          trailing = true;
          part_ = Part::trailing;
        }
        return;
      case Part::exponent_sign:
        part_ = Part::exponent_digits;
        if (is_sign(c)) {
          exp_negative_ = c == '-';
          return;
        }
        [[fallthrough]];
      case Part::exponent_digits:
        if (is_digit(c)) {
          ++exponent_digits;
          if (exp_magnitude_ <= max_exponent) exp_magnitude_ = exp_magnitude_ * 10 + (c - '0');
        } else {
          trailing = true;
          part_ = Part::trailing;
        }
        return;
      case Part::trailing:
        return;
    }
  }

  // The written exponent, its magnitude capped just above max_exponent.
  long exp() const { return exp_negative_ ? -exp_magnitude_ : exp_magnitude_; }

  // Nothing but an optional sign and digits (also true of no characters).
  bool plain_digits() const { return !point && !exponent && !trailing; }

  // The digits as an integer, capped far above the int range (only for
  // plain_digits()).
  long long integer() const {
    if (count_ > 10 || shift_ > 0) return 100LL * std::numeric_limits<int>::max();
    long long v = 0;
    for (std::size_t i = 0; i < count_; ++i) v = v * 10 + (kept_[i] - '0');
    return v;
  }

  // A plain integer of at most 19 significant digits, written into text as
  // its sign and digits, through integer_token_value: false when the value
  // needs the general conversion.
  bool short_integer(char (&text)[24], double& out) const {
    if (!plain_digits() || digits == 0 || count_ > 19 || shift_ != 0) return false;
    char* last = text;
    if (negative) *last++ = '-';
    if (count_ == 0) *last++ = '0';
    last = std::copy(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(count_), last);
    return integer_token_value(std::string_view(text, static_cast<std::size_t>(last - text)), out);
  }

  // Converts the mantissa times ten to the exp. Overflow is refused;
  // underflow gives zero or a subnormal value.
  Syntax convert(long exp, double& out) const {
    if (count_ == 0) {
      out = negative ? -0.0 : 0.0;
      return Syntax::ok;
    }
    // "[-]digits[1]e<exponent>" on the stack; a dropped digit that is not
    // zero stands as a last 1, which rounds the same way.
    char text[kept_digits + 32];
    char* last = text;
    if (negative) *last++ = '-';
    last = std::copy(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(count_), last);
    long long e = shift_ + exp;
    if (dropped_non_zero_) {
      *last++ = '1';
      --e;
    }
    e = std::clamp(e, -exponent_bound, exponent_bound);
    *last++ = 'e';
    last = std::to_chars(last, text + sizeof text, e).ptr;
    auto r = std::from_chars(text, last, out);
    if (r.ec == std::errc::result_out_of_range) {
      *last = '\0';
      double v = std::strtod(text, nullptr);
      if (std::abs(v) == std::numeric_limits<double>::infinity()) return Syntax::overflow;
      out = v;
    } else if (r.ec != std::errc() || r.ptr != last) {
      return Syntax::not_a_number;
    }
    return Syntax::ok;
  }

  bool sign = false;  // a leading + or -
  bool negative = false;
  std::size_t digits = 0;  // in the mantissa
  bool point = false;
  bool exponent = false;  // an exponent letter or sign was written
  std::size_t exponent_digits = 0;
  bool trailing = false;  // characters after the number

 private:
  enum class Part { start, mantissa, exponent_sign, exponent_digits, trailing };

  // The value is the kept digits times ten to the shift_, and a little more
  // when a dropped digit was not zero.
  void add_digit(char c) {
    ++digits;
    if (count_ == 0 && c == '0') {
      if (point) --shift_;  // a leading zero after the point
    } else if (count_ < kept_digits) {
      kept_[count_++] = c;
      if (point) --shift_;
    } else {
      if (!point) ++shift_;
      if (c != '0') dropped_non_zero_ = true;
    }
  }

  Part part_ = Part::start;
  long exp_magnitude_ = 0;
  bool exp_negative_ = false;
  std::array<char, kept_digits> kept_;  // significant digits, leading zeros dropped
  std::size_t count_ = 0;
  long long shift_ = 0;
  bool dropped_non_zero_ = false;
};

// A real value of a list read by the general conversion.
Syntax parse_real_exactly(const NumberScan& n, double& out) {
  if (n.digits == 0) return Syntax::not_a_number;
  if (n.exponent &&
      (n.exponent_digits == 0 || n.exp() > max_exponent || n.exp() < -max_exponent))
    return Syntax::exponent;
  if (n.trailing) return Syntax::not_a_number;
  return n.convert(n.exp(), out);
}

// One value of a list read, as far as an item of any kind needs it.
struct ValueScan {
  void reset(std::size_t text_kept) {
    number.reset();
    length = 0;
    head.clear();
    head_limit = text_kept;
  }
  void add(char c) {
    number.add(c);
    if (head.size() < head_limit) head.push_back(c);
    ++length;
  }
  // Optional sign and at least one digit, nothing else.
  bool integer_shaped() const { return number.plain_digits() && number.digits > 0; }

  NumberScan number;
  std::size_t length = 0;
  std::string head;  // the first characters, for a text item
  std::size_t head_limit = 0;
};

// One value as read: a plain value, or "r*value".
struct Token {
  bool star = false;
  // Of the characters before the first '*':
  bool count_digits = false;  // nothing but digits, at least one
  bool count_like = false;    // nothing but digits after an optional sign
  long long count = 0;        // capped far above the int range
  ValueScan value;
};

// Reads the characters of one value up to the next separator.
void read_token(Input& in, Token& tok, std::size_t text_kept) {
  tok.star = false;
  tok.value.reset(text_kept);
  for (int c = in.peek(); !ends_value(c); c = in.peek()) {
    const char ch = static_cast<char>(c);
    in.advance();
    if (ch == '*' && !tok.star) {
      // What came before is the repeat count.
      const NumberScan& n = tok.value.number;
      tok.star = true;
      tok.count_like = n.plain_digits();
      tok.count_digits = tok.count_like && !n.sign && n.digits > 0;
      tok.count = tok.count_digits ? n.integer() : 0;
      tok.value.reset(text_kept);
      continue;
    }
    tok.value.add(ch);
  }
}

// A real value of a list read; plain integers, nearly every record sample,
// take the short way to the same value.
Syntax parse_real(const NumberScan& n, double& out) {
  char text[24];
  if (n.short_integer(text, out)) return Syntax::ok;
  return parse_real_exactly(n, out);
}

// An integer value: optional sign and digits, nothing else.
void parse_integer(Input& in, const ValueScan& t, int& out) {
  if (t.integer_shaped()) {
    const long long magnitude = t.number.integer();
    long long v = t.number.negative ? -magnitude : magnitude;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
      in.fail("invalid integer", "integer overflow");
    out = static_cast<int>(v);
    return;
  }
  double ignored;
  // Digits or a point after the sign: a number, but not an integer.
  bool starts_numeric = t.number.digits > 0 || t.number.point;
  if (starts_numeric || parse_real(t.number, ignored) == Syntax::ok)
    in.fail("invalid integer", "read unexpected character");
  in.fail("invalid number", "incomprehensible list input");
}

void assign_real(Input& in, const NumberScan& t, double& out) {
  switch (parse_real(t, out)) {
    case Syntax::ok:
      return;
    case Syntax::exponent:
      in.fail("exponent field", "incomprehensible list input");
    case Syntax::overflow:
      in.fail("invalid number", "numeric overflow");
    case Syntax::not_a_number:
      in.fail("invalid number", "incomprehensible list input");
  }
}

void assign_text(const TextItem& item, std::string_view t) {
  item.value->assign(t.substr(0, item.length));
  item.value->resize(item.length, ' ');
}

// Reads a text value at the current position: quoted (running over line
// ends, a doubled quote standing for one) or up to the next separator. Only
// the first `length` characters are kept, so a long line costs no memory.
// Returns false when the input ends inside a quoted text.
bool read_text(Input& in, const TextItem& item) {
  std::string kept;
  int quote = in.peek();
  if (quote == '\'' || quote == '"') {
    in.advance();
    for (;;) {
      int c = in.peek();
      if (c == Input::end_of_file) return false;
      in.advance();
      if (c == quote) {
        if (in.peek() != quote) break;
        in.advance();
      } else if (c == Input::line_end) {
        continue;
      }
      if (kept.size() < item.length) kept.push_back(static_cast<char>(c));
    }
  } else {
    for (int c = in.peek(); !ends_value(c); c = in.peek()) {
      if (kept.size() < item.length) kept.push_back(static_cast<char>(c));
      in.advance();
    }
  }
  assign_text(item, kept);
  return true;
}

// Stores one value (or a null, for an empty text) into the item.
void store(Input& in, const ReadItem& item, const ValueScan& value) {
  if (value.length == 0) return;  // r* with no value: r nulls
  if (auto* i = std::get_if<int*>(&item)) {
    parse_integer(in, value, **i);
  } else if (auto* d = std::get_if<double*>(&item)) {
    assign_real(in, value.number, **d);
  } else {
    assign_text(std::get<TextItem>(item), value.head);
  }
}

// The count of "r*value"; 1 for a plain value.
long long repeat_count(Input& in, const Token& t) {
  if (!t.star) return 1;
  if (!t.count_digits) {
    if (t.count_like) in.fail("bad repetition count", "incomprehensible list input");
    in.fail("invalid number", "incomprehensible list input");
  }
  if (t.count == 0) in.fail("bad repetition count", "incomprehensible list input");
  return t.count;
}

// A field of a formatted read, blanks removed. Without a written point the
// last d digits are decimals; a field without digits reads as zero.
bool parse_field(std::string_view f, int d, double& out, bool& overflow) {
  overflow = false;
  NumberScan n;
  for (char c : f) n.add(c);
  if (n.trailing) return false;
  if (n.digits == 0) {
    out = 0.0;
    return true;
  }
  Syntax s = n.convert(n.point ? n.exp() : n.exp() - d, out);
  overflow = s == Syntax::overflow;
  return s != Syntax::not_a_number;
}

}  // namespace

bool exact_real_token(std::string_view token, double& out) {
  NumberScan n;
  n.reset();
  for (char c : token) n.add(c);
  return parse_real_exactly(n, out) == Syntax::ok;
}

// --- Input -------------------------------------------------------------------

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
      short_integer_lines_(o.short_integer_lines_),
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

// --- List read ---------------------------------------------------------------

// The short way for the common line of a list read: items.size() (at most
// short_line_items) plain integers, blanks and tabs between them, into
// double items, the line and its line end already in the buffer. Returns
// false and changes nothing for any other line, which then takes the
// general way from the same place.
//
// Why it ends as the general way does: on such a line that way skips blanks,
// reads each value up to the next blank, tab or line end (so no comma, slash,
// star or quote is met) and stores it by parse_real's short way, which gives
// the token's value by integer_token_value's rule (leading zeros dropped
// change nothing, "-0" is -0), one item after another; then discard_line
// passes the blanks and the line end, counting no words. Every character up
// to the LF is in the buffer, so nothing is refilled, and the only check met
// is the line length at the line end, made here first. It thus ends past the
// line end with one more line passed and the current line starting there,
// no counter or end flag changed, the values stored in item order, result
// ok. begin_statement has run before, as for the general way.
bool Input::read_integer_line(std::span<const ReadItem> items) {
  constexpr std::size_t short_line_items = 16;
  const std::size_t n = items.size();
  if (!short_integer_lines_ || n > short_line_items) return false;
  std::array<double*, short_line_items> out;
  for (std::size_t k = 0; k < n; ++k) {
    double* const* d = std::get_if<double*>(&items[k]);
    if (!d) return false;
    out[k] = *d;
  }
  const char* const data = buf_.data();
  const char* p = data + pos_;
  const auto* lf = static_cast<const char*>(std::memchr(p, '\n', len_ - pos_));
  if (!lf) return false;
  // The line's characters end where its CR or LF stands: every loop below
  // stops there.
  const char* stop = lf;
  if (stop > p && stop[-1] == '\r') --stop;
  if (max_line_ > 0 &&
      base_ + (stop - data) - line_start_ > static_cast<long long>(max_line_))
    return false;
  const char* const buffer_end = data + len_;
  std::array<double, short_line_items> v;
  std::size_t k = 0;
  while (*p == ' ' || *p == '\t') ++p;
  while (p != stop) {
    if (k == n) return false;
    p = scan_plain_integer(p, stop, buffer_end, v[k++]);
    if (!p) return false;
    if (p == stop) break;
    if (*p != ' ' && *p != '\t') return false;
    do ++p;
    while (*p == ' ' || *p == '\t');
  }
  if (k != n) return false;
  for (std::size_t i = 0; i < n; ++i) *out[i] = v[i];
  pos_ = static_cast<std::size_t>(lf + 1 - data);
  ++lines_;
  line_start_ = base_ + static_cast<long long>(pos_);
  return true;
}

ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends) {
  in.begin_statement("list io");
  if (items.empty()) {
    // Waits for one line and drops it; the end of the input is no failure here.
    if (in.peek() == Input::end_of_file) return ReadResult::end_of_file;
    in.discard_line();
    return ReadResult::ok;
  }
  if (in.read_integer_line(items)) return ReadResult::ok;
  auto end_of_input = [&](bool at_start) {
    if (eof_ends) return ReadResult::end_of_file;
    in.fail(at_start && in.ended_without_line_end() ? "read start" : "list in", "end of file");
  };
  if (in.peek() == Input::end_of_file) return end_of_input(true);

  // A repeated value may land in a text item: keep as much of it as the
  // longest one takes.
  std::size_t text_kept = 0;
  for (const ReadItem& item : items) {
    if (auto* t = std::get_if<TextItem>(&item)) text_kept = std::max(text_kept, t->length);
  }
  Token tok;
  std::size_t k = 0;
  bool value_before = false;  // a comma now separates rather than makes a null
  while (k < items.size()) {
    int c = in.peek();
    while (is_blank(c) || c == Input::line_end) {
      in.advance();
      c = in.peek();
    }
    if (c == Input::end_of_file) return end_of_input(false);
    if (c == ',') {
      in.advance();
      if (!value_before) ++k;  // null value: the item keeps its value
      value_before = false;
      continue;
    }
    if (c == '/') {
      in.advance();
      break;
    }
    value_before = true;
    if (auto* text = std::get_if<TextItem>(&items[k])) {
      if (!read_text(in, *text)) return end_of_input(false);
      ++k;
      continue;
    }
    read_token(in, tok, text_kept);
    long long r = repeat_count(in, tok);
    for (; r > 0 && k < items.size(); --r) store(in, items[k++], tok.value);
  }
  if (!in.discard_line() && eof_ends) return ReadResult::end_of_file;
  return ReadResult::ok;
}

ReadResult list_read(Input& in, std::initializer_list<ReadItem> items, bool eof_ends) {
  return list_read(in, std::span<const ReadItem>(items.begin(), items.size()), eof_ends);
}

// --- Formatted read ----------------------------------------------------------

void formatted_read(Input& in, const Format& format, std::span<const ReadItem> items) {
  in.begin_statement(format.text());
  if (in.peek() == Input::end_of_file)
    in.fail(in.ended_without_line_end() ? "read start" : "fmt", "end of file");
  // Once the line end is met, nothing more is taken from the line.
  bool line_over = false;
  auto next = [&]() -> int {
    if (line_over) return Input::line_end;
    int c = in.peek();
    if (c == Input::line_end || c == Input::end_of_file) {
      line_over = true;
      return Input::line_end;
    }
    return c;
  };
  std::size_t k = 0;
  std::string field;
  for (const Descriptor& op : format.descriptors()) {
    if (op.takes_item() && k == items.size()) break;
    switch (op.kind) {
      case Descriptor::Kind::skip:
        for (int n = 0; n < op.w && next() != Input::line_end; ++n) in.advance();
        break;
      case Descriptor::Kind::slash:
        in.discard_line();
        line_over = false;
        if (in.peek() == Input::end_of_file) in.fail("fmt", "end of file");
        break;
      case Descriptor::Kind::literal:
        break;
      case Descriptor::Kind::text: {
        field.clear();
        for (int n = 0; n < op.w; ++n) {
          int c = next();
          if (c == Input::line_end) break;
          field.push_back(static_cast<char>(c));
          in.advance();
        }
        if (auto* t = std::get_if<TextItem>(&items[k])) assign_text(*t, field);
        ++k;
        break;
      }
      case Descriptor::Kind::fixed:
      case Descriptor::Kind::exponent: {
        field.clear();
        for (int n = 0; n < op.w; ++n) {
          int c = next();
          if (c == Input::line_end) break;
          in.advance();
          if (c == ',') break;  // a comma ends the field early
          if (c != ' ') field.push_back(static_cast<char>(c));
        }
        double v = 0.0;
        bool overflow = false;
        if (!parse_field(field, op.d, v, overflow)) in.fail("fmt", "read unexpected character");
        if (overflow) in.fail("fmt", "numeric overflow");
        if (auto* d = std::get_if<double*>(&items[k])) **d = v;
        ++k;
        break;
      }
    }
  }
  in.discard_line();
}

void formatted_read(Input& in, const Format& format, std::initializer_list<ReadItem> items) {
  formatted_read(in, format, std::span<const ReadItem>(items.begin(), items.size()));
}

}  // namespace smproc::textio
