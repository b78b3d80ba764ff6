// The SDL2 host: clock, window and picture, sound, keyboard and joysticks.
#include "platform/sdl/sdl_host.h"

#include "platform/sdl/sdl_calls.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/host/cp932.h"
#include "platform/host/thread_id.h"
#include "platform/host/window_image.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_end_signals.h"

namespace {

constexpr int kAudioRate = 44100;

uint64_t PeriodIndex(uint64_t t) { return t * 3 / 50000; }
uint64_t BoundaryTime(uint64_t k) { return (k * 50000 + 2) / 3; }

// ---- Clock ------------------------------------------------------------------

// The real clock: microseconds of the steady clock, with the same rule for the
// vertical-blank status as the null host (a blank is reported once per 1/60 s
// boundary that no wait has consumed).
class SdlClock : public ClockHost {
 public:
  explicit SdlClock(std::function<void()> on_vertical_blank)
      : consumed_period_(PeriodIndex(Now())), on_vertical_blank_(std::move(on_vertical_blank)) {}

  uint64_t Microseconds() override { return Now(); }

  void Sleep(uint32_t milliseconds) override {
    if (milliseconds == 0) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
  }

  void WaitVerticalBlank() override {
    const uint64_t target = BoundaryTime(PeriodIndex(Now()) + 1);
    SleepUntil(target);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      consumed_period_ = std::max(consumed_period_, PeriodIndex(target));
    }
    if (IsGameThread() && on_vertical_blank_) on_vertical_blank_();
  }

  bool InVerticalBlank() override {
    const uint64_t period = PeriodIndex(Now());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (period <= consumed_period_) return false;
      consumed_period_ = period;
    }
    // Found like this, the blank is consumed as a wait would consume it.
    if (IsGameThread() && on_vertical_blank_) on_vertical_blank_();
    return true;
  }

  int ScanLine() override {
    const uint64_t now = Now();
    const uint64_t phase = now - BoundaryTime(PeriodIndex(now));
    const int line = std::min<int>(static_cast<int>(phase * 3 * 525 / 50000), 524);
    return (line + 480) % 525;
  }

  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
               uint32_t timeout_milliseconds, const std::function<bool()>& ready) override {
    if (timeout_milliseconds == kInfinite) {
      cv.wait(lock, ready);
      return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeout_milliseconds), ready);
  }

 private:
  static uint64_t Now() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  static void SleepUntil(uint64_t microseconds) {
    const uint64_t now = Now();
    if (microseconds > now) std::this_thread::sleep_for(std::chrono::microseconds(microseconds - now));
  }

  std::mutex mutex_;
  uint64_t consumed_period_;
  std::function<void()> on_vertical_blank_;
};

}  // namespace

// ---- Video ------------------------------------------------------------------

