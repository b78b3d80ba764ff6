// The compression-manager stand-in: MPEG audio to PCM with libmpg123, fed one
// whole frame at a time.
#include "platform/host/not_emulated.h"
#include "platform/win32/acm.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

namespace {

// One MPEG audio frame header.
struct MpegFrame {
  uint32_t bytes;    // the whole frame, header included
  uint32_t samples;  // sample frames it decodes to
  uint32_t rate;
  int channels;
};

constexpr uint16_t kBitRates[5][15] = {
    // MPEG-1 layers I, II, III
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    // MPEG-2 and 2.5: layer I, then layers II and III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};

constexpr uint32_t kSampleRates[3][3] = {
    {44100, 48000, 32000},  // MPEG-1
    {22050, 24000, 16000},  // MPEG-2
    {11025, 12000, 8000},   // MPEG-2.5
};

// Parses the 4 header bytes at `at`. Free-format frames (bit-rate index 0)
// and reserved values are not frames here.
bool ParseFrame(const uint8_t* at, MpegFrame* frame) {
  if (at[0] != 0xFF || (at[1] & 0xE0) != 0xE0) return false;
  const int version_bits = (at[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer_bits = (at[1] >> 1) & 3;    // 3: I, 2: II, 1: III
  const int bit_rate_index = at[2] >> 4;
  const int rate_index = (at[2] >> 2) & 3;
  if (version_bits == 1 || layer_bits == 0 || bit_rate_index == 0 || bit_rate_index == 15 ||
      rate_index == 3) {
    return false;
  }
  const bool mpeg1 = version_bits == 3;
  const int layer = 4 - layer_bits;
  const uint32_t padding = (at[2] >> 1) & 1;
  const uint32_t rate = kSampleRates[mpeg1 ? 0 : (version_bits == 2 ? 1 : 2)][rate_index];
  const uint32_t kbits =
      kBitRates[mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4)][bit_rate_index];
  if (layer == 1) {
    frame->bytes = (12000 * kbits / rate + padding) * 4;
    frame->samples = 384;
  } else if (layer == 2 || mpeg1) {
    frame->bytes = 144000 * kbits / rate + padding;
    frame->samples = 1152;
  } else {
    frame->bytes = 72000 * kbits / rate + padding;
    frame->samples = 576;
  }
  frame->rate = rate;
  frame->channels = (at[3] >> 6) == 3 ? 1 : 2;
  return true;
}

bool MpegRate(uint32_t rate) {
  for (const auto& row : kSampleRates) {
    for (uint32_t value : row) {
      if (value == rate) return true;
    }
  }
  return false;
}

bool ConvertibleSource(const WAVEFORMATEX* source) {
  return source != nullptr && source->wFormatTag == WAVE_FORMAT_MPEGLAYER3 &&
         (source->nChannels == 1 || source->nChannels == 2) && MpegRate(source->nSamplesPerSec);
}

// One conversion stream and its decoder.
struct AcmStream {
  mpg123_handle* decoder = nullptr;
  int channels = 0;
  uint32_t rate = 0;
  uint32_t block_align = 0;
};

struct Streams {
  std::mutex mutex;
  std::set<AcmStream*> live;
};

Streams& TheStreams() {
  static auto* streams = new Streams;
  return *streams;
}

AcmStream* FindStream(HACMSTREAM handle) {
  auto* stream = reinterpret_cast<AcmStream*>(handle);
  Streams& streams = TheStreams();
  std::lock_guard<std::mutex> lock(streams.mutex);
  return streams.live.count(stream) != 0 ? stream : nullptr;
}

// Moves what the decoder has ready into the destination. False when the
// decoder reports a fault (the stream then converts nothing more of it).
bool Drain(AcmStream* stream, ACMSTREAMHEADER* header) {
  while (header->cbDstLengthUsed < header->cbDstLength) {
    size_t done = 0;
    const int result =
        mpg123_read(stream->decoder, header->pbDst + header->cbDstLengthUsed,
                    header->cbDstLength - header->cbDstLengthUsed, &done);
    header->cbDstLengthUsed += static_cast<DWORD>(done);
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) return true;
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(stream->decoder, &rate, &channels, &encoding);
      if (rate != static_cast<long>(stream->rate) || channels != stream->channels ||
          encoding != MPG123_ENC_SIGNED_16) {
        return false;
      }
      continue;
    }
    if (result != MPG123_OK) return false;
    if (done == 0) return true;
  }
  return true;
}

}  // namespace

