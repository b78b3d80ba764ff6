// A test that starts the library in a folder of its own, where start-up
// writes "Log.txt", holding the library lock throughout, as the API entries
// hold it around start-up and every call. The settings are those of the
// game's window in window mode. The test must leave no tracked block behind.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/system/library.h"
#include "runtime/system/main_window.h"

class LibraryFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brimal_library_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof(here)), nullptr);
    previous_ = here;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    AcquireLibraryLock();
    blocks_ = TrackedBlockCount();
    WindowSettings = MainWindowSettings{};
    WindowModeFlag = 1;
    NoWindowFlag = 0;
    UserWindowFlag = 0;
    LogOffFlag = 0;
    SetMainWindowCaption("BRIMAL_Ver1.04");
    Screen = ScreenState{};
  }
  void TearDown() override {
    WindowModeFlag = 0;
    Screen = ScreenState{};
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "tracked blocks left behind";
    ReleaseLibraryLock();
    ASSERT_EQ(chdir(previous_.c_str()), 0);
    std::remove((folder_ + "/Log.txt").c_str());
    rmdir(folder_.c_str());
  }

  std::string LogText() const {
    std::ifstream file(folder_ + "/Log.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string folder_;
  std::string previous_;
  int32_t blocks_ = 0;
};
