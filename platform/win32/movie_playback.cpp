// Playing one movie for the multimedia-stream stand-in: the stream clock
// over the host clock, frames delivered into sample surfaces when their time
// comes, the sound track in a DirectSound buffer that runs, stops and seeks
// with the picture.
#include "platform/win32/movie_playback.h"

#include <algorithm>
#include <cmath>

#include "platform/host/host.h"
#include "platform/win32/com.h"
#include "platform/win32/kernel.h"

namespace {

constexpr int kSoundChannels = 2;
constexpr int kSoundBytesPerFrame = kSoundChannels * 2;
// The output rate when the host's output gives none.
constexpr int kDefaultSoundRate = 44100;
constexpr int64_t kTimeUnitsPerMicrosecond = 10;
constexpr int64_t kTimeUnitsPerMillisecond = 10000;
// The longest an update without an event waits for its frame's time.
constexpr STREAM_TIME kMaxWait = 250 * kTimeUnitsPerMillisecond;

// A movie file read through the file stand-in (so its path is looked up as
// every other file's).
class FileSource : public MovieByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  ~FileSource() override { CloseHandle(file_); }
  int Read(uint8_t* buffer, int size) override {
    if (size <= 0) return 0;
    DWORD got = 0;
    if (ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr) == FALSE) return -1;
    return static_cast<int>(got);
  }
  bool SeekTo(int64_t offset) override {
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD low = SetFilePointer(file_, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                     FILE_BEGIN);
    // The position the call reports is the one asked for when it moved.
    return ((static_cast<int64_t>(high) << 32) | low) == offset;
  }
  int64_t Size() override {
    DWORD high = 0;
    const DWORD low = GetFileSize(file_, &high);
    if (low == INVALID_FILE_SIZE && high == 0) return -1;
    return static_cast<int64_t>((uint64_t{high} << 32) | low);
  }

 private:
  HANDLE file_;
};

MoviePixelLayout LayoutOf(const DDPIXELFORMAT& format) {
  MoviePixelLayout layout;
  if ((format.dwFlags & DDPF_RGB) == 0) return layout;
  layout.bits = static_cast<int>(format.dwRGBBitCount);
  layout.red = format.dwRBitMask;
  layout.green = format.dwGBitMask;
  layout.blue = format.dwBBitMask;
  return layout;
}

uint64_t ClockMicroseconds() { return CurrentHost().Clock().Microseconds(); }

// The gain of a level in hundredths of a decibel (-10000: silence).
double GainOf(LONG hundredths_db) {
  if (hundredths_db <= kMovieVolumeSilent) return 0.0;
  return std::pow(10.0, static_cast<double>(hundredths_db) / 2000.0);
}

}  // namespace

MoviePlayback::~MoviePlayback() { ReleaseSound(); }

HRESULT MoviePlayback::Open(const std::string& path, bool with_sound) {
  const MovieSourceMaker make_source = [path]() -> std::unique_ptr<MovieByteSource> {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<FileSource>(file);
  };
  return OpenDecoder(make_source, with_sound);
}

HRESULT MoviePlayback::OpenBytes(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                 bool with_sound) {
  return OpenDecoder([bytes] { return MakeMemoryMovieSource(bytes); }, with_sound);
}

HRESULT MoviePlayback::OpenDecoder(const MovieSourceMaker& make_source, bool with_sound) {
  if (decoder_ != nullptr) return E_FAIL;
  decoder_ = MovieDecoder::Open(make_source);
  if (decoder_ == nullptr) return VFW_E_UNSUPPORTED_STREAM;
  width_ = decoder_->Width();
  height_ = decoder_->Height();
  position_ = 0;
  running_ = false;
  if (with_sound && decoder_->HasPicture()) OpenSound();
  return S_OK;
}

STREAM_TIME MoviePlayback::TimePerFrame() const {
  return decoder_ != nullptr ? decoder_->TimePerFrame() : 0;
}

STREAM_TIME MoviePlayback::Duration() const {
  return decoder_ != nullptr ? decoder_->Duration() : 0;
}

// ---- The clock -----------------------------------------------------------------------

