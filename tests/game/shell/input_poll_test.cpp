// The input poll: pads and keyboard into each player's states and actions.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

constexpr int32_t kShot = 0x10;   // button 0
constexpr int32_t kLeft = 0x2;
constexpr int32_t kButton7 = 0x800;

class InputPollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    std::memset(player, 0, sizeof(player));
    player_count = 4;
    for (int p = 0; p < 4; ++p) {
      pad_device[p] = p + 1;
      for (int a = 0; a < 5; ++a) player[p].action_button[a] = a;
    }
  }
  // Runs the poll as frame `frame`, with `bits` answered for each input set.
  void Poll(int frame, std::map<int32_t, int32_t> bits) {
    api_fake().frame = frame;
    api_fake().pad_input = [bits](int32_t input_set, int) {
      auto found = bits.find(input_set);
      return found != bits.end() ? found->second : 0;
    };
    poll_input();
  }
};

// A press gives 2 in its first frame and 1 while held; released, 0.
TEST_F(InputPollTest, APressIsNewThenHeldThenGone) {
  const struct {
    int32_t bits;
    int32_t shot;
    int32_t left;
  } frames[] = {
      {0, 0, 0},
      {kShot, 2, 0},
      {kShot | kLeft, 1, 2},
      {kShot | kLeft, 1, 1},
      {kLeft, 0, 1},
      {0, 0, 0},
      {kShot, 2, 0},
  };
  int frame = 0;
  for (const auto& f : frames) {
    SCOPED_TRACE(frame);
    Poll(frame++, {{1, f.bits}});
    EXPECT_EQ(player[0].pad_bits, f.bits);
    EXPECT_EQ(player[0].input_state[4], f.shot);
    EXPECT_EQ(player[0].input_state[3], f.left);
    EXPECT_EQ(player[0].actions[0], f.shot);  // action 0 is button 0
  }
}

// Each device setting reads its own input set; 6 and above read nothing.
TEST_F(InputPollTest, EachDeviceSettingReadsItsInputSet) {
  const struct {
    int32_t device;
    int32_t input_set;  // -1: no read
  } cases[] = {{0, 4097}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4096}, {6, -1}, {-1, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    SetUp();
    pad_device[2] = c.device;
    Poll(0, {{c.input_set, kShot}});
    Poll(1, {{c.input_set, kShot}});
    const int32_t expected = c.input_set >= 0 ? 1 : 0;
    EXPECT_EQ(player[2].input_state[4], expected);
    EXPECT_EQ(player[2].actions[0], expected);
    std::vector<int64_t> asked;
    for (const ApiCall& call : api_fake().Calls("ApiGetPadInput")) asked.push_back(call.args[0]);
    // Players 0, 1 and 3 read pads 1, 2 and 4 in both frames; player 2 its set.
    std::vector<int64_t> expected_sets = {1, 2};
    if (c.input_set >= 0) expected_sets.push_back(c.input_set);
    expected_sets.push_back(4);
    // The second frame asks the same again (inserted from a copy: a vector's
    // own elements may not be inserted into it).
    const std::vector<int64_t> one_frame = expected_sets;
    expected_sets.insert(expected_sets.end(), one_frame.begin(), one_frame.end());
    EXPECT_EQ(asked, expected_sets);
  }
}

// Players beyond the player count keep their states and actions, though their
// pad bits are read.
TEST_F(InputPollTest, PlayersBeyondTheCountKeepTheirStates) {
  player_count = 2;
  player[3].input_state[4] = 1;
  player[3].actions[0] = 1;
  Poll(0, {{1, kShot}, {4, kButton7}});
  EXPECT_EQ(player[0].input_state[4], 2);
  EXPECT_EQ(player[3].pad_bits, kButton7);
  EXPECT_EQ(player[3].input_state[4], 1);
  EXPECT_EQ(player[3].input_state[11], 0);
  EXPECT_EQ(player[3].actions[0], 1);
}

// Actions follow the configured buttons; a button number outside 0 to 7
// leaves its action at its last value.
TEST_F(InputPollTest, ActionsFollowTheirButtonsAndBadNumbersKeepTheirValue) {
  player[0].action_button[0] = 7;
  player[0].action_button[1] = 8;
  player[0].action_button[2] = -1;
  player[0].actions[1] = 1;
  player[0].actions[2] = 2;
  Poll(0, {{1, kButton7 | kShot}});
  EXPECT_EQ(player[0].actions[0], 2);
  EXPECT_EQ(player[0].actions[1], 1);
  EXPECT_EQ(player[0].actions[2], 2);
  Poll(1, {{1, kButton7}});
  EXPECT_EQ(player[0].actions[0], 1);
}

// The press that ends a scene back to the title (or confirms a return to
// it) is still held on the title's first frame: the reset between them keeps
// what the pad last read, so the title sees it held, not newly pressed, and
// does not choose its first row with it.
TEST_F(InputPollTest, AButtonHeldThroughTheResetToTheTitleReadsAsHeld) {
  Poll(1, {{1, kShot}});
  EXPECT_EQ(player[0].actions[0], 2);
  reset_game();
  Poll(2, {{1, kShot}});
  EXPECT_EQ(player[0].actions[0], 1);
}

}  // namespace
