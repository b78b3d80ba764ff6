// The whole program through its scenes: the openings of one player and of
// two, the save point with its save menu and a game continued from the slot
// it wrote, the first boss's encounter with its music, the ice boss's fall
// after its defeat, the placed hazards of a floor, the ending back to the
// title, and the trial end met in a restored game. The chosen frames show
// the scenes' script on their pages.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"
#include "tools/sample_data/sample_data.h"

namespace {

// ---- Helpers -----------------------------------------------------------------------------

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int32_t WordAt(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  }
  return static_cast<int32_t>(value);
}

// The RGB bytes of a rectangle of the picture the run saved of `frame` in
// `folder`; empty when the file cannot be read.
std::string SavedRegion(const fs::path& folder, int32_t frame, int32_t x, int32_t y, int32_t width,
                        int32_t height) {
  char name[32];
  std::snprintf(name, sizeof(name), "frame_%06d.png", static_cast<int>(frame));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, (folder / name).c_str())) return "";
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return "";
  std::string region;
  for (int32_t row = y; row < y + height; ++row) {
    const size_t start = (static_cast<size_t>(row) * image.width + static_cast<size_t>(x)) * 3;
    region.append(reinterpret_cast<const char*>(rgb.data() + start), static_cast<size_t>(width) * 3);
  }
  return region;
}

// The hit points of the first player in the status display: "HP 15 / 15".
std::string HitPointsShown(const fs::path& folder, int32_t frame) {
  return SavedRegion(folder, frame, 20, 400, 140, 20);
}

// The first line of a scene's message window.
std::string MessageLineShown(const fs::path& folder, int32_t frame) {
  return SavedRegion(folder, frame, 140, 380, 400, 30);
}

// The sound the program recorded with --audio-out: 16-bit stereo at
// 44,100 Hz after a 44-byte header, 735 sample frames for every frame of
// the game, the first block for frame 1.
constexpr size_t kWavHeader = 44;
constexpr int64_t kSamplesPerFrame = 735;

std::vector<int16_t> ReadRecordedSound(const fs::path& path) {
  const std::string bytes = ReadFile(path);
  std::vector<int16_t> samples;
  if (bytes.size() < kWavHeader) return samples;
  samples.resize((bytes.size() - kWavHeader) / 2);
  std::memcpy(samples.data(), bytes.data() + kWavHeader, samples.size() * 2);
  return samples;
}

// A music track of the generated set as the generator made it, before its
// Ogg coding: mono at 22,050 Hz.
std::vector<int16_t> MusicTrack(const char* path) {
  int rate = 0;
  std::vector<int16_t> samples = SynthesizeSound(path, &rate);
  EXPECT_EQ(rate, 22050) << path;
  EXPECT_FALSE(samples.empty()) << path;
  return samples;
}

// How closely the recorded left channel over `frames` game frames from
// `first_frame` follows `track`, looped, had it begun playing with frame
// `start_frame` (give or take one frame): the best normalised correlation
// over those starts, from -1 to 1 (-2 when the sound is too short). Every
// other recorded sample meets one of the track's, so the two rates meet;
// the Ogg coding and the mixing leave a playing track above 0.9, and
// another track near 0.
double FollowsTrack(const std::vector<int16_t>& recorded, const std::vector<int16_t>& track,
                    int32_t first_frame, int32_t frames, int32_t start_frame) {
  const int64_t count = frames * kSamplesPerFrame / 2;
  const int64_t first = (first_frame - 1) * kSamplesPerFrame;
  if (track.empty() || static_cast<int64_t>(recorded.size()) < 2 * (first + 2 * count)) return -2.0;
  const int64_t track_size = static_cast<int64_t>(track.size());
  const int64_t expected = (first_frame - start_frame) * kSamplesPerFrame / 2;
  double best = -2.0;
  for (int64_t offset = expected - kSamplesPerFrame / 2; offset <= expected + kSamplesPerFrame / 2;
       ++offset) {
    if (offset < 0) continue;
    double both = 0.0;
    double mine = 0.0;
    double theirs = 0.0;
    for (int64_t i = 0; i < count; ++i) {
      const double a = recorded[static_cast<size_t>(2 * (first + 2 * i))];
      const double b = track[static_cast<size_t>((offset + i) % track_size)];
      both += a * b;
      mine += a * a;
      theirs += b * b;
    }
    if (mine == 0.0 || theirs == 0.0) continue;
    best = std::max(best, both / std::sqrt(mine * theirs));
  }
  return best;
}

