// The movie decoder and the multimedia-stream stand-in over it, with movies
// made here by FFmpeg's encoders: frames in order at their times, converted
// into 16-, 24- and 32-bit layouts, the end, going back to the start, seeks,
// the sound track's pitch; the stand-in's objects playing into a DirectDraw
// surface by the host clock, pausing, seeking, the sound through the mixer
// with its volume and balance and in the null host's recording; files that
// are no movies and damaged movies.
#include "platform/win32/movie_decoder_ffmpeg.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/dshow.h"
#include "platform/win32/dsound.h"
#include "platform/win32/kernel.h"
#include "platform/win32/movie_maker_ffmpeg.h"
#include "platform/win32/movie_playback.h"
#include "tests/platform/test_support.h"
#include "tests/support/tone_pitch.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int64_t kTimePerFrame = 400000;  // 25 frames a second
constexpr int kRate = 44100;
constexpr double kTone = 1000.0;
// Within the codecs' error and a 16-bit layout's depth.
constexpr int kColourTolerance = 12;
const std::vector<uint32_t> kColours = {0xC02020, 0x20C020, 0x2020C0,
                                        0xC0C020, 0x20C0C0, 0xC020C0};

struct Kind {
  const char* name;
  TestMovieKind kind;
};
const Kind kKinds[] = {
    {"MPEG-1 with layer II in a program stream", TestMovieKind::kMpegProgram},
    {"Motion JPEG with PCM in AVI", TestMovieKind::kMjpegAvi},
};

std::shared_ptr<const std::vector<uint8_t>> MakeMovie(TestMovieKind kind, int sound_rate = kRate) {
  TestMovieSpec spec;
  spec.kind = kind;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.frame_colours = kColours;
  spec.sound_rate = sound_rate;
  spec.tone_hz = kTone;
  auto bytes = std::make_shared<std::vector<uint8_t>>();
  EXPECT_TRUE(MakeTestMovie(spec, bytes.get()));
  return bytes;
}

std::unique_ptr<MovieDecoder> OpenBytes(std::shared_ptr<const std::vector<uint8_t>> bytes) {
  return MovieDecoder::Open([bytes] { return MakeMemoryMovieSource(bytes); });
}

// Whether an 8-bit colour is within the tolerance of 0xRRGGBB.
::testing::AssertionResult Near(int r, int g, int b, uint32_t want) {
  const int wr = static_cast<int>(want >> 16 & 0xFF);
  const int wg = static_cast<int>(want >> 8 & 0xFF);
  const int wb = static_cast<int>(want & 0xFF);
  if (std::abs(r - wr) <= kColourTolerance && std::abs(g - wg) <= kColourTolerance &&
      std::abs(b - wb) <= kColourTolerance) {
    return ::testing::AssertionSuccess();
  }
  char text[96];
  std::snprintf(text, sizeof(text), "(%d, %d, %d) is not near %06X", r, g, b, want);
  return ::testing::AssertionFailure() << text;
}

::testing::AssertionResult Near565(uint16_t pixel, uint32_t want) {
  const int r = pixel >> 11, g = pixel >> 5 & 0x3F, b = pixel & 0x1F;
  return Near(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, want);
}

::testing::AssertionResult NearXrgb(uint32_t pixel, uint32_t want) {
  return Near(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF, want);
}

int Loudest(const std::vector<int16_t>& samples, size_t from, size_t to, size_t step = 1,
            size_t offset = 0) {
  int loudest = 0;
  for (size_t i = from + offset; i < to; i += step) loudest = std::max(loudest, std::abs(samples[i]));
  return loudest;
}

// ---- The decoder -------------------------------------------------------------------------

