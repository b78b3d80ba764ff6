// What the final boss's behaviour and its shot pattern share.
#pragma once

#include <cstdint>

// The phase 1 to 4 of the final boss by its hit points: above 3000, 2001 to
// 3000, 1001 to 2000, 1000 and less.
int32_t final_boss_phase();
