// The mask screen's release, rebuild and end. Without a mask (the program's
// case) they change nothing; with a mask image set up here, release and end
// free it, and the rebuild makes it again.
#include "runtime/graphics/records/mask.h"

#include <gtest/gtest.h>

#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

class MaskTest : public SoftwareGraphicsTest {
 protected:
  void TearDown() override {
    EndMaskScreen();
    MaskUseFlag = 0;
    for (MaskRecord& record : MaskRecords) record = MaskRecord{};
    SoftwareGraphicsTest::TearDown();
  }

  // A mask screen as a mask-making caller would leave it.
  void SetUpMaskScreen() {
    MaskBuffer = static_cast<uint8_t*>(AllocTrackedCleared(640 * 480, "", 0));
    ASSERT_EQ(CreateScreenMemImage(&MaskMemImage, 640, 480, -1), 0);
    MaskMemImageInUse = 1;
    MaskScreenFlag = 1;
    MaskUseFlag = 1;
    MaskInForceFlag = 1;
  }
};

TEST_F(MaskTest, WithoutAMaskNothingChanges) {
  const int32_t blocks = TrackedBlockCount();
  DrawTargetRect = RECT{1, 2, 3, 4};
  EXPECT_EQ(ReleaseMaskScreen(), 0);
  EXPECT_EQ(RecreateMaskScreen(), 0);
  EXPECT_EQ(EndMaskScreen(), 0);
  EXPECT_EQ(DeleteAllMasks(), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  EXPECT_EQ(MaskBuffer, nullptr);
  EXPECT_EQ(MaskMemImageInUse, 0);
  EXPECT_EQ(MaskScreenFlag, 0);
  EXPECT_EQ(MaskUseFlag, 0);
  EXPECT_EQ(MaskInForceFlag, 0);
  EXPECT_EQ(DrawTargetRect.left, 1);
  EXPECT_EQ(DrawTargetRect.bottom, 4);
}

TEST_F(MaskTest, ReleaseFreesAndKeepsWhatTheRebuildNeeds) {
  const int32_t blocks = TrackedBlockCount();
  SetUpMaskScreen();
  EXPECT_EQ(ReleaseMaskScreen(), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  EXPECT_EQ(MaskBuffer, nullptr);
  EXPECT_EQ(MaskMemImageInUse, 0);
  EXPECT_EQ(MaskScreenFlag, 1);
  EXPECT_EQ(MaskUseFlag, 1);

  DrawTargetRect = RECT{7, 7, 7, 7};
  EXPECT_EQ(RecreateMaskScreen(), 0);
  EXPECT_NE(MaskBuffer, nullptr);
  EXPECT_EQ(MaskMemImageInUse, 1);
  EXPECT_EQ(MaskMemImage.width, 640);
  EXPECT_EQ(MaskInForceFlag, 1);
  EXPECT_EQ(DrawTargetRect.left, 0);
  EXPECT_EQ(DrawTargetRect.right, 640);
  EXPECT_EQ(DrawTargetRect.bottom, 480);
}

TEST_F(MaskTest, EndFreesEverythingAndClearsTheFlags) {
  const int32_t blocks = TrackedBlockCount();
  SetUpMaskScreen();
  EXPECT_EQ(EndMaskScreen(), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  EXPECT_EQ(MaskBuffer, nullptr);
  EXPECT_EQ(MaskMemImageInUse, 0);
  EXPECT_EQ(MaskScreenFlag, 0);
  EXPECT_EQ(MaskInForceFlag, 0);
  EXPECT_EQ(MaskUseFlag, 0);
  // Nothing is left for a rebuild to make.
  EXPECT_EQ(RecreateMaskScreen(), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

TEST_F(MaskTest, DeleteAllMasksDeletesRecordsInUse) {
  MaskRecords[3] = MaskRecord{5, 1};
  MaskRecords[511] = MaskRecord{2047, 1};
  MaskRecords[7] = MaskRecord{9, 0};
  const int32_t stale = MakeRuntimeHandle(4, HandleType::kMask, 3);
  EXPECT_EQ(DeleteMaskHandle(stale), -1);
  EXPECT_EQ(MaskRecords[3].in_use, 1);
  EXPECT_EQ(DeleteAllMasks(), 0);
  EXPECT_EQ(MaskRecords[3].in_use, 0);
  EXPECT_EQ(MaskRecords[511].in_use, 0);
  EXPECT_EQ(DeleteMaskHandle(MakeRuntimeHandle(5, HandleType::kMask, 3)), -1);
}

}  // namespace
