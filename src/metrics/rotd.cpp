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
  if (n < 4) {
    std::vector<Point> points(n);
    for (std::size_t i = 0; i < n; ++i) points[i] = {ns[i], ew[i]};
    return points;
  }
  double scale = 0.0;
  for (std::size_t i = 0; i < n; ++i) scale = std::max({scale, std::fabs(ns[i]), std::fabs(ew[i])});
  const double margin = 1e-12 * scale * scale;

  // Consecutive samples lie close together: runs of them by their bounding
  // boxes, which pass most of the work over.
  constexpr std::size_t run = 32;
  struct Box {
    double x0, x1, y0, y1;
  };
  std::vector<Box> boxes((n + run - 1) / run);
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const std::size_t start = b * run, end = std::min(n, start + run);
    Box box{ns[start], ns[start], ew[start], ew[start]};
    for (std::size_t i = start + 1; i < end; ++i) {
      box.x0 = std::min(box.x0, ns[i]), box.x1 = std::max(box.x1, ns[i]);
      box.y0 = std::min(box.y0, ew[i]), box.y1 = std::max(box.y1, ew[i]);
    }
    boxes[b] = box;
  }

  // The extreme points in eight directions, counter-clockwise: an octagon
  // inside the hull; most points lie within it. A run whose box cannot
  // reach the best so far in a direction is not looked into.
  static constexpr double dx[] = {1, 1, 0, -1, -1, -1, 0, 1};
  static constexpr double dy[] = {0, 1, 1, 1, 0, -1, -1, -1};
  Point octagon[8];
  for (int k = 0; k < 8; ++k) {
    const auto reach = [&](const Box& box) {
      return (dx[k] > 0 ? dx[k] * box.x1 : dx[k] * box.x0) + (dy[k] > 0 ? dy[k] * box.y1 : dy[k] * box.y0);
    };
    double best = dx[k] * ns[0] + dy[k] * ew[0];
    std::size_t at = 0;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      if (!(reach(boxes[b]) > best)) continue;
      const std::size_t start = b * run, end = std::min(n, start + run);
      for (std::size_t i = start; i < end; ++i) {
        const double v = dx[k] * ns[i] + dy[k] * ew[i];
        if (v > best) best = v, at = i;
      }
    }
    octagon[k] = {ns[at], ew[at]};
  }
  // The octagon's edges; a point extreme in two directions gives an edge of
  // no length, which bounds nothing.
  std::pair<Point, Point> edges[8];
  int sides = 0;
  for (int k = 0; k < 8; ++k) {
    const Point a = octagon[k], b = octagon[(k + 1) % 8];
    if (a.x != b.x || a.y != b.y) edges[sides++] = {a, b};
  }
  const auto inside = [&](Point p) {
    if (sides < 3) return false;
    for (int k = 0; k < sides; ++k)
      if (!(cross(edges[k].first, edges[k].second, p) > margin)) return false;
    return true;
  };
  // A disc about the origin within every edge of the octagon passes most
  // points at the cost of one radius.
  double inner = sides >= 3 ? scale : 0.0;
  for (int k = 0; k < sides && inner > 0.0; ++k) {
    const auto [a, b] = edges[k];
    inner = std::min(inner, cross(a, b, Point{0, 0}) / std::hypot(b.x - a.x, b.y - a.y));
  }
  inner -= 1e-9 * scale;  // far beyond the rounding of the distances
  const double inner2 = inner > 0.0 ? inner * inner : 0.0;

  // A run whose box lies inside the disc, or has its four corners inside the
  // octagon, holds no vertex.
  std::vector<Point> points;
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const std::size_t start = b * run, end = std::min(n, start + run);
    const double x0 = boxes[b].x0, x1 = boxes[b].x1, y0 = boxes[b].y0, y1 = boxes[b].y1;
    const double fx = std::max(std::fabs(x0), std::fabs(x1)), fy = std::max(std::fabs(y0), std::fabs(y1));
    if (fx * fx + fy * fy < inner2) continue;
    if (inside({x0, y0}) && inside({x0, y1}) && inside({x1, y0}) && inside({x1, y1})) continue;
    for (std::size_t i = start; i < end; ++i) {
      const Point p{ns[i], ew[i]};
      if (p.x * p.x + p.y * p.y < inner2 || inside(p)) continue;
      points.push_back(p);
    }
  }

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
