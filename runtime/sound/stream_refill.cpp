// Stream refill: every frame each stream sound's ring is topped up from its
// sources. The first fill after a rewind writes 4 seconds from ring offset 0;
// later fills bring the data ahead of the play cursor back to 3 seconds when
// it is less, and otherwise add 1/8 second for as long as the cursor stays
// within the 4 seconds behind the write position. Sources switch and repeat
// as their repeat counts say, a looping sound goes back to its first source,
// and a sound that has run out is followed by silence and stopped once the
// play cursor passes the end of its data.
//
// Notation: A is the sound's average bytes per second, B its block align,
// R = 6 x A the ring size; "whole frames of x" is x rounded down to a
// multiple of B. Ring arithmetic is unsigned 32-bit.
#include <algorithm>
#include <cstring>

#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"

namespace {

// The lead the refill keeps, in 1/128 seconds: 3 seconds.
constexpr uint32_t kLeadTarget = 384;

// Source switches without a byte of data in between, within one fill, after
// which the sources are taken to hold nothing at all (more than any walk
// through three sources with finite repeats takes). Without this bound,
// looping over empty sources would never end.
constexpr int kMostEmptySwitches = 3 * 128 + 2;

uint32_t WholeFrames(uint32_t bytes, uint32_t block_align) {
  return block_align == 0 ? bytes : bytes / block_align * block_align;
}

// The written window: the cursor may be read from where the data is valid,
// the 4 seconds behind the write position.
bool CursorInWindow(const SoundHandleRecord* record, uint32_t cursor) {
  const int64_t write = record->writePosition;
  const int64_t guard = record->guardPosition;
  const int64_t c = cursor;
  if (write > guard) return guard <= c && c <= write;
  if (write < guard) return !(write < c && c < guard);
  return true;
}

// The ring offset just past the last byte written into the regions.
uint32_t DataEnd(const StreamLockRegions* regions) {
  if (regions->written1 < regions->bytes1) return regions->offset + regions->written1;
  return regions->written2;
}

void AdvancePositions(SoundHandleRecord* record, uint32_t bytes) {
  const int32_t average = static_cast<int32_t>(record->format.nAvgBytesPerSec);
  const int32_t ring = average * 6;
  record->writePosition += static_cast<int32_t>(bytes);
  if (record->writePosition >= ring) record->writePosition -= ring;
  record->guardPosition = record->writePosition - 4 * average;
  if (record->guardPosition < 0) record->guardPosition += ring;
}

int LockRegions(SoundBufferSlot* slot, uint32_t offset, uint32_t bytes,
                StreamLockRegions* regions) {
  std::memset(regions, 0, sizeof(*regions));
  regions->offset = offset;
  void* region1 = nullptr;
  void* region2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  if (bytes == 0 ||
      LockSlotBuffer(slot, offset, bytes, &region1, &bytes1, &region2, &bytes2) != 0) {
    return -1;
  }
  regions->region1 = static_cast<uint8_t*>(region1);
  regions->bytes1 = bytes1;
  regions->region2 = static_cast<uint8_t*>(region2);
  regions->bytes2 = region2 != nullptr ? bytes2 : 0;
  return 0;
}

void UnlockRegions(SoundBufferSlot* slot, const StreamLockRegions* regions) {
  UnlockSlotBuffer(slot, regions->region1, regions->bytes1, regions->region2, regions->bytes2);
}

// Free room of the regions: where the next byte goes and how many fit there.
uint8_t* NextRoom(StreamLockRegions* regions, uint32_t* room, uint32_t** written) {
  if (regions->written1 < regions->bytes1) {
    *room = regions->bytes1 - regions->written1;
    *written = &regions->written1;
    return regions->region1 + regions->written1;
  }
  if (regions->region2 != nullptr && regions->written2 < regions->bytes2) {
    *room = regions->bytes2 - regions->written2;
    *written = &regions->written2;
    return regions->region2 + regions->written2;
  }
  *room = 0;
  return nullptr;
}

// Whether the play cursor has passed the end of the data: it has moved on,
// around the ring, further from where it stood when the end was written than
// the end lies from there. Measured so, a cursor that passed the end and the
// ring's wrap between two refills is seen as well.
bool CursorPassedDataEnd(const SoundHandleRecord* record, uint32_t cursor, uint32_t ring) {
  const uint32_t mark = record->endCursorMark;
  const uint32_t to_cursor = (cursor + ring - mark) % ring;
  const uint32_t to_end = (record->endDataMark + ring - mark) % ring;
  return to_cursor > to_end;
}

// The end of the data: silence after it, and the marks by which the ending
// refills find the play cursor past it.
void MarkEnd(SoundHandleRecord* record, StreamLockRegions* regions, uint32_t cursor) {
  record->ending = 1;
  record->endDataMark = DataEnd(regions);
  record->endCursorMark = cursor;
  FillSoundRegionsWithSilence(
      record, regions, WholeFrames(record->format.nAvgBytesPerSec / 8, record->format.nBlockAlign));
}

}  // namespace

