#include "platform/null/null_host.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <xxhash.h>

#include "platform/host/window_image.h"
#include "platform/null/null_clock.h"
#include "platform/null/png_file.h"
#include "platform/null/wav_file.h"

// ---- Scripted input ---------------------------------------------------------

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T* value, int base) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, *value, base);
  return ec == std::errc() && end == last;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool ParseScriptWord(std::string_view word, InputScriptLine* line, std::string* reason) {
  const size_t equals = word.find('=');
  if (equals == std::string_view::npos) {
    *reason = "expected key=... or padN=..., found \"" + std::string(word) + "\"";
    return false;
  }
  const std::string_view name = word.substr(0, equals);
  const std::string_view value = word.substr(equals + 1);
  if (name == "key") {
    line->sets_keys = true;
    line->keys.clear();
    if (value.empty()) return true;
    for (std::string_view code_text : Split(value, ',')) {
      int code = 0;
      if (!ParseNumber(code_text, &code, 10) || code < 1 || code > 255) {
        *reason = "bad key code \"" + std::string(code_text) + "\" (1 to 255)";
        return false;
      }
      line->keys.push_back(code);
    }
    return true;
  }
  if (name.size() == 4 && name.substr(0, 3) == "pad" && name[3] >= '1' && name[3] <= '4') {
    std::string_view hex = value;
    if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.remove_prefix(2);
    uint32_t bits = 0;
    if (!ParseNumber(hex, &bits, 16)) {
      *reason = "bad pad bits \"" + std::string(value) + "\" (hexadecimal)";
      return false;
    }
    line->pads[name[3] - '1'] = bits;
    return true;
  }
  *reason = "unknown field \"" + std::string(name) + "\"";
  return false;
}

}  // namespace

bool ParseInputScript(std::string_view text, std::vector<InputScriptLine>* lines,
                      std::string* error) {
  lines->clear();
  int line_number = 0;
  for (std::string_view raw : Split(text, '\n')) {
    ++line_number;
    const std::vector<std::string_view> words = Words(raw);
    if (words.empty() || words[0][0] == '#') continue;
    InputScriptLine line;
    std::string reason;
    if (!ParseNumber(words[0], &line.frame, 10) || line.frame < 0) {
      reason = "bad frame number \"" + std::string(words[0]) + "\"";
    } else {
      for (size_t i = 1; i < words.size() && reason.empty(); ++i) {
        ParseScriptWord(words[i], &line, &reason);
      }
    }
    if (!reason.empty()) {
      *error = "line " + std::to_string(line_number) + ": " + reason;
      lines->clear();
      return false;
    }
    lines->push_back(std::move(line));
  }
  std::stable_sort(lines->begin(), lines->end(),
                   [](const InputScriptLine& a, const InputScriptLine& b) { return a.frame < b.frame; });
  return true;
}

bool ParseFrameList(std::string_view text, std::vector<int64_t>* frames) {
  frames->clear();
  for (std::string_view part : Split(text, ',')) {
    int64_t frame = 0;
    if (!ParseNumber(part, &frame, 10) || frame < 1) {
      frames->clear();
      return false;
    }
    frames->push_back(frame);
  }
  return true;
}

HostPadState PadStateFromBits(uint32_t bits) {
  HostPadState pad;
  pad.connected = true;
  const bool down = bits & 0x1, left = bits & 0x2, right = bits & 0x4, up = bits & 0x8;
  pad.axes[0] = left == right ? 0 : left ? -32768 : 32767;
  pad.axes[1] = up == down ? 0 : up ? -32768 : 32767;
  pad.buttons = bits >> 4;
  return pad;
}

// ---- Frame hashes -------------------------------------------------------------

