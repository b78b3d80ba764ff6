// The save slots: the file layout, a save and load round trip, the restored
// start positions, damaged slot files, failed writes, the load menu and the
// save menus.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"
#include "tests/support/files/file_call_script.h"

namespace {

constexpr size_t kSlotBytes = 6216;

int32_t WordAt(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return static_cast<int32_t>(value);
}

void SetWord(std::string& bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A used slot file: the given party, area and floor, every character 0.
std::string SlotFile(int32_t count, int32_t area, int32_t floor) {
  std::string bytes(kSlotBytes, '\0');
  SetWord(bytes, 0, 1);
  SetWord(bytes, 4, count);
  SetWord(bytes, 12, area);
  SetWord(bytes, 16, floor);
  return bytes;
}

bool IsEmpty(const save_data& slot) {
  static const save_data empty{};
  return std::memcmp(&slot, &empty, sizeof slot) == 0;
}

template <size_t Floors>
void ClearFlags(item_data (&table)[Floors][kItemRowsPerFloor]) {
  for (auto& floor : table)
    for (item_data& row : floor) row.present = 0;
}

void ClearItemFlags() {
  ClearFlags(item_table_pelune_house);
  ClearFlags(item_table_field01);
  ClearFlags(item_table_dansion01);
  ClearFlags(item_table_dansion02);
  ClearFlags(item_table_dansion02sub);
  ClearFlags(item_table_field02);
  ClearFlags(item_table_dansion03);
  ClearFlags(item_table_library);
  ClearFlags(item_table_dansion05);
  ClearFlags(item_table_dansion06);
  ClearFlags(item_table_field03);
  ClearFlags(item_table_dansion07);
  ClearFlags(item_table_dansion08);
  ClearFlags(item_table_dansion09);
  ClearFlags(item_table_ending);
}

class SaveSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartAtTitle();
    for (save_data& slot : save_slots) slot = save_data{};
    std::filesystem::create_directory("patch");
  }

  // A game in progress with a value of its own in every saved field.
  static void PlayInProgress() {
    ClearItemFlags();
    player_count = 3;
    revive_stock = 7;
    present_map_number = 5;
    present_map_floor = 1;
    for (int i = 0; i < 24; ++i) progress_flags[i] = i % 3 == 0 ? 1 : 0;
    item_table_pelune_house[0][5].present = 1;
    item_table_field01[3][15].present = 1;
    item_table_field02[1][0].present = 1;
    item_table_dansion09[9][15].present = 1;
    item_table_ending[0][0].present = 1;
    item_table_field01[0][0].present = 0;
    for (int b = 0; b < 9; ++b) boss_data_rows[b].active = b % 2;
    for (int p = 0; p < 4; ++p) {
      player_data& r = player[p];
      r.character = p;
      r.alive = p < 3 ? 1 : 0;
      r.level = 2 + p;
      r.hp = 10 + p;
      r.hp_max = 20 + p;
      r.agility_base = 2.2f + 0.4f * static_cast<float>(p);
      r.attack_base = 10 + p;
      r.vitality_base = 12 + p;
      r.intelligence_base = 15 + p;
      r.spell1_stock = p;
      r.spell2_stock = 9 - p;
      r.attack_bonus = 5;  // not saved
      r.X = 77.0f;         // not saved
    }
  }

  ScratchFolder folder_;
};

