// Stream sounds: sounds played from their sources through a ring buffer that
// message processing tops up every frame.
#pragma once

#include <cstdint>

#include "runtime/core/file_access.h"

struct SoundHandleRecord;
struct SoundBufferSlot;

// Refills every stream sound's ring buffer. 0, or -1 without DirectSound.
int RefillAllStreamSounds();

// Adds a source read from `stream` to the sound `handle` (made a stream sound
// by its first source); `copied` gets 1 when the source keeps its own copy of
// the data. 0 or -1.
int AddSreamSound(const StreamSource* stream, int32_t repeat, int32_t handle,
                  int32_t source_kind, int32_t* copied, int32_t share_with);
// The same for a file (opened through the file layer) and for a file image in
// memory. 0 or -1.
int AddStreamSoundFile(const char* path, int32_t repeat, int32_t handle, int32_t source_kind,
                       int32_t share_with);
int AddStreamSoundMemory(const void* data, int32_t bytes, int32_t repeat, int32_t handle,
                         int32_t source_kind, int32_t share_with);
// The buffer slot the sound plays through (a stream sound: its ring host's
// slot 0, taken for this sound; `force` stops another holder). 0 or -1.
int AcquireStreamBufferSlot(int32_t handle, SoundHandleRecord* record, SoundBufferSlot** slot,
                            int32_t force);
// Stops a stream sound that holds its ring. 0 or -1.
int StopStreamSound(int32_t handle);
// 1 playing, 0 not (or another stream sound holds the shared ring), -1 for a
// bad handle.
int IsStreamSoundPlaying(int32_t handle);
// Rewinds a stopped, not yet prefilled stream sound and writes its first
// 4 seconds. 0 or -1.
int RewindStreamSound(int32_t handle);
