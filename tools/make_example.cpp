// Writes the example record set: a synthetic three-component strong-motion
// recording (NS, EW, UD) of an invented shallow M6.8 event, 60 s at 100 Hz, as
// integer counts with the 17-line record header.
//
// The same bytes must come out on every machine, so the samples are made from a
// home-grown integer generator and the four basic operations and sqrt only (all
// correctly rounded in IEEE double); no library sine, cosine or exponential is
// called. Build without contraction to fused multiply-add.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int nt = 6000;        // 60 s at 100 Hz
constexpr double fs = 100.0;    // samples per second
constexpr double sf1 = 7845.0;  // gal per sf2 counts, as on the scale line
constexpr double sf2 = 8223790.0;
constexpr double pi = 3.14159265358979323846;

// splitmix64: a fixed integer sequence, independent of the standard library.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // Uniform on [-1, 1), exact: a 53-bit integer over a power of two.
  double uniform() {
    const auto k = static_cast<std::int64_t>(next() >> 11) - (std::int64_t{1} << 52);
    return static_cast<double>(k) / 4503599627370496.0;
  }

  // Near-Gaussian with unit variance: the sum of four uniforms has variance 4/3.
  // One statement per draw, so the order of the draws is fixed.
  double gauss() {
    double s = uniform();
    s += uniform();
    s += uniform();
    s += uniform();
    return s * 0.8660254037844386;
  }

 private:
  std::uint64_t state_;
};

// cos(x) for |x| <= pi by its Taylor series.
double cosine(double x) {
  double term = 1.0;
  double sum = 1.0;
  for (int k = 1; k <= 24; ++k) {
    term = -term * x * x / static_cast<double>((2 * k - 1) * (2 * k));
    sum += term;
  }
  return sum;
}

// Two-pole resonator driven by white noise: a band of width bw around f, scaled
// so that a stationary unit-variance input gives a unit-variance output.
class Resonator {
 public:
  Resonator(double f, double bw) {
    const double r = 1.0 - pi * bw / fs;
    a1_ = 2.0 * r * cosine(2.0 * pi * f / fs);
    a2_ = r * r;
    // Output variance of y(n) = a1 y(n-1) - a2 y(n-2) + e(n) for unit-variance e.
    const double var = (1.0 + a2_) / ((1.0 - a2_) * ((1.0 + a2_) * (1.0 + a2_) - a1_ * a1_));
    gain_ = 1.0 / std::sqrt(var);
  }

  double step(double e) {
    const double y = a1_ * y1_ - a2_ * y2_ + e;
    y2_ = y1_;
    y1_ = y;
    return y * gain_;
  }

 private:
  double a1_ = 0.0;
  double a2_ = 0.0;
  double gain_ = 1.0;
  double y1_ = 0.0;
  double y2_ = 0.0;
};

// One arrival: noise shaped by a linear rise and an exponential decay, passed
// through a resonator; weight per component NS, EW, UD.
struct Arrival {
  double onset;  // s after the first sample
  double rise;   // s
  double decay;  // e-folding time, s
  double f;      // centre frequency, Hz
  double bw;     // bandwidth, Hz
  double weight[3];
};

// P about 10 s into the record, strongest on UD; S some 5 s later, strongest on
// the horizontals; a long-period train and a slowly decaying coda after it.
constexpr Arrival arrivals[] = {
    {10.23, 0.04, 1.6, 6.0, 4.0, {0.20, 0.17, 0.24}},
    {10.23, 0.04, 1.2, 11.0, 6.0, {0.12, 0.10, 0.16}},
    {10.24, 0.03, 0.8, 14.0, 8.0, {0.05, 0.05, 0.07}},
    {10.30, 0.10, 2.5, 3.0, 2.0, {0.10, 0.12, 0.14}},
    {15.61, 0.35, 3.2, 2.2, 1.5, {1.00, 0.80, 0.45}},
    {15.61, 0.25, 2.4, 4.5, 3.0, {0.70, 0.95, 0.42}},
    {15.68, 0.25, 1.6, 8.5, 5.0, {0.40, 0.45, 0.32}},
    {16.20, 1.00, 4.5, 1.1, 0.6, {0.45, 0.55, 0.12}},
    {19.50, 2.00, 7.0, 0.6, 0.25, {0.22, 0.28, 0.10}},
    {17.00, 3.00, 12.0, 3.0, 3.0, {0.20, 0.22, 0.10}},
    {17.00, 3.00, 8.0, 7.0, 5.0, {0.12, 0.12, 0.06}},
};

