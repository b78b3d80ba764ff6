// Wave readers: RIFF WAVE (PCM and compressed), Ogg Vorbis and MP3.
#include "runtime/sound/wave_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/sound/ogg_setup_check.h"
#include "runtime/sound/sound.h"

namespace {

constexpr int64_t kLargestBlock = INT32_MAX;

// ---- Stream access ------------------------------------------------------------

int64_t StreamTell(const WaveReader* reader) {
  return reader->stream.functions.Tell(reader->stream.handle);
}

int StreamSeek(const WaveReader* reader, int64_t offset, int origin) {
  return reader->stream.functions.Seek(reader->stream.handle, offset, origin);
}

// Bytes read.
size_t StreamRead(const WaveReader* reader, void* buffer, size_t bytes) {
  return reader->stream.functions.Read(buffer, 1, bytes, reader->stream.handle);
}

// The stream's size; the position is left where it was.
int64_t StreamSize(const WaveReader* reader) {
  const int64_t here = StreamTell(reader);
  StreamSeek(reader, 0, 2);
  const int64_t size = StreamTell(reader);
  StreamSeek(reader, here, 0);
  return size;
}

uint32_t Le32(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// A PCM format the sound output plays: 8 or 16 bits, 1 or 2 channels, a rate
// it takes and a block align that matches.
bool PlayablePcm(const WAVEFORMATEX& format) {
  return (format.nChannels == 1 || format.nChannels == 2) &&
         (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
         format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 &&
         format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

// ---- RIFF WAVE ------------------------------------------------------------------

// Checks "RIFF" and "WAVE", reads the "fmt " chunk that must follow into a
// new block of at least `least_bytes` (the rest cleared) and walks the chunks
// after it up to "data". Fills the chunk fields of the reader; the stream is
// left at the start of the data. 0 or -1 (nothing kept).
int ReadRiffWave(WaveReader* reader, uint8_t** format_block, uint32_t least_bytes) {
  const int64_t stream_bytes = StreamSize(reader);
  uint8_t header[12];
  if (StreamRead(reader, header, 8) != 8 || std::memcmp(header, "RIFF", 4) != 0) return -1;
  if (StreamRead(reader, header, 4) != 4 || std::memcmp(header, "WAVE", 4) != 0) return -1;
  if (StreamRead(reader, header, 8) != 8 || std::memcmp(header, "fmt ", 4) != 0) return -1;
  const uint32_t format_bytes = Le32(header + 4);
  const int64_t format_position = StreamTell(reader);
  // A format shorter than the PCM format record, or past the end, is no
  // format.
  if (format_bytes < 16 || format_bytes > stream_bytes - format_position) return -1;
  const uint32_t block_bytes = std::max(format_bytes, least_bytes);
  auto* block = static_cast<uint8_t*>(AllocTrackedCleared(block_bytes, __FILE__, __LINE__));
  if (block == nullptr) return -1;
  if (StreamRead(reader, block, format_bytes) != format_bytes) {
    FreeTracked(block);
    return -1;
  }
  if ((format_bytes & 1) != 0) StreamSeek(reader, 1, 1);
  for (;;) {
    if (StreamRead(reader, header, 8) != 8) {
      FreeTracked(block);
      return -1;
    }
    const uint32_t chunk_bytes = Le32(header + 4);
    if (std::memcmp(header, "data", 4) == 0) break;
    // Skipped from here; an odd size has a pad byte after it.
    StreamSeek(reader, static_cast<int64_t>(chunk_bytes) + (chunk_bytes & 1), 1);
  }
  const int64_t data_start = StreamTell(reader);
  // A data chunk that says it runs past the end holds what is there.
  const int64_t data_bytes =
      std::min<int64_t>(Le32(header + 4), std::max<int64_t>(stream_bytes - data_start, 0));
  if (data_start > kLargestBlock || data_bytes > kLargestBlock) {
    FreeTracked(block);
    return -1;
  }
  reader->formatChunkPosition = static_cast<int32_t>(format_position);
  reader->formatChunkBytes = static_cast<int32_t>(format_bytes);
  reader->dataStart = static_cast<int32_t>(data_start);
  reader->dataBytes = static_cast<int32_t>(data_bytes);
  *format_block = block;
  return 0;
}

// Opens the two conversion streams of a compression-manager reader from its
// source format to its target. 0 or -1.
int OpenAcmStreams(WaveReader* reader) {
  if (acmStreamOpen(&reader->acmStream, nullptr, reader->acmSourceFormat, &reader->format, nullptr,
                    0, 0, ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
    reader->acmStream = nullptr;
    return -1;
  }
  if (acmStreamOpen(&reader->acmSpareStream, nullptr, reader->acmSourceFormat, &reader->format,
                    nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
    reader->acmSpareStream = nullptr;
    return -1;
  }
  return 0;
}

// Frees what a compression-manager reader holds.
void ReleaseAcmParts(WaveReader* reader) {
  if (reader->acmStream != nullptr) acmStreamClose(reader->acmStream, 0);
  if (reader->acmSpareStream != nullptr) acmStreamClose(reader->acmSpareStream, 0);
  reader->acmStream = nullptr;
  reader->acmSpareStream = nullptr;
  FreeTracked(reader->acmSourceFormat);
  reader->acmSourceFormat = nullptr;
  FreeTracked(reader->acmData);
  reader->acmData = nullptr;
}

// Completes the PCM target of a compression-manager reader from its source
// format. 0 or -1.
int SuggestAcmTarget(WaveReader* reader) {
  std::memset(&reader->format, 0, sizeof(reader->format));
  reader->format.wFormatTag = WAVE_FORMAT_PCM;
  if (acmFormatSuggest(nullptr, reader->acmSourceFormat, &reader->format, sizeof(WAVEFORMATEX),
                       ACM_FORMATSUGGESTF_WFORMATTAG) != MMSYSERR_NOERROR) {
    return -1;
  }
  return PlayablePcm(reader->format) ? 0 : -1;
}

// ---- Ogg Vorbis callbacks over the reader's stream ------------------------------

size_t OggRead(void* buffer, size_t size, size_t count, void* source) {
  auto* reader = static_cast<WaveReader*>(source);
  if (reader == nullptr) return static_cast<size_t>(-1);
  return reader->stream.functions.Read(buffer, size, count, reader->stream.handle);
}

int OggSeek(void* source, ogg_int64_t offset, int origin) {
  auto* reader = static_cast<WaveReader*>(source);
  if (reader == nullptr) return -1;
  return reader->stream.functions.Seek(reader->stream.handle, static_cast<int32_t>(offset), origin);
}

int OggClose(void*) { return 0; }

long OggTell(void* source) {
  auto* reader = static_cast<WaveReader*>(source);
  if (reader == nullptr) return -1;
  return static_cast<long>(reader->stream.functions.Tell(reader->stream.handle));
}

// ---- MPEG audio ------------------------------------------------------------------

constexpr int32_t kMpeg1BitRates[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
};
constexpr int32_t kMpeg2BitRates[2][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // layers II, III
};
constexpr int32_t kMpeg1Rates[3] = {44100, 48000, 32000};
constexpr int32_t kMpeg2Rates[3] = {22050, 24000, 16000};

}  // namespace

// ---- Opening ------------------------------------------------------------------------

int OpenWaveReader(const StreamSource* stream, WaveReader* reader) {
  std::memset(reader, 0, sizeof(*reader));
  reader->stream = *stream;
  reader->spareTarget = 0;
  int (*const openers[])(WaveReader*) = {OpenPcmWaveReader, OpenAcmWaveReader, OpenOggReader,
                                        OpenMp3Reader};
  bool opened = false;
  for (auto* open : openers) {
    StreamSeek(reader, 0, 0);
    if (open(reader) == 0) {
      opened = true;
      break;
    }
  }
  if (!opened) return -1;
  reader->pcmBuffer =
      static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(reader->pcmBufferBytes), __FILE__, __LINE__));
  if (reader->pcmBuffer == nullptr) {
    CloseWaveReader(reader);
    return -1;
  }
  reader->available = 0;
  reader->bufferPosition = 0;
  reader->position = 0;
  reader->ended = 0;
  reader->valid = 1;
  return 0;
}

int OpenPcmWaveReader(WaveReader* reader) {
  uint8_t* block = nullptr;
  if (ReadRiffWave(reader, &block, sizeof(WAVEFORMATEX)) != 0) return -1;
  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof(format));
  std::memcpy(&format, block, std::min<int32_t>(reader->formatChunkBytes, sizeof(format)));
  FreeTracked(block);
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0) return -1;
  if (reader->formatChunkBytes == 16) {
    format.cbSize = 0;
    format.wBitsPerSample = static_cast<WORD>(format.nBlockAlign / format.nChannels * 8);
  }
  if (!PlayablePcm(format)) return -1;
  // The byte rate follows from the rest; a file's own value is not trusted.
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  reader->format = format;
  reader->pcmBufferBytes = static_cast<int32_t>(format.nAvgBytesPerSec);
  reader->kind = kWaveReaderPcm;
  return 0;
}

int OpenAcmWaveReader(WaveReader* reader) {
  uint8_t* block = nullptr;
  if (ReadRiffWave(reader, &block, sizeof(WAVEFORMATEX)) != 0) return -1;
  reader->acmSourceFormat = reinterpret_cast<WAVEFORMATEX*>(block);
  if (SuggestAcmTarget(reader) != 0) {
    ReleaseAcmParts(reader);
    return -1;
  }
  reader->acmDataBytes = static_cast<uint32_t>(reader->dataBytes);
  reader->acmData = static_cast<uint8_t*>(
      AllocTracked(std::max<uint32_t>(reader->acmDataBytes, 1), __FILE__, __LINE__));
  if (reader->acmData == nullptr ||
      StreamRead(reader, reader->acmData, reader->acmDataBytes) != reader->acmDataBytes ||
      OpenAcmStreams(reader) != 0) {
    ReleaseAcmParts(reader);
    return -1;
  }
  reader->acmSourcePosition = 0;
  reader->acmTotalFrames = -1;
  reader->pcmBufferBytes = static_cast<int32_t>(reader->format.nAvgBytesPerSec);
  reader->kind = kWaveReaderAcm;
  return 0;
}

int OpenOggReader(WaveReader* reader) {
  // A setup header that would make the decoder divide by zero is refused
  // before the decoder reads it.
  if (CheckOggVorbisSetupHeaders(&reader->stream) != 0) return -1;
  const ov_callbacks callbacks = {OggRead, OggSeek, OggClose, OggTell};
  if (ov_open_callbacks(reader, &reader->oggFile, nullptr, 0, callbacks) != 0) return -1;
  const vorbis_info* info = ov_info(&reader->oggFile, -1);
  const ogg_int64_t frames = ov_pcm_total(&reader->oggFile, -1);
  const int32_t bytes_per_sample = SoundSystem.oggBytesPerSample == 1 ? 1 : 2;
  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof(format));
  format.wFormatTag = WAVE_FORMAT_PCM;
  if (info != nullptr && info->channels > 0 && info->channels <= 2 && info->rate > 0) {
    format.nChannels = static_cast<WORD>(info->channels);
    format.nSamplesPerSec = static_cast<DWORD>(std::min<long>(info->rate, DSBFREQUENCY_MAX + 1));
  }
  format.nBlockAlign = static_cast<WORD>(format.nChannels * bytes_per_sample);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  format.wBitsPerSample = static_cast<WORD>(bytes_per_sample * 8);
  // Only what the sound output plays, and a length that fits a block.
  if (!PlayablePcm(format) || frames < 0 || frames > kLargestBlock / format.nBlockAlign) {
    ov_clear(&reader->oggFile);
    return -1;
  }
  reader->oggOpen = 1;
  reader->oggBytesPerSample = bytes_per_sample;
  reader->format = format;
  reader->pcmBufferBytes = kOggPcmBufferBytes;
  reader->dataBytes = static_cast<int32_t>(frames * format.nBlockAlign);
  reader->kind = kWaveReaderOgg;
  return 0;
}