class SdlVideo : public VideoHost {
 public:
  SdlVideo(SdlHost::Impl& impl, const SdlHostOptions& options) : impl_(impl), options_(options) {}
  ~SdlVideo() override {
    if (texture_ != nullptr) Sdl().SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) Sdl().SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr) Sdl().SDL_DestroyWindow(window_);
  }

  void SetWindowImageSize(int width, int height) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      image_.Resize(width, height);
      size_changed_ = true;
      MarkAllChangedLocked();
    }
    if (OnMainThread()) Update();
  }

  void GetWindowImageSize(int* width, int* height) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    *width = image_.width();
    *height = image_.height();
  }

  void WritePixels(int x, int y, int width, int height, const HostPixels& src) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0) return;
      const bool whole = image_.Write(x, y, width, height, src);
      MarkChangedLocked(x, y, int64_t{x} + width, int64_t{y} + height);
      if (whole && blank_waited_) {
        blank_waited_ = false;
        ++frame_count_;
      }
    }
    if (OnMainThread()) Update();
  }

  void ReadImage(int x, int y, int width, int height, uint32_t* dst,
                 int dst_pitch) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    image_.Read(x, y, width, height, dst, dst_pitch);
  }

  void SetTitle(const std::string& utf8_title) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      title_ = utf8_title;
      title_changed_ = true;
    }
    if (OnMainThread()) Update();
  }

  void SetIcon(int width, int height, const uint32_t* argb) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      icon_.assign(argb, argb + static_cast<size_t>(std::max(width, 0)) * std::max(height, 0));
      icon_width_ = width;
      icon_height_ = height;
      icon_changed_ = true;
    }
    if (OnMainThread()) Update();
  }

  void SetFullScreen(bool full_screen) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      full_screen_ = full_screen;
      full_screen_changed_ = true;
    }
    if (OnMainThread()) Update();
  }

  void PollEvents(std::vector<HostEvent>* out) override;

  bool AskYesNo(const std::string& utf8_caption, const std::string& utf8_text) override {
    if (options_.answer.has_value()) return *options_.answer;
    std::string why = "not the main thread";
    bool yes = false;
    if (OnMainThread() && SdlShowQuestion(utf8_caption, utf8_text, &yes, &why)) return yes;
    std::fprintf(stderr,
                 "brimal: cannot show the question \"%s\" (%s): the answer is No, so the game "
                 "starts in a window; --fullscreen or --window answers it without asking\n",
                 OneLine(utf8_text).c_str(), why.c_str());
    return false;
  }

  void ShowMessage(const std::string& utf8_caption, const std::string& utf8_text) override {
    if (OnMainThread() && SdlShowMessage(utf8_caption, utf8_text)) return;
    std::fprintf(stderr, "brimal: message \"%s\": %s\n", OneLine(utf8_caption).c_str(),
                 OneLine(utf8_text).c_str());
  }

  void GetDesktopMode(int* width, int* height, int* bits_per_pixel) const override {
    *width = desktop_width_;
    *height = desktop_height_;
    *bits_per_pixel = desktop_depth_;
  }

  // Reads the desktop's mode (main thread, once at start).
  void ReadDesktopMode() {
    SDL_DisplayMode mode{};
    if (Sdl().SDL_GetDesktopDisplayMode(0, &mode) != 0) return;
    desktop_width_ = mode.w;
    desktop_height_ = mode.h;
    // 24-bit desktops are reported as 32-bit: start-up refuses 24.
    desktop_depth_ = SDL_BITSPERPIXEL(mode.format) <= 16 ? 16 : 32;
  }

  void NoteVerticalBlank() {
    std::lock_guard<std::mutex> lock(mutex_);
    blank_waited_ = true;
  }

  bool HasWindow() const { return window_ != nullptr; }

 private:
  bool OnMainThread() const;
  // Makes the window a borderless one over the whole display (main thread).
  void CoverDisplay();
  // Hands what changed on to SDL and shows the window image (main thread).
  void Update();

  // The part of the window image the texture lacks grows by the rectangle
  // (x0, y0)-(x1, y1), clipped to the image.
  void MarkChangedLocked(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, image_.width());
    y1 = std::min<int64_t>(y1, image_.height());
    if (x0 >= x1 || y0 >= y1) return;
    if (changed_x0_ >= changed_x1_) {
      changed_x0_ = static_cast<int>(x0);
      changed_y0_ = static_cast<int>(y0);
      changed_x1_ = static_cast<int>(x1);
      changed_y1_ = static_cast<int>(y1);
    } else {
      changed_x0_ = std::min(changed_x0_, static_cast<int>(x0));
      changed_y0_ = std::min(changed_y0_, static_cast<int>(y0));
      changed_x1_ = std::max(changed_x1_, static_cast<int>(x1));
      changed_y1_ = std::max(changed_y1_, static_cast<int>(y1));
    }
    image_changed_ = true;
  }
  void MarkAllChangedLocked() {
    changed_x0_ = changed_y0_ = changed_x1_ = changed_y1_ = 0;
    MarkChangedLocked(0, 0, image_.width(), image_.height());
    image_changed_ = true;
  }

  SdlHost::Impl& impl_;
  const SdlHostOptions& options_;
  mutable std::mutex mutex_;
  WindowImage image_;
  std::string title_;
  std::vector<uint32_t> icon_;
  int icon_width_ = 0;
  int icon_height_ = 0;
  bool full_screen_ = false;
  bool size_changed_ = false;
  bool image_changed_ = false;  // the window is to be drawn again
  // The rectangle of the window image not yet in the texture (empty when
  // x0 >= x1).
  int changed_x0_ = 0;
  int changed_y0_ = 0;
  int changed_x1_ = 0;
  int changed_y1_ = 0;
  bool title_changed_ = false;
  bool icon_changed_ = false;
  bool full_screen_changed_ = false;
  bool blank_waited_ = false;
  int64_t frame_count_ = 0;
  bool close_reported_ = false;
  bool quit_reported_ = false;
  int desktop_width_ = 1920;
  int desktop_height_ = 1080;
  int desktop_depth_ = 32;

  // Main thread only.
  bool dropping_ = false;            // between a drop's begin and its end
  std::vector<std::string> dropped_;  // the paths of the drop under way
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int texture_width_ = 0;
  int texture_height_ = 0;
};

