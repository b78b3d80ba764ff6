// Start-up to the first title frame on the null host: the game's WinMain
// over the generated sample data set, from the full-screen question through
// library start-up, the loading picture and every image and sound loaded,
// to the first frame of the title menu (frame 2; frame 1 is the loading
// picture), after which the window is closed and the normal shut-down runs.
// The time includes that shut-down.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/game_run.h"
#include "tools/sample_data/sample_data.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kFirstTitleFrame = 2;

void StartUpToFirstTitleFrame(benchmark::State& state) {
  for (auto _ : state) {
    if (RunGameToFrame(kFirstTitleFrame) != 0) state.SkipWithError("the run did not end with 0");
  }
}
BENCHMARK(StartUpToFirstTitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/brimal_startup_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path folder = pattern;
  std::string error;
  if (!GenerateSampleData(folder.string(), SampleDataOptions{}, &error)) {
    std::fprintf(stderr, "sample data: %s\n", error.c_str());
    return 1;
  }
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return 0;
}
