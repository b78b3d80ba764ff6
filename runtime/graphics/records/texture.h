// Texture pieces and texture formats.
//
// A graphic drawn with Direct3D keeps its pixels in textures. Textures have
// size limits (a largest side, powers of two, sometimes square only), so a
// graphic is divided into pieces: each piece (a Surface3DData, handle type 6)
// names a rectangle of the graphic, the surface data whose surface is the
// texture, and the rectangle of that texture that holds the pixels. Derived
// graphics share their parent's textures through the surface data's
// reference count.
#pragma once

#include <cstdint>

#include "platform/win32/ddraw.h"
#include "runtime/core/handle.h"
#include "runtime/image/color_format.h"

struct GraphImage;
struct SurfaceSettings;

// One corner of a piece: x, y inside the graphic (z 0, rhw 1.0, colour
// 0xffffffff) and u, v inside the texture.
struct Surface3DVertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};

struct Surface3DData {
  HandleRecordHead head;  // check id, own handle, lost flag address
  uint16_t x;             // where the piece lies inside the graphic
  uint16_t y;
  uint16_t texture_x;  // where its pixels lie inside the texture
  uint16_t texture_y;
  uint16_t source_x;  // where its pixels lie inside the source image
  uint16_t source_y;
  uint16_t width;  // visible size
  uint16_t height;
  // Top-left, top-right, bottom-left, bottom-right.
  Surface3DVertex vertices[4];
  // 1 for a corner on or above the graphic's diagonal from bottom-left to
  // top-right.
  uint8_t diagonal[4];
  int32_t graphic;  // the graphic the piece was made for
  int32_t texture;  // the surface data that holds the pixels
};

// The most pieces one graphic may have.
constexpr int32_t kTexturePieceMax = 64;

// Texture sizes: the device's limits, kept by Direct3D start.
extern int32_t TextureMaxSize;
extern int32_t TextureMinSize;

// ---- Pieces -------------------------------------------------------------------------------
// Makes a piece of `graphic`. Without a parent it makes a texture of
// texture_width x texture_height with the current TransparentColor and
// `settings`; with one it shares the parent's texture and adds the parent's
// texture and source positions to its own. The handle, or -1 (logged).
int32_t AddSurface3DData(int32_t texture_width, int32_t texture_height, int32_t x, int32_t y,
                         int32_t width, int32_t height, int32_t source_x, int32_t source_y,
                         int32_t graphic, int32_t parent, int32_t texture_x, int32_t texture_y,
                         const SurfaceSettings* settings);
Surface3DData* GetSurface3DData(int32_t handle);
Surface3DData* GetSurface3DDataOrZero(int32_t handle);
// Releases one reference of the texture, sets the lost flag and frees the
// piece. 0, or -1 for a bad handle.
int DeleteSurface3DData(int32_t handle);
// Every piece. 0, -1 without Direct3D.
int DeleteAllSurface3DData();
int DeleteAllSurface3DDataIfReady();

// ---- Formats -------------------------------------------------------------------------------
struct TextureFormatRecord {
  DDPIXELFORMAT pixel_format;
  ColorFormat format;
};
// By kind: 0 16-bit, 1 32-bit, 2 16-bit alpha channel, 3 32-bit alpha
// channel, 4 16-bit alpha test, 5 32-bit alpha test, 6 16-bit render target,
// 7 32-bit render target, 8 render target with alpha.
constexpr int32_t kTextureFormatCount = 9;
extern TextureFormatRecord TextureFormatTable[kTextureFormatCount];

// The kind for a graphic's surface settings.
int GetTextureFormatIndex(const SurfaceSettings* settings);
const ColorFormat* GetTextureFormatForFlags(const SurfaceSettings* settings);
// Null for a kind out of range.
TextureFormatRecord* GetTextureFormatRecord(int32_t kind);
const ColorFormat* GetTextureColorFormat(int32_t kind);
// The format for those flags (used by the font cache).
const ColorFormat* GetTextureFormatByKind(int32_t alpha_channel, int32_t alpha_test,
                                          int32_t is_32bit, int32_t render_target);
