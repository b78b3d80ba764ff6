// The SDL host under SDL's dummy video and audio drivers (the test
// environment sets SDL_VIDEODRIVER=dummy and SDL_AUDIODRIVER=dummy).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_host.h"
#include "platform/win32/dinput.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "platform/win32/winsock.h"
#include "tests/support/network/loopback_peer.h"

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

// An answer given with the host's options is the answer, without a box; the
// dummy driver shows none, so only such an answer can be Yes there.
TEST(SdlHostQuestionTest, AGivenAnswerIsTakenWithoutAsking) {
  struct Case {
    std::optional<bool> answer;
    bool expected;
  };
  for (const Case& c : {Case{std::nullopt, false}, Case{true, true}, Case{false, false}}) {
    SCOPED_TRACE(c.answer.has_value() ? (*c.answer ? "yes" : "no") : "asked");
    SdlHostOptions options;
    options.answer = c.answer;
    SdlHost host(options);
    host.Clock().SetGameThread();
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.Video().AskYesNo("caption", "question?\n"), c.expected);
    const std::string said = testing::internal::GetCapturedStderr();
    if (c.answer.has_value()) {
      EXPECT_EQ(said, "");
    } else {
      // One line, the question's line break dropped.
      EXPECT_NE(said.find("cannot show the question \"question?\" (no display)"), std::string::npos)
          << said;
      EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    }
  }
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

// The SDL host installed as the program's host: injected key and text
// events become messages of the window's thread, and keys and a virtual
// joystick fill the same tables that DirectInput and the joystick functions
// read.
TEST(SdlWindowTest, InjectedEventsAndAVirtualPadReachTheWindowAndTheInputDevices) {
  InstallHost(std::make_unique<SdlHost>(SdlHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.lpszClassName = "SdlTestWindow";
  ASSERT_NE(RegisterClassA(&window_class), 0);
  HWND window = CreateWindowExA(0, "SdlTestWindow", "test", WS_CAPTION | WS_VISIBLE, 10, 10, 64,
                                48, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const int pad = SdlAttachVirtualPad(2, 4, 1);
  ASSERT_GE(pad, 0);

  auto take_messages = [] {
    std::vector<MSG> messages;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_PAINT) continue;
      messages.push_back(message);
      TranslateMessage(&message);
    }
    return messages;
  };
  take_messages();

  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectInput, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput7,
                             &object),
            S_OK);
  auto* direct_input = static_cast<IDirectInput7*>(object);
  ASSERT_EQ(direct_input->Initialize(nullptr, DIRECTINPUT_VERSION_7), DI_OK);
  IDirectInputDevice7* keyboard = nullptr;
  ASSERT_EQ(direct_input->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7,
                                         reinterpret_cast<void**>(&keyboard), nullptr),
            DI_OK);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);

  SdlPushKeyEvent(SdlScancodeFromName("Left Alt"), true);
  SdlPushKeyEvent(SdlScancodeFromName("Return"), true);
  SdlPushTextEvent("日本");
  SdlPushKeyEvent(SdlScancodeFromName("Z"), true);
  const std::vector<MSG> messages = take_messages();
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const MSG& message : messages) seen.emplace_back(message.message, message.wParam);
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_CHAR, 0x93}, {WM_CHAR, 0xFA}, {WM_CHAR, 0x96}, {WM_CHAR, 0x7B},  // 日本 in Shift-JIS
      {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, VK_RETURN}, {WM_SYSCHAR, '\r'},
      {WM_SYSKEYDOWN, 'Z'},
  };
  EXPECT_EQ(seen, expected);

  uint8_t keys[256] = {};
  ASSERT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
  EXPECT_EQ(keys[0x38], 0x80);  // left Alt
  EXPECT_EQ(keys[0x1C], 0x80);  // Return
  EXPECT_EQ(keys[0x2C], 0x80);  // Z
  EXPECT_EQ(keys[0x2D], 0x00);
  BYTE virtual_keys[256] = {};
  GetKeyboardState(virtual_keys);
  EXPECT_EQ(virtual_keys[VK_MENU], 0x80);
  EXPECT_EQ(virtual_keys['Z'], 0x80);

  // The virtual joystick, through DirectInput with the game's range and dead
  // zone, and through the joystick functions.
  int pads = 0;
  DIDEVICEINSTANCEA found{};
  direct_input->EnumDevices(
      DIDEVTYPE_JOYSTICK,
      [](const DIDEVICEINSTANCEA* instance, void* context) -> BOOL {
        *static_cast<DIDEVICEINSTANCEA*>(context) = *instance;
        return DIENUM_CONTINUE;
      },
      &found, DIEDFL_ATTACHEDONLY);
  pads = found.dwSize != 0 ? 1 : 0;
  ASSERT_EQ(pads, 1);
  IDirectInputDevice7* joystick = nullptr;
  ASSERT_EQ(direct_input->CreateDeviceEx(found.guidInstance, IID_IDirectInputDevice7,
                                         reinterpret_cast<void**>(&joystick), nullptr),
            DI_OK);
  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, -1000,
                    1000};
  ASSERT_EQ(joystick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  DIPROPDWORD dead_zone{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 2500};
  ASSERT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &dead_zone.diph), DI_OK);
  ASSERT_EQ(joystick->Acquire(), DI_OK);
  SdlSetVirtualPadAxis(pad, 0, -32768);
  SdlSetVirtualPadButton(pad, 2, true);
  take_messages();
  DIJOYSTATE state{};
  ASSERT_EQ(joystick->GetDeviceState(sizeof(state), &state), DI_OK);
  EXPECT_EQ(state.lX, -1000);
  EXPECT_EQ(state.rgbButtons[2], 0x80);
  JOYINFOEX info{};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNALL;
  ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 0u);
  EXPECT_EQ(info.dwYpos, 32768u);
  EXPECT_EQ(info.dwButtons, 1u << 2);

  joystick->Release();
  keyboard->Release();
  direct_input->Release();
  SdlDetachVirtualPad(pad);
  DestroyWindow(window);
  UnregisterClassA("SdlTestWindow", nullptr);
  InstallHost(nullptr);
}

