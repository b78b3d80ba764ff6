// The Direct3D device records: the vertex batch, the scenes and the cached
// state setters.
#include "runtime/graphics/records/d3d_device.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/screen_state.h"

const D3DVertexFormat D3DVertexFormatTable[kD3DVertexKindCount] = {
    {D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 20, 3225},
    {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28, 2340},
    {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2, 40, 1638},
};
const int32_t D3DVertexCapacityTable[kD3DVertexKindCount] = {3225, 2340, 1638};

D3DDeviceRecord D3DDeviceTable[kD3DDeviceCount];
int32_t CurrentD3DDevice = 0;
IDirect3D7* Direct3DObject = nullptr;
int32_t D3DTargetUnusable = 0;
int32_t D3DDrawToFront = 0;
uint32_t D3DDiffuseColor = 0xFFFFFFFFu;
D3DDEVICEDESC7 D3DDeviceDescription = {};

int32_t DrawZBufferFlag = 0;
int32_t DrawZWriteFlag = 0;
int32_t DrawZFunction = static_cast<int32_t>(D3DCMP_LESSEQUAL);
float DrawZValue = 0.0f;
int32_t DrawCullFlag = 0;
int32_t DrawVertexAlphaFlag = 0;

D3DDeviceRecord* GetD3DDeviceRecord(int32_t device) {
  if (Direct3DObject == nullptr) return nullptr;
  const int32_t index = device & 0xFFFF;
  if (index >= kD3DDeviceCount) return nullptr;
  D3DDeviceRecord* const record = &D3DDeviceTable[index];
  return record->in_use != 0 ? record : nullptr;
}

void InitD3DDeviceRecord(D3DDeviceRecord* record, IDirect3DDevice7* device,
                         IDirectDrawSurface7* surface) {
  std::memset(static_cast<void*>(record), 0, sizeof(*record));
  for (D3DVertexPlain& v : record->buffer0) {
    v.z = 0.0f;
    v.rhw = 1.0f;
  }
  for (D3DVertexTextured& v : record->buffer1) {
    v.z = 0.0f;
    v.rhw = 1.0f;
  }
  for (D3DVertexBlended& v : record->buffer2) {
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.specular = 0xFFFFFFFFu;
  }
  record->buffers[0] = reinterpret_cast<uint8_t*>(record->buffer0);
  record->buffers[1] = reinterpret_cast<uint8_t*>(record->buffer1);
  record->buffers[2] = reinterpret_cast<uint8_t*>(record->buffer2);

  record->device = device;
  record->creation_surface = surface;
  record->blend_texture_param1 = -1;
  record->z_enable = 1;
  record->z_write_enable = 0;
  record->z_func = static_cast<int32_t>(D3DCMP_LESSEQUAL);
  record->shade_mode = static_cast<int32_t>(D3DSHADE_FLAT);
  record->cull_mode = 0;
  record->texture_address = static_cast<int32_t>(D3DTADDRESS_CLAMP);
  record->texture_perspective = 0;
  record->lighting = 0;
  record->color_key_enable = 0;
  record->texture_filter = 0;
  record->stage_count = 0;
  for (D3DStageCache& stage : record->stages) {
    stage.texture = nullptr;
    stage.alpha_arg1 = static_cast<int16_t>(D3DTA_TEXTURE);
    stage.alpha_arg2 = static_cast<int16_t>(D3DTA_DIFFUSE);
    stage.alpha_op = static_cast<int16_t>(D3DTOP_DISABLE);
    stage.color_arg1 = static_cast<int16_t>(D3DTA_TEXTURE);
    stage.color_arg2 = static_cast<int16_t>(D3DTA_DIFFUSE);
    stage.color_op = static_cast<int16_t>(D3DTOP_DISABLE);
  }
  record->blend_state_dirty = 1;
  record->vertex_kind = 1;
  record->write_position = record->buffers[1];
  record->vertex_count = 0;
  record->primitive_type = D3DPT_TRIANGLELIST;
  record->in_use = 1;
}

