#include "platform/host/start_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// The largest block glibc's main heap may be asked to serve instead of
// mapping it (half its largest heap).
constexpr size_t kLargestHeapBlock = size_t{32} << 20;
// glibc's own default growth beyond a request.
constexpr size_t kDefaultTopPad = size_t{128} << 10;

uintptr_t RoundUp(uintptr_t value, size_t step) { return (value + step - 1) / step * step; }
uintptr_t RoundDown(uintptr_t value, size_t step) { return value / step * step; }

}  // namespace

bool ReserveStartHeap(size_t bytes) {
#if defined(__GLIBC__)
  if (bytes < 2 * kHugePage) return false;
  // A sanitizer's allocator answers mallopt with 0 and does not use the heap.
  if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestHeapBlock)) == 0) return false;
  // Never trim the reserve away: it is what the pictures are decoded into.
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * bytes));
  // One growth of the heap: a block of a quarter of the reserve, with the
  // rest as padding above it. Nothing of it is written yet.
  const size_t block_size = bytes / 4;
  mallopt(M_TOP_PAD, static_cast<int>(bytes - block_size));
  char* const block = static_cast<char*>(std::malloc(block_size));
  mallopt(M_TOP_PAD, static_cast<int>(kDefaultTopPad));
  if (block == nullptr) return false;
  // Where the heap could not grow in place glibc maps the block elsewhere:
  // then the stretch below the break is not ours to mark.
  char* const heap_end = static_cast<char*>(sbrk(0));
  const bool in_heap = block < heap_end && static_cast<size_t>(heap_end - block) >= block_size;
  const uintptr_t first = RoundUp(reinterpret_cast<uintptr_t>(block), kHugePage);
  const uintptr_t last = RoundDown(reinterpret_cast<uintptr_t>(heap_end), kHugePage);
  std::free(block);
  if (!in_heap || last <= first) return false;
  return madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE) == 0;
#else
  (void)bytes;
  return false;
#endif
}
