// A double of the movie player: the filter graph and the multimedia stream
// (platform/win32/dshow.h) put in place of the stand-in's classes for as
// long as the double lives.
//
// It takes every file that exists and starts with the options' signature
// and plays it as a movie of the options' size and frame count. Frames are
// rendered into the sample's surface (a DirectDraw stand-in surface) with a
// known pattern, MovieFrameColor. A synchronous update renders the next
// frame at once; a background update (one given an event) stays pending
// until DeliverPendingFrames renders its frame and sets the event, or, with
// `frames_ready`, renders it before Update returns (still answering
// MS_S_PENDING), as a decoder that keeps ahead of the display does.
//
// Every call of the double's objects (and their creation, named like
// "CoCreateInstance(AMMultiMediaStream)") is recorded by name, in order, and
// a named call can be made to fail on its n-th use, as the scriptable
// display does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/cp932.h"
#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/dshow.h"
#include "platform/win32/kernel.h"

struct MovieDoubleOptions {
  int32_t width = 32;
  int32_t height = 24;
  int32_t frame_count = 6;
  STREAM_TIME time_per_frame = 400000;  // 25 frames a second
  bool frames_ready = false;
  // Files that do not start with these bytes are no movies.
  std::string signature = "MOVIE";
  // The layout of a surface the stream makes itself (a sample made without
  // a surface): 16-bit 5-5-5.
  DWORD own_bits = 16;
  DWORD own_red = 0x7C00;
  DWORD own_green = 0x03E0;
  DWORD own_blue = 0x001F;
};

// The colour of pixel (x, y) of frame `frame`: every channel a multiple of
// 8, so 5- and 6-bit layouts hold it exactly; frames 0 to 5 differ in blue.
inline void MovieFrameColor(int32_t frame, int32_t x, int32_t y, uint8_t* r, uint8_t* g,
                            uint8_t* b) {
  *r = static_cast<uint8_t>((x * 8) & 0xF8);
  *g = static_cast<uint8_t>((y * 8 + 16) & 0xF8);
  *b = static_cast<uint8_t>((frame * 40 + 16) & 0xF8);
}

namespace movie_double {

class Sample;
class VideoStream;

// What one opened multimedia stream did and holds.
struct StreamState {
  std::string path;  // the file OpenFile was given (code page 932); empty before
  bool opened = false;
  bool video_added = false;
  bool audio_added = false;
  bool running = false;
  int32_t next_frame = 0;      // the frame the next update renders
  int32_t frames_rendered = 0;
  bool pending = false;          // a background update waits for its frame
  HANDLE event = nullptr;        // the pending update's event
  IDirectDraw7* direct_draw = nullptr;
  Sample* sample = nullptr;        // the stream's sample while it lives
  VideoStream* video = nullptr;    // its video stream while it lives
};

struct State {
  MovieDoubleOptions options;
  std::vector<std::string> calls;
  std::map<std::string, int> counts;
  std::map<std::string, std::map<int, HRESULT>> failures;
  std::map<std::string, HRESULT> always;
  std::vector<std::shared_ptr<StreamState>> streams;
  std::vector<std::string> opened_paths;  // every path OpenFile was given
  int live_objects = 0;

  // Records `call` and gives its scripted result (S_OK when none).
  HRESULT Enter(const std::string& call) {
    calls.push_back(call);
    const int use = ++counts[call];
    auto always_found = always.find(call);
    if (always_found != always.end()) return always_found->second;
    auto planned = failures.find(call);
    if (planned != failures.end()) {
      auto nth = planned->second.find(use);
      if (nth != planned->second.end()) return nth->second;
    }
    return S_OK;
  }
};

// Counts the double's live objects.
class Counted {
 public:
  explicit Counted(std::shared_ptr<State> state) : state_(std::move(state)) {
    ++state_->live_objects;
  }
  virtual ~Counted() { --state_->live_objects; }