// ---- Device calls: a record whose device is gone fails every call ----------------------

static HRESULT SendRenderState(D3DDeviceRecord* record, D3DRENDERSTATETYPE state, DWORD value) {
  return record->device != nullptr ? record->device->SetRenderState(state, value) : E_FAIL;
}

static HRESULT SendStageState(D3DDeviceRecord* record, int32_t stage,
                              D3DTEXTURESTAGESTATETYPE state, DWORD value) {
  return record->device != nullptr
             ? record->device->SetTextureStageState(static_cast<DWORD>(stage), state, value)
             : E_FAIL;
}

// ---- Batch --------------------------------------------------------------------------------

static void FlushRecordBatch(D3DDeviceRecord* record) {
  const int32_t kind = record->vertex_kind;
  if (record->vertex_count != 0 && WindowClosedFlag.load() == 0 && record->suppress_draw == 0 &&
      record->device != nullptr) {
    record->device->DrawPrimitive(record->primitive_type, D3DVertexFormatTable[kind].fvf,
                                  record->buffers[kind], static_cast<DWORD>(record->vertex_count),
                                  0);
  }
  record->vertex_count = 0;
  record->write_position = record->buffers[kind];
}

int FlushD3DVertexBatch(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  FlushRecordBatch(record);
  return 0;
}

int FlushCurrentD3DBatch() { return FlushD3DVertexBatch(CurrentD3DDevice); }

void* QueueD3DVertices(D3DDeviceRecord* record, D3DPRIMITIVETYPE type, int32_t count) {
  const int32_t kind = record->vertex_kind;
  const D3DVertexFormat& format = D3DVertexFormatTable[kind];
  if (count < 0 || count > format.capacity) return nullptr;
  if (record->vertex_count != 0 &&
      (record->primitive_type != type || record->vertex_count + count > format.capacity)) {
    FlushRecordBatch(record);
  }
  record->primitive_type = type;
  uint8_t* const at = record->write_position;
  record->write_position += static_cast<ptrdiff_t>(count) * format.bytes;
  record->vertex_count += count;
  return at;
}

int BeginD3DScene() {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return -1;
  if (record->in_scene == 0) {
    // What BeginScene answers is not looked at.
    if (record->device != nullptr) record->device->BeginScene();
    record->in_scene = 1;
  }
  return 0;
}

int EndD3DScene(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->in_scene != 0) {
    FlushRecordBatch(record);
    if (record->device != nullptr) record->device->EndScene();
    record->in_scene = 0;
  }
  return 0;
}

int EndCurrentD3DScene() { return EndD3DScene(CurrentD3DDevice); }

// ---- Cached setters --------------------------------------------------------------------------

// The common rule: nothing when the value is cached and not forced; else
// flush (unless told not to), send, cache. The result of the call is given
// back only to the setters that report it.
static int CachedRenderState(int32_t device, int32_t D3DDeviceRecord::*field,
                             D3DRENDERSTATETYPE state, int32_t value, DWORD sent, bool flush,
                             bool report_failure) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->*field == value && record->force == 0) return 0;
  if (flush) FlushRecordBatch(record);
  const HRESULT result = SendRenderState(record, state, sent);
  record->*field = value;
  return report_failure && result < 0 ? -1 : 0;
}

int SetD3DTexturePerspective(int32_t device, int32_t flag) {
  flag = flag != 0 ? 1 : 0;
  return CachedRenderState(device, &D3DDeviceRecord::texture_perspective,
                           D3DRENDERSTATE_TEXTUREPERSPECTIVE, flag, static_cast<DWORD>(flag),
                           false, true);
}

int SetD3DColorKeyEnable(int32_t device, int32_t flag) {
  flag = flag != 0 ? 1 : 0;
  return CachedRenderState(device, &D3DDeviceRecord::color_key_enable,
                           D3DRENDERSTATE_COLORKEYENABLE, flag, static_cast<DWORD>(flag), true,
                           false);
}