// ---- Openings ------------------------------------------------------------------------------------

// One player of the first character and no fast-forward: the opening fades
// in over frames 241 to 359 while the actor walks, shows page 1 (its face,
// two lines) from counter 660 (frame 898), holds at the wait of 720 until Z
// (pressed at 980), shows pages 2 and 3 (Z at 1050 and 1120), fades out
// over 26 frames and hands over to play, which fades in with the player
// where the actor stopped.
const ScriptedRun kOpeningAlone = {
    "scene_opening_alone",
    "160 key=44\n164 key=\n200 key=44\n204 key=\n240 key=44\n244 key=\n"
    "980 key=44\n982 key=\n1050 key=44\n1052 key=\n1120 key=44\n1122 key=\n1200 key=1\n",
    1200,
    {300, 500, 897, 898, 960, 981, 982, 1060, 1124, 1140, 1160, 1200}};

TEST_F(WholeProgramTest, SceneOpeningOfOnePlayerWaitsForDecide) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kOpeningAlone, &h), 0);
  ASSERT_EQ(h.rbegin()->first, kOpeningAlone.escape_frame);
  EXPECT_NE(h[500], h[300]) << "the actor walks while the scene fades in";
  EXPECT_NE(h[898], h[897]) << "page 1 from counter 660";
  EXPECT_EQ(h[981], h[960]) << "the wait at 720 holds the page until decide";
  EXPECT_NE(h[982], h[981]) << "page 2 after the press";
  EXPECT_NE(h[1060], h[982]) << "page 3";
  EXPECT_NE(h[1160], h[1140]) << "play fades in after the black end of the fade-out";
  CompareWithGolden(kOpeningAlone, h);
}

// Two players, the first of the first character (keyboard), the second of
// the second (pad 2: right, then its decide button): the joint opening.
// The keyboard's S holds fast-forward from 290, so the counter moves 6 a
// frame; it is let go at 364, on orven's first page, whose wait (480) then
// holds until the second player presses decide at 420; S is held again
// from 424 to the end. Play begins at 587 with both players where their
// actors stood. The whole scene takes about half the frames of the one
// above.
const ScriptedRun kOpeningBoth = {
    "scene_opening_both",
    "160 key=44\n164 key=\n200 key=208\n204 key=\n220 key=44\n224 key=\n250 key=44\n254 key=\n"
    "260 pad2=4\n264 pad2=0\n280 pad2=10\n284 pad2=0\n290 key=31\n364 key=\n420 pad2=10\n"
    "424 pad2=0 key=31\n650 key=1\n",
    650,
    {300, 364, 419, 421, 446, 500, 520, 555, 562, 600, 645}};

TEST_F(WholeProgramTest, SceneOpeningOfTwoPlayersHurriedByFastForward) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kOpeningBoth, &h), 0);
  ASSERT_EQ(h.rbegin()->first, kOpeningBoth.escape_frame);
  EXPECT_EQ(h[419], h[364]) << "page 1 waits without fast-forward or decide";
  EXPECT_NE(h[421], h[419]) << "the second player's decide passes the wait";
  EXPECT_NE(h[520], h[500]) << "pages pass under fast-forward";
  EXPECT_NE(h[600], h[562]) << "play after the fade-out";
  CompareWithGolden(kOpeningBoth, h);
}

// ---- Scenes met in play ----------------------------------------------------------------------

