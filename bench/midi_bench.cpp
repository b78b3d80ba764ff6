// The MIDI sequencer over a dense General MIDI piece (made here: 16
// channels, each a different program, a four-note chord on every channel
// every eighth note, drums on channel 10; 60 s, about 120 KB):
// - RenderOneSecondOfDenseMidi: the synthesiser's CPU cost of one second of
//   the piece rendered at 44,100 Hz, against the second it lasts. The counter
//   rtf_percent is the real-time factor: the share of one core that playing
//   the piece takes (the goal is at most 2 %).
// - FirstOpen: the process's first MCI_OPEN of the piece (wall time, in ms),
//   where the sound font is loaded.
// - MciCommands: what the game thread waits for in each MCI command of a
//   music change (open, status, play, four plays from the start with half a
//   second of mixing after each, as a looping piece has, stop, close), as
//   wall time, and how long each holds the sequencer's lock, the one the
//   mixer takes at every mix: a thread that takes that lock over and over
//   keeps the longest it waited while the command ran (takes during which
//   that thread was preempted are left out; still an upper bound, so on a
//   busy machine the median says more than the largest). name_cpu_ms is the
//   command's own CPU time. Also first_mix_ms, the first mix after a play
//   (which loads the piece into the synthesiser's player), and mix_ms, the
//   mixes after it. Counters ending in _max are the largest over the
//   iterations, the others the median.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/dsound.h"
#include "platform/win32/midi_sequencer.h"
#include "platform/win32/midi_synth_fluidsynth.h"
#include "platform/win32/mmsystem.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;
constexpr int kDivision = 480;           // ticks a quarter note
constexpr int kEighth = kDivision / 2;   // at 120 beats a minute: 0.25 s
constexpr int kEighths = 4 * 60;         // a piece of 60 s
constexpr int kChordNotes = 4;
constexpr int kPullFrames = 735;         // one frame of output at 60 Hz
constexpr int kPlaysFromStart = 4;       // for each open in MciCommands

