// Sound handles, playing and the sound system on the null host: loading with
// its buffers, the slot rotation, deleting, the sound heard in the mixed
// output at the right frame and its end seen within one frame, starting and
// ending the system, and a device that offers less.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/com.h"
#include "platform/win32/dsound.h"
#include "runtime/core/memory.h"
#include "tests/runtime/sound/sound_test_support.h"

namespace {

// A temporary file removed with the object.
class TempFile {
 public:
  TempFile(const Bytes& bytes, const char* suffix) {
    path_ = std::string("/tmp/sound_test_XXXXXX") + suffix;
    const int descriptor = mkstemps(path_.data(), static_cast<int>(std::strlen(suffix)));
    EXPECT_GE(descriptor, 0);
    EXPECT_EQ(write(descriptor, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(descriptor);
  }
  ~TempFile() { unlink(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

Bytes Stereo16Wav(const Bytes& pcm, uint32_t rate = 44100) {
  WavFormatFields fields;
  fields.rate = rate;
  return SimpleWav(fields, pcm);
}

// The status of every slot of a sound: bit n set while slot n plays.
int PlayingSlots(int32_t handle) {
  SoundHandleRecord* record = GetSoundRecord(handle);
  int bits = 0;
  for (int i = 0; i < record->slotCount; ++i) {
    DWORD status = 0;
    record->slots[i].buffer->GetStatus(&status);
    if ((status & DSBSTATUS_PLAYING) != 0) bits |= 1 << i;
  }
  return bits;
}

DWORD SlotCursor(int32_t handle, int slot) {
  DWORD cursor = 0;
  GetSoundRecord(handle)->slots[slot].buffer->GetCurrentPosition(&cursor, nullptr);
  return cursor;
}

void WaitBlank() { CurrentHost().Clock().WaitVerticalBlank(); }

using SoundHandles = SoundSystemTest;

TEST_F(SoundHandles, LoadSoundFileMakesTheBuffersAskedForUpToTen) {
  const Bytes pcm = NoisePcm(4 * 300, 1);
  TempFile file(Stereo16Wav(pcm), ".wav");
  struct Case {
    int32_t asked;
    int32_t made;
  };
  for (const Case c : {Case{-2, 1}, Case{0, 1}, Case{1, 1}, Case{3, 3}, Case{10, 10}, Case{11, 10}}) {
    SCOPED_TRACE(c.asked);
    const int32_t handle = LoadSoundFile(file.path(), c.asked, -1);
    ASSERT_NE(handle, -1);
    SoundHandleRecord* record = GetSoundRecord(handle);
    EXPECT_EQ(record->slotCount, c.made);
    EXPECT_EQ(record->kind, kSoundKindNormal);
    ASSERT_EQ(record->pcmBytes, static_cast<int32_t>(pcm.size()));
    EXPECT_EQ(std::memcmp(record->pcmData, pcm.data(), pcm.size()), 0);
    // Every buffer holds the sound (duplicates share the data).
    void* region = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(record->slots[c.made - 1].buffer->Lock(0, 4, &region, &bytes, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(std::memcmp(region, pcm.data(), 4), 0);
    record->slots[c.made - 1].buffer->Unlock(region, bytes, nullptr, 0);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }
  const Bytes image = Stereo16Wav(pcm);
  EXPECT_EQ(CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 11, -1), -1);
}

TEST_F(SoundHandles, FilesThatDoNotLoadAreLoggedAndGiveMinusOne) {
  SoundLogCapture log;
  EXPECT_EQ(LoadSoundFile("/no/such/folder/se.wav", 3, -1), -1);
  EXPECT_TRUE(log.Has("右記の音声ファイルのロードに失敗しました_1：/no/such/folder/se.wav"));
  TempFile junk(Bytes(500, 0x11), ".wav");
  EXPECT_EQ(LoadSoundFile(junk.path(), 3, -1), -1);
  EXPECT_TRUE(log.Has("音声ファイルのＰＣＭへの変換に失敗しました"));
  EXPECT_TRUE(log.Has("右記の音声ファイルのロードに失敗しました_2："));
  // A data chunk too short for one sample frame has nothing to play.
  TempFile empty(Stereo16Wav(Bytes(2, 0)), ".wav");
  EXPECT_EQ(LoadSoundFile(empty.path(), 1, -1), -1);
  EXPECT_EQ(SoundHandleTable.live_count, 0);
}

TEST_F(SoundHandles, DeletingFreesEverythingAndTheOldHandleIsRefused) {
  const Bytes image = Stereo16Wav(NoisePcm(4 * 100, 2));
  const int buffers_before = LiveSoundBufferCount();
  const int32_t blocks_before = TrackedBlockCount();
  const int32_t first = SoundOf(image, 4);
  ASSERT_NE(first, -1);
  EXPECT_EQ(LiveSoundBufferCount(), buffers_before + 4);
  ASSERT_EQ(PlaySoundHandle(first, kPlayTypeLoop, 1), 0);
  EXPECT_EQ(DeleteSoundHandle(first, 0), 0);
  EXPECT_EQ(LiveSoundBufferCount(), buffers_before);
  EXPECT_EQ(TrackedBlockCount(), blocks_before);
  EXPECT_EQ(PlayingSoundBufferCount(), 1);  // only the silence buffer
  const int32_t second = SoundOf(image);
  ASSERT_NE(second, -1);
  EXPECT_EQ(HandleSlot(second), HandleSlot(first));
  for (auto operation : std::vector<std::function<int(int32_t)>>{
           [](int32_t h) { return PlaySoundHandle(h, kPlayTypeBack, 1); },
           [](int32_t h) { return StopSoundHandle(h); },
           [](int32_t h) { return IsSoundHandlePlaying(h); },
           [](int32_t h) { return DeleteSoundHandle(h, 0); }}) {
    EXPECT_EQ(operation(first), -1);
    EXPECT_NE(operation(second), -1);
  }
}

TEST_F(SoundHandles, The4097thSoundIsRefused) {
  const Bytes image = Stereo16Wav(NoisePcm(8, 3));
  for (int i = 0; i < kSoundSlotCount; ++i) ASSERT_NE(SoundOf(image), -1) << i;
  SoundLogCapture log;
  EXPECT_EQ(SoundOf(image), -1);
  EXPECT_TRUE(log.Has("サウンドの数が許容量を越えました"));
}

// ---- Playing ------------------------------------------------------------------------

using SoundPlaying = SoundSystemTest;

TEST_F(SoundPlaying, ThreeBuffersAreUsedInTurnAndTheFourthPlayRestartsOne) {
  const int32_t handle = SoundOf(Stereo16Wav(NoisePcm(4 * 44100, 4)), 3);
  ASSERT_NE(handle, -1);
  // The first play after loading takes slot 1.
  const int expected_playing[] = {0b010, 0b110, 0b111, 0b111};
  const int expected_last[] = {1, 2, 0, 1};
  for (int play = 0; play < 4; ++play) {
    SCOPED_TRACE(play);
    ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 1), 0);
    EXPECT_EQ(GetSoundRecord(handle)->lastSlot, expected_last[play]);
    EXPECT_EQ(PlayingSlots(handle), expected_playing[play]);
    if (play == 3) {
      EXPECT_EQ(SlotCursor(handle, 1), 0u);  // started again from the top
    }
    WaitBlank();
  }
  EXPECT_EQ(SlotCursor(handle, 1), 735u * 4);
  EXPECT_EQ(SlotCursor(handle, 2), 3 * 735u * 4);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  EXPECT_EQ(StopSoundHandle(handle), 0);
  EXPECT_EQ(PlayingSlots(handle), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
}

TEST_F(SoundPlaying, NotFromTheTopAFreeSlotStartsWhereTheLastOneIsAndAPlayingOneIsLeftAlone) {
  const int32_t handle = SoundOf(Stereo16Wav(NoisePcm(4 * 44100, 5)), 3);
  ASSERT_NE(handle, -1);
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 0), 0);  // slot 1 from slot 0's cursor: 0
  EXPECT_EQ(SlotCursor(handle, 1), 0u);
  WaitBlank();
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 0), 0);  // slot 2 where slot 1 is
  EXPECT_EQ(SlotCursor(handle, 2), 735u * 4);
  WaitBlank();
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 0), 0);  // slot 0 where slot 2 is
  EXPECT_EQ(SlotCursor(handle, 0), 2 * 735u * 4);
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 0), 0);  // slot 1 plays: left alone
  EXPECT_EQ(SlotCursor(handle, 1), 2 * 735u * 4);
  EXPECT_EQ(PlayingSlots(handle), 0b111);
}

