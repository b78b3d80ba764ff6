// The debugger output and its optional sink.
#include <mutex>

#include "platform/win32/kernel.h"

namespace {

struct DebugOutput {
  std::mutex mutex;  // held while the sink runs, so replacing it waits for it
  DebugOutputSink sink = nullptr;
  void* context = nullptr;
};

DebugOutput& Output() {
  static auto* output = new DebugOutput;  // never destroyed: used up to exit
  return *output;
}

}  // namespace

void OutputDebugStringA(LPCSTR text) {
  if (text == nullptr) return;
  DebugOutput& output = Output();
  std::lock_guard<std::mutex> lock(output.mutex);
  if (output.sink != nullptr) output.sink(output.context, text);
}

void SetDebugOutputSink(DebugOutputSink sink, void* context) {
  DebugOutput& output = Output();
  std::lock_guard<std::mutex> lock(output.mutex);
  output.sink = sink;
  output.context = context;
}
