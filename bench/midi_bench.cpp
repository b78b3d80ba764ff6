// The CPU cost of the MIDI sequencer's synthesiser: one second of a dense
// General MIDI piece (made here: 16 channels, each a different program, a
// four-note chord on every channel every eighth note, drums on channel 10)
// rendered at 44,100 Hz, against the second it lasts. The counter
// rtf_percent is the real-time factor: the share of one core that playing
// the piece takes (the goal is at most 2 %).
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/midi_synth_fluidsynth.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;
constexpr int kDivision = 480;           // ticks a quarter note
constexpr int kEighth = kDivision / 2;   // at 120 beats a minute: 0.25 s
constexpr int kEighths = 4 * 60;         // a piece of 60 s
constexpr int kChordNotes = 4;
constexpr int kPullFrames = 735;         // one frame of output at 60 Hz

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
  std::unique_ptr<MidiSynth> synth = MidiSynth::Create(font, kRate, &error);
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

}  // namespace

BENCHMARK_MAIN();