TEST_F(SoundPlaying, ALoopedSoundGoesOnPastItsEndAndAWaitedOneReturns) {
  const int32_t looped = SoundOf(Stereo16Wav(NoisePcm(4 * 1000, 6)));
  ASSERT_EQ(PlaySoundHandle(looped, kPlayTypeLoop, 1), 0);
  for (int i = 0; i < 3; ++i) WaitBlank();
  EXPECT_EQ(IsSoundHandlePlaying(looped), 1);
  EXPECT_EQ(SlotCursor(looped, 0), (3 * 735u % 1000) * 4);
  // Nothing pulls the null host's output while a caller waits, so the wait
  // ends by the clock once the sound's length has passed.
  const int32_t waited = SoundOf(Stereo16Wav(NoisePcm(4 * 4410, 7)));
  EXPECT_EQ(PlaySoundHandle(waited, kPlayTypeWait, 1), 0);
}

// The mixed output of the null host, written to a WAV file: a sound played
// after three frames starts exactly at frame 3's first sample, and the call
// that asks whether it plays says 0 right after the frame that mixed its end.
TEST(SoundOutput, ASoundIsHeardAtTheRightFrameAndEndsWithinAFrame) {
  struct Case {
    const char* name;
    WavFormatFields format;
    int frames;
  };
  WavFormatFields stereo16;
  WavFormatFields mono8;
  mono8.channels = 1;
  mono8.bits = 8;
  mono8.rate = 22050;
  WavFormatFields mono16;
  mono16.channels = 1;
  mono16.rate = 11025;
  for (const Case& c : {Case{"stereo 16-bit 44.1 kHz", stereo16, 2000},
                        Case{"mono 8-bit 22.05 kHz", mono8, 1000},
                        Case{"mono 16-bit 11.025 kHz", mono16, 600}}) {
    SCOPED_TRACE(c.name);
    char folder[] = "/tmp/sound_output_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string out_path = std::string(folder) + "/mix.wav";
    NullHostOptions options;
    options.audio_out_file = out_path;
    InstallHost(std::make_unique<NullHost>(options));
    CurrentHost().Clock().SetGameThread();

    const int block = c.format.channels * c.format.bits / 8;
    Bytes pcm = NoisePcm(static_cast<size_t>(block) * c.frames, 8);
    for (uint8_t& byte : pcm) byte = byte == 0x80 ? 0x81 : byte;  // no silent 8-bit sample
    ASSERT_EQ(InitSoundSystem(), 0);
    const Bytes image = SimpleWav(c.format, pcm);
    const int32_t handle =
        CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 1, -1);
    ASSERT_NE(handle, -1);
    for (int i = 0; i < 3; ++i) WaitBlank();
    ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 1), 0);
    const int64_t output_frames =
        (static_cast<int64_t>(c.frames) * 44100 + c.format.rate - 1) / c.format.rate;
    int blanks = 0;
    while (IsSoundHandlePlaying(handle) == 1) {
      // Still playing only while the frames mixed so far have not reached its end.
      ASSERT_LT(blanks * 735, output_frames);
      WaitBlank();
      ++blanks;
    }
    EXPECT_GE(blanks * 735, output_frames);
    EXPECT_EQ(blanks, static_cast<int>((output_frames + 734) / 735));
    EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
    EXPECT_EQ(EndSoundSystem(), 0);
    CurrentHost().Finish();
    InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
    CurrentHost().Clock().SetGameThread();

    std::ifstream in(out_path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string wav = text.str();
    std::remove(out_path.c_str());
    rmdir(folder);
    ASSERT_GE(wav.size(), 44u);
    const auto* samples = reinterpret_cast<const int16_t*>(wav.data() + 44);
    const size_t total_frames = (wav.size() - 44) / 4;
    const size_t start = 3 * 735;
    ASSERT_GE(total_frames, start + static_cast<size_t>(output_frames));
    for (size_t i = 0; i < start; ++i) ASSERT_EQ(samples[2 * i], 0) << i;
    auto expected = [&](int frame, int channel) -> int {
      const int index = frame * block + (c.format.channels == 2 ? channel * (block / 2) : 0);
      if (c.format.bits == 8) return (pcm[index] - 128) * 256;
      return static_cast<int16_t>(pcm[index] | pcm[index + 1] << 8);
    };
    // The first output frame is the first sample frame, exactly.
    EXPECT_EQ(samples[2 * start], expected(0, 0));
    EXPECT_EQ(samples[2 * start + 1], expected(0, 1));
    if (c.format.rate == 44100) {
      for (int i = 0; i < c.frames; ++i) {
        ASSERT_EQ(samples[2 * (start + i)], expected(i, 0)) << i;
        ASSERT_EQ(samples[2 * (start + i) + 1], expected(i, 1)) << i;
      }
    }
    // Silence after its end.
    for (size_t i = start + static_cast<size_t>(output_frames); i < total_frames; ++i) {
      ASSERT_EQ(samples[2 * i], 0) << i;
    }
  }
}

