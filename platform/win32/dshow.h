// DirectShow stand-in: the filter graph and the multimedia stream that play
// a movie file into a DirectDraw surface.
//
// What it does: both classes are made with CoCreateInstance
// (CLSID_FilterGraph, CLSID_AMMultiMediaStream), so a test can put a double
// of the media stream in their place. A multimedia stream opens a movie file
// that FFmpeg reads (movie_decoder_ffmpeg.h; VFW_E_NOT_FOUND for a file that
// does not exist, VFW_E_UNSUPPORTED_STREAM for one that is no movie) and
// plays it: the picture frame by frame into a sample's surface, at the times
// the host clock gives, and the sound track through the DirectSound
// stand-in. A container whose picture cannot be decoded opens with a video
// stream of size 0 x 0. The stream runs on the caller's thread
// (AMMSF_NOGRAPHTHREAD): an update left pending is completed, and its event
// set, by the first call on the stream's objects once its frame's time has
// come (the runtime asks for the stream's state before it looks at the
// event).
//
// The surfaces are the DirectDraw stand-in's (IDirectDrawSurface7, the one
// surface interface it has), and the DirectDraw object given to a video
// stream is its IDirectDraw7.
#pragma once

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/types.h"

// ---- Result codes --------------------------------------------------------------
// Success codes of a sample update: it goes on in the background, nothing
// new was there, the stream has ended.
constexpr HRESULT MS_S_PENDING = static_cast<HRESULT>(0x00040001);
constexpr HRESULT MS_S_NOUPDATE = static_cast<HRESULT>(0x00040002);
constexpr HRESULT MS_S_ENDOFSTREAM = static_cast<HRESULT>(0x00040003);
constexpr HRESULT MS_E_NOSTREAM = static_cast<HRESULT>(0x80040403u);
constexpr HRESULT MS_E_BUSY = static_cast<HRESULT>(0x80040406u);
constexpr HRESULT MS_E_NOTINIT = static_cast<HRESULT>(0x80040407u);
constexpr HRESULT MS_E_NOTRUNNING = static_cast<HRESULT>(0x8004040Au);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);

// ---- Stream settings ------------------------------------------------------------
// Stream times are in 100-nanosecond units.
using STREAM_TIME = LONGLONG;

enum STREAM_TYPE { STREAMTYPE_READ = 0, STREAMTYPE_WRITE = 1, STREAMTYPE_TRANSFORM = 2 };
enum STREAM_STATE { STREAMSTATE_STOP = 0, STREAMSTATE_RUN = 1 };

// Initialize: the stream's own graph runs on the caller's thread.
constexpr DWORD AMMSF_NOGRAPHTHREAD = 0x1;
// AddMediaStream: the stream is played through the default renderer of its
// kind (for sound: the default sound output).
constexpr DWORD AMMSF_ADDDEFAULTRENDERER = 0x1;
// CreateSample: the sample's surface may be drawn while it is being filled.
constexpr DWORD DDSFF_PROGRESSIVERENDER = 0x1;

// The purpose of a media stream.
using MSPID = GUID;
using REFMSPID = const MSPID&;
extern const MSPID MSPID_PrimaryVideo;
extern const MSPID MSPID_PrimaryAudio;

// ---- Interfaces ------------------------------------------------------------------
extern const CLSID CLSID_FilterGraph;
extern const CLSID CLSID_AMMultiMediaStream;
extern const IID IID_IGraphBuilder;
extern const IID IID_IMediaControl;
extern const IID IID_IMediaSeeking;
extern const IID IID_IBasicAudio;
extern const IID IID_IAMMultiMediaStream;
extern const IID IID_IMediaStream;
extern const IID IID_IAMMediaStream;
extern const IID IID_IDirectDrawMediaStream;
extern const IID IID_IDirectDrawStreamSample;

// The filter graph. The runtime only hands it to the multimedia stream and
// asks it for its control, seeking and sound interfaces.
struct IGraphBuilder : public IUnknown {};

struct IMediaControl : public IUnknown {
 public:
  // Pauses the graph: a running multimedia stream stops until it is run
  // again.
  virtual HRESULT Pause() = 0;
};

struct IMediaSeeking : public IUnknown {
 public:
  // The length of what the graph plays, in 100-nanosecond units.
  virtual HRESULT GetDuration(LONGLONG* duration) = 0;
  // The calls below are the stand-in's own additions, which the runtime does
  // not make: they have a body (E_FAIL) so that a double of the graph need
  // not give them.
  // The position now, in 100-nanosecond units.
  virtual HRESULT GetCurrentPosition(LONGLONG*) { return E_FAIL; }
  // Moves to `current` (AM_SEEKING_AbsolutePositioning); the stop position
  // is not emulated (AM_SEEKING_NoPositioning).
  virtual HRESULT SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) { return E_FAIL; }
};

constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;

// The volume and balance of the sound track, in hundredths of a decibel:
// the volume from -10000 (silence) to 0 (full), the balance from -10000
// (left only) to 10000 (right only). The runtime only keeps the interface:
// the calls have a body (E_FAIL) so that a double of the graph need not give
// them.
struct IBasicAudio : public IUnknown {
 public:
  virtual HRESULT put_Volume(LONG) { return E_FAIL; }
  virtual HRESULT get_Volume(LONG*) { return E_FAIL; }
  virtual HRESULT put_Balance(LONG) { return E_FAIL; }
  virtual HRESULT get_Balance(LONG*) { return E_FAIL; }
};

// One stream of a multimedia stream (the video or the sound track).
struct IMediaStream : public IUnknown {};
struct IAMMediaStream : public IMediaStream {};

struct IDirectDrawStreamSample;

// A video stream that renders into DirectDraw surfaces.
struct IDirectDrawMediaStream : public IMediaStream {
 public:
  // The stream's frame size and pixel format: `current` receives the size
  // (DDSD_WIDTH, DDSD_HEIGHT) and the layout (DDSD_PIXELFORMAT); the other
  // outputs may be null.
  virtual HRESULT GetFormat(DDSURFACEDESC2* current, IDirectDrawPalette** palette,
                            DDSURFACEDESC2* desired, DWORD* flags) = 0;
  // A sample that renders into `surface` (rectangle `rect`, null: the whole
  // surface); with a null surface the stream makes one of its own.
  virtual HRESULT CreateSample(IDirectDrawSurface7* surface, const RECT* rect, DWORD flags,
                               IDirectDrawStreamSample** sample) = 0;
  // The time from one frame to the next, in 100-nanosecond units.
  virtual HRESULT GetTimePerFrame(STREAM_TIME* time) = 0;
};

struct IStreamSample : public IUnknown {
 public:
  // Renders the stream's next frame into the sample. Without `event` the
  // call returns when the frame is there (S_OK). With `event` it may return
  // MS_S_PENDING at once and sets the event when the frame is there. At the
  // end of the stream: MS_S_ENDOFSTREAM. Only one update of a sample may be
  // outstanding (MS_E_BUSY), and only while the stream runs
  // (MS_E_NOTRUNNING). `apc` and `apc_data` must be null.
  virtual HRESULT Update(DWORD flags, HANDLE event, void (*apc)(DWORD_PTR),
                         DWORD_PTR apc_data) = 0;
};

struct IDirectDrawStreamSample : public IStreamSample {
 public:
  // The sample's surface (one reference more) and the rectangle of it that
  // receives the frames; either output may be null.
  virtual HRESULT GetSurface(IDirectDrawSurface7** surface, RECT* rect) = 0;
};

struct IMultiMediaStream : public IUnknown {
 public:
  virtual HRESULT GetState(STREAM_STATE* state) = 0;
  // STREAMSTATE_RUN plays the streams (and resumes a paused graph).
  virtual HRESULT SetState(STREAM_STATE state) = 0;
  // The stream's current time, in 100-nanosecond units.
  virtual HRESULT GetTime(STREAM_TIME* time) = 0;
  // The media stream of a purpose (one reference more), MS_E_NOSTREAM when
  // there is none.
  virtual HRESULT GetMediaStream(REFMSPID purpose, IMediaStream** stream) = 0;
  virtual HRESULT Seek(STREAM_TIME time) = 0;
};

struct IAMMultiMediaStream : public IMultiMediaStream {
 public:
  // Readies the stream: only STREAMTYPE_READ is emulated; `graph` may be
  // null (the stream then makes its own).
  virtual HRESULT Initialize(STREAM_TYPE type, DWORD flags, IGraphBuilder* graph) = 0;
  // Adds the stream of `purpose`: the primary video with a DirectDraw object
  // to render with, the primary sound with AMMSF_ADDDEFAULTRENDERER and no
  // object. `stream` (may be null) receives the new stream.
  virtual HRESULT AddMediaStream(IUnknown* object, const MSPID* purpose, DWORD flags,
                                 IMediaStream** stream) = 0;
  // Opens a movie file (a UTF-16 path); `flags` must be 0.
  virtual HRESULT OpenFile(const char16_t* path, DWORD flags) = 0;
};

// ---- Text ---------------------------------------------------------------------------
// The program's code page (code page 932) for MultiByteToWideChar.
constexpr UINT CP_ACP = 0;

// Turns `length` bytes of `text` (-1: up to and with its NUL) from code page
// `code_page` (CP_ACP or 932) into UTF-16 in `out`. Returns the number of
// UTF-16 units written, or with `out_size` 0 the number needed; 0 when `out`
// is too small. `flags` must be 0.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int length, char16_t* out,
                        int out_size);
