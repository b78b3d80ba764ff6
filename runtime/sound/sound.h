// Sound handles: normal sounds, whose whole PCM sits in up to 10 sound
// buffers that can play at the same time, and stream sounds, which play
// through one 6-second ring buffer refilled every frame from up to three
// sources. Loading, making from a file image, the buffer slots, deleting,
// playing, stopping and asking, and the sound system's start and end.
//
// Everything here runs under the library lock.
#pragma once

#include <cstdint>

#include "platform/win32/dsound.h"
#include "platform/win32/kernel.h"
#include "runtime/core/file_access.h"
#include "runtime/core/handle.h"
#include "runtime/core/linked_list.h"
#include "runtime/sound/wave_reader.h"

constexpr int32_t kMaxSoundBuffers = 10;
constexpr int32_t kMaxStreamSources = 3;

constexpr int32_t kSoundKindNormal = 0;
constexpr int32_t kSoundKindStream = 1;

// Play types.
constexpr int32_t kPlayTypeWait = 0;    // play and wait until the sound ends
constexpr int32_t kPlayTypeBack = 1;    // play and return at once
constexpr int32_t kPlayTypeLoop = 3;    // play looped and return at once

// Buffer flags of normal sounds (static, pan, volume, frequency control,
// global focus; the fallback without frequency control and global focus), of
// stream rings (as normal sounds, with the precise play cursor) and of the
// silence buffer (static, global focus).
constexpr DWORD kNormalBufferFlags = 0x80E2;
constexpr DWORD kNormalBufferFallbackFlags = 0xC2;
constexpr DWORD kStreamBufferFlags = 0x180E2;
constexpr DWORD kSilenceBufferFlags = 0x8002;

struct SoundBufferSlot {
  int32_t used;  // 1 once a buffer was made
  IDirectSoundBuffer* buffer;
};

// One source of a stream sound.
struct StreamSourceEntry {
  int8_t repeat;  // extra plays after the first; -1 (byte 255) without end
  int32_t kind;   // 0 decoded to a WAV image, 2 the file image, 3 the caller's stream
  void* data;     // the block the source owns (kinds 0 and 2)
  int32_t dataBytes;
  StreamSource stream;  // a memory stream over `data` (kinds 0 and 2)
  int32_t loopStartFrame;
  WaveReader reader;
};

struct SoundHandleRecord {
  HandleRecordHead head;  // head.check_id is the handle's check id
  SoundBufferSlot slots[kMaxSoundBuffers];
  WAVEFORMATEX format;  // of the PCM
  int32_t kind;         // kSoundKindNormal or kSoundKindStream
  int32_t playType;     // of the last play
  uint32_t startTime;   // timeGetTime at the last start
  // Stream sounds.
  int32_t bufferHost;     // the stream sound whose ring this one plays through, -1: own
  int32_t sharers;        // stream sounds playing through this one's ring
  int32_t currentUser;    // the stream sound holding this ring now, -1: none
  int32_t deletePending;  // 1 once deleted while sharers was not 0
  int32_t ringBytes;
  int32_t writePosition;  // -800: nothing written since the last rewind
  int32_t guardPosition;
  StreamSourceEntry sources[kMaxStreamSources + 1];
  uint8_t closeSourceStream[kMaxStreamSources + 1];
  int32_t sourceCount;
  int32_t currentSource;
  int32_t playsOfSource;
  int32_t sourcePosition;
  int32_t playedBytes;
  uint32_t lastCursor;
  uint8_t prefilled;
  uint8_t ending;
  uint8_t loopRestartPending;
  uint8_t allSourcesPlayed;
  uint32_t endDataMark;
  uint32_t endCursorMark;
  uint32_t loopRestartOffset;
  ListNode listNode;  // in the stream sound list
  // Normal sounds: the decoded PCM (owned).
  int32_t pcmBytes;
  void* pcmData;
  int32_t slotCount;  // slots made, 1 to 10 (1 for a stream sound)
  int32_t lastSlot;   // the slot of the last play; slots are used in turn
};

