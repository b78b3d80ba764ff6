// Helpers shared by the MIDI tests: standard MIDI files made in the test (a
// few piano notes of known pitch at known times, and damaged variants) and
// the pitch of a stretch of mixed output.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

using MidiBytes = std::vector<uint8_t>;

// The pieces' timing: 480 ticks a quarter note at 500,000 us a quarter
// (120 beats a minute), so 960 ticks a second.
constexpr uint16_t kTestDivision = 480;
constexpr uint32_t kTestTempo = 500000;
constexpr double kTestTicksPerSecond = 960.0;

struct TestNote {
  int key;        // MIDI key: 69 is A4 (440 Hz)
  double start;   // seconds
  double length;  // seconds
};

inline double KeyFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

inline void PutVlq(MidiBytes* out, uint32_t value) {
  uint8_t bytes[4];
  int count = 0;
  do {
    bytes[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && count < 4);
  for (int i = count - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(bytes[i] | (i > 0 ? 0x80 : 0)));
}

inline void PutBig(MidiBytes* out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A chunk: id, length (the body's unless `declared` is given) and body.
inline MidiBytes MidiChunk(const char* id, const MidiBytes& body, int64_t declared = -1) {
  MidiBytes out(id, id + 4);
  PutBig(&out, declared >= 0 ? static_cast<uint32_t>(declared) : static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline MidiBytes MidiHeader(uint16_t format, uint16_t tracks, uint16_t division = kTestDivision) {
  MidiBytes body;
  PutBig(&body, format, 2);
  PutBig(&body, tracks, 2);
  PutBig(&body, division, 2);
  return MidiChunk("MThd", body);
}

// The end-of-track event after `delta` ticks.
inline void PutEndOfTrack(MidiBytes* track, uint32_t delta = 0) {
  PutVlq(track, delta);
  track->insert(track->end(), {0xFF, 0x2F, 0x00});
}

// The body of a track holding only the tempo.
inline MidiBytes TempoTrackBody(uint32_t tempo) {
  MidiBytes body = {0x00, 0xFF, 0x51, 0x03};
  PutBig(&body, tempo, 3);
  return body;
}

// A format 0 file: the tempo, program `program` (0: acoustic grand piano) on
// channel 0, the notes at velocity 100, the end of track at `end` seconds.
inline MidiBytes PianoPiece(const std::vector<TestNote>& notes, double end, int program = 0) {
  std::multimap<uint32_t, MidiBytes> events;  // tick -> event (offs before ons at a tick)
  for (const TestNote& note : notes) {
    const auto on = static_cast<uint32_t>(std::lround(note.start * kTestTicksPerSecond));
    const auto off = static_cast<uint32_t>(std::lround((note.start + note.length) * kTestTicksPerSecond));
    events.emplace(on * 2 + 1, MidiBytes{0x90, static_cast<uint8_t>(note.key), 100});
    events.emplace(off * 2, MidiBytes{0x80, static_cast<uint8_t>(note.key), 0});
  }
  MidiBytes body = TempoTrackBody(kTestTempo);
  body.insert(body.end(), {0x00, 0xC0, static_cast<uint8_t>(program)});
  uint32_t now = 0;
  for (const auto& [key, event] : events) {
    const uint32_t tick = key / 2;
    PutVlq(&body, tick - now);
    now = tick;
    body.insert(body.end(), event.begin(), event.end());
  }
  const auto end_tick = static_cast<uint32_t>(std::lround(end * kTestTicksPerSecond));
  PutEndOfTrack(&body, end_tick > now ? end_tick - now : 0);
  MidiBytes file = MidiHeader(0, 1);
  const MidiBytes track = MidiChunk("MTrk", body);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// The three notes the tests play: A4, E5 and C5, 0.4 s each, one every half
// second; the piece ends at 1.5 s.
inline std::vector<TestNote> ThreeNotes() { return {{69, 0.0, 0.4}, {76, 0.5, 0.4}, {72, 1.0, 0.4}}; }
constexpr double kThreeNotesEnd = 1.5;

// The fundamental (Hz) of output frames [from, from + count) of interleaved
// stereo at `rate`: the shortest autocorrelation lag (80 to 2,000 Hz) that
// comes within 10 % of the best, refined between its neighbours. 0 for
// silence.
inline double PitchOf(const std::vector<int16_t>& stereo, size_t from, size_t count, int rate) {
  if ((from + count) * 2 > stereo.size()) return 0;
  std::vector<double> x(count);
  for (size_t i = 0; i < count; ++i) x[i] = stereo[2 * (from + i)] + stereo[2 * (from + i) + 1];
  const int min_lag = rate / 2000;
  const int max_lag = rate / 80;
  if (count <= static_cast<size_t>(max_lag) * 2) return 0;
  const size_t span = count - static_cast<size_t>(max_lag) - 1;
  std::vector<double> r(static_cast<size_t>(max_lag) + 2, 0.0);
  for (int lag = min_lag; lag <= max_lag + 1; ++lag) {
    double cross = 0, a = 0, b = 0;
    for (size_t i = 0; i < span; ++i) {
      cross += x[i] * x[i + lag];
      a += x[i] * x[i];
      b += x[i + lag] * x[i + lag];
    }
    r[static_cast<size_t>(lag)] = a > 0 && b > 0 ? cross / std::sqrt(a * b) : 0;
  }
  double best = 0;
  for (int lag = min_lag + 1; lag <= max_lag; ++lag) best = std::max(best, r[static_cast<size_t>(lag)]);
  if (best <= 0.3) return 0;
  for (int lag = min_lag + 1; lag <= max_lag; ++lag) {
    const double here = r[static_cast<size_t>(lag)];
    if (here >= 0.9 * best && here >= r[static_cast<size_t>(lag) - 1] && here >= r[static_cast<size_t>(lag) + 1]) {
      const double left = r[static_cast<size_t>(lag) - 1];
      const double right = r[static_cast<size_t>(lag) + 1];
      const double bend = left - 2 * here + right;
      const double shift = bend != 0 ? 0.5 * (left - right) / bend : 0;
      return rate / (lag + shift);
    }
  }
  return 0;
}

// True when `pitch` is within 2 % of `expected`.
inline bool PitchNear(double pitch, double expected) { return std::abs(pitch - expected) <= 0.02 * expected; }
