#include "tests/support/d3d/recording_d3d.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/texture.h"

DDPIXELFORMAT MakeTextureFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof(format);
  format.dwFlags = DDPF_RGB | (alpha != 0 ? DDPF_ALPHAPIXELS : 0);
  format.dwRGBBitCount = bits;
  format.dwRBitMask = red;
  format.dwGBitMask = green;
  format.dwBBitMask = blue;
  format.dwRGBAlphaBitMask = alpha;
  return format;
}

D3DDoubleConfig StandardD3DConfig() {
  D3DDoubleConfig config;
  D3DDEVICEDESC7 device{};
  device.deviceGUID = IID_IDirect3DHALDevice;
  device.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
  device.dwMinTextureWidth = 1;
  device.dwMinTextureHeight = 1;
  device.dwMaxTextureWidth = 1024;
  device.dwMaxTextureHeight = 1024;
  device.wMaxTextureBlendStages = 8;
  device.wMaxSimultaneousTextures = 4;
  config.devices.push_back(device);
  DDPIXELFORMAT z{};
  z.dwSize = sizeof(z);
  z.dwFlags = DDPF_ZBUFFER;
  z.dwRGBBitCount = 16;
  z.dwRBitMask = 0xFFFF;
  config.zbuffer_formats.push_back(z);
  config.texture_formats = {
      MakeTextureFormat(16, 0xF800, 0x07E0, 0x001F, 0),
      MakeTextureFormat(16, 0x7C00, 0x03E0, 0x001F, 0),
      MakeTextureFormat(32, 0xFF0000, 0xFF00, 0xFF, 0),
      MakeTextureFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
      MakeTextureFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
      MakeTextureFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
  };
  return config;
}

int VertexStride(DWORD fvf) {
  int bytes = 0;
  if ((fvf & D3DFVF_XYZRHW) != 0) bytes += 16;
  if ((fvf & D3DFVF_DIFFUSE) != 0) bytes += 4;
  if ((fvf & D3DFVF_SPECULAR) != 0) bytes += 4;
  bytes += static_cast<int>((fvf >> 8) & 0xF) * 8;
  return bytes;
}

// ---- RecordingD3DDevice ----------------------------------------------------------------

RecordingD3DDevice::RecordingD3DDevice(D3DDoubleConfig config) : config_(std::move(config)) {
  for (const std::string& call : config_.device_failures) always_[call] = E_FAIL;
}

void RecordingD3DDevice::FailOn(const std::string& call, int nth, HRESULT result) {
  failures_[call][uses_[call] + nth] = result;
}

void RecordingD3DDevice::FailAlways(const std::string& call, HRESULT result) {
  always_[call] = result;
}

std::vector<D3DCallRecord> RecordingD3DDevice::RecordsOf(const std::string& call) const {
  std::vector<D3DCallRecord> found;
  for (const D3DCallRecord& record : records_) {
    if (record.call == call) found.push_back(record);
  }
  return found;
}

int RecordingD3DDevice::Count(const std::string& call) const {
  return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                        [&](const D3DCallRecord& r) { return r.call == call; }));
}

int64_t RecordingD3DDevice::LastRenderState(D3DRENDERSTATETYPE state) const {
  for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
    if (it->call == "SetRenderState" && it->args[0] == state) return it->args[1];
  }
  return -1;
}

int64_t RecordingD3DDevice::LastStageState(int stage, D3DTEXTURESTAGESTATETYPE state) const {
  for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
    if (it->call == "SetTextureStageState" && it->args[0] == stage && it->args[1] == state) {
      return it->args[2];
    }
  }
  return -1;
}

HRESULT RecordingD3DDevice::Record(D3DCallRecord record) {
  const std::string call = record.call;
  records_.push_back(std::move(record));
  const int use = ++uses_[call];
  auto always = always_.find(call);
  if (always != always_.end()) return always->second;
  auto planned = failures_.find(call);
  if (planned != failures_.end()) {
    auto nth = planned->second.find(use);
    if (nth != planned->second.end()) return nth->second;
  }
  return S_OK;
}

