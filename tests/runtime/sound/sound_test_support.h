// Helpers shared by the sound tests: sound files made in the test (WAV
// images, Ogg Vorbis written with libvorbisenc, MP3 written with libmp3lame),
// the libraries' own decoding of those files to compare with, the sound
// system started on the installed null host, and the log's text.
#pragma once

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <mpg123.h>
#include <stdlib.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/wave_reader.h"

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}
inline void PutLe32(Bytes* out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}
inline void PutText(Bytes* out, const char* text) { out->insert(out->end(), text, text + 4); }

// A "fmt " chunk body of `bytes` bytes (16 or 18) with the given fields.
struct WavFormatFields {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint32_t average = 0;  // 0: rate x block align
  uint16_t block_align = 0;  // 0: channels x bits / 8
  uint16_t bits = 16;
  uint32_t chunk_bytes = 16;
};

inline Bytes FormatChunkBody(const WavFormatFields& f) {
  const uint16_t block = f.block_align != 0 ? f.block_align : static_cast<uint16_t>(f.channels * f.bits / 8);
  Bytes body;
  PutLe16(&body, f.tag);
  PutLe16(&body, f.channels);
  PutLe32(&body, f.rate);
  PutLe32(&body, f.average != 0 ? f.average : f.rate * block);
  PutLe16(&body, block);
  PutLe16(&body, f.bits);
  while (body.size() < f.chunk_bytes) body.push_back(0);
  return body;
}

// A chunk: id, size (the body's unless given), body and the pad byte of an
// odd body.
inline void PutChunk(Bytes* out, const char* id, const Bytes& body, int64_t size = -1) {
  PutText(out, id);
  PutLe32(out, size >= 0 ? static_cast<uint32_t>(size) : static_cast<uint32_t>(body.size()));
  out->insert(out->end(), body.begin(), body.end());
  if ((body.size() & 1) != 0) out->push_back(0);
}

// "RIFF", size, "WAVE" and the chunks given.
inline Bytes RiffWave(const Bytes& chunks) {
  Bytes out;
  PutText(&out, "RIFF");
  PutLe32(&out, static_cast<uint32_t>(chunks.size() + 4));
  PutText(&out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

inline Bytes SimpleWav(const WavFormatFields& format, const Bytes& pcm) {
  Bytes chunks;
  PutChunk(&chunks, "fmt ", FormatChunkBody(format));
  PutChunk(&chunks, "data", pcm);
  return RiffWave(chunks);
}

// PCM bytes that change from frame to frame (a small LCG), so a shifted or
// dropped byte shows.
inline Bytes NoisePcm(size_t bytes, uint32_t seed) {
  Bytes out(bytes);
  uint32_t state = seed * 2654435761u + 1u;
  for (size_t i = 0; i < bytes; ++i) {
    state = state * 1664525u + 1013904223u;
    out[i] = static_cast<uint8_t>(state >> 24);
  }
  return out;
}

// Interleaved 16-bit samples of a chord, for the encoders.
inline std::vector<int16_t> ChordSamples(int frames, int channels, int rate) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double t = static_cast<double>(i) / rate;
      const double value = 0.3 * std::sin(2 * M_PI * (440.0 + 110.0 * c) * t) +
                           0.2 * std::sin(2 * M_PI * 1250.0 * t);
      out[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(value * 32767);
    }
  }
  return out;
}

// An Ogg Vorbis file of `samples` (interleaved), written with libvorbisenc.
inline Bytes EncodeOgg(const std::vector<int16_t>& samples, int channels, int rate) {
  Bytes out;
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, channels, rate, 0.3f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  auto write_page = [&out, &page] {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  while (ogg_stream_flush(&stream, &page) != 0) write_page();
  const int frames = static_cast<int>(samples.size() / channels);
  const int step = 1024;
  for (int start = 0; start <= frames; start += step) {
    const int count = std::min(step, frames - start);
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, count);
      for (int i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
          buffer[c][i] = samples[static_cast<size_t>(start + i) * channels + c] / 32768.0f;
        }
      }
    }
    vorbis_analysis_wrote(&dsp, count > 0 ? count : 0);
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) write_page();
      }
    }
    if (count <= 0) break;
  }
  while (ogg_stream_flush(&stream, &page) != 0) write_page();
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