// ---- Audio --------------------------------------------------------------------

// Sound cards appear here; a machine without it has no sound hardware.
constexpr const char* kSoundCardFolder = "/dev/snd";
// The drivers that reach a sound server, which may play elsewhere. They fail
// quietly where no server runs.
constexpr std::array<const char*, 2> kSoundServerDrivers = {"pipewire", "pulseaudio"};

// How SDL is to look for a sound device.
enum class AudioDrivers {
  kSdlOrder,       // SDL_AUDIODRIVER or SDL's own order
  kSoundServers,   // no sound card: only the sound-server drivers
  kNone,           // no sound card and no sound-server driver
};

// Chooses the audio drivers SDL tries. Asked for a device on a machine
// without a sound card, the ALSA library (and sndio, which goes through it)
// writes several lines of its own errors on stderr; there only the
// sound-server drivers are tried. SDL_AUDIODRIVER, when set, decides alone.
AudioDrivers ChooseAudioDrivers() {
  const char* asked = Sdl().SDL_getenv("SDL_AUDIODRIVER");
  if (asked != nullptr && *asked != '\0') return AudioDrivers::kSdlOrder;
  std::error_code ignored;
  if (std::filesystem::exists(kSoundCardFolder, ignored)) return AudioDrivers::kSdlOrder;
  std::string drivers;
  for (int i = 0; i < Sdl().SDL_GetNumAudioDrivers(); ++i) {
    const char* name = Sdl().SDL_GetAudioDriver(i);
    for (const char* server : kSoundServerDrivers) {
      if (std::strcmp(name, server) != 0) continue;
      if (!drivers.empty()) drivers += ',';
      drivers += name;
    }
  }
  if (drivers.empty()) return AudioDrivers::kNone;
  Sdl().SDL_SetHint(SDL_HINT_AUDIODRIVER, drivers.c_str());
  return AudioDrivers::kSoundServers;
}

// Said once a run, however often the sound is opened again.
void SayNoSound(const char* reason) {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "brimal: no sound device (%s); the game runs without sound\n", reason);
}

class SdlAudio : public AudioHost {
 public:
  explicit SdlAudio(ClockHost& clock) : clock_(clock) {}
  ~SdlAudio() override { Close(); }

