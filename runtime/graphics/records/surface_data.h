// Surface data: one record per real pixel store under the graphics. A store
// is a DirectDraw surface, a Direct3D texture surface or a software image
// (MEMIMG). Several 2D surfaces or texture pieces may show parts of one
// store, which is how the cells of an image sheet share one picture; the
// record counts them and is freed with the last one.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/image/mem_image.h"

struct ColorFormat;
struct IDirectDrawSurface7;

// Kind numbers of a store: texture stores use their texture-format number;
// these two mark the others.
constexpr int32_t kSurfaceKindStandard = 9;
// 10 + alpha for a 16-bit software image, 12 + alpha for a 32-bit one.
constexpr int32_t kSurfaceKindMemImage16 = 10;
constexpr int32_t kSurfaceKindMemImage32 = 12;

struct SurfaceDataRecord {
  HandleRecordHead head;  // check id, own handle, lost flag address
  int32_t reserved;       // 0
  SurfaceSettings settings;
  int32_t software_flag;   // 1: the store is `image`
  int32_t texture_format;  // the kind number (above)
  int32_t zbuffer_flag;    // 1 while a Z buffer is attached
  IDirectDrawSurface7* surface;    // DirectDraw or texture surface, or null
  MEMIMG image;                    // the software image when software_flag is 1
  IDirectDrawSurface7* z_surface;  // attached Z buffer, or null
  MEMIMG z_image;                  // the software Z buffer
  uint32_t transparent_color;      // TransparentColor at creation, 0x00RRGGBB
  uint16_t width;
  uint16_t height;
  int32_t ref_count;  // 2D surfaces and texture pieces that use the record
  int32_t lock_pitch;
  uint8_t* lock_address;
  int32_t lock_count;
};

// A new record with its store made and its colour key set, or -1 (logged
// when the registry is full or the record cannot be had; nothing is left
// behind). Sizes run from 1 to 65535.
int32_t AddSurfaceData(int32_t ref_count, int32_t width, int32_t height,
                       uint32_t transparent_color, const SurfaceSettings* settings);
SurfaceDataRecord* GetSurfaceDataRecord(int32_t handle);
// The new reference count, or -1 for a bad handle.
int AddSurfaceDataRef(int32_t handle);
int ReleaseSurfaceDataRef(int32_t handle);
// Attaches (1) or removes (0) the Z buffer of a draw-target store. 0 or -1.
int CreateZBuffer(int32_t handle, int32_t flag);
// Sets the store's colour key from its transparent colour. 0 or -1.
int SetSurfaceColorKey(int32_t handle);
// Releases the store (the record stays, to be made again). 0 or -1.
int ReleaseSurfaceObjects(int32_t handle);
// 0 when the store was not lost (or has no surface), -1 when it was lost and
// was restored (its pixels must be refilled), -1 for a bad handle.
int RestoreSurfaceObjects(int32_t handle);
// Locks the rectangle (the whole store for null): the row pitch and the
// address of its first pixel go out when both outputs are given, the store's
// format when asked. 0, -2 for a nested lock (same pitch and address), -1 on
// failure.
int LockSurfaceData(int32_t handle, int32_t* pitch, void** address, int32_t write_only,
                    const RECT* rect, const ColorFormat** format);
// 0, or -1 when not locked; only the last unlock releases the store.
int UnlockSurfaceData(int32_t handle, const RECT* rect);
// Fills a DirectDraw or texture store with a colour. 0, or -1 (also for a
// store without a DirectDraw surface).
int FillSurfaceDataColor(int32_t handle, int32_t r, int32_t g, int32_t b, int32_t a);
// Fills every store of a graphic. 0, or -1 (bad handle, a failed fill).
int FillGraphicColor(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a);

// Makes the record's store: a texture, a software image or a standard
// surface by its settings. 0 (also when it exists already) or -1.
int CreateSurfaceObjects(int32_t handle);
// Releases the store and frees the record. 0 or -1.
int DeleteSurfaceData(int32_t handle);
