// Drawing a graphic onto the current draw screen: at a position, stretched
// into a rectangle, mirrored, a rectangle of it, onto four free corners and
// a rectangle of it stretched; and copying a rectangle of the draw screen
// into a graphic. Each call checks the handle and the draw settings once,
// brings a movie graphic's picture up to date, takes the Direct3D path for
// texture graphics and the 2D and software path for the rest, and keeps a
// software front screen in step.
#pragma once

#include <cstdint>

struct GraphicRecord;

// Draws the graphic with its top-left corner at (x, y). The path's result (0
// when drawn); 0 at once while DrawAreaEmpty; -1 for a bad handle, a blend
// graphic that does not cover the graphic, or a movie shown through an
// overlay.
int RenderGraphicAt(int32_t x, int32_t y, int32_t graphic, int32_t transparent);
// Draws the graphic stretched onto the rectangle (x1, y1)-(x2, y2); corners
// in reverse order on an axis mirror it on that axis. Results as above.
int RenderGraphicStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                           int32_t transparent);
// Draws the graphic at (x, y) mirrored left to right.
int RenderGraphicTurned(int32_t x, int32_t y, int32_t graphic, int32_t transparent);
// Draws the rectangle (source_x, source_y, width, height) of the graphic at
// (x, y), mirrored in place with `turn`. DrawArea is the same afterwards.
int RenderGraphicPart(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t width,
                      int32_t height, int32_t graphic, int32_t transparent, int32_t turn);
// Draws the graphic onto the four corners 1 (top-left), 2 (top-right), 3
// (bottom-right) and 4 (bottom-left).
int RenderGraphicQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                      float y4, int32_t graphic, int32_t transparent);
// Draws the rectangle (source_x, source_y, source_width, source_height) of
// the graphic stretched onto the destination rectangle, mirrored on x with
// `turn_x` and on y with `turn_y`.
int RenderGraphicPartStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t source_x,
                               int32_t source_y, int32_t source_width, int32_t source_height,
                               int32_t graphic, int32_t transparent, int32_t turn_x,
                               int32_t turn_y);
// 0 when the blend graphic exists and is at least as wide and as high as the
// graphic, else -1.
int CheckBlendGraphicCovers(const GraphicRecord* graphic);
// Copies the rectangle (x1, y1)-(x2, y2) of the draw screen into the graphic
// (of exactly that size). 0 or -1.
int CopyScreenToGraphic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                        int32_t flag);
