// Handles and registries: the handle layout, the check, the common add and
// delete, delete-all and each kind's failure rules. The tests work on the
// runtime's own registries (graphics, sounds, fonts), which the fixture
// empties before and after each test.
#include "runtime/core/handle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/system/library.h"

namespace {

struct TestRecord {
  HandleRecordHead head;
  int32_t payload[6];
};

// What AllocTrackedCleared cannot give: more than its signed 32-bit size.
constexpr size_t kUnallocatableSize = size_t{1} << 31;

// Frees every record of `registry` without going through the code under
// test and puts its bookkeeping back to the start.
void EmptyRegistry(HandleRegistry& registry) {
  for (int32_t slot = 0; slot < registry.slot_count; ++slot) {
    if (registry.records[slot] != nullptr) {
      FreeTracked(registry.records[slot]);
      registry.records[slot] = nullptr;
    }
  }
  registry.live_count = 0;
  registry.area_end = 0;
  registry.check_counter = 0;
}

RuntimeHandle Add(HandleRegistry& registry, const HandleKindPolicy& policy) {
  return AddHandleRecord(&registry, policy, sizeof(TestRecord));
}

int Delete(HandleRegistry& registry, RuntimeHandle handle) {
  return DeleteHandleRecord(&registry, handle,
                            [](HandleRecordHead*) { return HandleRelease::kFree; });
}

std::string ReadWholeFile(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
      text.append(buffer, got);
    }
    std::fclose(file);
  }
  return text;
}

// A temporary folder that receives the log while it lives.
class LogFolder {
 public:
  // `shared_name` names an environment variable through which a death test's
  // child, which runs the test again from its start, finds the folder its
  // parent made (and so writes its log where the parent reads it).
  explicit LogFolder(const char* shared_name = nullptr) : shared_name_(shared_name) {
    const char* shared = shared_name_ != nullptr ? std::getenv(shared_name_) : nullptr;
    if (shared != nullptr) {
      folder_ = shared;
    } else {
      const char* temp = std::getenv("TMPDIR");
      std::string pattern = std::string(temp != nullptr ? temp : "/tmp") + "/brimal_handle_XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
      }
      folder_ = pattern;
      owner_ = true;
      if (shared_name_ != nullptr) {
        setenv(shared_name_, folder_.c_str(), 1);
      }
    }
    SetLogFolder(folder_.c_str());
  }
  ~LogFolder() {
    SetLogFolder(nullptr);
    if (owner_) {
      std::remove(LogPath().c_str());
      std::remove(folder_.c_str());
      if (shared_name_ != nullptr) {
        unsetenv(shared_name_);
      }
    }
  }
  LogFolder(const LogFolder&) = delete;
  LogFolder& operator=(const LogFolder&) = delete;

  std::string Text() const { return ReadWholeFile(LogPath()); }

 private:
  std::string LogPath() const { return folder_ + "/Log.txt"; }

  const char* shared_name_;
  std::string folder_;
  bool owner_ = false;
};

// The last text written to the log is `text`.
::testing::AssertionResult LogEndsWith(const std::string& log, const std::string& text) {
  if (log.size() < text.size() || log.compare(log.size() - text.size(), text.size(), text) != 0) {
    return ::testing::AssertionFailure() << "the log does not end with the text; it reads:\n"
                                         << log;
  }
  return ::testing::AssertionSuccess();
}

// A fatal exit logged `text` as a line of its own and then ended the library,
// whose last step writes the live memory blocks.
::testing::AssertionResult LoggedBeforeLibraryEnd(const std::string& log,
                                                  const std::string& text) {
  const size_t line = log.find(text + "\r\n");
  const size_t dump = log.rfind("Alloc memory dump");
  if (line == std::string::npos || dump == std::string::npos || dump < line) {
    return ::testing::AssertionFailure()
           << "the log lacks the line or the library's end after it; it reads:\n"
           << log;
  }
  return ::testing::AssertionSuccess();
}

class HandleRegistryTest : public ::testing::Test {
 protected:
  explicit HandleRegistryTest(const char* shared_log_name = nullptr) : log_(shared_log_name) {}
  void SetUp() override { EmptyAll(); }
  void TearDown() override { EmptyAll(); }

  static void EmptyAll() {
    EmptyRegistry(GraphicTable);
    EmptyRegistry(SoundHandleTable);
    EmptyRegistry(FontHandleTable);
  }