TEST_F(SaveSlotsTest, SlotFileHoldsEachFieldAtItsOffset) {
  PlayInProgress();
  ASSERT_EQ(write_save_slot(1), 1);
  const std::string bytes = ScratchFolder::Read("patch/save_data1.dat");
  ASSERT_EQ(bytes.size(), kSlotBytes);
  struct Field {
    const char* name;
    size_t offset;
    int32_t value;
  };
  const Field fields[] = {
      {"used", 0, 1},
      {"player_count", 4, 3},
      {"revive_stock", 8, 7},
      {"area", 12, 5},
      {"floor", 16, 1},
      {"progress flag 0", 20, 1},
      {"progress flag 21", 20 + 21 * 4, 1},
      {"progress flag 23", 20 + 23 * 4, 0},
      {"pelune_house row 5", 116 + 5 * 4, 1},
      {"field01 floor 3 row 15", 180 + (3 * 16 + 15) * 4, 1},
      {"field02 floor 1 row 0", 436 + 16 * 4, 1},
      {"dansion09 floor 9 row 15", 5300 + (9 * 16 + 15) * 4, 1},
      {"ending row 0", 5940, 1},
      {"boss row 7 active", 6004 + 7 * 4, 1},
      {"boss row 8 active", 6004 + 8 * 4, 0},
      {"player 0 character", 6040, 0},
      {"player 2 level", 6040 + 2 * 44 + 8, 4},
      {"player 1 hp", 6040 + 44 + 12, 11},
      {"player 1 hp_max", 6040 + 44 + 16, 21},
      {"player 3 agility bits", 6040 + 3 * 44 + 20, std::bit_cast<int32_t>(2.2f + 0.4f * 3.0f)},
      {"player 3 attack_base", 6040 + 3 * 44 + 24, 13},
      {"player 3 intelligence_base", 6040 + 3 * 44 + 32, 18},
      {"player 3 spell2_stock", 6040 + 3 * 44 + 40, 6},
  };
  for (const Field& f : fields) EXPECT_EQ(WordAt(bytes, f.offset), f.value) << f.name;
  // Every item flag set above, and no other.
  int set_flags = 0;
  for (size_t offset = 116; offset < 6004; offset += 4) set_flags += WordAt(bytes, offset);
  EXPECT_EQ(set_flags, 5);
  // The menus see the new image at once; no temporary file is left.
  EXPECT_EQ(std::memcmp(&save_slots[1], bytes.data(), kSlotBytes), 0);
  EXPECT_EQ(std::filesystem::directory_iterator("patch")->path().filename(), "save_data1.dat");
}

// Saved, read back at the title and restored, a game saves to the same bytes.
TEST_F(SaveSlotsTest, SaveLoadRoundTripGivesTheSameFile) {
  PlayInProgress();
  ASSERT_EQ(write_save_slot(0), 1);
  const std::string saved = ScratchFolder::Read("patch/save_data0.dat");

  StartAtTitle();
  ClearItemFlags();
  item_table_field01[0][0].present = 1;
  for (boss_data& row : boss_data_rows) row.active = 1;
  save_slots[0] = save_data{};
  load_settings();
  restore_save_slot(0);

  EXPECT_EQ(player_count, 3);
  EXPECT_EQ(revive_stock, 7);
  EXPECT_EQ(present_map_number, 5);
  EXPECT_EQ(present_map_floor, 1);
  EXPECT_EQ(item_table_dansion09[9][15].present, 1);
  EXPECT_EQ(item_table_field01[0][0].present, 0);
  EXPECT_EQ(boss_data_rows[8].active, 0);
  EXPECT_EQ(player[3].agility_base, 2.2f + 0.4f * 3.0f);
  EXPECT_EQ(player[2].spell2_stock, 7);
  EXPECT_EQ(player[1].shot_width, 6);
  EXPECT_EQ(player[3].shot_height, 6);
  EXPECT_EQ(player[0].attack_bonus, 0);  // bonuses are not kept

  ASSERT_EQ(write_save_slot(0), 1);
  EXPECT_EQ(ScratchFolder::Read("patch/save_data0.dat"), saved);
}

