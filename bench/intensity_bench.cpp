// The intensity measures of one station: all of them, and their parts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "metrics/intensity_measures.h"
#include "metrics/konno_ohmachi.h"
#include "metrics/response_spectrum.h"

namespace smproc {
namespace {

// A shaken record: noise under a rise and a decay, 100 Hz, with its
// velocity, displacement and amplitudes roughly as a run would form them.
MotionSeries motion(int n) {
  MotionSeries s;
  s.dt = 0.01;
  s.nf = 4;
  while (s.nf < n) s.nf *= 2;
  std::mt19937 random(11);
  std::normal_distribution<double> normal;
  for (std::size_t c = 0; c < 3; ++c) {
    double low = 0.0;
    for (int i = 0; i < n; ++i) {
      const double t = i * s.dt;
      low = 0.9 * low + 0.1 * normal(random);
      s.acc[c].push_back(200.0 * low * t * std::exp(-t / 8.0));
    }
    s.ground[c] = s.acc[c];
    double v = 0.0, d = 0.0;
    for (const double a : s.acc[c]) {
      v += a * s.dt;
      d += v * s.dt;
      s.vel[c].push_back(v);
      s.dis[c].push_back(d);
    }
    const int nom = s.nf / 2 + 1;
    for (int k = 2; k <= nom; ++k) s.amplitudes[c].push_back(1.0 + std::fabs(normal(random)));
  }
  const int nom = s.nf / 2 + 1;
  for (int k = 2; k <= nom; ++k) s.frequencies.push_back((k - 1) / (s.nf * s.dt));
  return s;
}

MeasureOptions options_of(int which) {
  MeasureOptions o = default_measure_options();
  if (which == 1) o.periods.assign(nga_west2_periods().begin(), nga_west2_periods().end());
  if (which == 2) std::erase_if(o.periods, [](double t) { return t < 0.1; });
  return o;
}

// Args: samples, periods (0 the default 21, 1 the 111 of NGA-West2).
void BM_intensity_measures(benchmark::State& st) {
  const MotionSeries s = motion(static_cast<int>(st.range(0)));
  const MeasureOptions o = options_of(static_cast<int>(st.range(1)));
  for (auto _ : st) benchmark::DoNotOptimize(intensity_measures(s, o));
}
BENCHMARK(BM_intensity_measures)
    ->Args({6000, 0})
    ->Args({6000, 1})
    ->Args({32768, 0})
    ->Unit(benchmark::kMillisecond);

void BM_response_spectra(benchmark::State& st) {
  const MotionSeries s = motion(static_cast<int>(st.range(0)));
  const MeasureOptions o = options_of(static_cast<int>(st.range(1)));
  const PerComponent<std::span<const double>> acc = {s.acc[0], s.acc[1], s.acc[2]};
  for (auto _ : st)
    benchmark::DoNotOptimize(response_spectra(acc, s.dt, s.nf, o.periods, o.dampings));
}
BENCHMARK(BM_response_spectra)->Args({6000, 2})->Args({6000, 0})->Args({6000, 1})->Unit(benchmark::kMillisecond);

void BM_konno_ohmachi(benchmark::State& st) {
  const MotionSeries s = motion(static_cast<int>(st.range(0)));
  const std::span<const double> a[] = {s.amplitudes[0], s.amplitudes[1], s.amplitudes[2]};
  for (auto _ : st) benchmark::DoNotOptimize(konno_ohmachi(s.frequencies, a, 40.0));
}
BENCHMARK(BM_konno_ohmachi)->Arg(6000)->Arg(32768)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace smproc
