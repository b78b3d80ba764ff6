// The two copies of the network layer's byte rings (the ring itself and its
// housekeeping are the core's RingBuffer).
#pragma once

#include <cstdint>

#include "runtime/core/memory.h"

// Copies the `n` oldest bytes to `destination`, taking them unless `peek` is
// 1. 0, or -1 (nothing copied) when fewer are held or `n` is negative.
int ReadRingBuffer(RingBuffer* ring, void* destination, int32_t n, int32_t peek);
// Appends `n` bytes, growing the ring first. 0, or -1 with a log line when
// `n` is negative or the ring cannot grow to hold them (what it held stays).
int AppendRingBuffer(RingBuffer* ring, const void* source, int32_t n);