namespace {

// The R, G, B bytes of `count` XRGB pixels into `bytes`; where the machine
// keeps its low byte first, four pixels at a time as three words: R0 G0 B0 R1
// | G1 B1 R2 G2 | B2 R3 G3 B3.
void PackRgb(const uint32_t* xrgb, size_t count, uint8_t* bytes) {
  size_t i = 0;
  for (; std::endian::native == std::endian::little && i + 4 <= count; i += 4) {
    // Each pixel as the word 0x00BBGGRR: its bytes R, G, B, 0 in memory.
    uint32_t p[4];
    for (int k = 0; k < 4; ++k) p[k] = __builtin_bswap32(xrgb[i + k]) >> 8;
    const uint32_t words[3] = {p[0] | p[1] << 24, p[1] >> 8 | p[2] << 16, p[2] >> 16 | p[3] << 8};
    std::memcpy(bytes + i * 3, words, sizeof(words));
  }
  for (; i < count; ++i) {
    bytes[i * 3 + 0] = static_cast<uint8_t>(xrgb[i] >> 16);
    bytes[i * 3 + 1] = static_cast<uint8_t>(xrgb[i] >> 8);
    bytes[i * 3 + 2] = static_cast<uint8_t>(xrgb[i]);
  }
}

#if defined(__x86_64__)
#define BRIMAL_PACK_WITH_SHUFFLE 1
// The same with one byte shuffle per four pixels, where the processor has it.
// Each store writes four bytes past the twelve it fills: `bytes` has room for
// them.
__attribute__((target("ssse3"))) void PackRgbShuffled(const uint32_t* xrgb, size_t count,
                                                      uint8_t* bytes) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(xrgb + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i * 3), _mm_shuffle_epi8(pixels, order));
  }
  PackRgb(xrgb + i, count - i, bytes + i * 3);
}
#endif

// The packing this processor does best.
using PackFunction = void (*)(const uint32_t*, size_t, uint8_t*);
PackFunction ChoosePack() {
#ifdef BRIMAL_PACK_WITH_SHUFFLE
  if (__builtin_cpu_supports("ssse3")) return PackRgbShuffled;
#endif
  return PackRgb;
}

}  // namespace

uint64_t FrameHash(const uint32_t* xrgb, int width, int height) {
  static const PackFunction pack = ChoosePack();
  const size_t count = static_cast<size_t>(std::max(width, 0)) * std::max(height, 0);
  XXH3_state_t* state = XXH3_createState();
  if (state == nullptr) throw std::bad_alloc();
  XXH3_64bits_reset(state);
  // A block of pixels at a time.
  constexpr size_t kBlock = 2048;
  uint8_t bytes[kBlock * 3 + 4];
  for (size_t start = 0; start < count; start += kBlock) {
    const size_t n = std::min(kBlock, count - start);
    pack(xrgb + start, n, bytes);
    XXH3_64bits_update(state, bytes, n * 3);
  }
  const uint64_t hash = XXH3_64bits_digest(state);
  XXH3_freeState(state);
  return hash;
}