int SetD3DZEnable(int32_t device, int32_t flag) {
  flag = flag != 0 ? 1 : 0;
  return CachedRenderState(device, &D3DDeviceRecord::z_enable, D3DRENDERSTATE_ZENABLE, flag,
                           static_cast<DWORD>(flag), true, false);
}

int SetD3DZWriteEnable(int32_t device, int32_t flag) {
  flag = flag != 0 ? 1 : 0;
  return CachedRenderState(device, &D3DDeviceRecord::z_write_enable, D3DRENDERSTATE_ZWRITEENABLE,
                           flag, static_cast<DWORD>(flag), true, false);
}

int SetD3DZFunc(int32_t device, int32_t function) {
  return CachedRenderState(device, &D3DDeviceRecord::z_func, D3DRENDERSTATE_ZFUNC, function,
                           static_cast<DWORD>(function), true, false);
}

int SetD3DShadeMode(int32_t device, int32_t mode) {
  return CachedRenderState(device, &D3DDeviceRecord::shade_mode, D3DRENDERSTATE_SHADEMODE, mode,
                           static_cast<DWORD>(mode), true, true);
}

int SetD3DCullMode(int32_t device, int32_t flag) {
  flag = flag != 0 ? 1 : 0;
  return CachedRenderState(device, &D3DDeviceRecord::cull_mode, D3DRENDERSTATE_CULLMODE, flag,
                           flag != 0 ? D3DCULL_CCW : D3DCULL_NONE, true, false);
}

int SetD3DTextureFilter(int32_t device, int32_t mode) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (mode != 0 && mode != 1) return -1;
  if (record->texture_filter == mode && record->force == 0) return 0;
  FlushRecordBatch(record);
  const DWORD filter = mode == 1 ? D3DTFG_LINEAR : D3DTFG_POINT;
  for (int32_t stage = 0; stage < record->stage_count && stage < kD3DStageCount; ++stage) {
    SendStageState(record, stage, D3DTSS_MAGFILTER, filter);
    SendStageState(record, stage, D3DTSS_MINFILTER, filter);
  }
  record->texture_filter = mode;
  return 0;
}

int SetD3DRenderTarget(int32_t device, IDirectDrawSurface7* surface) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->render_target == surface && record->force == 0) return 0;
  FlushRecordBatch(record);
  if (surface == nullptr) {
    if (record->render_target != nullptr) {
      if (record->device != nullptr) record->device->SetRenderTarget(record->creation_surface, 0);
      record->render_target = record->creation_surface;
    } else {
      record->render_target = nullptr;
    }
    return 0;
  }
  if (record->device != nullptr) record->device->SetRenderTarget(surface, 0);
  record->render_target = surface;
  return 0;
}

int SetD3DViewport(int32_t device, int32_t x, int32_t y, int32_t width, int32_t height,
                   float min_z, float max_z) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->viewport_x == x && record->viewport_y == y && record->viewport_width == width &&
      record->viewport_height == height && record->force == 0) {
    return 0;
  }
  EndD3DScene(device);
  D3DVIEWPORT7 viewport = {static_cast<DWORD>(x), static_cast<DWORD>(y),
                           static_cast<DWORD>(width), static_cast<DWORD>(height), min_z, max_z};
  const HRESULT result =
      record->device != nullptr ? record->device->SetViewport(&viewport) : E_FAIL;
  if (result < 0) {
    LogPrintf("ビューポートのセットに失敗しました ErrorCode %x", static_cast<unsigned>(result));
    return -1;
  }
  record->viewport_x = x;
  record->viewport_y = y;
  record->viewport_width = width;
  record->viewport_height = height;
  record->viewport_min_z = min_z;
  record->viewport_max_z = max_z;
  return 0;
}

// ---- Transforms, viewport and render target ------------------------------------------------

static int SendTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return -1;
  D3DMATRIX copy = *matrix;
  if (record->device != nullptr) record->device->SetTransform(state, &copy);
  return 0;
}

