#include "records/record_checks.h"

#include <cmath>

namespace smproc {

double peak_magnitude(std::span<const double> samples) {
  double peak = 0.0;
  for (const double x : samples) {
    const double a = std::fabs(x);
    if (std::isnan(a)) return a;
    if (a > peak) peak = a;
  }
  return peak;
}

double header_peak_tolerance_gal(double stated_gal) {
  return 0.0005 + 0.001 * std::fabs(stated_gal);
}

bool header_peak_agrees(double stated_gal, double own_gal) {
  // Written so that a NaN on either side disagrees.
  return std::fabs(own_gal - stated_gal) <= header_peak_tolerance_gal(stated_gal);
}

}  // namespace smproc