// The sound layer's settings and start-time objects.
struct SoundSystemGlobals {
  IDirectSound* directSound;  // null: no sound; every operation gives -1
  IDirectSoundBuffer* primaryBuffer;
  IDirectSoundBuffer* silenceBuffer;
  ListNode streamListStart;
  ListNode streamListEnd;
  // 0: files load as normal sounds; otherwise as stream sounds whose sources
  // take this value as their kind.
  int32_t createMode;
  int32_t oggBytesPerSample;  // 2
  // Music.
  int32_t currentMusic;      // handle, 0 for none
  int32_t currentMusicKind;  // 0 music handle, 1 sound handle
  uint32_t mciDeviceId;
  int32_t mciPlaying;
  int32_t midiLoop;
  int32_t mciHolder;
  int32_t midiTempFileExists;
  char midiTempFilePath[MAX_PATH];
};

extern SoundSystemGlobals SoundSystem;

// The record of a sound handle, or null for a bad handle.
SoundHandleRecord* GetSoundRecord(int32_t handle);

// ---- Handles --------------------------------------------------------------------

// A new handle (`slot` -1: the registry chooses), or -1.
int32_t AddSoundData(int32_t slot);
// Loads a sound file: a handle or -1.
int32_t LoadSoundFile(const char* path, int32_t buffer_count, int32_t share_with);
// Makes a sound from a file image in memory: a handle or -1.
int32_t CreateSoundFromMemory(const void* data, int32_t bytes, int32_t buffer_count,
                              int32_t share_with);
// Makes the sound's platform buffers. 0, or -1 without DirectSound or for a
// bad handle; a buffer that cannot be made ends the program.
int CreateSoundBuffers(const WAVEFORMATEX* format, int32_t bytes, int32_t kind,
                       int32_t buffer_count, int32_t handle);
int DeleteSoundHandle(int32_t handle, int32_t flag);
void DeleteAllSoundHandles(int32_t flag);

// ---- Buffer slots: each 0, or -1 when the platform call fails -------------------

int CreateSlotBuffer(SoundBufferSlot* slot, const DSBUFFERDESC* description);
int DuplicateSlotBuffer(SoundBufferSlot* slot, const SoundBufferSlot* original);
int ReleaseSlotBuffer(SoundBufferSlot* slot);
int PlaySlotBuffer(SoundBufferSlot* slot, int loop);
int StopSlotBuffer(SoundBufferSlot* slot);
// `status` gets the buffer's status (bit 0: playing).
int GetSlotBufferStatus(SoundBufferSlot* slot, DWORD* status);
int LockSlotBuffer(SoundBufferSlot* slot, DWORD offset, DWORD bytes, void** region1,
                   DWORD* bytes1, void** region2, DWORD* bytes2);
int UnlockSlotBuffer(SoundBufferSlot* slot, void* region1, DWORD bytes1, void* region2,
                     DWORD bytes2);
int SetSlotBufferPosition(SoundBufferSlot* slot, DWORD offset);
int GetSlotBufferCursor(SoundBufferSlot* slot, DWORD* play_cursor);

// ---- Playing ----------------------------------------------------------------------

int PlaySoundHandle(int32_t handle, int32_t play_type, int32_t from_top);
int PlayStreamSound(int32_t handle, int32_t play_type, int32_t from_top);
int StopSoundHandle(int32_t handle);
// 1 playing, 0 not, -1 without DirectSound or for a bad handle.
int IsSoundHandlePlaying(int32_t handle);

// ---- The sound system -------------------------------------------------------------

// Starts DirectSound. 0, or -1 (the program then runs without sound).
int InitSoundSystem();
// Ends it. 0, or -1 when it was not started.
int EndSoundSystem();
// Logs one output device; 1 (go on).
BOOL LogSoundDeviceEntry(GUID* guid, LPCSTR description, LPCSTR module, LPVOID context);
