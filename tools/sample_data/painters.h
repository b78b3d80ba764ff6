// The painters of the sample pictures, shared by the files of this folder.
// A cell painter draws one cell of a sheet into a canvas of the cell's size;
// a whole painter draws a whole image into a canvas of the image's size.
#pragma once

#include <string>
#include <string_view>

#include "tools/sample_data/canvas.h"

// Where a cell lies in its sheet.
struct CellSpec {
  int index;   // row x across + column
  int column;
  int row;
  int count;
  int across;
  int down;
};

using CellPainter = void (*)(Canvas& cell, const CellSpec& spec, std::string_view stem);
using WholePainter = void (*)(Canvas& image, std::string_view stem);

// ---- Shared helpers ---------------------------------------------------------------

// The direction codes of the game: 0 up, clockwise, 2 right, 4 down, 6 left.
struct Direction {
  double dx;
  double dy;
};
Direction DirectionVector(int code);

// The named colour of a file: the first colour word among the stem's words
// ("red", "blue_green", "aqua", "ai", ...), or `fallback`.
Rgb ColourOfStem(std::string_view stem, Rgb fallback);
bool StemHasWord(std::string_view stem, std::string_view word);

// Colours of the four statistics (AG, AT, VT, IN) and of hit points; the
// gauges, letters, items and crystals share them.
Rgb StatColour(std::string_view stat);

// Outlines used around sprites.
constexpr Rgb kInk{24, 22, 32};
constexpr Rgb kWhite{250, 250, 250};

// ---- Families (the cell painters) --------------------------------------------------

// Characters and bosses drawn as people: one row per facing, one column per
// walking frame (or one cell per facing for one-column sheets).
void PaintPersonCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintFrogCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintWingedBossCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintKeyboardCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintShadowCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintSaveFigureCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Enemies.
void PaintSlimeCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintGolemCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintFairyCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintKedamaCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintBookCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintBeeCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintDeathCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintGeneratorCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintVanishCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Placed hazards.
void PaintFireCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintVineCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintKoroneCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintNeedleCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Shots, bullets and their vanish effects.
void PaintPlayerShotCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintBulletCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintBladeCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintShotFadeCell(Canvas& cell, const CellSpec& spec, std::string_view stem);
void PaintCrownFadeInCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Items.
void PaintItemCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Map chip sets.
void PaintMapChipCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// Digit fonts: cell k shows the digit k.
void PaintDigitCell(Canvas& cell, const CellSpec& spec, std::string_view stem);

// ---- Whole images ------------------------------------------------------------------

void PaintWholeSprite(Canvas& image, std::string_view stem);   // rocks, shelves, bullets
void PaintWholeStatus(Canvas& image, std::string_view stem);   // gauges, letters, windows
void PaintWholeMenu(Canvas& image, std::string_view stem);     // menu rows and screens
void PaintFace(Canvas& image, std::string_view stem);          // the dialogue faces
void PaintLoadingPicture(Canvas& image);
