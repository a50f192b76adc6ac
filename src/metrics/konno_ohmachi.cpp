#include "metrics/konno_ohmachi.h"

#include <cmath>

namespace smproc {

namespace {

// (sin x / x)^4 with sin x given.
double window_weight(double x, double sine) {
  if (x == 0.0) return 1.0;
  const double r = sine / x;
  return (r * r) * (r * r);
}

struct Angle {
  double sin, cos;
};

}  // namespace

std::vector<SmoothedSpectrum> konno_ohmachi(std::span<const double> f,
                                            std::span<const std::span<const double>> spectra,
                                            double b) {
  std::vector<SmoothedSpectrum> out(spectra.size());
  if (f.empty() || !(f.front() > 0.0) || !(b > 0.0)) return out;
  // x = b·log10(f) − b·log10(fc): away from 0, sin x from the sines and
  // cosines of the two terms, each taken once, not once for every pair of
  // bin and centre; near 0, where the weight is near 1 and that difference
  // would lose digits, directly.
  std::vector<double> log_f(f.size());
  std::vector<Angle> at_bin(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) {
    log_f[k] = std::log10(f[k]);
    at_bin[k] = {std::sin(b * log_f[k]), std::cos(b * log_f[k])};
  }

  // The centres 10^(j/100) within [f.front(), f.back()].
  long j = static_cast<long>(std::floor(100.0 * log_f.front())) - 1;
  while (std::pow(10.0, static_cast<double>(j) / 100.0) < f.front()) ++j;
  const double reach = 3.0 / b;  // |log10(f/fc)| within the window
  std::size_t first = 0;         // the first bin not below the window's low end
  std::vector<double> sum(spectra.size());
  for (;; ++j) {
    const double fc = std::pow(10.0, static_cast<double>(j) / 100.0);
    if (fc > f.back()) break;
    const double log_fc = std::log10(fc);
    const Angle at_centre{std::sin(b * log_fc), std::cos(b * log_fc)};
    while (first < f.size() && b * (log_fc - log_f[first]) > 3.0) ++first;
    double weights = 0.0;
    std::fill(sum.begin(), sum.end(), 0.0);
    for (std::size_t k = first; k < f.size() && log_f[k] - log_fc <= reach * 1.0000001; ++k) {
      const double x = b * (log_f[k] - log_fc);
      if (std::fabs(x) > 3.0) continue;
      const double sine = std::fabs(x) < 0.5
                              ? std::sin(x)
                              : at_bin[k].sin * at_centre.cos - at_bin[k].cos * at_centre.sin;
      const double w = window_weight(x, sine);
      weights += w;
      for (std::size_t s = 0; s < spectra.size(); ++s) sum[s] += w * spectra[s][k];
    }
    for (std::size_t s = 0; s < spectra.size(); ++s) {
      out[s].frequency.push_back(fc);
      out[s].amplitude.push_back(weights > 0.0 ? std::optional<double>(sum[s] / weights)
                                               : std::nullopt);
    }
  }
  return out;
}

SmoothedSpectrum konno_ohmachi(std::span<const double> f, std::span<const double> a, double b) {
  const std::span<const double> one[] = {a};
  return std::move(konno_ohmachi(f, one, b).front());
}

}  // namespace smproc
