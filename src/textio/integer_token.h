// The value of a real token that is a plain integer, the common case of
// record samples ("2380", "-12"), without the general decimal conversion.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace smproc::textio {

// The digits that lead the eight characters of w (the first one in the
// lowest byte), as a count 0 to 8; for a count of 1 to 7 their value is
// set. Each byte x-or '0' is 0 to 9 just for a digit; the top bit of a byte
// marks anything else: 10 to 127 reach it by the addition (which carries
// into no other byte), 128 and above have it. The digits moved to the top
// bytes read as eight digits with leading zeros, which are joined in pairs,
// fours and eight, each step's sums fitting their lanes.
inline unsigned leading_digits(std::uint64_t w, std::uint64_t& value) {
  constexpr std::uint64_t ones = 0x0101010101010101;
  const std::uint64_t y = w ^ ('0' * ones);
  const std::uint64_t other = (((y & (0x7F * ones)) + 0x76 * ones) | y) & (0x80 * ones);
  const unsigned count = other ? static_cast<unsigned>(std::countr_zero(other)) / 8 : 8;
  if (count == 0 || count == 8) return count;
  std::uint64_t v = y << (64 - 8 * count);
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FF;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFF;
  value = (v * 10000 + (v >> 32)) & 0xFFFFFFFF;
  return count;
}

// The plain-integer rule, the one place it is written: an optional sign,
// then 1 to 19 digits whose value is at most 2^53. Scans the token at p,
// whose digits end at the first other character or at stop; the bytes up to
// readable (not before stop) may be read ahead. Returns the end of the
// digits with out set to their value, negated after a "-"; returns nullptr,
// out left alone, when the token breaks the rule.
//
// Why this is the general conversion's value: 19 digits fit in 64 bits, and
// every integer up to 2^53 is a double exactly, so converting it is exact and
// the correctly rounded value of the decimal text is that double. A "-"
// negates, which is exact too and gives -0 for "-0" as the general conversion
// does. Longer or larger integers take the general conversion.
inline const char* scan_plain_integer(const char* p, const char* stop, const char* readable,
                                      double& out) {
  const bool minus = p != stop && *p == '-';
  if (minus || (p != stop && *p == '+')) ++p;
  std::uint64_t value = 0;
  // Up to 7 digits are taken at once and meet the bounds by their count.
  unsigned count = 8;  // eight digits or more, or too near the end
  if constexpr (std::endian::native == std::endian::little) {
    if (readable - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      count = leading_digits(w, value);
    }
  }
  if (count < 8 && static_cast<std::ptrdiff_t>(count) <= stop - p) {
    if (count == 0) return nullptr;
    p += count;
  } else {
    value = 0;
    const char* const first = p;
    for (unsigned d; p != stop && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
      value = value * 10 + d;
    const auto digits = p - first;
    if (digits == 0 || digits > 19 || value > std::uint64_t{1} << 53) return nullptr;
  }
  const double x = static_cast<double>(value);
  out = minus ? -x : x;
  return p;
}

// Sets out to the value of t when t is a whole token of the plain-integer
// rule, and returns true; returns false (out left alone) for any other token,
// which then takes the general conversion.
inline bool integer_token_value(std::string_view t, double& out) {
  if (t.empty()) return false;
  const char* const end = t.data() + t.size();
  double v;
  if (scan_plain_integer(t.data(), end, end, v) != end) return false;
  out = v;
  return true;
}

}  // namespace smproc::textio