std::string FrameHashText(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// ---- Video ------------------------------------------------------------------------

class NullVideo : public VideoHost {
 public:
  NullVideo(NullHost& host, const NullHostOptions& options) : host_(host), options_(options) {
    save_list_.insert(options.save_frame_list.begin(), options.save_frame_list.end());
    if (!options.save_frames_dir.empty()) {
      std::error_code error;
      std::filesystem::create_directories(options.save_frames_dir, error);
      if (error) {
        throw std::runtime_error("cannot create " + options.save_frames_dir + ": " +
                                 error.message());
      }
    }
    if (!options.frame_hashes_file.empty()) {
      hash_file_ = std::fopen(options.frame_hashes_file.c_str(), "w");
      if (hash_file_ == nullptr) {
        throw std::runtime_error("cannot create " + options.frame_hashes_file);
      }
    }
  }
  ~NullVideo() override {
    if (hash_file_ != nullptr) std::fclose(hash_file_);
  }

  void SetWindowImageSize(int width, int height) override {
    std::lock_guard<std::mutex> lock(mutex_);
    KeepLastFrameLocked();
    image_.Resize(width, height);
  }

  void GetWindowImageSize(int* width, int* height) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    *width = image_.width();
    *height = image_.height();
  }

  void WritePixels(int x, int y, int width, int height, const HostPixels& src) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0) return;
    if (image_shows_last_frame_) {
      // The last frame moves aside: by exchanging buffers when this write
      // covers the whole image anew, else by a copy.
      if (image_.Covers(x, y, width, height)) {
        image_.SwapPixels(&last_frame_);
        image_shows_last_frame_ = false;
      } else {
        KeepLastFrameLocked();
      }
    }
    const bool whole = image_.Write(x, y, width, height, src);
    if (whole && blank_waited_) {
      blank_waited_ = false;
      RecordFrameLocked();
    }
  }

  void ReadImage(int x, int y, int width, int height, uint32_t* dst,
                 int dst_pitch) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    image_.Read(x, y, width, height, dst, dst_pitch);
  }

  void SetTitle(const std::string& utf8_title) override {
    std::lock_guard<std::mutex> lock(mutex_);
    title_ = utf8_title;
  }
  void SetIcon(int, int, const uint32_t*) override {}
  void SetFullScreen(bool full_screen) override {
    std::lock_guard<std::mutex> lock(mutex_);
    full_screen_ = full_screen;
  }

  void PollEvents(std::vector<HostEvent>* out) override {
    if (!host_.Clock().IsGameThread()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    out->insert(out->end(), events_.begin(), events_.end());
    events_.clear();
    if (options_.close_after_frame > 0 && frame_count_ >= options_.close_after_frame &&
        !close_reported_) {
      close_reported_ = true;
      out->push_back(HostEvent{HostEventType::Close});
    }
  }

  bool AskYesNo(const std::string&, const std::string&) override { return options_.answer_yes; }

  void ShowMessage(const std::string& utf8_caption, const std::string& utf8_text) override {
    std::fprintf(stderr, "brimal: message \"%s\": %s\n", utf8_caption.c_str(), utf8_text.c_str());
  }

  void GetDesktopMode(int* width, int* height, int* bits_per_pixel) const override {
    *width = NullHost::kDesktopWidth;
    *height = NullHost::kDesktopHeight;
    *bits_per_pixel = options_.desktop_depth;
  }

  // Called at each vertical-blank wait of the game thread.
  void NoteVerticalBlank() {
    std::lock_guard<std::mutex> lock(mutex_);
    blank_waited_ = true;
  }

  void PostEvent(HostEvent event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
  }

  int64_t FrameCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frame_count_;
  }
  std::vector<uint64_t> FrameHashes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hashes_;
  }
  bool LastFrame(std::vector<uint32_t>* xrgb, int* width, int* height) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frame_count_ == 0) return false;
    *xrgb = image_shows_last_frame_ ? image_.pixel_vector() : last_frame_;
    *width = last_width_;
    *height = last_height_;
    return true;
  }
  std::string Title() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return title_;
  }
  bool FullScreen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return full_screen_;
  }

  void Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (hash_file_ != nullptr) std::fflush(hash_file_);
    // The last frame is kept for this: with a save folder it is written too.
    if (!options_.save_frames_dir.empty() && frame_count_ > 0 &&
        saved_.count(frame_count_) == 0) {
      SaveLocked(frame_count_, image_shows_last_frame_ ? image_.pixels() : last_frame_.data(),
                 last_width_, last_height_);
    }
  }

 private:
  // The window image is the last frame until the next write or resize; it
  // is hashed only when hashes are asked for, and copied nowhere.
  void RecordFrameLocked() {
    ++frame_count_;
    if (hash_file_ != nullptr || options_.keep_frame_hashes) {
      const uint64_t hash = FrameHash(image_.pixels(), image_.width(), image_.height());
      if (options_.keep_frame_hashes) hashes_.push_back(hash);
      if (hash_file_ != nullptr) {
        std::fprintf(hash_file_, "%lld %s\n", static_cast<long long>(frame_count_),
                     FrameHashText(hash).c_str());
        std::fflush(hash_file_);
      }
    }
    image_shows_last_frame_ = true;
    last_width_ = image_.width();
    last_height_ = image_.height();
    if (!options_.save_frames_dir.empty() && save_list_.count(frame_count_) != 0) {
      SaveLocked(frame_count_, image_.pixels(), image_.width(), image_.height());
    }
  }

  // Before the window image changes otherwise than by a whole write: the
  // last frame is copied aside.
  void KeepLastFrameLocked() {
    if (!image_shows_last_frame_) return;
    last_frame_ = image_.pixel_vector();
    image_shows_last_frame_ = false;
  }

  void SaveLocked(int64_t frame, const uint32_t* pixels, int width, int height) {
    char name[32];
    std::snprintf(name, sizeof(name), "frame_%06lld.png", static_cast<long long>(frame));
    std::string error;
    if (!WritePngFile(options_.save_frames_dir + "/" + name, pixels, width, height, &error)) {
      std::fprintf(stderr, "brimal: null host: %s\n", error.c_str());
    }
    saved_.insert(frame);
  }

  NullHost& host_;
  const NullHostOptions& options_;
  mutable std::mutex mutex_;
  WindowImage image_;
  std::string title_;
  bool full_screen_ = false;
  std::deque<HostEvent> events_;
  bool close_reported_ = false;
  bool blank_waited_ = false;
  int64_t frame_count_ = 0;
  std::vector<uint64_t> hashes_;  // only with keep_frame_hashes
  // The last frame's pixels, when the window image no longer shows it.
  std::vector<uint32_t> last_frame_;
  bool image_shows_last_frame_ = false;
  int last_width_ = 0;
  int last_height_ = 0;
  std::set<int64_t> save_list_;
  std::set<int64_t> saved_;
  FILE* hash_file_ = nullptr;
};

