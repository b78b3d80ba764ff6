// GDI stand-ins: device contexts of windows, of the screen, of memory
// bitmaps and of DirectDraw surfaces; transfers of device-independent images
// to a device (whole or a rectangle, stretched or not); copies between
// device contexts; the display's capabilities and its mode.
//
// Everything a device context of the host's window shows is the host's
// window image (its client area, 32-bit XRGB): a transfer to that window is a
// write of the window image, a copy from it a read-back. Other windows have no
// picture: transfers to them change nothing and reading gives black. The
// screen's device context (GetDC of no window) sees the desktop, on which only
// the host's window has pixels. Memory bitmaps keep XRGB pixels; a section
// (CreateDIBSection) keeps them in its own layout, in memory its maker reads
// and writes.
//
// Only the image layouts the runtime uses are emulated: 16-, 24- and 32-bit
// images with BI_RGB or BI_BITFIELDS, top-down (negative height) or
// bottom-up, and, as the source of a transfer, 8-bit images with a colour
// table; copied with SRCCOPY. Anything else ends the process with a message
// naming the call and the value (platform/host/not_emulated.h).
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/user.h"

struct HDC__;
using HDC = HDC__*;
struct HGDIOBJ__;
using HGDIOBJ = HGDIOBJ__*;
using HBITMAP = HGDIOBJ;

// One colour of a palette: red, green, blue and flags bytes.
struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

// One colour of a bitmap's colour table, in file order.
struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;

// The description of a device-independent image. A negative height means
// rows run from the top down.
struct BITMAPINFOHEADER {
  DWORD biSize;  // sizeof(BITMAPINFOHEADER)
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;    // 1
  WORD biBitCount;  // 8 (a transfer's source only), 16, 24 or 32
  DWORD biCompression;  // BI_RGB or BI_BITFIELDS
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// The header followed by the colour table; with BI_BITFIELDS, the red, green
// and blue masks (three DWORDs) take the place of the table. An 8-bit image's
// table has biClrUsed entries (256 when 0); an index past it shows black.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD SRCCOPY = 0x00CC0020;

// The device context of a window's client area (null: the whole screen).
HDC GetDC(HWND window);
// 1 when `dc` was the window's, else 0.
int ReleaseDC(HWND window, HDC dc);
// A memory device context, holding a 1 x 1 black bitmap until another one is
// selected. Null for a device context that does not exist.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// A bitmap of the given size, black. Null for a size below 1.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A section: a bitmap of the layout `info` describes (16, 24 or 32 bits) whose
// pixels, cleared, lie at `*bits` (null when `bits` is null) in that layout
// until the bitmap is deleted. Its maker writes and reads them there; the
// transfers into and out of a memory device context it is selected into
// (BitBlt, SetDIBitsToDevice, StretchDIBits, GetDIBits) work on them. Null
// (and `*bits` null) when the description is unusable or the pixels too many.
// Emulated: DIB_RGB_COLORS, no file mapping (`section` null, `offset` 0).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset);
// Selects a bitmap into a memory device context and returns the one it held;
// null when either does not exist or the bitmap is selected elsewhere.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a bitmap that is not selected into a device context.
BOOL DeleteObject(HGDIOBJ object);

// Copies the rectangle (x_source, y_source, width, height) of `source` to
// (x, y) of `dest`, both clipped to their devices. Only SRCCOPY.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int x_source,
            int y_source, DWORD rop);
// Writes the rectangle (x_source, y_source, width, height) of an image
// (coordinates from its top row) to (x_dest, y_dest) of the device. Only
// whole images are emulated: start_scan 0 and `lines` the image's height.
// Returns the number of lines written, 0 on failure.
int SetDIBitsToDevice(HDC dc, int x_dest, int y_dest, DWORD width, DWORD height, int x_source,
                      int y_source, UINT start_scan, UINT lines, const void* bits,
                      const BITMAPINFO* info, UINT usage);
