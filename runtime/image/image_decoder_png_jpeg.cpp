// The PNG and JPEG loaders: the runtime's streams fed to libpng and libjpeg,
// and the libraries' rows turned into a GraphImage.
//
// Both libraries report errors by jumping back to the loader (setjmp), so
// what a load owns lives in a block of the tracking allocator reached through
// a pointer that does not change after the jump point, and is freed on both
// ways out.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "runtime/core/file_access.h"
#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder.h"
#include "runtime/image/image_decoder_internal.h"
#include "runtime/image/png_plain_decode.h"

// After the runtime's headers: libjpeg defines TRUE and FALSE as macros.
#include <png.h>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

// ---- PNG ------------------------------------------------------------------------------

namespace {

// What the read callback needs: the stream and where it ends.
struct PngReaderContext {
  StreamSource* stream;
  int64_t end;  // the stream's length when the reader was installed
};

// Reads `length` bytes for libpng; a stream that holds fewer raises a libpng
// error.
void PngReadCallback(png_structp png, png_bytep buffer, size_t length) {
  auto* reader = static_cast<PngReaderContext*>(png_get_io_ptr(png));
  StreamSource* const stream = reader->stream;
  const int64_t left = reader->end - stream->functions.Tell(stream->handle);
  if (left < 0 || static_cast<uint64_t>(left) < length ||
      stream->functions.Read(buffer, 1, length, stream->handle) != length)
    png_error(png, "Read Error");
}

void SetPngStreamReader(png_structp png, PngReaderContext* reader, StreamSource* stream) {
  reader->stream = stream;
  const int64_t start = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, 0, 2);
  reader->end = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, start, 0);
  png_set_read_fn(png, reader, PngReadCallback);
}

// libpng's messages are not shown: a refused file is the loader's -1 (and
// the log line of whoever asked for the file). An error jumps back to the
// loader.
void PngQuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngQuietWarning(png_structp, png_const_charp) {}

struct PngLoad {
  png_structp png;
  png_infop info;
  PngReaderContext reader;
  uint8_t* pixels;
  png_bytep* rows;
};

int EndPngLoad(PngLoad* load, int result) {
  png_destroy_read_struct(&load->png, load->info != nullptr ? &load->info : nullptr, nullptr);
  FreeTracked(load->rows);
  FreeTracked(load->pixels);
  FreeTracked(load);
  return result;
}

// The format of decoded 8-bit RGB rows; with alpha, 32 bits a pixel with
// the alpha byte on top.
void SetPngRgbColorFormat(ColorFormat* format, bool with_alpha) {
  SetRgb888ColorFormat(format);
  if (!with_alpha) return;
  format->bit_depth = 32;
  format->bytes_per_pixel = 4;
  format->alpha_width = 8;
  format->alpha_shift = 24;
  format->alpha_mask = 0xFF000000u;
}

// The image of the quick road's result, with the format the libpng road
// gives the same file.
void TakePlainPng(PlainPng* plain, GraphImage* image) {
  ColorFormat format{};
  if (plain->color_type == 3) {
    SetPalette8ColorFormat(&format);
    for (int i = 0; i < plain->palette_entries; ++i) {
      const uint8_t* rgb = plain->palette + 3 * i;
      format.palette[i] = ColorPaletteEntry{rgb[2], rgb[1], rgb[0], 0};
    }
  } else {
    SetPngRgbColorFormat(&format, plain->color_type == 6);
  }
  image->format = format;
  image->width = static_cast<int32_t>(plain->width);
  image->height = static_cast<int32_t>(plain->height);
  image->pitch = static_cast<int32_t>(plain->row_bytes);
  image->pixels = plain->pixels;
  plain->pixels = nullptr;
}

// Files up to this size are read whole for the quick road.
constexpr int64_t kPlainPngMostBytes = 64 << 20;

}  // namespace

