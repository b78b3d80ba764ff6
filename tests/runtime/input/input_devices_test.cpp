// Input devices over the null host's key and pad tables.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/com.h"
#include "platform/win32/dinput.h"
#include "tests/runtime/system/window_test_support.h"

namespace {

// The pad bits of one key of the keyboard.
struct KeyCase {
  const char* name;
  int dik;
  int32_t bits;
};

const KeyCase kKeyCases[] = {
    {"down", 0xD0, 0x1},        {"pad2", 0x50, 0x1},     {"left", 0xCB, 0x2},
    {"pad4", 0x4B, 0x2},        {"right", 0xCD, 0x4},    {"pad6", 0x4D, 0x4},
    {"up", 0xC8, 0x8},          {"pad8", 0x48, 0x8},     {"z", 0x2C, 0x10},
    {"x", 0x2D, 0x20},          {"c", 0x2E, 0x40},       {"a", 0x1E, 0x80},
    {"s", 0x1F, 0x100},         {"d", 0x20, 0x200},      {"q", 0x10, 0x400},
    {"w", 0x11, 0x800},         {"escape", 0x01, 0x1000}, {"space", 0x39, 0x2000},
    {"return", 0x1C, 0},        {"pad5", 0x4C, 0},
};

class KeyTableTest : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

// A host key reaches the keyboard table under its DirectInput code and gives
// its pad bit with the keyboard asked for, and nothing without it.
TEST_P(KeyTableTest, HostKeyGivesItsCodeAndPadBit) {
  const KeyCase& key = GetParam();
  CurrentHost().Input().SetKey(key.dik, true);
  ASSERT_EQ(Frame(), 0);
  EXPECT_EQ(IsKeyDown(key.dik), 1);
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard), key.bits);
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard | 1), key.bits);  // no pads here
  EXPECT_EQ(GetPadInputBits(1), 0);
  CurrentHost().Input().SetKey(key.dik, false);
  ASSERT_EQ(Frame(), 0);
  EXPECT_EQ(IsKeyDown(key.dik), 0);
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard), 0);
}

INSTANTIATE_TEST_SUITE_P(InputDevices, KeyTableTest, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ArrowAndPadKeyOfOneDirectionGiveTheBitOnce) {
  CurrentHost().Input().SetKey(0xCB, true);
  CurrentHost().Input().SetKey(0x4B, true);
  CurrentHost().Input().SetKey(0x2C, true);
  Frame();
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard), 0x2 | 0x10);
}

TEST_F(MainWindowTest, TwoRefreshesInOneMillisecondReadTheKeyboardOnce) {
  Frame();
  EXPECT_EQ(UpdateKeyboardState(), 1);
  // Same millisecond, nothing new: not read again.
  EXPECT_EQ(UpdateKeyboardState(), 0);
  // New data sets the device's event, which lets the next refresh read.
  CurrentHost().Input().SetKey(0x2C, true);
  ProcessMessage();
  EXPECT_EQ(UpdateKeyboardState(), 1);
  EXPECT_EQ(InputDevices.KeyStateBuffer[0x2C], 0x80);
}

TEST_F(MainWindowTest, KeyCodesOutsideTheTableAreUp) {
  CurrentHost().Input().SetKey(0x2C, true);
  Frame();
  EXPECT_EQ(IsKeyDown(-1), 0);
  EXPECT_EQ(IsKeyDown(256), 0);
}

// ---- Pads ---------------------------------------------------------------------------

struct AxisCase {
  const char* name;
  int32_t x;  // host axis, -32768 to 32767
  int32_t y;
  int32_t bits;
};

// DirectInput spreads the axes over -1000..1000 with a dead zone of a
// quarter on each side.
const AxisCase kAxisCases[] = {
    {"rest", 0, 0, 0},
    {"full_left", -32768, 0, 0x2},
    {"full_right", 32767, 0, 0x4},
    {"full_up", 0, -32768, 0x8},
    {"full_down", 0, 32767, 0x1},
    {"inside_dead_zone", -8100, 8100, 0},
    {"past_dead_zone", -9000, 9000, 0x2 | 0x1},
    {"diagonal", 20000, -20000, 0x4 | 0x8},
};

