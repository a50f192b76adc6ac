// The Fourier amplitude spectrum smoothed by the Konno–Ohmachi window, at
// centre frequencies spaced evenly in log frequency.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace smproc {

struct SmoothedSpectrum {
  std::vector<double> frequency;               // Hz: 10^(j/100), increasing
  std::vector<std::optional<double>> amplitude;  // none where no bin falls in the window
};

// Smooths the amplitudes a[k] at the increasing, positive frequencies f[k]
// (Hz) with bandwidth b: at every centre fc = 10^(j/100), j an integer, with
// f.front() <= fc <= f.back(), Σ w·a / Σ w over the bins with
// |b·log10(f/fc)| <= 3, w = (sin(x)/x)^4 for x = b·log10(f/fc), 1 at x = 0.
SmoothedSpectrum konno_ohmachi(std::span<const double> f, std::span<const double> a, double b);

// The same for several spectra on the same frequencies, sharing the weights.
std::vector<SmoothedSpectrum> konno_ohmachi(std::span<const double> f,
                                            std::span<const std::span<const double>> spectra,
                                            double b);

}  // namespace smproc
