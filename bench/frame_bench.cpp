// The cost of a frame and of start-up, on the null host over a generated
// sample data set:
// - StartUp: the whole `brimal --host=null --frames=2` process (frame 2 is
//   the first title frame), its user plus system CPU time;
// - TitleFrame, TitleFrameWithHashes: the CPU time of one title frame, from
//   two whole runs that differ only in their number of title frames, with no
//   output option and with --frame-hashes;
// - PresentTransfer: a whole 640 x 480 16-bit (5-6-5) picture handed to the
//   host's window through SetDIBitsToDevice, as presenting does;
// - FrameHash: the hash of one 640 x 480 window image;
// - MemcpyFrame: a plain memcpy of one 640 x 480 x 4 frame, the floor of a
//   present on this machine.
// Before the benchmarks, the game runs once in this process to its first
// title frame, and the file system calls of that start-up are counted: the
// folder listings (each folder is listed at most once), folder and file
// opens and information reads. At the end the ratios are printed.
//
//   frame_bench [--program=PATH] [benchmark options]
// --program runs another build of brimal for the whole-process cases.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/game_run.h"
#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/files_posix.h"
#include "platform/win32/gdi.h"
#include "platform/win32/user.h"
#include "tools/sample_data/sample_data.h"


namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int64_t kFirstTitleFrame = 2;
constexpr int64_t kTitleFrames = 3000;

std::string Program = BRIMAL_PROGRAM;
fs::path DataFolder;

// Runs the program to frame `frames` with `extra` options; its user plus
// system CPU seconds, or -1 when it did not end with 0.
double RunProgramCpu(int64_t frames, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--host=null", "--data=" + DataFolder.string(),
                                   "--frames=" + std::to_string(frames)};
  args.insert(args.end(), extra.begin(), extra.end());
  return ProgramCpuSeconds(Program, args);
}

void StartUp(benchmark::State& state) {
  for (auto _ : state) {
    const double cpu = RunProgramCpu(kFirstTitleFrame, {});
    if (cpu < 0) {
      state.SkipWithError("the program failed");
      break;
    }
    state.SetIterationTime(cpu);
  }
}
BENCHMARK(StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void TitleFrames(benchmark::State& state, std::vector<std::string> extra) {
  for (auto _ : state) {
    const double short_run = RunProgramCpu(kFirstTitleFrame, extra);
    const double long_run = RunProgramCpu(kFirstTitleFrame + kTitleFrames, extra);
    if (short_run < 0 || long_run < 0) {
      state.SkipWithError("the program failed");
      break;
    }
    state.SetIterationTime(std::max(long_run - short_run, 0.0) / kTitleFrames);
  }
}
void TitleFrame(benchmark::State& state) { TitleFrames(state, {}); }
void TitleFrameWithHashes(benchmark::State& state) {
  TitleFrames(state, {"--frame-hashes=/dev/null"});
}
BENCHMARK(TitleFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);
BENCHMARK(TitleFrameWithHashes)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);