  // Fills every empty slot of `registry` through the add under test.
  static void Fill(HandleRegistry& registry, const HandleKindPolicy& policy) {
    while (registry.live_count < registry.slot_count) {
      ASSERT_NE(Add(registry, policy), -1);
    }
  }

  LogFolder log_;
};

TEST_F(HandleRegistryTest, FirstTwoGraphicsTakeSlotsAndCheckIdsZeroAndOne) {
  HandleRecordHead* first_record = nullptr;
  const RuntimeHandle first =
      AddHandleRecord(&GraphicTable, kGraphicHandlePolicy, sizeof(TestRecord), -1, -1,
                      &first_record);
  const RuntimeHandle second = Add(GraphicTable, kGraphicHandlePolicy);

  EXPECT_EQ(first, 0x08000000);
  EXPECT_EQ(second & 0x07FF0000, 1 << 16);
  EXPECT_EQ(second & 0xFFFF, 1);
  EXPECT_EQ(second, 0x08010001);

  ASSERT_NE(first_record, nullptr);
  EXPECT_EQ(first_record, GraphicTable.records[0]);
  EXPECT_EQ(first_record->check_id, 0);
  EXPECT_EQ(first_record->handle, first);
  EXPECT_EQ(first_record->lost_flag, nullptr);
  const auto* first_test_record = reinterpret_cast<const TestRecord*>(first_record);
  for (int32_t word : first_test_record->payload) {
    EXPECT_EQ(word, 0);  // the record is allocated cleared
  }
  EXPECT_EQ(CheckRuntimeHandle(GraphicTable, second), GraphicTable.records[1]);
  EXPECT_EQ(GraphicTable.live_count, 2);
  EXPECT_EQ(GraphicTable.area_end, 2);
  EXPECT_EQ(GraphicTable.check_counter, 2);
}