// vorbisfile's own decoding of an Ogg Vorbis image: 16-bit little-endian
// signed PCM, the whole stream.
inline Bytes ReferenceOggDecode(const Bytes& file) {
  struct Source {
    const Bytes* bytes;
    size_t at;
  } source{&file, 0};
  ov_callbacks callbacks;
  callbacks.read_func = [](void* buffer, size_t size, size_t count, void* data) -> size_t {
    auto* s = static_cast<Source*>(data);
    const size_t left = s->bytes->size() - s->at;
    const size_t take = std::min(left, size * count);
    std::memcpy(buffer, s->bytes->data() + s->at, take);
    s->at += take;
    return size == 0 ? 0 : take / size;
  };
  callbacks.seek_func = [](void* data, ogg_int64_t offset, int origin) -> int {
    auto* s = static_cast<Source*>(data);
    int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(s->at) : static_cast<int64_t>(s->bytes->size());
    int64_t to = base + offset;
    if (to < 0 || to > static_cast<int64_t>(s->bytes->size())) return -1;
    s->at = static_cast<size_t>(to);
    return 0;
  };
  callbacks.close_func = nullptr;
  callbacks.tell_func = [](void* data) -> long { return static_cast<long>(static_cast<Source*>(data)->at); };
  OggVorbis_File file_state;
  Bytes out;
  if (ov_open_callbacks(&source, &file_state, nullptr, 0, callbacks) != 0) {
    ADD_FAILURE() << "vorbisfile refuses the test's own file";
    return out;
  }
  char buffer[4096];
  int link = 0;
  for (;;) {
    const long got = ov_read(&file_state, buffer, sizeof(buffer), 0, 2, 1, &link);
    if (got <= 0) break;
    out.insert(out.end(), buffer, buffer + got);
  }
  ov_clear(&file_state);
  return out;
}

// An MP3 file of `samples` (interleaved) written with libmp3lame, with its
// info frame filled in.
inline Bytes EncodeMp3(const std::vector<int16_t>& samples, int channels, int rate, int kbits) {
  lame_global_flags* flags = lame_init();
  lame_set_num_channels(flags, channels);
  lame_set_in_samplerate(flags, rate);
  lame_set_out_samplerate(flags, rate);
  lame_set_brate(flags, kbits);
  lame_set_mode(flags, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_quality(flags, 7);
  EXPECT_GE(lame_init_params(flags), 0);
  const int frames = static_cast<int>(samples.size() / channels);
  Bytes out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
  int written = 0;
  std::vector<int16_t> copy = samples;
  if (channels == 2) {
    written = lame_encode_buffer_interleaved(flags, copy.data(), frames, out.data(),
                                             static_cast<int>(out.size()));
  } else {
    written = lame_encode_buffer(flags, copy.data(), copy.data(), frames, out.data(),
                                 static_cast<int>(out.size()));
  }
  EXPECT_GE(written, 0);
  const int flushed = lame_encode_flush(flags, out.data() + written,
                                        static_cast<int>(out.size()) - written);
  EXPECT_GE(flushed, 0);
  out.resize(static_cast<size_t>(written + flushed));
  // The info frame stands first in the stream: put the final one in its place.
  unsigned char tag[8192];
  const size_t tag_bytes = lame_get_lametag_frame(flags, tag, sizeof(tag));
  if (tag_bytes > 0 && tag_bytes <= out.size()) std::memcpy(out.data(), tag, tag_bytes);
  lame_close(flags);
  return out;
}

// libmpg123's own decoding of an MP3 file (read from a file, so the decoder
// knows where it ends): 16-bit PCM at the file's rate and channels.
inline Bytes ReferenceMp3Decode(const Bytes& file, int rate, int channels) {
  char path[] = "/tmp/sound_test_XXXXXX.mp3";
  const int descriptor = mkstemps(path, 4);
  Bytes out;
  if (descriptor < 0) {
    ADD_FAILURE() << "cannot make a temporary file";
    return out;
  }
  EXPECT_EQ(write(descriptor, file.data(), file.size()), static_cast<ssize_t>(file.size()));
  close(descriptor);
  int error = 0;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(decoder);
  mpg123_format(decoder, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16);
  EXPECT_EQ(mpg123_open(decoder, path), MPG123_OK);
  unsigned char buffer[16384];
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(decoder, buffer, sizeof(buffer), &done);
    out.insert(out.end(), buffer, buffer + done);
    if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done > 0)) continue;
    break;
  }
  mpg123_close(decoder);
  mpg123_delete(decoder);
  unlink(path);
  return out;
}