// On field02 floor 1, arriving at its restore point (592, 144): right onto
// the save cell under the figure (780 to 806), up for a moment to face it,
// then Z (820) starts the save-point scene. Its page shows from 879 and
// waits at counter 90 for Z (930); the save question follows (from 931,
// over the page's picture); Z on yes (980) opens the slot choice on its return row, down
// (1010) lights slot 1, Z (1040) writes it and play resumes at 1041.
TEST_F(WholeProgramTest, SceneSavePointWritesASlotThatContinues) {
  const fs::path copy = SetWithHomeStairsTo("scene-save-point", 5, 1, 592, 144);
  ASSERT_FALSE(copy.empty());
  const fs::path slot = copy / "patch" / "save_data0.dat";
  ASSERT_FALSE(fs::exists(slot));
  const std::string script = std::string(kWalkToHomeStairs) +
                             "780 key=205\n806 key=200\n810 key=\n820 key=44\n822 key=\n"
                             "930 key=44\n932 key=\n980 key=44\n982 key=\n1010 key=208\n1012 key=\n"
                             "1040 key=44\n1042 key=\n1046 key=1\n";
  const ScriptedRun save = {"scene_save_point",
                            script.c_str(),
                            1046,
                            {800, 815, 879, 925, 960, 1000, 1030, 1045}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(save, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, save.escape_frame);
  EXPECT_NE(h[1030], h[1000]) << "slot 1 lit";
  CompareWithGolden(save, h);
  const fs::path frames = FramesFolder(save);
  EXPECT_NE(MessageLineShown(frames, 879), MessageLineShown(frames, 815)) << "the page";
  EXPECT_EQ(MessageLineShown(frames, 925), MessageLineShown(frames, 879))
      << "the page held at its wait";
  EXPECT_NE(MessageLineShown(frames, 960), MessageLineShown(frames, 925)) << "the save question";

  const std::string written = ReadFile(slot);
  ASSERT_EQ(written.size(), 6216u) << "slot 1 was written";
  EXPECT_EQ(WordAt(written, 0), 1) << "used";
  EXPECT_EQ(WordAt(written, 4), 1) << "one player";
  EXPECT_EQ(WordAt(written, 12), 5) << "area field02";
  EXPECT_EQ(WordAt(written, 16), 1) << "floor 1";

  // CONTINUE and slot 1: play on the same floor from frame 171, the player
  // at the restore point (592, 144) beside the save figure.
  const ScriptedRun resume = {"scene_continue_from_save_point",
                              "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
                              "240 key=1\n",
                              240,
                              {150, 200, 240}};
  std::map<int32_t, std::string> continued;
  ASSERT_EQ(RunProgram(resume, &continued, copy), 0);
  ASSERT_EQ(continued.rbegin()->first, resume.escape_frame);
  EXPECT_NE(continued[200], continued[150]) << "play follows the load menu";
  CompareWithGolden(resume, continued);
}

// On dansion01 floor 5, arriving in the corridor below the boss room (272,
// 448): up onto the scene cell in the wall's gap starts the first boss's
// encounter at 786. Its pelune-only copy shows six pages from 844, each
// waiting for Z (880, 925, 970, 1015, 1060, 1105); page 5 (from 1016)
// requests the boss music, which begins with the next frame, and the fight
// starts at 1106. The recorded sound shows the floor's music, begun on
// arrival (frame 724), up to page 5 and the boss music from then on.
TEST_F(WholeProgramTest, SceneFirstBossEncounterStartsItsMusic) {
  const fs::path copy = SetWithHomeStairsTo("scene-first-boss", 2, 5, 272, 448);
  ASSERT_FALSE(copy.empty());
  const std::string script = std::string(kWalkToHomeStairs) +
                             "770 key=200\n800 key=\n880 key=44\n882 key=\n925 key=44\n927 key=\n"
                             "970 key=44\n972 key=\n1015 key=44\n1017 key=\n1060 key=44\n1062 key=\n"
                             "1105 key=44\n1107 key=\n1200 key=1\n";
  const ScriptedRun run = {"scene_first_boss_encounter",
                           script.c_str(),
                           1200,
                           {786, 843, 844, 900, 950, 1000, 1040, 1080, 1106, 1150, 1200}};
  const fs::path wav = Scratch() / "scene-first-boss.wav";
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy, {"--audio-out=" + wav.string()}), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  EXPECT_EQ(h[843], h[786]) << "the field stands still before page 1";
  EXPECT_NE(h[844], h[843]) << "page 1 from counter 60";
  CompareWithGolden(run, h);

  constexpr int32_t kArrival = 724;    // the floor's music starts
  constexpr int32_t kMusicPage = 1016;  // page 5 first shows
  const std::vector<int16_t> recorded = ReadRecordedSound(wav);
  const std::vector<int16_t> floor_music = MusicTrack("data/bgm/bgm_dansion01.ogg");
  const std::vector<int16_t> boss_music = MusicTrack("data/bgm/bgm_dusmoren.ogg");
  EXPECT_GT(FollowsTrack(recorded, floor_music, 940, 60, kArrival), 0.9)
      << "pages 3 and 4 over the floor's music";
  EXPECT_GT(FollowsTrack(recorded, boss_music, 1030, 60, kMusicPage + 1), 0.9)
      << "the boss music from the frame after page 5 first shows";
  EXPECT_LT(FollowsTrack(recorded, floor_music, 1030, 60, kArrival), 0.3)
      << "the floor's music has stopped";
  EXPECT_GT(FollowsTrack(recorded, boss_music, 1120, 60, kMusicPage + 1), 0.9)
      << "the boss music goes on into the fight";
}

