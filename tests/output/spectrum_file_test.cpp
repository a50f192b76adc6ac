#include "output/spectrum_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "support/console_capture.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::CapturedConsole;
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

// Runs the step in a fresh folder and gives back what it wrote there.
class SpectrumFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }
  void TearDown() override { std::filesystem::current_path(home_); }

  std::filesystem::path home_;
  TempDir dir_;
};

TEST_F(SpectrumFileTest, HeaderAndRowsOfTheSmallestTransform) {
  auto s = std::make_unique<State>();
  s->nf = 4;
  s->nom = 3;
  s->dom = 6.283185307 / (4 * s->dt);
  s->fx1(1) = {99, 99};  // zero frequency: never written
  s->fx1(2) = {3, 4};
  s->fx2(2) = {0.0012, 0};
  s->fx1(3) = {12.345, 0};
  s->fx2(3) = {0, -3};
  s->fx3(3) = {1e300, 1e300};
  CapturedConsole c("");
  spectrum_file_step(*s, c.con());
  EXPECT_EQ(c.text(), "\n Fourier Spectrum data are stored in \"amp3.csv\"\n");
  EXPECT_EQ(dir_.read("amp3.csv"),
            " frequency(Hz),NS,EW,UD\n"
            " 25.0000,  0.5000E+01,  0.1200E-02,  0.0000E+00,\n"
            " 50.0000,  0.1235E+02,  0.3000E+01,  0.1414+301,\n");
}

TEST_F(SpectrumFileTest, ReplacesAnOlderLongerFileWithHalfTheBins) {
  dir_.write("amp3.csv", std::string(500000, 'x'));
  auto s = std::make_unique<State>();
  s->nf = 4096;
  s->nom = 2049;
  s->dom = 6.283185307 / (4096 * s->dt);
  CapturedConsole c("");
  spectrum_file_step(*s, c.con());
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