int ParseMp3FrameHeader(const uint8_t* header, Mp3FrameHeader* out) {
  if (header[0] != 0xFF || (header[1] & 0xF0) != 0xF0) return -2;
  const int32_t mpeg1 = (header[1] >> 3) & 1;
  const int32_t layer_bits = (header[1] >> 1) & 3;
  const int32_t bit_rate_index = header[2] >> 4;
  const int32_t rate_index = (header[2] >> 2) & 3;
  // Index 0 is a free-format frame, whose size the header does not give.
  if (layer_bits == 0 || bit_rate_index == 0 || bit_rate_index > 14 || rate_index > 2) return -1;
  const int32_t layer = 4 - layer_bits;
  const int32_t bit_rate = mpeg1 != 0 ? kMpeg1BitRates[layer - 1][bit_rate_index]
                                      : kMpeg2BitRates[layer == 1 ? 0 : 1][bit_rate_index];
  const int32_t rate = mpeg1 != 0 ? kMpeg1Rates[rate_index] : kMpeg2Rates[rate_index];
  const int32_t padding = (header[2] >> 1) & 1;
  out->mpeg1 = mpeg1;
  out->layer = layer;
  out->bitRate = bit_rate;
  out->rate = rate;
  out->padding = padding;
  out->channels = (header[3] >> 6) == 3 ? 1 : 2;
  if (layer == 1) {
    out->frameBytes = (12000 * bit_rate / rate + padding) * 4;
    out->samples = 384;
  } else if (layer == 2 || mpeg1 != 0) {
    // Layer II frames hold 1152 samples in every MPEG version.
    out->frameBytes = 144000 * bit_rate / rate + padding;
    out->samples = 1152;
  } else {
    out->frameBytes = 72000 * bit_rate / rate + padding;
    out->samples = 576;
  }
  return 0;
}