// Each registry hands out its kind's type bits and refuses the first slot
// past its size.
TEST_F(HandleRegistryTest, EachRegistryHasItsKindsTypeBitsAndSlotCount) {
  struct Case {
    const char* name;
    HandleRegistry* registry;
    int32_t type_bits;
    int32_t slot_count;
  };
  const Case cases[] = {
      {"graphic", &GraphicTable, 0x08000000, 32768},
      {"sound", &SoundHandleTable, 0x10000000, 4096},
      {"movie", &MovieHandleTable, 0x18000000, 100},
      {"font", &FontHandleTable, 0x20000000, 40},
      {"2D surface", &Surface2DTable, 0x28000000, 32768},
      {"texture", &TextureHandleTable, 0x30000000, 65536},
      {"surface data", &SurfaceDataTable, 0x38000000, 65536},
      {"network connection", &NetWorkHandleTable, 0x48000000, 4097},
      {"music", &MusicHandleTable, 0x58000000, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandleRegistry& registry = *c.registry;
    EXPECT_EQ(registry.slot_count, c.slot_count);
    EmptyRegistry(registry);

    // The highest slot, given explicitly, and then one chosen by the registry.
    const RuntimeHandle last =
        AddHandleRecord(&registry, kSoundHandlePolicy, sizeof(TestRecord), c.slot_count - 1);
    EXPECT_EQ(last, c.type_bits | (0 << 16) | (c.slot_count - 1));
    EXPECT_NE(CheckRuntimeHandle(registry, last), nullptr);
    EXPECT_EQ(AddHandleRecord(&registry, kSoundHandlePolicy, sizeof(TestRecord), c.slot_count),
              -1);
    if (c.slot_count <= 0xFFFF) {
      const RuntimeHandle past_end = c.type_bits | c.slot_count;
      EXPECT_EQ(CheckRuntimeHandle(registry, past_end), nullptr);
    }
    EmptyRegistry(registry);
  }
}

// Slot, type and check id of a handle each have to agree with the registry.
TEST_F(HandleRegistryTest, CheckRefusesBadHandles) {
  const RuntimeHandle font = Add(FontHandleTable, kFontHandlePolicy);  // slot 0, check id 0
  const RuntimeHandle second = Add(FontHandleTable, kFontHandlePolicy);  // slot 1, check id 1
  ASSERT_EQ(font, 0x20000000);
  ASSERT_EQ(second, 0x20010001);
  ASSERT_NE(CheckRuntimeHandle(FontHandleTable, font), nullptr);

  struct Case {
    const char* name;
    RuntimeHandle handle;
  };
  const Case cases[] = {
      {"no handle", -1},
      {"negative with a good slot, type and check id", static_cast<int32_t>(0x80000000u) | font},
      {"sound type bits", MakeRuntimeHandle(0, HandleType::kSound, 0)},
      {"graphic type bits", MakeRuntimeHandle(0, HandleType::kGraphic, 0)},
      {"type 0", 0},
      {"slot at the slot count", MakeRuntimeHandle(0, HandleType::kFont, 40)},
      {"highest slot bits", MakeRuntimeHandle(0, HandleType::kFont, 0xFFFF)},
      {"empty slot", MakeRuntimeHandle(2, HandleType::kFont, 2)},
      {"check id of another record", MakeRuntimeHandle(1, HandleType::kFont, 0)},
      {"check id 2047 on a record of check id 0", MakeRuntimeHandle(2047, HandleType::kFont, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckRuntimeHandle(FontHandleTable, c.handle), nullptr);
    bool released = false;
    EXPECT_EQ(DeleteHandleRecord(&FontHandleTable, c.handle,
                                 [&](HandleRecordHead*) {
                                   released = true;
                                   return HandleRelease::kFree;
                                 }),
              -1);
    EXPECT_FALSE(released);
    EXPECT_EQ(FontHandleTable.live_count, 2);
    EXPECT_EQ(FontHandleTable.area_end, 2);
    EXPECT_NE(FontHandleTable.records[0], nullptr);
    EXPECT_NE(FontHandleTable.records[1], nullptr);
  }
}

TEST_F(HandleRegistryTest, DeletingTheNewestLetsTheNextRecordTakeItsSlotWithTheNextCheckId) {
  Add(GraphicTable, kGraphicHandlePolicy);
  Add(GraphicTable, kGraphicHandlePolicy);
  const RuntimeHandle newest = Add(GraphicTable, kGraphicHandlePolicy);
  ASSERT_EQ(GraphicTable.area_end, 3);

  EXPECT_EQ(Delete(GraphicTable, newest), 0);
  EXPECT_EQ(GraphicTable.area_end, 2);
  EXPECT_EQ(GraphicTable.live_count, 2);
  EXPECT_EQ(GraphicTable.records[2], nullptr);

  const RuntimeHandle next = Add(GraphicTable, kGraphicHandlePolicy);
  EXPECT_EQ(HandleSlot(next), 2);
  EXPECT_EQ(HandleCheckId(next), 3);
  EXPECT_EQ(CheckRuntimeHandle(GraphicTable, newest), nullptr);
  EXPECT_EQ(Delete(GraphicTable, newest), -1);
  EXPECT_NE(CheckRuntimeHandle(GraphicTable, next), nullptr);
}

// The area end drops only when the record just below it goes, and then past
// every empty slot below.
TEST_F(HandleRegistryTest, AreaEndMovesDownPastEmptySlots) {
  std::vector<RuntimeHandle> handles;
  for (int i = 0; i < 6; ++i) {
    handles.push_back(Add(SoundHandleTable, kSoundHandlePolicy));
  }
  struct Step {
    int slot_deleted;
    int32_t area_end;
  };
  const Step steps[] = {
      {1, 6}, {3, 6}, {4, 6},  // below the highest: no change
      {5, 3},                  // the highest: down past 4 and 3
      {0, 3},                  // the lowest: no change
      {2, 0},                  // the only one left
  };
  int32_t live = 6;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.slot_deleted);
    ASSERT_EQ(Delete(SoundHandleTable, handles[step.slot_deleted]), 0);
    EXPECT_EQ(SoundHandleTable.live_count, --live);
    EXPECT_EQ(SoundHandleTable.area_end, step.area_end);
  }
  // An empty registry starts again at slot 0.
  EXPECT_EQ(HandleSlot(Add(SoundHandleTable, kSoundHandlePolicy)), 0);
}

