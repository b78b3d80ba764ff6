// The DirectSound stand-in and its mixer: formats, Lock regions, cursors,
// duplicates, playing once and looping, resampling, the host hook-up, and
// mixing on another thread while buffers come and go.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/dsound.h"
#include "tests/platform/test_support.h"

namespace {

// An initialised device for one test.
class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound, &object),
              S_OK);
    device_ = static_cast<IDirectSound*>(object);
    ASSERT_EQ(device_->Initialize(nullptr), DS_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
  }
  void TearDown() override {
    for (IDirectSoundBuffer* buffer : buffers_) buffer->Release();
    if (device_ != nullptr) device_->Release();
  }

  // A secondary buffer holding `data`.
  IDirectSoundBuffer* Buffer(WORD channels, WORD bits, DWORD rate, const std::vector<uint8_t>& data) {
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, channels, rate, 0,
                           static_cast<WORD>(channels * bits / 8), bits, 0};
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    DSBUFFERDESC description = {sizeof(DSBUFFERDESC), DSBCAPS_STATIC, static_cast<DWORD>(data.size()),
                                0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    if (buffer == nullptr) return nullptr;
    void* region1 = nullptr;
    DWORD bytes1 = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &region1, &bytes1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    std::memcpy(region1, data.data(), bytes1);
    buffer->Unlock(region1, bytes1, nullptr, 0);
    buffers_.push_back(buffer);
    return buffer;
  }

  static std::vector<int16_t> Mix(int frames, int rate = 44100) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0x7777);
    MixSoundBuffers(out.data(), frames, rate);
    return out;
  }

  static DWORD PlayCursor(IDirectSoundBuffer* buffer) {
    DWORD play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    return play;
  }

  static bool Playing(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    buffer->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) != 0;
  }

  IDirectSound* device_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

