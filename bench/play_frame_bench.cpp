// One whole play frame on the busiest floor of the sample data set, beside
// the goal of 0.5 ms a frame: the game's WinMain in this process on the null
// host, its pictures drawn by the software road, from one presented frame to
// the next (the frame's updates, its drawing, the present and the sound mix).
//
// The busiest floor is field03 floor 1, the floor with the most generators
// (13, six of them around the arrival point). The run continues a slot on
// field02 floor 1 whose player has 9999 hit points, walks onto that floor's
// stairs, which the benchmark's copy of the set leads to field03 floor 1
// (arriving near frame 400), and stands there while the enemies gather
// round; frames 700 to 1299 are measured, all of them play frames on that
// floor with the enemy slots full or nearly so (the counters say how full).
//
// Each iteration is one whole run of the game; its time is the mean CPU time
// of the game thread over the measured frames. Counters (over every measured
// frame of every iteration): cpu_median, cpu_p95, cpu_max, wall_median (in
// ms), enemies_min and enemies_mean (live enemy slots). The load average of
// the machine is printed before and after, since on a shared machine the
// wall time (and the caches behind the CPU time) depend on it.
//
//   play_frame_bench [benchmark options]
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "bench/game_run.h"
#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "tools/sample_data/sample_data.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kBusyArea = 10;  // field03
constexpr int32_t kBusyFloor = 1;
constexpr const char* kArrival = "720,560";
constexpr int32_t kSlotArea = 5;  // field02, whose floor 1 has a save point
constexpr int32_t kSlotFloor = 1;
constexpr int64_t kFirstMeasuredFrame = 700;
constexpr int64_t kMeasuredFrames = 600;
constexpr double kGoalMilliseconds = 0.5;

// CONTINUE, the first slot (play from frame 171), then down-left and left
// onto the stairs at (400, 304); the player then stands.
constexpr const char* kScript =
    "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
    "176 key=203,208\n275 key=203\n300 key=\n";

fs::path DataFolder;

int64_t Nanoseconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// What is known of each frame when it is presented.
struct FrameRecord {
  int64_t cpu_ns = 0;   // the game thread's CPU time at the present
  int64_t wall_ns = 0;  // the monotonic clock at the present
  int32_t status = 0;
  int32_t area = -1;
  int32_t floor = -1;
  int32_t live_enemies = 0;
};

// The null host's window, noting each frame as the null host counts it.
class TimedVideo : public VideoHost {
 public:
  TimedVideo(NullHost* host, VideoHost* inner) : host_(host), inner_(inner) {}

  void StartOnGameThread() {
    pthread_getcpuclockid(pthread_self(), &game_cpu_clock_);
    records_.assign(1, FrameRecord{});  // frame 0: the start
    records_[0].cpu_ns = Nanoseconds(game_cpu_clock_);
    records_[0].wall_ns = Nanoseconds(CLOCK_MONOTONIC);
  }
  const std::vector<FrameRecord>& Records() const { return records_; }

  void SetWindowImageSize(int width, int height) override {
    inner_->SetWindowImageSize(width, height);
  }
  void GetWindowImageSize(int* width, int* height) const override {
    inner_->GetWindowImageSize(width, height);
  }
  void WritePixels(int x, int y, int width, int height, const HostPixels& src) override {
    inner_->WritePixels(x, y, width, height, src);
    const int64_t frame = host_->FrameCount();
    if (frame == static_cast<int64_t>(records_.size())) {
      FrameRecord record;
      record.cpu_ns = Nanoseconds(game_cpu_clock_);
      record.wall_ns = Nanoseconds(CLOCK_MONOTONIC);
      record.status = game_status;
      record.area = present_map_number;
      record.floor = present_map_floor;
      for (const enemy_data& e : enemy) record.live_enemies += e.alive == 1 ? 1 : 0;
      records_.push_back(record);
    }
  }
  void ReadImage(int x, int y, int width, int height, uint32_t* dst, int dst_pitch) const override {
    inner_->ReadImage(x, y, width, height, dst, dst_pitch);
  }
  void SetTitle(const std::string& utf8_title) override { inner_->SetTitle(utf8_title); }
  void SetIcon(int width, int height, const uint32_t* argb) override {
    inner_->SetIcon(width, height, argb);
  }
  void SetFullScreen(bool full_screen) override { inner_->SetFullScreen(full_screen); }
  void PollEvents(std::vector<HostEvent>* out) override { inner_->PollEvents(out); }
  bool AskYesNo(const std::string& caption, const std::string& text) override {
    return inner_->AskYesNo(caption, text);
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    inner_->ShowMessage(caption, text);
  }
  void GetDesktopMode(int* width, int* height, int* bits_per_pixel) const override {
    inner_->GetDesktopMode(width, height, bits_per_pixel);
  }

