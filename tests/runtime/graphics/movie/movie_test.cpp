// Movies on the null host's screen, with the movie player's double in place
// of the stand-in: a movie file loaded as a graphic, played into it frame by
// frame as it is drawn (once per presented screen or 17 ms), paused and
// resumed (also by the window's activation), ended, and its handle freed
// with its graphic; graphics derived from a movie graphic; the stream
// objects released and made again around a screen rebuild; a movie inside
// an archive played from a temporary copy; files that are no movies, and a
// failure at each step of the opening, leaving nothing behind.
#include "runtime/graphics/movie/movie.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/ddraw.h"
#include "platform/win32/dshow.h"
#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/system/main_window.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/ddraw/display_script.h"
#include "tests/support/dshow/movie_stream_double.h"
#include "tests/support/screen_fixture.h"
#include "tools/archive_writer/archive_writer.h"

namespace {

constexpr int32_t kWidth = 32;
constexpr int32_t kHeight = 24;
constexpr const char* kUpdate = "IDirectDrawStreamSample::Update";

// The 5-6-5 value of a pattern colour, as a 16-bit graphic holds it.
uint16_t FramePixel(int32_t frame, int32_t x, int32_t y) {
  uint8_t r, g, b;
  MovieFrameColor(frame, x, y, &r, &g, &b);
  return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// Whole contents of a file (by its Windows-style path); empty when it does
// not open.
std::string ReadWholeFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class MovieTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    char pattern[] = "/tmp/movie_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    MovieHandleTable.check_counter = 0;
  }
  void TearDown() override {
    EXPECT_EQ(MovieHandleTable.live_count, 0) << "a movie was left open";
    ScreenFixture::TearDown();
    for (const std::string& file : files_) remove(file.c_str());
    rmdir(folder_.c_str());
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    files_.push_back(path);
    return path;
  }
  // A file the double takes for a movie.
  std::string WriteMovie(const std::string& name) {
    return Write(name, "MOVIE and then the rest of the stream");
  }

  static MovieRecord* MovieOf(int32_t graphic) {
    const GraphicRecord* record = GetGraphicRecord(graphic);
    return record != nullptr ? GetMovieRecord(record->movie_handle) : nullptr;
  }

  // Whether the graphic shows frame `frame`, read from (x0, y0) of the
  // movie's picture on.
  static ::testing::AssertionResult ShowsFrame(int32_t graphic, int32_t frame, int32_t x0 = 0,
                                               int32_t y0 = 0) {
    const GraphicRecord* record = GetGraphicRecord(graphic);
    for (int32_t y = 0; y < record->height; ++y)
      for (int32_t x = 0; x < record->width; ++x) {
        const uint16_t want = FramePixel(frame, x0 + x, y0 + y);
        const uint16_t have = GraphicPixel(graphic, x, y);
        if (have != want) {
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << have
                                               << ", frame " << frame << " has " << want;
        }
      }
    return ::testing::AssertionSuccess();
  }

  static uint16_t BackPixel(int32_t x, int32_t y) {
    const MEMIMG& image = Screen.BackMemImage;
    return reinterpret_cast<const uint16_t*>(image.pixels + y * image.pitch)[x];
  }

