// The Fourier amplitude spectra, written to "amp3.csv".
#pragma once

#include "textio/console.h"
#include "textio/files.h"
#include "run/state.h"

namespace smproc {

// |b| without intermediate overflow: the larger part times
// sqrt(1 + (smaller/larger)^2), the larger alone when the smaller adds nothing.
double modulus(Bin b);

// Announces and writes "amp3.csv" in the place: header, then bins 2..nom of
// fx1..fx3.
void spectrum_file_step(const State& s, textio::Console& con,
                        const textio::OutputPlace& place = {});

}  // namespace smproc
