// DirectSound stand-in: the device object, the primary buffer and secondary
// buffers in any PCM format the runtime asks for (any rate from 100 to
// 200,000 Hz, 8 or 16 bits, 1 or 2 channels), with Lock and Unlock, Play
// (once or looping), Stop, the play and write cursors, duplicates sharing
// their data, and the status. Volume, pan and frequency are not emulated: no
// caller sets them, so the control flags are accepted and the buffers always
// play at full volume, centred, at their own rate.
//
// Objects are made through CoCreateInstance (CLSID_DirectSound with
// IID_IDirectSound), so a test can replace them. Initialize opens the
// installed host's audio output with the mixer as its pull function; the
// output is closed again when the last initialised device object goes.
//
// The mixer mixes every playing secondary buffer into interleaved signed
// 16-bit stereo at the output's rate, resampling each buffer from its own
// rate (linear interpolation; a buffer at the output's rate is copied sample
// for sample). It runs under its own lock, which is never held while calling
// anything outside this stand-in; the host pulls it on its own audio thread
// (or, on the null host, at each vertical-blank wait).
#pragma once

#include <cstdint>

#include "platform/win32/com.h"
#include "platform/win32/types.h"

// ---- Wave formats (also what the compression manager converts) ---------------

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
// 18 bytes, as stored in files and compared byte for byte.
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;  // bytes of format-specific data that follow
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is 18 bytes");
using LPWAVEFORMATEX = WAVEFORMATEX*;

// ---- Identifiers and results ---------------------------------------------------

extern const CLSID CLSID_DirectSound;
extern const IID IID_IDirectSound;
extern const IID IID_IDirectSoundBuffer;

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

// Buffer description flags. Only the primary-buffer flag changes what is
// made; the others are accepted as they are.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

// Secondary buffer limits.
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;

// Device capability flags.
constexpr DWORD DSCAPS_PRIMARYMONO = 0x00000001;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x00000002;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x00000004;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x00000008;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x00000010;
constexpr DWORD DSCAPS_EMULDRIVER = 0x00000020;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x00000100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x00000200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x00000400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x00000800;

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;  // 0 for the primary buffer
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;  // null for the primary buffer
};

// What GetCaps reports. The stand-in has no hardware buffers or memory: every
// format is mixed in software.
struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
};

// ---- Interfaces -------------------------------------------------------------------

class IDirectSoundBuffer : public IUnknown {
 public:
  // Byte offsets of the play cursor and of the write cursor (where data may
  // be written safely: a little ahead of the play cursor while playing).
  // Either pointer may be null.
  virtual HRESULT GetCurrentPosition(DWORD* play_cursor, DWORD* write_cursor) = 0;
  // DSBSTATUS_PLAYING while playing, with DSBSTATUS_LOOPING when looping.
  virtual HRESULT GetStatus(DWORD* status) = 0;
  // Gives the range [offset, offset + bytes) of the buffer as one region, or
  // as two when it wraps past the end (the second starting at offset 0).
  virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* region1, DWORD* bytes1, LPVOID* region2,
                       DWORD* bytes2, DWORD flags) = 0;
  virtual HRESULT Unlock(LPVOID region1, DWORD bytes1, LPVOID region2, DWORD bytes2) = 0;
  // `reserved` and `priority` must be 0. Playing again while playing only
  // changes the looping.
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  // The play cursor stays where it stopped.
  virtual HRESULT Stop() = 0;
  // Moves the play cursor to `offset` (taken down to a whole sample frame).
  virtual HRESULT SetCurrentPosition(DWORD offset) = 0;
  // Primary buffer only: the output format asked for.
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  // The buffer's format (18 bytes); `written` (optional) gets the bytes given.
  virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) = 0;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

class IDirectSound : public IUnknown {
 public:
  // `device` null (the default output) is the only device.
  virtual HRESULT Initialize(const GUID* device) = 0;
  // Any window is accepted.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, LPDIRECTSOUNDBUFFER* buffer,
                                    LPUNKNOWN outer) = 0;
  // A new secondary buffer sharing the original's data, stopped at offset 0.
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                       LPDIRECTSOUNDBUFFER* duplicate) = 0;
  virtual HRESULT GetCaps(DSCAPS* caps) = 0;
};
using LPDIRECTSOUND = IDirectSound*;

// Lists the output devices: one, the host's output (identifier null).
// The callback returns TRUE to go on.
using LPDSENUMCALLBACKA = BOOL (*)(GUID* guid, LPCSTR description, LPCSTR module,
                                   LPVOID context);
HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context);

// ---- The mixer --------------------------------------------------------------------

// Mixes every playing secondary buffer into `frame_count` stereo frames at
// `output_rate` Hz (the frames are overwritten) and moves the buffers' play
// cursors on. A buffer played once stops at its end, its play cursor back at
// 0. This is the function the host's audio output pulls.
void MixSoundBuffers(int16_t* stereo_frames, int frame_count, int output_rate);

// The number of secondary buffers alive and of those playing (for tests).
int LiveSoundBufferCount();
int PlayingSoundBufferCount();
