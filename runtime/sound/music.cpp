// Music handles, the MIDI sequencer road and the stream-sound road of music
// files.
#include "runtime/sound/music.h"

#include <cstring>
#include <type_traits>

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"

static_assert(std::is_standard_layout_v<MusicHandleRecord>,
              "a registry record starts with its HandleRecordHead");

const HandleKindPolicy kMusicHandlePolicy = {
    false,
    "ミュージックデータの数が許容量を越えました終了します",
    false,
    "メモリ領域の確保に失敗しました in AddMusicData",
    false,
};

namespace {

constexpr int32_t kMusicKindMidi = 0;
constexpr int32_t kMusicKindSound = 1;

// Times StopMidiMusic runs message processing, so the device's last
// notification is taken.
constexpr int kStopMessagePasses = 5;

// Removes the temporary MIDI file of the last play, when there is one.
void DeleteMidiTempFile() {
  if (SoundSystem.midiTempFileExists == 0) return;
  DeleteFileA(SoundSystem.midiTempFilePath);
  SoundSystem.midiTempFileExists = 0;
}

// Writes the piece into a new temporary file, whose path is kept. 0 or -1
// (no file is left behind then).
int WriteMidiTempFile(const MusicHandleRecord* record) {
  HANDLE file = CreateTempFile(SoundSystem.midiTempFilePath);
  if (file == nullptr) return -1;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, record->data, static_cast<DWORD>(record->dataBytes),
                               &written, nullptr);
  CloseHandle(file);
  if (!wrote || written != static_cast<DWORD>(record->dataBytes)) {
    DeleteFileA(SoundSystem.midiTempFilePath);
    return -1;
  }
  return 0;
}

void CloseMciDevice() {
  MCI_GENERIC_PARMS close = {};
  mciSendCommandA(SoundSystem.mciDeviceId, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&close));
}

}  // namespace

MusicHandleRecord* GetMusicRecord(int32_t handle) {
  return reinterpret_cast<MusicHandleRecord*>(CheckRuntimeHandle(MusicHandleTable, handle));
}

int32_t AddMusicData() {
  return AddHandleRecord(&MusicHandleTable, kMusicHandlePolicy, sizeof(MusicHandleRecord), -1);
}

int32_t LoadMusicMem(const char* path) {
  const intptr_t file = FileOpenThunk(path, 0, 1, 0);
  if (file == 0) {
    LogPrintf("ミュージックファイル %s の読み込みに失敗しました in LoadMusicMem", path);
    return -1;
  }
  FileSeekThunk(file, 0, 2);
  const int64_t size = FileTellThunk(file);
  FileSeekThunk(file, 0, 0);
  void* image = nullptr;
  if (size >= 0 && size < INT32_MAX) {
    image = AllocTracked(static_cast<size_t>(size > 0 ? size : 1), __FILE__, __LINE__);
  }
  if (image == nullptr) {
    LogPrintf("ミュージックファイル %s を読み込むメモリ領域の確保に失敗しました in LoadMusicMem",
              path);
    FileCloseThunk(file);
    return -1;
  }
  const size_t got = FileReadThunk(image, 1, static_cast<size_t>(size), file);
  FileCloseThunk(file);
  const int32_t handle =
      CreateMusicFromMemory(image, static_cast<int32_t>(got < static_cast<size_t>(size) ? got : size));
  FreeTracked(image);
  return handle;
}

int32_t CreateMusicFromMemory(const void* data, int32_t bytes) {
  const int32_t handle = AddMusicData();
  if (handle == -1) return -1;
  MusicHandleRecord* record = GetMusicRecord(handle);
  record->data = bytes >= 0 ? AllocTracked(static_cast<size_t>(bytes > 0 ? bytes : 1), __FILE__,
                                           __LINE__)
                            : nullptr;
  if (record->data == nullptr) {
    LogAdd("ミュージックデータを一時的に保存しておくメモリ領域の確保に失敗しました\n");
    DeleteMusicHandle(handle);
    return -1;
  }
  if (bytes > 0) std::memcpy(record->data, data, static_cast<size_t>(bytes));
  record->dataBytes = bytes;
  record->playing = 0;
  return handle;
}

