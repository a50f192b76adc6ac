// Pseudo-spectral accelerations of the three components and of the
// horizontal pair rotated (RotD50, RotD100), per damping and period.
#pragma once

#include <span>
#include <vector>

#include "records/series.h"
#include "spectral/fft.h"

namespace smproc {

// The default periods, s, and damping.
std::span<const double> default_periods();
std::span<const double> nga_west2_periods();  // the 111 of the NGA-West2 flatfile, 0.01 .. 20
inline constexpr double default_damping = 0.05;

struct SpectralAcceleration {
  PerComponent<double> component{};  // NS, EW, UD, gal
  double rotd50 = 0.0;
  double rotd100 = 0.0;
};

// psa = ω²·max|u|, gal, indexed [damping][period].
using ResponseSpectra = std::vector<std::vector<SpectralAcceleration>>;

// The factor k by which a record sampled dt apart is resampled for the
// oscillator of period T: 1 when T >= 10·dt, else the least power of two
// with k·T >= 10·dt.
int resampling_factor(double period, double dt);

// The spectra of acc (gal; samples 1..n at index 0..n-1 of each component,
// dt apart); the plan, of the record's transform length, is that of the
// band-limited resampling for short periods.
ResponseSpectra response_spectra(PerComponent<std::span<const double>> acc, double dt,
                                 const FftPlan& plan, std::span<const double> periods,
                                 std::span<const double> dampings);
// The same with a plan of length nf made for the call.
ResponseSpectra response_spectra(PerComponent<std::span<const double>> acc, double dt, int nf,
                                 std::span<const double> periods,
                                 std::span<const double> dampings);

}  // namespace smproc
