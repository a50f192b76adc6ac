// Doubles that a number rendering must get right: random bit patterns, the
// neighbours of decimal boundaries, powers of ten, subnormals and zeros. All
// seeded, so a failure repeats.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace smproc::testing {

// The double nearest to a decimal text, by the C library.
inline double nearest(const std::string& decimal) { return std::strtod(decimal.c_str(), nullptr); }

// v and its neighbours up to `ulps` steps away on both sides.
inline void add_with_neighbours(std::vector<double>& out, double v, int ulps) {
  out.push_back(v);
  double up = v;
  double down = v;
  for (int i = 0; i < ulps; ++i) {
    up = std::nextafter(up, std::numeric_limits<double>::infinity());
    down = std::nextafter(down, -std::numeric_limits<double>::infinity());
    out.push_back(up);
    out.push_back(down);
  }
}

// Any 64 bits: mostly huge and tiny magnitudes, some infinities and NaNs.
inline std::vector<double> random_bit_patterns(std::mt19937_64& gen, int n) {
  std::vector<double> out;
  for (int i = 0; i < n; ++i) out.push_back(std::bit_cast<double>(gen()));
  return out;
}

// Random signs, decades from lo to hi and mantissa bits: the magnitudes that
// samples and spectra take.
inline std::vector<double> random_magnitudes(std::mt19937_64& gen, int n, double lo, double hi) {
  std::uniform_real_distribution<double> decade(lo, hi);
  std::vector<double> out;
  for (int i = 0; i < n; ++i) {
    double v = std::pow(10.0, decade(gen));
    auto bits = std::bit_cast<std::uint64_t>(v) ^ (gen() & 0xfffffffffu);
    v = std::bit_cast<double>(bits);
    out.push_back(gen() % 2 ? -v : v);
  }
  return out;
}

// Powers of ten from 10^lo to 10^hi, both signs, two steps either side.
inline std::vector<double> powers_of_ten(int lo, int hi) {
  std::vector<double> out;
  for (int k = lo; k <= hi; ++k) {
    const double p = nearest("1e" + std::to_string(k));
    add_with_neighbours(out, p, 2);
    add_with_neighbours(out, -p, 2);
  }
  return out;
}

// Zeros of both signs, subnormals (random and at their ends) and the
// smallest normals.
inline std::vector<double> subnormals_and_zeros(std::mt19937_64& gen, int n) {
  std::vector<double> out = {0.0, -0.0};
  const double min_sub = std::numeric_limits<double>::denorm_min();
  const double min_normal = std::numeric_limits<double>::min();
  for (double v : {min_sub, min_normal, std::nextafter(min_normal, 0.0)}) {
    add_with_neighbours(out, v, 2);
    add_with_neighbours(out, -v, 2);
  }
  for (int i = 0; i < n; ++i) {
    const std::uint64_t fraction = gen() & ((std::uint64_t{1} << 52) - 1);
    out.push_back(std::bit_cast<double>(fraction | (gen() % 2 ? std::uint64_t{1} << 63 : 0)));
  }
  return out;
}

// Decimal strings like "4711.5" scaled by 10^-shift: "0.47115" for 4,
// "47115000" for -3. `digits` is written out, then the 5.
inline std::string decimal_tie(const std::string& digits, int shift) {
  std::string all = digits + "5";
  if (shift <= 0) return all + std::string(static_cast<std::size_t>(-shift), '0');
  // The point goes `shift` places before the end of `all`.
  if (static_cast<int>(all.size()) <= shift)
    all = std::string(static_cast<std::size_t>(shift) - all.size() + 1, '0') + all;
  const std::size_t point = all.size() - static_cast<std::size_t>(shift);
  return all.substr(0, point) + '.' + all.substr(point);
}

// Random digits, the first not zero.
inline std::string random_digits(std::mt19937_64& gen, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s.push_back(static_cast<char>('0' + gen() % 10));
  if (!s.empty() && s[0] == '0') s[0] = '1';
  return s;
}

// The bits of a value, for a failure message.
inline std::string hex(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%a", v);
  return buf;
}

// The field a row writer's pick of writer for (w, d) writes, as a string.
template <typename Pick>
std::string written_field(Pick pick, double v, int w, int d) {
  std::string s(static_cast<std::size_t>(w), '?');
  pick(w, d)(s.data(), v, w, d);
  return s;
}

// Every value rendered by the fast and the exact field of one kind ('F' or
// 'E') gives the same text; the first few differences are shown.
template <typename Fast, typename Exact>
void expect_same_fields(char kind, Fast fast_field, Exact exact_field,
                        const std::vector<double>& values, int w, int d) {
  int differ = 0;
  for (double v : values) {
    const std::string fast = fast_field(v, w, d);
    const std::string exact = exact_field(v, w, d);
    if (fast != exact && ++differ <= 5)
      ADD_FAILURE() << kind << w << "." << d << " of " << hex(v) << ": \"" << fast
                    << "\" instead of \"" << exact << "\"";
  }
  EXPECT_EQ(differ, 0) << kind << w << "." << d << " over " << values.size() << " values";
}

}  // namespace smproc::testing
