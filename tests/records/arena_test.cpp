#include "records/arena.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <vector>

#include "records/series.h"

namespace smproc {
namespace {

// Bringing pages in never changes what they hold, whole or partial pages,
// at any offset, including nothing at all.
TEST(ArenaTest, FaultInKeepsContents) {
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
TEST(ArenaTest, SeriesGrowsWithZerosAcrossStretches) {
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

// A run's arrays share one block while they fit, each aligned as asked and
// clear of the others; past the block they come from the heap and are given
// back to it, and a series in the block grows as one on the heap does.
TEST(ArenaTest, HandsOutDisjointAlignedBuffers) {
  Arena memory;
  struct Case { std::size_t bytes, alignment; };
  std::vector<std::pair<char*, Case>> given;
  for (const Case c : {Case{264000, 8}, {1, 1}, {524288, 16}, {3, 64}, {131072, 8},
                       {Arena::block_size, 8}, {100, 4096}, {1 << 20, 8}}) {
    auto* p = static_cast<char*>(memory.allocate(c.bytes, c.alignment));
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % c.alignment, 0u) << c.bytes;
    for (const auto& [q, d] : given) ASSERT_TRUE(p + c.bytes <= q || q + d.bytes <= p) << c.bytes;
    std::fill(p, p + c.bytes, 'x');
    given.emplace_back(p, c);
  }
  for (const auto& [p, c] : given) memory.deallocate(p, c.bytes, c.alignment);

  // Started over, the block hands out the same room again.
  auto* first = static_cast<char*>(memory.allocate(64, 8));
  memory.start_over();
  EXPECT_EQ(memory.allocate(64, 8), given.front().first);
  EXPECT_NE(first, given.front().first);

  // A larger block, in whole large pages, holds what was asked in one piece.
  Arena larger(5 * (std::size_t{1} << 20));
  auto* low = static_cast<char*>(larger.allocate(3 << 20, 32));
  auto* high = static_cast<char*>(larger.allocate(2 << 20, 32));
  EXPECT_EQ(high, low + (3 << 20));
  std::fill(low, high + (2 << 20), 'y');

  Arena room;
  Series s(&room);
  s.reserve(capacity);
  s.extend_to(100);
  for (int i = 1; i <= 100; ++i) s(i) = i;
  s.extend_to(2 * capacity);  // beyond the block
  for (int i = 1; i <= 100; ++i) ASSERT_EQ(s(i), i);
  for (int i = 101; i <= 2 * capacity; ++i) ASSERT_EQ(s(i), 0.0) << i;
}

}  // namespace
}  // namespace smproc
