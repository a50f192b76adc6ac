// The questions and echoes of polarity, grid, band-pass and operator: the
// console text exactly, and the answers read.
#include "dialogue/processing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

const char* const first_question = "\n  Change +/-? (YES=1)?? :\n";

// The answer after the dialogue's own is still unread.
void expect_next_answer(CapturedConsole& c, int want, const std::string& what) {
  int next = 0;
  textio::list_read(c.con().in, {&next});
  EXPECT_EQ(next, want) << what << ": the next answer is still unread";
}

TEST(PolarityQuestionsTest, OneAsksPerComponent) {
  Answers a;
  CapturedConsole c("1\n0\n1\n0\n");
  ask_polarity(c.con(), a);
  EXPECT_EQ(c.text(), std::string(first_question) +
                          "\n  Change from + to - of FILE 1 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 2 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 3 ? (YES=1)?? :\n");
  EXPECT_EQ(a.polarity_change, 1);
  EXPECT_EQ(a.reverse, (PerComponent<int>{0, 1, 0}));
}

TEST(PolarityQuestionsTest, AnyAnswerButOneAsksNothingMore) {
  for (const char* answer : {"0\n", "2\n", "-1\n"}) {
    Answers a;
    CapturedConsole c(std::string(answer) + "1\n");
    ask_polarity(c.con(), a);
    EXPECT_EQ(c.text(), first_question) << answer;
    EXPECT_EQ(a.reverse, (PerComponent<int>{0, 0, 0})) << answer;
    expect_next_answer(c, 1, answer);
  }
}

TEST(GridEchoTest, EchoLinesOfTheWorkedGrids) {
  struct Case { int nt; const char* echo; };
  const Case cases[] = {
      {6000,
       "\n  IF1,NF= 13 8192\n\n  DUR,DOM,NOM,EOM=  81.9199982  0.0766990411 4097  314.235971\n"
       "  Highest Frequency (hz)=  50.0122081\n"},
      {4096,
       "\n  IF1,NF= 12 4096\n\n  DUR,DOM,NOM,EOM=  40.9599991  0.153398082 2049  314.31267\n"
       "  Highest Frequency (hz)=  50.0244152\n"},
  };
  for (const Case& t : cases) {
    const std::optional<Grid> g = choose_grid(t.nt, static_cast<double>(0.01f));
    ASSERT_TRUE(g) << t.nt;
    CapturedConsole c("");
    echo_grid(c.con(), *g);
    EXPECT_EQ(c.text(), t.echo);
  }
  CapturedConsole c("");
  echo_too_long(c.con());
  EXPECT_EQ(c.text(), "  NT>2**15 !!!!!\n");
}

TEST(BandpassQuestionsTest, YesAsksForCorners) {
  Answers a;
  CapturedConsole c("1\n1 5 2 3\n");
  textio::Warnings warnings;
  ask_bandpass(c.con(), warnings, a);
  EXPECT_EQ(c.text(),
            "\n  Band Pass Filter? (YES=1)?? :\n\n   TRAPEZOIDAL BAND PATH FILTER\n"
            "   ENTER fL1<fL2<fH1<fH2 (Hz)\n");
  EXPECT_EQ(a.bandpass, 1);
  EXPECT_EQ(a.bandpass_corners.fl1, 1);
  EXPECT_EQ(a.bandpass_corners.fl2, 5);
  EXPECT_EQ(a.bandpass_corners.fh2, 3);
  ASSERT_EQ(warnings.all().size(), 1u);
  EXPECT_EQ(warnings.all()[0],
            "band-pass corners 1 5 2 3 Hz are not in increasing order (fL1<fL2<fH1<fH2); they "
            "are used as typed, so the filter is not the trapezoid asked for");
}

TEST(BandpassQuestionsTest, AnyOtherAnswerReadsNothingMore) {
  for (const char* answer : {"0\n", "2\n", "-1\n"}) {
    Answers a;
    CapturedConsole c(std::string(answer) + "7\n");
    textio::Warnings warnings;
    ask_bandpass(c.con(), warnings, a);
    EXPECT_EQ(c.text(), "\n  Band Pass Filter? (YES=1)?? :\n") << answer;
    expect_next_answer(c, 7, answer);
  }
}

