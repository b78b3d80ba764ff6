// The network layer's throughput over 127.0.0.1 against the physical limit:
// - plain_posix_copy: 256 MiB between two threads over plain POSIX sockets,
//   in 64 KiB blocking writes and reads (the yardstick); plain_posix_copy/<MiB>
//   the same copy of 1, 16 and 64 MiB, timed as the framed receive is (each
//   framed receive is also set against the plain copy of its length);
// - standin_copy: the same stream through the socket stand-ins' own send and
//   recv (blocking sockets);
// - framed_recv/<packet bytes>/<MiB>: a POSIX peer writes that many MiB of
//   packets to an accepted buffered handle, while the layer's side loops
//   ProcessNetWorkMessages(1), GetNetWorkDataLength and NetWorkRecv; 64 KiB
//   packets over 1, 16 and 64 MiB show whether the cost per MiB grows with
//   the stream;
// - framed_send/<packet bytes>: NetWorkSend of packets on a buffered handle
//   while a POSIX peer reads, with at most 1 MiB queued in the send ring.
// - http_get/memory, http_get/file: a GET of a 64 MiB body from the loopback
//   HTTP server (POSIX, on a thread of its own) to a memory block or to a
//   file, stepped as message processing steps it;
// - posix_recv_4096_to_file: the least a GET to a file does, in plain POSIX
//   calls (4096-byte reads, each written to the file).
// The framed cases run with 64 KiB and with 256-byte packets. Each case
// reports bytes per second (of the stream or of the packets' bodies), the
// milliseconds one MiB costs, and its ratio to the plain copy (with
// --benchmark_repetitions=N, the slowest and the fastest repetition). The
// layer runs on the main thread, which is the null host's game thread.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/winsock.h"
#include "runtime/core/memory.h"
#include "runtime/network/http_transfer.h"
#include "runtime/network/network.h"
#include "runtime/network/network_data.h"
#include "runtime/network/network_handle.h"
#include "tests/support/network/loopback_http_server.h"
#include "tests/support/network/loopback_peer.h"
#include "tests/support/network/network_start.h"

namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr size_t kStreamBytes = size_t{256} << 20;
// Bytes of packet bodies per iteration of a framed send.
constexpr size_t kFramedBytes = size_t{16} << 20;
constexpr int32_t kMostQueued = 1 << 20;

