// The shape and value of a decimal number, taken one character at a time,
// shared by list and formatted reads.
#pragma once

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "textio/integer_token.h"

namespace smproc::textio {

// Exponents above this are refused, as are counts that do not fit.
constexpr long max_exponent = 99999999;
// Significant digits kept of a number; the rest are counted. A correctly
// rounded double is decided by its first 768 significant digits and whether
// any digit after them is not zero.
constexpr std::size_t kept_digits = 800;
// Decimal exponents beyond this overflow or underflow whatever the kept digits.
constexpr long long exponent_bound = 100000;

inline bool is_digit(int c) { return c >= '0' && c <= '9'; }
inline bool is_sign(int c) { return c == '+' || c == '-'; }

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
  bool plain_integer(char (&text)[24], double& out) const {
    if (!plain_digits() || digits == 0 || count_ > 19 || shift_ != 0) return false;
    char* last = text;
    if (negative) *last++ = '-';
    if (count_ == 0) *last++ = '0';
    last = std::copy(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(count_), last);
    return integer_token_value(std::string_view(text, static_cast<std::size_t>(last - text)), out);
  }

  // Converts the mantissa times ten to the exp. Overflow is refused;
  // underflow gives zero or a subnormal value.
  Syntax convert(long exp, double& out) const;

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
Syntax parse_real_exactly(const NumberScan& n, double& out);

}  // namespace smproc::textio
