// Lines of plain integers take a short way through a list read. Every read
// must end as the general way's does, with the short way switched off: the
// same bits in every item, the same lines passed and words discarded, the
// same result or failure report, and so the same place for the next read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "textio/text_input.h"

namespace smproc::textio {
namespace {

// Record-like text: lines of 0 to 10 values, mostly plain integers of every
// length and sign, separated by blanks and tabs, with now and then what only
// the general way reads (commas, slashes, repeats, points, exponents), CR LF
// and blank lines, and in one text of three a single value that fails. No
// final LF at times.
std::string record_text(std::mt19937_64& rng, std::size_t size) {
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  auto digits = [&](std::size_t n) {
    std::string d;
    for (std::size_t i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
    return d;
  };
  const char* const separators[] = {" ", " ", " ", " ", "  ", "\t", " \t "};
  const char* const exact_only[] = {",",   ", ",  ",,",     "/",    "3*5", "2*",   "1*-7",
                                    "1.5", "-.5", "1e3",    "2D-1", "7.",  "1+2"};
  const char* const near_limits[] = {"9007199254740992",     "-9007199254740992",
                                     "9007199254740993",     "00009007199254740992",
                                     "9999999999999999999",  "-0", "+0", "0000000",
                                     "12345678901234567890", "0000000000000000001"};
  const char* const failing[] = {"abc", "+", "-", "1e", "1e400", "0x10", "x\r", "5\r6"};
  // Where the failing value goes, if anywhere.
  std::size_t fail_at = pick(3) == 0 ? pick(size + 1) : std::string::npos;
  std::string t;
  while (t.size() < size) {
    if (pick(20) == 0) {
      t += pick(2) ? "\n" : " \t\r\n";
      continue;
    }
    const std::size_t values = pick(4) ? 8 : pick(11);
    for (std::size_t v = 0; v < values; ++v) {
      if (v > 0 || pick(2)) t += separators[pick(std::size(separators))];
      const std::size_t kind = pick(1000);
      if (kind < 880) {
        if (pick(6) == 0) t += pick(2) ? "-" : "+";
        t += digits(1 + pick(pick(8) ? 7 : 19));
      } else if (kind < 940) {
        t += near_limits[pick(std::size(near_limits))];
      } else {
        t += exact_only[pick(std::size(exact_only))];
      }
      if (t.size() >= fail_at) {
        t += failing[pick(std::size(failing))];
        fail_at = std::string::npos;
      }
    }
    if (pick(8) == 0) t += pick(2) ? " " : "\t";
    t += pick(5) ? "\n" : "\r\n";
  }
  if (pick(4) == 0) t.erase(t.find_last_not_of("\r\n") + 1);
  return t;
}

struct Reading {
  std::size_t items = 8;
  bool eof_ends = true;
  std::size_t max_line = 0;
};

// Every read, then how the reading ended.
std::string read_all(Input& in, const Reading& how) {
  std::array<double, 8> v{};
  std::vector<ReadItem> items;
  for (std::size_t k = 0; k < how.items; ++k) items.push_back(&v[k]);
  in.limit_line(how.max_line);
  in.describe("record file");
  std::string log;
  try {
    for (;;) {
      v.fill(std::bit_cast<double>(std::uint64_t{0x7ff4000000000bad}));
      const ReadResult r = list_read(in, items, how.eof_ends);
      for (double x : v) log += std::to_string(std::bit_cast<std::uint64_t>(x)) + " ";
      log += "| lines " + std::to_string(in.lines_passed()) + ", discarded " +
             std::to_string(in.discarded_words()) + " on " +
             std::to_string(in.lines_with_discarded_words()) +
             (in.ended_without_line_end() ? ", open end" : "") + "\n";
      if (r == ReadResult::end_of_file) return log + "end of input";
    }
  } catch (const Failure& f) {
    return log + f.context + ": " + f.reason + " [" + f.format.value_or("-") + "] " + f.detail;
  }
}

enum class Source { text, file, packets };

// The text as input: in memory, from a file read in full chunks, or from a
// socket that hands it out in pieces of random length, one per read.
Input open_input(const std::string& text, Source source, std::uint64_t seed,
                 std::thread& writer) {
  if (source == Source::text) return Input::from_text(text, unit_file, "r.ns");
  if (source == Source::file) {
    const int fd = memfd_create("record", 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    lseek(fd, 0, SEEK_SET);
    return Input(fd, unit_file, "r.ns");
  }
  int sv[2];
  EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv), 0);
  writer = std::thread([text, seed, fd = sv[1]] {
    std::mt19937_64 rng(seed);
    for (std::size_t done = 0; done < text.size();) {
      const std::size_t n = std::min<std::size_t>(text.size() - done, 1 + rng() % 3000);
      // A reader that stopped early has closed its end: no signal, just stop.
      if (send(fd, text.data() + done, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
      done += n;
    }
    close(fd);
  });
  return Input(sv[0], unit_file, "r.ns");
}

std::string read_text(const std::string& text, Source source, std::uint64_t seed,
                      const Reading& how, bool short_lines) {
  std::thread writer;
  std::string log;
  {
    Input in = open_input(text, source, seed, writer);
    in.integer_line_fast_path(short_lines);
    log = read_all(in, how);
  }  // closing the reading end lets a writer still at work finish
  if (writer.joinable()) writer.join();
  return log;
}

TEST(IntegerLineTest, ReadsAsTheGeneralWayDoes) {
  for (std::uint64_t seed = 1; seed <= 400; ++seed) {
    std::mt19937_64 rng(seed);
    // Now and then long enough to run over the read-ahead of 64 KiB.
    const bool long_text = seed % 25 == 0;
    const std::string text = record_text(rng, long_text ? 150000 + rng() % 50000 : rng() % 3000);
    Reading how;
    if (rng() % 7 == 0) how.items = 1 + rng() % 8;
    if (rng() % 5 == 0) how.eof_ends = false;
    if (rng() % 3 == 0) how.max_line = 60 + rng() % 100;
    const Source source = static_cast<Source>(seed % 3);
    const std::string exact = read_text(text, source, seed, how, false);
    EXPECT_EQ(read_text(text, source, seed, how, true), exact)
        << "seed " << seed << ", source " << seed % 3 << ", items " << how.items;
  }
}

TEST(IntegerLineTest, LinesAtTheEdgesOfTheShortWay) {
  // Each text read in groups of three, both ways; some take the short way,
  // the others must be left to the general one untouched.
  const char* const texts[] = {
      "1 2 3\n4 5 6\n",
      "-0 +0 0\n",                     // -0 stays negative zero
      "9007199254740992 -9007199254740992 0000000000000000009\n",
      "9007199254740993 1 2\n",        // above 2^53
      "12345678901234567890 1 2\n",    // 20 digits
      "1 2 3\r\n4 5 6\r\n",
      "1 2\r3\n4 5 6\n",               // a lone CR is a character
      "1 2 3\r",                       // and so is a CR at the end
      "1 2 3 4\n5 6 7\n",              // a fourth value is discarded and counted
      "1 2\n3 4 5 6\n",                // a group over two lines
      "\t1\t2\t3\t\n  \n",
      "1 2 3",                         // no line end
      "1,2 3\n",
      "1 2 3/\n",
      "1 2 +\n",
      "1 2 --3\n",
      "12345678 123456789 1234567\n",  // around the eight characters taken at once
  };
  for (const char* text : texts) {
    for (bool eof_ends : {true, false}) {
      const Reading how{3, eof_ends, 0};
      EXPECT_EQ(read_text(text, Source::text, 0, how, true),
                read_text(text, Source::text, 0, how, false))
          << text;
    }
  }
  // A line of exactly the limit is read; one character more is refused.
  for (std::size_t limit : {std::size_t{11}, std::size_t{12}}) {
    const Reading how{3, true, limit};
    const std::string text = "1 2 3\n100 200 3000\r\n4 5 6\n";
    EXPECT_EQ(read_text(text, Source::text, 0, how, true),
              read_text(text, Source::text, 0, how, false))
        << limit;
  }
}

}  // namespace
}  // namespace smproc::textio
