// The fast Ew.d rendering against the general conversion, byte for byte, on
// the values where a shortcut would go wrong.
#include "textio/exponent_field.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "textio/double_cases.h"
#include "textio/text_output.h"

namespace smproc::textio {
namespace {

using namespace smproc::testing;

// Through the writer a row takes for Ew.d (for amp3.csv's fields the
// rendering compiled for them, for the rest the general one) and the plain way.
void expect_same_fields(const std::vector<double>& values, int w, int d) {
  const auto written = [](double v, int w, int d) {
    return written_field(exponent_field_writer, v, w, d);
  };
  smproc::testing::expect_same_fields('E', written, exact_exponent_field, values, w, d);
  smproc::testing::expect_same_fields('E', exponent_field, exact_exponent_field, values, w, d);
}

// Values at and around the rounding boundaries of d significant digits:
// exact ties (d digits and a 5 that a double holds exactly), the doubles
// nearest to decimal ties, and 9...95, which carries into the exponent.
std::vector<double> boundary_values(std::mt19937_64& gen, int d, int count) {
  std::vector<double> out;
  const double two_tens = 2.0 * std::pow(10.0, d - 1);  // exact for d <= 22
  for (int i = 0; i < count; ++i) {
    // Fractional ties c * 5^p / (2 * 10^p) = c / 2^(p+1), c odd, for p with 5^p < 20 * 10^(d-1).
    double five_p = 1.0;
    int p = 0;
    const int p_max = static_cast<int>(gen() % 30);
    while (p < p_max && 5.0 * five_p < 10.0 * two_tens) {
      five_p *= 5.0;
      ++p;
    }
    const auto lo = static_cast<std::uint64_t>(std::ceil(two_tens / five_p));
    const auto hi = static_cast<std::uint64_t>(10.0 * two_tens / five_p);
    if (hi > lo && hi < (std::uint64_t{1} << 53)) {
      const std::uint64_t c = (lo + gen() % (hi - lo)) | 1;
      if (c < hi) add_with_neighbours(out, std::ldexp(static_cast<double>(c), -(p + 1)), 1);
    }
    // Whole ties (2D + 1) * 5 * 10^(q-1).
    const std::string tie = random_digits(gen, d) + "5" + std::string(gen() % 8, '0');
    if (tie.size() <= 15) add_with_neighbours(out, nearest(tie), 1);
    // Decimal ties at any exponent, held by their nearest doubles.
    const int shift = static_cast<int>(gen() % 46) - 16;
    add_with_neighbours(out, nearest(decimal_tie(random_digits(gen, d), shift)), 2);
    const double carry = nearest(decimal_tie(std::string(d, '9'), shift));
    add_with_neighbours(out, carry, 3);
    add_with_neighbours(out, -carry, 1);
  }
  return out;
}

std::vector<double> all_cases(std::uint64_t seed, int d, int count) {
  std::mt19937_64 gen(seed);
  std::vector<double> values = random_bit_patterns(gen, count);
  for (const auto& more :
       {random_magnitudes(gen, count, -25.0, 20.0), powers_of_ten(-30, 30),
        subnormals_and_zeros(gen, 100), boundary_values(gen, d, count / 10)})
    values.insert(values.end(), more.begin(), more.end());
  return values;
}

TEST(ExponentFieldTest, SpectrumFieldMatchesTheGeneralConversion) {
  expect_same_fields(all_cases(3124, 4, 100000), 12, 4);
  expect_same_fields(all_cases(3094, 4, 20000), 9, 4);  // too narrow for a sign
}

TEST(ExponentFieldTest, EveryPrecisionMatchesTheGeneralConversion) {
  // d + 5 places fit positive values with two exponent digits only; past 19
  // digits only the general conversion is used.
  for (int d = 1; d <= 21; ++d) {
    for (int w : {d + 5, d + 6, 40}) expect_same_fields(all_cases(4000 + w * 100 + d, d, 5000), w, d);
  }
}

TEST(ExponentFieldTest, TiesGoToTheEvenDigit) {
  struct Case { double v; int w, d; const char* text; };
  const Case cases[] = {
      {12345.0, 12, 4, "  0.1234E+05"},
      {12355.0, 12, 4, "  0.1236E+05"},
      {-12345.0, 12, 4, " -0.1234E+05"},
      {0.03125, 12, 3, "   0.312E-01"},  // 2^-5
      {0.09375, 12, 3, "   0.938E-01"},
      {99995.0, 12, 4, "  0.1000E+06"},  // a tie that carries into the exponent
      {99985.0, 12, 4, "  0.9998E+05"},
      {2.5, 8, 1, " 0.2E+01"},
      {3.5, 8, 1, " 0.4E+01"},
  };
  for (const Case& t : cases)
    EXPECT_EQ(exponent_field(t.v, t.w, t.d), t.text) << "E" << t.w << "." << t.d << " of " << t.v;
}

}  // namespace
}  // namespace smproc::textio