TEST(MovieDecoderTest, FramesComeInOrderAtTheirTimesInEveryLayoutThenTheEndAndAgain) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const std::unique_ptr<MovieDecoder> decoder = OpenBytes(MakeMovie(kind.kind));
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Width(), kWidth);
    EXPECT_EQ(decoder->Height(), kHeight);
    EXPECT_EQ(decoder->TimePerFrame(), kTimePerFrame);
    EXPECT_NEAR(static_cast<double>(decoder->Duration()),
                static_cast<double>(kColours.size() * kTimePerFrame), kTimePerFrame);

    // The picture may start a little after the movie (the program stream's
    // sound starts first); from there frames are one frame time apart.
    int64_t first = -1;
    ASSERT_TRUE(decoder->PeekNextFrame(&first));
    EXPECT_GE(first, 0);
    EXPECT_LT(first, kTimePerFrame / 2);
    for (int pass = 0; pass < 2; ++pass) {
      SCOPED_TRACE(pass == 0 ? "first play" : "after going back to the start");
      for (size_t k = 0; k < kColours.size(); ++k) {
        int64_t time = -1;
        ASSERT_TRUE(decoder->PeekNextFrame(&time)) << "frame " << k;
        EXPECT_EQ(time, first + static_cast<int64_t>(k) * kTimePerFrame);
        decoder->TakeNextFrame();
        std::vector<uint16_t> pixels16(kWidth * kHeight);
        ASSERT_TRUE(decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels16.data()),
                                                 kWidth * 2, kWidth, kHeight,
                                                 {16, 0xF800, 0x07E0, 0x001F}));
        std::vector<uint32_t> pixels32(kWidth * kHeight);
        ASSERT_TRUE(decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels32.data()),
                                                 kWidth * 4, kWidth, kHeight,
                                                 {32, 0xFF0000, 0xFF00, 0xFF}));
        // 24-bit RGB: blue, green, red in memory.
        std::vector<uint8_t> pixels24(kWidth * kHeight * 3);
        ASSERT_TRUE(decoder->ConvertCurrentFrame(pixels24.data(), kWidth * 3, kWidth, kHeight,
                                                 {24, 0xFF0000, 0xFF00, 0xFF}));
        for (const int at : {0, kWidth * kHeight / 2 + kWidth / 2, kWidth * kHeight - 1}) {
          EXPECT_TRUE(Near565(pixels16[at], kColours[k])) << "frame " << k << " at " << at;
          EXPECT_TRUE(NearXrgb(pixels32[at], kColours[k])) << "frame " << k << " at " << at;
          EXPECT_TRUE(Near(pixels24[at * 3 + 2], pixels24[at * 3 + 1], pixels24[at * 3],
                           kColours[k]))
              << "frame " << k << " at " << at;
        }
      }
      EXPECT_FALSE(decoder->PeekNextFrame(nullptr));
      ASSERT_TRUE(decoder->Restart());
    }
    // A seek goes to a point the frame of that time follows from (the
    // frames before it are taken and left).
    for (const size_t k : {3u, 5u, 1u, 0u}) {
      SCOPED_TRACE("a seek into frame " + std::to_string(k));
      const int64_t target = first + static_cast<int64_t>(k) * kTimePerFrame + kTimePerFrame / 2;
      ASSERT_TRUE(decoder->SeekTo(target));
      int64_t time = 0;
      int64_t taken = -1;
      while (decoder->PeekNextFrame(&time) && time <= target) {
        decoder->TakeNextFrame();
        taken = time;
      }
      EXPECT_EQ(taken, target - kTimePerFrame / 2);
      std::vector<uint32_t> pixels(kWidth * kHeight);
      ASSERT_TRUE(decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels.data()),
                                               kWidth * 4, kWidth, kHeight,
                                               {32, 0xFF0000, 0xFF00, 0xFF}));
      EXPECT_TRUE(NearXrgb(pixels[kWidth + 1], kColours[k]));
    }
    // A layout the converter does not write is refused.
    std::vector<uint8_t> pixels(kWidth * kHeight * 2);
    decoder->TakeNextFrame();
    EXPECT_FALSE(decoder->ConvertCurrentFrame(pixels.data(), kWidth * 2, kWidth, kHeight,
                                              {16, 0x0F00, 0x00F0, 0x000F}));
  }
}

