// Record samples that are plain integers take a short way to their value;
// it must be the general conversion's value to the bit, and every other
// token must read and fail as before.
#include "textio/integer_token.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/failure_of.h"
#include "textio/text_input.h"

namespace smproc::textio {
namespace {

using smproc::testing::failure_of;

TEST(IntegerTokenTest, PlainIntegersAndWhatIsLeftToTheGeneralConversion) {
  struct Case { const char* text; bool taken; double v; };
  const Case cases[] = {
      {"2380", true, 2380.0},
      {"-12", true, -12.0},
      {"+7", true, 7.0},
      {"0", true, 0.0},
      {"0000000000000000042", true, 42.0},  // 19 digits
      {"9007199254740992", true, 9007199254740992.0},  // 2^53
      {"-9007199254740992", true, -9007199254740992.0},
      {"9007199254740993", false, 0.0},  // above 2^53: rounding needed
      {"12345678901234567890", false, 0.0},
      {"", false, 0.0},
      {"+", false, 0.0},
      {"-", false, 0.0},
      {"1.5", false, 0.0},
      {"15.", false, 0.0},
      {"1e3", false, 0.0},
      {"1-3", false, 0.0},
      {"12a", false, 0.0},
      {"--5", false, 0.0},
      {"5 ", false, 0.0},
  };
  for (const Case& t : cases) {
    double v = 99.0;
    EXPECT_EQ(integer_token_value(t.text, v), t.taken) << t.text;
    EXPECT_EQ(v, t.taken ? t.v : 99.0) << t.text;
  }
  double z = 1.0;
  ASSERT_TRUE(integer_token_value("-0", z));
  EXPECT_TRUE(z == 0.0 && std::signbit(z));  // as the general conversion gives it
}

// The token ends at stop even where the digits run on in the bytes read
// ahead, and reading ahead gives the value the plain loop gives.
TEST(IntegerTokenTest, ScanStopsAtTheTokensEndWhateverIsReadAhead) {
  struct Case { const char* text; std::size_t stop; std::ptrdiff_t end; double v; };
  const Case cases[] = {
      {"123456789012", 3, 3, 123.0},
      {"-1234567 x", 8, 8, -1234567.0},
      {"12345678 x", 8, 8, 12345678.0},
      {"1234567x 9", 10, 7, 1234567.0},
      {"+ 12345678", 10, -1, 0.0},
      {"00000000000000000001234", 23, -1, 0.0},  // 23 digits
  };
  for (const Case& t : cases) {
    const std::string text = std::string(t.text) + "        ";
    const char* p = text.data();
    double v = 99.0;
    const char* end = scan_plain_integer(p, p + t.stop, p + text.size(), v);
    if (t.end < 0) {
      EXPECT_EQ(end, nullptr) << t.text;
      EXPECT_EQ(v, 99.0) << t.text;
    } else {
      EXPECT_EQ(end, p + t.end) << t.text;
      EXPECT_EQ(v, t.v) << t.text;
    }
  }
}

// Signed integers of 1 to 18 digits, some with leading zeros, eight to a line
// as in a record, read by a list read and compared bit for bit with the
// general conversion of the same token.
TEST(IntegerTokenTest, RandomIntegersReadToTheGeneralConversionsBits) {
  std::mt19937_64 gen(20260);
  for (int line = 0; line < 25000; ++line) {
    std::array<std::string, 8> tokens;
    std::string text;
    for (std::string& t : tokens) {
      const char* signs[] = {"", "-", "+"};
      t = signs[gen() % 3];
      if (gen() % 8 == 0) t.append(gen() % 3, '0');
      const int digits = 1 + static_cast<int>(gen() % 18);
      for (int i = 0; i < digits; ++i) t.push_back(static_cast<char>('0' + gen() % 10));
      text += ' ' + t;
    }
    text += '\n';
    Input in = Input::from_text(text, unit_file, "rec");
    std::array<double, 8> v{};
    std::array<ReadItem, 8> items;
    for (int k = 0; k < 8; ++k) items[k] = &v[k];
    list_read(in, items);
    for (int k = 0; k < 8; ++k) {
      double exact = 0.0;
      ASSERT_TRUE(exact_real_token(tokens[k], exact)) << tokens[k];
      ASSERT_EQ(std::bit_cast<std::uint64_t>(v[k]), std::bit_cast<std::uint64_t>(exact))
          << tokens[k];
    }
  }
}

TEST(IntegerTokenTest, TokensLikeIntegersFailAsBefore) {
  struct Case { const char* text; const char* context; };
  const Case cases[] = {
      {"12a", "invalid number"},
      {"-", "invalid number"},
      {"+", "invalid number"},
      {"--5", "invalid number"},
      {"5-", "exponent field"},
      {"1e99999", "invalid number"},  // overflow
  };
  for (const Case& t : cases) {
    Input in = Input::from_text(t.text + std::string("\n"), unit_file, "rec");
    double d = 0;
    Failure f = failure_of([&] { list_read(in, {&d}); });
    EXPECT_EQ(f.context, t.context) << t.text;
  }
}

}  // namespace
}  // namespace smproc::textio
