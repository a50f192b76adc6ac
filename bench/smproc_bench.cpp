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

#include "records/series.h"
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

// A 32768-sample record set in a fresh folder: the velocity job, files read
// and written.
class WholeRun {
 public:
  WholeRun() {
    std::string pattern = (std::filesystem::temp_directory_path() / "smproc-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    std::string text;
    for (int i = 1; i <= 13; ++i) text += "Header line\n";
    text += "Scale Factor      7845(gal)/8223790\nMax. Acc.\nLast Correction\nMemo.\n";
    unsigned x = 12345;
    for (int i = 1; i <= 32768; ++i) {
      x = x * 1103515245u + 12345u;
      text += ' ' + std::to_string(100000 + static_cast<int>((x >> 16) % 20001) - 10000);
      if (i % 8 == 0) text += '\n';
    }
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
    if (run_record_set(setup).status != 0) std::abort();
  }

 private:
  std::filesystem::path dir_;
  int null_ = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
};

void BM_whole_run(benchmark::State& st) {
  WholeRun w;
  for (auto _ : st) w.once();
}
BENCHMARK(BM_whole_run)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
