#include "textio/text_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "support/failure_of.h"
#include "textio/text_output.h"

#include <cmath>
#include <functional>
#include <optional>
#include <string>

namespace smproc::textio {
namespace {

Input console(std::string text) {
  return Input::from_text(std::move(text), unit_console_in, std::nullopt);
}

using smproc::testing::failure_of;

int read_int(Input& in) {
  int v = -999;
  list_read(in, {&v});
  return v;
}

double read_double(Input& in) {
  double v = -999;
  list_read(in, {&v});
  return v;
}

TEST(ListReadTest, BlanksTabsAndEmptyLinesAreSkippedWhileAValueIsAwaited) {
  Input in = console("\n \t\n  42\n1 2\n\n\n7\n");
  EXPECT_EQ(read_int(in), 42);
  EXPECT_EQ(read_int(in), 1);  // the 2 goes with the rest of its line
  EXPECT_EQ(read_int(in), 7);
}

TEST(ListReadTest, IntegerValues) {
  struct Case { const char* text; int v; };
  for (const Case t : {Case{"0", 0}, {"+17", 17}, {"-3", -3}, {"2147483647", 2147483647},
                       {"-2147483648", -2147483647 - 1}, {"  12,", 12}, {"5/", 5}}) {
    Input in = console(t.text + std::string("\n"));
    EXPECT_EQ(read_int(in), t.v) << t.text;
  }
}

TEST(ListReadTest, DoubleValues) {
  struct Case { const char* text; double v; };
  const Case cases[] = {
      {"12", 12.0},      {"-2.5", -2.5},     {"+.5", 0.5},     {"5.", 5.0},
      {"1.5E3", 1500.0}, {"1.5D3", 1500.0},  {"1.5e3", 1500.0}, {"1.5d3", 1500.0},
      {"1.5+3", 1500.0}, {"1.5-3", 1.5e-3},  {"-2.5E-1", -0.25}, {"1.5e+3", 1500.0},
      {"0.1", 0.1},      {"8223790", 8223790.0}, {"1.7976931348623157e308", 1.7976931348623157e308},
  };
  for (const Case& t : cases) {
    Input in = console(t.text + std::string("\n"));
    EXPECT_EQ(read_double(in), t.v) << t.text;
  }
}

TEST(ListReadTest, NullsSlashAndRepeats) {
  struct Case { const char* text; int a, b, c, d; };
  const Case cases[] = {
      {",2,,4", 9, 2, 9, 4},     // a leading comma and a second comma give nulls
      {",,3 4", 9, 9, 3, 4},
      {"1 , , 3 4", 1, 9, 3, 4},  // blanks around the commas change nothing
      {"1 / 7 7", 1, 9, 9, 9},    // the slash ends the statement
      {"3*7 1", 7, 7, 7, 1},
      {"2* 5 6", 9, 9, 5, 6},     // r* gives r nulls
      {"6*2 8", 2, 2, 2, 2},      // copies beyond the last item are dropped
      {"1\n\n2\n3,4", 1, 2, 3, 4},
  };
  for (const Case& t : cases) {
    Input in = console(t.text + std::string("\nnext 55\n"));
    int a = 9, b = 9, c = 9, d = 9;
    list_read(in, {&a, &b, &c, &d});
    EXPECT_EQ(a, t.a) << t.text;
    EXPECT_EQ(b, t.b) << t.text;
    EXPECT_EQ(c, t.c) << t.text;
    EXPECT_EQ(d, t.d) << t.text;
    std::string word;
    list_read(in, {TextItem{&word, 4}});
    EXPECT_EQ(word, "next") << t.text;  // the rest of the last line was discarded
  }
  Input in = console("2*1.5 -1\n");
  double x = 0, y = 0, z = 0;
  list_read(in, {&x, &y, &z});
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(y, 1.5);
  EXPECT_EQ(z, -1.0);
}

TEST(ListReadTest, UnreadableValuesFail) {
  struct Case { const char* text; bool integer; const char* context; const char* reason; };
  const Case cases[] = {
      {"1.0", true, "invalid integer", "read unexpected character"},
      {"1e2", true, "invalid integer", "read unexpected character"},
      {"abc", true, "invalid number", "incomprehensible list input"},
      {"2147483648", true, "invalid integer", "integer overflow"},
      {"-2147483649", true, "invalid integer", "integer overflow"},
      {"abc", false, "invalid number", "incomprehensible list input"},
      {"1.2.3", false, "invalid number", "incomprehensible list input"},
      {"*5", false, "bad repetition count", "incomprehensible list input"},
      {"0*5", false, "bad repetition count", "incomprehensible list input"},
      {"-2*5", false, "bad repetition count", "incomprehensible list input"},
      {"*5", true, "bad repetition count", "incomprehensible list input"},
      {"1e", false, "exponent field", "incomprehensible list input"},
      {"1e+", false, "exponent field", "incomprehensible list input"},
      {"1.5d", false, "exponent field", "incomprehensible list input"},
      {"1e100000000", false, "exponent field", "incomprehensible list input"},
      {"1e400", false, "invalid number", "numeric overflow"},
      {"-1e400", false, "invalid number", "numeric overflow"},
  };
  for (const Case& t : cases) {
    Input in = Input::from_text(t.text + std::string("\n"), unit_console_in, std::nullopt);
    int i = 0;
    double d = 0;
    Failure f = failure_of([&] { t.integer ? list_read(in, {&i}) : list_read(in, {&d}); });
    EXPECT_EQ(f.context, t.context) << t.text;
    EXPECT_EQ(f.reason, t.reason) << t.text;
    EXPECT_EQ(f.unit, 5) << t.text;
    EXPECT_EQ(f.name, std::nullopt) << t.text;
    EXPECT_EQ(f.format, "list io") << t.text;
    EXPECT_FALSE(f.writing) << t.text;
  }
  // A file's failure names the file.
  Input file = Input::from_text("7 x\n", unit_file, "tky0070410231756.ns");
  double a = 0, b = 0;
  Failure f = failure_of([&] { list_read(file, {&a, &b}); });
  EXPECT_EQ(f.context, "invalid number");
  EXPECT_EQ(f.unit, 11);
  EXPECT_EQ(f.name, "tky0070410231756.ns");
}

TEST(ListReadTest, TextValues) {
  std::string a, b, c;
  Input in = console("'ab\ncd''e' rest\n\"say \"\"hi\"\"\"\nhello, world/x\nabcdefgh\n");
  list_read(in, {TextItem{&a, 10}});
  EXPECT_EQ(a, "abcd'e    ");  // the quoted text runs on over the line end
  list_read(in, {TextItem{&a, 10}});
  EXPECT_EQ(a, "say \"hi\"  ");
  list_read(in, {TextItem{&a, 6}, TextItem{&b, 6}, TextItem{&c, 6}});
  EXPECT_EQ(a, "hello ");
  EXPECT_EQ(b, "world ");
  EXPECT_EQ(c, "");  // the slash left it unchanged
  list_read(in, {TextItem{&a, 3}});
  EXPECT_EQ(a, "abc");
}

TEST(ListReadTest, ReadWithoutItemsTakesExactlyOneLine) {
  Input in = console("abc def\n\n5\nlast");
  EXPECT_EQ(list_read(in, {}), ReadResult::ok);
  EXPECT_EQ(list_read(in, {}), ReadResult::ok);  // the empty line
  EXPECT_EQ(read_int(in), 5);
  EXPECT_EQ(list_read(in, {}), ReadResult::ok);  // a last line without a line end
  EXPECT_EQ(list_read(in, {}), ReadResult::end_of_file);
  Input empty = console("");
  EXPECT_EQ(list_read(empty, {}), ReadResult::end_of_file);
}

TEST(ListReadTest, EndOfInputWhileAValueIsAwaited) {
  struct Case { const char* text; int items; const char* context; };
  const Case cases[] = {
      {"", 1, "list in"},
      {"\n  \n\t\n", 1, "list in"},
      {"1\n", 2, "list in"},
      {"1", 2, "list in"},
  };
  for (const Case& t : cases) {
    Input in = console(t.text);
    int a = 0, b = 0;
    Failure f = failure_of([&] { t.items == 1 ? list_read(in, {&a}) : list_read(in, {&a, &b}); });
    EXPECT_EQ(f.context, t.context) << t.text;
    EXPECT_EQ(f.reason, "end of file") << t.text;
    EXPECT_EQ(f.format, "list io") << t.text;
  }
  // A read that begins at the end, after a last line without a line end.
  Input open_end = console("head");
  std::string head;
  list_read(open_end, {TextItem{&head, 40}});
  Failure f = failure_of([&] { list_read(open_end, {TextItem{&head, 40}}); });
  EXPECT_EQ(f.context, "read start");
  EXPECT_EQ(f.reason, "end of file");
  // The same after a line end is "list in".
  Input closed_end = console("head\n");
  list_read(closed_end, {TextItem{&head, 40}});
  EXPECT_EQ(failure_of([&] { list_read(closed_end, {TextItem{&head, 40}}); }).context, "list in");
  // End of input inside a quoted text.
  Input quote = console("'never closed\n");
  EXPECT_EQ(failure_of([&] { list_read(quote, {TextItem{&head, 40}}); }).reason, "end of file");
}

TEST(ListReadTest, CarriageReturnBeforeLineFeedIsPartOfTheLineEnd) {
  Input in = console("1\r\n\r\n2 3\r\nab\r\na\rb\r\n");
  EXPECT_EQ(read_int(in), 1);
  EXPECT_EQ(read_int(in), 2);
  std::string t;
  list_read(in, {TextItem{&t, 4}});
  EXPECT_EQ(t, "ab  ");
  list_read(in, {TextItem{&t, 4}});
  EXPECT_EQ(t, "a\rb ");  // a lone carriage return is a character
}

TEST(ListReadTest, EndOfInputEndsTheGroupWhenAsked) {
  struct Case { const char* text; ReadResult result; double a, b, c; };
  const Case cases[] = {
      {"", ReadResult::end_of_file, 9, 9, 9},
      {"\n\n", ReadResult::end_of_file, 9, 9, 9},
      {"1 2\n", ReadResult::end_of_file, 1, 2, 9},
      {"1 2 3\n", ReadResult::ok, 1, 2, 3},
      {"1 2 3", ReadResult::ok, 1, 2, 3},
      {"1 2 3  \t", ReadResult::ok, 1, 2, 3},
      {"1 2 3 4", ReadResult::end_of_file, 1, 2, 3},
      {"1 2 3,", ReadResult::end_of_file, 1, 2, 3},
      {"1 2 3\r\n", ReadResult::ok, 1, 2, 3},
  };
  for (const Case& t : cases) {
    Input in = Input::from_text(t.text, unit_file, "r.ns");
    double a = 9, b = 9, c = 9;
    EXPECT_EQ(list_read(in, {&a, &b, &c}, /*eof_ends=*/true), t.result) << t.text;
    EXPECT_EQ(a, t.a) << t.text;
    EXPECT_EQ(b, t.b) << t.text;
    EXPECT_EQ(c, t.c) << t.text;
  }
}

// --- Formatted read ----------------------------------------------------------

constexpr const char* scale_format = "(18X,F4.0,6X,F10.0)";
const std::string skipped = "Scale Factor      ";  // columns 1 to 18

TEST(FormattedReadTest, ScaleLineFields) {
  struct Case { std::string line; double sf1, sf2; };
  const Case cases[] = {
      {skipped + "7845(gal)/8223790", 7845, 8223790},  // the line end closes sf2
      {skipped + " 250abcdef      1000", 250, 1000},
      {skipped + "1 2 ......  1 0 0 00", 12, 10000},   // blanks are ignored
      {skipped + "12.5      1.5E+3", 12.5, 1500},
      {skipped + "-3  xxxxxx -.25", -3, -0.25},
      {skipped + " 1e2xxxxxx1+2", 100, 100},
      {skipped + "1d-1xxxxxx2.5-1    ", 0.1, 0.25},
      {skipped + "    xxxxxx          ", 0, 0},
      {skipped + "5,abcdef        77", 5, 77},  // columns count on from after the comma
      {skipped + "5,abcdef9", 5, 9},
      {skipped + "  25", 25, 0},
      {skipped + "  25abc", 25, 0},
      {skipped + "  2", 2, 0},
      {"short", 0, 0},
      {skipped + "7845(gal)/8223790\r", 7845, 8223790},
      {skipped + "7845(gal)/   8223790 trailing text", 7845, 8223790},
  };
  for (const Case& t : cases) {
    Input in = Input::from_text(t.line + "\nnext\n", unit_file, "r.ns");
    double sf1 = -1, sf2 = -1;
    try {
      formatted_read(in, Format(scale_format), {&sf1, &sf2});
    } catch (const Failure& f) {
      ADD_FAILURE() << t.line << "\n" << report(f);
      continue;
    }
    EXPECT_EQ(sf1, t.sf1) << t.line;
    EXPECT_EQ(sf2, t.sf2) << t.line;
    std::string word;
    list_read(in, {TextItem{&word, 4}});
    EXPECT_EQ(word, "next") << t.line;  // the read never goes on into the next line
  }
}

TEST(FormattedReadTest, UnexpectedCharacterAndEndOfFile) {
  for (const std::string& line :
       {skipped + "78x5", skipped + "7845xxxxxx82/3790", skipped + "1.2."}) {
    Input in = Input::from_text(line + "\n", unit_file, "tky0070410231756.ns");
    double sf1 = 0, sf2 = 0;
    Failure f = failure_of([&] { formatted_read(in, Format(scale_format), {&sf1, &sf2}); });
    EXPECT_EQ(f.context, "fmt") << line;
    EXPECT_EQ(f.reason, "read unexpected character") << line;
    EXPECT_EQ(f.unit, 11) << line;
    EXPECT_EQ(f.name, "tky0070410231756.ns") << line;
    EXPECT_EQ(f.format, scale_format) << line;
    EXPECT_FALSE(f.writing) << line;
  }
  double sf1 = 0, sf2 = 0;
  Input empty = Input::from_text("", unit_file, "r.ns");
  Failure f = failure_of([&] { formatted_read(empty, Format(scale_format), {&sf1, &sf2}); });
  EXPECT_EQ(f.context, "fmt");
  EXPECT_EQ(f.reason, "end of file");
  EXPECT_EQ(f.format, scale_format);
}

TEST(FormattedReadTest, TextField) {
  Input in = console("  vel.csv\r\n" + std::string(40, 'n') + "\n\nx\n");
  std::string name;
  const Format a30("(A30)");
  formatted_read(in, a30, {TextItem{&name, 30}});
  EXPECT_EQ(name, "  vel.csv                     ");
  formatted_read(in, a30, {TextItem{&name, 30}});
  EXPECT_EQ(name, std::string(30, 'n'));
  formatted_read(in, a30, {TextItem{&name, 30}});  // an empty line is a name of blanks
  EXPECT_EQ(name, std::string(30, ' '));
  formatted_read(in, a30, {TextItem{&name, 30}});
  EXPECT_EQ(name, "x" + std::string(29, ' '));
}

std::string digits(std::size_t n, char d) { return std::string(n, d); }

TEST(LongValueTest, NumbersOfAnyLengthReadAsTheirValue) {
  // The halfway point between 1 and the next double, written out exactly:
  // it rounds to even (1); anything above it, however far out, rounds up.
  const std::string halfway = "1.00000000000000011102230246251565404236316680908203125";
  struct Case { std::string text; double v; };
  const Case cases[] = {
      {"1" + digits(1000000, '0') + "e-1000000", 1.0},
      {"0." + digits(999999, '0') + "1e1000000", 1.0},
      {digits(1000000, '0') + "12.5", 12.5},
      {"-12.5" + digits(1000000, '0'), -12.5},
      {"-0." + digits(1000000, '0'), -0.0},
      {halfway + digits(2000, '0'), 1.0},
      {halfway + digits(2000, '0') + "1", 1.0000000000000002},
      {digits(1000000, '7') + "e-999990", 7777777777.7777777777},
      {"1e" + digits(1000000, '0') + "5", 1e5},
      {"1." + digits(1000000, '0') + "e-400", 0.0},  // below the smallest double
  };
  for (const Case& t : cases) {
    Input in = console(t.text + "\n");
    const double v = read_double(in);
    EXPECT_EQ(v, t.v) << t.text.substr(0, 60);
    EXPECT_EQ(std::signbit(v), std::signbit(t.v)) << t.text.substr(0, 60);
  }
}

TEST(LongValueTest, IntegersCountsAndRepeatedTextOfAnyLength) {
  struct Case { std::string text; int v; };
  const Case cases[] = {
      {digits(1000000, '0') + "42", 42},
      {"-" + digits(1000000, '0') + "2147483648", -2147483647 - 1},
      {digits(1000000, '0') + "3*5", 5},
  };
  for (const Case& t : cases) {
    Input in = console(t.text + "\n");
    EXPECT_EQ(read_int(in), t.v) << t.text.substr(0, 40);
  }
  Input repeated = console(digits(1000000, '0') + "2*7 9\n");
  int a = 0, b = 0, c = 0;
  list_read(repeated, {&a, &b, &c});
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(c, 9);
  // A repeated value that lands in a text item keeps its first characters.
  Input text = console("2*1.5" + digits(100000, '0') + "\n");
  double d = 0;
  std::string t;
  list_read(text, {&d, TextItem{&t, 8}});
  EXPECT_EQ(d, 1.5);
  EXPECT_EQ(t, "1.500000");

  struct Bad { std::string text; bool integer; const char* context; const char* reason; };
  const Bad bad[] = {
      {digits(1000000, '9'), true, "invalid integer", "integer overflow"},
      {digits(1000000, '7'), false, "invalid number", "numeric overflow"},
      {digits(1000000, '0') + "*5", false, "bad repetition count", "incomprehensible list input"},
      {digits(1000000, '1') + "x", false, "invalid number", "incomprehensible list input"},
      {"1e" + digits(1000000, '1'), false, "exponent field", "incomprehensible list input"},
      {digits(1000000, '1') + ".5", true, "invalid integer", "read unexpected character"},
  };
  for (const Bad& t : bad) {
    Input in = console(t.text + "\n");
    int i = 0;
    double v = 0;
    Failure f = failure_of([&] { t.integer ? list_read(in, {&i}) : list_read(in, {&v}); });
    EXPECT_EQ(f.context, t.context) << t.text.substr(0, 40);
    EXPECT_EQ(f.reason, t.reason) << t.text.substr(0, 40);
  }
}

// The plain line of the failure a read of one double throws.
std::string plain_line(Input& in) {
  double v = 0;
  return failure_of([&] {
           for (;;) list_read(in, {&v});
         }).detail;
}

TEST(PlainWordsTest, AFileFailureNamesTheFileAndLine) {
  struct Case { std::string text; std::string plain; };
  const Case cases[] = {
      {"1\n2\nx 3\n", "Line 3 of the record file a.ns could not be read."},
      {"1\r\n\r\n2 3\r\n  x\r\n", "Line 4 of the record file a.ns could not be read."},
      {"1\n2\n", "The record file a.ns ends after line 2."},
      {"1\n2", "The record file a.ns ends after line 2."},
      {"", "The record file a.ns is empty."},
  };
  for (const Case& t : cases) {
    Input in = Input::from_text(t.text, unit_file, "a.ns");
    in.describe("record file");
    EXPECT_EQ(plain_line(in), t.plain) << t.text;
  }
  // Undescribed streams are still named.
  Input file = Input::from_text("x\n", unit_file, "b.ew");
  EXPECT_EQ(plain_line(file), "Line 1 of the file b.ew could not be read.");
  Input unnamed = console("\n\nx\n");
  EXPECT_EQ(plain_line(unnamed), "Line 3 of the input could not be read.");
}

TEST(PlainWordsTest, AConsoleFailureNamesTheQuestionOnTheScreen) {
  struct Case { std::string answers; std::size_t limit; std::string plain; };
  const Case cases[] = {
      {"x\n", 0, "The answer to \"Skip Data? (no=0)\" could not be read."},
      {"", 0, "The input ended while the answer to \"Skip Data? (no=0)\" was awaited."},
      {"123456789\n", 8, "The answer to \"Skip Data? (no=0)\" is longer than 8 characters."},
  };
  for (const Case& t : cases) {
    Output screen(::open("/dev/null", O_WRONLY), unit_console_out, std::nullopt, false);
    Input in = console(t.answers);
    in.tie(&screen);
    in.limit_line(t.limit);
    list_write(screen, {"Earlier question?"});
    list_write(screen, {" Skip Data? (no=0) "});
    list_write(screen, {});  // an empty line after it changes nothing
    EXPECT_EQ(plain_line(in), t.plain) << t.answers;
  }
}

TEST(LineLimitTest, ALineOfTheLimitIsReadOneMoreIsRefused) {
  // Read through a descriptor, so that long lines span refills of the
  // buffer; the line end is not counted, with or without a CR.
  const std::size_t limit = 100000;
  struct Case { std::string line; const char* end; bool refused; };
  const Case cases[] = {
      {"7" + std::string(limit - 1, ' '), "\n", false},
      {"7" + std::string(limit - 1, ' '), "\r\n", false},
      {"7" + std::string(limit, ' '), "\n", true},
      {"7" + std::string(limit, ' '), "\r\n", true},
      {"7" + std::string(limit, ' '), "", true},    // the last line, without a line end
      {std::string(limit + 1, '0'), "\n", true},    // refused inside the value
      {std::string(3 * limit, '0'), "", true},
  };
  for (const Case& t : cases) {
    const int fd = memfd_create("line", 0);
    ASSERT_GE(fd, 0);
    const std::string text = "1\n" + t.line + t.end + "2\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    lseek(fd, 0, SEEK_SET);
    Input in(fd, unit_console_in, std::nullopt);
    in.limit_line(limit);
    EXPECT_EQ(read_int(in), 1);
    if (t.refused) {
      int v = 0;
      Failure f = failure_of([&] { list_read(in, {&v}); });
      EXPECT_EQ(f.context, "list in") << t.line.size() << t.end;
      EXPECT_EQ(f.reason, "line too long") << t.line.size() << t.end;
    } else {
      EXPECT_EQ(read_int(in), 7) << t.line.size() << t.end;
      EXPECT_EQ(read_int(in), 2) << t.line.size() << t.end;
    }
  }
}

}  // namespace
}  // namespace smproc::textio
