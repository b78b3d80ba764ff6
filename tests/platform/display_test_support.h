// A visible window (the host's window) for the DirectDraw and GDI stand-in
// tests, and a helper to read the host's window image.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/user.h"
#include "tests/platform/test_support.h"

class HostWindowTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 100;
  static constexpr int kTop = 50;
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;

  void SetUp() override { Open(WS_CAPTION | WS_VISIBLE, kLeft, kTop); }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA("DisplayTest", nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ChangeDisplaySettingsA(nullptr, 0);
  }

  void Open(DWORD style, int x, int y) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.lpszClassName = "DisplayTest";
    ASSERT_NE(RegisterClassA(&window_class), 0);
    window_ = CreateWindowExA(0, "DisplayTest", "display", style, x, y, kWidth, kHeight, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(GetForegroundWindow(), window_) << "the host's window";
  }

  static std::vector<uint32_t> Image() {
    int width = 0, height = 0;
    CurrentHost().Video().GetWindowImageSize(&width, &height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    CurrentHost().Video().ReadImage(0, 0, width, height, pixels.data(), width);
    return pixels;
  }

  // Takes the window's waiting messages; the WM_DISPLAYCHANGE ones go to
  // `changes`.
  std::vector<MSG> DisplayChanges() {
    std::vector<MSG> changes;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_DISPLAYCHANGE) changes.push_back(message);
    }
    return changes;
  }

  HWND window_ = nullptr;
};
