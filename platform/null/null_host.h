// The null host: headless, repeatable, for tests and scripts. Its clock is
// virtual (see null_clock.h), its window image lives in memory, frames are
// counted and, when asked for, hashed or saved, input comes from a script and
// sound goes to an optional WAV file. Of the frames' pixels only the last
// frame's are kept.
//
// A frame is the window image right after the first whole-window transfer
// that follows a vertical-blank wait (or a blank-status read that found the
// blank, which consumes it as a wait does); frame 1 is the first such image.
// Partial transfers and transfers without a wait before them change the
// window image but are not frames.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host/host.h"

// One line of scripted input: `FRAME key=DIK,DIK,... pad1=HEX ... pad4=HEX`.
// A field that is present replaces that part of the state; absent fields hold.
// `key=` with no codes releases every key.
struct InputScriptLine {
  int64_t frame = 0;
  bool sets_keys = false;
  std::vector<int> keys;  // DirectInput key codes held down
  std::array<std::optional<uint32_t>, 4> pads;  // pad bits of pads 1 to 4
};

// Parses a whole script (lines in any frame order; blank lines and lines
// starting with '#' are skipped). On failure returns false and sets `error`
// to the line number and the reason.
bool ParseInputScript(std::string_view text, std::vector<InputScriptLine>* lines,
                      std::string* error);
// Parses "A,B,C" (positive frame numbers).
bool ParseFrameList(std::string_view text, std::vector<int64_t>* frames);

// The game's pad bit layout: 0x1 down, 0x2 left, 0x4 right, 0x8 up and
// 0x10 << n for button n. The result is a connected pad with fully deflected
// axes (opposite directions together cancel) and those buttons.
HostPadState PadStateFromBits(uint32_t bits);

// XXH3-64 over the R, G, B bytes of every pixel, row by row, of an XRGB
// image, and its text form (16 lower-case hex digits).
uint64_t FrameHash(const uint32_t* xrgb, int width, int height);
std::string FrameHashText(uint64_t hash);

struct NullHostOptions {
  static constexpr uint64_t kDefaultClockStartMilliseconds = 10000;
  uint64_t clock_start_ms = kDefaultClockStartMilliseconds;
  // Report a Close event at the first event poll after this frame (0: never).
  int64_t close_after_frame = 0;
  std::vector<InputScriptLine> input;
  bool answer_yes = false;  // the answer to every yes/no question
  std::string frame_hashes_file;  // "N HASH" lines, written as frames happen
  bool keep_frame_hashes = false;  // FrameHashes() answers (else nothing is kept)
  std::string save_frames_dir;  // PNG files frame_NNNNNN.png
  std::vector<int64_t> save_frame_list;
  std::string audio_out_file;  // 16-bit stereo WAV at 44,100 Hz
  int desktop_depth = 32;  // 16 or 32
};

class NullClock;
class NullVideo;
class NullAudio;

class NullHost : public Host {
 public:
  static constexpr int kDesktopWidth = 1920;
  static constexpr int kDesktopHeight = 1080;
  static constexpr int kAudioRate = 44100;
  static constexpr int kAudioFramesPerBlank = 735;  // 44,100 / 60

  // Throws std::runtime_error when an output file cannot be created.
  explicit NullHost(const NullHostOptions& options);
  ~NullHost() override;

  const char* Name() const override { return "null"; }
  VideoHost& Video() override;
  AudioHost& Audio() override;
  ClockHost& Clock() override;
  int PadCount() const override;
  void Finish() override;

  // What the host has seen, for tests and tools.
  uint64_t PeekMicroseconds() const;  // the virtual clock, not counted as a read
  int BlockedThreadCount() const;     // threads blocked on the virtual clock
  int64_t FrameCount() const;
  // Every frame's hash, with keep_frame_hashes; else empty.
  std::vector<uint64_t> FrameHashes() const;
  // The last frame's pixels; false before the first frame.
  bool LastFrame(std::vector<uint32_t>* xrgb, int* width, int* height) const;
  std::string Title() const;
  bool FullScreen() const;
  int64_t AudioFramesPulled() const;
  // Queues a window event for the game thread's next poll.
  void PostEvent(HostEvent event);

 private:
  friend class NullVideo;
  friend class NullAudio;
  void OnVerticalBlank();
  void ApplyScriptUpTo(int64_t frame);

  NullHostOptions options_;
  std::unique_ptr<NullClock> clock_;
  std::unique_ptr<NullVideo> video_;
  std::unique_ptr<NullAudio> audio_;
  size_t next_script_line_ = 0;
  int pad_count_ = 0;
};
