// Stream sounds: sounds played from up to three sources, one after another,
// through one 6-second ring buffer that message processing tops up every
// frame. Several stream sounds of the same format may play through one ring,
// one at a time.
//
// Everything here runs under the library lock.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/core/file_access.h"

struct SoundHandleRecord;
struct SoundBufferSlot;
struct WaveReader;

// Source kinds.
constexpr int32_t kStreamSourceDecoded = 0;  // decoded once, kept as a WAV image
constexpr int32_t kStreamSourceImage = 2;    // the whole file image kept in memory
constexpr int32_t kStreamSourceDirect = 3;   // read straight from the caller's stream

// writePosition after a rewind, before anything was written.
constexpr int32_t kStreamNothingWritten = -800;

// ---- Sources and buffer sharing ------------------------------------------------

// Adds a source read from `stream` to the sound `handle` (made a stream sound
// by its first source); `copied` gets 1 when the source keeps its own copy of
// the data. `repeat` is how many extra times the source plays (-1: without
// end). `share_with` names a stream sound whose ring this one may play
// through. 0 or -1. (The name is spelt so.)
int AddSreamSound(const StreamSource* stream, int32_t repeat, int32_t handle,
                  int32_t source_kind, int32_t* copied, int32_t share_with);
// The same for a file (opened through the file layer) and for a file image in
// memory (always copied). 0 or -1.
int AddStreamSoundFile(const char* path, int32_t repeat, int32_t handle, int32_t source_kind,
                       int32_t share_with);
int AddStreamSoundMemory(const void* data, int32_t bytes, int32_t repeat, int32_t handle,
                         int32_t source_kind, int32_t share_with);
// The buffer slot the sound plays through (a stream sound: its ring host's
// slot 0, taken for this sound; `force` stops another holder). 0, or -1 when
// another stream sound holds the ring and `force` is 0, or for a ring host
// that is gone.
int AcquireStreamBufferSlot(int32_t handle, SoundHandleRecord* record, SoundBufferSlot** slot,
                            int32_t force);
// Stops a stream sound that holds its ring. 0 or -1.
int StopStreamSound(int32_t handle);
// 1 playing, 0 not (or another stream sound holds the shared ring), -1 for a
// bad handle.
int IsStreamSoundPlaying(int32_t handle);

// ---- Refill ----------------------------------------------------------------------

// One locked range of a ring: the two regions Lock gives (the second starts
// at ring offset 0 when the range wraps) and what was written into each.
struct StreamLockRegions {
  uint32_t offset;
  uint8_t* region1;
  uint32_t bytes1;
  uint8_t* region2;
  uint32_t bytes2;
  uint32_t written1;
  uint32_t written2;
};

// Refills every stream sound's ring, in list order. 0, or -1 without
// DirectSound.
int RefillAllStreamSounds();
// Tops up one stream sound's ring: the 4-second prefill after a rewind, then
// whatever brings the lead back to 3 seconds, or 1/8 second. 0; -1 without
// DirectSound, for a bad handle, or when the play cursor is outside the
// written window (nothing is written then).
int RefillStreamSound(int32_t handle);
// Moves on to the next play of the current source, the next source, the
// first source again (looping) or the end (silence). 0, or -1 at the end.
int SwitchStreamSource(SoundHandleRecord* record, StreamLockRegions* regions, uint32_t cursor);
// Copies up to `bytes` of decoded PCM into the regions' free room; the bytes
// copied (0 once the reader has nothing more).
uint32_t CopyReaderToRegions(StreamLockRegions* regions, WaveReader* reader, uint32_t bytes);
// Writes up to `bytes` of silence into the regions' free room.
void FillSoundRegionsWithSilence(const SoundHandleRecord* record, StreamLockRegions* regions,
                                 uint32_t bytes);
// Brings playedBytes up to the play cursor (`cursor`, or the buffer's own
// when -1). 0 or -1.
int UpdateStreamPlayedBytes(int32_t handle, int64_t cursor);
// Rewinds a stopped, not yet prefilled stream sound and writes its first
// 4 seconds. 0 or -1.
int RewindStreamSound(int32_t handle);