// A 5-6-5 picture of the screen's size, stored top-down as presenting hands
// it over.
struct Picture {
  BITMAPINFOHEADER header{};
  DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
  std::vector<uint16_t> pixels;
  Picture() {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = kWidth;
    header.biHeight = -kHeight;
    header.biPlanes = 1;
    header.biBitCount = 16;
    header.biCompression = BI_BITFIELDS;
    pixels.resize(static_cast<size_t>(kWidth) * kHeight);
    uint32_t state = 12345;
    for (uint16_t& p : pixels) {
      state = state * 1664525u + 1013904223u;
      p = static_cast<uint16_t>(state >> 16);
    }
  }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

HWND Window = nullptr;

void PresentTransfer(benchmark::State& state) {
  const Picture picture;
  HDC dc = GetDC(Window);
  for (auto _ : state) {
    SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, picture.pixels.data(),
                      picture.info(), DIB_RGB_COLORS);
    benchmark::ClobberMemory();
  }
  ReleaseDC(Window, dc);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(PresentTransfer)->Unit(benchmark::kMicrosecond);

void FrameHashOfImage(benchmark::State& state) {
  std::vector<uint32_t> image(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint32_t>(i * 2654435761u);
  for (auto _ : state) benchmark::DoNotOptimize(FrameHash(image.data(), kWidth, kHeight));
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(FrameHashOfImage)->Name("FrameHash")->Unit(benchmark::kMicrosecond);

void MemcpyFrame(benchmark::State& state) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x123456);
  std::vector<uint32_t> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMicrosecond);

// The game in this process to its first title frame, with the file system
// calls it made.
bool CountStartUpCalls() {
  const fs::path previous = fs::current_path();
  fs::current_path(DataFolder);
  const PosixCallCounts before = PosixCallCountsSoFar();
  const int result = RunGameToFrame(kFirstTitleFrame);
  const PosixCallCounts after = PosixCallCountsSoFar();
  fs::current_path(previous);
  int folders = 1, files = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(DataFolder)) {
    (entry.is_directory() ? folders : files) += 1;
  }
  std::printf("Start-up in this process (%s): the data set holds %d folders and %d files\n",
              result == 0 ? "ended with 0" : "FAILED", folders, files);
  std::printf("  folder listings %llu, folder opens %llu, file opens %llu,\n"
              "  entry information reads %llu, descriptor information reads %llu,\n"
              "  current folder information reads %llu, watch reads %llu\n\n",
              static_cast<unsigned long long>(after.folder_listings - before.folder_listings),
              static_cast<unsigned long long>(after.folder_opens - before.folder_opens),
              static_cast<unsigned long long>(after.file_opens - before.file_opens),
              static_cast<unsigned long long>(after.entry_infos - before.entry_infos),
              static_cast<unsigned long long>(after.descriptor_infos - before.descriptor_infos),
              static_cast<unsigned long long>(after.current_folder_infos -
                                              before.current_folder_infos),
              static_cast<unsigned long long>(after.watch_reads - before.watch_reads));
  return result == 0;
}

// A visible 640 x 480 window without a frame: the host's window.
bool OpenWindow() {
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.lpszClassName = "FrameBench";
  if (RegisterClassA(&window_class) == 0) return false;
  Window = CreateWindowExA(0, "FrameBench", "frame bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                           kHeight, nullptr, nullptr, nullptr, nullptr);
  return Window != nullptr && GetForegroundWindow() == Window;
}

// Prints as usual and keeps each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find('/'));
      // With repetitions, each case's fastest one.
      const double time = run.GetAdjustedRealTime() * Scale(run.time_unit);
      const auto [it, added] = times_.try_emplace(name, time);
      if (!added && time < it->second) it->second = time;
    }
  }
  void PrintRatios() const {
    auto time = [&](const char* name) {
      const auto found = times_.find(name);
      return found == times_.end() ? 0.0 : found->second;
    };
    const double memcpy_time = time("MemcpyFrame");
    if (memcpy_time <= 0) return;
    std::printf("\nTimes against a memcpy of one 640 x 480 x 4 frame (%.1f us):\n",
                memcpy_time * 1e6);
    for (const char* name : {"PresentTransfer", "FrameHash", "TitleFrame", "TitleFrameWithHashes"}) {
      if (time(name) > 0) {
        std::printf("  %-22s %9.1f us  %6.2f x memcpy\n", name, time(name) * 1e6,
                    time(name) / memcpy_time);
      }
    }
    if (time("StartUp") > 0) std::printf("  %-22s %9.1f ms\n", "StartUp", time("StartUp") * 1e3);
  }

 private:
  static double Scale(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond:
        return 1e-9;
      case benchmark::kMicrosecond:
        return 1e-6;
      case benchmark::kMillisecond:
        return 1e-3;
      default:
        return 1.0;
    }
  }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--program=", 10) == 0) {
      Program = argv[i] + 10;
    } else {
      args.push_back(argv[i]);
    }
  }
  // The set lies beside this program, away from the busy temporary folder
  // (a folder that changes is listed again).
  const fs::path here = fs::canonical("/proc/self/exe").parent_path();
  DataFolder = here / "frame-bench-data";
  std::error_code ignored;
  fs::remove_all(DataFolder, ignored);
  std::string error;
  if (!GenerateSampleData(DataFolder.string(), SampleDataOptions{}, &error)) {
    std::fprintf(stderr, "sample data: %s\n", error.c_str());
    return 1;
  }
  std::printf("Program: %s\n", Program.c_str());
  if (!CountStartUpCalls() || !OpenWindow()) {
    std::fprintf(stderr, "frame_bench: the game or the window could not start\n");
    return 1;
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  fs::remove_all(DataFolder, ignored);
  return 0;
}
