// Drawing graphics and boxes through Direct3D: pieces become screen
// vertices in the current device's batch.
#include "runtime/graphics/d3d/d3d_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/core/primitives.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/graphics_hooks.h"
#include "runtime/graphics/state/screen_state.h"

namespace {

// One corner as drawn: its screen position, its place in the drawing
// texture and in the blend texture.
struct Corner {
  float x, y;
  float u, v;
  float u2, v2;
};

// A quad's corners in the order top-left, top-right, bottom-left,
// bottom-right become two triangles: TL, TR, BL and BR, BL, TR.
constexpr int kQuadOrder[6] = {0, 1, 2, 3, 2, 1};

D3DDeviceRecord* CurrentRecord() { return GetD3DDeviceRecord(CurrentD3DDevice); }

int32_t DrawFlags(int32_t transparent) {
  return (transparent != 0 ? kD3DDrawTransparent : 0) | (DrawZBufferFlag != 0 ? kD3DDrawUseZ : 0);
}

float FloatOfBits(int32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Writes vertex `index` of the block `at` in the record's vertex kind.
void WriteVertex(const D3DDeviceRecord* record, void* at, int index, const Corner& corner,
                 uint32_t color) {
  switch (record->vertex_kind) {
    case 0: {
      D3DVertexPlain& v = static_cast<D3DVertexPlain*>(at)[index];
      v.x = corner.x;
      v.y = corner.y;
      v.z = DrawZValue;
      v.rhw = 1.0f;
      v.color = color;
      break;
    }
    case 1: {
      D3DVertexTextured& v = static_cast<D3DVertexTextured*>(at)[index];
      v.x = corner.x;
      v.y = corner.y;
      v.z = DrawZValue;
      v.rhw = 1.0f;
      v.color = color;
      v.u = corner.u;
      v.v = corner.v;
      break;
    }
    default: {
      D3DVertexBlended& v = static_cast<D3DVertexBlended*>(at)[index];
      v.x = corner.x;
      v.y = corner.y;
      v.z = DrawZValue;
      v.rhw = 1.0f;
      v.color = color;
      v.specular = 0xFFFFFFFFu;
      v.u = corner.u;
      v.v = corner.v;
      v.u2 = corner.u2;
      v.v2 = corner.v2;
      break;
    }
  }
}

// Queues a quad (corners TL, TR, BL, BR) as six triangle-list vertices of
// the record's kind, in `order`. 0, or -1 when the batch cannot take them.
int QueueQuad(D3DDeviceRecord* record, const Corner* corners, const int* order, uint32_t color) {
  void* const at = QueueD3DVertices(record, D3DPT_TRIANGLELIST, 6);
  if (at == nullptr) return -1;
  for (int i = 0; i < 6; ++i) WriteVertex(record, at, i, corners[order[i]], color);
  return 0;
}

// Where the blend graphic's pixels start inside its texture, for the second
// texture coordinates: the graphic's own pixels at (x, y) meet the blend
// graphic's at the same (x, y).
struct BlendPlacement {
  float x;
  float y;
};

BlendPlacement CurrentBlendPlacement() {
  BlendPlacement placement{0.0f, 0.0f};
  if (BlendGraphic == -1) return placement;
  const GraphicRecord* const blend = GetGraphicRecord(BlendGraphic);
  if (blend == nullptr || blend->settings.texture_flag != 1 || blend->surface_count < 1) {
    return placement;
  }
  if (const Surface3DData* const piece = GetSurface3DData(blend->surfaces[0])) {
    placement.x = piece->texture_x;
    placement.y = piece->texture_y;
  }
  return placement;
}

// The second texture coordinates of the graphic's point (px, py).
void SetBlendCoordinates(Corner* corner, const BlendPlacement& placement, float px, float py) {
  corner->u2 = D3DBlendTextureWidth != 0.0f ? (placement.x + px) / D3DBlendTextureWidth : 0.0f;
  corner->v2 = D3DBlendTextureHeight != 0.0f ? (placement.y + py) / D3DBlendTextureHeight : 0.0f;
}

// A piece with the record that holds its texture.
struct Piece {
  const Surface3DData* piece;
  const SurfaceDataRecord* data;
};

bool GetPiece(int32_t handle, Piece* out) {
  out->piece = GetSurface3DData(handle);
  out->data = out->piece != nullptr ? GetSurfaceDataRecord(out->piece->texture) : nullptr;
  return out->data != nullptr;
}

// Makes the piece's texture the pending one and sends the state when it
// changed.
void UsePieceTexture(D3DDeviceRecord* record, const Piece& piece) {
  SetD3DPendingTexture(CurrentD3DDevice, piece.data->surface);
  if (record->blend_state_dirty != 0 || record->texture_state_dirty != 0) {
    ApplyD3DBlendStates(CurrentD3DDevice);
  }
}

// The end of every drawing operation: drawing on the front screen shows at
// once.
void FinishDraw() {
  if (D3DDrawToFront != 0) EndCurrentD3DScene();
}

// One axis of an axis-aligned draw: the graphic's coordinate p lands at
// origin + p x scale.
struct Axis {
  float origin;
  float scale;
  float area_low;
  float area_high;
};

// Draws every piece of `graphic` placed by the two axes, clipped to the draw
// area unless `inside`. 0 or -1.
int DrawAxisAligned(D3DDeviceRecord* record, const GraphicRecord* graphic, int32_t flags,
                    const Axis& ax, const Axis& ay, bool inside) {
  Piece first{};
  if (!GetPiece(graphic->surfaces[0], &first)) return -1;
  BeginD3DScene();
  PrepareD3DDrawStates(first.piece, flags);
  const BlendPlacement placement = CurrentBlendPlacement();
  const float shift_x = -0.5f + static_cast<float>(DrawTargetRect.left);
  const float shift_y = -0.5f + static_cast<float>(DrawTargetRect.top);

  for (int32_t i = 0; i < graphic->surface_count; ++i) {
    Piece piece{};
    if (!GetPiece(graphic->surfaces[i], &piece)) return -1;
    const Surface3DVertex* const t = piece.piece->vertices;
    // The piece's edges on the screen (a negative scale mirrors: the left
    // edge lies right of the right one) and their texture coordinates.
    float x0 = ax.origin + t[0].x * ax.scale, x1 = ax.origin + t[1].x * ax.scale;
    float y0 = ay.origin + t[0].y * ay.scale, y1 = ay.origin + t[2].y * ay.scale;
    float u0 = t[0].u, u1 = t[1].u, v0 = t[0].v, v1 = t[2].v;
    float px0 = t[0].x, px1 = t[1].x, py0 = t[0].y, py1 = t[2].y;
    if (!inside) {
      auto clamp_axis = [](float* e0, float* e1, float* c0, float* c1, float* p0, float* p1,
                           float low, float high) {
        const float lo = std::min(*e0, *e1), hi = std::max(*e0, *e1);
        if (std::max(lo, low) >= std::min(hi, high)) return false;
        const float n0 = std::clamp(*e0, low, high), n1 = std::clamp(*e1, low, high);
        const float span = *e1 - *e0;
        const float f0 = (n0 - *e0) / span, f1 = (n1 - *e0) / span;
        const float c_from = *c0, c_span = *c1 - *c0;
        const float p_from = *p0, p_span = *p1 - *p0;
        *c0 = c_from + f0 * c_span;
        *c1 = c_from + f1 * c_span;
        *p0 = p_from + f0 * p_span;
        *p1 = p_from + f1 * p_span;
        *e0 = n0;
        *e1 = n1;
        return true;
      };
      if (!clamp_axis(&x0, &x1, &u0, &u1, &px0, &px1, ax.area_low, ax.area_high) ||
          !clamp_axis(&y0, &y1, &v0, &v1, &py0, &py1, ay.area_low, ay.area_high)) {
        continue;
      }
    }
    Corner corners[4] = {
        {x0 + shift_x, y0 + shift_y, u0, v0, 0, 0},
        {x1 + shift_x, y0 + shift_y, u1, v0, 0, 0},
        {x0 + shift_x, y1 + shift_y, u0, v1, 0, 0},
        {x1 + shift_x, y1 + shift_y, u1, v1, 0, 0},
    };
    SetBlendCoordinates(&corners[0], placement, px0, py0);
    SetBlendCoordinates(&corners[1], placement, px1, py0);
    SetBlendCoordinates(&corners[2], placement, px0, py1);
    SetBlendCoordinates(&corners[3], placement, px1, py1);
    UsePieceTexture(record, piece);
    if (QueueQuad(record, corners, kQuadOrder, D3DDiffuseColor) < 0) return -1;
  }
  FinishDraw();
  return 0;
}

// The draw area's edges as floats.
struct AreaF {
  float left, top, right, bottom;
};

AreaF CurrentArea() {
  return AreaF{static_cast<float>(DrawArea.left), static_cast<float>(DrawArea.top),
               static_cast<float>(DrawArea.right), static_cast<float>(DrawArea.bottom)};
}

// Where a draw covering low..high lies against the draw area: 1 wholly
// inside, -1 wholly outside, 0 partly.
int PlaceAgainstArea(float low_x, float high_x, float low_y, float high_y) {
  const AreaF area = CurrentArea();
  if (high_x <= area.left || low_x >= area.right || high_y <= area.top || low_y >= area.bottom) {
    return -1;
  }
  if (low_x >= area.left && high_x <= area.right && low_y >= area.top && high_y <= area.bottom) {
    return 1;
  }
  return 0;
}

bool BlendGraphicSet() { return BlendGraphic != -1; }

float Cross(const float* o, const float* a, const float* b) {
  return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

// The box colour: the screen pixel value decoded with the screen's format,
// each channel taken times the diffuse colour's, the diffuse alpha.
uint32_t BoxColor(uint32_t color) {
  int32_t r = 0, g = 0, b = 0;
  GetColorOfScreenValue(color, &r, &g, &b);
  const uint32_t diffuse = D3DDiffuseColor;
  const uint32_t red = static_cast<uint32_t>(r) * ((diffuse >> 16) & 0xFF) / 255;
  const uint32_t green = static_cast<uint32_t>(g) * ((diffuse >> 8) & 0xFF) / 255;
  const uint32_t blue = static_cast<uint32_t>(b) * (diffuse & 0xFF) / 255;
  return (diffuse & 0xFF000000u) | (red << 16) | (green << 8) | blue;
}

// The common start of the box operations: the scene open, no texture bound,
// the untextured state sent. 0, or -1 when the state is not untextured.
int PrepareBox(D3DDeviceRecord* record) {
  BeginD3DScene();
  if (record->pending_texture != nullptr) {
    FlushD3DVertexBatch(CurrentD3DDevice);
    record->pending_texture = nullptr;
    record->texture_state_dirty = 1;
    record->blend_state_dirty = 1;
  }
  PrepareD3DDrawStates(nullptr, DrawZBufferFlag != 0 ? kD3DDrawUseZ : 0);
  return record->vertex_kind == 0 ? 0 : -1;
}

}  // namespace

int DrawGraphicD3D(int32_t x, int32_t y, const GraphicRecord* graphic, int32_t transparent,
                   int32_t integer_flag) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (graphic == nullptr || graphic->surface_count < 1) return -1;
  const float fx = integer_flag == 1 ? static_cast<float>(x) : FloatOfBits(x);
  const float fy = integer_flag == 1 ? static_cast<float>(y) : FloatOfBits(y);
  const int32_t flags = DrawFlags(transparent) | (integer_flag == 1 ? kD3DDrawKeepAlphaKind : 0);
  const float width = static_cast<float>(graphic->width);
  const float height = static_cast<float>(graphic->height);
  const int place = PlaceAgainstArea(fx, fx + width, fy, fy + height);
  if (place < 0) return 0;
  const AreaF area = CurrentArea();
  const Axis ax{fx, 1.0f, area.left, area.right};
  const Axis ay{fy, 1.0f, area.top, area.bottom};
  return DrawAxisAligned(record, graphic, flags, ax, ay, place > 0);
}

int DrawGraphicStretchedD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            const GraphicRecord* graphic, int32_t transparent,
                            int32_t integer_flag) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (graphic == nullptr || graphic->surface_count < 1 || graphic->width <= 0 ||
      graphic->height <= 0) {
    return -1;
  }
  if (x1 == x2 || y1 == y2) return -1;
  const int32_t flags =
      DrawFlags(transparent) | (integer_flag != 0 && DrawFilterMode != 1 ? kD3DDrawKeepAlphaKind : 0);
  const int place = PlaceAgainstArea(static_cast<float>(std::min(x1, x2)),
                                     static_cast<float>(std::max(x1, x2)),
                                     static_cast<float>(std::min(y1, y2)),
                                     static_cast<float>(std::max(y1, y2)));
  if (place < 0) return 0;
  const AreaF area = CurrentArea();
  const Axis ax{static_cast<float>(x1),
                static_cast<float>(x2 - x1) / static_cast<float>(graphic->width), area.left,
                area.right};
  const Axis ay{static_cast<float>(y1),
                static_cast<float>(y2 - y1) / static_cast<float>(graphic->height), area.top,
                area.bottom};
  return DrawAxisAligned(record, graphic, flags, ax, ay, place > 0);
}

