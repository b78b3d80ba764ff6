// Direct3D start and end: the Direct3D object, the device made on the
// screen's 3D surface and their end.
#pragma once

// Starts Direct3D on the screen surfaces. 0, or -1 (also when it runs
// already).
int InitializeDirect3D();
// Ends Direct3D with its devices and textures. 0, or -1 when it does not run.
int TerminateDirect3D();
// Releases the Direct3D object and its devices before the screen objects are
// rebuilt. 0.
int ReleaseDirect3D();
// Takes the Direct3D object again after the rebuild and makes its devices
// anew. 0, or -1 when it cannot be had.
int AcquireDirect3DObject();
