#include "tools/sample_data/encoders.h"

#include <png.h>
#include <vorbis/vorbisenc.h>

#include <cstring>

namespace {

void PutU16(Bytes* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(Bytes* out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void PutText(Bytes* out, const char* text) { out->insert(out->end(), text, text + std::strlen(text)); }

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

void AppendPage(Bytes* out, const ogg_page& page) {
  out->insert(out->end(), page.header, page.header + page.header_len);
  out->insert(out->end(), page.body, page.body + page.body_len);
}

}  // namespace

Bytes EncodePng(const Canvas& canvas) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return {};
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return {};
  }
  std::vector<png_bytep> rows(canvas.height());
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, canvas.width(), canvas.height(), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  auto* pixels = const_cast<uint8_t*>(canvas.rgb().data());
  for (int y = 0; y < canvas.height(); ++y) rows[y] = pixels + static_cast<size_t>(y) * canvas.width() * 3;
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodeBmp(const Canvas& canvas) {
  const uint32_t stride = (static_cast<uint32_t>(canvas.width()) * 3 + 3) & ~3u;
  const uint32_t image_bytes = stride * canvas.height();
  Bytes out;
  // BITMAPFILEHEADER
  PutText(&out, "BM");
  PutU32(&out, 14 + 40 + image_bytes);
  PutU32(&out, 0);
  PutU32(&out, 14 + 40);
  // BITMAPINFOHEADER
  PutU32(&out, 40);
  PutU32(&out, canvas.width());
  PutU32(&out, canvas.height());  // positive: bottom-up rows
  PutU16(&out, 1);
  PutU16(&out, 24);
  PutU32(&out, 0);  // uncompressed
  PutU32(&out, image_bytes);
  PutU32(&out, 2835);  // 72 dots per inch
  PutU32(&out, 2835);
  PutU32(&out, 0);
  PutU32(&out, 0);
  for (int y = canvas.height() - 1; y >= 0; --y) {
    const size_t row_start = out.size();
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb c = canvas.Get(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    out.resize(row_start + stride, 0);
  }
  return out;
}

Bytes EncodeWav(const std::vector<int16_t>& samples, int rate, int channels) {
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  Bytes out;
  PutText(&out, "RIFF");
  PutU32(&out, 4 + 8 + 16 + 8 + data_bytes);
  PutText(&out, "WAVE");
  PutText(&out, "fmt ");
  PutU32(&out, 16);
  PutU16(&out, 1);  // PCM
  PutU16(&out, channels);
  PutU32(&out, rate);
  PutU32(&out, rate * channels * 2);
  PutU16(&out, channels * 2);
  PutU16(&out, 16);
  PutText(&out, "data");
  PutU32(&out, data_bytes);
  for (int16_t s : samples) PutU16(&out, static_cast<uint16_t>(s));
  return out;
}

Bytes EncodeOggVorbis(const std::vector<int16_t>& samples, int rate, int channels, int serial,
                      float quality, std::string* error) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
    vorbis_info_clear(&vi);
    *error = "the Vorbis encoder refused the format";
    return {};
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);

  Bytes out;
  ogg_page page;
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&vd, &vc, &header, &header_comment, &header_code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &header_comment);
  ogg_stream_packetin(&os, &header_code);
  // The headers end on a page of their own, so audio starts on a fresh page.
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(&out, page);

  const size_t frames = samples.size() / channels;
  constexpr size_t kChunk = 1024;
  size_t done = 0;
  bool ended = false;
  while (!ended) {
    const size_t n = std::min(kChunk, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
          buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) {
          AppendPage(&out, page);
          if (ogg_page_eos(&page) != 0) ended = true;
        }
      }
    }
    if (n == 0) ended = true;
  }
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(&out, page);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}