uint16_t g_layer_port = 0;

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The receiving side's CPU time over a stream: the whole process's (the
// receiving thread, and the socket stand-in's poller for the layer) less the
// writing thread's own. Wall time on a shared machine also counts the waits
// for a core; this counts the work.
class ReceiveCpu {
 public:
  void Start() { process_ = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
  // The writing thread's CPU time over its writes (it joins before Stop).
  void Writer(double seconds) { writer_ = seconds; }
  void Stop() { seconds_ += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process_ - writer_; }
  // Milliseconds per MiB of `bytes` received in all.
  double MsPerMiB(double bytes) const {
    return bytes > 0 ? 1000.0 * seconds_ / (bytes / (1 << 20)) : 0;
  }

 private:
  double process_ = 0;
  double writer_ = 0;
  double seconds_ = 0;
};

// Writes `total` bytes in 64 KiB pieces with `write`, on a thread of its own,
// while `read` takes 64 KiB pieces on this one until `total` came.
template <typename Write, typename Read>
bool CopyBetweenThreads(size_t total, Write write, Read read) {
  bool written = false;
  std::thread writer([&] {
    const std::vector<uint8_t> block(kBlock, 0x5A);
    size_t left = total;
    written = true;
    while (left > 0 && written) {
      const size_t n = std::min(left, kBlock);
      written = write(block.data(), n);
      left -= n;
    }
  });
  std::vector<uint8_t> block(kBlock);
  size_t got = 0;
  while (got < total) {
    const int64_t n = read(block.data(), kBlock);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  writer.join();
  return written && got == total;
}

constexpr int kConnectMs = 5000;

void PlainPosixCopy(benchmark::State& state) {
  for (auto _ : state) {
    LoopbackPeer server, client;
    const bool connected = server.Listen() && client.Connect(server.Port(), kConnectMs) &&
                           server.Accept(kConnectMs);
    const bool ok = connected &&
                    CopyBetweenThreads(
                        kStreamBytes, [&](const uint8_t* p, size_t n) { return client.Write(p, n); },
                        [&](uint8_t* p, size_t n) { return server.ReadSome(p, n); });
    if (!ok) state.SkipWithError("the copy broke off");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
}

// A POSIX peer writes `total` bytes in 64 KiB pieces on a thread of its own,
// made with the connection before the clock runs (as the framed receive's
// writer is); `read(count left)` takes them on this thread until all came, or
// gives 0 or less to stop; then `finish()`, before the clock stops.
template <typename Read, typename Finish>
void TimedStream(benchmark::State& state, LoopbackPeer* writer_side, size_t total, Read read,
                 Finish finish, ReceiveCpu* cpu) {
  std::atomic<bool> go{false};
  double writer_cpu = 0;
  std::thread writer([&] {
    const std::vector<uint8_t> block(kBlock, 0x5A);
    while (!go.load()) std::this_thread::yield();
    const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (size_t left = total; left > 0;) {
      const size_t n = std::min(left, kBlock);
      if (!writer_side->Write(block.data(), n)) break;
      left -= n;
    }
    writer_cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
  });
  state.ResumeTiming();
  cpu->Start();
  go.store(true);
  size_t got = 0;
  while (got < total) {
    const int64_t n = read(total - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  writer.join();
  const bool finished = finish();
  cpu->Writer(writer_cpu);
  cpu->Stop();
  state.PauseTiming();
  if (got < total || !finished) state.SkipWithError("the copy broke off");
}

// The plain copy of a shorter stream, `state.range(0)` MiB read in 64 KiB
// pieces, without the connection and the writer's thread: the yardstick of
// the framed receive's short streams.
void PlainPosixCopyOf(benchmark::State& state) {
  const size_t total = static_cast<size_t>(state.range(0)) << 20;
  std::vector<uint8_t> block(kBlock);
  ReceiveCpu cpu;
  for (auto _ : state) {
    state.PauseTiming();
    LoopbackPeer server, client;
    if (!server.Listen() || !client.Connect(server.Port(), kConnectMs) ||
        !server.Accept(kConnectMs)) {
      state.SkipWithError("no connection");
      break;
    }
    TimedStream(
        state, &client, total,
        [&](size_t left) { return server.ReadSome(block.data(), std::min(left, kBlock)); },
        [] { return true; }, &cpu);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
  state.counters["recv_cpu_ms_MiB"] =
      cpu.MsPerMiB(static_cast<double>(state.iterations() * total));
}

constexpr size_t kHttpBodyBytes = size_t{64} << 20;

// What an HTTP GET to a file does at the least, in plain POSIX calls: the
// 64 MiB body received in 4096-byte reads, each written to a new file in the
// temporary folder as it came, and the file closed.
void PosixReceiveToFile(benchmark::State& state) {
  char folder[] = "/tmp/brimal_http_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no folder for the file");
    return;
  }
  const std::string path = std::string(folder) + "/body.bin";
  char step[kHttpFileBufferBytes];
  ReceiveCpu cpu;
  for (auto _ : state) {
    state.PauseTiming();
    LoopbackPeer server, client;
    std::remove(path.c_str());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || !server.Listen() || !client.Connect(server.Port(), kConnectMs) ||
        !server.Accept(kConnectMs)) {
      if (file != nullptr) std::fclose(file);
      state.SkipWithError("no connection or no file");
      break;
    }
    const int descriptor = fileno(file);
    TimedStream(
        state, &client, kHttpBodyBytes,
        [&](size_t left) -> int64_t {
          const int64_t n = server.ReadSome(step, std::min(left, sizeof(step)));
          if (n > 0 && write(descriptor, step, static_cast<size_t>(n)) != n) return -1;
          return n;
        },
        [&] { return std::fclose(file) == 0; }, &cpu);
    state.ResumeTiming();
  }
  std::remove(path.c_str());
  std::remove(folder);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kHttpBodyBytes));
  state.counters["recv_cpu_ms_MiB"] =
      cpu.MsPerMiB(static_cast<double>(state.iterations() * kHttpBodyBytes));
}

void StandInCopy(benchmark::State& state) {
  WSADATA data;
  WSAStartup(0x0101, &data);
  for (auto _ : state) {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    int length = sizeof(address);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener, SOMAXCONN);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    const SOCKET server = accept(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const bool ok = CopyBetweenThreads(
        kStreamBytes,
        [&](const uint8_t* p, size_t n) {
          while (n > 0) {
            const int sent = send(client, reinterpret_cast<const char*>(p), static_cast<int>(n), 0);
            if (sent <= 0) return false;
            p += sent;
            n -= static_cast<size_t>(sent);
          }
          return true;
        },
        [&](uint8_t* p, size_t n) {
          return static_cast<int64_t>(recv(server, reinterpret_cast<char*>(p), static_cast<int>(n), 0));
        });
    closesocket(client);
    closesocket(server);
    closesocket(listener);
    if (!ok) state.SkipWithError("the copy broke off");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
  WSACleanup();
}

// Connects `peer` to the layer's listening socket; the handle the layer
// accepted it into, or -1.
RuntimeHandle ConnectToLayer(LoopbackPeer* peer) {
  const int32_t before = NetWorkHandleTable.live_count;
  if (!peer->Connect(g_layer_port, kConnectMs) ||
      !RepeatUntil([] { ProcessNetWorkMessages(0); },
                   [&] { return NetWorkHandleTable.live_count > before; })) {
    return -1;
  }
  return NetWorkHandleList.head.next->value;
}

void FramedRecv(benchmark::State& state) {
  const size_t packet = static_cast<size_t>(state.range(0));
  const size_t total = static_cast<size_t>(state.range(1)) << 20;
  // The peer's writes: as many whole packets as fill about 64 KiB.
  const size_t per_write = std::max<size_t>(1, kBlock / packet);
  std::vector<uint8_t> packets;
  for (size_t i = 0; i < per_write; ++i) {
    const uint32_t length = static_cast<uint32_t>(packet);
    const uint8_t* word = reinterpret_cast<const uint8_t*>(&length);
    packets.insert(packets.end(), word, word + 4);
    packets.insert(packets.end(), packet, 0x33);
  }
  std::vector<uint8_t> buffer(4 << 20);
  int32_t largest_ring = 0;
  ReceiveCpu cpu;
  for (auto _ : state) {
    // The clock measures the stream: the connection and the writer's thread
    // are made before it runs, the release after it stops.
    state.PauseTiming();
    LoopbackPeer peer;
    const RuntimeHandle handle = ConnectToLayer(&peer);
    if (handle == -1) {
      state.SkipWithError("no connection");
      break;
    }
    std::atomic<bool> go{false};
    double writer_cpu = 0;
    std::thread writer([&] {
      while (!go.load()) std::this_thread::yield();
      const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
      for (size_t sent = 0; sent < total; sent += per_write * packet) {
        if (!peer.Write(packets.data(), packets.size())) break;
      }
      writer_cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    });
    state.ResumeTiming();
    cpu.Start();
    go.store(true);
    size_t received = 0;
    while (received < total) {
      ProcessNetWorkMessages(1);
      const int waiting = GetNetWorkDataLength(handle);
      if (waiting <= 0) {
        // Nothing yet: the peer's thread may be waiting for this core.
        std::this_thread::yield();
        continue;
      }
      const int32_t n = std::min<int32_t>(waiting, static_cast<int32_t>(buffer.size()));
      largest_ring = std::max(largest_ring, GetNetWorkRecord(handle)->RecvBuffer.capacity);
      if (NetWorkRecv(handle, buffer.data(), n) != 0) break;
      received += static_cast<size_t>(n);
    }
    writer.join();
    cpu.Writer(writer_cpu);
    cpu.Stop();
    state.PauseTiming();
    ReleaseNetWorkHandle(handle);
    state.ResumeTiming();
    if (received < total) state.SkipWithError("the stream broke off");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
  // The receive ring's largest capacity: how much of the stream waited in it
  // at once.
  state.counters["ring_MiB"] = static_cast<double>(largest_ring) / (1 << 20);
  state.counters["recv_cpu_ms_MiB"] =
      cpu.MsPerMiB(static_cast<double>(state.iterations() * total));
}

void FramedSend(benchmark::State& state) {
  const size_t packet = static_cast<size_t>(state.range(0));
  const size_t total = kFramedBytes;
  const std::vector<uint8_t> body(packet, 0x44);
  for (auto _ : state) {
    LoopbackPeer peer;
    const RuntimeHandle handle = ConnectToLayer(&peer);
    if (handle == -1) {
      state.SkipWithError("no connection");
      break;
    }
    size_t wire = 0;
    std::thread reader([&] {
      std::vector<uint8_t> block(kBlock);
      int64_t n;
      while ((n = peer.ReadSome(block.data(), block.size())) > 0) wire += static_cast<size_t>(n);
    });
    const NetWorkHandleRecord* record = GetNetWorkRecord(handle);
    bool ok = true;
    for (size_t queued = 0; queued < total && ok;) {
      if (record->SendBuffer.count >= kMostQueued) {
        ProcessNetWorkMessages(0);
        continue;
      }
      ok = NetWorkSend(handle, body.data(), static_cast<int32_t>(packet)) == 0;
      queued += packet;
    }
    ok = ok && RepeatUntil([] { ProcessNetWorkMessages(0); },
                           [&] { return record->SendBuffer.count == 0; }, 60000);
    ReleaseNetWorkHandle(handle);
    reader.join();
    if (!ok || wire < total) state.SkipWithError("the stream broke off");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

void HttpGet(benchmark::State& state, bool to_file) {
  const std::string answer =
      "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kHttpBodyBytes) + "\r\n\r\n" +
      std::string(kHttpBodyBytes, 'g');
  char folder[] = "/tmp/brimal_http_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no folder for the file");
    return;
  }
  const std::string path = std::string(folder) + "/body.bin";
  for (auto _ : state) {
    // The server's copy of the answer is made before the clock runs: it is
    // the peer's work, not the transfer's. The last run's file goes then
    // too, so every run writes a new file.
    state.PauseTiming();
    HttpAnswer prepared = WholeAnswer(answer);
    std::remove(path.c_str());
    state.ResumeTiming();
    LoopbackHttpServer server(
        [&](int, const std::string&) { return std::move(prepared); }, 1, 120000);
    void* block = nullptr;
    const int slot = server.Start() ? CreateHttpTransferForTest(
                                          kHttpGet, "127.0.0.1", server.Port(), "/big",
                                          to_file ? path.c_str() : nullptr, &block, nullptr, 0)
                                    : -1;
    if (slot < 0) {
      state.SkipWithError("no transfer");
      break;
    }
    const HttpTransfer* transfer = GetHttpTransfer(slot);
    while (transfer->Result == kHttpRunning) {
      ProcessNetWorkMessages(1);
      ProcessHttpTransfers();
    }
    const bool done = transfer->Result == kHttpDone &&
                      transfer->ReceivedBytes == static_cast<int32_t>(kHttpBodyBytes);
    DeleteHttpTransfer(slot);
    FreeTracked(block);
    if (!done) state.SkipWithError("the transfer failed");
  }
  std::remove(path.c_str());
  std::remove(folder);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kHttpBodyBytes));
}

// Prints as usual and keeps each case's slowest and fastest bytes per second
// over its repetitions.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate == run.counters.end()) continue;
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/real_time"));
      const auto [range, first] = rates_.try_emplace(name, Range{rate->second.value, rate->second.value});
      if (!first) {
        range->second.slowest = std::min(range->second.slowest, rate->second.value);
        range->second.fastest = std::max(range->second.fastest, rate->second.value);
      }
      const auto cpu = run.counters.find("recv_cpu_ms_MiB");
      if (cpu == run.counters.end()) continue;
      const auto [cost, new_cost] =
          cpu_.try_emplace(name, Range{cpu->second.value, cpu->second.value});
      if (!new_cost) {
        cost->second.slowest = std::max(cost->second.slowest, cpu->second.value);
        cost->second.fastest = std::min(cost->second.fastest, cpu->second.value);
      }
    }
  }
  void PrintRatios() const {
    const auto plain = rates_.find("plain_posix_copy");
    if (plain == rates_.end()) return;
    // Each case against the plain copy's fastest repetition.
    const double yardstick = plain->second.fastest;
    std::printf("\nMiB per second, milliseconds per MiB, and the ratio to the plain POSIX copy"
                "\n(slowest and fastest repetition)\n");
    for (const auto& [name, range] : rates_) {
      const double mib = 1 << 20;
      std::printf("  %-24s %8.1f %8.1f MiB/s  %8.2f %8.2f ms/MiB  %6.3f %6.3f\n", name.c_str(),
                  range.slowest / mib, range.fastest / mib, 1000.0 * mib / range.slowest,
                  1000.0 * mib / range.fastest, range.slowest / yardstick,
                  range.fastest / yardstick);
    }
    // Each framed receive against the plain copy of the same stream, timed
    // the same way (the stream only, wall time), in the same run.
    std::printf("\nFramed receive against the plain copy of as many MiB, timed alike\n"
                "(slowest and fastest repetition over the plain copy's fastest)\n");
    for (const auto& [name, range] : rates_) {
      if (name.rfind("framed_recv/", 0) != 0) continue;
      const std::string mib = name.substr(name.rfind('/') + 1);
      const auto same = rates_.find("plain_posix_copy/" + mib);
      if (same == rates_.end()) continue;
      std::printf("  %-24s %6.3f %6.3f\n", name.c_str(), range.slowest / same->second.fastest,
                  range.fastest / same->second.fastest);
    }
    std::printf("\nThe receiving side's CPU time per MiB (the process's less the writer's),"
                "\nmost and least over the repetitions\n");
    for (const auto& [name, cost] : cpu_) {
      std::printf("  %-24s %8.3f %8.3f ms/MiB\n", name.c_str(), cost.slowest, cost.fastest);
    }
  }

 private:
  struct Range {
    double slowest;
    double fastest;
  };
  std::map<std::string, Range> rates_;
  // The receiving side's CPU milliseconds per MiB: most (slowest) and least.
  std::map<std::string, Range> cpu_;
};

