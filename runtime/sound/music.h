// Music: one piece at a time, played by file name. A file is first tried as
// MIDI through the MCI sequencer, from a temporary file, with a notification
// to the main window at its end so that a looping piece starts again. A file
// the sequencer does not take is loaded again as a stream sound that keeps
// the whole file image as its source, and played as a sound.
//
// Everything here runs under the library lock.
#pragma once

#include <cstdint>

#include "runtime/core/handle.h"

// The record of a music handle: a copy of the file image.
struct MusicHandleRecord {
  HandleRecordHead head;  // head.check_id is the handle's check id
  int32_t playing;
  int32_t stopped;
  void* data;  // the owned copy of the file image
  int32_t dataBytes;
  void* segment;       // unused, null
  uint32_t startTime;  // unused, 0
};

extern const HandleKindPolicy kMusicHandlePolicy;

// The record of a music handle, or null for a bad handle.
MusicHandleRecord* GetMusicRecord(int32_t handle);

// A new music handle, or -1.
int32_t AddMusicData();
// Reads a music file whole into a new music handle, or -1.
int32_t LoadMusicMem(const char* path);
// A new music handle holding a copy of the image, or -1.
int32_t CreateMusicFromMemory(const void* data, int32_t bytes);
// Plays a music handle through the sequencer. 0 or -1.
int PlayMidiMusic(int32_t handle, int32_t play_type);
// Called by the main window procedure for every MCI notification: a looping
// piece starts again, any other playing one is closed. 0.
int HandleMidiNotify();
// Stops a MIDI piece and removes its temporary file. 0 or -1.
int StopMidiMusic(int32_t handle);
// 1 while the sequencer plays, 0 when not, -1 for a bad handle.
int GetMusicPlayState(int32_t handle);
int DeleteMusicHandle(int32_t handle);
// Deletes every music handle.
void DeleteAllMusicHandles();
// The per-frame update of the music's play state (called by message
// processing). 0.
int UpdateMusicPlayState();

// Plays a music file (ApiPlayMusicFile): the current music is deleted first;
// the file plays as MIDI, or else as a stream sound. 0 or -1.
int PlayMusicFile(const char* path, int32_t play_type);
// Stops and deletes the current music (ApiStopMusic, and at library end). 0.
int StopCurrentMusic();