// A file of the plain kinds is read whole and decoded on the quick road
// (png_plain_decode.h); the stream is put back and libpng reads any other.
int LoadPngImage(StreamSource* stream, GraphImage* image) {
  const int64_t start = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, 0, 2);
  const int64_t size = stream->functions.Tell(stream->handle) - start;
  stream->functions.Seek(stream->handle, start, 0);
  if (size > 0 && size <= kPlainPngMostBytes) {
    auto* file = static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(size), __FILE__, __LINE__));
    if (file != nullptr) {
      PlainPng plain;
      const bool read = stream->functions.Read(file, 1, static_cast<size_t>(size),
                                               stream->handle) == static_cast<size_t>(size);
      const bool decoded = read && DecodePlainPng(file, static_cast<size_t>(size), &plain);
      FreeTracked(file);
      if (decoded) {
        // The palette check of the libpng road: every index names an entry.
        bool indexes_named = true;
        if (plain.color_type == 3) {
          const size_t all = plain.row_bytes * plain.height;
          for (size_t i = 0; i < all && indexes_named; ++i) {
            indexes_named = plain.pixels[i] < plain.palette_entries;
          }
        }
        if (!indexes_named) {
          FreeTracked(plain.pixels);
          return -1;
        }
        TakePlainPng(&plain, image);
        return 0;
      }
      stream->functions.Seek(stream->handle, start, 0);
    }
  }
  return LoadPngImageWithLibpng(stream, image);
}

int LoadPngImageWithLibpng(StreamSource* stream, GraphImage* image) {
  PngLoad* const load =
      static_cast<PngLoad*>(AllocTrackedCleared(sizeof(PngLoad), __FILE__, __LINE__));
  if (load == nullptr) return -1;
  load->png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngQuietError, PngQuietWarning);
  if (load->png == nullptr) return EndPngLoad(load, -1);
  load->info = png_create_info_struct(load->png);
  if (load->info == nullptr) return EndPngLoad(load, -1);
  if (setjmp(png_jmpbuf(load->png))) return EndPngLoad(load, -1);

  png_structp png = load->png;
  png_infop info = load->info;
  SetPngStreamReader(png, &load->reader, stream);
  png_set_sig_bytes(png, 0);
  png_set_user_limits(png, kImageMaxSide, kImageMaxSide);
  // The chunks whose readers reserve the length their header gives before
  // reading it (text, palettes of suggestions, profiles, metadata) are
  // skipped: a few bytes could ask for gigabytes, and no picture needs them.
  static const png_byte kSkippedChunks[] =
      "tEXt\0zTXt\0iTXt\0sPLT\0eXIf\0iCCP\0pCAL\0sCAL";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, 8);
  png_read_info(png, info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int color_type = 0;
  int interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bit_depth, &color_type, &interlace, nullptr, nullptr);
  if (!ImageSizeAccepted(width, height)) return EndPngLoad(load, -1);
  // The compressed data left in the file must be able to give the picture's
  // rows (each with its filter byte) before they are reserved: deflate packs
  // at most 1032 bytes into one.
  constexpr int64_t kDeflateMostPerByte = 1032;
  const int64_t raw_bytes = (static_cast<int64_t>(png_get_rowbytes(png, info)) + 1) * height;
  const int64_t left = load->reader.end - stream->functions.Tell(stream->handle);
  if (raw_bytes > kDeflateMostPerByte * left) return EndPngLoad(load, -1);

  png_set_strip_16(png);
  png_set_packing(png);
  png_set_packswap(png);
  bool expanded = false;
  if ((color_type == PNG_COLOR_TYPE_GRAY && bit_depth <= 8) ||
      png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    png_set_expand(png);
    expanded = true;
  }
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const size_t row_bytes = png_get_rowbytes(png, info);
  const int channels = png_get_channels(png, info);
  const int64_t block_bytes = static_cast<int64_t>(row_bytes) * height;
  if (row_bytes < width || block_bytes > INT32_MAX) return EndPngLoad(load, -1);
  load->pixels =
      static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(block_bytes), __FILE__, __LINE__));
  load->rows =
      static_cast<png_bytep*>(AllocTracked(sizeof(png_bytep) * height, __FILE__, __LINE__));
  if (load->pixels == nullptr || load->rows == nullptr) return EndPngLoad(load, -1);
  for (png_uint_32 y = 0; y < height; ++y) load->rows[y] = load->pixels + row_bytes * y;
  png_read_image(png, load->rows);
  png_read_end(png, nullptr);

  ColorFormat format{};
  if (color_type == PNG_COLOR_TYPE_PALETTE && !expanded) {
    SetPalette8ColorFormat(&format);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) == 0) entries = 0;
    for (int i = 0; i < entries && i < 256; ++i)
      format.palette[i] = ColorPaletteEntry{palette[i].blue, palette[i].green, palette[i].red, 0};
    // Every index must name an entry of the file's palette.
    for (png_uint_32 y = 0; y < height; ++y)
      for (png_uint_32 x = 0; x < width; ++x)
        if (load->rows[y][x] >= entries) return EndPngLoad(load, -1);
  } else if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (row_bytes >= 2 * static_cast<size_t>(width)) {
      // Grey then alpha: the grey byte is read as all three channels and the
      // alpha byte is in no channel.
      format.bit_depth = 16;
      format.bytes_per_pixel = 2;
      format.red_width = format.green_width = format.blue_width = 8;
      format.red_mask = format.green_mask = format.blue_mask = 0xFF;
      format.spare_mask = 0xFF00;
      format.spare_shift = 8;
      format.spare_width = 8;
    } else {
      SetGray8ColorFormat(&format);
    }
  } else {
    SetPngRgbColorFormat(&format, channels == 4);
  }

  image->format = format;
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pitch = static_cast<int32_t>(row_bytes);
  image->pixels = load->pixels;
  load->pixels = nullptr;
  return EndPngLoad(load, 0);
}