int OpenMp3Reader(WaveReader* reader) {
  const int64_t stream_bytes = StreamSize(reader);
  int64_t start = 0;
  int64_t end = stream_bytes;
  uint8_t tag[10];
  StreamSeek(reader, 0, 0);
  const size_t head_bytes = StreamRead(reader, tag, 10);
  // A RIFF file whose format the WAV readers refused holds no MPEG frames,
  // whatever its data happens to look like.
  if (head_bytes >= 4 && std::memcmp(tag, "RIFF", 4) == 0) return -1;
  if (head_bytes == 10 && std::memcmp(tag, "ID3", 3) == 0) {
    start = ((tag[6] & 0x7F) << 21 | (tag[7] & 0x7F) << 14 | (tag[8] & 0x7F) << 7 | (tag[9] & 0x7F)) +
            10;
    if (tag[3] == 4 && (tag[5] & 0x10) != 0) start += 10;  // the footer
  }
  if (stream_bytes > 128) {
    StreamSeek(reader, stream_bytes - 128, 0);
    if (StreamRead(reader, tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0) end = stream_bytes - 128;
  }
  if (start >= end || end - start > kLargestBlock) return -1;
  const uint32_t bytes = static_cast<uint32_t>(end - start);
  auto* data = static_cast<uint8_t*>(AllocTracked(bytes, __FILE__, __LINE__));
  if (data == nullptr) return -1;
  StreamSeek(reader, start, 0);
  if (StreamRead(reader, data, bytes) != bytes) {
    FreeTracked(data);
    return -1;
  }

  // Frame to frame from the first sync; a header that cannot be used refuses
  // the file.
  int64_t first = -1;
  Mp3FrameHeader first_header{};
  int64_t total_frames = 0;
  uint32_t at = 0;
  while (at < bytes) {
    while (at + 1 < bytes && !(data[at] == 0xFF && (data[at + 1] & 0xF0) == 0xF0)) ++at;
    if (at + 4 > bytes) break;
    Mp3FrameHeader header;
    if (ParseMp3FrameHeader(data + at, &header) != 0) {
      FreeTracked(data);
      return -1;
    }
    if (first < 0) {
      first = at;
      first_header = header;
    }
    total_frames += header.samples;
    at += static_cast<uint32_t>(header.frameBytes);
  }
  if (first < 0) {
    FreeTracked(data);
    return -1;
  }
  reader->acmDataBytes = bytes - static_cast<uint32_t>(first);
  std::memmove(data, data + first, reader->acmDataBytes);
  reader->acmData = data;

  DWORD format_bytes = 0;
  if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &format_bytes) != MMSYSERR_NOERROR) {
    format_bytes = 0;
  }
  format_bytes = std::max<DWORD>(format_bytes, sizeof(MPEGLAYER3WAVEFORMAT));
  auto* source =
      static_cast<MPEGLAYER3WAVEFORMAT*>(AllocTrackedCleared(format_bytes, __FILE__, __LINE__));
  if (source == nullptr) {
    ReleaseAcmParts(reader);
    return -1;
  }
  source->wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  source->wfx.nChannels = static_cast<WORD>(first_header.channels);
  source->wfx.nSamplesPerSec = static_cast<DWORD>(first_header.rate);
  source->wfx.nAvgBytesPerSec = static_cast<DWORD>(first_header.bitRate * 1000 / 8);
  source->wfx.nBlockAlign = 1;
  source->wfx.wBitsPerSample = 0;
  source->wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  source->wID = MPEGLAYER3_ID_MPEG;
  source->fdwFlags = static_cast<DWORD>(first_header.padding);
  source->nBlockSize = static_cast<WORD>(first_header.frameBytes);
  source->nFramesPerBlock = 1;
  source->nCodecDelay = 700;
  reader->acmSourceFormat = &source->wfx;

  if (SuggestAcmTarget(reader) != 0 || OpenAcmStreams(reader) != 0) {
    ReleaseAcmParts(reader);
    return -1;
  }
  if (total_frames * reader->format.nBlockAlign > kLargestBlock) {
    ReleaseAcmParts(reader);
    return -1;
  }
  reader->dataStart = static_cast<int32_t>(start + first);
  reader->dataBytes = static_cast<int32_t>(reader->acmDataBytes);
  reader->acmSourcePosition = 0;
  reader->acmTotalFrames = total_frames;
  reader->pcmBufferBytes = static_cast<int32_t>(reader->format.nAvgBytesPerSec * 4 / 3);
  reader->kind = kWaveReaderAcm;
  return 0;
}