// Writes the rectangle (x_source, y_source, width_source, height_source) of an
// image (coordinates from its top row) onto the rectangle (x_dest, y_dest,
// width_dest, height_dest) of the device, scaled by nearest pixel. A
// negative source width mirrors: the columns are read from x_source
// leftwards, so (width - 1, -width) writes the image mirrored left to right.
// Only SRCCOPY and positive destination sizes and source heights. Returns the
// number of lines, 0 on failure (also for a source rectangle that leaves the
// image).
int StretchDIBits(HDC dc, int x_dest, int y_dest, int width_dest, int height_dest, int x_source,
                  int y_source, int width_source, int height_source, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop);
// Reads `lines` rows from row `start_scan` (counted in the image's own row
// order) of a bitmap into `bits`, laid out as `info` describes (its width must
// be the bitmap's). The bitmap must not be selected into a device context
// other than `dc`. Returns the number of rows read, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start_scan, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage);
// Drawing is never batched here: 1.
BOOL GdiFlush();

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int VREFRESH = 116;
// The display's current mode for any device context (planes 1, refresh 60);
// other indexes are not emulated.
int GetDeviceCaps(HDC dc, int index);

// ---- The display mode ---------------------------------------------------------
// The display starts in the host's desktop mode. It can be switched to any
// listed mode (see ddraw.h, EnumDisplayModes): every size up to the desktop's
// among 320 x 240, 640 x 400, 640 x 480, 800 x 600, 1024 x 768, 1280 x 720,
// 1280 x 960, 1280 x 1024, 1600 x 900, 1920 x 1080 and the desktop's own, at
// 16 or 32 bits and 60 Hz. Each change of the mode posts WM_DISPLAYCHANGE
// (wparam the bits per pixel, lparam the width and height) to every
// top-level window, as the system does.

constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;

// Switches the display to the mode of `mode` (a display frequency of 0: the
// default), or back to the desktop's with `mode` null. Only the flags 0 and
// CDS_FULLSCREEN are emulated.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);

// ---- Fonts -----------------------------------------------------------------------
// A font object names a face found through the host's font look-up (see
// gdi_font.h) at a cell height. It is selected into a memory device context
// like a bitmap (SelectObject returns the font it replaces: at first the
// context's own stock font) and deleted with DeleteObject once no context
// holds it. Text metrics and glyph bitmaps are read from the context's font.

using HFONT = HGDIOBJ;

constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr DWORD HANGEUL_CHARSET = 129;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD FIXED_PITCH = 1;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// A font of cell height `height` (a negative height asks for that character
// height instead), weight 0 to 1000 (600 and above drawn bold), italic or
// not, for a character set (DEFAULT_CHARSET and SHIFTJIS_CHARSET read codes as
// code page 932, HANGEUL_CHARSET as code page 949) and a face name in code
// page 932 (null or empty: the default gothic face). Emulated: width,
// escapement and orientation 0, no underline or strike-out, precisions 0.
// Null when no Japanese face can be found for it.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strike_out, DWORD char_set,
                  DWORD output_precision, DWORD clip_precision, DWORD quality,
                  DWORD pitch_and_family, LPCSTR face_name);

struct TEXTMETRICA {
  LONG tmHeight;  // ascent + descent: the cell height
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;  // cell height - character height
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// The metrics of the font selected into `dc`. FALSE for a context that does
// not exist.
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

// A 16.16 fixed-point number.
struct FIXED {
  WORD fract;
  SHORT value;
};
// The 2 x 2 transformation of a glyph; only the identity is emulated.
struct MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX;  // the bitmap's width and height (1 x 1 for a blank glyph)
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;  // the bitmap's top-left from the pen on the base line, y up
  SHORT gmCellIncX;       // the pen's advance
  SHORT gmCellIncY;
};

constexpr UINT GGO_BITMAP = 1;        // 1 bit per pixel, most significant bit first
constexpr UINT GGO_GRAY4_BITMAP = 5;  // 1 byte per pixel, levels 0 to 16
constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

// The bitmap of character `code` (one byte, or lead byte x 256 + trail byte)
// of the font selected into `dc`, rows from the top, each row padded to a
// multiple of 4 bytes. With `size` 0 or `buffer` null, only the metrics and
// the size the bitmap needs (0 for a blank glyph); otherwise the bitmap is
// written and its size returned. A code the face lacks gives the face's
// default glyph. GDI_ERROR for a context that does not exist, a buffer too
// small, or a format or transformation that is not emulated.
DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD size,
                       void* buffer, const MAT2* transform);
