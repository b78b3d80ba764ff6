// Screens: the status band's gauges, letters and icons, the message windows,
// the menu rows lit and unlit, the full-screen backgrounds, the dialogue
// faces and the loading picture.
#include <string>

#include "tools/sample_data/painters.h"

namespace {

// Text with a dark edge, as large as fits, centred in the box.
void LabelInBox(Canvas& c, int x, int y, int w, int h, const std::string& text, Rgb ink, Rgb edge,
                int max_scale = 8) {
  Canvas layer(c.width(), c.height());
  layer.TextInBox(x + 1, y + 1, w - 2, h - 2, text, ink, max_scale);
  layer.Outline(edge);
  c.Paste(layer, 0, 0);
}

// The words on each menu row, question and label picture.
const char* MenuText(std::string_view stem) {
  struct Row {
    const char* stem;
    const char* text;
  };
  static const Row kRows[] = {
      {"select_start", "START"},
      {"select_continue", "CONTINUE"},
      {"select_config", "CONFIG"},
      {"select_end", "END"},
      {"select_return", "RETURN"},
      {"select_one", "1 PLAYER"},
      {"select_two", "2 PLAYERS"},
      {"select_three", "3 PLAYERS"},
      {"select_four", "4 PLAYERS"},
      {"config_select_shot", "SHOT / DECIDE"},
      {"config_select_white_potion", "WHITE POTION"},
      {"config_select_black_potion", "BLACK POTION"},
      {"config_select_pause", "PAUSE / REVIVE"},
      {"config_select_skip", "SKIP / BACK"},
      {"config_select_life", "REVIVE STOCK"},
      {"config_select_exit", "EXIT"},
      {"continue", "CONTINUE"},
      {"return_1", "RETURN TO TITLE"},
      {"return_2", "RETURN TO TITLE?"},
      {"exit_1", "EXIT GAME"},
      {"exit_2", "EXIT THE GAME?"},
      {"yes", "YES"},
      {"no", "NO"},
      {"save1", "SLOT 1"},
      {"save2", "SLOT 2"},
      {"save3", "SLOT 3"},
      {"save_return", "RETURN"},
      {"slowdownnow", "SAVE THE GAME?"},
  };
  // The longest matching start wins ("select_one" before "select_o...").
  const char* best = nullptr;
  size_t best_length = 0;
  for (const Row& row : kRows) {
    const std::string_view prefix = row.stem;
    if (stem.starts_with(prefix) && (stem.size() == prefix.size() || stem[prefix.size()] == '_') &&
        prefix.size() > best_length) {
      best = row.text;
      best_length = prefix.size();
    }
  }
  return best;
}

// A question: a pale panel with dark words; the other rows: a gold plate with
// pointers when lit, a dark plate with grey words when not.
void MenuRow(Canvas& c, std::string_view stem) {
  const bool shade = StemHasWord(stem, "shade");
  const bool question = stem.starts_with("return_2") || stem.starts_with("exit_2") ||
                        stem.starts_with("slowdownnow");
  const std::string text = MenuText(stem) ? MenuText(stem) : std::string(stem);
  const int w = c.width();
  const int h = c.height();
  if (question) {
    c.FillRoundRect(0, 0, w, h, 10, Rgb{90, 60, 40});
    c.FillRoundRect(3, 3, w - 6, h - 6, 8, Rgb{250, 240, 215});
    LabelInBox(c, 8, 4, w - 16, h - 8, text, Rgb{70, 40, 20}, Rgb{250, 240, 215}, 4);
    if (shade) c.Dim(55);
    return;
  }
  if (shade) {
    c.FillRoundRect(0, 0, w, h, 8, Rgb{45, 45, 60});
    LabelInBox(c, 6, 2, w - 12, h - 4, text, Rgb{140, 140, 155}, Rgb{25, 25, 35}, 4);
  } else {
    c.FillRoundRect(0, 0, w, h, 8, Rgb{130, 70, 10});
    c.FillRoundRect(2, 2, w - 4, h - 4, 7, Rgb{255, 215, 80});
    c.GradientRect(6, 4, w - 12, h / 3, Rgb{255, 240, 170}, Rgb{255, 215, 80});
    // Pointers at both ends say "this row".
    const double mid = h / 2.0;
    c.FillPolygon({{6, mid - 7}, {16, mid}, {6, mid + 7}}, Rgb{200, 30, 40});
    c.FillPolygon({{w - 6.0, mid - 7}, {w - 16.0, mid}, {w - 6.0, mid + 7}}, Rgb{200, 30, 40});
    LabelInBox(c, 20, 2, w - 40, h - 4, text, Rgb{90, 30, 0}, Rgb{255, 245, 200}, 4);
  }
}

void Stars(Canvas& c, int count, int seed, Rgb colour) {
  uint32_t v = static_cast<uint32_t>(seed) * 2654435761u + 12345u;
  for (int k = 0; k < count; ++k) {
    v = v * 1103515245u + 12345u;
    const int x = static_cast<int>((v >> 8) % static_cast<uint32_t>(c.width()));
    v = v * 1103515245u + 12345u;
    const int y = static_cast<int>((v >> 8) % static_cast<uint32_t>(c.height()));
    c.FillRect(x, y, (k % 7 == 0) ? 2 : 1, (k % 7 == 0) ? 2 : 1, colour);
  }
}

void TitleScreen(Canvas& c) {
  c.GradientRect(0, 0, 640, 480, Rgb{20, 25, 70}, Rgb{90, 40, 110});
  Stars(c, 160, 1, Rgb{230, 230, 255});
  // Hills.
  c.FillEllipse(160, 520, 300, 120, Rgb{40, 80, 60});
  c.FillEllipse(520, 540, 280, 130, Rgb{30, 65, 50});
  // The title, with a drop shadow.
  c.Text(113, 63, "BRIMAL", Rgb{30, 10, 40}, 12, 12);
  c.Text(110, 60, "BRIMAL", Rgb{255, 215, 80}, 12, 12);
  LabelInBox(c, 120, 160, 400, 30, "SAMPLE DATA SET", Rgb{200, 220, 255}, Rgb{20, 20, 50}, 3);
  // The rows are drawn from y 230 on: a darker band behind them.
  c.FillRoundRect(160, 225, 320, 245, 16, Rgb{25, 20, 50});
}

void ConfigScreen(Canvas& c) {
  c.GradientRect(0, 0, 640, 480, Rgb{15, 45, 60}, Rgb{10, 20, 40});
  LabelInBox(c, 50, 6, 280, 32, "BUTTON CONFIG", kWhite, kInk, 3);
  const char* players[] = {"1P", "2P", "3P", "4P"};
  const Rgb colours[] = {{240, 80, 80}, {90, 140, 255}, {90, 220, 110}, {250, 220, 70}};
  for (int p = 0; p < 4; ++p) LabelInBox(c, 356 + p * 68, 12, 28, 24, players[p], colours[p], kInk, 2);
  // Columns behind the digits of each player.
  for (int p = 0; p < 4; ++p) c.FillRect(354 + p * 68, 40, 31, 310, Rgb{25, 60, 80});
  LabelInBox(c, 20, 450, 600, 24, "BUTTONS  1:Z  2:X  3:C  4:A  5:S  6:D  7:Q  8:W", Rgb{180, 220, 230},
             kInk, 2);
}

void CharacterChoiceBackground(Canvas& c) {
  const int w = c.width();
  const int h = c.height();
  c.GradientRect(0, 0, w / 2, h, Rgb{120, 40, 80}, Rgb{60, 20, 50});
  c.GradientRect(w / 2, 0, w - w / 2, h, Rgb{30, 60, 140}, Rgb{15, 30, 80});
  c.FillRect(w / 2 - 2, 0, 4, h, Rgb{240, 220, 120});
  LabelInBox(c, 0, 6, w, 24, "CHOOSE YOUR CHARACTER", kWhite, kInk, 2);
  LabelInBox(c, 48, 60, 160, 30, "PELUNE", Rgb{255, 150, 200}, kInk, 3);
  LabelInBox(c, 304, 60, 160, 30, "ORVEN", Rgb{140, 190, 255}, kInk, 3);
  // Pedestals under the two portraits (drawn at screen (176, 180) and
  // (432, 180), this picture lying at (64, 16)).
  c.FillEllipse(128, 212, 34, 10, Rgb{200, 180, 140});
  c.FillEllipse(384, 212, 34, 10, Rgb{200, 180, 140});
  c.FillEllipse(128, 210, 28, 7, Rgb{235, 220, 180});
  c.FillEllipse(384, 210, 28, 7, Rgb{235, 220, 180});
  LabelInBox(c, 0, h - 40, w, 30, "LEFT / RIGHT TO MOVE, SHOT TO CHOOSE", Rgb{230, 230, 230}, kInk, 2);
}

void PlayerArrow(Canvas& c, std::string_view stem) {
  // "1P" to "4P" beside a pointer at the portrait the player stands at.
  const int player = stem[23] - '0';  // select_character_arrow_NP_img2
  static const Rgb kColours[] = {{240, 60, 60}, {70, 130, 255}, {70, 210, 90}, {250, 210, 50}};
  const Rgb colour = kColours[(player - 1) & 3];
  const int w = c.width();
  const int h = c.height();
  c.FillRoundRect(0, 0, w, h, 6, Shade(colour, 45));
  c.FillRoundRect(2, 2, w - 4, h - 4, 5, colour);
  const std::string label = std::to_string(player) + "P";
  switch (player) {
    case 1:  // left of the portrait: points right
      c.FillPolygon({{w - 16.0, 6}, {w - 4.0, h / 2.0}, {w - 16.0, h - 6.0}}, kWhite);
      LabelInBox(c, 2, 2, w - 20, h - 4, label, kWhite, kInk, 3);
      break;
    case 2:  // right of it: points left
      c.FillPolygon({{16, 6}, {4, h / 2.0}, {16, h - 6.0}}, kWhite);
      LabelInBox(c, 18, 2, w - 20, h - 4, label, kWhite, kInk, 3);
      break;
    case 3:  // above left: points down and right
      c.FillPolygon({{w - 18.0, h - 4.0}, {w - 4.0, h - 4.0}, {w - 4.0, h - 18.0}}, kWhite);
      LabelInBox(c, 2, 2, w - 20, h - 4, label, kWhite, kInk, 3);
      break;
    default:  // above right: points down and left
      c.FillPolygon({{18, h - 4.0}, {4, h - 4.0}, {4, h - 18.0}}, kWhite);
      LabelInBox(c, 18, 2, w - 20, h - 4, label, kWhite, kInk, 3);
      break;
  }
}

void FrameAroundField(Canvas& c) {
  // The play field (x 64 to 575, y 0 to 359) stays transparent.
  const Rgb stone{70, 60, 80};
  c.FillRect(0, 0, 64, 360, stone);
  c.FillRect(576, 0, 64, 360, stone);
  for (int y = 0; y < 360; y += 16) {
    const int shift = (y / 16) % 2 == 0 ? 0 : 16;
    for (int x : {0, 576})
      for (int bx = -16; bx < 64; bx += 32) c.FrameRect(x + bx + shift, y, 32, 16, Rgb{50, 42, 58});
  }
  for (int y = 0; y < 360; ++y)
    for (int x = 64; x < 576; ++x) c.Clear(x, y);
  c.FillRect(60, 0, 4, 360, Rgb{200, 170, 90});
  c.FillRect(576, 0, 4, 360, Rgb{200, 170, 90});
  c.GradientRect(0, 360, 640, 120, Rgb{35, 30, 60}, Rgb{15, 12, 30});
  c.FillRect(0, 360, 640, 3, Rgb{200, 170, 90});
}

}  // namespace

