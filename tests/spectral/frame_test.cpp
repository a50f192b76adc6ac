#include "spectral/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>


namespace smproc {
namespace {

TEST(ChooseLengthTest, LeastPowerOfTwoNotBelowCount) {
  struct Case { int nt, nf, if1; };
  for (const Case t : {Case{32768, 32768, 15}, {4096, 4096, 12}, {4104, 8192, 13}, {8, 8, 3},
                       {5, 8, 3}, {4, 4, 2}, {0, 4, 2}}) {
    int nf = -1, if1 = -1;
    EXPECT_TRUE(choose_length(t.nt, nf, if1)) << t.nt;
    EXPECT_EQ(nf, t.nf) << t.nt;
    EXPECT_EQ(if1, t.if1) << t.nt;
  }
  int nf = 0, if1 = 0;
  EXPECT_FALSE(choose_length(32769, nf, if1));
  EXPECT_FALSE(choose_length(32776, nf, if1));
}

TEST(ChooseLengthTest, LongRecordsReachTwoToTheTwentyFour) {
  const int most = RecordLimits::long_records().max_if1;
  struct Case { int nt, nf, if1; };
  for (const Case t : {Case{32768, 32768, 15}, {32769, 65536, 16}, {40000, 65536, 16},
                       {1 << 20, 1 << 20, 20}, {(1 << 20) + 8, 1 << 21, 21},
                       {1 << 24, 1 << 24, 24}, {6000, 8192, 13}}) {
    int nf = -1, if1 = -1;
    EXPECT_TRUE(choose_length(t.nt, nf, if1, most)) << t.nt;
    EXPECT_EQ(nf, t.nf) << t.nt;
    EXPECT_EQ(if1, t.if1) << t.nt;
  }
  int nf = 0, if1 = 0;
  EXPECT_FALSE(choose_length((1 << 24) + 1, nf, if1, most));
  EXPECT_FALSE(choose_length((1 << 24) + 8, nf, if1, most));
}

// 0.01 s held in single precision, widened: the run's sampling interval.
const double dt = static_cast<double>(0.01f);

// The three components' series and spectra, and their grid.
struct Frame {
  PerComponent<Series> xr;
  PerComponent<Spectrum> fx;
  Grid grid;
  int nt = 0;