  bool Open(PullFunction pull) override {
    Close();
    pull_ = std::move(pull);
    const AudioDrivers drivers = ChooseAudioDrivers();
    if (drivers != AudioDrivers::kNone && Sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      audio_started_ = true;
      SDL_AudioSpec want{};
      want.freq = kAudioRate;
      want.format = AUDIO_S16SYS;
      want.channels = 2;
      want.samples = 1024;
      want.callback = &SdlAudio::Callback;
      want.userdata = this;
      SDL_AudioSpec have{};
      device_ = Sdl().SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
      if (device_ != 0) {
        Sdl().SDL_PauseAudioDevice(device_, 0);
        return true;
      }
    }
    // Without a card the last server driver's complaint would only confuse.
    SayNoSound(drivers == AudioDrivers::kSdlOrder ? Sdl().SDL_GetError()
                                                  : "no sound card, no sound server");
    StartSilentOutput();
    return true;
  }

  void Close() override {
    if (device_ != 0) {
      Sdl().SDL_CloseAudioDevice(device_);
      device_ = 0;
    }
    if (silent_thread_.joinable()) {
      silent_running_ = false;
      silent_thread_.join();
    }
    if (audio_started_) {
      Sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
      audio_started_ = false;
    }
    pull_ = nullptr;
  }

  int OutputRate() const override { return kAudioRate; }

  bool DeviceOpen() const { return device_ != 0; }

