// The --input key-script reader over any text: a script it accepts holds
// only frames from 0, key codes 1 to 255 and pad bits, in frame order, and
// every pad state made of its bits is a connected pad with axes in range; a
// script it refuses leaves no line behind and names the line at fault.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/null/null_host.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<InputScriptLine> lines;
  std::string error;
  if (!ParseInputScript(text, &lines, &error)) {
    FUZZ_CHECK(lines.empty());
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
    return 0;
  }
  int64_t previous = 0;
  for (const InputScriptLine& line : lines) {
    FUZZ_CHECK(line.frame >= previous);
    previous = line.frame;
    FUZZ_CHECK(line.sets_keys || line.keys.empty());
    for (const int key : line.keys) FUZZ_CHECK(key >= 1 && key <= 255);
    for (const auto& bits : line.pads) {
      if (!bits) continue;
      const HostPadState pad = PadStateFromBits(*bits);
      FUZZ_CHECK(pad.connected);
      for (const auto axis : pad.axes) FUZZ_CHECK(axis >= -32768 && axis <= 32767);
    }
  }
  return 0;
}