TEST_F(HandleRegistryTest, AFullAreaEndStaysAndNewRecordsFillTheLowestEmptySlots) {
  std::vector<RuntimeHandle> handles;
  for (int32_t i = 0; i < kGraphicSlotCount; ++i) {
    handles.push_back(Add(GraphicTable, kGraphicHandlePolicy));
  }
  ASSERT_EQ(GraphicTable.live_count, 32768);
  ASSERT_EQ(GraphicTable.area_end, 32768);
  EXPECT_EQ(HandleSlot(handles.back()), 32767);

  ASSERT_EQ(Delete(GraphicTable, handles[20000]), 0);
  ASSERT_EQ(Delete(GraphicTable, handles[7]), 0);
  EXPECT_EQ(GraphicTable.area_end, 32768);

  EXPECT_EQ(HandleSlot(Add(GraphicTable, kGraphicHandlePolicy)), 7);
  EXPECT_EQ(HandleSlot(Add(GraphicTable, kGraphicHandlePolicy)), 20000);
  EXPECT_EQ(GraphicTable.area_end, 32768);
  EXPECT_EQ(GraphicTable.live_count, 32768);
}

TEST_F(HandleRegistryTest, CheckCounterRunsToTwoThousandFortySevenThenStartsAgain) {
  // Every record goes into slot 0 and is deleted again at once.
  const RuntimeHandle first = Add(SoundHandleTable, kSoundHandlePolicy);
  ASSERT_EQ(Delete(SoundHandleTable, first), 0);
  std::vector<int32_t> check_ids = {HandleCheckId(first)};
  for (int i = 0; i < 2048; ++i) {
    const RuntimeHandle handle = Add(SoundHandleTable, kSoundHandlePolicy);
    ASSERT_EQ(HandleSlot(handle), 0);
    check_ids.push_back(HandleCheckId(handle));
    if (i < 2047) {
      ASSERT_EQ(Delete(SoundHandleTable, handle), 0);
    }
  }
  for (int32_t i = 0; i <= 2047; ++i) {
    ASSERT_EQ(check_ids[i], i);
  }
  EXPECT_EQ(check_ids[2048], 0);
  EXPECT_EQ(SoundHandleTable.check_counter, 1);
  // The 2049th record of the slot has the first one's handle value again:
  // the check cannot tell a handle kept that long from a new one.
  EXPECT_NE(CheckRuntimeHandle(SoundHandleTable, first), nullptr);
}

TEST_F(HandleRegistryTest, DeleteReleasesThenFreesAndRaisesTheLostFlag) {
  int lost = 0;
  HandleRecordHead* record = nullptr;
  const RuntimeHandle handle =
      AddHandleRecord(&GraphicTable, kGraphicHandlePolicy, sizeof(TestRecord), -1, -1, &record);
  record->lost_flag = &lost;
  reinterpret_cast<TestRecord*>(record)->payload[0] = 77;
  const int32_t blocks_before = TrackedBlockCount();

  // The release step sees the record still in its slot and counted.
  int released = 0;
  EXPECT_EQ(DeleteHandleRecord(&GraphicTable, handle,
                               [&](HandleRecordHead* to_release) {
                                 ++released;
                                 EXPECT_EQ(to_release, record);
                                 EXPECT_EQ(reinterpret_cast<TestRecord*>(to_release)->payload[0],
                                           77);
                                 EXPECT_EQ(CheckRuntimeHandle(GraphicTable, handle), record);
                                 EXPECT_EQ(GraphicTable.live_count, 1);
                                 EXPECT_EQ(lost, 0);
                                 return HandleRelease::kFree;
                               }),
            0);
  EXPECT_EQ(released, 1);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(GraphicTable.records[0], nullptr);
  EXPECT_EQ(GraphicTable.live_count, 0);
  EXPECT_EQ(TrackedBlockCount(), blocks_before - 1);
}