int PlayMidiMusic(int32_t handle, int32_t play_type) {
  if (SoundSystem.directSound == nullptr) return -1;
  MusicHandleRecord* record = GetMusicRecord(handle);
  if (record == nullptr) return -1;
  StopMidiMusic(SoundSystem.mciHolder);

  // The sequencer plays from a file: the piece goes into a new temporary one.
  DeleteMidiTempFile();
  if (WriteMidiTempFile(record) != 0) return -1;

  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "sequencer";
  open.lpstrElementName = SoundSystem.midiTempFilePath;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                      reinterpret_cast<DWORD_PTR>(&open)) != 0) {
    DeleteFileA(SoundSystem.midiTempFilePath);
    return -1;
  }
  SoundSystem.mciDeviceId = open.wDeviceID;

  // Only the MIDI mapper is taken as the sequencer's port. Every refusal
  // removes the temporary file: nothing will play it.
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_SEQ_STATUS_PORT;
  if (mciSendCommandA(SoundSystem.mciDeviceId, MCI_STATUS, MCI_STATUS_ITEM,
                      reinterpret_cast<DWORD_PTR>(&status)) != 0) {
    CloseMciDevice();
    LogAdd("ＭＩＤＩ演奏開始処理でエラーが起きました１\n");
    DeleteFileA(SoundSystem.midiTempFilePath);
    return -1;
  }
  if (status.dwReturn < MCI_SEQ_MAPPER) {
    CloseMciDevice();
    LogAdd("ＭＩＤＩ演奏開始処理でエラーが起きました２\n");
    DeleteFileA(SoundSystem.midiTempFilePath);
    return -1;
  }

  MCI_PLAY_PARMS play = {};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(MainWindow.window);
  if (mciSendCommandA(SoundSystem.mciDeviceId, MCI_PLAY, MCI_NOTIFY,
                      reinterpret_cast<DWORD_PTR>(&play)) != 0) {
    CloseMciDevice();
    LogAdd("ＭＩＤＩ演奏に失敗しました\n");
    DeleteFileA(SoundSystem.midiTempFilePath);
    return -1;
  }

  SoundSystem.midiTempFileExists = 1;
  SoundSystem.mciPlaying = 1;
  SoundSystem.mciHolder = handle;
  SoundSystem.midiLoop = play_type == kPlayTypeLoop ? 1 : 0;
  record->playing = 1;
  record->stopped = 0;

  if (play_type == kPlayTypeWait) {
    while (UpperProcessMessage() == 0 && GetMusicPlayState(handle) == 1) {
    }
    DeleteMidiTempFile();
  }
  return 0;
}

int HandleMidiNotify() {
  if (SoundSystem.midiLoop != 0) {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(MainWindow.window);
    play.dwFrom = 0;
    mciSendCommandA(SoundSystem.mciDeviceId, MCI_PLAY, MCI_NOTIFY | MCI_FROM,
                    reinterpret_cast<DWORD_PTR>(&play));
    SoundSystem.mciPlaying = 1;
  } else if (SoundSystem.mciPlaying != 0) {
    CloseMciDevice();
    SoundSystem.mciPlaying = 0;
  }
  return 0;
}

int StopMidiMusic(int32_t handle) {
  MusicHandleRecord* record = GetMusicRecord(handle);
  if (record == nullptr) return -1;
  SoundSystem.midiLoop = 0;
  HandleMidiNotify();
  for (int i = 0; i < kStopMessagePasses; ++i) UpperProcessMessage();
  DeleteMidiTempFile();
  record->playing = 0;
  record->stopped = 0;
  return 0;
}

int GetMusicPlayState(int32_t handle) {
  if (GetMusicRecord(handle) == nullptr) return -1;
  return SoundSystem.mciPlaying;
}

int DeleteMusicHandle(int32_t handle) {
  return DeleteHandleRecord(&MusicHandleTable, handle, [handle](HandleRecordHead* head) {
    auto* record = reinterpret_cast<MusicHandleRecord*>(head);
    if (GetMusicPlayState(handle) == 1) StopMidiMusic(handle);
    if (record->data != nullptr) {
      std::memset(record->data, 0, static_cast<size_t>(record->dataBytes));
      FreeTracked(record->data);
    }
    record->data = nullptr;
    record->dataBytes = 0;
    return HandleRelease::kFree;
  });
}

void DeleteAllMusicHandles() {
  DeleteAllHandleRecords(&MusicHandleTable, [](RuntimeHandle handle) { DeleteMusicHandle(handle); });
}

int UpdateMusicPlayState() { return 0; }

int PlayMusicFile(const char* path, int32_t play_type) {
  // One piece at a time: the current one goes first.
  if (SoundSystem.currentMusic != 0) {
    if (SoundSystem.currentMusicKind == kMusicKindMidi) {
      DeleteMusicHandle(SoundSystem.currentMusic);
    } else {
      DeleteSoundHandle(SoundSystem.currentMusic, 0);
    }
    SoundSystem.currentMusic = 0;
  }
  const int32_t music = LoadMusicMem(path);
  if (music == -1) {
    SoundSystem.currentMusic = 0;
    return -1;
  }
  SoundSystem.currentMusic = music;
  SoundSystem.currentMusicKind = kMusicKindMidi;
  if (PlayMidiMusic(music, play_type) == 0) return 0;

  // Not a piece the sequencer takes: the file is read again, whole, into a
  // stream sound that keeps its image, and played as a sound.
  DeleteMusicHandle(music);
  SoundSystem.currentMusic = 0;
  const int32_t previous_mode = SoundSystem.createMode;
  SoundSystem.createMode = kStreamSourceImage;
  const int32_t sound = LoadSoundFile(path, 1, -1);
  SoundSystem.createMode = previous_mode;
  if (sound == -1) return -1;
  PlaySoundHandle(sound, play_type, 1);
  SoundSystem.currentMusic = sound;
  SoundSystem.currentMusicKind = kMusicKindSound;
  return 0;
}

int StopCurrentMusic() {
  if (SoundSystem.currentMusic == 0) return 0;
  if (SoundSystem.currentMusicKind == kMusicKindSound) {
    StopSoundHandle(SoundSystem.currentMusic);
    DeleteSoundHandle(SoundSystem.currentMusic, 0);
  } else {
    StopMidiMusic(SoundSystem.currentMusic);
    DeleteMusicHandle(SoundSystem.currentMusic);
  }
  SoundSystem.currentMusic = 0;
  return 0;
}
