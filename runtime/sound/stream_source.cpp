// Stream sound sources and ring sharing: adding a source (decoded once, the
// whole file image, or the caller's own stream), the ring a stream sound gets
// or shares, and who holds a shared ring.
#include <cstdarg>
#include <cstring>

#include "runtime/core/format.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"

namespace {

// Logs a formatted message that carries its own line end.
void LogFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogFormatted(const char* format, ...) {
  char text[kFormatBufferSize];
  va_list arguments;
  va_start(arguments, format);
  FormatToBuffer(text, sizeof(text), format, arguments);
  va_end(arguments);
  LogAdd(text);
}

// Releases what a source that failed to open holds: its reader, its own
// memory stream and its block (the caller's stream is never closed here).
void DropSource(StreamSourceEntry* entry) {
  if (entry->reader.valid != 0) CloseWaveReader(&entry->reader);
  if (entry->stream.handle != 0) CloseMemoryStream(entry->stream.handle);
  FreeTracked(entry->data);
  std::memset(entry, 0, sizeof(*entry));
}

// Gives the entry its own memory stream over its block and opens its reader
// over that stream. 0 or -1 (nothing is released on failure).
int OpenOwnedSource(StreamSourceEntry* entry) {
  entry->stream.functions = *GetMemoryStreamFunctions();
  entry->stream.handle =
      OpenMemoryStream(entry->data, static_cast<uint32_t>(entry->dataBytes));
  if (entry->stream.handle == 0) return -1;
  return OpenWaveReader(&entry->stream, &entry->reader);
}

// Decodes the whole of `stream` into a WAV image in a new block. 0 or -1,
// after the failure's message.
int DecodeToWaveImage(const StreamSource* stream, void** image, int32_t* image_bytes) {
  void* file = nullptr;
  int32_t file_bytes = 0;
  if (ReadWholeStreamToMemory(stream, &file, &file_bytes) != 0) {
    LogAdd("音声データの読み込みに失敗しました");
    return -1;
  }
  const intptr_t memory = OpenMemoryStream(file, static_cast<uint32_t>(file_bytes));
  StreamSource decoder_stream = {*GetMemoryStreamFunctions(), memory};
  WaveReader reader;
  std::memset(&reader, 0, sizeof(reader));
  WAVEFORMATEX format;
  void* pcm = nullptr;
  int32_t pcm_bytes = 0;
  int result = -1;
  if (memory != 0 && OpenWaveReader(&decoder_stream, &reader) == 0) {
    result = DecodeWaveReaderToMemory(&reader, &format, &pcm, &pcm_bytes);
    CloseWaveReader(&reader);
  }
  if (memory != 0) CloseMemoryStream(memory);
  FreeTracked(file);
  if (result != 0) {
    LogAdd("音声データの変換に失敗しました");
    return -1;
  }
  result = BuildWaveFileImage(image, image_bytes, &format, sizeof(WAVEFORMATEX), pcm, pcm_bytes);
  FreeTracked(pcm);
  if (result != 0) LogAdd("音声データの変換に失敗しました");
  return result;
}

// The record of the ring a stream sound plays through (its own, or its
// host's) and that ring's handle; null when the host is gone.
SoundHandleRecord* RingHost(int32_t handle, SoundHandleRecord* record, int32_t* host_handle) {
  if (record->bufferHost == -1) {
    *host_handle = handle;
    return record;
  }
  *host_handle = record->bufferHost;
  return GetSoundRecord(record->bufferHost);
}

}  // namespace