// ---- Reading -------------------------------------------------------------------------

int ReadWaveReader(WaveReader* reader, void* buffer, int32_t bytes) {
  if (reader->valid == 0) return -1;
  if (reader->ended != 0) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  int32_t delivered = 0;
  while (delivered < bytes) {
    if (reader->available == 0) {
      int refilled = -1;
      if (reader->kind == kWaveReaderPcm) {
        const int32_t left = reader->dataBytes - reader->position;
        if (left > 0) {
          const size_t got =
              StreamRead(reader, reader->pcmBuffer,
                         static_cast<size_t>(std::min(reader->pcmBufferBytes, left)));
          if (got > 0) {
            reader->available = static_cast<int32_t>(got);
            reader->bufferPosition = 0;
            refilled = 0;
          }
        }
      } else if (reader->kind == kWaveReaderAcm) {
        refilled = ConvertAcmBlock(reader);
      } else {
        refilled = DecodeOggReader(reader);
      }
      if (refilled != 0) {
        reader->ended = 1;
        break;
      }
      // A block that gave no PCM yet (it used source bytes all the same).
      if (reader->available == 0) continue;
    }
    const int32_t copy = std::min(bytes - delivered, reader->available);
    std::memcpy(out + delivered, reader->pcmBuffer + reader->bufferPosition,
                static_cast<size_t>(copy));
    reader->bufferPosition += copy;
    reader->available -= copy;
    reader->position += copy;
    delivered += copy;
  }
  return delivered;
}

