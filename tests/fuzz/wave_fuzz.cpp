// The wave readers over any bytes (PCM WAV, WAV through the compression
// manager, Ogg Vorbis, MP3), as the sound layer uses them: a sound effect is
// read whole into memory and decoded there; a stream sound reads its file
// piece by piece and seeks. The streamed PCM must start as the decoded one
// does, and a seek back to the start that succeeds must give the same bytes
// again.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/sound/wave_reader.h"
#include "tests/fuzz/runtime_fuzz_support.h"

namespace {

constexpr int32_t kChunk = 1000;
constexpr size_t kMaxStreamedBytes = 1 << 16;

// Reads up to `limit` bytes in chunks.
std::vector<uint8_t> ReadSome(WaveReader* reader, size_t limit) {
  std::vector<uint8_t> out;
  uint8_t chunk[kChunk];
  while (out.size() < limit) {
    const int got = ReadWaveReader(reader, chunk, kChunk);
    FUZZ_CHECK(got >= 0 && got <= kChunk);
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  return out;
}

bool StartsWith(const std::vector<uint8_t>& whole, const std::vector<uint8_t>& part) {
  const size_t n = std::min(whole.size(), part.size());
  return n == 0 || std::memcmp(whole.data(), part.data(), n) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartRuntimeForFuzzing();
  WriteScratchFile("sound.bin", data, size);
  TrackedBlocksKept kept;

  // A sound effect: the whole file into memory, decoded there.
  std::vector<uint8_t> decoded;
  bool decodes = false;
  void* image = nullptr;
  int32_t image_bytes = 0;
  FUZZ_CHECK(ReadWholeFileToMemory("sound.bin", &image, &image_bytes) == 0);
  FUZZ_CHECK(image_bytes == static_cast<int32_t>(size));
  {
    MemoryStreamSource memory(static_cast<const uint8_t*>(image), static_cast<size_t>(image_bytes));
    WaveReader reader;
    if (OpenWaveReader(memory.get(), &reader) == 0) {
      WAVEFORMATEX format;
      void* pcm = nullptr;
      int32_t pcm_bytes = 0;
      if (DecodeWaveReaderToMemory(&reader, &format, &pcm, &pcm_bytes) == 0) {
        FUZZ_CHECK(pcm_bytes >= 0);
        FUZZ_CHECK(format.nChannels == 1 || format.nChannels == 2);
        FUZZ_CHECK(format.wBitsPerSample == 8 || format.wBitsPerSample == 16);
        decoded.assign(static_cast<uint8_t*>(pcm), static_cast<uint8_t*>(pcm) + pcm_bytes);
        decodes = true;
        FreeTracked(pcm);
      }
      CloseWaveReader(&reader);
    }
  }
  FreeTracked(image);

  // A stream sound: the file read piece by piece, with seeks.
  FileStreamSource file("sound.bin");
  FUZZ_CHECK(file.opened());
  WaveReader reader;
  if (OpenWaveReader(file.get(), &reader) != 0) return 0;
  WAVEFORMATEX format;
  GetWaveReaderFormat(&reader, &format);
  const std::vector<uint8_t> first = ReadSome(&reader, kMaxStreamedBytes);
  if (decodes) FUZZ_CHECK(StartsWith(decoded, first));
  // A damaged stream may refuse the seek (its failure value); one that
  // takes it gives the same sound again.
  if (SeekWaveReader(&reader, 0) == 0) {
    const std::vector<uint8_t> again = ReadSome(&reader, first.size());
    FUZZ_CHECK(StartsWith(first, again));
  }
  const int32_t frames = static_cast<int32_t>(first.size() / std::max<WORD>(format.nBlockAlign, 1));
  for (const int32_t frame : {frames / 2, frames + 1000, 3, -5}) {
    SeekWaveReader(&reader, frame);
    ReadSome(&reader, 3 * kChunk);
  }
  CloseWaveReader(&reader);
  return 0;
}
