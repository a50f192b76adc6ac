#include "records/fresh_memory.h"

#include <gtest/gtest.h>

#include <vector>

#include "records/series.h"

namespace smproc {
namespace {

// Bringing pages in never changes what they hold, whole or partial pages,
// at any offset, including nothing at all.
TEST(FreshMemoryTest, FaultInKeepsContents) {
  std::vector<unsigned char> block(5 * 4096 + 123);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(i * 7 + 1);
  const std::vector<unsigned char> before = block;
  struct Case { std::size_t offset, bytes; };
  for (const Case c : {Case{0, block.size()}, {1, 4095}, {17, 3 * 4096}, {4096, 0}, {100, 1}}) {
    fault_in(block.data() + c.offset, c.bytes);
    EXPECT_EQ(block, before) << c.offset << " + " << c.bytes;
  }
}

// A series growing within its room reads zero at every new position and
// keeps the values set before, across stretches and after new room.
TEST(FreshMemoryTest, SeriesGrowsWithZerosAcrossStretches) {
  Series s;
  s.reserve(33000);
  for (int n : {8, 8190, 8193, 16384, 20000, 33000}) {
    const int before = s.size();
    s.extend_to(n);
    ASSERT_EQ(s.size(), n);
    for (int i = before + 1; i <= n; ++i) ASSERT_EQ(s(i), 0.0) << i;
    for (int i = before + 1; i <= n; ++i) s(i) = i;
  }
  s.extend_to(40000);  // past the room: new room, values carried over
  for (int i = 1; i <= 33000; ++i) ASSERT_EQ(s(i), i) << i;
  for (int i = 33001; i <= 40000; ++i) ASSERT_EQ(s(i), 0.0) << i;
}

}  // namespace
}  // namespace smproc