// On dansion02 floor 6 with boss 1's row at 1 hit point, arriving below
// the boss room (272, 448): up onto the scene cell starts the giant toad's
// talk, hurried by S from 790 (its pages from 809: a name label, a face, a
// label, the spit page without a window, two faces). The fight begins at
// 881; the player walks up (890 to 950) and shoots upward (Z every six
// frames from 952) until the boss falls near 1008. When its crystal is
// laid the ice boss's fall plays (1099 to 1187: the figure slides down over
// everything, 5 px a frame), then play goes on.
TEST_F(WholeProgramTest, SceneIceBossFallsAfterItsDefeat) {
  const fs::path copy = SetWithHomeStairsTo("scene-ice-boss", 3, 6, 272, 448);
  ASSERT_FALSE(copy.empty());
  std::string error;
  ASSERT_TRUE(ReplaceLevelRow(copy, LevelFile(3, "boss_data_", 6), -1,
                              "1,1,272,128,1,8,40,40,8,8", &error))
      << error;
  std::string script = std::string(kWalkToHomeStairs) +
                       "770 key=200\n790 key=200,31\n800 key=31\n890 key=200\n950 key=\n";
  for (int32_t frame = 952; frame <= 1030; frame += 6) {
    script += std::to_string(frame) + " key=44\n" + std::to_string(frame + 3) + " key=\n";
  }
  script += "1200 key=1\n";
  const ScriptedRun run = {
      "scene_ice_boss_falls",
      script.c_str(),
      1200,
      {790, 812, 824, 836, 850, 860, 874, 884, 960, 1010, 1098, 1100, 1120, 1150, 1190, 1200}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  EXPECT_NE(h[1100], h[1098]) << "the fall starts";
  EXPECT_NE(h[1150], h[1120]) << "the figure slides down";
  CompareWithGolden(run, h);
  // The boss never touched the player: the status shows the same hit
  // points before the fight and after the fall.
  EXPECT_EQ(HitPointsShown(FramesFolder(run), 1190), HitPointsShown(FramesFolder(run), 884));
}

// ---- Placed hazards, the ending and the trial end ------------------------------------------

// dansion01 floor 2, arriving at (272, 528), clear of every flame: the
// fires, the vine and the korone cycle while play fades in; the player
// walks up (770 to 800) into the column of the fire at (272, 336), which
// shoots down, and loses 5 hit points at frame 813, once: the status
// display goes from 15 / 15 to 10 / 15 and stays there.
TEST_F(WholeProgramTest, ScenePlacedHazardsHurtAWalkingPlayer) {
  const fs::path copy = SetWithHomeStairsTo("scene-hazards", 2, 2, 272, 528);
  ASSERT_FALSE(copy.empty());
  const std::string script = std::string(kWalkToHomeStairs) + "770 key=200\n800 key=\n880 key=1\n";
  const ScriptedRun run = {"scene_placed_hazards",
                           script.c_str(),
                           880,
                           {766, 790, 812, 813, 830, 860, 880}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  EXPECT_NE(h[790], h[766]) << "the hazards cycle";
  CompareWithGolden(run, h);
  const fs::path frames = FramesFolder(run);
  EXPECT_EQ(HitPointsShown(frames, 812), HitPointsShown(frames, 766)) << "15 / 15";
  EXPECT_NE(HitPointsShown(frames, 813), HitPointsShown(frames, 812)) << "the flame hurts";
  EXPECT_EQ(HitPointsShown(frames, 880), HitPointsShown(frames, 813)) << "once";
}

// The ending area, reached by the house's stairs (arrival 722): the
// pelune-only copy of the ending. S held from 730 hurries the roll (five
// narration lines climbing a black screen) and the room's fade-in; it is
// let go at 1250, and the five pages (from 1281) each wait for Z (1330,
// 1375, 1420, 1465, 1510); S again from 1515 hurries the flash, the
// stretched figure, the end image and the fade-out. The title menu comes
// back at 1915, the same picture as at the program's start.
TEST_F(WholeProgramTest, SceneEndingReturnsToTheTitle) {
  const fs::path copy = SetWithHomeStairsTo("scene-ending", 14, 0, 240, 176);
  ASSERT_FALSE(copy.empty());
  const std::string script = std::string(kWalkToHomeStairs) +
                             "730 key=31\n1250 key=\n1330 key=44\n1332 key=\n1375 key=44\n"
                             "1377 key=\n1420 key=44\n1422 key=\n1465 key=44\n1467 key=\n"
                             "1510 key=44\n1512 key=\n1515 key=31\n1925 key=1\n";
  const ScriptedRun run = {"scene_ending",
                           script.c_str(),
                           1925,
                           {150, 801, 901, 1001, 1100, 1210, 1300, 1351, 1396, 1441, 1486, 1556,
                            1641, 1751, 1871, 1914, 1925}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  EXPECT_NE(h[1351], h[1300]) << "page 2 after the first press";
  EXPECT_NE(h[1914], h[1871]) << "the fade-out";
  EXPECT_EQ(h[1925], h[150]) << "the title menu as at the program's start";
  CompareWithGolden(run, h);
}

// A slot written by the test on field02 floor 1 (story-flag word 19 at 0,
// as in a game saved before the trial end existed): CONTINUE, slot 1, play
// from 171; down from the restore point onto the trial end's cell three
// rows below starts scene 119 near 257. Its three pages wait for Z (350,
// 395, 440); the last press ends it and the title fades in from 441, as at
// the program's start once faded in. The last press lasts one frame: a key
// still down on the frame after the scene's reset, which clears every
// player record, reads as newly pressed.
TEST_F(WholeProgramTest, SceneTrialEndFromALoadedSlot) {
  const fs::path copy = Scratch() / "scene-trial-end";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  ASSERT_TRUE(WriteSaveSlot(copy, 0, SlotImage(5, 1), &error)) << error;
  const ScriptedRun run = {"scene_trial_end",
                           "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
                           "220 key=208\n260 key=\n350 key=44\n352 key=\n395 key=44\n397 key=\n"
                           "440 key=44\n441 key=\n520 key=1\n",
                           520,
                           {99, 250, 316, 360, 400, 445, 470, 520}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  EXPECT_NE(h[360], h[316]) << "page 2";
  EXPECT_NE(h[445], h[99]) << "the title fading in";
  EXPECT_EQ(h[520], h[99]) << "the title menu as at the program's start";
  CompareWithGolden(run, h);
}

}  // namespace
