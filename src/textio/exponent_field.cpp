#include "textio/exponent_field.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "textio/field_layout.h"

namespace smproc::textio {

namespace {

enum class Rest { below_half, half, above_half };

// floor(log10 |v|) or one off, for v != 0: the binary exponent times
// 78913 / 2^18 ~ log10 2.
int decimal_exponent_estimate(BinaryValue b) {
  const int binary_exponent = b.e + 63 - std::countl_zero(b.m);
  return (binary_exponent * 78913) >> 18;
}

// The d significant digits of v != 0 (1 <= d <= 19) correctly rounded, as an
// integer D, and the decimal exponent k of the first: |v| ~ D * 10^(k-d+1).
// False where this way does not reach.
//
// Why D is the general conversion's. v is m * 2^e exactly (m < 2^53), e < 0
// here. For a trial k let p = d - 1 - k and X = |v| * 10^p: for p >= 0,
// X = m * 10^p / 2^-e; for p < 0, X = m / (10^-p * 2^-e). Numerator and
// denominator are exact integers (in 128 and 64 bits by the limits below), so
// quotient and remainder are exact, and comparing the remainder with half the
// denominator tells below, tie and above exactly. k is moved until
// 10^(d-1) <= X < 10^d, which the exact integer part decides, so the estimate
// of k only costs tries. X rounded to an integer, ties to even, is D; when D
// reaches 10^d it is 10^(d-1) and k grows by one, as in the general
// conversion. Not reached: |v| >= 2^52, |v| below about 10^(d-20), no k in
// three tries.
bool significant_digits(double v, int d, std::uint64_t& digits, int& exponent) {
  const BinaryValue b = binary_value(v);
  if (b.e >= 0) return false;
  const int s = -b.e;
  int k = decimal_exponent_estimate(b);
  const std::uint64_t lowest = pow10_table[d - 1];
  const std::uint64_t limit = pow10_table[d];
  std::uint64_t whole = 0;  // the integer part of X
  Rest rest = Rest::below_half;
  bool found = false;
  for (int tries = 0; tries < 3 && !found; ++tries) {
    const int p = d - 1 - k;
    if (p >= 0) {
      if (p > 19 || s >= 128) return false;
      const uint128 n = uint128{b.m} * pow10_table[p];  // below 2^117
      const uint128 q = n >> s;
      if (q > 0xffffffffffffffffu) return false;
      const uint128 r = n - (q << s);
      const uint128 half = uint128{1} << (s - 1);
      whole = static_cast<std::uint64_t>(q);
      rest = r < half ? Rest::below_half : r == half ? Rest::half : Rest::above_half;
    } else {
      if (-p > 19 || s >= 64) return false;
      const uint128 den = uint128{pow10_table[-p]} << s;
      if (den > b.m) return false;  // X < 1: no k is this far off
      const auto den64 = static_cast<std::uint64_t>(den);  // at most m < 2^53
      whole = b.m / den64;
      const std::uint64_t r = b.m - whole * den64;
      rest = 2 * r < den64 ? Rest::below_half : 2 * r == den64 ? Rest::half : Rest::above_half;
    }
    if (whole < lowest) {
      --k;
    } else if (whole >= limit) {
      ++k;
    } else {
      found = true;
    }
  }
  if (!found) return false;
  if (rest == Rest::above_half || (rest == Rest::half && (whole & 1) != 0)) ++whole;
  if (whole == limit) {
    whole = lowest;
    ++k;
  }
  digits = whole;
  exponent = k;
  return true;
}

}  // namespace

// Zero, and every value that significant_digits reaches, is laid out here;
// the rest (d > 19, infinities, NaNs, the magnitudes it does not reach) takes
// the general conversion.
void append_exponent_field(std::string& dst, double v, int w, int d) {
  append_written(dst, w, [&](char* at) { write_exponent_field(at, v, w, d); });
}

namespace {

// The d significant digits of v != 0 as significant_digits gives them, by
// one rounded product or quotient where that is as good as the exact
// value. X = |v| * 10^p, with 10^p (or 10^-p, p < 0) an exact double for
// |p| <= 22, is rounded once: off by at most X * 2^-53 < 10^d * 2^-53, far
// below `margin`. Where the rounded X lies more than margin from every
// integer and every integer and a half, the exact X has the same integer
// part, the same count of digits and the same rounding (no tie is so near),
// so D and k are found from it as significant_digits finds them from the
// exact X. Everything else (ties and near-ties, |p| > 22, infinities and
// NaNs): false.
template <int D>
bool quick_significant_digits(double v, std::uint64_t& digits, int& exponent) {
  static_assert(D >= 1 && D <= 8);
  constexpr double margin = 1e-6;  // 10^8 * 2^-53 is about 1.1e-8
  static constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr auto lowest = static_cast<double>(pow10_table[D - 1]);
  constexpr auto limit = static_cast<double>(pow10_table[D]);
  const double a = std::fabs(v);
  const BinaryValue b = binary_value(a);
  if (b.m == 0) return false;
  int k = decimal_exponent_estimate(b);
  for (int tries = 0; tries < 3; ++tries) {
    const int p = D - 1 - k;
    if (p > 22 || p < -22) return false;
    const double x = p >= 0 ? a * exact_powers[p] : a / exact_powers[-p];
    const auto whole = static_cast<std::uint64_t>(x);
    const double rest = x - static_cast<double>(whole);  // exact
    if (rest < margin || rest > 1 - margin || std::fabs(rest - 0.5) < margin) return false;
    if (x < lowest) {
      --k;
    } else if (x >= limit) {
      ++k;
    } else {
      digits = whole + (rest > 0.5 ? 1 : 0);
      if (digits == pow10_table[D]) {
        digits = pow10_table[D - 1];
        ++k;
      }
      exponent = k;
      return true;
    }
  }
  return false;
}

// Lays the field out from the d significant digits of v and their exponent k.
[[gnu::always_inline]] inline void put_exponent_text(char* dst, double v, int w, int d,
                                                     std::uint64_t digits, int k) {
  // Sign, "0.", d digits and the exponent of the 0.dddd form (E and two
  // digits, or three digits after the sign): always this long.
  const int len = (v < 0 ? 1 : 0) + 2 + d + 4;
  if (len > w) {
    std::memset(dst, '*', static_cast<std::size_t>(w));
    return;
  }
  const int x = k + 1;
  auto mag = static_cast<std::uint64_t>(x < 0 ? -x : x);
  char* p = put_digits(dst + w, mag, 2);
  if (mag != 0) *--p = static_cast<char>('0' + mag);  // the hundreds
  *--p = x < 0 ? '-' : '+';
  if (mag == 0) *--p = 'E';
  p = put_digits(p, digits, d);
  *--p = '.';
  *--p = '0';
  if (v < 0) *--p = '-';
  put_blanks(dst, static_cast<std::size_t>(p - dst));
}

}  // namespace

void write_exponent_field(char* dst, double v, int w, int d) {
  const auto exact = [&] {
    put_appended(dst, w, [&](std::string& s) { append_exact_exponent_field(s, v, w, d); });
  };
  if (d < 1 || d > 19 || !std::isfinite(v)) return exact();
  std::uint64_t digits = 0;
  int k = -1;  // zero shows the exponent +00
  if (v != 0 && !significant_digits(v, d, digits, k)) return exact();
  put_exponent_text(dst, v, w, d, digits, k);
}

namespace {

// The general way out of line, so that the quick one needs no stack frame.
template <int W, int D>
void write_exponent_field_as(char* dst, double v, int, int) {
  std::uint64_t digits = 0;
  int k = -1;  // zero shows the exponent +00
  if (v == 0 || quick_significant_digits<D>(v, digits, k))
    put_exponent_text(dst, v, W, D, digits, k);
  else
    write_exponent_field(dst, v, W, D);
}

}  // namespace

FieldWriter exponent_field_writer(int w, int d) {
  if (w == 12 && d == 4) return write_exponent_field_as<12, 4>;  // amp3.csv's amplitudes
  return write_exponent_field;
}

void append_exact_exponent_field(std::string& dst, double v, int w, int d) {
  if (!std::isfinite(v)) {
    pad_left(dst, non_finite(v, true), w);
    return;
  }
  // Sign, "0.", d digits, then the exponent: E and two digits, or three
  // digits with their sign and no E.
  char s[160];
  std::size_t len = 0;
  if (v < 0) s[len++] = '-';
  s[len++] = '0';
  s[len++] = '.';
  int e = 0;
  if (v == 0) {
    for (int i = 0; i < d; ++i) s[len++] = '0';
  } else {
    // d significant digits as d.ddd e+x, then shifted to the 0.dddd form.
    char buf[160];
    auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, d - 1);
    const char* q = buf;
    s[len++] = *q++;
    if (*q == '.') ++q;
    while (*q != 'e') s[len++] = *q++;
    ++q;
    bool neg = *q == '-';
    ++q;
    int x = 0;
    for (; q < r.ptr; ++q) x = x * 10 + (*q - '0');
    e = (neg ? -x : x) + 1;
  }
  int mag = e < 0 ? -e : e;
  if (mag <= 99) s[len++] = 'E';
  s[len++] = e < 0 ? '-' : '+';
  if (mag > 99) s[len++] = static_cast<char>('0' + mag / 100);
  s[len++] = static_cast<char>('0' + mag / 10 % 10);
  s[len++] = static_cast<char>('0' + mag % 10);
  pad_left(dst, std::string_view(s, len), w);
}

std::string exact_exponent_field(double v, int w, int d) {
  std::string s;
  append_exact_exponent_field(s, v, w, d);
  return s;
}

}  // namespace smproc::textio
