// Small movies made with FFmpeg's encoders, for the tests, the fuzz seeds
// and the benchmark: frame k one flat colour, the sound track a sine tone.
// This header includes no FFmpeg header.
#pragma once

#include <cstdint>
#include <vector>

enum class TestMovieKind {
  kMpegProgram,  // MPEG-1 video with MPEG-1 layer II sound in an MPEG program stream
  kMjpegAvi,     // Motion JPEG with 16-bit PCM sound in AVI
};

struct TestMovieSpec {
  TestMovieKind kind = TestMovieKind::kMpegProgram;
  int width = 64;
  int height = 48;
  int frames_per_second = 25;
  // The colour of each frame, 0xRRGGBB; one frame each.
  std::vector<uint32_t> frame_colours;
  // The sound track: stereo at this rate (0: none), a sine of tone_hz.
  int sound_rate = 44100;
  double tone_hz = 1000.0;
};

// Encodes the movie into `bytes`; false when an encoder or the container
// cannot be made.
bool MakeTestMovie(const TestMovieSpec& spec, std::vector<uint8_t>* bytes);