int AddSreamSound(const StreamSource* stream, int32_t repeat, int32_t handle,
                  int32_t source_kind, int32_t* copied, int32_t share_with) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  // A normal sound that already has its buffers cannot become a stream sound
  // (its buffers would be lost under the ring).
  if ((record->sourceCount > 0 && record->kind != kSoundKindStream) ||
      (record->kind == kSoundKindNormal && record->slots[0].used != 0)) {
    LogAdd("ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound\n");
    return -1;
  }
  if (record->sourceCount > 0) {
    SoundBufferSlot* slot = nullptr;
    DWORD status = 0;
    if (AcquireStreamBufferSlot(handle, record, &slot, 0) == 0 && slot->used != 0 &&
        GetSlotBufferStatus(slot, &status) == 0 && (status & DSBSTATUS_PLAYING) != 0) {
      LogAdd("既に再生中のストリームサウンドデータにデータを追加しようとしました\n");
      return -1;
    }
    if (record->sourceCount >= kMaxStreamSources) {
      LogAdd("ストリーム風サウンドの制御データ領域がいっぱいです\n");
      return -1;
    }
  }

  StreamSourceEntry* entry = &record->sources[record->sourceCount];
  std::memset(entry, 0, sizeof(*entry));
  entry->kind = source_kind;
  stream->functions.Seek(stream->handle, 0, 0);

  switch (source_kind) {
    case kStreamSourceDecoded:
      if (DecodeToWaveImage(stream, &entry->data, &entry->dataBytes) != 0) {
        DropSource(entry);
        return -1;
      }
      if (OpenOwnedSource(entry) != 0) {
        DropSource(entry);
        LogAdd("音声データのオープンに失敗しました");
        return -1;
      }
      *copied = 1;
      break;
    case kStreamSourceImage:
      if (ReadWholeStreamToMemory(stream, &entry->data, &entry->dataBytes) != 0) {
        LogAdd("音声データの読み込みに失敗しました");
        DropSource(entry);
        return -1;
      }
      if (OpenOwnedSource(entry) != 0) {
        DropSource(entry);
        LogAdd("音声データのオープンに失敗しました");
        return -1;
      }
      *copied = 1;
      break;
    case kStreamSourceDirect:
      if (OpenWaveReader(stream, &entry->reader) != 0) {
        DropSource(entry);
        LogAdd("音声データのオープンに失敗しました");
        return -1;
      }
      *copied = 0;
      break;
    default:
      // No other kind of source exists.
      DropSource(entry);
      return -1;
  }

  WAVEFORMATEX format;
  GetWaveReaderFormat(&entry->reader, &format);
  if (record->sourceCount > 0) {
    // Every source of one sound plays through one ring: the formats must be
    // the same to the byte.
    if (std::memcmp(&format, &record->format, sizeof(WAVEFORMATEX)) != 0) {
      DropSource(entry);
      LogAdd("フォーマットの違う音声データは同時に使うことは出来ません");
      return -1;
    }
  } else {
    record->format = format;
    SoundHandleRecord* host = share_with != handle ? GetSoundRecord(share_with) : nullptr;
    if (host != nullptr && host->kind == kSoundKindStream && host->bufferHost == -1 &&
        std::memcmp(&host->format, &format, sizeof(WAVEFORMATEX)) == 0) {
      record->kind = kSoundKindStream;
      record->slotCount = 1;
      AppendListNode(&SoundSystem.streamListEnd, &record->listNode, handle, record);
      record->bufferHost = share_with;
      ++host->sharers;
    } else {
      const int32_t ring_bytes = static_cast<int32_t>(format.nAvgBytesPerSec * 6);
      CreateSoundBuffers(&format, ring_bytes, kSoundKindStream, 1, handle);
      record->ringBytes = ring_bytes;
      record->bufferHost = -1;
    }
    record->sharers = 0;
    record->currentUser = -1;
    record->deletePending = 0;
  }
  entry->repeat = static_cast<int8_t>(repeat);
  ++record->sourceCount;
  return 0;
}

