// The tracking allocator and the growable byte ring.
//
// Every block comes from the process heap with a MemoryBlockHeader in front
// of it. Live blocks form one doubly linked list: the head is the newest
// block, each header's `older` link leads towards a sentinel header that ends
// the list. The allocator takes no lock: its callers hold the library lock.
#include "runtime/core/memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/core/format.h"
#include "runtime/core/log.h"

// The mirror covers everything in front of it.
static constexpr size_t kMirroredBytes = offsetof(MemoryBlockHeader, mirror);
static_assert(kMirroredBytes == 40, "name, serial, line, size and both links");
static_assert(sizeof(MemoryBlockHeader::mirror) == kMirroredBytes,
              "the mirror holds a full copy of the mirrored part");
static_assert(sizeof(MemoryBlockHeader) == 80, "the header layout is fixed");
static_assert(sizeof(MemoryBlockHeader) % alignof(std::max_align_t) == 0,
              "the caller's memory keeps the heap's alignment");

// The largest size the header's signed 32-bit field can hold.
static constexpr size_t kLargestBlockSize = INT32_MAX;

int MemoryTraceAllFlag = 0;
int MemoryTraceTotalsFlag = 0;
int MemoryCheckEveryCallFlag = 0;
int32_t MemoryTraceSize = 0;
int64_t AllocFailFromSizeForTest = -1;

static MemoryBlockHeader g_sentinel;
static MemoryBlockHeader* g_head = nullptr;
static int64_t g_total_bytes = 0;
static int64_t g_peak_bytes = 0;
static int32_t g_block_count = 0;
static uint16_t g_next_serial = 0;

static void RefreshMirror(MemoryBlockHeader* header) {
  std::memcpy(header->mirror, header, kMirroredBytes);
}

static bool HeaderIntact(const MemoryBlockHeader* header) {
  return std::memcmp(header, header->mirror, kMirroredBytes) == 0;
}

static void* CallerMemory(MemoryBlockHeader* header) { return header + 1; }

static void LogTotals() {
  LogPrintf("\tTotal size:%lld(%.3fkb)  Alloc num:%d", static_cast<long long>(g_total_bytes),
            static_cast<double>(g_total_bytes) / 1024.0, g_block_count);
}

// Whether an allocation or free of `size` bytes is traced.
static bool Traced(int32_t size) {
  return !(MemoryTraceSize >= 0 && MemoryTraceSize != size && MemoryTraceAllFlag != 1);
}

static void ReportDamagedBlock(const MemoryBlockHeader* header) {
  LogAdd("以下のメモリ確保情報が破損しました");
  FormatMemoryBlockLine(header);
}

MemoryBlockHeader* MemoryBlockHeaderOf(void* block) {
  return static_cast<MemoryBlockHeader*>(block) - 1;
}

const MemoryBlockHeader* TrackedListHead() { return g_head; }
const MemoryBlockHeader* TrackedListSentinel() { return &g_sentinel; }
int64_t TrackedTotalBytes() { return g_total_bytes; }
int64_t TrackedPeakBytes() { return g_peak_bytes; }
void ResetTrackedPeakBytes() { g_peak_bytes = g_total_bytes; }
int32_t TrackedBlockCount() { return g_block_count; }

// Whether a block of `size` bytes may be asked of the heap: it fits the
// header's size field and the test switch does not refuse it.
static bool MayAskHeapFor(size_t size) {
  const bool refused_for_test =
      AllocFailFromSizeForTest >= 0 && size >= static_cast<size_t>(AllocFailFromSizeForTest);
  return size <= kLargestBlockSize && !refused_for_test;
}

// Makes `memory` (at least a header and `size` bytes from the heap) a live
// block of this allocator, as an allocation does: header, serial, link at the
// head, totals, trace. The caller's address.
static void* LinkNewBlock(void* memory, size_t size, const char* source_name, int source_line) {
  auto* header = static_cast<MemoryBlockHeader*>(memory);
  std::memset(header, 0, sizeof(MemoryBlockHeader));
  header->size = static_cast<int32_t>(size);
  if (source_name != nullptr) {
    // Keep the end of the name: for a source file path that is the file name.
    size_t length = std::strlen(source_name);
    size_t kept = length < 15 ? length : 15;
    std::memcpy(header->source_name, source_name + (length - kept), kept);
  }
  header->source_line = static_cast<int16_t>(source_line);
  header->serial = g_next_serial++;

  if (g_head == nullptr) g_head = &g_sentinel;
  MemoryBlockHeader* old_head = g_head;
  old_head->newer = header;
  header->older = old_head;
  header->newer = nullptr;
  g_head = header;
  RefreshMirror(header);
  RefreshMirror(old_head);

  g_total_bytes += header->size;
  g_block_count += 1;
  if (g_total_bytes > g_peak_bytes) g_peak_bytes = g_total_bytes;

  if (Traced(header->size)) {
    LogAdd("mem alloc  ");
    FormatMemoryBlockLine(header);
  }
  if (MemoryTraceTotalsFlag == 1) LogTotals();
  if (MemoryCheckEveryCallFlag == 1) CheckMemoryBlocks();
  return CallerMemory(header);
}

