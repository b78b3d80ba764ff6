// The sprite family and image of every enemy kind.
#include "game/draw/enemy_sprite_table.h"

#include "game/shell/shell.h"

namespace {

const enemy_family kPausingSlime = {60, 15, false, true, 48, -17, dot_slime_white_img};
const enemy_family kSlime = {60, 15, false, false, 48, -17, dot_slime_white_img};
const enemy_family kKedama = {16, 4, true, false, 44, -20, dot_kedama_white_img};
const enemy_family kFairy = {16, 4, true, false, 52, -19, dot_fairy_normal_white_img};
const enemy_family kFairyMaid = {16, 4, true, false, 52, -16, dot_fairy_maid_white_img};
const enemy_family kGolem = {64, 16, true, false, 48, -29, dot_golem_white_img};
// Rolling rocks are drawn apart: one whole image, never animated or white.
const enemy_family kRollingRock = {0, 1, false, false, 48, -16, nullptr};
const enemy_family kBee = {16, 4, false, false, 52, -12, dot_bee_white_img};
const enemy_family kDeath = {64, 4, false, false, 48, -16, dot_death_white_img};
const enemy_family kBook = {60, 12, false, false, 40, -16, dot_book_white_img};

}  // namespace

const enemy_look enemy_looks[kEnemyLookKinds] = {
    {&kPausingSlime, dot_slime_green_img},         // 0
    {&kKedama, dot_kedama_normal_img},             // 1
    {&kFairy, dot_fairy_normal_blue_img},          // 2
    {&kFairy, dot_fairy_normal_blue_img},          // 3
    {&kSlime, dot_slime_green_img},                // 4
    {&kFairy, dot_fairy_normal_green_img},         // 5
    {&kGolem, dot_golem_blue_green_img},           // 6
    {&kSlime, dot_slime_green_img},                // 7
    {&kGolem, dot_golem_img},                      // 8
    {&kSlime, dot_slime_red_img},                  // 9
    {&kRollingRock, nullptr},                      // 10
    {&kRollingRock, nullptr},                      // 11
    {&kRollingRock, nullptr},                      // 12
    {&kRollingRock, nullptr},                      // 13
    {&kRollingRock, nullptr},                      // 14
    {&kRollingRock, nullptr},                      // 15
    {&kRollingRock, nullptr},                      // 16
    {&kRollingRock, nullptr},                      // 17
    {&kBee, dot_bee_img},                          // 18
    {&kDeath, dot_death_img},                      // 19
    {&kGolem, dot_golem_green_img},                // 20
    {&kKedama, dot_kedama_green_img},              // 21
    {&kFairyMaid, dot_fairy_maid_aqua_img},        // 22
    {&kFairyMaid, dot_fairy_maid_brown_img},       // 23
    {&kPausingSlime, dot_slime_blue_img},          // 24
    {&kKedama, dot_kedama_ai_img},                 // 25
    {&kGolem, dot_golem_img},                      // 26
    {&kFairyMaid, dot_fairy_maid_blue_img},        // 27
    {&kFairyMaid, dot_fairy_maid_orange_img},      // 28
    {&kBook, dot_book_img},                        // 29
    {&kGolem, dot_golem_gray_img},                 // 30
    {&kFairyMaid, dot_fairy_maid_gray_img},        // 31
    {&kFairyMaid, dot_fairy_maid_purple_img},      // 32
    {&kPausingSlime, dot_slime_yellow_img},        // 33
    {&kKedama, dot_kedama_red_img},                // 34
    {&kFairyMaid, dot_fairy_maid_green_img},       // 35
    {&kFairyMaid, dot_fairy_maid_red_img},         // 36
    {&kKedama, dot_kedama_blue_img},               // 37
    {&kGolem, dot_golem_red_img},                  // 38
    {&kKedama, dot_kedama_yellow_img},             // 39
    {&kFairy, dot_fairy_normal_red_img},           // 40
    {&kPausingSlime, dot_slime_orange_img},        // 41
    {&kFairy, dot_fairy_normal_orange_img},        // 42
    {&kKedama, dot_kedama_orange_img},             // 43
    {&kGolem, dot_golem_orange_img},               // 44
    {&kPausingSlime, dot_slime_ai_img},            // 45
    {&kFairy, dot_fairy_normal_black_img},         // 46: fades in its window
    {&kFairy, dot_fairy_normal_gray_img},          // 47
    {&kGolem, dot_golem_ai_img},                   // 48
    {&kPausingSlime, dot_slime_purple_img},        // 49
    {&kFairy, dot_fairy_normal_aqua_img},          // 50
    {&kFairy, dot_fairy_normal_brown_img},         // 51
    {&kFairy, dot_fairy_normal_purple_img},        // 52
    {&kKedama, dot_kedama_purple_img},             // 53
    {&kGolem, dot_golem_purple_img},               // 54
};
