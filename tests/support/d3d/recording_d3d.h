// A recording Direct3D 7 for the tests of the runtime's Direct3D layer.
//
// RecordingD3DDevice records every call in order in one common form (the
// call's name, its integer arguments, its float arguments and, for
// DrawPrimitive and DrawIndexedPrimitive, the vertex bytes and indices), and
// fails a named call on its n-th use or always. Its configuration holds what
// it offers: the device list, the Z-buffer and the texture formats. Load
// copies texture pixels between two DirectDraw stand-in surfaces, so uploads
// through a work texture can be checked.
//
// RecordingDirect3D is the Direct3D object: it offers the configuration's
// devices and Z-buffer formats, makes recording devices (kept for the test to
// look at) and records and fails its own calls the same way.
// Direct3DDirectDraw is a DirectDraw stand-in object that also answers the
// Direct3D interface with a RecordingDirect3D, and makes depth surfaces, so
// Direct3D start runs on it.
//
// ScopedD3DDevice puts a recording device in place as device 0 of the
// runtime's device table (with a Direct3D object, so Direct3D counts as in
// use) and takes it away again.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/d3d.h"
#include "platform/win32/ddraw.h"

struct D3DCallRecord {
  D3DCallRecord(std::string call_name, std::vector<int64_t> call_args = {},
                std::vector<float> call_floats = {}, std::vector<uint8_t> call_vertices = {},
                std::vector<uint16_t> call_indices = {})
      : call(std::move(call_name)),
        args(std::move(call_args)),
        floats(std::move(call_floats)),
        vertices(std::move(call_vertices)),
        indices(std::move(call_indices)) {}

  std::string call;           // "SetRenderState", "SetTextureStageState", ...
  std::vector<int64_t> args;  // integer arguments in order; pointers as addresses
  std::vector<float> floats;  // viewport depth range, matrix entries
  // DrawPrimitive, DrawIndexedPrimitive: vertex count x vertex size bytes.
  std::vector<uint8_t> vertices;
  std::vector<uint16_t> indices;  // DrawIndexedPrimitive

  // Float `word` of vertex `index` (`stride` bytes a vertex).
  float VertexFloat(int index, int word, int stride) const {
    float value;
    std::memcpy(&value, vertices.data() + index * stride + word * 4, 4);
    return value;
  }
  uint32_t VertexWord(int index, int word, int stride) const {
    uint32_t value;
    std::memcpy(&value, vertices.data() + index * stride + word * 4, 4);
    return value;
  }
};

struct D3DDoubleConfig {
  std::vector<D3DDEVICEDESC7> devices;
  std::vector<DDPIXELFORMAT> zbuffer_formats;
  std::vector<DDPIXELFORMAT> texture_formats;
  // Calls that fail on every use, on every device made with this
  // configuration.
  std::vector<std::string> device_failures;
};

// An RGB texture format.
DDPIXELFORMAT MakeTextureFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha);
// What a common device offers: 565, 555, 8888 without alpha, 4444, 1555 and
// 8888 with alpha, and a 16-bit Z-buffer.
D3DDoubleConfig StandardD3DConfig();

// Bytes of one vertex of a flexible vertex format.
int VertexStride(DWORD fvf);

class RecordingD3DDevice : public IDirect3DDevice7 {
 public:
  explicit RecordingD3DDevice(D3DDoubleConfig config = StandardD3DConfig());

  // Fails the `nth` use (1 = the first from now) of `call` with `result`.
  void FailOn(const std::string& call, int nth, HRESULT result = E_FAIL);
  void FailAlways(const std::string& call, HRESULT result = E_FAIL);

  const std::vector<D3DCallRecord>& Records() const { return records_; }
  // The records of one call.
  std::vector<D3DCallRecord> RecordsOf(const std::string& call) const;
  int Count(const std::string& call) const;
  void Clear() { records_.clear(); }
  // How the last SetRenderState of `state` set it, -1 when never.
  int64_t LastRenderState(D3DRENDERSTATETYPE state) const;
  // The same for a stage state.
  int64_t LastStageState(int stage, D3DTEXTURESTAGESTATETYPE state) const;

  D3DDoubleConfig& config() { return config_; }
  ULONG References() const { return references_; }

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override;
  HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) override;
  HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) override;
  HRESULT SetViewport(D3DVIEWPORT7* viewport) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD count,
                        DWORD flags) override;
  // Recorded as (type, fvf, vertex count, index count, flags).
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices,
                               DWORD vertex_count, WORD* indices, DWORD index_count,
                               DWORD flags) override;
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override;
  HRESULT Load(IDirectDrawSurface7* dest, POINT* dest_point, IDirectDrawSurface7* source,
               RECT* source_rect, DWORD flags) override;

 protected:
  ~RecordingD3DDevice() override = default;

 private:
  // Records the call and gives the failure planned for this use, or S_OK.
  HRESULT Record(D3DCallRecord record);

  D3DDoubleConfig config_;
  ULONG references_ = 1;
  std::vector<D3DCallRecord> records_;
  std::map<std::string, int> uses_;
  std::map<std::string, std::map<int, HRESULT>> failures_;
  std::map<std::string, HRESULT> always_;
};

