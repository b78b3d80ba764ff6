#include "runtime/core/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "runtime/core/log.h"

namespace {

// Collects the log text. With UserWindowFlag the log sends its text only to
// the debugger output, without time stamps, which keeps these texts exact.
class TrackedMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UserWindowFlag = 1;
    SetDebugOutputSink(&TrackedMemoryTest::Collect, &log_);
  }
  void TearDown() override {
    SetDebugOutputSink(nullptr, nullptr);
    UserWindowFlag = 0;
  }

  static void Collect(void* context, const char* text) {
    static_cast<std::string*>(context)->append(text);
  }

  std::string TakeLog() {
    std::string text;
    text.swap(log_);
    return text;
  }

  std::string log_;
};

// The line FormatMemoryBlockLine writes, built from the block's known values.
std::string BlockLine(int size, const char* kb, const char* name, int line, unsigned serial,
                      const std::string& characters, const std::string& hex) {
  return "\tsize:" + std::to_string(size) + "(" + kb + "kb)  file:" + name +
         "  line:" + std::to_string(line) + "  ID:" + std::to_string(serial) + "  data:<" +
         characters + " [" + hex + "]\r\n";
}

std::string TotalsLine() {
  char kb[64];
  std::snprintf(kb, sizeof(kb), "%.3f", static_cast<double>(TrackedTotalBytes()) / 1024.0);
  return "\tTotal size:" + std::to_string(TrackedTotalBytes()) + "(" + kb +
         "kb)  Alloc num:" + std::to_string(TrackedBlockCount()) + "\r\n";
}

// The header that was the head before a test's first allocation, which the
// first block links to (the sentinel when the list was empty or unused).
const MemoryBlockHeader* HeadBefore() {
  const MemoryBlockHeader* head = TrackedListHead();
  return head != nullptr ? head : TrackedListSentinel();
}

TEST_F(TrackedMemoryTest, HeaderKeepsTheNameEndSerialLineAndSize) {
  struct Case {
    const char* name;
    int line;
    size_t size;
    const char* kept_name;
    int16_t kept_line;
  };
  const Case cases[] = {
      {nullptr, 0, 8, "", 0},
      {"", 7, 1, "", 7},
      {"short.cpp", 12, 33, "short.cpp", 12},
      {"fifteen_chars.c", 300, 0, "fifteen_chars.c", 300},
      {"sixteen_chars.cc", -5, 4, "ixteen_chars.cc", -5},
      {"runtime/graphics/graphic_handle.cpp", 32767, 100, "phic_handle.cpp", 32767},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
    void* first = AllocTracked(c.size, c.name, c.line);
    void* second = AllocTracked(c.size, c.name, c.line);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const MemoryBlockHeader* header = MemoryBlockHeaderOf(first);
    EXPECT_STREQ(header->source_name, c.kept_name);
    EXPECT_EQ(header->source_line, c.kept_line);
    EXPECT_EQ(header->size, static_cast<int32_t>(c.size));
    EXPECT_EQ(static_cast<uint16_t>(header->serial + 1), MemoryBlockHeaderOf(second)->serial);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(second) % 16, 0u);
    FreeTracked(second);
    FreeTracked(first);
  }
  EXPECT_EQ(CheckMemoryBlocks(), 0);
}

