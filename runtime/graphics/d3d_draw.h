// Drawing through Direct3D.
#pragma once

// Clears a texture draw target (and its Z buffer). -1 while Direct3D does
// not run.
int ClearDrawScreenD3D();
