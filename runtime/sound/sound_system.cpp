// The sound system's start and end: the DirectSound object, the primary
// buffer, the looping silence buffer, the sound layer's settings and the
// device report in the log.
#include <cstdarg>
#include <cstring>

#include "platform/win32/com.h"
#include "platform/win32/kernel.h"
#include "runtime/core/format.h"
#include "runtime/core/log.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"

SoundSystemGlobals SoundSystem = {
    nullptr, nullptr, nullptr, {-1, nullptr, nullptr, nullptr}, {-1, nullptr, nullptr, nullptr},
    0,       2,       0,       0,
    0,       0,       0,       0,
    0,       {}};

namespace {

// The silence buffer: 100 sample frames of 44,100 Hz 16-bit stereo.
constexpr DWORD kSilenceFrames = 100;

void LogFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogFormatted(const char* format, ...) {
  char text[kFormatBufferSize];
  va_list arguments;
  va_start(arguments, format);
  FormatToBuffer(text, sizeof(text), format, arguments);
  va_end(arguments);
  LogAdd(text);
}

const char* OkOrNo(DWORD flags, DWORD flag) { return (flags & flag) != 0 ? "OK" : "NO"; }

// Gives up the half-started device.
int FailStart(const char* message) {
  LogAdd(message);
  if (SoundSystem.primaryBuffer != nullptr) SoundSystem.primaryBuffer->Release();
  SoundSystem.primaryBuffer = nullptr;
  if (SoundSystem.directSound != nullptr) SoundSystem.directSound->Release();
  SoundSystem.directSound = nullptr;
  return -1;
}

void StartSilenceBuffer() {
  WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  DSBUFFERDESC description;
  std::memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  description.dwFlags = kSilenceBufferFlags;
  description.dwBufferBytes = kSilenceFrames * format.nBlockAlign;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(SoundSystem.directSound->CreateSoundBuffer(&description, &buffer, nullptr))) {
    LogAdd("無音バッファの作成に失敗しました");
    return;
  }
  void* region1 = nullptr;
  void* region2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  if (FAILED(buffer->Lock(0, description.dwBufferBytes, &region1, &bytes1, &region2, &bytes2, 0))) {
    LogAdd("無音バッファのロックに失敗しました");
    buffer->Release();
    return;
  }
  std::memset(region1, 0, bytes1);
  if (region2 != nullptr) std::memset(region2, 0, bytes2);
  buffer->Unlock(region1, bytes1, region2, bytes2);
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  SoundSystem.silenceBuffer = buffer;
}

void LogDeviceReport() {
  IncreaseLogIndent();
  DSCAPS caps;
  std::memset(&caps, 0, sizeof(caps));
  caps.dwSize = sizeof(caps);
  SoundSystem.directSound->GetCaps(&caps);
  LogAdd("DirectSound デバイスを列挙します\n");
  // The stand-in's enumeration is linked in: there is no library to load.
  IncreaseLogIndent();
  DirectSoundEnumerateA(LogSoundDeviceEntry, nullptr);
  DecreaseLogIndent();
  LogFormatted("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ",
               caps.dwMaxSecondarySampleRate / 1000.0, caps.dwMinSecondarySampleRate / 1000.0);
  LogFormatted("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n",
               caps.dwTotalHwMemBytes / 1024.0, caps.dwFreeHwMemBytes / 1024.0);
  LogAdd("利用可能サンプリング精度\n");
  LogFormatted(" プライマリ １６bit = %s  ８bit = %s ", OkOrNo(caps.dwFlags, DSCAPS_PRIMARY16BIT),
               OkOrNo(caps.dwFlags, DSCAPS_PRIMARY8BIT));
  LogFormatted(" セカンダリ １６bit = %s  ８bit = %s \n",
               OkOrNo(caps.dwFlags, DSCAPS_SECONDARY16BIT),
               OkOrNo(caps.dwFlags, DSCAPS_SECONDARY8BIT));
  LogAdd("利用可能チャンネル\n");
  LogFormatted(" プライマリ MONO = %s  STEREO = %s ", OkOrNo(caps.dwFlags, DSCAPS_PRIMARYMONO),
               OkOrNo(caps.dwFlags, DSCAPS_PRIMARYSTEREO));
  LogFormatted(" セカンダリ MONO = %s  STEREO = %s \n",
               OkOrNo(caps.dwFlags, DSCAPS_SECONDARYMONO),
               OkOrNo(caps.dwFlags, DSCAPS_SECONDARYSTEREO));
  DecreaseLogIndent();
}

}  // namespace