HRESULT RecordingD3DDevice::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown) {
    AddRef();
    *object = static_cast<IUnknown*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG RecordingD3DDevice::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT RecordingD3DDevice::BeginScene() { return Record({"BeginScene", {}, {}, {}}); }

HRESULT RecordingD3DDevice::EndScene() { return Record({"EndScene", {}, {}, {}}); }

HRESULT RecordingD3DDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  return Record({"SetRenderState", {state, value}, {}, {}});
}

HRESULT RecordingD3DDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                                 DWORD value) {
  return Record({"SetTextureStageState", {stage, state, value}, {}, {}});
}

HRESULT RecordingD3DDevice::SetTexture(DWORD stage, IDirectDrawSurface7* texture) {
  return Record({"SetTexture", {stage, static_cast<int64_t>(reinterpret_cast<intptr_t>(texture))},
                 {}, {}});
}

HRESULT RecordingD3DDevice::SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) {
  return Record(
      {"SetRenderTarget", {static_cast<int64_t>(reinterpret_cast<intptr_t>(surface)), flags}, {},
       {}});
}

HRESULT RecordingD3DDevice::SetViewport(D3DVIEWPORT7* viewport) {
  return Record({"SetViewport",
                 {viewport->dwX, viewport->dwY, viewport->dwWidth, viewport->dwHeight},
                 {viewport->dvMinZ, viewport->dvMaxZ},
                 {}});
}

HRESULT RecordingD3DDevice::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  std::vector<float> entries(&matrix->m[0][0], &matrix->m[0][0] + 16);
  return Record({"SetTransform", {state}, std::move(entries), {}});
}

HRESULT RecordingD3DDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices,
                                          DWORD count, DWORD flags) {
  const size_t bytes = static_cast<size_t>(VertexStride(fvf)) * count;
  const auto* start = static_cast<const uint8_t*>(vertices);
  return Record({"DrawPrimitive", {type, fvf, count, flags}, {},
                 std::vector<uint8_t>(start, start + bytes)});
}

HRESULT RecordingD3DDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf,
                                                 LPVOID vertices, DWORD vertex_count,
                                                 WORD* indices, DWORD index_count, DWORD flags) {
  const size_t bytes = static_cast<size_t>(VertexStride(fvf)) * vertex_count;
  const auto* start = static_cast<const uint8_t*>(vertices);
  return Record({"DrawIndexedPrimitive",
                 {type, fvf, vertex_count, index_count, flags},
                 {},
                 std::vector<uint8_t>(start, start + bytes),
                 std::vector<uint16_t>(indices, indices + index_count)});
}

HRESULT RecordingD3DDevice::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback,
                                               LPVOID context) {
  const HRESULT result = Record({"EnumTextureFormats", {}, {}, {}});
  if (result < 0) return result;
  for (DDPIXELFORMAT format : config_.texture_formats) {
    if (callback(&format, context) == D3DENUMRET_CANCEL) break;
  }
  return S_OK;
}

