// The SDL host under SDL's dummy video and audio drivers (the test
// environment sets SDL_VIDEODRIVER=dummy and SDL_AUDIODRIVER=dummy).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_host.h"

namespace {

class SdlHostTest : public ::testing::Test {
 protected:
  SdlHostTest() : host_(SdlHostOptions{}) { host_.Clock().SetGameThread(); }

  std::vector<HostEvent> Poll() {
    std::vector<HostEvent> events;
    host_.Video().PollEvents(&events);
    return events;
  }

  SdlHost host_;
};

TEST_F(SdlHostTest, MakesTheWindowAndTakesAWholeWindowWrite) {
  EXPECT_FALSE(host_.HasWindow());
  host_.Video().SetTitle("ブリマル");
  host_.Video().SetWindowImageSize(64, 48);
  EXPECT_TRUE(host_.HasWindow());
  int width = 0, height = 0;
  host_.Video().GetWindowImageSize(&width, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);

  // A 32 x 24 image doubled onto the whole window.
  std::vector<uint32_t> image(32 * 24);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint32_t>(i * 0x010203) & 0xFFFFFF;
  host_.Video().WriteImage(0, 0, 64, 48, image.data(), 32, 24, 32);
  std::vector<uint32_t> back(64 * 48);
  host_.Video().ReadImage(0, 0, 64, 48, back.data(), 64);
  for (int y = 0; y < 48; y += 7) {
    for (int x = 0; x < 64; x += 5) {
      EXPECT_EQ(back[y * 64 + x], image[(y / 2) * 32 + x / 2]) << x << "," << y;
    }
  }
  host_.Video().SetFullScreen(true);
  host_.Video().SetFullScreen(false);
}

TEST_F(SdlHostTest, DummyDriverGivesNoFocusEventsAndCannotAsk) {
  host_.Video().SetWindowImageSize(32, 32);
  for (int i = 0; i < 3; ++i) {
    for (const HostEvent& event : Poll()) {
      EXPECT_NE(event.type, HostEventType::FocusGained);
      EXPECT_NE(event.type, HostEventType::FocusLost);
      EXPECT_NE(event.type, HostEventType::Close);
    }
  }
  // The question cannot be shown: the answer is No.
  EXPECT_FALSE(host_.Video().AskYesNo("caption", "question?"));
  int width = 0, height = 0, depth = 0;
  host_.Video().GetDesktopMode(&width, &height, &depth);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  EXPECT_TRUE(depth == 16 || depth == 32) << depth;
}

TEST(SdlKeyMapTest, MapsTheKeysTheGameUses) {
  struct Case {
    const char* sdl_name;
    int dik;
  };
  const Case cases[] = {
      {"Escape", 1},     {"1", 2},          {"9", 10},          {"0", 11},
      {"Q", 16},         {"W", 17},         {"A", 30},          {"S", 31},
      {"D", 32},         {"Z", 44},         {"X", 45},          {"C", 46},
      {"Space", 57},     {"Return", 28},    {"Backspace", 14},  {"Tab", 15},
      {"Left Shift", 42}, {"Right Shift", 54}, {"Left Ctrl", 29}, {"F1", 59},
      {"F12", 88},       {"Up", 200},       {"Left", 203},      {"Right", 205},
      {"Down", 208},     {"Keypad 2", 80},  {"Keypad 4", 75},   {"Keypad 6", 77},
      {"Keypad 8", 72},  {"Keypad Enter", 156}, {"Delete", 211}, {"Home", 199},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sdl_name);
    const int scancode = SdlScancodeFromName(c.sdl_name);
    ASSERT_NE(scancode, 0);
    EXPECT_EQ(DikFromSdlScancode(scancode), c.dik);
  }
  EXPECT_EQ(DikFromSdlScancode(0), 0);
  EXPECT_EQ(DikFromSdlScancode(-1), 0);
  EXPECT_EQ(DikFromSdlScancode(100000), 0);
}

TEST_F(SdlHostTest, KeysAndTypedTextReachTheInputTables) {
  host_.Video().SetWindowImageSize(32, 32);
  const int z = SdlScancodeFromName("Z");
  SdlPushKeyEvent(z, true);
  SdlPushTextEvent("zあ");
  Poll();
  EXPECT_TRUE(host_.Input().KeyDown(44));
  EXPECT_EQ(host_.Input().TakeTypedText(), "z\x82\xa0");
  SdlPushKeyEvent(z, false);
  Poll();
  EXPECT_FALSE(host_.Input().KeyDown(44));
}

TEST_F(SdlHostTest, VirtualJoystickBecomesAPad) {
  const int device = SdlAttachVirtualPad(2, 4, 1);
  ASSERT_GE(device, 0);
  Poll();
  EXPECT_EQ(host_.PadCount(), 1);
  SdlSetVirtualPadAxis(device, 0, -32768);
  SdlSetVirtualPadButton(device, 2, true);
  Poll();
  const HostPadState pad = host_.Input().Pad(0);
  EXPECT_TRUE(pad.connected);
  EXPECT_EQ(pad.axes[0], -32768);
  EXPECT_EQ(pad.axes[1], 0);
  EXPECT_EQ(pad.buttons, 1u << 2);
  EXPECT_EQ(pad.pov, -1);
  SdlDetachVirtualPad(device);
  Poll();
  EXPECT_EQ(host_.PadCount(), 0);
  EXPECT_FALSE(host_.Input().Pad(0).connected);
}

TEST_F(SdlHostTest, SoundIsPulledFromTheMixerUntilClosed) {
  std::atomic<int> frames{0};
  ASSERT_TRUE(host_.Audio().Open([&](int16_t* out, int count) {
    for (int i = 0; i < count * 2; ++i) out[i] = 0;
    frames += count;
  }));
  EXPECT_EQ(host_.Audio().OutputRate(), 44100);
  while (frames.load() < 2048) std::this_thread::yield();
  host_.Audio().Close();
  const int after_close = frames.load();
  EXPECT_EQ(frames.load(), after_close);
}

TEST(SdlHostFramesTest, CloseIsReportedAfterTheLastFrame) {
  SdlHostOptions options;
  options.close_after_frame = 1;
  SdlHost host(options);
  host.Clock().SetGameThread();
  host.Video().SetWindowImageSize(8, 8);
  const std::vector<uint32_t> image(64, 0x123456);
  auto polled_close = [&] {
    std::vector<HostEvent> events;
    host.Video().PollEvents(&events);
    for (const HostEvent& event : events) {
      if (event.type == HostEventType::Close) return true;
    }
    return false;
  };
  host.Video().WriteImage(0, 0, 8, 8, image.data(), 8, 8, 8);  // no wait before it
  EXPECT_FALSE(polled_close());
  host.Clock().WaitVerticalBlank();
  host.Video().WriteImage(0, 0, 8, 8, image.data(), 8, 8, 8);
  EXPECT_TRUE(polled_close());
  EXPECT_FALSE(polled_close());
}

}  // namespace
