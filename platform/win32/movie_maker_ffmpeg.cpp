// Test movies made with libavcodec's encoders and libavformat's muxers into
// memory: MPEG-1 and MPEG-1 layer II in a program stream, Motion JPEG and
// PCM in AVI.
#include "platform/win32/movie_maker_ffmpeg.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int kIoBufferBytes = 32 * 1024;
// Samples of a PCM sound frame (PCM encoders take frames of any length).
constexpr int kPcmFrameSamples = 1024;
constexpr double kToneAmplitude = 0.5 * 32767.0;
// Encoder quality: a low quantiser, so flat colours come back close.
constexpr int kQuantiser = 2;
constexpr int64_t kVideoBitRate = 4000000;
constexpr int64_t kMp2BitRate = 192000;

// A seekable output into a byte vector (the AVI muxer goes back to its
// header at the end).
struct MemoryOut {
  std::vector<uint8_t>* bytes;
  int64_t at = 0;
};

int WriteOut(void* opaque, uint8_t* buffer, int size) {
  auto* out = static_cast<MemoryOut*>(opaque);
  const size_t end = static_cast<size_t>(out->at) + static_cast<size_t>(size);
  if (out->bytes->size() < end) out->bytes->resize(end);
  std::memcpy(out->bytes->data() + out->at, buffer, static_cast<size_t>(size));
  out->at = static_cast<int64_t>(end);
  return size;
}

int64_t SeekOut(void* opaque, int64_t offset, int whence) {
  auto* out = static_cast<MemoryOut*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return static_cast<int64_t>(out->bytes->size());
  int64_t target = offset;
  if (whence == SEEK_CUR) target += out->at;
  if (whence == SEEK_END) target += static_cast<int64_t>(out->bytes->size());
  if (target < 0) return AVERROR(EINVAL);
  out->at = target;
  return target;
}

struct Muxing {
  AVFormatContext* format = nullptr;
  AVIOContext* io = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* video_stream = nullptr;
  AVStream* sound_stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  ~Muxing() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&video);
    avcodec_free_context(&sound);
    avformat_free_context(format);
    if (io != nullptr) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

