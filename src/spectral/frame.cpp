#include "spectral/frame.h"

#include <algorithm>

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

// The grid's twiddle factors, or new ones for a grid set up by hand.
std::shared_ptr<const FftPlan> plan_of(const Grid& g) {
  if (g.plan && g.plan->length() == g.nf) return g.plan;
  return std::make_shared<const FftPlan>(g.nf);
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

bool choose_grid(textio::Console& con, int nt, double dt, Grid& g,
                 std::pmr::memory_resource* /*unused*/) {
  Grid chosen;
  if (!choose_length(nt, chosen.nf, chosen.if1)) {
    textio::list_write(con.out, {" NT>2**15 !!!!!"});
    return false;
  }
  // nf is a power of two, so dur is exact.
  chosen.dur = static_cast<double>(chosen.nf) * dt;
  chosen.dom = twopi / chosen.dur;
  chosen.nom = chosen.nf / 2 + 1;
  // One grid step beyond the Nyquist bin; echoed only.
  chosen.eom = static_cast<double>(chosen.nom) * chosen.dom;
  // One table of twiddle factors serves the run's six transforms.
  chosen.plan = std::make_shared<const FftPlan>(chosen.nf);
  g = std::move(chosen);

  textio::list_write(con.out, {});
  textio::list_write(con.out, {" IF1,NF=", g.if1, g.nf});
  textio::list_write(con.out, {});
  textio::list_write(con.out, {" DUR,DOM,NOM,EOM=", g.dur, g.dom, g.nom, g.eom});
  textio::list_write(con.out, {" Highest Frequency (hz)=", g.eom / twopi});
  return true;
}

void forward_transform(const Grid& g, const Series& xr, int nt, double dt, Spectrum& f) {
  // Samples as real parts (a shorter record's missing positions as zeros),
  // then zeros up to the transform length.
  f.restart(g.nf);
  f.resize(g.nf);
  const int held = std::min(nt, xr.size());
  for (int i = 1; i <= held; ++i) f(i).re = xr(i);
  plan_of(g)->transform(f.data(), Direction::forward);
  for (int i = 1; i <= g.nf; ++i) {
    f(i).re = f(i).re * dt;
    f(i).im = f(i).im * dt;
  }
}

void inverse_transform(const Grid& g, Spectrum& f, Series& x) {
  // Bins 1 and nom stay as the edits left them, imaginary parts included.
  conjugate_mirror(f, g.nf);
  plan_of(g)->transform(f.data(), Direction::inverse);
  // A division by dur, not a product with its reciprocal: the two round
  // differently. Positions past nf keep what the record left there.
  const int held = x.size() < g.nf ? x.size() : g.nf;
  for (int i = 1; i <= held; ++i) x(i) = f(i).re / g.dur;
  x.reserve(g.nf);
  for (int i = held + 1; i <= g.nf; ++i) x.append(f(i).re / g.dur);
}

bool forward_half(textio::Console& con, PerComponent<const Series*> xr, int nt, double dt,
                  PerComponent<Spectrum*> fx, Grid& g) {
  if (!choose_grid(con, nt, dt, g)) return false;
  for (int c = 0; c < 3; ++c) forward_transform(g, *xr[c], nt, dt, *fx[c]);
  return true;
}

void inverse_half(const Grid& g, PerComponent<Spectrum*> fx, PerComponent<Series*> xr) {
  for (int c = 0; c < 3; ++c) inverse_transform(g, *fx[c], *xr[c]);
}

}  // namespace smproc