int ConvertAcmBlock(WaveReader* reader) {
  if (reader->acmSourcePosition >= reader->acmDataBytes) return -1;
  ACMSTREAMHEADER header;
  std::memset(&header, 0, sizeof(header));
  header.cbStruct = sizeof(header);
  header.pbSrc = reader->acmData + reader->acmSourcePosition;
  header.cbSrcLength = std::min(kAcmBlockBytes, reader->acmDataBytes - reader->acmSourcePosition);
  header.pbDst = reader->pcmBuffer;
  header.cbDstLength = static_cast<DWORD>(reader->pcmBufferBytes);
  bool converted = false;
  if (acmStreamPrepareHeader(reader->acmStream, &header, 0) == MMSYSERR_NOERROR) {
    converted = acmStreamConvert(reader->acmStream, &header, ACM_STREAMCONVERTF_BLOCKALIGN) ==
                MMSYSERR_NOERROR;
    acmStreamUnprepareHeader(reader->acmStream, &header, 0);
  }
  // A conversion that neither used nor gave anything will not get further:
  // the data is used up.
  if (!converted || (header.cbDstLengthUsed == 0 && header.cbSrcLengthUsed == 0)) {
    reader->acmSourcePosition = reader->acmDataBytes;
    return -1;
  }
  reader->available = static_cast<int32_t>(header.cbDstLengthUsed);
  reader->bufferPosition = 0;
  reader->acmSourcePosition += header.cbSrcLengthUsed;
  return 0;
}