class PadTest : public MainWindowTest {
 protected:
  void ConnectPads() override {
    HostPadState pad;
    pad.connected = true;
    CurrentHost().Input().SetPad(0, pad);
    CurrentHost().Input().SetPad(1, pad);
  }
  void SetPad(int index, int32_t x, int32_t y, uint32_t buttons) {
    HostPadState pad;
    pad.connected = true;
    pad.axes[0] = x;
    pad.axes[1] = y;
    pad.buttons = buttons;
    CurrentHost().Input().SetPad(index, pad);
  }
};

class PadAxisTest : public PadTest, public ::testing::WithParamInterface<AxisCase> {};

TEST_P(PadAxisTest, AxesPastTheDeadZoneGiveDirectionBits) {
  ASSERT_EQ(InputDevices.pad_count, 2);
  SetPad(1, GetParam().x, GetParam().y, 0);
  Frame();
  EXPECT_EQ(GetPadInputBits(2), GetParam().bits);
  EXPECT_EQ(GetPadInputBits(1), 0);
}

INSTANTIATE_TEST_SUITE_P(InputDevices, PadAxisTest, ::testing::ValuesIn(kAxisCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PadTest, ButtonsAndTheKeyboardMergeIntoOneBitSet) {
  SetPad(0, 0, 0, 0x1 | 0x4 | (1u << 7));
  CurrentHost().Input().SetKey(0xC8, true);
  Frame();
  EXPECT_EQ(GetPadInputBits(1), 0x10 | 0x40 | 0x800);
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard | 1), 0x10 | 0x40 | 0x800 | 0x8);
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard), 0x8);
  // A pad number beyond the pads, without the keyboard: nothing.
  EXPECT_EQ(GetPadInputBits(3), 0);
}

// Without DirectInput the multimedia joystick functions are read: positions
// 0 to 65535, with the middle quarter of each side dead.
class NoDirectInputTest : public PadTest {
 protected:
  void ConnectPads() override {
    PadTest::ConnectPads();
    fail7_ = std::make_unique<ScopedComFactory>(CLSID_DirectInput, Refuse);
    fail8_ = std::make_unique<ScopedComFactory>(CLSID_DirectInput8, Refuse);
  }
  void TearDown() override {
    PadTest::TearDown();
    fail7_.reset();
    fail8_.reset();
  }
  static HRESULT Refuse(REFIID, void** object) {
    *object = nullptr;
    return E_FAIL;
  }
  std::unique_ptr<ScopedComFactory> fail7_;
  std::unique_ptr<ScopedComFactory> fail8_;
};

TEST_F(NoDirectInputTest, JoystickPositionsAreScaledWithTheirDeadZone) {
  EXPECT_EQ(InputDevices.no_direct_input, 1);
  EXPECT_EQ(InputDevices.direct_input, NoDirectInputObject());
  EXPECT_EQ(InputDevices.pad_count, 8);
  const struct {
    uint32_t position;  // the joystick's X
    LONG axis;
    int32_t bits;
  } cases[] = {
      {0, -1000, 0x2},    {20000, -186, 0x2}, {24576, 0, 0},      {32767, 0, 0},
      {40960, 0, 0},      {50000, 367, 0x4},  {65535, 1000, 0x4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    SetPad(0, static_cast<int32_t>(c.position) - 32768, 0, 1u << 2);
    Frame();
    EXPECT_EQ(GetPadInputBits(1), c.bits | 0x40);
    EXPECT_EQ(InputDevices.pads[0].state.lX, c.axis);
  }
  // A pad id without a joystick reads nothing.
  EXPECT_EQ(GetPadInputBits(5), 0);
}

TEST_F(NoDirectInputTest, TheKeyboardComesFromTheKeyboardState) {
  CurrentHost().Input().SetKey(0x2D, true);
  CurrentHost().Input().SetKey(0x9C, true);  // the pad's Enter
  Frame();
  EXPECT_EQ(GetPadInputBits(kInputSetKeyboard), 0x20);
  EXPECT_EQ(IsKeyDown(0x2D), 1);
  EXPECT_EQ(IsKeyDown(0x9C), 1);
}

}  // namespace
