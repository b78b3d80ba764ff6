// Enemy kinds whose behaviours are not built yet: they write nothing, so the
// enemy stands.
#include "game/enemies/enemy_kinds.h"

void update_enemy_kind_02(int32_t) {}
void update_enemy_kind_03(int32_t) {}
void update_enemy_kind_04(int32_t) {}
void update_enemy_kind_06(int32_t) {}
void update_enemy_kind_07(int32_t) {}
void update_enemy_kind_08(int32_t) {}
void update_enemy_kind_21(int32_t) {}
void update_enemy_kind_22(int32_t) {}
void update_enemy_kind_23(int32_t) {}
void update_enemy_kind_25(int32_t) {}
void update_enemy_kind_26(int32_t) {}
void update_enemy_kind_27(int32_t) {}
void update_enemy_kind_29(int32_t) {}
void update_enemy_kind_31(int32_t) {}
void update_enemy_kind_32(int32_t) {}
void update_enemy_kind_34(int32_t) {}
void update_enemy_kind_37(int32_t) {}
void update_enemy_kind_43(int32_t) {}
void update_enemy_kind_47(int32_t) {}
void update_enemy_kind_51(int32_t) {}
void update_enemy_kind_53(int32_t) {}