// ---- The sound system --------------------------------------------------------------

TEST(SoundSystemStart, LogsTheDeviceAndEndsOnce) {
  SoundLogCapture log;
  ASSERT_EQ(InitSoundSystem(), 0);
  EXPECT_EQ(InitSoundSystem(), -1);
  for (const char* line :
       {"DirectSound の初期化を行います\n", "DirectSound インターフェースの取得を行います....  ",
        "成功\n", "引き続きインターフェースの初期化処理...  ", "DirectSound デバイスを列挙します\n",
        "モジュール名:", "最大サンプリングレート:200.00KHz 最小サンプリングレート:0.10KHz ",
        " プライマリ １６bit = OK  ８bit = OK ", " セカンダリ MONO = OK  STEREO = OK \n",
        "DirectSound の初期化は正常に終了しました\n"}) {
    EXPECT_TRUE(log.Has(line)) << line;
  }
  WAVEFORMATEX primary;
  ASSERT_EQ(SoundSystem.primaryBuffer->GetFormat(&primary, sizeof(primary), nullptr), DS_OK);
  EXPECT_EQ(primary.nChannels, 2);
  EXPECT_EQ(primary.wBitsPerSample, 16);
  EXPECT_EQ(primary.nSamplesPerSec, 44100u);
  EXPECT_EQ(PlayingSoundBufferCount(), 1);  // the silence buffer loops
  EXPECT_EQ(EndSoundSystem(), 0);
  EXPECT_TRUE(log.Has("DirectSound の終了処理は正常に終了しました\n"));
  EXPECT_EQ(EndSoundSystem(), -1);
  EXPECT_EQ(LiveSoundBufferCount(), 0);
}