TEST_F(SaveSlotsTest, RestoredPartyStartsAtTheSavePointOfItsFloor) {
  struct Case {
    int32_t area, floor, count;
    float x, y;  // player 1's position
    bool camera_set;
  };
  const Case cases[] = {
      {5, 1, 4, 592.0f, 144.0f, true},  {4, 3, 4, 400.0f, 112.0f, true},
      {4, 4, 2, 400.0f, 112.0f, true},  {13, 0, 1, 1136.0f, 208.0f, true},
      {0, 0, 4, 0.0f, 0.0f, false},     {5, 0, 3, 0.0f, 0.0f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "area " << c.area << " floor " << c.floor);
    StartAtTitle();
    camera_centre_x = -5;
    camera_centre_y = -6;
    for (int p = 0; p < 4; ++p) {
      camera_anchor_x[p] = camera_anchor_y[p] = camera_sorted_x[p] = camera_sorted_y[p] = 0;
    }
    save_slots[2] = save_data{};
    save_slots[2].used = 1;
    save_slots[2].player_count = c.count;
    save_slots[2].present_map_number = c.area;
    save_slots[2].present_map_floor = c.floor;
    restore_save_slot(2);

    const float expected[4][2] = {{c.x, c.y}, {c.x + 32, c.y}, {c.x, c.y + 32},
                                  {c.x + 32, c.y + 32}};
    for (int p = 0; p < 4; ++p) {
      SCOPED_TRACE(p);
      EXPECT_EQ(player[p].X, expected[p][0]);
      EXPECT_EQ(player[p].Y, expected[p][1]);
      // Players of the party face down with the camera anchored on them.
      const bool in_party = p < c.count;
      EXPECT_EQ(player[p].facing, in_party ? 4 : 0);
      EXPECT_EQ(camera_anchor_x[p], in_party ? static_cast<int32_t>(expected[p][0]) : 0);
      EXPECT_EQ(camera_sorted_y[p], in_party ? static_cast<int32_t>(expected[p][1]) : 0);
    }
    EXPECT_EQ(camera_centre_x, c.camera_set ? static_cast<int32_t>(c.x) : -5);
    EXPECT_EQ(camera_centre_y, c.camera_set ? static_cast<int32_t>(c.y) : -6);
    EXPECT_EQ(player_count, c.count);
    EXPECT_EQ(fade_counter, 1);
    EXPECT_EQ(Brightness(), (std::vector<int64_t>{0}));
  }
}

// A missing or short file, or a used slot the game cannot take, reads as an
// empty slot; a good one reads as it is.
TEST_F(SaveSlotsTest, DamagedSlotFilesReadAsEmpty) {
  struct Case {
    const char* label;
    bool exists;
    std::string bytes;
    bool empty;
  };
  std::string bad_character = SlotFile(2, 0, 0);
  SetWord(bad_character, 6040 + 3 * 44, 4);
  std::string negative_character = SlotFile(2, 0, 0);
  SetWord(negative_character, 6040 + 44, -1);
  std::string unused_with_data(kSlotBytes, '\0');
  SetWord(unused_with_data, 12, 99);
  const Case cases[] = {
      {"missing", false, "", true},
      {"no bytes", true, "", true},
      {"one byte short", true, SlotFile(2, 0, 0).substr(0, kSlotBytes - 1), true},
      {"area 15", true, SlotFile(2, 15, 0), true},
      {"area -1", true, SlotFile(2, -1, 0), true},
      {"floor past the area's last", true, SlotFile(2, 1, 4), true},
      {"negative floor", true, SlotFile(2, 1, -1), true},
      {"no players", true, SlotFile(0, 0, 0), true},
      {"five players", true, SlotFile(5, 0, 0), true},
      {"character 4", true, bad_character, true},
      {"character -1", true, negative_character, true},
      {"last floor of the last area", true, SlotFile(4, 13, 9), false},
      {"empty slot", true, unused_with_data, false},
      {"longer file", true, SlotFile(1, 14, 0) + "tail", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove("patch/save_data1.dat");
    if (c.exists) ScratchFolder::Write("patch/save_data1.dat", c.bytes);
    std::memset(&save_slots[1], 0x5A, sizeof save_slots[1]);
    read_save_slots();
    if (c.empty) {
      EXPECT_TRUE(IsEmpty(save_slots[1]));
    } else {
      EXPECT_EQ(std::memcmp(&save_slots[1], c.bytes.data(), kSlotBytes), 0);
    }
  }
}

// A slot that cannot be written shows the error line, keeps its image and
// leaves the old file whole.
TEST_F(SaveSlotsTest, FailedWriteKeepsTheSlotAndItsFile) {
  const std::string old_file = SlotFile(1, 2, 3);
  ScratchFolder::Write("patch/save_data2.dat", old_file);
  read_save_slots();
  // The temporary file cannot be made where a folder stands in its way.
  std::filesystem::create_directory("patch/save_data2.dat.tmp");
  PlayInProgress();
  EXPECT_EQ(write_save_slot(2), 0);
  EXPECT_EQ(ScratchFolder::Read("patch/save_data2.dat"), old_file);
  EXPECT_EQ(std::memcmp(&save_slots[2], old_file.data(), kSlotBytes), 0);
  const std::vector<ApiCall> printed = api_fake().Calls("ApiPrintToScreen");
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].texts.at(0), "ファイル書き込みエラー\n");

  // With no slot folder at all, an empty slot stays empty.
  std::filesystem::remove_all("patch");
  EXPECT_EQ(write_save_slot(0), 0);
  EXPECT_EQ(save_slots[0].used, 0);
  EXPECT_FALSE(ScratchFolder::Exists("patch/save_data0.dat"));
}

