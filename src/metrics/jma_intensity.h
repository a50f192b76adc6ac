// The JMA instrumental seismic intensity of a three-component record.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "records/series.h"
#include "spectral/fft.h"

namespace smproc {

// The gain of the intensity filter at f Hz: the period effect (1/f)^½, the
// high-cut of the ground's response and the low-cut (1 − exp(−(f/0.5)³))^½;
// zero at zero frequency.
double jma_filter_gain(double f);

struct JmaIntensity {
  double raw = 0.0;        // 2·log10(a) + 0.94
  double intensity = 0.0;  // raw rounded to two decimals, then cut to one
  std::string jma_class;   // "0" .. "4", "5-", "5+", "6-", "6+", "7"
  double a = 0.0;          // gal: the level the vector sum exceeds for 0.3 s in total
};

// The intensity from the three calibrated, mean-removed components (gal),
// samples 1..n each at index 0..n-1, dt apart, each filtered over a
// transform of the plan's length (a power of two not below n). None when the
// record is shorter than 0.3 s or the filtered motion is zero.
std::optional<JmaIntensity> jma_intensity(PerComponent<std::span<const double>> acc, double dt,
                                          const FftPlan& plan);
// The same over a transform of nf points made for the call.
std::optional<JmaIntensity> jma_intensity(PerComponent<std::span<const double>> acc, double dt,
                                          int nf);

// The reported intensity of a raw value: rounded to two decimals, then cut
// to one (in hundredths k = round(100·raw): ⌊k/10⌋/10).
double jma_reported(double raw);

// The intensity class of a reported intensity.
std::string jma_class(double intensity);

}  // namespace smproc
