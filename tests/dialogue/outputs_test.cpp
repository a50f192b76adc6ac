// The questions and echoes of the output steps: the console text exactly,
// the answers read and what the user is warned of.
#include "dialogue/outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

const double dt = static_cast<double>(0.01f);

TEST(SpectrumFileAnnouncementTest, NamesTheFile) {
  CapturedConsole c("");
  announce_spectrum_file(c.con());
  EXPECT_EQ(c.text(), "\n Fourier Spectrum data are stored in \"amp3.csv\"\n");
}

TEST(WindowQuestionsTest, StartAndDurationShownAsSamples) {
  Answers a;
  CapturedConsole c("1\n1.0\n10.0\n");
  textio::Warnings warnings;
  EXPECT_TRUE(ask_window(c.con(), warnings, dt, 6000, a));
  echo_window_count(c.con(), a.window_samples);
  EXPECT_EQ(c.text(),
            "\n Cutting data? (No=0,Yes=1)\n Enter Starting Time (sec)\n"
            " Number of Cutting Data = 100\n Enter Duration (sec)\n Number of data = 1001\n"
            " New nt = 1001\n");
  EXPECT_EQ(a.window_offset, 100);
  EXPECT_EQ(a.window_samples, 1001);
  EXPECT_TRUE(warnings.all().empty());
}

TEST(WindowQuestionsTest, WarnsOfWindowsOutsideTheRecord) {
  struct Case { const char* answers; const char* warning; };
  const Case cases[] = {
      {"1\n-0.5\n1.0\n",
       "the window from -0.5 s for 1 s lies partly outside the record (0 to 59.99 s): samples "
       "before its start are zeros, samples past its end come from the transform's zero "
       "padding"},
      {"1\n0\n-1.0\n",
       "the window length -1 s is not positive: the waveform file holds no samples"},
  };
  for (const Case& t : cases) {
    Answers a;
    CapturedConsole c(t.answers);
    textio::Warnings warnings;
    ask_window(c.con(), warnings, dt, 6000, a);
    ASSERT_EQ(warnings.all().size(), 1u) << t.answers;
    EXPECT_EQ(warnings.all()[0], t.warning);
  }
}

TEST(WindowQuestionsTest, NoCutGoesStraightToTheSkipQuestion) {
  for (const char* answer : {"0\n4\n", "2\n4\n"}) {
    Answers a;
    CapturedConsole c(answer);
    textio::Warnings warnings;
    EXPECT_FALSE(ask_window(c.con(), warnings, dt, 6000, a));
    ask_skip(c.con(), warnings, 6000, a);
    EXPECT_EQ(c.text(),
              "\n Cutting data? (No=0,Yes=1)\n\n Skip Data (no=0; yes=skip number)?\n");
    EXPECT_EQ(a.skip, 4);
    EXPECT_EQ(a.stride, 5);
    EXPECT_TRUE(warnings.all().empty());
  }
}

// A negative skip is used as typed, and the user is told what the file holds.
TEST(SkipQuestionTest, NegativeSkipIsWarnedOf) {
  struct Case { const char* answer; int nt; const char* warning; };
  const Case cases[] = {
      {"-1\n", 6000,
       "the skip answer -1 is negative (samples left out between rows): it is taken as 0, so "
       "the waveform file holds every sample"},
      {"-3\n", 6000,
       "the skip answer -3 is negative (samples left out between rows): the waveform file "
       "holds only its header line, no samples"},
      {"-3\n", 1,
       "the skip answer -3 is negative (samples left out between rows): the waveform file "
       "holds 1 row only"},
  };
  for (const Case& t : cases) {
    Answers a;
    CapturedConsole c(t.answer);
    textio::Warnings warnings;
    ask_skip(c.con(), warnings, t.nt, a);
    EXPECT_EQ(warnings.all(), std::vector<std::string>{t.warning}) << t.answer;
  }
}

TEST(WaveformNameQuestionTest, FirstThirtyCharactersWithAWarningWhenCut) {
  Answers a;
  CapturedConsole c("abcdefghijklmnopqrstuvwxyz0123456789.csv\n");
  textio::Warnings warnings;
  ask_waveform_name(c.con(), warnings, a);
  EXPECT_EQ(c.text(), "\n Enter output file name of waveform (csv format file)\n");
  EXPECT_EQ(a.waveform_name, "abcdefghijklmnopqrstuvwxyz0123");
  ASSERT_EQ(warnings.all().size(), 1u);
  EXPECT_EQ(warnings.all()[0],
            "the waveform file name was cut to 30 characters: the file is called "
            "\"abcdefghijklmnopqrstuvwxyz0123\"");
}

}  // namespace
}  // namespace smproc
