// The questions and echoes of the output steps: the spectrum file's
// announcement, the time window, the skip value, the waveform file's name
// and the final pause.
#pragma once

#include <string>

#include "dialogue/answers.h"
#include "records/constants.h"
#include "textio/console.h"
#include "textio/warnings.h"

namespace smproc {

// An empty line and the line saying where the spectra go.
void announce_spectrum_file(textio::Console& con);

// Warns when frequencies of amp3.csv's rows (bins 2..nom, (i - 1) * dom
// rad/s) overflow its frequency column (F8.4) or show as 0.0000.
void warn_of_frequency_column(textio::Warnings& warnings, int nom, double dom);

// Asks whether to cut a window (cut) and, when the answer is 1, for its
// start and duration, showing them as samples (window_offset,
// window_samples) and warning of a window outside the record of nt samples
// or beyond the series' capacity. Returns whether a window is to be cut.
bool ask_window(textio::Console& con, textio::Warnings& warnings, double dt, int nt,
                Answers& answers, int capacity = smproc::capacity);

// " New nt =" with the count of the window cut.
void echo_window_count(textio::Console& con, int nt);

// Asks for the skip value (skip) and sets the row stride (stride, skip + 1);
// warns of a negative skip, saying what the waveform file of nt samples
// then holds.
void ask_skip(textio::Console& con, textio::Warnings& warnings, int nt, Answers& answers);

// Warns when the times of the waveform file's rows (every stride-th sample
// 1..nt at (i - 1) * dt) overflow its time column (F8.3) or show as 0.000
// after the first row.
void warn_of_time_column(textio::Warnings& warnings, const std::string& file, int nt,
                         int stride, double dt);

// Asks for the waveform file's name (waveform_name, the first 30 characters
// of the line); warns when the line was longer.
void ask_waveform_name(textio::Console& con, textio::Warnings& warnings, Answers& answers);

// Warns that the JMA intensity of a record of n samples dt apart is not
// defined: shorter than 0.3 s, or without motion.
void warn_of_no_jma_intensity(textio::Warnings& warnings, int n, double dt);

// Waits for one line, whatever it holds.
void final_pause(textio::Console& con);

}  // namespace smproc
