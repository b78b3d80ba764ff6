// The triangle rasteriser: clipping, set-up and the choice of span loops.
#include "runtime/softrender/triangle.h"

#include "runtime/core/primitives.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/triangle_internal.h"

namespace {

// Vertex and texel coordinates must keep x x 262144 inside 32 bits.
constexpr int32_t kCoordinateLimit = 8191;
// Source sizes must keep size x 262144 inside an unsigned 32-bit number.
constexpr int32_t kSourceSizeLimit = 16384;

// A vertex in 14.18 fixed point: x and y at the centre of their pixel, u and
// v at the texel's corner; and the given whole coordinates.
struct FixedVertex {
  int32_t X, Y, U, V;
  int32_t x, y, u, v;
};

bool InRange(int32_t value) { return value >= -kCoordinateLimit && value <= kCoordinateLimit; }

// Orders three vertices by a key with the exchange sort: entries i and j
// (i < j) swap when entry i's key is strictly greater.
template <class Key>
void ExchangeSort(const FixedVertex* order[3], Key key) {
  for (int i = 0; i < 2; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      if (key(*order[i]) > key(*order[j])) {
        const FixedVertex* t = order[i];
        order[i] = order[j];
        order[j] = t;
      }
    }
  }
}

// A segment from vertex a down to vertex b starting at x `start`: its slope
// per row (truncated toward zero) and its rows. False for a segment of no
// rows.
bool Segment(const FixedVertex& a, const FixedVertex& b, int32_t start, int32_t* x, int32_t* slope,
             int32_t* rows) {
  const int32_t n = b.y - a.y;
  if (n <= 0) return false;
  *x = start;
  *slope = (b.X - start) / n;
  *rows = n;
  return true;
}
bool SingleSide(const FixedVertex& a, const FixedVertex& b, int32_t start, TriangleSide* side) {
  *side = {};
  side->single = true;
  return Segment(a, b, start, &side->x, &side->slope, &side->rows);
}

// The gradients of the texel coordinates per pixel, from the vertices
// ordered by x, and the reference vertex (the leftmost). False when the
// three vertices lie on one line.
bool SetUpPlane(const FixedVertex* const a[3], TriangleCall* c) {
  const int32_t dx10 = a[1]->x - a[0]->x, dx20 = a[2]->x - a[0]->x;
  const int32_t dy10 = a[1]->y - a[0]->y, dy20 = a[2]->y - a[0]->y;
  const int32_t du10 = a[1]->u - a[0]->u, du20 = a[2]->u - a[0]->u;
  const int32_t dv10 = a[1]->v - a[0]->v, dv20 = a[2]->v - a[0]->v;
  const int32_t d = dx20 * dy10 - dx10 * dy20;
  if (d == 0) return false;
  const double scale = static_cast<double>(kTriangleOne);
  auto gradient = [&](int32_t numerator) {
    return static_cast<uint32_t>(DoubleToInt(numerator * scale / d));
  };
  c->du_dx = gradient(dy10 * du20 - dy20 * du10);
  c->du_dy = gradient(du10 * dx20 - dx10 * du20);
  c->dv_dx = gradient(dy10 * dv20 - dy20 * dv10);
  c->dv_dy = gradient(dv10 * dx20 - dx10 * dv20);
  c->ref_x = TriangleWhole(a[0]->X);
  c->ref_y = TriangleWhole(a[0]->Y);
  c->ref_u = static_cast<uint32_t>(a[0]->U);
  c->ref_v = static_cast<uint32_t>(a[0]->V);
  return true;
}

