// Bounded memory: a number or a line of any length is read without holding
// it, an answer line has a limit, and running out of memory is a report, not
// an abort. Memory is the child's peak resident size by the system's account.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string ns = "tky0070410231756.ns";
const std::string ew = "tky0070410231756.ew";
const std::string ud = "tky0070410231756.ud";

const std::string header = RecordText().header();
const std::string samples = "1 2 3 4 5 6 7 8\n";

// A run of these records holds a few MB; reading all of a 200 MB value or
// line would hold at least that much.
constexpr long bounded_kib = 64 * 1024;

#ifdef SMPROC_SANITIZED
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

void write_records(const TempDir& dir) {
  for (const std::string& name : {ns, ew, ud}) dir.write(name, header + samples);
}

const std::string plain = "0\n0\n0\n0\n0\nout.csv\n\n";

TEST(BoundedMemory, ATwoHundredMegabyteNumberInARecordIsReadWithoutHoldingIt) {
  TempDir dir;
  write_records(dir);
  {
    // Written in pieces, so that the test itself stays small when it forks.
    std::FILE* f = std::fopen((dir.path() / ns).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(header.c_str(), f);
    const std::string piece(1 << 20, '7');
    for (int i = 0; i < 200; ++i) std::fwrite(piece.data(), 1, piece.size(), f);
    std::fputs(" 2 3 4 5 6 7 8\n", f);
    std::fclose(f);
  }
  Outcome o = run_smproc(dir.path(), plain);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "invalid number: numeric overflow\n"
            "apparent state: unit 11 named " + ns + "\n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n"
            "Line 18 of the record file " + ns + " could not be read.\n");
  EXPECT_LT(o.peak_kib, bounded_kib);
}

TEST(BoundedMemory, AnEndlessAnswerLineEndsTheRunNamingTheQuestion) {
  TempDir dir;
  write_records(dir);
  Start start;
  start.stdin_path = "/dev/zero";
  // Without the limit the line would be read until memory ran out: a cap
  // turns that into a failed test rather than a starved machine. The
  // sanitizers reserve far more address space than any cap allows.
  if (!sanitized) start.memory_cap = 1LL << 30;
  Outcome o = run_program(SMPROC_BIN, dir.path(), "", {}, start);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "list in: line too long\n"
            "apparent state: unit 5 (unnamed)\n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n"
            "The answer to \"Change +/-? (YES=1)?? :\" is longer than 1048576 characters.\n");
  EXPECT_LT(o.peak_kib, bounded_kib);
}

TEST(OutOfMemory, IsReportedNeverAnAbort) {
  if (sanitized) GTEST_SKIP() << "the sanitizers cannot run under an address-space limit";
  // From limits too small for the loader to ones the run fits in: each run
  // either does not start, ends normally, or reports the shortage.
  TempDir dir;
  write_records(dir);
  int short_of_memory = 0;
  for (int kib = 2048; kib <= 24576; kib += 1024) {
    const std::string limit = "ulimit -v " + std::to_string(kib) + " && exec \"$0\"";
    // Below some limit the program cannot even be loaded: a dynamic one is
    // refused by the loader, a static one dies before any code of its own
    // runs. Such a limit stops --version alike, and is passed over.
    Outcome start = run_program("/bin/sh", dir.path(), "", {"-c", limit + " --version", SMPROC_BIN});
    if (start.status != 0) continue;
    Outcome o = run_program("/bin/sh", dir.path(), plain, {"-c", limit, SMPROC_BIN});
    EXPECT_EQ(o.signal, 0) << kib << " KiB: " << o.err;
    if (o.status == 2) {
      EXPECT_EQ(o.err, "smproc: out of memory\n") << kib << " KiB";
      ++short_of_memory;
    } else {
      EXPECT_EQ(o.status, 0) << kib << " KiB: " << o.err;
      EXPECT_EQ(o.err, "") << kib << " KiB";
    }
  }
  EXPECT_GT(short_of_memory, 0);
}

}  // namespace
}  // namespace smproc::testing