  static void Draw(int32_t graphic) { ASSERT_EQ(RenderGraphicAt(0, 0, graphic, 0), 0); }
  static void NextScreen() { ASSERT_EQ(PresentScreen(), 0); }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(MovieTest, PlaysIntoItsGraphicFrameByFrameOncePerPresentedScreen) {
  MovieStreamDouble player;
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  int32_t width = 0, height = 0;
  QueryGraphicSize(graphic, &width, &height);
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);
  MovieRecord* movie = MovieOf(graphic);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->playing, 0);
  EXPECT_EQ(movie->timePerFrame, 400000);
  EXPECT_EQ(movie->duration, 6 * 400000);
  EXPECT_EQ(movie->surfaceMode, kMovieSurfaceScreenFormat);

  // Not playing yet: drawing asks for no frame.
  Draw(graphic);
  EXPECT_EQ(player.Count(kUpdate), 0);

  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  EXPECT_TRUE(player.Stream(0).running);
  // The first draw starts a background update and goes on without waiting.
  Draw(graphic);
  EXPECT_EQ(player.Count(kUpdate), 1);
  EXPECT_EQ(movie->updatePending, 1);
  Draw(graphic);
  EXPECT_EQ(player.Count(kUpdate), 1);
  EXPECT_FALSE(ShowsFrame(graphic, 0));
  // Its frame arrives: the next draw takes it into the graphic (and draws
  // it), and starts the next update at once.
  ASSERT_EQ(player.DeliverPendingFrames(), 1);
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 0));
  EXPECT_EQ(BackPixel(5, 7), FramePixel(0, 5, 7));
  EXPECT_EQ(player.Count(kUpdate), 2);
  EXPECT_EQ(movie->updatePending, 1);

  // Once a frame was taken, the next is taken only after the screen was
  // presented.
  ASSERT_EQ(player.DeliverPendingFrames(), 1);
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 0));
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 1));
  EXPECT_EQ(player.Count(kUpdate), 3);

  // A frame that has not arrived is not waited for.
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 1));
  EXPECT_EQ(player.Count(kUpdate), 3);

  // Without a presented screen, 17 ms are not enough and 18 are.
  ASSERT_EQ(player.DeliverPendingFrames(), 1);
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 2));
  ASSERT_EQ(player.DeliverPendingFrames(), 1);
  Sleep(10);
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 2));
  Sleep(8);
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 3));

  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

TEST_F(MovieTest, ForcedUpdateTakesTheNextFrameAtOnceButNeverStartsASecondUpdate) {
  MovieStreamDouble player;
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  // Forced: waits for its frame, whatever the screen did.
  EXPECT_EQ(UpdateMovieFrame(graphic, 1), 0);
  EXPECT_TRUE(ShowsFrame(graphic, 0));
  EXPECT_EQ(UpdateMovieFrame(graphic, 1), 0);
  EXPECT_TRUE(ShowsFrame(graphic, 1));
  EXPECT_EQ(player.Count(kUpdate), 2);

  // While a background update is out, a forced one takes nothing and the
  // movie plays on.
  NextScreen();
  Draw(graphic);
  EXPECT_EQ(MovieOf(graphic)->updatePending, 1);
  const int updates = player.Count(kUpdate);
  EXPECT_EQ(UpdateMovieFrame(graphic, 1), 0);
  EXPECT_EQ(player.Count(kUpdate), updates);
  EXPECT_EQ(MovieOf(graphic)->playing, 1);
  EXPECT_TRUE(ShowsFrame(graphic, 1));
  // Bad handles.
  EXPECT_EQ(UpdateMovieFrame(-1, 0), -1);
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

TEST_F(MovieTest, PausedMovieTakesNoFramesAndResumesWhereItStood) {
  MovieDoubleOptions options;
  options.frames_ready = true;
  MovieStreamDouble player(options);
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  Draw(graphic);
  NextScreen();
  Draw(graphic);
  ASSERT_TRUE(ShowsFrame(graphic, 0));

  ASSERT_EQ(PauseGraphicMovie(graphic), 0);
  EXPECT_EQ(player.Count("IMediaControl::Pause"), 1);
  EXPECT_EQ(MovieOf(graphic)->playing, 0);
  // Pausing again does nothing more.
  ASSERT_EQ(PauseGraphicMovie(graphic), 0);
  EXPECT_EQ(player.Count("IMediaControl::Pause"), 1);
  const int updates = player.Count(kUpdate);
  for (int i = 0; i < 3; ++i) {
    NextScreen();
    Draw(graphic);
  }
  EXPECT_EQ(player.Count(kUpdate), updates);
  EXPECT_TRUE(ShowsFrame(graphic, 0));

  // Resumed: the frame that was on its way before the pause comes next.
  const int runs = player.Count("IAMMultiMediaStream::SetState");
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  EXPECT_EQ(player.Count("IAMMultiMediaStream::SetState"), runs + 1);
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 1));

  EXPECT_EQ(PlayGraphicMovie(-1), -1);
  EXPECT_EQ(PauseGraphicMovie(-1), -1);
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

