// The start heap: the blocks start-up decodes pictures into come from a stretch
// of the heap marked for transparent huge pages.
#include "platform/host/start_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Mapping {
  bool found = false;
  std::string name;
  std::string flags;
};

// The mapping of /proc/self/smaps that holds `address`: its name and VmFlags.
Mapping MappingHolding(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  std::ifstream smaps("/proc/self/smaps");
  Mapping mapping;
  bool inside = false;
  std::string line;
  while (std::getline(smaps, line)) {
    uintptr_t first = 0;
    uintptr_t last = 0;
    char dash = 0;
    std::istringstream fields(line);
    if (line.find("VmFlags:") == 0) {
      if (inside) {
        mapping.flags = line.substr(8);
        return mapping;
      }
    } else if (fields >> std::hex >> first >> dash >> last && dash == '-') {
      inside = first <= at && at < last;
      if (inside) {
        mapping.found = true;
        // The name is the sixth field, when there is one.
        std::string field;
        for (int i = 0; i < 4 && fields >> field; ++i) {
        }
        fields >> mapping.name;
      }
    }
  }
  return mapping;
}

// The bytes of the heap's mappings marked for huge pages.
size_t MarkedHeapBytes() {
  std::ifstream smaps("/proc/self/smaps");
  size_t marked = 0;
  size_t heap_size = 0;
  std::string line;
  while (std::getline(smaps, line)) {
    uintptr_t first = 0;
    uintptr_t last = 0;
    char dash = 0;
    std::istringstream fields(line);
    if (line.find("VmFlags:") == 0) {
      if ((line + " ").find(" hg ") != std::string::npos) marked += heap_size;
      heap_size = 0;
    } else if (fields >> std::hex >> first >> dash >> last && dash == '-' &&
               line.find("[heap]") != std::string::npos) {
      heap_size = last - first;
    }
  }
  return marked;
}

// The block is served by the heap (not mapped on its own), and the heap's
// reserve is marked. The block itself may come from heap memory freed before
// the reserve was made, when other tests ran first in this process.
TEST(StartHeapTest, BlocksComeFromTheHeapWhoseReserveIsMarkedForHugePages) {
  const size_t reserve = size_t{64} << 20;
  if (!ReserveStartHeap(reserve)) {
    GTEST_SKIP() << "the heap is not the C library's (a sanitizer build) or the system has no "
                    "transparent huge pages";
  }
  // Larger than the C library maps on its own by default (128 KiB).
  const size_t size = size_t{4} << 20;
  void* const block = std::malloc(size);
  ASSERT_NE(block, nullptr);
  const Mapping mapping = MappingHolding(static_cast<char*>(block) + size / 2);
  std::free(block);
  ASSERT_TRUE(mapping.found);
  EXPECT_EQ(mapping.name, "[heap]");
  // The marked stretch: the reserve less at most one huge page at each end
  // (it is marked from the first whole huge page to the last).
  EXPECT_GE(MarkedHeapBytes(), reserve - (size_t{4} << 20));
}

}  // namespace
