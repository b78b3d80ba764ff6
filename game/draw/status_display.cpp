// The status band under the play field: one panel per player (name, level,
// hit points, the two potions with their stocks, the four statistics), the
// shared revival stock as a row of icons, and a revive mark over each player
// who is down while a revival is in stock.
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kMaxPlayers = 4;

// Panel origins by player count (index player_count - 1).
constexpr int32_t kPanelOrigins[kMaxPlayers][kMaxPlayers] = {
    {0, 0, 0, 0}, {0, 314, 0, 0}, {0, 157, 314, 0}, {0, 157, 314, 471}};

// Gauge widths in pixels at a full value.
constexpr double kHpGaugeWidth = 131.0;  // full and compact panels alike
constexpr double kFullStatisticWidth = 105.0;
constexpr double kCompactStatisticWidth = 109.0;

// The revival icons spread out from this x, alternately left and right.
constexpr int32_t kReviveRowCentre = 308;
constexpr int32_t kReviveRowStep = 18;
constexpr int32_t kReviveRowY = 359;

// Each potion strip shows 4 cells, 8 frames a cell, while its special attack
// runs, and cell 0 otherwise.
int32_t potion_cell(int32_t timer) { return timer >= 1 ? (timer % 32) / 8 : 0; }

// The left `width` pixels of a gauge image.
void draw_gauge(int32_t x, int32_t y, int32_t width, int32_t height, int32_t gauge) {
  ApiDrawGraphicPart(x, y, 0, 0, width, height, gauge, 1, 0);
}

// The HP gauge is drawn only while both values are 1 or more.
void draw_hp_gauge(int32_t x, int32_t y, int32_t height, int32_t gauge, const player_data& p) {
  if (p.hp_max < 1 || p.hp < 1) return;
  const int32_t width = static_cast<int32_t>(static_cast<double>(p.hp) / p.hp_max * kHpGaugeWidth);
  draw_gauge(x, y, width, height, gauge);
}

// The four statistics as fractions of their full values, AG AT VT IN. The
// attack shown is the base and the bonus, not the effective value that a
// running special attack raises.
struct Statistics {
  double fraction[4];
};

Statistics statistics_of(const player_data& p, int32_t attack) {
  return Statistics{{static_cast<double>(p.agility) / 4.0, static_cast<double>(attack) / 20,
                     static_cast<double>(p.vitality) / 20,
                     static_cast<double>(p.intelligence) / 20}};
}

// Four letters in a column, then the four gauges in a column; widths have no
// guard, so a statistic of 0 gives an empty gauge.
struct StatisticColumn {
  int32_t letter_x;
  int32_t gauge_x;
  int32_t first_y;
  int32_t step_y;
  int32_t height;
  double full_width;
  const int32_t* letters[4];
  const int32_t* gauges[4];
};

constexpr StatisticColumn kFullStatistics = {
    .letter_x = 176,
    .gauge_x = 202,
    .first_y = 388,
    .step_y = 19,
    .height = 13,
    .full_width = kFullStatisticWidth,
    .letters = {&dot_letter_AG_13_img, &dot_letter_AT_13_img, &dot_letter_VT_13_img,
                &dot_letter_IN_13_img},
    .gauges = {&dot_gauge_AG_13_img, &dot_gauge_AT_13_img, &dot_gauge_VT_13_img,
               &dot_gauge_IN_13_img}};

constexpr StatisticColumn kCompactStatistics = {
    .letter_x = 20,
    .gauge_x = 41,
    .first_y = 403,
    .step_y = 15,
    .height = 10,
    .full_width = kCompactStatisticWidth,
    .letters = {&dot_letter_AG_10_img, &dot_letter_AT_10_img, &dot_letter_VT_10_img,
                &dot_letter_IN_10_img},
    .gauges = {&dot_gauge_AG_10_img, &dot_gauge_AT_10_img, &dot_gauge_VT_10_img,
               &dot_gauge_IN_10_img}};