// ---- Audio ------------------------------------------------------------------------

class NullAudio : public AudioHost {
 public:
  explicit NullAudio(const NullHostOptions& options) {
    if (!options.audio_out_file.empty()) {
      std::string error;
      if (!wav_.Open(options.audio_out_file, NullHost::kAudioRate, 2, &error)) {
        throw std::runtime_error(error);
      }
    }
  }

  bool Open(PullFunction pull) override {
    std::lock_guard<std::mutex> lock(mutex_);
    pull_ = std::move(pull);
    return true;
  }

  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    pull_ = nullptr;
    wav_.Flush();
  }

  int OutputRate() const override { return NullHost::kAudioRate; }

  // One vertical blank's worth of sound.
  void PullBlank() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pull_) return;
    int16_t frames[NullHost::kAudioFramesPerBlank * 2] = {};
    pull_(frames, NullHost::kAudioFramesPerBlank);
    wav_.Write(frames, NullHost::kAudioFramesPerBlank);
    frames_pulled_ += NullHost::kAudioFramesPerBlank;
  }

  int64_t FramesPulled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_pulled_;
  }

  void Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    wav_.Finish();
  }

 private:
  mutable std::mutex mutex_;
  PullFunction pull_;
  WavFileWriter wav_;
  int64_t frames_pulled_ = 0;
};

// ---- The host ---------------------------------------------------------------------

NullHost::NullHost(const NullHostOptions& options) : options_(options) {
  if (options_.desktop_depth != 16 && options_.desktop_depth != 32) {
    throw std::runtime_error("the desktop depth must be 16 or 32");
  }
  clock_ = std::make_unique<NullClock>(options_.clock_start_ms * 1000, [this] { OnVerticalBlank(); });
  video_ = std::make_unique<NullVideo>(*this, options_);
  audio_ = std::make_unique<NullAudio>(options_);
  // Scripted pads are there (connected, at rest) from the start.
  for (const InputScriptLine& line : options_.input) {
    for (int pad = 0; pad < 4; ++pad) {
      if (line.pads[pad]) pad_count_ = std::max(pad_count_, pad + 1);
    }
  }
  for (int pad = 0; pad < pad_count_; ++pad) Input().SetPad(pad, PadStateFromBits(0));
  ApplyScriptUpTo(0);
}

NullHost::~NullHost() = default;

VideoHost& NullHost::Video() { return *video_; }
AudioHost& NullHost::Audio() { return *audio_; }
ClockHost& NullHost::Clock() { return *clock_; }
int NullHost::PadCount() const { return pad_count_; }

void NullHost::Finish() {
  video_->Finish();
  audio_->Finish();
}

uint64_t NullHost::PeekMicroseconds() const { return clock_->Peek(); }
int NullHost::BlockedThreadCount() const { return clock_->BlockedThreadCount(); }
int64_t NullHost::FrameCount() const { return video_->FrameCount(); }
std::vector<uint64_t> NullHost::FrameHashes() const { return video_->FrameHashes(); }
bool NullHost::LastFrame(std::vector<uint32_t>* xrgb, int* width, int* height) const {
  return video_->LastFrame(xrgb, width, height);
}
std::string NullHost::Title() const { return video_->Title(); }
bool NullHost::FullScreen() const { return video_->FullScreen(); }
int64_t NullHost::AudioFramesPulled() const { return audio_->FramesPulled(); }
void NullHost::PostEvent(HostEvent event) { video_->PostEvent(event); }

void NullHost::OnVerticalBlank() {
  // This wait starts the next frame: its scripted input applies from now.
  ApplyScriptUpTo(video_->FrameCount() + 1);
  audio_->PullBlank();
  video_->NoteVerticalBlank();
}

void NullHost::ApplyScriptUpTo(int64_t frame) {
  while (next_script_line_ < options_.input.size() &&
         options_.input[next_script_line_].frame <= frame) {
    const InputScriptLine& line = options_.input[next_script_line_++];
    if (line.sets_keys) {
      for (int code = 0; code < InputState::kKeyCount; ++code) {
        Input().SetKey(code, std::find(line.keys.begin(), line.keys.end(), code) != line.keys.end());
      }
    }
    for (int pad = 0; pad < 4; ++pad) {
      if (line.pads[pad]) Input().SetPad(pad, PadStateFromBits(*line.pads[pad]));
    }
  }
}