void PutVlq(std::vector<uint8_t>* out, uint32_t value) {
  uint8_t bytes[4];
  int count = 0;
  do {
    bytes[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && count < 4);
  for (int i = count - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(bytes[i] | (i > 0 ? 0x80 : 0)));
}

void PutBig(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A format 0 piece: programs, then on every eighth note the last chords
// end and new ones start on all 16 channels (roots moving through a cycle).
std::vector<uint8_t> DensePiece() {
  std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  for (int channel = 0; channel < kChannels; ++channel) {
    if (channel == kDrumChannel) continue;
    track.insert(track.end(), {0x00, static_cast<uint8_t>(0xC0 | channel),
                               static_cast<uint8_t>((channel * 8) % 128)});
  }
  static constexpr int kChord[kChordNotes] = {0, 4, 7, 11};
  auto chord_key = [](int channel, int step, int note) {
    if (channel == kDrumChannel) return 35 + (step + note * 3) % 12;
    const int root = 36 + (channel % 4) * 12 + (step * 5) % 12;
    return root + kChord[note];
  };
  for (int step = 0; step <= kEighths; ++step) {
    bool first = true;
    for (int channel = 0; channel < kChannels; ++channel) {
      for (int note = 0; note < kChordNotes; ++note) {
        if (step > 0) {
          PutVlq(&track, first ? kEighth : 0);
          first = false;
          track.insert(track.end(), {static_cast<uint8_t>(0x80 | channel),
                                     static_cast<uint8_t>(chord_key(channel, step - 1, note)), 0});
        }
        if (step < kEighths) {
          PutVlq(&track, first ? (step == 0 ? 0 : kEighth) : 0);
          first = false;
          track.insert(track.end(), {static_cast<uint8_t>(0x90 | channel),
                                     static_cast<uint8_t>(chord_key(channel, step, note)), 90});
        }
      }
    }
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  PutBig(&file, kDivision, 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  PutBig(&file, static_cast<uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_RenderOneSecondOfDenseMidi(benchmark::State& state) {
  std::string missing;
  const std::string font = FindGeneralMidiSoundFont(&missing);
  if (font.empty()) {
    state.SkipWithError(missing.c_str());
    return;
  }
  std::string error;
  std::unique_ptr<MidiSoundFont> loaded = MidiSoundFont::Load(font, &error);
  std::unique_ptr<MidiSynth> synth = loaded != nullptr ? MidiSynth::Create(*loaded, kRate, &error) : nullptr;
  if (synth == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::vector<uint8_t> piece = DensePiece();
  if (!synth->PlayFromStart(piece)) {
    state.SkipWithError("the piece does not play");
    return;
  }
  std::vector<int32_t> sum(static_cast<size_t>(kPullFrames) * 2);
  double cpu = 0;
  int64_t seconds = 0;
  for (auto _ : state) {
    const double start = ThreadCpuSeconds();
    // One second as the host pulls it: 60 pulls of 735 frames.
    for (int pull = 0; pull < kRate / kPullFrames; ++pull) {
      synth->RenderInto(sum.data(), kPullFrames);
    }
    cpu += ThreadCpuSeconds() - start;
    ++seconds;
    benchmark::DoNotOptimize(sum.data());
    if (synth->Ended()) {
      state.PauseTiming();
      synth->PlayFromStart(piece);
      state.ResumeTiming();
    }
  }
  state.counters["rtf_percent"] = seconds > 0 ? 100.0 * cpu / static_cast<double>(seconds) : 0.0;
  state.SetItemsProcessed(seconds * kRate);
}
BENCHMARK(BM_RenderOneSecondOfDenseMidi)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// ---- The MCI commands on the game thread ----------------------------------------

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The dense piece written once into a folder of its own, removed at exit.
const std::string& PiecePath() {
  static const std::string path = [] {
    char folder[] = "/tmp/midi_bench_XXXXXX";
    if (mkdtemp(folder) == nullptr) return std::string();
    const std::string file = std::string(folder) + "/dense.mid";
    const std::vector<uint8_t> piece = DensePiece();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    std::atexit([] {
      std::remove(PiecePath().c_str());
      rmdir(PiecePath().substr(0, PiecePath().rfind('/')).c_str());
    });
    return file;
  }();
  return path;
}

// A thread that takes the sequencer's lock over and over (OpenMidiSequencerDevice
// takes it) and keeps the longest time one take lasted. A take during which
// the thread was preempted (an involuntary context switch) is not counted:
// on a busy machine that is the wait for a core, not for the lock.
class LockProbe {
 public:
  LockProbe() : thread_([this] { Run(); }) {}
  ~LockProbe() {
    stop_ = true;
    thread_.join();
  }
  // Starts a measurement.
  void Start() {
    const uint64_t taken = takes_.load();
    while (takes_.load() < taken + 2) {
    }
    longest_ns_ = 0;
  }
  // The longest take (ms) since Start, once a take that began after the
  // command returned has ended, so every take that overlapped it counts.
  double Longest() {
    const uint64_t taken = takes_.load();
    while (takes_.load() < taken + 2) {
    }
    return static_cast<double>(longest_ns_.load()) * 1e-6;
  }

 private:
  void Run() {
    while (!stop_) {
      rusage before{};
      getrusage(RUSAGE_THREAD, &before);
      const Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(OpenMidiSequencerDevice());
      const int64_t ns =
          std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
      rusage after{};
      getrusage(RUSAGE_THREAD, &after);
      if (after.ru_nivcsw == before.ru_nivcsw && ns > longest_ns_.load()) longest_ns_ = ns;
      ++takes_;
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> takes_{0};
  std::atomic<int64_t> longest_ns_{0};
  std::thread thread_;
};

MCIERROR OpenPiece(MCIDEVICEID* device) {
  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "sequencer";
  open.lpstrElementName = PiecePath().c_str();
  const MCIERROR result =
      mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open));
  *device = open.wDeviceID;
  return result;
}

void Mix(int pulls) {
  std::vector<int16_t> frames(static_cast<size_t>(kPullFrames) * 2);
  for (int i = 0; i < pulls; ++i) MixSoundBuffers(frames.data(), kPullFrames, kRate);
}

// Medians and largest values of named figures over the iterations.
class Figures {
 public:
  void Add(const std::string& name, double value) { figures_[name].push_back(value); }
  void Report(benchmark::State& state) {
    for (auto& [name, values] : figures_) {
      std::sort(values.begin(), values.end());
      state.counters[name] = values[values.size() / 2];
      state.counters[name + "_max"] = values.back();
    }
  }

 private:
  std::map<std::string, std::vector<double>> figures_;
};

void BM_FirstOpen(benchmark::State& state) {
  for (auto _ : state) {
    MCIDEVICEID device = 0;
    const Clock::time_point start = Clock::now();
    const MCIERROR opened = OpenPiece(&device);
    const double open_ms = MsSince(start);
    if (opened != 0) {
      state.SkipWithError("the piece does not open (no sound font?)");
      return;
    }
    state.counters["open_ms"] = open_ms;
    MCI_GENERIC_PARMS generic = {};
    mciSendCommandA(device, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&generic));
  }
}
BENCHMARK(BM_FirstOpen)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MciCommands(benchmark::State& state) {
  LockProbe probe;
  Figures figures;
  MCI_GENERIC_PARMS generic = {};
  MCI_PLAY_PARMS play = {};
  // Runs `command` timed (name_ms, name_cpu_ms) and with the lock's longest
  // hold (name_lock_ms); false when it fails.
  auto timed = [&](const char* name, const auto& command) {
    probe.Start();
    const Clock::time_point start = Clock::now();
    const double cpu_start = ThreadCpuSeconds();
    const MCIERROR result = command();
    figures.Add(std::string(name) + "_cpu_ms", 1e3 * (ThreadCpuSeconds() - cpu_start));
    figures.Add(std::string(name) + "_ms", MsSince(start));
    figures.Add(std::string(name) + "_lock_ms", probe.Longest());
    return result == 0;
  };
  for (auto _ : state) {
    MCIDEVICEID device = 0;
    if (!timed("open", [&] { return OpenPiece(&device); })) {
      state.SkipWithError("the piece does not open (no sound font?)");
      return;
    }
    timed("status", [&] {
      MCI_STATUS_PARMS status = {};
      status.dwItem = MCI_SEQ_STATUS_PORT;
      return mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    });
    timed("play", [&] { return mciSendCommandA(device, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play)); });
    Clock::time_point start = Clock::now();
    Mix(1);
    figures.Add("first_mix_ms", MsSince(start));
    start = Clock::now();
    Mix(30);
    figures.Add("mix_ms", MsSince(start) / 30);
    // A looping piece starts again at each of its ends.
    for (int again = 0; again < kPlaysFromStart; ++again) {
      timed("play_from_start", [&] {
        return mciSendCommandA(device, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play));
      });
      Mix(30);
    }
    timed("stop", [&] { return mciSendCommandA(device, MCI_STOP, 0, reinterpret_cast<DWORD_PTR>(&generic)); });
    timed("close", [&] { return mciSendCommandA(device, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&generic)); });
  }
  figures.Report(state);
}
BENCHMARK(BM_MciCommands)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CurrentHost().Finish();
  return 0;
}
