#include "metrics/response_spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "metrics/oscillator.h"
#include "metrics/resample.h"
#include "metrics/rotd.h"
#include "records/arena.h"

namespace smproc {

namespace {

constexpr double periods_of_the_default[] = {0.01, 0.02, 0.03, 0.05, 0.075, 0.1, 0.15,
                                             0.2,  0.25, 0.3,  0.4,  0.5,   0.75, 1,
                                             1.5,  2,    3,    4,    5,     7.5,  10};

// The 111 periods of the NGA-West2 flatfile, s.
constexpr double periods_of_nga_west2[] = {
    0.01, 0.02, 0.022, 0.025, 0.029, 0.03, 0.032, 0.035, 0.036, 0.04, 0.042, 0.044, 0.045,
    0.046, 0.048, 0.05, 0.055, 0.06, 0.065, 0.067, 0.07, 0.075, 0.08, 0.085, 0.09, 0.095, 0.1,
    0.11, 0.12, 0.13, 0.133, 0.14, 0.15, 0.16, 0.17, 0.18, 0.19, 0.2, 0.22, 0.24, 0.25, 0.26,
    0.28, 0.29, 0.3, 0.32, 0.34, 0.35, 0.36, 0.38, 0.4, 0.42, 0.44, 0.45, 0.46, 0.48, 0.5,
    0.55, 0.6, 0.65, 0.667, 0.7, 0.75, 0.8, 0.85, 0.9, 0.95, 1, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6,
    1.7, 1.8, 1.9, 2, 2.2, 2.4, 2.5, 2.6, 2.8, 3, 3.2, 3.4, 3.5, 3.6, 3.8, 4, 4.2, 4.4, 4.6,
    4.8, 5, 5.5, 6, 6.5, 7, 7.5, 8, 8.5, 9, 9.5, 10, 11, 12, 13, 14, 15, 20,
};

// `count` values from the arena as they come, not cleared.
template <class T>
std::span<T> uncleared(Arena& room, std::size_t count) {
  return {static_cast<T*>(room.allocate(count * sizeof(T), alignof(T))), count};
}

}  // namespace

std::span<const double> default_periods() { return periods_of_the_default; }

std::span<const double> nga_west2_periods() { return periods_of_nga_west2; }

int resampling_factor(double period, double dt) {
  int k = 1;
  while (k * period < 10.0 * dt && k < (1 << 20)) k *= 2;
  return k;
}

ResponseSpectra response_spectra(PerComponent<std::span<const double>> acc, double dt,
                                 const FftPlan& plan, std::span<const double> periods,
                                 std::span<const double> dampings) {
  ResponseSpectra out(dampings.size(), std::vector<SpectralAcceleration>(periods.size()));
  const std::size_t n = std::min({acc[0].size(), acc[1].size(), acc[2].size()});
  if (n == 0) return out;
  int finest = 1;
  for (const double t : periods) finest = std::max(finest, resampling_factor(t, dt));

  // The record k times finer for the finest k a period needs; every other
  // k takes every (finest/k)-th fine sample, the same interpolant's values.
  const std::size_t rows = static_cast<std::size_t>(finest) * n;
  // Every sample of both is written before it is read: the room is taken
  // as it comes, not cleared first.
  const std::size_t points = static_cast<std::size_t>(finest) * (n - 1) + 1;
  Arena room(rows * sizeof(TriaxialSample) + points * sizeof(HorizontalPoint) + 4096);
  const std::span<TriaxialSample> samples = uncleared<TriaxialSample>(room, rows);
  const std::span<HorizontalPoint> horizontal = uncleared<HorizontalPoint>(room, points);
  const FineRecord fine = band_limited_resample(acc, plan, finest, samples);

  for (std::size_t p = 0; p < periods.size(); ++p) {
    const int k = resampling_factor(periods[p], dt);
    const std::size_t stride = static_cast<std::size_t>(finest / k);
    const std::size_t count = (fine.size() - 1) / stride + 1;
    const double omega = 2.0 * std::numbers::pi / periods[p];
    const double w2 = omega * omega;
    for (std::size_t d = 0; d < dampings.size(); ++d) {
      const OscillatorStep step(omega, dampings[d], dt / k);
      const PerComponent<double> peak = step.triaxial(fine, stride, horizontal);
      SpectralAcceleration& sa = out[d][p];
      for (std::size_t c = 0; c < 3; ++c) sa.component[c] = w2 * peak[c];
      const RotD r = rotd(std::span<const HorizontalPoint>(horizontal.data(), count));
      sa.rotd50 = w2 * r.rotd50;
      sa.rotd100 = w2 * r.rotd100;
    }
  }
  return out;
}

ResponseSpectra response_spectra(PerComponent<std::span<const double>> acc, double dt, int nf,
                                 std::span<const double> periods,
                                 std::span<const double> dampings) {
  return response_spectra(acc, dt, FftPlan(nf), periods, dampings);
}

}  // namespace smproc