void Register() {
  benchmark::RegisterBenchmark("plain_posix_copy", PlainPosixCopy)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  for (const int64_t mib : {int64_t{1}, int64_t{16}, int64_t{64}}) {
    benchmark::RegisterBenchmark("plain_posix_copy", PlainPosixCopyOf)
        ->Arg(mib)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("standin_copy", StandInCopy)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  // 64 KiB packets over 1, 16 and 64 MiB; 256-byte packets over 16 MiB.
  for (const auto& [packet, mib] : {std::pair<int64_t, int64_t>{65536, 1},
                                    {65536, 16},
                                    {65536, 64},
                                    {256, 16}}) {
    benchmark::RegisterBenchmark("framed_recv", FramedRecv)
        ->Args({packet, mib})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  for (const int64_t packet : {int64_t{65536}, int64_t{256}}) {
    benchmark::RegisterBenchmark("framed_send", FramedSend)
        ->Arg(packet)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("http_get/memory", HttpGet, false)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("http_get/file", HttpGet, true)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("posix_recv_4096_to_file", PosixReceiveToFile)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  if (StartNetWorkForTest() != 0 || ListenNetWorkForTest(&g_layer_port) != 0) {
    std::fprintf(stderr, "the network layer did not start\n");
    return 1;
  }
  Register();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  EndNetWorkSystem();
  CurrentHost().Finish();
  return 0;
}