// AllocTracked without the dump of a failure: nullptr when the heap has no
// such block or `size` does not fit the header. A cleared block comes from
// calloc, which leaves memory fresh from the kernel (already zero) untouched:
// a large cleared block costs no page faults for the parts never written.
static void* AllocTrackedOrNull(size_t size, bool cleared, const char* source_name,
                                int source_line) {
  void* memory = nullptr;
  if (MayAskHeapFor(size)) {
    const size_t bytes = sizeof(MemoryBlockHeader) + size;
    memory = cleared ? std::calloc(1, bytes) : std::malloc(bytes);
  }
  if (memory == nullptr) return nullptr;
  return LinkNewBlock(memory, size, source_name, source_line);
}

void* AllocTracked(size_t size, const char* source_name, int source_line) {
  void* block = AllocTrackedOrNull(size, false, source_name, source_line);
  if (block == nullptr) DumpAllMemoryBlocks();
  return block;
}

void* AllocTrackedCleared(size_t size, const char* source_name, int source_line) {
  void* block = AllocTrackedOrNull(size, true, source_name, source_line);
  if (block == nullptr) DumpAllMemoryBlocks();
  return block;
}

// Takes the block at `block` out of this allocator's list as a free does
// (totals, unlink, trace), leaving its memory to the caller: its header's
// address, or nullptr when the header is damaged (reported, the block left in
// place).
static MemoryBlockHeader* UnlinkBlock(void* block) {
  MemoryBlockHeader* header = MemoryBlockHeaderOf(block);
  // Unlinking writes through the header's links: a header that no longer
  // matches its mirror is reported and its block left in place.
  if (!HeaderIntact(header)) {
    ReportDamagedBlock(header);
    return nullptr;
  }

  g_total_bytes -= header->size;
  g_block_count -= 1;
  if (MemoryCheckEveryCallFlag == 1) CheckMemoryBlocks();

  MemoryBlockHeader* older = header->older;
  MemoryBlockHeader* newer = header->newer;
  older->newer = newer;
  if (newer != nullptr) newer->older = older;
  if (g_head == header) g_head = older;
  RefreshMirror(older);
  if (newer != nullptr) RefreshMirror(newer);

  if (Traced(header->size)) {
    LogAdd("mem free  ");
    FormatMemoryBlockLine(header);
  }
  if (MemoryTraceTotalsFlag == 1) LogTotals();
  return header;
}

void FreeTracked(void* block) {
  if (block == nullptr) return;
  std::free(UnlinkBlock(block));
}

// Gives a block of this allocator `size` bytes through the heap's
// reallocation, which keeps its bytes (up to the smaller size) and may move
// it: the block's new address, or nullptr (the block unchanged) when the heap
// cannot. The header moves with the block; its neighbours are linked to it
// again. Serial, name and line stay; no trace line is written.
static void* ResizeTrackedOrNull(void* block, size_t size) {
  MemoryBlockHeader* header = MemoryBlockHeaderOf(block);
  if (!MayAskHeapFor(size) || !HeaderIntact(header)) return nullptr;
  const bool was_head = g_head == header;
  void* memory = std::realloc(header, sizeof(MemoryBlockHeader) + size);
  if (memory == nullptr) return nullptr;
  header = static_cast<MemoryBlockHeader*>(memory);
  g_total_bytes += static_cast<int64_t>(size) - header->size;
  if (g_total_bytes > g_peak_bytes) g_peak_bytes = g_total_bytes;
  header->size = static_cast<int32_t>(size);
  header->older->newer = header;
  RefreshMirror(header->older);
  if (header->newer != nullptr) {
    header->newer->older = header;
    RefreshMirror(header->newer);
  }
  if (was_head) g_head = header;
  RefreshMirror(header);
  if (MemoryCheckEveryCallFlag == 1) CheckMemoryBlocks();
  return CallerMemory(header);
}

int CheckMemoryBlocks() {
  if (g_head == nullptr) return 0;
  for (const MemoryBlockHeader* header = g_head; header != &g_sentinel; header = header->older) {
    if (!HeaderIntact(header)) {
      ReportDamagedBlock(header);
      return -1;
    }
  }
  return 0;
}