HRESULT RecordingD3DDevice::Load(IDirectDrawSurface7* dest, POINT* dest_point,
                                 IDirectDrawSurface7* source, RECT* source_rect, DWORD flags) {
  D3DCallRecord record{"Load",
                       {static_cast<int64_t>(reinterpret_cast<intptr_t>(dest)),
                        static_cast<int64_t>(reinterpret_cast<intptr_t>(source)), flags},
                       {},
                       {}};
  if (dest_point != nullptr) {
    record.args.push_back(dest_point->x);
    record.args.push_back(dest_point->y);
  }
  if (source_rect != nullptr) {
    record.args.insert(record.args.end(), {source_rect->left, source_rect->top,
                                           source_rect->right, source_rect->bottom});
  }
  const HRESULT result = Record(std::move(record));
  if (result < 0) return result;

  // Copy the rectangle row by row between the two surfaces' pixels.
  DDSURFACEDESC2 from{};
  from.dwSize = sizeof(from);
  DDSURFACEDESC2 to{};
  to.dwSize = sizeof(to);
  if (source->Lock(nullptr, &from, DDLOCK_WAIT, nullptr) < 0) return E_FAIL;
  if (dest->Lock(nullptr, &to, DDLOCK_WAIT, nullptr) < 0) {
    source->Unlock(nullptr);
    return E_FAIL;
  }
  const RECT area = source_rect != nullptr
                        ? *source_rect
                        : RECT{0, 0, static_cast<LONG>(from.dwWidth),
                               static_cast<LONG>(from.dwHeight)};
  const POINT at = dest_point != nullptr ? *dest_point : POINT{0, 0};
  const int bytes = static_cast<int>(from.ddpfPixelFormat.dwRGBBitCount / 8);
  for (LONG y = area.top; y < area.bottom; ++y) {
    const auto* row = static_cast<const uint8_t*>(from.lpSurface) + y * from.lPitch +
                      area.left * bytes;
    auto* out = static_cast<uint8_t*>(to.lpSurface) + (at.y + y - area.top) * to.lPitch +
                at.x * bytes;
    std::memcpy(out, row, static_cast<size_t>(area.right - area.left) * bytes);
  }
  dest->Unlock(nullptr);
  source->Unlock(nullptr);
  return S_OK;
}

// ---- RecordingDirect3D --------------------------------------------------------------------

RecordingDirect3D::RecordingDirect3D(D3DDoubleConfig config) : config_(std::move(config)) {}

RecordingDirect3D::~RecordingDirect3D() {
  for (RecordingD3DDevice* device : devices_) device->Release();
}

void RecordingDirect3D::FailOn(const std::string& call, int nth, HRESULT result) {
  failures_[call][uses_[call] + nth] = result;
}

void RecordingDirect3D::FailAlways(const std::string& call, HRESULT result) {
  always_[call] = result;
}

int RecordingDirect3D::Count(const std::string& call) const {
  return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                        [&](const D3DCallRecord& r) { return r.call == call; }));
}

HRESULT RecordingDirect3D::Record(D3DCallRecord record) {
  const std::string call = record.call;
  records_.push_back(std::move(record));
  const int use = ++uses_[call];
  auto always = always_.find(call);
  if (always != always_.end()) return always->second;
  auto planned = failures_.find(call);
  if (planned != failures_.end()) {
    auto nth = planned->second.find(use);
    if (nth != planned->second.end()) return nth->second;
  }
  return S_OK;
}

HRESULT RecordingDirect3D::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDirect3D7) {
    AddRef();
    *object = static_cast<IDirect3D7*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG RecordingDirect3D::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT RecordingDirect3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) {
  const HRESULT result = Record({"EnumDevices"});
  if (result < 0) return result;
  char description[] = "recording device";
  char name[] = "recording";
  for (D3DDEVICEDESC7 device : config_.devices) {
    if (callback(description, name, &device, context) == D3DENUMRET_CANCEL) break;
  }
  return S_OK;
}

HRESULT RecordingDirect3D::CreateDevice(REFCLSID device_kind, IDirectDrawSurface7* surface,
                                        IDirect3DDevice7** device) {
  *device = nullptr;
  const HRESULT result =
      Record({"CreateDevice", {static_cast<int64_t>(reinterpret_cast<intptr_t>(surface)),
                               device_kind == IID_IDirect3DTnLHalDevice ? 2
                               : device_kind == IID_IDirect3DHALDevice  ? 1
                                                                        : 0}});
  if (result < 0) return result;
  auto* const made = new RecordingD3DDevice(config_);
  made->AddRef();  // one for the list, one for the caller
  devices_.push_back(made);
  *device = made;
  return S_OK;
}

HRESULT RecordingDirect3D::EnumZBufferFormats(REFCLSID device_kind,
                                              LPD3DENUMPIXELFORMATSCALLBACK callback,
                                              LPVOID context) {
  const HRESULT result =
      Record({"EnumZBufferFormats", {device_kind == IID_IDirect3DHALDevice ? 1 : 0}});
  if (result < 0) return result;
  for (DDPIXELFORMAT format : config_.zbuffer_formats) {
    if (callback(&format, context) == D3DENUMRET_CANCEL) break;
  }
  return S_OK;
}

