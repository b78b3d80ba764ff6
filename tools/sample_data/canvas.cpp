#include "tools/sample_data/canvas.h"

#include <algorithm>
#include <cmath>

namespace {

struct Glyph {
  char ch;
  const char* rows[7];
};

// The 5 x 7 font: '#' is ink.
const Glyph kFont[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {',', {"     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
    {'=', {"     ", "     ", "#####", "     ", "#####", "     ", "     "}},
    {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
    {'>', {" #   ", "  #  ", "   # ", "    #", "   # ", "  #  ", " #   "}},
    {'<', {"   # ", "  #  ", " #   ", "#    ", " #   ", "  #  ", "   # "}},
    {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
    {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
    {'\'', {"  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "}},
};

const Glyph* FindGlyph(char ch) {
  if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  for (const Glyph& g : kFont)
    if (g.ch == ch) return &g;
  return nullptr;
}

uint8_t Clamp255(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

Rgb Mix(Rgb a, Rgb b, int t) {
  return Rgb{Clamp255(a.r + (b.r - a.r) * t / 256), Clamp255(a.g + (b.g - a.g) * t / 256),
             Clamp255(a.b + (b.b - a.b) * t / 256)};
}

Rgb Shade(Rgb c, int percent) {
  return Rgb{Clamp255(c.r * percent / 100), Clamp255(c.g * percent / 100),
             Clamp255(c.b * percent / 100)};
}

Canvas::Canvas(int width, int height, Rgb background)
    : width_(width), height_(height), rgb_(static_cast<size_t>(width) * height * 3) {
  for (size_t i = 0; i < rgb_.size(); i += 3) {
    rgb_[i] = background.r;
    rgb_[i + 1] = background.g;
    rgb_[i + 2] = background.b;
  }
}

Rgb Canvas::Get(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  return Rgb{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

void Canvas::Set(int x, int y, Rgb c) {
  if (!Inside(x, y)) return;
  if (c == kTransparent) c.g = static_cast<uint8_t>(c.g + 1);
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  rgb_[i] = c.r;
  rgb_[i + 1] = c.g;
  rgb_[i + 2] = c.b;
}

void Canvas::Clear(int x, int y) {
  if (!Inside(x, y)) return;
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  rgb_[i] = kTransparent.r;
  rgb_[i + 1] = kTransparent.g;
  rgb_[i + 2] = kTransparent.b;
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void Canvas::FrameRect(int x, int y, int w, int h, Rgb c, int thickness) {
  FillRect(x, y, w, thickness, c);
  FillRect(x, y + h - thickness, w, thickness, c);
  FillRect(x, y, thickness, h, c);
  FillRect(x + w - thickness, y, thickness, h, c);
}

void Canvas::GradientRect(int x, int y, int w, int h, Rgb top, Rgb bottom) {
  for (int j = 0; j < h; ++j) {
    const Rgb c = Mix(top, bottom, h > 1 ? j * 256 / (h - 1) : 0);
    FillRect(x, y + j, w, 1, c);
  }
}

void Canvas::FillRoundRect(int x, int y, int w, int h, int radius, Rgb c) {
  for (int j = 0; j < h; ++j) {
    // How far the row is inside the rounded band at the top or bottom.
    const int from_edge = std::min(j, h - 1 - j);
    int inset = 0;
    if (from_edge < radius) {
      const double dy = radius - from_edge - 0.5;
      inset = static_cast<int>(radius - std::sqrt(std::max(0.0, radius * radius - dy * dy)) + 0.5);
    }
    FillRect(x + inset, y + j, w - 2 * inset, 1, c);
  }
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, Rgb c) {
  if (rx <= 0 || ry <= 0) return;
  const int x0 = static_cast<int>(std::floor(cx - rx));
  const int x1 = static_cast<int>(std::ceil(cx + rx));
  const int y0 = static_cast<int>(std::floor(cy - ry));
  const int y1 = static_cast<int>(std::ceil(cy + ry));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = (x + 0.5 - cx) / rx;
      const double dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) Set(x, y, c);
    }
  }
}

void Canvas::Ring(double cx, double cy, double r_outer, double r_inner, Rgb c) {
  const int x0 = static_cast<int>(std::floor(cx - r_outer));
  const int x1 = static_cast<int>(std::ceil(cx + r_outer));
  const int y0 = static_cast<int>(std::floor(cy - r_outer));
  const int y1 = static_cast<int>(std::ceil(cy + r_outer));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      const double d2 = dx * dx + dy * dy;
      if (d2 <= r_outer * r_outer && d2 >= r_inner * r_inner) Set(x, y, c);
    }
  }
}

void Canvas::Line(double x0, double y0, double x1, double y1, Rgb c, double thickness) {
  const double r = thickness / 2.0;
  const int minx = static_cast<int>(std::floor(std::min(x0, x1) - r));
  const int maxx = static_cast<int>(std::ceil(std::max(x0, x1) + r));
  const int miny = static_cast<int>(std::floor(std::min(y0, y1) - r));
  const int maxy = static_cast<int>(std::ceil(std::max(y0, y1) + r));
  const double vx = x1 - x0;
  const double vy = y1 - y0;
  const double len2 = vx * vx + vy * vy;
  for (int y = miny; y <= maxy; ++y) {
    for (int x = minx; x <= maxx; ++x) {
      const double px = x + 0.5 - x0;
      const double py = y + 0.5 - y0;
      double t = len2 > 0 ? (px * vx + py * vy) / len2 : 0.0;
      t = std::clamp(t, 0.0, 1.0);
      const double dx = px - t * vx;
      const double dy = py - t * vy;
      if (dx * dx + dy * dy <= r * r + 0.25) Set(x, y, c);
    }
  }
}

void Canvas::FillPolygon(const std::vector<Point>& points, Rgb c) {
  if (points.size() < 3) return;
  double miny = points[0].y;
  double maxy = points[0].y;
  for (const Point& p : points) {
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  for (int y = static_cast<int>(std::floor(miny)); y <= static_cast<int>(std::ceil(maxy)); ++y) {
    const double sy = y + 0.5;
    std::vector<double> xs;
    for (size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy))
        xs.push_back(a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int from = static_cast<int>(std::ceil(xs[i] - 0.5));
      const int to = static_cast<int>(std::floor(xs[i + 1] - 0.5));
      for (int x = from; x <= to; ++x) Set(x, y, c);
    }
  }
}

void Canvas::Outline(Rgb c) {
  const Canvas before = *this;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (!before.IsTransparent(x, y)) continue;
      const int nx[4] = {x - 1, x + 1, x, x};
      const int ny[4] = {y, y, y - 1, y + 1};
      for (int k = 0; k < 4; ++k) {
        if (before.Inside(nx[k], ny[k]) && !before.IsTransparent(nx[k], ny[k]) &&
            !(before.Get(nx[k], ny[k]) == c)) {
          Set(x, y, c);
          break;
        }
      }
    }
  }
}

void Canvas::Whiten() {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (IsTransparent(x, y)) continue;
      const Rgb c = Get(x, y);
      const int lum = (c.r * 30 + c.g * 59 + c.b * 11) / 100;
      const uint8_t v = Clamp255(255 - (255 - lum) / 5);
      Set(x, y, Rgb{v, v, v});
    }
  }
}

void Canvas::Dim(int percent) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (IsTransparent(x, y)) continue;
      const Rgb c = Get(x, y);
      const int lum = (c.r * 30 + c.g * 59 + c.b * 11) / 100;
      const Rgb grey{static_cast<uint8_t>(lum), static_cast<uint8_t>(lum), static_cast<uint8_t>(lum)};
      Set(x, y, Shade(Mix(c, grey, 160), percent));
    }
  }
}