TEST(MovieDecoderTest, TheSoundTrackHoldsTheToneAtItsPitchForTheMoviesLength) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const std::unique_ptr<MovieDecoder> decoder = OpenBytes(MakeMovie(kind.kind));
    ASSERT_NE(decoder, nullptr);
    const std::vector<int16_t> track = decoder->DecodeSoundTrack(kRate, 10 * kRate);
    const size_t movie_frames = kColours.size() * kRate / 25;
    ASSERT_GE(track.size() / 2, movie_frames * 9 / 10);
    ASSERT_LE(track.size() / 2, movie_frames + 4096);
    EXPECT_NEAR(TonePitch(track, movie_frames / 4, movie_frames * 3 / 4, kRate), kTone,
                kTone * 0.02);
    EXPECT_GT(Loudest(track, movie_frames / 2, movie_frames), 8000);
    // Resampled to another rate, the pitch holds.
    const std::vector<int16_t> other = decoder->DecodeSoundTrack(22050, 10 * 22050);
    EXPECT_NEAR(TonePitch(other, movie_frames / 8, movie_frames * 3 / 8, 22050), kTone, kTone * 0.02);
    // The cut is where it is asked for.
    EXPECT_EQ(decoder->DecodeSoundTrack(kRate, 1000).size(), 2000u);
  }
}

// Damaged movies, files that are no movies and headers that lie: each is
// refused or plays a bounded number of frames and ends.
TEST(MovieDecoderTest, DamagedInputIsRefusedOrEndsCleanly) {
  const std::vector<uint8_t> mpeg = *MakeMovie(TestMovieKind::kMpegProgram);
  const std::vector<uint8_t> avi = *MakeMovie(TestMovieKind::kMjpegAvi);
  std::mt19937 random(12345);
  std::vector<uint8_t> noise(20000);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  const std::string text = "MOVIE but nothing decodes it";

  // The AVI with the frame size in its headers (the main header's and the
  // video format's) set to `width`.
  const auto avi_with_width = [&](uint32_t width) {
    std::vector<uint8_t> bytes = avi;
    const auto put = [&](size_t at) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(width >> (8 * i));
    };
    for (size_t i = 0; i + 64 < bytes.size(); ++i) {
      if (std::memcmp(&bytes[i], "avih", 4) == 0) put(i + 8 + 32);
      // The video stream's format follows its header, whose type is 56
      // bytes before it.
      if (std::memcmp(&bytes[i], "strf", 4) == 0 && i >= 56 &&
          std::memcmp(&bytes[i - 56], "vids", 4) == 0) {
        put(i + 8 + 4);
      }
    }
    return bytes;
  };
  // The AVI with the width in every JPEG frame's header set to `width`.
  const auto avi_with_jpeg_width = [&](uint16_t width, std::vector<uint8_t> bytes) {
    for (size_t i = 0; i + 9 < bytes.size(); ++i) {
      if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0 && bytes[i + 2] == 0 && bytes[i + 3] == 17) {
        bytes[i + 7] = static_cast<uint8_t>(width >> 8);
        bytes[i + 8] = static_cast<uint8_t>(width);
      }
    }
    return bytes;
  };

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool picture_refused;  // must open without a picture (or not at all)
  };
  const Case cases[] = {
      {"empty", {}, true},
      {"random bytes", noise, true},
      {"text", std::vector<uint8_t>(text.begin(), text.end()), true},
      {"MPEG cut to a third", std::vector<uint8_t>(mpeg.begin(), mpeg.begin() + mpeg.size() / 3),
       false},
      {"MPEG ending mid-frame", std::vector<uint8_t>(mpeg.begin(), mpeg.end() - 700), false},
      {"MPEG header only", std::vector<uint8_t>(mpeg.begin(), mpeg.begin() + 40), false},
      {"AVI cut to a half", std::vector<uint8_t>(avi.begin(), avi.begin() + avi.size() / 2), false},
      {"AVI ending mid-frame", std::vector<uint8_t>(avi.begin(), avi.end() - 3000), false},
      {"AVI headers with a width of 5000", avi_with_width(5000), false},
      {"AVI headers with a width of 0", avi_with_width(0), false},
      {"JPEG frames 5000 wide", avi_with_jpeg_width(5000, avi), false},
      {"JPEG frames 0 wide", avi_with_jpeg_width(0, avi), false},
      {"AVI and its frames 5000 wide", avi_with_jpeg_width(5000, avi_with_width(5000)), true},
      {"AVI with noise after its header",
       [&] {
         std::vector<uint8_t> bytes(avi.begin(), avi.begin() + 400);
         bytes.insert(bytes.end(), noise.begin(), noise.end());
         return bytes;
       }(),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(c.bytes);
    const std::unique_ptr<MovieDecoder> decoder = OpenBytes(bytes);
    if (decoder == nullptr) continue;
    if (c.picture_refused) {
      EXPECT_FALSE(decoder->HasPicture());
    }
    EXPECT_LE(decoder->Width(), kMovieMaxSide);
    EXPECT_LE(decoder->Height(), kMovieMaxSide);
    std::vector<uint32_t> pixels(kWidth * kHeight);
    int frames = 0;
    int64_t previous = -1, time = 0;
    while (decoder->PeekNextFrame(&time)) {
      ASSERT_LT(++frames, 1000) << "the picture does not end";
      EXPECT_GE(time, previous);
      previous = time;
      decoder->TakeNextFrame();
      decoder->ConvertCurrentFrame(reinterpret_cast<uint8_t*>(pixels.data()), kWidth * 4, kWidth,
                                   kHeight, {32, 0xFF0000, 0xFF00, 0xFF});
    }
    EXPECT_LE(frames, static_cast<int>(kColours.size()));
    EXPECT_LE(decoder->DecodeSoundTrack(kRate, 10 * kRate).size(), 20u * kRate);
  }
}

