// Synthesized sounds: a short effect for every effect file and a few seconds
// of music, different for every track. Noise comes from a fixed linear
// congruential sequence, so every run gives the same samples.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/scenes/scenes.h"
#include "game/shell/sound_table.h"
#include "tools/sample_data/sample_data.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kEffectRate = 22050;
constexpr int kMusicRate = 22050;

enum class Wave { kSine, kSquare, kTriangle, kSaw, kNoise };

class Synth {
 public:
  explicit Synth(int rate) : rate_(rate) {}

  // Adds a tone starting at `start` seconds, lasting `length` seconds, its
  // frequency gliding from f0 to f1, with a short attack and a decay to 0.
  void Tone(double start, double length, double f0, double f1, Wave wave, double volume,
            double decay_power = 1.0) {
    const size_t first = static_cast<size_t>(start * rate_);
    const size_t count = static_cast<size_t>(length * rate_);
    if (mix_.size() < first + count) mix_.resize(first + count, 0.0);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
      const double t = static_cast<double>(i) / count;
      const double f = f0 + (f1 - f0) * t;
      phase += f / rate_;
      phase -= std::floor(phase);
      double v = 0;
      switch (wave) {
        case Wave::kSine: v = std::sin(2 * kPi * phase); break;
        case Wave::kSquare: v = phase < 0.5 ? 0.6 : -0.6; break;
        case Wave::kTriangle: v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; break;
        case Wave::kSaw: v = (2 * phase - 1) * 0.7; break;
        case Wave::kNoise: v = Noise(); break;
      }
      const double attack = std::min(1.0, i / (0.004 * rate_));
      const double envelope = attack * std::pow(1.0 - t, decay_power);
      mix_[first + i] += v * envelope * volume;
    }
  }

  std::vector<int16_t> Samples() const {
    std::vector<int16_t> out(mix_.size());
    for (size_t i = 0; i < mix_.size(); ++i)
      out[i] = static_cast<int16_t>(std::lround(std::clamp(mix_[i], -1.0, 1.0) * 30000.0));
    return out;
  }

  void Resize(double seconds) { mix_.resize(static_cast<size_t>(seconds * rate_), 0.0); }

 private:
  double Noise() {
    noise_ = noise_ * 1664525u + 1013904223u;
    return static_cast<double>(noise_ >> 8) / 8388608.0 - 1.0;
  }

  int rate_;
  uint32_t noise_ = 22222u;
  std::vector<double> mix_;
};

double NoteHz(int semitones_from_a4) { return 440.0 * std::pow(2.0, semitones_from_a4 / 12.0); }

std::vector<int16_t> Effect(int index) {
  Synth s(kEffectRate);
  switch (index) {
    case 0:  // title cursor: a short blip
      s.Tone(0, 0.05, 880, 880, Wave::kSquare, 0.5);
      break;
    case 1:  // title decide: two rising notes
      s.Tone(0, 0.08, 660, 660, Wave::kSquare, 0.5);
      s.Tone(0.07, 0.14, 990, 990, Wave::kSquare, 0.5);
      break;
    case 2:  // title exit: a falling sweep
      s.Tone(0, 0.16, 600, 280, Wave::kTriangle, 0.8);
      break;
    case 3:  // change map: a whoosh
      s.Tone(0, 0.45, 0, 0, Wave::kNoise, 0.5, 2.0);
      s.Tone(0, 0.45, 300, 900, Wave::kSine, 0.3);
      break;
    case 4:  // first character's shot: a bright zap
      s.Tone(0, 0.1, 1600, 700, Wave::kSquare, 0.45);
      break;
    case 5:  // second character's shot: a lower bolt
      s.Tone(0, 0.13, 800, 260, Wave::kTriangle, 0.8);
      break;
    case 6:  // boss shot: a buzzing growl
      s.Tone(0, 0.22, 220, 110, Wave::kSaw, 0.7);
      break;
    case 7:  // potion: bubbles rising
      for (int k = 0; k < 5; ++k) s.Tone(k * 0.07, 0.08, 400 + k * 150, 700 + k * 150, Wave::kSine, 0.6);
      break;
    case 8:  // pause: two beeps
      s.Tone(0, 0.07, 1200, 1200, Wave::kSquare, 0.4);
      s.Tone(0.1, 0.07, 1200, 1200, Wave::kSquare, 0.4);
      break;
    case 9:  // damage to an enemy: a noise burst
      s.Tone(0, 0.1, 0, 0, Wave::kNoise, 0.7, 2.0);
      break;
    case 10:  // enemy vanishes: a falling noisy pop
      s.Tone(0, 0.25, 0, 0, Wave::kNoise, 0.5, 1.5);
      s.Tone(0, 0.25, 700, 150, Wave::kSquare, 0.35);
      break;
    case 11:  // refusal: a low buzzer
      s.Tone(0, 0.4, 110, 104, Wave::kSquare, 0.5, 0.3);
      break;
    case 12:  // boss vanishes: a long explosion
      s.Tone(0, 0.9, 0, 0, Wave::kNoise, 0.8, 2.5);
      s.Tone(0, 0.9, 120, 40, Wave::kSine, 0.6, 1.5);
      break;
    case 13:  // item taken: a rising arpeggio
      for (int k = 0; k < 4; ++k) s.Tone(k * 0.06, 0.1, NoteHz(3 + k * 4), NoteHz(3 + k * 4), Wave::kSquare, 0.4);
      break;
    case 14:  // win: a short fanfare
      for (int k = 0; k < 3; ++k) s.Tone(k * 0.15, 0.15, NoteHz(3 + k * 4), NoteHz(3 + k * 4), Wave::kSquare, 0.4);
      s.Tone(0.45, 0.8, NoteHz(15), NoteHz(15), Wave::kSquare, 0.45, 0.7);
      s.Tone(0.45, 0.8, NoteHz(3), NoteHz(3), Wave::kTriangle, 0.5, 0.7);
      break;
    case 15:  // player hurt: a harsh fall
      s.Tone(0, 0.25, 500, 120, Wave::kSquare, 0.55);
      s.Tone(0, 0.1, 0, 0, Wave::kNoise, 0.4);
      break;
    case 16:  // fall: a long falling whistle
      s.Tone(0, 0.7, 1000, 100, Wave::kSine, 0.7, 0.5);
      break;
    case 17:  // power collected: a sparkling climb
      for (int k = 0; k < 8; ++k) s.Tone(k * 0.06, 0.2, NoteHz(k * 2 + 3), NoteHz(k * 2 + 3), Wave::kTriangle, 0.5);
      break;
    default:  // shot hits: a tick
      s.Tone(0, 0.06, 0, 0, Wave::kNoise, 0.5, 3.0);
      s.Tone(0, 0.04, 1800, 1200, Wave::kSine, 0.3);
      break;
  }
  return s.Samples();
}

