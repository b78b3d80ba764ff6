// Texture pieces: the Direct3D textures that hold a texture graphic's pixels,
// and their pixel formats.
#pragma once

#include <cstdint>

struct ColorFormat;
struct GraphImage;

// Divides a new texture graphic into pieces and makes their textures. 0/-1.
int CreateGraphicTextures(int32_t graphic);
// Pieces of `graphic` that show the rectangle (x, y, width, height) of
// `parent`'s textures. 0 or -1.
int CreateDerivedGraphicTextures(int32_t graphic, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int32_t parent);
// Deletes every piece of a texture graphic. 0 or -1.
int DeleteGraphicTextures(int32_t graphic);
// Fills the texture of every piece of a graphic with a colour. 0 or -1.
int ForEachGraphicTexture(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a);
// Fills the pieces of a texture graphic from an image (and alpha image). 0/-1.
int UploadImageToTextures(int32_t graphic, const GraphImage* image, const GraphImage* alpha);
// The pixel format of texture format number `kind`, or null.
const ColorFormat* GetTextureColorFormat(int32_t kind);

// Restores the lost texture surfaces of one texture graphic. 0, or -1 for
// a bad graphic.
int RestoreGraphicTextures(int32_t graphic);
// Re-creates the lost texture surfaces of every piece. 0.
int RestoreAllTextures();
