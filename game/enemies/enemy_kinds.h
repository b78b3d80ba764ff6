// The behaviour routine of every enemy kind, one for each slot of
// enemy_kind_table, called with the enemy's slot (0 to 15). Kinds that share a
// behaviour run it with their own constants.
#pragma once

#include <cstdint>

void update_enemy_kind_00(int32_t slot);
void update_enemy_kind_01(int32_t slot);
void update_enemy_kind_02(int32_t slot);
void update_enemy_kind_03(int32_t slot);
void update_enemy_kind_04(int32_t slot);
void update_enemy_kind_05(int32_t slot);
void update_enemy_kind_06(int32_t slot);
void update_enemy_kind_07(int32_t slot);
void update_enemy_kind_08(int32_t slot);
void update_enemy_kind_09(int32_t slot);
void update_enemy_kind_10(int32_t slot);
void update_enemy_kind_11(int32_t slot);
void update_enemy_kind_12(int32_t slot);
void update_enemy_kind_13(int32_t slot);
void update_enemy_kind_14(int32_t slot);
void update_enemy_kind_15(int32_t slot);
void update_enemy_kind_16(int32_t slot);
void update_enemy_kind_17(int32_t slot);
void update_enemy_kind_18(int32_t slot);
void update_enemy_kind_19(int32_t slot);
void update_enemy_kind_20(int32_t slot);
void update_enemy_kind_21(int32_t slot);
void update_enemy_kind_22(int32_t slot);
void update_enemy_kind_23(int32_t slot);
void update_enemy_kind_24(int32_t slot);
void update_enemy_kind_25(int32_t slot);
void update_enemy_kind_26(int32_t slot);
void update_enemy_kind_27(int32_t slot);
void update_enemy_kind_28(int32_t slot);
void update_enemy_kind_29(int32_t slot);
void update_enemy_kind_30(int32_t slot);
void update_enemy_kind_31(int32_t slot);
void update_enemy_kind_32(int32_t slot);
void update_enemy_kind_33(int32_t slot);
void update_enemy_kind_34(int32_t slot);
void update_enemy_kind_35(int32_t slot);
void update_enemy_kind_36(int32_t slot);
void update_enemy_kind_37(int32_t slot);
void update_enemy_kind_38(int32_t slot);
void update_enemy_kind_39(int32_t slot);
void update_enemy_kind_40(int32_t slot);
void update_enemy_kind_41(int32_t slot);
void update_enemy_kind_42(int32_t slot);
void update_enemy_kind_43(int32_t slot);
void update_enemy_kind_44(int32_t slot);
void update_enemy_kind_45(int32_t slot);
void update_enemy_kind_46(int32_t slot);
void update_enemy_kind_47(int32_t slot);
void update_enemy_kind_48(int32_t slot);
void update_enemy_kind_49(int32_t slot);
void update_enemy_kind_50(int32_t slot);
void update_enemy_kind_51(int32_t slot);
void update_enemy_kind_52(int32_t slot);
void update_enemy_kind_53(int32_t slot);
void update_enemy_kind_54(int32_t slot);
