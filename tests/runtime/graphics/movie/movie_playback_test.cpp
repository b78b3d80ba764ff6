// Movies played for real on the null host: files made here by FFmpeg's
// encoders (MPEG-1 with layer II in a program stream, Motion JPEG with PCM
// in AVI; frame k one flat colour, a 1 kHz tone) loaded as graphics and
// drawn by the software road, frame k shown after k frame times, the tone in
// the mix while the movie plays and silence after, the end, a seek to the
// start playing again, the same pixels and sound in every run; a movie
// inside an archive; files that are no movies and damaged movies.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/dshow.h"
#include "platform/win32/dsound.h"
#include "platform/win32/kernel.h"
#include "platform/win32/movie_maker_ffmpeg.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/movie/movie.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/log_capture.h"
#include "tests/support/screen_fixture.h"
#include "tests/support/tone_pitch.h"
#include "tools/archive_writer/archive_writer.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrameMilliseconds = 40;  // 25 frames a second
// The mixer's output as the null host's sound output has it.
constexpr int kRate = 44100;
constexpr double kTone = 1000.0;
// Within the codecs' error and the 16-bit screen's depth.
constexpr int kColourTolerance = 12;
// The draw loop's step: more than the 17 ms between two frame updates.
constexpr int kStepMilliseconds = 20;

const std::vector<uint32_t> kColours = {0xC02020, 0x20C020, 0x2020C0, 0xC0C020, 0x20C0C0,
                                        0xC020C0, 0x808080, 0xE0E0E0, 0x404040, 0x20A060};

struct Kind {
  const char* name;
  TestMovieKind kind;
  const char* file;
};
const Kind kKinds[] = {
    {"MPEG-1 with layer II in a program stream", TestMovieKind::kMpegProgram, "clip.mpg"},
    {"Motion JPEG with PCM in AVI", TestMovieKind::kMjpegAvi, "clip.avi"},
};

std::vector<uint8_t> MakeMovie(TestMovieKind kind) {
  TestMovieSpec spec;
  spec.kind = kind;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.frame_colours = kColours;
  spec.sound_rate = kRate;
  spec.tone_hz = kTone;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(MakeTestMovie(spec, &bytes));
  return bytes;
}

int Loudest(const std::vector<int16_t>& stereo, size_t from, size_t to) {
  int loudest = 0;
  for (size_t i = 2 * from; i < 2 * to && i < stereo.size(); ++i) {
    loudest = std::max(loudest, std::abs(stereo[i]));
  }
  return loudest;
}

class MoviePlaybackTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    char pattern[] = "/tmp/movie_playback_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    EXPECT_EQ(MovieHandleTable.live_count, 0) << "a movie was left open";
    ScreenFixture::TearDown();
    EXPECT_EQ(LiveSoundBufferCount(), 0);
    for (const std::string& file : files_) remove(file.c_str());
    rmdir(folder_.c_str());
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

  static MovieRecord* MovieOf(int32_t graphic) {
    const GraphicRecord* record = GetGraphicRecord(graphic);
    return record != nullptr ? GetMovieRecord(record->movie_handle) : nullptr;
  }

  // Whether the graphic's pixels are all near 0xRRGGBB.
  static ::testing::AssertionResult Shows(int32_t graphic, uint32_t colour) {
    for (int32_t y = 0; y < kHeight; y += 7) {
      for (int32_t x = 0; x < kWidth; x += 9) {
        const uint16_t pixel = GraphicPixel(graphic, x, y);
        const int r = pixel >> 11, g = pixel >> 5 & 0x3F, b = pixel & 0x1F;
        const int have[3] = {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
        for (int c = 0; c < 3; ++c) {
          const int want = static_cast<int>(colour >> (16 - 8 * c) & 0xFF);
          if (std::abs(have[c] - want) > kColourTolerance) {
            char text[128];
            std::snprintf(text, sizeof(text), "pixel (%d, %d) is (%d, %d, %d), not near %06X", x,
                          y, have[0], have[1], have[2], colour);
            return ::testing::AssertionFailure() << text;
          }
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  // One step of the draw loop: the clock moves on, the mix of that time is
  // taken, the graphic is drawn (which brings its movie up to date).
  static void Step(int32_t graphic, std::vector<int16_t>* mix) {
    Sleep(kStepMilliseconds);
    const int frames = kStepMilliseconds * kRate / 1000;
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    MixSoundBuffers(out.data(), frames, kRate);
    mix->insert(mix->end(), out.begin(), out.end());
    ASSERT_EQ(RenderGraphicAt(0, 0, graphic, 0), 0);
  }

  // What one play of a movie showed and sounded.
  struct Play {
    std::vector<uint16_t> pixels;  // the graphic's centre pixel after each step
    std::vector<int16_t> mix;
  };

  // Loads the movie, plays it to its end and on for a while, then from the
  // start again after a seek to 0, checking the frames, the end and the
  // sound on the way.
  Play PlayThrough(const std::string& path) {
    Play play;
    const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
    EXPECT_NE(graphic, -1);
    if (graphic == -1) return play;
    int32_t width = 0, height = 0;
    QueryGraphicSize(graphic, &width, &height);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    MovieRecord* movie = MovieOf(graphic);
    EXPECT_EQ(movie->timePerFrame, kFrameMilliseconds * 10000);
    EXPECT_EQ(movie->playing, 0);

    EXPECT_EQ(PlayGraphicMovie(graphic), 0);
    const int movie_steps = static_cast<int>(kColours.size()) * kFrameMilliseconds / kStepMilliseconds;
    int ended_at = -1;
    for (int step = 1; step <= movie_steps + 10; ++step) {
      Step(graphic, &play.mix);
      play.pixels.push_back(GraphicPixel(graphic, kWidth / 2, kHeight / 2));
      // Half-way through frame k (20 ms after its start) the graphic shows it.
      const int now = step * kStepMilliseconds;
      if (now % kFrameMilliseconds == kFrameMilliseconds / 2 && now < movie_steps * kStepMilliseconds) {
        EXPECT_TRUE(Shows(graphic, kColours[static_cast<size_t>(now / kFrameMilliseconds)]))
            << "at " << now << " ms";
      }
      if (ended_at < 0 && movie->playing == 0) ended_at = now;
    }
    // The end is reported once the last frame's time is over.
    EXPECT_GT(ended_at, movie_steps * kStepMilliseconds - kFrameMilliseconds / 2);
    EXPECT_LE(ended_at, (movie_steps + 2) * kStepMilliseconds);
    EXPECT_TRUE(Shows(graphic, kColours.back()));
    // The tone while the movie plays, at its pitch; silence after it.
    const size_t movie_frames = static_cast<size_t>(movie_steps) * kStepMilliseconds * kRate / 1000;
    EXPECT_NEAR(TonePitch(play.mix, movie_frames / 8, movie_frames * 7 / 8, kRate), kTone, kTone * 0.02);
    EXPECT_GT(Loudest(play.mix, movie_frames / 8, movie_frames * 7 / 8), 8000);
    EXPECT_EQ(Loudest(play.mix, movie_frames + kRate / 10, play.mix.size() / 2), 0);

    // A seek to the start plays it again, sound and picture.
    EXPECT_EQ(movie->multiMediaStream->Seek(0), S_OK);
    EXPECT_EQ(PlayGraphicMovie(graphic), 0);
    const size_t again = play.mix.size() / 2;
    for (int step = 1; step <= 6; ++step) {
      Step(graphic, &play.mix);
      play.pixels.push_back(GraphicPixel(graphic, kWidth / 2, kHeight / 2));
      const int now = step * kStepMilliseconds;
      if (now % kFrameMilliseconds == kFrameMilliseconds / 2) {
        EXPECT_TRUE(Shows(graphic, kColours[static_cast<size_t>(now / kFrameMilliseconds)]))
            << "again at " << now << " ms";
      }
    }
    EXPECT_EQ(movie->playing, 1);
    EXPECT_NEAR(TonePitch(play.mix, again + kRate / 50, play.mix.size() / 2, kRate), kTone, kTone * 0.02);
    EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
    return play;
  }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(MoviePlaybackTest, EachFormatPlaysItsFramesAndToneEndsAndPlaysAgainTheSameEveryRun) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const std::string path = Write(kind.file, MakeMovie(kind.kind));
    const Play first = PlayThrough(path);
    const Play second = PlayThrough(path);
    EXPECT_FALSE(first.pixels.empty());
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_TRUE(first.mix == second.mix) << "the sound differs from run to run";
  }
}

TEST_F(MoviePlaybackTest, AMovieInsideAnArchivePlaysFromACopyRemovedWithItsGraphic) {
  const std::vector<uint8_t> bytes = MakeMovie(TestMovieKind::kMjpegAvi);
  ArchiveWriterFile entry;
  entry.path = "mov/clip.avi";
  entry.data = bytes;
  ArchiveWriterOptions archive_options;
  archive_options.key = "moviekey";
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(BuildArchive({entry}, archive_options, &archive, &error)) << error;
  Write("data.dat", archive);

  char previous[4096] = {};
  GetCurrentDirectoryA(sizeof(previous), previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
  InitArchiveLayer();
  StoreArchiveExtension("dat");
  StoreArchiveKey("moviekey");
  SetFileAccessFunctions(nullptr);

  const int32_t graphic = LoadGraphicFileDefault("data\\mov\\clip.avi", 0);
  EXPECT_NE(graphic, -1);
  if (graphic != -1) {
    const MovieRecord* movie = MovieOf(graphic);
    EXPECT_EQ(movie->tempFile, 1);
    const std::string copy = movie->path;
    EXPECT_EQ(GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES, true) << copy;
    ASSERT_EQ(PlayGraphicMovie(graphic), 0);
    ASSERT_EQ(UpdateMovieFrame(graphic, 1), 0);
    EXPECT_TRUE(Shows(graphic, kColours[0]));
    EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES) << copy;
  }

  CloseAllArchives();
  InitArchiveLayer();
  StoreArchiveExtension(nullptr);
  StoreArchiveKey(nullptr);
  SetCurrentDirectoryA(previous);
}

// Files that are no movies fail with the opening's messages; damaged movies
// play what they hold and end; nothing is left behind either way.
TEST_F(MoviePlaybackTest, FilesThatAreNoMoviesFailAndDamagedMoviesEndCleanly) {
  const std::vector<uint8_t> mpeg = MakeMovie(TestMovieKind::kMpegProgram);
  const std::vector<uint8_t> avi = MakeMovie(TestMovieKind::kMjpegAvi);
  std::vector<uint8_t> noise(5000);
  uint32_t seed = 99;
  for (uint8_t& byte : noise) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(seed >> 16);
  }
  // A WAV file: a container with no picture.
  std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't',
                              ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                              2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0x10, 0, 0};
  wav.resize(wav.size() + 4096, 0);

  struct Case {
    const char* name;
    const char* file;
    std::vector<uint8_t> bytes;
    const char* message;  // null: opens and plays to an end
  };
  const Case cases[] = {
      {"random bytes with a movie's name", "noise.mpg", noise, "ファイル:%s が開けませんでした"},
      {"sound only", "sound.mpg", wav, "動画ファイルではない可能性があります！"},
      {"program stream cut to a half", "half.mpg",
       std::vector<uint8_t>(mpeg.begin(), mpeg.begin() + mpeg.size() / 2), nullptr},
      {"AVI ending mid-frame", "short.avi", std::vector<uint8_t>(avi.begin(), avi.end() - 3000),
       nullptr},
  };
  // The library's own sound buffers.
  const int buffers = LiveSoundBufferCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.file, c.bytes);
    LogCapture log;
    const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
    if (c.message != nullptr) {
      EXPECT_EQ(graphic, -1);
      char message[512];
      std::snprintf(message, sizeof(message), c.message, path.c_str());
      EXPECT_NE(log.text().find(message), std::string::npos) << log.text();
      EXPECT_NE(log.text().find("ムービーファイルオープン処理時にエラーが発生しました"),
                std::string::npos);
    } else {
      ASSERT_NE(graphic, -1);
      ASSERT_EQ(PlayGraphicMovie(graphic), 0);
      std::vector<int16_t> mix;
      int steps = 0;
      while (MovieOf(graphic)->playing == 1) {
        ASSERT_LT(++steps, 100) << "the movie does not end";
        Step(graphic, &mix);
      }
      EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
    }
    EXPECT_EQ(MovieHandleTable.live_count, 0);
    EXPECT_EQ(GraphicTable.live_count, 0);
    EXPECT_EQ(LiveSoundBufferCount(), buffers);
  }
}

}  // namespace
