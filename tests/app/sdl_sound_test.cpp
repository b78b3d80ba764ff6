// The SDL host's sound output where there is a device and where there is
// none: SDL's dummy audio driver opens quietly, and on a machine without a
// sound card the host says once, in one line of its own, that the game runs
// without sound, with no line of the audio libraries on stderr.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sdl/sdl_host.h"

namespace {

namespace fs = std::filesystem;

// Sends stderr to a file while it lives; Text() gives what was written.
class StderrCapture {
 public:
  StderrCapture() {
    char pattern[] = "/tmp/brimal_sdl_sound_XXXXXX";
    const int file = mkstemp(pattern);
    path_ = pattern;
    std::fflush(stderr);
    saved_ = dup(2);
    dup2(file, 2);
    close(file);
  }
  ~StderrCapture() {
    Restore();
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  std::string Text() {
    Restore();
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  fs::path path_;
  int saved_ = -1;
};

class SdlSoundTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

  static AudioHost::PullFunction Silence() {
    return [](int16_t* frames, int count) { std::fill(frames, frames + 2 * count, int16_t{0}); };
  }
};

TEST_F(SdlSoundTest, TheDummyDriverOpensADeviceWithoutAWord) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SdlHost host(SdlHostOptions{});
  StderrCapture capture;
  ASSERT_TRUE(host.Audio().Open(Silence()));
  EXPECT_TRUE(host.AudioDeviceOpen());
  host.Audio().Close();
  EXPECT_EQ(capture.Text(), "");
}

TEST_F(SdlSoundTest, WithoutASoundCardSaysOnceThatTheGameRunsWithoutSound) {
  if (fs::exists("/dev/snd")) GTEST_SKIP() << "this machine has a sound card";
  unsetenv("SDL_AUDIODRIVER");
  SdlHost host(SdlHostOptions{});
  StderrCapture capture;
  ASSERT_TRUE(host.Audio().Open(Silence()));
  if (host.AudioDeviceOpen()) GTEST_SKIP() << "a sound server answered";
  host.Audio().Close();
  // Opened again (as after a lost device): nothing more is said.
  ASSERT_TRUE(host.Audio().Open(Silence()));
  EXPECT_FALSE(host.AudioDeviceOpen());
  host.Audio().Close();
  const std::string text = capture.Text();
  EXPECT_EQ(text, "brimal: no sound device (no sound card, no sound server); the game runs without sound\n");
}

}  // namespace