// The musician's own effects: a short plucked phrase (shorter than a page
// takes to read, so it starts again while a page waits) and a longer,
// wavering bowed tone.
std::vector<int16_t> SceneEffect(int file) {
  Synth s(kEffectRate);
  if (file == kSoundFileBrisca) {
    for (int k = 0; k < 4; ++k) {
      const double f = NoteHz(-5 + k * 3);
      s.Tone(k * 0.09, 0.16, f, f, Wave::kTriangle, 0.6, 2.0);
    }
  } else {
    for (int k = 0; k < 12; ++k) {
      const double f = NoteHz(-9 + (k % 2));
      s.Tone(k * 0.1, 0.12, f, f * 1.01, Wave::kSaw, 0.5, 0.6);
    }
  }
  return s.Samples();
}

// A looping piece for track `track` (1 to 21): a bass line and a melody over
// four bars, its tempo, key, scale and timbres chosen from the track number.
std::vector<int16_t> Music(int track) {
  static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
  const bool minor = track % 3 != 1;
  const int* scale = minor ? kMinor : kMajor;
  const double bpm = 84 + (track * 37) % 72;
  const double beat = 60.0 / bpm;
  const int key = -21 + (track * 5) % 12;  // semitones from A4
  const Wave lead = static_cast<Wave>(track % 4);
  const Wave bass = track % 2 == 0 ? Wave::kTriangle : Wave::kSquare;
  constexpr int kBars = 4;
  constexpr int kBeatsPerBar = 4;
  Synth s(kMusicRate);
  s.Resize(kBars * kBeatsPerBar * beat);
  uint32_t seed = 0x9E3779B9u * static_cast<uint32_t>(track) + 7u;
  auto next = [&seed]() {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
  };
  static const int kProgression[4] = {0, 5, 3, 4};  // scale degrees of the bars
  int degree = 0;
  for (int bar = 0; bar < kBars; ++bar) {
    const int root = kProgression[(bar + track) % 4];
    for (int b = 0; b < kBeatsPerBar; ++b) {
      const double t = (bar * kBeatsPerBar + b) * beat;
      // Bass: root on the beat, two octaves down; the fifth on off beats.
      const int bass_degree = b % 2 == 0 ? root : root + 4;
      const int bass_note = key - 12 + scale[bass_degree % 7] + 12 * (bass_degree / 7);
      s.Tone(t, beat * 0.9, NoteHz(bass_note), NoteHz(bass_note), bass, 0.25);
      // Melody: eighth notes wandering over the scale.
      for (int half = 0; half < 2; ++half) {
        const uint32_t r = next();
        if (r % 5 == 0) continue;  // a rest
        degree = std::clamp(degree + static_cast<int>(r % 5) - 2, -3, 9);
        const int d = degree + 7 * 3;
        const int note = key + 12 + scale[d % 7] + 12 * (d / 7 - 3);
        s.Tone(t + half * beat / 2, beat * 0.45, NoteHz(note), NoteHz(note), lead, 0.2);
      }
    }
  }
  // A tick every beat, the off beats softer, so the tracks also differ in rhythm.
  for (int k = 0; k < kBars * kBeatsPerBar; ++k)
    s.Tone(k * beat, 0.03, 0, 0, Wave::kNoise, k % 2 == 0 ? 0.15 : 0.07, 3.0);
  return s.Samples();
}

}  // namespace

std::vector<int16_t> SynthesizeSound(const std::string& path, int* rate) {
  for (int i = 0; i < kSoundEffectCount; ++i) {
    if (path == sound_effect_table[i].path) {
      *rate = kEffectRate;
      return Effect(i);
    }
  }
  for (int i = 0; i < kMusicTrackCount; ++i) {
    if (path == music_track_table[i]) {
      *rate = kMusicRate;
      return Music(i + 1);
    }
  }
  for (int i = 0; i < kSceneSoundFileCount; ++i) {
    if (path == scene_sound_files[i]) {
      *rate = kEffectRate;
      return SceneEffect(i);
    }
  }
  return {};
}
