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

TEST(StartHeapTest, ABlockOfPicturesComesFromTheHeapMarkedForHugePages) {
  if (!ReserveStartHeap(size_t{64} << 20)) {
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
  EXPECT_NE((" " + mapping.flags + " ").find(" hg "), std::string::npos) << mapping.flags;
}

}  // namespace
