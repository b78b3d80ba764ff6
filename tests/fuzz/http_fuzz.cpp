// HTTP answers to a GET, a POST or a HEAD, with the body going to a file or
// to a memory block, served by the loopback HTTP server in one or two pieces
// and followed by an orderly close or a reset. Every transfer must finish
// within a bounded number of steps once the server has closed, whatever
// bytes it left; a finished transfer must hold a result and detail the table
// of failures knows, nothing of its connection, file or POST body, and a body
// made of the answer's own bytes; the memory it reserved on its way must stay
// within what came plus a bounded amount; and deleting it must give back
// every block.
//
// Input: a flags byte (method, destination, close or reset), a byte placing
// the second piece (0: the answer in one piece), then the answer's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/core/memory.h"
#include "runtime/network/http_transfer.h"
#include "runtime/network/network.h"
#include "runtime/network/network_handle.h"
#include "tests/fuzz/runtime_fuzz_support.h"
#include "tests/support/network/loopback_http_server.h"
#include "tests/support/network/network_start.h"

namespace {

constexpr size_t kHeaderBytes = 2;
// The answer's bytes looked at; more would only make a run slower.
constexpr size_t kMaxAnswerBytes = 64 * 1024;
// The server stops by itself after this much real time at the latest.
constexpr int kServerBoundMs = 5000;
// Steps allowed in all: the server answers and closes within a few steps,
// so a run that comes here is stuck.
constexpr int kMaxSteps = 200000;
constexpr char kPostBody[] = "post";

void StartOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  StartRuntimeForFuzzing();
  FUZZ_CHECK(StartNetWorkForTest() == 0);
}

// Steps after the server's close within which the transfer must finish: one
// a line (header lines are taken one a step), one per 255 bytes otherwise,
// and a few for the close itself.
int StepsAfterClose(const std::string& answer) {
  const auto lines = std::count(answer.begin(), answer.end(), '\n');
  return static_cast<int>(lines) + static_cast<int>(answer.size() / 255) + 8;
}

bool Contains(const std::string& answer, const char* bytes, size_t n) {
  if (n == 0) return true;
  return std::search(answer.begin(), answer.end(), bytes, bytes + n) != answer.end();
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes) return 0;
  StartOnce();
  const uint8_t flags = data[0];
  const int method = flags % 3;
  const bool to_file = (flags / 3) % 2 == 1;
  const bool reset = (flags / 6) % 2 == 1;
  const std::string answer(reinterpret_cast<const char*>(data) + kHeaderBytes,
                           std::min(size - kHeaderBytes, kMaxAnswerBytes));
  HttpAnswer script;
  const size_t split = answer.size() * data[1] / 256;
  if (split == 0) {
    script.pieces.push_back({answer, 0});
  } else {
    // The second piece a few steps later: lines and bodies cut between steps.
    script.pieces.push_back({answer.substr(0, split), 0});
    script.pieces.push_back({answer.substr(split), 1 + data[1] % 4});
  }
  script.end = reset ? HttpAnswerEnd::kReset : HttpAnswerEnd::kClose;

  TrackedBlocksKept kept;
  const std::string path = EnterScratchFolder() + "/answer.bin";
  {
    LoopbackHttpServer server([&](int, const std::string&) { return script; }, 1,
                              kServerBoundMs);
    FUZZ_CHECK(server.Start());
    void* block = nullptr;
    const int slot =
        CreateHttpTransferForTest(method, "127.0.0.1", server.Port(), "/fuzz",
                                  to_file ? path.c_str() : nullptr, &block, kPostBody,
                                  static_cast<int32_t>(sizeof(kPostBody) - 1));
    FUZZ_CHECK(slot >= 0);
    HttpTransfer* const transfer = GetHttpTransfer(slot);
    const int64_t base = TrackedTotalBytes();
    ResetTrackedPeakBytes();

    int step = 0;
    int closed_at = -1;
    while (transfer->Result == kHttpRunning) {
      ProcessNetWorkMessages(1);
      ProcessHttpTransfers();
      server.SetStep(++step);
      if (closed_at < 0 && server.Ended(0)) closed_at = step;
      if (closed_at >= 0) FUZZ_CHECK(step - closed_at <= StepsAfterClose(answer));
      FUZZ_CHECK(step <= kMaxSteps);
    }
    // What came, the block's growth copies and a first block.
    FUZZ_CHECK(TrackedPeakBytes() - base <=
               3 * static_cast<int64_t>(answer.size()) + kHttpBodyFirstBytes + 4096);

    FUZZ_CHECK(transfer->NetHandle == -1);
    FUZZ_CHECK(transfer->FileHandle == nullptr);
    FUZZ_CHECK(transfer->PostData == nullptr);
    if (transfer->Result == kHttpDone) {
      FUZZ_CHECK(transfer->ErrorDetail == kHttpNoDetail);
    } else {
      FUZZ_CHECK(transfer->Result == kHttpFailed);
      FUZZ_CHECK(transfer->ErrorDetail >= kHttpOtherStatus &&
                 transfer->ErrorDetail <= kHttpConnectionLost);
    }
    if (to_file) {
      const std::string body = FileBytes(path);
      FUZZ_CHECK(Contains(answer, body.data(), body.size()));
      if (transfer->Result == kHttpDone && method != kHttpHead && transfer->ContentLength >= 0) {
        FUZZ_CHECK(body.size() >= static_cast<size_t>(transfer->ContentLength));
      }
    } else if (transfer->Result == kHttpDone && method != kHttpHead) {
      // The block is exactly the announced length, all of it received.
      FUZZ_CHECK(block != nullptr);
      FUZZ_CHECK(transfer->ContentLength >= 0);
      FUZZ_CHECK(MemoryBlockHeaderOf(block)->size == transfer->ContentLength);
      FUZZ_CHECK(transfer->ReceivedBytes == transfer->ContentLength);
      FUZZ_CHECK(Contains(answer, static_cast<const char*>(block),
                          static_cast<size_t>(transfer->ContentLength)));
      FreeTracked(block);
    } else {
      FUZZ_CHECK(block == nullptr);
    }
    FUZZ_CHECK(DeleteHttpTransfer(slot) == 0);
  }
  std::remove(path.c_str());
  return 0;
}
