// The built `brimal` on the SDL host under an X server of its own (Xvfb, with
// no window manager), its screen read back from the root window:
// - started with --fullscreen, the 640 x 480 picture fills the screen scaled
//   with its aspect kept and centred, black bars beside or above and below
//   it, for screens of other sizes and shapes;
// - started without an answer, the question goes to zenity (here a stand-in
//   script that answers), whose Yes gives full screen and No a window;
// - where the question cannot be shown (no zenity on the path), one line says
//   so and the game runs in a 640 x 480 window, although the X server has a
//   core font with which SDL's own box could be drawn (and would wait for a
//   click);
// - SIGTERM or SIGINT while the question is open, or while the title shows,
//   ends the program through its normal shut-down (exit status 0) and leaves
//   no zenity process (nor one it started) behind.
// The picture is compared with the title frame that the null host saves.
// And the host's message box with one OK button goes to zenity the same way
// (called in this process on the same kind of X server), and an end signal
// closes it.
// Each screen as read is kept beside the test program as
// sdl_full_screen_<case>.png, for a look. Skipped where no Xvfb is installed.
#include <gtest/gtest.h>
// Xlib's macros (None, Bool, Status) come after GoogleTest, whose names they
// would replace.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_calls.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_end_signals.h"
#include "tools/sample_data/sample_data.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// An RGB picture, 0xRRGGBB per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool ReadPng(const fs::path& path, Picture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height);
  for (size_t i = 0; i < picture->pixels.size(); ++i) {
    picture->pixels[i] = uint32_t{rgb[i * 3]} << 16 | uint32_t{rgb[i * 3 + 1]} << 8 | rgb[i * 3 + 2];
  }
  return true;
}

void WritePng(const fs::path& path, const Picture& picture) {
  std::vector<uint8_t> rgb(picture.pixels.size() * 3);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    rgb[i * 3] = static_cast<uint8_t>(picture.pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(picture.pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(picture.pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The path of program `name` in one of PATH's folders; empty when none.
std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "";
  size_t start = 0;
  while (start <= rest.size()) {
    const size_t colon = std::min(rest.find(':', start), rest.size());
    const std::string file = rest.substr(start, colon - start) + "/" + name;
    if (colon > start && access(file.c_str(), X_OK) == 0) return file;
    start = colon + 1;
  }
  return "";
}

// Starts `argv` with `environment`, its stdout and stderr in `log`; an
// open descriptor `keep` stays open in it. Returns the child's id, -1 when
// it could not start.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const fs::path& log, int keep = -1) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  const pid_t child = fork();
  if (child != 0) return child;
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
  }
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keep) close(fd);
  }
  // A test run started with these ignored (a background job of a shell
  // without job control) would pass that on.
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  execve(args[0], args.data(), env.data());
  _exit(127);
}

// The exit status of `child`, -1 when it did not exit normally.
int Wait(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// This process's environment with the entries of `changes` ("NAME=VALUE")
// put in place of those of the same name.
std::vector<std::string> Environment(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    const bool changed = std::any_of(changes.begin(), changes.end(), [&](const std::string& change) {
      return change.compare(0, name.size(), name) == 0;
    });
    if (!changed) result.push_back(text);
  }
  result.insert(result.end(), changes.begin(), changes.end());
  return result;
}

// Writes into `folder` a core font of the X server's kind (BDF text and the
// folder's fonts.dir): an 8 x 13 Unicode font whose printable ASCII glyphs
// are solid blocks. With it an X server offers what SDL's own message box
// draws with, as a desktop's X server does.
void WriteCoreFont(const fs::path& folder) {
  constexpr const char* kName = "-brimal-block-medium-r-normal--13-120-75-75-c-80-iso10646-1";
  fs::create_directories(folder);
  std::ofstream bdf(folder / "block.bdf");
  bdf << "STARTFONT 2.1\nFONT " << kName << "\nSIZE 12 75 75\nFONTBOUNDINGBOX 8 13 0 -2\n"
      << "STARTPROPERTIES 3\nFONT_ASCENT 11\nFONT_DESCENT 2\nDEFAULT_CHAR 32\nENDPROPERTIES\n"
      << "CHARS 95\n";
  for (int c = 32; c < 127; ++c) {
    bdf << "STARTCHAR c" << c << "\nENCODING " << c << "\nSWIDTH 480 0\nDWIDTH 8 0\n"
        << "BBX 8 13 0 -2\nBITMAP\n";
    for (int row = 0; row < 13; ++row) bdf << "FF\n";
    bdf << "ENDCHAR\n";
  }
  bdf << "ENDFONT\n";
  std::ofstream(folder / "fonts.dir") << "1\nblock.bdf " << kName << "\n";
}