TEST_F(DirectSoundTest, EveryFormatMixesToStereo16AtItsOwnRateAndStopsAtItsEnd) {
  struct Case {
    const char* name;
    WORD channels;
    WORD bits;
    std::vector<uint8_t> data;
    std::vector<int16_t> expected;  // left, right of each frame
  };
  const Case cases[] = {
      {"mono 8", 1, 8, {0x80, 0xFF, 0x00, 0x90}, {0, 0, 32512, 32512, -32768, -32768, 4096, 4096}},
      {"stereo 8", 2, 8, {0x00, 0xFF, 0x81, 0x7F}, {-32768, 32512, 256, -256}},
      {"mono 16", 1, 16, {0x34, 0x12, 0x00, 0x80}, {0x1234, 0x1234, -32768, -32768}},
      {"stereo 16", 2, 16, {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x40, 0x00, 0xC0}, {1, -1, 16384, -16384}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IDirectSoundBuffer* buffer = Buffer(c.channels, c.bits, 44100, c.data);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const int frames = static_cast<int>(c.expected.size() / 2);
    const std::vector<int16_t> out = Mix(frames + 2);
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(out[i], c.expected[i]) << i;
    EXPECT_EQ(out[c.expected.size()], 0);  // silence after the end
    EXPECT_FALSE(Playing(buffer));
    EXPECT_EQ(PlayCursor(buffer), 0u);
  }
}

TEST_F(DirectSoundTest, ABufferAtAnotherRateLastsItsOwnTimeAndIsInterpolated) {
  // 2 frames at 22,050 Hz: 0 then 1000; at 44,100 Hz 0, 500, 1000, 1000.
  IDirectSoundBuffer* slow = Buffer(1, 16, 22050, {0x00, 0x00, 0xE8, 0x03});
  ASSERT_EQ(slow->Play(0, 0, 0), DS_OK);
  const std::vector<int16_t> out = Mix(6);
  const int16_t expected[] = {0, 500, 1000, 1000, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[2 * i], expected[i]) << i;
  // Rates that do not divide: the buffer ends once its length has been played.
  for (const DWORD rate : {8000u, 11025u, 32000u, 48000u, 96000u}) {
    SCOPED_TRACE(rate);
    const DWORD frames = rate / 10;
    IDirectSoundBuffer* buffer = Buffer(1, 8, rate, std::vector<uint8_t>(frames, 0x90));
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const int output_frames = static_cast<int>((frames * 44100 + rate - 1) / rate);
    Mix(output_frames - 1);
    EXPECT_TRUE(Playing(buffer));
    Mix(3);
    EXPECT_FALSE(Playing(buffer));
  }
}

TEST_F(DirectSoundTest, LoopingWrapsAndStopKeepsTheCursor) {
  IDirectSoundBuffer* buffer = Buffer(2, 16, 44100, std::vector<uint8_t>(4 * 100, 0x01));
  ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  DWORD status = 0;
  buffer->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  Mix(250);
  EXPECT_EQ(PlayCursor(buffer), 50u * 4);
  EXPECT_TRUE(Playing(buffer));
  ASSERT_EQ(buffer->Stop(), DS_OK);
  Mix(10);
  EXPECT_EQ(PlayCursor(buffer), 50u * 4);
  ASSERT_EQ(buffer->SetCurrentPosition(4 * 90 + 3), DS_OK);  // taken down to a whole frame
  EXPECT_EQ(PlayCursor(buffer), 90u * 4);
  EXPECT_EQ(buffer->SetCurrentPosition(4 * 100), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LockGivesTwoRegionsWhenTheRangeWraps) {
  IDirectSoundBuffer* buffer = Buffer(1, 8, 8000, std::vector<uint8_t>(100, 0));
  void* region1 = nullptr;
  void* region2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  ASSERT_EQ(buffer->Lock(80, 50, &region1, &bytes1, &region2, &bytes2, 0), DS_OK);
  EXPECT_EQ(bytes1, 20u);
  EXPECT_EQ(bytes2, 30u);
  EXPECT_EQ(static_cast<uint8_t*>(region1) - static_cast<uint8_t*>(region2), 80);
  EXPECT_EQ(buffer->Unlock(region1, bytes1, region2, bytes2), DS_OK);
  EXPECT_EQ(buffer->Unlock(region1, bytes1 + 1, nullptr, 0), DSERR_INVALIDPARAM);
  for (const auto& range : {std::pair<DWORD, DWORD>{100, 1}, {0, 0}, {0, 101}}) {
    EXPECT_EQ(buffer->Lock(range.first, range.second, &region1, &bytes1, &region2, &bytes2, 0),
              DSERR_INVALIDPARAM);
  }
}

TEST_F(DirectSoundTest, DuplicatesShareTheDataButPlayOnTheirOwn) {
  IDirectSoundBuffer* original = Buffer(1, 16, 44100, std::vector<uint8_t>(2 * 1000, 0));
  IDirectSoundBuffer* duplicate = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(original, &duplicate), DS_OK);
  buffers_.push_back(duplicate);
  void* region = nullptr;
  DWORD bytes = 0;
  ASSERT_EQ(original->Lock(0, 2, &region, &bytes, nullptr, nullptr, 0), DS_OK);
  static_cast<int16_t*>(region)[0] = 1234;
  original->Unlock(region, bytes, nullptr, 0);
  ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
  const std::vector<int16_t> out = Mix(3);
  EXPECT_EQ(out[0], 1234);
  EXPECT_EQ(PlayCursor(duplicate), 3u * 2);
  EXPECT_EQ(PlayCursor(original), 0u);
  EXPECT_FALSE(Playing(original));
}

TEST_F(DirectSoundTest, BuffersTheOutputCannotPlayAreRefused) {
  struct Case {
    const char* name;
    WAVEFORMATEX format;
    DWORD bytes;
  };
  const Case cases[] = {
      {"24 bits", {WAVE_FORMAT_PCM, 2, 44100, 264600, 6, 24, 0}, 600},
      {"3 channels", {WAVE_FORMAT_PCM, 3, 44100, 264600, 6, 16, 0}, 600},
      {"no channels", {WAVE_FORMAT_PCM, 0, 44100, 0, 0, 16, 0}, 600},
      {"rate 50", {WAVE_FORMAT_PCM, 1, 50, 100, 2, 16, 0}, 600},
      {"block align that does not match", {WAVE_FORMAT_PCM, 2, 44100, 176400, 2, 16, 0}, 600},
      {"not PCM", {0x55, 2, 44100, 16000, 1, 0, 0}, 600},
      {"no bytes", {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0}, 0},
      {"less than a frame", {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WAVEFORMATEX format = c.format;
    DSBUFFERDESC description = {sizeof(DSBUFFERDESC), DSBCAPS_STATIC, c.bytes, 0, &format};
    IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(1);
    EXPECT_TRUE(FAILED(device_->CreateSoundBuffer(&description, &buffer, nullptr)));
    EXPECT_EQ(buffer, nullptr);
  }
}

TEST_F(DirectSoundTest, ThePrimaryBufferTakesAFormatAtPriorityLevel) {
  DSBUFFERDESC description = {sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
  const WAVEFORMATEX mono8 = {WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, 0};
  EXPECT_EQ(primary->SetFormat(&mono8), DS_OK);
  WAVEFORMATEX read{};
  ASSERT_EQ(primary->GetFormat(&read, sizeof(read), nullptr), DS_OK);
  EXPECT_EQ(std::memcmp(&read, &mono8, sizeof(read)), 0);
  ASSERT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
  EXPECT_EQ(primary->SetFormat(&mono8), DSERR_PRIOLEVELNEEDED);
  primary->Release();
}

// Initialising a device opens the installed host's output with the mixer:
// each vertical-blank wait of the null host then mixes 735 frames.
TEST(DirectSoundHost, TheHostPullsTheMixerWhileADeviceIsOpen) {
  NullHost& host = InstalledNullHost();
  const int64_t before = host.AudioFramesPulled();
  CurrentHost().Clock().WaitVerticalBlank();
  EXPECT_EQ(host.AudioFramesPulled(), before);  // nothing open: nothing pulled
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound, &object), S_OK);
  auto* device = static_cast<IDirectSound*>(object);
  ASSERT_EQ(device->Initialize(nullptr), DS_OK);
  WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  DSBUFFERDESC description = {sizeof(DSBUFFERDESC), 0, 4 * 2000, 0, &format};
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  CurrentHost().Clock().WaitVerticalBlank();
  EXPECT_EQ(host.AudioFramesPulled(), before + 735);
  DWORD play = 0;
  buffer->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 735u * 4);
  device->Release();
  CurrentHost().Clock().WaitVerticalBlank();
  EXPECT_EQ(host.AudioFramesPulled(), before + 735);  // closed with the last device
  buffer->Release();
}

// The host mixes on its own thread while the game thread makes, plays and
// releases buffers.
TEST_F(DirectSoundTest, MixingOnAnotherThreadWhileBuffersComeAndGo) {
  BackgroundMixer mixer(256, 44100);
  for (int i = 0; i < 300; ++i) {
    IDirectSoundBuffer* buffer = Buffer(1 + i % 2, i % 3 == 0 ? 8 : 16, 8000 + 1000 * (i % 40),
                                        std::vector<uint8_t>(64 + i, static_cast<uint8_t>(i)));
    ASSERT_NE(buffer, nullptr);
    buffer->Play(0, 0, i % 4 == 0 ? DSBPLAY_LOOPING : 0);
    if (i % 3 == 0) {
      IDirectSoundBuffer* duplicate = nullptr;
      device_->DuplicateSoundBuffer(buffer, &duplicate);
      duplicate->Play(0, 0, 0);
      duplicate->Release();
    }
    buffers_.pop_back();
    buffer->Release();
  }
  mixer.AfterMixes(1);
  mixer.Stop();
  EXPECT_EQ(LiveSoundBufferCount(), 0);
}

}  // namespace
