// Direct3D start and end: the Direct3D object, the device made on the
// screen's 3D surface and their end.
#pragma once

// Starts Direct3D on the screen surfaces. 0, or -1 (also when it runs
// already).
int InitializeDirect3D();
// Ends Direct3D with its devices and textures. 0, or -1 when it does not run.
int TerminateDirect3D();
