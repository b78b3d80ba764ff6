// Plays a dialogue scene copy to its end and checks every frame against a
// page table the test typed: which page shows for the counter, its face and
// lines, the music it asks for, and the end.
#pragma once

#include <set>
#include <vector>

#include "game/bosses/bosses.h"
#include "game/scenes/scene_machinery.h"
#include "tests/game/scenes/scene_test_support.h"

// One page as the scene tables give it. A label page has no face and one
// line; a page without a window (the toad's spit) has neither.
struct TypedPage {
  const int32_t* face;  // null: label page or no window
  int lines;            // 0: no window
  int32_t music = 0;
  // The counter values that show the page, its wait the last; 0, 0 for the
  // dialogue timeline's (page 1 60 to 90, page k 40 k + 11 to 40 k + 50).
  int32_t first = 0;
  int32_t last = 0;
};

inline TypedPage Label() { return TypedPage{nullptr, 1, 0}; }
inline TypedPage Spit() { return TypedPage{nullptr, 0, 0}; }

struct TypedCopy {
  std::vector<int32_t> characters;  // a party of two players of this copy
  std::vector<TypedPage> pages;
  int32_t end;  // the counter value that ends the copy
  // What the end does besides handing back to play.
  bool sets_played_word = true;
  bool clears_boss_counter = true;
  // The end goes to the title, whose reset clears the played words again.
  bool returns_to_title = false;
};

// How the players pass the waits.
enum class Drive {
  kOnePresser,   // player 0 presses decide on every frame that starts on a wait
  kFastForward,  // player 0 holds fast-forward throughout
  kTwoPressers,  // players 0 and 1 press decide together at every wait
};

inline const char* DriveName(Drive drive) {
  switch (drive) {
    case Drive::kOnePresser:
      return "one presser";
    case Drive::kFastForward:
      return "fast-forward";
    case Drive::kTwoPressers:
      return "two pressers";
  }
  return "";
}

class DialogueSceneTest : public SceneTest {
 protected:
  // Waits of the dialogue timeline: page k waits at 40 k + 50.
  static int32_t Wait(int page) { return 40 * page + 50; }

  // The wait of page k (1-based) of `copy`.
  static int32_t WaitOf(const TypedCopy& copy, int page) {
    const TypedPage& typed = copy.pages[page - 1];
    return typed.last != 0 ? typed.last : Wait(page);
  }

  // The page shown at `counter`: by the pages' own ranges, else page 1
  // from 60 to 90 and page k from 40 k + 11 to 40 k + 50; 0 for none.
  static int PageAt(int32_t counter, const TypedCopy& copy) {
    const int pages = static_cast<int>(copy.pages.size());
    for (int k = 1; k <= pages; ++k) {
      const TypedPage& typed = copy.pages[k - 1];
      const int32_t first = typed.first != 0 ? typed.first : k == 1 ? 60 : 40 * k + 11;
      if (counter >= first && counter <= WaitOf(copy, k)) return k;
    }
    return 0;
  }

  struct Shown {
    int32_t face = -1;  // the handle drawn at the face's place, -1 none
    int lines = 0;      // black lines drawn at x 145
    bool label = false;  // a white name at (40, 410)
    bool window = false;
  };

  static Shown ShownIn(int frame) {
    Shown shown;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) {
      if (c.name == "ApiDrawGraphicAt" && c.args[0] == 23 && c.args[1] == 371) shown.face = c.args[2];
      if (c.name == "ApiDrawGraphicAt" && c.args[2] == message_window_img) shown.window = true;
      if (c.name == "ApiDrawTextWithFont" && c.args[0] == 145) ++shown.lines;
      if (c.name == "ApiDrawTextWithFont" && c.args[0] == 40 && c.args[1] == 410) shown.label = true;
    }
    return shown;
  }

  // The actions of a frame that starts at a wait or not.
  static void SetDriveActions(Drive drive, bool at_wait) {
    ClearActions();
    switch (drive) {
      case Drive::kOnePresser:
        player[0].actions[kDecideAction] = at_wait ? 2 : 0;
        break;
      case Drive::kFastForward:
        player[0].actions[kFastForwardAction] = 1;
        break;
      case Drive::kTwoPressers:
        player[0].actions[kDecideAction] = at_wait ? 2 : 0;
        player[1].actions[kDecideAction] = at_wait ? 2 : 0;
        break;
    }
  }

  // Plays copy `copy` of scene `id` from its start to its end, checking
  // every frame; returns the frames played.
  static int PlayCopy(int32_t id, const TypedCopy& copy, Drive drive) {
    SCOPED_TRACE(DriveName(drive));
    SetParty(copy.characters);
    boss_p_cnt = 77;
    StartScene(id);
    const int pages = static_cast<int>(copy.pages.size());
    std::set<int32_t> waits;
    for (int k = 1; k <= pages; ++k) waits.insert(WaitOf(copy, k));
    std::set<int> seen;
    int last_seen = 0;
    int frame = 0;
    const int first_frame = api_fake().frame;
    for (; game_status == kStatusScene && frame < 2000; ++frame) {
      SetDriveActions(drive, waits.count(scene_counter(id)) != 0);
      music_request = 0;
      Frame();
      const bool ended = game_status != kStatusScene;
      // The end frame shows the field without a page.
      const int page = ended ? 0 : PageAt(scene_counter(id), copy);
      const Shown shown = ShownIn(first_frame + frame);
      SCOPED_TRACE(testing::Message() << "frame " << frame << ", counter " << scene_counter(id)
                                      << ", page " << page);
      if (page == 0) {
        EXPECT_FALSE(shown.window);
        EXPECT_EQ(shown.lines, 0);
        EXPECT_EQ(music_request, 0);
        continue;
      }
      const TypedPage& typed = copy.pages[page - 1];
      EXPECT_EQ(shown.window, typed.lines != 0);
      EXPECT_EQ(shown.face, typed.face != nullptr ? *typed.face : -1);
      EXPECT_EQ(shown.label, typed.face == nullptr && typed.lines != 0);
      EXPECT_EQ(shown.lines, typed.lines);
      EXPECT_EQ(music_request, typed.music);
      EXPECT_GE(page, last_seen) << "pages out of order";
      last_seen = page;
      seen.insert(page);
    }
    EXPECT_EQ(static_cast<int>(seen.size()), pages) << "a page never showed";
    EXPECT_EQ(game_status, copy.returns_to_title ? kStatusTitle : kStatusPlay);
    EXPECT_EQ(scene_counter(id), 0);
    EXPECT_EQ(progress_flags[id - 100], copy.sets_played_word && !copy.returns_to_title ? 1 : 0);
    EXPECT_EQ(boss_p_cnt, copy.clears_boss_counter ? 0 : 77);
    return frame;
  }

  // At the last wait the copy waits without a press; a press ends it in the
  // same frame: the end value is the last wait + 1.
  static void CheckEndValue(int32_t id, const TypedCopy& copy) {
    const int32_t last_wait = WaitOf(copy, static_cast<int>(copy.pages.size()));
    SetParty(copy.characters);
    StartScene(id);
    scene_counter(id) = last_wait;
    ClearActions();
    Frame();
    EXPECT_EQ(game_status, kStatusScene);
    EXPECT_EQ(scene_counter(id), last_wait);
    player[0].actions[kDecideAction] = 2;
    Frame();
    EXPECT_EQ(game_status, copy.returns_to_title ? kStatusTitle : kStatusPlay);
    EXPECT_EQ(last_wait + 1, copy.end);
  }
};
