// The DirectSound stand-in and its mixer, over the host's audio output.
#include "platform/host/not_emulated.h"
#include "platform/win32/dsound.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/host/host.h"
#include "platform/win32/midi_sequencer.h"

// Identifiers of this stand-in (their values only have to differ).
const CLSID CLSID_DirectSound = {0x7D1A0401, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0x04, 0x01}};
const IID IID_IDirectSound = {0x7D1A0402, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0x04, 0x02}};
const IID IID_IDirectSoundBuffer = {0x7D1A0403, 0x4B52, 0x11D0,
                                    {0x9A, 0x1C, 0, 0, 0, 0, 0x04, 0x03}};

namespace {

constexpr uint64_t kFractionOne = uint64_t{1} << 32;

class SoundBuffer;

// Every secondary buffer alive, and the scratch space of one mix. Everything a
// buffer plays from (its play state and cursor) is read and written under
// this lock; sample data is written by the buffer's owner between Lock and
// Unlock without it, as with a real device.
struct Mixer {
  std::mutex mutex;
  std::vector<SoundBuffer*> buffers;
  std::vector<int32_t> sum;
};

// The mixer lives to the end of the process (never destroyed, so buffers
// released during exit and a host still pulling are both safe).
Mixer& TheMixer() {
  static auto* mixer = new Mixer;
  return *mixer;
}

// The host output: opened by the first initialised device object, closed when
// the last one goes. Its lock is never taken under the mixer's.
struct Output {
  std::mutex mutex;
  int users = 0;
};

Output& TheOutput() {
  static auto* output = new Output;
  return *output;
}

void OpenOutput() {
  Output& output = TheOutput();
  std::lock_guard<std::mutex> lock(output.mutex);
  if (output.users++ > 0 || !HostInstalled()) return;
  AudioHost& audio = CurrentHost().Audio();
  const int rate = audio.OutputRate();
  audio.Open([rate](int16_t* frames, int count) { MixSoundBuffers(frames, count, rate); });
}

void CloseOutput() {
  Output& output = TheOutput();
  std::lock_guard<std::mutex> lock(output.mutex);
  if (--output.users > 0 || !HostInstalled()) return;
  CurrentHost().Audio().Close();
}

// A playable PCM format: 8 or 16 bits, 1 or 2 channels, a rate the device
// takes and a block align that matches.
bool PlayableFormat(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
  if (format.nChannels != 1 && format.nChannels != 2) return false;
  if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
  if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
  return format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

// What the device and its primary buffer share: the cooperative level.
struct DeviceState {
  std::mutex mutex;
  DWORD level = 0;
};

class SoundBuffer final : public IDirectSoundBuffer {
 public:
  // A primary buffer (no data, never mixed).
  explicit SoundBuffer(std::shared_ptr<DeviceState> device)
      : primary_(true), device_(std::move(device)) {
    format_ = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  }

  // A secondary buffer over `data` (shared with its duplicates).
  SoundBuffer(const WAVEFORMATEX& format, std::shared_ptr<std::vector<uint8_t>> data)
      : primary_(false), format_(format), data_(std::move(data)) {
    frames_ = static_cast<uint32_t>(data_->size() / format_.nBlockAlign);
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> lock(mixer.mutex);
    mixer.buffers.push_back(this);
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
      AddRef();
      *object = static_cast<IDirectSoundBuffer*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT GetCurrentPosition(DWORD* play_cursor, DWORD* write_cursor) override {
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    DWORD play = 0;
    DWORD write = 0;
    if (!primary_) {
      const uint32_t frame = static_cast<uint32_t>(position_ >> 32);
      play = frame * format_.nBlockAlign;
      write = play;
      if (playing_) {
        // Data a little ahead of the play cursor may already be mixed.
        const uint32_t lead = std::min<uint32_t>(format_.nSamplesPerSec / 100, frames_ - 1);
        write = ((frame + lead) % frames_) * format_.nBlockAlign;
      }
    }
    if (play_cursor != nullptr) *play_cursor = play;
    if (write_cursor != nullptr) *write_cursor = write;
    return DS_OK;
  }

  HRESULT GetStatus(DWORD* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
  }

  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* region1, DWORD* bytes1, LPVOID* region2,
               DWORD* bytes2, DWORD flags) override {
    RequireEmulated(!primary_, "IDirectSoundBuffer::Lock", "the primary buffer cannot be written",
                    primary_);
    if (region1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
    const DWORD size = static_cast<DWORD>(data_->size());
    if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) GetCurrentPosition(nullptr, &offset);
    if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
      offset = 0;
      bytes = size;
    }
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    const DWORD first = std::min(bytes, size - offset);
    *region1 = data_->data() + offset;
    *bytes1 = first;
    if (region2 != nullptr) *region2 = first < bytes ? data_->data() : nullptr;
    if (bytes2 != nullptr) *bytes2 = first < bytes ? bytes - first : 0;
    return DS_OK;
  }

  HRESULT Unlock(LPVOID region1, DWORD bytes1, LPVOID region2, DWORD bytes2) override {
    if (primary_) return DSERR_INVALIDCALL;
    if (!Inside(region1, bytes1) || !Inside(region2, bytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
  }

  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override {
    if (reserved != 0 || priority != 0) return DSERR_INVALIDPARAM;
    if (primary_ && (flags & DSBPLAY_LOOPING) == 0) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    playing_ = true;
    looping_ = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
  }

  HRESULT Stop() override {
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    playing_ = false;
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD offset) override {
    if (primary_) return DSERR_INVALIDCALL;
    if (offset >= data_->size()) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    position_ = static_cast<uint64_t>(offset / format_.nBlockAlign) << 32;
    return DS_OK;
  }

  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    if (!primary_) return DSERR_INVALIDCALL;
    if (format == nullptr || !PlayableFormat(*format)) return DSERR_BADFORMAT;
    {
      std::lock_guard<std::mutex> lock(device_->mutex);
      if (device_->level < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    }
    std::lock_guard<std::mutex> lock(TheMixer().mutex);
    format_ = *format;
    format_.cbSize = 0;
    return DS_OK;
  }

  HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
    if (format == nullptr && written == nullptr) return DSERR_INVALIDPARAM;
    if (format != nullptr) {
      if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
      std::lock_guard<std::mutex> lock(TheMixer().mutex);
      *format = format_;
    }
    if (written != nullptr) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
  }

  // A new buffer over the same data, stopped at offset 0.
  SoundBuffer* Duplicate() const { return new SoundBuffer(format_, data_); }
  bool primary() const { return primary_; }
  // Under the mixer lock.
  bool playing() const { return playing_; }

  // Adds this buffer's next `count` frames, resampled to `output_rate`, to
  // `sum` (stereo pairs). Called under the mixer lock.
  void MixInto(int32_t* sum, int count, int output_rate) {
    if (!playing_ || frames_ == 0) return;
    const uint64_t step = (static_cast<uint64_t>(format_.nSamplesPerSec) << 32) /
                          static_cast<uint64_t>(output_rate);
    const uint64_t end = static_cast<uint64_t>(frames_) << 32;
    for (int i = 0; i < count; ++i) {
      const uint32_t frame = static_cast<uint32_t>(position_ >> 32);
      const int64_t fraction = static_cast<int64_t>(position_ & (kFractionOne - 1));
      uint32_t next = frame + 1;
      if (next >= frames_) next = looping_ ? 0 : frame;
      int32_t left0, right0, left1, right1;
      Sample(frame, &left0, &right0);
      Sample(next, &left1, &right1);
      sum[2 * i] += left0 + static_cast<int32_t>(((left1 - left0) * fraction) >> 32);
      sum[2 * i + 1] += right0 + static_cast<int32_t>(((right1 - right0) * fraction) >> 32);
      position_ += step;
      if (position_ >= end) {
        if (looping_) {
          position_ %= end;
        } else {
          playing_ = false;
          position_ = 0;
          return;
        }
      }
    }
  }

 public:
  ~SoundBuffer() override {
    if (primary_) return;
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> lock(mixer.mutex);
    mixer.buffers.erase(std::find(mixer.buffers.begin(), mixer.buffers.end(), this));
  }

 private:
  // Frame `frame` as 16-bit left and right.
  void Sample(uint32_t frame, int32_t* left, int32_t* right) const {
    const uint8_t* at = data_->data() + static_cast<size_t>(frame) * format_.nBlockAlign;
    if (format_.wBitsPerSample == 8) {
      *left = (static_cast<int32_t>(at[0]) - 128) * 256;
      *right = format_.nChannels == 2 ? (static_cast<int32_t>(at[1]) - 128) * 256 : *left;
    } else {
      *left = static_cast<int16_t>(at[0] | at[1] << 8);
      *right = format_.nChannels == 2 ? static_cast<int16_t>(at[2] | at[3] << 8) : *left;
    }
  }

  // True for a null region of 0 bytes or a range inside the data.
  bool Inside(const void* region, DWORD bytes) const {
    if (region == nullptr) return bytes == 0;
    const uint8_t* begin = data_->data();
    const uint8_t* at = static_cast<const uint8_t*>(region);
    return at >= begin && static_cast<size_t>(at - begin) + bytes <= data_->size();
  }

  ComRefCount refs_;
  const bool primary_;
  std::shared_ptr<DeviceState> device_;
  WAVEFORMATEX format_{};
  std::shared_ptr<std::vector<uint8_t>> data_;
  uint32_t frames_ = 0;
  // Under the mixer lock:
  bool playing_ = false;
  bool looping_ = false;
  uint64_t position_ = 0;  // in frames, 32.32 fixed point
};

class DirectSoundObject final : public IDirectSound {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectSound) {
      AddRef();
      *object = static_cast<IDirectSound*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Initialize(const GUID* device) override {
    RequireEmulated(device == nullptr, "IDirectSound::Initialize",
                    "only the default device is emulated", device);
    if (initialized_) return DSERR_ALREADYINITIALIZED;
    initialized_ = true;
    OpenOutput();
    return DS_OK;
  }

  HRESULT SetCooperativeLevel(HWND, DWORD level) override {
    if (!initialized_) return DSERR_UNINITIALIZED;
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    RequireEmulated(level != DSSCL_WRITEPRIMARY, "IDirectSound::SetCooperativeLevel",
                    "writing the primary buffer is not emulated", level);
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->level = level;
    return DS_OK;
  }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, LPDIRECTSOUNDBUFFER* buffer,
                            LPUNKNOWN outer) override {
    if (buffer == nullptr) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!initialized_) return DSERR_UNINITIALIZED;
    if (description == nullptr || description->dwSize != sizeof(DSBUFFERDESC)) {
      return DSERR_INVALIDPARAM;
    }
    if ((description->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
      if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) {
        return DSERR_INVALIDPARAM;
      }
      *buffer = new SoundBuffer(state_);
      return DS_OK;
    }
    const WAVEFORMATEX* format = description->lpwfxFormat;
    if (format == nullptr || !PlayableFormat(*format)) return DSERR_BADFORMAT;
    const DWORD bytes = description->dwBufferBytes;
    if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX || bytes < format->nBlockAlign) {
      return DSERR_INVALIDPARAM;
    }
    std::shared_ptr<std::vector<uint8_t>> data;
    try {
      // A new buffer holds silence.
      data = std::make_shared<std::vector<uint8_t>>(bytes, format->wBitsPerSample == 8 ? 0x80 : 0);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
    *buffer = new SoundBuffer(*format, std::move(data));
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                               LPDIRECTSOUNDBUFFER* duplicate) override {
    if (duplicate == nullptr) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    if (!initialized_) return DSERR_UNINITIALIZED;
    // Every IDirectSoundBuffer is one of ours unless a test put a double in
    // place of the device; a double's buffers are duplicated by the double.
    auto* own = dynamic_cast<SoundBuffer*>(original);
    if (own == nullptr || own->primary()) return DSERR_INVALIDCALL;
    *duplicate = own->Duplicate();
    return DS_OK;
  }