void PaintWholeStatus(Canvas& image, std::string_view stem) {
  const int w = image.width();
  const int h = image.height();
  if (stem.starts_with("dot_gauge_")) {
    // A bar in the colour of its statistic, with notches every 10 pixels.
    const Rgb colour = StatColour(stem.substr(10, 2));
    image.GradientRect(0, 0, w, h, Mix(colour, kWhite, 120), Shade(colour, 70));
    for (int x = 10; x < w; x += 10) image.FillRect(x, 1, 1, h - 2, Shade(colour, 55));
    image.FillRect(0, h - 1, w, 1, Shade(colour, 40));
  } else if (stem.starts_with("dot_letter_")) {
    std::string_view word = stem.substr(11);
    word = word.substr(0, word.find('_'));
    std::string text(word);
    Rgb ink = kWhite;
    if (text == "slash") text = "/";
    if (text == "AG" || text == "AT" || text == "VT" || text == "IN" || text == "HP") ink = StatColour(text);
    if (text == "PELUNE") ink = Rgb{255, 150, 200};
    if (text == "ORVEN") ink = Rgb{140, 190, 255};
    if (text == "LV") ink = Rgb{255, 230, 120};
    LabelInBox(image, 0, 0, w, h, text, ink, kInk, 2);
  } else if (stem == "dot_life_img") {
    image.FillEllipse(5, 6, 3.5, 3.5, Rgb{240, 60, 90});
    image.FillEllipse(11, 6, 3.5, 3.5, Rgb{240, 60, 90});
    image.FillPolygon({{1.5, 7}, {14.5, 7}, {8, 14}}, Rgb{240, 60, 90});
    image.FillRect(4, 4, 2, 2, Rgb{255, 200, 210});
    image.Outline(kInk);
  } else if (stem == "revive_img") {
    image.FillRoundRect(0, 0, w, h, 6, Rgb{120, 20, 40});
    image.FillRoundRect(2, 2, w - 4, h - 4, 5, Rgb{200, 50, 70});
    LabelInBox(image, 4, 2, w - 8, 22, "REVIVE!", kWhite, kInk, 3);
    LabelInBox(image, 4, 24, w - 8, 14, "PRESS PAUSE", Rgb{255, 230, 150}, kInk, 1);
  } else if (stem == "game_over_img") {
    LabelInBox(image, 0, 0, w, h, "GAME OVER", Rgb{230, 40, 40}, Rgb{40, 0, 0}, 5);
  } else if (stem == "message_window_img") {
    // A dark window: the white name labels and closing lines stand on it,
    // the dark page lines on the light speech panel drawn over it. The
    // name plate sits where a face page shows the face and a label page its
    // label, a shade lighter than the window and without a rim, as the
    // closing lines run across it.
    image.FillRoundRect(0, 0, w, h, 12, Rgb{200, 170, 110});
    image.FillRoundRect(3, 3, w - 6, h - 6, 10, Rgb{28, 30, 58});
    image.FillRoundRect(8, 30, 84, 44, 6, Rgb{44, 42, 82});
  } else if (stem == "message_window_speak_img") {
    image.FillRoundRect(0, 0, w, h, 10, Rgb{170, 150, 120});
    image.FillRoundRect(2, 2, w - 4, h - 4, 9, Rgb{255, 253, 245});
  } else if (stem == "back_screen_img") {
    FrameAroundField(image);
  }
}

