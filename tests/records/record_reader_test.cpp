#include "records/record_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "textio/failure.h"
#include "textio/text_output.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::TempDir;
using textio::Failure;

const char* const ns_name = "tky0070410231756.ns";
const std::string scale_7845 = "Scale Factor      7845(gal)/8223790";
const std::string echo_7845 = "  7845.  8223790.\n";
const std::string scale_unit = "Scale Factor         1(gal)/1";
const std::string echo_unit = "  1.  1.\n";

// Header lines 1 to 13, the scale line, header lines 15 to 17.
std::vector<std::string> header(const std::string& scale) {
  return {"Origin Time       2007/04/10 23:17:00", "Lat.              35.652",
          "Long.             139.545",             "Depth. (km)       40",
          "Mag.              4.5",                 "Station Code      STA001",
          "Station Lat.      35.681",              "Station Long.     139.767",
          "Station Height(m) 20",                  "Record Time       2007/04/10 23:17:56",
          "Sampling Freq(Hz) 100Hz",               "Duration Time(s)  60",
          "Dir.              N-S",                 scale,
          "Max. Acc. (gal)   1.234",               "Last Correction   2007/04/10 23:17:41",
          "Memo."};
}

std::string join(const std::vector<std::string>& lines, const std::string& eol = "\n") {
  std::string text;
  for (const std::string& l : lines) text += l + eol;
  return text;
}

// The values first, first+1, ... written `per_line` to a line.
std::string sample_lines(int first, int count, int per_line) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += std::to_string(first + k);
    text += (k + 1) % per_line == 0 || k + 1 == count ? "\n" : " ";
  }
  return text;
}

std::string end_line(const std::string& console) {
  return "\n NT and DT= " + console + "  0.00999999978\n";
}

// 0.01 s held in single precision, widened: the run's sampling interval.
const double dt = static_cast<double>(0.01f);

// The working folder while it lives.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(old_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path old_;
};

class RecordReaderTest : public ::testing::Test {
 protected:
  // Reads `text` as the NS record into xr_ by its full name; returns the
  // lines the run shows of it: the scale factors, then the count.
  std::string read(const std::string& text) {
    dir_.write(ns_name, text);
    std::string shown;
    r_ = read_named((dir_.path() / ns_name).string(), shown);
    return shown;
  }

  // Reads the record `name` as the run does, the lines it shows of it into
  // `shown` as they arise.
  RecordRead read_named(const std::string& name, std::string& shown) {
    textio::Output out = textio::Output::to_text(&shown, textio::unit_console_out, std::nullopt);
    RecordHeader h;
    SampleCount n;
    try {
      {
        textio::Input in = open_record(name, true);
        h = read_record_header(in);
        textio::list_write(out, {h.sf1, h.sf2});
        n = read_samples(in, h, xr_);
      }
      textio::list_write(out, {});
      textio::list_write(out, {"NT and DT=", n.nt, dt});
    } catch (const Failure&) {
      out.close();
      throw;
    }
    out.close();
    calibrate(xr_, n.nt, h.sf1, h.sf2);
    return record_read(std::move(h), n);
  }

  // The failure that reading `text` ends with, and the console text before it.
  // The record is named as the run names it, in its folder, as the report shows it.
  Failure read_failing(const std::string* text, std::string& console) {
    if (text) dir_.write(ns_name, *text);
    InFolder here(dir_.path());
    try {
      read_named(ns_name, console);
    } catch (const Failure& f) {
      return f;
    }
    ADD_FAILURE() << "no failure";
    return {};
  }

  TempDir dir_;
  Series xr_;
  RecordRead r_;
};

TEST_F(RecordReaderTest, MeanRemovalThenScalingInTheStatedOrder) {
  const double v[16] = {-3, 7, 12, -25, 4, 0, 18, -9, 2, 31, -14, 6, 5, -1, 22, 3};
  std::string samples;
  for (int k = 0; k < 16; ++k)
    samples += std::to_string(static_cast<int>(v[k])) + (k % 8 == 7 ? "\n" : "  ");
  EXPECT_EQ(read(join(header(scale_7845)) + samples), echo_7845 + end_line("16"));
  EXPECT_EQ(r_.nt, 16);
  const double avg = 58.0 / 16.0;  // the sum of the values is 58
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(xr_.get(i), ((v[i - 1] - avg) * 7845.0) / 8223790.0) << i;
}

TEST_F(RecordReaderTest, MeanIsSummedInIndexOrder) {
  // 1e16 + 1 rounds back to 1e16, so the ones vanish and the mean is 0.
  read(join(header(scale_7845)) + "1e16 1 1 1 1 1 1 -1e16\n");
  EXPECT_EQ(xr_.get(2), (1.0 * 7845.0) / 8223790.0);
  EXPECT_EQ(xr_.get(8), (-1e16 * 7845.0) / 8223790.0);
}