// The two sides of the triangle from the vertices ordered by y. False when
// a segment has no rows.
bool SetUpEdges(const FixedVertex* const b[3], TriangleCall* c) {
  const FixedVertex& top = *b[0];
  const FixedVertex& middle = *b[1];
  const FixedVertex& bottom = *b[2];
  c->start_y = TriangleWhole(top.Y);
  c->middle_y = TriangleWhole(middle.Y);
  if (top.Y == middle.Y) {
    // Flat top: both sides run down to the bottom vertex.
    const bool in_order = top.X <= middle.X;
    const FixedVertex& left = in_order ? top : middle;
    const FixedVertex& right = in_order ? middle : top;
    return SingleSide(left, bottom, left.X, &c->left) &&
           SingleSide(right, bottom, right.X, &c->right);
  }
  if (middle.Y == bottom.Y) {
    // Flat bottom: both sides start at the top vertex.
    const bool in_order = !(middle.X > bottom.X);
    const FixedVertex& left = in_order ? middle : bottom;
    const FixedVertex& right = in_order ? bottom : middle;
    return SingleSide(top, left, top.X, &c->left) && SingleSide(top, right, top.X, &c->right);
  }
  // Three rows of vertices: the side the middle vertex lies on bends there.
  const double rows20 = static_cast<double>(bottom.Y - top.Y) * (1.0 / kTriangleOne);
  const double rows10 = static_cast<double>(middle.Y - top.Y) * (1.0 / kTriangleOne);
  const double s20 = static_cast<double>(bottom.X - top.X) / rows20;
  const double s10 = static_cast<double>(middle.X - top.X) / rows10;
  if (s20 > s10) {
    TriangleSide& left = c->left;
    left = {};
    left.single = false;
    return Segment(top, middle, top.X, &left.x, &left.slope, &left.rows) &&
           Segment(middle, bottom, middle.X, &left.next_x, &left.next_slope, &left.next_rows) &&
           SingleSide(top, bottom, top.X, &c->right);
  }
  // The right side's second segment starts one unit right of the middle
  // vertex.
  TriangleSide& right = c->right;
  right = {};
  right.single = false;
  return Segment(top, middle, top.X, &right.x, &right.slope, &right.rows) &&
         Segment(middle, bottom, middle.X + 1, &right.next_x, &right.next_slope,
                 &right.next_rows) &&
         SingleSide(top, bottom, top.X, &c->left);
}

}  // namespace

void RasterizeMemImageTriangle(MEMIMG* dest, const MEMIMG* src, const TriangleVertex* vertices,
                               int32_t transparent, const MEMIMG* blend_image, uint32_t color) {
  if (dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (dest->kind != 0 && dest->kind != 1) return;
  if (src != nullptr) {
    if (src->kind != dest->kind) return;
    if (src->width <= 0 || src->height <= 0 || src->width >= kSourceSizeLimit ||
        src->height >= kSourceSizeLimit) {
      return;
    }
    // The blend image is read at the texel's position.
    if (blend_image != nullptr &&
        (blend_image->width < src->width || blend_image->height < src->height)) {
      return;
    }
  }

  FixedVertex fixed[3];
  for (int i = 0; i < 3; ++i) {
    const TriangleVertex& v = vertices[i];
    if (!InRange(v.x) || !InRange(v.y)) return;
    const int32_t u = src != nullptr ? v.u : 0;
    const int32_t w = src != nullptr ? v.v : 0;
    if (!InRange(u) || !InRange(w)) return;
    fixed[i] = {v.x * kTriangleOne + kTriangleOne / 2,
                v.y * kTriangleOne + kTriangleOne / 2,
                u * kTriangleOne,
                w * kTriangleOne,
                v.x,
                v.y,
                u,
                w};
  }

  TriangleCall call{};
  const FixedVertex* by_x[3] = {&fixed[0], &fixed[1], &fixed[2]};
  ExchangeSort(by_x, [](const FixedVertex& v) { return v.X; });
  if (!SetUpPlane(by_x, &call)) return;
  const FixedVertex* by_y[3] = {&fixed[0], &fixed[1], &fixed[2]};
  ExchangeSort(by_y, [](const FixedVertex& v) { return v.Y; });
  if (!SetUpEdges(by_y, &call)) return;

  // Clipped to the draw area and, so that a draw area reaching past the
  // destination can never write outside it, to the destination itself.
  call.area = DrawArea;
  const RECT whole = {0, 0, dest->width, dest->height};
  ClipRect(&call.area, &whole);
  if (call.area.left >= call.area.right || call.area.top >= call.area.bottom) return;
  call.dest_pixels = dest->pixels;
  call.dest_pitch = dest->pitch;

  TakeDrawSettings(&call);
  if (call.mode < 0 || call.mode > 4) return;

  if (src == nullptr) {
    if (!PrepareSolidColor(dest->kind, color, &call.solid, SolidTint::kScaleTable)) return;
    if (dest->kind == 1) {
      TriangleFlat32(call);
    } else {
      TriangleFlat16(call);
    }
    return;
  }

  call.source = src;
  call.transparent = transparent;
  call.src_pixels = src->pixels;
  call.src_pitch = src->pitch;
  call.src_width_fixed = static_cast<uint32_t>(src->width) * kTriangleOne;
  call.src_height_fixed = static_cast<uint32_t>(src->height) * kTriangleOne;
  call.key = src->transparent_value;
  if (blend_image != nullptr) {
    call.blend = blend_image->pixels;
    call.blend_pixels = blend_image->pixels;
    call.blend_pitch = blend_image->pitch;
  }

  if (src->kind == 1) {
    if (src->palette_flag == 1) {
      TriangleIndexed32(call);
    } else {
      TriangleDirect32(call);
    }
  } else if (src->palette_flag == 1) {
    TriangleIndexed16(call);
  } else {
    TriangleDirect16(call);
  }
}
