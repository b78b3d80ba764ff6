// The world, view and projection matrices of the draw state, and the
// look-at view matrix.
#pragma once

#include "runtime/graphics/state/draw_state.h"

// Copy the matrix into the draw state and recompute the combined transform;
// each 0.
int SetWorldMatrix(const TransformMatrix* matrix);
int SetViewMatrix(const TransformMatrix* matrix);
int SetProjectionMatrix(const TransformMatrix* matrix);
// A left-handed view matrix looking from `eye` at `target` with `up`
// (three floats each). 0.
int MakeLookAtMatrix(TransformMatrix* matrix, const float eye[3], const float target[3],
                     const float up[3]);
