// A small RGB drawing surface for the sample pictures: filled shapes, lines,
// an outline pass and a 5 x 7 pixel font. Everything is integer or plain
// double arithmetic, so the same calls give the same pixels on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The game treats this colour as transparent in every picture.
constexpr Rgb kTransparent{0, 117, 117};

// Mixes `a` and `b`: t = 0 gives a, t = 256 gives b.
Rgb Mix(Rgb a, Rgb b, int t);
// Scales every channel by percent / 100, clamped to 255.
Rgb Shade(Rgb c, int percent);

struct Point {
  double x;
  double y;
};

class Canvas {
 public:
  Canvas() = default;
  // A picture of width x height filled with `background` (transparent by
  // default).
  Canvas(int width, int height, Rgb background = kTransparent);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t>& rgb() const { return rgb_; }

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Rgb Get(int x, int y) const;
  bool IsTransparent(int x, int y) const { return Get(x, y) == kTransparent; }

  // Drawing never produces the transparent colour by accident: a shape drawn
  // in exactly that colour is nudged by one step of green. Clear() is the one
  // way to make pixels transparent again.
  void Set(int x, int y, Rgb c);
  void Clear(int x, int y);

  void FillRect(int x, int y, int w, int h, Rgb c);
  void FrameRect(int x, int y, int w, int h, Rgb c, int thickness = 1);
  // Vertical gradient from `top` to `bottom` over the rectangle.
  void GradientRect(int x, int y, int w, int h, Rgb top, Rgb bottom);
  // A rectangle with its corners cut by `radius` pixels.
  void FillRoundRect(int x, int y, int w, int h, int radius, Rgb c);
  // Pixels whose centres lie inside the ellipse.
  void FillEllipse(double cx, double cy, double rx, double ry, Rgb c);
  void Ring(double cx, double cy, double r_outer, double r_inner, Rgb c);
  void Line(double x0, double y0, double x1, double y1, Rgb c, double thickness = 1.0);
  // Pixels whose centres lie inside the polygon (even-odd rule).
  void FillPolygon(const std::vector<Point>& points, Rgb c);

  // Every transparent pixel that touches (4 neighbours) a drawn pixel of
  // another colour than `c` becomes `c`.
  void Outline(Rgb c);
  // Every drawn pixel becomes a near-white shade of its own brightness: the
  // white flash pictures of the game.
  void Whiten();
  // Every drawn pixel is dimmed to `percent` of its brightness and pulled
  // towards grey: the unlit menu rows.
  void Dim(int percent);

  // Copies `src` with its top-left corner at (x, y), leaving out its
  // transparent pixels.
  void Paste(const Canvas& src, int x, int y);

  // Text in the built-in 5 x 7 font, each font pixel drawn as sx x sy
  // pixels, one font column of space between characters. Lower-case letters
  // are drawn as capitals; characters the font lacks are drawn as blanks.
  void Text(int x, int y, const std::string& text, Rgb c, int sx, int sy);
  static int TextWidth(const std::string& text, int sx);
  // The text, as large as fits the box with whole-number scales, centred.
  void TextInBox(int x, int y, int w, int h, const std::string& text, Rgb c, int max_scale = 8);
  // One character stretched to fill the box exactly (nearest pixel): the
  // digit fonts, whose cells have odd sizes.
  void GlyphStretched(int x, int y, int w, int h, char ch, Rgb c);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> rgb_;
};
