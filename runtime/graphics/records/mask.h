// The mask screen: a byte-per-pixel mask buffer of the screen's size with,
// beside it, a DirectDraw mask surface or a software image. The screen
// rebuild releases and makes it again; graphics end tears it down with every
// mask handle. Nothing in this program asks for a mask: the flags stay 0 and
// these operations find nothing to do beyond testing them.
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"

struct IDirectDrawSurface7;

constexpr int32_t kMaskRecordCount = 512;

struct MaskRecord {
  int32_t check_id;
  int32_t in_use;
};

extern uint8_t* MaskBuffer;                // screen width x height bytes, or null
extern IDirectDrawSurface7* MaskSurface;   // DirectDraw mask surface, or null
extern MEMIMG MaskMemImage;                // the software mask image
extern int32_t MaskMemImageInUse;          // 1 while MaskMemImage is built
extern int32_t MaskScreenFlag;             // 1 while a mask screen was asked for and made
extern int32_t MaskUseFlag;                // mask drawing asked for
extern int32_t MaskInForceFlag;            // asked for, and a mask screen exists
extern MaskRecord MaskRecords[kMaskRecordCount];

// Makes what is missing of the mask screen: the buffer (`make_buffer`) and,
// on the software road, the mask image (`make_surface`). 0 or -1.
int CreateMaskScreen(int32_t make_buffer, int32_t make_surface);
// Switches mask drawing on or off; the mask is in force only while a mask
// screen exists. 0.
int EnableMaskUse(int32_t flag);
// Deletes one mask record. 0, or -1 for a bad handle.
int DeleteMaskHandle(int32_t handle);

// Before the screen objects are rebuilt: frees the buffer, the surface and
// the image, keeping the flags that say they are to be made again. 0.
int ReleaseMaskScreen();
// After the rebuild: makes the mask screen again and puts mask use back. 0.
int RecreateMaskScreen();
// Graphics end: mask use off, everything freed, the flags cleared. 0.
int EndMaskScreen();
// Graphics end: deletes every mask record in use. 0.
int DeleteAllMasks();
