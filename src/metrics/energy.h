// Arias intensity, cumulative absolute velocity and significant durations of
// one component's acceleration.
#pragma once

#include <optional>
#include <span>

namespace smproc {

// Standard gravity, m/s².
inline constexpr double standard_gravity = 9.80665;

struct EnergyMeasures {
  double arias = 0.0;  // m/s: π/(2g)·∫a² dt, a in m/s², by the trapezoid rule
  double cav = 0.0;    // cm/s: ∫|acc| dt, by the trapezoid rule
  // Significant durations from the normalised Arias curve: t(75 %) − t(5 %)
  // and t(95 %) − t(5 %), s; none when the record holds no energy.
  std::optional<double> d5_75;
  std::optional<double> d5_95;
};

// The measures of acc (gal), samples 1..n at index 0..n-1, dt apart.
EnergyMeasures energy_measures(std::span<const double> acc, double dt);

// The time at which the running trapezoid sum of a² first reaches the
// fraction p of its total, linearly interpolated between the two samples
// around it; none when the total is zero. Sample 1 lies at time 0.
std::optional<double> husid_time(std::span<const double> acc, double dt, double p);

}  // namespace smproc