// Sends `frame` (null: the end) to `codec` and writes what comes out.
bool Encode(Muxing& m, AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
  if (avcodec_send_frame(codec, frame) < 0) return false;
  for (;;) {
    const int got = avcodec_receive_packet(codec, m.packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    av_packet_rescale_ts(m.packet, codec->time_base, stream->time_base);
    m.packet->stream_index = stream->index;
    if (av_interleaved_write_frame(m.format, m.packet) < 0) return false;
  }
}

AVCodecContext* OpenEncoder(Muxing& m, AVCodecID id, AVStream** stream) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (codec == nullptr) return nullptr;
  *stream = avformat_new_stream(m.format, nullptr);
  if (*stream == nullptr) return nullptr;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  if (context == nullptr) return nullptr;
  context->thread_count = 1;
  context->flags |= AV_CODEC_FLAG_BITEXACT;
  if ((m.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  return context;
}

bool FillPicture(Muxing& m, const TestMovieSpec& spec, uint32_t colour) {
  std::vector<uint8_t> rgb(static_cast<size_t>(spec.width) * spec.height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = static_cast<uint8_t>(colour >> 16);
    rgb[i + 1] = static_cast<uint8_t>(colour >> 8);
    rgb[i + 2] = static_cast<uint8_t>(colour);
  }
  if (av_frame_make_writable(m.frame) < 0) return false;
  const uint8_t* planes[1] = {rgb.data()};
  const int pitches[1] = {spec.width * 3};
  return sws_scale(m.scaler, planes, pitches, 0, spec.height, m.frame->data, m.frame->linesize) ==
         spec.height;
}

}  // namespace

bool MakeTestMovie(const TestMovieSpec& spec, std::vector<uint8_t>* bytes) {
  bytes->clear();
  av_log_set_level(AV_LOG_QUIET);
  if (spec.width < 1 || spec.height < 1 || spec.frames_per_second < 1) return false;
  const bool mpeg = spec.kind == TestMovieKind::kMpegProgram;
  Muxing m;
  if (avformat_alloc_output_context2(&m.format, nullptr, mpeg ? "mpeg" : "avi", nullptr) < 0) {
    return false;
  }
  m.format->flags |= AVFMT_FLAG_BITEXACT;
  MemoryOut out{bytes};
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
  if (buffer == nullptr) return false;
  m.io = avio_alloc_context(buffer, kIoBufferBytes, 1, &out, nullptr, WriteOut, SeekOut);
  if (m.io == nullptr) {
    av_free(buffer);
    return false;
  }
  m.format->pb = m.io;
  m.packet = av_packet_alloc();
  m.frame = av_frame_alloc();
  if (m.packet == nullptr || m.frame == nullptr) return false;

  // The picture.
  m.video = OpenEncoder(m, mpeg ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MJPEG, &m.video_stream);
  if (m.video == nullptr) return false;
  m.video->width = spec.width;
  m.video->height = spec.height;
  m.video->time_base = {1, spec.frames_per_second};
  m.video->framerate = {spec.frames_per_second, 1};
  m.video->pix_fmt = mpeg ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUVJ420P;
  m.video->color_range = mpeg ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
  m.video->gop_size = 12;
  m.video->max_b_frames = 0;
  m.video->bit_rate = kVideoBitRate;
  m.video->flags |= AV_CODEC_FLAG_QSCALE;
  m.video->global_quality = FF_QP2LAMBDA * kQuantiser;
  if (avcodec_open2(m.video, m.video->codec, nullptr) < 0) return false;
  if (avcodec_parameters_from_context(m.video_stream->codecpar, m.video) < 0) return false;
  m.video_stream->time_base = m.video->time_base;
  m.scaler = sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width, spec.height,
                            m.video->pix_fmt, SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT,
                            nullptr, nullptr, nullptr);
  if (m.scaler == nullptr) return false;

  // The sound.
  if (spec.sound_rate > 0) {
    m.sound = OpenEncoder(m, mpeg ? AV_CODEC_ID_MP2 : AV_CODEC_ID_PCM_S16LE, &m.sound_stream);
    if (m.sound == nullptr) return false;
    m.sound->sample_fmt = AV_SAMPLE_FMT_S16;
    m.sound->sample_rate = spec.sound_rate;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (av_channel_layout_copy(&m.sound->ch_layout, &stereo) < 0) return false;
    m.sound->time_base = {1, spec.sound_rate};
    if (mpeg) m.sound->bit_rate = kMp2BitRate;
    if (avcodec_open2(m.sound, m.sound->codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(m.sound_stream->codecpar, m.sound) < 0) return false;
    m.sound_stream->time_base = m.sound->time_base;
  }
  if (avformat_write_header(m.format, nullptr) < 0) return false;

  std::unique_ptr<AVFrame, void (*)(AVFrame*)> sound_frame_owner(
      av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
  AVFrame* const sound = sound_frame_owner.get();
  if (sound == nullptr) return false;
  m.frame->format = m.video->pix_fmt;
  m.frame->width = spec.width;
  m.frame->height = spec.height;
  if (av_frame_get_buffer(m.frame, 0) < 0) return false;

  const int sound_frame = m.sound == nullptr ? 0
                          : m.sound->frame_size > 0 ? m.sound->frame_size
                                                    : kPcmFrameSamples;
  int64_t samples_done = 0;
  const int frame_count = static_cast<int>(spec.frame_colours.size());
  const int64_t samples_total =
      spec.sound_rate > 0 ? int64_t{frame_count} * spec.sound_rate / spec.frames_per_second : 0;
  for (int k = 0; k < frame_count; ++k) {
    if (!FillPicture(m, spec, spec.frame_colours[static_cast<size_t>(k)])) return false;
    m.frame->pts = k;
    if (!Encode(m, m.video, m.video_stream, m.frame)) return false;
    // The sound up to the end of this frame, in whole sound frames (the last
    // one made up with silence).
    const int64_t until = int64_t{k + 1} * spec.sound_rate / spec.frames_per_second;
    while (m.sound != nullptr && samples_done < until) {
      av_frame_unref(sound);
      sound->format = AV_SAMPLE_FMT_S16;
      sound->sample_rate = spec.sound_rate;
      sound->nb_samples = sound_frame;
      if (av_channel_layout_copy(&sound->ch_layout, &m.sound->ch_layout) < 0) return false;
      if (av_frame_get_buffer(sound, 0) < 0) return false;
      auto* samples = reinterpret_cast<int16_t*>(sound->data[0]);
      for (int i = 0; i < sound_frame; ++i) {
        const int64_t n = samples_done + i;
        const double value =
            n < samples_total
                ? kToneAmplitude * std::sin(2.0 * M_PI * spec.tone_hz * static_cast<double>(n) /
                                            spec.sound_rate)
                : 0.0;
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(value));
      }
      sound->pts = samples_done;
      samples_done += sound_frame;
      if (!Encode(m, m.sound, m.sound_stream, sound)) return false;
    }
  }
  if (!Encode(m, m.video, m.video_stream, nullptr)) return false;
  if (m.sound != nullptr && !Encode(m, m.sound, m.sound_stream, nullptr)) return false;
  if (av_write_trailer(m.format) < 0) return false;
  avio_flush(m.io);
  return true;
}
