// The network layer's byte ring: reads that take or peek, in one piece or
// wrapped, positions at the capacity, growth with its slack, and the refused
// appends (a negative count, a count the ring cannot hold) that keep what the
// ring held.
#include "runtime/network/ring_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "tests/runtime/network/network_test_support.h"

namespace {

// A ring of `capacity` bytes holding `held` (in order) from `read_position`
// on, wrapping at the end.
struct RingFixture {
  RingFixture(int32_t capacity, int32_t read_position, const std::string& held) {
    ring.data = static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(capacity), "", 0));
    std::memset(ring.data, '.', static_cast<size_t>(capacity));
    ring.capacity = capacity;
    ring.read_position = read_position;
    ring.count = static_cast<int32_t>(held.size());
    int32_t at = read_position;
    for (char c : held) {
      if (at == capacity) at = 0;
      ring.data[at++] = static_cast<uint8_t>(c);
    }
    ring.write_position = at;
  }
  ~RingFixture() { FreeRingBuffer(&ring); }
  RingFixture(const RingFixture&) = delete;
  RingFixture& operator=(const RingFixture&) = delete;

  RingBuffer ring{};
};

TEST(RingBufferTest, ReadsTakeOrPeekTheOldestBytes) {
  struct Case {
    const char* name;
    int32_t capacity, read_position;
    std::string held;
    int32_t n, peek;
    int result;
    std::string copied;
    int32_t read_after, count_after;
  };
  const Case cases[] = {
      {"in one piece", 8, 1, "abcde", 3, 0, 0, "abc", 4, 2},
      {"peek in one piece", 8, 1, "abcde", 3, 1, 0, "abc", 1, 5},
      {"wrapped", 8, 6, "abcde", 4, 0, 0, "abcd", 2, 1},
      {"peek wrapped", 8, 6, "abcde", 5, 1, 0, "abcde", 6, 5},
      {"a full ring whose read position is at the capacity starts at 0", 4, 4, "wxyz", 4, 0, 0,
       "wxyz", 4, 0},
      {"up to the end exactly", 8, 5, "xyz", 3, 0, 0, "xyz", 8, 0},
      {"more than held: nothing copied", 8, 2, "ab", 3, 0, -1, "", 2, 2},
      {"a negative count: nothing copied", 8, 2, "ab", -1, 0, -1, "", 2, 2},
      {"nothing from an empty ring", 8, 3, "", 0, 0, 0, "", 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RingFixture fixture(c.capacity, c.read_position, c.held);
    char out[16];
    std::memset(out, '#', sizeof(out));
    EXPECT_EQ(ReadRingBuffer(&fixture.ring, out, c.n, c.peek), c.result);
    EXPECT_EQ(std::string(out, c.copied.size()), c.copied);
    EXPECT_EQ(out[c.copied.size()], '#') << "copied past the bytes asked for";
    EXPECT_EQ(fixture.ring.read_position, c.read_after);
    EXPECT_EQ(fixture.ring.count, c.count_after);
    EXPECT_EQ(fixture.ring.capacity, c.capacity);
  }
}

TEST(RingBufferTest, AppendsGrowOnlyWhenTheFreeBytesDoNotSuffice) {
  struct Case {
    const char* name;
    int32_t capacity, read_position;
    std::string held, appended;
    bool reallocates;
    int32_t capacity_after, write_after;
  };
  const Case cases[] = {
      {"fits before the end", 16, 2, "ab", "cdef", false, 16, 8},
      {"wraps into the start", 8, 5, "ab", "cdef", false, 8, 3},
      {"fills the ring exactly", 8, 5, "ab", "cdefgh", false, 8, 5},
      {"a write position at the capacity starts at 0", 8, 4, "abcd", "ef", false, 8, 2},
      {"one byte too many: the held bytes move to the start", 8, 6, "abcde", "fghi", true,
       5 + 4 + 1000, 9},
      {"an empty ring without storage", 0, 0, "", "xyz", true, 3 + 1000, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RingFixture fixture(c.capacity, c.read_position, c.held);
    if (c.capacity == 0) {
      FreeRingBuffer(&fixture.ring);
    }
    const uint8_t* storage = fixture.ring.data;
    ASSERT_EQ(AppendRingBuffer(&fixture.ring, c.appended.data(),
                               static_cast<int32_t>(c.appended.size())),
              0);
    EXPECT_EQ(fixture.ring.data != storage, c.reallocates);
    EXPECT_EQ(fixture.ring.capacity, c.capacity_after);
    EXPECT_EQ(fixture.ring.write_position, c.write_after);
    const std::string all = c.held + c.appended;
    ASSERT_EQ(fixture.ring.count, static_cast<int32_t>(all.size()));
    std::string out(all.size(), '\0');
    ASSERT_EQ(ReadRingBuffer(&fixture.ring, out.data(), fixture.ring.count, 0), 0);
    EXPECT_EQ(out, all) << "the old bytes come first, in order";
  }
}

// A long run of appends and reads of mixed sizes, as a receive ring sees
// them: after every step the positions, the count and the capacity are what
// the growth rule gives, and reading gives the bytes in the order they came.
// The block behind the ring grows only when it is outgrown, each time to at
// least twice its size.
TEST(RingBufferTest, ARunOfAppendsAndReadsKeepsTheRulesValuesAndTheBytesInOrder) {
  RingBuffer ring{};
  std::deque<uint8_t> held;
  int32_t capacity = 0, read = 0, write = 0;
  uint8_t next_byte = 0;
  uint32_t random = 12345;
  auto Next = [&](uint32_t below) {
    random = random * 1103515245u + 12345u;
    return (random >> 8) % below;
  };
  int32_t block_bytes = 0, block_growths = 0;
  std::vector<uint8_t> bytes;
  for (int step = 0; step < 3000; ++step) {
    if (read == capacity) read = 0;
    if (write == capacity) write = 0;
    if (Next(3) != 0) {
      const int32_t n = static_cast<int32_t>(Next(4) == 0 ? Next(70000) : Next(300));
      bytes.resize(static_cast<size_t>(n));
      for (uint8_t& b : bytes) b = next_byte++;
      ASSERT_EQ(AppendRingBuffer(&ring, bytes.data(), n), 0);
      held.insert(held.end(), bytes.begin(), bytes.end());
      if (static_cast<int64_t>(held.size()) > capacity) {
        capacity = static_cast<int32_t>(held.size()) + 1000;
        read = 0;
        write = static_cast<int32_t>(held.size()) - n;
      }
      write = write + n <= capacity ? write + n : write + n - capacity;
    } else {
      const int32_t n = static_cast<int32_t>(Next(static_cast<uint32_t>(held.size()) + 1));
      bytes.resize(static_cast<size_t>(n));
      ASSERT_EQ(ReadRingBuffer(&ring, bytes.data(), n, 0), 0);
      ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), held.begin())) << "step " << step;
      held.erase(held.begin(), held.begin() + n);
      read = read + n <= capacity ? read + n : read + n - capacity;
    }
    ASSERT_EQ(ring.count, static_cast<int32_t>(held.size())) << "step " << step;
    ASSERT_EQ(ring.capacity, capacity) << "step " << step;
    ASSERT_EQ(ring.read_position, read) << "step " << step;
    ASSERT_EQ(ring.write_position, write) << "step " << step;
    const int32_t now_block_bytes = ring.data == nullptr ? 0 : MemoryBlockHeaderOf(ring.data)->size;
    if (now_block_bytes != block_bytes) {
      EXPECT_GE(now_block_bytes, 2 * block_bytes) << "step " << step;
      block_bytes = now_block_bytes;
      ++block_growths;
    }
    ASSERT_GE(block_bytes, ring.capacity);
  }
  std::vector<uint8_t> rest(held.size());
  ASSERT_EQ(ReadRingBuffer(&ring, rest.data(), static_cast<int32_t>(rest.size()), 0), 0);
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), held.begin()));
  EXPECT_GT(block_growths, 3);
  FreeRingBuffer(&ring);
}

TEST(RingBufferTest, RefusedAppendsLogAndKeepWhatTheRingHeld) {
  struct Case {
    const char* name;
    int32_t n;
    const char* line;
  };
  const Case cases[] = {
      {"a negative count", -5,
       "リングバッファへのデータの追加に失敗しました(追加する長さ -5 byte)\r\n"},
      // Growth would need more than a block can hold.
      {"a count the ring cannot hold", 0x7FFFFFF0,
       "リングバッファへのデータの追加に失敗しました(追加する長さ 2147483632 byte)\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    RingFixture fixture(8, 6, "abcde");
    const uint8_t* storage = fixture.ring.data;
    const char source[1] = {'z'};
    EXPECT_EQ(AppendRingBuffer(&fixture.ring, source, c.n), -1);
    EXPECT_NE(log.text().find(c.line), std::string::npos) << log.text();
    EXPECT_EQ(fixture.ring.data, storage);
    EXPECT_EQ(fixture.ring.capacity, 8);
    ASSERT_EQ(fixture.ring.count, 5);
    char out[5];
    ASSERT_EQ(ReadRingBuffer(&fixture.ring, out, 5, 0), 0);
    EXPECT_EQ(std::string(out, 5), "abcde");
  }
}

}  // namespace
