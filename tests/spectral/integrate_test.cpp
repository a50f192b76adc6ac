#include "spectral/integrate.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/per_component.h"

namespace smproc {
namespace {

using testing::each;

// Spectra on a grid, with the operator chosen for them.
struct Spectra {
  PerComponent<Spectrum> fx;
  int nom = 0;
  double dom = 0.0;
  int nit = 0;
};

// Bins at omega = 0, 2, 4 rad/s (nom = 3), bin 4 above nom.
std::unique_ptr<Spectra> grid(int nit) {
  auto s = std::make_unique<Spectra>();
  s->nom = 3;
  s->dom = 2;
  s->nit = nit;
  for (Spectrum& fx : s->fx) {
    fx.restart(4);
    fx.append({7, 8});
    fx.append({3, -5});
    fx.append({3, -5});
    fx.append({3, -5});
  }
  s->fx[1](2) = {4, 0};
  return s;
}

void operate(Spectra& s) { apply_operator(operation_of(s.nit), s.nom, s.dom, each(s.fx)); }

void expect_bin(const Bin& b, double re, double im, const char* what) {
  EXPECT_EQ(b.re, re) << what;
  EXPECT_EQ(b.im, im) << what;
}

TEST(ApplyOperatorTest, WorkedExampleAndNeighbours) {
  struct Case { int nit; Bin at2, at4, real_at2; };
  const Case cases[] = {
      {1, {-2.5, -1.5}, {-1.25, -0.75}, {0, -2}},
      {2, {-0.75, 1.25}, {-0.1875, 0.3125}, {-1, 0}},
      {3, {10, 6}, {20, 12}, {0, 8}},
  };
  for (const Case& t : cases) {
    auto s = grid(t.nit);
    operate(*s);
    for (const Spectrum& fx : s->fx) {
      expect_bin(fx(1), 7, 8, "bin 1 is never touched");
      expect_bin(fx(3), t.at4.re, t.at4.im, "bin nom at omega 4");
      expect_bin(fx(4), 3, -5, "above nom");
    }
    expect_bin(s->fx[0](2), t.at2.re, t.at2.im, "(3, -5) at omega 2");
    expect_bin(s->fx[2](2), t.at2.re, t.at2.im, "(3, -5) at omega 2, UD");
    expect_bin(s->fx[1](2), t.real_at2.re, t.real_at2.im, "(4, 0) at omega 2");
  }
}

TEST(ApplyOperatorTest, OtherChoicesChangeNothing) {
  for (int nit : {0, 4, -1}) {
    auto s = grid(nit);
    operate(*s);
    expect_bin(s->fx[0](2), 3, -5, "NS");
    expect_bin(s->fx[1](2), 4, 0, "EW");
    expect_bin(s->fx[2](3), 3, -5, "UD");
  }
}

}  // namespace
}  // namespace smproc