uint32_t CopyReaderToRegions(StreamLockRegions* regions, WaveReader* reader, uint32_t bytes) {
  uint32_t copied = 0;
  while (copied < bytes) {
    uint32_t room = 0;
    uint32_t* written = nullptr;
    uint8_t* at = NextRoom(regions, &room, &written);
    if (at == nullptr) break;
    const uint32_t want = std::min(room, bytes - copied);
    const int got = ReadWaveReader(reader, at, static_cast<int32_t>(want));
    if (got <= 0) break;
    *written += static_cast<uint32_t>(got);
    copied += static_cast<uint32_t>(got);
  }
  return copied;
}

void FillSoundRegionsWithSilence(const SoundHandleRecord* record, StreamLockRegions* regions,
                                 uint32_t bytes) {
  const uint8_t silence = record->format.wBitsPerSample == 8 ? 127 : 0;
  while (bytes > 0) {
    uint32_t room = 0;
    uint32_t* written = nullptr;
    uint8_t* at = NextRoom(regions, &room, &written);
    if (at == nullptr) break;
    const uint32_t take = std::min(room, bytes);
    std::memset(at, silence, take);
    *written += take;
    bytes -= take;
  }
}

int SwitchStreamSource(SoundHandleRecord* record, StreamLockRegions* regions, uint32_t cursor) {
  // A sound whose sources all ran out earlier (played again without going
  // back to its first source) stands past its last source.
  if (record->currentSource < record->sourceCount) {
    record->playsOfSource += 1;
    const StreamSourceEntry& source = record->sources[record->currentSource];
    const bool without_end = static_cast<uint8_t>(source.repeat) == 255;
    if (record->playsOfSource > source.repeat && !without_end) {
      record->playsOfSource = 0;
      record->currentSource += 1;
    }
  }
  if (record->currentSource >= record->sourceCount) {
    record->allSourcesPlayed = 1;
    if (record->playType != kPlayTypeLoop) {
      MarkEnd(record, regions, cursor);
      return -1;
    }
    record->loopRestartPending = 1;
    record->currentSource = 0;
    record->playsOfSource = 0;
    record->loopRestartOffset = DataEnd(regions);
  }
  StreamSourceEntry& source = record->sources[record->currentSource];
  const uint32_t block_align = record->format.nBlockAlign;
  record->sourcePosition =
      record->playsOfSource > 0 ? static_cast<int32_t>(block_align) * source.loopStartFrame : 0;
  SeekWaveReader(&source.reader,
                 block_align == 0 ? 0 : record->sourcePosition / static_cast<int32_t>(block_align));
  return 0;
}

int UpdateStreamPlayedBytes(int32_t handle, int64_t cursor) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind != kSoundKindStream) return 0;
  SoundBufferSlot* slot = nullptr;
  if (AcquireStreamBufferSlot(handle, record, &slot, 0) != 0 || record->prefilled != 1) return 0;
  uint32_t now = static_cast<uint32_t>(cursor);
  if (cursor == -1) {
    DWORD play = 0;
    if (slot->used == 0 || GetSlotBufferCursor(slot, &play) != 0) return -1;
    now = play;
  }
  const uint32_t last = record->lastCursor;
  if (now == last) return 0;
  const uint32_t ring = record->format.nAvgBytesPerSec * 6;
  const uint32_t restart = record->loopRestartOffset;
  bool counted = false;
  if (record->loopRestartPending == 1) {
    // The cursor passed the point where a loop went back to the first
    // source: count from there.
    if (last < now && last < restart && restart <= now) {
      record->playedBytes = static_cast<int32_t>(now - restart);
      counted = true;
    } else if (last >= now && restart > last) {
      record->playedBytes = static_cast<int32_t>(ring - restart + now);
      counted = true;
    } else if (last >= now && restart < now) {
      record->playedBytes = static_cast<int32_t>(now - restart);
      counted = true;
    }
    if (counted) record->loopRestartPending = 0;
  }
  if (!counted) {
    const uint32_t moved = now > last ? now - last : ring - last + now;
    record->playedBytes = static_cast<int32_t>(static_cast<uint32_t>(record->playedBytes) + moved);
  }
  record->lastCursor = now;
  return 0;
}

