#include "metrics/rotd.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {

namespace {

using Point = HorizontalPoint;

double cross(Point o, Point a, Point b) {
  return (a.ns - o.ns) * (b.ew - o.ew) - (a.ew - o.ew) * (b.ns - o.ns);
}

// Both coordinates of a point at once, in one vector register.
typedef double Pair __attribute__((vector_size(16)));

Pair pair(Point p) { return Pair{p.ns, p.ew}; }
Pair lower(Pair a, Pair b) { return b < a ? b : a; }
Pair higher(Pair a, Pair b) { return b > a ? b : a; }

struct Box {
  Pair low, high;  // the least and the greatest (ns, ew) of a run of points
};

// Consecutive samples lie close together: runs of them by their bounding
// boxes pass most of the work over. Four chains of comparisons side by side,
// so that none waits on the one before.
constexpr std::size_t run = 64;

Box bounding_box(std::span<const Point> p) {
  Pair low[4], high[4];
  for (int j = 0; j < 4; ++j) low[j] = high[j] = pair(p[0]);
  std::size_t i = 0;
  for (; i + 4 <= p.size(); i += 4) {
    for (std::size_t j = 0; j < 4; ++j) {
      low[j] = lower(low[j], pair(p[i + j]));
      high[j] = higher(high[j], pair(p[i + j]));
    }
  }
  for (; i < p.size(); ++i) low[0] = lower(low[0], pair(p[i])), high[0] = higher(high[0], pair(p[i]));
  return {lower(lower(low[0], low[1]), lower(low[2], low[3])),
          higher(higher(high[0], high[1]), higher(high[2], high[3]))};
}

// The peak over every direction is reached at a vertex of the convex hull
// of the points (a linear function's extremes over a point set lie on its
// hull), so only points that may be hull vertices are kept. A point is
// dropped only when it lies inside by more than `margin`, far beyond the
// rounding of the cross products, so no vertex is ever lost.
std::vector<Point> hull_candidates(std::span<const Point> points) {
  const std::size_t n = points.size();
  if (n < 4) return {points.begin(), points.end()};
  std::vector<Box> boxes((n + run - 1) / run);
  double scale = 0.0;
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const std::size_t start = b * run, end = std::min(n, start + run);
    boxes[b] = bounding_box(points.subspan(start, end - start));
    const Box& box = boxes[b];
    scale = std::max({scale, -box.low[0], -box.low[1], box.high[0], box.high[1]});
  }
  const double margin = 1e-12 * scale * scale;

  // The extreme points in eight directions, counter-clockwise: an octagon
  // inside the hull; most points lie within it. The run whose box reaches
  // farthest in a direction is looked into first, then only those whose box
  // can beat the best point so far. The directions go side by side through
  // the runs, so that no comparison waits on the one before.
  static constexpr double dx[] = {1, 1, 0, -1, -1, -1, 0, 1};
  static constexpr double dy[] = {0, 1, 1, 1, 0, -1, -1, -1};
  Pair towards_high[8], towards_low[8];  // the corner of a box farthest along each
  for (int k = 0; k < 8; ++k) {
    towards_high[k] = Pair{std::max(dx[k], 0.0), std::max(dy[k], 0.0)};
    towards_low[k] = Pair{std::min(dx[k], 0.0), std::min(dy[k], 0.0)};
  }
  const auto reach = [&](const Box& box, int k) {
    const Pair r = towards_high[k] * box.high + towards_low[k] * box.low;
    return r[0] + r[1];
  };
  std::size_t farthest[8] = {};
  double farthest_reach[8];
  for (int k = 0; k < 8; ++k) farthest_reach[k] = reach(boxes[0], k);
  for (std::size_t b = 1; b < boxes.size(); ++b) {
    for (int k = 0; k < 8; ++k) {
      const double r = reach(boxes[b], k);
      farthest[k] = r > farthest_reach[k] ? b : farthest[k];
      farthest_reach[k] = r > farthest_reach[k] ? r : farthest_reach[k];
    }
  }
  double best[8];
  std::size_t at[8] = {};
  const auto look_into = [&](int k, std::size_t b) {
    const std::size_t start = b * run, end = std::min(n, start + run);
    for (std::size_t i = start; i < end; ++i) {
      const double v = dx[k] * points[i].ns + dy[k] * points[i].ew;
      if (v > best[k]) best[k] = v, at[k] = i;
    }
  };
  for (int k = 0; k < 8; ++k) {
    best[k] = dx[k] * points[0].ns + dy[k] * points[0].ew;
    look_into(k, farthest[k]);
  }
  for (std::size_t b = 0; b < boxes.size(); ++b)
    for (int k = 0; k < 8; ++k)
      if (b != farthest[k] && reach(boxes[b], k) > best[k]) look_into(k, b);
  Point octagon[8];
  for (int k = 0; k < 8; ++k) octagon[k] = points[at[k]];
  // The octagon's edges; a point extreme in two directions gives an edge of
  // no length, which bounds nothing.
  std::pair<Point, Point> edges[8];
  int sides = 0;
  for (int k = 0; k < 8; ++k) {
    const Point a = octagon[k], b = octagon[(k + 1) % 8];
    if (a.ns != b.ns || a.ew != b.ew) edges[sides++] = {a, b};
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
    inner = std::min(inner, cross(a, b, Point{0, 0}) / std::hypot(b.ns - a.ns, b.ew - a.ew));
  }
  inner -= 1e-9 * scale;  // far beyond the rounding of the distances
  const double inner2 = inner > 0.0 ? inner * inner : 0.0;