// A memory stream over `bytes` as handed to a reader; closed with the object.
class MemorySource {
 public:
  explicit MemorySource(const Bytes& bytes)
      : source_{*GetMemoryStreamFunctions(),
                OpenMemoryStream(bytes.data(), static_cast<uint32_t>(bytes.size()))} {}
  ~MemorySource() { CloseMemoryStream(source_.handle); }
  MemorySource(const MemorySource&) = delete;
  MemorySource& operator=(const MemorySource&) = delete;
  const StreamSource* get() const { return &source_; }

 private:
  StreamSource source_;
};

// Decodes a file image whole through the wave readers; false when no reader
// takes it.
inline bool DecodeImage(const Bytes& image, Bytes* pcm, WAVEFORMATEX* format) {
  MemorySource source(image);
  WaveReader reader;
  if (OpenWaveReader(source.get(), &reader) != 0) return false;
  void* data = nullptr;
  int32_t bytes = 0;
  const int result = DecodeWaveReaderToMemory(&reader, format, &data, &bytes);
  CloseWaveReader(&reader);
  if (result != 0) return false;
  pcm->assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bytes);
  FreeTracked(data);
  return true;
}

// Collects the log's lines while it lives, through the debugger output (the
// log file goes to a temporary folder removed afterwards).
class SoundLogCapture {
 public:
  SoundLogCapture() {
    char folder[] = "/tmp/sound_log_XXXXXX";
    if (mkdtemp(folder) != nullptr) folder_ = folder;
    SetLogOutputFlag(1);
    SetLogFolder(folder_.c_str());
    InitLog();
    SetDebugOutputSink(&SoundLogCapture::Collect, &text_);
  }
  ~SoundLogCapture() {
    SetDebugOutputSink(nullptr, nullptr);
    SetLogFolder("");
    if (!folder_.empty()) {
      std::remove((folder_ + "/Log.txt").c_str());
      rmdir(folder_.c_str());
    }
  }
  const std::string& text() const { return text_; }
  // The log ends its lines with CR LF.
  bool Has(const char* message) const {
    std::string wanted;
    for (const char* at = message; *at != '\0'; ++at) {
      if (*at == '\n') wanted += '\r';
      wanted += *at;
    }
    return text_.find(wanted) != std::string::npos;
  }

 private:
  static void Collect(void* context, const char* text) {
    *static_cast<std::string*>(context) += text;
  }
  std::string folder_;
  std::string text_;
};

// The sound system started for one test and ended after it.
class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(InitSoundSystem(), 0); }
  void TearDown() override { EndSoundSystem(); }

  // Loads a file image as a normal sound with `buffers` buffers.
  static int32_t SoundOf(const Bytes& image, int32_t buffers = 1) {
    return CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), buffers, -1);
  }
};

// The samples of the null host's recorded mix at `path` (interleaved stereo
// after the 44-byte WAV header); the file is removed once read.
inline std::vector<int16_t> ReadRecordedMix(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string wav = text.str();
  std::remove(path.c_str());
  std::vector<int16_t> samples;
  if (wav.size() < 44) {
    ADD_FAILURE() << "no mix was written";
    return samples;
  }
  samples.resize((wav.size() - 44) / 2);
  std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
  return samples;
}
