#include "textio/format.h"

#include <cctype>
#include <stdexcept>

namespace smproc::textio {

namespace {

// Recursive-descent reader of a parenthesised descriptor list.
class Parser {
 public:
  explicit Parser(std::string_view text) : t_(text) {}

  void parse(std::vector<Descriptor>& ops, std::size_t& reversion) {
    skip_blanks();
    expect('(');
    list(ops, /*top=*/true, &reversion);
    skip_blanks();
    if (p_ != t_.size()) bad("text after the closing parenthesis");
  }

 private:
  // Reads items up to and including the closing parenthesis.
  void list(std::vector<Descriptor>& ops, bool top, std::size_t* reversion) {
    for (;;) {
      skip_separators();
      if (peek() == ')') {
        ++p_;
        return;
      }
      item(ops, top, reversion);
    }
  }

  void item(std::vector<Descriptor>& ops, bool top, std::size_t* reversion) {
    int count = number_or(-1);
    skip_blanks();
    char c = peek();
    if (c == '(') {
      ++p_;
      std::vector<Descriptor> group;
      list(group, false, nullptr);
      if (top) *reversion = ops.size();
      for (int r = 0; r < (count < 0 ? 1 : count); ++r)
        ops.insert(ops.end(), group.begin(), group.end());
      return;
    }
    if (c == '\'') {
      if (count >= 0) bad("a count before a literal");
      ops.push_back({Descriptor::Kind::literal, 0, 0, quoted()});
      return;
    }
    ++p_;
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'X':
        ops.push_back({Descriptor::Kind::skip, count < 0 ? 1 : count, 0, {}});
        return;
      case '/':
        for (int r = 0; r < (count < 0 ? 1 : count); ++r)
          ops.push_back({Descriptor::Kind::slash, 0, 0, {}});
        return;
      case 'F':
      case 'E': {
        int w = number_or(-1);
        expect('.');
        int d = number_or(-1);
        if (w <= 0 || d < 0 || d > 100) bad("a field width and decimals");
        auto kind = std::toupper(static_cast<unsigned char>(c)) == 'F' ? Descriptor::Kind::fixed
                                                                       : Descriptor::Kind::exponent;
        if (kind == Descriptor::Kind::exponent && d == 0) bad("no digits in an E field");
        for (int r = 0; r < (count < 0 ? 1 : count); ++r) ops.push_back({kind, w, d, {}});
        return;
      }
      case 'A': {
        int w = number_or(-1);
        if (w <= 0) bad("a text field width");
        for (int r = 0; r < (count < 0 ? 1 : count); ++r)
          ops.push_back({Descriptor::Kind::text, w, 0, {}});
        return;
      }
      default:
        bad("an unknown descriptor");
    }
  }

  std::string quoted() {
    ++p_;  // opening apostrophe
    std::string s;
    for (;;) {
      if (p_ >= t_.size()) bad("an unclosed literal");
      char c = t_[p_++];
      if (c == '\'') {
        if (peek() != '\'') return s;
        ++p_;
      }
      s.push_back(c);
    }
  }

  int number_or(int fallback) {
    skip_blanks();
    if (!std::isdigit(static_cast<unsigned char>(peek()))) return fallback;
    long v = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
      v = v * 10 + (t_[p_++] - '0');
      if (v > 100000) bad("a count too large");
    }
    return static_cast<int>(v);
  }

  void skip_blanks() {
    while (p_ < t_.size() && t_[p_] == ' ') ++p_;
  }
  void skip_separators() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == ',')) ++p_;
  }
  char peek() const { return p_ < t_.size() ? t_[p_] : '\0'; }
  void expect(char c) {
    skip_blanks();
    if (peek() != c) bad(std::string("'") + c + "' expected");
    ++p_;
  }
  [[noreturn]] void bad(const std::string& what) const {
    throw std::invalid_argument("format " + std::string(t_) + ": " + what);
  }

  std::string_view t_;
  std::size_t p_ = 0;
};

}  // namespace

Format::Format(std::string_view text) : text_(text) { Parser(text).parse(ops_, reversion_); }

}  // namespace smproc::textio
