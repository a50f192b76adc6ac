#include "spectral/frame.h"

#include "spectral/fft.h"
#include "textio/text_output.h"

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

bool forward_half(textio::Console& con, PerComponent<const Series*> xr, int nt, double dt,
                  PerComponent<Spectrum*> fx, Grid& g) {
  if (!choose_length(nt, g.nf, g.if1)) {
    textio::list_write(con.out, {" NT>2**15 !!!!!"});
    return false;
  }
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" IF1,NF=", g.if1, g.nf});

  for (int c = 0; c < 3; ++c) {
    // Samples as real parts (a shorter record's missing positions as zeros),
    // then zeros up to the transform length.
    Spectrum& f = *fx[c];
    f.restart(g.nf);
    for (int i = 1; i <= nt; ++i) f.append({xr[c]->get(i), 0.0});
    for (int i = nt + 1; i <= g.nf; ++i) f.append({});
  }

  // One table of twiddle factors serves the three transforms.
  const FftPlan plan(g.nf);
  for (Spectrum* f : fx) plan.transform(f->data(), -1);

  // nf is a power of two, so dur is exact.
  g.dur = static_cast<double>(g.nf) * dt;
  for (Spectrum* f : fx) {
    for (int i = 1; i <= g.nf; ++i) {
      (*f)(i).re = (*f)(i).re * dt;
      (*f)(i).im = (*f)(i).im * dt;
    }
  }

  g.dom = twopi / g.dur;
  g.nom = g.nf / 2 + 1;
  // One grid step beyond the Nyquist bin; echoed only.
  g.eom = static_cast<double>(g.nom) * g.dom;

  textio::list_write(con.out, {});
  textio::list_write(con.out, {" DUR,DOM,NOM,EOM=", g.dur, g.dom, g.nom, g.eom});
  textio::list_write(con.out, {" Highest Frequency (hz)=", g.eom / twopi});
  return true;
}

void inverse_half(const Grid& g, PerComponent<Spectrum*> fx, PerComponent<Series*> xr) {
  // Bins 1 and nom stay as the edits left them, imaginary parts included.
  for (Spectrum* f : fx) conjugate_mirror(*f, g.nf);
  const FftPlan plan(g.nf);
  for (Spectrum* f : fx) plan.transform(f->data(), +1);

  // A division by dur, not a product with its reciprocal: the two round
  // differently. Positions past nf keep what the record left there.
  for (int c = 0; c < 3; ++c) {
    const Spectrum& f = *fx[c];
    Series& x = *xr[c];
    const int held = x.size() < g.nf ? x.size() : g.nf;
    for (int i = 1; i <= held; ++i) x(i) = f(i).re / g.dur;
    x.reserve(g.nf);
    for (int i = held + 1; i <= g.nf; ++i) x.append(f(i).re / g.dur);
  }
}

}  // namespace smproc