 private:
  static void Callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlAudio*>(user);
    std::memset(stream, 0, length);
    self->pull_(reinterpret_cast<int16_t*>(stream), length / 4);
  }

  // Without a device the mixer is still pulled at the output rate, timed by
  // the host clock, so play cursors move and sounds end.
  void StartSilentOutput() {
    silent_running_ = true;
    silent_thread_ = std::thread([this] {
      std::vector<int16_t> buffer(2 * 1024);
      const uint64_t start = clock_.Microseconds();
      uint64_t pulled = 0;
      while (silent_running_) {
        const uint64_t due = (clock_.Microseconds() - start) * kAudioRate / 1000000;
        while (pulled < due) {
          const int count = static_cast<int>(std::min<uint64_t>(due - pulled, 1024));
          std::fill(buffer.begin(), buffer.end(), 0);
          pull_(buffer.data(), count);
          pulled += count;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
  }

  ClockHost& clock_;
  PullFunction pull_;
  SDL_AudioDeviceID device_ = 0;
  bool audio_started_ = false;
  std::atomic<bool> silent_running_{false};
  std::thread silent_thread_;
};

// ---- The host -------------------------------------------------------------------

struct SdlHost::Impl {
  explicit Impl(SdlHost& host, const SdlHostOptions& host_options)
      : owner(host),
        options(host_options),
        main_thread(HostThreadId()),
        clock([this] { video->NoteVerticalBlank(); }),
        audio(clock) {
    video = std::make_unique<SdlVideo>(*this, options);
    video->ReadDesktopMode();
  }

  // Reads the open joysticks into the input tables.
  void UpdatePads() {
    for (int i = 0; i < InputState::kPadCount; ++i) {
      SDL_Joystick* joystick = joysticks[i];
      if (joystick == nullptr) continue;
      HostPadState pad;
      pad.connected = true;
      const int axes = std::min(Sdl().SDL_JoystickNumAxes(joystick), 6);
      for (int a = 0; a < axes; ++a) pad.axes[a] = Sdl().SDL_JoystickGetAxis(joystick, a);
      if (Sdl().SDL_JoystickNumHats(joystick) > 0) {
        switch (Sdl().SDL_JoystickGetHat(joystick, 0)) {
          case SDL_HAT_UP: pad.pov = 0; break;
          case SDL_HAT_RIGHTUP: pad.pov = 4500; break;
          case SDL_HAT_RIGHT: pad.pov = 9000; break;
          case SDL_HAT_RIGHTDOWN: pad.pov = 13500; break;
          case SDL_HAT_DOWN: pad.pov = 18000; break;
          case SDL_HAT_LEFTDOWN: pad.pov = 22500; break;
          case SDL_HAT_LEFT: pad.pov = 27000; break;
          case SDL_HAT_LEFTUP: pad.pov = 31500; break;
          default: pad.pov = -1; break;
        }
      }
      const int buttons = std::min(Sdl().SDL_JoystickNumButtons(joystick), 32);
      for (int b = 0; b < buttons; ++b) {
        if (Sdl().SDL_JoystickGetButton(joystick, b)) pad.buttons |= 1u << b;
      }
      owner.Input().SetPad(i, pad);
    }
  }

  void OpenJoystick(int device_index) {
    const SDL_JoystickID id = Sdl().SDL_JoystickGetDeviceInstanceID(device_index);
    for (SDL_Joystick* joystick : joysticks) {
      if (joystick != nullptr && Sdl().SDL_JoystickInstanceID(joystick) == id) return;
    }
    for (int i = 0; i < InputState::kPadCount; ++i) {
      if (joysticks[i] == nullptr) {
        joysticks[i] = Sdl().SDL_JoystickOpen(device_index);
        return;
      }
    }
  }

  void CloseJoystick(SDL_JoystickID id) {
    for (int i = 0; i < InputState::kPadCount; ++i) {
      if (joysticks[i] != nullptr && Sdl().SDL_JoystickInstanceID(joysticks[i]) == id) {
        Sdl().SDL_JoystickClose(joysticks[i]);
        joysticks[i] = nullptr;
        owner.Input().SetPad(i, HostPadState{});
      }
    }
  }

  SdlHost& owner;
  SdlHostOptions options;
  uint32_t main_thread;
  SdlClock clock;
  SdlAudio audio;
  std::unique_ptr<SdlVideo> video;
  std::array<SDL_Joystick*, InputState::kPadCount> joysticks{};
};

bool SdlVideo::OnMainThread() const { return HostThreadId() == impl_.main_thread; }

// SDL asks the window manager for full screen and from then on takes the
// window to be as large as the display. On an X server without a window
// manager nobody acts on that request: the window would keep its size while
// SDL drew a display-sized picture into it, enlarged and cut off. So the
// window is first made borderless and moved and sized over the whole display
// itself, which an X server without a window manager does at once; a window
// manager then makes it full screen as asked. Either way the window is as
// large as SDL takes it to be, and the renderer's logical size scales the
// picture into it with its aspect kept, centred between black bars.
void SdlVideo::CoverDisplay() {
  const int display = Sdl().SDL_GetWindowDisplayIndex(window_);
  SDL_Rect bounds{0, 0, desktop_width_, desktop_height_};
  if (display < 0 || Sdl().SDL_GetDisplayBounds(display, &bounds) != 0) {
    bounds = SDL_Rect{0, 0, desktop_width_, desktop_height_};
  }
  Sdl().SDL_SetWindowBordered(window_, SDL_FALSE);
  Sdl().SDL_SetWindowPosition(window_, bounds.x, bounds.y);
  Sdl().SDL_SetWindowSize(window_, bounds.w, bounds.h);
}

void SdlVideo::Update() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int width = image_.width(), height = image_.height();
  if (width <= 0 || height <= 0) return;
  if (window_ == nullptr) {
    window_ = Sdl().SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               width, height, SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) {
      std::fprintf(stderr, "brimal: cannot create the window: %s\n", Sdl().SDL_GetError());
      return;
    }
    // SDL's software renderer: the picture is scaled into the window's own
    // image, which the display server takes from shared memory (see the
    // frame-buffer hint at the host's start). An OpenGL renderer is Mesa's
    // software rasteriser wherever there is no graphics card (virtual
    // machines, Xvfb): loading it (LLVM) cost several times the rest of
    // start-up, and its frames took 3 to 10 times as long. The software
    // renderer's frame stays small with a graphics card too (about 2 ms at
    // 1920 x 1080 full screen, 6 ms at 3840 x 2160).
    renderer_ = Sdl().SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_ == nullptr) renderer_ = Sdl().SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
      std::fprintf(stderr, "brimal: cannot draw into the window: %s\n", Sdl().SDL_GetError());
      return;
    }
    Sdl().SDL_StartTextInput();
    size_changed_ = true;
    title_changed_ = true;
    icon_changed_ = !icon_.empty();
    full_screen_changed_ = full_screen_;
  }
  if (renderer_ == nullptr) return;
  if (size_changed_) {
    size_changed_ = false;
    if (!full_screen_) Sdl().SDL_SetWindowSize(window_, width, height);
    Sdl().SDL_RenderSetLogicalSize(renderer_, width, height);
    if (texture_ == nullptr || texture_width_ != width || texture_height_ != height) {
      if (texture_ != nullptr) Sdl().SDL_DestroyTexture(texture_);
      texture_ = Sdl().SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STREAMING, width, height);
      texture_width_ = width;
      texture_height_ = height;
    }
  }
  if (title_changed_) {
    title_changed_ = false;
    Sdl().SDL_SetWindowTitle(window_, title_.c_str());
  }
  if (icon_changed_) {
    icon_changed_ = false;
    SDL_Surface* surface = Sdl().SDL_CreateRGBSurfaceWithFormatFrom(
        icon_.data(), icon_width_, icon_height_, 32, icon_width_ * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface != nullptr) {
      Sdl().SDL_SetWindowIcon(window_, surface);
      Sdl().SDL_FreeSurface(surface);
    }
  }
  if (full_screen_changed_) {
    full_screen_changed_ = false;
    if (full_screen_) {
      CoverDisplay();
      Sdl().SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
      Sdl().SDL_SetWindowFullscreen(window_, 0);
      Sdl().SDL_SetWindowBordered(window_, SDL_TRUE);
      Sdl().SDL_SetWindowSize(window_, width, height);
      Sdl().SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
  }
  if (image_changed_ && texture_ != nullptr) {
    image_changed_ = false;
    if (changed_x0_ < changed_x1_) {
      // Only the rectangle that changed goes up, row by row from the image.
      const SDL_Rect rect{changed_x0_, changed_y0_, changed_x1_ - changed_x0_,
                          changed_y1_ - changed_y0_};
      Sdl().SDL_UpdateTexture(texture_, &rect,
                        image_.pixels() + static_cast<size_t>(changed_y0_) * width + changed_x0_,
                        width * 4);
      changed_x0_ = changed_x1_ = 0;
    }
    Sdl().SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    Sdl().SDL_RenderClear(renderer_);
    Sdl().SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    Sdl().SDL_RenderPresent(renderer_);
  }
}

