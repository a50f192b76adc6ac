#include "metrics/resample.h"

#include <algorithm>

#include "records/arena.h"
#include "spectral/fft.h"

namespace smproc {

std::vector<std::vector<double>> band_limited_resample(
    std::span<const std::span<const double>> series, int nf, int k) {
  std::vector<std::vector<double>> out(series.size());
  if (series.empty()) return out;
  if (k == 1) {
    for (std::size_t s = 0; s < series.size(); ++s) out[s].assign(series[s].begin(), series[s].end());
    return out;
  }
  const int fine = k * nf;
  const FftPlan coarse_plan(nf), fine_plan(fine);
  std::vector<Bin> coarse(static_cast<std::size_t>(nf));
  // The fine spectrum and the series are brought in at once, not page by page.
  std::vector<Bin> spectrum;
  spectrum.reserve(static_cast<std::size_t>(fine));
  fault_in(spectrum.data(), static_cast<std::size_t>(fine) * sizeof(Bin));
  spectrum.resize(static_cast<std::size_t>(fine));
  const int half = nf / 2;
  for (std::size_t s = 0; s < series.size(); s += 2) {
    const std::span<const double> re = series[s];
    const std::span<const double> im = s + 1 < series.size() ? series[s + 1] : std::span<const double>{};
    std::fill(coarse.begin(), coarse.end(), Bin{});
    for (std::size_t i = 0; i < re.size(); ++i) coarse[i].re = re[i];
    for (std::size_t i = 0; i < im.size(); ++i) coarse[i].im = im[i];
    coarse_plan.transform(coarse.data(), Direction::forward);

    std::fill(spectrum.begin(), spectrum.end(), Bin{});
    for (int m = 0; m < half; ++m) spectrum[static_cast<std::size_t>(m)] = coarse[static_cast<std::size_t>(m)];
    for (int m = 1; m < half; ++m)
      spectrum[static_cast<std::size_t>(fine - m)] = coarse[static_cast<std::size_t>(nf - m)];
    const Bin nyquist = coarse[static_cast<std::size_t>(half)];
    const Bin halved{nyquist.re / 2.0, nyquist.im / 2.0};
    spectrum[static_cast<std::size_t>(half)] = halved;
    spectrum[static_cast<std::size_t>(fine - half)] = halved;
    fine_plan.transform(spectrum.data(), Direction::inverse);

    const auto write = [&](std::vector<double>& to, std::size_t n, bool imaginary) {
      if (n == 0) return;
      const std::size_t count = static_cast<std::size_t>(k) * (n - 1) + 1;
      to.reserve(count);
      fault_in(to.data(), count * sizeof(double));
      to.resize(count);
      for (std::size_t j = 0; j < count; ++j)
        to[j] = (imaginary ? spectrum[j].im : spectrum[j].re) / nf;
    };
    write(out[s], re.size(), false);
    if (s + 1 < series.size()) write(out[s + 1], im.size(), true);
  }
  return out;
}

}  // namespace smproc