// ---- JPEG -----------------------------------------------------------------------------

namespace {

constexpr size_t kJpegInputBufferSize = 4096;

// libjpeg's source manager first, then the stream it reads.
struct JpegStreamSource {
  jpeg_source_mgr pub;
  StreamSource* stream;
  int64_t end;  // the stream's length when the source was set
  boolean start_of_file;
  JOCTET* buffer;
};

struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void JpegInitSource(j_decompress_ptr cinfo) {
  reinterpret_cast<JpegStreamSource*>(cinfo->src)->start_of_file = TRUE;
}

boolean JpegFillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegStreamSource*>(cinfo->src);
  StreamSource* const stream = source->stream;
  const int64_t left = source->end - stream->functions.Tell(stream->handle);
  size_t bytes = left <= 0                                           ? 0
                 : left < static_cast<int64_t>(kJpegInputBufferSize) ? static_cast<size_t>(left)
                                                                     : kJpegInputBufferSize;
  if (bytes > 0) bytes = stream->functions.Read(source->buffer, 1, bytes, stream->handle);
  if (bytes == 0) {
    if (source->start_of_file) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    bytes = 2;
  }
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = bytes;
  source->start_of_file = FALSE;
  return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long count) {
  auto* source = reinterpret_cast<JpegStreamSource*>(cinfo->src);
  if (count <= 0) return;
  while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
    count -= static_cast<long>(source->pub.bytes_in_buffer);
    JpegFillInputBuffer(cinfo);
  }
  source->pub.next_input_byte += count;
  source->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void JpegTermSource(j_decompress_ptr) {}

// libjpeg's messages are not shown, as with libpng.
void JpegQuietMessage(j_common_ptr) {}

void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

struct JpegLoad {
  jpeg_decompress_struct cinfo;
  JpegErrorManager error;
  uint8_t* pixels;
};

int EndJpegLoad(JpegLoad* load, int result) {
  jpeg_destroy_decompress(&load->cinfo);
  FreeTracked(load->pixels);
  FreeTracked(load);
  return result;
}

void SetJpegStreamSource(j_decompress_ptr cinfo, StreamSource* stream) {
  if (cinfo->src == nullptr) {
    auto* source = static_cast<JpegStreamSource*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegStreamSource)));
    source->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegInputBufferSize));
    cinfo->src = &source->pub;
  }
  auto* source = reinterpret_cast<JpegStreamSource*>(cinfo->src);
  source->pub.init_source = JpegInitSource;
  source->pub.fill_input_buffer = JpegFillInputBuffer;
  source->pub.skip_input_data = JpegSkipInputData;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = JpegTermSource;
  source->stream = stream;
  const int64_t start = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, 0, 2);
  source->end = stream->functions.Tell(stream->handle);
  stream->functions.Seek(stream->handle, start, 0);
  source->pub.bytes_in_buffer = 0;
  source->pub.next_input_byte = nullptr;
}

}  // namespace