  // The grid for nt, then each component into the frequency domain.
  bool forward() {
    std::optional<Grid> g = choose_grid(nt, dt);
    if (!g) return false;
    grid = std::move(*g);
    for (int c = 0; c < 3; ++c) forward_transform(grid, xr[c], nt, dt, fx[c]);
    return true;
  }
  void inverse() {
    for (int c = 0; c < 3; ++c) inverse_transform(grid, fx[c], xr[c]);
  }
  // Sets nf bins of every spectrum, all zero.
  void zero_spectra(int nf) {
    for (Spectrum& f : fx) {
      f.restart(nf);
      for (int i = 1; i <= nf; ++i) f.append({});
    }
  }
};

TEST(ForwardHalfTest, OverLongRecordStopsBeforeAnyTransform) {
  auto s = std::make_unique<Frame>();
  s->nt = 32776;
  s->fx[0].restart(1);
  s->fx[0].append({7, 8});
  EXPECT_FALSE(s->forward());
  EXPECT_EQ(s->fx[0](1).re, 7);
  EXPECT_EQ(s->fx[0](1).im, 8);
  EXPECT_EQ(s->fx[0].size(), 1);
  EXPECT_EQ(s->grid.nf, 0);
  EXPECT_EQ(s->grid.nom, 0);
}

TEST(ForwardHalfTest, Grid) {
  struct Case { int nt; double dur, dom; int nom; double eom; };
  const Case cases[] = {
      {6000, 81.91999816894531, 0.07669904110644701, 4097, 314.2359714131134},
      {4096, 40.959999084472656, 0.15339808221289403, 2049, 314.31267045421987},
  };
  for (const Case& t : cases) {
    auto s = std::make_unique<Frame>();
    s->nt = t.nt;
    ASSERT_TRUE(s->forward());
    EXPECT_EQ(s->grid.dur, t.dur);
    EXPECT_EQ(s->grid.dom, t.dom);
    EXPECT_EQ(s->grid.nom, t.nom);
    EXPECT_EQ(s->grid.eom, t.eom);
  }
}

// An impulse at sample 1 has a flat spectrum: every bin is dt, the padding
// included; a leftover sample above nt stays out of the transform.
TEST(ForwardHalfTest, ScalesByDtAndPadsWithZeros) {
  auto s = std::make_unique<Frame>();
  s->nt = 3;
  s->xr[0].append(1);
  s->xr[1].append(-2);
  s->xr[2].extend_to(4);
  s->xr[2](4) = 5;  // above nt
  ASSERT_TRUE(s->forward());
  ASSERT_EQ(s->grid.nf, 4);
  for (const Spectrum& f : s->fx) ASSERT_EQ(f.size(), 4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(s->fx[0](i).re, dt);
    EXPECT_EQ(s->fx[0](i).im, 0);
    EXPECT_EQ(s->fx[1](i).re, -2 * dt);
    EXPECT_EQ(s->fx[2](i).re, 0);
    EXPECT_EQ(s->fx[2](i).im, 0);
  }
}

TEST(InverseHalfTest, RebuildsUpperBinsAndDividesByDur) {
  auto s = std::make_unique<Frame>();
  s->grid.nf = 4;
  s->grid.nom = 3;
  s->grid.dur = 4 * dt;
  s->zero_spectra(4);
  s->fx[0](1) = {20, 0};
  s->fx[0](4) = {100, 100};  // left by the forward half; must be replaced
  s->xr[0].extend_to(5);
  s->xr[0](5) = 9;  // beyond nf
  s->inverse();
  // A division: the product with 1/dur would differ in the last bit here.
  const double want = 20 / (4 * dt);
  ASSERT_NE(want, 20 * (1 / (4 * dt)));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(s->xr[0].get(i), want) << i;
  EXPECT_EQ(s->xr[0].get(5), 9);
  // Series that held fewer samples than nf now hold nf.
  EXPECT_EQ(s->xr[1].size(), 4);
  EXPECT_EQ(s->xr[2].size(), 4);
}

TEST(InverseHalfTest, ImaginaryPartsOfZeroAndNyquistBinsDoNotReachTheSeries) {
  auto with = std::make_unique<Frame>();
  with->grid.nf = 8;
  with->grid.nom = 5;
  with->grid.dur = 8 * dt;
  with->zero_spectra(8);
  for (int i = 1; i <= 5; ++i) with->fx[1](i) = {1.0 + i, 0.5 * i};
  auto without = std::make_unique<Frame>(*with);
  without->fx[1](1).im = 0;
  without->fx[1](5).im = 0;
  with->inverse();
  without->inverse();
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(with->xr[1].get(i), without->xr[1].get(i)) << i;
}

TEST(SpectralFrameTest, RoundTripReturnsTheSeries) {
  auto s = std::make_unique<Frame>();
  s->nt = 6000;
  double big = 0;
  for (int i = 1; i <= s->nt; ++i) {
    s->xr[0].append(50 * std::sin(0.05 * i));
    s->xr[1].append((i % 13) - 6.0);
    s->xr[2].append(-std::cos(0.001 * i * i));
    big = std::max({big, std::abs(s->xr[0](i)), std::abs(s->xr[1](i)), std::abs(s->xr[2](i))});
  }
  const auto before = std::make_unique<Frame>(*s);
  ASSERT_TRUE(s->forward());
  s->inverse();
  ASSERT_EQ(s->grid.nf, 8192);
  for (int i = 1; i <= s->grid.nf; ++i) {
    const bool loaded = i <= s->nt;
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(s->xr[k].get(i), loaded ? before->xr[k].get(i) : 0, 5e-9 * big) << k << " " << i;
  }
}

}  // namespace
}  // namespace smproc