void Canvas::Paste(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.height(); ++j)
    for (int i = 0; i < src.width(); ++i)
      if (!src.IsTransparent(i, j)) Set(x + i, y + j, src.Get(i, j));
}

void Canvas::Text(int x, int y, const std::string& text, Rgb c, int sx, int sy) {
  int pen = x;
  for (char ch : text) {
    if (const Glyph* g = FindGlyph(ch)) {
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (g->rows[row][col] == '#') FillRect(pen + col * sx, y + row * sy, sx, sy, c);
    }
    pen += 6 * sx;
  }
}

int Canvas::TextWidth(const std::string& text, int sx) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * sx - sx;
}

void Canvas::TextInBox(int x, int y, int w, int h, const std::string& text, Rgb c, int max_scale) {
  int sx = max_scale;
  while (sx > 1 && TextWidth(text, sx) > w) --sx;
  int sy = max_scale;
  while (sy > 1 && 7 * sy > h) --sy;
  sy = std::min(sy, sx + 1);
  sx = std::min(sx, sy + 1);
  const int tw = TextWidth(text, sx);
  Text(x + (w - tw) / 2, y + (h - 7 * sy) / 2, text, c, sx, sy);
}

void Canvas::GlyphStretched(int x, int y, int w, int h, char ch, Rgb c) {
  const Glyph* g = FindGlyph(ch);
  if (g == nullptr) return;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const int col = i * 5 / w;
      const int row = j * 7 / h;
      if (g->rows[row][col] == '#') Set(x + i, y + j, c);
    }
  }
}