// Peak acceleration (gal) of the earthquake part, and the recorder's DC offset
// (counts), per component NS, EW, UD.
constexpr double peak_gal[3] = {176.0, 214.0, 103.0};
constexpr std::int64_t offset_counts[3] = {2384, -1517, 906};

std::vector<std::int64_t> make_counts(int c) {
  std::vector<double> acc(nt, 0.0);

  int index = 0;
  for (const Arrival& a : arrivals) {
    Noise noise(0x5eed0000ULL + 16 * static_cast<std::uint64_t>(index) +
                static_cast<std::uint64_t>(c));
    Resonator band(a.f, a.bw);
    const double t0 = a.onset * fs;
    const double nr = a.rise * fs;
    const double q = 1.0 - 1.0 / (a.decay * fs);  // decay per sample
    double env = 1.0;
    for (int n = 0; n < nt; ++n) {
      const double k = static_cast<double>(n) - t0;
      double e = 0.0;
      if (k >= 0.0) {
        if (k < nr) {
          e = (k + 1.0) / nr;
        } else {
          env *= q;
          e = env;
        }
      }
      acc[n] += a.weight[c] * band.step(e * noise.gauss());
    }
    ++index;
  }

  double peak = 0.0;
  for (double v : acc) peak = std::fabs(v) > peak ? std::fabs(v) : peak;
  const double scale = peak_gal[c] / peak;

  // Site and instrument noise, about 0.04 gal, present from the first sample.
  Noise noise(0xba5e0000ULL + static_cast<std::uint64_t>(c));
  Resonator hum(3.0, 4.0);
  std::vector<std::int64_t> counts(nt);
  for (int n = 0; n < nt; ++n) {
    const double white = noise.gauss();
    const double g = acc[n] * scale + 0.02 * white + 0.03 * hum.step(noise.gauss());
    counts[n] = std::llround(g * sf2 / sf1) + offset_counts[c];
  }
  return counts;
}

// max |count - mean| converted to gal, as a header shows it.
double max_acc(const std::vector<std::int64_t>& counts) {
  std::int64_t sum = 0;
  for (std::int64_t v : counts) sum += v;
  const double mean = static_cast<double>(sum) / static_cast<double>(counts.size());
  double m = 0.0;
  for (std::int64_t v : counts) {
    const double d = std::fabs(static_cast<double>(v) - mean);
    m = d > m ? d : m;
  }
  return m * sf1 / sf2;
}

bool write_record(const std::filesystem::path& file, const char* dir,
                  const std::vector<std::int64_t>& counts) {
  std::string text;
  char line[128];
  const char* header[] = {
      "Origin Time       2004/10/23 17:56:00",
      "Lat.              37.307",
      "Long.             138.867",
      "Depth. (km)       13",
      "Mag.              6.8",
      "Station Code      TKY007",
      "Station Lat.      36.4372",
      "Station Long.     139.0525",
      "Station Height(m) 300",
      "Record Time       2004/10/23 17:56:18",
      "Sampling Freq(Hz) 100Hz",
      "Duration Time(s)  60",
  };
  for (const char* h : header) {
    text += h;
    text += '\n';
  }
  std::snprintf(line, sizeof line, "Dir.              %s\n", dir);
  text += line;
  text += "Scale Factor      7845(gal)/8223790\n";
  std::snprintf(line, sizeof line, "Max. Acc. (gal)   %.3f\n", max_acc(counts));
  text += line;
  text += "Last Correction   2004/10/23 17:56:15\n";
  text += "Memo.\n";

  for (std::size_t i = 0; i < counts.size(); ++i) {
    std::snprintf(line, sizeof line, " %8lld", static_cast<long long>(counts[i]));
    text += line;
    if (i % 8 == 7 || i + 1 == counts.size()) text += '\n';
  }

  std::FILE* f = std::fopen(file.string().c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_example OUTDIR\n");
    return 2;
  }
  const std::filesystem::path outdir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(outdir, ec);

  const char* suffix[3] = {"ns", "ew", "ud"};
  const char* dir[3] = {"N-S", "E-W", "U-D"};
  for (int c = 0; c < 3; ++c) {
    const std::filesystem::path file = outdir / ("tky0070410231756." + std::string(suffix[c]));
    if (!write_record(file, dir[c], make_counts(c))) {
      std::fprintf(stderr, "make_example: cannot write %s\n", file.string().c_str());
      return 1;
    }
  }
  return 0;
}