TEST_F(RecordReaderTest, IncompleteLastGroupStaysRawAndUncounted) {
  xr_.extend_to(810);
  for (int i = 1; i <= 810; ++i) xr_(i) = 5.0;  // held positions are never cleared
  EXPECT_EQ(read(join(header(scale_unit)) + sample_lines(1, 803, 8)), echo_unit + end_line("800"));
  EXPECT_EQ(r_.nt, 800);
  EXPECT_EQ(xr_.get(1), 1.0 - 400.5);
  EXPECT_EQ(xr_.get(800), 800.0 - 400.5);
  EXPECT_EQ(xr_.get(801), 801.0);
  EXPECT_EQ(xr_.get(803), 803.0);
  EXPECT_EQ(xr_.get(804), 5.0);
  // In a fresh series the positions the last group did not reach read as zero.
  xr_ = Series{};
  read(join(header(scale_unit)) + sample_lines(1, 803, 8));
  EXPECT_EQ(xr_.get(803), 803.0);
  EXPECT_EQ(xr_.get(804), 0.0);
  EXPECT_EQ(xr_.get(809), 0.0);
}

TEST_F(RecordReaderTest, FewerThanEightValuesGiveNoCount) {
  EXPECT_EQ(read(join(header(scale_7845)) + "1 2 3 4 5\n"), echo_7845 + end_line("0"));
  EXPECT_EQ(r_.nt, 0);
  EXPECT_EQ(xr_.get(1), 1.0);
  EXPECT_EQ(xr_.get(5), 5.0);
  EXPECT_EQ(read(join(header(scale_7845))), echo_7845 + end_line("0"));
  EXPECT_EQ(r_.nt, 0);
}

