// The pictures of the image table: which painter draws each file and, for
// the files loaded whole, at which size.
#include <string>
#include <string_view>

#include "tools/sample_data/painters.h"
#include "tools/sample_data/sample_data.h"

namespace {

struct WholeImage {
  const char* stem;
  int width;
  int height;
  WholePainter painter;
};

// Every file loaded whole, with its size. Full-screen pictures drawn at
// (0, 0) are 640 x 480; menu rows are as wide as their drawing places
// centre them on the screen; gauges are as wide as the status display's
// longest bar; the faces fit the message window's face box.
const WholeImage kWholeImages[] = {
    {"dot_fesku_front_img", 32, 48, PaintWholeSprite},
    {"dot_bookshelf_front_img", 64, 64, PaintWholeSprite},
    {"dot_bookshelf_back_img", 64, 64, PaintWholeSprite},
    {"dot_movable_rock", 32, 32, PaintWholeSprite},
    {"dot_movable_stone_img", 32, 32, PaintWholeSprite},
    {"dot_breakable_rock", 32, 32, PaintWholeSprite},
    {"dot_breakable_rock_white", 32, 32, PaintWholeSprite},
    {"dot_gauge_AG_10_img", 109, 10, PaintWholeStatus},
    {"dot_gauge_AG_13_img", 105, 13, PaintWholeStatus},
    {"dot_gauge_AT_10_img", 109, 10, PaintWholeStatus},
    {"dot_gauge_AT_13_img", 105, 13, PaintWholeStatus},
    {"dot_gauge_HP_10_img", 131, 10, PaintWholeStatus},
    {"dot_gauge_HP_13_img", 131, 13, PaintWholeStatus},
    {"dot_gauge_IN_10_img", 109, 10, PaintWholeStatus},
    {"dot_gauge_IN_13_img", 105, 13, PaintWholeStatus},
    {"dot_gauge_VT_10_img", 109, 10, PaintWholeStatus},
    {"dot_gauge_VT_13_img", 105, 13, PaintWholeStatus},
    {"dot_life_img", 16, 16, PaintWholeStatus},
    {"dot_letter_AG_10_img", 19, 10, PaintWholeStatus},
    {"dot_letter_AG_13_img", 24, 13, PaintWholeStatus},
    {"dot_letter_AT_10_img", 19, 10, PaintWholeStatus},
    {"dot_letter_AT_13_img", 24, 13, PaintWholeStatus},
    {"dot_letter_HP_10_img", 20, 10, PaintWholeStatus},
    {"dot_letter_HP_13_img", 24, 13, PaintWholeStatus},
    {"dot_letter_IN_10_img", 19, 10, PaintWholeStatus},
    {"dot_letter_IN_13_img", 24, 13, PaintWholeStatus},
    {"dot_letter_VT_10_img", 19, 10, PaintWholeStatus},
    {"dot_letter_VT_13_img", 24, 13, PaintWholeStatus},
    {"dot_letter_ORVEN_img", 72, 13, PaintWholeStatus},
    {"dot_letter_PELUNE_img", 72, 13, PaintWholeStatus},
    {"dot_letter_slash_10_img", 7, 10, PaintWholeStatus},
    {"dot_letter_slash_13_img", 9, 13, PaintWholeStatus},
    {"dot_letter_LV_img", 26, 13, PaintWholeStatus},
    {"message_window_img", 600, 104, PaintWholeStatus},
    {"message_window_speak_img", 500, 94, PaintWholeStatus},
    {"revive_img", 128, 40, PaintWholeStatus},
    {"game_over_img", 256, 96, PaintWholeStatus},
    {"back_screen_img", 640, 480, PaintWholeStatus},
    {"select_start_img", 200, 40, PaintWholeMenu},
    {"select_start_shade_img", 200, 40, PaintWholeMenu},
    {"select_config_img", 200, 40, PaintWholeMenu},
    {"select_config_shade_img", 200, 40, PaintWholeMenu},
    {"select_end_img", 200, 40, PaintWholeMenu},
    {"select_end_shade_img", 200, 40, PaintWholeMenu},
    {"select_return_img", 280, 40, PaintWholeMenu},
    {"select_return_shade_img", 280, 40, PaintWholeMenu},
    {"select_one_img", 280, 40, PaintWholeMenu},
    {"select_one_shade_img", 280, 40, PaintWholeMenu},
    {"select_two_img", 280, 40, PaintWholeMenu},
    {"select_two_shade_img", 280, 40, PaintWholeMenu},
    {"select_three_img", 280, 40, PaintWholeMenu},
    {"select_three_shade_img", 280, 40, PaintWholeMenu},
    {"select_four_img", 280, 40, PaintWholeMenu},
    {"select_four_shade_img", 280, 40, PaintWholeMenu},
    {"select_character_back_ground_img", 512, 344, PaintWholeMenu},
    {"select_character_arrow_1P_img2", 48, 32, PaintWholeMenu},
    {"select_character_arrow_2P_img2", 48, 32, PaintWholeMenu},
    {"select_character_arrow_3P_img2", 48, 32, PaintWholeMenu},
    {"select_character_arrow_4P_img2", 48, 32, PaintWholeMenu},
    {"title_menu_img", 640, 480, PaintWholeMenu},
    {"ending_end_img", 240, 120, PaintWholeMenu},
    {"config_back_ground_img", 640, 480, PaintWholeMenu},
    {"config_select_black_potion_img", 280, 40, PaintWholeMenu},
    {"config_select_black_potion_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_exit_img", 280, 40, PaintWholeMenu},
    {"config_select_exit_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_pause_img", 280, 40, PaintWholeMenu},
    {"config_select_pause_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_shot_img", 280, 40, PaintWholeMenu},
    {"config_select_shot_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_skip_img", 280, 40, PaintWholeMenu},
    {"config_select_skip_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_white_potion_img", 280, 40, PaintWholeMenu},
    {"config_select_white_potion_shade_img", 280, 40, PaintWholeMenu},
    {"config_select_life_img", 280, 40, PaintWholeMenu},
    {"config_select_life_shade_img", 280, 40, PaintWholeMenu},
    {"continue_img", 320, 60, PaintWholeMenu},
    {"continue_shade_img", 320, 60, PaintWholeMenu},
    {"exit_1_img", 320, 60, PaintWholeMenu},
    {"exit_1_shade_img", 320, 60, PaintWholeMenu},
    {"exit_2_img", 240, 60, PaintWholeMenu},
    {"exit_2_shade_img", 240, 60, PaintWholeMenu},
    {"no_img", 160, 50, PaintWholeMenu},
    {"no_shade_img", 160, 50, PaintWholeMenu},
    {"return_1_img", 320, 60, PaintWholeMenu},
    {"return_1_shade_img", 320, 60, PaintWholeMenu},
    {"return_2_img", 410, 60, PaintWholeMenu},
    {"return_2_shade_img", 410, 60, PaintWholeMenu},
    {"yes_img", 160, 50, PaintWholeMenu},
    {"yes_shade_img", 160, 50, PaintWholeMenu},
    {"pelune_normal_img", 88, 96, PaintFace},
    {"pelune_smile01_img", 88, 96, PaintFace},
    {"pelune_smile02_img", 88, 96, PaintFace},
    {"pelune_smile03_img", 88, 96, PaintFace},
    {"orven_smile_img", 88, 96, PaintFace},
    {"orven_worry_img", 88, 96, PaintFace},
    {"orven_angry_img", 88, 96, PaintFace},
    {"talvo_smile_img", 88, 96, PaintFace},
    {"talvo_worry_img", 88, 96, PaintFace},
    {"talvo_angry_img", 88, 96, PaintFace},
    {"gorlan_normal_img", 88, 96, PaintFace},
    {"gorlan_cry_img", 88, 96, PaintFace},
    {"bremonkal_normal_img", 88, 96, PaintFace},
    {"bremonkal_worry_img", 88, 96, PaintFace},
    {"ludera_normal_img", 88, 96, PaintFace},
    {"ludera_smile_img", 88, 96, PaintFace},
    {"orsenta_normal_img", 88, 96, PaintFace},
    {"orsenta_smile_img", 88, 96, PaintFace},
    {"orsenta_angry_img", 88, 96, PaintFace},
    {"wendel_normal_img", 88, 96, PaintFace},
    {"wendel_smile_img", 88, 96, PaintFace},
    {"wendel_angry_img", 88, 96, PaintFace},
    {"mobaki_normal_img", 88, 96, PaintFace},
    {"mobaki_worry_img", 88, 96, PaintFace},
    {"mobaki_hungry_img", 88, 96, PaintFace},
    {"thessa_img", 88, 96, PaintFace},
    {"dot_talvo_shot_img32", 32, 32, PaintWholeSprite},
    {"dot_fesku_shot_img", 32, 32, PaintWholeSprite},
    {"dot_ember_crown_img", 96, 96, PaintWholeSprite},
    {"dot_bullet_big_red_img", 64, 64, PaintWholeSprite},
    {"dot_bullet_middle_red_img", 32, 32, PaintWholeSprite},
    {"dot_bullet_small_red_img", 32, 32, PaintWholeSprite},
    {"dot_wendel_bulllet_red_note_img", 32, 32, PaintWholeSprite},
    {"dot_wendel_bulllet_blue_note_img", 32, 32, PaintWholeSprite},
    {"dot_wendel_bulllet_green_note_img", 32, 32, PaintWholeSprite},
    {"dot_wendel_bulllet_yellow_note_img", 32, 32, PaintWholeSprite},
    {"dot_bullet_big_violet_img", 64, 64, PaintWholeSprite},
    {"save1_img", 200, 40, PaintWholeMenu},
    {"save1_shade_img", 200, 40, PaintWholeMenu},
    {"save2_img", 200, 40, PaintWholeMenu},
    {"save2_shade_img", 200, 40, PaintWholeMenu},
    {"save3_img", 200, 40, PaintWholeMenu},
    {"save3_shade_img", 200, 40, PaintWholeMenu},
    {"save_return_img", 120, 40, PaintWholeMenu},
    {"save_return_shade_img", 120, 40, PaintWholeMenu},
    {"select_continue_img", 240, 40, PaintWholeMenu},
    {"select_continue_shade_img", 240, 40, PaintWholeMenu},
    {"slowdownnow_img", 396, 60, PaintWholeMenu},
    {"slowdownnow_shade_img", 396, 60, PaintWholeMenu},
    {"cg_sadri_img", 88, 96, PaintFace},
};

struct CellFamily {
  const char* prefix;
  CellPainter painter;
};

// Painters of the cut images by the start of the stem; the first match wins,
// so the more specific starts come first.
const CellFamily kCellFamilies[] = {
    {"dot_ember_crown_fade_in", PaintCrownFadeInCell},
    {"dot_pelune_shot_fade", PaintShotFadeCell},
    {"dot_orven_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_aqua_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_blue_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_daidai_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_green_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_purple_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_red_shot_fade", PaintShotFadeCell},
    {"dot_pelwick_yellow_shot_fade", PaintShotFadeCell},
    {"dot_4F_", PaintShotFadeCell},
    {"dot_5F_", PaintShotFadeCell},
    {"dot_6F_", PaintShotFadeCell},
    {"dot_pelune_shot", PaintPlayerShotCell},
    {"dot_orven_shot", PaintPlayerShotCell},
    {"dot_pelune", PaintPersonCell},
    {"dot_orven", PaintPersonCell},
    {"dot_enemy_fade", PaintVanishCell},
    {"dot_generator", PaintGeneratorCell},
    {"dot_slime", PaintSlimeCell},
    {"dot_golem", PaintGolemCell},
    {"dot_fairy", PaintFairyCell},
    {"dot_kedama", PaintKedamaCell},
    {"dot_book", PaintBookCell},
    {"dot_bee", PaintBeeCell},
    {"dot_death", PaintDeathCell},
    {"dot_wendel_keyboard", PaintKeyboardCell},
    {"dot_wendel_shadow", PaintShadowCell},
    {"dot_wendel_bullet", PaintBladeCell},
    {"dot_mobaki_bullet", PaintBladeCell},
    {"dot_bullet_knife", PaintBladeCell},
    {"dot_bullet_kunai", PaintBladeCell},
    {"dot_talvo_img", PaintPersonCell},
    {"dot_dask_gorlan", PaintPersonCell},
    {"dot_bremonkal", PaintPersonCell},
    {"dot_vantor_ludera", PaintPersonCell},
    {"dot_orsenta", PaintPersonCell},
    {"dot_mobaki_img", PaintPersonCell},
    {"dot_wendel_img", PaintPersonCell},
    {"dot_big_frog", PaintFrogCell},
    {"dot_thessa", PaintWingedBossCell},
    {"dot_fire_enemy", PaintFireCell},
    {"dot_vine", PaintVineCell},
    {"dot_korone", PaintKoroneCell},
    {"dot_needle", PaintNeedleCell},
    {"BRIMAL_map_chip_", PaintMapChipCell},
    {"dot_potion", PaintItemCell},
    {"dot_holly", PaintItemCell},
    {"dot_healing", PaintItemCell},
    {"dot_mirror", PaintItemCell},
    {"dot_crystal_", PaintItemCell},
    {"dot_item_", PaintItemCell},
    {"dot_life_up", PaintItemCell},
    {"dot_number_", PaintDigitCell},
    {"config_select_number", PaintDigitCell},
    {"dot_small_bullet", PaintBulletCell},
    {"dot_oval_bullet", PaintBulletCell},
    {"dot_pelwick_", PaintBulletCell},
    {"dot_slowly_sadri", PaintSaveFigureCell},
};

const WholeImage* FindWholeImage(std::string_view stem) {
  for (const WholeImage& image : kWholeImages)
    if (stem == image.stem) return &image;
  return nullptr;
}

// The white flash partner of a picture is painted as its partner and then
// whitened: "dot_golem_white_img" is the white "dot_golem_img". Returns the
// partner's stem, or empty when the stem is no flash picture. The white
// potion is a potion, not a flash picture; its flash partner is
// "dot_potion_white_white_img".
std::string FlashPartner(std::string_view stem) {
  if (stem == "dot_potion_white_img") return {};
  constexpr std::string_view kEnd = "_white";
  if (stem.ends_with(kEnd)) return std::string(stem.substr(0, stem.size() - kEnd.size()));
  const size_t at = stem.rfind("_white_img");
  if (at == std::string_view::npos) return {};
  std::string partner(stem);
  partner.erase(at, kEnd.size());
  return partner;
}

}  // namespace