MMRESULT acmMetrics(HACMOBJ object, UINT metric, LPVOID value) {
  RequireEmulated(object == nullptr, "acmMetrics", "only whole-system metrics are emulated", object);
  if (value == nullptr) return MMSYSERR_INVALPARAM;
  if (metric != ACM_METRIC_MAX_SIZE_FORMAT) return MMSYSERR_NOTSUPPORTED;
  *static_cast<DWORD*>(value) = sizeof(MPEGLAYER3WAVEFORMAT);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX dest,
                          DWORD dest_size, DWORD flags) {
  RequireEmulated(driver == nullptr, "acmFormatSuggest", "drivers are not emulated", driver);
  if (source == nullptr || dest == nullptr || dest_size < sizeof(WAVEFORMATEX)) {
    return MMSYSERR_INVALPARAM;
  }
  if ((flags & ACM_FORMATSUGGESTF_WFORMATTAG) != 0 && dest->wFormatTag != WAVE_FORMAT_PCM) {
    return ACMERR_NOTPOSSIBLE;
  }
  if (!ConvertibleSource(source)) return ACMERR_NOTPOSSIBLE;
  dest->wFormatTag = WAVE_FORMAT_PCM;
  dest->nChannels = source->nChannels;
  dest->nSamplesPerSec = source->nSamplesPerSec;
  dest->wBitsPerSample = 16;
  dest->nBlockAlign = static_cast<WORD>(source->nChannels * 2);
  dest->nAvgBytesPerSec = dest->nSamplesPerSec * dest->nBlockAlign;
  dest->cbSize = 0;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                       LPWAVEFORMATEX dest, LPVOID filter, DWORD_PTR callback,
                       DWORD_PTR instance, DWORD flags) {
  RequireEmulated(driver == nullptr, "acmStreamOpen", "drivers are not emulated", driver);
  RequireEmulated(filter == nullptr, "acmStreamOpen", "filters are not emulated", filter);
  RequireEmulated(callback == 0, "acmStreamOpen", "callbacks are not emulated", callback);
  (void)instance;
  (void)flags;
  if (stream == nullptr || source == nullptr || dest == nullptr) return MMSYSERR_INVALPARAM;
  *stream = nullptr;
  if (!ConvertibleSource(source)) return ACMERR_NOTPOSSIBLE;
  if (dest->wFormatTag != WAVE_FORMAT_PCM || dest->nChannels != source->nChannels ||
      dest->nSamplesPerSec != source->nSamplesPerSec || dest->wBitsPerSample != 16 ||
      dest->nBlockAlign != dest->nChannels * 2) {
    return ACMERR_NOTPOSSIBLE;
  }
  int error = MPG123_OK;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  if (decoder == nullptr) return MMSYSERR_NOMEM;
  const int channels = source->nChannels == 1 ? MPG123_MONO : MPG123_STEREO;
  // Whole frames are fed, so each decodes at once; the output format stays
  // the stream's.
  if (mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_READAHEAD, 0) !=
          MPG123_OK ||
      mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0) != MPG123_OK ||
      mpg123_format_none(decoder) != MPG123_OK ||
      mpg123_format(decoder, static_cast<long>(source->nSamplesPerSec), channels,
                    MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_open_feed(decoder) != MPG123_OK) {
    mpg123_delete(decoder);
    return MMSYSERR_ERROR;
  }
  auto* made = new AcmStream;
  made->decoder = decoder;
  made->channels = source->nChannels;
  made->rate = source->nSamplesPerSec;
  made->block_align = dest->nBlockAlign;
  {
    Streams& streams = TheStreams();
    std::lock_guard<std::mutex> lock(streams.mutex);
    streams.live.insert(made);
  }
  *stream = reinterpret_cast<HACMSTREAM>(made);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM handle, DWORD flags) {
  (void)flags;
  AcmStream* stream = FindStream(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  {
    Streams& streams = TheStreams();
    std::lock_guard<std::mutex> lock(streams.mutex);
    streams.live.erase(stream);
  }
  mpg123_delete(stream->decoder);
  delete stream;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM handle, DWORD input, LPDWORD output, DWORD flags) {
  AcmStream* stream = FindStream(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (output == nullptr) return MMSYSERR_INVALPARAM;
  // MPEG-1 rates start at 32 kbit/s; MPEG-2 and 2.5 go down to 8 kbit/s.
  const uint64_t lowest_bytes_per_second = (stream->rate >= 32000 ? 32 : 8) * 125;
  const uint64_t highest_bytes_per_second = 448 * 125;
  uint64_t result = 0;
  if (flags == ACM_STREAMSIZEF_SOURCE) {
    // Every byte at the lowest bit rate, plus one frame's samples.
    result = (static_cast<uint64_t>(input) * stream->rate + lowest_bytes_per_second - 1) /
                 lowest_bytes_per_second * stream->block_align +
             1152ull * stream->block_align;
  } else if (flags == ACM_STREAMSIZEF_DESTINATION) {
    const uint64_t frames = input / stream->block_align;
    result = (frames * highest_bytes_per_second + stream->rate - 1) / stream->rate;
  } else {
    return MMSYSERR_INVALFLAG;
  }
  *output = static_cast<DWORD>(std::min<uint64_t>(result, 0xFFFFFFFFu));
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM handle, ACMSTREAMHEADER* header, DWORD flags) {
  (void)flags;
  if (FindStream(handle) == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->cbStruct < sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
  if ((header->pbSrc == nullptr && header->cbSrcLength != 0) ||
      (header->pbDst == nullptr && header->cbDstLength != 0)) {
    return MMSYSERR_INVALPARAM;
  }
  header->fdwStatus = ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM handle, ACMSTREAMHEADER* header, DWORD flags) {
  (void)flags;
  if (FindStream(handle) == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  if ((header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) return ACMERR_UNPREPARED;
  header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM handle, ACMSTREAMHEADER* header, DWORD flags) {
  if ((flags & ~ACM_STREAMCONVERTF_BLOCKALIGN) != 0) return MMSYSERR_INVALFLAG;
  AcmStream* stream = FindStream(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  if ((header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) return ACMERR_UNPREPARED;
  header->cbSrcLengthUsed = 0;
  header->cbDstLengthUsed = 0;
  // What an earlier call decoded but had no room for comes first.
  bool healthy = Drain(stream, header);
  const uint32_t length = header->cbSrcLength;
  while (healthy && length - header->cbSrcLengthUsed >= 4) {
    const uint8_t* at = header->pbSrc + header->cbSrcLengthUsed;
    MpegFrame frame;
    if (!ParseFrame(at, &frame)) {
      ++header->cbSrcLengthUsed;  // not the start of a frame: passed over
      continue;
    }
    if (frame.bytes > length - header->cbSrcLengthUsed) break;  // cut off: the next call's
    const uint32_t most = frame.samples * stream->block_align;
    if (header->cbDstLength - header->cbDstLengthUsed < most) break;
    if (mpg123_feed(stream->decoder, at, frame.bytes) != MPG123_OK) break;
    header->cbSrcLengthUsed += frame.bytes;
    healthy = Drain(stream, header);
  }
  header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  return MMSYSERR_NOERROR;
}