TEST_F(RecordReaderTest, GroupsAndLines) {
  struct Case { const char* name; std::string samples; int nt; std::vector<double> raw; };
  const std::vector<Case> cases = {
      {"ten per line lose 9 and 10", sample_lines(1, 10, 10) + sample_lines(11, 10, 10), 16,
       {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18}},
      {"four per line lose nothing", sample_lines(1, 16, 4), 16,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
      {"slash ends a group", "1 2 3 / 9 9\n11 12 13 14 15 16 17 18\n", 16,
       {1, 2, 3, 0, 0, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18}},
      {"repeats beyond the group are dropped", "10*2\n3 4 5 6 7 8 9 10\n", 16,
       {2, 2, 2, 2, 2, 2, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"separators", "1,2\t3 ,4\n\n  5 6,7 , 8\n", 8, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"last line without a line end", "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8", 16,
       {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"last line with trailing blanks", "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8  \t", 16,
       {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"last line with a ninth value", "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8 9", 8,
       {1, 2, 3, 4, 5, 6, 7, 8}},
      {"last line with a comma", "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8,", 8, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const Case& t : cases) {
    xr_ = Series{};
    EXPECT_EQ(read(join(header(scale_unit)) + t.samples),
              echo_unit + end_line(std::to_string(t.nt)))
        << t.name;
    EXPECT_EQ(r_.nt, t.nt) << t.name;
    double sum = 0;
    for (double x : t.raw) sum += x;
    const double avg = sum / t.nt;
    for (int i = 1; i <= t.nt; ++i) EXPECT_EQ(xr_.get(i), t.raw[i - 1] - avg) << t.name << " " << i;
  }
}

// The values read after the last complete group: counted as left out, so
// that the user can be told, whatever ends the group.
TEST_F(RecordReaderTest, ValuesAfterTheLastFullGroupAreCountedAsLeftOut) {
  struct Case { const char* name; std::string samples; int nt; long long left_out; };
  const std::vector<Case> cases = {
      {"whole groups", sample_lines(1, 16, 8), 16, 0},
      {"three after the groups", sample_lines(1, 803, 8), 800, 3},
      {"seven after the groups", sample_lines(1, 15, 8), 8, 7},
      {"fewer than eight in all", "1 2 3 4 5\n", 0, 5},
      {"no samples", "", 0, 0},
      {"four per line, one short", sample_lines(1, 14, 4), 8, 6},
      {"a null value is a value", "1 2 3 4 5 6 7 8\n1,,3\n", 8, 3},
      {"a ninth value at the end without a line end", "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8 9", 8,
       8},
      {"a repeat that ends the file", "1 2 3 4 5 6 7 8\n3*4\n", 8, 3},
  };
  for (const Case& t : cases) {
    xr_ = Series{};
    read(join(header(scale_unit)) + t.samples);
    EXPECT_EQ(r_.nt, t.nt) << t.name;
    EXPECT_EQ(r_.left_out, t.left_out) << t.name;
  }
}

TEST_F(RecordReaderTest, CarriageReturnLineEndsReadAsLineFeeds) {
  const double v[8] = {-3, 7, 12, -25, 4, 0, 18, -9};
  const std::string console = read(join(header(scale_7845), "\r\n") + "-3 7 12 -25 4 0 18 -9\r\n");
  EXPECT_EQ(console, echo_7845 + end_line("8"));
  const double avg = 4.0 / 8.0;
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(xr_.get(i), ((v[i - 1] - avg) * 7845.0) / 8223790.0) << i;
  // Long files, shifted place by place, so that a line end falls wherever the reading splits.
  std::string lines;
  for (int k = 0; k < 4000; ++k) lines += "1 2 3 4 5 6 7 8\r\n";
  for (int pad = 0; pad < 17; ++pad) {
    xr_ = Series{};
    EXPECT_EQ(read(join(header(scale_unit), "\r\n") + std::string(pad, ' ') + lines),
              echo_unit + end_line("32000"))
        << pad;
    for (int i = 1; i <= 32000; ++i)
      ASSERT_EQ(xr_.get(i), (i - 1) % 8 + 1 - 4.5) << pad << " " << i;
  }
}

TEST_F(RecordReaderTest, HeaderLinesThatSkipsPassOverOrJoin) {
  const std::string decoy = "Scale Factor      1111(gal)/2222";
  // An empty or blank line among the first 13 is not counted: the scale line is the 15th.
  for (const std::string extra : {"", "  \t "}) {
    std::vector<std::string> lines = header(scale_7845);
    lines[12] = decoy;
    lines.insert(lines.begin() + 3, extra);
    EXPECT_EQ(read(join(lines) + sample_lines(1, 8, 8)), echo_7845 + end_line("8"));
  }
  // A quoted item running over a line end makes one skip take two lines.
  std::vector<std::string> quoted = header(scale_7845);
  quoted[12] = decoy;
  quoted[1] = "'Memo of two";
  quoted.insert(quoted.begin() + 2, "lines' end");
  quoted[4] = ", 'a comma first: this line only";  // any other first character: one line
  quoted[5] = "/ 'a slash first";
  EXPECT_EQ(read(join(quoted) + sample_lines(1, 8, 8)), echo_7845 + end_line("8"));
  // An empty line among the 3 after the scale line: the first sample line is consumed.
  std::vector<std::string> after = header(scale_unit);
  after[15] = "";
  EXPECT_EQ(read(join(after) + sample_lines(1, 8, 8) + sample_lines(11, 8, 8)),
            echo_unit + end_line("8"));
  EXPECT_EQ(xr_.get(1), 11.0 - 14.5);
  EXPECT_EQ(xr_.get(8), 18.0 - 14.5);
}

TEST_F(RecordReaderTest, HeaderHoldsTheLinesPassedOverWithoutBlankOnes) {
  const std::vector<std::string> lines = header(scale_7845);
  // Blank lines among the first 13 and among the 3 after the scale line.
  std::vector<std::string> spaced = lines;
  spaced.insert(spaced.begin() + 15, "  \t ");
  spaced.insert(spaced.begin() + 3, "");
  for (const std::string eol : {"\n", "\r\n"}) {
    for (const auto& text : {lines, spaced}) {
      EXPECT_EQ(read(join(text, eol) + sample_lines(1, 8, 8)), echo_7845 + end_line("8"));
      EXPECT_EQ(r_.header, lines) << text.size() << " lines";
    }
  }
  // A line 16 left empty: the line skips pass over 17 and the first sample line.
  std::vector<std::string> emptied = lines;
  emptied[15] = "";
  read(join(emptied) + sample_lines(1, 8, 8) + sample_lines(11, 8, 8));
  std::vector<std::string> passed(lines.begin(), lines.begin() + 15);
  passed.push_back(lines[16]);
  passed.push_back("1 2 3 4 5 6 7 8");
  EXPECT_EQ(r_.header, passed);
}

TEST_F(RecordReaderTest, ScaleFields) {
  struct Case { std::string scale; std::string echo; double sf1, sf2; };
  const Case cases[] = {
      {"Scale Factor      12.5(gal)/8", "  12.5  8.\n", 12.5, 8},
      {"Scale Factor      1 2 (gal)/      1000", "  12.  1000.\n", 12, 1000},
      {"Scale Factor      250 cm/s2      1000 and more", "  250.  1000.\n", 250, 1000},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(read(join(header(t.scale)) + "1 2 3 4 5 6 7 9\n"), t.echo + end_line("8")) << t.scale;
    EXPECT_EQ(r_.sf1, t.sf1) << t.scale;
    EXPECT_EQ(r_.sf2, t.sf2) << t.scale;
    EXPECT_EQ(xr_.get(8), ((9.0 - 4.625) * t.sf1) / t.sf2) << t.scale;
  }
}

TEST_F(RecordReaderTest, ScaleLineEndingBeforeColumn29GivesInfinities) {
  EXPECT_EQ(read(join(header("Scale Factor      7845(ga")) + "1 3 2 2 2 2 2 2\n"),
            "  7845.  0.\n" + end_line("8"));
  EXPECT_EQ(xr_.get(1), -INFINITY);
  EXPECT_EQ(xr_.get(2), INFINITY);
  EXPECT_TRUE(std::isnan(xr_.get(3)));
}

TEST_F(RecordReaderTest, OverlongRecordIsCountedButNotStoredPastTheCapacity) {
  EXPECT_EQ(read(join(header(scale_unit)) + sample_lines(1, 33008, 8)),
            echo_unit + end_line("33008"));
  EXPECT_EQ(r_.nt, 33008);
  EXPECT_EQ(r_.values, 33008);
  EXPECT_EQ(xr_.size(), capacity);
  EXPECT_EQ(xr_.get(capacity + 1), 0.0);
}

// The report's lines after the first: the record's unit and name, the
// format, and in plain words where the reading stopped.
std::string state_lines(const std::string& format, const std::string& plain) {
  return std::string("apparent state: unit 11 named ") + ns_name + "\nlast format: " + format +
         "\nlately reading sequential formatted external IO\n" + plain + "\n";
}

std::string ends_after(int line) {
  return std::string("The record file ") + ns_name + " ends after line " + std::to_string(line) +
         ".";
}

std::string unreadable(int line) {
  return "Line " + std::to_string(line) + " of the record file " + ns_name +
         " could not be read.";
}

TEST_F(RecordReaderTest, MissingFileIsCreatedEmptyAndReportsEndOfFile) {
  std::string console;
  Failure f = read_failing(nullptr, console);
  EXPECT_EQ(textio::report(f),
            "list in: end of file\n"
            "apparent state: unit 11 named tky0070410231756.ns\n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n"
            "The record file tky0070410231756.ns is empty.\n");
  EXPECT_TRUE(dir_.exists(ns_name));
  EXPECT_EQ(dir_.read(ns_name), "");
  EXPECT_EQ(console, "");
}

TEST_F(RecordReaderTest, FailureReports) {
  const std::vector<std::string> lines = header(scale_7845);
  const std::string head = join(lines);
  auto first = [&](int n) { return join({lines.begin(), lines.begin() + n}); };
  struct Case { const char* name; std::string text; std::string report; std::string console; };
  const std::vector<Case> cases = {
      {"ends within the first header lines", first(3),
       "list in: end of file\n" + state_lines("list io", ends_after(3)), ""},
      {"last header line without a line end", first(2) + lines[2],
       "read start: end of file\n" + state_lines("list io", ends_after(3)), ""},
      {"ends before the scale line", first(13),
       "fmt: end of file\n" + state_lines("(18X,F4.0,6X,F10.0)", ends_after(13)), ""},
      {"scale line missing after a line without a line end",
       first(12) + lines[12],
       "read start: end of file\n" + state_lines("(18X,F4.0,6X,F10.0)", ends_after(13)), ""},
      {"ends within the last header lines", first(15),
       "list in: end of file\n" + state_lines("list io", ends_after(15)), echo_7845},
      {"bad scale character",
       first(13) + "Scale Factor      78x5(gal)/8223790\n",
       "fmt: read unexpected character\n" + state_lines("(18X,F4.0,6X,F10.0)", unreadable(14)),
       ""},
      {"word among samples", head + "1 2 3 4 5 6 7 8\n1 2 three 4 5 6 7 8\n",
       "invalid number: incomprehensible list input\n" + state_lines("list io", unreadable(19)),
       echo_7845},
      {"zero repeat count", head + "1 2 3 0*4 5 6 7 8\n",
       "bad repetition count: incomprehensible list input\n" + state_lines("list io", unreadable(18)),
       echo_7845},
      {"asterisk without count", head + "1 2 3 *4 5 6 7 8\n",
       "bad repetition count: incomprehensible list input\n" + state_lines("list io", unreadable(18)),
       echo_7845},
      {"exponent without digits", head + "1 2 3 1.5e 5 6 7 8\n",
       "exponent field: incomprehensible list input\n" + state_lines("list io", unreadable(18)),
       echo_7845},
  };
  for (const Case& t : cases) {
    std::string console;
    Failure f = read_failing(&t.text, console);
    EXPECT_EQ(textio::report(f), t.report) << t.name;
    EXPECT_EQ(console, t.console) << t.name;
  }
}

}  // namespace
}  // namespace smproc
