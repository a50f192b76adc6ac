#include "spectral/frame.h"

#include <algorithm>

#include "records/constants.h"
#include "spectral/fft.h"

namespace smproc {

namespace {

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

bool choose_length(int nt, int& nf, int& if1, int max_if1) {
  int n = 2;
  for (int i = 2; i <= max_if1; ++i) {
    n *= 2;
    if (n >= nt) {
      nf = n;
      if1 = i;
      return true;
    }
  }
  return false;
}

std::optional<Grid> choose_grid(int nt, double dt, int max_if1) {
  Grid g;
  if (!choose_length(nt, g.nf, g.if1, max_if1)) return std::nullopt;
  // nf is a power of two, so dur is exact.
  g.dur = static_cast<double>(g.nf) * dt;
  g.dom = twopi / g.dur;
  g.nom = g.nf / 2 + 1;
  // One grid step beyond the Nyquist bin; echoed only.
  g.eom = static_cast<double>(g.nom) * g.dom;
  // One table of twiddle factors serves the run's six transforms.
  g.plan = std::make_shared<const FftPlan>(g.nf);
  return g;
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

}  // namespace smproc
