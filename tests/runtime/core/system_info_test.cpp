// The system information's accessors: what LogSystemInfo read of the
// platform (Windows XP, a processor with MMX) and the MMX flag.
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/system_info.h"

namespace {

TEST(SystemInfoTest, AccessorsGiveWhatTheSystemInformationRead) {
  ASSERT_EQ(LogSystemInfo(), 0);
  EXPECT_EQ(IsMmxUsable(), 1);
  EXPECT_EQ(std::string(GetSystemInfoRecord()), "WindowsXP ( Build 2600 Service Pack 2 )");
  EXPECT_EQ(GetSystemInfoRecord(), OsDescription);
}

TEST(SystemInfoTest, TheMmxAccessorFollowsTheFlag) {
  const int32_t saved = MmxUsableFlag;
  for (int32_t flag : {0, 1}) {
    MmxUsableFlag = flag;
    EXPECT_EQ(IsMmxUsable(), flag);
  }
  MmxUsableFlag = saved;
}

}  // namespace