// A release step may keep the record (a sound whose buffer others still
// play through) or delete other records of the same registry first.
TEST_F(HandleRegistryTest, ReleaseStepMayKeepTheRecordOrDeleteOthers) {
  int lost = 0;
  HandleRecordHead* kept_record = nullptr;
  const RuntimeHandle kept = AddHandleRecord(&SoundHandleTable, kSoundHandlePolicy,
                                             sizeof(TestRecord), -1, -1, &kept_record);
  kept_record->lost_flag = &lost;
  EXPECT_EQ(DeleteHandleRecord(&SoundHandleTable, kept,
                               [](HandleRecordHead*) { return HandleRelease::kKeep; }),
            0);
  EXPECT_EQ(CheckRuntimeHandle(SoundHandleTable, kept), kept_record);
  EXPECT_EQ(SoundHandleTable.live_count, 1);
  EXPECT_EQ(lost, 0);

  const RuntimeHandle sharer = Add(SoundHandleTable, kSoundHandlePolicy);
  // Deleting the sharer deletes the kept record from within its release step.
  EXPECT_EQ(DeleteHandleRecord(&SoundHandleTable, sharer,
                               [&](HandleRecordHead*) {
                                 EXPECT_EQ(Delete(SoundHandleTable, kept), 0);
                                 return HandleRelease::kFree;
                               }),
            0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(SoundHandleTable.live_count, 0);
  EXPECT_EQ(SoundHandleTable.area_end, 0);
  EXPECT_EQ(SoundHandleTable.records[0], nullptr);
  EXPECT_EQ(SoundHandleTable.records[1], nullptr);

  // A release step that deletes its own record leaves nothing to free twice.
  const RuntimeHandle self = Add(SoundHandleTable, kSoundHandlePolicy);
  EXPECT_EQ(DeleteHandleRecord(&SoundHandleTable, self,
                               [&](HandleRecordHead*) {
                                 EXPECT_EQ(Delete(SoundHandleTable, self), 0);
                                 return HandleRelease::kFree;
                               }),
            0);
  EXPECT_EQ(SoundHandleTable.live_count, 0);
}

TEST_F(HandleRegistryTest, DeleteAllRebuildsEachHandleFromItsRecordsCheckId) {
  std::vector<RuntimeHandle> made;
  for (int i = 0; i < 8; ++i) {
    made.push_back(Add(FontHandleTable, kFontHandlePolicy));
  }
  ASSERT_EQ(Delete(FontHandleTable, made[2]), 0);
  ASSERT_EQ(Delete(FontHandleTable, made[5]), 0);
  int lost[8] = {};
  for (int32_t slot = 0; slot < 8; ++slot) {
    if (FontHandleTable.records[slot] != nullptr) {
      FontHandleTable.records[slot]->lost_flag = &lost[slot];
    }
  }
  // A record whose check id was changed after it was made (a font that
  // failed half way is deleted as check id 0) is still reached.
  FontHandleTable.records[6]->check_id = 0;

  std::vector<RuntimeHandle> deleted;
  DeleteAllHandleRecords(&FontHandleTable, [&](RuntimeHandle handle) {
    deleted.push_back(handle);
    EXPECT_EQ(Delete(FontHandleTable, handle), 0);
  });

  const std::vector<RuntimeHandle> expected = {made[0], made[1], made[3], made[4],
                                               MakeRuntimeHandle(0, HandleType::kFont, 6),
                                               made[7]};
  EXPECT_EQ(deleted, expected);
  EXPECT_EQ(FontHandleTable.live_count, 0);
  EXPECT_EQ(FontHandleTable.area_end, 0);
  for (int32_t slot = 0; slot < 8; ++slot) {
    EXPECT_EQ(FontHandleTable.records[slot], nullptr);
    EXPECT_EQ(lost[slot], slot == 2 || slot == 5 ? 0 : 1) << slot;
  }
}

// Sounds and fonts report a full registry or a failed record allocation in
// the log and give -1, leaving the registry as it was.
TEST_F(HandleRegistryTest, SoundAndFontFailuresAreLoggedAndGiveMinusOne) {
  struct Case {
    const char* name;
    HandleRegistry* registry;
    const HandleKindPolicy* policy;
    bool fill;  // true: the registry is full; false: the allocation fails
    const char* log_line;
  };
  const Case cases[] = {
      {"sound registry full", &SoundHandleTable, &kSoundHandlePolicy, true,
       "サウンドの数が許容量を越えました\r\n"},
      {"sound record allocation", &SoundHandleTable, &kSoundHandlePolicy, false,
       "メモリ領域の確保に失敗しました in AddSoundData"},
      {"font registry full", &FontHandleTable, &kFontHandlePolicy, true,
       "作成できるフォントハンドル数 40 の限界を超えました\r\n"},
      {"font record allocation", &FontHandleTable, &kFontHandlePolicy, false,
       "フォント管理用メモリ領域の確保に失敗しました\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandleRegistry& registry = *c.registry;
    EmptyRegistry(registry);
    if (c.fill) {
      Fill(registry, *c.policy);
    } else {
      Add(registry, *c.policy);
    }
    const int32_t live = registry.live_count;
    const int32_t area_end = registry.area_end;
    const int32_t counter = registry.check_counter;
    const int32_t blocks = TrackedBlockCount();
    const size_t log_size = log_.Text().size();

    EXPECT_EQ(AddHandleRecord(&registry, *c.policy,
                              c.fill ? sizeof(TestRecord) : kUnallocatableSize),
              -1);
    const std::string log = log_.Text();
    EXPECT_GT(log.size(), log_size);
    EXPECT_TRUE(LogEndsWith(log, c.log_line));
    EXPECT_EQ(registry.live_count, live);
    EXPECT_EQ(registry.area_end, area_end);
    EXPECT_EQ(registry.check_counter, counter);
    EXPECT_EQ(TrackedBlockCount(), blocks);
    EmptyRegistry(registry);
  }
}

// The sound adder may be given a handle to restore: its slot and check id
// are used when the slot is empty, so the old value works again.
TEST_F(HandleRegistryTest, SoundAddRestoresAHandleWhoseSlotIsEmpty) {
  for (int i = 0; i < 4; ++i) {
    Add(SoundHandleTable, kSoundHandlePolicy);
  }
  const RuntimeHandle gone = MakeRuntimeHandle(1, HandleType::kSound, 1);
  ASSERT_EQ(Delete(SoundHandleTable, gone), 0);
  ASSERT_EQ(SoundHandleTable.check_counter, 4);

  struct Case {
    const char* name;
    RuntimeHandle restore;
    RuntimeHandle expected;  // -2: a new slot, the next check id
  };
  const Case cases[] = {
      {"empty slot", gone, gone},
      {"no handle", -1, -2},
      {"slot in use", MakeRuntimeHandle(9, HandleType::kSound, 2), -2},
      {"another kind", MakeRuntimeHandle(9, HandleType::kGraphic, 100), -2},
      {"slot out of range", MakeRuntimeHandle(9, HandleType::kSound, 4096), -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t counter = SoundHandleTable.check_counter;
    const int32_t area_end = SoundHandleTable.area_end;
    const RuntimeHandle handle =
        AddRestoredHandleRecord(&SoundHandleTable, kSoundHandlePolicy, sizeof(TestRecord),
                                c.restore);
    if (c.expected == -2) {
      EXPECT_EQ(handle, MakeRuntimeHandle(counter, HandleType::kSound, area_end));
      EXPECT_EQ(SoundHandleTable.check_counter, counter + 1);
    } else {
      EXPECT_EQ(handle, c.expected);
      EXPECT_EQ(SoundHandleTable.check_counter, counter);
    }
    EXPECT_NE(CheckRuntimeHandle(SoundHandleTable, handle), nullptr);
  }
}

// A restored slot above the area end is covered by it from then on: walks
// find the record and later adds do not land on it.
TEST_F(HandleRegistryTest, RestoredSlotAboveTheAreaEndRaisesIt) {
  for (int i = 0; i < 3; ++i) {
    Add(SoundHandleTable, kSoundHandlePolicy);
  }
  const RuntimeHandle restored = MakeRuntimeHandle(500, HandleType::kSound, 10);
  ASSERT_EQ(AddRestoredHandleRecord(&SoundHandleTable, kSoundHandlePolicy, sizeof(TestRecord),
                                    restored),
            restored);
  EXPECT_EQ(SoundHandleTable.live_count, 4);
  EXPECT_EQ(SoundHandleTable.area_end, 11);

  for (int i = 0; i < 8; ++i) {
    const RuntimeHandle handle = Add(SoundHandleTable, kSoundHandlePolicy);
    EXPECT_NE(HandleSlot(handle), 10);
  }
  EXPECT_NE(CheckRuntimeHandle(SoundHandleTable, restored), nullptr);

  std::vector<RuntimeHandle> walked;
  DeleteAllHandleRecords(&SoundHandleTable, [&](RuntimeHandle handle) {
    walked.push_back(handle);
    Delete(SoundHandleTable, handle);
  });
  EXPECT_EQ(walked.size(), 12u);
  EXPECT_EQ(SoundHandleTable.live_count, 0);
}

// Fonts take the first free slot, and the font maker may name the slot and
// check id to use, so a font made again keeps its handle value.
TEST_F(HandleRegistryTest, FontsTakeTheFirstFreeSlotOrTheSlotAndCheckIdGiven) {
  for (int i = 0; i < 4; ++i) {
    Add(FontHandleTable, kFontHandlePolicy);
  }
  const RuntimeHandle second = MakeRuntimeHandle(1, HandleType::kFont, 1);
  ASSERT_EQ(Delete(FontHandleTable, second), 0);
  EXPECT_EQ(Add(FontHandleTable, kFontHandlePolicy), MakeRuntimeHandle(4, HandleType::kFont, 1));

  const std::string log_before = log_.Text();
  struct Case {
    const char* name;
    int32_t slot;
    int32_t check_id;
    RuntimeHandle expected;
  };
  const Case cases[] = {
      {"slot and check id", 9, 1234, MakeRuntimeHandle(1234, HandleType::kFont, 9)},
      {"slot, new check id", 20, -1, MakeRuntimeHandle(5, HandleType::kFont, 20)},
      {"check id 2047", 39, 2047, MakeRuntimeHandle(2047, HandleType::kFont, 39)},
      {"slot in use", 3, 7, -1},
      {"slot 40", 40, 7, -1},
      {"slot below -1", -2, 7, -1},
      {"check id 2048", 30, 2048, -1},
      {"negative check id", 30, -5, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t live = FontHandleTable.live_count;
    const int32_t counter = FontHandleTable.check_counter;
    const RuntimeHandle handle = AddHandleRecord(&FontHandleTable, kFontHandlePolicy,
                                                 sizeof(TestRecord), c.slot, c.check_id);
    EXPECT_EQ(handle, c.expected);
    EXPECT_EQ(FontHandleTable.live_count, live + (c.expected == -1 ? 0 : 1));
    EXPECT_EQ(FontHandleTable.check_counter, counter + (c.check_id == -1 ? 1 : 0));
    if (handle != -1) {
      EXPECT_EQ(FontHandleTable.area_end, HandleSlot(handle) + 1);
    }
  }
  // Refused slots and check ids are not reported.
  EXPECT_EQ(log_.Text(), log_before);
  // A font made again in its old slot with its old check id has its old
  // handle value.
  ASSERT_EQ(Delete(FontHandleTable, MakeRuntimeHandle(1234, HandleType::kFont, 9)), 0);
  EXPECT_EQ(AddHandleRecord(&FontHandleTable, kFontHandlePolicy, sizeof(TestRecord), 9, 1234),
            MakeRuntimeHandle(1234, HandleType::kFont, 9));
}

// Graphics end the program: the message goes to the log and the process
// ends with exit code -1, which the parent sees as 255.
class GraphicRegistryDeathTest : public HandleRegistryTest {
 protected:
  GraphicRegistryDeathTest() : HandleRegistryTest("BRIMAL_HANDLE_DEATH_TEST_LOG") {}
};

TEST_F(GraphicRegistryDeathTest, FullRegistryEndsTheProgram) {
  EXPECT_EXIT(
      {
        Fill(GraphicTable, kGraphicHandlePolicy);
        Add(GraphicTable, kGraphicHandlePolicy);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_TRUE(LoggedBeforeLibraryEnd(log_.Text(), "グラフィックの数が許容量を越えました終了します"));
}

TEST_F(GraphicRegistryDeathTest, FailedRecordAllocationEndsTheProgram) {
  EXPECT_EXIT(AddHandleRecord(&GraphicTable, kGraphicHandlePolicy, kUnallocatableSize),
              ::testing::ExitedWithCode(255), "");
  EXPECT_TRUE(LoggedBeforeLibraryEnd(log_.Text(), "メモリの確保に失敗しました"));
}

// FatalExit ends the library, then the process at once: exit handlers do
// not run.
TEST_F(GraphicRegistryDeathTest, FatalExitSkipsExitHandlers) {
  EXPECT_EXIT(
      {
        std::atexit([] { std::fputs("exit handler ran", stderr); });
        FatalExit("fatal exit test");
      },
      ::testing::ExitedWithCode(255), "^$");
  EXPECT_TRUE(LoggedBeforeLibraryEnd(log_.Text(), "fatal exit test"));
}

}  // namespace