TEST_F(TrackedMemoryTest, ClearedBlocksHoldZeros) {
  // Small blocks come from the heap's lists, large ones from its top or from
  // their own mappings: each size is filled and freed first so the heap is
  // likely to hand back dirty bytes, and a second dirty block stays live
  // beside it so the cleared one cannot simply be fresh memory.
  for (size_t size : {size_t{256}, size_t{40000}, size_t{300000}, size_t{3000000}}) {
    SCOPED_TRACE(size);
    void* dirty = AllocTracked(size, "dirty", 1);
    void* kept = AllocTracked(size, "kept", 1);
    ASSERT_NE(dirty, nullptr);
    ASSERT_NE(kept, nullptr);
    std::memset(dirty, 0xA5, size);
    std::memset(kept, 0x5A, size);
    FreeTracked(dirty);
    auto* cleared = static_cast<unsigned char*>(AllocTrackedCleared(size, "cleared", 2));
    ASSERT_NE(cleared, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(cleared, cleared + size),
              std::vector<unsigned char>(size, 0));
    EXPECT_EQ(MemoryBlockHeaderOf(cleared)->size, static_cast<int32_t>(size));
    EXPECT_EQ(CheckMemoryBlocks(), 0);
    FreeTracked(cleared);
    FreeTracked(kept);
  }
}

TEST_F(TrackedMemoryTest, ListLinksNewestFirstAndUnlinksNewestMiddleAndOnly) {
  const MemoryBlockHeader* before = HeadBefore();
  void* a = AllocTracked(1, "a", 1);
  void* b = AllocTracked(2, "b", 2);
  void* c = AllocTracked(3, "c", 3);
  MemoryBlockHeader* ha = MemoryBlockHeaderOf(a);
  MemoryBlockHeader* hb = MemoryBlockHeaderOf(b);
  MemoryBlockHeader* hc = MemoryBlockHeaderOf(c);
  EXPECT_EQ(TrackedListHead(), hc);
  EXPECT_EQ(hc->older, hb);
  EXPECT_EQ(hb->older, ha);
  EXPECT_EQ(ha->older, before);
  EXPECT_EQ(before->newer, ha);
  EXPECT_EQ(hc->newer, nullptr);
  EXPECT_EQ(hb->newer, hc);
  EXPECT_EQ(CheckMemoryBlocks(), 0);

  // The middle block: its neighbours link to each other.
  FreeTracked(b);
  EXPECT_EQ(hc->older, ha);
  EXPECT_EQ(ha->newer, hc);
  EXPECT_EQ(TrackedListHead(), hc);
  EXPECT_EQ(CheckMemoryBlocks(), 0);

  // The newest block: its older block becomes the head.
  FreeTracked(c);
  EXPECT_EQ(TrackedListHead(), ha);
  EXPECT_EQ(ha->newer, nullptr);
  EXPECT_EQ(CheckMemoryBlocks(), 0);

  // The only block of this test: the list is back where it was, which is
  // the sentinel when no other block is alive.
  FreeTracked(a);
  EXPECT_EQ(TrackedListHead(), before);
  EXPECT_EQ(before->newer, nullptr);
  if (TrackedBlockCount() == 0) {
    EXPECT_EQ(TrackedListHead(), TrackedListSentinel());
  }
  EXPECT_EQ(CheckMemoryBlocks(), 0);
}

TEST_F(TrackedMemoryTest, TotalsFollowAllocationsAndFrees) {
  const int64_t bytes = TrackedTotalBytes();
  const int32_t blocks = TrackedBlockCount();
  ResetTrackedPeakBytes();
  EXPECT_EQ(TrackedPeakBytes(), bytes);
  void* a = AllocTracked(100, "a", 1);
  void* b = AllocTrackedCleared(28, "b", 2);
  EXPECT_EQ(TrackedTotalBytes(), bytes + 128);
  EXPECT_EQ(TrackedBlockCount(), blocks + 2);
  FreeTracked(a);
  EXPECT_EQ(TrackedTotalBytes(), bytes + 28);
  EXPECT_EQ(TrackedBlockCount(), blocks + 1);
  FreeTracked(nullptr);
  EXPECT_EQ(TrackedTotalBytes(), bytes + 28);
  EXPECT_EQ(TrackedBlockCount(), blocks + 1);
  FreeTracked(b);
  EXPECT_EQ(TrackedTotalBytes(), bytes);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  // The peak is the most live at once: both blocks.
  EXPECT_EQ(TrackedPeakBytes(), bytes + 128);
  ResetTrackedPeakBytes();
  EXPECT_EQ(TrackedPeakBytes(), bytes);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TrackedMemoryTest, SizesBeyondTheHeaderFailAfterTheDump) {
  const int64_t bytes = TrackedTotalBytes();
  const int32_t blocks = TrackedBlockCount();
  const size_t sizes[] = {static_cast<size_t>(INT32_MAX) + 1, SIZE_MAX};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    EXPECT_EQ(AllocTracked(size, "huge", 1), nullptr);
    EXPECT_EQ(AllocTrackedCleared(size, "huge", 2), nullptr);
    EXPECT_EQ(TrackedTotalBytes(), bytes);
    EXPECT_EQ(TrackedBlockCount(), blocks);
    const std::string log = TakeLog();
    DumpAllMemoryBlocks();
    const std::string dump = TakeLog();
    EXPECT_EQ(dump.rfind("\r\nAlloc memory dump", 0), 0u) << dump;
    EXPECT_EQ(log, dump + dump);
  }
}