// A list file names another movie beside it: the stand-in opens no file but
// the one it was given, so nothing of the named movie plays.
TEST(MovieDecoderTest, AMovieNamingAnotherFileOpensNothingOfIt) {
  const char* kNamed = "movie_named_by_a_list.avi";
  {
    const std::vector<uint8_t> avi = *MakeMovie(TestMovieKind::kMjpegAvi);
    std::ofstream named(kNamed, std::ios::binary);
    named.write(reinterpret_cast<const char*>(avi.data()), static_cast<std::streamsize>(avi.size()));
  }
  const std::string list = std::string("ffconcat version 1.0\nfile ") + kNamed + "\n";
  const std::unique_ptr<MovieDecoder> decoder =
      OpenBytes(std::make_shared<const std::vector<uint8_t>>(list.begin(), list.end()));
  if (decoder != nullptr) {
    EXPECT_FALSE(decoder->HasPicture());
    EXPECT_TRUE(decoder->DecodeSoundTrack(kRate, kRate).empty());
  }
  std::remove(kNamed);
}

// ---- The stand-in's objects ---------------------------------------------------------------

class MovieStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/movie_standin_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                               reinterpret_cast<void**>(&direct_draw_)),
              S_OK);
    ASSERT_EQ(direct_draw_->Initialize(nullptr), DD_OK);
  }
  void TearDown() override {
    ReleaseObjects();
    if (direct_draw_ != nullptr) direct_draw_->Release();
    for (const std::string& file : files_) remove(file.c_str());
    rmdir(folder_.c_str());
    EXPECT_EQ(LiveSoundBufferCount(), 0);
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder_ + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    files_.push_back(path);
    return path;
  }

  // Releases every object the test kept, newest first.
  void ReleaseObjects() {
    for (auto object = objects_.rbegin(); object != objects_.rend(); ++object) (*object)->Release();
    objects_.clear();
  }

  template <typename Interface>
  Interface* Keep(Interface* object) {
    objects_.push_back(object);
    return object;
  }

  // A graph and its multimedia stream with both streams added.
  void MakeStream() {
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph_)),
              S_OK);
    Keep(graph_);
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IAMMultiMediaStream, reinterpret_cast<void**>(&stream_)),
              S_OK);
    Keep(stream_);
    ASSERT_EQ(stream_->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, graph_), S_OK);
    ASSERT_EQ(stream_->AddMediaStream(direct_draw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    ASSERT_EQ(stream_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER,
                                      nullptr),
              S_OK);
  }

  HRESULT Open(const std::string& path) {
    const std::u16string wide(path.begin(), path.end());
    return stream_->OpenFile(wide.c_str(), 0);
  }

  // After a successful open: the video stream, a 16-bit 5-6-5 surface and a
  // sample rendering into it.
  void MakeSample() {
    IMediaStream* video = nullptr;
    ASSERT_EQ(stream_->GetMediaStream(MSPID_PrimaryVideo, &video), S_OK);
    Keep(video);
    ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream,
                                    reinterpret_cast<void**>(&draw_stream_)),
              S_OK);
    Keep(draw_stream_);
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.dwWidth = kWidth;
    description.dwHeight = kHeight;
    description.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
    description.ddpfPixelFormat =
        DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
    ASSERT_EQ(direct_draw_->CreateSurface(&description, &surface_, nullptr), DD_OK);
    Keep(surface_);
    ASSERT_EQ(draw_stream_->CreateSample(surface_, nullptr, DDSFF_PROGRESSIVERENDER, &sample_),
              S_OK);
    Keep(sample_);
  }

  uint16_t SurfacePixel(int x, int y) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    EXPECT_EQ(surface_->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_READONLY, nullptr),
              DD_OK);
    const uint16_t pixel = reinterpret_cast<const uint16_t*>(
        static_cast<const uint8_t*>(description.lpSurface) + y * description.lPitch)[x];
    surface_->Unlock(nullptr);
    return pixel;
  }

  bool EventSet(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

  // `milliseconds` of the host clock, the mix of that time appended to
  // `mix` (interleaved stereo at 44,100 Hz).
  static void Pass(int milliseconds, std::vector<int16_t>* mix) {
    Sleep(static_cast<DWORD>(milliseconds));
    const int frames = milliseconds * kRate / 1000;
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    MixSoundBuffers(out.data(), frames, kRate);
    mix->insert(mix->end(), out.begin(), out.end());
  }

  std::string folder_;
  std::vector<std::string> files_;
  std::vector<IUnknown*> objects_;
  IDirectDraw7* direct_draw_ = nullptr;
  IGraphBuilder* graph_ = nullptr;
  IAMMultiMediaStream* stream_ = nullptr;
  IDirectDrawMediaStream* draw_stream_ = nullptr;
  IDirectDrawSurface7* surface_ = nullptr;
  IDirectDrawStreamSample* sample_ = nullptr;
  IMediaControl* control_ = nullptr;
};

