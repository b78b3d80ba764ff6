// The DirectShow stand-in's filter graph, multimedia stream, video stream and
// stream sample over the movie playback, and the code page text conversion.
#include "platform/host/not_emulated.h"
#include "platform/win32/dshow.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/host/cp932.h"
#include "platform/win32/kernel.h"
#include "platform/win32/movie_playback.h"

const CLSID CLSID_FilterGraph = {0x6b1a0f01, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x01}};
const CLSID CLSID_AMMultiMediaStream = {0x6b1a0f02, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x02}};
const IID IID_IGraphBuilder = {0x6b1a0f11, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x11}};
const IID IID_IMediaControl = {0x6b1a0f12, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x12}};
const IID IID_IMediaSeeking = {0x6b1a0f13, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x13}};
const IID IID_IBasicAudio = {0x6b1a0f14, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x14}};
const IID IID_IAMMultiMediaStream = {0x6b1a0f15, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x15}};
const IID IID_IMediaStream = {0x6b1a0f16, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x16}};
const IID IID_IAMMediaStream = {0x6b1a0f17, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x17}};
const IID IID_IDirectDrawMediaStream = {0x6b1a0f18, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x18}};
const IID IID_IDirectDrawStreamSample = {0x6b1a0f19, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x19}};
const MSPID MSPID_PrimaryVideo = {0x6b1a0f21, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x21}};
const MSPID MSPID_PrimaryAudio = {0x6b1a0f22, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x53, 0x68, 0x6f, 0x77, 0x00, 0x22}};

