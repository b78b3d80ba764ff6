// Sound handles: the records, loading, making from a file image, the buffer
// slots over the platform's sound buffers, and deleting.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"

static_assert(std::is_standard_layout_v<SoundHandleRecord>,
              "a registry record starts with its HandleRecordHead");

SoundHandleRecord* GetSoundRecord(int32_t handle) {
  return reinterpret_cast<SoundHandleRecord*>(CheckRuntimeHandle(SoundHandleTable, handle));
}

int32_t AddSoundData(int32_t slot) {
  return AddHandleRecord(&SoundHandleTable, kSoundHandlePolicy, sizeof(SoundHandleRecord), slot);
}

int32_t LoadSoundFile(const char* path, int32_t buffer_count, int32_t share_with) {
  // Without a sound device nothing is loaded, and nothing is said about it.
  if (SoundSystem.directSound == nullptr) return -1;
  if (SoundSystem.createMode != 0) {
    const int32_t handle = AddSoundData(-1);
    if (handle == -1) return -1;
    if (AddStreamSoundFile(path, 0, handle, SoundSystem.createMode, share_with) != 0) {
      DeleteSoundHandle(handle, 0);
      return -1;
    }
    RewindStreamSound(handle);
    return handle;
  }
  void* image = nullptr;
  int32_t image_bytes = 0;
  if (ReadWholeFileToMemory(path, &image, &image_bytes) != 0) {
    LogPrintf("右記の音声ファイルのロードに失敗しました_1：%s", path);
    return -1;
  }
  const int32_t handle =
      CreateSoundFromMemory(image, image_bytes, std::min(buffer_count, kMaxSoundBuffers), -1);
  FreeTracked(image);
  if (handle == -1) {
    LogPrintf("右記の音声ファイルのロードに失敗しました_2：%s", path);
    return -1;
  }
  return handle;
}