// Empties the table before an enumeration.
void ClearTextureFormats();
// The device's texture-format enumeration callback; `found` points to an
// int32_t set to 1 when a 16-bit format without alpha is offered.
HRESULT EnumTextureFormatCallback(DDPIXELFORMAT* pixel_format, LPVOID found);
// Fills the kinds nothing was offered for from their fallbacks.
void ApplyTextureFormatFallbacks();

// ---- Division ------------------------------------------------------------------------------
// Divides one side of `size` pixels into texture sizes: writes them to `out`
// (room for kTexturePieceMax + 1) and returns their number (more than
// kTexturePieceMax when it would take more). `whole` 1: never divide below
// TextureMaxSize by the screen width.
int SplitSizeForTextures(int32_t size, int32_t* out, int32_t whole);

// ---- Graphics --------------------------------------------------------------------------------
// Divides a new texture graphic into pieces and makes their textures. 0/-1.
int CreateGraphicTextures(int32_t graphic);
// Pieces of `graphic` that show the rectangle (x, y, width, height) of
// `parent`'s textures. 0 or -1 (nothing is left behind).
int CreateDerivedGraphicTextures(int32_t graphic, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int32_t parent);
// Deletes every piece of a texture graphic. 0 or -1.
int DeleteGraphicTextures(int32_t graphic);
// Fills the texture of every piece of a graphic with a colour. 0 or -1.
int ForEachGraphicTexture(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a);

// Fills the pieces of a texture graphic from an image (and alpha image): a
// piece at (x, y) of the graphic takes the image's pixels at the graphic's
// offset + (x, y). 0 or -1.
int UploadImageToTextures(int32_t graphic, const GraphImage* image, const GraphImage* alpha);
// The same for the parts of the pieces that meet `rect` (image coordinates
// of the graphic's offset). 0 or -1.
int UploadRectToTextures(int32_t graphic, const GraphImage* image, const GraphImage* alpha,
                         const RECT* rect);
// Writes the rectangle `source` of the image into the graphic's pieces with
// its top-left corner at (x, y) of the graphic. 0 or -1.
int UploadImageRectToTexturesAt(int32_t graphic, const GraphImage* image, const RECT* source,
                                int32_t x, int32_t y);
// Converts `rect` of the image into the piece's texture at
// (texture_x, texture_y), through a system-memory texture when the texture
// cannot be locked. 0 or -1.
int TransferWorkTexture(const GraphImage* image, const GraphImage* alpha, const RECT* rect,
                        int32_t texture_x, int32_t texture_y, int32_t piece);
// Copies a movie frame into every piece of the graphic: each piece takes the
// frame's pixels at its source position (where it lies in the movie's
// picture, also for a graphic derived from the movie's), through
// TransferWorkTexture. With `alpha_mask` set the frame carries an alpha mask:
// its upper half is the picture and its lower half the alpha of it. 0, or -1
// without Direct3D, for a bad graphic or piece, or a failed transfer.
int TransferSurfaceToTextures(const GraphImage* frame, int32_t graphic, int32_t alpha_mask);

// Restores the lost texture surfaces of one texture graphic: the OR of the
// restores (-1 when one was lost and must be refilled), -1 for a bad handle.
int RestoreGraphicTextures(int32_t graphic);
// Restores the lost texture surface of every piece. 0, -1 without Direct3D.
int RestoreAllTextures();
// Restores the texture surface of one piece, as RestoreGraphicTextures does
// for each piece of a graphic: 0 when it was not lost, -1 when it was lost
// and was restored (its pixels must be refilled); -1 without Direct3D or for
// a bad piece.
int RestoreSurface3DImage(int32_t piece);
