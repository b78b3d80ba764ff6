// A peer's bytes on a network handle, buffered (length-framed packets through
// the receive ring) or unbuffered (plain socket reads), over a real loopback
// connection: the peer writes the input in pieces while a script of data
// operations runs on the handle, then closes or resets, and the handle is
// released. Every byte the operations hand out must be the next byte of what
// the peer's framing carries, the ring must keep its invariants and never
// reserve more than the bytes that came plus one longest packet, and the
// release must give back every block.
//
// Input: a flags byte (bit 0 buffered, bit 1 write in pieces, bit 2 reset
// instead of an orderly close), a piece size byte, eight operation bytes,
// then the peer's bytes.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "runtime/network/network.h"
#include "runtime/network/network_data.h"
#include "runtime/network/network_handle.h"
#include "tests/fuzz/runtime_fuzz_support.h"
#include "tests/support/network/loopback_peer.h"
#include "tests/support/network/network_start.h"

namespace {

constexpr size_t kScriptBytes = 8;
constexpr size_t kHeaderBytes = 2 + kScriptBytes;
// The peer's bytes looked at; more would only make a run slower.
constexpr size_t kMaxPeerBytes = 64 * 1024;
constexpr size_t kMaxPeerBytesInPieces = 8 * 1024;
// Rounds of the script run after the peer's last byte.
constexpr int kRoundsAfterEnd = 4;
constexpr int kBoundMs = 5000;
// Sizes the operations ask for.
constexpr int32_t kSizes[] = {0, 1, 3, 4, 7, 64, 255, 4096};
// Bytes one send operation sends: a few, so the peer's socket, which is never
// read, takes them all.
constexpr int32_t kSendBytes = 16;

uint16_t listening_port = 0;

void StartOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  StartRuntimeForFuzzing();
  FUZZ_CHECK(StartNetWorkForTest() == 0);
  FUZZ_CHECK(ListenNetWorkForTest(&listening_port) == 0);
  // Handles are released by the script alone.
  NetWorkAutoCloseOff = 1;
}

// What the handle's user must see: the peer's bytes as they are (unbuffered),
// or the bodies of its packets one after the other (buffered).
struct Model {
  std::vector<uint8_t> stream;
  size_t taken = 0;
  // Buffered: bytes of complete packets in `stream`; the bytes still missing
  // from the last packet; whether a length word no ring may take came.
  int64_t complete = 0;
  int64_t missing = 0;
  bool refused = false;
};

Model Frame(const std::vector<uint8_t>& peer, bool buffered) {
  Model model;
  if (!buffered) {
    model.stream = peer;
    return model;
  }
  size_t at = 0;
  while (peer.size() - at >= 4) {
    int32_t length;
    std::memcpy(&length, peer.data() + at, 4);
    at += 4;
    if (length < 0 || length > kMaxNetWorkPacketBytes) {
      model.refused = true;
      break;
    }
    const size_t body = std::min(static_cast<size_t>(length), peer.size() - at);
    model.stream.insert(model.stream.end(), peer.begin() + at, peer.begin() + at + body);
    at += body;
    if (body == static_cast<size_t>(length)) {
      model.complete += length;
    } else {
      model.missing = length - static_cast<int64_t>(body);
    }
  }
  return model;
}

void CheckRing(const RingBuffer& ring, const Model& model) {
  FUZZ_CHECK(ring.read_position >= 0 && ring.read_position <= ring.capacity);
  FUZZ_CHECK(ring.write_position >= 0 && ring.write_position <= ring.capacity);
  FUZZ_CHECK(ring.count >= 0 && ring.count <= ring.capacity);
  FUZZ_CHECK(model.taken + static_cast<size_t>(ring.count) <= model.stream.size());
  // At most the bytes that came, one longest packet and the growth's slack.
  FUZZ_CHECK(static_cast<int64_t>(ring.capacity) <=
             static_cast<int64_t>(model.stream.size()) + kMaxNetWorkPacketBytes + 1000);
}