// Socket events reach the SDL host's windows through the stand-in's own
// queue, as on the null host.
std::vector<LPARAM> socket_events;
LRESULT SocketEventProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 0x105) socket_events.push_back(lparam);
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST(SdlWindowTest, ASocketsFdReadReachesAWindowProcedureOnTheMainThread) {
  InstallHost(std::make_unique<SdlHost>(SdlHostOptions{}));
  CurrentHost().Clock().SetGameThread();
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = SocketEventProc;
  window_class.lpszClassName = "SdlSocketWindow";
  ASSERT_NE(RegisterClassA(&window_class), 0);
  HWND window = CreateWindowExA(0, "SdlSocketWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE(), nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  WSADATA data;
  ASSERT_EQ(WSAStartup(0x0101, &data), 0);
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, SOMAXCONN), 0);
  int length = sizeof(address);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  LoopbackPeer peer;
  ASSERT_TRUE(peer.Connect(ntohs(address.sin_port), 5000));
  const SOCKET s = accept(listener, reinterpret_cast<sockaddr*>(&address), &length);
  ASSERT_NE(s, INVALID_SOCKET);
  ASSERT_EQ(WSAAsyncSelect(s, window, WM_USER + 0x105, FD_READ), 0);
  ASSERT_TRUE(peer.Write("hi", 2));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (socket_events.empty() && std::chrono::steady_clock::now() < deadline) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    std::this_thread::yield();
  }
  EXPECT_EQ(socket_events, std::vector<LPARAM>{FD_READ});
  EXPECT_EQ(WSACleanup(), 0);
  DestroyWindow(window);
  UnregisterClassA("SdlSocketWindow", nullptr);
  InstallHost(nullptr);
}

}  // namespace
