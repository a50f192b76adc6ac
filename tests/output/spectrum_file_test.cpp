#include "output/spectrum_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>
#include <sstream>

#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::TempDir;

TEST(ModulusTest, ExactAndExtremeParts) {
  struct Case { double re, im, want; };
  for (const Case t : {Case{3, 4, 5}, {4, 3, 5}, {-3, -4, 5}, {0, -7, 7}, {5, 0, 5}, {0, 0, 0},
                       {1e300, 1e300, 1.4142135623730952e300}, {1e200, 1e-200, 1e200},
                       {3e-300, 4e-300, 5e-300}, {-INFINITY, 1, INFINITY}}) {
    EXPECT_DOUBLE_EQ(modulus({t.re, t.im}), t.want) << t.re << ", " << t.im;
  }
  EXPECT_EQ(modulus({3, 4}), 5);
  EXPECT_EQ(modulus({1, 1e-17}), 1);
  EXPECT_FALSE(std::signbit(modulus({-0.0, -0.0})));  // a removed bin reads as plain zero
}

// The amplitudes of a spectrum, taken two bins at a time, are modulus of
// each bin bit for bit: random parts over the whole range, both orders of
// size, equal parts, zeros of both signs, subnormals, infinities and NaNs,
// and odd counts, whose last bin is taken alone.
TEST(ModulusTest, AmplitudesOfASpectrumAreEachBinsModulus) {
  std::mt19937_64 gen(8128);
  const double specials[] = {0.0, -0.0, 1.0, -1.0, 5e-324, -2.2250738585072014e-308, 1e-200,
                             3e300, INFINITY, -INFINITY, NAN, 1e-17};
  for (int nom : {2, 3, 4, 9, 1000, 4097}) {
    Spectrum fx;
    fx.restart(nom);
    for (int i = 1; i <= nom; ++i) {
      Bin b{std::bit_cast<double>(gen()), std::bit_cast<double>(gen())};
      if (i % 3 == 0) b.re = specials[gen() % std::size(specials)];
      if (i % 5 == 0) b.im = specials[gen() % std::size(specials)];
      if (i % 7 == 0) b.im = -b.re;
      if (i % 11 == 0) b = {std::ldexp(b.re, -1000), b.im};
      fx.append(b);
    }
    std::vector<double> a(static_cast<std::size_t>(nom - 1));
    amplitudes(fx, nom, a);
    ASSERT_EQ(a.size(), static_cast<std::size_t>(nom - 1));
    for (int i = 2; i <= nom; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(a[static_cast<std::size_t>(i - 2)]) |
                    (std::isnan(a[static_cast<std::size_t>(i - 2)]) ? ~std::uint64_t{0} : 0),
                std::bit_cast<std::uint64_t>(modulus(fx(i))) |
                    (std::isnan(modulus(fx(i))) ? ~std::uint64_t{0} : 0))
          << "bin " << i << " of " << nom << ": " << fx(i).re << ", " << fx(i).im;
    }
  }
}

// 0.01 s held in single precision, widened: the run's sampling interval.
const double dt = static_cast<double>(0.01f);

// Runs the step with a fresh folder as its place and gives back what it wrote there.
class SpectrumFileTest : public ::testing::Test {
 protected:
  // nf zero bins in every spectrum.
  void zero_spectra(int nf) {
    for (Spectrum& f : fx_) {
      f.restart(nf);
      for (int i = 1; i <= nf; ++i) f.append({});
    }
  }
  void write(int nom, double dom, bool full_precision = false) {
    textio::OutputPlace place;
    place.folder = dir_.path();
    PerComponent<std::vector<double>> a;
    for (int c = 0; c < 3; ++c) {
      a[c].resize(static_cast<std::size_t>(nom - 1));
      amplitudes(fx_[c], nom, a[c]);
    }
    write_spectrum_file(place, {a[0], a[1], a[2]}, nom, dom, full_precision);
  }

  TempDir dir_;
  PerComponent<Spectrum> fx_;
};

TEST_F(SpectrumFileTest, HeaderAndRowsOfTheSmallestTransform) {
  zero_spectra(4);
  fx_[0](1) = {99, 99};  // zero frequency: never written
  fx_[0](2) = {3, 4};
  fx_[1](2) = {0.0012, 0};
  fx_[0](3) = {12.345, 0};
  fx_[1](3) = {0, -3};
  fx_[2](3) = {1e300, 1e300};
  write(3, 6.283185307 / (4 * dt));
  EXPECT_EQ(dir_.read("amp3.csv"),
            " frequency(Hz),NS,EW,UD\n"
            " 25.0000,  0.5000E+01,  0.1200E-02,  0.0000E+00,\n"
            " 50.0000,  0.1235E+02,  0.3000E+01,  0.1414+301,\n");
}

// The same bins in full precision: the header as always, the numbers exact.
TEST_F(SpectrumFileTest, FullPrecisionRowsOfTheSmallestTransform) {
  zero_spectra(4);
  fx_[0](2) = {3, 4};
  fx_[1](2) = {0.0012, 0};
  fx_[0](3) = {12.345, 0};
  fx_[1](3) = {0, -3};
  fx_[2](3) = {1e300, 1e300};
  write(3, 6.283185307 / (4 * dt), /*full_precision=*/true);
  EXPECT_EQ(dir_.read("amp3.csv"),
            " frequency(Hz),NS,EW,UD\n"
            "25.00000055879356,5,0.0012,0,\n"
            "50.00000111758712,12.345,3,1.4142135623730952e+300,\n");
}

TEST_F(SpectrumFileTest, ReplacesAnOlderLongerFileWithHalfTheBins) {
  dir_.write("amp3.csv", std::string(500000, 'x'));
  zero_spectra(4096);
  write(2049, 6.283185307 / (4096 * dt));
  std::istringstream file(dir_.read("amp3.csv"));
  std::string line, last;
  std::getline(file, line);
  EXPECT_EQ(line, " frequency(Hz),NS,EW,UD");
  std::getline(file, line);
  EXPECT_EQ(line, "  0.0244,  0.0000E+00,  0.0000E+00,  0.0000E+00,");
  int rows = 1;
  while (std::getline(file, line)) {
    EXPECT_EQ(line.size(), 48u);
    last = line;
    ++rows;
  }
  EXPECT_EQ(rows, 2048);
  EXPECT_EQ(last.substr(0, 9), " 50.0000,");
}

}  // namespace
}  // namespace smproc