void FormatMemoryBlockLine(const MemoryBlockHeader* header) {
  // A damaged header may carry any size: show no more bytes than both the
  // size and its mirrored copy allow, so the line never reads past the block.
  int32_t mirrored_size;
  std::memcpy(&mirrored_size, header->mirror + offsetof(MemoryBlockHeader, size),
              sizeof(mirrored_size));
  int32_t shown = header->size < mirrored_size ? header->size : mirrored_size;
  if (shown > 16) shown = 16;
  if (shown < 0) shown = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(header + 1);

  char characters[17];
  char hex[16 * 3 + 1];
  size_t hex_length = 0;
  for (int32_t i = 0; i < shown; ++i) {
    characters[i] = data[i] < 32 ? '.' : static_cast<char>(data[i]);
    static const char kDigits[] = "0123456789abcdef";
    if (i > 0) hex[hex_length++] = ' ';
    hex[hex_length++] = kDigits[data[i] >> 4];
    hex[hex_length++] = kDigits[data[i] & 15];
  }
  characters[shown] = '\0';
  hex[hex_length] = '\0';

  char line[kFormatBufferSize];
  FormatToBufferVarargs(line, sizeof(line),
                        "\tsize:%d(%.3fkb)  file:%.16s  line:%d  ID:%d  data:<%s [%s]\n",
                        header->size, static_cast<double>(header->size) / 1024.0,
                        header->source_name, header->source_line, header->serial, characters,
                        hex);
  LogAdd(line);
}

void DumpAllMemoryBlocks() {
  LogAdd("\n");
  LogAdd("Alloc memory dump");
  if (g_head != nullptr) {
    for (const MemoryBlockHeader* header = g_head; header != &g_sentinel;
         header = header->older) {
      FormatMemoryBlockLine(header);
    }
  }
  LogTotals();
  LogAdd("\n");
}

void ResetRingIndexes(RingBuffer* ring) {
  if (ring->read_position == ring->capacity) ring->read_position = 0;
  if (ring->write_position == ring->capacity) ring->write_position = 0;
}

// The ring's storage may be a larger block than its capacity: the fields keep
// the growth rule (capacity = stored + n + 1000, read 0, write = stored, never
// smaller), while the block behind them grows at least to twice its size. A
// stream of packets that each need a little more room then costs no more than
// a constant per byte: most growths fit the block and at most slide the stored
// bytes to its start, or leave them where they are when they already begin
// there.

// From this size on a ring's block grows through the heap's reallocation,
// which for blocks this large maps the pages it holds to the new place instead
// of copying them (and touches no page twice); a smaller block is copied into
// a new one, which costs little.
static constexpr int64_t kReallocatedRingBlockBytes = 256 * 1024;

// The bytes the ring's block holds (its capacity or more).
static int64_t RingBlockBytes(const RingBuffer& ring) {
  return ring.data == nullptr ? 0 : MemoryBlockHeaderOf(ring.data)->size;
}

// The size of the block that replaces one of `block_bytes` for a ring that
// needs `new_capacity`: twice the old one, or the capacity when that is more.
static int64_t GrownRingBlockBytes(int64_t block_bytes, int64_t new_capacity) {
  const int64_t doubled = 2 * block_bytes;
  return doubled > new_capacity && doubled <= INT32_MAX ? doubled : new_capacity;
}

// Moves the stored bytes to the start of the ring's own block, in order:
// false (nothing moved) when they wrap and the block has no room behind the
// capacity for their second part.
static bool MoveToStartInBlock(RingBuffer* ring) {
  uint8_t* const data = ring->data;
  const int32_t count = ring->count;
  if (count == 0 || ring->read_position == 0) return true;
  if (static_cast<int64_t>(ring->read_position) + count <= ring->capacity) {
    std::memmove(data, data + ring->read_position, static_cast<size_t>(count));
    return true;
  }
  // Wrapped: the part at the block's start goes behind the capacity, where it
  // joins the part before the capacity; then both move down in one piece.
  const int32_t second = count - (ring->capacity - ring->read_position);
  if (RingBlockBytes(*ring) - ring->capacity < second) return false;
  std::memcpy(data + ring->capacity, data, static_cast<size_t>(second));
  std::memmove(data, data + ring->read_position, static_cast<size_t>(count));
  return true;
}

// Puts the stored bytes at the start of a block of at least `new_capacity`
// bytes without taking a new block: the ring's own when it is large enough, or
// a large one grown through the heap's reallocation. False when neither went
// (the ring's bytes and positions unchanged, its block perhaps larger).
static bool GrowWithinBlock(RingBuffer* ring, int64_t new_capacity) {
  const int64_t block_bytes = RingBlockBytes(*ring);
  if (new_capacity <= block_bytes) return MoveToStartInBlock(ring);
  if (block_bytes < kReallocatedRingBlockBytes) return false;
  void* const resized = ResizeTrackedOrNull(
      ring->data, static_cast<size_t>(GrownRingBlockBytes(block_bytes, new_capacity)));
  if (resized == nullptr) return false;
  ring->data = static_cast<uint8_t*>(resized);
  return MoveToStartInBlock(ring);
}