int RefillStreamSound(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind != kSoundKindStream) return 0;
  SoundBufferSlot* slot = nullptr;
  if (AcquireStreamBufferSlot(handle, record, &slot, 0) != 0) return 0;
  if (record->prefilled != 1 || slot->used == 0) return 0;

  UpdateStreamPlayedBytes(handle, -1);

  const uint32_t average = record->format.nAvgBytesPerSec;
  const uint32_t block_align = record->format.nBlockAlign;
  const uint32_t ring = average * 6;
  DWORD cursor = 0;

  if (record->ending == 1) {
    // The data has ended: stop once the cursor is past its end, and write
    // silence until then.
    if (GetSlotBufferCursor(slot, &cursor) != 0) return -1;
    if (CursorPassedDataEnd(record, cursor, ring)) {
      StopSlotBuffer(slot);
      record->ending = 0;
      return 0;
    }
    const uint32_t bytes = WholeFrames(average / 8, block_align);
    if (GetSlotBufferCursor(slot, &cursor) != 0) return -1;
    if (!CursorInWindow(record, cursor)) return -1;
    StreamLockRegions regions;
    if (LockRegions(slot, static_cast<uint32_t>(record->writePosition), bytes, &regions) != 0) {
      return -1;
    }
    FillSoundRegionsWithSilence(record, &regions, bytes);
    UnlockRegions(slot, &regions);
    AdvancePositions(record, bytes);
    return 0;
  }

  DWORD status = 0;
  if (GetSlotBufferStatus(slot, &status) != 0) return -1;
  const bool prefill = (status & DSBSTATUS_PLAYING) == 0;
  uint32_t bytes = 0;
  uint32_t offset = 0;
  if (prefill) {
    if (record->writePosition != kStreamNothingWritten) return 0;
    bytes = WholeFrames(4 * average, block_align);
  } else {
    bytes = WholeFrames(average / 8, block_align);
    if (GetSlotBufferCursor(slot, &cursor) != 0) return -1;
    if (!CursorInWindow(record, cursor)) return -1;
    uint32_t write = static_cast<uint32_t>(record->writePosition);
    uint32_t at = cursor;
    if (record->writePosition < record->guardPosition) {
      if (at < write) at += ring;
      write += ring;
    }
    const uint32_t lead = ((write - at) * 128) / average;
    if (lead < kLeadTarget) bytes = WholeFrames(((kLeadTarget - lead) * average) / 128, block_align);
    offset = static_cast<uint32_t>(record->writePosition);
  }

  StreamLockRegions regions;
  if (LockRegions(slot, offset, bytes, &regions) != 0) return -1;
  uint32_t left = bytes;
  int empty_switches = 0;
  while (left > 0 && record->ending == 0) {
    uint32_t copied = 0;
    if (record->currentSource < record->sourceCount) {
      copied = CopyReaderToRegions(&regions, &record->sources[record->currentSource].reader, left);
    }
    if (copied != 0) {
      record->sourcePosition += static_cast<int32_t>(copied);
      left -= copied;
      empty_switches = 0;
      continue;
    }
    if (++empty_switches > kMostEmptySwitches) {
      // Sources that give nothing however often they restart: silence.
      FillSoundRegionsWithSilence(record, &regions, left);
      break;
    }
    SwitchStreamSource(record, &regions, cursor);
  }
  UnlockRegions(slot, &regions);

  if (prefill) {
    record->guardPosition = 0;
    record->writePosition = static_cast<int32_t>(4 * average);
    return 0;
  }
  AdvancePositions(record, bytes);
  return 0;
}

int RewindStreamSound(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind != kSoundKindStream) return 0;
  SoundBufferSlot* slot = nullptr;
  if (AcquireStreamBufferSlot(handle, record, &slot, 0) != 0 || slot->used == 0) return 0;
  DWORD status = 0;
  if (GetSlotBufferStatus(slot, &status) != 0 || (status & DSBSTATUS_PLAYING) != 0) return 0;
  if (record->prefilled != 0) return 0;
  SetSlotBufferPosition(slot, 0);
  record->writePosition = kStreamNothingWritten;
  record->guardPosition = -1;
  record->ending = 0;
  if (record->currentSource < record->sourceCount && record->format.nBlockAlign != 0) {
    SeekWaveReader(&record->sources[record->currentSource].reader,
                   record->sourcePosition / record->format.nBlockAlign);
  }
  record->prefilled = 1;
  return RefillStreamSound(handle);
}

int RefillAllStreamSounds() {
  if (SoundSystem.directSound == nullptr) return -1;
  for (ListNode* node = SoundSystem.streamListStart.next;
       node != nullptr && node != &SoundSystem.streamListEnd;) {
    ListNode* next = node->next;
    RefillStreamSound(node->value);
    node = next;
  }
  return 0;
}