// The bytes handed out at the model's position, taken when `take`.
void CheckBytes(Model* model, const uint8_t* bytes, size_t n, bool take) {
  FUZZ_CHECK(model->taken + n <= model->stream.size());
  FUZZ_CHECK(n == 0 || std::memcmp(bytes, model->stream.data() + model->taken, n) == 0);
  if (take) model->taken += n;
}

// Runs one operation of the script on `handle`.
void RunOperation(uint8_t op, RuntimeHandle handle, bool buffered, bool peer_open, Model* model) {
  const int32_t n = kSizes[(op >> 3) % std::size(kSizes)];
  std::vector<uint8_t> buffer(static_cast<size_t>(n) + 1);
  switch (op % 6) {
    case 0: {
      const int got = NetWorkRecv(handle, buffer.data(), n);
      if (buffered) {
        FUZZ_CHECK(got == 0 || got == -1);
        if (got == 0) CheckBytes(model, buffer.data(), static_cast<size_t>(n), true);
      } else {
        FUZZ_CHECK(got <= n);
        if (got > 0) CheckBytes(model, buffer.data(), static_cast<size_t>(got), true);
        if (got == 0 && n > 0) FUZZ_CHECK(!peer_open && model->taken == model->stream.size());
      }
      break;
    }
    case 1: {
      const int got = NetWorkRecvToPeek(handle, buffer.data(), n);
      if (buffered) {
        FUZZ_CHECK(got == 0 || got == -1);
        if (got == 0) CheckBytes(model, buffer.data(), static_cast<size_t>(n), false);
      } else {
        FUZZ_CHECK(got <= n);
        if (got > 0) CheckBytes(model, buffer.data(), static_cast<size_t>(got), false);
        if (got == 0 && n > 0) FUZZ_CHECK(!peer_open && model->taken == model->stream.size());
      }
      break;
    }
    case 2: {
      const int waiting = GetNetWorkDataLength(handle);
      if (buffered) {
        FUZZ_CHECK(waiting <= model->complete - static_cast<int64_t>(model->taken) ||
                   waiting == -1);
      } else {
        FUZZ_CHECK(waiting >= -1 && waiting <= 1);
        if (waiting == 0) FUZZ_CHECK(!peer_open && model->taken == model->stream.size());
      }
      break;
    }
    case 3: {
      constexpr uint8_t kGuard = 0xA5;
      uint8_t line[256 + 16];
      std::memset(line, kGuard, sizeof(line));
      const int got = NetWorkRecvLine(handle, reinterpret_cast<char*>(line));
      for (size_t k = 256; k < sizeof(line); ++k) FUZZ_CHECK(line[k] == kGuard);
      // A buffered handle's peek gives 0, never a count: no line is ever taken.
      if (buffered) FUZZ_CHECK(got == -1);
      if (got == 0) {
        // The line is the bytes before the first LF, within 255 bytes.
        const uint8_t* const from = model->stream.data() + model->taken;
        const size_t left = std::min<size_t>(model->stream.size() - model->taken, 255);
        const void* const end = std::memchr(from, '\n', left);
        FUZZ_CHECK(end != nullptr);
        const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - from);
        FUZZ_CHECK(line[length] == '\0');
        CheckBytes(model, line, length, false);
        model->taken += length + 1;
      }
      break;
    }
    case 4: {
      const int state = GetNetWorkAcceptState(handle);
      FUZZ_CHECK(state >= -1 && state <= 1);
      break;
    }
    default: {
      // Only while the peer is open, so nothing stays queued for the release
      // to wait on.
      if (!peer_open) break;
      const uint8_t bytes[kSendBytes] = {};
      const int sent = NetWorkSend(handle, bytes, kSendBytes);
      FUZZ_CHECK(sent >= -1 && sent <= kSendBytes);
      break;
    }
  }
  const NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  FUZZ_CHECK(record != nullptr);
  if (buffered) {
    CheckRing(record->RecvBuffer, *model);
    // Only a length word no ring may take puts the handle in error.
    if (record->ErrorFlag == 1) FUZZ_CHECK(model->refused);
  }
}

