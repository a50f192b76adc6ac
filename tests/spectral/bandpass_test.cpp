#include "spectral/bandpass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

// Bins 1..nom of every component hold (1, -2), (3, 0), (0, 5).
std::unique_ptr<State> flat(int nom, double dom) {
  auto s = std::make_unique<State>();
  s->nom = nom;
  s->dom = dom;
  for (int i = 1; i <= nom + 1; ++i) {
    s->fx1(i) = {1, -2};
    s->fx2(i) = {3, 0};
    s->fx3(i) = {0, 5};
  }
  return s;
}

void set_corners(State& s, double fl1, double fl2, double fh1, double fh2) {
  s.fl1 = fl1;
  s.fl2 = fl2;
  s.fh1 = fh1;
  s.fh2 = fh2;
}

// The gain of bin i, read from the NS component.
double gain(const State& s, int i) { return s.fx1(i).re; }

TEST(BandpassTest, WorkedExampleAtNf8192) {
  const double dur = 8192 * static_cast<double>(0.01f);
  auto s = flat(4097, 6.283185307 / dur);
  set_corners(*s, 0.1, 0.2, 20, 25);
  apply_bandpass(*s);
  struct Row { int i; double g; };
  for (const Row r : {Row{1, 0}, {9, 0}, {10, 0.098633}, {13, 0.464844}, {17, 0.953125}, {18, 1},
                      {1639, 1}, {1640, 0.998535}, {1844, 0.500488}, {2048, 0.002441}, {2049, 0},
                      {4097, 0}}) {
    EXPECT_NEAR(gain(*s, r.i), r.g, 5e-7) << "bin " << r.i;
    EXPECT_EQ(s->fx1(r.i).im, -2 * gain(*s, r.i)) << "bin " << r.i;
    EXPECT_EQ(s->fx2(r.i).re, 3 * gain(*s, r.i)) << "bin " << r.i;
    EXPECT_EQ(s->fx3(r.i).im, 5 * gain(*s, r.i)) << "bin " << r.i;
  }
  // The pass band is left exactly as it was.
  EXPECT_EQ(gain(*s, 18), 1);
  EXPECT_EQ(gain(*s, 1639), 1);
  // Stop-band bins are still multiplied by their negative aa: negative zeros.
  for (int i : {1, 9, 2049, 4097}) EXPECT_TRUE(std::signbit(gain(*s, i))) << "bin " << i;
  EXPECT_EQ(s->fx1(4098).re, 1);  // above nom: untouched
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
    apply_bandpass(*s);
    for (int i = 1; i <= 9; ++i) EXPECT_NEAR(gain(*s, i), t.g[i - 1], 1e-12) << t.name << " bin " << i;
  }
}

// Equal corners leave a zero-width ramp; its bins stay zero (never NaN) and
// come out as the same bits as a ramp of almost zero width gives.
TEST(BandpassTest, EqualCornersKeepStopBandZero) {
  auto equal = flat(9, half_hz);
  set_corners(*equal, 1, 1, 3, 3);
  apply_bandpass(*equal);
  auto steep = flat(9, half_hz);
  set_corners(*steep, 1, 1 + 1e-12, 3 - 1e-12, 3);
  apply_bandpass(*steep);
  const double g[] = {0, 0, 0, 1, 1, 1, 0, 0, 0};
  for (int i = 1; i <= 9; ++i) {
    for (auto fx : {&State::fx1, &State::fx2, &State::fx3}) {
      const Bin a = ((*equal).*fx)(i);
      const Bin b = ((*steep).*fx)(i);
      EXPECT_FALSE(std::isnan(a.re) || std::isnan(a.im)) << "bin " << i;
      EXPECT_EQ(std::signbit(a.re), std::signbit(b.re)) << "bin " << i;
      EXPECT_EQ(std::signbit(a.im), std::signbit(b.im)) << "bin " << i;
    }
    EXPECT_EQ(gain(*equal, i), g[i - 1]) << "bin " << i;
  }
  EXPECT_TRUE(std::signbit(gain(*equal, 1)));   // below the low corner: aa was -inf
  EXPECT_FALSE(std::signbit(gain(*equal, 3)));  // on it: aa was 1
}

TEST(BandpassStepTest, YesAsksForCornersAndFilters) {
  auto s = flat(9, half_hz);
  CapturedConsole c("1\n1 5 2 3\n");
  bandpass_step(*s, c.con());
  EXPECT_EQ(c.text(),
            "\n  Band Pass Filter? (YES=1)?? :\n\n   TRAPEZOIDAL BAND PATH FILTER\n"
            "   ENTER fL1<fL2<fH1<fH2 (Hz)\n");
  EXPECT_EQ(s->fh2, 3);
  EXPECT_EQ(gain(*s, 6), 0.5);
}

TEST(BandpassStepTest, AnyOtherAnswerReadsNothingMore) {
  for (const char* answer : {"0\n", "2\n", "-1\n"}) {
    auto s = flat(9, half_hz);
    CapturedConsole c(std::string(answer) + "7\n");
    bandpass_step(*s, c.con());
    EXPECT_EQ(c.text(), "\n  Band Pass Filter? (YES=1)?? :\n") << answer;
    EXPECT_EQ(gain(*s, 1), 1) << answer;
    int next = 0;
    textio::list_read(c.con().in, {&next});
    EXPECT_EQ(next, 7) << answer;
  }
}

}  // namespace
}  // namespace smproc
