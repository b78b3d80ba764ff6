// The draw state's values and the matrix arithmetic of the 3D transforms.
#include "runtime/graphics/state/draw_state.h"

#include <cmath>

#include "runtime/graphics/state/screen_state.h"

int32_t DrawTarget;
RECT DrawTargetRect;
int32_t DrawScreenWidth;
int32_t DrawScreenHeight;
RECT DrawArea;
float DrawAreaF[4];
int32_t DrawAreaEmpty;
int32_t DrawAreaRequest[4];

int32_t BlendMode;
int32_t BlendParam;
int32_t BlendGraphic = -1;
int32_t BlendGraphicParam1;
int32_t BlendGraphicParam2;
uint32_t DrawBrightness = 0xFFFFFF;
uint32_t TransparentColor;
int32_t DrawFilterMode;
int32_t DrawInhibitFlag;

TransformMatrix DrawWorldMatrix;
TransformMatrix DrawViewMatrix;
TransformMatrix DrawProjectionMatrix;
TransformMatrix DrawViewportMatrix;
TransformMatrix DrawViewportMatrixCopy;
TransformMatrix DrawCombinedMatrix;
TransformMatrix DrawBillboardMatrix;

void ResetTransformMatrices(TransformMatrix* matrix) {
  *matrix = TransformMatrix{};
  for (int i = 0; i < 4; ++i) matrix->m[i][i] = 1.0f;
}

void MultiplyMatrix(TransformMatrix* out, const TransformMatrix* a, const TransformMatrix* b) {
  TransformMatrix product;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a->m[i][k] * b->m[k][j];
      product.m[i][j] = sum;
    }
  }
  *out = product;
}

void MakeScreenMatrix(TransformMatrix* matrix, float x, float y, float width, float height) {
  *matrix = TransformMatrix{};
  matrix->m[0][0] = width * 0.5f;
  matrix->m[1][1] = height * -0.5f;
  matrix->m[2][2] = 1.0f;
  matrix->m[3][0] = x + width * 0.5f;
  matrix->m[3][1] = y + height * 0.5f;
  matrix->m[3][3] = 1.0f;
}

int MakePerspectiveMatrix(TransformMatrix* matrix, float field_of_view, float near_plane,
                          float far_plane) {
  const float s = std::sin(field_of_view / 2.0f);
  const float c = std::cos(field_of_view / 2.0f);
  if (std::fabs(far_plane - near_plane) < 0.01f || std::fabs(s) < 0.01f) return -1;
  const float cotangent = c / s;
  const float q = far_plane / (far_plane - near_plane);
  *matrix = TransformMatrix{};
  matrix->m[0][0] = static_cast<float>(ScreenHeightOrDefault()) /
                    static_cast<float>(ScreenWidthOrDefault()) * cotangent;
  matrix->m[1][1] = cotangent;
  matrix->m[2][2] = q;
  matrix->m[2][3] = 1.0f;
  matrix->m[3][2] = -q * near_plane;
  return 0;
}

void CombineTransformMatrices() {
  MultiplyMatrix(&DrawCombinedMatrix, &DrawWorldMatrix, &DrawViewMatrix);
  MultiplyMatrix(&DrawCombinedMatrix, &DrawCombinedMatrix, &DrawProjectionMatrix);
  MultiplyMatrix(&DrawCombinedMatrix, &DrawCombinedMatrix, &DrawViewportMatrix);
  DrawBillboardMatrix = TransformMatrix{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) DrawBillboardMatrix.m[i][j] = DrawViewMatrix.m[j][i];
  }
}
