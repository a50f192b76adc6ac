// The bundled jobs and one 32768-sample record set, run by the real program:
// console text, standard error and every output file compared byte for byte
// with the copies under tests/golden/. Files too large to keep whole are kept
// as their SHA-256, size, first and last lines. tools/update-golden writes
// the copies anew, on purpose only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../bench/record_set.h"
#include "support/run_binary.h"
#include "support/sha256.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

// Outputs up to this size are kept whole.
constexpr std::size_t whole_limit = 8192;

struct Job {
  std::string name;     // its folder under tests/golden/
  std::string answers;  // the answer file under examples/
  std::string waveform;
  bool long_set = false;  // the generated 32768-sample set instead of the examples
};

const std::vector<Job> jobs = {
    {"velocity", "velocity.answers", "vel.csv"},
    {"displacement", "displacement.answers", "dis.csv"},
    {"spectra", "spectra.answers", "acc.csv"},
    {"long_velocity", "velocity.answers", "vel.csv", true},
};

// SHA-256, size, first and last lines: what is kept of a large file.
std::string digest(const std::string& text) {
  const std::vector<std::string> ls = lines_of(text);
  std::string d = "sha256 " + sha256_hex(text) + "\n";
  d += "bytes " + std::to_string(text.size()) + "\n";
  d += "first " + (ls.empty() ? std::string() : ls.front()) + "\n";
  d += "last " + (ls.empty() ? std::string() : ls.back()) + "\n";
  return d;
}

// The files a job is held to: name under its golden folder, and the bytes.
std::vector<std::pair<std::string, std::string>> produced(const Job& job) {
  TempDir dir;
  std::string stem = std::string(SMPROC_SOURCE_DIR) + "/examples/tky0070410231756";
  if (job.long_set) {
    const std::string record = bench::record_text(32768);
    for (const char* name : {"rec.ns", "rec.ew", "rec.ud"}) dir.write(name, record);
    stem = "rec";
  }
  const Outcome o = run_smproc(dir.path(), source_file("examples/" + job.answers), {stem});
  std::vector<std::pair<std::string, std::string>> files = {
      {"status.txt", std::to_string(o.status) + "\n"}, {"stdout.txt", o.out}, {"stderr.txt", o.err}};
  for (const std::string& name : {std::string("amp3.csv"), job.waveform}) {
    const std::string text = dir.read(name);
    if (text.size() <= whole_limit)
      files.emplace_back(name, text);
    else
      files.emplace_back(name + ".digest", digest(text));
  }
  return files;
}

fs::path golden_folder(const Job& job) {
  return fs::path(SMPROC_SOURCE_DIR) / "tests" / "golden" / job.name;
}

class GoldenTest : public ::testing::TestWithParam<Job> {};

TEST_P(GoldenTest, EveryByteAsKept) {
  const Job& job = GetParam();
  const fs::path folder = golden_folder(job);
  const bool update = std::getenv("SMPROC_UPDATE_GOLDEN") != nullptr;
  if (update) fs::create_directories(folder);
  for (const auto& [name, bytes] : produced(job)) {
    const fs::path path = folder / name;
    if (update) {
      std::ofstream(path, std::ios::binary) << bytes;
      continue;
    }
    ASSERT_TRUE(fs::exists(path)) << path << " is missing; tools/update-golden makes it";
    const std::string kept = read_file(path);
    EXPECT_EQ(bytes.size(), kept.size()) << job.name << "/" << name;
    EXPECT_TRUE(bytes == kept) << job.name << "/" << name << " differs from the kept copy";
  }
}

INSTANTIATE_TEST_SUITE_P(BundledJobs, GoldenTest, ::testing::ValuesIn(jobs),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace smproc::testing
