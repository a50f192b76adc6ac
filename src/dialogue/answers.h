// The dialogue's answers, in the order they are asked.
#pragma once

#include <string>

#include "records/series.h"
#include "spectral/bandpass.h"

namespace smproc {

struct Answers {
  int polarity_change = 0;         // myes: 1 asks per component
  PerComponent<int> reverse{};     // my1..my3: 1 reverses that component
  int bandpass = 0;                // nbd: 1 filters
  Corners bandpass_corners;        // fl1, fl2, fh1, fh2, Hz
  int operation = 0;               // nit: 0 none, 1 integrate, 2 twice, 3 differentiate
  int cut = 0;                     // icut: 1 cuts a window
  double window_start = 0.0;       // stime: window start as typed, s
  double window_length = 0.0;      // dur: window length as typed, s
  int window_offset = 0;           // nstime: the start as a sample offset
  int window_samples = 0;          // ndur: the length in samples
  int skip = 0;                    // iskip as typed: samples left out between rows
  int stride = 0;                  // iskip + 1: the row stride of the waveform file
  std::string waveform_name;       // otfile: the typed name, 30 characters
};

}  // namespace smproc
