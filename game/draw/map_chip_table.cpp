// The fixed chips of the map drawing.
#include "game/draw/map_chip_table.h"

#include "game/shell/shell.h"

int32_t* const area_chip_set[15] = {
    BRIMAL_map_chip_field01,       // 0 pelune_house
    BRIMAL_map_chip_field01,       // 1 field01
    BRIMAL_map_chip_dansion01,     // 2 dansion01
    BRIMAL_map_chip_forest,        // 3 dansion02
    BRIMAL_map_chip_dansion01,     // 4 dansion02sub
    BRIMAL_map_chip_field01,       // 5 field02
    BRIMAL_map_chip_field01,       // 6 dansion03
    BRIMAL_map_chip_library,       // 7 library
    BRIMAL_map_chip_dansion05,     // 8 dansion05
    BRIMAL_map_chip_dansion06,     // 9 dansion06
    BRIMAL_map_chip_field03,       // 10 field03
    BRIMAL_map_chip_tower,         // 11 dansion07
    BRIMAL_map_chip_strandmoorle,  // 12 dansion08
    BRIMAL_map_chip_nimbra,        // 13 dansion09
    BRIMAL_map_chip_field01,       // 14 ending
};

const PlacedChip save_figure_places[kSaveFigureFloors] = {
    {5, 1, nullptr, 0, 668, 86},
    {4, 3, nullptr, 0, 505, 54},
    {4, 4, nullptr, 0, 505, 54},
    {13, 0, nullptr, 0, 1179, 118},
};

// Each covers one map cell, the room's way on, but for area 12's second chip;
// the chip comes from the named set even where the area draws with another.
const PlacedChip exit_chips[kExitChips] = {
    {2, -1, BRIMAL_map_chip_dansion01, 54, 512, 64},
    {3, -1, BRIMAL_map_chip_forest, 5, 512, 160},
    {6, -1, BRIMAL_map_chip_field01, 222, 160, 128},
    {7, -1, BRIMAL_map_chip_library, 73, 480, 256},
    {8, -1, BRIMAL_map_chip_dansion05, 103, 128, 96},
    {9, -1, BRIMAL_map_chip_dansion06, 87, 288, 64},
    {11, -1, BRIMAL_map_chip_tower, 49, 128, 96},
    {12, -1, BRIMAL_map_chip_strandmoorle, 98, 128, 256},
    {12, -1, BRIMAL_map_chip_nimbra, 85, 504, 36},
    {13, -1, BRIMAL_map_chip_nimbra, 85, 320, 64},
};

// Area 1 floor 0 column by column, top to bottom (the last column ends with
// chip 37 where the second has 33); area 12 floor 7 (its third row of chip 35
// at y 1086, not 1088).
const PlacedChip overlay_chips[kOverlayChips] = {
    {1, 0, BRIMAL_map_chip_field01, 214, 192, 224},
    {1, 0, BRIMAL_map_chip_field01, 230, 192, 256},
    {1, 0, BRIMAL_map_chip_field01, 246, 192, 288},
    {1, 0, BRIMAL_map_chip_field01, 1, 224, 224},
    {1, 0, BRIMAL_map_chip_field01, 17, 224, 256},
    {1, 0, BRIMAL_map_chip_field01, 33, 224, 288},
    {1, 0, BRIMAL_map_chip_field01, 215, 480, 224},
    {1, 0, BRIMAL_map_chip_field01, 231, 480, 256},
    {1, 0, BRIMAL_map_chip_field01, 247, 480, 288},
    {1, 0, BRIMAL_map_chip_field01, 1, 448, 224},
    {1, 0, BRIMAL_map_chip_field01, 17, 448, 256},
    {1, 0, BRIMAL_map_chip_field01, 37, 448, 288},

    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 288},
    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 320},
    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 352},
    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 544},
    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 576},
    {12, 7, BRIMAL_map_chip_strandmoorle, 18, 192, 608},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 288},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 320},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 352},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 544},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 576},
    {12, 7, BRIMAL_map_chip_strandmoorle, 16, 1120, 608},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 448, 1024},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 448, 1056},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 448, 1086},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 896, 1024},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 896, 1056},
    {12, 7, BRIMAL_map_chip_strandmoorle, 35, 896, 1086},
};