int DrawGraphicFourCornersD3D(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                              float y3, const GraphicRecord* graphic, int32_t transparent) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (graphic == nullptr || graphic->surface_count < 1 || graphic->width <= 0 ||
      graphic->height <= 0) {
    return -1;
  }
  if (BlendGraphicSet()) {
    // The blend drawing takes integer corners; one that no integer holds
    // draws nothing.
    for (const float corner : {x0, y0, x1, y1, x2, y2, x3, y3}) {
      if (!FloatFitsInt(corner)) return -1;
    }
    return DrawGraphicWithBlendD3D(
        static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
        static_cast<int32_t>(y1), static_cast<int32_t>(x2), static_cast<int32_t>(y2),
        static_cast<int32_t>(x3), static_cast<int32_t>(y3), graphic, transparent);
  }
  Piece first{};
  if (!GetPiece(graphic->surfaces[0], &first)) return -1;
  const float dx = static_cast<float>(DrawTargetRect.left);
  const float dy = static_cast<float>(DrawTargetRect.top);
  const float a[2] = {x0 + dx, y0 + dy}, b[2] = {x1 + dx, y1 + dy};
  const float c[2] = {x2 + dx, y2 + dy}, d[2] = {x3 + dx, y3 + dy};
  BeginD3DScene();
  PrepareD3DDrawStates(first.piece, DrawFlags(transparent));

  if (graphic->surface_count == 1) {
    if (DrawD3DQuadSubdivided(graphic->surfaces[0], a, b, c, d) < 0) return -1;
  } else {
    const float width = static_cast<float>(graphic->width);
    const float height = static_cast<float>(graphic->height);
    for (int32_t i = 0; i < graphic->surface_count; ++i) {
      Piece piece{};
      if (!GetPiece(graphic->surfaces[i], &piece)) return -1;
      // Each corner of the piece placed by the bilinear map of the quad.
      float mapped[4][2];
      for (int k = 0; k < 4; ++k) {
        const float s = piece.piece->vertices[k].x / width;
        const float t = piece.piece->vertices[k].y / height;
        const float left[2] = {a[0] + t * (c[0] - a[0]), a[1] + t * (c[1] - a[1])};
        const float right[2] = {b[0] + t * (d[0] - b[0]), b[1] + t * (d[1] - b[1])};
        mapped[k][0] = left[0] + s * (right[0] - left[0]);
        mapped[k][1] = left[1] + s * (right[1] - left[1]);
      }
      if (DrawD3DQuadSubdivided(graphic->surfaces[i], mapped[0], mapped[1], mapped[2],
                                mapped[3]) < 0) {
        return -1;
      }
    }
  }
  FinishDraw();
  return 0;
}

