#include "textio/text_input.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "textio/integer_token.h"
#include "textio/text_output.h"

namespace smproc::textio {

namespace {

constexpr std::size_t read_chunk = 1 << 16;
// Exponents above this are refused, as are counts that do not fit.
constexpr long max_exponent = 99999999;

bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool ends_value(int c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == Input::line_end ||
         c == Input::end_of_file;
}

// Reads the characters of one value up to the next separator.
void read_token(Input& in, std::string& tok) {
  tok.clear();
  for (int c = in.peek(); !ends_value(c); c = in.peek()) {
    tok.push_back(static_cast<char>(c));
    in.advance();
  }
}

enum class Syntax { ok, not_a_number, exponent, overflow };

// Converts "[-]digits[.digits]" times ten to the exp. Overflow is refused;
// underflow gives zero or a subnormal value.
Syntax convert(std::string_view mantissa, long exp, double& out) {
  // Most values are short: build "mantissa[e exp]" on the stack.
  char small[64];
  std::string large;
  char* text = small;
  if (mantissa.size() + 16 > sizeof small) {
    large.resize(mantissa.size() + 16);
    text = large.data();
  }
  std::memcpy(text, mantissa.data(), mantissa.size());
  char* last = text + mantissa.size();
  if (exp != 0) {
    *last++ = 'e';
    last = std::to_chars(last, last + 15, exp).ptr;
  }
  *last = '\0';
  auto r = std::from_chars(text, last, out);
  if (r.ec == std::errc::result_out_of_range) {
    double v = std::strtod(text, nullptr);
    if (std::abs(v) == std::numeric_limits<double>::infinity()) return Syntax::overflow;
    out = v;
  } else if (r.ec != std::errc() || r.ptr != last) {
    return Syntax::not_a_number;
  }
  return Syntax::ok;
}

// The shape of a number: [sign] digits with at most one point, then an
// exponent written with E, D, e, d (and an optional sign) or a bare sign.
struct Scanned {
  std::string_view mantissa;  // sign, digits and point, a leading "+" left out
  std::size_t digits = 0;
  bool exponent = false;  // an exponent letter or sign was written
  std::size_t exponent_digits = 0;
  long exp = 0;  // magnitude capped just above max_exponent
  bool point = false;
  bool trailing = false;  // characters after the number
};

Scanned scan_number(std::string_view t) {
  Scanned n;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  for (; i < t.size(); ++i) {
    if (is_digit(t[i])) {
      ++n.digits;
    } else if (t[i] == '.' && !n.point) {
      n.point = true;
    } else {
      break;
    }
  }
  const std::size_t plus = (!t.empty() && t[0] == '+') ? 1 : 0;
  n.mantissa = t.substr(plus, i - plus);
  if (i < t.size()) {
    char c = t[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
      if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
      n.exponent = true;
    } else if (c == '+' || c == '-') {
      ++i;
      n.exponent = true;
    }
  }
  if (n.exponent) {
    bool negative = t[i - 1] == '-';
    for (; i < t.size() && is_digit(t[i]); ++i, ++n.exponent_digits) {
      if (n.exp <= max_exponent) n.exp = n.exp * 10 + (t[i] - '0');
    }
    if (negative) n.exp = -n.exp;
  }
  n.trailing = i != t.size();
  return n;
}

// A real value of a list read by the general conversion.
Syntax parse_real_exactly(std::string_view t, double& out) {
  Scanned n = scan_number(t);
  if (n.digits == 0) return Syntax::not_a_number;
  if (n.exponent && (n.exponent_digits == 0 || n.exp > max_exponent || n.exp < -max_exponent))
    return Syntax::exponent;
  if (n.trailing) return Syntax::not_a_number;
  return convert(n.mantissa, n.exp, out);
}

// A real value of a list read; plain integers, nearly every record sample,
// take the short way to the same value.
Syntax parse_real(std::string_view t, double& out) {
  if (integer_token_value(t, out)) return Syntax::ok;
  return parse_real_exactly(t, out);
}

// An integer value: optional sign and digits, nothing else.
void parse_integer(Input& in, std::string_view t, int& out) {
  std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  bool all_digits = i < t.size();
  long long v = 0;
  for (std::size_t j = i; j < t.size() && all_digits; ++j) {
    if (!is_digit(t[j])) {
      all_digits = false;
    } else if (v <= std::numeric_limits<int>::max()) {
      v = v * 10 + (t[j] - '0');
    }
  }
  if (all_digits) {
    if (t[0] == '-') v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
      in.fail("invalid integer", "integer overflow");
    out = static_cast<int>(v);
    return;
  }
  double ignored;
  bool starts_numeric = i < t.size() && (is_digit(t[i]) || t[i] == '.');
  if (starts_numeric || parse_real(t, ignored) == Syntax::ok)
    in.fail("invalid integer", "read unexpected character");
  in.fail("invalid number", "incomprehensible list input");
}

void assign_real(Input& in, std::string_view t, double& out) {
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

// Stores one numeric value (or a null, for an empty text) into the item.
void store(Input& in, const ReadItem& item, std::string_view value) {
  if (value.empty()) return;  // r* with no value: r nulls
  if (auto* i = std::get_if<int*>(&item)) {
    parse_integer(in, value, **i);
  } else if (auto* d = std::get_if<double*>(&item)) {
    assign_real(in, value, **d);
  } else {
    assign_text(std::get<TextItem>(item), value);
  }
}

// Splits "r*value" into its count and value; returns 1 for a plain value.
long repeat_count(Input& in, std::string_view& t) {
  auto star = t.find('*');
  if (star == std::string_view::npos) return 1;
  std::string_view count = t.substr(0, star);
  bool digits = !count.empty();
  long r = 0;
  for (char c : count) {
    if (!is_digit(c)) {
      digits = false;
      break;
    }
    if (r < std::numeric_limits<int>::max()) r = r * 10 + (c - '0');
  }
  std::string_view unsigned_count = count;
  if (!unsigned_count.empty() && (unsigned_count[0] == '+' || unsigned_count[0] == '-'))
    unsigned_count.remove_prefix(1);
  bool count_like = unsigned_count.find_first_not_of("0123456789") == std::string_view::npos;
  if (!digits) {
    if (count_like) in.fail("bad repetition count", "incomprehensible list input");
    in.fail("invalid number", "incomprehensible list input");
  }
  if (r == 0) in.fail("bad repetition count", "incomprehensible list input");
  t.remove_prefix(star + 1);
  return r;
}

// A field of a formatted read, blanks removed. Without a written point the
// last d digits are decimals; a field without digits reads as zero.
bool parse_field(std::string_view f, int d, double& out, bool& overflow) {
  overflow = false;
  Scanned n = scan_number(f);
  if (n.trailing) return false;
  if (n.digits == 0) {
    out = 0.0;
    return true;
  }
  Syntax s = convert(n.mantissa, n.point ? n.exp : n.exp - d, out);
  overflow = s == Syntax::overflow;
  return s != Syntax::not_a_number;
}

}  // namespace

bool exact_real_token(std::string_view token, double& out) {
  return parse_real_exactly(token, out) == Syntax::ok;
}

// --- Input -------------------------------------------------------------------

Input::Input(int fd, int unit, std::optional<std::string> name)
    : fd_(fd), unit_(unit), name_(std::move(name)) {
  buf_.resize(read_chunk);
}

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
      eof_(o.eof_),
      ended_without_line_end_(o.ended_without_line_end_),
      discarded_words_(o.discarded_words_),
      lines_with_discarded_words_(o.lines_with_discarded_words_),
      format_(std::move(o.format_)) {
  o.fd_ = -1;
}

Input::~Input() {
  if (fd_ > 0) ::close(fd_);
}

bool Input::fill(std::size_t keep) {
  if (eof_) return false;
  // Keep the unread bytes at the front, then read behind them.
  std::size_t unread = len_ - pos_;
  if (unread > keep) unread = keep;
  std::memmove(buf_.data(), buf_.data() + pos_, unread);
  pos_ = 0;
  len_ = unread;
  if (buf_.size() < unread + read_chunk) buf_.resize(unread + read_chunk);
  for (;;) {
    ssize_t n = ::read(fd_, buf_.data() + len_, buf_.size() - len_);
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
  pos_ += (c == line_end && buf_[pos_] == '\r') ? 2 : 1;
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
  raise(std::move(context), std::move(reason), unit_, name_, format_, false);
}

// --- List read ---------------------------------------------------------------

ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends) {
  in.begin_statement("list io");
  if (items.empty()) {
    // Waits for one line and drops it; the end of the input is no failure here.
    if (in.peek() == Input::end_of_file) return ReadResult::end_of_file;
    in.discard_line();
    return ReadResult::ok;
  }
  auto end_of_input = [&](bool at_start) {
    if (eof_ends) return ReadResult::end_of_file;
    in.fail(at_start && in.ended_without_line_end() ? "read start" : "list in", "end of file");
  };
  if (in.peek() == Input::end_of_file) return end_of_input(true);

  std::string tok;
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
    read_token(in, tok);
    std::string_view value = tok;
    long r = repeat_count(in, value);
    for (; r > 0 && k < items.size(); --r) store(in, items[k++], value);
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
