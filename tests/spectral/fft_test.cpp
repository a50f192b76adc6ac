#include "spectral/fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/series.h"

namespace smproc {
namespace {

// cos of the transform's pi/2: not 0 but about -2.05e-10.
const double c = std::cos(1.570796327);

struct SmallCase {
  const char* name;
  int ind;
  std::vector<Bin> in, out;
};

TEST(WvfastTest, SmallLengthsGiveExactValues) {
  const std::vector<SmallCase> cases = {
      {"n=1 forward", -1, {{2.5, -1}}, {{2.5, -1}}},
      {"n=1 inverse", 1, {{2.5, -1}}, {{2.5, -1}}},
      {"n=2 forward", -1, {{1, 2}, {3, 4}}, {{4, 6}, {-2, -2}}},
      {"n=2 inverse", 1, {{1, 2}, {3, 4}}, {{4, 6}, {-2, -2}}},
      {"n=4 impulse forward", -1, {{1, 0}, {0, 0}, {0, 0}, {0, 0}}, {{1, 0}, {1, 0}, {1, 0}, {1, 0}}},
      {"n=4 impulse inverse", 1, {{1, 0}, {0, 0}, {0, 0}, {0, 0}}, {{1, 0}, {1, 0}, {1, 0}, {1, 0}}},
      {"n=4 shifted forward", -1, {{0, 0}, {1, 0}, {0, 0}, {0, 0}}, {{1, 0}, {c, -1}, {-1, 0}, {-c, 1}}},
      {"n=4 shifted inverse", 1, {{0, 0}, {1, 0}, {0, 0}, {0, 0}}, {{1, 0}, {c, 1}, {-1, 0}, {-c, -1}}},
  };
  for (const auto& t : cases) {
    std::vector<Bin> a = t.in;
    a.push_back({99, -99});  // beyond n: must stay
    wvfast(static_cast<int>(t.in.size()), a.data(), static_cast<int>(a.size()), t.ind);
    for (std::size_t i = 0; i < t.out.size(); ++i) {
      EXPECT_EQ(a[i].re, t.out[i].re) << t.name << " bin " << i + 1;
      EXPECT_EQ(a[i].im, t.out[i].im) << t.name << " bin " << i + 1;
    }
    EXPECT_EQ(a.back().re, 99) << t.name;
    EXPECT_EQ(a.back().im, -99) << t.name;
  }
  EXPECT_NEAR(c, -2.05e-10, 1e-12);
}

TEST(WvfastTest, ForwardThenInverseGivesNTimesInputAtLargestLength) {
  const int n = 32768;
  std::vector<Bin> a(n);
  for (int t = 0; t < n; ++t) a[t] = {std::sin(0.013 * t) * 100 + (t % 7), 0};
  const std::vector<Bin> in = a;
  wvfast(n, a.data(), n, -1);
  wvfast(n, a.data(), n, 1);
  double worst = 0;
  for (int t = 0; t < n; ++t) {
    worst = std::max(worst, std::abs(a[t].re / n - in[t].re));
    worst = std::max(worst, std::abs(a[t].im / n));
  }
  EXPECT_LT(worst, 106 * 5e-9);  // a few parts in 1e9 of the largest sample
}

TEST(WvfastTest, RejectsLengthsOutsideTheContract) {
  std::vector<Bin> a(64);
  EXPECT_THROW(wvfast(6, a.data(), 64, -1), std::invalid_argument);
  EXPECT_THROW(wvfast(48, a.data(), 64, 1), std::invalid_argument);
  EXPECT_THROW(wvfast(64, a.data(), 32, -1), std::invalid_argument);
  EXPECT_NO_THROW(wvfast(0, a.data(), 64, -1));
}


// The transform as the steps describe it, twiddle factor evaluated in the
// innermost loop for every butterfly; the fast version must agree bit for bit.
void reference_transform(int n, std::vector<Bin>& a, int ind) {
  const double pai = 3.141592654;
  int j = 0;
  for (int i = 0; i < n; ++i) {  // bit reversal, zero-based
    if (i < j) std::swap(a[i], a[j]);
    int m = n / 2;
    while (m >= 1 && j >= m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
  for (int kmax = 1; kmax < n; kmax *= 2) {
    for (int k = 1; k <= kmax; ++k) {
      const double angle = static_cast<double>((k - 1) * ind) * pai / static_cast<double>(kmax);
      for (int i = k; i <= n; i += 2 * kmax) {
        const double wr = std::cos(angle);
        const double wi = std::sin(angle);
        Bin& p = a[i - 1];
        Bin& q = a[i - 1 + kmax];
        const double tr = q.re * wr - q.im * wi;
        const double ti = q.re * wi + q.im * wr;
        q = {p.re - tr, p.im - ti};
        p = {p.re + tr, p.im + ti};
      }
    }
  }
}

TEST(WvfastTest, AgreesBitForBitWithTheButterflyByButterflyForm) {
  for (int n : {8, 4096, 32768}) {
    for (int ind : {-1, 1}) {
      std::vector<Bin> a(capacity);
      unsigned x = 2024;
      for (int i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        a[i] = {static_cast<double>(x >> 8) / 65536.0 - 128.0, ind > 0 ? 0.5 * i : 0.0};
      }
      std::vector<Bin> want = a;
      reference_transform(n, want, ind);
      wvfast(n, a.data(), capacity, ind);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(a[i].re, want[i].re) << "n=" << n << " ind=" << ind << " i=" << i;
        ASSERT_EQ(a[i].im, want[i].im) << "n=" << n << " ind=" << ind << " i=" << i;
      }
    }
  }
}

// Random values, a third of them exact zeros of either sign, or (zeros_only)
// nothing but zeros of random sign: the sign of a zero result depends on
// every product and sum before it, so a changed operation order or factor
// shows there.
std::vector<Bin> random_bins(int n, unsigned seed, bool zeros_only = false) {
  std::vector<Bin> a(n);
  unsigned x = seed;
  auto next = [&x, zeros_only] {
    x = x * 1664525u + 1013904223u;
    const unsigned kind = (x >> 4) % 6;
    if (kind == 0 || (zeros_only && kind % 2 == 0)) return 0.0;
    if (kind == 1 || zeros_only) return -0.0;
    return static_cast<double>(x >> 8) / 65536.0 - 128.0;
  };
  for (int i = 0; i < n; ++i) {
    const double re = next();
    a[i] = {re, next()};
  }
  return a;
}

bool same_bits(const Bin* x, const Bin* y, int n) {
  return std::memcmp(x, y, sizeof(Bin) * n) == 0;
}

using Butterflies = FftPlan::Butterflies;

// Each form of the butterflies, skipped where this build or processor lacks it.
class ButterflyFormTest : public testing::TestWithParam<Butterflies> {
 protected:
  void SetUp() override {
    if (!FftPlan::available(GetParam())) GTEST_SKIP() << "not available here";
  }
};

TEST_P(ButterflyFormTest, AgreesBitForBitWithTheButterflyByButterflyForm) {
  for (int n = 1; n <= 32768; n *= 2) {
    const FftPlan plan(n);
    for (int ind : {-1, 1}) {
      for (bool zeros : {false, true}) {
        std::vector<Bin> in = random_bins(n, 77u + n, zeros);
        std::vector<Bin> want = in;
        reference_transform(n, want, ind);
        in.push_back({99, -99});  // beyond n: must stay
        plan.transform(in.data(), ind < 0 ? Direction::forward : Direction::inverse, GetParam());
        EXPECT_TRUE(same_bits(in.data(), want.data(), n))
            << "n=" << n << " ind=" << ind << " zeros=" << zeros;
        EXPECT_EQ(in[n].re, 99) << "n=" << n << " ind=" << ind;
        EXPECT_EQ(in[n].im, -99) << "n=" << n << " ind=" << ind;
      }
    }
  }
}

TEST_P(ButterflyFormTest, BinsNeedOnlyTheirOwnAlignment) {
  // A bin sits on any 8-byte boundary, as in a spectrum inside the run's
  // state; the vector forms must not assume 16, 32 or 64.
  const int n = 256;
  const FftPlan plan(n);
  const std::vector<Bin> in = random_bins(n, 11);
  std::vector<Bin> want = in;
  reference_transform(n, want, -1);
  for (std::size_t offset = 8; offset < 64; offset += 8) {
    alignas(64) unsigned char storage[sizeof(Bin) * (n + 4)];
    Bin* a = new (storage + offset) Bin[n];
    std::copy(in.begin(), in.end(), a);
    plan.transform(a, Direction::forward, GetParam());
    EXPECT_TRUE(same_bits(a, want.data(), n)) << "offset=" << offset;
  }
}

std::string form_name(const testing::TestParamInfo<Butterflies>& info) {
  const char* names[] = {"scalar", "sse2", "avx", "avx512"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryForm, ButterflyFormTest,
                         testing::Values(Butterflies::scalar, Butterflies::sse2, Butterflies::avx,
                                         Butterflies::avx512),
                         form_name);

TEST(FftPlanTest, AgreesBitForBitWithWvfastAndTheButterflyByButterflyForm) {
  for (int n = 1; n <= 32768; n *= 2) {
    const FftPlan plan(n);
    EXPECT_EQ(plan.length(), n);
    for (int ind : {-1, 1}) {
      for (bool zeros : {false, true}) {
        const std::vector<Bin> in = random_bins(n, 5u * n + 1, zeros);
        std::vector<Bin> want = in, by_plan = in, by_wvfast = in;
        reference_transform(n, want, ind);
        plan.transform(by_plan.data(), ind < 0 ? Direction::forward : Direction::inverse);
        wvfast(n, by_wvfast.data(), n, ind);
        EXPECT_TRUE(same_bits(by_plan.data(), want.data(), n))
            << "n=" << n << " ind=" << ind << " zeros=" << zeros;
        EXPECT_TRUE(same_bits(by_wvfast.data(), want.data(), n))
            << "n=" << n << " ind=" << ind << " zeros=" << zeros;
      }
    }
  }
}

// Past 32768 (long records) the factors extend the same construction: the
// same bits as the butterfly-by-butterfly form.
TEST(FftPlanTest, LongLengthsAgreeBitForBitWithTheButterflyByButterflyForm) {
  for (int n : {1 << 16, 1 << 17}) {
    const FftPlan plan(n);
    for (int ind : {-1, 1}) {
      const std::vector<Bin> in = random_bins(n, 3u * n + 7);
      std::vector<Bin> want = in, got = in;
      reference_transform(n, want, ind);
      plan.transform(got.data(), ind < 0 ? Direction::forward : Direction::inverse);
      EXPECT_TRUE(same_bits(got.data(), want.data(), n)) << "n=" << n << " ind=" << ind;
    }
  }
}

// The direct sum over a few random values at random positions, in long
// double with a full-precision pi: the transform's own pi and its rounding
// stay within a part in 1e8 of the input's total magnitude.
TEST(FftPlanTest, LongLengthsMatchTheDirectTransform) {
  const long double pi = 3.14159265358979323846264338327950288L;
  for (int n : {1 << 15, 1 << 16, 1 << 17}) {
    std::mt19937 gen(static_cast<unsigned>(n));
    std::uniform_int_distribution<int> position(0, n - 1);
    std::uniform_real_distribution<double> value(-100.0, 100.0);
    std::vector<Bin> a(static_cast<std::size_t>(n));
    std::vector<int> at;
    double total = 0;
    for (int k = 0; k < 6; ++k) {
      const int t = position(gen);
      a[t] = {value(gen), value(gen)};
      at.push_back(t);
    }
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());  // a position drawn twice
    for (int t : at) total += std::hypot(a[t].re, a[t].im);
    // cos and sin of 2 pi r / n, r = 0..n-1: the direct sum's factors.
    std::vector<long double> cosine(static_cast<std::size_t>(n)), sine(cosine.size());
    for (int r = 0; r < n; ++r) {
      cosine[r] = std::cos(2 * pi * r / n);
      sine[r] = std::sin(2 * pi * r / n);
    }
    const FftPlan plan(n);
    for (int ind : {-1, 1}) {
      std::vector<Bin> f = a;
      plan.transform(f.data(), ind < 0 ? Direction::forward : Direction::inverse);
      double worst = 0;
      for (int p = 0; p < n; ++p) {
        long double re = 0, im = 0;
        for (int t : at) {
          const auto r = static_cast<std::size_t>((static_cast<long long>(p) * t) % n);
          const long double c = cosine[r], s = ind * sine[r];
          re += a[t].re * c - a[t].im * s;
          im += a[t].re * s + a[t].im * c;
        }
        worst = std::max({worst, static_cast<double>(std::abs(f[p].re - re)),
                          static_cast<double>(std::abs(f[p].im - im))});
      }
      EXPECT_LT(worst, 1e-8 * total) << "n=" << n << " ind=" << ind;
    }
  }
}

TEST(FftPlanTest, LongLengthsForwardThenInverseGiveNTimesTheInput) {
  for (int n : {1 << 16, 1 << 17}) {
    const FftPlan plan(n);
    const std::vector<Bin> in = random_bins(n, 91u);
    std::vector<Bin> a = in;
    plan.transform(a.data(), Direction::forward);
    plan.transform(a.data(), Direction::inverse);
    double worst = 0, largest = 0;
    for (int t = 0; t < n; ++t) {
      largest = std::max({largest, std::abs(in[t].re), std::abs(in[t].im)});
      worst = std::max({worst, std::abs(a[t].re / n - in[t].re), std::abs(a[t].im / n - in[t].im)});
    }
    EXPECT_LT(worst, 1e-8 * largest) << "n=" << n;
  }
}

TEST(FftPlanTest, OnePlanServesTransformsInBothDirectionsInAnyOrder) {
  const int n = 1024;
  const FftPlan plan(n);
  std::vector<Bin> a = random_bins(n, 3), b = a;
  plan.transform(a.data(), Direction::inverse);
  plan.transform(a.data(), Direction::forward);
  plan.transform(a.data(), Direction::inverse);
  wvfast(n, b.data(), n, 1);
  wvfast(n, b.data(), n, -1);
  wvfast(n, b.data(), n, 1);
  EXPECT_TRUE(same_bits(a.data(), b.data(), n));
}

TEST(FftPlanTest, RejectsLengthsAndSignsOutsideTheContract) {
  for (int n : {0, -4, 3, 48, 3 << 15, 1 << 25})
    EXPECT_THROW(FftPlan{n}, std::invalid_argument) << "n=" << n;
  const FftPlan plan(8);
  std::vector<Bin> a(8);
  EXPECT_THROW(plan.transform(a.data(), static_cast<Direction>(0)), std::invalid_argument);
  for (int ind : {0, 2, -2})
    EXPECT_THROW(wvfast(8, a.data(), 8, ind), std::invalid_argument) << "ind=" << ind;
}

}  // namespace
}  // namespace smproc
