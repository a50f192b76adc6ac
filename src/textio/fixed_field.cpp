#include "textio/fixed_field.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "textio/field_layout.h"

namespace smproc::textio {

// Why the fast path gives the general conversion's digits. A finite v is
// m * 2^e exactly (m < 2^53). For e < 0 let s = -e: v * 10^d = n / 2^s with
// n = m * 10^d, an exact integer below 2^117 when d <= 19. So q = n >> s and
// r = n - (q << s) are the exact quotient and remainder, and comparing r with
// 2^(s-1) tells below, tie and above exactly: q rounded that way (ties to
// even) is the correctly rounded v * 10^d, whose digits with a point before
// the last d are the text of the general conversion. For s >= 118, n < 2^(s-1):
// the value rounds to 0. Every other case (e >= 0, that is |v| >= 2^52; d > 19;
// a q beyond 64 bits; infinities and NaNs) takes the general conversion.
// For d <= 4, the output files' fields, 10^d = 5^d * 2^d, so n / 2^s is
// m * 5^d / 2^(s-d) with m * 5^d below 2^63: the same quotient, remainder and
// comparison in 64 bits; there s - d >= 64 means it rounds to 0, and s <= d
// (|v| >= 2^49) takes the 128-bit way.
void append_fixed_field(std::string& dst, double v, int w, int d) {
  append_written(dst, w, [&](char* at) { write_fixed_field(at, v, w, d); });
}

namespace {

// m * 5^d / 2^t rounded to an integer, ties to even, for 0 < t and m * 5^d
// below 2^64 (the 64-bit way above); 0 where t >= 64.
inline std::uint64_t rounded_quotient(std::uint64_t m, std::uint64_t pow5, int t) {
  if (t >= 64) return 0;
  const std::uint64_t n = m * pow5;
  const std::uint64_t q = n >> t;
  const std::uint64_t r = n - (q << t);
  // Up if r > half, or r == half and q is odd: r + (q & 1) > half.
  return q + (r + (q & 1) > std::uint64_t{1} << (t - 1) ? 1 : 0);
}

constexpr std::uint64_t pow5_table[] = {1, 5, 25, 125, 625};

}  // namespace

void write_fixed_field(char* dst, double v, int w, int d) {
  const auto exact = [&] {
    put_appended(dst, w, [&](std::string& s) { append_exact_fixed_field(s, v, w, d); });
  };
  if (d > 19 || !std::isfinite(v)) return exact();
  const BinaryValue b = binary_value(v);
  if (b.e >= 0) return exact();
  const int s = -b.e;
  std::uint64_t q = 0;
  if (d <= 4 && s > d) {
    q = rounded_quotient(b.m, pow5_table[d], s - d);
  } else if (s < 118) {
    const uint128 n = uint128{b.m} * pow10_table[d];
    uint128 whole = n >> s;
    const uint128 r = n - (whole << s);
    const uint128 half = uint128{1} << (s - 1);
    if (r > half || (r == half && (whole & 1) != 0)) ++whole;
    if (whole > std::numeric_limits<std::uint64_t>::max()) return exact();
    q = static_cast<std::uint64_t>(whole);
  }

  // "digits.decimals" and the sign, from the right end of the w places,
  // checked to fit before the integral digits are written.
  if (d + 1 > w) return exact();  // not even the point and decimals fit
  char* const end = dst + w;
  std::uint64_t integral = q;
  char* p = put_digits(end, integral, d);
  *--p = '.';
  const bool minus = v < 0 && q != 0;  // no sign when every digit is zero
  const int len = d + 1 + decimal_length(integral) + (minus ? 1 : 0);
  const bool zero_goes = len == w + 1 && integral == 0;  // ".5000" in F5.4
  if (len - (zero_goes ? 1 : 0) > w) {
    std::memset(dst, '*', static_cast<std::size_t>(w));
    return;
  }
  if (!zero_goes) p = put_number(p, integral);
  if (minus) *--p = '-';
  put_blanks(dst, static_cast<std::size_t>(p - dst));
}

namespace {

// The field of a value whose rounded digits number at most k = min(8, W - 1)
// (q < 10^k), made in one word. q is found as above. Its k digits, with
// leading zeros, are the field's last k + 1 places but the point: I = k - D
// before it, D after. The leading zeros before the point but its last are
// blanks, a minus takes the place before the first digit kept (a blanked zero
// or one of the W - k - 1 places before those), and the rest are blanks:
// the general layout's text, right-aligned. A minus with no place before the
// digits, and every value this does not reach, goes the general way.
template <int W, int D>
bool put_fixed_fast_path(char* dst, double v) {
  constexpr int k = W - 1 < 8 ? W - 1 : 8;
  constexpr int integral = k - D;
  constexpr int before = W - k - 1;  // places left of the digits
  static_assert(D >= 1 && D <= 4 && integral >= 1 && before <= 8);
  const BinaryValue b = binary_value(v);
  const int t = -b.e - D;
  if (b.e >= 0 || t <= 0) return false;  // |v| >= 2^(52 - D), infinities, NaNs
  const std::uint64_t q = rounded_quotient(b.m, pow5_table[D], t);
  if (q >= pow10_table[k]) return false;
  const bool minus = v < 0 && q != 0;
  const std::uint64_t raw = eight_digits(q) >> (8 * (8 - k));  // the first digit lowest
  const int zeros = std::countr_zero(raw) / 8;
  const int blanked = zeros < integral - 1 ? zeros : integral - 1;
  if (before == 0 && minus && blanked == 0) return false;
  constexpr std::uint64_t ascii = 0x3030303030303030 >> (8 * (8 - k));
  const std::uint64_t digits = raw + ascii;
  std::uint64_t text = (digits & low_bytes(integral)) | std::uint64_t{'.'} << (8 * integral);
  if constexpr (integral + 1 < 8) text |= (digits >> (8 * integral)) << (8 * (integral + 1));
  const std::uint64_t blanks = low_bytes(blanked);
  text = (text & ~blanks) | (0x2020202020202020 & blanks);
  if constexpr (before > 0) std::memcpy(dst, "        ", before);
  std::memcpy(dst + before, &text, 8);
  if constexpr (k == 8) dst[before + 8] = static_cast<char>(digits >> 56);
  // A blank, or the first digit when there is no sign.
  const int sign_at = before + blanked - 1 > 0 ? before + blanked - 1 : 0;
  dst[sign_at] = minus ? '-' : dst[sign_at];
  return true;
}

// The general way out of line, so that the short one needs no stack frame.
template <int W, int D>
void write_fixed_field_as(char* dst, double v, int, int) {
  if (!put_fixed_fast_path<W, D>(dst, v)) write_fixed_field(dst, v, W, D);
}

}  // namespace

FieldWriter fixed_field_writer(int w, int d) {
  if (w == 8 && d == 3) return write_fixed_field_as<8, 3>;    // the waveform file's times
  if (w == 12 && d == 4) return write_fixed_field_as<12, 4>;  // its samples
  if (w == 8 && d == 4) return write_fixed_field_as<8, 4>;    // amp3.csv's frequencies
  return write_fixed_field;
}

void append_exact_fixed_field(std::string& dst, double v, int w, int d) {
  if (!std::isfinite(v)) {
    pad_left(dst, non_finite(v, false), w);
    return;
  }
  // The largest double has 309 digits before the point; d is at most 100.
  char buf[512];
  char* p = buf + 1;  // room for the sign
  auto r = std::to_chars(p, buf + sizeof buf - 1, std::fabs(v), std::chars_format::fixed, d);
  char* end = r.ptr;
  if (d == 0) *end++ = '.';  // a point is always written
  bool all_zero = true;
  for (char* q = p; q < end; ++q) {
    if (*q >= '1' && *q <= '9') {
      all_zero = false;
      break;
    }
  }
  char* start = p;
  if (v < 0 && !all_zero) *--start = '-';
  std::size_t len = static_cast<std::size_t>(end - start);
  if (len == static_cast<std::size_t>(w) + 1 && p[0] == '0' && p[1] == '.') {
    // One place too long: the "0" before the point goes.
    if (start != p) {
      p[0] = '-';
      start = p;
    } else {
      start = p + 1;
    }
    len -= 1;
  }
  pad_left(dst, std::string_view(start, len), w);
}

std::string exact_fixed_field(double v, int w, int d) {
  std::string s;
  append_exact_fixed_field(s, v, w, d);
  return s;
}

}  // namespace smproc::textio