// The byte offset of field `field` (0 character ... 10 spell2_stock) of
// player `p` in a slot file.
constexpr size_t PlayerField(int p, int field) { return 6040 + p * 44 + field * 4; }
enum : int { kAlive = 1, kLevel, kHp, kHpMax, kAgility, kAttack, kVitality, kIntelligence,
             kSpell1, kSpell2 };

// The values of a slot that the game would show or count are brought into
// the ranges play can reach; flags and values in range stay as they are.
TEST_F(SaveSlotsTest, SlotValuesAreClampedToWhatPlayCanReach) {
  using Words = std::vector<std::pair<size_t, int32_t>>;
  struct Case {
    const char* label;
    Words written;
    Words read;      // defaults to `written`
    int life_ups;    // life-up rows in the item tables
  };
  const int32_t nan = std::bit_cast<int32_t>(std::numeric_limits<float>::quiet_NaN());
  const Case cases[] = {
      {"values in range", {{8, 9}, {PlayerField(1, kHp), 24}, {PlayerField(1, kHpMax), 24},
                           {PlayerField(1, kAgility), std::bit_cast<int32_t>(3.8f)},
                           {PlayerField(1, kSpell1), 9}, {PlayerField(1, kAttack), 20}}, {}, 0},
      {"revival stock 1000", {{8, 1000}}, {{8, 9}}, 0},
      {"revival stock of every life-up", {{8, 12}}, {}, 3},
      {"revival stock past every life-up", {{8, 13}}, {{8, 12}}, 3},
      {"negative revival stock", {{8, -4}}, {{8, 0}}, 0},
      {"hit points below 0", {{PlayerField(0, kHp), -5}, {PlayerField(0, kHpMax), 15}},
       {{PlayerField(0, kHp), 0}, {PlayerField(0, kHpMax), 15}}, 0},
      {"hit points above their maximum", {{PlayerField(2, kHp), 50}, {PlayerField(2, kHpMax), 30}},
       {{PlayerField(2, kHp), 30}, {PlayerField(2, kHpMax), 30}}, 0},
      {"maximum beyond any crystal", {{PlayerField(0, kHp), 90000}, {PlayerField(0, kHpMax), 100000}},
       {{PlayerField(0, kHp), 800}, {PlayerField(0, kHpMax), 800}}, 0},
      {"level beyond every crystal", {{PlayerField(3, kLevel), 5000}},
       {{PlayerField(3, kLevel), 10}}, 0},
      {"negative level", {{PlayerField(3, kLevel), -1}}, {{PlayerField(3, kLevel), 0}}, 0},
      {"alive flag 7", {{PlayerField(1, kAlive), 7}}, {{PlayerField(1, kAlive), 1}}, 0},
      {"agility not a number", {{PlayerField(0, kAgility), nan}}, {{PlayerField(0, kAgility), 0}},
       0},
      {"negative agility", {{PlayerField(0, kAgility), std::bit_cast<int32_t>(-1.0f)}},
       {{PlayerField(0, kAgility), 0}}, 0},
      {"agility 9", {{PlayerField(0, kAgility), std::bit_cast<int32_t>(9.0f)}},
       {{PlayerField(0, kAgility), std::bit_cast<int32_t>(4.2f)}}, 0},
      {"statistics past 20 and below 0",
       {{PlayerField(2, kAttack), 21}, {PlayerField(2, kVitality), -3},
        {PlayerField(2, kIntelligence), 99}},
       {{PlayerField(2, kAttack), 20}, {PlayerField(2, kVitality), 0},
        {PlayerField(2, kIntelligence), 20}}, 0},
      {"spell stocks", {{PlayerField(3, kSpell1), 10}, {PlayerField(3, kSpell2), -1}},
       {{PlayerField(3, kSpell1), 9}, {PlayerField(3, kSpell2), 0}}, 0},
      {"every value out of range at once",
       {{8, -1}, {PlayerField(1, kAlive), -9}, {PlayerField(1, kLevel), INT32_MAX},
        {PlayerField(1, kHp), INT32_MIN}, {PlayerField(1, kHpMax), -1},
        {PlayerField(1, kAgility), std::bit_cast<int32_t>(std::numeric_limits<float>::infinity())},
        {PlayerField(1, kAttack), INT32_MIN}, {PlayerField(1, kVitality), INT32_MAX},
        {PlayerField(1, kIntelligence), -20}, {PlayerField(1, kSpell1), INT32_MAX},
        {PlayerField(1, kSpell2), INT32_MIN}},
       {{8, 0}, {PlayerField(1, kAlive), 0}, {PlayerField(1, kLevel), 10},
        {PlayerField(1, kHp), 0}, {PlayerField(1, kHpMax), 0},
        {PlayerField(1, kAgility), std::bit_cast<int32_t>(4.2f)}, {PlayerField(1, kAttack), 0},
        {PlayerField(1, kVitality), 20}, {PlayerField(1, kIntelligence), 0},
        {PlayerField(1, kSpell1), 9}, {PlayerField(1, kSpell2), 0}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (int i = 0; i < 16; ++i) item_table_field01[2][i].kind = i < c.life_ups ? 9 : 0;
    std::string bytes = SlotFile(4, 1, 2);
    SetWord(bytes, 20 + 7 * 4, 5);    // a story word that is no flag stays
    SetWord(bytes, 180 + 4 * 4, 3);   // so does an item word
    for (const auto& [offset, value] : c.written) SetWord(bytes, offset, value);
    ScratchFolder::Write("patch/save_data2.dat", bytes);
    read_save_slots();

    std::string expected = bytes;
    for (const auto& [offset, value] : c.read) SetWord(expected, offset, value);
    std::string got(kSlotBytes, '\0');
    std::memcpy(got.data(), &save_slots[2], kSlotBytes);
    for (size_t offset = 0; offset < kSlotBytes; offset += 4) {
      EXPECT_EQ(WordAt(got, offset), WordAt(expected, offset)) << "offset " << offset;
    }
  }
  for (item_data& row : item_table_field01[2]) row.kind = 0;
}

// A write that stops at any step before the rename leaves the old slot file
// and image; nothing is renamed before the new bytes are on the disk, and no
// temporary file is left.
TEST_F(SaveSlotsTest, AnInterruptedWriteLeavesTheOldSlot) {
  struct Case {
    const char* failing;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"WriteFile", {"WriteFile"}},
      {"FlushFileBuffers", {"WriteFile", "FlushFileBuffers"}},
      {"MoveFileExA", {"WriteFile", "FlushFileBuffers", "MoveFileExA"}},
  };
  const std::string old_file = SlotFile(1, 2, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    ScratchFolder::Write("patch/save_data1.dat", old_file);
    read_save_slots();
    PlayInProgress();
    api_fake().calls.clear();
    {
      FileCallScript script;
      script.FailOn(c.failing, 1);
      EXPECT_EQ(write_save_slot(1), 0);
      EXPECT_EQ(script.Calls(), c.calls);
    }
    EXPECT_EQ(ScratchFolder::Read("patch/save_data1.dat"), old_file);
    EXPECT_FALSE(ScratchFolder::Exists("patch/save_data1.dat.tmp"));
    EXPECT_EQ(std::memcmp(&save_slots[1], old_file.data(), kSlotBytes), 0);
    EXPECT_EQ(api_fake().Count("ApiPrintToScreen"), 1);
  }
}

// A game killed after the new slot reached its temporary file but before the
// rename: the old slot still reads whole, and the next save ignores the
// stale temporary file and replaces it.
TEST_F(SaveSlotsTest, AGameKilledBeforeTheRenameLeavesTheOldSlot) {
  const std::string old_file = SlotFile(2, 5, 1);
  ScratchFolder::Write("patch/save_data0.dat", old_file);
  read_save_slots();
  PlayInProgress();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetFileCallHook(
        [](void*, LPCSTR call) {
          if (std::string(call) == "MoveFileExA") raise(SIGKILL);
          return true;
        },
        nullptr);
    write_save_slot(0);
    _exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);

  EXPECT_EQ(ScratchFolder::Read("patch/save_data0.dat"), old_file);
  EXPECT_EQ(ScratchFolder::Read("patch/save_data0.dat.tmp").size(), kSlotBytes);
  std::memset(&save_slots[0], 0, sizeof save_slots[0]);
  read_save_slots();
  EXPECT_EQ(std::memcmp(&save_slots[0], old_file.data(), kSlotBytes), 0);

  // A stale temporary file longer than a slot leaves no tail in the new one.
  ScratchFolder::Write("patch/save_data0.dat.tmp", std::string(kSlotBytes + 100, 'x'));
  ASSERT_EQ(write_save_slot(0), 1);
  EXPECT_FALSE(ScratchFolder::Exists("patch/save_data0.dat.tmp"));
  const std::string saved = ScratchFolder::Read("patch/save_data0.dat");
  ASSERT_EQ(saved.size(), kSlotBytes);
  EXPECT_EQ(WordAt(saved, 4), 3);  // the party of the game in progress
  EXPECT_EQ(std::memcmp(&save_slots[0], saved.data(), kSlotBytes), 0);
}

