#include "tests/fuzz/runtime_fuzz_support.h"

#include <memory>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/kernel.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/log.h"

void StartRuntimeForFuzzing() {
  static bool started = false;
  if (started) return;
  started = true;
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  SetLogOutputFlag(0);
  FUZZ_CHECK(SetCurrentDirectoryA(EnterScratchFolder().c_str()));
  InitArchiveLayer();
  // As the game sets them before it reads any file.
  StoreArchiveExtension("dat");
  StoreArchiveKey("quietmarble");
  SetFileAccessFunctions(nullptr);
  InitStreamFunctions();
}

TrackedBlocksKept::TrackedBlocksKept() : blocks_(TrackedBlockCount()) {}

TrackedBlocksKept::~TrackedBlocksKept() {
  FUZZ_CHECK(FileHandleTable.count == 0);
  CloseAllArchives();
  FUZZ_CHECK(ArchiveTable.count == 0);
  FUZZ_CHECK(TrackedBlockCount() == blocks_);
}

MemoryStreamSource::MemoryStreamSource(const uint8_t* data, size_t size) {
  source_.functions = *GetMemoryStreamFunctions();
  source_.handle = OpenMemoryStream(data, static_cast<uint32_t>(size));
  FUZZ_CHECK(source_.handle != 0);
}

MemoryStreamSource::~MemoryStreamSource() { CloseMemoryStream(source_.handle); }

FileStreamSource::FileStreamSource(const char* path) {
  source_.functions = *GetFileStreamFunctions();
  source_.handle = FileOpenThunk(path, 0, 1, 0);
}

FileStreamSource::~FileStreamSource() {
  if (source_.handle != 0) FileCloseThunk(source_.handle);
}