BOOL LogSoundDeviceEntry(GUID*, LPCSTR description, LPCSTR module, LPVOID) {
  LogFormatted("モジュール名:%15s  ドライバ記述:%s ", module, description);
  return TRUE;
}

int InitSoundSystem() {
  if (SoundSystem.directSound != nullptr) return -1;
  LogAdd("DirectSound の初期化を行います\n");
  LogAdd("DirectSound インターフェースの取得を行います....  ");
  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound, &object))) {
    return FailStart("DirectSoundインターフェースの作成に失敗しました\n");
  }
  SoundSystem.directSound = static_cast<IDirectSound*>(object);
  LogAdd("成功\n");
  LogAdd("引き続きインターフェースの初期化処理...  ");
  if (FAILED(SoundSystem.directSound->Initialize(nullptr))) {
    return FailStart("初期化に失敗しました\n");
  }
  LogAdd("成功\n");
  // The desktop window: the stand-in takes any window, so none is named.
  if (FAILED(SoundSystem.directSound->SetCooperativeLevel(nullptr, DSSCL_PRIORITY))) {
    return FailStart("DirectSoundの協調レベルの設定に失敗しました\n");
  }
  DSBUFFERDESC description;
  std::memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  description.dwFlags = DSBCAPS_PRIMARYBUFFER;
  if (FAILED(SoundSystem.directSound->CreateSoundBuffer(&description, &SoundSystem.primaryBuffer,
                                                        nullptr))) {
    SoundSystem.primaryBuffer = nullptr;
    return FailStart("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
  }

  DSCAPS caps;
  std::memset(&caps, 0, sizeof(caps));
  caps.dwSize = sizeof(caps);
  SoundSystem.directSound->GetCaps(&caps);
  WAVEFORMATEX primary;
  std::memset(&primary, 0, sizeof(primary));
  primary.wFormatTag = WAVE_FORMAT_PCM;
  primary.nChannels = (caps.dwFlags & DSCAPS_PRIMARYSTEREO) != 0 ? 2 : 1;
  primary.wBitsPerSample = (caps.dwFlags & DSCAPS_PRIMARY16BIT) != 0 ? 16 : 8;
  primary.nSamplesPerSec = caps.dwMaxSecondarySampleRate < 44100 ? caps.dwMaxSecondarySampleRate : 44100;
  primary.nBlockAlign = static_cast<WORD>(primary.wBitsPerSample / 8 * primary.nChannels);
  primary.nAvgBytesPerSec = primary.nBlockAlign * primary.nSamplesPerSec;
  if (FAILED(SoundSystem.primaryBuffer->SetFormat(&primary))) {
    LogAdd("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
  }

  StartSilenceBuffer();

  InitLinkedList(&SoundSystem.streamListEnd, &SoundSystem.streamListStart);
  SoundSystem.createMode = 0;
  SoundSystem.oggBytesPerSample = 2;

  LogDeviceReport();
  LogAdd("DirectSound の初期化は正常に終了しました\n");
  DeleteAllSoundHandles(0);
  return 0;
}

int EndSoundSystem() {
  if (SoundSystem.directSound == nullptr) return -1;
  DeleteAllSoundHandles(0);
  DeleteAllMusicHandles();
  if (SoundSystem.midiTempFileExists != 0) {
    DeleteFileA(SoundSystem.midiTempFilePath);
    SoundSystem.midiTempFileExists = 0;
  }
  if (SoundSystem.primaryBuffer != nullptr) {
    SoundSystem.primaryBuffer->Stop();
    SoundSystem.primaryBuffer->Release();
    SoundSystem.primaryBuffer = nullptr;
  }
  if (SoundSystem.silenceBuffer != nullptr) {
    SoundSystem.silenceBuffer->Stop();
    SoundSystem.silenceBuffer->Release();
    SoundSystem.silenceBuffer = nullptr;
  }
  SoundSystem.directSound->Release();
  SoundSystem.directSound = nullptr;
  LogAdd("DirectSound の終了処理は正常に終了しました\n");
  return 0;
}
