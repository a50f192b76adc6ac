#include "metrics/response_spectrum.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "metrics/oscillator.h"
#include "metrics/resample.h"
#include "metrics/rotd.h"

namespace smproc {

namespace {

constexpr double periods_of_the_default[] = {0.01, 0.02, 0.03, 0.05, 0.075, 0.1, 0.15,
                                             0.2,  0.25, 0.3,  0.4,  0.5,   0.75, 1,
                                             1.5,  2,    3,    4,    5,     7.5,  10};

// acc sampled k times finer, for each k a period needs: band-limited at
// the finest k once, every other k by taking every (finest/k)-th sample of
// it, which are the same interpolant's values.
class Resampled {
 public:
  Resampled(PerComponent<std::span<const double>> acc, int nf, int finest) : acc_(acc), finest_(finest) {
    if (finest > 1) {
      const std::span<const double> all[] = {acc[0], acc[1], acc[2]};
      fine_ = band_limited_resample(all, nf, finest);
    }
  }

  // Component c at k times the sampling.
  std::span<const double> at(int c, int k) {
    if (k == 1) return acc_[static_cast<std::size_t>(c)];
    if (k == finest_) return fine_[static_cast<std::size_t>(c)];
    std::vector<double>& v = thinned_[{c, k}];
    if (v.empty()) {
      const std::vector<double>& f = fine_[static_cast<std::size_t>(c)];
      const std::size_t step = static_cast<std::size_t>(finest_ / k);
      for (std::size_t j = 0; j < f.size(); j += step) v.push_back(f[j]);
    }
    return v;
  }

 private:
  PerComponent<std::span<const double>> acc_;
  int finest_;
  std::vector<std::vector<double>> fine_;
  std::map<std::pair<int, int>, std::vector<double>> thinned_;
};

}  // namespace

std::span<const double> default_periods() { return periods_of_the_default; }

int resampling_factor(double period, double dt) {
  int k = 1;
  while (k * period < 10.0 * dt && k < (1 << 20)) k *= 2;
  return k;
}

ResponseSpectra response_spectra(PerComponent<std::span<const double>> acc, double dt, int nf,
                                 std::span<const double> periods,
                                 std::span<const double> dampings) {
  int finest = 1;
  for (const double t : periods) finest = std::max(finest, resampling_factor(t, dt));
  Resampled resampled(acc, nf, finest);

  ResponseSpectra out(dampings.size(), std::vector<SpectralAcceleration>(periods.size()));
  std::vector<double> u_ns, u_ew;
  for (std::size_t p = 0; p < periods.size(); ++p) {
    const int k = resampling_factor(periods[p], dt);
    const double omega = 2.0 * std::numbers::pi / periods[p];
    const double w2 = omega * omega;
    const std::span<const double> ns = resampled.at(0, k), ew = resampled.at(1, k),
                                  ud = resampled.at(2, k);
    u_ns.resize(ns.size());
    u_ew.resize(ew.size());
    for (std::size_t d = 0; d < dampings.size(); ++d) {
      const OscillatorStep step(omega, dampings[d], dt / k);
      step.displacements(ns, u_ns);
      step.displacements(ew, u_ew);
      SpectralAcceleration& sa = out[d][p];
      double peak_ns = 0.0, peak_ew = 0.0;
      for (double v : u_ns) peak_ns = std::fmax(peak_ns, std::fabs(v));
      for (double v : u_ew) peak_ew = std::fmax(peak_ew, std::fabs(v));
      sa.component[0] = w2 * peak_ns;
      sa.component[1] = w2 * peak_ew;
      sa.component[2] = w2 * step.peak_displacement(ud);
      const RotD r = rotd(u_ns, u_ew);
      sa.rotd50 = w2 * r.rotd50;
      sa.rotd100 = w2 * r.rotd100;
    }
  }
  return out;
}

}  // namespace smproc
