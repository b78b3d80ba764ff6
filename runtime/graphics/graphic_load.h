// Loading graphics from image files: the decoder chain.
#pragma once

struct GraphImage;
struct StreamSource;

// Decodes a stream with the first image loader that takes it. 0, or -1 when
// none does.
int DecodeImageStream(StreamSource* stream, GraphImage* image);
