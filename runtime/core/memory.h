// The tracking allocator: every runtime block carries a header in front of it
// (source name, serial, line, size, list links and a mirror of those used to
// detect damage); all live blocks are kept in one list that can be checked and
// written to the log. Also the growable byte ring of the network layer.
#pragma once

#include <cstddef>
#include <cstdint>

// The header in front of every block (80 bytes, so the caller's memory that
// follows it keeps the heap's 16-byte alignment). The mirror is a copy of the
// 40 bytes before it, rewritten whenever they change; a difference between the
// two means the header was overwritten.
struct MemoryBlockHeader {
  char source_name[16];       // the last 15 characters of the name, NUL-terminated
  uint16_t serial;            // process-wide allocation counter, wraps at 65536
  int16_t source_line;
  int32_t size;               // the caller's size
  MemoryBlockHeader* older;   // towards the list's end (the sentinel)
  MemoryBlockHeader* newer;   // nullptr for the newest block
  uint8_t mirror[40];
};

// Trace settings, all 0 unless set before library start-up. An allocation or
// free of MemoryTraceSize bytes is logged (any size when MemoryTraceAllFlag
// is 1 or MemoryTraceSize is negative); with MemoryTraceTotalsFlag 1 every
// allocation and free also logs the totals; with MemoryCheckEveryCallFlag 1
// every allocation and free checks all headers.
extern int MemoryTraceAllFlag;
extern int MemoryTraceTotalsFlag;
extern int MemoryCheckEveryCallFlag;
extern int32_t MemoryTraceSize;

// Test switch: while it is 0 or more, every allocation of that many bytes or
// more fails as one the heap cannot serve. -1 (the default): none does.
extern int64_t AllocFailFromSizeForTest;

// Returns `size` usable bytes, or nullptr (after writing the live blocks to
// the log) when the heap has none or `size` does not fit the header's signed
// 32-bit size. `source_name` may be null.
void* AllocTracked(size_t size, const char* source_name, int source_line);
// As AllocTracked, with the bytes set to 0.
void* AllocTrackedCleared(size_t size, const char* source_name, int source_line);
// Frees a block of this allocator; null does nothing.
void FreeTracked(void* block);

// 0 when every header agrees with its mirror; -1 after logging the first
// damaged one.
int CheckMemoryBlocks();
// Writes every live block and the totals to the log.
void DumpAllMemoryBlocks();
// Writes one block's line to the log: size, name, line, serial and its first
// bytes as characters and in hexadecimal.
void FormatMemoryBlockLine(const MemoryBlockHeader* header);

// The allocator's totals (live bytes and blocks). The byte total is 64-bit:
// blocks of up to 2 GB each may together pass what 32 bits hold.
int64_t TrackedTotalBytes();
int32_t TrackedBlockCount();
// The most bytes live at once since the last reset (diagnostics and tests:
// how much an operation reserved on its way).
int64_t TrackedPeakBytes();
void ResetTrackedPeakBytes();
// The header of the block at `block` (an address AllocTracked returned).
MemoryBlockHeader* MemoryBlockHeaderOf(void* block);
// The newest block's header (the sentinel when no block is live, nullptr
// before the first allocation) and the sentinel that ends the list.
const MemoryBlockHeader* TrackedListHead();
const MemoryBlockHeader* TrackedListSentinel();

// Growable byte ring. `data` is a block of the tracking allocator of at least
// `capacity` bytes (it may hold more: room the ring grows into later).
struct RingBuffer {
  uint8_t* data;
  int32_t read_position;
  int32_t write_position;
  int32_t count;
  int32_t capacity;
};

// Makes room for `additional` more bytes: when they do not fit, the capacity
// becomes stored + additional + 1000 with the stored bytes in order from 0
// (read 0, write = stored). 0, or -1 when no storage could be had (the ring
// then keeps its storage and bytes as they were).
int GrowRingBuffer(int32_t additional, RingBuffer* ring);
// Frees the data and clears the ring; 0. A large block (256 KiB or more) is
// kept, out of the allocator's list, for the next ring that grows as large
// (one block, the largest), so a new connection's stream lands in pages
// already touched.
int FreeRingBuffer(RingBuffer* ring);
// Gives the kept ring block back to the heap (the network end calls it).
void ReleaseKeptRingBlock();
// A read or write position standing at the capacity goes back to 0.
void ResetRingIndexes(RingBuffer* ring);
