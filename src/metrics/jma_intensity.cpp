#include "metrics/jma_intensity.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "spectral/fft.h"

namespace smproc {

double jma_filter_gain(double f) {
  if (!(f > 0.0)) return 0.0;
  const double y = f / 10.0;
  const double y2 = y * y;
  // The polynomial in y² by Horner's rule: 1 + 0.694y² + … + 0.000155y¹².
  const double high =
      1.0 + y2 * (0.694 + y2 * (0.241 + y2 * (0.0557 + y2 * (0.009664 + y2 * (0.00134 +
                                                                          y2 * 0.000155)))));
  const double low = 1.0 - std::exp(-std::pow(f / 0.5, 3.0));
  return std::sqrt(1.0 / f) / std::sqrt(high) * std::sqrt(low);
}

double jma_reported(double raw) {
  if (!std::isfinite(raw) || std::fabs(raw) >= 1e9) return raw;
  // Rounded as the decimal the value reads as: 4.495 is 4.50, though the
  // double nearest 4.495 lies a hair below it.
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, std::fabs(raw),
                                 std::chars_format::scientific).ptr;
  const char* e = std::find(text, end, 'e');
  std::string digits;
  for (const char* p = text; p != e; ++p)
    if (*p != '.') digits += *p;
  int exponent = 0;
  std::from_chars(e + 1 + (e[1] == '+'), end, exponent);
  // |raw|·100 = digits · 10^shift
  const int shift = exponent + 2 - static_cast<int>(digits.size() - 1);
  long long k = 0;
  if (shift >= 0) {
    k = std::stoll(digits);
    for (int i = 0; i < shift; ++i) k *= 10;
  } else {
    const int kept = static_cast<int>(digits.size()) + shift;  // digits before the point
    if (kept > 0) k = std::stoll(digits.substr(0, static_cast<std::size_t>(kept)));
    const char first_dropped = kept >= 0 ? digits[static_cast<std::size_t>(kept)] : '0';
    if (first_dropped >= '5') ++k;
  }
  if (raw < 0) k = -k;
  const long long tenths = k >= 0 ? k / 10 : -((-k + 9) / 10);  // floor toward −∞
  return static_cast<double>(tenths) / 10.0;
}

std::string jma_class(double intensity) {
  struct Bound {
    double below;
    const char* name;
  };
  static constexpr Bound bounds[] = {{0.5, "0"},  {1.5, "1"},  {2.5, "2"},  {3.5, "3"},
                                     {4.5, "4"},  {5.0, "5-"}, {5.5, "5+"}, {6.0, "6-"},
                                     {6.5, "6+"}};
  for (const Bound& b : bounds)
    if (intensity < b.below) return b.name;
  return "7";
}

std::optional<JmaIntensity> jma_intensity(PerComponent<std::span<const double>> acc, double dt,
                                          const FftPlan& plan) {
  const std::size_t n = std::min({acc[0].size(), acc[1].size(), acc[2].size()});
  const long m = std::lround(0.3 / dt);
  if (n == 0 || static_cast<double>(n) * dt < 0.3 || m < 1 || static_cast<std::size_t>(m) > n)
    return std::nullopt;

  // The gain is real and even in frequency, so it keeps a real series real:
  // NS and EW share one transform as its real and imaginary parts.
  const int nf = plan.length();
  const auto bins = static_cast<std::size_t>(nf);
  std::vector<double> gain(bins / 2 + 1);
  for (std::size_t k = 0; k < gain.size(); ++k) gain[k] = jma_filter_gain(static_cast<double>(k) / (nf * dt));

  std::vector<double> r2(n, 0.0);
  std::vector<Bin> x(bins);
  const auto filtered = [&](std::span<const double> re, std::span<const double> im) {
    std::fill(x.begin(), x.end(), Bin{});
    for (std::size_t i = 0; i < n; ++i) x[i] = {re[i], im.empty() ? 0.0 : im[i]};
    plan.transform(x.data(), Direction::forward);
    for (std::size_t k = 0; k < bins; ++k) {
      const double g = gain[k <= bins / 2 ? k : bins - k];  // negative frequencies mirror positive ones
      x[k].re *= g;
      x[k].im *= g;
    }
    plan.transform(x.data(), Direction::inverse);
    for (std::size_t i = 0; i < n; ++i) {
      const double a = x[i].re / nf, b = x[i].im / nf;
      r2[i] += a * a + b * b;
    }
  };
  filtered(acc[0], acc[1]);
  filtered(acc[2], {});
  // The m-th largest of the vector sums.
  std::nth_element(r2.begin(), r2.begin() + (m - 1), r2.end(), std::greater<>());
  const double a = std::sqrt(r2[static_cast<std::size_t>(m - 1)]);
  if (!(a > 0.0) || !std::isfinite(a)) return std::nullopt;
  JmaIntensity out;
  out.a = a;
  out.raw = 2.0 * std::log10(a) + 0.94;
  out.intensity = jma_reported(out.raw);
  out.jma_class = jma_class(out.intensity);
  return out;
}

std::optional<JmaIntensity> jma_intensity(PerComponent<std::span<const double>> acc, double dt,
                                          int nf) {
  return jma_intensity(acc, dt, FftPlan(nf));
}

}  // namespace smproc