// Corners between which no bin lies leave all-zero outputs: the user is told.
TEST(BandpassQuestionsTest, BandThatPassesNoBinIsWarnedOf) {
  const std::optional<Grid> g = choose_grid(6000, static_cast<double>(0.01f));
  ASSERT_TRUE(g);
  struct Case { Corners corners; bool warned; };
  const Case cases[] = {
      {{0.1, 0.1, 0.1, 0.1}, true},   // no bin strictly between equal corners
      {{60, 70, 80, 90}, true},       // above the Nyquist frequency
      {{0.1, 0.2, 20, 25}, false},
      {{5, 6, 1, 2}, false},          // reversed: already warned of as removing everything
  };
  for (const Case& t : cases) {
    Answers a;
    a.bandpass = 1;
    a.bandpass_corners = t.corners;
    textio::Warnings warnings;
    warn_of_empty_band(warnings, a, *g);
    EXPECT_EQ(warnings.all().size(), t.warned ? 1u : 0u) << t.corners.fl1;
  }
  Answers a;
  a.bandpass = 1;
  a.bandpass_corners = {60, 70, 80, 90};
  textio::Warnings warnings;
  warn_of_empty_band(warnings, a, *g);
  EXPECT_EQ(warnings.all()[0],
            "the band-pass 60 70 80 90 Hz passes no frequency of the record (its bins lie "
            "0.01221 Hz apart, from 0 to 50 Hz): amp3.csv and the waveform file hold only "
            "zeros");
}

// Corners past 1/(2 dt) are named, each with its value, in one warning.
TEST(BandpassQuestionsTest, CornersAboveTheNyquistFrequencyAreWarnedOf) {
  const double dt100 = static_cast<double>(0.01f), dt200 = static_cast<double>(0.005f);
  const std::string rest =
      " above the Nyquist frequency, 50 Hz (1/(2 dt), dt 0.01 s): the record holds no frequency "
      "above it, so the trapezoid is cut there";
  struct Case { Corners corners; double dt; int bandpass; std::vector<std::string> warnings; };
  const Case cases[] = {
      {{0.1, 0.2, 20, 25}, dt100, 1, {}},
      {{0.1, 0.2, 40, 50}, dt100, 1, {}},  // at the Nyquist frequency, not above it
      {{0.1, 0.2, 40, 60}, dt100, 1, {"band-pass corner fH2 60 Hz lies" + rest}},
      {{0.1, 0.2, 55, 60}, dt100, 1, {"band-pass corners fH1 55 Hz and fH2 60 Hz lie" + rest}},
      {{60, 70, 80, 90}, dt100, 1,
       {"band-pass corners fL1 60 Hz, fL2 70 Hz, fH1 80 Hz and fH2 90 Hz lie" + rest}},
      {{0.1, 0.2, 40, 60}, dt200, 1, {}},  // 200 Hz: the Nyquist frequency is 100 Hz
      {{0.1, 0.2, 40, 60}, dt100, 0, {}},  // no band-pass asked for
  };
  for (const Case& t : cases) {
    Answers a;
    a.bandpass = t.bandpass;
    a.bandpass_corners = t.corners;
    textio::Warnings warnings;
    warn_of_corners_above_nyquist(warnings, a, t.dt);
    EXPECT_EQ(warnings.all(), t.warnings) << t.corners.fh2 << " " << t.dt;
  }
}

TEST(OperationQuestionTest, ShowsChoicesAndReadsTheAnswer) {
  Answers a;
  CapturedConsole c("1\n");
  ask_operation(c.con(), a);
  EXPECT_EQ(c.text(),
            "\n  Integration/Differentiation:\n"
            "  NO Change         :                 (Enter=0)\n"
            "  Integration       : Ex.) acc -> vel (Enter=1)\n"
            "  Double Integration: Ex.) acc -> dis (Enter=2)\n"
            "  Differentiation:  : Ex.) Vel -> acc (Enter=3)\n");
  EXPECT_EQ(a.operation, 1);
}

}  // namespace
}  // namespace smproc