void PaintWholeMenu(Canvas& image, std::string_view stem) {
  if (stem == "title_menu_img") {
    TitleScreen(image);
  } else if (stem == "config_back_ground_img") {
    ConfigScreen(image);
  } else if (stem == "select_character_back_ground_img") {
    CharacterChoiceBackground(image);
  } else if (stem.starts_with("select_character_arrow_")) {
    PlayerArrow(image, stem);
  } else if (stem == "ending_end_img") {
    const int w = image.width();
    image.FillRoundRect(0, 0, w, image.height(), 14, Rgb{40, 30, 70});
    LabelInBox(image, 6, 10, w - 12, 70, "THE END", Rgb{255, 215, 80}, kInk, 6);
    LabelInBox(image, 6, 84, w - 12, 24, "THANK YOU FOR PLAYING", kWhite, kInk, 2);
  } else {
    MenuRow(image, stem);
  }
}

void PaintFace(Canvas& image, std::string_view stem) {
  // A portrait: the speaker's colours, the mood in the eyes and mouth, and
  // the speaker's name underneath.
  struct Who {
    const char* name;
    Rgb hair;
    Rgb back;
  };
  static const Who kWho[] = {
      {"pelune", {245, 120, 175}, {255, 220, 235}}, {"orven", {40, 55, 150}, {210, 225, 255}},
      {"talvo", {30, 110, 60}, {210, 240, 215}},    {"gorlan", {110, 70, 40}, {235, 220, 200}},
      {"bremonkal", {90, 40, 130}, {230, 215, 245}}, {"ludera", {60, 20, 30}, {240, 205, 210}},
      {"orsenta", {250, 120, 20}, {255, 230, 200}}, {"wendel", {40, 40, 45}, {250, 240, 190}},
      {"mobaki", {120, 120, 130}, {225, 225, 230}}, {"thessa", {230, 225, 245}, {200, 190, 240}},
      {"cg_sadri", {30, 120, 130}, {200, 245, 240}},
  };
  const Who* who = &kWho[0];
  for (const Who& w : kWho)
    if (stem.starts_with(w.name)) who = &w;
  const int w = image.width();
  const int h = image.height();
  image.FillRoundRect(0, 0, w, h, 8, Shade(who->back, 60));
  image.FillRoundRect(2, 2, w - 4, h - 4, 7, who->back);
  const double cx = w / 2.0;
  const double cy = 42;
  image.FillEllipse(cx, cy + 2, 30, 32, who->hair);                  // hair behind
  image.FillEllipse(cx, cy + 6, 23, 25, Rgb{255, 224, 200});         // face
  image.FillPolygon({{cx - 26, cy - 8}, {cx + 26, cy - 8}, {cx + 20, cy - 26}, {cx - 20, cy - 26}},
                    who->hair);                                      // fringe
  const Rgb ink{40, 30, 40};
  const Rgb mouth{190, 60, 70};
  auto has = [&](const char* word) { return stem.find(word) != std::string_view::npos; };
  // Eyes.
  for (int side : {-1, 1}) {
    const double ex = cx + side * 10;
    const double ey = cy + 4;
    // Smiles: closed eyes (the plain smile and smile01), open eyes
    // (smile02), a wink (smile03).
    const bool open_smile = has("smile02") || (has("smile03") && side < 0);
    if (has("smile") && !open_smile) {
      image.Line(ex - 5, ey + 2, ex, ey - 3, ink, 2.0);
      image.Line(ex, ey - 3, ex + 5, ey + 2, ink, 2.0);
    } else {
      image.FillEllipse(ex, ey, 3.5, 4.5, ink);
      image.FillRect(static_cast<int>(ex) - 1, static_cast<int>(ey) - 3, 2, 2, kWhite);
    }
    if (has("angry")) image.Line(ex - 6 * side, ey - 10, ex + 5 * side, ey - 6, ink, 2.5);
    if (has("worry")) image.Line(ex - 6 * side, ey - 6, ex + 5 * side, ey - 10, ink, 2.0);
    if (has("cry")) image.FillEllipse(ex + 2, ey + 10, 2, 4, Rgb{120, 190, 255});
  }
  // Mouth.
  const double my = cy + 20;
  if (has("smile02")) {
    image.FillEllipse(cx, my + 1, 8, 5, mouth);  // laughing
    image.FillRect(static_cast<int>(cx) - 6, static_cast<int>(my) - 3, 12, 3, Rgb{255, 224, 200});
  } else if (has("smile")) {
    image.FillPolygon({{cx - 8, my - 2}, {cx + 8, my - 2}, {cx, my + 6}}, mouth);
  } else if (has("angry")) {
    image.FillRect(static_cast<int>(cx) - 7, static_cast<int>(my), 14, 3, mouth);
  } else if (has("worry") || has("cry")) {
    image.Line(cx - 7, my + 3, cx, my - 1, mouth, 2.0);
    image.Line(cx, my - 1, cx + 7, my + 3, mouth, 2.0);
  } else if (has("hungry")) {
    image.FillEllipse(cx, my + 1, 6, 5, mouth);
    image.FillEllipse(cx + 5, my + 8, 1.5, 3, Rgb{150, 210, 255});
  } else {
    image.FillRect(static_cast<int>(cx) - 4, static_cast<int>(my), 8, 2, mouth);
  }
  // Blush for the cheerful moods.
  if (has("smile")) {
    image.FillEllipse(cx - 16, cy + 14, 4, 2, Rgb{250, 170, 170});
    image.FillEllipse(cx + 16, cy + 14, 4, 2, Rgb{250, 170, 170});
  }
  std::string name(who->name);
  if (name == "cg_sadri") name = "sadri";
  LabelInBox(image, 2, h - 16, w - 4, 14, name, kWhite, kInk, 1);
}

void PaintLoadingPicture(Canvas& image) {
  LabelInBox(image, 0, 0, image.width(), image.height(), "NOW LOADING...", kWhite, kInk, 3);
}