// ---- Load menu ------------------------------------------------------------------------

TEST_F(SaveSlotsTest, LoadMenuRestoresAUsedSlotAndRefusesAnEmptyOne) {
  save_slots[1] = save_data{};
  save_slots[1].used = 1;
  save_slots[1].player_count = 2;
  save_slots[1].present_map_number = 13;
  struct Case {
    int32_t row;
    int32_t status;
    bool decide_sound;
  };
  const Case cases[] = {{1, kStatusLoadMenu, false}, {2, kStatusPlay, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    ClearInput();
    api_fake().calls.clear();
    player_count = 4;
    game_status = kStatusLoadMenu;
    menu_cursor = c.row;
    player[1].actions[0] = 2;
    player[3].actions[0] = 2;
    run_load_menu();
    EXPECT_EQ(game_status, c.status);
    EXPECT_EQ(se_title_decide_request, c.decide_sound ? 1 : 0);
    EXPECT_EQ(se_title_exit_request, c.decide_sound ? 0 : 1);
    EXPECT_EQ(player_count, c.decide_sound ? 2 : 4);
    if (c.decide_sound) {
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(player[1].actions[0], 0);
      EXPECT_EQ(player[3].actions[0], 0);
      EXPECT_EQ(player[0].X, 1136.0f);
      EXPECT_EQ(fade_counter, 1);
    } else {
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(player[0].X, 0.0f);
    }
    EXPECT_TRUE(Drew(save_return_shade_img));
  }
}

TEST_F(SaveSlotsTest, LoadMenuReturnRowLeavesWithoutDrawingItsRows) {
  game_status = kStatusLoadMenu;
  menu_cursor = 1;
  player[0].input_state[kUp] = 2;  // row 1 up goes to the return row
  player[2].actions[0] = 2;
  run_load_menu();
  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(menu_cursor, 1);
  EXPECT_EQ(player[2].actions[0], 0);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(se_title_cursor_request, 1);
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, title_menu_img, 0}}));
}

