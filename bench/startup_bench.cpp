// Start-up to the first title frame over the generated sample data set, from
// the full-screen question through library start-up, the loading picture and
// every image and sound loaded, to the first frame of the title menu (frame
// 2; frame 1 is the loading picture), after which the window is closed and
// the normal shut-down runs (included):
// - StartUpToFirstTitleFrame: the game's WinMain in this process on the null
//   host, wall time;
// - StartUpProcess/quiet_parent and StartUpProcess/changing_parent: the
//   whole `brimal --host=null --frames=2` process, its user plus system CPU
//   time, while the folder that holds the data folder is left alone, and
//   while another thread keeps making and removing a file in it (as a busy
//   temporary folder does);
// - StartUpSdlProcess/loading_picture and StartUpSdlProcess/first_title_frame:
//   the whole `brimal --host=sdl --window --frames=N` process (N = 1 and 2)
//   on an X server of its own (Xvfb, no window manager), what a player waits:
//   its wall time from the start of the process to its end, and its user
//   plus system CPU time. Skipped where no Xvfb is installed.
// Each whole-process case is run ten times, one process a run; at the end
// the fastest run of each null-host case is printed side by side (on a shared
// machine the fastest is the steadiest figure: others' work only ever adds),
// and the fastest and the median wall and CPU times of the SDL cases.
//
//   startup_bench [--program=PATH] [benchmark options]
// --program runs another build of brimal for the whole-process cases.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// ---- The SDL host under an X server of its own ----------------------------------

// An X server (Xvfb) of one 1280 x 720 screen, 24 bits a pixel, with no
// window manager, for as long as the object lives; Display() is empty where
// it could not be started.
class VirtualScreen {
 public:
  VirtualScreen() {
    int ready[2];
    if (pipe(ready) != 0) return;
    // -displayfd: the server takes a free display number and writes it to
    // the descriptor once it accepts clients.
    std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                     "1280x720x24", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) {
      pid_ = -1;
      close(ready[0]);
      return;
    }
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(ready[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~VirtualScreen() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

VirtualScreen* XServer = nullptr;  // made by main for the run of the benchmarks

struct ProcessTimes {
  double wall = -1;  // seconds from the spawn to the end; -1 when the run failed
  double cpu = -1;   // user plus system seconds
};

// Runs `args` (after the program's name) with this process's environment, SDL's X11 driver and
// `display` as DISPLAY; its wall and CPU times. Its output goes to /dev/null.
ProcessTimes RunOnDisplay(std::vector<std::string> args, const std::string& display) {
  args.insert(args.begin(), Program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // The X server's display, and SDL's X11 driver whatever the shell chose.
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0 && std::strncmp(*entry, "SDL_VIDEODRIVER=", 16) != 0) {
      environment.push_back(*entry);
    }
  }
  environment.push_back("DISPLAY=" + display);
  environment.push_back("SDL_VIDEODRIVER=x11");
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  ProcessTimes times;
  pid_t child = 0;
  const auto start = std::chrono::steady_clock::now();
  const int spawned = posix_spawn(&child, Program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return times;
  int status = 0;
  rusage usage{};
  const pid_t ended = wait4(child, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  if (ended != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return times;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  times.wall = std::chrono::duration<double>(end - start).count();
  times.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  return times;
}

void StartUpSdlProcess(benchmark::State& state, int64_t last_frame) {
  if (XServer == nullptr || XServer->Display().empty()) {
    state.SkipWithError("no X server (Xvfb) could be started");
    return;
  }
  double cpu_total = 0;
  for (auto _ : state) {
    const ProcessTimes times = RunOnDisplay(
        {"--host=sdl", "--window", "--data=" + DataFolder.string(), "--frames=" + std::to_string(last_frame)},
        XServer->Display());
    if (times.wall < 0) {
      state.SkipWithError("the program failed");
      break;
    }
    state.SetIterationTime(times.wall);
    cpu_total += times.cpu;
  }
  state.counters["cpu_ms"] = cpu_total * 1000 / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}
BENCHMARK_CAPTURE(StartUpSdlProcess, loading_picture, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK_CAPTURE(StartUpSdlProcess, first_title_frame, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10);

// Prints as usual, keeps the fastest time of each null-host whole-process
// case and every run of the SDL cases.
class SideBySideReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      const std::string name = run.benchmark_name();
      const double ms = run.GetAdjustedRealTime();  // milliseconds: the case's unit
      if (name.rfind("StartUpProcess/", 0) == 0) {
        const std::string key = name.substr(15, name.find('/', 15) - 15);
        const auto [it, added] = times_.try_emplace(key, ms);
        if (!added && ms < it->second) it->second = ms;
      } else if (name.rfind("StartUpSdlProcess/", 0) == 0) {
        const std::string key = name.substr(18, name.find('/', 18) - 18);
        const auto cpu = run.counters.find("cpu_ms");
        sdl_wall_[key].push_back(ms);
        if (cpu != run.counters.end()) sdl_cpu_[key].push_back(cpu->second.value);
      }
    }
  }
  void PrintSideBySide() const {
    const auto quiet = times_.find("quiet_parent");
    const auto changing = times_.find("changing_parent");
    if (quiet != times_.end() && changing != times_.end()) {
      std::printf("\nStart-up to the first title frame, user + system CPU of the whole process\n");
      std::printf("  parent folder left alone:  %7.1f ms\n", quiet->second);
      std::printf("  parent folder changing:    %7.1f ms  (%+.0f %%)\n", changing->second,
                  (changing->second / quiet->second - 1) * 100);
    }
    if (sdl_wall_.empty()) return;
    std::printf("\nThe SDL host in a window on Xvfb, the whole process (%zu runs each)\n",
                sdl_wall_.begin()->second.size());
    std::printf("  %-18s %16s %16s\n", "to the end of", "wall fastest/med", "CPU fastest/med");
    for (const char* key : {"loading_picture", "first_title_frame"}) {
      const auto wall = sdl_wall_.find(key);
      const auto cpu = sdl_cpu_.find(key);
      if (wall == sdl_wall_.end() || cpu == sdl_cpu_.end()) continue;
      std::printf("  %-18s %7.0f/%4.0f ms %7.0f/%4.0f ms\n", key, Fastest(wall->second),
                  Median(wall->second), Fastest(cpu->second), Median(cpu->second));
    }
  }

 private:
  static double Fastest(std::vector<double> values) { return *std::min_element(values.begin(), values.end()); }
  static double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  }

  std::map<std::string, double> times_;
  std::map<std::string, std::vector<double>> sdl_wall_;
  std::map<std::string, std::vector<double>> sdl_cpu_;
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
  VirtualScreen screen;
  XServer = &screen;
  SideBySideReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSideBySide();
  XServer = nullptr;
  benchmark::Shutdown();
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return 0;
}