int DrawGraphicWithBlendD3D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t x3, int32_t y3, const GraphicRecord* graphic,
                            int32_t transparent) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (graphic == nullptr || graphic->surface_count < 1 || graphic->width <= 0 ||
      graphic->height <= 0) {
    return -1;
  }
  if (x0 == x2 && x1 == x3 && y0 == y1 && y2 == y3) {
    return DrawGraphicStretchedD3D(x0, y0, x3, y3, graphic, transparent, 1);
  }
  if (!BlendGraphicSet()) {
    return DrawGraphicFourCornersD3D(
        static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
        static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2),
        static_cast<float>(x3), static_cast<float>(y3), graphic, transparent);
  }
  Piece first{};
  if (!GetPiece(graphic->surfaces[0], &first)) return -1;
  BeginD3DScene();
  PrepareD3DDrawStates(first.piece, DrawFlags(transparent) | kD3DDrawKeepAlphaKind);
  const BlendPlacement placement = CurrentBlendPlacement();
  const float dx = static_cast<float>(DrawTargetRect.left);
  const float dy = static_cast<float>(DrawTargetRect.top);
  const float ax = static_cast<float>(x0) + dx, ay = static_cast<float>(y0) + dy;
  const float bx = static_cast<float>(x1) + dx, by = static_cast<float>(y1) + dy;
  const float cx = static_cast<float>(x2) + dx, cy = static_cast<float>(y2) + dy;
  const float ex = static_cast<float>(x3) + dx, ey = static_cast<float>(y3) + dy;
  const float width = static_cast<float>(graphic->width);
  const float height = static_cast<float>(graphic->height);

  for (int32_t i = 0; i < graphic->surface_count; ++i) {
    Piece piece{};
    if (!GetPiece(graphic->surfaces[i], &piece)) return -1;
    Corner corners[4];
    for (int k = 0; k < 4; ++k) {
      const Surface3DVertex& t = piece.piece->vertices[k];
      float x, y;
      if (piece.piece->diagonal[k] != 0) {
        // On or above the diagonal: from the top-left corner's edges.
        x = ax + t.x * (bx - ax) / width + t.y * (cx - ax) / height;
        y = ay + t.x * (by - ay) / width + t.y * (cy - ay) / height;
      } else {
        // Below it: from the bottom-right corner's edges.
        x = ex - (width - t.x) * (ex - cx) / width - (height - t.y) * (ex - bx) / height;
        y = ey - (width - t.x) * (ey - cy) / width - (height - t.y) * (ey - by) / height;
      }
      corners[k] = Corner{x - 0.5f, y - 0.5f, t.u, t.v, 0, 0};
      SetBlendCoordinates(&corners[k], placement, t.x, t.y);
    }
    UsePieceTexture(record, piece);
    if (QueueQuad(record, corners, kQuadOrder, D3DDiffuseColor) < 0) return -1;
  }
  FinishDraw();
  return 0;
}