// One byte of the header changed: the check reports that block with the
// damage message in front of its line.
TEST_F(TrackedMemoryTest, ChangedHeaderByteIsReportedWithTheBlocksLine) {
  struct Case {
    const char* field;
    size_t offset;
    const char* in_line;  // what the reported line shows
  };
  const Case cases[] = {
      {"name", offsetof(MemoryBlockHeader, source_name), "file:" "\x01" "amage_probe"},
      {"name end", offsetof(MemoryBlockHeader, source_name) + 15, "file:damage_probe"},
      {"serial", offsetof(MemoryBlockHeader, serial) + 1, "line:4321"},
      {"line", offsetof(MemoryBlockHeader, source_line), "file:damage_probe"},
      {"size", offsetof(MemoryBlockHeader, size) + 2, "file:damage_probe  line:4321"},
      {"older link", offsetof(MemoryBlockHeader, older), "file:damage_probe  line:4321"},
      {"newer link", offsetof(MemoryBlockHeader, newer), "file:damage_probe  line:4321"},
      {"mirror", offsetof(MemoryBlockHeader, mirror) + 17, "file:damage_probe  line:4321"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    // The damaged block lies below the head, so the check must walk to it.
    auto* damaged = static_cast<char*>(AllocTracked(24, "damage_probe", 4321));
    std::memcpy(damaged, "payload", 8);
    void* newer = AllocTracked(8, "newer_block", 99);
    ASSERT_EQ(CheckMemoryBlocks(), 0);
    TakeLog();

    auto* bytes = reinterpret_cast<unsigned char*>(MemoryBlockHeaderOf(damaged));
    const unsigned char saved = bytes[c.offset];
    bytes[c.offset] = c.offset == 0 ? 0x01 : static_cast<unsigned char>(saved ^ 0x40);
    EXPECT_EQ(CheckMemoryBlocks(), -1);
    const std::string log = TakeLog();
    EXPECT_EQ(log.rfind("以下のメモリ確保情報が破損しました\tsize:", 0), 0u) << log;
    EXPECT_NE(log.find(c.in_line), std::string::npos) << log;
    EXPECT_EQ(log.find("newer_block"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;

    // A damaged block is not unlinked through its links: freeing it reports
    // it and leaves it in place.
    const int32_t blocks = TrackedBlockCount();
    FreeTracked(damaged);
    EXPECT_EQ(TrackedBlockCount(), blocks);
    EXPECT_EQ(TakeLog().rfind("以下のメモリ確保情報が破損しました", 0), 0u);

    bytes[c.offset] = saved;
    EXPECT_EQ(CheckMemoryBlocks(), 0);
    FreeTracked(newer);
    FreeTracked(damaged);
    EXPECT_EQ(TrackedBlockCount(), blocks - 2);
  }
}

TEST_F(TrackedMemoryTest, CallerBytesAreNotPartOfTheCheck) {
  auto* block = static_cast<unsigned char*>(AllocTracked(4, "caller", 1));
  block[0] = 0xFF;
  block[3] = 0x00;
  EXPECT_EQ(CheckMemoryBlocks(), 0);
  FreeTracked(block);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TrackedMemoryTest, DumpListsEveryBlockNewestFirstThenTheTotals) {
  const int32_t others = TrackedBlockCount();
  auto* first = static_cast<unsigned char*>(AllocTracked(20, "dump_first.cpp", 11));
  const unsigned char first_bytes[20] = {'H', 'i', 0x00, 0x0A, 0x0D, 0x1F, ' ', '~',
                                         0x7F, 'Z', 'a', 'z', '0', '9', '%', 's',
                                         'c', 'u', 't', '!'};
  std::memcpy(first, first_bytes, sizeof(first_bytes));
  auto* second = static_cast<unsigned char*>(AllocTracked(3, "path/to/dump_second.cpp", 22));
  std::memcpy(second, "xyz", 3);
  const unsigned first_serial = MemoryBlockHeaderOf(first)->serial;
  const unsigned second_serial = MemoryBlockHeaderOf(second)->serial;
  TakeLog();

  DumpAllMemoryBlocks();
  const std::string log = TakeLog();

  const std::string head =
      "\r\nAlloc memory dump" +
      BlockLine(3, "0.003", "dump_second.cpp", 22, second_serial, "xyz", "78 79 7a") +
      BlockLine(20, "0.020", "dump_first.cpp", 11, first_serial, "Hi.... ~" "\x7F" "Zaz09%s",
                "48 69 00 0a 0d 1f 20 7e 7f 5a 61 7a 30 39 25 73");
  const std::string tail = TotalsLine() + "\r\n";
  ASSERT_GE(log.size(), head.size() + tail.size());
  EXPECT_EQ(log.substr(0, head.size()), head);
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  // Between them: one line for each block that was alive before.
  const std::string middle = log.substr(head.size(), log.size() - head.size() - tail.size());
  EXPECT_EQ(std::count(middle.begin(), middle.end(), '\n'), others);

  FreeTracked(second);
  FreeTracked(first);
}

TEST_F(TrackedMemoryTest, DefaultTraceLogsExactlyTheEmptyBlocks) {
  EXPECT_EQ(MemoryTraceAllFlag, 0);
  EXPECT_EQ(MemoryTraceTotalsFlag, 0);
  EXPECT_EQ(MemoryCheckEveryCallFlag, 0);
  EXPECT_EQ(MemoryTraceSize, 0);

  void* one = AllocTracked(1, "one", 1);
  void* empty = AllocTracked(0, "empty", 2);
  void* sixteen = AllocTracked(16, "sixteen", 3);
  const unsigned serial = MemoryBlockHeaderOf(empty)->serial;
  EXPECT_EQ(TakeLog(), "mem alloc  " + BlockLine(0, "0.000", "empty", 2, serial, "", ""));

  FreeTracked(sixteen);
  FreeTracked(one);
  EXPECT_EQ(TakeLog(), "");
  FreeTracked(empty);
  EXPECT_EQ(TakeLog(), "mem free  " + BlockLine(0, "0.000", "empty", 2, serial, "", ""));
}

// A ring with `count` bytes 0, 1, 2, ... stored from `read`, wrapping at
// `capacity`, and the write position as given.
RingBuffer MakeRing(int32_t capacity, int32_t read, int32_t write, int32_t count) {
  RingBuffer ring{};
  ring.capacity = capacity;
  ring.data = capacity > 0 ? static_cast<uint8_t*>(AllocTracked(capacity, "ring", 1)) : nullptr;
  ring.read_position = read;
  ring.write_position = write;
  ring.count = count;
  for (int32_t i = 0; i < count; ++i) ring.data[(read + i) % capacity] = static_cast<uint8_t>(i);
  return ring;
}

std::vector<uint8_t> StoredBytes(const RingBuffer& ring) {
  std::vector<uint8_t> bytes;
  for (int32_t i = 0; i < ring.count; ++i) {
    bytes.push_back(ring.data[(ring.read_position + i) % ring.capacity]);
  }
  return bytes;
}

TEST_F(TrackedMemoryTest, RingGrowthMovesTheStoredBytesToTheStart) {
  struct Case {
    const char* name;
    int32_t capacity, read, write, count, grow;
    int32_t new_capacity, new_read, new_write;
    bool moved;
  };
  const Case cases[] = {
      {"wrapped", 100, 60, 40, 80, 30, 1110, 0, 80, true},
      {"in one piece", 100, 10, 60, 50, 60, 1110, 0, 50, true},
      {"write at the capacity", 100, 40, 100, 60, 41, 1101, 0, 60, true},
      {"full", 100, 30, 30, 100, 1, 1101, 0, 100, true},
      {"empty ring", 0, 0, 0, 0, 5, 1005, 0, 0, true},
      {"fits exactly", 100, 60, 40, 80, 20, 100, 60, 40, false},
      {"both at the capacity", 100, 100, 100, 0, 10, 100, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RingBuffer ring = MakeRing(c.capacity, c.read, c.write, c.count);
    const uint8_t* old_data = ring.data;
    const std::vector<uint8_t> before = StoredBytes(ring);
    const int32_t blocks = TrackedBlockCount();

    EXPECT_EQ(GrowRingBuffer(c.grow, &ring), 0);
    EXPECT_EQ(ring.capacity, c.new_capacity);
    EXPECT_EQ(ring.read_position, c.new_read);
    EXPECT_EQ(ring.write_position, c.new_write);
    EXPECT_EQ(ring.count, c.count);
    EXPECT_EQ(ring.data != old_data, c.moved);
    EXPECT_EQ(TrackedBlockCount(), blocks + (c.moved && old_data == nullptr ? 1 : 0));
    if (ring.capacity > 0) {
      EXPECT_EQ(StoredBytes(ring), before);
    }
    if (c.moved) {
      EXPECT_EQ(std::vector<uint8_t>(ring.data, ring.data + ring.count), before);
      EXPECT_EQ(MemoryBlockHeaderOf(ring.data)->size, c.new_capacity);
    }
    EXPECT_EQ(FreeRingBuffer(&ring), 0);
    EXPECT_EQ(ring.data, nullptr);
    EXPECT_EQ(ring.capacity, 0);
  }
  EXPECT_EQ(TakeLog(), "");
}

// A ring as MakeRing makes it, in a block of `block` bytes, more than its
// capacity; the bytes outside the stored ones are 0xEE.
RingBuffer MakeRingInLargerBlock(int32_t block, int32_t capacity, int32_t read, int32_t count) {
  RingBuffer ring{};
  ring.data = static_cast<uint8_t*>(AllocTracked(block, "ring", 1));
  std::memset(ring.data, 0xEE, static_cast<size_t>(block));
  ring.capacity = capacity;
  ring.read_position = read;
  ring.write_position = (read + count) % capacity;
  ring.count = count;
  for (int32_t i = 0; i < count; ++i) {
    ring.data[(read + i) % capacity] = static_cast<uint8_t>(i * 7 + (i >> 8));
  }
  return ring;
}

// A block with room for the new capacity keeps the growth rule's values
// (capacity = stored + n + 1000, read 0, write = stored) and the stored bytes
// in order from 0, wherever they sat; without room, a new block takes them,
// or a large block grows (the heap decides whether it moves).
TEST_F(TrackedMemoryTest, RingGrowthWithinALargerBlockKeepsTheRulesValues) {
  enum Block { kSame, kNew, kEither };
  struct Case {
    const char* name;
    int32_t block, capacity, read, count, grow;
    Block block_after;
  };
  const Case cases[] = {
      {"in one piece from the start", 4000, 100, 0, 60, 50, kSame},
      {"in one piece further on", 4000, 100, 30, 60, 50, kSame},
      {"in one piece up to the capacity", 4000, 100, 40, 60, 50, kSame},
      {"wrapped, room behind the capacity", 4000, 100, 70, 60, 50, kSame},
      {"full and wrapped", 4000, 100, 99, 100, 1, kSame},
      {"empty, positions inside", 4000, 100, 40, 0, 200, kSame},
      // The part at the start (1400 bytes) does not fit the 1100 bytes behind
      // the capacity.
      {"wrapped, no room behind the capacity", 4100, 3000, 1500, 2900, 101, kNew},
      {"more than the block holds", 1500, 100, 30, 60, 500, kNew},
      {"a large block outgrown, in one piece", 300000, 300000, 1000, 280000, 30000, kEither},
      {"a large block outgrown, wrapped", 300000, 300000, 200000, 250000, 60000, kEither},
      {"a large full block outgrown", 400000, 400000, 0, 400000, 1, kEither},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RingBuffer ring = MakeRingInLargerBlock(c.block, c.capacity, c.read, c.count);
    const uint8_t* old_data = ring.data;
    const std::vector<uint8_t> before = StoredBytes(ring);
    const int32_t blocks = TrackedBlockCount();

    EXPECT_EQ(GrowRingBuffer(c.grow, &ring), 0);
    EXPECT_EQ(ring.capacity, c.count + c.grow + 1000);
    EXPECT_EQ(ring.read_position, 0);
    EXPECT_EQ(ring.write_position, c.count);
    EXPECT_EQ(ring.count, c.count);
    if (c.block_after != kEither) {
      EXPECT_EQ(ring.data == old_data, c.block_after == kSame);
    }
    EXPECT_EQ(TrackedBlockCount(), blocks);
    const int32_t block_after = MemoryBlockHeaderOf(ring.data)->size;
    EXPECT_GE(block_after, ring.capacity);
    if (c.block_after != kSame) {
      EXPECT_GE(block_after, 2 * c.block);
    }
    EXPECT_EQ(std::vector<uint8_t>(ring.data, ring.data + ring.count), before);

    EXPECT_EQ(FreeRingBuffer(&ring), 0);
  }
  EXPECT_EQ(TakeLog(), "");
}

// A ring of `block` bytes in a block of its own, emptied and freed: a block
// of 256 KiB or more is kept for the next ring that grows as large. Its
// address.
const uint8_t* FreeARingOf(int32_t block) {
  RingBuffer ring{};
  EXPECT_EQ(GrowRingBuffer(block - 1000, &ring), 0);
  EXPECT_EQ(MemoryBlockHeaderOf(ring.data)->size, block);
  const uint8_t* const data = ring.data;
  FreeRingBuffer(&ring);
  return data;
}

// A freed large ring block is counted out as any freed block, and the next
// empty ring that grows as large takes it: the growth rule's values, and the
// block counted in as a new one. A block
// smaller than the growth needs, or a growth the heap would refuse, leaves it.
TEST_F(TrackedMemoryTest, AFreedLargeRingBlockServesTheNextLargeRing) {
  struct Case {
    const char* name;
    int32_t freed_block;  // the freed ring's capacity (its block's size)
    int32_t grow;  // the empty ring's growth
    int64_t refuse_from;  // AllocFailFromSizeForTest during the growth
    bool taken;  // the growth takes the freed block
  };
  const Case cases[] = {
      {"as large as the growth needs", 301000, 300000, -1, true},
      {"larger than the growth needs", 900000, 300000, -1, true},
      {"smaller than the growth needs", 301000, 400000, -1, false},
      {"a growth the heap would refuse", 301000, 300000, 301000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReleaseKeptRingBlock();
    const int32_t blocks = TrackedBlockCount();
    const int64_t bytes = TrackedTotalBytes();
    const uint8_t* const freed = FreeARingOf(c.freed_block);
    EXPECT_EQ(TrackedBlockCount(), blocks);
    EXPECT_EQ(TrackedTotalBytes(), bytes);
    EXPECT_EQ(CheckMemoryBlocks(), 0);

    RingBuffer ring{};
    AllocFailFromSizeForTest = c.refuse_from;
    const int grown = GrowRingBuffer(c.grow, &ring);
    AllocFailFromSizeForTest = -1;
    if (c.refuse_from >= 0) {
      EXPECT_EQ(grown, -1);
      EXPECT_EQ(ring.data, nullptr);
      EXPECT_EQ(ring.capacity, 0);
      EXPECT_EQ(TrackedBlockCount(), blocks);
      EXPECT_NE(TakeLog().find("リングバッファの再確保に失敗しました"), std::string::npos);
      continue;
    }
    ASSERT_EQ(grown, 0);
    EXPECT_EQ(ring.data == freed, c.taken);
    EXPECT_EQ(ring.capacity, c.grow + 1000);
    EXPECT_EQ(ring.read_position, 0);
    EXPECT_EQ(ring.write_position, 0);
    EXPECT_EQ(ring.count, 0);
    const MemoryBlockHeader* const header = MemoryBlockHeaderOf(ring.data);
    EXPECT_EQ(header->size, c.taken ? c.freed_block : c.grow + 1000);
    EXPECT_EQ(TrackedBlockCount(), blocks + 1);
    EXPECT_EQ(TrackedTotalBytes(), bytes + header->size);
    EXPECT_EQ(TrackedListHead(), header) << "counted in as the newest block";
    EXPECT_EQ(CheckMemoryBlocks(), 0);

    FreeRingBuffer(&ring);
    EXPECT_EQ(TrackedBlockCount(), blocks);
  }
  ReleaseKeptRingBlock();
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TrackedMemoryTest, FailedRingGrowthKeepsTheRingAndLogs) {
  RingBuffer ring = MakeRing(100, 60, 40, 80);
  const RingBuffer before = ring;
  const std::vector<uint8_t> stored = StoredBytes(ring);

  EXPECT_EQ(GrowRingBuffer(INT32_MAX, &ring), -1);
  EXPECT_EQ(ring.data, before.data);
  EXPECT_EQ(ring.read_position, 60);
  EXPECT_EQ(ring.write_position, 40);
  EXPECT_EQ(ring.count, 80);
  EXPECT_EQ(ring.capacity, 100);
  EXPECT_EQ(StoredBytes(ring), stored);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("Alloc memory dump"), std::string::npos);
  EXPECT_NE(log.find("リングバッファの再確保に失敗しました(確保しようとしたサイズ 2147484727 byte)\r\n"),
            std::string::npos)
      << log;

  const int32_t blocks = TrackedBlockCount();
  EXPECT_EQ(FreeRingBuffer(&ring), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks - 1);
  EXPECT_EQ(ring.read_position, 0);
  EXPECT_EQ(ring.write_position, 0);
  EXPECT_EQ(ring.count, 0);
}

TEST(RingIndexesTest, PositionsAtTheCapacityGoBackToZero) {
  struct Case {
    int32_t read, write, expected_read, expected_write;
  };
  const Case cases[] = {{100, 100, 0, 0}, {100, 30, 0, 30}, {30, 100, 30, 0}, {99, 0, 99, 0}};
  for (const Case& c : cases) {
    RingBuffer ring{nullptr, c.read, c.write, 0, 100};
    ResetRingIndexes(&ring);
    EXPECT_EQ(ring.read_position, c.expected_read);
    EXPECT_EQ(ring.write_position, c.expected_write);
  }
}

}  // namespace