TEST_F(MovieTest, WindowActivationPausesAndPlaysEveryMovie) {
  MovieStreamDouble player;
  const int32_t first = LoadGraphicFileDefault(WriteMovie("a.mpg").c_str(), 0);
  const int32_t second = LoadGraphicFileDefault(WriteMovie("b.mpg").c_str(), 0);
  ASSERT_NE(first, -1);
  ASSERT_NE(second, -1);
  const HWND window = GetMainWindowHandle();

  SendMessageA(window, WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(MovieOf(first)->playing, 1);
  EXPECT_EQ(MovieOf(second)->playing, 1);
  EXPECT_TRUE(player.Stream(0).running);
  EXPECT_TRUE(player.Stream(1).running);

  SendMessageA(window, WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(MovieOf(first)->playing, 0);
  EXPECT_EQ(MovieOf(second)->playing, 0);
  EXPECT_EQ(player.Count("IMediaControl::Pause"), 2);

  SendMessageA(window, WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(MovieOf(first)->playing, 1);
  EXPECT_EQ(MovieOf(second)->playing, 1);
  EXPECT_EQ(DeleteGraphicHandle(first, 0), 0);
  EXPECT_EQ(DeleteGraphicHandle(second, 0), 0);
}

TEST_F(MovieTest, EndOfTheStreamStopsThePlayAndDeletingTheGraphicFreesTheMovie) {
  MovieDoubleOptions options;
  options.frame_count = 3;
  options.frames_ready = true;
  MovieStreamDouble player(options);
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  Draw(graphic);
  for (int32_t frame = 0; frame < 3; ++frame) {
    NextScreen();
    Draw(graphic);
    EXPECT_TRUE(ShowsFrame(graphic, frame));
  }
  // The update after the last frame met the end.
  EXPECT_EQ(MovieOf(graphic)->playing, 0);
  const int updates = player.Count(kUpdate);
  EXPECT_EQ(updates, 4);
  NextScreen();
  Draw(graphic);
  EXPECT_EQ(player.Count(kUpdate), updates);
  EXPECT_TRUE(ShowsFrame(graphic, 2));

  const int32_t movie = GetGraphicRecord(graphic)->movie_handle;
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
  EXPECT_EQ(GetMovieRecord(movie), nullptr);
  EXPECT_EQ(MovieHandleTable.live_count, 0);
  EXPECT_EQ(player.LiveObjects(), 0);
}

// A graphic derived from a movie graphic shows its part of the movie, and
// the movie closes with the last graphic that shows it, in either order.
TEST_F(MovieTest, DerivedGraphicsShareTheMovieUntilTheLastOfThemIsDeleted) {
  for (const bool parent_first : {true, false}) {
    SCOPED_TRACE(parent_first ? "parent deleted first" : "derived graphic deleted first");
    MovieDoubleOptions options;
    options.frames_ready = true;
    MovieStreamDouble player(options);
    const int32_t parent = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
    ASSERT_NE(parent, -1);
    const int32_t cell = DeriveGraphic(8, 4, 16, 16, parent);
    ASSERT_NE(cell, -1);
    const int32_t movie = GetGraphicRecord(parent)->movie_handle;
    EXPECT_EQ(GetGraphicRecord(cell)->movie_handle, movie);

    ASSERT_EQ(PlayGraphicMovie(cell), 0);
    Draw(cell);
    NextScreen();
    Draw(cell);
    // The frame lands where the movie's picture lies, under both graphics.
    EXPECT_TRUE(ShowsFrame(cell, 0, 8, 4));
    EXPECT_TRUE(ShowsFrame(parent, 0));

    const int32_t first = parent_first ? parent : cell;
    const int32_t last = parent_first ? cell : parent;
    EXPECT_EQ(DeleteGraphicHandle(first, 0), 0);
    ASSERT_NE(GetMovieRecord(movie), nullptr);
    NextScreen();
    Draw(last);
    EXPECT_TRUE(parent_first ? ShowsFrame(last, 1, 8, 4) : ShowsFrame(last, 1));

    EXPECT_EQ(DeleteGraphicHandle(last, 0), 0);
    EXPECT_EQ(GetMovieRecord(movie), nullptr);
    EXPECT_EQ(player.LiveObjects(), 0);
  }
}

TEST_F(MovieTest, StreamObjectsAreReleasedAndMadeAgainAroundAScreenRebuild) {
  MovieDoubleOptions options;
  options.frames_ready = true;
  MovieStreamDouble player(options);
  const int32_t playing = LoadGraphicFileDefault(WriteMovie("a.mpg").c_str(), 0);
  const int32_t still = LoadGraphicFileDefault(WriteMovie("b.mpg").c_str(), 0);
  ASSERT_NE(playing, -1);
  ASSERT_NE(still, -1);
  ASSERT_EQ(PlayGraphicMovie(playing), 0);
  Draw(playing);
  NextScreen();
  Draw(playing);
  ASSERT_TRUE(ShowsFrame(playing, 0));
  // Frame 1 is rendered already: the stream stands at frame 2.
  ASSERT_EQ(player.Stream(0).next_frame, 2);

  ASSERT_EQ(ReleaseAllMovieObjects(), 0);
  EXPECT_EQ(player.LiveObjects(), 0);
  EXPECT_EQ(MovieOf(playing)->multiMediaStream, nullptr);
  EXPECT_EQ(MovieOf(playing)->savedTime, 2 * options.time_per_frame);
  EXPECT_EQ(MovieOf(still)->savedTime, 0);
  // With its objects released a movie graphic is drawn as it stands.
  NextScreen();
  Draw(playing);
  EXPECT_TRUE(ShowsFrame(playing, 0));

  ASSERT_EQ(ReopenAllMovies(), 0);
  ASSERT_EQ(player.StreamCount(), 4);
  EXPECT_EQ(player.Stream(2).next_frame, 2);
  EXPECT_TRUE(player.Stream(2).running);
  EXPECT_EQ(player.Stream(3).next_frame, 0);
  EXPECT_FALSE(player.Stream(3).running);
  EXPECT_EQ(MovieOf(playing)->playing, 1);
  EXPECT_EQ(MovieOf(still)->playing, 0);
  NextScreen();
  Draw(playing);
  NextScreen();
  Draw(playing);
  EXPECT_TRUE(ShowsFrame(playing, 2));

  // A movie that cannot be opened again stops the reopening.
  ASSERT_EQ(ReleaseAllMovieObjects(), 0);
  player.FailOn("IAMMultiMediaStream::OpenFile", 1);
  player.FailOn("IAMMultiMediaStream::OpenFile", 2);
  EXPECT_EQ(ReopenAllMovies(), -1);
  EXPECT_EQ(MovieOf(playing)->multiMediaStream, nullptr);
  EXPECT_EQ(DeleteGraphicHandle(playing, 0), 0);
  EXPECT_EQ(DeleteGraphicHandle(still, 0), 0);
  EXPECT_EQ(player.LiveObjects(), 0);
}

TEST_F(MovieTest, LostSampleSurfaceIsRestoredWithItsGraphic) {
  MovieDoubleOptions options;
  options.frames_ready = true;
  MovieStreamDouble player(options);
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  Draw(graphic);
  NextScreen();
  Draw(graphic);
  ASSERT_TRUE(ShowsFrame(graphic, 0));

  LoseAllDirectDrawSurfaces();
  // A frame that cannot be read from the lost surface is not taken.
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 0));
  ASSERT_EQ(RestoreGraphic(graphic), 0);
  EXPECT_EQ(MovieOf(graphic)->sampleSurface->IsLost(), DD_OK);
  NextScreen();
  Draw(graphic);
  NextScreen();
  Draw(graphic);
  EXPECT_TRUE(ShowsFrame(graphic, 3));
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

// When the stream cannot render into the surface it was given, it makes its
// own (5-5-5 here): the frames are converted into the 5-6-5 graphic.
TEST_F(MovieTest, FramesOfTheStreamsOwnSurfaceAreConvertedIntoTheGraphic) {
  MovieStreamDouble player;
  player.FailOn("IDirectDrawMediaStream::CreateSample", 1);
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie("clip.mpg").c_str(), 0);
  ASSERT_NE(graphic, -1);
  EXPECT_EQ(MovieOf(graphic)->surfaceMode, kMovieSurfaceScreenFormat);
  EXPECT_EQ(MovieOf(graphic)->frameFormat.green_width, 5);
  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  ASSERT_EQ(UpdateMovieFrame(graphic, 1), 0);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t r, g, b;
      MovieFrameColor(0, x, y, &r, &g, &b);
      const uint16_t have = GraphicPixel(graphic, x, y);
      ASSERT_EQ(have >> 11, r >> 3) << x << ", " << y;
      ASSERT_EQ((have >> 6) & 31, g >> 3) << x << ", " << y;
      ASSERT_EQ(have & 31, b >> 3) << x << ", " << y;
    }
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

// A 24-bit frame always goes through the conversion, into whichever part
// of the graphic's pixels the movie's picture lies.
TEST_F(MovieTest, TwentyFourBitFrameIsConvertedIntoTheGraphic) {
  const int32_t graphic = MakeEmptyGraphic(kWidth, kHeight, 1);
  ASSERT_NE(graphic, -1);
  MovieRecord movie{};
  movie.surfaceMode = kMovieSurfaceRgb24;
  SetRgb888ColorFormat(&movie.frameFormat);
  movie.frameWidth = kWidth;
  movie.frameHeight = kHeight;
  movie.framePitch = kWidth * 3;
  std::vector<uint8_t> pixels(static_cast<size_t>(movie.framePitch) * kHeight);
  movie.frameBuffer = pixels.data();
  // Bytes blue, green, red.
  auto fill = [&](int32_t frame) {
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        uint8_t* p = &pixels[y * movie.framePitch + x * 3];
        MovieFrameColor(frame, x, y, &p[2], &p[1], &p[0]);
      }
  };
  fill(4);
  EXPECT_EQ(TransferMovieFrame(&movie, GetGraphicRecord(graphic)), 0);
  EXPECT_TRUE(ShowsFrame(graphic, 4));

  // Through a graphic derived from it, the frame still fills the whole
  // picture from its top-left.
  const int32_t cell = DeriveGraphic(4, 2, 8, 8, graphic);
  ASSERT_NE(cell, -1);
  fill(1);
  EXPECT_EQ(TransferMovieFrame(&movie, GetGraphicRecord(cell)), 0);
  EXPECT_TRUE(ShowsFrame(graphic, 1));
  EXPECT_TRUE(ShowsFrame(cell, 1, 4, 2));
  EXPECT_EQ(DeleteGraphicHandle(cell, 0), 0);
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

TEST_F(MovieTest, MovieInsideAnArchivePlaysFromATemporaryCopyDeletedWithItsGraphic) {
  const std::string bytes = "MOVIE from inside the archive, " + std::string(3000, 'x');
  ArchiveWriterFile entry;
  entry.path = "mov/clip.mpg";
  entry.data.assign(bytes.begin(), bytes.end());
  ArchiveWriterOptions archive_options;
  archive_options.key = "moviekey";
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(BuildArchive({entry}, archive_options, &archive, &error)) << error;
  Write("data.dat", std::string(archive.begin(), archive.end()));

  char previous[4096] = {};
  GetCurrentDirectoryA(sizeof(previous), previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
  InitArchiveLayer();
  StoreArchiveExtension("dat");
  StoreArchiveKey("moviekey");
  SetFileAccessFunctions(nullptr);

  {
    MovieStreamDouble player;
    const int32_t graphic = LoadGraphicFileDefault("data\\mov\\clip.mpg", 0);
    ASSERT_NE(graphic, -1);
    ASSERT_EQ(player.OpenedPaths().size(), 2u);
    EXPECT_EQ(player.OpenedPaths()[0], "data\\mov\\clip.mpg");
    const std::string copy = player.OpenedPaths()[1];
    const MovieRecord* movie = MovieOf(graphic);
    EXPECT_EQ(movie->tempFile, 1);
    EXPECT_EQ(std::string(movie->path), copy);
    EXPECT_EQ(ReadWholeFile(copy), bytes);

    ASSERT_EQ(PlayGraphicMovie(graphic), 0);
    ASSERT_EQ(UpdateMovieFrame(graphic, 1), 0);
    EXPECT_TRUE(ShowsFrame(graphic, 0));

    EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
    EXPECT_FALSE(FileExists(copy));
  }

  CloseAllArchives();
  InitArchiveLayer();
  StoreArchiveExtension(nullptr);
  StoreArchiveKey(nullptr);
  SetCurrentDirectoryA(previous);
}

// The path reaches the stream as UTF-16 and names the same file.
TEST_F(MovieTest, MovieWithAJapaneseFileNameOpens) {
  MovieStreamDouble player;
  const std::string path = folder_ + "/動画ファイル.mpg";
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "MOVIE", 5, &written, nullptr);
  CloseHandle(file);

  const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(player.OpenedPaths().size(), 1u);
  EXPECT_EQ(player.OpenedPaths()[0], path);
  EXPECT_EQ(MovieOf(graphic)->tempFile, 0);
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// Files that are no movies: each fails with the messages of its step, and
// no movie, graphic, stream object or temporary copy is left.
TEST_F(MovieTest, FilesThatAreNoMoviesFailCleanly) {
  struct Case {
    const char* name;
    bool stand_in;  // the platform's player, which has no decoder
    int32_t width;  // of the double's stream
    const char* contents;
    const char* message;
  };
  const Case cases[] = {
      {"stand-in", true, kWidth, "MOVIE but nothing decodes it", "ファイル:%s が開けませんでした"},
      {"no movie signature", false, kWidth, "hello", "ファイル:%s が開けませんでした"},
      {"no picture size", false, 0, "MOVIE without a picture", "動画ファイルではない可能性があります！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("notes.txt", c.contents);
    MovieDoubleOptions options;
    options.width = c.width;
    std::unique_ptr<MovieStreamDouble> player;
    if (!c.stand_in) player = std::make_unique<MovieStreamDouble>(options);
    LogCapture log;
    EXPECT_EQ(LoadGraphicFileDefault(path.c_str(), 0), -1);
    char message[512];
    std::snprintf(message, sizeof(message), c.message, path.c_str());
    EXPECT_NE(log.text().find(message), std::string::npos) << log.text();
    EXPECT_NE(log.text().find("ムービーファイルオープン処理時にエラーが発生しました"),
              std::string::npos);
    EXPECT_NE(log.text().find("右記のグラフィックファイルのロードに失敗しました：" + path),
              std::string::npos);
    EXPECT_EQ(MovieHandleTable.live_count, 0);
    EXPECT_EQ(GraphicTable.live_count, 0);
    if (player == nullptr) continue;
    EXPECT_EQ(player->LiveObjects(), 0);
    // A file the stream refused was tried again as a copy, which is gone.
    for (size_t i = 1; i < player->OpenedPaths().size(); ++i) {
      EXPECT_FALSE(FileExists(player->OpenedPaths()[i])) << player->OpenedPaths()[i];
    }
  }
}

// A failure at any step of the opening logs its message and releases all
// that was made.
TEST_F(MovieTest, FailureAtEachStepOfTheOpeningLeavesNothingBehind) {
  // nth 0: every use fails. The surface is made through the display.
  struct Case {
    const char* call;
    int nth;
    const char* message;
  };
  const Case cases[] = {
      {"CoCreateInstance(FilterGraph)", 1, "CLSID_FilterGraph の作成に失敗しました"},
      {"CoCreateInstance(AMMultiMediaStream)", 1,
       "IAMMultimediaインターフェイスを取得できませんでした！"},
      {"IAMMultiMediaStream::Initialize", 1, "ストリームを読み取り用にセットアップできませんでした！"},
      {"IGraphBuilder::QueryInterface", 1, "IID_IMediaControlインターフェイスの取得に失敗しました"},
      {"IAMMultiMediaStream::AddMediaStream", 1, "プライマリビデオストリームを追加できませんでした！"},
      {"IAMMultiMediaStream::AddMediaStream", 2, "デフォルトサウンドレンダラを追加できませんでした！"},
      {"IGraphBuilder::QueryInterface", 2, "メディアシーキングインターフェースの取得に失敗しました"},
      {"IGraphBuilder::QueryInterface", 3, "BasicAudio インターフェースの取得に失敗しました"},
      {"IAMMultiMediaStream::GetMediaStream", 1,
       "プライマリビデオストリームインターフェイスを取得できませんでした！"},
      {"IMediaStream::QueryInterface", 1, "AMMediaStreamインターフェイスの取得に失敗しました"},
      {"IMediaStream::QueryInterface", 2,
       "DirectDrawメディアストリームインターフェイスを取得できませんでした！"},
      {"IDirectDrawMediaStream::GetFormat", 1, "動画ファイルではない可能性があります！"},
      {"IDirectDrawStreamSample::GetSurface", 1,
       "ストリームサンプルからIDirectDrawSurfaceインターフェイスを取得できませんでした！"},
      {"IDirectDraw7::CreateSurface", 1, "DirectDrawSurface オブジェクトの作成に失敗しました"},
      {"IDirectDrawMediaStream::CreateSample", 0, "ストリームサンプルを作成できませんでした！"},
  };
  const std::string path = WriteMovie("clip.mpg");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.call) + " #" + std::to_string(c.nth));
    MovieStreamDouble player;
    DisplayScript display;
    const std::string call = c.call;
    if (call.rfind("IDirectDraw7::", 0) == 0) {
      display.FailOn(call, c.nth);
    } else if (c.nth == 0) {
      player.FailAlways(call);
    } else {
      player.FailOn(call, c.nth);
    }
    LogCapture log;
    EXPECT_EQ(LoadGraphicFileDefault(path.c_str(), 0), -1);
    EXPECT_NE(log.text().find(c.message), std::string::npos) << log.text();
    EXPECT_NE(log.text().find("ムービーファイルオープン処理時にエラーが発生しました"),
              std::string::npos);
    EXPECT_EQ(MovieHandleTable.live_count, 0);
    EXPECT_EQ(GraphicTable.live_count, 0);
    EXPECT_EQ(player.LiveObjects(), 0);
  }
}

