// The Fourier amplitude spectra, written to "amp3.csv".
#pragma once

#include <memory_resource>
#include <span>
#include <vector>

#include "records/series.h"
#include "records/constants.h"
#include "spectral/spectrum.h"
#include "files/files.h"

namespace smproc {

// |b| without intermediate overflow: the larger part times
// sqrt(1 + (smaller/larger)^2), the larger alone when the smaller adds nothing.
double modulus(Bin b);

// The frequency amp3.csv states for bin i, Hz: (i − 1)·dom over the legacy 2π.
inline double bin_frequency_hz(int i, double dom) {
  return (static_cast<double>(i - 1) * dom) / twopi;
}

// The moduli of bins 2..nom of fx, in order, into out (nom - 1 values): what
// amp3.csv writes of it.
void amplitudes(const Spectrum& fx, int nom, std::span<double> out);

// Writes "amp3.csv" in the place: header, then bins 2..nom from the three
// components' amplitudes (bins 2..nom each), bin i lying at (i - 1) * dom
// rad/s; in full precision, each number as the shortest text that reads
// back to it.
void write_spectrum_file(const textio::OutputPlace& place,
                         PerComponent<std::span<const double>> amplitudes, int nom, double dom,
                         bool full_precision = false);

}  // namespace smproc
