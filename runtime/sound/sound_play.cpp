// Playing, stopping and asking: normal sounds take their buffer slots in
// turn, so one effect can sound several times at once; stream sounds restart
// or resume their sources.
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/upper_layers.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"

int PlaySoundHandle(int32_t handle, int32_t play_type, int32_t from_top) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundKindStream) return PlayStreamSound(handle, play_type, from_top);
  if (record->slotCount <= 0) return -1;

  // Where the slot used last is playing now: a sound that is not started
  // from the top starts there.
  DWORD last_cursor = 0;
  if (record->slots[record->lastSlot].used != 0) {
    GetSlotBufferCursor(&record->slots[record->lastSlot], &last_cursor);
  }
  record->lastSlot = record->lastSlot + 1 >= record->slotCount ? 0 : record->lastSlot + 1;
  SoundBufferSlot* slot = &record->slots[record->lastSlot];
  DWORD status = 0;
  if (GetSlotBufferStatus(slot, &status) != 0) return -1;
  if ((status & DSBSTATUS_PLAYING) != 0) {
    if (from_top == 0) return 0;
    StopSlotBuffer(slot);
  }
  SetSlotBufferPosition(slot, from_top == 1 ? 0 : last_cursor);
  if (PlaySlotBuffer(slot, play_type == kPlayTypeLoop) != 0) return -1;
  record->startTime = timeGetTime();
  if (play_type != kPlayTypeWait) return 0;

  // Wait for the end, running the message pass. The wait also ends once the
  // sound's whole length (and a second more) has passed on the clock, so an
  // output that stopped pulling cannot hold the program here for ever.
  const uint32_t block_align = record->format.nBlockAlign != 0 ? record->format.nBlockAlign : 1;
  const uint32_t rate = record->format.nSamplesPerSec != 0 ? record->format.nSamplesPerSec : 1;
  const uint64_t length_ms =
      static_cast<uint64_t>(record->pcmBytes) / block_align * 1000 / rate + 1000;
  for (;;) {
    if (IsSoundHandlePlaying(handle) != 1) break;
    if (static_cast<uint32_t>(timeGetTime() - record->startTime) > length_ms) break;
    Sleep(1);
    if (UpperProcessMessage() != 0) break;
    record = GetSoundRecord(handle);
    if (record == nullptr) break;
  }
  return 0;
}

int PlayStreamSound(int32_t handle, int32_t play_type, int32_t from_top) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  // Take the ring, stopping another stream sound that held it.
  SoundBufferSlot* slot = nullptr;
  AcquireStreamBufferSlot(handle, record, &slot, 1);
  if (from_top == 0 && IsStreamSoundPlaying(handle) == 1) return 0;
  StopStreamSound(handle);
  auto reset_sources = [record] {
    record->allSourcesPlayed = 0;
    record->sourcePosition = 0;
    record->playedBytes = 0;
    record->loopRestartPending = 0;
    record->playsOfSource = 0;
    record->currentSource = 0;
    record->prefilled = 0;
  };
  if (record->playType != play_type && ((record->playType ^ play_type) & 2) != 0 &&
      record->allSourcesPlayed == 1) {
    reset_sources();
  }
  if (from_top == 1) {
    record->allSourcesPlayed = 0;
    if (record->playedBytes != 0) reset_sources();
  }
  record->playType = play_type;
  RewindStreamSound(handle);
  if (slot == nullptr || slot->used == 0) return -1;
  // The ring always loops; the refill finds the end of a sound played once.
  if (PlaySlotBuffer(slot, 1) != 0) return -1;
  record->startTime = timeGetTime();
  if (play_type == kPlayTypeWait) {
    while (UpperProcessMessage() == 0 && IsSoundHandlePlaying(handle) == 1) {
    }
  }
  return 0;
}

int StopSoundHandle(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundKindStream) return StopStreamSound(handle);
  for (int32_t i = 0; i < record->slotCount; ++i) {
    DWORD status = 0;
    if (GetSlotBufferStatus(&record->slots[i], &status) != 0) return -1;
    if ((status & DSBSTATUS_PLAYING) != 0) StopSlotBuffer(&record->slots[i]);
  }
  return 0;
}

int IsSoundHandlePlaying(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundKindStream) return IsStreamSoundPlaying(handle);
  for (int32_t i = 0; i < record->slotCount; ++i) {
    DWORD status = 0;
    if (GetSlotBufferStatus(&record->slots[i], &status) == 0 &&
        (status & DSBSTATUS_PLAYING) != 0) {
      return 1;
    }
  }
  return 0;
}
