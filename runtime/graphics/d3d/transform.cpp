// The world, view and projection matrices of the draw state.
#include "runtime/graphics/d3d/transform.h"

#include <cmath>
#include <cstring>

#include "platform/win32/d3d.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/state/graphics_flags.h"

namespace {

// Copies the matrix into the draw state, recomputes the combined transform
// and, while Direct3D draws, hands it to the device.
int SetDrawMatrix(TransformMatrix* slot, const TransformMatrix* matrix,
                  D3DTRANSFORMSTATETYPE state) {
  *slot = *matrix;
  CombineTransformMatrices();
  if (Use3DDrawing != 0) {
    if (IDirect3DDevice7* device = GetCurrentD3DDeviceObject()) {
      D3DMATRIX d3d;
      std::memcpy(d3d.m, slot->m, sizeof(d3d.m));
      device->SetTransform(state, &d3d);
    }
  }
  return 0;
}

struct Vector3 {
  float x, y, z;
};

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 Normalised(const Vector3& v) {
  const float length = std::sqrt(Dot(v, v));
  if (length == 0.0f) return v;
  return Vector3{v.x / length, v.y / length, v.z / length};
}

}  // namespace

int SetWorldMatrix(const TransformMatrix* matrix) {
  return SetDrawMatrix(&DrawWorldMatrix, matrix, D3DTRANSFORMSTATE_WORLD);
}

int SetViewMatrix(const TransformMatrix* matrix) {
  return SetDrawMatrix(&DrawViewMatrix, matrix, D3DTRANSFORMSTATE_VIEW);
}

int SetProjectionMatrix(const TransformMatrix* matrix) {
  return SetDrawMatrix(&DrawProjectionMatrix, matrix, D3DTRANSFORMSTATE_PROJECTION);
}

int MakeLookAtMatrix(TransformMatrix* matrix, const float eye[3], const float target[3],
                     const float up[3]) {
  const Vector3 e{eye[0], eye[1], eye[2]};
  const Vector3 d{target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
  const Vector3 u{up[0], up[1], up[2]};
  const Vector3 right = Normalised(Cross(u, d));
  const Vector3 new_up = Normalised(Cross(d, right));
  const Vector3 forward = Normalised(d);
  *matrix = TransformMatrix{{
      {right.x, new_up.x, forward.x, 0.0f},
      {right.y, new_up.y, forward.y, 0.0f},
      {right.z, new_up.z, forward.z, 0.0f},
      {-Dot(right, e), -Dot(new_up, e), -Dot(forward, e), 1.0f},
  }};
  return 0;
}