// A movie whose graphic cannot be made (here a texture graphic while
// Direct3D does not run) is closed, not left open.
TEST_F(MovieTest, MovieWhoseGraphicCannotBeMadeIsClosed) {
  MovieStreamDouble player;
  const std::string path = WriteMovie("clip.mpg");
  const int32_t saved_3d = Use3DDrawing;
  const int32_t saved_rendering = Screen.MemImageRendering;
  Use3DDrawing = 1;
  Screen.MemImageRendering = 0;
  LogCapture log;
  EXPECT_EQ(LoadGraphicFileDefault(path.c_str(), 0), -1);
  Use3DDrawing = saved_3d;
  Screen.MemImageRendering = saved_rendering;
  EXPECT_NE(log.text().find("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：" +
                            path),
            std::string::npos)
      << log.text();
  EXPECT_EQ(player.StreamCount(), 1);
  EXPECT_EQ(MovieHandleTable.live_count, 0);
  EXPECT_EQ(player.LiveObjects(), 0);
}

TEST_F(MovieTest, HundredMoviesFillTheTableAndANewOneTakesTheFirstFreeSlot) {
  MovieStreamDouble player;
  const std::string path = WriteMovie("clip.mpg");
  std::vector<int32_t> movies;
  for (int32_t i = 0; i < 100; ++i) {
    int32_t width = 0, height = 0;
    const int32_t movie = OpenMovieToGraph(path.c_str(), &width, &height, 0);
    ASSERT_EQ(movie, ((i | 0x1800) << 16) | i);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    movies.push_back(movie);
  }
  {
    LogCapture log;
    EXPECT_EQ(OpenMovieToGraph(path.c_str(), nullptr, nullptr, 0), -1);
    EXPECT_EQ(log.text(), "");
  }
  // A failed open takes no id.
  player.FailOn("IAMMultiMediaStream::OpenFile", 1);
  player.FailOn("IAMMultiMediaStream::OpenFile", 2);
  EXPECT_EQ(CloseMovie(movies[7]), 0);
  EXPECT_EQ(CloseMovie(movies[5]), 0);
  EXPECT_EQ(OpenMovieToGraph(path.c_str(), nullptr, nullptr, 0), -1);
  movies[5] = OpenMovieToGraph(path.c_str(), nullptr, nullptr, 0);
  EXPECT_EQ(movies[5], ((100 | 0x1800) << 16) | 5);
  EXPECT_EQ(CloseMovie(movies[7]), -1);
  movies.erase(movies.begin() + 7);
  for (int32_t movie : movies) EXPECT_EQ(CloseMovie(movie), 0);
  EXPECT_EQ(player.LiveObjects(), 0);
}

}  // namespace