bool SampleImageSize(const ImageTableRow& row, ImageSize* size) {
  if (row.cell_count != 0) {
    *size = ImageSize{row.cells_across * row.cell_width, row.cells_down * row.cell_height};
    return true;
  }
  const WholeImage* image = FindWholeImage(row.name);
  if (image == nullptr) return false;
  *size = ImageSize{image->width, image->height};
  return true;
}

bool PaintSampleImage(const ImageTableRow& row, Canvas* canvas, std::string* error) {
  const std::string partner = FlashPartner(row.name);
  const std::string look = partner.empty() ? std::string(row.name) : partner;
  if (row.cell_count == 0) {
    const WholeImage* image = FindWholeImage(row.name);
    // A flash picture takes its partner's painter.
    const WholeImage* painter = FindWholeImage(look);
    if (image == nullptr || painter == nullptr) {
      *error = std::string("no size or painter for the whole image ") + row.name;
      return false;
    }
    *canvas = Canvas(image->width, image->height);
    painter->painter(*canvas, look);
  } else {
    CellPainter painter = nullptr;
    for (const CellFamily& family : kCellFamilies) {
      if (look.starts_with(family.prefix)) {
        painter = family.painter;
        break;
      }
    }
    if (painter == nullptr) {
      *error = std::string("no painter for the sheet ") + row.name;
      return false;
    }
    *canvas = Canvas(row.cells_across * row.cell_width, row.cells_down * row.cell_height);
    for (int r = 0; r < row.cells_down; ++r) {
      for (int c = 0; c < row.cells_across; ++c) {
        Canvas cell(row.cell_width, row.cell_height);
        const CellSpec spec{r * row.cells_across + c, c, r, row.cell_count, row.cells_across, row.cells_down};
        painter(cell, spec, look);
        canvas->Paste(cell, c * row.cell_width, r * row.cell_height);
      }
    }
  }
  if (!partner.empty()) canvas->Whiten();
  return true;
}

Canvas PaintLoadingImage() {
  Canvas canvas(kLoadingImageSize.width, kLoadingImageSize.height);
  PaintLoadingPicture(canvas);
  return canvas;
}