 protected:
  std::shared_ptr<State> state_;
};

template <typename Interface>
HRESULT Hand(Interface* object, void** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}

inline std::string WidePathToCp932(const char16_t* path) {
  std::string utf8;
  for (size_t i = 0; path[i] != 0; ++i) {
    uint32_t code = path[i];
    if (code >= 0xD800 && code < 0xDC00 && path[i + 1] >= 0xDC00 && path[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (path[i + 1] - 0xDC00);
      ++i;
    }
    if (code < 0x80) {
      utf8.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      utf8.push_back(static_cast<char>(0xE0 | (code >> 12)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xF0 | (code >> 18)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return Utf8ToCp932(utf8);
}

// The first `count` bytes of a file (fewer when it is shorter); false when
// it cannot be opened.
inline bool ReadFileStart(const std::string& path, size_t count, std::string* bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->assign(count, '\0');
  DWORD got = 0;
  ReadFile(file, bytes->data(), static_cast<DWORD>(count), &got, nullptr);
  bytes->resize(got);
  CloseHandle(file);
  return true;
}

// A channel value of 8 bits placed in `mask`.
inline uint32_t PlaceChannel(uint8_t value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int width = 0;
  while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) ++width;
  const uint32_t top = width >= 8 ? uint32_t{value} << (width - 8) : uint32_t{value} >> (8 - width);
  return (top << shift) & mask;
}

class Sample : public IDirectDrawStreamSample, public Counted {
 public:
  Sample(std::shared_ptr<State> state, std::shared_ptr<StreamState> stream,
         IDirectDrawSurface7* surface, RECT rect)
      : Counted(std::move(state)), stream_(std::move(stream)), surface_(surface), rect_(rect) {
    stream_->sample = this;
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawStreamSample) {
      return Hand(static_cast<IDirectDrawStreamSample*>(this), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Update(DWORD, HANDLE event, void (*)(DWORD_PTR), DWORD_PTR) override {
    const HRESULT fault = state_->Enter("IDirectDrawStreamSample::Update");
    if (FAILED(fault)) return fault;
    if (stream_->pending) return MS_E_BUSY;
    if (!stream_->running) return MS_E_NOTRUNNING;
    if (stream_->next_frame >= state_->options.frame_count) return MS_S_ENDOFSTREAM;
    if (event == nullptr) {
      RenderNextFrame();
      return S_OK;
    }
    stream_->pending = true;
    stream_->event = event;
    if (state_->options.frames_ready) Deliver();
    return MS_S_PENDING;
  }

  HRESULT GetSurface(IDirectDrawSurface7** surface, RECT* rect) override {
    const HRESULT fault = state_->Enter("IDirectDrawStreamSample::GetSurface");
    if (FAILED(fault)) return fault;
    if (surface != nullptr) {
      surface_->AddRef();
      *surface = surface_;
    }
    if (rect != nullptr) *rect = rect_;
    return S_OK;
  }

  // Brings the pending update's frame and sets its event.
  void Deliver() {
    if (!stream_->pending) return;
    RenderNextFrame();
    stream_->pending = false;
    SetEvent(stream_->event);
  }

 private:
  friend class ::ComRefCount;
  ~Sample() override {
    stream_->sample = nullptr;
    surface_->Release();
  }

  void RenderNextFrame() {
    const int32_t frame = stream_->next_frame++;
    ++stream_->frames_rendered;
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    if (FAILED(surface_->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
      return;
    }
    const DDPIXELFORMAT& format = description.ddpfPixelFormat;
    const int bytes = static_cast<int>(format.dwRGBBitCount / 8);
    for (LONG y = rect_.top; y < rect_.bottom; ++y) {
      auto* row = static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch;
      for (LONG x = rect_.left; x < rect_.right; ++x) {
        uint8_t r, g, b;
        MovieFrameColor(frame, x - rect_.left, y - rect_.top, &r, &g, &b);
        const uint32_t value = PlaceChannel(r, format.dwRBitMask) |
                               PlaceChannel(g, format.dwGBitMask) |
                               PlaceChannel(b, format.dwBBitMask);
        for (int k = 0; k < bytes; ++k) row[x * bytes + k] = static_cast<uint8_t>(value >> (8 * k));
      }
    }
    surface_->Unlock(nullptr);
  }

  ComRefCount refs_;
  std::shared_ptr<StreamState> stream_;
  IDirectDrawSurface7* surface_;
  RECT rect_;
};

class VideoStream : public IAMMediaStream, public IDirectDrawMediaStream, public Counted {
 public:
  VideoStream(std::shared_ptr<State> state, std::shared_ptr<StreamState> stream)
      : Counted(std::move(state)), stream_(std::move(stream)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    const HRESULT fault = state_->Enter("IMediaStream::QueryInterface");
    if (FAILED(fault)) {
      *object = nullptr;
      return fault;
    }
    if (riid == IID_IUnknown || riid == IID_IMediaStream || riid == IID_IAMMediaStream) {
      return Hand(static_cast<IAMMediaStream*>(this), object);
    }
    if (riid == IID_IDirectDrawMediaStream) {
      return Hand(static_cast<IDirectDrawMediaStream*>(this), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT GetFormat(DDSURFACEDESC2* current, IDirectDrawPalette** palette, DDSURFACEDESC2*,
                    DWORD*) override {
    const HRESULT fault = state_->Enter("IDirectDrawMediaStream::GetFormat");
    if (FAILED(fault)) return fault;
    if (palette != nullptr) *palette = nullptr;
    if (current != nullptr) {
      current->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
      current->dwWidth = static_cast<DWORD>(state_->options.width);
      current->dwHeight = static_cast<DWORD>(state_->options.height);
      current->ddpfPixelFormat = DDPIXELFORMAT{static_cast<DWORD>(sizeof(DDPIXELFORMAT)),
                                               DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0};
    }
    return S_OK;
  }

  HRESULT CreateSample(IDirectDrawSurface7* surface, const RECT* rect, DWORD,
                       IDirectDrawStreamSample** sample) override {
    const HRESULT fault = state_->Enter("IDirectDrawMediaStream::CreateSample");
    if (FAILED(fault)) return fault;
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    if (stream_->sample != nullptr) return E_FAIL;
    const MovieDoubleOptions& o = state_->options;
    if (surface != nullptr) {
      surface->AddRef();
    } else {
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof(description);
      description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
      description.dwWidth = static_cast<DWORD>(o.width);
      description.dwHeight = static_cast<DWORD>(o.height);
      description.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
      description.ddpfPixelFormat =
          DDPIXELFORMAT{static_cast<DWORD>(sizeof(DDPIXELFORMAT)), DDPF_RGB, 0, o.own_bits,
                        o.own_red, o.own_green, o.own_blue, 0};
      if (stream_->direct_draw == nullptr ||
          FAILED(stream_->direct_draw->CreateSurface(&description, &surface, nullptr))) {
        return E_FAIL;
      }
    }
    const RECT whole = {0, 0, o.width, o.height};
    *sample = new Sample(state_, stream_, surface, rect != nullptr ? *rect : whole);
    return S_OK;
  }

  HRESULT GetTimePerFrame(STREAM_TIME* time) override {
    const HRESULT fault = state_->Enter("IDirectDrawMediaStream::GetTimePerFrame");
    if (FAILED(fault)) return fault;
    *time = state_->options.time_per_frame;
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~VideoStream() override { stream_->video = nullptr; }
  ComRefCount refs_;
  std::shared_ptr<StreamState> stream_;
};

class Graph : public IGraphBuilder,
              public IMediaControl,
              public IMediaSeeking,
              public IBasicAudio,
              public Counted {
 public:
  explicit Graph(std::shared_ptr<State> state) : Counted(std::move(state)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    const HRESULT fault = state_->Enter("IGraphBuilder::QueryInterface");
    if (FAILED(fault)) {
      *object = nullptr;
      return fault;
    }
    if (riid == IID_IUnknown || riid == IID_IGraphBuilder) {
      return Hand(static_cast<IGraphBuilder*>(this), object);
    }
    if (riid == IID_IMediaControl) return Hand(static_cast<IMediaControl*>(this), object);
    if (riid == IID_IMediaSeeking) return Hand(static_cast<IMediaSeeking*>(this), object);
    if (riid == IID_IBasicAudio) return Hand(static_cast<IBasicAudio*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Pause() override {
    const HRESULT fault = state_->Enter("IMediaControl::Pause");
    if (FAILED(fault)) return fault;
    if (stream_ != nullptr) stream_->running = false;
    return S_OK;
  }
  HRESULT GetDuration(LONGLONG* duration) override {
    const HRESULT fault = state_->Enter("IMediaSeeking::GetDuration");
    if (FAILED(fault)) return fault;
    *duration = state_->options.time_per_frame * state_->options.frame_count;
    return S_OK;
  }

  void Bind(std::shared_ptr<StreamState> stream) { stream_ = std::move(stream); }

 private:
  friend class ::ComRefCount;
  ~Graph() override = default;
  ComRefCount refs_;
  std::shared_ptr<StreamState> stream_;
};

class MultiMediaStream : public IAMMultiMediaStream, public Counted {
 public:
  explicit MultiMediaStream(std::shared_ptr<State> state)
      : Counted(std::move(state)), stream_(std::make_shared<StreamState>()) {
    state_->streams.push_back(stream_);
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IAMMultiMediaStream) {
      return Hand(static_cast<IAMMultiMediaStream*>(this), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Initialize(STREAM_TYPE type, DWORD, IGraphBuilder* graph) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::Initialize");
    if (FAILED(fault)) return fault;
    if (type != STREAMTYPE_READ || graph == nullptr || graph_ != nullptr) return E_INVALIDARG;
    graph->AddRef();
    graph_ = graph;
    if (auto* ours = dynamic_cast<Graph*>(graph)) ours->Bind(stream_);
    return S_OK;
  }

  HRESULT AddMediaStream(IUnknown* object, const MSPID* purpose, DWORD flags,
                         IMediaStream** stream) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::AddMediaStream");
    if (FAILED(fault)) return fault;
    if (stream != nullptr) *stream = nullptr;
    if (graph_ == nullptr) return MS_E_NOTINIT;
    if (*purpose == MSPID_PrimaryVideo) {
      if (object == nullptr ||
          FAILED(object->QueryInterface(IID_IDirectDraw7,
                                        reinterpret_cast<void**>(&stream_->direct_draw)))) {
        return E_INVALIDARG;
      }
      stream_->video_added = true;
      return S_OK;
    }
    if (*purpose == MSPID_PrimaryAudio && object == nullptr &&
        (flags & AMMSF_ADDDEFAULTRENDERER) != 0) {
      stream_->audio_added = true;
      return S_OK;
    }
    return E_INVALIDARG;
  }

  HRESULT OpenFile(const char16_t* path, DWORD) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::OpenFile");
    stream_->path = WidePathToCp932(path);
    state_->opened_paths.push_back(stream_->path);
    if (FAILED(fault)) return fault;
    std::string start;
    const std::string& signature = state_->options.signature;
    if (!ReadFileStart(stream_->path, signature.size(), &start)) return VFW_E_NOT_FOUND;
    if (start != signature) return VFW_E_UNSUPPORTED_STREAM;
    stream_->opened = true;
    return S_OK;
  }

  HRESULT GetState(STREAM_STATE* state) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::GetState");
    if (FAILED(fault)) return fault;
    *state = stream_->running ? STREAMSTATE_RUN : STREAMSTATE_STOP;
    return S_OK;
  }
  HRESULT SetState(STREAM_STATE state) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::SetState");
    if (FAILED(fault)) return fault;
    if (!stream_->opened) return MS_E_NOSTREAM;
    stream_->running = state == STREAMSTATE_RUN;
    return S_OK;
  }
  HRESULT GetTime(STREAM_TIME* time) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::GetTime");
    if (FAILED(fault)) return fault;
    *time = state_->options.time_per_frame * stream_->next_frame;
    return S_OK;
  }
  HRESULT GetMediaStream(REFMSPID purpose, IMediaStream** stream) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::GetMediaStream");
    if (FAILED(fault)) return fault;
    *stream = nullptr;
    if (!stream_->opened || !stream_->video_added || !(purpose == MSPID_PrimaryVideo)) {
      return MS_E_NOSTREAM;
    }
    if (stream_->video == nullptr) {
      stream_->video = new VideoStream(state_, stream_);
      video_ = stream_->video;  // the stream keeps one reference
    }
    stream_->video->AddRef();
    *stream = static_cast<IAMMediaStream*>(stream_->video);
    return S_OK;
  }
  HRESULT Seek(STREAM_TIME time) override {
    const HRESULT fault = state_->Enter("IAMMultiMediaStream::Seek");
    if (FAILED(fault)) return fault;
    if (!stream_->opened) return MS_E_NOSTREAM;
    const STREAM_TIME per_frame = std::max<STREAM_TIME>(state_->options.time_per_frame, 1);
    stream_->next_frame = static_cast<int32_t>(
        std::clamp<STREAM_TIME>(time / per_frame, 0, state_->options.frame_count));
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~MultiMediaStream() override {
    stream_->running = false;
    if (video_ != nullptr) static_cast<IAMMediaStream*>(video_)->Release();
    if (stream_->direct_draw != nullptr) {
      stream_->direct_draw->Release();
      stream_->direct_draw = nullptr;
    }
    if (graph_ != nullptr) graph_->Release();
  }
  ComRefCount refs_;
  std::shared_ptr<StreamState> stream_;
  IGraphBuilder* graph_ = nullptr;
  VideoStream* video_ = nullptr;
};

}  // namespace movie_double

class MovieStreamDouble {
 public:
  explicit MovieStreamDouble(MovieDoubleOptions options = {})
      : state_(std::make_shared<movie_double::State>()),
        graph_factory_(CLSID_FilterGraph,
                       [state = state_](REFIID riid, void** object) -> HRESULT {
                         *object = nullptr;
                         const HRESULT fault = state->Enter("CoCreateInstance(FilterGraph)");
                         if (FAILED(fault)) return fault;
                         if (!(riid == IID_IUnknown || riid == IID_IGraphBuilder)) {
                           return E_NOINTERFACE;
                         }
                         *object = static_cast<IGraphBuilder*>(new movie_double::Graph(state));
                         return S_OK;
                       }),
        stream_factory_(CLSID_AMMultiMediaStream,
                        [state = state_](REFIID riid, void** object) -> HRESULT {
                          *object = nullptr;
                          const HRESULT fault =
                              state->Enter("CoCreateInstance(AMMultiMediaStream)");
                          if (FAILED(fault)) return fault;
                          IAMMultiMediaStream* made = new movie_double::MultiMediaStream(state);
                          const HRESULT result = made->QueryInterface(riid, object);
                          made->Release();
                          return result;
                        }) {
    state_->options = std::move(options);
  }
  MovieStreamDouble(const MovieStreamDouble&) = delete;
  MovieStreamDouble& operator=(const MovieStreamDouble&) = delete;

  // Fails the `nth` use (1 = the first from now) of `call` with `result`.
  void FailOn(const std::string& call, int nth, HRESULT result = E_FAIL) {
    state_->failures[call][nth + Count(call)] = result;
  }
  void FailAlways(const std::string& call, HRESULT result = E_FAIL) {
    state_->always[call] = result;
  }
  const std::vector<std::string>& Calls() const { return state_->calls; }
  int Count(const std::string& call) const {
    auto found = state_->counts.find(call);
    return found == state_->counts.end() ? 0 : found->second;
  }

  // The multimedia streams made so far, oldest first.
  int StreamCount() const { return static_cast<int>(state_->streams.size()); }
  const movie_double::StreamState& Stream(int index) const { return *state_->streams.at(index); }

  // Every path OpenFile was given, in order.
  const std::vector<std::string>& OpenedPaths() const { return state_->opened_paths; }

  // Brings the frame of every pending background update. How many.
  int DeliverPendingFrames() {
    int delivered = 0;
    for (auto& stream : state_->streams) {
      if (stream->pending && stream->sample != nullptr) {
        stream->sample->Deliver();
        ++delivered;
      }
    }
    return delivered;
  }

  // Objects of the double that are still alive.
  int LiveObjects() const { return state_->live_objects; }

 private:
  std::shared_ptr<movie_double::State> state_;
  ScopedComFactory graph_factory_;
  ScopedComFactory stream_factory_;
};