TEST_F(MovieStandInTest, PlaysFramesIntoTheSurfaceAsTheClockReachesThem) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    MakeStream();
    ASSERT_EQ(Open(Write("clip.mov", *MakeMovie(kind.kind))), S_OK);
    MakeSample();
    DDSURFACEDESC2 format{};
    ASSERT_EQ(draw_stream_->GetFormat(&format, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(format.dwWidth, static_cast<DWORD>(kWidth));
    EXPECT_EQ(format.dwHeight, static_cast<DWORD>(kHeight));
    STREAM_TIME per_frame = 0;
    ASSERT_EQ(draw_stream_->GetTimePerFrame(&per_frame), S_OK);
    EXPECT_EQ(per_frame, kTimePerFrame);

    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Not running yet.
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), MS_E_NOTRUNNING);
    // (The program stream's picture starts 11 ms after its sound, the AVI's
    // at once: times in the middle of frames suit both.)
    ASSERT_EQ(stream_->SetState(STREAMSTATE_RUN), S_OK);
    Sleep(20);
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), S_OK);
    EXPECT_TRUE(Near565(SurfacePixel(3, 4), kColours[0]));
    // The next frame is pending until its time; then the next call on the
    // stream brings it and sets the event.
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), MS_E_BUSY);
    Sleep(15);
    STREAM_STATE state = STREAMSTATE_STOP;
    ASSERT_EQ(stream_->GetState(&state), S_OK);
    EXPECT_EQ(state, STREAMSTATE_RUN);
    EXPECT_FALSE(EventSet(event));
    Sleep(20);
    ASSERT_EQ(stream_->GetState(&state), S_OK);
    EXPECT_TRUE(EventSet(event));
    EXPECT_TRUE(Near565(SurfacePixel(60, 40), kColours[1]));
    ResetEvent(event);

    // Paused, the stream's time stands still and no update runs.
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_)),
              S_OK);
    Keep(control_);
    STREAM_TIME before = 0, after = 0;
    ASSERT_EQ(control_->Pause(), S_OK);
    ASSERT_EQ(stream_->GetState(&state), S_OK);
    EXPECT_EQ(state, STREAMSTATE_STOP);
    ASSERT_EQ(stream_->GetTime(&before), S_OK);
    Sleep(500);
    ASSERT_EQ(stream_->GetTime(&after), S_OK);
    EXPECT_EQ(before, after);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_NOTRUNNING);

    // Run again: a waiting update returns with the frame of its time; frames
    // whose time went by unasked are left out.
    ASSERT_EQ(stream_->SetState(STREAMSTATE_RUN), S_OK);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), S_OK);
    EXPECT_TRUE(Near565(SurfacePixel(0, 0), kColours[2]));
    Sleep(130);
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), S_OK);
    EXPECT_TRUE(Near565(SurfacePixel(0, 0), kColours[5]));
    // The end comes with the last frame's time.
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), MS_S_PENDING);
    Sleep(60);
    ASSERT_EQ(stream_->GetState(&state), S_OK);
    EXPECT_TRUE(EventSet(event));
    EXPECT_EQ(sample_->Update(0, event, nullptr, 0), MS_S_ENDOFSTREAM);

    // Back to the start through the graph's seeking: it plays again.
    IMediaSeeking* seeking = nullptr;
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)), S_OK);
    Keep(seeking);
    LONGLONG start = 0;
    ASSERT_EQ(seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                    AM_SEEKING_NoPositioning),
              S_OK);
    LONGLONG now = -1;
    ASSERT_EQ(seeking->GetCurrentPosition(&now), S_OK);
    EXPECT_LT(now, kTimePerFrame / 100);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), S_OK);
    EXPECT_TRUE(Near565(SurfacePixel(0, 0), kColours[0]));
    // And through the stream, to the middle of frame 3.
    ASSERT_EQ(stream_->Seek(3 * kTimePerFrame + kTimePerFrame / 2), S_OK);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), S_OK);
    EXPECT_TRUE(Near565(SurfacePixel(0, 0), kColours[3]));

    CloseHandle(event);
    ReleaseObjects();
    EXPECT_EQ(LiveSoundBufferCount(), 0);
  }
}