// Has the peer write the `missing` bytes of an unfinished packet while the
// handle receives them, so the release does not wait a second for them. The
// writer may block until the handle reads, so the handle is pumped until the
// writer is done and the packet complete.
void FinishLastPacket(LoopbackPeer* peer, RuntimeHandle handle, Model* model) {
  if (model->missing == 0 || model->refused) return;
  const std::vector<uint8_t> rest(static_cast<size_t>(model->missing), 0);
  std::atomic<bool> done{false};
  bool written = false;
  std::thread writer([&] {
    written = peer->Write(rest.data(), rest.size());
    done = true;
  });
  const bool received = RepeatUntil([&] { GetNetWorkDataLength(handle); },
                                    [&] {
                                      const NetWorkHandleRecord* record = GetNetWorkRecord(handle);
                                      return done && (record->RecvPacketLeft == 0 ||
                                                      record->ErrorFlag == 1);
                                    },
                                    kBoundMs);
  // A writer still blocked would never be joined: end the run here.
  FUZZ_CHECK(received);
  writer.join();
  FUZZ_CHECK(written);
  model->stream.insert(model->stream.end(), rest.begin(), rest.end());
  // Every packet is complete now.
  model->complete = static_cast<int64_t>(model->stream.size());
  model->missing = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes) return 0;
  StartOnce();
  const uint8_t flags = data[0];
  const bool buffered = (flags & 1) != 0;
  const bool in_pieces = (flags & 2) != 0;
  const bool reset = (flags & 4) != 0;
  const size_t piece_size = in_pieces ? 1 + data[1] % 64 : kMaxPeerBytes;
  const uint8_t* const script = data + 2;
  // Written piece by piece while the handle may not read, the bytes must fit
  // in the sockets' buffers: fewer of them then.
  const size_t most = in_pieces ? kMaxPeerBytesInPieces : kMaxPeerBytes;
  const std::vector<uint8_t> peer_bytes(data + kHeaderBytes,
                                        data + std::min(size, kHeaderBytes + most));
  Model model = Frame(peer_bytes, buffered);

  TrackedBlocksKept kept;
  const int32_t live = NetWorkHandleTable.live_count;
  NetWorkBufferingOff = buffered ? 0 : 1;
  RuntimeHandle handle;
  {
    LoopbackPeer peer;
    FUZZ_CHECK(peer.Connect(listening_port, kBoundMs));
    FUZZ_CHECK(RepeatUntil([] { ProcessNetWorkMessages(0); },
                           [&] { return NetWorkHandleTable.live_count > live; }, kBoundMs));
    // New handles go right after the list's head.
    handle = NetWorkHandleList.head.next->value;
    FUZZ_CHECK(GetNetWorkRecord(handle)->BufferedFlag == (buffered ? 1 : 0));

    size_t written = 0;
    size_t op = 0;
    while (written < peer_bytes.size()) {
      const size_t piece = std::min(piece_size, peer_bytes.size() - written);
      FUZZ_CHECK(peer.Write(peer_bytes.data() + written, piece));
      written += piece;
      RunOperation(script[op++ % kScriptBytes], handle, buffered, true, &model);
    }
    if (buffered) FinishLastPacket(&peer, handle, &model);
    if (reset) {
      peer.Reset();
    } else {
      peer.Close();
    }
    for (int round = 0; round < kRoundsAfterEnd; ++round) {
      for (size_t k = 0; k < kScriptBytes; ++k) {
        RunOperation(script[k], handle, buffered, false, &model);
      }
    }
  }
  FUZZ_CHECK(ReleaseNetWorkHandle(handle) == 0);
  FUZZ_CHECK(GetNetWorkRecord(handle) == nullptr);
  FUZZ_CHECK(NetWorkHandleTable.live_count == live);
  NetWorkBufferingOff = 0;
  return 0;
}