namespace {

// ---- UTF-8 and UTF-16 ------------------------------------------------------------------

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    uint32_t code = 0xFFFD;
    size_t length = 1;
    if (byte < 0x80) {
      code = byte;
    } else if ((byte & 0xE0) == 0xC0) {
      length = 2;
      code = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      code = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      code = byte & 0x07;
    }
    if (length > 1) {
      if (i + length > text.size()) {
        code = 0xFFFD;
        length = 1;
      } else {
        for (size_t k = 1; k < length; ++k) {
          code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
      }
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return out;
}

std::string Utf16ToUtf8(const char16_t* text) {
  std::string out;
  for (size_t i = 0; text[i] != 0; ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

template <typename Interface>
HRESULT Hand(Interface* object, void** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}

// ---- The filter graph ---------------------------------------------------------------------

// The graph holds the playing state its multimedia stream shares, so that
// pausing, seeking and the sound settings act on the movie.
class FilterGraph : public IGraphBuilder,
                    public IMediaControl,
                    public IMediaSeeking,
                    public IBasicAudio {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
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
    playback_->Service();
    playback_->Pause();
    return S_OK;
  }
  // Without a movie the length is 0.
  HRESULT GetDuration(LONGLONG* duration) override {
    if (duration == nullptr) return E_POINTER;
    *duration = playback_->Duration();
    return S_OK;
  }
  HRESULT GetCurrentPosition(LONGLONG* position) override {
    if (position == nullptr) return E_POINTER;
    playback_->Service();
    *position = playback_->Now();
    return S_OK;
  }
  HRESULT SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG*,
                       DWORD stop_flags) override {
    RequireEmulated(current_flags == AM_SEEKING_NoPositioning ||
                        current_flags == AM_SEEKING_AbsolutePositioning,
                    "IMediaSeeking::SetPositions", "only absolute positions", current_flags);
    RequireEmulated(stop_flags == AM_SEEKING_NoPositioning, "IMediaSeeking::SetPositions",
                    "the stop position is not emulated", stop_flags);
    if (current_flags == AM_SEEKING_NoPositioning) return S_OK;
    if (current == nullptr) return E_POINTER;
    if (!playback_->IsOpen()) return E_FAIL;
    playback_->Seek(*current);
    return S_OK;
  }
  HRESULT put_Volume(LONG volume) override { return playback_->SetVolume(volume); }
  HRESULT get_Volume(LONG* volume) override {
    if (volume == nullptr) return E_POINTER;
    *volume = playback_->Volume();
    return S_OK;
  }
  HRESULT put_Balance(LONG balance) override { return playback_->SetBalance(balance); }
  HRESULT get_Balance(LONG* balance) override {
    if (balance == nullptr) return E_POINTER;
    *balance = playback_->Balance();
    return S_OK;
  }

  const std::shared_ptr<MoviePlayback>& Playback() const { return playback_; }

 private:
  friend class ::ComRefCount;
  ~FilterGraph() override = default;
  ComRefCount refs_;
  std::shared_ptr<MoviePlayback> playback_ = std::make_shared<MoviePlayback>();
};

// ---- The sample and the video stream ----------------------------------------------------

class StreamSample : public IDirectDrawStreamSample {
 public:
  StreamSample(std::shared_ptr<MoviePlayback> playback, IDirectDrawSurface7* surface, RECT rect)
      : playback_(std::move(playback)) {
    target_.surface = surface;
    target_.rect = rect;
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

  HRESULT Update(DWORD flags, HANDLE event, void (*apc)(DWORD_PTR), DWORD_PTR apc_data) override {
    RequireEmulated(flags == 0, "IDirectDrawStreamSample::Update", "flags not emulated", flags);
    RequireEmulated(apc == nullptr && apc_data == 0, "IDirectDrawStreamSample::Update",
                    "completion routines not emulated", apc_data);
    return playback_->Update(target_, event);
  }
  HRESULT GetSurface(IDirectDrawSurface7** surface, RECT* rect) override {
    if (surface != nullptr) {
      target_.surface->AddRef();
      *surface = target_.surface;
    }
    if (rect != nullptr) *rect = target_.rect;
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~StreamSample() override {
    playback_->CancelUpdates(target_.surface);
    target_.surface->Release();
  }
  ComRefCount refs_;
  std::shared_ptr<MoviePlayback> playback_;
  MovieTarget target_;
};

// The layout of the frames the stream gives and of the surfaces it makes:
// 32-bit XRGB.
DDPIXELFORMAT StreamPixelFormat() {
  return DDPIXELFORMAT{static_cast<DWORD>(sizeof(DDPIXELFORMAT)), DDPF_RGB, 0, 32, 0xFF0000,
                       0xFF00, 0xFF, 0};
}

class VideoStream : public IAMMediaStream, public IDirectDrawMediaStream {
 public:
  VideoStream(std::shared_ptr<MoviePlayback> playback, IDirectDraw7* direct_draw)
      : playback_(std::move(playback)), direct_draw_(direct_draw) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
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

  // A movie without a picture to play has the size 0 x 0.
  HRESULT GetFormat(DDSURFACEDESC2* current, IDirectDrawPalette** palette,
                    DDSURFACEDESC2* desired, DWORD* flags) override {
    DDSURFACEDESC2 format{};
    format.dwSize = sizeof(format);
    format.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    format.dwWidth = static_cast<DWORD>(playback_->Width());
    format.dwHeight = static_cast<DWORD>(playback_->Height());
    format.ddpfPixelFormat = StreamPixelFormat();
    if (current != nullptr) *current = format;
    if (desired != nullptr) *desired = format;
    if (palette != nullptr) *palette = nullptr;
    if (flags != nullptr) *flags = 0;
    return S_OK;
  }

  // Renders into `surface` when it holds an RGB layout the converter writes
  // and the frame fits; without a surface the stream makes one of its own.
  HRESULT CreateSample(IDirectDrawSurface7* surface, const RECT* rect, DWORD,
                       IDirectDrawStreamSample** sample) override {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    const LONG width = playback_->Width();
    const LONG height = playback_->Height();
    if (width == 0 || height == 0) return MS_E_NOSTREAM;
    if (surface == nullptr) {
      if (rect != nullptr) return E_INVALIDARG;
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof(description);
      description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
      description.dwWidth = static_cast<DWORD>(width);
      description.dwHeight = static_cast<DWORD>(height);
      description.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
      description.ddpfPixelFormat = StreamPixelFormat();
      if (FAILED(direct_draw_->CreateSurface(&description, &surface, nullptr)) ||
          surface == nullptr) {
        return E_FAIL;
      }
      *sample = new StreamSample(playback_, surface, RECT{0, 0, width, height});
      return S_OK;
    }
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    if (FAILED(surface->GetSurfaceDesc(&description))) return E_INVALIDARG;
    const DDPIXELFORMAT& format = description.ddpfPixelFormat;
    const MoviePixelLayout layout{static_cast<int>(format.dwRGBBitCount), format.dwRBitMask,
                                  format.dwGBitMask, format.dwBBitMask};
    if ((format.dwFlags & DDPF_RGB) == 0 || !MovieDecoder::LayoutSupported(layout)) {
      return DDERR_INVALIDPIXELFORMAT;
    }
    const RECT area = rect != nullptr ? *rect : RECT{0, 0, width, height};
    if (area.left < 0 || area.top < 0 || area.right <= area.left || area.bottom <= area.top ||
        area.right > static_cast<LONG>(description.dwWidth) ||
        area.bottom > static_cast<LONG>(description.dwHeight)) {
      return E_INVALIDARG;
    }
    surface->AddRef();
    *sample = new StreamSample(playback_, surface, area);
    return S_OK;
  }

  HRESULT GetTimePerFrame(STREAM_TIME* time) override {
    if (time == nullptr) return E_POINTER;
    *time = playback_->TimePerFrame();
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~VideoStream() override { direct_draw_->Release(); }
  ComRefCount refs_;
  std::shared_ptr<MoviePlayback> playback_;
  IDirectDraw7* direct_draw_;
};

// ---- The multimedia stream ----------------------------------------------------------------

class MultiMediaStream : public IAMMultiMediaStream {
 public:
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
    RequireEmulated(type == STREAMTYPE_READ, "IAMMultiMediaStream::Initialize",
                    "only reading streams are emulated", type);
    if (graph_ != nullptr) return E_FAIL;
    if (graph != nullptr) {
      graph->AddRef();
    } else {
      graph = new FilterGraph;
    }
    graph_ = graph;
    // A graph of ours controls the movie; another graph (a test's) is only
    // kept.
    auto* ours = dynamic_cast<FilterGraph*>(graph);
    playback_ = ours != nullptr ? ours->Playback() : std::make_shared<MoviePlayback>();
    return S_OK;
  }

  HRESULT AddMediaStream(IUnknown* object, const MSPID* purpose, DWORD flags,
                         IMediaStream** stream) override {
    if (stream != nullptr) *stream = nullptr;
    if (graph_ == nullptr) return MS_E_NOTINIT;
    if (purpose == nullptr) return E_POINTER;
    if (*purpose == MSPID_PrimaryVideo) {
      RequireEmulated(object != nullptr, "IAMMultiMediaStream::AddMediaStream",
                      "a video stream renders with DirectDraw", object);
      if (video_ != nullptr || playback_->IsOpen()) return E_FAIL;
      IDirectDraw7* direct_draw = nullptr;
      if (FAILED(object->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&direct_draw)))) {
        return E_INVALIDARG;
      }
      video_ = new VideoStream(playback_, direct_draw);
      if (stream != nullptr) {
        video_->AddRef();
        *stream = static_cast<IAMMediaStream*>(video_);
      }
      return S_OK;
    }
    if (*purpose == MSPID_PrimaryAudio) {
      RequireEmulated(object == nullptr, "IAMMultiMediaStream::AddMediaStream",
                      "sound only through the default renderer", object);
      RequireEmulated((flags & AMMSF_ADDDEFAULTRENDERER) != 0, "IAMMultiMediaStream::AddMediaStream",
                      "sound only through the default renderer", flags);
      if (playback_->IsOpen()) return E_FAIL;
      sound_ = true;
      return S_OK;
    }
    return E_INVALIDARG;
  }

  // Opens a file FFmpeg reads as a movie; any other file is refused.
  HRESULT OpenFile(const char16_t* path, DWORD flags) override {
    RequireEmulated(flags == 0, "IAMMultiMediaStream::OpenFile", "flags not emulated", flags);
    if (path == nullptr) return E_POINTER;
    if (graph_ == nullptr) return MS_E_NOTINIT;
    if (playback_->IsOpen()) return E_FAIL;
    const std::string name = Utf8ToCp932(Utf16ToUtf8(path));
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return VFW_E_NOT_FOUND;
    }
    return playback_->Open(name, sound_);
  }

  HRESULT GetState(STREAM_STATE* state) override {
    if (state == nullptr) return E_POINTER;
    if (playback_ != nullptr) playback_->Service();
    *state = playback_ != nullptr && playback_->Running() ? STREAMSTATE_RUN : STREAMSTATE_STOP;
    return S_OK;
  }
  HRESULT SetState(STREAM_STATE state) override {
    if (!Opened()) return MS_E_NOSTREAM;
    playback_->Service();
    if (state == STREAMSTATE_RUN) {
      playback_->Run();
    } else {
      playback_->Pause();
    }
    return S_OK;
  }
  HRESULT GetTime(STREAM_TIME* time) override {
    if (time == nullptr) return E_POINTER;
    *time = 0;
    if (!Opened()) return MS_E_NOSTREAM;
    playback_->Service();
    *time = playback_->Now();
    return S_OK;
  }
  // Only the video stream has an object of its own.
  HRESULT GetMediaStream(REFMSPID purpose, IMediaStream** stream) override {
    if (stream == nullptr) return E_POINTER;
    *stream = nullptr;
    if (!Opened() || purpose != MSPID_PrimaryVideo || video_ == nullptr) return MS_E_NOSTREAM;
    video_->AddRef();
    *stream = static_cast<IAMMediaStream*>(video_);
    return S_OK;
  }
  HRESULT Seek(STREAM_TIME time) override {
    if (!Opened()) return MS_E_NOSTREAM;
    playback_->Seek(time);
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~MultiMediaStream() override {
    if (video_ != nullptr) video_->Release();
    if (graph_ != nullptr) graph_->Release();
  }
  bool Opened() const { return playback_ != nullptr && playback_->IsOpen(); }
  ComRefCount refs_;
  IGraphBuilder* graph_ = nullptr;
  std::shared_ptr<MoviePlayback> playback_;
  VideoStream* video_ = nullptr;
  bool sound_ = false;
};

template <typename Made, typename Interface>
HRESULT MakeObject(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  Interface* made = new Made;
  const HRESULT result = made->QueryInterface(riid, object);
  made->Release();
  return result;
}

const ComFactoryRegistration filter_graph_factory(CLSID_FilterGraph,
                                                  MakeObject<FilterGraph, IGraphBuilder>);
const ComFactoryRegistration multi_media_stream_factory(
    CLSID_AMMultiMediaStream, MakeObject<MultiMediaStream, IAMMultiMediaStream>);

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int length, char16_t* out,
                        int out_size) {
  RequireEmulated(code_page == CP_ACP || code_page == 932, "MultiByteToWideChar",
                  "only code page 932", code_page);
  RequireEmulated(flags == 0, "MultiByteToWideChar", "flags not emulated", flags);
  if (text == nullptr || out_size < 0) return 0;
  const size_t bytes = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
  const std::u16string wide = Utf8ToUtf16(Cp932ToUtf8(std::string_view(text, bytes)));
  const int needed = static_cast<int>(wide.size());
  if (out_size == 0) return needed;
  if (out == nullptr || out_size < needed) return 0;
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  return needed;
}