TEST_F(MovieStandInTest, TheSoundTrackPlaysThroughTheMixerWithThePictureAndItsSettings) {
  MakeStream();
  ASSERT_EQ(Open(Write("clip.mpg", *MakeMovie(TestMovieKind::kMpegProgram))), S_OK);
  MakeSample();
  IBasicAudio* audio = nullptr;
  ASSERT_EQ(graph_->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio)), S_OK);
  Keep(audio);
  ASSERT_EQ(graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_)), S_OK);
  Keep(control_);

  std::vector<int16_t> mix;
  Pass(50, &mix);
  EXPECT_EQ(Loudest(mix, 0, mix.size()), 0) << "sound before the movie runs";
  mix.clear();
  ASSERT_EQ(stream_->SetState(STREAMSTATE_RUN), S_OK);
  Pass(100, &mix);
  EXPECT_NEAR(TonePitch(mix, mix.size() / 8, mix.size() / 2, kRate), kTone, kTone * 0.02);
  EXPECT_GT(Loudest(mix, 0, mix.size()), 8000);

  // Paused: silence, and the sound goes on from where it stopped.
  ASSERT_EQ(control_->Pause(), S_OK);
  mix.clear();
  Pass(50, &mix);
  EXPECT_EQ(Loudest(mix, 0, mix.size()), 0);

  // Balance to the right: the left channel is silent; volume -10000: all is.
  ASSERT_EQ(audio->put_Balance(10000), S_OK);
  ASSERT_EQ(stream_->SetState(STREAMSTATE_RUN), S_OK);
  mix.clear();
  Pass(40, &mix);
  EXPECT_EQ(Loudest(mix, 0, mix.size(), 2, 0), 0);
  EXPECT_GT(Loudest(mix, 0, mix.size(), 2, 1), 8000);
  ASSERT_EQ(audio->put_Volume(kMovieVolumeSilent), S_OK);
  mix.clear();
  Pass(20, &mix);
  EXPECT_EQ(Loudest(mix, 0, mix.size()), 0);
  LONG volume = 1, balance = 0;
  ASSERT_EQ(audio->get_Volume(&volume), S_OK);
  ASSERT_EQ(audio->get_Balance(&balance), S_OK);
  EXPECT_EQ(volume, kMovieVolumeSilent);
  EXPECT_EQ(balance, 10000);
  EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
  EXPECT_EQ(audio->put_Balance(-10001), E_INVALIDARG);
  ASSERT_EQ(audio->put_Volume(0), S_OK);
  ASSERT_EQ(audio->put_Balance(0), S_OK);

  // After the end: silence; a seek to the start plays the tone again.
  mix.clear();
  Pass(200, &mix);
  mix.clear();
  Pass(50, &mix);
  EXPECT_EQ(Loudest(mix, 0, mix.size()), 0);
  ASSERT_EQ(stream_->Seek(0), S_OK);
  mix.clear();
  Pass(100, &mix);
  EXPECT_NEAR(TonePitch(mix, mix.size() / 8, mix.size() / 2, kRate), kTone, kTone * 0.02);
}

