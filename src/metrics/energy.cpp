#include "metrics/energy.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {

namespace {

// Running trapezoid sums of a(i)² (a in m/s²): sums[k] through sample k + 1,
// sums[0] = 0.
std::vector<double> arias_sums(std::span<const double> acc, double dt) {
  std::vector<double> sums(acc.size(), 0.0);
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const double a0 = 0.01 * acc[i - 1], a1 = 0.01 * acc[i];
    sums[i] = sums[i - 1] + dt * (a0 * a0 + a1 * a1) / 2.0;
  }
  return sums;
}

std::optional<double> crossing(const std::vector<double>& sums, double dt, double p) {
  if (sums.empty() || !(sums.back() > 0.0)) return std::nullopt;
  const double total = sums.back();
  for (std::size_t k = 1; k < sums.size(); ++k) {
    const double h1 = sums[k] / total;
    if (h1 < p) continue;
    const double h0 = sums[k - 1] / total;
    // h1 > h0 here: the curve rose past p within this interval.
    return (static_cast<double>(k - 1) + (p - h0) / (h1 - h0)) * dt;
  }
  return static_cast<double>(sums.size() - 1) * dt;  // p = 1 met by rounding only
}

}  // namespace

EnergyMeasures energy_measures(std::span<const double> acc, double dt) {
  EnergyMeasures m;
  const std::vector<double> sums = arias_sums(acc, dt);
  if (!sums.empty()) m.arias = std::numbers::pi / (2.0 * standard_gravity) * sums.back();
  for (std::size_t i = 1; i < acc.size(); ++i)
    m.cav += dt * (std::fabs(acc[i - 1]) + std::fabs(acc[i])) / 2.0;
  const std::optional<double> t5 = crossing(sums, dt, 0.05);
  if (t5) {
    m.d5_75 = *crossing(sums, dt, 0.75) - *t5;
    m.d5_95 = *crossing(sums, dt, 0.95) - *t5;
  }
  return m;
}

std::optional<double> husid_time(std::span<const double> acc, double dt, double p) {
  return crossing(arias_sums(acc, dt), dt, p);
}

}  // namespace smproc