// An X server of one screen of the given size, 24 bits a pixel, with no
// window manager; it is ended with the object.
class VirtualScreen {
 public:
  VirtualScreen(const std::string& xvfb, int width, int height, const fs::path& log) {
    int ready[2];
    if (pipe(ready) != 0) return;
    // Whatever font packages the machine holds, the server has its built-in
    // fonts and one core font of ours, with which SDL's own box can be drawn
    // (and would then wait for a click that never comes).
    const fs::path fonts = log.parent_path() / "fonts";
    WriteCoreFont(fonts);
    // -displayfd: the server takes a free display number and writes it to
    // the descriptor once it accepts clients.
    pid_ = Start({xvfb, "-displayfd", std::to_string(ready[1]), "-screen", "0",
                  std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp",
                  "-fp", "built-ins," + fonts.string()},
                 Environment({}), log, ready[1]);
    close(ready[1]);
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(ready[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~VirtualScreen() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      Wait(pid_);
    }
  }

  // ":N", empty when the server did not start.
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The whole screen of `display`, read from its root window.
bool ReadScreen(Display* display, Picture* picture) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, root, &attributes) == 0) return false;
  XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  picture->width = attributes.width;
  picture->height = attributes.height;
  picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height);
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      // At depth 24 a pixel is 0xRRGGBB.
      picture->pixels[static_cast<size_t>(y) * picture->width + x] =
          static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
    }
  }
  XDestroyImage(image);
  return true;
}

struct Rect {
  int x, y, width, height;
  bool operator==(const Rect&) const = default;
};

std::string Describe(const Rect& r) {
  return std::to_string(r.width) + "x" + std::to_string(r.height) + " at (" + std::to_string(r.x) +
         ", " + std::to_string(r.y) + ")";
}

// The smallest rectangle holding every pixel of the screen that is not black.
Rect LitArea(const Picture& screen) {
  int x0 = screen.width, y0 = screen.height, x1 = 0, y1 = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      if (screen.At(x, y) == 0) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x + 1);
      y1 = std::max(y1, y + 1);
    }
  }
  return x0 < x1 ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{0, 0, 0, 0};
}

// The share of the pixels of `area` that show `picture` scaled to it: the
// pixel of the picture that the screen pixel's centre falls on, or one of
// its neighbours (scalers may round a boundary either way).
double ShareShowing(const Picture& screen, const Rect& area, const Picture& picture) {
  int64_t showing = 0;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      const int px = static_cast<int>((2 * (x - area.x) + 1) * int64_t{picture.width} / (2 * area.width));
      const int py = static_cast<int>((2 * (y - area.y) + 1) * int64_t{picture.height} / (2 * area.height));
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int sx = std::clamp(px + dx, 0, picture.width - 1);
          const int sy = std::clamp(py + dy, 0, picture.height - 1);
          found = picture.At(sx, sy) == screen.At(x, y);
        }
      }
      showing += found;
    }
  }
  return static_cast<double>(showing) / (static_cast<double>(area.width) * area.height);
}

// Whether process `pid` runs (a zombie, ended but not yet collected, does
// not count).
bool Running(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (pid <= 0 || !std::getline(stat, text)) return false;
  const size_t name_end = text.rfind(')');
  return name_end != std::string::npos && name_end + 2 < text.size() && text[name_end + 2] != 'Z';
}

