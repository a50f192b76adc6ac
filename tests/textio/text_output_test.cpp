#include "textio/text_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "support/console_capture.h"

namespace smproc::textio {
namespace {

using smproc::testing::CapturedConsole;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The pending bytes of an output against a plain string doing the same:
// appends small and past every capacity, room written in place, bytes
// dropped from the front, and a move that leaves the source empty.
TEST(PendingBytesTest, KeepsEveryByteThroughGrowthAndDrops) {
  WriteBuffer bytes;
  std::string model;
  struct Step {
    char op;
    std::size_t n;
  };
  const Step steps[] = {{'a', 1},     {'p', 1},      {'r', 10},    {'a', 100},    {'d', 7},
                        {'a', 70000}, {'r', 5},      {'d', 69999}, {'a', 200000}, {'p', 1},
                        {'d', 0},     {'r', 300000}, {'d', 1}};
  char next = 'a';
  auto text = [&](std::size_t n) {
    std::string t;
    for (std::size_t i = 0; i < n; ++i)
      t.push_back(next = static_cast<char>(next == 'z' ? 'a' : next + 1));
    return t;
  };
  for (const Step& s : steps) {
    switch (s.op) {
      case 'a': {
        const std::string t = text(s.n);
        bytes.append(t);
        model += t;
        break;
      }
      case 'p':
        bytes.push_back('!');
        model.push_back('!');
        break;
      case 'r': {
        const std::string t = text(s.n);
        t.copy(bytes.prepare(s.n), s.n);
        bytes.commit(s.n);
        model += t;
        break;
      }
      case 'd':
        bytes.drop(s.n);
        model.erase(0, s.n);
        break;
    }
    ASSERT_EQ(bytes.view(), model) << s.op << " " << s.n;
  }
  WriteBuffer moved(std::move(bytes));
  EXPECT_EQ(moved.view(), model);
  EXPECT_TRUE(bytes.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is part of
                               // the contract
  bytes.append("again");
  EXPECT_EQ(bytes.view(), "again");
}

TEST(ListDoubleTest, RenderingWithPointAndSignPlace) {
  struct Case {
    double v;
    const char* text;
  };
  const Case cases[] = {
      {12.345, "  12.345"},
      {-2.5, " -2.5"},
      {3.0, "  3."},
      {0.0012, "  0.0012"},
      {32768.0, "  32768."},
      {static_cast<double>(0.01f), "  0.00999999978"},
      {1234567890.0, "  1.23456789E+09"},
      {1e-05, "  1.E-05"},
      {-1e-05, " -1.E-05"},
      {0.0, "  0."},
      {-0.0, "  0."},
      {7845.0, "  7845."},
      {8223790.0, "  8223790."},
      {123456789.0, "  123456789."},
      {1e9, "  1.E+09"},
      {0.0001, "  0.0001"},
      {0.00012345, "  0.00012345"},
      {0.000012345, "  1.2345E-05"},
      {999999999.6, "  1.E+09"},
      {2.0 / 3.0, "  0.666666667"},
      {-81.91999816894531, " -81.9199982"},
  };
  for (const Case& t : cases) EXPECT_EQ(list_double(t.v), t.text) << t.v;
  // No minus sign for a NaN, whatever its sign bit.
  EXPECT_EQ(list_double(nan).substr(0, 2), "  ");
  EXPECT_EQ(list_double(-nan).substr(0, 2), "  ");
}

std::string list_line(std::initializer_list<WriteItem> items) {
  CapturedConsole c("");
  list_write(c.con().out, items);
  return c.text();
}

TEST(ListWriteTest, ItemsOnOneLine) {
  const double dt = static_cast<double>(0.01f);
  EXPECT_EQ(list_line({}), "\n");
  EXPECT_EQ(list_line({512}), " 512\n");
  EXPECT_EQ(list_line({-3, 0}), " -3 0\n");
  EXPECT_EQ(list_line({"NT and DT=", 6000, dt}), " NT and DT= 6000  0.00999999978\n");
  EXPECT_EQ(list_line({" IF1,NF=", 13, 8192}), "  IF1,NF= 13 8192\n");
  EXPECT_EQ(list_line({7845.0, 8223790.0}), "  7845.  8223790.\n");
  // A text item gets a blank only at the start of a line; it keeps its trailing blanks.
  EXPECT_EQ(list_line({1, "abc", "de"}), " 1abcde\n");
  EXPECT_EQ(list_line({"vel.csv                       "}), " vel.csv                       \n");
  EXPECT_EQ(list_line({2.5, "x"}), "  2.5x\n");
}

TEST(ListWriteTest, WrapBeforeReachingColumn80) {
  const std::string t70(70, 'a');  // the line then holds 71 characters
  const std::string t75(75, 'b');  // 76
  const std::string t74(74, 'c');  // 75
  const std::string t85(85, 'z');
  // An integer counts its digits only: 71 + 8 stays, 71 + 9 wraps.
  EXPECT_EQ(list_line({t70, 12345678}), " " + t70 + " 12345678\n");
  EXPECT_EQ(list_line({t70, 123456789}), " " + t70 + "\n 123456789\n");
  EXPECT_EQ(list_line({t70, -12345678}), " " + t70 + " -12345678\n");
  // A double counts its whole rendering: "  3." is 4 places.
  EXPECT_EQ(list_line({t74, 3.0}), " " + t74 + "  3.\n");
  EXPECT_EQ(list_line({t75, 3.0}), " " + t75 + "\n  3.\n");
  // A text item counts its full length and gets its blank again on the new line.
  EXPECT_EQ(list_line({t75, "abc"}), " " + t75 + "abc\n");
  EXPECT_EQ(list_line({t75, "abcd"}), " " + t75 + "\n abcd\n");
  // An item is never split; a long one makes a long line.
  EXPECT_EQ(list_line({t85}), " " + t85 + "\n");
  EXPECT_EQ(list_line({1, t85}), " 1\n " + t85 + "\n");
}

TEST(FixedFieldTest, Renderings) {
  struct Case {
    double v;
    int w, d;
    const char* text;
  };
  const Case cases[] = {
      {0.0244, 8, 4, "  0.0244"},
      {12.345, 8, 4, " 12.3450"},
      {1000.0, 8, 4, "********"},
      {0.0, 8, 3, "   0.000"},
      {-0.0, 8, 3, "   0.000"},
      {-0.0012, 12, 4, "     -0.0012"},
      {-0.00001, 12, 4, "      0.0000"},
      {-0.5, 6, 4, "-.5000"},
      {-0.5, 7, 4, "-0.5000"},
      {-0.5, 5, 4, "*****"},
      {0.5, 6, 4, "0.5000"},
      {0.5, 5, 4, ".5000"},
      {0.5, 4, 4, "****"},
      {2.675, 8, 2, "    2.67"},  // the double lies just below 2.675
      {3.0, 5, 0, "   3."},
      {-12345.678, 12, 4, " -12345.6780"},
      {inf, 8, 3, "     inf"},
      {-inf, 8, 3, "    -inf"},
      {nan, 8, 3, "     nan"},
  };
  for (const Case& t : cases)
    EXPECT_EQ(fixed_field(t.v, t.w, t.d), t.text) << "F" << t.w << "." << t.d << " of " << t.v;
}

TEST(ExponentFieldTest, Renderings) {
  struct Case {
    double v;
    int w, d;
    const char* text;
  };
  const Case cases[] = {
      {12.345, 12, 4, "  0.1235E+02"},
      {0.0012, 12, 4, "  0.1200E-02"},
      {0.0, 12, 4, "  0.0000E+00"},
      {-12.345, 12, 4, " -0.1235E+02"},
      {1.0, 12, 4, "  0.1000E+01"},
      {9.99996, 12, 4, "  0.1000E+02"},  // rounding carries into the exponent
      {1.5e100, 12, 4, "  0.1500+101"},
      {1.5e-101, 12, 4, "  0.1500-100"},
      {1.5e-100, 12, 4, "  0.1500E-99"},
      {12.345, 10, 4, "0.1235E+02"},
      {12.345, 9, 4, "*********"},
      {-12.345, 10, 4, "**********"},
      {inf, 12, 4, "         INF"},
      {-inf, 12, 4, "        -INF"},
      {nan, 12, 4, "         NAN"},
  };
  for (const Case& t : cases)
    EXPECT_EQ(exponent_field(t.v, t.w, t.d), t.text) << "E" << t.w << "." << t.d << " of " << t.v;
}

std::string formatted(const char* format, std::initializer_list<double> items) {
  CapturedConsole c("");
  formatted_write(c.con().out, Format(format), items);
  return c.text();
}

TEST(FormattedWriteTest, LiteralsSkipsAndSlashes) {
  EXPECT_EQ(formatted("('abc',2X,'d')", {}), "abc  d\n");
  EXPECT_EQ(formatted("('it''s')", {}), "it's\n");
  EXPECT_EQ(formatted("('a',3X)", {}), "a\n");  // a pending move adds nothing
  EXPECT_EQ(formatted("('a',/,'b')", {}), "a\nb\n");
  EXPECT_EQ(formatted("(2X,F4.1)", {1.5}), "   1.5\n");
  EXPECT_EQ(formatted("(/,1X,'Enter output file name of waveform (csv format file)')", {}),
            "\n Enter output file name of waveform (csv format file)\n");
}

TEST(FormattedWriteTest, ItemListEndCarriesOnThroughLiterals) {
  // Four items leave the literal of the fourth repetition: 48 places ending in ",".
  const std::string four = formatted("(F8.3,4(',',F12.4))", {0.0, 1.0, -0.0012, 12.345});
  EXPECT_EQ(four, "   0.000,      1.0000,     -0.0012,     12.3450,\n");
  EXPECT_EQ(four.size(), 49u);
  // Five items fill the format: the line ends at its closing parenthesis.
  EXPECT_EQ(formatted("(F8.3,4(',',F12.4))", {0.0, 1.0, -0.0012, 12.345, 2.0}),
            "   0.000,      1.0000,     -0.0012,     12.3450,      2.0000\n");
  EXPECT_EQ(formatted("(F8.4,6(',',E12.4))", {0.0244, 12.345, 0.0012, 0.0}),
            "  0.0244,  0.1235E+02,  0.1200E-02,  0.0000E+00,\n");
  EXPECT_EQ(formatted("(F4.1,/,'x')", {1.5}), " 1.5\nx\n");
}

}  // namespace
}  // namespace smproc::textio