// ---- Direct3DDirectDraw ------------------------------------------------------------------

Direct3DDirectDraw::Direct3DDirectDraw(D3DDoubleConfig config)
    : direct3d_(new RecordingDirect3D(std::move(config))) {
  if (CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                       reinterpret_cast<void**>(&inner_)) != S_OK ||
      inner_->Initialize(nullptr) != DD_OK) {
    ADD_FAILURE() << "no DirectDraw stand-in object";
  }
  initialized_ = true;
}

Direct3DDirectDraw::Direct3DDirectDraw(IDirectDraw7* inner, D3DDoubleConfig config)
    : inner_(inner), direct3d_(new RecordingDirect3D(std::move(config))) {}

Direct3DDirectDraw::~Direct3DDirectDraw() {
  if (inner_ != nullptr) inner_->Release();
  direct3d_->Release();
}

HRESULT Direct3DDirectDraw::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IDirect3D7) {
    ++queries_;
    if (fail_query_from_ != 0 && queries_ >= fail_query_from_) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    direct3d_->AddRef();
    *object = static_cast<IDirect3D7*>(direct3d_);
    return S_OK;
  }
  if (riid == IID_IUnknown || riid == IID_IDirectDraw || riid == IID_IDirectDraw7) {
    AddRef();
    *object = static_cast<IDirectDraw7*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Direct3DDirectDraw::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Direct3DDirectDraw::GetCaps(DDCAPS* driver_caps, DDCAPS* emulation_caps) {
  return inner_->GetCaps(driver_caps, emulation_caps);
}
HRESULT Direct3DDirectDraw::Initialize(GUID* driver) {
  if (initialized_) return DD_OK;  // made ready by the constructor
  initialized_ = true;
  return inner_->Initialize(driver);
}
HRESULT Direct3DDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  return inner_->SetCooperativeLevel(window, flags);
}
HRESULT Direct3DDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh,
                                           DWORD flags) {
  return inner_->SetDisplayMode(width, height, bits, refresh, flags);
}
HRESULT Direct3DDirectDraw::RestoreDisplayMode() { return inner_->RestoreDisplayMode(); }
HRESULT Direct3DDirectDraw::GetDisplayMode(DDSURFACEDESC2* description) {
  return inner_->GetDisplayMode(description);
}
HRESULT Direct3DDirectDraw::EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                                             LPDDENUMMODESCALLBACK2 callback) {
  return inner_->EnumDisplayModes(flags, filter, context, callback);
}
HRESULT Direct3DDirectDraw::CreateSurface(DDSURFACEDESC2* description,
                                          IDirectDrawSurface7** surface, IUnknown* outer) {
  if ((description->ddsCaps.dwCaps & DDSCAPS_ZBUFFER) != 0) {
    // A depth buffer: a plain surface of its size stands for it.
    DDSURFACEDESC2 plain{};
    plain.dwSize = sizeof(plain);
    plain.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    plain.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    plain.dwWidth = description->dwWidth;
    plain.dwHeight = description->dwHeight;
    plain.ddpfPixelFormat = MakeTextureFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    return inner_->CreateSurface(&plain, surface, outer);
  }
  return inner_->CreateSurface(description, surface, outer);
}
HRESULT Direct3DDirectDraw::CreateClipper(DWORD flags, IDirectDrawClipper** clipper,
                                          IUnknown* outer) {
  return inner_->CreateClipper(flags, clipper, outer);
}
HRESULT Direct3DDirectDraw::CreatePalette(DWORD flags, PALETTEENTRY* entries,
                                          IDirectDrawPalette** palette, IUnknown* outer) {
  return inner_->CreatePalette(flags, entries, palette, outer);
}
HRESULT Direct3DDirectDraw::GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags) {
  return inner_->GetDeviceIdentifier(identifier, flags);
}
HRESULT Direct3DDirectDraw::GetAvailableVidMem(DDSCAPS2* caps, LPDWORD total, LPDWORD free) {
  return inner_->GetAvailableVidMem(caps, total, free);
}
HRESULT Direct3DDirectDraw::WaitForVerticalBlank(DWORD flags, HANDLE event) {
  return inner_->WaitForVerticalBlank(flags, event);
}
HRESULT Direct3DDirectDraw::GetVerticalBlankStatus(BOOL* in_blank) {
  return inner_->GetVerticalBlankStatus(in_blank);
}
HRESULT Direct3DDirectDraw::GetScanLine(LPDWORD line) { return inner_->GetScanLine(line); }
HRESULT Direct3DDirectDraw::FlipToGDISurface() { return inner_->FlipToGDISurface(); }