// Files that are no movies are refused at the opening; a container with no
// picture opens with a size of 0; nothing is left behind.
TEST_F(MovieStandInTest, FilesThatAreNoMoviesAreRefusedAndContainersWithoutAPictureHaveNoSize) {
  // A WAV file: a container FFmpeg reads, with no picture.
  std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't',
                              ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                              2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0x10, 0, 0};
  wav.resize(wav.size() + 4096, 0);
  const std::string text = "MOVIE but nothing decodes it";
  struct Case {
    const char* name;
    std::string path;
    HRESULT opened;
  };
  const Case cases[] = {
      {"missing", folder_ + "/missing.mpg", VFW_E_NOT_FOUND},
      {"a folder", folder_, VFW_E_NOT_FOUND},
      {"text", Write("notes.txt", std::vector<uint8_t>(text.begin(), text.end())),
       VFW_E_UNSUPPORTED_STREAM},
      {"empty", Write("empty.mpg", {}), VFW_E_UNSUPPORTED_STREAM},
      {"sound only", Write("sound.wav", wav), S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReleaseObjects();
    MakeStream();
    EXPECT_EQ(Open(c.path), c.opened);
    IMediaStream* video = nullptr;
    if (c.opened == S_OK) {
      ASSERT_EQ(stream_->GetMediaStream(MSPID_PrimaryVideo, &video), S_OK);
      Keep(video);
      IDirectDrawMediaStream* draw = nullptr;
      ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void**>(&draw)),
                S_OK);
      Keep(draw);
      DDSURFACEDESC2 format{};
      ASSERT_EQ(draw->GetFormat(&format, nullptr, nullptr, nullptr), S_OK);
      EXPECT_EQ(format.dwWidth, 0u);
      EXPECT_EQ(format.dwHeight, 0u);
      EXPECT_EQ(LiveSoundBufferCount(), 0) << "a movie without a picture plays no sound";
    } else {
      EXPECT_EQ(stream_->GetMediaStream(MSPID_PrimaryVideo, &video), MS_E_NOSTREAM);
      EXPECT_EQ(stream_->SetState(STREAMSTATE_RUN), MS_E_NOSTREAM);
    }
  }
}


