// A sound device whose buffers never play by themselves: the test moves each
// buffer's play cursor. It stands in for the DirectSound class for its own
// lifetime. Buffers hold their bytes in memory (a new buffer is filled with
// kUntouched, so a byte nobody wrote shows), and every Lock is recorded.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/dsound.h"

class FakeSoundBuffer;

// What the device made, by the test's side.
struct FakeSoundDeviceState {
  std::vector<FakeSoundBuffer*> buffers;  // secondary buffers alive, in making order
};

struct FakeLock {
  DWORD offset;
  DWORD bytes;
};

class FakeSoundBuffer final : public IDirectSoundBuffer {
 public:
  static constexpr uint8_t kUntouched = 0x5A;

  FakeSoundBuffer(std::shared_ptr<FakeSoundDeviceState> state, const WAVEFORMATEX* format,
                  DWORD bytes)
      : state_(std::move(state)), primary_(format == nullptr) {
    if (format != nullptr) {
      format_ = *format;
      data_.assign(bytes, kUntouched);
      state_->buffers.push_back(this);
    }
  }
  ~FakeSoundBuffer() override {
    auto& list = state_->buffers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
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

  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
    if (play != nullptr) *play = cursor;
    if (write != nullptr) *write = cursor;
    return DS_OK;
  }
  HRESULT GetStatus(DWORD* status) override {
    *status = (playing ? DSBSTATUS_PLAYING : 0) | (playing && looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
  }
  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* region1, DWORD* bytes1, LPVOID* region2,
               DWORD* bytes2, DWORD) override {
    const DWORD size = static_cast<DWORD>(data_.size());
    if (primary_ || offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    locks.push_back({offset, bytes});
    const DWORD first = std::min(bytes, size - offset);
    *region1 = data_.data() + offset;
    *bytes1 = first;
    *region2 = first < bytes ? data_.data() : nullptr;
    *bytes2 = first < bytes ? bytes - first : 0;
    return DS_OK;
  }
  HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DS_OK; }
  HRESULT Play(DWORD, DWORD, DWORD flags) override {
    playing = true;
    looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
  }
  HRESULT Stop() override {
    playing = false;
    return DS_OK;
  }
  HRESULT SetCurrentPosition(DWORD offset) override {
    if (!primary_ && offset >= data_.size()) return DSERR_INVALIDPARAM;
    cursor = offset;
    return DS_OK;
  }
  HRESULT SetFormat(const WAVEFORMATEX*) override { return DS_OK; }
  HRESULT GetFormat(WAVEFORMATEX* format, DWORD, DWORD* written) override {
    if (format != nullptr) *format = format_;
    if (written != nullptr) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
  }

  const std::vector<uint8_t>& data() const { return data_; }
  const WAVEFORMATEX& format() const { return format_; }

  // Moved by the test.
  DWORD cursor = 0;
  bool playing = false;
  bool looping = false;
  std::vector<FakeLock> locks;

 private:
  ComRefCount refs_;
  std::shared_ptr<FakeSoundDeviceState> state_;
  const bool primary_;
  WAVEFORMATEX format_{};
  std::vector<uint8_t> data_;
};

class FakeDirectSound final : public IDirectSound {
 public:
  explicit FakeDirectSound(std::shared_ptr<FakeSoundDeviceState> state)
      : state_(std::move(state)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
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
  HRESULT Initialize(const GUID*) override { return DS_OK; }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return DS_OK; }
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, LPDIRECTSOUNDBUFFER* buffer,
                            LPUNKNOWN) override {
    *buffer = new FakeSoundBuffer(state_, description->lpwfxFormat, description->dwBufferBytes);
    return DS_OK;
  }
  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPDIRECTSOUNDBUFFER* duplicate) override {
    *duplicate = nullptr;
    return DSERR_INVALIDCALL;
  }
  HRESULT GetCaps(DSCAPS* caps) override {
    caps->dwFlags = DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT;
    caps->dwMinSecondarySampleRate = 100;
    caps->dwMaxSecondarySampleRate = 44100;
    caps->dwTotalHwMemBytes = 0;
    caps->dwFreeHwMemBytes = 0;
    return DS_OK;
  }

 private:
  ComRefCount refs_;
  std::shared_ptr<FakeSoundDeviceState> state_;
};

// Puts the fake in place of the DirectSound class while it lives.
class FakeSoundDevice {
 public:
  FakeSoundDevice()
      : state_(std::make_shared<FakeSoundDeviceState>()),
        scope_(CLSID_DirectSound, [state = state_](REFIID riid, void** out) {
          auto* device = new FakeDirectSound(state);
          const HRESULT result = device->QueryInterface(riid, out);
          device->Release();
          return result;
        }) {}

  // The buffer whose bytes are `buffer` (a slot's IDirectSoundBuffer).
  static FakeSoundBuffer* Of(IDirectSoundBuffer* buffer) {
    return static_cast<FakeSoundBuffer*>(buffer);
  }
  int BufferCount() const { return static_cast<int>(state_->buffers.size()); }

 private:
  std::shared_ptr<FakeSoundDeviceState> state_;
  ScopedComFactory scope_;
};