int SetD3DWorldMatrix(const D3DMATRIX* matrix) {
  return SendTransform(D3DTRANSFORMSTATE_WORLD, matrix);
}
int SetD3DViewMatrix(const D3DMATRIX* matrix) {
  return SendTransform(D3DTRANSFORMSTATE_VIEW, matrix);
}
int SetD3DProjectionMatrix(const D3DMATRIX* matrix) {
  return SendTransform(D3DTRANSFORMSTATE_PROJECTION, matrix);
}

int SetD3DViewportRect(const RECT* rect) {
  if (GetD3DDeviceRecord(CurrentD3DDevice) == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return -1;
  return SetD3DViewport(CurrentD3DDevice, rect->left + DrawTargetRect.left,
                        rect->top + DrawTargetRect.top, rect->right - rect->left,
                        rect->bottom - rect->top, 0.0f, 1.0f);
}

int SetD3DDrawArea(int32_t mask_flag) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return -1;
  FlushRecordBatch(record);
  SetD3DRenderTarget(CurrentD3DDevice, mask_flag != 0 ? MaskSurface : GetDrawTargetSurface());
  if (mask_flag == 0 || IsDrawTargetFrontInWindow() == 0) return SetD3DViewportRect(&DrawArea);
  // In window mode on the primary surface the mask's screen lies at the
  // window's client area already.
  D3DTargetUnusable = 0;
  if (SetD3DViewport(CurrentD3DDevice, DrawArea.left, DrawArea.top, DrawArea.right - DrawArea.left,
                     DrawArea.bottom - DrawArea.top, 0.0f, 1.0f) < 0) {
    return LogAdd("ビューポートのセットに失敗しました\n");
  }
  return 0;
}

int SetTextureFilterCurrent(int32_t mode) {
  if (GetD3DDeviceRecord(CurrentD3DDevice) == nullptr) return -1;
  SetD3DTextureFilter(CurrentD3DDevice, mode);
  return 0;
}

IDirect3DDevice7* GetCurrentD3DDeviceObject() {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  return record != nullptr ? record->device : nullptr;
}

