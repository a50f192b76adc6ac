#include "output/window.h"

#include <cmath>
#include <limits>

namespace smproc {

namespace {

// Truncation toward zero of a sample quotient; quotients outside the integer
// range are clamped to it rather than left undefined.
int truncate_clamped(double q) {
  constexpr int lo = std::numeric_limits<int>::min();
  constexpr int hi = std::numeric_limits<int>::max();
  if (std::isnan(q)) return 0;
  if (q >= static_cast<double>(hi)) return hi;
  if (q <= static_cast<double>(lo)) return lo;
  return static_cast<int>(q);
}

}  // namespace

int start_offset(double stime, double dt) { return truncate_clamped(stime / dt); }

int window_length(double dur, double dt) {
  int q = truncate_clamped(dur / dt);
  return q == std::numeric_limits<int>::max() ? q : q + 1;
}

void cut_window(State& s) {
  // Positions before the record or past the arrays read as zero, and a
  // window longer than the arrays keeps only what they hold.
  const int n = s.ndur < capacity ? s.ndur : capacity;
  for (int i = 1; i <= n; ++i) {
    long long k = static_cast<long long>(i) + s.nstime;
    if (k <= 0 || k > capacity) {
      s.x1(i) = 0.0;
      s.x2(i) = 0.0;
      s.x3(i) = 0.0;
    } else {
      int j = static_cast<int>(k);
      s.x1(i) = s.xr1(j);
      s.x2(i) = s.xr2(j);
      s.x3(i) = s.xr3(j);
    }
  }
  s.nt = n;
}

void window_step(State& s, textio::Console& con) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Cutting data? (No=0,Yes=1)"});
  textio::list_read(con.in, {&s.icut});
  if (s.icut == 1) {
    textio::list_write(con.out, {"Enter Starting Time (sec)"});
    textio::list_read(con.in, {&s.stime});
    s.nstime = start_offset(s.stime, s.dt);
    textio::list_write(con.out, {"Number of Cutting Data =", s.nstime});
    textio::list_write(con.out, {"Enter Duration (sec)"});
    textio::list_read(con.in, {&s.dur});
    s.ndur = window_length(s.dur, s.dt);
    textio::list_write(con.out, {"Number of data =", s.ndur});
    cut_window(s);
    textio::list_write(con.out, {"New nt =", s.nt});
  }
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Skip Data (no=0; yes=skip number)?"});
  textio::list_read(con.in, {&s.iskip});
  if (s.iskip < std::numeric_limits<int>::max()) s.iskip += 1;
}

}  // namespace smproc
