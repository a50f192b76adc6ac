#include "spectral/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

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

TEST(ForwardHalfTest, OverLongRecordStopsBeforeAnyTransform) {
  auto s = std::make_unique<State>();
  s->nt = 32776;
  s->fx1(1) = {7, 8};
  CapturedConsole c("");
  EXPECT_FALSE(forward_half(*s, c.con()));
  EXPECT_EQ(c.text(), "  NT>2**15 !!!!!\n");
  EXPECT_EQ(s->fx1(1).re, 7);
  EXPECT_EQ(s->fx1(1).im, 8);
}

TEST(ForwardHalfTest, GridAndEchoLines) {
  struct Case { int nt; double dur, dom; int nom; double eom; const char* echo; };
  const Case cases[] = {
      {6000, 81.91999816894531, 0.07669904110644701, 4097, 314.2359714131134,
       "\n  IF1,NF= 13 8192\n\n  DUR,DOM,NOM,EOM=  81.9199982  0.0766990411 4097  314.235971\n"
       "  Highest Frequency (hz)=  50.0122081\n"},
      {4096, 40.959999084472656, 0.15339808221289403, 2049, 314.31267045421987,
       "\n  IF1,NF= 12 4096\n\n  DUR,DOM,NOM,EOM=  40.9599991  0.153398082 2049  314.31267\n"
       "  Highest Frequency (hz)=  50.0244152\n"},
  };
  for (const Case& t : cases) {
    auto s = std::make_unique<State>();
    s->nt = t.nt;
    CapturedConsole c("");
    ASSERT_TRUE(forward_half(*s, c.con()));
    EXPECT_EQ(s->dur, t.dur);
    EXPECT_EQ(s->dom, t.dom);
    EXPECT_EQ(s->nom, t.nom);
    EXPECT_EQ(s->eom, t.eom);
    EXPECT_EQ(c.text(), t.echo);
  }
}

// An impulse at sample 1 has a flat spectrum: every bin is dt, the padding
// included; a leftover sample above nt stays out of the transform.
TEST(ForwardHalfTest, ScalesByDtAndPadsWithZeros) {
  auto s = std::make_unique<State>();
  s->nt = 3;
  s->xr1(1) = 1;
  s->xr2(1) = -2;
  s->xr3(4) = 5;  // above nt
  CapturedConsole c("");
  ASSERT_TRUE(forward_half(*s, c.con()));
  ASSERT_EQ(s->nf, 4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(s->fx1(i).re, s->dt);
    EXPECT_EQ(s->fx1(i).im, 0);
    EXPECT_EQ(s->fx2(i).re, -2 * s->dt);
    EXPECT_EQ(s->fx3(i).re, 0);
    EXPECT_EQ(s->fx3(i).im, 0);
  }
}

TEST(InverseHalfTest, RebuildsUpperBinsAndDividesByDur) {
  auto s = std::make_unique<State>();
  s->nf = 4;
  s->nom = 3;
  s->dur = 4 * s->dt;
  s->fx1(1) = {20, 0};
  s->fx1(4) = {100, 100};  // left by the forward half; must be replaced
  s->xr1(5) = 9;           // beyond nf
  inverse_half(*s);
  // A division: the product with 1/dur would differ in the last bit here.
  const double want = 20 / (4 * s->dt);
  ASSERT_NE(want, 20 * (1 / (4 * s->dt)));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(s->xr1(i), want) << i;
  EXPECT_EQ(s->xr1(5), 9);
}

TEST(InverseHalfTest, ImaginaryPartsOfZeroAndNyquistBinsDoNotReachTheSeries) {
  auto with = std::make_unique<State>();
  with->nf = 8;
  with->nom = 5;
  with->dur = 8 * with->dt;
  for (int i = 1; i <= 5; ++i) with->fx2(i) = {1.0 + i, 0.5 * i};
  auto without = std::make_unique<State>(*with);
  without->fx2(1).im = 0;
  without->fx2(5).im = 0;
  inverse_half(*with);
  inverse_half(*without);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(with->xr2(i), without->xr2(i)) << i;
}

TEST(SpectralFrameTest, RoundTripReturnsTheSeries) {
  auto s = std::make_unique<State>();
  s->nt = 6000;
  double big = 0;
  for (int i = 1; i <= s->nt; ++i) {
    s->xr1(i) = 50 * std::sin(0.05 * i);
    s->xr2(i) = (i % 13) - 6.0;
    s->xr3(i) = -std::cos(0.001 * i * i);
    big = std::max({big, std::abs(s->xr1(i)), std::abs(s->xr2(i)), std::abs(s->xr3(i))});
  }
  const auto before = std::make_unique<State>(*s);
  CapturedConsole c("");
  ASSERT_TRUE(forward_half(*s, c.con()));
  inverse_half(*s);
  for (int i = 1; i <= s->nf; ++i) {
    const bool loaded = i <= s->nt;
    EXPECT_NEAR(s->xr1(i), loaded ? before->xr1(i) : 0, 5e-9 * big) << i;
    EXPECT_NEAR(s->xr2(i), loaded ? before->xr2(i) : 0, 5e-9 * big) << i;
    EXPECT_NEAR(s->xr3(i), loaded ? before->xr3(i) : 0, 5e-9 * big) << i;
  }
}

}  // namespace
}  // namespace smproc