int32_t CreateSoundFromMemory(const void* data, int32_t bytes, int32_t buffer_count,
                              int32_t share_with) {
  if (SoundSystem.directSound == nullptr || buffer_count > kMaxSoundBuffers) return -1;
  const int32_t handle = AddSoundData(-1);
  if (handle == -1) return -1;
  if (SoundSystem.createMode != 0) {
    if (AddStreamSoundMemory(data, bytes, 0, handle, SoundSystem.createMode, share_with) != 0) {
      DeleteSoundHandle(handle, 0);
      return -1;
    }
    RewindStreamSound(handle);
    return handle;
  }

  const intptr_t memory = OpenMemoryStream(data, static_cast<uint32_t>(std::max(bytes, 0)));
  StreamSource stream = {*GetMemoryStreamFunctions(), memory};
  WaveReader reader;
  if (memory == 0 || OpenWaveReader(&stream, &reader) != 0) {
    if (memory != 0) CloseMemoryStream(memory);
    LogAdd("音声ファイルのＰＣＭへの変換に失敗しました");
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  WAVEFORMATEX format;
  void* pcm = nullptr;
  int32_t pcm_bytes = 0;
  const int decoded = DecodeWaveReaderToMemory(&reader, &format, &pcm, &pcm_bytes);
  CloseWaveReader(&reader);
  CloseMemoryStream(memory);
  if (decoded != 0) {
    LogAdd("音声ファイルを格納するメモリ領域の確保に失敗しました");
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  // A file that decodes to less than one sample frame has nothing to play
  // (and no sound buffer can be that small).
  if (pcm_bytes < std::max<int32_t>(format.nBlockAlign, DSBSIZE_MIN)) {
    FreeTracked(pcm);
    LogAdd("音声ファイルのＰＣＭへの変換に失敗しました");
    DeleteSoundHandle(handle, 0);
    return -1;
  }

  SoundHandleRecord* record = GetSoundRecord(handle);
  CreateSoundBuffers(&format, pcm_bytes, kSoundKindNormal, buffer_count, handle);
  record->format = format;
  record->pcmBytes = pcm_bytes;
  record->pcmData = pcm;
  for (int32_t i = 0; i < record->slotCount; ++i) {
    void* region1 = nullptr;
    void* region2 = nullptr;
    DWORD bytes1 = 0;
    DWORD bytes2 = 0;
    if (LockSlotBuffer(&record->slots[i], 0, static_cast<DWORD>(pcm_bytes), &region1, &bytes1,
                       &region2, &bytes2) != 0) {
      LogAdd("サウンドデータの転送に失敗しました_1");
      DeleteSoundHandle(handle, 0);
      return -1;
    }
    std::memcpy(region1, pcm, bytes1);
    if (region2 != nullptr) std::memcpy(region2, static_cast<uint8_t*>(pcm) + bytes1, bytes2);
    if (UnlockSlotBuffer(&record->slots[i], region1, bytes1, region2, bytes2) != 0) {
      LogAdd("サウンドデータの転送に失敗しました_2");
      DeleteSoundHandle(handle, 0);
      return -1;
    }
  }
  return handle;
}

int CreateSoundBuffers(const WAVEFORMATEX* format, int32_t bytes, int32_t kind,
                       int32_t buffer_count, int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  WAVEFORMATEX buffer_format = *format;
  DSBUFFERDESC description;
  std::memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  description.lpwfxFormat = &buffer_format;
  if (kind == kSoundKindNormal) {
    description.dwFlags = kNormalBufferFlags;
    description.dwBufferBytes = static_cast<DWORD>(bytes);
    if (CreateSlotBuffer(&record->slots[0], &description) != 0) {
      description.dwFlags = kNormalBufferFallbackFlags;
      if (CreateSlotBuffer(&record->slots[0], &description) != 0) {
        FatalExit("DirectSoundBuffer の作成に失敗しました");
      }
    }
    int32_t made = 1;
    for (; made < buffer_count; ++made) {
      if (DuplicateSlotBuffer(&record->slots[made], &record->slots[0]) != 0) break;
    }
    record->slotCount = made;
  } else {
    description.dwFlags = kStreamBufferFlags;
    description.dwBufferBytes = format->nAvgBytesPerSec * 6;
    if (CreateSlotBuffer(&record->slots[0], &description) != 0) {
      FatalExit("ストリーム風サウンドバッファの作成に失敗しました");
    }
    record->slotCount = 1;
    AppendListNode(&SoundSystem.streamListEnd, &record->listNode, handle, record);
  }
  record->kind = kind;
  return 0;
}

int DeleteSoundHandle(int32_t handle, int32_t flag) {
  if (SoundSystem.directSound == nullptr) return -1;
  return DeleteHandleRecord(&SoundHandleTable, handle, [&](HandleRecordHead* head) {
    auto* record = reinterpret_cast<SoundHandleRecord*>(head);
    if (record->kind == kSoundKindStream) {
      StopStreamSound(handle);
    } else if (record->slots[0].used != 0) {
      StopSoundHandle(handle);
    }
    if (record->kind != kSoundKindStream) {
      for (SoundBufferSlot& slot : record->slots) {
        if (slot.used != 0) ReleaseSlotBuffer(&slot);
      }
      FreeTracked(record->pcmData);
      record->pcmData = nullptr;
      return HandleRelease::kFree;
    }
    // A stream sound playing through another's ring lets go of it; a host
    // that was deleted while shared goes with its last sharer.
    SoundHandleRecord* host = GetSoundRecord(record->bufferHost);
    if (host != nullptr && record->bufferHost != handle) {
      --host->sharers;
      if (host->deletePending != 0 && host->sharers == 0) DeleteSoundHandle(record->bufferHost, flag);
    }
    if (record->sharers != 0) {
      record->deletePending = 1;
      return HandleRelease::kKeep;
    }
    UnlinkListNode(&record->listNode);
    for (int32_t i = 0; i < record->sourceCount; ++i) {
      StreamSourceEntry& source = record->sources[i];
      const StreamSource read_stream = source.reader.stream;
      CloseWaveReader(&source.reader);
      FreeTracked(source.data);
      source.data = nullptr;
      if (source.kind == 3 && record->closeSourceStream[i] != 0 && read_stream.functions.Close != nullptr) {
        read_stream.functions.Close(read_stream.handle);
      }
      if (source.stream.handle != 0 && source.stream.functions.Close != nullptr) {
        source.stream.functions.Close(source.stream.handle);
      }
    }
    if (record->slots[0].used != 0) ReleaseSlotBuffer(&record->slots[0]);
    return HandleRelease::kFree;
  });
}

void DeleteAllSoundHandles(int32_t flag) {
  DeleteAllHandleRecords(&SoundHandleTable,
                         [flag](RuntimeHandle handle) { DeleteSoundHandle(handle, flag); });
}

// ---- Buffer slots -------------------------------------------------------------------

int CreateSlotBuffer(SoundBufferSlot* slot, const DSBUFFERDESC* description) {
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(SoundSystem.directSound->CreateSoundBuffer(description, &buffer, nullptr))) return -1;
  slot->buffer = buffer;
  slot->used = 1;
  return 0;
}

int DuplicateSlotBuffer(SoundBufferSlot* slot, const SoundBufferSlot* original) {
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(SoundSystem.directSound->DuplicateSoundBuffer(original->buffer, &buffer))) return -1;
  slot->buffer = buffer;
  slot->used = 1;
  return 0;
}

int ReleaseSlotBuffer(SoundBufferSlot* slot) {
  if (slot->buffer != nullptr) slot->buffer->Release();
  slot->buffer = nullptr;
  slot->used = 0;
  return 0;
}

int PlaySlotBuffer(SoundBufferSlot* slot, int loop) {
  return FAILED(slot->buffer->Play(0, 0, loop != 0 ? DSBPLAY_LOOPING : 0)) ? -1 : 0;
}

int StopSlotBuffer(SoundBufferSlot* slot) { return FAILED(slot->buffer->Stop()) ? -1 : 0; }

int GetSlotBufferStatus(SoundBufferSlot* slot, DWORD* status) {
  return FAILED(slot->buffer->GetStatus(status)) ? -1 : 0;
}

int LockSlotBuffer(SoundBufferSlot* slot, DWORD offset, DWORD bytes, void** region1,
                   DWORD* bytes1, void** region2, DWORD* bytes2) {
  return FAILED(slot->buffer->Lock(offset, bytes, region1, bytes1, region2, bytes2, 0)) ? -1 : 0;
}

int UnlockSlotBuffer(SoundBufferSlot* slot, void* region1, DWORD bytes1, void* region2,
                     DWORD bytes2) {
  return FAILED(slot->buffer->Unlock(region1, bytes1, region2, bytes2)) ? -1 : 0;
}

int SetSlotBufferPosition(SoundBufferSlot* slot, DWORD offset) {
  return FAILED(slot->buffer->SetCurrentPosition(offset)) ? -1 : 0;
}

int GetSlotBufferCursor(SoundBufferSlot* slot, DWORD* play_cursor) {
  return FAILED(slot->buffer->GetCurrentPosition(play_cursor, nullptr)) ? -1 : 0;
}