// A stand-in zenity in `bin` that never answers: it starts a child process
// of its own (a long sleep), writes both ids to `folder`/zenity.pid and
// waits. Whatever is left of it is ended with the object.
class BlockingZenity {
 public:
  BlockingZenity(const fs::path& bin, const fs::path& folder) : pid_file_(folder / "zenity.pid") {
    // The program's PATH holds only `bin`: the tools are named in full.
    const std::string sleep = FindProgram("sleep");
    const std::string mv = FindProgram("mv");
    const std::string written = (folder / "zenity.pid.new").string();
    std::ofstream(bin / "zenity") << "#!/bin/sh\n"
                                  << "'" << sleep << "' 600 &\n"
                                  << "echo $$ $! > '" << written << "'\n"
                                  << "'" << mv << "' '" << written << "' '" << pid_file_.string()
                                  << "'\n"
                                  << "wait\n";
    fs::permissions(bin / "zenity", fs::perms::owner_all);
  }
  ~BlockingZenity() {
    for (pid_t pid : {zenity_, sleep_}) {
      if (Running(pid)) kill(pid, SIGKILL);
    }
  }

  // Waits until the box is open (its pid file is there); false when it did
  // not open within a minute.
  bool WaitUntilOpen() {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!fs::exists(pid_file_)) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream(pid_file_) >> zenity_ >> sleep_;
    return true;
  }

  // The box was open and neither it nor its child runs any more. Zenity
  // itself is gone once the box is closed; its child, killed with it but not
  // waited for, is given a moment to die.
  void ExpectEnded() const {
    ASSERT_GT(zenity_, 0) << "the box never opened";
    EXPECT_FALSE(Running(zenity_)) << "zenity outlived the box";
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Running(sleep_) && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(Running(sleep_)) << "zenity's child outlived the box";
  }

 private:
  fs::path pid_file_;
  pid_t zenity_ = -1;
  pid_t sleep_ = -1;
};

// The zenity the program finds on its path.
enum class Zenity {
  kInstalled,  // the machine's own (never asked: the options answer)
  kNone,       // none
  kSaysYes,    // a stand-in that keeps its arguments and answers Yes
  kSaysNo,     // the same, answering No
};

struct ScreenCase {
  const char* name;
  int screen_width;
  int screen_height;
  std::vector<std::string> options;  // besides --data and --frames
  Zenity zenity;
  Rect picture;  // where the picture stands on the screen
};

class SdlFullScreenTest : public ::testing::TestWithParam<ScreenCase> {
 protected:
  // The sample set and the title frame as the null host saves it, made once.
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/brimal_full_screen_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = new fs::path(pattern);
    std::string error;
    ASSERT_TRUE(GenerateSampleData((*folder_ / "set").string(), SampleDataOptions{}, &error)) << error;
    // The title stands still from its second frame on.
    const fs::path frames = *folder_ / "frames";
    fs::create_directory(frames);
    const pid_t child = Start({BRIMAL_PROGRAM, "--host=null", "--data=" + (*folder_ / "set").string(),
                               "--fullscreen", "--frames=60", "--save-frames=" + frames.string(),
                               "--frame-list=60"},
                              Environment({}), *folder_ / "null.log");
    ASSERT_EQ(Wait(child), 0) << ReadWhole(*folder_ / "null.log");
    title_ = new Picture;
    ASSERT_TRUE(ReadPng(frames / "frame_000060.png", title_));
    ASSERT_EQ(title_->width, kPictureWidth);
    ASSERT_EQ(title_->height, kPictureHeight);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    if (folder_ != nullptr) fs::remove_all(*folder_, ignored);
    delete folder_;
    delete title_;
    folder_ = nullptr;
    title_ = nullptr;
  }

  static fs::path* folder_;
  static Picture* title_;
};

fs::path* SdlFullScreenTest::folder_ = nullptr;
Picture* SdlFullScreenTest::title_ = nullptr;

