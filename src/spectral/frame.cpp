#include "spectral/frame.h"

#include "textio/text_output.h"
#include "spectral/fft.h"

namespace smproc {

namespace {

constexpr double twopi = 6.283185307;

void conjugate_mirror(Spectrum& fx, int nf) {
  for (int i = 2; i <= nf / 2; ++i) {
    fx(nf - i + 2).re = fx(i).re;
    fx(nf - i + 2).im = -fx(i).im;
  }
}

}  // namespace

bool choose_length(int nt, int& nf, int& if1) {
  int n = 2;
  for (int i = 2; i <= 15; ++i) {
    n *= 2;
    if (n >= nt) {
      nf = n;
      if1 = i;
      return true;
    }
  }
  return false;
}

bool forward_half(State& s, textio::Console& con) {
  if (!choose_length(s.nt, s.nf, s.if1)) {
    textio::list_write(con.out, {" NT>2**15 !!!!!"});
    return false;
  }
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" IF1,NF=", s.if1, s.nf});

  // Samples as real parts, then zeros up to the transform length.
  for (int i = 1; i <= s.nt; ++i) {
    s.fx1(i) = {s.xr1(i), 0.0};
    s.fx2(i) = {s.xr2(i), 0.0};
    s.fx3(i) = {s.xr3(i), 0.0};
  }
  for (int i = s.nt + 1; i <= s.nf; ++i) {
    s.fx1(i) = {};
    s.fx2(i) = {};
    s.fx3(i) = {};
  }

  wvfast(s.nf, s.fx1.data(), capacity, -1);
  wvfast(s.nf, s.fx2.data(), capacity, -1);
  wvfast(s.nf, s.fx3.data(), capacity, -1);

  // nf is a power of two, so dur is exact.
  s.dur = static_cast<double>(s.nf) * s.dt;
  for (int i = 1; i <= s.nf; ++i) {
    for (Spectrum* fx : {&s.fx1, &s.fx2, &s.fx3}) {
      (*fx)(i).re = (*fx)(i).re * s.dt;
      (*fx)(i).im = (*fx)(i).im * s.dt;
    }
  }

  s.dom = twopi / s.dur;
  s.nom = s.nf / 2 + 1;
  // One grid step beyond the Nyquist bin; echoed only.
  s.eom = static_cast<double>(s.nom) * s.dom;

  textio::list_write(con.out, {});
  textio::list_write(con.out, {" DUR,DOM,NOM,EOM=", s.dur, s.dom, s.nom, s.eom});
  textio::list_write(con.out, {" Highest Frequency (hz)=", s.eom / twopi});
  return true;
}

void inverse_half(State& s) {
  // Bins 1 and nom stay as the edits left them, imaginary parts included.
  conjugate_mirror(s.fx1, s.nf);
  conjugate_mirror(s.fx2, s.nf);
  conjugate_mirror(s.fx3, s.nf);

  wvfast(s.nf, s.fx1.data(), capacity, +1);
  wvfast(s.nf, s.fx2.data(), capacity, +1);
  wvfast(s.nf, s.fx3.data(), capacity, +1);

  // A division by dur, not a product with its reciprocal: the two round differently.
  for (int i = 1; i <= s.nf; ++i) {
    s.xr1(i) = s.fx1(i).re / s.dur;
    s.xr2(i) = s.fx2(i).re / s.dur;
    s.xr3(i) = s.fx3(i).re / s.dur;
  }
}

}  // namespace smproc