// ---- ScopedDirect3DDisplay ---------------------------------------------------------------

ScopedDirect3DDisplay::ScopedDirect3DDisplay(D3DDoubleConfig config)
    : clsid_(CLSID_DirectDraw7),
      previous_(FindComFactory(CLSID_DirectDraw7)),
      last_(std::make_shared<Direct3DDirectDraw*>(nullptr)) {
  ComFactory stand_in = previous_;
  std::shared_ptr<Direct3DDirectDraw*> last = last_;
  RegisterComFactory(clsid_, [stand_in, last, config](REFIID riid, void** object) -> HRESULT {
    IDirectDraw7* inner = nullptr;
    const HRESULT made = stand_in(IID_IDirectDraw7, reinterpret_cast<void**>(&inner));
    if (made != S_OK) return made;
    auto* const wrapper = new Direct3DDirectDraw(inner, config);
    const HRESULT result = wrapper->QueryInterface(riid, object);
    wrapper->Release();
    if (result == S_OK) *last = wrapper;
    return result;
  });
}

ScopedDirect3DDisplay::~ScopedDirect3DDisplay() {
  if (previous_) {
    RegisterComFactory(clsid_, previous_);
  } else {
    UnregisterComFactory(clsid_);
  }
}

// ---- ScopedD3DDevice ------------------------------------------------------------------------

ScopedD3DDevice::ScopedD3DDevice(IDirectDrawSurface7* surface, D3DDoubleConfig config)
    : device_(new RecordingD3DDevice(std::move(config))), direct3d_(new RecordingDirect3D) {
  Direct3DObject = direct3d_;
  CurrentD3DDevice = 0;
  InitD3DDeviceRecord(&D3DDeviceTable[0], device_, surface);
  D3DTargetUnusable = 0;
  D3DDrawToFront = 0;
  if (!device_->config().devices.empty()) {
    D3DDeviceDescription = device_->config().devices[0];
  }
  const DWORD max_side =
      std::min(D3DDeviceDescription.dwMaxTextureWidth, D3DDeviceDescription.dwMaxTextureHeight);
  const DWORD min_side =
      std::min(D3DDeviceDescription.dwMinTextureWidth, D3DDeviceDescription.dwMinTextureHeight);
  TextureMaxSize = max_side != 0 ? static_cast<int32_t>(max_side) : 256;
  TextureMinSize = min_side != 0 ? static_cast<int32_t>(min_side) : 32;
  ClearTextureFormats();
  int32_t found = 0;
  device_->EnumTextureFormats(EnumTextureFormatCallback, &found);
  ApplyTextureFormatFallbacks();
  device_->Clear();
}

ScopedD3DDevice::~ScopedD3DDevice() {
  DeleteAllSurface3DData();
  std::memset(static_cast<void*>(&D3DDeviceTable[0]), 0, sizeof(D3DDeviceTable[0]));
  Direct3DObject = nullptr;
  D3DTargetUnusable = 0;
  D3DDrawToFront = 0;
  D3DDeviceDescription = D3DDEVICEDESC7{};
  ClearTextureFormats();
  device_->Release();
  direct3d_->Release();
}
