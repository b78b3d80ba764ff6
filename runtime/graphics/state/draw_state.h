// The draw state every drawing path reads: where to draw, the clip
// rectangle, the blend mode, the brightness, the transparent colour of
// graphics made from now on and the 3D transforms, with the matrix
// arithmetic. Graphics start gives them their start values; the setters are
// in runtime/graphics/screen/draw_settings.h.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

constexpr int32_t kDrawTargetFrontScreen = -4;
constexpr int32_t kDrawTargetBackScreen = -2;

// -4 front screen, -2 back screen, else a graphic handle.
extern int32_t DrawTarget;
// The draw screen in screen coordinates, and its size.
extern RECT DrawTargetRect;
extern int32_t DrawScreenWidth;
extern int32_t DrawScreenHeight;
// The clip rectangle (right and bottom exclusive) inside the draw screen, and
// the same four values as floats.
extern RECT DrawArea;
extern float DrawAreaF[4];
// 1 when DrawArea has no width or no height.
extern int32_t DrawAreaEmpty;
// The four values last given to ChangeDrawArea, before sorting and clipping.
extern int32_t DrawAreaRequest[4];

// 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply.
extern int32_t BlendMode;
// 0 to 255.
extern int32_t BlendParam;
// Graphic handle or -1, with its border parameter and border range (0 to 255).
extern int32_t BlendGraphic;
extern int32_t BlendGraphicParam1;
extern int32_t BlendGraphicParam2;
// The colour multiplier, 0x00RRGGBB.
extern uint32_t DrawBrightness;
// The transparent colour of graphics made from now on, 0x00RRGGBB.
extern uint32_t TransparentColor;
// The texture filter word handed to Direct3D.
extern int32_t DrawFilterMode;
// 1 while drawing is held back: drawing calls return 0 without drawing.
extern int32_t DrawInhibitFlag;

// A 4 x 4 matrix, row by row; vectors are rows multiplied from the left, so
// the translation is in the fourth row.
struct TransformMatrix {
  float m[4][4];
};

// The 3D transforms of the draw screen: world, view, projection and the
// viewport (screen) matrix, their product (world x view x projection x
// viewport), a second copy of the viewport matrix kept by the draw-target
// switch, and the billboard matrix (the view's rotation transposed).
extern TransformMatrix DrawWorldMatrix;
extern TransformMatrix DrawViewMatrix;
extern TransformMatrix DrawProjectionMatrix;
extern TransformMatrix DrawViewportMatrix;
extern TransformMatrix DrawViewportMatrixCopy;
extern TransformMatrix DrawCombinedMatrix;
extern TransformMatrix DrawBillboardMatrix;

// Matrix operations.
void ResetTransformMatrices(TransformMatrix* matrix);
// out = a x b; `out` may be `a` or `b`.
void MultiplyMatrix(TransformMatrix* out, const TransformMatrix* a, const TransformMatrix* b);
// The viewport matrix of a width x height screen placed at (x, y): x scale
// width / 2, y scale -height / 2, z scale 1, centre at (x + width / 2,
// y + height / 2).
void MakeScreenMatrix(TransformMatrix* matrix, float x, float y, float width, float height);
// A left-handed perspective projection; the aspect is the screen's. 0, or -1
// (matrix untouched) for planes closer than 0.01 or a field of view near 0.
int MakePerspectiveMatrix(TransformMatrix* matrix, float field_of_view, float near_plane,
                          float far_plane);
// Recomputes DrawCombinedMatrix and DrawBillboardMatrix.
void CombineTransformMatrices();