void SdlVideo::PollEvents(std::vector<HostEvent>* out) {
  if (!OnMainThread()) return;
  Update();
  InputState& input = impl_.owner.Input();
  if (EndSignalReceived() && !quit_reported_) {
    quit_reported_ = true;
    out->push_back(HostEvent{HostEventType::Close});
  }
  SDL_Event event;
  while (Sdl().SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        if (!quit_reported_) {
          quit_reported_ = true;
          out->push_back(HostEvent{HostEventType::Close});
        }
        break;
      case SDL_WINDOWEVENT:
        switch (event.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            out->push_back(HostEvent{HostEventType::FocusGained});
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            // Keys released while the window is inactive never reach us.
            input.ReleaseAllKeys();
            out->push_back(HostEvent{HostEventType::FocusLost});
            break;
          case SDL_WINDOWEVENT_CLOSE:
            out->push_back(HostEvent{HostEventType::Close});
            break;
          case SDL_WINDOWEVENT_MOVED: {
            HostEvent moved{HostEventType::Moved};
            moved.x = event.window.data1;
            moved.y = event.window.data2;
            out->push_back(moved);
            break;
          }
          case SDL_WINDOWEVENT_MAXIMIZED:
            out->push_back(HostEvent{HostEventType::Maximized});
            break;
          case SDL_WINDOWEVENT_RESTORED:
            out->push_back(HostEvent{HostEventType::Restored});
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_EXPOSED: {
            std::lock_guard<std::mutex> lock(mutex_);
            MarkAllChangedLocked();
            break;
          }
          default:
            break;
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const int dik = DikFromSdlScancode(event.key.keysym.scancode);
        if (dik != 0) input.SetKey(dik, event.type == SDL_KEYDOWN);
        if (dik != 0 && event.type == SDL_KEYDOWN) {
          HostEvent key{HostEventType::KeyDown};
          key.key = dik;
          key.alt = (event.key.keysym.mod & KMOD_ALT) != 0 || input.KeyDown(0x38) ||
                    input.KeyDown(0xB8);
          out->push_back(key);
        }
        break;
      }
      case SDL_DROPBEGIN:
        dropping_ = true;
        dropped_.clear();
        break;
      case SDL_DROPFILE:
        if (event.drop.file != nullptr) {
          dropped_.push_back(event.drop.file);
          Sdl().SDL_free(event.drop.file);
        }
        if (!dropping_) {
          HostEvent drop{HostEventType::FilesDropped};
          drop.paths.swap(dropped_);
          out->push_back(std::move(drop));
        }
        break;
      case SDL_DROPCOMPLETE:
        if (dropping_ && !dropped_.empty()) {
          HostEvent drop{HostEventType::FilesDropped};
          drop.paths.swap(dropped_);
          out->push_back(std::move(drop));
        }
        dropping_ = false;
        dropped_.clear();
        break;
      case SDL_TEXTINPUT:
        input.AddTypedText(Utf8ToCp932(event.text.text));
        break;
      case SDL_JOYDEVICEADDED:
        impl_.OpenJoystick(event.jdevice.which);
        break;
      case SDL_JOYDEVICEREMOVED:
        impl_.CloseJoystick(event.jdevice.which);
        break;
      default:
        break;
    }
  }
  impl_.UpdatePads();
  Update();
  std::lock_guard<std::mutex> lock(mutex_);
  if (options_.close_after_frame > 0 && frame_count_ >= options_.close_after_frame &&
      !close_reported_) {
    close_reported_ = true;
    out->push_back(HostEvent{HostEventType::Close});
  }
}

