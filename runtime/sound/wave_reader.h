// Wave readers: a sound file seen through a stream turned into PCM, read
// piece by piece and sought by sample frame. Four formats are tried in a
// fixed order: RIFF WAVE with PCM data, RIFF WAVE with data the compression
// manager converts, Ogg Vorbis, and MPEG audio (MP3) through the compression
// manager. Also the whole-file helpers of the sound layer.
//
// Sound files are outside data: every size, offset and count read from a
// file is checked against what the stream holds, and a format the sound
// output cannot play (not 8 or 16 bits, not 1 or 2 channels, no rate, a block
// align that does not match) is refused by the reader.
#pragma once

#include <cstdint>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/win32/acm.h"
#include "platform/win32/dsound.h"
#include "runtime/core/file_access.h"

constexpr int32_t kWaveReaderPcm = 0;
constexpr int32_t kWaveReaderAcm = 1;
constexpr int32_t kWaveReaderOgg = 2;

// Compressed bytes converted at one go.
constexpr uint32_t kAcmBlockBytes = 2048;
// The PCM buffer of an Ogg Vorbis reader.
constexpr int32_t kOggPcmBufferBytes = 4096;

struct WaveReader {
  int32_t valid;  // 1 after a successful open
  int32_t ended;  // 1 once the source is exhausted; cleared by every seek
  int32_t kind;   // kWaveReaderPcm, kWaveReaderAcm or kWaveReaderOgg
  StreamSource stream;
  int32_t formatChunkPosition;
  int32_t formatChunkBytes;
  int32_t dataStart;  // stream offset of the sound data
  int32_t dataBytes;  // its size (for Ogg Vorbis: the decoded PCM bytes)
  WAVEFORMATEX format;  // the PCM the reader delivers

  // Compression-manager readers (WAV with other data, MP3).
  WAVEFORMATEX* acmSourceFormat;  // the whole "fmt " chunk, or a built MP3 format
  HACMSTREAM acmStream;           // converts forward from acmSourcePosition
  HACMSTREAM acmSpareStream;      // fresh, for a seek backwards
  uint8_t* acmData;               // all compressed data
  uint32_t acmDataBytes;
  uint32_t acmSourcePosition;
  int64_t acmTotalFrames;  // sample frames (counted for MP3), -1 when unknown
  uint32_t acmSpareSourcePosition;
  uint32_t acmSpareConvertedBytes;

  // Ogg Vorbis readers.
  int32_t oggOpen;
  OggVorbis_File oggFile;
  int32_t oggBytesPerSample;

  uint8_t* pcmBuffer;
  int32_t pcmBufferBytes;
  int32_t available;       // PCM bytes in the buffer not delivered yet
  int32_t bufferPosition;  // where they begin
  int32_t position;        // PCM bytes delivered so far
  int32_t spareTarget;
};

// Opens `reader` over `stream` (the reader keeps a copy). 0 or -1.
int OpenWaveReader(const StreamSource* stream, WaveReader* reader);
int OpenPcmWaveReader(WaveReader* reader);
int OpenAcmWaveReader(WaveReader* reader);
int OpenOggReader(WaveReader* reader);
int OpenMp3Reader(WaveReader* reader);

// MPEG audio frame header fields.
struct Mp3FrameHeader {
  int32_t mpeg1;     // 1 for MPEG-1, 0 for MPEG-2
  int32_t layer;     // 1 to 3
  int32_t bitRate;   // kbit/s
  int32_t rate;      // Hz
  int32_t padding;   // 0 or 1
  int32_t channels;  // 1 or 2
  int32_t frameBytes;
  int32_t samples;   // sample frames in the frame
};
// 0; -2 without the frame sync; -1 for a header that cannot be used
// (reserved layer, bit-rate or sampling index, or a free-format frame).
int ParseMp3FrameHeader(const uint8_t* header, Mp3FrameHeader* out);

// Bytes delivered into `buffer` (up to `bytes`): -1 when not valid, 0 once
// ended.
int ReadWaveReader(WaveReader* reader, void* buffer, int32_t bytes);
// Refills the PCM buffer of a compression-manager reader. 0, or -1 at the end.
int ConvertAcmBlock(WaveReader* reader);
// Refills the PCM buffer of an Ogg Vorbis reader. 0, or -1 at the end.
int DecodeOggReader(WaveReader* reader);
// Seeks to sample frame `frame`. 0 or -1.
int SeekWaveReader(WaveReader* reader, int32_t frame);
int SeekAcmReader(WaveReader* reader, int32_t frame);
// Frees what the reader holds (never its stream). 0.
int CloseWaveReader(WaveReader* reader);
void GetWaveReaderFormat(const WaveReader* reader, WAVEFORMATEX* format);

// Decodes the whole sound into one new block (AllocTracked): 0, or -1.
int DecodeWaveReaderToMemory(WaveReader* reader, WAVEFORMATEX* format, void** data,
                             int32_t* bytes);

// Reads a whole file through the file layer into a new block. 0 or -1.
int ReadWholeFileToMemory(const char* path, void** data, int32_t* bytes);
// Reads a whole stream into a new block. 0 or -1.
int ReadWholeStreamToMemory(const StreamSource* stream, void** data, int32_t* bytes);
// Builds a RIFF WAVE file image: "RIFF", size, "WAVE", the "fmt " chunk of
// `format_bytes` bytes, the "data" chunk. 0 or -1.
int BuildWaveFileImage(void** image, int32_t* image_bytes, const void* format,
                       int32_t format_bytes, const void* pcm, int32_t pcm_bytes);