// Every operation after a start that failed (or after the end) gives -1 and
// says nothing.
void ExpectSilentRefusals() {
  const Bytes image = Stereo16Wav(NoisePcm(400, 9));
  TempFile file(image, ".wav");
  SoundLogCapture log;
  EXPECT_EQ(LoadSoundFile(file.path(), 1, -1), -1);
  EXPECT_EQ(CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 1, -1), -1);
  const int32_t some_handle = MakeRuntimeHandle(0, HandleType::kSound, 0);
  EXPECT_EQ(PlaySoundHandle(some_handle, kPlayTypeBack, 1), -1);
  EXPECT_EQ(StopSoundHandle(some_handle), -1);
  EXPECT_EQ(IsSoundHandlePlaying(some_handle), -1);
  EXPECT_EQ(DeleteSoundHandle(some_handle, 0), -1);
  EXPECT_EQ(log.text(), "");
}

TEST(SoundSystemStart, WithoutADeviceEverySoundOperationGivesMinusOneQuietly) {
  ExpectSilentRefusals();  // never started
  {
    ScopedComFactory no_device(CLSID_DirectSound, [](REFIID, void**) { return E_FAIL; });
    SoundLogCapture log;
    EXPECT_EQ(InitSoundSystem(), -1);
    EXPECT_TRUE(log.Has("DirectSoundインターフェースの作成に失敗しました\n"));
    EXPECT_EQ(SoundSystem.directSound, nullptr);
  }
  ExpectSilentRefusals();
}

// The real device behind a double that offers less: fewer capabilities, a
// lower rate, no silence buffer, duplicates that run out.
struct DeviceLimits {
  DWORD flags_removed = 0;
  DWORD highest_rate = 0;  // 0: as the device says
  bool silence_fails = false;
  int duplicates_left = -1;  // -1: no limit
};