  // A run whose box lies inside the disc, or has its four corners inside the
  // octagon, holds no vertex.
  std::vector<Point> kept_points;
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const std::size_t start = b * run, end = std::min(n, start + run);
    const double x0 = boxes[b].low[0], x1 = boxes[b].high[0];
    const double y0 = boxes[b].low[1], y1 = boxes[b].high[1];
    const double fx = std::max(-x0, x1), fy = std::max(-y0, y1);
    if (fx * fx + fy * fy < inner2) continue;
    if (inside({x0, y0}) && inside({x0, y1}) && inside({x1, y0}) && inside({x1, y1})) continue;
    for (std::size_t i = start; i < end; ++i) {
      const Point p = points[i];
      if (p.ns * p.ns + p.ew * p.ew < inner2 || inside(p)) continue;
      kept_points.push_back(p);
    }
  }

  // Andrew's monotone chains over what is left, popping a point only when
  // it turns the wrong way by more than the margin.
  std::sort(kept_points.begin(), kept_points.end(),
            [](Point a, Point b) { return a.ns < b.ns || (a.ns == b.ns && a.ew < b.ew); });
  std::vector<Point> kept;
  std::vector<Point> chain;
  for (int pass = 0; pass < 2; ++pass) {
    chain.clear();
    const auto add = [&](Point p) {
      while (chain.size() >= 2 && cross(chain[chain.size() - 2], chain.back(), p) < -margin)
        chain.pop_back();
      chain.push_back(p);
    };
    if (pass == 0)
      std::for_each(kept_points.begin(), kept_points.end(), add);
    else
      std::for_each(kept_points.rbegin(), kept_points.rend(), add);
    kept.insert(kept.end(), chain.begin(), chain.end());
  }
  return kept;
}

struct Direction {
  double c, s;
};

// cos θ and sin θ of the whole degrees of a half turn, computed once.
const std::array<Direction, 180>& directions() {
  static const std::array<Direction, 180> table = [] {
    std::array<Direction, 180> d{};
    for (int degree = 0; degree < 180; ++degree) {
      const double theta = degree * std::numbers::pi / 180.0;
      d[static_cast<std::size_t>(degree)] = {std::cos(theta), std::sin(theta)};
    }
    return d;
  }();
  return table;
}

}  // namespace

std::array<double, 180> rotated_peaks(std::span<const HorizontalPoint> points) {
  const std::vector<Point> candidates = hull_candidates(points);
  std::array<double, 180> peaks{};
  const std::array<Direction, 180>& d = directions();
  // Two directions at once, in the lanes of one vector.
  for (std::size_t degree = 0; degree < 180; degree += 2) {
    const Pair c{d[degree].c, d[degree + 1].c}, s{d[degree].s, d[degree + 1].s};
    Pair peak{0.0, 0.0};
    for (const Point p : candidates) {
      const Pair v = c * p.ns + s * p.ew;
      peak = higher(peak, v < 0.0 ? -v : v);
    }
    peaks[degree] = peak[0];
    peaks[degree + 1] = peak[1];
  }
  return peaks;
}

std::array<double, 180> rotated_peaks(std::span<const double> ns, std::span<const double> ew) {
  std::vector<Point> points(std::min(ns.size(), ew.size()));
  for (std::size_t i = 0; i < points.size(); ++i) points[i] = {ns[i], ew[i]};
  return rotated_peaks(points);
}

RotD rotd(std::span<const HorizontalPoint> points) {
  std::array<double, 180> peaks = rotated_peaks(points);
  std::sort(peaks.begin(), peaks.end());
  return {(peaks[89] + peaks[90]) / 2.0, peaks[179]};
}

RotD rotd(std::span<const double> ns, std::span<const double> ew) {
  std::array<double, 180> peaks = rotated_peaks(ns, ew);
  std::sort(peaks.begin(), peaks.end());
  return {(peaks[89] + peaks[90]) / 2.0, peaks[179]};
}

}  // namespace smproc