// The Direct3D object. Its calls are recorded as "EnumDevices",
// "EnumZBufferFormats" (argument: 1 when asked for the hardware device kind)
// and "CreateDevice" (argument: the surface's address).
class RecordingDirect3D : public IDirect3D7 {
 public:
  explicit RecordingDirect3D(D3DDoubleConfig config = StandardD3DConfig());

  void FailOn(const std::string& call, int nth, HRESULT result = E_FAIL);
  void FailAlways(const std::string& call, HRESULT result = E_FAIL);
  const std::vector<D3DCallRecord>& Records() const { return records_; }
  int Count(const std::string& call) const;
  D3DDoubleConfig& config() { return config_; }
  ULONG References() const { return references_; }
  // The devices made so far, the latest last; each stays alive while the
  // object lives.
  const std::vector<RecordingD3DDevice*>& Devices() const { return devices_; }
  RecordingD3DDevice* LastDevice() const {
    return devices_.empty() ? nullptr : devices_.back();
  }

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) override;
  HRESULT CreateDevice(REFCLSID device_kind, IDirectDrawSurface7* surface,
                       IDirect3DDevice7** device) override;
  HRESULT EnumZBufferFormats(REFCLSID device_kind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                             LPVOID context) override;

 protected:
  virtual ~RecordingDirect3D();

 private:
  HRESULT Record(D3DCallRecord record);

  D3DDoubleConfig config_;
  ULONG references_ = 1;
  std::vector<RecordingD3DDevice*> devices_;
  std::vector<D3DCallRecord> records_;
  std::map<std::string, int> uses_;
  std::map<std::string, std::map<int, HRESULT>> failures_;
  std::map<std::string, HRESULT> always_;
};

// A DirectDraw stand-in object whose QueryInterface also gives the Direct3D
// interface: the RecordingDirect3D `direct3d()` unless the query is made to
// fail. Depth-buffer surfaces, which the stand-in refuses, are made as plain
// 16-bit surfaces. Everything else is the stand-in's.
class Direct3DDirectDraw : public IDirectDraw7 {
 public:
  // Over a new, initialised stand-in object.
  explicit Direct3DDirectDraw(D3DDoubleConfig config = StandardD3DConfig());
  // Over `inner` (its reference is taken over), not yet initialised: the
  // object a DirectDraw factory hands out.
  Direct3DDirectDraw(IDirectDraw7* inner, D3DDoubleConfig config);

  RecordingDirect3D& direct3d() { return *direct3d_; }
  // Fails the Direct3D query from its `nth` use on (0: never).
  void FailDirect3DQueryFrom(int nth) { fail_query_from_ = nth; }
  int Direct3DQueries() const { return queries_; }

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

  HRESULT GetCaps(DDCAPS* driver_caps, DDCAPS* emulation_caps) override;
  HRESULT Initialize(GUID* driver) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh,
                         DWORD flags) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT GetDisplayMode(DDSURFACEDESC2* description) override;
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override;
  HRESULT CreateSurface(DDSURFACEDESC2* description, IDirectDrawSurface7** surface,
                        IUnknown* outer) override;
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override;
  HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                        IUnknown* outer) override;
  HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags) override;
  HRESULT GetAvailableVidMem(DDSCAPS2* caps, LPDWORD total, LPDWORD free) override;
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;
  HRESULT GetVerticalBlankStatus(BOOL* in_blank) override;
  HRESULT GetScanLine(LPDWORD line) override;
  HRESULT FlipToGDISurface() override;

 protected:
  virtual ~Direct3DDirectDraw();

 private:
  IDirectDraw7* inner_ = nullptr;
  bool initialized_ = false;
  RecordingDirect3D* direct3d_;
  ULONG references_ = 1;
  int fail_query_from_ = 0;
  int queries_ = 0;
};

// While it lives, every DirectDraw object made (CoCreateInstance of
// CLSID_DirectDraw7) is a Direct3DDirectDraw over a stand-in object, so the
// screen start takes the Direct3D road. `Last()` is the latest one made (it
// lives while the runtime holds it).
class ScopedDirect3DDisplay {
 public:
  explicit ScopedDirect3DDisplay(D3DDoubleConfig config = StandardD3DConfig());
  ~ScopedDirect3DDisplay();
  ScopedDirect3DDisplay(const ScopedDirect3DDisplay&) = delete;
  ScopedDirect3DDisplay& operator=(const ScopedDirect3DDisplay&) = delete;

  Direct3DDirectDraw* Last() const { return *last_; }

 private:
  CLSID clsid_;
  ComFactory previous_;
  std::shared_ptr<Direct3DDirectDraw*> last_;
};

// Device 0 of the runtime's table is a recording device made on `surface`
// (may be null), the current device, with a Direct3D object in place; the
// texture-format table is filled from the device's formats. Everything is
// put back at the end.
class ScopedD3DDevice {
 public:
  explicit ScopedD3DDevice(IDirectDrawSurface7* surface = nullptr,
                           D3DDoubleConfig config = StandardD3DConfig());
  ~ScopedD3DDevice();
  ScopedD3DDevice(const ScopedD3DDevice&) = delete;
  ScopedD3DDevice& operator=(const ScopedD3DDevice&) = delete;

  RecordingD3DDevice& device() { return *device_; }

 private:
  RecordingD3DDevice* device_;
  RecordingDirect3D* direct3d_;
};
