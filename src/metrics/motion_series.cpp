#include "metrics/motion_series.h"

#include "output/spectrum_file.h"
#include "spectral/integrate.h"

namespace smproc {

namespace {

// The first n samples of the spectrum's inverse after the operator; `work`
// and `x` are room shared by the calls.
std::vector<double> back(const Grid& grid, const Spectrum& band_passed, Operation op, int n,
                         Spectrum& work, Series& x) {
  work.restart(band_passed.size());
  for (int i = 1; i <= band_passed.size(); ++i) work.append(band_passed(i));
  Spectrum* const fx[] = {&work};
  apply_operator(op, grid.nom, grid.dom, fx);
  inverse_transform(grid, work, x);
  std::vector<double> out(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) out[static_cast<std::size_t>(i - 1)] = x.get(i);
  return out;
}

}  // namespace

void add_component(MotionSeries& series, int c, const Grid& grid, const Spectrum& band_passed,
                   std::span<const double> ground, int n, double dt) {
  const auto k = static_cast<std::size_t>(c);
  series.dt = dt;
  series.nf = grid.nf;
  series.plan = grid.plan;
  Spectrum work;
  Series x;
  series.acc[k] = back(grid, band_passed, Operation::none, n, work, x);
  series.vel[k] = back(grid, band_passed, Operation::integrate, n, work, x);
  series.dis[k] = back(grid, band_passed, Operation::integrate_twice, n, work, x);
  series.ground[k].assign(ground.begin(), ground.begin() + std::min<std::size_t>(ground.size(), static_cast<std::size_t>(n)));
  series.ground[k].resize(static_cast<std::size_t>(n), 0.0);
  series.amplitudes[k].resize(static_cast<std::size_t>(grid.nom - 1));
  amplitudes(band_passed, grid.nom, series.amplitudes[k]);
  if (series.frequencies.empty()) {
    // As amp3.csv states them.
    for (int i = 2; i <= grid.nom; ++i)
      series.frequencies.push_back(bin_frequency_hz(i, grid.dom));
  }
}

}  // namespace smproc
