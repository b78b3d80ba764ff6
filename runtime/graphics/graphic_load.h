// Loading graphics from image files: the decoder chain.
#pragma once

struct GraphImage;
struct StreamSource;

// Decodes a stream with the first image loader that takes it. 0, or -1 when
// none does.
int DecodeImageStream(StreamSource* stream, GraphImage* image);

// Restores the screen surfaces and every graphic (the window is active
// again). 0.
int RestoreAllGraphics();
// 1 when a graphics restore handler is registered, else 0.
int HasGraphicRestoreHandler();
