// The decoding side of the multimedia-stream stand-in, over FFmpeg's
// libraries: a movie's picture decoded frame by frame in order and converted
// into a surface's pixel layout, and its whole sound track decoded into
// 16-bit stereo. Nothing here knows the Windows-named interfaces (dshow.cpp
// holds those), and this header includes no FFmpeg header.
//
// Times are in 100-nanosecond units from the start of the movie (the
// container's start time): frame times and the sound track share that origin.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

constexpr int64_t kMovieTimeUnitsPerSecond = 10000000;
// Pictures wider or taller than this are not played (nor are empty ones).
constexpr int kMovieMaxSide = 4096;

// Where a movie's bytes come from.
class MovieByteSource {
 public:
  virtual ~MovieByteSource() = default;
  // Reads up to `size` bytes at the current position: the count read, 0 at
  // the end, -1 on failure.
  virtual int Read(uint8_t* buffer, int size) = 0;
  // Moves to `offset` bytes from the start; false when it cannot.
  virtual bool SeekTo(int64_t offset) = 0;
  // The length in bytes, -1 when not known.
  virtual int64_t Size() = 0;
};

// Makes a new reader of the same bytes, positioned at the start (the
// decoder reads the picture and the sound track through separate readers);
// null when the bytes cannot be read.
using MovieSourceMaker = std::function<std::unique_ptr<MovieByteSource>()>;

// Bytes held in memory.
std::unique_ptr<MovieByteSource> MakeMemoryMovieSource(std::shared_ptr<const std::vector<uint8_t>> bytes);

// An RGB pixel layout of a surface: bits per pixel and channel masks, the
// pixel stored little-endian.
struct MoviePixelLayout {
  int bits = 0;
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
};

class MovieDecoder {
 public:
  ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  // Opens the bytes as a movie container: null when FFmpeg does not read
  // them as one. A container whose picture cannot be decoded (no video
  // stream, a codec FFmpeg lacks, a size of 0 or beyond kMovieMaxSide) opens
  // with no picture: Width and Height are 0.
  static std::unique_ptr<MovieDecoder> Open(const MovieSourceMaker& make_source);

  bool HasPicture() const { return width_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The time from one frame to the next (from the stream's frame rate).
  int64_t TimePerFrame() const { return time_per_frame_; }
  // The container's length; 0 when it gives none.
  int64_t Duration() const { return duration_; }

  // Decodes ahead to the next frame and gives its time; false when the
  // picture has ended (at its end, or at a fault in the stream).
  bool PeekNextFrame(int64_t* time);
  // Makes the frame PeekNextFrame found the current frame.
  void TakeNextFrame();
  // The current frame's time; false before the first frame.
  bool CurrentFrameTime(int64_t* time) const;
  // Converts the current frame into `width` x `height` pixels of `layout`
  // (`pitch` bytes a row), scaled when the frame's own size differs; false
  // when there is no current frame or the layout is not supported.
  bool ConvertCurrentFrame(uint8_t* pixels, int pitch, int width, int height,
                           const MoviePixelLayout& layout);
  // Back to the first frame (the stream is read again from its start).
  bool Restart();
  // To `time`: the frames that follow start at or before it (the frame of
  // that time is among them, unless the picture ends before).
  bool SeekTo(int64_t time);

  // The whole sound track as interleaved 16-bit stereo at `rate` Hz,
  // silence where it starts after the movie's start, at most `max_frames`
  // frames. Empty when the movie has no sound track FFmpeg decodes.
  std::vector<int16_t> DecodeSoundTrack(int rate, size_t max_frames);

  static bool LayoutSupported(const MoviePixelLayout& layout);

 private:
  struct Picture;
  MovieDecoder();
  // Opens the container again and its picture's decoder; `container_read`
  // (may be null) tells whether the bytes were read as a container at all.
  bool OpenPicture(bool* container_read);

  MovieSourceMaker make_source_;
  std::unique_ptr<Picture> picture_;
  int width_ = 0;
  int height_ = 0;
  int64_t time_per_frame_ = 0;
  int64_t duration_ = 0;
};
