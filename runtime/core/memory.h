// The tracking allocator: every runtime block carries a header in front of it
// (source name, serial, line, size, list links and a mirror of those used to
// detect damage); all live blocks are kept in one list that can be checked and
// written to the log. Also the growable byte ring of the network layer.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns `size` usable bytes, or nullptr (after writing the live blocks to
// the log) when the heap has none. `source_name` may be null.
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

// The allocator's totals (live bytes and blocks).
int32_t TrackedTotalBytes();
int32_t TrackedBlockCount();

// Growable byte ring.
struct RingBuffer {
  uint8_t* data;
  int32_t read_position;
  int32_t write_position;
  int32_t count;
  int32_t capacity;
};

// Makes room for `additional` more bytes: 0, or -1 when no storage could be
// had (the ring is then emptied and freed).
int GrowRingBuffer(int32_t additional, RingBuffer* ring);
// Frees the data and clears the ring; 0.
int FreeRingBuffer(RingBuffer* ring);
// A read or write position standing at the capacity goes back to 0.
void ResetRingIndexes(RingBuffer* ring);