int AddStreamSoundFile(const char* path, int32_t repeat, int32_t handle, int32_t source_kind,
                       int32_t share_with) {
  const intptr_t file = FileOpenThunk(path, 0, 1, 0);
  if (file == 0) {
    LogFormatted("右記のＷＡＶファイルのロードに失敗しました：%s \n", path);
    return -1;
  }
  const StreamSource stream = {*GetFileStreamFunctions(), file};
  int32_t copied = 0;
  if (AddSreamSound(&stream, repeat, handle, source_kind, &copied, share_with) != 0) {
    FileCloseThunk(file);
    LogFormatted("右記のＷＡＶファイルのセットアップに失敗しました：%s \n", path);
    return -1;
  }
  if (copied != 0) FileCloseThunk(file);
  // A source that reads the file itself closes it when the sound goes.
  SoundHandleRecord* record = GetSoundRecord(handle);
  record->closeSourceStream[record->sourceCount - 1] = 1;
  return 0;
}

int AddStreamSoundMemory(const void* data, int32_t bytes, int32_t repeat, int32_t handle,
                         int32_t source_kind, int32_t share_with) {
  const intptr_t memory = bytes >= 0 ? OpenMemoryStream(data, static_cast<uint32_t>(bytes)) : 0;
  if (memory == 0) {
    LogAdd("ＷＡＶファイルのストリームイメージハンドルの作成に失敗しました \n");
    return -1;
  }
  const StreamSource stream = {*GetMemoryStreamFunctions(), memory};
  // The caller's image is always copied: it need not outlive the call.
  const int32_t kind = source_kind == kStreamSourceDirect ? kStreamSourceImage : source_kind;
  int32_t copied = 0;
  if (AddSreamSound(&stream, repeat, handle, kind, &copied, share_with) != 0) {
    CloseMemoryStream(memory);
    LogAdd("ＷＡＶファイルのストリームイメージのセットアップに失敗しました \n");
    return -1;
  }
  if (copied != 0) CloseMemoryStream(memory);
  SoundHandleRecord* record = GetSoundRecord(handle);
  record->closeSourceStream[record->sourceCount - 1] = 1;
  return 0;
}

int AcquireStreamBufferSlot(int32_t handle, SoundHandleRecord* record, SoundBufferSlot** slot,
                            int32_t force) {
  if (record->kind != kSoundKindStream) {
    *slot = &record->slots[0];
    return 0;
  }
  int32_t host_handle = -1;
  SoundHandleRecord* host = RingHost(handle, record, &host_handle);
  if (host == nullptr) return -1;
  *slot = &host->slots[0];
  if (host->currentUser == -1 || host->currentUser == handle) {
    host->currentUser = handle;
    return 0;
  }
  if (force == 0) return -1;
  StopStreamSound(host->currentUser);
  host->currentUser = handle;
  return 0;
}

int StopStreamSound(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  UpdateStreamPlayedBytes(handle, -1);
  SoundBufferSlot* slot = nullptr;
  if (AcquireStreamBufferSlot(handle, record, &slot, 0) != 0) return 0;
  // A sound playing through another's ring gives it free for the others.
  if (record->bufferHost != -1) {
    int32_t host_handle = -1;
    RingHost(handle, record, &host_handle)->currentUser = -1;
  }
  if (slot->used == 0) return 0;
  DWORD status = 0;
  if (GetSlotBufferStatus(slot, &status) == 0 && (status & DSBSTATUS_PLAYING) != 0) {
    StopSlotBuffer(slot);
  }
  return 0;
}

int IsStreamSoundPlaying(int32_t handle) {
  if (SoundSystem.directSound == nullptr) return -1;
  SoundHandleRecord* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  int32_t host_handle = -1;
  SoundHandleRecord* host = RingHost(handle, record, &host_handle);
  if (host == nullptr) return -1;
  if (host->currentUser != -1 && host->currentUser != handle) return 0;
  DWORD status = 0;
  if (host->slots[0].used == 0 || GetSlotBufferStatus(&host->slots[0], &status) != 0) return 0;
  return (status & DSBSTATUS_PLAYING) != 0 ? 1 : 0;
}