STREAM_TIME MoviePlayback::Now() {
  if (!running_) return position_;
  const uint64_t elapsed = ClockMicroseconds() - run_start_us_;
  return position_ + static_cast<STREAM_TIME>(elapsed) * kTimeUnitsPerMicrosecond;
}

void MoviePlayback::Run() {
  if (running_ || decoder_ == nullptr) return;
  run_start_us_ = ClockMicroseconds();
  running_ = true;
  StartSound(position_);
}

void MoviePlayback::Pause() {
  if (!running_) return;
  position_ = Now();
  running_ = false;
  StopSound();
}

void MoviePlayback::Seek(STREAM_TIME time) {
  if (decoder_ == nullptr) return;
  position_ = std::max<STREAM_TIME>(time, 0);
  decoder_->SeekTo(position_);
  if (running_) {
    run_start_us_ = ClockMicroseconds();
    StartSound(position_);
  }
}

// ---- Frames ----------------------------------------------------------------------------

STREAM_TIME MoviePlayback::EndTime() const {
  int64_t last = 0;
  if (decoder_ == nullptr || !decoder_->CurrentFrameTime(&last)) return 0;
  return last + decoder_->TimePerFrame();
}

void MoviePlayback::DeliverDueFrames(STREAM_TIME now, const MovieTarget& target) {
  // Frames whose time has passed while nobody asked are left out: the
  // picture shows what belongs to the time now.
  int64_t next = 0;
  do {
    decoder_->TakeNextFrame();
  } while (decoder_->PeekNextFrame(&next) && next <= now);

  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  if (FAILED(target.surface->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY,
                                  nullptr))) {
    return;
  }
  const int bytes = static_cast<int>(description.ddpfPixelFormat.dwRGBBitCount / 8);
  auto* pixels = static_cast<uint8_t*>(description.lpSurface) +
                 static_cast<intptr_t>(target.rect.top) * description.lPitch +
                 static_cast<intptr_t>(target.rect.left) * bytes;
  decoder_->ConvertCurrentFrame(pixels, description.lPitch, target.rect.right - target.rect.left,
                                target.rect.bottom - target.rect.top,
                                LayoutOf(description.ddpfPixelFormat));
  target.surface->Unlock(nullptr);
}

HRESULT MoviePlayback::Update(const MovieTarget& target, HANDLE event) {
  if (decoder_ == nullptr) return MS_E_NOSTREAM;
  Service();
  if (pending_) return MS_E_BUSY;
  if (!running_) return MS_E_NOTRUNNING;
  STREAM_TIME now = Now();
  int64_t next = 0;
  if (!decoder_->PeekNextFrame(&next)) {
    // No frame is left: the end comes when the last one's time is over. A
    // caller that would wait is told at once.
    if (now >= EndTime() || event == nullptr) return MS_S_ENDOFSTREAM;
  } else if (next <= now) {
    DeliverDueFrames(now, target);
    return S_OK;
  } else if (event == nullptr) {
    // Waits for the frame's time on the host clock, but never long: a
    // stream whose times jump far ahead does not stall the caller, it gets
    // the frame early.
    const STREAM_TIME wait = std::min<STREAM_TIME>(next - now, kMaxWait);
    Sleep(static_cast<DWORD>((wait + kTimeUnitsPerMillisecond - 1) / kTimeUnitsPerMillisecond));
    DeliverDueFrames(Now(), target);
    return S_OK;
  }
  pending_ = true;
  pending_target_ = target;
  pending_event_ = event;
  return MS_S_PENDING;
}

void MoviePlayback::Service() {
  if (!pending_ || !running_ || decoder_ == nullptr) return;
  const STREAM_TIME now = Now();
  int64_t next = 0;
  if (decoder_->PeekNextFrame(&next)) {
    if (next > now) return;
    DeliverDueFrames(now, pending_target_);
  } else if (now < EndTime()) {
    return;
  }
  pending_ = false;
  SetEvent(pending_event_);
}

void MoviePlayback::CancelUpdates(const IDirectDrawSurface7* surface) {
  if (pending_ && pending_target_.surface == surface) pending_ = false;
}

// ---- Sound ------------------------------------------------------------------------------

