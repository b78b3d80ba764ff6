// The structural check of standard MIDI file images.
#include "platform/win32/midi_file_check.h"

namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr uint32_t kHeaderBodyBytes = 6;
constexpr uint32_t kMaxFormat = 2;
// A division with its top bit set counts SMPTE frames, which is not played.
constexpr uint32_t kSmpteDivisionBit = 0x8000;
// A variable-length quantity has at most four bytes (28 bits).
constexpr int kMaxQuantityBytes = 4;

constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kSystemExclusive = 0xF0;
constexpr uint8_t kSystemExclusiveContinued = 0xF7;
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

// Meta events whose body has one fixed length.
struct FixedMeta {
  uint8_t type;
  uint32_t bytes;
};
constexpr FixedMeta kFixedMetaEvents[] = {
    {0x2F, 0},  // end of track
    {0x51, 3},  // tempo: microseconds per quarter note
    {0x54, 5},  // SMPTE offset
    {0x58, 4},  // time signature
    {0x59, 2},  // key signature
};
constexpr uint8_t kMetaTempo = 0x51;

uint32_t Big16(const uint8_t* at) { return static_cast<uint32_t>(at[0]) << 8 | at[1]; }
uint32_t Big32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}

bool IsId(const uint8_t* at, const char* id) {
  for (int i = 0; i < 4; ++i) {
    if (at[i] != static_cast<uint8_t>(id[i])) return false;
  }
  return true;
}

// Reads a variable-length quantity at `*at` (moved past it) within `size`.
bool ReadQuantity(const uint8_t* track, size_t size, size_t* at, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < kMaxQuantityBytes; ++i) {
    if (*at >= size) return false;
    const uint8_t byte = track[(*at)++];
    *value = (*value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

// The data bytes that follow a channel message's status.
size_t ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool MetaLengthFits(uint8_t type, uint32_t bytes) {
  for (const FixedMeta& meta : kFixedMetaEvents) {
    if (meta.type == type) return meta.bytes == bytes;
  }
  return true;
}

bool IsPlayableTrack(const uint8_t* track, size_t size) {
  size_t at = 0;
  uint64_t ticks = 0;
  uint8_t running = 0;  // no running status at a track's start
  for (;;) {
    uint32_t delta = 0;
    if (!ReadQuantity(track, size, &at, &delta)) return false;
    ticks += delta;
    if (ticks > kMidiFileMaxTrackTicks) return false;
    if (at >= size) return false;
    uint8_t status = track[at];
    if ((status & kStatusBit) != 0) {
      ++at;
    } else if (running != 0) {
      status = running;
    } else {
      return false;
    }
    if (status < kSystemExclusive) {
      running = status;
      const size_t count = ChannelDataBytes(status);
      if (size - at < count) return false;
      for (size_t i = 0; i < count; ++i) {
        if ((track[at + i] & kStatusBit) != 0) return false;
      }
      at += count;
      continue;
    }
    // System-exclusive and meta events cancel running status.
    running = 0;
    uint8_t meta_type = 0;
    if (status == kMetaEvent) {
      if (at >= size) return false;
      meta_type = track[at++];
    } else if (status != kSystemExclusive && status != kSystemExclusiveContinued) {
      return false;  // system common and real-time bytes have no place in a file
    }
    uint32_t bytes = 0;
    if (!ReadQuantity(track, size, &at, &bytes)) return false;
    if (size - at < bytes) return false;
    if (status == kMetaEvent) {
      if (!MetaLengthFits(meta_type, bytes)) return false;
      if (meta_type == kMetaTempo && Big16(track + at) == 0 && track[at + 2] == 0) return false;
      if (meta_type == kMetaEndOfTrack) return true;
    }
    at += bytes;
  }
}

}  // namespace

bool IsPlayableMidiFile(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kChunkHeaderBytes + kHeaderBodyBytes) return false;
  if (!IsId(data, "MThd") || Big32(data + 4) != kHeaderBodyBytes) return false;
  const uint32_t format = Big16(data + 8);
  const uint32_t tracks = Big16(data + 10);
  const uint32_t division = Big16(data + 12);
  if (format > kMaxFormat) return false;
  if (tracks == 0 || tracks > static_cast<uint32_t>(kMidiFileMaxTracks)) return false;
  if (division == 0 || (division & kSmpteDivisionBit) != 0) return false;

  size_t at = kChunkHeaderBytes + kHeaderBodyBytes;
  uint32_t found = 0;
  while (found < tracks) {
    if (size - at < kChunkHeaderBytes) return false;
    const uint8_t* chunk = data + at;
    const uint32_t bytes = Big32(chunk + 4);
    at += kChunkHeaderBytes;
    if (size - at < bytes) return false;
    // Chunks of other kinds are skipped, as readers of the format do.
    if (IsId(chunk, "MTrk")) {
      if (!IsPlayableTrack(data + at, bytes)) return false;
      ++found;
    }
    at += bytes;
  }
  return true;
}

std::vector<uint8_t> MidiFileTracks(const uint8_t* data, size_t size) {
  if (!IsPlayableMidiFile(data, size)) return {};
  const uint32_t tracks = Big16(data + 10);
  size_t at = kChunkHeaderBytes + kHeaderBodyBytes;
  std::vector<uint8_t> image(data, data + at);
  uint32_t found = 0;
  while (found < tracks) {
    const uint8_t* chunk = data + at;
    const size_t bytes = kChunkHeaderBytes + Big32(chunk + 4);
    if (IsId(chunk, "MTrk")) {
      image.insert(image.end(), chunk, chunk + bytes);
      ++found;
    }
    at += bytes;
  }
  return image;
}
