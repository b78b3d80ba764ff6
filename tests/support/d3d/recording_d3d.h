// A recording Direct3D 7 for the tests of the runtime's Direct3D layer.
//
// RecordingD3DDevice records every call in order in one common form (the
// call's name, its integer arguments, its float arguments and, for
// DrawPrimitive, the vertex bytes), and fails a named call on its n-th use or
// always. Its configuration holds what it offers: the device list, the
// Z-buffer and the texture formats. Load copies texture pixels between two
// DirectDraw stand-in surfaces, so uploads through a work texture can be
// checked.
//
// ScopedD3DDevice puts a recording device in place as device 0 of the
// runtime's device table (with a Direct3D object, so Direct3D counts as in
// use) and takes it away again.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/d3d.h"

struct D3DCallRecord {
  std::string call;           // "SetRenderState", "SetTextureStageState", ...
  std::vector<int64_t> args;  // integer arguments in order; pointers as addresses
  std::vector<float> floats;  // viewport depth range, matrix entries
  std::vector<uint8_t> vertices;  // DrawPrimitive: count x vertex size bytes

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

// The Direct3D object: the runtime only keeps it to know Direct3D is in use.
class RecordingDirect3D : public IDirect3D7 {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

 protected:
  virtual ~RecordingDirect3D() = default;

 private:
  ULONG references_ = 1;
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