  HRESULT GetCaps(DSCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    if (!initialized_) return DSERR_UNINITIALIZED;
    caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT |
                    DSCAPS_PRIMARY16BIT | DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER |
                    DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                    DSCAPS_SECONDARY16BIT;
    caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps->dwTotalHwMemBytes = 0;
    caps->dwFreeHwMemBytes = 0;
    return DS_OK;
  }

 public:
  ~DirectSoundObject() override {
    if (initialized_) CloseOutput();
  }

 private:
  ComRefCount refs_;
  bool initialized_ = false;
  std::shared_ptr<DeviceState> state_ = std::make_shared<DeviceState>();
};

HRESULT MakeDirectSound(REFIID riid, void** out) {
  auto* object = new DirectSoundObject;
  const HRESULT result = object->QueryInterface(riid, out);
  object->Release();
  return result;
}

const ComFactoryRegistration kDirectSoundFactory(CLSID_DirectSound, MakeDirectSound);

}  // namespace

HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context) {
  if (callback == nullptr) return DSERR_INVALIDPARAM;
  callback(nullptr, "Host sound output", "host", context);
  return DS_OK;
}

void MixSoundBuffers(int16_t* stereo_frames, int frame_count, int output_rate) {
  if (frame_count <= 0) return;
  {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> lock(mixer.mutex);
    mixer.sum.assign(static_cast<size_t>(frame_count) * 2, 0);
    if (output_rate > 0) {
      for (SoundBuffer* buffer : mixer.buffers) {
        buffer->MixInto(mixer.sum.data(), frame_count, output_rate);
      }
      // The MCI sequencer's music joins the mix here, rendered by the same
      // frames, so it is timed and recorded like every buffer.
      MixMidiSequencer(mixer.sum.data(), frame_count, output_rate);
    }
    for (size_t i = 0; i < mixer.sum.size(); ++i) {
      stereo_frames[i] = static_cast<int16_t>(std::clamp(mixer.sum[i], -32768, 32767));
    }
  }
  // The end of a MIDI piece is posted to its window, and the sequencer's
  // slower upkeep done, outside the mixer lock.
  FinishMidiSequencerMix();
}

int LiveSoundBufferCount() {
  Mixer& mixer = TheMixer();
  std::lock_guard<std::mutex> lock(mixer.mutex);
  return static_cast<int>(mixer.buffers.size());
}

int PlayingSoundBufferCount() {
  Mixer& mixer = TheMixer();
  std::lock_guard<std::mutex> lock(mixer.mutex);
  int playing = 0;
  for (const SoundBuffer* buffer : mixer.buffers) playing += buffer->playing() ? 1 : 0;
  return playing;
}
