// The script's tables as the game has them: compiled with the game's CP932
// execution character set, linked from the game library.
#include "game/scenes/scene_text.h"
#include "tests/game/scenes/script/script_tables.h"

#include "tests/game/scenes/script/script_table_list.h"

std::vector<script_table> script_as_cp932() { return read_script_tables(); }
