// Orientation-independent measures of a horizontal pair: the peaks of the
// pair rotated through every whole degree from 0 to 179.
#pragma once

#include <array>
#include <span>

namespace smproc {

// The horizontal pair's values at one instant.
struct HorizontalPoint {
  double ns = 0.0, ew = 0.0;
};

struct RotD {
  double rotd50 = 0.0;   // the mean of the 90th and 91st of the 180 peaks in order
  double rotd100 = 0.0;  // the largest of them
};

// For θ = 0°, 1°, …, 179°, the peak over i of |cos θ·ns(i) + sin θ·ew(i)|.
std::array<double, 180> rotated_peaks(std::span<const HorizontalPoint> points);
std::array<double, 180> rotated_peaks(std::span<const double> ns, std::span<const double> ew);

RotD rotd(std::span<const HorizontalPoint> points);
RotD rotd(std::span<const double> ns, std::span<const double> ew);

}  // namespace smproc
