// What every numeric field rendering shares: right alignment in its width,
// asterisks when the text does not fit, printf's words for the values that
// have no digits, and the integer pieces of the exact fast renderings.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace smproc::textio {

// Appends text right-aligned in w places, or w asterisks when it is longer.
inline void pad_left(std::string& dst, std::string_view text, int w) {
  if (static_cast<int>(text.size()) > w) {
    dst.append(static_cast<std::size_t>(w), '*');
    return;
  }
  dst.append(static_cast<std::size_t>(w) - text.size(), ' ');
  dst.append(text);
}

// Copies n bytes as memcpy does, but without a call for the short texts of
// fields and separators: two overlapping moves of a fixed size cover any n
// from that size to twice it.
inline void copy_short(char* dst, const char* src, std::size_t n) {
  if (n >= 8 && n <= 16) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else if (n > 0 && n < 4) {
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  } else {
    std::memcpy(dst, src, n);
  }
}

// The fast renderings write a field's text from the right end of its w
// places straight into them, once they know it fits, and blank the places
// before it; nothing is built elsewhere and copied, which would make the
// processor wait for the small writes to land before reading them back.
inline void put_blanks(char* dst, std::size_t n) {
  static constexpr char blanks[] = "                ";  // 16
  if (n <= 16) {
    copy_short(dst, blanks, n);
  } else {
    std::memset(dst, ' ', n);
  }
}

// Writes a field that `append` appends to a string into the w places at dst.
template <typename Append>
void put_appended(char* dst, int w, Append append) {
  std::string s;
  append(s);
  std::memcpy(dst, s.data(), static_cast<std::size_t>(w));
}

// Appends the w places that `write` fills to dst.
template <typename Write>
void append_written(std::string& dst, int w, Write write) {
  const std::size_t at = dst.size();
  dst.resize(at + static_cast<std::size_t>(w));
  write(dst.data() + at);
}

// printf's own words for an infinity or a NaN, with the sign of an infinity.
inline std::string non_finite(double v, bool upper) {
  std::string s = std::isnan(v) ? "nan" : "inf";
  if (upper) {
    for (char& c : s) c = static_cast<char>(c - 'a' + 'A');
  }
  if (std::isinf(v) && v < 0) s.insert(s.begin(), '-');
  return s;
}

// Unsigned 128-bit integers, which g++ and clang++ provide as an extension.
__extension__ typedef unsigned __int128 uint128;

// 10^0 to 10^19, all that fit in 64 bits.
inline constexpr std::uint64_t pow10_table[20] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
    1000000000000000000u,
    10000000000000000000u,
};

// The count of decimal digits of x, at least one, without a loop: the
// bit length times log10(2) (1233 / 2^12) is the count or one less, which one
// comparison settles.
inline int decimal_length(std::uint64_t x) {
  const std::uint64_t y = x | 1;  // as many digits as x, and at least one
  const int bits = 64 - std::countl_zero(y);
  const int guess = (bits * 1233) >> 12;
  return guess + (y >= pow10_table[guess] ? 1 : 0);
}

// A finite double as m * 2^e exactly, m an integer below 2^53.
struct BinaryValue {
  std::uint64_t m;
  int e;
};

inline BinaryValue binary_value(double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  const int biased = static_cast<int>(bits >> 52 & 0x7ff);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) return {fraction, -1074};  // zero and the subnormals
  return {fraction | std::uint64_t{1} << 52, biased - 1075};
}

// "00" to "99".
inline constexpr char digit_pairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the lowest `count` decimal digits of x so that they end just before
// `end`, and removes them from x; returns where they start.
inline char* put_pair(char* end, std::uint64_t& x) {
  const std::uint64_t rest = x / 100;
  end -= 2;
  std::memcpy(end, digit_pairs + 2 * (x - rest * 100), 2);
  x = rest;
  return end;
}
inline char* put_one(char* end, std::uint64_t& x) {
  const std::uint64_t rest = x / 10;
  *--end = static_cast<char>('0' + (x - rest * 10));
  x = rest;
  return end;
}
inline char* put_digits(char* end, std::uint64_t& x, int count) {
  // The counts of the output files' fields, unrolled.
  if (count == 4) return put_pair(put_pair(end, x), x);
  if (count == 3) return put_one(put_pair(end, x), x);
  for (; count >= 2; count -= 2) end = put_pair(end, x);
  if (count == 1) end = put_one(end, x);
  return end;
}

// The eight decimal digits of x < 10^8 as byte values 0 to 9, the 10^7s in
// the lowest byte (the first in memory): x split into halves of four digits,
// each half into pairs and each pair into digits, all lanes of the word at
// once. Within a lane the quotients are products and shifts: x * 10486 >> 20
// is x / 100 for x < 43699, x * 103 >> 10 is x / 10 for x < 179, and no lane's
// product reaches the next lane.
inline std::uint64_t eight_digits(std::uint64_t x) {
  const std::uint64_t high = x / 10000;
  std::uint64_t v = high | (x - high * 10000) << 32;
  const std::uint64_t hundreds = (v * 10486) >> 20 & 0x0000007f0000007f;
  v = hundreds | (v - hundreds * 100) << 16;
  const std::uint64_t tens = (v * 103) >> 10 & 0x000f000f000f000f;
  return tens | (v - tens * 10) << 8;
}

// A mask of the lowest n bytes of a word, 0 <= n <= 7.
inline std::uint64_t low_bytes(int n) { return (std::uint64_t{1} << (8 * n)) - 1; }

// Writes all the decimal digits of x (at least one) ending just before `end`.
inline char* put_number(char* end, std::uint64_t x) {
  while (x >= 100) end = put_digits(end, x, 2);
  if (x >= 10) return put_digits(end, x, 2);
  *--end = static_cast<char>('0' + x);
  return end;
}

}  // namespace smproc::textio
