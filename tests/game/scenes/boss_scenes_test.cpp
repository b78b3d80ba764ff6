// The boss encounter scenes 110 to 117: pages, faces, line counts, music,
// facings and ends by copy.
#include "game/scenes/boss_scenes.h"

#include "tests/game/scenes/dialogue_test_support.h"

namespace {

const std::vector<int32_t> kPeluneParty = {0, 2};
const std::vector<int32_t> kOrvenParty = {1, 3};
const std::vector<int32_t> kBothParty = {0, 1};

struct TypedBossScene {
  int32_t id;
  int32_t player_facing;
  int32_t boss_facing;
  std::vector<TypedCopy> copies;  // pelune only, orven only, both
};

// Typed from the scene tables: face, lines, music.
std::vector<TypedBossScene> BossScenes() {
  const int32_t* pn = &pelune_normal_img;
  const int32_t* p1 = &pelune_smile01_img;
  const int32_t* p2 = &pelune_smile02_img;
  const int32_t* p3 = &pelune_smile03_img;
  const int32_t* os = &orven_smile_img;
  const int32_t* ow = &orven_worry_img;
  const int32_t* oa = &orven_angry_img;
  return {
      {110, 1, 5,
       {{kPeluneParty,
         {{pn, 1}, {&gorlan_normal_img, 2}, {p1, 2}, {&gorlan_cry_img, 3}, {&gorlan_cry_img, 3},
          {p3, 1}, {&gorlan_normal_img, 1, 9}},
         331},
        {kOrvenParty, {{&gorlan_normal_img, 1}, {os, 1}, {&gorlan_cry_img, 2}, {oa, 1, 9}}, 211},
        {kBothParty,
         {{os, 1}, {pn, 1}, {&gorlan_normal_img, 1}, {p2, 1}, {&gorlan_normal_img, 3}, {os, 1},
          {pn, 2}, {oa, 1}, {&gorlan_cry_img, 3}, {&gorlan_normal_img, 1, 9}},
         451}}},
      {111, 1, 5,
       {{kPeluneParty,
         {{&bremonkal_normal_img, 1}, {pn, 2}, {&bremonkal_normal_img, 2}, {p3, 2},
          {&bremonkal_worry_img, 1, 11}, {p2, 1}},
         291},
        {kOrvenParty,
         {{&bremonkal_normal_img, 1}, {os, 1}, {&bremonkal_worry_img, 2}, {os, 2},
          {&bremonkal_normal_img, 2}, {ow, 2, 11}, {os, 3}},
         331},
        {kBothParty,
         {{&bremonkal_normal_img, 1}, {pn, 2}, {&bremonkal_normal_img, 2}, {ow, 2},
          {&bremonkal_worry_img, 1}, {pn, 2}, {&bremonkal_worry_img, 2}, {os, 2, 11},
          {&bremonkal_normal_img, 1}},
         411}}},
      {112, 1, 5,
       {{kPeluneParty,
         {{&ludera_normal_img, 1}, {p2, 2}, {&ludera_smile_img, 1}, {pn, 1},
          {&ludera_smile_img, 2}, {p3, 1, 13}, {&ludera_normal_img, 1}},
         331},
        {kOrvenParty,
         {{&ludera_normal_img, 1}, {os, 1}, {&ludera_normal_img, 2}, {ow, 2},
          {&ludera_normal_img, 1}, {os, 1, 13}, {&ludera_smile_img, 2}},
         331},
        {kBothParty,
         {{pn, 1}, {os, 1}, {&ludera_normal_img, 1}, {&ludera_smile_img, 1}, {p2, 2}, {os, 3},
          {&ludera_normal_img, 2}, {pn, 1}, {&ludera_normal_img, 1, 13}, {ow, 1}},
         451}}},
      {113, 0, 4,
       {{kPeluneParty,
         {{pn, 3}, {&orsenta_normal_img, 3}, {p3, 3}, {&orsenta_angry_img, 1}, {p1, 1, 15},
          {&orsenta_normal_img, 2}},
         291},
        {kOrvenParty,
         {{&orsenta_normal_img, 1}, {os, 1}, {&orsenta_normal_img, 1}, {os, 3},
          {&orsenta_normal_img, 1}, {os, 1}, {&orsenta_normal_img, 2}, {ow, 1},
          {&orsenta_smile_img, 1, 15}, {&orsenta_smile_img, 1}},
         451},
        {kBothParty,
         {{ow, 2}, {&orsenta_normal_img, 1}, {p2, 1}, {&orsenta_angry_img, 3}, {p1, 2},
          {&orsenta_smile_img, 3}, {p2, 2}, {os, 2}, {&orsenta_angry_img, 1}, {p3, 1},
          {os, 1, 15}, {&orsenta_angry_img, 3}},
         531}}},
      {114, 0, 4,
       {{kPeluneParty,
         {{p2, 2}, {&wendel_smile_img, 1}, {p3, 2}, {&wendel_normal_img, 2}, {p3, 1},
          {&wendel_normal_img, 2}, {pn, 2}, {&wendel_normal_img, 1, 100}, {p2, 1}, {pn, 1, 17},
          {&wendel_smile_img, 2}},
         491},
        {kOrvenParty,
         {{os, 2}, {&wendel_smile_img, 1}, {&wendel_normal_img, 3}, {os, 1},
          {&wendel_normal_img, 2}, {os, 2, 100}, {&wendel_normal_img, 1, 100}, {os, 1},
          {&wendel_angry_img, 2}, {os, 1, 17}, {&wendel_smile_img, 2}},
         491},
        {kBothParty,
         {{pn, 1}, {os, 1}, {&wendel_angry_img, 3}, {pn, 1}, {os, 1}, {&wendel_angry_img, 1},
          {&wendel_normal_img, 3}, {p2, 1, 17}, {&wendel_angry_img, 3}},
         411}}},
      {115, 1, 4,
       {{kPeluneParty,
         {{&mobaki_worry_img, 2}, {pn, 1}, {&mobaki_normal_img, 2}, {pn, 2},
          {&mobaki_normal_img, 1}, {p3, 1}, {&mobaki_worry_img, 1}, {pn, 1},
          {&mobaki_hungry_img, 2}, {p3, 2}, {&mobaki_hungry_img, 1}, {pn, 1},
          {&mobaki_hungry_img, 1, 19}, {p3, 1}},
         611},
        {kOrvenParty,
         {{&mobaki_worry_img, 1}, {os, 1}, {&mobaki_worry_img, 2}, {os, 1},
          {&mobaki_hungry_img, 2}, {oa, 2, 19}, {&mobaki_hungry_img, 2}},
         331},
        {kBothParty,
         {{ow, 1}, {p2, 2}, {&mobaki_worry_img, 2}, {os, 1}, {pn, 1}, {&mobaki_normal_img, 2},
          {pn, 2}, {os, 1}, {&mobaki_hungry_img, 2}, {p3, 2}, {os, 1, 19},
          {&mobaki_hungry_img, 1}},
         531}}},
      {116, 0, 4,
       {{kPeluneParty, {{&thessa_img, 2}, {&thessa_img, 2, 21}}, 131},
        {kOrvenParty, {{&thessa_img, 2}, {&thessa_img, 2, 21}}, 131},
        {kBothParty, {{&thessa_img, 2}, {&thessa_img, 2, 21}}, 131}}},
      {117, 4, 4,
       {{kPeluneParty, {{pn, 1}, {pn, 2}, {pn, 1}}, 171},
        {kOrvenParty, {{oa, 1}, {oa, 1}, {ow, 1}, {ow, 1}}, 211},
        {kBothParty, {{p3, 2}, {ow, 1}, {ow, 1}, {pn, 1}, {os, 2}}, 251}}},
  };
}

class BossScenesTest : public DialogueSceneTest {};

TEST_F(BossScenesTest, EveryCopyShowsItsPagesAsksForItsMusicAndEndsAtItsValue) {
  for (const TypedBossScene& scene : BossScenes()) {
    for (size_t c = 0; c < 3; ++c) {
      SCOPED_TRACE(testing::Message() << "scene " << scene.id << " copy " << c);
      const TypedCopy& copy = scene.copies[c];
      EXPECT_EQ(copy.end, 40 * static_cast<int32_t>(copy.pages.size()) + 51);
      int frames[3] = {};
      for (Drive drive : {Drive::kOnePresser, Drive::kFastForward, Drive::kTwoPressers}) {
        SetUp();
        frames[static_cast<int>(drive)] = PlayCopy(scene.id, copy, drive);
        // The facings set on the first frame stay.
        EXPECT_EQ(player[0].facing, scene.player_facing);
        EXPECT_EQ(player[1].facing, scene.player_facing);
        EXPECT_EQ(boss_facing, scene.boss_facing);
      }
      EXPECT_LT(frames[1], frames[0]);
      SetUp();
      CheckEndValue(scene.id, copy);
    }
  }
}

TEST_F(BossScenesTest, TheFacingsAreSetOnceOnTheFirstFrameForEveryRecordBelowThePlayerCount) {
  for (const TypedBossScene& scene : BossScenes()) {
    SCOPED_TRACE(scene.id);
    SetUp();
    SetParty({0, 1, 0});
    player[1].alive = 0;  // downed: turned like the others
    player[3].facing = 6;  // beyond player_count: kept
    StartScene(scene.id);
    Frame();
    for (int p = 0; p < 3; ++p) EXPECT_EQ(player[p].facing, scene.player_facing) << p;
    EXPECT_EQ(player[3].facing, 6);
    EXPECT_EQ(boss_facing, scene.boss_facing);
    // Not again on later frames.
    for (int p = 0; p < 3; ++p) player[p].facing = 6;
    boss_facing = 6;
    Frame();
    for (int p = 0; p < 3; ++p) EXPECT_EQ(player[p].facing, 6);
    EXPECT_EQ(boss_facing, 6);
  }
}

TEST_F(BossScenesTest, APlayedSceneSetsNoFacingNoMusicAndNoBossCounter) {
  for (int32_t id = 110; id <= 117; ++id) {
    SCOPED_TRACE(id);
    SetUp();
    SetParty({0, 1});
    progress_flags[id - 100] = 1;
    player[0].facing = 6;
    boss_facing = 6;
    music_request = 3;
    boss_p_cnt = 99;
    StartScene(id);
    Frame();
    EXPECT_EQ(game_status, kStatusPlay);
    EXPECT_EQ(player[0].facing, 6);
    EXPECT_EQ(boss_facing, 6);
    EXPECT_EQ(music_request, 3);
    EXPECT_EQ(boss_p_cnt, 99);
    EXPECT_EQ(scene_counter(id), 0);
    EXPECT_EQ(CallCountIn(0), 1);
  }
}

TEST_F(BossScenesTest, TheTalkAfterTheFallLeavesTheMusicAsItWas) {
  for (const std::vector<int32_t>& party : {kPeluneParty, kOrvenParty, kBothParty}) {
    SetUp();
    SetParty(party);
    music_request = 12;
    StartScene(117);
    player[0].actions[kFastForwardAction] = 1;
    while (game_status == kStatusScene) {
      Frame();
      EXPECT_EQ(music_request, 12);
    }
  }
}

}  // namespace
