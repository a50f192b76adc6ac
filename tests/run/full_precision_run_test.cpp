// A full-precision run writes the very doubles that the normal run rounds
// into its fixed-width fields.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run/run.h"
#include "support/run_binary.h"
#include "textio/text_output.h"

namespace smproc {
namespace {

using testing::TempDir;

struct Job {
  const char* answers;
  const char* waveform;
  int stride;  // every stride-th sample is a row
};

struct Outputs {
  RunOutcome outcome;
  std::string console;
  std::string spectra, waveform;  // the two files
};

Outputs run_example(const Job& job, bool full_precision, const std::filesystem::path& out) {
  const std::string stem = std::string(SMPROC_SOURCE_DIR) + "/examples/tky0070410231756";
  Outputs o;
  RunSetup setup;
  setup.records = {stem + ".ns", stem + ".ew", stem + ".ud", false};
  setup.answers.text = job.answers;
  setup.console.text = &o.console;
  setup.out_dir = out;
  setup.full_precision = full_precision;
  o.outcome = run_record_set(setup);
  auto slurp = [&](const std::string& name) {
    std::ifstream in(out / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  o.spectra = slurp("amp3.csv");
  o.waveform = slurp(job.waveform);
  return o;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// The fields of a data row; the row ends with a comma, so the last is empty.
std::vector<std::string> fields(const std::string& row) {
  std::vector<std::string> all;
  std::size_t from = 0;
  for (std::size_t comma; (comma = row.find(',', from)) != std::string::npos; from = comma + 1)
    all.push_back(row.substr(from, comma - from));
  EXPECT_EQ(from, row.size()) << "row without its trailing comma: " << row;
  return all;
}

double parsed(const std::string& field) {
  double v = NAN;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  EXPECT_TRUE(ec == std::errc() && end == field.data() + field.size()) << field;
  return v;
}

// One column of a file in both forms, the exact values and the normal text.
struct Column {
  std::vector<double> exact;
  std::vector<std::string> normal;
};

// Checks the files row by row and gives back their columns.
std::vector<Column> columns(const std::string& normal, const std::string& full,
                            const std::vector<std::string (*)(double)>& renderings) {
  const auto normal_lines = lines(normal), full_lines = lines(full);
  EXPECT_EQ(full_lines.size(), normal_lines.size());
  EXPECT_GT(normal_lines.size(), 1u);
  std::vector<Column> cols(renderings.size());
  if (full_lines.size() != normal_lines.size() || normal_lines.empty()) return cols;
  EXPECT_EQ(full_lines[0], normal_lines[0]);  // the header row
  for (std::size_t r = 1; r < normal_lines.size(); ++r) {
    const auto n = fields(normal_lines[r]), f = fields(full_lines[r]);
    EXPECT_EQ(n.size(), renderings.size());
    EXPECT_EQ(f.size(), renderings.size());
    if (n.size() != renderings.size() || f.size() != renderings.size()) return cols;
    for (std::size_t c = 0; c < renderings.size(); ++c) {
      const double v = parsed(f[c]);
      // Rounded to the normal file's decimals, the exact value is its field.
      EXPECT_EQ(renderings[c](v), n[c]) << "row " << r << " column " << c;
      cols[c].exact.push_back(v);
      cols[c].normal.push_back(n[c]);
    }
  }
  return cols;
}

std::string time_field(double v) { return textio::fixed_field(v, 8, 3); }
std::string value_field(double v) { return textio::fixed_field(v, 12, 4); }
std::string frequency_field(double v) { return textio::fixed_field(v, 8, 4); }
std::string amplitude_field(double v) { return textio::exponent_field(v, 12, 4); }

TEST(FullPrecisionRunTest, ExactValuesOfTheNormalFields) {
  const std::vector<Job> jobs = {
      {"0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n", "vel.csv", 1},
      // No filter, twice integrated, 10 s from 1.5 s, every fourth sample.
      {"0\n0\n2\n1\n1.5\n10\n3\ndis.csv\n\n", "dis.csv", 4},
  };
  const double dt = static_cast<double>(0.01f);
  for (const Job& job : jobs) {
    TempDir normal_dir, full_dir;
    const Outputs normal = run_example(job, false, normal_dir.path());
    const Outputs full = run_example(job, true, full_dir.path());
    ASSERT_EQ(normal.outcome.status, 0) << normal.outcome.report;
    ASSERT_EQ(full.outcome.status, 0) << full.outcome.report;
    EXPECT_EQ(full.console, normal.console);
    EXPECT_EQ(full.outcome.warnings, normal.outcome.warnings);

    const auto wave = columns(normal.waveform, full.waveform,
                              {time_field, value_field, value_field, value_field});
    ASSERT_FALSE(wave[0].exact.empty()) << job.waveform;
    // Row k lies k strides of dt after the first written sample.
    for (std::size_t k = 0; k < wave[0].exact.size(); ++k)
      ASSERT_EQ(wave[0].exact[k], static_cast<double>(k * job.stride) * dt) << job.waveform;
    // The run's own peaks and their times are values of the file, exactly.
    for (int c = 0; c < 3; ++c) {
      const auto& x = wave[1 + c].exact;
      std::size_t at = 0;
      for (std::size_t k = 1; k < x.size(); ++k)
        if (std::fabs(x[k]) > std::fabs(x[at])) at = k;
      const std::string ending = c == 0 ? "ns" : c == 1 ? "ew" : "ud";
      const auto peak = real_value(full.outcome.summary, "peak_" + ending);
      ASSERT_TRUE(peak) << job.waveform << " " << c;
      EXPECT_EQ(std::fabs(x[at]), *peak) << job.waveform << " " << c;
      EXPECT_EQ(wave[0].exact[at], real_value(full.outcome.summary, "peak_time_" + ending))
          << job.waveform;
      EXPECT_EQ(peak, real_value(normal.outcome.summary, "peak_" + ending));
    }

    const auto spectra =
        columns(normal.spectra, full.spectra,
                {frequency_field, amplitude_field, amplitude_field, amplitude_field});
    // Bin i lies at (i - 1) dom rad/s, dom = 2 pi / (nf dt) with the run's
    // 2 pi, 6.283185307, and nf = 8192 for 6000 samples.
    const double dom = 6.283185307 / (8192.0 * dt);
    ASSERT_EQ(spectra[0].exact.size(), 4096u);
    for (std::size_t k = 0; k < spectra[0].exact.size(); ++k)
      ASSERT_EQ(spectra[0].exact[k], (static_cast<double>(k + 1) * dom) / 6.283185307);
  }
}

}  // namespace
}  // namespace smproc
