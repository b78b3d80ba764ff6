// Start-up to the first title frame on the null host over the generated
// sample data set, from the full-screen question through library start-up,
// the loading picture and every image and sound loaded, to the first frame
// of the title menu (frame 2; frame 1 is the loading picture), after which
// the window is closed and the normal shut-down runs (included):
// - StartUpToFirstTitleFrame: the game's WinMain in this process, wall time;
// - StartUpProcess/quiet_parent and StartUpProcess/changing_parent: the
//   whole `brimal --host=null --frames=2` process, its user plus system CPU
//   time, while the folder that holds the data folder is left alone, and
//   while another thread keeps making and removing a file in it (as a busy
//   temporary folder does).
// Each whole-process case is run ten times, one process a run; at the end
// the fastest run of each is printed side by side (on a shared machine the
// fastest is the steadiest figure: others' work only ever adds).
//
//   startup_bench [--program=PATH] [benchmark options]
// --program runs another build of brimal for the whole-process cases.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/game_run.h"
#include "tools/sample_data/sample_data.h"


namespace {

namespace fs = std::filesystem;

constexpr int64_t kFirstTitleFrame = 2;

std::string Program = BRIMAL_PROGRAM;
fs::path DataFolder;  // the sample set, inside a folder of the benchmark's own

void StartUpToFirstTitleFrame(benchmark::State& state) {
  for (auto _ : state) {
    if (RunGameToFrame(kFirstTitleFrame) != 0) state.SkipWithError("the run did not end with 0");
  }
}
BENCHMARK(StartUpToFirstTitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's user plus system CPU seconds to its first title frame, or -1
// when it did not end with 0.
double RunProgramCpu() {
  return ProgramCpuSeconds(Program, {"--host=null", "--data=" + DataFolder.string(),
                                     "--frames=" + std::to_string(kFirstTitleFrame)});
}

// Makes and removes a file in `folder` every 200 microseconds while it lives.
class FolderChurn {
 public:
  explicit FolderChurn(const fs::path& folder) : path_((folder / "churn.tmp").string()) {
    thread_ = std::thread([this] {
      while (!stop_.load()) {
        const int file = open(path_.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (file >= 0) close(file);
        unlink(path_.c_str());
        ++changes_;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }
  ~FolderChurn() {
    stop_ = true;
    thread_.join();
  }
  uint64_t changes() const { return changes_.load(); }

 private:
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> changes_{0};
  std::thread thread_;
};

void StartUpProcess(benchmark::State& state, bool changing_parent) {
  std::unique_ptr<FolderChurn> churn;
  if (changing_parent) churn = std::make_unique<FolderChurn>(DataFolder.parent_path());
  for (auto _ : state) {
    const double cpu = RunProgramCpu();
    if (cpu < 0) {
      state.SkipWithError("the program failed");
      break;
    }
    state.SetIterationTime(cpu);
  }
  if (churn) state.counters["parent_changes"] = static_cast<double>(churn->changes());
}
BENCHMARK_CAPTURE(StartUpProcess, quiet_parent, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK_CAPTURE(StartUpProcess, changing_parent, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10);

// Prints as usual and keeps the fastest time of each whole-process case.
class SideBySideReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      const std::string name = run.benchmark_name();
      if (name.rfind("StartUpProcess/", 0) != 0) continue;
      const std::string key = name.substr(15, name.find('/', 15) - 15);
      const double ms = run.GetAdjustedRealTime();  // milliseconds: the case's unit
      const auto [it, added] = times_.try_emplace(key, ms);
      if (!added && ms < it->second) it->second = ms;
    }
  }
  void PrintSideBySide() const {
    const auto quiet = times_.find("quiet_parent");
    const auto changing = times_.find("changing_parent");
    if (quiet == times_.end() || changing == times_.end()) return;
    std::printf("\nStart-up to the first title frame, user + system CPU of the whole process\n");
    std::printf("  parent folder left alone:  %7.1f ms\n", quiet->second);
    std::printf("  parent folder changing:    %7.1f ms  (%+.0f %%)\n", changing->second,
                (changing->second / quiet->second - 1) * 100);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  const OwnRuntimeFolder runtime_folder;
  if (!runtime_folder.made()) return 1;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--program=", 10) == 0) {
      Program = argv[i] + 10;
    } else {
      args.push_back(argv[i]);
    }
  }
  char pattern[] = "/tmp/brimal_startup_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path folder = pattern;
  DataFolder = folder / "set";
  std::string error;
  if (!GenerateSampleData(DataFolder.string(), SampleDataOptions{}, &error)) {
    std::fprintf(stderr, "sample data: %s\n", error.c_str());
    return 1;
  }
  std::printf("Program: %s\n", Program.c_str());
  const fs::path previous = fs::current_path();
  fs::current_path(DataFolder);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  SideBySideReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSideBySide();
  benchmark::Shutdown();
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return 0;
}