SdlHost::SdlHost(const SdlHostOptions& options) {
  // The end signals are the host's own (sdl_end_signals.h), not SDL's; taken
  // first, so that one arriving while SDL loads and starts ends the program
  // through its shut-down as well.
  InstallEndSignalHandlers();
  const auto fail = [](const std::string& reason) {
    RemoveEndSignalHandlers();
    throw std::runtime_error(reason);
  };
  std::string unloaded;
  if (!LoadSdl(&unloaded)) fail(unloaded);
  Sdl().SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  Sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The window's image goes to the display server as it is, not through an
  // OpenGL texture of SDL's own (which would load OpenGL after all).
  Sdl().SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (Sdl().SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) != 0) {
    fail(std::string("SDL cannot start: ") + Sdl().SDL_GetError());
  }
  impl_ = std::make_unique<Impl>(*this, options);
  for (int i = 0; i < Sdl().SDL_NumJoysticks(); ++i) impl_->OpenJoystick(i);
  impl_->UpdatePads();
}

SdlHost::~SdlHost() {
  impl_->audio.Close();
  for (SDL_Joystick* joystick : impl_->joysticks) {
    if (joystick != nullptr) Sdl().SDL_JoystickClose(joystick);
  }
  impl_->video.reset();
  impl_.reset();
  Sdl().SDL_Quit();
  RemoveEndSignalHandlers();
}

VideoHost& SdlHost::Video() { return *impl_->video; }
AudioHost& SdlHost::Audio() { return impl_->audio; }
ClockHost& SdlHost::Clock() { return impl_->clock; }

int SdlHost::PadCount() const {
  int count = 0;
  for (SDL_Joystick* joystick : impl_->joysticks) count += joystick != nullptr;
  return count;
}

void SdlHost::Finish() { impl_->audio.Close(); }

bool SdlHost::HasWindow() const { return impl_->video->HasWindow(); }
bool SdlHost::AudioDeviceOpen() const { return impl_->audio.DeviceOpen(); }