// A large ring block freed by FreeRingBuffer is kept, out of the allocator's
// list, for the next ring that needs a large block: a connection's stream then
// lands in pages that were already touched, instead of faulting in a fresh
// page of zeros every 4096 bytes, and no mapping is given back and taken again
// per connection. One block is kept, the largest; the allocator's list, totals
// and trace lines read as if it had been freed and allocated anew.
static MemoryBlockHeader* g_kept_ring_block = nullptr;
static int64_t g_kept_ring_block_bytes = 0;

// Keeps the block of `block_bytes` bytes at `header` (already out of the
// list) when it is the largest one, and frees the other.
static void KeepRingBlock(MemoryBlockHeader* header, int64_t block_bytes) {
  if (g_kept_ring_block != nullptr && g_kept_ring_block_bytes >= block_bytes) {
    std::free(header);
    return;
  }
  std::free(g_kept_ring_block);
  g_kept_ring_block = header;
  g_kept_ring_block_bytes = block_bytes;
}

// The kept block as a live block of this allocator, when there is one of at
// least `block_bytes` bytes and the heap may be asked for a ring's `capacity`
// bytes; otherwise nullptr.
static uint8_t* TakeKeptRingBlock(int64_t block_bytes, int64_t capacity) {
  if (g_kept_ring_block == nullptr || g_kept_ring_block_bytes < block_bytes ||
      !MayAskHeapFor(static_cast<size_t>(capacity))) {
    return nullptr;
  }
  void* const memory = g_kept_ring_block;
  const int64_t bytes = g_kept_ring_block_bytes;
  g_kept_ring_block = nullptr;
  g_kept_ring_block_bytes = 0;
  return static_cast<uint8_t*>(
      LinkNewBlock(memory, static_cast<size_t>(bytes), __FILE__, __LINE__));
}

void ReleaseKeptRingBlock() {
  std::free(g_kept_ring_block);
  g_kept_ring_block = nullptr;
  g_kept_ring_block_bytes = 0;
}

// Copies the stored bytes to the start of `data`, in order.
static void CopyToStart(const RingBuffer& ring, uint8_t* data) {
  if (ring.count == 0) return;
  int32_t first = ring.count;
  if (static_cast<int64_t>(ring.read_position) + ring.count > ring.capacity) {
    first = ring.capacity - ring.read_position;
  }
  std::memcpy(data, ring.data + ring.read_position, static_cast<size_t>(first));
  std::memcpy(data + first, ring.data, static_cast<size_t>(ring.count - first));
}

int GrowRingBuffer(int32_t additional, RingBuffer* ring) {
  ResetRingIndexes(ring);
  int64_t needed = static_cast<int64_t>(ring->count) + additional;
  if (needed <= ring->capacity) return 0;

  const int64_t new_capacity = needed + 1000;
  if (!GrowWithinBlock(ring, new_capacity)) {
    // A new block. Only the exact size reports a failure: a larger block the
    // heap cannot give is simply not taken.
    uint8_t* data = nullptr;
    const int64_t grown = GrownRingBlockBytes(RingBlockBytes(*ring), new_capacity);
    if (grown >= kReallocatedRingBlockBytes) data = TakeKeptRingBlock(grown, new_capacity);
    if (data == nullptr && grown > new_capacity) {
      data = static_cast<uint8_t*>(
          AllocTrackedOrNull(static_cast<size_t>(grown), false, __FILE__, __LINE__));
    }
    if (data == nullptr) {
      data = static_cast<uint8_t*>(
          AllocTracked(static_cast<size_t>(new_capacity), __FILE__, __LINE__));
    }
    if (data == nullptr) {
      // The ring keeps its storage and the bytes it holds: the caller reports
      // the failure and may still read what was received.
      LogPrintf("リングバッファの再確保に失敗しました(確保しようとしたサイズ %lld byte)",
                static_cast<long long>(new_capacity));
      return -1;
    }
    CopyToStart(*ring, data);
    FreeTracked(ring->data);
    ring->data = data;
  }
  ring->read_position = 0;
  ring->write_position = ring->count;
  ring->capacity = static_cast<int32_t>(new_capacity);
  return 0;
}

int FreeRingBuffer(RingBuffer* ring) {
  const int64_t block_bytes = RingBlockBytes(*ring);
  if (block_bytes >= kReallocatedRingBlockBytes) {
    MemoryBlockHeader* const header = UnlinkBlock(ring->data);
    if (header != nullptr) KeepRingBlock(header, block_bytes);
  } else {
    FreeTracked(ring->data);
  }
  ring->data = nullptr;
  ring->read_position = 0;
  ring->write_position = 0;
  ring->count = 0;
  ring->capacity = 0;
  return 0;
}
