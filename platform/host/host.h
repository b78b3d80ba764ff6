// The host: the few coarse services the Windows stand-ins are built on.
// Two hosts exist: "sdl" (a real window, for people) and "null" (headless, for
// tests and scripts). Exactly one is installed at a time (InstallHost).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/input_state.h"
#include "platform/host/pixel.h"

// What the window layer learns from the host.
enum class HostEventType {
  Close,        // the user asked to close the window
  FocusGained,  // the window became the active one
  FocusLost,    // the window stopped being the active one
  KeyDown,      // a key went down (or repeats): `key`, with `alt` held or not
  Moved,        // the window's client area moved to (`x`, `y`) on the desktop
  Maximized,    // the user maximised the window
  Restored,     // the window left the maximised or minimised state
  FilesDropped, // files were dropped on the window: `paths`
};

struct HostEvent {
  HostEvent(HostEventType event_type) : type(event_type) {}  // NOLINT: HostEvent{type}
  HostEventType type;
  int key = 0;       // KeyDown: the DirectInput key code
  bool alt = false;  // KeyDown: an Alt key is held
  int x = 0;         // Moved
  int y = 0;
  std::vector<std::string> paths;  // FilesDropped: UTF-8 paths in drop order
};

// The window and its image. The window image is 32-bit XRGB (0x00RRGGBB), of
// the window's client size.
class VideoHost {
 public:
  virtual ~VideoHost() = default;

  // Creates or resizes the window image (and shows the window on the SDL host).
  virtual void SetWindowImageSize(int width, int height) = 0;
  virtual void GetWindowImageSize(int* width, int* height) const = 0;

  // Writes `src` onto the rectangle (x, y, width, height) of the window
  // image, scaled to fit it (nearest pixel), clipped to the image; only that
  // rectangle is touched. A write that covers the whole window image is a
  // whole-window transfer.
  virtual void WritePixels(int x, int y, int width, int height, const HostPixels& src) = 0;
  // The same for an XRGB image (src_width x src_height, `src_pitch` pixels a
  // row).
  void WriteImage(int x, int y, int width, int height, const uint32_t* src, int src_width,
                  int src_height, int src_pitch) {
    WritePixels(x, y, width, height, HostPixels::Xrgb(src, src_width, src_height, src_pitch));
  }
  // Reads the rectangle back (clipped parts are left untouched in `dst`).
  virtual void ReadImage(int x, int y, int width, int height, uint32_t* dst,
                         int dst_pitch) const = 0;

  virtual void SetTitle(const std::string& utf8_title) = 0;
  // Icon pixels in ARGB (0xAARRGGBB), `width` pixels a row.
  virtual void SetIcon(int width, int height, const uint32_t* argb) = 0;
  virtual void SetFullScreen(bool full_screen) = 0;

  // Moves the host's pending window events to `out`. Only the game thread
  // receives events; on any other thread nothing is found.
  virtual void PollEvents(std::vector<HostEvent>* out) = 0;

  // Asks a yes/no question. Returns true for yes.
  virtual bool AskYesNo(const std::string& utf8_caption, const std::string& utf8_text) = 0;
  // Shows a message with one OK button.
  virtual void ShowMessage(const std::string& utf8_caption, const std::string& utf8_text) = 0;

  // The desktop the program starts on.
  virtual void GetDesktopMode(int* width, int* height, int* bits_per_pixel) const = 0;
};

// Mixed sound output. The host pulls interleaved signed 16-bit stereo frames
// at its output rate from the function given to Open, from its own thread (or,
// on the null host, once a frame on the game thread).
class AudioHost {
 public:
  using PullFunction = std::function<void(int16_t* stereo_frames, int frame_count)>;
  virtual ~AudioHost() = default;
  virtual bool Open(PullFunction pull) = 0;
  virtual void Close() = 0;
  virtual int OutputRate() const = 0;
};

// Time. Every read counts as a read (the null host moves its virtual clock a
// little at each read on the game thread).
class ClockHost {
 public:
  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
  virtual ~ClockHost() = default;

  virtual uint64_t Microseconds() = 0;
  uint32_t Milliseconds() { return static_cast<uint32_t>(Microseconds() / 1000); }
  virtual void Sleep(uint32_t milliseconds) = 0;

  // Blocks until the next 1/60 s boundary and consumes it.
  virtual void WaitVerticalBlank() = 0;
  // True only on the first status read after a 1/60 s boundary that no wait
  // (and no earlier read) has consumed yet. Such a read consumes the blank as
  // a wait does: on the game thread it starts a frame like a wait.
  virtual bool InVerticalBlank() = 0;
  // The scan line the display would be drawing now (0 to 479 and the blank).
  virtual int ScanLine() = 0;

  // Waits on `cv` (with `lock` held) until `ready()` or the time-out; returns
  // ready(). The kernel stand-ins build every timed wait on this.
  virtual bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                       uint32_t timeout_milliseconds, const std::function<bool()>& ready) = 0;
  // Wakes the threads waiting in WaitFor on `cv`. Called with the lock of the
  // waited-on state held, right after changing that state.
  virtual void Notify(std::condition_variable& cv) { cv.notify_all(); }

  // Thread bookkeeping for the kernel stand-ins. The null host's clock does not
  // move while a thread it knows to be running has not yet blocked again, so
  // that what other threads do between two clock steps is repeatable.
  // ThreadStarting is called by the creator just before a new thread runs.
  virtual void ThreadStarting(uint32_t /*thread_id*/) {}
  virtual void ThreadEnded(uint32_t /*thread_id*/) {}

  // The game thread is the thread that entered WinMain (or runs the tests).
  void SetGameThread();
  bool IsGameThread() const;
  bool HasGameThread() const { return game_thread_.load() != 0; }

 private:
  std::atomic<uint64_t> game_thread_{0};
};

class Host {
 public:
  virtual ~Host() = default;
  virtual const char* Name() const = 0;
  virtual VideoHost& Video() = 0;
  virtual AudioHost& Audio() = 0;
  virtual ClockHost& Clock() = 0;
  InputState& Input() { return input_; }

  // How many joypads the host offers, 0 to 4.
  virtual int PadCount() const = 0;

  // Called once when the program ends normally: flushes what the host writes
  // (frame hashes, saved frames, recorded sound).
  virtual void Finish() {}

 private:
  InputState input_;
};

// Installs `host` as the current host, ending the previous one.
void InstallHost(std::unique_ptr<Host> host);
// The current host; installs nothing itself (a missing host is a fault).
Host& CurrentHost();
bool HostInstalled();
