// The dialogue's answers that command-line options stand for, written out as
// the text a user would pipe in, so a run given options is the dialogue given
// that text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/series.h"

namespace smproc {

struct AnswerOptions {
  PerComponent<bool> flip{};          // --flip: reverse the sign of these components
  std::vector<std::string> bandpass;  // --bandpass: fL1, fL2, fH1, fH2 in Hz, as typed; empty: none
  int operation = 0;                  // 0 none, 1 integrate, 2 twice, 3 differentiate
  std::vector<std::string> window;    // --window: start and length in s, as typed; empty: no cut
  int skip = 0;                       // --skip: samples left out between rows
  std::string waveform = "wave.csv";  // --waveform: the waveform file's name
};

// Every answer of a run, one per line in the order asked, ending with the
// empty line of the final pause.
std::string answer_text(const AnswerOptions& options);

// True when the text is a number as the dialogue reads one: a sign, digits
// with an optional point and fraction, an optional exponent (E, D, e or d).
bool is_answer_number(const std::string& text);

// The waveform file's name that answer text gives, as the run uses it: the
// first 30 characters of its line, trailing blanks dropped. Nothing when the
// answers before it cannot be read (the run reports them).
std::optional<std::string> waveform_answer(const std::string& answers);

// Why a waveform name cannot be one station's output beside its console.txt
// and amp3.csv (a path, "." or "..", another output's name), or nothing.
std::optional<std::string> station_waveform_problem(const std::string& name,
                                                    bool measures = false);

// The comma-separated numbers of an option value, when there are exactly
// `count` of them and each is a number the dialogue reads within the range
// of a double.
std::optional<std::vector<std::string>> split_numbers(const std::string& text, int count);

// The components a --flip value names ("NS,UD", in either case), or nothing
// when it names anything else.
std::optional<PerComponent<bool>> parse_flip(const std::string& text);

}  // namespace smproc
