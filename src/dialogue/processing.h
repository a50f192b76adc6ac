// The questions and echoes of the processing steps: polarity, the grid, the
// band-pass and the operator.
#pragma once

#include "dialogue/answers.h"
#include "spectral/frame.h"
#include "textio/console.h"
#include "textio/warnings.h"

namespace smproc {

// Asks whether to change polarity (polarity_change) and, when the answer is
// 1, per component whether to reverse it (reverse).
void ask_polarity(textio::Console& con, Answers& answers);

// " NT>2**15 !!!!!": the record is too long for the transform of at most
// 2^max_if1 points.
void echo_too_long(textio::Console& con, int max_if1 = RecordLimits{}.max_if1);

// The grid: " IF1,NF=", " DUR,DOM,NOM,EOM=" and the highest frequency.
void echo_grid(textio::Console& con, const Grid& grid);

// Asks whether to filter (bandpass) and, when the answer is 1, for the
// corners (bandpass_corners); warns of corners out of order.
void ask_bandpass(textio::Console& con, textio::Warnings& warnings, Answers& answers);

// Warns when the band-pass asked for passes no bin of the grid (unless the
// corners' order has already been warned of as removing every frequency).
void warn_of_empty_band(textio::Warnings& warnings, const Answers& answers, const Grid& grid);

// Warns of band-pass corners above the Nyquist frequency of samples dt
// apart, 1/(2 dt): the record holds no frequency there.
void warn_of_corners_above_nyquist(textio::Warnings& warnings, const Answers& answers, double dt);

// Shows the four choices and reads the operation.
void ask_operation(textio::Console& con, Answers& answers);

}  // namespace smproc
