// The pitch of a recorded tone, for tests that play sound and check that the
// right tone came out at the right rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The tone's pitch in Hz, counted by the positive-going zero crossings of
// the left channel over the frames [from, to) of interleaved stereo at
// `rate` frames a second; 0 when fewer than two crossings are found. (The
// MIDI tests' PitchOf finds a note's fundamental by autocorrelation.)
inline double TonePitch(const std::vector<int16_t>& stereo, size_t from, size_t to, int rate) {
  int crossings = 0;
  size_t first = 0, last = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (stereo[2 * (i - 1)] < 0 && stereo[2 * i] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}
