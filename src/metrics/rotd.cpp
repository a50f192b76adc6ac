#include "metrics/rotd.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {

namespace {

struct Point {
  double x, y;
};

double cross(Point o, Point a, Point b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The peak over every direction is reached at a vertex of the convex hull
// of the points (a linear function's extremes over a point set lie on its
// hull), so only points that may be hull vertices are kept. A point is
// dropped only when it lies inside by more than `margin`, far beyond the
// rounding of the cross products, so no vertex is ever lost.
std::vector<Point> hull_candidates(std::span<const double> ns, std::span<const double> ew) {
  const std::size_t n = std::min(ns.size(), ew.size());
  std::vector<Point> points(n);
  double scale = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    points[i] = {ns[i], ew[i]};
    scale = std::max({scale, std::fabs(ns[i]), std::fabs(ew[i])});
  }
  if (n < 4) return points;
  const double margin = 1e-12 * scale * scale;

  // The extreme points in eight directions, counter-clockwise, in one pass:
  // an octagon inside the hull; most points lie within it.
  static constexpr double dx[] = {1, 1, 0, -1, -1, -1, 0, 1};
  static constexpr double dy[] = {0, 1, 1, 1, 0, -1, -1, -1};
  std::size_t extreme[8] = {};
  double best[8];
  for (int k = 0; k < 8; ++k) best[k] = dx[k] * points[0].x + dy[k] * points[0].y;
  for (std::size_t i = 1; i < n; ++i) {
    const Point p = points[i];
    const double along[8] = {p.x, p.x + p.y, p.y, p.y - p.x, -p.x, -p.x - p.y, -p.y, p.x - p.y};
    for (int k = 0; k < 8; ++k)
      if (along[k] > best[k]) best[k] = along[k], extreme[k] = i;
  }
  Point octagon[8];
  for (int k = 0; k < 8; ++k) octagon[k] = points[extreme[k]];
  // A disc about the origin within every edge of the octagon passes most
  // points at the cost of one radius.
  double inner = scale;
  for (int k = 0; k < 8; ++k) {
    const Point a = octagon[k], b = octagon[(k + 1) % 8];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    inner = length > 0.0 ? std::min(inner, cross(a, b, Point{0, 0}) / length) : 0.0;
    if (!(inner > 0.0)) break;
  }
  inner -= 1e-9 * scale;  // far beyond the rounding of the distances
  const double inner2 = inner > 0.0 ? inner * inner : 0.0;
  std::erase_if(points, [&](Point p) {
    if (p.x * p.x + p.y * p.y < inner2) return true;
    for (int k = 0; k < 8; ++k)
      if (!(cross(octagon[k], octagon[(k + 1) % 8], p) > margin)) return false;
    return true;
  });

  // Andrew's monotone chains over what is left, popping a point only when
  // it turns the wrong way by more than the margin.
  std::sort(points.begin(), points.end(),
            [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<Point> kept;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<Point> chain;
    const auto add = [&](Point p) {
      while (chain.size() >= 2 && cross(chain[chain.size() - 2], chain.back(), p) < -margin)
        chain.pop_back();
      chain.push_back(p);
    };
    if (pass == 0)
      std::for_each(points.begin(), points.end(), add);
    else
      std::for_each(points.rbegin(), points.rend(), add);
    kept.insert(kept.end(), chain.begin(), chain.end());
  }
  return kept;
}

}  // namespace

std::array<double, 180> rotated_peaks(std::span<const double> ns, std::span<const double> ew) {
  const std::vector<Point> candidates = hull_candidates(ns, ew);
  std::array<double, 180> peaks{};
  for (int degree = 0; degree < 180; ++degree) {
    const double theta = degree * std::numbers::pi / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    double peak = 0.0;
    for (const Point p : candidates) {
      const double v = std::fabs(c * p.x + s * p.y);
      if (v > peak) peak = v;
    }
    peaks[static_cast<std::size_t>(degree)] = peak;
  }
  return peaks;
}

RotD rotd(std::span<const double> ns, std::span<const double> ew) {
  std::array<double, 180> peaks = rotated_peaks(ns, ew);
  std::sort(peaks.begin(), peaks.end());
  return {(peaks[89] + peaks[90]) / 2.0, peaks[179]};
}

}  // namespace smproc
