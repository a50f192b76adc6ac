// Speed of the transform, of the text conversions on the hot lines, and of a
// whole run on the largest record.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "record_set.h"
#include "records/series.h"
#include "textio/console.h"
#include "run/run.h"
#include "spectral/fft.h"

namespace {

using namespace smproc;

void BM_wvfast(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  std::vector<Bin> a(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) a[i] = {std::sin(0.001 * i), 0.0};
  int ind = -1;
  for (auto _ : st) {
    wvfast(n, a.data(), n, ind);
    ind = -ind;  // alternate, so the values stay bounded
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_wvfast)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

// Rows of made-up but realistic values, rendered by the output files' formats
// into an output that discards them.
struct Rows {
  static constexpr int count = 4096;
  std::vector<double> values;  // four per row
};

// Waveform rows: time, then three components of either sign over six decades.
Rows waveform_rows() {
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> decade(-3.0, 3.0);
  Rows r;
  for (int i = 0; i < Rows::count; ++i) {
    r.values.push_back(static_cast<double>(i) * static_cast<double>(0.01f));
    for (int c = 0; c < 3; ++c)
      r.values.push_back((gen() % 2 ? -1.0 : 1.0) * std::pow(10.0, decade(gen)));
  }
  return r;
}

// Spectrum rows: frequency up to the Nyquist, then three moduli over eight decades.
Rows spectrum_rows() {
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> decade(-5.0, 3.0);
  Rows r;
  for (int i = 0; i < Rows::count; ++i) {
    r.values.push_back((static_cast<double>(i + 1) * 0.0191747598) / 6.283185307);
    for (int c = 0; c < 3; ++c) r.values.push_back(std::pow(10.0, decade(gen)));
  }
  return r;
}

// As the output files write them: one row writer for all rows.
void render_rows(benchmark::State& st, const Rows& r, const char* format) {
  const textio::RowWriter row(textio::Format(format), 4);
  textio::Output out(open("/dev/null", O_WRONLY), textio::unit_file, "rows", false);
  int k = 0;
  for (auto _ : st) {
    row.write(out, std::span<const double>(&r.values[4 * k], 4));
    k = (k + 1) % Rows::count;
  }
  out.close();
  st.SetItemsProcessed(st.iterations());
}

void BM_waveform_row(benchmark::State& st) {
  render_rows(st, waveform_rows(), "(F8.3,4(',',F12.4))");
}
BENCHMARK(BM_waveform_row);

void BM_spectrum_row(benchmark::State& st) {
  render_rows(st, spectrum_rows(), "(F8.4,6(',',E12.4))");
}
BENCHMARK(BM_spectrum_row);

// Record sample lines as the instruments write them: eight counts a line.
std::string record_lines(int lines) {
  std::mt19937 gen(3);
  std::uniform_int_distribution<int> count(-9999, 9999);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    for (int k = 0; k < 8; ++k) text += ' ' + std::to_string(count(gen));
    text += '\n';
  }
  return text;
}

// One list read of the eight values of a record line.
void BM_record_line(benchmark::State& st) {
  constexpr int lines = 4096;
  const std::string text = record_lines(lines);
  std::array<double, 8> v{};
  std::array<textio::ReadItem, 8> items;
  for (int k = 0; k < 8; ++k) items[k] = &v[k];
  auto in = std::make_unique<textio::Input>(
      textio::Input::from_text(text, textio::unit_file, "rec"));
  int n = 0;
  for (auto _ : st) {
    if (n == lines) {
      st.PauseTiming();
      in = std::make_unique<textio::Input>(textio::Input::from_text(text, textio::unit_file, "rec"));
      n = 0;
      st.ResumeTiming();
    }
    textio::list_read(*in, items, true);
    ++n;
    benchmark::DoNotOptimize(v.data());
  }
  st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_record_line);

// The twiddle factors of one length, both directions: once per run.
void BM_fft_plan(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  for (auto _ : st) {
    FftPlan plan(n);
    benchmark::DoNotOptimize(&plan);
  }
}
BENCHMARK(BM_fft_plan)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

// One transform with the factors already at hand, as the run's six are.
void BM_plan_transform(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const FftPlan plan(n);
  std::vector<Bin> a(capacity);
  for (int i = 0; i < n; ++i) a[i] = {std::sin(0.001 * i), 0.0};
  Direction direction = Direction::forward;
  for (auto _ : st) {
    plan.transform(a.data(), direction);
    direction = direction == Direction::forward ? Direction::inverse : Direction::forward;
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_plan_transform)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

// One 32768-point transform with each form of the butterflies: 0 plain
// doubles, 1 SSE2, 2 AVX, 3 AVX-512.
void BM_butterflies(benchmark::State& st) {
  const auto how = static_cast<FftPlan::Butterflies>(st.range(0));
  if (!FftPlan::available(how)) {
    st.SkipWithError("not available on this processor");
    return;
  }
  const int n = 32768;
  const FftPlan plan(n);
  std::vector<Bin> a(capacity);
  for (int i = 0; i < n; ++i) a[i] = {std::sin(0.001 * i), 0.0};
  Direction direction = Direction::forward;
  for (auto _ : st) {
    plan.transform(a.data(), direction, how);
    direction = direction == Direction::forward ? Direction::inverse : Direction::forward;
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_butterflies)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// A record set of `samples` (32768 unless told) in a fresh folder: the
// velocity job, files read and written, with long records when asked.
class WholeRun {
 public:
  explicit WholeRun(int samples = 32768, bool long_records = false)
      : long_records_(long_records) {
    std::string pattern = (std::filesystem::temp_directory_path() / "smproc-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    const std::string text = smproc::bench::record_text(samples);
    for (const char* ext : {".ns", ".ew", ".ud"})
      std::ofstream(dir_ / ("rec" + std::string(ext))) << text;
  }
  ~WholeRun() {
    ::close(null_);
    std::filesystem::remove_all(dir_);
  }

  void once() {
    RunSetup setup;
    setup.records = {(dir_ / "rec.ns").string(), (dir_ / "rec.ew").string(),
                     (dir_ / "rec.ud").string(), false};
    setup.answers.text = "0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n";
    setup.console.fd = null_;
    setup.out_dir = dir_;
    setup.summarize = false;  // as the dialogue runs
    setup.long_records = long_records_;
    if (run_record_set(setup).status != 0) std::abort();
  }

 private:
  bool long_records_;
  std::filesystem::path dir_;
  int null_ = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
};

void BM_whole_run(benchmark::State& st) {
  WholeRun w;
  for (auto _ : st) w.once();
}
BENCHMARK(BM_whole_run)->Unit(benchmark::kMillisecond);

// The velocity job with --long-records on records of 2^16, 2^18 and 2^20
// samples; the counter is the time per sample, which should stay level.
void BM_long_run(benchmark::State& st) {
  const int samples = static_cast<int>(st.range(0));
  WholeRun w(samples, true);
  for (auto _ : st) w.once();
  st.SetItemsProcessed(st.iterations() * samples);
}
BENCHMARK(BM_long_run)->Arg(1 << 16)->Arg(1 << 18)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