 private:
  NullHost* host_;
  VideoHost* inner_;
  clockid_t game_cpu_clock_ = CLOCK_THREAD_CPUTIME_ID;
  std::vector<FrameRecord> records_;
};

class TimedNullHost : public NullHost {
 public:
  explicit TimedNullHost(const NullHostOptions& options)
      : NullHost(options), video_(this, &NullHost::Video()) {}
  VideoHost& Video() override { return video_; }
  TimedVideo& Timed() { return video_; }

 private:
  TimedVideo video_;
};

// The game's WinMain in this folder (the prepared set) on a timed null host,
// to the end of the last measured frame; the frames' records, or an empty
// list when the run failed.
std::vector<FrameRecord> RunTimedGame() {
  NullHostOptions options;
  options.close_after_frame = kFirstMeasuredFrame + kMeasuredFrames - 1;
  std::string error;
  if (!ParseInputScript(kScript, &options.input, &error)) return {};
  auto host = std::make_unique<TimedNullHost>(options);
  TimedNullHost* timed = host.get();
  InstallHost(std::move(host));
  CurrentHost().Clock().SetGameThread();
  timed->Timed().StartOnGameThread();
  const int result = WinMain();
  CurrentHost().Finish();
  if (result != 0) return {};
  return timed->Timed().Records();
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// Over every measured frame of every iteration, for the summary at the end.
std::vector<double> AllCpuMs;
std::vector<double> AllWallMs;

void BusiestFloorPlayFrame(benchmark::State& state) {
  std::vector<double> cpu_ms, wall_ms;
  int32_t enemies_min = kEnemySlots;
  int64_t enemies_sum = 0;
  for (auto _ : state) {
    const std::vector<FrameRecord> records = RunTimedGame();
    if (static_cast<int64_t>(records.size()) < kFirstMeasuredFrame + kMeasuredFrames) {
      state.SkipWithError("the game did not run to the last measured frame");
      return;
    }
    double run_cpu_ms = 0;
    for (int64_t n = kFirstMeasuredFrame; n < kFirstMeasuredFrame + kMeasuredFrames; ++n) {
      const FrameRecord& frame = records[static_cast<size_t>(n)];
      const FrameRecord& before = records[static_cast<size_t>(n - 1)];
      if (frame.status != kStatusPlay || frame.area != kBusyArea || frame.floor != kBusyFloor) {
        state.SkipWithError("a measured frame is not a play frame on the busiest floor");
        return;
      }
      cpu_ms.push_back(static_cast<double>(frame.cpu_ns - before.cpu_ns) * 1e-6);
      wall_ms.push_back(static_cast<double>(frame.wall_ns - before.wall_ns) * 1e-6);
      run_cpu_ms += cpu_ms.back();
      enemies_min = std::min(enemies_min, frame.live_enemies);
      enemies_sum += frame.live_enemies;
    }
    state.SetIterationTime(run_cpu_ms * 1e-3 / kMeasuredFrames);
  }
  state.counters["cpu_median"] = Percentile(cpu_ms, 0.5);
  state.counters["cpu_p95"] = Percentile(cpu_ms, 0.95);
  state.counters["cpu_max"] = Percentile(cpu_ms, 1.0);
  state.counters["wall_median"] = Percentile(wall_ms, 0.5);
  state.counters["enemies_min"] = enemies_min;
  state.counters["enemies_mean"] =
      cpu_ms.empty() ? 0.0 : static_cast<double>(enemies_sum) / static_cast<double>(cpu_ms.size());
  AllCpuMs.insert(AllCpuMs.end(), cpu_ms.begin(), cpu_ms.end());
  AllWallMs.insert(AllWallMs.end(), wall_ms.begin(), wall_ms.end());
}
BENCHMARK(BusiestFloorPlayFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Replaces row `row` (0 = the line after the count line) of a level row
// file with `values`; false when the file has no such row.
bool ReplaceRow(const fs::path& file, int row, const std::string& values) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (static_cast<size_t>(row) + 1 >= lines.size()) return false;
  lines[static_cast<size_t>(row) + 1] = values + "\r";
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << '\n';
  return static_cast<bool>(out);
}

// The stairs of field02 floor 1 near its save point lead to the busiest
// floor; slot 0 holds one player of the first character with 9999 hit
// points on field02 floor 1.
bool PrepareDataSet(std::string* error) {
  const fs::path stairs = DataFolder / "data/mapdata/field02/stairs_data_field021.csv";
  const std::string row = "400,304," + std::to_string(kBusyArea) + "," +
                          std::to_string(kBusyFloor) + "," + kArrival + ",0";
  if (!ReplaceRow(stairs, 1, row)) {
    *error = "no second stairs row in " + stairs.string();
    return false;
  }
  save_data slot{};  // the slot file is this record's memory image
  slot.used = 1;
  slot.player_count = 1;
  slot.revive_stock = 3;
  slot.present_map_number = kSlotArea;
  slot.present_map_floor = kSlotFloor;
  for (auto& floor_rows : slot.item_present) std::fill(std::begin(floor_rows), std::end(floor_rows), 1);
  std::fill(std::begin(slot.boss_active), std::end(slot.boss_active), 1);
  save_player_data& first = slot.players[0];
  first = {.character = 0, .alive = 1, .level = 1, .hp = 9999, .hp_max = 9999,
           .agility_base = std::bit_cast<int32_t>(2.2f), .attack_base = 8, .vitality_base = 5,
           .intelligence_base = 5, .spell1_stock = 0, .spell2_stock = 0};
  std::ofstream out(DataFolder / "patch" / "save_data0.dat", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&slot), sizeof slot);
  if (!out) {
    *error = "cannot write the save slot";
    return false;
  }
  return true;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv) {
  // The set lies beside this program, away from the busy temporary folder
  // (a folder that changes is listed again).
  const fs::path here = fs::canonical("/proc/self/exe").parent_path();
  DataFolder = here / "play-frame-bench-data";
  std::error_code ignored;
  fs::remove_all(DataFolder, ignored);
  std::string error;
  if (!GenerateSampleData(DataFolder.string(), SampleDataOptions{}, &error) ||
      !PrepareDataSet(&error)) {
    std::fprintf(stderr, "play_frame_bench: %s\n", error.c_str());
    return 1;
  }
  std::printf("Load average (1, 5, 15 minutes) before: %s\n", LoadAverage().c_str());
  const fs::path previous = fs::current_path();
  fs::current_path(DataFolder);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path(previous);
  std::printf("Load average (1, 5, 15 minutes) after: %s\n", LoadAverage().c_str());
  if (!AllCpuMs.empty()) {
    double sum = 0;
    for (double ms : AllCpuMs) sum += ms;
    const double mean = sum / static_cast<double>(AllCpuMs.size());
    const double median = Percentile(AllCpuMs, 0.5);
    std::printf(
        "One play frame on field03 floor 1 (%zu frames): CPU mean %.3f ms, median %.3f ms, "
        "95th percentile %.3f ms; wall median %.3f ms. Goal %.1f ms: the median is %.0f%% of it.\n",
        AllCpuMs.size(), mean, median, Percentile(AllCpuMs, 0.95), Percentile(AllWallMs, 0.5),
        kGoalMilliseconds, 100.0 * median / kGoalMilliseconds);
  }
  fs::remove_all(DataFolder, ignored);
  return 0;
}
