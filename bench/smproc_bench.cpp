// Speed of the transform and of a whole run on the largest record.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "record_set.h"
#include "textio/console.h"
#include "run/run.h"
#include "run/state.h"
#include "spectral/fft.h"

namespace {

using namespace smproc;

void BM_wvfast(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  std::vector<Bin> a(capacity);
  for (int i = 0; i < n; ++i) a[i] = {std::sin(0.001 * i), 0.0};
  int ind = -1;
  for (auto _ : st) {
    wvfast(n, a.data(), capacity, ind);
    ind = -ind;  // alternate, so the values stay bounded
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_wvfast)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

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
  int ind = -1;
  for (auto _ : st) {
    plan.transform(a.data(), ind);
    ind = -ind;
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_plan_transform)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

// One 32768-point transform with each form of the butterflies: 0 one at a
// time, 1 SSE2, 2 AVX, 3 AVX-512.
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
  int ind = -1;
  for (auto _ : st) {
    plan.transform(a.data(), ind, how);
    ind = -ind;
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_butterflies)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// A 32768-sample record set in a fresh folder: the velocity job, files read
// and written.
class WholeRun {
 public:
  WholeRun() {
    std::string pattern = (std::filesystem::temp_directory_path() / "smproc-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    const std::string text = smproc::bench::record_text(32768);
    for (const char* ext : {".ns", ".ew", ".ud"})
      std::ofstream(dir_ / ("rec" + std::string(ext))) << text;
  }
  ~WholeRun() { std::filesystem::remove_all(dir_); }

  void once() {
    auto s = std::make_unique<State>();
    textio::Console con(
        textio::Input::from_text("0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n",
                                 textio::unit_console_in, std::nullopt),
        textio::Output(open("/dev/null", O_WRONLY), textio::unit_console_out, std::nullopt, false));
    RecordNames names{(dir_ / "rec.ns").string(), (dir_ / "rec.ew").string(),
                      (dir_ / "rec.ud").string(), false};
    run(*s, con, names);
    con.out.close();
  }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

void BM_whole_run(benchmark::State& st) {
  WholeRun w;
  auto here = std::filesystem::current_path();
  std::filesystem::current_path(w.dir());
  for (auto _ : st) w.once();
  std::filesystem::current_path(here);
}
BENCHMARK(BM_whole_run)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