int DrawD3DQuadSubdivided(int32_t piece_handle, const float* a, const float* b, const float* c,
                          const float* d) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  Piece piece{};
  if (!GetPiece(piece_handle, &piece)) return -1;
  if (record->pending_texture != piece.data->surface) UsePieceTexture(record, piece);
  const Surface3DVertex* const t = piece.piece->vertices;

  const bool parallelogram =
      std::fabs((b[0] - a[0]) - (d[0] - c[0])) < 1.0f &&
      std::fabs((b[1] - a[1]) - (d[1] - c[1])) < 1.0f &&
      std::fabs((c[0] - a[0]) - (d[0] - b[0])) < 1.0f &&
      std::fabs((c[1] - a[1]) - (d[1] - b[1])) < 1.0f;
  if (parallelogram) {
    const BlendPlacement placement = CurrentBlendPlacement();
    Corner corners[4] = {
        {a[0], a[1], t[0].u, t[0].v, 0, 0},
        {b[0], b[1], t[1].u, t[1].v, 0, 0},
        {c[0], c[1], t[2].u, t[2].v, 0, 0},
        {d[0], d[1], t[3].u, t[3].v, 0, 0},
    };
    for (int k = 0; k < 4; ++k) SetBlendCoordinates(&corners[k], placement, t[k].x, t[k].y);
    // Both triangles turning the other way (a mirrored quad) are given in
    // the other order.
    static constexpr int kTurned[6] = {0, 2, 1, 3, 1, 2};
    const bool turned = Cross(a, b, c) <= 0.0f && Cross(d, c, b) <= 0.0f;
    const int result = QueueQuad(record, corners, turned ? kTurned : kQuadOrder, D3DDiffuseColor);
    return result;
  }

  // Any other shape: a grid of 7 x 7 cells, each small enough to hide the
  // affine error of its two triangles.
  constexpr int kSide = 8;
  D3DVertexTextured grid[kSide * kSide];
  for (int r = 0; r < kSide; ++r) {
    const float f = static_cast<float>(r) / 7.0f;
    const float p[2] = {a[0] + f * (c[0] - a[0]), a[1] + f * (c[1] - a[1])};
    const float q[2] = {b[0] + f * (d[0] - b[0]), b[1] + f * (d[1] - b[1])};
    const float pu = t[0].u + f * (t[2].u - t[0].u), pv = t[0].v + f * (t[2].v - t[0].v);
    const float qu = t[1].u + f * (t[3].u - t[1].u), qv = t[1].v + f * (t[3].v - t[1].v);
    for (int col = 0; col < kSide; ++col) {
      const float g = static_cast<float>(col) / 7.0f;
      D3DVertexTextured& v = grid[r * kSide + col];
      v.x = p[0] + g * (q[0] - p[0]);
      v.y = p[1] + g * (q[1] - p[1]);
      v.z = DrawZValue;
      v.rhw = 1.0f;
      v.color = D3DDiffuseColor;
      v.u = pu + g * (qu - pu);
      v.v = pv + g * (qv - pv);
    }
  }
  return DrawD3DGrid(CurrentD3DDevice, kSide, grid, kSide);
}

