#include "spectral/bandpass.h"

#include <cmath>

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc {

namespace {

constexpr double twopi = 6.283185307;

void scale(Bin& b, double aa) {
  b.re = aa * b.re;
  b.im = aa * b.im;
}

}  // namespace

void apply_bandpass(State& s) {
  const double oml1 = s.fl1 * twopi;
  const double oml2 = s.fl2 * twopi;
  const double omh1 = s.fh1 * twopi;
  const double omh2 = s.fh2 * twopi;

  for (int i = 1; i <= s.nom; ++i) {
    const double omega = static_cast<double>(i - 1) * s.dom;
    bool zeroed = false;
    if (omega <= oml1) zeroed = true;
    if (omega >= omh2) zeroed = true;
    if (zeroed) s.fx1(i) = s.fx2(i) = s.fx3(i) = Bin{};

    double aa = 1.0;
    if (omega < oml2) aa = (omega - oml1) / (oml2 - oml1);
    // Where both ramps reach a bin, the falling one stands.
    if (omega > omh1) aa = (omh2 - omega) / (omh2 - omh1);

    // A stop-band bin is still multiplied by its (finite, often negative) aa,
    // which only sets the sign of its zeros. A zero-width ramp (equal corners)
    // makes aa infinite there; such a bin takes just the sign, as a very
    // steep ramp would leave it, rather than 0 * inf = NaN.
    if (zeroed && !std::isfinite(aa)) aa = std::copysign(1.0, aa);
    scale(s.fx1(i), aa);
    scale(s.fx2(i), aa);
    scale(s.fx3(i), aa);
  }
}

void bandpass_step(State& s, textio::Console& con) {
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" Band Pass Filter? (YES=1)?? :"});
  textio::list_read(con.in, {&s.nbd});
  if (s.nbd != 1) return;

  textio::list_write(con.out, {});
  textio::list_write(con.out, {"  TRAPEZOIDAL BAND PATH FILTER"});
  textio::list_write(con.out, {"  ENTER fL1<fL2<fH1<fH2 (Hz)"});
  textio::list_read(con.in, {&s.fl1, &s.fl2, &s.fh1, &s.fh2});
  apply_bandpass(s);
}

}  // namespace smproc