TEST_P(SdlFullScreenTest, ThePictureStandsScaledAndCentredOnTheScreen) {
  const ScreenCase& c = GetParam();
  const std::string xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "no Xvfb on the path (scripts/install-deps.sh installs it)";
  ASSERT_NE(title_, nullptr);
  const fs::path scratch = *folder_ / c.name;
  fs::create_directory(scratch);

  VirtualScreen screen(xvfb, c.screen_width, c.screen_height, scratch / "xvfb.log");
  ASSERT_FALSE(screen.Name().empty()) << ReadWhole(scratch / "xvfb.log");
  Display* display = XOpenDisplay(screen.Name().c_str());
  ASSERT_NE(display, nullptr) << screen.Name();

  // 180 frames (3 s, longer on a busy machine) of the title: long enough to
  // be read while it shows, then the run ends through the normal shut-down.
  std::vector<std::string> argv = {BRIMAL_PROGRAM, "--data=" + (*folder_ / "set").string(),
                                   "--frames=180"};
  argv.insert(argv.end(), c.options.begin(), c.options.end());
  std::vector<std::string> changes = {"DISPLAY=" + screen.Name(), "SDL_VIDEODRIVER=x11",
                                      "SDL_AUDIODRIVER=dummy"};
  const fs::path bin = scratch / "bin";
  const fs::path zenity_args = scratch / "zenity-args.txt";
  if (c.zenity != Zenity::kInstalled) {
    fs::create_directory(bin);
    changes.push_back("PATH=" + bin.string());
  }
  if (c.zenity == Zenity::kSaysYes || c.zenity == Zenity::kSaysNo) {
    std::ofstream(bin / "zenity") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << zenity_args.string()
                                  << "'\nexit " << (c.zenity == Zenity::kSaysYes ? 0 : 1) << "\n";
    fs::permissions(bin / "zenity", fs::perms::owner_all);
  }
  const fs::path log = scratch / "brimal.log";
  const pid_t child = Start(argv, Environment(changes), log);
  ASSERT_GT(child, 0);

  // The screen is read until the title shows where it should or the run
  // ends; the last screen read is judged. A run that has not ended after two
  // minutes (a box waiting for an answer) is ended.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  Picture shown;
  bool placed = false;
  int status = -1;
  for (;;) {
    int wait_status = 0;
    const pid_t ended = waitpid(child, &wait_status, WNOHANG);
    if (ended == child) {
      status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
      break;
    }
    if (std::chrono::steady_clock::now() > give_up) {
      kill(child, SIGKILL);
      Wait(child);
      ADD_FAILURE() << "the run did not end";
      break;
    }
    Picture read;
    if (!placed && ReadScreen(display, &read)) {
      shown = std::move(read);
      placed = LitArea(shown) == c.picture && ShareShowing(shown, c.picture, *title_) > 0.99;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  XCloseDisplay(display);
  const std::string said = ReadWhole(log);
  WritePng(std::string("sdl_full_screen_") + c.name + ".png", shown);

  EXPECT_EQ(status, 0) << said;
  ASSERT_EQ(shown.width, c.screen_width);
  ASSERT_EQ(shown.height, c.screen_height);
  // Black bars all round the picture, and the picture as large as it fits.
  EXPECT_EQ(Describe(LitArea(shown)), Describe(c.picture));
  EXPECT_GT(ShareShowing(shown, c.picture, *title_), 0.99);

  const size_t question = said.find("cannot show the question");
  if (!c.options.empty()) {
    EXPECT_FALSE(fs::exists(zenity_args)) << "asked although the options answer";
  } else if (c.zenity == Zenity::kSaysYes || c.zenity == Zenity::kSaysNo) {
    const std::string asked = ReadWhole(zenity_args);
    EXPECT_NE(asked.find("--question\n"), std::string::npos) << asked;
    EXPECT_NE(asked.find("--title=ブリマル\n"), std::string::npos) << asked;
    EXPECT_NE(asked.find("--text=フルスクリーンで起動しますか？\n"), std::string::npos) << asked;
  }
  if (c.zenity == Zenity::kNone) {
    ASSERT_NE(question, std::string::npos) << said;
    EXPECT_EQ(said.find("cannot show the question", question + 1), std::string::npos) << said;
    EXPECT_NE(said.find("zenity program is not installed"), std::string::npos) << said;
    EXPECT_NE(said.find("starts in a window"), std::string::npos) << said;
    EXPECT_EQ(said.find("zenity reported"), std::string::npos) << said;
  } else {
    EXPECT_EQ(question, std::string::npos) << said;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, SdlFullScreenTest,
    ::testing::Values(
        // Wider than 4:3: scaled by 720 / 480 = 1.5 to 960 x 720, bars left
        // and right.
        ScreenCase{"wide", 1280, 720, {"--fullscreen"}, Zenity::kInstalled, {160, 0, 960, 720}},
        // Taller than 4:3: scaled by 800 / 640 = 1.25 to 800 x 600, bars
        // above and below.
        ScreenCase{"tall", 800, 800, {"--fullscreen"}, Zenity::kInstalled, {0, 100, 800, 600}},
        // 4:3: scaled by 1.6, the whole screen.
        ScreenCase{"four_by_three", 1024, 768, {"--fullscreen"}, Zenity::kInstalled, {0, 0, 1024, 768}},
        // The answers of the question itself.
        ScreenCase{"asked_yes", 1280, 720, {}, Zenity::kSaysYes, {160, 0, 960, 720}},
        // A 640 x 480 window in the middle of the screen, which nothing else
        // covers.
        ScreenCase{"asked_no", 1280, 720, {}, Zenity::kSaysNo, {320, 120, 640, 480}},
        // --window answers No without asking, even with a zenity at hand.
        ScreenCase{"window", 1280, 720, {"--window"}, Zenity::kSaysYes, {320, 120, 640, 480}},
        // No question can be shown: No.
        ScreenCase{"unasked", 1280, 720, {}, Zenity::kNone, {320, 120, 640, 480}}),
    [](const ::testing::TestParamInfo<ScreenCase>& info) { return std::string(info.param.name); });

// X errors are ignored while the windows are looked through (one may go away
// between the listing and the look at its name); Xlib's own handler would end
// the test program.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Whether `display` shows a window named `name` (a child of the root window,
// as windows are without a window manager).
bool ShowsWindow(Display* display, const char* name) {
  const XErrorHandler previous = XSetErrorHandler(&IgnoreXError);
  struct RestoreHandler {
    Display* display;
    XErrorHandler previous;
    ~RestoreHandler() {
      XSync(display, False);
      XSetErrorHandler(previous);
    }
  } restore{display, previous};
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
    return false;
  }
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    char* window_name = nullptr;
    if (XFetchName(display, children[i], &window_name) != 0 && window_name != nullptr) {
      found = std::string(window_name) == name;
      XFree(window_name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

struct EndSignalCase {
  const char* name;
  int signal;
  bool question_open;  // else the game's window is open (the question answered by --window)
};

class SdlEndSignalTest : public ::testing::TestWithParam<EndSignalCase> {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/brimal_end_signal_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = new fs::path(pattern);
    std::string error;
    ASSERT_TRUE(GenerateSampleData((*folder_ / "set").string(), SampleDataOptions{}, &error)) << error;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    if (folder_ != nullptr) fs::remove_all(*folder_, ignored);
    delete folder_;
    folder_ = nullptr;
  }

  static fs::path* folder_;
};

fs::path* SdlEndSignalTest::folder_ = nullptr;

// SIGTERM and SIGINT end the program through its normal shut-down (exit
// status 0, not death by the signal) while the start-up question is open (the
// box and what it started end too) and while the game's window is open.
TEST_P(SdlEndSignalTest, EndsThroughTheNormalShutDown) {
  const EndSignalCase& c = GetParam();
  const std::string xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "no Xvfb on the path (scripts/install-deps.sh installs it)";
  ASSERT_NE(folder_, nullptr);
  const fs::path scratch = *folder_ / c.name;
  const fs::path bin = scratch / "bin";
  fs::create_directories(bin);
  VirtualScreen screen(xvfb, 1280, 720, scratch / "xvfb.log");
  ASSERT_FALSE(screen.Name().empty()) << ReadWhole(scratch / "xvfb.log");
  Display* display = XOpenDisplay(screen.Name().c_str());
  ASSERT_NE(display, nullptr) << screen.Name();
  BlockingZenity zenity(bin, scratch);

  // Far more frames than the run lasts: only the signal ends it.
  std::vector<std::string> argv = {BRIMAL_PROGRAM, "--data=" + (*folder_ / "set").string(),
                                   "--frames=100000"};
  if (!c.question_open) argv.push_back("--window");
  const fs::path log = scratch / "brimal.log";
  const pid_t child = Start(argv,
                            Environment({"DISPLAY=" + screen.Name(), "SDL_VIDEODRIVER=x11",
                                         "SDL_AUDIODRIVER=dummy", "PATH=" + bin.string()}),
                            log);
  ASSERT_GT(child, 0);

  bool reached = false;
  if (c.question_open) {
    reached = zenity.WaitUntilOpen();
  } else {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!reached && std::chrono::steady_clock::now() < give_up) {
      reached = ShowsWindow(display, "BRIMAL_Ver1.04");
      if (!reached) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  XCloseDisplay(display);
  EXPECT_TRUE(reached) << ReadWhole(log);
  kill(child, c.signal);

  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (ended != child) {
    kill(child, SIGKILL);
    Wait(child);
    FAIL() << "the signal did not end the program\n" << ReadWhole(log);
  }
  const std::string said = ReadWhole(log);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
                                 << "\n" << said;
  EXPECT_EQ(WEXITSTATUS(status), 0) << said;
  EXPECT_EQ(said.find("cannot show the question"), std::string::npos) << said;
  if (c.question_open) zenity.ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(
    States, SdlEndSignalTest,
    ::testing::Values(EndSignalCase{"sigterm_question", SIGTERM, true},
                      EndSignalCase{"sigint_question", SIGINT, true},
                      EndSignalCase{"sigterm_window", SIGTERM, false}),
    [](const ::testing::TestParamInfo<EndSignalCase>& info) { return std::string(info.param.name); });

// A message with one OK button goes to zenity's information box with its
// caption and text; an end signal while it is open closes it (zenity and what
// it started end); with no zenity on the path it is not shown (SDL's own box,
// which could be drawn on this server, is not used), and the host writes it
// to stderr.
TEST(SdlMessageBoxTest, AMessageGoesToZenityAndIsRefusedWhereNothingCanShowIt) {
  const std::string xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "no Xvfb on the path (scripts/install-deps.sh installs it)";
  char pattern[] = "/tmp/brimal_message_box_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path scratch = pattern;
  VirtualScreen screen(xvfb, 640, 480, scratch / "xvfb.log");
  ASSERT_FALSE(screen.Name().empty()) << ReadWhole(scratch / "xvfb.log");

  const fs::path bin = scratch / "bin";
  const fs::path zenity_args = scratch / "zenity-args.txt";
  fs::create_directory(bin);
  std::ofstream(bin / "zenity") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << zenity_args.string()
                                << "'\nexit 0\n";
  fs::permissions(bin / "zenity", fs::perms::owner_all);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("DISPLAY", screen.Name().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  std::string error;
  ASSERT_TRUE(LoadSdl(&error)) << error;
  ASSERT_EQ(Sdl().SDL_Init(SDL_INIT_VIDEO), 0) << Sdl().SDL_GetError();

  setenv("PATH", bin.c_str(), 1);
  EXPECT_TRUE(SdlShowMessage("ブリマル", "セーブしました。"));
  const std::string shown = ReadWhole(zenity_args);
  EXPECT_NE(shown.find("--info\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("--title=ブリマル\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("--text=セーブしました。\n"), std::string::npos) << shown;

  // A zenity that waits for ever (which finds its tools on the test's own
  // path), and SIGTERM once it is there.
  setenv("PATH", path.c_str(), 1);
  BlockingZenity blocking(bin, scratch);
  setenv("PATH", bin.c_str(), 1);
  InstallEndSignalHandlers();
  std::thread signaller([&] {
    if (blocking.WaitUntilOpen()) kill(getpid(), SIGTERM);
  });
  EXPECT_TRUE(SdlShowMessage("ブリマル", "セーブしました。"));
  signaller.join();
  RemoveEndSignalHandlers();
  blocking.ExpectEnded();

  fs::remove(bin / "zenity");
  EXPECT_FALSE(SdlShowMessage("ブリマル", "セーブしました。"));

  setenv("PATH", path.c_str(), 1);
  Sdl().SDL_Quit();
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
}

}  // namespace
