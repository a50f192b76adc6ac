#include "spectral/bandpass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/per_component.h"

namespace smproc {
namespace {

using testing::each;

// Spectra on a grid, with the corners to filter them by.
struct Flat {
  PerComponent<Spectrum> fx;
  int nom = 0;
  double dom = 0.0;
  Corners corners;
};

// Bins 1..nom+1 of every component hold (1, -2), (3, 0), (0, 5).
std::unique_ptr<Flat> flat(int nom, double dom) {
  auto s = std::make_unique<Flat>();
  s->nom = nom;
  s->dom = dom;
  const Bin bins[3] = {{1, -2}, {3, 0}, {0, 5}};
  for (int c = 0; c < 3; ++c) {
    s->fx[c].restart(nom + 1);
    for (int i = 1; i <= nom + 1; ++i) s->fx[c].append(bins[c]);
  }
  return s;
}

void set_corners(Flat& s, double fl1, double fl2, double fh1, double fh2) {
  s.corners = {fl1, fl2, fh1, fh2};
}

void filter(Flat& s) { apply_bandpass(s.corners, s.nom, s.dom, each(s.fx)); }

// The gain of bin i, read from the NS component.
double gain(const Flat& s, int i) { return s.fx[0](i).re; }

TEST(BandpassTest, WorkedExampleAtNf8192) {
  const double dur = 8192 * static_cast<double>(0.01f);
  auto s = flat(4097, 6.283185307 / dur);
  set_corners(*s, 0.1, 0.2, 20, 25);
  filter(*s);
  struct Row { int i; double g; };
  for (const Row r : {Row{1, 0}, {9, 0}, {10, 0.098633}, {13, 0.464844}, {17, 0.953125}, {18, 1},
                      {1639, 1}, {1640, 0.998535}, {1844, 0.500488}, {2048, 0.002441}, {2049, 0},
                      {4097, 0}}) {
    EXPECT_NEAR(gain(*s, r.i), r.g, 5e-7) << "bin " << r.i;
    EXPECT_EQ(s->fx[0](r.i).im, -2 * gain(*s, r.i)) << "bin " << r.i;
    EXPECT_EQ(s->fx[1](r.i).re, 3 * gain(*s, r.i)) << "bin " << r.i;
    EXPECT_EQ(s->fx[2](r.i).im, 5 * gain(*s, r.i)) << "bin " << r.i;
  }
  // The pass band is left exactly as it was.
  EXPECT_EQ(gain(*s, 18), 1);
  EXPECT_EQ(gain(*s, 1639), 1);
  // Stop-band bins are still multiplied by their negative aa: negative zeros.
  for (int i : {1, 9, 2049, 4097}) EXPECT_TRUE(std::signbit(gain(*s, i))) << "bin " << i;
  EXPECT_EQ(s->fx[0](4098).re, 1);  // above nom: untouched
}

// With dom = pi*(the system's 2pi), bin i lies at exactly (i - 1)/2 Hz.
const double half_hz = 0.5 * 6.283185307;

TEST(BandpassTest, CornerOrdersOtherThanPrompted) {
  struct Case {
    const char* name;
    double fl1, fl2, fh1, fh2;
    std::vector<double> g;  // gains at 0, 0.5, ..., 4 Hz
  };
  const std::vector<Case> cases = {
      {"overlapping ramps: falling one stands", 1, 5, 2, 3, {0, 0, 0, 0.125, 0.25, 0.5, 0, 0, 0}},
      {"reversed low pair: hard low edge", 2, 1, 3, 4, {0, 0, 0, 0, 0, 1, 1, 0.5, 0}},
      {"reversed high pair: hard high edge", 0, 1, 3, 2, {0, 0.5, 1, 1, 0, 0, 0, 0, 0}},
      {"reversed band: all gone", 5, 6, 1, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"low corners at 0: no low ramp", 0, 0, 3, 4, {0, 1, 1, 1, 1, 1, 1, 0.5, 0}},
  };
  for (const Case& t : cases) {
    auto s = flat(9, half_hz);
    set_corners(*s, t.fl1, t.fl2, t.fh1, t.fh2);
    filter(*s);
    for (int i = 1; i <= 9; ++i) EXPECT_NEAR(gain(*s, i), t.g[i - 1], 1e-12) << t.name << " bin " << i;
  }
}

// Equal corners leave a zero-width ramp; its bins stay zero (never NaN) and
// come out as the same bits as a ramp of almost zero width gives.
TEST(BandpassTest, EqualCornersKeepStopBandZero) {
  auto equal = flat(9, half_hz);
  set_corners(*equal, 1, 1, 3, 3);
  filter(*equal);
  auto steep = flat(9, half_hz);
  set_corners(*steep, 1, 1 + 1e-12, 3 - 1e-12, 3);
  filter(*steep);
  const double g[] = {0, 0, 0, 1, 1, 1, 0, 0, 0};
  for (int i = 1; i <= 9; ++i) {
    for (int c = 0; c < 3; ++c) {
      const Bin a = equal->fx[c](i);
      const Bin b = steep->fx[c](i);
      EXPECT_FALSE(std::isnan(a.re) || std::isnan(a.im)) << "bin " << i;
      EXPECT_EQ(std::signbit(a.re), std::signbit(b.re)) << "bin " << i;
      EXPECT_EQ(std::signbit(a.im), std::signbit(b.im)) << "bin " << i;
    }
    EXPECT_EQ(gain(*equal, i), g[i - 1]) << "bin " << i;
  }
  EXPECT_TRUE(std::signbit(gain(*equal, 1)));   // below the low corner: aa was -inf
  EXPECT_FALSE(std::signbit(gain(*equal, 3)));  // on it: aa was 1
}

}  // namespace
}  // namespace smproc
