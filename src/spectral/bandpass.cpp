#include "spectral/bandpass.h"

#include <cmath>

#include "records/constants.h"

namespace smproc {

namespace {

void scale(Bin& b, double aa) {
  b.re = aa * b.re;
  b.im = aa * b.im;
}

}  // namespace

void apply_bandpass(const Corners& c, int nom, double dom, std::span<Spectrum* const> fx) {
  const double oml1 = c.fl1 * twopi;
  const double oml2 = c.fl2 * twopi;
  const double omh1 = c.fh1 * twopi;
  const double omh2 = c.fh2 * twopi;

  for (int i = 1; i <= nom; ++i) {
    const double omega = static_cast<double>(i - 1) * dom;
    bool zeroed = false;
    if (omega <= oml1) zeroed = true;
    if (omega >= omh2) zeroed = true;
    if (zeroed) {
      for (Spectrum* f : fx) (*f)(i) = Bin{};
    }

    double aa = 1.0;
    if (omega < oml2) aa = (omega - oml1) / (oml2 - oml1);
    // Where both ramps reach a bin, the falling one stands.
    if (omega > omh1) aa = (omh2 - omega) / (omh2 - omh1);

    // A stop-band bin is still multiplied by its (finite, often negative) aa,
    // which only sets the sign of its zeros. A zero-width ramp (equal corners)
    // makes aa infinite there; such a bin takes just the sign, as a very
    // steep ramp would leave it, rather than 0 * inf = NaN.
    if (zeroed && !std::isfinite(aa)) aa = std::copysign(1.0, aa);
    for (Spectrum* f : fx) scale((*f)(i), aa);
  }
}

int passed_bins(const Corners& c, int nom, double dom) {
  const double oml1 = c.fl1 * twopi;
  const double omh2 = c.fh2 * twopi;
  int n = 0;
  for (int i = 1; i <= nom; ++i) {
    const double omega = static_cast<double>(i - 1) * dom;
    if (!(omega <= oml1) && !(omega >= omh2)) ++n;
  }
  return n;
}

}  // namespace smproc