int DecodeOggReader(WaveReader* reader) {
  int link = 0;
  const long got = ov_read(&reader->oggFile, reinterpret_cast<char*>(reader->pcmBuffer),
                           reader->pcmBufferBytes, 0, reader->oggBytesPerSample,
                           reader->oggBytesPerSample == 2 ? 1 : 0, &link);
  // The end, a hole or a bad link in a damaged stream: the sound ends there.
  if (got <= 0) return -1;
  // A chained stream whose next part has another format ends here too.
  const vorbis_info* info = ov_info(&reader->oggFile, link);
  if (info == nullptr || info->channels != reader->format.nChannels ||
      info->rate != static_cast<long>(reader->format.nSamplesPerSec)) {
    return -1;
  }
  reader->available = static_cast<int32_t>(got);
  reader->bufferPosition = 0;
  return 0;
}

// ---- Seeking ---------------------------------------------------------------------------

int SeekWaveReader(WaveReader* reader, int32_t frame) {
  if (reader->valid == 0) return -1;
  frame = std::max(frame, 0);
  const int64_t target = static_cast<int64_t>(frame) * reader->format.nBlockAlign;
  const int64_t distance = target - reader->position;
  if (distance > -16 && distance < 16) return 0;
  if (target > kLargestBlock) return -1;
  if (reader->kind == kWaveReaderPcm) {
    StreamSeek(reader, reader->dataStart + target, 0);
    reader->position = static_cast<int32_t>(target);
    reader->available = 0;
    reader->bufferPosition = 0;
  } else if (reader->kind == kWaveReaderAcm) {
    SeekAcmReader(reader, frame);
  } else {
    if (ov_pcm_seek(&reader->oggFile, frame) != 0) return -1;
    reader->position = static_cast<int32_t>(target);
    reader->available = 0;
    reader->bufferPosition = 0;
  }
  reader->ended = 0;
  return 0;
}

