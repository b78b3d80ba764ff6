// The Direct3D device: its scene, vertex batch, viewport, render target and
// the blend state derived from the draw settings. Every operation returns -1
// while Direct3D does not run.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct IDirect3DDevice7;

// Draws the pending vertex batch and ends the scene of the current device.
int EndCurrentD3DScene();
// Draws the pending vertex batch of the current device.
int FlushCurrentD3DBatch();
// Sets the viewport from a rectangle of the draw screen.
int SetD3DViewportRect(const RECT* rect);
// Points the device at the mask's screen surface (flag 1) or back at the
// draw screen (flag 0).
int SetD3DDrawArea(int32_t mask_flag);
// Makes `target` the render target.
int SetDrawScreenD3D(int32_t target, int32_t old_target);
// Hands the texture filter to the current device.
int SetTextureFilterCurrent(int32_t mode);
// The device interface of the current device, or null.
IDirect3DDevice7* GetCurrentD3DDeviceObject();
// Rebuilds the vertex colour from BlendMode, BlendParam and DrawBrightness.
int UpdateD3DDiffuseColor();
// Makes a graphic (or -1: none) the blend texture with its two parameters.
int SetBlendGraphicD3D(int32_t graphic, int32_t param1, int32_t param2);
