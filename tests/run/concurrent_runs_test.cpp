// Several record sets run at the same time in one process, each into its own
// folder, give exactly what each gives when run alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "run/run.h"
#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::TempDir;

// A record of n counts, eight to a line, under a 17-line header.
std::string record(int n, int seed) {
  return testing::RecordText()
      .counts(testing::scattered_counts(n, static_cast<unsigned>(seed)))
      .leading_blanks()
      .text();
}

struct Job {
  int samples;
  std::string answers;
};

struct Result {
  int status = -1;
  std::string report;
  std::string console;
  std::map<std::string, std::string> files;  // outputs, by name
  bool operator==(const Result&) const = default;
};

// Records in `records`, outputs in `out`.
Result run_job(const Job& job, int seed, const std::filesystem::path& records,
               const std::filesystem::path& out) {
  RecordNames names{(records / "r.ns").string(), (records / "r.ew").string(),
                    (records / "r.ud").string(), false};
  std::ofstream(names.ns) << record(job.samples, seed);
  std::ofstream(names.ew) << record(job.samples, seed + 1);
  std::ofstream(names.ud) << record(job.samples, seed + 2);
  Result r;
  RunSetup setup;
  setup.records = names;
  setup.answers.text = job.answers;
  setup.console.text = &r.console;
  setup.out_dir = out;
  RunOutcome o = run_record_set(setup);
  r.status = o.status;
  r.report = o.report;
  for (const auto& e : std::filesystem::directory_iterator(out))
    r.files[e.path().filename().string()] = testing::read_file(e.path());
  return r;
}

TEST(ConcurrentRunsTest, EachRunAsIfAlone) {
  const std::vector<Job> jobs = {
      {6000, "0\n1\n0.1 0.2 20 25\n1\n0\n1\nvel.csv\n\n"},
      {4096, "1\n1\n0\n1\n0\n2\n0\n0\ndis.csv\n\n"},
      {1000, "0\n0\n3\n1\n1.0\n5.0\n4\nacc.csv\n\n"},
      {800, "0\n1\n1 5 2 3\n0\n1\n-0.5\n2.0\n0\nwave.csv\n\n"},
      {2400, "0\n0\n0\n0\n0\n"},  // ends at the file name question: a failure
      {32, "0\n1\n0.1 0.2 20 25\n1\n0\n0\nv.csv\n\n"},
  };
  TempDir alone, together;
  std::vector<Result> expected;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const auto dir = alone.path() / std::to_string(k);
    std::filesystem::create_directories(dir / "out");
    expected.push_back(run_job(jobs[k], static_cast<int>(k) * 7, dir, dir / "out"));
  }
  ASSERT_EQ(expected[4].status, 2);
  ASSERT_EQ(expected[0].files.count("amp3.csv"), 1u);

  // Every job three times at once, each copy in its own folder.
  constexpr int copies = 3;
  std::vector<Result> got(jobs.size() * copies);
  std::vector<std::thread> threads;
  for (std::size_t n = 0; n < got.size(); ++n) {
    const auto dir = together.path() / std::to_string(n);
    std::filesystem::create_directories(dir / "out");
    const std::size_t k = n % jobs.size();
    threads.emplace_back([&, n, k, dir] {
      got[n] = run_job(jobs[k], static_cast<int>(k) * 7, dir, dir / "out");
    });
  }
  for (std::thread& t : threads) t.join();
  for (std::size_t n = 0; n < got.size(); ++n)
    EXPECT_TRUE(got[n] == expected[n % jobs.size()]) << "job " << n % jobs.size();
}

// The run as a call gives exactly what the program gives.
TEST(ConcurrentRunsTest, CallMatchesProgram) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "call");
  std::filesystem::create_directories(dir.path() / "program");
  const Job job{6000, "0\n1\n0.1 0.2 20 25\n1\n0\n1\nvel.csv\n\n"};
  Result call = run_job(job, 3, dir.path(), dir.path() / "call");
  auto program = testing::run_smproc(dir.path() / "program", job.answers,
                                     {(dir.path() / "r.ns").string(), (dir.path() / "r.ew").string(),
                                      (dir.path() / "r.ud").string()});
  EXPECT_EQ(program.status, call.status);
  EXPECT_EQ(program.out, call.console);
  EXPECT_EQ(testing::read_file(dir.path() / "program" / "vel.csv"), call.files["vel.csv"]);
  EXPECT_EQ(testing::read_file(dir.path() / "program" / "amp3.csv"), call.files["amp3.csv"]);
}

}  // namespace
}  // namespace smproc