int SeekAcmReader(WaveReader* reader, int32_t frame) {
  const int64_t target = static_cast<int64_t>(std::max(frame, 0)) * reader->format.nBlockAlign;
  if (target < reader->position) {
    // Start again from the first compressed byte with the spare stream,
    // which has converted nothing, and keep a fresh spare.
    if (reader->acmSpareStream == nullptr) return -1;
    acmStreamClose(reader->acmStream, 0);
    reader->acmStream = reader->acmSpareStream;
    reader->acmSpareStream = nullptr;
    if (acmStreamOpen(&reader->acmSpareStream, nullptr, reader->acmSourceFormat, &reader->format,
                      nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
      reader->acmSpareStream = nullptr;
    }
    reader->acmSourcePosition = 0;
    reader->available = 0;
    reader->bufferPosition = 0;
    reader->position = 0;
  }
  for (;;) {
    if (target <= static_cast<int64_t>(reader->position) + reader->available) {
      const int32_t skip = static_cast<int32_t>(target - reader->position);
      reader->bufferPosition += skip;
      reader->available -= skip;
      reader->position += skip;
      return 0;
    }
    reader->position += reader->available;
    reader->available = 0;
    if (ConvertAcmBlock(reader) != 0) {
      reader->ended = 1;
      return 0;
    }
  }
}

int CloseWaveReader(WaveReader* reader) {
  FreeTracked(reader->pcmBuffer);
  reader->pcmBuffer = nullptr;
  if (reader->kind == kWaveReaderAcm) ReleaseAcmParts(reader);
  if (reader->kind == kWaveReaderOgg && reader->oggOpen != 0) {
    ov_clear(&reader->oggFile);
    reader->oggOpen = 0;
  }
  reader->valid = 0;
  return 0;
}

void GetWaveReaderFormat(const WaveReader* reader, WAVEFORMATEX* format) {
  std::memcpy(format, &reader->format, sizeof(WAVEFORMATEX));
}

int DecodeWaveReaderToMemory(WaveReader* reader, WAVEFORMATEX* format, void** data,
                             int32_t* bytes) {
  if (reader->valid == 0) return -1;
  int64_t size = 0;
  if (reader->kind == kWaveReaderPcm) {
    size = reader->dataBytes;
  } else if (reader->kind == kWaveReaderAcm) {
    if (reader->acmTotalFrames != -1) {
      size = reader->acmTotalFrames * reader->format.nBlockAlign;
    } else {
      DWORD converted = 0;
      if (acmStreamSize(reader->acmStream, reader->acmDataBytes, &converted,
                        ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR) {
        return -1;
      }
      size = converted;
    }
  } else {
    // One second at 44,100 Hz more than the length the file gives.
    size = (ov_pcm_total(&reader->oggFile, -1) + 44100) * reader->format.nBlockAlign;
  }
  if (size < 0 || size > kLargestBlock) return -1;
  auto* block = static_cast<uint8_t*>(
      AllocTracked(static_cast<size_t>(std::max<int64_t>(size, 1)), __FILE__, __LINE__));
  if (block == nullptr) return -1;
  SeekWaveReader(reader, 0);
  int64_t got = 0;
  if (reader->kind == kWaveReaderPcm) {
    StreamSeek(reader, reader->dataStart, 0);
    got = static_cast<int64_t>(StreamRead(reader, block, static_cast<size_t>(size)));
  } else {
    got = std::max(ReadWaveReader(reader, block, static_cast<int32_t>(size)), 0);
  }
  GetWaveReaderFormat(reader, format);
  *data = block;
  *bytes = static_cast<int32_t>(got);
  return 0;
}

// ---- Whole files ------------------------------------------------------------------------

int ReadWholeFileToMemory(const char* path, void** data, int32_t* bytes) {
  const intptr_t file = FileOpenThunk(path, 0, 1, 0);
  if (file == 0) {
    LogPrintf("右記のファイルのオープンに失敗しました：%s", path);
    return -1;
  }
  FileSeekThunk(file, 0, 2);
  const int64_t size = FileTellThunk(file);
  FileSeekThunk(file, 0, 0);
  void* block = nullptr;
  if (size >= 0 && size <= kLargestBlock) {
    block = AllocTracked(static_cast<size_t>(std::max<int64_t>(size, 1)), __FILE__, __LINE__);
  }
  if (block == nullptr) {
    LogPrintf("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", path);
    FileCloseThunk(file);
    return -1;
  }
  const size_t got = FileReadThunk(block, 1, static_cast<size_t>(size), file);
  FileCloseThunk(file);
  *data = block;
  *bytes = static_cast<int32_t>(std::min<size_t>(got, static_cast<size_t>(size)));
  return 0;
}

int ReadWholeStreamToMemory(const StreamSource* stream, void** data, int32_t* bytes) {
  stream->functions.Seek(stream->handle, 0, 2);
  const int64_t size = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, 0, 0);
  void* block = nullptr;
  if (size >= 0 && size <= kLargestBlock) {
    block = AllocTracked(static_cast<size_t>(std::max<int64_t>(size, 1)), __FILE__, __LINE__);
  }
  if (block == nullptr) {
    LogAdd("ストリームの読み込みに必要なメモリの確保に失敗しました");
    return -1;
  }
  const size_t got = stream->functions.Read(block, 1, static_cast<size_t>(size), stream->handle);
  *data = block;
  *bytes = static_cast<int32_t>(std::min<size_t>(got, static_cast<size_t>(size)));
  return 0;
}

int BuildWaveFileImage(void** image, int32_t* image_bytes, const void* format,
                       int32_t format_bytes, const void* pcm, int32_t pcm_bytes) {
  const int64_t total = static_cast<int64_t>(format_bytes) + pcm_bytes + 28;
  if (format_bytes < 0 || pcm_bytes < 0 || total > kLargestBlock) return -1;
  auto* out = static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(total), __FILE__, __LINE__));
  if (out == nullptr) return -1;
  auto put32 = [](uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
  };
  std::memcpy(out, "RIFF", 4);
  put32(out + 4, static_cast<uint32_t>(total - 8));
  std::memcpy(out + 8, "WAVEfmt ", 8);
  put32(out + 16, static_cast<uint32_t>(format_bytes));
  std::memcpy(out + 20, format, static_cast<size_t>(format_bytes));
  std::memcpy(out + 20 + format_bytes, "data", 4);
  put32(out + 24 + format_bytes, static_cast<uint32_t>(pcm_bytes));
  std::memcpy(out + 28 + format_bytes, pcm, static_cast<size_t>(pcm_bytes));
  *image = out;
  *image_bytes = static_cast<int32_t>(total);
  return 0;
}
