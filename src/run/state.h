// The run's state: every array, count and answer of one run, owned by main.
#pragma once

#include <array>
#include <string>

namespace smproc {

// Samples per signal array and bins per spectrum array.
inline constexpr int capacity = 33000;

// A series of samples indexed from 1, as the records number them; sample i
// lies at time (i - 1) * dt.
struct Signal {
  std::array<double, capacity> v{};
  double& operator()(int i) { return v[i - 1]; }
  double operator()(int i) const { return v[i - 1]; }
};

// One complex frequency bin. Kept as two plain doubles so that every product
// and quotient is written out part by part.
struct Bin {
  double re = 0.0;
  double im = 0.0;
};

// A spectrum indexed from 1; bin i lies at angular frequency (i - 1) * dom.
struct Spectrum {
  std::array<Bin, capacity> v{};
  Bin& operator()(int i) { return v[i - 1]; }
  const Bin& operator()(int i) const { return v[i - 1]; }
  Bin* data() { return v.data(); }
};

struct State {
  // Working series NS, EW, UD: calibrated input, later the back-transformed series.
  Signal xr1, xr2, xr3;
  // Output series NS, EW, UD: what the waveform file writes.
  Signal x1, x2, x3;
  // Spectra NS, EW, UD between the forward and the inverse transform.
  Spectrum fx1, fx2, fx3;

  // 0.01 s held in single precision, widened: the sampling interval of every record.
  double dt = static_cast<double>(0.01f);
  int nt = 0;  // samples per component, the UD record's count after input

  // Record files NS, EW, UD, and the typed waveform file name (30 characters).
  std::string infile1, infile2, infile3;
  std::string otfile;

  // Frequency grid.
  int nf = 0;        // transform length, a power of two
  int if1 = 0;       // log2(nf)
  double dur = 0.0;  // nf * dt in s; reused for the typed window length
  double dom = 0.0;  // angular-frequency step, rad/s
  int nom = 0;       // bins from zero frequency to Nyquist, both included
  double eom = 0.0;  // nom * dom, echoed only

  // Answers.
  int myes = 0, my1 = 0, my2 = 0, my3 = 0;            // polarity
  int nbd = 0;                                        // band-pass yes/no
  double fl1 = 0.0, fl2 = 0.0, fh1 = 0.0, fh2 = 0.0;  // corners, Hz
  int nit = 0;         // 0 none, 1 integrate, 2 twice, 3 differentiate
  int icut = 0;        // cut a window?
  double stime = 0.0;  // window start, s
  int nstime = 0;      // window start, samples
  int ndur = 0;        // window length, samples
  int iskip = 0;       // row stride: typed skip + 1
};

}  // namespace smproc
