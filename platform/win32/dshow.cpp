#include "platform/host/not_emulated.h"
#include "platform/win32/dshow.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/host/cp932.h"
#include "platform/win32/kernel.h"

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

  // Nothing plays, so pausing changes nothing.
  HRESULT Pause() override { return S_OK; }
  // Nothing is loaded: the length is 0.
  HRESULT GetDuration(LONGLONG* duration) override {
    if (duration == nullptr) return E_POINTER;
    *duration = 0;
    return S_OK;
  }

 private:
  friend class ::ComRefCount;
  ~FilterGraph() override = default;
  ComRefCount refs_;
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
    if (initialized_) return E_FAIL;
    if (graph != nullptr) {
      graph->AddRef();
    } else {
      graph = new FilterGraph;
    }
    graph_ = graph;
    initialized_ = true;
    return S_OK;
  }

  HRESULT AddMediaStream(IUnknown* object, const MSPID* purpose, DWORD flags,
                         IMediaStream** stream) override {
    if (stream != nullptr) *stream = nullptr;
    if (!initialized_) return MS_E_NOTINIT;
    if (purpose == nullptr) return E_POINTER;
    if (*purpose == MSPID_PrimaryVideo) {
      RequireEmulated(object != nullptr, "IAMMultiMediaStream::AddMediaStream",
                      "a video stream renders with DirectDraw", object);
      return S_OK;
    }
    if (*purpose == MSPID_PrimaryAudio) {
      RequireEmulated(object == nullptr, "IAMMultiMediaStream::AddMediaStream",
                      "sound only through the default renderer", object);
      RequireEmulated((flags & AMMSF_ADDDEFAULTRENDERER) != 0, "IAMMultiMediaStream::AddMediaStream",
                      "sound only through the default renderer", flags);
      return S_OK;
    }
    return E_INVALIDARG;
  }

  // No decoder: a file that exists cannot be read as a movie.
  HRESULT OpenFile(const char16_t* path, DWORD flags) override {
    RequireEmulated(flags == 0, "IAMMultiMediaStream::OpenFile", "flags not emulated", flags);
    if (path == nullptr) return E_POINTER;
    if (!initialized_) return MS_E_NOTINIT;
    const std::string name = Utf8ToCp932(Utf16ToUtf8(path));
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return VFW_E_NOT_FOUND;
    }
    return VFW_E_UNSUPPORTED_STREAM;
  }

  // Without an open file there is no stream to run, seek or ask for.
  HRESULT GetState(STREAM_STATE* state) override {
    if (state == nullptr) return E_POINTER;
    *state = STREAMSTATE_STOP;
    return S_OK;
  }
  HRESULT SetState(STREAM_STATE) override { return MS_E_NOSTREAM; }
  HRESULT GetTime(STREAM_TIME* time) override {
    if (time == nullptr) return E_POINTER;
    *time = 0;
    return MS_E_NOSTREAM;
  }
  HRESULT GetMediaStream(REFMSPID, IMediaStream** stream) override {
    if (stream == nullptr) return E_POINTER;
    *stream = nullptr;
    return MS_E_NOSTREAM;
  }
  HRESULT Seek(STREAM_TIME) override { return MS_E_NOSTREAM; }

 private:
  friend class ::ComRefCount;
  ~MultiMediaStream() override {
    if (graph_ != nullptr) graph_->Release();
  }
  ComRefCount refs_;
  bool initialized_ = false;
  IGraphBuilder* graph_ = nullptr;
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
