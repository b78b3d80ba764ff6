#include "tests/fuzz/game_fuzz_support.h"

#include <sys/stat.h>

#include <utility>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/api_fake/api_fake.h"

void StartGameForFuzzing() {
  static bool started = false;
  if (started) return;
  started = true;
  EnterScratchFolder();
  mkdir("patch", 0755);
}

void StartGameState(std::map<std::string, std::string> files) {
  api_fake().Reset();
  api_fake().files = std::move(files);
  for (player_data& record : player) record = player_data{};
  for (int32_t& device : pad_device) device = 0;
  for (save_data& slot : save_slots) slot = save_data{};
  revive_stock = 0;
  player_count = 0;
  load_images();
  load_sounds();
  load_item_data();
  reset_game();
  load_settings();
  api_fake().calls.clear();
}

void RunFrames(const std::vector<int32_t>& presses, int frames) {
  ApiFake& fake = api_fake();
  const int end = fake.frame + frames;
  // The record of the calls is not needed: it is dropped every frame, so it
  // does not grow with the frames run.
  fake.process_message = [end, &fake](int frame) {
    fake.calls.clear();
    return frame >= end ? 1 : 0;
  };
  const int start = fake.frame;
  fake.pad_input = [&presses, start](int32_t, int frame) {
    const int step = frame - start;
    const size_t press = static_cast<size_t>(step / 2);
    return step % 2 == 1 && press < presses.size() ? presses[press] : 0;
  };
  main_loop();
  fake.pad_input = nullptr;
  fake.process_message = nullptr;
  // The record of the calls is not needed and would only grow.
  fake.calls.clear();
}