class LimitedDirectSound final : public IDirectSound {
 public:
  LimitedDirectSound(IDirectSound* real, const DeviceLimits& limits) : real_(real), limits_(limits) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!(riid == IID_IDirectSound || riid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSound*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }
  HRESULT Initialize(const GUID* device) override { return real_->Initialize(device); }
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
    return real_->SetCooperativeLevel(window, level);
  }
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, LPDIRECTSOUNDBUFFER* buffer,
                            LPUNKNOWN outer) override {
    if (limits_.silence_fails && description->dwFlags == kSilenceBufferFlags) {
      return DSERR_OUTOFMEMORY;
    }
    return real_->CreateSoundBuffer(description, buffer, outer);
  }
  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) override {
    if (limits_.duplicates_left == 0) return DSERR_OUTOFMEMORY;
    if (limits_.duplicates_left > 0) --limits_.duplicates_left;
    return real_->DuplicateSoundBuffer(original, duplicate);
  }
  HRESULT GetCaps(DSCAPS* caps) override {
    const HRESULT result = real_->GetCaps(caps);
    caps->dwFlags &= ~limits_.flags_removed;
    if (limits_.highest_rate != 0) caps->dwMaxSecondarySampleRate = limits_.highest_rate;
    return result;
  }
  ~LimitedDirectSound() override { real_->Release(); }

 private:
  ComRefCount refs_;
  IDirectSound* real_;
  DeviceLimits limits_;
};

class LimitedDevice {
 public:
  explicit LimitedDevice(const DeviceLimits& limits)
      : real_factory_(FindComFactory(CLSID_DirectSound)),
        scope_(CLSID_DirectSound, [this, limits](REFIID riid, void** out) {
          void* real = nullptr;
          const HRESULT made = real_factory_(IID_IDirectSound, &real);
          if (FAILED(made)) return made;
          auto* limited = new LimitedDirectSound(static_cast<IDirectSound*>(real), limits);
          const HRESULT result = limited->QueryInterface(riid, out);
          limited->Release();
          return result;
        }) {}

 private:
  ComFactory real_factory_;
  ScopedComFactory scope_;
};

TEST(SoundSystemStart, ThePrimaryFormatFollowsWhatTheDeviceOffers) {
  struct Case {
    DeviceLimits limits;
    WORD channels;
    WORD bits;
    DWORD rate;
  };
  DeviceLimits mono;
  mono.flags_removed = DSCAPS_PRIMARYSTEREO;
  DeviceLimits eight_bits;
  eight_bits.flags_removed = DSCAPS_PRIMARY16BIT;
  DeviceLimits slow;
  slow.highest_rate = 22050;
  for (const Case& c : {Case{mono, 1, 16, 44100}, Case{eight_bits, 2, 8, 44100},
                        Case{slow, 2, 16, 22050}}) {
    LimitedDevice device(c.limits);
    ASSERT_EQ(InitSoundSystem(), 0);
    WAVEFORMATEX primary;
    ASSERT_EQ(SoundSystem.primaryBuffer->GetFormat(&primary, sizeof(primary), nullptr), DS_OK);
    EXPECT_EQ(primary.nChannels, c.channels);
    EXPECT_EQ(primary.wBitsPerSample, c.bits);
    EXPECT_EQ(primary.nSamplesPerSec, c.rate);
    EXPECT_EQ(primary.nBlockAlign, c.channels * c.bits / 8);
    EXPECT_EQ(EndSoundSystem(), 0);
  }
}

TEST(SoundSystemStart, WithoutTheSilenceBufferSoundsStillPlay) {
  DeviceLimits limits;
  limits.silence_fails = true;
  LimitedDevice device(limits);
  SoundLogCapture log;
  ASSERT_EQ(InitSoundSystem(), 0);
  EXPECT_TRUE(log.Has("無音バッファの作成に失敗しました"));
  EXPECT_EQ(SoundSystem.silenceBuffer, nullptr);
  const Bytes image = Stereo16Wav(NoisePcm(4 * 3000, 10));
  const int32_t handle = CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 1, -1);
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 1), 0);
  WaitBlank();
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  EXPECT_EQ(SlotCursor(handle, 0), 735u * 4);
  EXPECT_EQ(EndSoundSystem(), 0);
}

TEST(SoundSystemStart, WhenDuplicatingFailsTheSoundWorksWithTheBuffersMade) {
  DeviceLimits limits;
  limits.duplicates_left = 1;  // slot 0 and one duplicate
  LimitedDevice device(limits);
  ASSERT_EQ(InitSoundSystem(), 0);
  const Bytes image = Stereo16Wav(NoisePcm(4 * 44100, 11));
  const int32_t handle = CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 5, -1);
  ASSERT_NE(handle, -1);
  EXPECT_EQ(GetSoundRecord(handle)->slotCount, 2);
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 1), 0);
  ASSERT_EQ(PlaySoundHandle(handle, kPlayTypeBack, 1), 0);
  EXPECT_EQ(PlayingSlots(handle), 0b11);
  EXPECT_EQ(GetSoundRecord(handle)->lastSlot, 0);
  EXPECT_EQ(EndSoundSystem(), 0);
}

}  // namespace
