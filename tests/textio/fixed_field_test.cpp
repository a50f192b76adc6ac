// The fast Fw.d rendering against the general conversion, byte for byte, on
// the values where a shortcut would go wrong.
#include "textio/fixed_field.h"

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

// Through the writer a row takes for Fw.d (for the output files' fields the
// rendering compiled for them, for the rest the general one) and the plain way.
void expect_same_fields(const std::vector<double>& values, int w, int d) {
  const auto written = [](double v, int w, int d) {
    return written_field(fixed_field_writer, v, w, d);
  };
  smproc::testing::expect_same_fields('F', written, exact_fixed_field, values, w, d);
  smproc::testing::expect_same_fields('F', fixed_field, exact_fixed_field, values, w, d);
}

// Values at and around the rounding boundaries of d decimals and of the
// width: exact ties (odd multiples of 2^-(d+1)), the doubles nearest to
// decimal ties, and the largest values that still fit in w places.
std::vector<double> boundary_values(std::mt19937_64& gen, int w, int d, int count) {
  std::vector<double> out;
  const double tie_unit = std::ldexp(1.0, -(d + 1));
  for (int i = 0; i < count; ++i) {
    const auto odd = static_cast<double>((gen() >> (i % 2 ? 24 : 52)) | 1);
    add_with_neighbours(out, odd * tie_unit, 1);
    add_with_neighbours(out, -odd * tie_unit, 1);
    const int digits = 1 + static_cast<int>(gen() % 15);
    add_with_neighbours(out, nearest(decimal_tie(random_digits(gen, digits), d + 1)), 2);
  }
  // 9...9.9...95 with as many integer digits as fit with and without a sign,
  // and with none (the "0" that may be dropped).
  for (int places : {w - 1 - d, w - 2 - d, 0}) {
    if (places < 0) continue;
    const double edge = nearest(decimal_tie(std::string(places + d, '9'), d + 1));
    add_with_neighbours(out, edge, 3);
    add_with_neighbours(out, -edge, 3);
  }
  return out;
}

std::vector<double> all_cases(std::uint64_t seed, int w, int d, int count) {
  std::mt19937_64 gen(seed);
  std::vector<double> values = random_bit_patterns(gen, count);
  for (const auto& more :
       {random_magnitudes(gen, count, -d - 3.0, w - d + 2.0), powers_of_ten(-25, 25),
        subnormals_and_zeros(gen, 100), boundary_values(gen, w, d, count / 20)})
    values.insert(values.end(), more.begin(), more.end());
  return values;
}

TEST(FixedFieldTest, OutputFileFieldsMatchTheGeneralConversion) {
  struct Kind { int w, d; };
  for (Kind k : {Kind{8, 3}, Kind{12, 4}, Kind{8, 4}})
    expect_same_fields(all_cases(1000 + k.w * 100 + k.d, k.w, k.d, 40000), k.w, k.d);
}

TEST(FixedFieldTest, OutputFileFieldsMatchAroundEveryDigitCount) {
  // The output files' fields are made in one word up to eight digits: the
  // largest and smallest values of every digit count up to nine, either sign.
  struct Kind { int w, d; };
  for (Kind k : {Kind{8, 3}, Kind{12, 4}, Kind{8, 4}}) {
    std::vector<double> values;
    for (int digits = 1; digits <= 9; ++digits) {
      const double edge = nearest(decimal_tie(std::string(digits, '9'), k.d + 1));
      const double lowest = std::pow(10.0, digits - 1 - k.d);
      for (double v : {edge, -edge, lowest, -lowest}) add_with_neighbours(values, v, 3);
    }
    expect_same_fields(values, k.w, k.d);
  }
}

TEST(FixedFieldTest, EveryPrecisionAndWidthMatchesTheGeneralConversion) {
  // Narrow (the dropped "0" and asterisks), ordinary, and wide enough to show
  // every digit; past 19 decimals only the general conversion is used.
  for (int d = 0; d <= 21; ++d) {
    if (d > 10 && d < 19) continue;
    for (int w : {d + 2, d + 7, 45})
      expect_same_fields(all_cases(2000 + w * 100 + d, w, d, 6000), w, d);
  }
}

TEST(FixedFieldTest, TiesGoToTheEvenDigit) {
  struct Case { double v; int w, d; const char* text; };
  const Case cases[] = {
      {0.0625, 8, 3, "   0.062"},  // 62.5 thousandths exactly
      {0.1875, 8, 3, "   0.188"},
      {-0.0625, 8, 3, "  -0.062"},
      {0.5, 4, 0, "  0."},
      {1.5, 4, 0, "  2."},
      {2.5, 4, 0, "  2."},
      {-2.5, 4, 0, " -2."},
      {0.00005, 12, 4, "      0.0001"},  // the double lies just above the tie
      {-0.00005, 12, 4, "     -0.0001"},
      {0.000025, 12, 4, "      0.0000"},
      {99.5, 5, 0, " 100."},
      {-99.5, 5, 0, "-100."},
      {-99.5, 4, 0, "****"},
      {1023.9999847412109375, 12, 4, "   1024.0000"},  // 1024 - 2^-16 rounds into a new digit
  };
  for (const Case& t : cases)
    EXPECT_EQ(fixed_field(t.v, t.w, t.d), t.text) << "F" << t.w << "." << t.d << " of " << t.v;
}

}  // namespace
}  // namespace smproc::textio
