#include "output/window.h"

#include <cmath>
#include <cstdio>
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

int cut_window(PerComponent<const Series*> xr, PerComponent<Series*> x, int nstime, int ndur) {
  // Positions before the record or past the capacity read as zero, and a
  // window longer than the capacity keeps only what it holds.
  const int n = ndur < capacity ? ndur : capacity;
  for (int c = 0; c < 3; ++c) {
    x[c]->extend_to(n);
    for (int i = 1; i <= n; ++i) {
      long long k = static_cast<long long>(i) + nstime;
      (*x[c])(i) = k <= 0 || k > capacity ? 0.0 : xr[c]->get(static_cast<int>(k));
    }
  }
  return n;
}

namespace {

// What the user should know about a window of ndur samples after nstime,
// cut from a record of nt samples.
void check_window(textio::Warnings& warnings, const WindowAnswers& a, int nt, double dt) {
  char text[320];
  if (a.ndur <= 0) {
    std::snprintf(text, sizeof text,
                  "the window length %g s is not positive: the waveform file holds no samples",
                  a.length);
    warnings.add(text);
    return;
  }
  const long long first = static_cast<long long>(a.nstime) + 1;
  const long long last = static_cast<long long>(a.nstime) + a.ndur;
  const double record_end = static_cast<double>(nt > 0 ? nt - 1 : 0) * dt;
  const char* where = nullptr;
  if (last < 1 || first > nt)
    where = "wholly";
  else if (first < 1 || last > nt)
    where = "partly";
  if (where) {
    std::snprintf(text, sizeof text,
                  "the window from %g s for %g s lies %s outside the record (0 to %.2f s): "
                  "samples before its start are zeros, samples past its end come from the "
                  "transform's zero padding",
                  a.start, a.length, where, record_end);
    warnings.add(text);
  }
  if (a.ndur > capacity) {
    std::snprintf(text, sizeof text, "the window of %d samples is cut to %d samples", a.ndur,
                  capacity);
    warnings.add(text);
  }
}

}  // namespace

void window_step(textio::Console& con, textio::Warnings& warnings, double dt,
                 PerComponent<const Series*> xr, PerComponent<Series*> x, int& nt,
                 WindowAnswers& a) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Cutting data? (No=0,Yes=1)"});
  textio::list_read(con.in, {&a.cut});
  if (a.cut == 1) {
    textio::list_write(con.out, {"Enter Starting Time (sec)"});
    textio::list_read(con.in, {&a.start});
    a.nstime = start_offset(a.start, dt);
    textio::list_write(con.out, {"Number of Cutting Data =", a.nstime});
    textio::list_write(con.out, {"Enter Duration (sec)"});
    textio::list_read(con.in, {&a.length});
    a.ndur = window_length(a.length, dt);
    textio::list_write(con.out, {"Number of data =", a.ndur});
    check_window(warnings, a, nt, dt);
    nt = cut_window(xr, x, a.nstime, a.ndur);
    textio::list_write(con.out, {"New nt =", nt});
  }
  textio::list_write(con.out, {});
  textio::list_write(con.out, {"Skip Data (no=0; yes=skip number)?"});
  textio::list_read(con.in, {&a.stride});
  if (a.stride < std::numeric_limits<int>::max()) a.stride += 1;
}

}  // namespace smproc
