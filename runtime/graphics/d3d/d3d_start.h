// Direct3D start and end: the Direct3D object had from the screen's
// DirectDraw object, the choice of a hardware device that renders at the
// screen's depth, the texture and Z-buffer formats, the device records made
// on the screen's surfaces, their end, and their release and return around a
// rebuild of the screen objects.
//
// On this system the DirectDraw stand-in has no Direct3D interface, so start
// fails with its log line and the screen takes the software road; the road
// through Direct3D runs against the recording test double.
#pragma once

#include <cstdint>

#include "platform/win32/d3d.h"

// 1 from a start that succeeded until Direct3D ends: a rebuild of the screen
// objects then takes the Direct3D object again.
extern int32_t Direct3DWanted;
// The depth-buffer layout Direct3D start found (16 bits).
extern DDPIXELFORMAT ZBufferPixelFormat;
// The texture address mode of every stage; 0 means CLAMP (3).
extern int32_t DrawTextureAddressMode;

// Starts Direct3D on the screen surfaces. 0, or -1 (also when it runs
// already): every failure logs its line and leaves nothing behind.
int InitializeDirect3D();
// Ends Direct3D with its devices and textures. 0, or -1 when it does not run.
int TerminateDirect3D();
// Releases the Direct3D object and the current device (the texture pieces
// stay, their surfaces go) before the screen objects are rebuilt. 0, or -1
// when Direct3D was not started.
int ReleaseDirect3D();
// Takes the Direct3D object again after the rebuild and makes the current
// device anew on the screen. 0 (also when Direct3D was not started), or -1
// when the object cannot be had.
int AcquireDirect3DObject();

// Makes a device record with a device drawing into `surface`: its number,
// or -1 (no free record, or the device cannot be made).
int32_t CreateD3DDeviceStates(IDirectDrawSurface7* surface);
// Makes the device of an existing record again on the surface it was made
// on, with every state sent anew and every texture surface made again. 0
// (also when the device exists), or -1.
int CreateD3DDevice(int32_t device);
// Releases the device of a record and the surfaces of every texture piece;
// the record stays. 0, or -1 without Direct3D or record.
int DeleteD3DDevice(int32_t device);
// Releases the device of every record in use and clears the records. 0.
int DeleteAllD3DDevices();

// The enumeration callbacks of start: `context` points to an int32_t set to
// 1 when a device was taken into D3DDeviceDescription / a Z-buffer layout
// into ZBufferPixelFormat.
HRESULT EnumD3DDeviceCallback(LPSTR description, LPSTR name, D3DDEVICEDESC7* device,
                              LPVOID context);
HRESULT EnumZBufferFormatCallback(DDPIXELFORMAT* format, LPVOID context);
// The address of ZBufferPixelFormat.
DDPIXELFORMAT* GetZBufferPixelFormat();
