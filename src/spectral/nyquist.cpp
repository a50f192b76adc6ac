#include "spectral/nyquist.h"

namespace smproc {

double nyquist_hz(double dt) { return 1.0 / (2.0 * dt); }

std::array<bool, 4> corners_above(const Corners& c, double nyquist) {
  return {c.fl1 > nyquist, c.fl2 > nyquist, c.fh1 > nyquist, c.fh2 > nyquist};
}

}  // namespace smproc