int DrawD3DGrid(int32_t device, int32_t columns, const void* vertices, int32_t rows) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  constexpr int32_t kIndexMax = 1000;
  // A row pair must fit one call, and every vertex one 16-bit index.
  if (columns < 2 || rows < 2 || 2 * columns + 2 > kIndexMax || columns * rows > 65536) {
    return -1;
  }
  FlushD3DVertexBatch(device);
  WORD indices[kIndexMax];
  int32_t count = 0;
  auto draw = [&] {
    if (count > 0 && record->device != nullptr && WindowClosedFlag.load() == 0 &&
        record->suppress_draw == 0) {
      record->device->DrawIndexedPrimitive(
          D3DPT_TRIANGLESTRIP, D3DVertexFormatTable[1].fvf, const_cast<void*>(vertices),
          static_cast<DWORD>(columns * rows), indices, static_cast<DWORD>(count), 0);
    }
    count = 0;
  };
  for (int32_t r = 0; r + 1 < rows; ++r) {
    if (count + 2 * columns + 2 > kIndexMax) draw();
    if (count > 0) {
      // Two repeated indices join this row's strip to the last one.
      indices[count] = indices[count - 1];
      ++count;
      indices[count++] = static_cast<WORD>((r + 1) * columns);
    }
    for (int32_t c = 0; c < columns; ++c) {
      indices[count++] = static_cast<WORD>((r + 1) * columns + c);
      indices[count++] = static_cast<WORD>(r * columns + c);
    }
  }
  draw();
  return 0;
}