// On the null host with a sound recording, the recording holds the movie's
// tone at its pitch while it plays and silence after it, the same in every
// run.
TEST(MovieSoundRecordingTest, TheNullHostsAudioOutHoldsTheToneWhileTheMoviePlays) {
  char pattern[] = "/tmp/movie_audio_out_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string movie = folder + "/clip.avi";
  {
    const auto bytes = MakeMovie(TestMovieKind::kMjpegAvi);
    FILE* file = fopen(movie.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes->data(), 1, bytes->size(), file);
    fclose(file);
  }
  constexpr int kBlanks = 30;  // half a second
  const auto record = [&](const std::string& wav) {
    NullHostOptions options;
    options.audio_out_file = wav;
    auto host = std::make_unique<NullHost>(options);
    NullHost* const null_host = host.get();
    ScopedHost scoped(std::move(host));
    IGraphBuilder* graph = nullptr;
    IAMMultiMediaStream* stream = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IAMMultiMediaStream, reinterpret_cast<void**>(&stream)),
              S_OK);
    ASSERT_EQ(stream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, graph), S_OK);
    ASSERT_EQ(stream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER,
                                     nullptr),
              S_OK);
    const std::u16string wide(movie.begin(), movie.end());
    ASSERT_EQ(stream->OpenFile(wide.c_str(), 0), S_OK);
    ASSERT_EQ(stream->SetState(STREAMSTATE_RUN), S_OK);
    for (int blank = 0; blank < kBlanks; ++blank) CurrentHost().Clock().WaitVerticalBlank();
    stream->Release();
    graph->Release();
    null_host->Finish();
  };
  const auto samples_of = [](const std::string& wav) {
    std::vector<int16_t> samples;
    FILE* file = fopen(wav.c_str(), "rb");
    if (file == nullptr) return samples;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    for (size_t got; (got = fread(chunk, 1, sizeof(chunk), file)) > 0;) {
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
    fclose(file);
    for (size_t i = 12; i + 8 <= bytes.size(); i += 2) {
      if (std::memcmp(&bytes[i], "data", 4) == 0) {
        samples.resize((bytes.size() - i - 8) / 2);
        std::memcpy(samples.data(), &bytes[i + 8], samples.size() * 2);
        break;
      }
    }
    return samples;
  };
  record(folder + "/first.wav");
  record(folder + "/second.wav");
  const std::vector<int16_t> first = samples_of(folder + "/first.wav");
  const std::vector<int16_t> second = samples_of(folder + "/second.wav");
  ASSERT_GE(first.size(), static_cast<size_t>(kBlanks * NullHost::kAudioFramesPerBlank * 2));
  const size_t movie_frames = kColours.size() * kRate / 25;
  EXPECT_NEAR(TonePitch(first, movie_frames / 8, movie_frames * 7 / 8, kRate), kTone, kTone * 0.02);
  EXPECT_GT(Loudest(first, movie_frames / 4, movie_frames / 2), 8000);
  EXPECT_EQ(Loudest(first, 2 * (movie_frames + kRate / 20), first.size()), 0);
  EXPECT_TRUE(first == second) << "the recording differs from run to run";
  for (const char* name : {"/first.wav", "/second.wav", "/clip.avi"}) remove((folder + name).c_str());
  rmdir(folder.c_str());
}

}  // namespace
