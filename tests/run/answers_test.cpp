// The answers that command-line options stand for, and the checks of their values.
#include "run/answers.h"

#include <gtest/gtest.h>

#include "support/run_binary.h"

namespace smproc {
namespace {

TEST(AnswerText, EachOptionAnswersItsQuestions) {
  struct Case {
    const char* what;
    AnswerOptions options;
    const char* text;
  };
  AnswerOptions none;
  AnswerOptions flip_ew = none;
  flip_ew.flip = {false, true, false};
  AnswerOptions flip_all = none;
  flip_all.flip = {true, true, true};
  AnswerOptions band = none;
  band.bandpass = {"0.1", "0.2", "20", "25"};
  AnswerOptions twice = none;
  twice.operation = 2;
  AnswerOptions window = none;
  window.window = {"-0.5", "1e1"};
  AnswerOptions skip = none;
  skip.skip = 4;
  AnswerOptions named = none;
  named.waveform = "vel.csv";
  const Case cases[] = {
      {"nothing", none, "0\n0\n0\n0\n0\nwave.csv\n\n"},
      {"flip EW", flip_ew, "1\n0\n1\n0\n0\n0\n0\n0\nwave.csv\n\n"},
      {"flip all", flip_all, "1\n1\n1\n1\n0\n0\n0\n0\nwave.csv\n\n"},
      {"band-pass", band, "0\n1\n0.1 0.2 20 25\n0\n0\n0\nwave.csv\n\n"},
      {"integrate twice", twice, "0\n0\n2\n0\n0\nwave.csv\n\n"},
      {"window", window, "0\n0\n0\n1\n-0.5\n1e1\n0\nwave.csv\n\n"},
      {"skip", skip, "0\n0\n0\n0\n4\nwave.csv\n\n"},
      {"waveform", named, "0\n0\n0\n0\n0\nvel.csv\n\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(answer_text(c.options), c.text) << c.what;
}

TEST(AnswerText, OptionsWriteTheBundledAnswerFiles) {
  AnswerOptions velocity;
  velocity.bandpass = {"0.1", "0.2", "20", "25"};
  velocity.operation = 1;
  velocity.waveform = "vel.csv";
  AnswerOptions displacement = velocity;
  displacement.operation = 2;
  displacement.waveform = "dis.csv";
  AnswerOptions spectra;
  spectra.waveform = "acc.csv";
  EXPECT_EQ(answer_text(velocity), testing::source_file("examples/velocity.answers"));
  EXPECT_EQ(answer_text(displacement), testing::source_file("examples/displacement.answers"));
  EXPECT_EQ(answer_text(spectra), testing::source_file("examples/spectra.answers"));
}

TEST(AnswerNumber, TakesWhatTheDialogueReadsAsANumber) {
  for (const char* good :
       {"0", "25", "-0.5", "+3", "0.1", "1.", ".5", "1e1", "2.5E-3", "1d2", "-7D+01"})
    EXPECT_TRUE(is_answer_number(good)) << good;
  for (const char* bad : {"", "-", ".", "e5", "1e", "1e+", "0x10", "1/2", "1,2", "3*0", " 1", "1 ",
                          "1.2.3", "inf", "nan", "1e5x"})
    EXPECT_FALSE(is_answer_number(bad)) << bad;
}

TEST(AnswerNumber, OptionValuesSplitAtCommas) {
  EXPECT_EQ(split_numbers("0.1,0.2,20,25", 4),
            (std::vector<std::string>{"0.1", "0.2", "20", "25"}));
  EXPECT_EQ(split_numbers("-1,2", 2), (std::vector<std::string>{"-1", "2"}));
  EXPECT_FALSE(split_numbers("0.1,0.2,20", 4));
  EXPECT_FALSE(split_numbers("0.1,0.2,20,25,30", 4));
  EXPECT_FALSE(split_numbers("0.1,,20,25", 4));
  EXPECT_FALSE(split_numbers("0.1 0.2 20 25", 4));
  EXPECT_FALSE(split_numbers("1,2,", 2));
}

TEST(FlipOption, NamesComponentsInEitherCase) {
  struct Case {
    const char* text;
    PerComponent<bool> flip;
  };
  for (const Case& c : {Case{"NS", {true, false, false}}, Case{"ud,ns", {true, false, true}},
                        Case{"EW,Ud", {false, true, true}}, Case{"NS,EW,UD", {true, true, true}},
                        Case{"NS,NS", {true, false, false}}}) {
    auto flip = parse_flip(c.text);
    ASSERT_TRUE(flip) << c.text;
    EXPECT_EQ(*flip, c.flip) << c.text;
  }
  for (const char* bad : {"", "N", "NS,", "NS EW", "X", "1"}) EXPECT_FALSE(parse_flip(bad)) << bad;
}

TEST(WaveformAnswer, IsTheNameTheRunWillUse) {
  struct Case {
    std::string answers;
    std::optional<std::string> name;
  };
  const std::string long_line = "amp3.csv" + std::string(22, ' ') + "x.csv\n\n";
  const Case cases[] = {
      {"0\n0\n0\n0\n0\nwave.csv\n\n", "wave.csv"},
      // Each yes brings its own answers before the name.
      {"1\n0\n1\n0\n1\n0.1 0.2 20 25\n2\n1\n5\n20\n3\nvel.csv\n\n", "vel.csv"},
      // Four corners over two lines, as the dialogue reads them.
      {"0\n1\n0.1 0.2\n20 25\n0\n0\n0\nsplit.csv\n\n", "split.csv"},
      // Trailing blanks dropped, leading ones kept; the 30-character cut.
      {"0\n0\n0\n0\n0\nconsole.txt   \n\n", "console.txt"},
      {"0\n0\n0\n0\n0\n  w.csv\n\n", "  w.csv"},
      {"0\n0\n0\n0\n0\n" + long_line, "amp3.csv"},
      // Answers the run cannot read: it reports them itself.
      {"0\nx\n0\n0\n0\nw.csv\n\n", std::nullopt},
      {"0\n0\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(waveform_answer(c.answers), c.name) << c.answers;
}

TEST(WaveformAnswer, StationOutputsAndPathsAreRefused) {
  for (const char* bad : {"console.txt", "amp3.csv", "answers.txt", ".", "..", "../B.ns",
                          "/abs.csv", "sub/w.csv", "./w.csv"})
    EXPECT_TRUE(station_waveform_problem(bad)) << bad;
  for (const char* good : {"wave.csv", "console.txt.csv", "..csv", " amp3.csv", "w"})
    EXPECT_FALSE(station_waveform_problem(good)) << good;
}

TEST(AnswerNumber, OptionValuesBeyondADoubleAreRefused) {
  EXPECT_FALSE(split_numbers("1e400,1", 2));
  EXPECT_FALSE(split_numbers("1,-1D309", 2));
  EXPECT_TRUE(split_numbers("1e308,1e-400", 2));  // underflow reads as zero, as in a run
}

}  // namespace
}  // namespace smproc
