// File encoders of the sample data set: PNG and BMP pictures, WAV and Ogg
// Vorbis sounds. Each returns the whole file image; none writes anything
// that changes from run to run (no time stamps, fixed Ogg serial numbers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sample_data/canvas.h"

using Bytes = std::vector<uint8_t>;

// 8-bit RGB PNG (colour type 2), no ancillary chunks. Empty on failure.
Bytes EncodePng(const Canvas& canvas);
// 24-bit uncompressed Windows bitmap, rows bottom to top.
Bytes EncodeBmp(const Canvas& canvas);
// RIFF WAVE with 16-bit PCM, samples interleaved by channel.
Bytes EncodeWav(const std::vector<int16_t>& samples, int rate, int channels);
// Ogg Vorbis at the given quality (-0.1 to 1.0) with stream serial number
// `serial`. Empty on failure (with `error` set).
Bytes EncodeOggVorbis(const std::vector<int16_t>& samples, int rate, int channels, int serial,
                      float quality, std::string* error);
