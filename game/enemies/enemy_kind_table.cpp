// The behaviour routines by enemy kind.
#include "game/enemies/enemies.h"
#include "game/enemies/enemy_kinds.h"

void (*enemy_kind_table[55])(int32_t) = {
    update_enemy_kind_00, update_enemy_kind_01, update_enemy_kind_02, update_enemy_kind_03,
    update_enemy_kind_04, update_enemy_kind_05, update_enemy_kind_06, update_enemy_kind_07,
    update_enemy_kind_08, update_enemy_kind_09, update_enemy_kind_10, update_enemy_kind_11,
    update_enemy_kind_12, update_enemy_kind_13, update_enemy_kind_14, update_enemy_kind_15,
    update_enemy_kind_16, update_enemy_kind_17, update_enemy_kind_18, update_enemy_kind_19,
    update_enemy_kind_20, update_enemy_kind_21, update_enemy_kind_22, update_enemy_kind_23,
    update_enemy_kind_24, update_enemy_kind_25, update_enemy_kind_26, update_enemy_kind_27,
    update_enemy_kind_28, update_enemy_kind_29, update_enemy_kind_30, update_enemy_kind_31,
    update_enemy_kind_32, update_enemy_kind_33, update_enemy_kind_34, update_enemy_kind_35,
    update_enemy_kind_36, update_enemy_kind_37, update_enemy_kind_38, update_enemy_kind_39,
    update_enemy_kind_40, update_enemy_kind_41, update_enemy_kind_42, update_enemy_kind_43,
    update_enemy_kind_44, update_enemy_kind_45, update_enemy_kind_46, update_enemy_kind_47,
    update_enemy_kind_48, update_enemy_kind_49, update_enemy_kind_50, update_enemy_kind_51,
    update_enemy_kind_52, update_enemy_kind_53, update_enemy_kind_54,
};
