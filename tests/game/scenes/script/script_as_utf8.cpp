// The script's text table sources compiled a second time, without the CP932
// execution character set, so their literals keep their UTF-8 source text.
// Their tables land in a namespace of their own (scene_text.h, already
// included, is skipped where each source includes it again).
#include "game/scenes/scene_text.h"
#include "tests/game/scenes/script/script_tables.h"

namespace utf8 {

#include "game/scenes/scene_text_bosses.cpp"
#include "game/scenes/scene_text_ending.cpp"
#include "game/scenes/scene_text_first_bosses.cpp"
#include "game/scenes/scene_text_openings.cpp"
#include "game/scenes/scene_text_short.cpp"

#include "tests/game/scenes/script/script_table_list.h"

}  // namespace utf8

std::vector<script_table> script_as_utf8() { return utf8::read_script_tables(); }