int DrawFilledBoxD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return UpperDrawFilledBoxSoft(x1, y1, x2, y2, color);
  RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  box.left = std::max<LONG>(box.left, DrawArea.left);
  box.top = std::max<LONG>(box.top, DrawArea.top);
  box.right = std::min<LONG>(box.right, DrawArea.right);
  box.bottom = std::min<LONG>(box.bottom, DrawArea.bottom);
  if (box.left >= box.right || box.top >= box.bottom) return 0;
  if (PrepareBox(record) < 0) return -1;
  const float left = static_cast<float>(box.left + DrawTargetRect.left);
  const float top = static_cast<float>(box.top + DrawTargetRect.top);
  const float right = static_cast<float>(box.right + DrawTargetRect.left);
  const float bottom = static_cast<float>(box.bottom + DrawTargetRect.top);
  const Corner corners[4] = {{left, top, 0, 0, 0, 0},
                             {right, top, 0, 0, 0, 0},
                             {left, bottom, 0, 0, 0, 0},
                             {right, bottom, 0, 0, 0, 0}};
  if (QueueQuad(record, corners, kQuadOrder, BoxColor(color)) < 0) return -1;
  FinishDraw();
  return 0;
}

int DrawBoxOutlineD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  D3DDeviceRecord* const record = CurrentRecord();
  if (record == nullptr) return -1;
  if (D3DTargetUnusable != 0) return UpperDrawBoxOutlineSoft(x1, y1, x2, y2, color);
  const int32_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int32_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (left == right || top == bottom) return 0;
  if (PrepareBox(record) < 0) return -1;
  // The border pixels' centres; a line leaves out its last pixel, so the
  // four edges run round the box and each border pixel is drawn once.
  const float l = static_cast<float>(left + DrawTargetRect.left);
  const float t = static_cast<float>(top + DrawTargetRect.top);
  const float r = static_cast<float>(right - 1 + DrawTargetRect.left);
  const float b = static_cast<float>(bottom - 1 + DrawTargetRect.top);
  const Corner ends[8] = {{l, t, 0, 0, 0, 0}, {r, t, 0, 0, 0, 0}, {r, t, 0, 0, 0, 0},
                          {r, b, 0, 0, 0, 0}, {r, b, 0, 0, 0, 0}, {l, b, 0, 0, 0, 0},
                          {l, b, 0, 0, 0, 0}, {l, t, 0, 0, 0, 0}};
  void* const at = QueueD3DVertices(record, D3DPT_LINELIST, 8);
  if (at == nullptr) return -1;
  const uint32_t value = BoxColor(color);
  for (int i = 0; i < 8; ++i) WriteVertex(record, at, i, ends[i], value);
  FinishDraw();
  return 0;
}

