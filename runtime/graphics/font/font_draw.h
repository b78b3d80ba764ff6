// Drawing and measuring strings with a font: the string entry with its
// path choice and front-screen handling, the 2D and software path, the
// walk over a string's glyphs and the default-font entry.
//
// Colours given to the entries (RenderTextWithFont, RenderTextDefaultFont)
// are screen pixel values, as GetScreenColorValue makes them; the layers
// below take 0xRRGGBB colours.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct MEMIMG;

// Width and height of a drawn or measured string: horizontally the pen
// advance and the font's cell height; vertically the two exchanged.
struct StringSize {
  int32_t width;
  int32_t height;
};

// Walks the first `length` bytes of `text` (-1: all), caching its glyphs,
// and with `draw` 1 writes them into `dest` at (x, y), clipped to `clip`
// (right and bottom exclusive), in `color` and `edge_color` (0xRRGGBB, taken
// times DrawBrightness). `vertical` turns each glyph a quarter turn
// clockwise and runs the pen down. The pen advance; 0 for a null or empty
// text; -1 for a bad font, while drawing is inhibited or before the
// DirectDraw object exists. Strings of any length are walked in pieces.
int32_t DrawStringWithCache(int32_t draw, int32_t x, int32_t y, const char* text, uint32_t color,
                            MEMIMG* dest, const RECT* clip, int32_t font, uint32_t edge_color,
                            int32_t length, int32_t vertical, StringSize* size);
// The width of a string (its height for vertical text).
int32_t MeasureStringWithFont(const char* text, int32_t length, int32_t font, int32_t vertical);

// Draws a string on the draw screen with a font. 0 (also for an empty text,
// while drawing is inhibited or the draw area is empty), the path's result,
// or -1 (logged) for a bad font handle. `color` and `edge_color` are screen
// pixel values.
int RenderTextWithFont(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                       uint32_t edge_color, int32_t vertical);
// The 2D and software path: a plain font is written straight into the draw
// target; an anti-aliased font, or any font under a blend mode, is drawn
// into the font's screen-sized image first and that is blended onto the
// target. Colours are 0xRRGGBB. 0 or -1.
int RenderTextSoftware2D(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                         uint32_t edge_color, int32_t length, int32_t vertical);
// Brings the default font in line with the default font settings and draws
// with it (screen pixel values, as RenderTextWithFont).
int RenderTextDefaultFont(int32_t x, int32_t y, const char* text, uint32_t color,
                          uint32_t edge_color);
