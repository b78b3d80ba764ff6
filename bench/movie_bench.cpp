// Movie frames into sample surfaces: decoding and converting one 640 x 480
// frame of the MPEG-1 test movie into a 16-bit (5-6-5) and a 32-bit (XRGB)
// surface through the multimedia-stream stand-in's decoder, its conversion
// alone of a decoded frame, and beside them libswscale's own conversion of
// the same frame to the same layout (a context made once, sws_scale per
// frame).
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/movie_decoder_ffmpeg.h"
#include "platform/win32/movie_maker_ffmpeg.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 25;

const MoviePixelLayout kLayout16 = {16, 0xF800, 0x07E0, 0x001F};
const MoviePixelLayout kLayout32 = {32, 0xFF0000, 0xFF00, 0xFF};

const std::shared_ptr<const std::vector<uint8_t>>& MovieBytes() {
  static const std::shared_ptr<const std::vector<uint8_t>> bytes = [] {
    TestMovieSpec spec;
    spec.kind = TestMovieKind::kMpegProgram;
    spec.width = kWidth;
    spec.height = kHeight;
    for (int k = 0; k < kFrames; ++k) spec.frame_colours.push_back(0x102030u * (k + 1) & 0xFFFFFF);
    auto made = std::make_shared<std::vector<uint8_t>>();
    if (!MakeTestMovie(spec, made.get())) std::fprintf(stderr, "movie_bench: no movie\n");
    return made;
  }();
  return bytes;
}

std::unique_ptr<MovieDecoder> OpenMovie() {
  const auto bytes = MovieBytes();
  return MovieDecoder::Open([bytes] { return MakeMemoryMovieSource(bytes); });
}

int BitsOf(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

// Decoding the next frame and converting it; the movie starts again at its
// end (its opening is spread over its frames).
void BM_DecodeAndConvertFrame(benchmark::State& state) {
  const std::unique_ptr<MovieDecoder> decoder = OpenMovie();
  const int bits = BitsOf(state);
  const MoviePixelLayout& layout = bits == 16 ? kLayout16 : kLayout32;
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * (bits / 8));
  for (auto _ : state) {
    if (!decoder->PeekNextFrame(nullptr)) {
      decoder->Restart();
      decoder->PeekNextFrame(nullptr);
    }
    decoder->TakeNextFrame();
    decoder->ConvertCurrentFrame(pixels.data(), kWidth * (bits / 8), kWidth, kHeight, layout);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_DecodeAndConvertFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

// The stand-in's conversion of one decoded frame.
void BM_ConvertFrame(benchmark::State& state) {
  const std::unique_ptr<MovieDecoder> decoder = OpenMovie();
  const int bits = BitsOf(state);
  const MoviePixelLayout& layout = bits == 16 ? kLayout16 : kLayout32;
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * (bits / 8));
  decoder->PeekNextFrame(nullptr);
  decoder->TakeNextFrame();
  for (auto _ : state) {
    decoder->ConvertCurrentFrame(pixels.data(), kWidth * (bits / 8), kWidth, kHeight, layout);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_ConvertFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

// libswscale by itself on the same frame: the first frame decoded here
// with libavformat and libavcodec from a copy of the movie file.
void BM_SwscaleConvertFrame(benchmark::State& state) {
  const std::string path = "/tmp/movie_bench_frame.mpg";
  {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      state.SkipWithError("no temporary file");
      return;
    }
    std::fwrite(MovieBytes()->data(), 1, MovieBytes()->size(), file);
    std::fclose(file);
  }
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(format, nullptr) < 0) {
    state.SkipWithError("the movie does not open");
    return;
  }
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, format->streams[index]->codecpar);
  decoder->thread_count = 1;
  avcodec_open2(decoder, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  bool decoded = false;
  while (!decoded && av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) {
      avcodec_send_packet(decoder, packet);
      decoded = avcodec_receive_frame(decoder, frame) == 0;
    }
    av_packet_unref(packet);
  }
  if (!decoded) {
    avcodec_send_packet(decoder, nullptr);
    decoded = avcodec_receive_frame(decoder, frame) == 0;
  }
  const int bits = BitsOf(state);
  SwsContext* scaler = sws_getContext(
      frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), kWidth, kHeight,
      bits == 16 ? AV_PIX_FMT_RGB565LE : AV_PIX_FMT_BGR0,
      SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * (bits / 8));
  uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  int pitches[4] = {kWidth * (bits / 8), 0, 0, 0};
  for (auto _ : state) {
    if (!decoded || scaler == nullptr) {
      state.SkipWithError("no frame to convert");
      break;
    }
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, pitches);
    benchmark::DoNotOptimize(pixels.data());
  }
  sws_freeContext(scaler);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  std::remove(path.c_str());
}
BENCHMARK(BM_SwscaleConvertFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