int LoadJpegImage(StreamSource* stream, GraphImage* image) {
  JpegLoad* const load =
      static_cast<JpegLoad*>(AllocTrackedCleared(sizeof(JpegLoad), __FILE__, __LINE__));
  if (load == nullptr) return -1;
  j_decompress_ptr cinfo = &load->cinfo;
  cinfo->err = jpeg_std_error(&load->error.pub);
  load->error.pub.error_exit = JpegErrorExit;
  load->error.pub.output_message = JpegQuietMessage;
  if (setjmp(load->error.jump)) return EndJpegLoad(load, -1);

  jpeg_create_decompress(cinfo);
  SetJpegStreamSource(cinfo, stream);
  jpeg_read_header(cinfo, TRUE);
  // Grey and colour pictures only (no CMYK); within the size limit.
  if ((cinfo->out_color_space != JCS_GRAYSCALE && cinfo->out_color_space != JCS_RGB) ||
      !ImageSizeAccepted(cinfo->image_width, cinfo->image_height))
    return EndJpegLoad(load, -1);
  // Arithmetic coding is not a coding the library of this format reads.
  if (cinfo->arith_code) return EndJpegLoad(load, -1);
  // Every 8 x 8 block of the sharpest component costs at least one bit of
  // the data left in the file: a file that cannot hold them is not decoded
  // (nor is the picture reserved). A file cut short that can is decoded as
  // far as its data goes.
  const auto* source = reinterpret_cast<const JpegStreamSource*>(cinfo->src);
  const int64_t consumed =
      stream->functions.Tell(stream->handle) - static_cast<int64_t>(source->pub.bytes_in_buffer);
  const int64_t blocks = (int64_t{cinfo->image_width} + 7) / 8 * ((int64_t{cinfo->image_height} + 7) / 8);
  if (blocks > 8 * (source->end - consumed)) return EndJpegLoad(load, -1);
  jpeg_start_decompress(cinfo);

  const int components = cinfo->output_components;
  const int64_t row_bytes = int64_t{cinfo->output_width} * components;
  if ((components != 1 && components != 3) || row_bytes * cinfo->output_height > INT32_MAX)
    return EndJpegLoad(load, -1);
  JSAMPARRAY sample = (*cinfo->mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, static_cast<JDIMENSION>(row_bytes), 1);
  load->pixels = static_cast<uint8_t*>(
      AllocTracked(static_cast<size_t>(row_bytes * cinfo->output_height), __FILE__, __LINE__));
  if (load->pixels == nullptr) return EndJpegLoad(load, -1);

  while (cinfo->output_scanline < cinfo->output_height) {
    uint8_t* const out = load->pixels + row_bytes * cinfo->output_scanline;
    if (jpeg_read_scanlines(cinfo, sample, 1) != 1) return EndJpegLoad(load, -1);
    if (components == 1) {
      std::memcpy(out, sample[0], static_cast<size_t>(row_bytes));
    } else {
      for (int64_t i = 0; i < row_bytes; i += 3) {
        out[i] = sample[0][i + 2];
        out[i + 1] = sample[0][i + 1];
        out[i + 2] = sample[0][i];
      }
    }
  }
  jpeg_finish_decompress(cinfo);

  ColorFormat format{};
  if (components == 3) {
    SetRgb888ColorFormat(&format);
  } else {
    SetGray8ColorFormat(&format);
  }
  image->format = format;
  image->width = static_cast<int32_t>(cinfo->output_width);
  image->height = static_cast<int32_t>(cinfo->output_height);
  image->pitch = static_cast<int32_t>(row_bytes);
  image->pixels = load->pixels;
  load->pixels = nullptr;
  return EndJpegLoad(load, 0);
}