int ResetD3DDeviceStates(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  FlushRecordBatch(record);
  static const DWORD kCoordinateIndex[kD3DStageCount] = {0, 1, 1, 0};
  for (int32_t stage = 0; stage < kD3DStageCount; ++stage) {
    SendStageState(record, stage, D3DTSS_ADDRESS, static_cast<DWORD>(record->texture_address));
  }
  for (int32_t stage = 0; stage < kD3DStageCount; ++stage) {
    SendStageState(record, stage, D3DTSS_TEXCOORDINDEX, kCoordinateIndex[stage]);
  }
  SendRenderState(record, D3DRENDERSTATE_TEXTUREPERSPECTIVE,
                  static_cast<DWORD>(record->texture_perspective));
  SendRenderState(record, D3DRENDERSTATE_SHADEMODE, static_cast<DWORD>(record->shade_mode));
  SendRenderState(record, D3DRENDERSTATE_COLORKEYENABLE,
                  static_cast<DWORD>(record->color_key_enable));
  SendRenderState(record, D3DRENDERSTATE_LIGHTING, static_cast<DWORD>(record->lighting));
  SendRenderState(record, D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  SendRenderState(record, D3DRENDERSTATE_DITHERENABLE, 0);
  return 0;
}

int RestoreD3DDeviceStates(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  record->force = 1;
  SetD3DViewport(device, record->viewport_x, record->viewport_y, record->viewport_width,
                 record->viewport_height, record->viewport_min_z, record->viewport_max_z);
  SetD3DColorKeyEnable(device, record->color_key_enable);
  ResetD3DDeviceStates(device);
  SetD3DTextureFilter(device, record->texture_filter);
  ApplyD3DBlendStates(device);
  SetD3DZEnable(device, record->z_enable);
  SetD3DZWriteEnable(device, record->z_write_enable);
  SetD3DZFunc(device, record->z_func);
  SetD3DCullMode(device, record->cull_mode);
  SetD3DTexturePerspective(device, record->texture_perspective);
  SetD3DShadeMode(device, record->shade_mode);
  record->force = 0;
  return 0;
}

int ApplyD3DStatesToDevice(int32_t from, int32_t to) {
  D3DDeviceRecord* const source = GetD3DDeviceRecord(from);
  D3DDeviceRecord* const dest = GetD3DDeviceRecord(to);
  if (source == nullptr || dest == nullptr) return -1;
  SetD3DPendingBlendMode(to, source->pending_blend_mode, source->pending_alpha_test,
                         source->pending_alpha_channel);
  SetD3DPendingColorModulate(to, source->pending_color_modulate);
  SetD3DPendingVertexAlpha(to, source->pending_alpha_modulate);
  SetD3DTextureFilter(to, source->texture_filter);
  SetD3DPendingTexture(to, source->pending_texture);
  ApplyD3DBlendStates(to);
  return 0;
}

// The surface a draw target graphic renders into: null with -1 when
// Direct3D cannot render into it (D3DTargetUnusable is then set for a
// software image). `split` is set for a texture graphic of several pieces.
static int GraphicRenderSurface(int32_t target, IDirectDrawSurface7** surface, bool* split) {
  *surface = nullptr;
  *split = false;
  const GraphicRecord* const graphic = GetGraphicRecord(target);
  if (graphic == nullptr || graphic->surface_count < 1) return -1;
  if (graphic->settings.texture_flag == 1) {
    if (graphic->surface_count > 1) {
      *split = true;
      return 0;
    }
    const Surface3DData* const piece = GetSurface3DData(graphic->surfaces[0]);
    const SurfaceDataRecord* const data =
        piece != nullptr ? GetSurfaceDataRecord(piece->texture) : nullptr;
    if (data == nullptr || data->settings.DrawValid == 0) return -1;
    *surface = data->surface;
    return 0;
  }
  const Surface2DRecord* const surface_2d = GetSurface2DRecord(graphic->surfaces[0]);
  const SurfaceDataRecord* const data =
      surface_2d != nullptr ? GetSurfaceDataRecord(surface_2d->surface_data) : nullptr;
  if (data == nullptr) return -1;
  if (data->settings.software_image_flag != 0 || data->surface == nullptr) {
    D3DTargetUnusable = 1;
    return -1;
  }
  *surface = data->surface;
  return 0;
}

int SetDrawScreenD3D(int32_t target, int32_t old_target) {
  (void)old_target;
  const int32_t entry_device = CurrentD3DDevice;
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return 0;
  FlushRecordBatch(record);
  EndD3DScene(CurrentD3DDevice);
  if (record->render_target != nullptr || record->force != 0) {
    SetD3DRenderTarget(CurrentD3DDevice, record->creation_surface);
  }
  // A texture that becomes the render target must not stay bound.
  if (record->pending_texture != nullptr || record->force != 0) {
    FlushRecordBatch(record);
    if (record->pending_texture != nullptr) record->blend_state_dirty = 1;
    record->pending_texture = nullptr;
    record->texture_state_dirty = 1;
  }

  if (target == kDrawTargetFrontScreen) {
    SetD3DRenderTarget(CurrentD3DDevice, GetScreenDrawSurface());
    D3DDrawToFront = 1;
  } else if (target == kDrawTargetBackScreen) {
    SetD3DRenderTarget(CurrentD3DDevice, Screen.BackSurface);
    D3DDrawToFront = 0;
  } else {
    IDirectDrawSurface7* surface = nullptr;
    bool split = false;
    if (GraphicRenderSurface(target, &surface, &split) < 0) return -1;
    if (split) {
      if (CurrentD3DDevice != entry_device) ApplyD3DStatesToDevice(entry_device, CurrentD3DDevice);
      return 0;
    }
    SetD3DRenderTarget(CurrentD3DDevice, surface);
    D3DDrawToFront = 0;
  }
  D3DTargetUnusable = 0;
  if (CurrentD3DDevice != entry_device) ApplyD3DStatesToDevice(entry_device, CurrentD3DDevice);
  return 0;
}
