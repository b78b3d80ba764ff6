// Reading from and appending to a byte ring. Positions and counts are signed;
// a position equal to the capacity means 0 and is brought back lazily. The
// ring's storage and the caller's buffer never overlap, so the copies are
// plain memcpy in two pieces at most.
#include "runtime/network/ring_buffer.h"

#include <cstring>

#include "runtime/core/log.h"

int ReadRingBuffer(RingBuffer* ring, void* destination, int32_t n, int32_t peek) {
  if (n < 0 || ring->count < n) return -1;
  ResetRingIndexes(ring);
  // Nothing to copy (a ring without storage included).
  if (n == 0) return 0;
  auto* out = static_cast<uint8_t*>(destination);
  const int64_t end = static_cast<int64_t>(ring->read_position) + n;
  if (end <= ring->capacity) {
    std::memcpy(out, ring->data + ring->read_position, static_cast<size_t>(n));
    if (peek == 0) ring->read_position += n;
  } else {
    const int32_t first = ring->capacity - ring->read_position;
    std::memcpy(out, ring->data + ring->read_position, static_cast<size_t>(first));
    std::memcpy(out + first, ring->data, static_cast<size_t>(n - first));
    if (peek == 0) ring->read_position = n - first;
  }
  if (peek == 0) ring->count -= n;
  return 0;
}

int AppendRingBuffer(RingBuffer* ring, const void* source, int32_t n) {
  ResetRingIndexes(ring);
  // A negative count would copy a huge size; a count the ring cannot hold
  // fails in the growth, which keeps what the ring held.
  if (n < 0 || GrowRingBuffer(n, ring) != 0) {
    return LogPrintf("リングバッファへのデータの追加に失敗しました(追加する長さ %d byte)", n);
  }
  if (n == 0) return 0;
  const auto* in = static_cast<const uint8_t*>(source);
  const int64_t end = static_cast<int64_t>(ring->write_position) + n;
  if (end <= ring->capacity) {
    std::memcpy(ring->data + ring->write_position, in, static_cast<size_t>(n));
    ring->write_position += n;
  } else {
    const int32_t first = ring->capacity - ring->write_position;
    std::memcpy(ring->data + ring->write_position, in, static_cast<size_t>(first));
    std::memcpy(ring->data, in + first, static_cast<size_t>(n - first));
    ring->write_position = n - first;
  }
  ring->count += n;
  return 0;
}