void MoviePlayback::OpenSound() {
  if (FAILED(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound,
                              reinterpret_cast<void**>(&sound_))) ||
      sound_ == nullptr || FAILED(sound_->Initialize(nullptr)) ||
      FAILED(sound_->SetCooperativeLevel(nullptr, DSSCL_NORMAL))) {
    ReleaseSound();
    return;
  }
  const int output_rate = CurrentHost().Audio().OutputRate();
  sound_rate_ = output_rate > 0 ? output_rate : kDefaultSoundRate;
  sound_track_ = decoder_->DecodeSoundTrack(
      sound_rate_, static_cast<size_t>(sound_rate_) * kMovieMaxSoundSeconds);
  if (sound_track_.size() < kSoundChannels) {
    // No sound track: the movie plays silent.
    ReleaseSound();
    return;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kSoundChannels;
  format.nSamplesPerSec = static_cast<DWORD>(sound_rate_);
  format.wBitsPerSample = 16;
  format.nBlockAlign = kSoundBytesPerFrame;
  format.nAvgBytesPerSec = format.nSamplesPerSec * kSoundBytesPerFrame;
  DSBUFFERDESC description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
  description.dwBufferBytes = static_cast<DWORD>(sound_track_.size() * sizeof(int16_t));
  description.lpwfxFormat = &format;
  if (FAILED(sound_->CreateSoundBuffer(&description, &sound_buffer_, nullptr))) {
    sound_buffer_ = nullptr;
    ReleaseSound();
    return;
  }
  WriteSound();
}

// Writes the track into the buffer at the volume and balance now.
void MoviePlayback::WriteSound() {
  if (sound_buffer_ == nullptr) return;
  const double gain = GainOf(volume_);
  const double left = gain * (balance_ > 0 ? GainOf(-balance_) : 1.0);
  const double right = gain * (balance_ < 0 ? GainOf(balance_) : 1.0);
  void* region = nullptr;
  void* second = nullptr;
  DWORD bytes = 0;
  DWORD second_bytes = 0;
  if (FAILED(sound_buffer_->Lock(0, 0, &region, &bytes, &second, &second_bytes,
                                 DSBLOCK_ENTIREBUFFER))) {
    return;
  }
  auto* out = static_cast<int16_t*>(region);
  const size_t count = std::min(sound_track_.size(), static_cast<size_t>(bytes / sizeof(int16_t)));
  for (size_t i = 0; i < count; ++i) {
    const double scaled = sound_track_[i] * (i % kSoundChannels == 0 ? left : right);
    out[i] = static_cast<int16_t>(std::clamp(std::lround(scaled), -32768L, 32767L));
  }
  sound_buffer_->Unlock(region, bytes, second, second_bytes);
}

void MoviePlayback::StartSound(STREAM_TIME at) {
  if (sound_buffer_ == nullptr) return;
  sound_buffer_->Stop();
  const int64_t frame = at / kTimeUnitsPerMillisecond * sound_rate_ / 1000 +
                        (at % kTimeUnitsPerMillisecond) * sound_rate_ / kMovieTimeUnitsPerSecond;
  const int64_t frames = static_cast<int64_t>(sound_track_.size() / kSoundChannels);
  if (frame >= frames) return;  // the track is over by then
  sound_buffer_->SetCurrentPosition(static_cast<DWORD>(frame * kSoundBytesPerFrame));
  sound_buffer_->Play(0, 0, 0);
}

void MoviePlayback::StopSound() {
  if (sound_buffer_ != nullptr) sound_buffer_->Stop();
}

void MoviePlayback::ReleaseSound() {
  if (sound_buffer_ != nullptr) {
    sound_buffer_->Stop();
    sound_buffer_->Release();
    sound_buffer_ = nullptr;
  }
  if (sound_ != nullptr) {
    sound_->Release();
    sound_ = nullptr;
  }
  sound_track_.clear();
  sound_track_.shrink_to_fit();
}

HRESULT MoviePlayback::SetVolume(LONG volume) {
  if (volume < kMovieVolumeSilent || volume > 0) return E_INVALIDARG;
  volume_ = volume;
  WriteSound();
  return S_OK;
}

HRESULT MoviePlayback::SetBalance(LONG balance) {
  if (balance < -kMovieBalanceMax || balance > kMovieBalanceMax) return E_INVALIDARG;
  balance_ = balance;
  WriteSound();
  return S_OK;
}
