// The movie decoder over any bytes, as the multimedia-stream stand-in uses
// it: the container opened, the first frames decoded and converted into a
// 16-bit and a 32-bit surface, then the start again, a seek into the movie,
// and a short piece of the sound track. Frame times never go back, the size
// stays in its bounds, and a damaged movie ends rather than hangs.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/movie_decoder_ffmpeg.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int kFramesTried = 8;
constexpr int kTargetWidth = 32;
constexpr int kTargetHeight = 24;
constexpr int kSoundRate = 22050;
constexpr size_t kSoundFrames = kSoundRate / 2;
constexpr int64_t kSeekTime = kMovieTimeUnitsPerSecond / 10;

// Decodes and converts up to kFramesTried frames; the number decoded.
int DecodeFirstFrames(MovieDecoder* decoder) {
  std::vector<uint16_t> pixels16(kTargetWidth * kTargetHeight);
  std::vector<uint32_t> pixels32(kTargetWidth * kTargetHeight);
  int64_t previous = -1;
  int frames = 0;
  int64_t time = 0;
  while (frames < kFramesTried && decoder->PeekNextFrame(&time)) {
    FUZZ_CHECK(time >= previous && time >= 0);
    previous = time;
    decoder->TakeNextFrame();
    decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels16.data()), kTargetWidth * 2,
                                 kTargetWidth, kTargetHeight, {16, 0xF800, 0x07E0, 0x001F});
    decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels32.data()), kTargetWidth * 4,
                                 kTargetWidth, kTargetHeight, {32, 0xFF0000, 0xFF00, 0xFF});
    ++frames;
  }
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
  const std::unique_ptr<MovieDecoder> decoder =
      MovieDecoder::Open([bytes] { return MakeMemoryMovieSource(bytes); });
  if (decoder == nullptr) return 0;
  FUZZ_CHECK(decoder->Width() >= 0 && decoder->Width() <= kMovieMaxSide);
  FUZZ_CHECK(decoder->Height() >= 0 && decoder->Height() <= kMovieMaxSide);
  FUZZ_CHECK(decoder->HasPicture() == (decoder->Height() > 0));
  FUZZ_CHECK(decoder->Duration() >= 0);
  if (decoder->HasPicture()) {
    FUZZ_CHECK(decoder->TimePerFrame() > 0);
    const int first = DecodeFirstFrames(decoder.get());
    // From the start again, the same frames come (as many of them).
    if (decoder->Restart()) FUZZ_CHECK(DecodeFirstFrames(decoder.get()) == first);
    // A seek into the movie, through the container's own seeking.
    decoder->SeekTo(kSeekTime);
    DecodeFirstFrames(decoder.get());
  }
  const std::vector<int16_t> sound = decoder->DecodeSoundTrack(kSoundRate, kSoundFrames);
  FUZZ_CHECK(sound.size() <= kSoundFrames * 2 && sound.size() % 2 == 0);
  return 0;
}