void draw_statistics(int32_t ox, const StatisticColumn& column, const Statistics& values) {
  for (int32_t k = 0; k < 4; ++k) {
    ApiDrawGraphicAt(ox + column.letter_x, column.first_y + column.step_y * k, *column.letters[k],
                     1);
  }
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t width = static_cast<int32_t>(values.fraction[k] * column.full_width);
    draw_gauge(ox + column.gauge_x, column.first_y + column.step_y * k, width, column.height,
               *column.gauges[k]);
  }
}

void draw_full_panel(int32_t ox, const player_data& p, int32_t attack, bool with_statistics) {
  if (p.character == 0 || p.character == 2) {
    ApiDrawGraphicAt(ox + 21, 388, dot_letter_PELUNE_img, 1);
  } else if (p.character == 1 || p.character == 3) {
    ApiDrawGraphicAt(ox + 21, 388, dot_letter_ORVEN_img, 1);
  }
  ApiDrawGraphicAt(ox + 101, 388, dot_letter_LV_img, 1);
  draw_number_13(ox + 130, 387, p.level);

  draw_hp_gauge(ox + 19, 407, 13, dot_gauge_HP_13_img, p);
  ApiDrawGraphicAt(ox + 21, 407, dot_letter_HP_13_img, 1);  // over the gauge's left end
  draw_number_13_right(ox + 67, 407, p.hp);
  ApiDrawGraphicAt(ox + 82, 407, dot_letter_slash_13_img, 1);
  draw_number_13(ox + 97, 407, p.hp_max);

  ApiDrawGraphicAt(ox + 47, 426, dot_potion_white_img[potion_cell(p.spell1_timer)], 1);
  ApiDrawGraphicAt(ox + 89, 426, dot_potion_black_img[potion_cell(p.spell2_timer)], 1);
  draw_number_17(ox + 30, 438, p.spell1_stock);
  draw_number_17(ox + 126, 438, p.spell2_stock);

  if (with_statistics) draw_statistics(ox, kFullStatistics, statistics_of(p, attack));
}

void draw_compact_panel(int32_t ox, const player_data& p, int32_t attack) {
  draw_hp_gauge(ox + 19, 388, 10, dot_gauge_HP_10_img, p);
  ApiDrawGraphicAt(ox + 20, 388, dot_letter_HP_10_img, 1);
  draw_number_10_right(ox + 67, 388, p.hp);
  ApiDrawGraphicAt(ox + 82, 388, dot_letter_slash_10_img, 1);
  draw_number_10(ox + 97, 388, p.hp_max);
  draw_statistics(ox, kCompactStatistics, statistics_of(p, attack));
}

}  // namespace

void draw_status() {
  if (player_count < 1 || player_count > kMaxPlayers) return;
  const int32_t(&origins)[kMaxPlayers] = kPanelOrigins[player_count - 1];

  int32_t attack[kMaxPlayers];
  for (int32_t p = 0; p < player_count; ++p) {
    attack[p] = player[p].attack_base + player[p].attack_bonus;
  }

  // One and two players always have statistics; three and four choose per
  // player between the full panel without them and the compact panel.
  for (int32_t p = 0; p < player_count; ++p) {
    if (player_count <= 2) {
      draw_full_panel(origins[p], player[p], attack[p], true);
    } else if (player[p].compact_panel == 0) {
      draw_full_panel(origins[p], player[p], attack[p], false);
    } else {
      draw_compact_panel(origins[p], player[p], attack[p]);
    }
  }

  int32_t x = kReviveRowCentre;
  for (int32_t i = 0; i < revive_stock; ++i) {
    x += i % 2 == 1 ? -kReviveRowStep * i : kReviveRowStep * i;
    ApiDrawGraphicAt(x, kReviveRowY, dot_life_img, 1);
  }

  if (revive_stock > 0) {
    for (int32_t p = 0; p < player_count; ++p) {
      if (player[p].alive == 0) ApiDrawGraphicAt(origins[p] + 12, 380, revive_img, 1);
    }
  }
}