int DrawBoxD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, int32_t fill) {
  return fill != 0 ? DrawFilledBoxD3D(x1, y1, x2, y2, color)
                   : DrawBoxOutlineD3D(x1, y1, x2, y2, color);
}

int ClearDrawScreenD3D() {
  if (CurrentRecord() == nullptr) return -1;
  FlushCurrentD3DBatch();
  EndCurrentD3DScene();
  if (DrawTarget == kDrawTargetFrontScreen || DrawTarget == kDrawTargetBackScreen ||
      DrawTarget == -3) {
    return 0;
  }
  const GraphicRecord* const graphic = GetGraphicRecord(DrawTarget);
  if (graphic == nullptr || graphic->settings.texture_flag != 1) return 0;
  const int32_t r = static_cast<int32_t>((BackgroundColor >> 16) & 0xFF);
  const int32_t g = static_cast<int32_t>((BackgroundColor >> 8) & 0xFF);
  const int32_t b = static_cast<int32_t>(BackgroundColor & 0xFF);
  for (int32_t i = 0; i < graphic->surface_count; ++i) {
    Piece piece{};
    if (!GetPiece(graphic->surfaces[i], &piece) || piece.data->surface == nullptr) continue;
    if (piece.data->z_surface != nullptr) {
      DDBLTFX depth{};
      depth.dwSize = sizeof(depth);
      depth.dwFillDepth = 65535;
      piece.data->z_surface->Blt(nullptr, nullptr, nullptr, DDBLT_DEPTHFILL | DDBLT_WAIT, &depth);
    }
    const TextureFormatRecord* const format = GetTextureFormatRecord(piece.data->texture_format);
    if (format == nullptr) continue;
    DDBLTFX fill{};
    fill.dwSize = sizeof(fill);
    fill.dwFillColor = PackColor(&format->format, r, g, b, 255);
    // Only the piece's own rectangle: a texture may be shared.
    RECT area{piece.piece->texture_x, piece.piece->texture_y,
              piece.piece->texture_x + piece.piece->width,
              piece.piece->texture_y + piece.piece->height};
    piece.data->surface->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
  }
  return 0;
}
