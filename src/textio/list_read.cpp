#include "textio/list_read.h"

#include <algorithm>
#include <limits>
#include <string>
#include <variant>

#include "textio/integer_line.h"
#include "textio/number_scan.h"

namespace smproc::textio {

namespace {

bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool ends_value(int c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == Input::line_end ||
         c == Input::end_of_file;
}

// One value of a list read, as far as an item of any kind needs it.
struct ValueScan {
  void reset(std::size_t text_limit) {
    number.reset();
    length = 0;
    head.clear();
    head_limit = text_limit;
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
void read_token(Input& in, Token& tok, std::size_t text_limit) {
  tok.star = false;
  tok.value.reset(text_limit);
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
      tok.value.reset(text_limit);
      continue;
    }
    tok.value.add(ch);
  }
}

// A real value of a list read; plain integers, nearly every record sample,
// take the fast path to the same value.
Syntax parse_real(const NumberScan& n, double& out) {
  char text[24];
  if (n.plain_integer(text, out)) return Syntax::ok;
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

// Reads a text value at the current position: quoted (running over line
// ends, a doubled quote standing for one) or up to the next separator. Only
// the first `length` characters are kept, so a long line costs no memory.
// Returns false when the input ends inside a quoted text.
bool read_text(Input& in, const TextItem& item) {
  std::string text;
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
      if (text.size() < item.length) text.push_back(static_cast<char>(c));
    }
  } else {
    for (int c = in.peek(); !ends_value(c); c = in.peek()) {
      if (text.size() < item.length) text.push_back(static_cast<char>(c));
      in.advance();
    }
  }
  assign_text(item, text);
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

}  // namespace

bool exact_real_token(std::string_view token, double& out) {
  NumberScan n;
  n.reset();
  for (char c : token) n.add(c);
  return parse_real_exactly(n, out) == Syntax::ok;
}

ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends,
                     std::size_t& filled) {
  filled = 0;
  in.begin_statement("list io");
  if (items.empty()) {
    // Waits for one line and drops it; the end of the input is no failure here.
    if (in.peek() == Input::end_of_file) return ReadResult::end_of_file;
    in.discard_line();
    return ReadResult::ok;
  }
  if (read_integer_line(in, items)) {
    filled = items.size();
    return ReadResult::ok;
  }
  std::size_t k = 0;
  auto end_of_input = [&](bool at_start) {
    filled = k;
    if (eof_ends) return ReadResult::end_of_file;
    in.fail(at_start && in.ended_without_line_end() ? "read start" : "list in", "end of file");
  };
  if (in.peek() == Input::end_of_file) return end_of_input(true);

  // A repeated value may land in a text item: keep as much of it as the
  // longest one takes.
  std::size_t text_limit = 0;
  for (const ReadItem& item : items) {
    if (auto* t = std::get_if<TextItem>(&item)) text_limit = std::max(text_limit, t->length);
  }
  Token tok;
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
    read_token(in, tok, text_limit);
    long long r = repeat_count(in, tok);
    for (; r > 0 && k < items.size(); --r) store(in, items[k++], tok.value);
  }
  filled = k;
  if (!in.discard_line() && eof_ends) return ReadResult::end_of_file;
  return ReadResult::ok;
}

ReadResult list_read(Input& in, std::span<const ReadItem> items, bool eof_ends) {
  std::size_t filled = 0;
  return list_read(in, items, eof_ends, filled);
}

ReadResult list_read(Input& in, std::initializer_list<ReadItem> items, bool eof_ends) {
  return list_read(in, std::span<const ReadItem>(items.begin(), items.size()), eof_ends);
}

}  // namespace smproc::textio
