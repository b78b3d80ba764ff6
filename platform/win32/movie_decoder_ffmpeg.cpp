// The movie decoder over FFmpeg: containers read through our own byte
// sources, the picture decoded in order and converted with libswscale, the
// sound track decoded and resampled with libswresample.
#include "platform/win32/movie_decoder_ffmpeg.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/win32/shared_library_posix.h"

namespace {

// The reading buffer FFmpeg reads the byte source through.
constexpr int kIoBufferBytes = 32 * 1024;
// When the stream gives no usable frame rate: 25 frames a second.
constexpr int64_t kDefaultTimePerFrame = kMovieTimeUnitsPerSecond / 25;
// Frame rates outside these bounds are taken for faults.
constexpr int64_t kMinTimePerFrame = kMovieTimeUnitsPerSecond / 1000;
constexpr int64_t kMaxTimePerFrame = kMovieTimeUnitsPerSecond * 10;
// About 29,000 years in 100-ns units.
constexpr int64_t kMaxMovieTime = int64_t{1} << 62;
// A stream that gives this many packets in a row without a frame (or
// without a sound frame) is taken as ended: no input keeps the decoder
// reading for ever.
constexpr int kMaxPacketsWithoutOutput = 100000;
// Sound tracks of other rates or channel counts are taken for faults.
constexpr int kMaxSoundRate = 1000000;
constexpr int kMaxSoundChannels = 64;
constexpr AVRational kMovieTimeBase = {1, static_cast<int>(kMovieTimeUnitsPerSecond)};

// FFmpeg is loaded at the first movie opened, not at program start (see
// shared_library_posix.h); these are the calls made into it.
#define BRIMAL_FFMPEG_CALLS(X)     \
  X(av_channel_layout_copy)        \
  X(av_channel_layout_default)     \
  X(av_channel_layout_uninit)      \
  X(av_find_best_stream)           \
  X(av_frame_alloc)                \
  X(av_frame_free)                 \
  X(av_frame_unref)                \
  X(av_free)                       \
  X(av_freep)                      \
  X(av_guess_frame_rate)           \
  X(av_log_set_level)              \
  X(av_malloc)                     \
  X(av_packet_alloc)               \
  X(av_packet_free)                \
  X(av_packet_unref)               \
  X(av_read_frame)                 \
  X(av_rescale)                    \
  X(av_rescale_q)                  \
  X(av_seek_frame)                 \
  X(av_strdup)                     \
  X(avcodec_alloc_context3)        \
  X(avcodec_flush_buffers)         \
  X(avcodec_free_context)          \
  X(avcodec_open2)                 \
  X(avcodec_parameters_to_context) \
  X(avcodec_receive_frame)         \
  X(avcodec_send_packet)           \
  X(avformat_alloc_context)        \
  X(avformat_close_input)          \
  X(avformat_find_stream_info)     \
  X(avformat_open_input)           \
  X(avio_alloc_context)            \
  X(avio_context_free)             \
  X(swr_alloc_set_opts2)           \
  X(swr_convert)                   \
  X(swr_free)                      \
  X(swr_get_out_samples)           \
  X(swr_init)                      \
  X(sws_freeContext)               \
  X(sws_getCachedContext)          \
  X(sws_scale)

struct FfmpegCalls {
#define BRIMAL_FFMPEG_CALL(name) decltype(&::name) name = nullptr;
  BRIMAL_FFMPEG_CALLS(BRIMAL_FFMPEG_CALL)
#undef BRIMAL_FFMPEG_CALL
};

FfmpegCalls LoadedFfmpegCalls;

// The calls, once LoadFfmpeg has succeeded.
const FfmpegCalls& Ffmpeg() { return LoadedFfmpegCalls; }

// Loads FFmpeg's libraries once and quiets its own messages (they would go
// to standard error; the runtime reports its failures itself). False when
// they cannot be loaded: no movie opens then, and one line on the standard
// error says why (the runtime sees only a stream it cannot play).
bool LoadFfmpeg() {
  static std::once_flag once;
  static bool loaded = false;
  std::call_once(once, [] {
    std::string failure;
    const char* reason = nullptr;
    FfmpegCalls calls;
    if (!LoadSharedLibraries({BRIMAL_FFMPEG_LIBRARIES}, &reason)) {
      failure = std::string("FFmpeg cannot be loaded: ") + (reason != nullptr ? reason : "");
    } else {
#define BRIMAL_FFMPEG_CALL(name)                                                                  \
  calls.name =                                                                                    \
      reinterpret_cast<decltype(calls.name)>(FindLoadedSymbol({BRIMAL_FFMPEG_LIBRARIES}, #name)); \
  if (calls.name == nullptr && failure.empty()) failure = "FFmpeg lacks " #name;
      BRIMAL_FFMPEG_CALLS(BRIMAL_FFMPEG_CALL)
#undef BRIMAL_FFMPEG_CALL
    }
    if (!failure.empty()) {
      std::fprintf(stderr, "brimal: movies are not played: %s\n", failure.c_str());
      return;
    }
    LoadedFfmpegCalls = calls;
    LoadedFfmpegCalls.av_log_set_level(AV_LOG_QUIET);
    loaded = true;
  });
  return loaded;
}

// ---- Reading through a byte source ----------------------------------------------

struct SourceReader {
  std::unique_ptr<MovieByteSource> source;
  int64_t position = 0;
};

int ReadSource(void* opaque, uint8_t* buffer, int size) {
  auto* reader = static_cast<SourceReader*>(opaque);
  const int got = reader->source->Read(buffer, size);
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  reader->position += got;
  return got;
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
  auto* reader = static_cast<SourceReader*>(opaque);
  const int64_t size = reader->source->Size();
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return size >= 0 ? size : AVERROR(ENOSYS);
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = reader->position;
  } else if (whence == SEEK_END) {
    if (size < 0) return AVERROR(ENOSYS);
    base = size;
  } else if (whence != SEEK_SET) {
    return AVERROR(EINVAL);
  }
  int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return AVERROR(EINVAL);
  if (!reader->source->SeekTo(target)) return AVERROR(EIO);
  reader->position = target;
  return target;
}

// A container may name other files or addresses (playlists, references):
// a movie plays from its own bytes only. Some containers open what they name
// through their own road rather than through io_open, so the container is
// also allowed no protocol at all (see OpenContainer).
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

// An open container: its format context, the I/O context over the reader.
struct Container {
  SourceReader reader;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  // The movie's start, which frame times and sound are counted from.
  int64_t origin = 0;

  Container() = default;
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;
  ~Container() {
    if (format != nullptr) Ffmpeg().avformat_close_input(&format);
    if (io != nullptr) {
      Ffmpeg().av_freep(&io->buffer);
      Ffmpeg().avio_context_free(&io);
    }
  }
};

bool OpenContainer(const MovieSourceMaker& make_source, Container* container) {
  if (!LoadFfmpeg()) return false;
  container->reader.source = make_source ? make_source() : nullptr;
  if (container->reader.source == nullptr) return false;
  auto* buffer = static_cast<uint8_t*>(Ffmpeg().av_malloc(kIoBufferBytes));
  if (buffer == nullptr) return false;
  container->io = Ffmpeg().avio_alloc_context(buffer, kIoBufferBytes, 0, &container->reader,
                                              ReadSource, nullptr, SeekSource);
  if (container->io == nullptr) {
    Ffmpeg().av_free(buffer);
    return false;
  }
  container->format = Ffmpeg().avformat_alloc_context();
  if (container->format == nullptr) return false;
  container->format->pb = container->io;
  container->format->io_open = RefuseNestedOpen;
  container->format->protocol_whitelist = Ffmpeg().av_strdup("none");
  if (container->format->protocol_whitelist == nullptr) return false;
  // No name: the container is told by its contents alone.
  if (Ffmpeg().avformat_open_input(&container->format, "", nullptr, nullptr) < 0) {
    container->format = nullptr;  // freed by the failed open
    return false;
  }
  if (Ffmpeg().avformat_find_stream_info(container->format, nullptr) < 0) return false;
  const int64_t start = container->format->start_time;
  if (start != AV_NOPTS_VALUE) {
    const int64_t origin = Ffmpeg().av_rescale_q(start, AV_TIME_BASE_Q, kMovieTimeBase);
    container->origin = origin == INT64_MIN ? 0 : origin;
  }
  return true;
}

// A stream time stamp as movie time; false when it is missing or out of
// range.
bool ToMovieTime(int64_t stamp, AVRational time_base, int64_t origin, int64_t* time) {
  if (stamp == AV_NOPTS_VALUE || time_base.num <= 0 || time_base.den <= 0) return false;
  const int64_t scaled = Ffmpeg().av_rescale_q(stamp, time_base, kMovieTimeBase);
  if (scaled == INT64_MIN) return false;
  if (__builtin_sub_overflow(scaled, origin, time)) return false;
  // A time beyond any movie's length counts as no time, so later sums of
  // times and frame lengths stay defined.
  return *time >= -kMaxMovieTime && *time <= kMaxMovieTime;
}

struct CodecFree {
  void operator()(AVCodecContext* codec) const { Ffmpeg().avcodec_free_context(&codec); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { Ffmpeg().av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { Ffmpeg().av_packet_free(&packet); }
};
struct ResamplerFree {
  void operator()(SwrContext* resampler) const { Ffmpeg().swr_free(&resampler); }
};

// Opens the decoder of stream `index`; null when FFmpeg lacks it.
std::unique_ptr<AVCodecContext, CodecFree> OpenDecoder(const AVStream* stream, const AVCodec* codec) {
  if (codec == nullptr) return nullptr;
  std::unique_ptr<AVCodecContext, CodecFree> context(Ffmpeg().avcodec_alloc_context3(codec));
  if (context == nullptr) return nullptr;
  if (Ffmpeg().avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) return nullptr;
  // One thread: frames come out the same, in the same order, every run.
  context->thread_count = 1;
  context->max_pixels = static_cast<int64_t>(kMovieMaxSide) * kMovieMaxSide;
  if (Ffmpeg().avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  return context;
}

AVPixelFormat PixelFormatOf(const MoviePixelLayout& layout) {
  struct Known {
    int bits;
    uint32_t red, green, blue;
    AVPixelFormat format;
  };
  static const Known kKnown[] = {
      {16, 0xF800, 0x07E0, 0x001F, AV_PIX_FMT_RGB565LE},
      {16, 0x7C00, 0x03E0, 0x001F, AV_PIX_FMT_RGB555LE},
      {24, 0xFF0000, 0xFF00, 0xFF, AV_PIX_FMT_BGR24},
      {24, 0xFF, 0xFF00, 0xFF0000, AV_PIX_FMT_RGB24},
      {32, 0xFF0000, 0xFF00, 0xFF, AV_PIX_FMT_BGR0},
      {32, 0xFF, 0xFF00, 0xFF0000, AV_PIX_FMT_RGB0},
  };
  for (const Known& known : kKnown) {
    if (known.bits == layout.bits && known.red == layout.red && known.green == layout.green &&
        known.blue == layout.blue) {
      return known.format;
    }
  }
  return AV_PIX_FMT_NONE;
}

// Bytes held in memory, read from a shared copy.
class MemorySource : public MovieByteSource {
 public:
  explicit MemorySource(std::shared_ptr<const std::vector<uint8_t>> bytes)
      : bytes_(std::move(bytes)) {}
  int Read(uint8_t* buffer, int size) override {
    if (size <= 0) return 0;
    const size_t left = bytes_->size() - at_;
    const size_t count = std::min(left, static_cast<size_t>(size));
    if (count > 0) std::memcpy(buffer, bytes_->data() + at_, count);
    at_ += count;
    return static_cast<int>(count);
  }
  bool SeekTo(int64_t offset) override {
    if (offset < 0 || static_cast<uint64_t>(offset) > bytes_->size()) return false;
    at_ = static_cast<size_t>(offset);
    return true;
  }
  int64_t Size() override { return static_cast<int64_t>(bytes_->size()); }

 private:
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  size_t at_ = 0;
};

}  // namespace

std::unique_ptr<MovieByteSource> MakeMemoryMovieSource(
    std::shared_ptr<const std::vector<uint8_t>> bytes) {
  if (bytes == nullptr) return nullptr;
  return std::make_unique<MemorySource>(std::move(bytes));
}

// ---- The picture -----------------------------------------------------------------------

struct MovieDecoder::Picture {
  Container container;
  int stream = -1;
  AVRational time_base{0, 1};
  std::unique_ptr<AVCodecContext, CodecFree> codec;
  std::unique_ptr<AVPacket, PacketFree> packet{Ffmpeg().av_packet_alloc()};
  std::unique_ptr<AVFrame, FrameFree> next{Ffmpeg().av_frame_alloc()};
  std::unique_ptr<AVFrame, FrameFree> current{Ffmpeg().av_frame_alloc()};
  SwsContext* scaler = nullptr;
  bool has_next = false;
  bool has_current = false;
  bool draining = false;
  bool ended = false;
  int64_t next_time = 0;
  int64_t current_time = 0;
  int64_t last_time = -1;  // the time of the last frame decoded

  ~Picture() { Ffmpeg().sws_freeContext(scaler); }
};

MovieDecoder::MovieDecoder() = default;
MovieDecoder::~MovieDecoder() = default;

std::unique_ptr<MovieDecoder> MovieDecoder::Open(const MovieSourceMaker& make_source) {
  if (!LoadFfmpeg()) return nullptr;
  std::unique_ptr<MovieDecoder> decoder(new MovieDecoder);
  decoder->make_source_ = make_source;
  bool read = false;
  decoder->OpenPicture(&read);
  if (!read) return nullptr;
  return decoder;
}

bool MovieDecoder::OpenPicture(bool* container_read) {
  picture_.reset();
  width_ = 0;
  height_ = 0;
  auto picture = std::make_unique<Picture>();
  if (picture->packet == nullptr || picture->next == nullptr || picture->current == nullptr) {
    return false;
  }
  if (!OpenContainer(make_source_, &picture->container)) return false;
  if (container_read != nullptr) *container_read = true;
  AVFormatContext* format = picture->container.format;
  if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
    duration_ = std::max<int64_t>(
        Ffmpeg().av_rescale_q(format->duration, AV_TIME_BASE_Q, kMovieTimeBase), 0);
  }
  const AVCodec* codec = nullptr;
  const int index = Ffmpeg().av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index < 0) return false;
  AVStream* stream = format->streams[index];
  const AVCodecParameters* parameters = stream->codecpar;
  if (parameters->width < 1 || parameters->width > kMovieMaxSide || parameters->height < 1 ||
      parameters->height > kMovieMaxSide) {
    return false;
  }
  picture->codec = OpenDecoder(stream, codec);
  if (picture->codec == nullptr) return false;
  picture->stream = index;
  picture->time_base = stream->time_base;

  time_per_frame_ = kDefaultTimePerFrame;
  const AVRational rate = Ffmpeg().av_guess_frame_rate(format, stream, nullptr);
  if (rate.num > 0 && rate.den > 0) {
    const int64_t step = Ffmpeg().av_rescale(kMovieTimeUnitsPerSecond, rate.den, rate.num);
    if (step >= kMinTimePerFrame && step <= kMaxTimePerFrame) time_per_frame_ = step;
  }
  width_ = parameters->width;
  height_ = parameters->height;
  picture_ = std::move(picture);
  return true;
}

bool MovieDecoder::PeekNextFrame(int64_t* time) {
  if (picture_ == nullptr) return false;
  Picture& p = *picture_;
  int idle_packets = 0;
  while (!p.has_next && !p.ended) {
    const int received = Ffmpeg().avcodec_receive_frame(p.codec.get(), p.next.get());
    if (received == 0) {
      int64_t stamp_time = 0;
      int64_t frame_time = p.last_time < 0 ? 0 : p.last_time + time_per_frame_;
      if (ToMovieTime(p.next->best_effort_timestamp, p.time_base, p.container.origin,
                      &stamp_time)) {
        frame_time = stamp_time;
      }
      // Frame times never go back, and the first is never before the start;
      // nor does one frame jump further ahead than the longest frame time, so
      // a damaged time stamp cannot hold the picture still for hours.
      frame_time = std::max<int64_t>({frame_time, p.last_time, 0});
      if (p.last_time >= 0) frame_time = std::min(frame_time, p.last_time + kMaxTimePerFrame);
      p.next_time = frame_time;
      p.last_time = frame_time;
      p.has_next = true;
      break;
    }
    if (received != AVERROR(EAGAIN) || p.draining || ++idle_packets > kMaxPacketsWithoutOutput) {
      // The end, or a fault the decoder cannot go past.
      p.ended = true;
      break;
    }
    const int read = Ffmpeg().av_read_frame(p.container.format, p.packet.get());
    if (read < 0) {
      // The end of the file (or of what can be read): what the decoder
      // still holds comes out.
      Ffmpeg().avcodec_send_packet(p.codec.get(), nullptr);
      p.draining = true;
      continue;
    }
    if (p.packet->stream_index == p.stream) {
      // A damaged packet is left out; the decoder goes on with the next.
      Ffmpeg().avcodec_send_packet(p.codec.get(), p.packet.get());
    }
    Ffmpeg().av_packet_unref(p.packet.get());
  }
  if (!p.has_next) return false;
  if (time != nullptr) *time = p.next_time;
  return true;
}

void MovieDecoder::TakeNextFrame() {
  if (picture_ == nullptr || !picture_->has_next) return;
  Picture& p = *picture_;
  std::swap(p.current, p.next);
  Ffmpeg().av_frame_unref(p.next.get());
  p.current_time = p.next_time;
  p.has_current = true;
  p.has_next = false;
}

bool MovieDecoder::CurrentFrameTime(int64_t* time) const {
  if (picture_ == nullptr || !picture_->has_current) return false;
  if (time != nullptr) *time = picture_->current_time;
  return true;
}

bool MovieDecoder::ConvertCurrentFrame(uint8_t* pixels, int pitch, int width, int height,
                                       const MoviePixelLayout& layout) {
  if (picture_ == nullptr || !picture_->has_current || pixels == nullptr || width < 1 ||
      height < 1) {
    return false;
  }
  const AVPixelFormat target = PixelFormatOf(layout);
  if (target == AV_PIX_FMT_NONE) return false;
  Picture& p = *picture_;
  const AVFrame* frame = p.current.get();
  if (frame->width < 1 || frame->height < 1) return false;
  p.scaler = Ffmpeg().sws_getCachedContext(
      p.scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), width,
      height, target, SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
  if (p.scaler == nullptr) return false;
  uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
  int pitches[4] = {pitch, 0, 0, 0};
  return Ffmpeg().sws_scale(p.scaler, frame->data, frame->linesize, 0, frame->height, planes,
                            pitches) == height;
}

bool MovieDecoder::Restart() { return OpenPicture(nullptr); }

bool MovieDecoder::SeekTo(int64_t time) {
  if (time <= 0 || picture_ == nullptr) return Restart();
  Picture& p = *picture_;
  // The container's own seek, to the key frame at or before the time; the
  // caller takes the frames from there up to the time. Where the container
  // cannot seek, or lands after the time, the picture is read again from
  // its start instead.
  int64_t target = 0;
  if (!__builtin_add_overflow(time, p.container.origin, &target)) {
    const int64_t stamp = Ffmpeg().av_rescale_q(target, kMovieTimeBase, p.time_base);
    if (stamp != INT64_MIN &&
        Ffmpeg().av_seek_frame(p.container.format, p.stream, stamp, AVSEEK_FLAG_BACKWARD) >= 0) {
      Ffmpeg().avcodec_flush_buffers(p.codec.get());
      Ffmpeg().av_frame_unref(p.next.get());
      p.has_next = false;
      p.draining = false;
      p.ended = false;
      p.last_time = -1;
      int64_t first = 0;
      if (PeekNextFrame(&first) && first <= time) return true;
    }
  }
  return Restart();
}

bool MovieDecoder::LayoutSupported(const MoviePixelLayout& layout) {
  return PixelFormatOf(layout) != AV_PIX_FMT_NONE;
}

// ---- The sound track ------------------------------------------------------------------

std::vector<int16_t> MovieDecoder::DecodeSoundTrack(int rate, size_t max_frames) {
  std::vector<int16_t> stereo;
  if (rate < 1 || rate > kMaxSoundRate || max_frames == 0) return stereo;
  Container container;
  if (!OpenContainer(make_source_, &container)) return stereo;
  const AVCodec* codec = nullptr;
  const int index =
      Ffmpeg().av_find_best_stream(container.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (index < 0) return stereo;
  const AVStream* stream = container.format->streams[index];
  const std::unique_ptr<AVCodecContext, CodecFree> decoder = OpenDecoder(stream, codec);
  const std::unique_ptr<AVPacket, PacketFree> packet(Ffmpeg().av_packet_alloc());
  const std::unique_ptr<AVFrame, FrameFree> frame(Ffmpeg().av_frame_alloc());
  if (decoder == nullptr || packet == nullptr || frame == nullptr) return stereo;

  std::unique_ptr<SwrContext, ResamplerFree> resampler;
  // The source's layout the resampler was made for: a change ends the track.
  int source_rate = 0;
  int source_format = -1;
  int source_channels = 0;
  std::vector<int16_t> piece;
  const auto append = [&](const uint8_t* const* data, int count) {
    const int room = Ffmpeg().swr_get_out_samples(resampler.get(), count);
    if (room <= 0) return;
    piece.resize(static_cast<size_t>(room) * 2);
    uint8_t* out = reinterpret_cast<uint8_t*>(piece.data());
    const int made =
        Ffmpeg().swr_convert(resampler.get(), &out, room, const_cast<const uint8_t**>(data), count);
    if (made <= 0) return;
    const size_t take = std::min(static_cast<size_t>(made), max_frames - stereo.size() / 2);
    stereo.insert(stereo.end(), piece.begin(), piece.begin() + static_cast<ptrdiff_t>(take * 2));
  };
  // Takes one decoded frame; false when the track must end here.
  const auto take_frame = [&]() {
    AVChannelLayout layout{};
    if (frame->ch_layout.nb_channels < 1 || frame->ch_layout.nb_channels > kMaxSoundChannels ||
        frame->sample_rate < 1 || frame->sample_rate > kMaxSoundRate) {
      return false;
    }
    if (resampler == nullptr) {
      if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        Ffmpeg().av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
      } else if (Ffmpeg().av_channel_layout_copy(&layout, &frame->ch_layout) < 0) {
        return false;
      }
      AVChannelLayout out_layout = AV_CHANNEL_LAYOUT_STEREO;
      SwrContext* made = nullptr;
      const int set = Ffmpeg().swr_alloc_set_opts2(
          &made, &out_layout, AV_SAMPLE_FMT_S16, rate, &layout,
          static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
      Ffmpeg().av_channel_layout_uninit(&layout);
      resampler.reset(made);
      if (set < 0 || Ffmpeg().swr_init(resampler.get()) < 0) {
        resampler.reset();
        return false;
      }
      source_rate = frame->sample_rate;
      source_format = frame->format;
      source_channels = frame->ch_layout.nb_channels;
      // A track that starts after the movie starts is preceded by silence.
      int64_t start = 0;
      if (ToMovieTime(frame->best_effort_timestamp, stream->time_base, container.origin,
                      &start) &&
          start > 0) {
        const int64_t silence = Ffmpeg().av_rescale(start, rate, kMovieTimeUnitsPerSecond);
        stereo.assign(static_cast<size_t>(std::min<int64_t>(silence, static_cast<int64_t>(max_frames))) * 2, 0);
      }
    } else if (frame->sample_rate != source_rate || frame->format != source_format ||
               frame->ch_layout.nb_channels != source_channels) {
      return false;
    }
    append(frame->extended_data, frame->nb_samples);
    return stereo.size() / 2 < max_frames;
  };

  bool draining = false;
  bool going = true;
  int idle_packets = 0;
  while (going) {
    const int received = Ffmpeg().avcodec_receive_frame(decoder.get(), frame.get());
    if (received == 0) {
      idle_packets = 0;
      going = take_frame();
      Ffmpeg().av_frame_unref(frame.get());
      continue;
    }
    if (received != AVERROR(EAGAIN) || draining || ++idle_packets > kMaxPacketsWithoutOutput) break;
    if (Ffmpeg().av_read_frame(container.format, packet.get()) < 0) {
      Ffmpeg().avcodec_send_packet(decoder.get(), nullptr);
      draining = true;
      continue;
    }
    if (packet->stream_index == index) Ffmpeg().avcodec_send_packet(decoder.get(), packet.get());
    Ffmpeg().av_packet_unref(packet.get());
  }
  // What the resampler still holds.
  if (resampler != nullptr && stereo.size() / 2 < max_frames) append(nullptr, 0);
  return stereo;
}