TEST_F(SaveSlotsTest, LoadMenuDrawsItsRows) {
  menu_cursor = 3;
  run_load_menu();
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, title_menu_img, 0},
                                        {220, 240, save1_shade_img, 1},
                                        {220, 300, save2_shade_img, 1},
                                        {220, 360, save3_img, 1},
                                        {260, 420, save_return_shade_img, 1}}));
}

// ---- Save menus ------------------------------------------------------------------------

class SaveMenusTest : public SaveSlotsTest {
 protected:
  // The save question after its lead-in, with nothing pressed.
  void OpenQuestion() {
    player_count = 2;
    game_status = kStatusSaveQuestion;
    for (int frame = 0; frame < 9; ++frame) {
      ClearInput();
      run_save_menu();
    }
    ASSERT_EQ(menu_capture_counter, 10);
    ClearInput();
    api_fake().calls.clear();
  }
};

TEST_F(SaveMenusTest, YesOpensTheSlotChoiceOnItsReturnRowInTheSameCall) {
  OpenQuestion();
  EXPECT_EQ(menu_cursor, 1);
  player[1].actions[0] = 2;
  run_save_menu();
  EXPECT_EQ(game_status, kStatusSaveSlotChoice);
  EXPECT_EQ(menu_cursor, 4);
  EXPECT_EQ(se_title_decide_request, 1);
  EXPECT_EQ(menu_capture_counter, 10);
  EXPECT_EQ(api_fake().Count("ApiDeleteGraphic"), 0);
  // The question's rows, then the slot choice's over the same picture.
  const std::vector<Draw> draws = Draws();
  ASSERT_EQ(draws.size(), 9u);
  EXPECT_EQ(draws[1], (Draw{122, 100, slowdownnow_img, 1}));
  EXPECT_EQ(draws[2], (Draw{240, 180, yes_shade_img, 1}));
  EXPECT_EQ(draws[3], (Draw{240, 250, no_shade_img, 1}));
  EXPECT_EQ(draws[4], (Draw{0, 0, menu_capture_img, 0}));
  EXPECT_EQ(draws[5], (Draw{220, 60, save1_shade_img, 1}));
  EXPECT_EQ(draws[8], (Draw{260, 300, save_return_img, 1}));
}

TEST_F(SaveMenusTest, NoLeavesToPlayWithTheCancelSound) {
  OpenQuestion();
  const int32_t picture = menu_capture_img;
  player[0].input_state[kDown] = 2;
  player[0].actions[0] = 2;
  run_save_menu();
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(se_title_decide_request, 0);
  EXPECT_EQ(menu_capture_counter, 0);
  EXPECT_EQ(api_fake().Calls("ApiDeleteGraphic").at(0).args, (std::vector<int64_t>{picture, 0}));
}

TEST_F(SaveMenusTest, SlotRowsWriteTheirFileAndReturnRowWritesNothing) {
  PlayInProgress();
  player_count = 2;
  for (int32_t row = 1; row <= 4; ++row) {
    SCOPED_TRACE(row);
    std::filesystem::remove_all("patch");
    std::filesystem::create_directory("patch");
    for (save_data& slot : save_slots) slot = save_data{};
    OpenQuestion();
    player[0].actions[0] = 2;
    run_save_menu();  // yes
    ClearInput();
    menu_cursor = row;
    player[1].actions[0] = 2;
    run_save_menu();
    EXPECT_EQ(game_status, kStatusPlay);
    EXPECT_EQ(se_title_decide_request, 1);
    EXPECT_EQ(menu_capture_counter, 0);
    for (int k = 0; k < 3; ++k) {
      const bool written = k == row - 1;
      EXPECT_EQ(ScratchFolder::Exists("patch/save_data" + std::to_string(k) + ".dat"), written)
          << k;
      EXPECT_EQ(save_slots[k].used, written ? 1 : 0) << k;
    }
  }
}

TEST_F(SaveMenusTest, FailedSaveKeepsTheSlotChoiceOpen) {
  std::filesystem::remove_all("patch");
  OpenQuestion();
  player[0].actions[0] = 2;
  run_save_menu();
  ClearInput();
  menu_cursor = 2;
  player[0].actions[0] = 2;
  run_save_menu();
  EXPECT_EQ(game_status, kStatusSaveSlotChoice);
  EXPECT_EQ(save_slots[1].used, 0);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(player[0].actions[0], 0);
  EXPECT_EQ(menu_capture_counter, 10);
  EXPECT_EQ(api_fake().Count("ApiPrintToScreen"), 1);
  EXPECT_EQ(api_fake().Count("ApiDeleteGraphic"), 0);
}

}  // namespace
