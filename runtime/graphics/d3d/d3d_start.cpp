// Direct3D start, device creation and end.
#include "runtime/graphics/d3d/d3d_start.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/handle.h"
#include "runtime/core/log.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/screen_state.h"

int32_t Direct3DWanted = 0;
DDPIXELFORMAT ZBufferPixelFormat = {};
int32_t DrawTextureAddressMode = 0;

namespace {

DWORD TextureAddressMode() {
  return DrawTextureAddressMode != 0 ? static_cast<DWORD>(DrawTextureAddressMode)
                                     : D3DTADDRESS_CLAMP;
}

// Clears what start works out anew. The diffuse colour is not cleared but
// rebuilt from the draw settings: it stays valid for drawing.
void ClearDirect3DState() {
  Direct3DObject = nullptr;
  CurrentD3DDevice = 0;
  D3DTargetUnusable = 0;
  D3DDrawToFront = 0;
  D3DDeviceDescription = D3DDEVICEDESC7{};
  ZBufferPixelFormat = DDPIXELFORMAT{};
  TextureMaxSize = 0;
  TextureMinSize = 0;
  D3DBlendTextureWidth = 0.0f;
  D3DBlendTextureHeight = 0.0f;
  D3DBlendTextureInvWidth = 0.0f;
  D3DBlendTextureInvHeight = 0.0f;
  DrawScreenGraphMethodMemo[0] = -1;
  DrawScreenGraphMethodMemo[1] = -1;
  Direct3DWanted = 0;
  UpdateD3DDiffuseColor();
}

void ReleaseDirect3DObject() {
  if (Direct3DObject != nullptr) {
    Direct3DObject->Release();
    Direct3DObject = nullptr;
  }
}

// What a failed start leaves: no device, no Direct3D object.
int FailStart(const char* message) {
  if (message != nullptr) LogAdd(message);
  DeleteAllD3DDevices();
  ReleaseDirect3DObject();
  return -1;
}

// The render depth bit a device must offer for the screen's depth; 0 for a
// depth Direct3D is not used at.
DWORD ScreenRenderDepthBit() {
  switch (Screen.ScreenPixelDepth) {
    case 16:
      return DDBD_16;
    case 32:
      return DDBD_32;
    default:
      return 0;
  }
}

// Every texture piece's surface data, once for each piece.
template <typename Action>
void ForEachPieceTexture(Action action) {
  for (int32_t slot = 0; slot < TextureHandleTable.area_end; ++slot) {
    const auto* const piece =
        reinterpret_cast<const Surface3DData*>(TextureHandleTable.records[slot]);
    if (piece != nullptr) action(piece->texture);
  }
}

// The texture surface of the blend graphic's first piece, or null.
IDirectDrawSurface7* BlendGraphicTexture() {
  if (BlendGraphic == -1) return nullptr;
  const GraphicRecord* const blend = GetGraphicRecord(BlendGraphic);
  if (blend == nullptr || blend->settings.texture_flag != 1 || blend->surface_count < 1) {
    return nullptr;
  }
  const Surface3DData* const piece = GetSurface3DData(blend->surfaces[0]);
  const SurfaceDataRecord* const data =
      piece != nullptr ? GetSurfaceDataRecord(piece->texture) : nullptr;
  return data != nullptr ? data->surface : nullptr;
}

void LogTextureFormat(int32_t kind, bool with_alpha) {
  const ColorFormat* const format = GetTextureColorFormat(kind);
  if (format == nullptr) return;
  if (with_alpha) {
    LogPrintf("\t\t BIT:%u  ALPHA:%u  RED:%u  GREEN:%u  BLUE:%u ", format->bit_depth,
              format->alpha_width, format->red_width, format->green_width, format->blue_width);
    LogPrintf("\t\t ALPHA:%08x RED:%08x GREEN:%08x BLUE:%08x \n", format->alpha_mask,
              format->red_mask, format->green_mask, format->blue_mask);
  } else {
    LogPrintf("\t\t BIT:%u  RED:%u  GREEN:%u  BLUE:%u ", format->bit_depth, format->red_width,
              format->green_width, format->blue_width);
    LogPrintf("\t\t RED:%06x GREEN:%06x BLUE:%06x \n", format->red_mask, format->green_mask,
              format->blue_mask);
  }
}

void LogDeviceLimits() {
  IncreaseLogIndent();
  LogPrintf("テクスチャ最大幅:%u 最小幅:%u ", static_cast<unsigned>(TextureMaxSize),
            static_cast<unsigned>(TextureMinSize));
  const DWORD caps = D3DDeviceDescription.dpcTriCaps.dwTextureCaps;
  LogPrintf("描画制限: D_D3DPTEXTURECAPS_POW2 = %d  D_D3DPTEXTURECAPS_SQUAREONLY = %d ",
            (caps & D3DPTEXTURECAPS_POW2) != 0 ? 1 : 0,
            (caps & D3DPTEXTURECAPS_SQUAREONLY) != 0 ? 1 : 0);
  LogAdd("テクスチャピクセルフォーマット\n");
  LogAdd("\t通常グラフィック用\n");
  LogTextureFormat(0, false);
  LogTextureFormat(1, false);
  LogAdd("\tアルファチャンネル付きグラフィック用\n");
  LogTextureFormat(2, true);
  LogTextureFormat(3, true);
  DecreaseLogIndent();
}

}  // namespace

HRESULT EnumD3DDeviceCallback(LPSTR, LPSTR, D3DDEVICEDESC7* device, LPVOID context) {
  const bool tnl = device->deviceGUID == IID_IDirect3DTnLHalDevice;
  if (!tnl && !(device->deviceGUID == IID_IDirect3DHALDevice)) return D3DENUMRET_OK;
  const DWORD depth = ScreenRenderDepthBit();
  if (depth == 0 || (device->dwDeviceRenderBitDepth & depth) == 0) return D3DENUMRET_OK;
  D3DDeviceDescription = *device;
  *static_cast<int32_t*>(context) = 1;
  // A device with hardware transform and lighting is the best there is.
  return tnl ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

HRESULT EnumZBufferFormatCallback(DDPIXELFORMAT* format, LPVOID context) {
  if (format->dwFlags != DDPF_ZBUFFER || format->dwRGBBitCount != 16) return D3DENUMRET_OK;
  ZBufferPixelFormat = *format;
  *static_cast<int32_t*>(context) = 1;
  return D3DENUMRET_CANCEL;
}

DDPIXELFORMAT* GetZBufferPixelFormat() { return &ZBufferPixelFormat; }

int InitializeDirect3D() {
  if (Direct3DObject != nullptr) return -1;
  LogAdd("Direct3D 関連の初期化を行います\n");
  // A device record left by a rebuild whose Direct3D object never came
  // back would hold a slot (and its stale surfaces) for good.
  DeleteAllD3DDevices();
  ClearDirect3DState();

  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  IDirect3D7* direct3d = nullptr;
  if (Screen.DirectDrawObject == nullptr ||
      Screen.DirectDrawObject->QueryInterface(IID_IDirect3D7,
                                              reinterpret_cast<void**>(&direct3d)) < 0 ||
      direct3d == nullptr) {
    return LogAdd("Direct3Dオブジェクトの作成に失敗しました\n");
  }
  Direct3DObject = direct3d;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得しました\n");

  int32_t found = 0;
  if (Direct3DObject->EnumDevices(EnumD3DDeviceCallback, &found) < 0 || found == 0) {
    return FailStart("現在の画面モードで使用できる描画デバイスが見つかりませんでした\n");
  }

  found = 0;
  if (Direct3DObject->EnumZBufferFormats(IID_IDirect3DHALDevice, EnumZBufferFormatCallback,
                                         &found) < 0 ||
      found == 0) {
    return FailStart("使用可能なＺバッファが見つかりませんでした\n");
  }

  IDirectDrawSurface7* const surface = GetScreenDrawSurface();
  const int32_t device = CreateD3DDeviceStates(surface);
  if (device < 0) return FailStart(nullptr);
  CurrentD3DDevice = device;
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  record->render_target = surface;

  const DWORD address = TextureAddressMode();
  for (DWORD stage = kD3DStageCount; stage-- > 0;) {
    if (record->device->SetTextureStageState(stage, D3DTSS_ADDRESS, address) < 0) {
      return FailStart(nullptr);
    }
  }
  record->texture_address = static_cast<int32_t>(address);

  ClearTextureFormats();
  found = 0;
  if (record->device->EnumTextureFormats(EnumTextureFormatCallback, &found) < 0 || found == 0) {
    ClearTextureFormats();
    return FailStart("使用可能なテクスチャフォーマットが見つかりませんでした\n");
  }
  ApplyTextureFormatFallbacks();

  D3DDrawToFront = 1;
  const DWORD min_side =
      std::min(D3DDeviceDescription.dwMinTextureWidth, D3DDeviceDescription.dwMinTextureHeight);
  const DWORD max_side =
      std::min(D3DDeviceDescription.dwMaxTextureWidth, D3DDeviceDescription.dwMaxTextureHeight);
  TextureMinSize = min_side != 0 ? static_cast<int32_t>(min_side) : 32;
  TextureMaxSize = max_side != 0 ? static_cast<int32_t>(max_side) : 256;

  DrawScreenGraphMethodMemo[0] = -1;
  DrawScreenGraphMethodMemo[1] = -1;
  D3DTargetUnusable = 0;

  LogDeviceLimits();
  LogAdd("Direct3D 関連の初期化は正常に終了しました\n");
  Direct3DWanted = 1;
  return 0;
}

int32_t CreateD3DDeviceStates(IDirectDrawSurface7* surface) {
  if (Direct3DObject == nullptr) return -1;
  int32_t number = -1;
  for (int32_t i = 0; i < kD3DDeviceCount; ++i) {
    if (D3DDeviceTable[i].in_use == 0) {
      number = i;
      break;
    }
  }
  if (number < 0) return -1;
  D3DDeviceRecord* const record = &D3DDeviceTable[number];
  std::memset(static_cast<void*>(record), 0, sizeof(*record));

  LogAdd("３Ｄデバイスを作成します... ");
  IDirect3DDevice7* device = nullptr;
  if (Direct3DObject->CreateDevice(D3DDeviceDescription.deviceGUID, surface, &device) < 0 ||
      device == nullptr) {
    return LogAdd("３Ｄデバイスの作成に失敗しました\n");
  }

  InitD3DDeviceRecord(record, device, surface);
  const DWORD address = TextureAddressMode();
  record->texture_address = static_cast<int32_t>(address);
  for (DWORD stage = 0; stage < kD3DStageCount; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESS, address);
  }
  for (DWORD stage = 0; stage < kD3DStageCount; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTFG_POINT);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTFN_POINT);
  }
  device->SetRenderState(D3DRENDERSTATE_COLORKEYBLENDENABLE, 0);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
  device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 0);
  device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);

  RestoreD3DDeviceStates(number);
  LogAdd("３Ｄデバイスの作成に成功しました\n");
  return number;
}

int CreateD3DDevice(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->device != nullptr) return 0;

  LogAdd("３Ｄデバイスを作成します... ");
  IDirect3DDevice7* made = nullptr;
  if (Direct3DObject->CreateDevice(D3DDeviceDescription.deviceGUID, record->creation_surface,
                                   &made) < 0 ||
      made == nullptr) {
    return LogAdd("３Ｄデバイスの作成に失敗しました\n");
  }
  record->device = made;
  made->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);
  LogAdd("３Ｄデバイスの作成に成功しました\n");

  record->force = 1;
  if (record->render_target != nullptr && record->render_target != record->creation_surface) {
    made->SetRenderTarget(record->render_target, 0);
  }
  record->pending_texture = nullptr;
  record->vertex_count = 0;
  record->write_position = record->buffers[record->vertex_kind];
  SetD3DPendingBlendMode(device, record->pending_blend_mode, record->pending_alpha_test,
                         record->pending_alpha_channel);
  SetD3DCullMode(device, record->cull_mode);
  SetD3DTextureFilter(device, record->texture_filter);
  SetD3DColorKeyEnable(device, record->color_key_enable);
  SetD3DViewportRect(&DrawArea);
  RestoreD3DDeviceStates(device);

  // The texture surfaces went with the old device: they are made again
  // (their pixels come back with the graphics' restore) before any stage
  // state names them, and the blend texture is taken from its graphic
  // again rather than from the surface that was released.
  record->force = 1;
  ForEachPieceTexture([](int32_t texture) {
    CreateSurfaceObjects(texture);
    SetSurfaceColorKey(texture);
  });
  record->pending_blend_texture = BlendGraphicTexture();
  record->blend_state_dirty = 1;
  ApplyD3DBlendStates(device);
  record->force = 0;
  return 0;
}

int DeleteD3DDevice(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->device == nullptr) return 0;
  // Textures belong to the device.
  ForEachPieceTexture([](int32_t texture) { ReleaseSurfaceObjects(texture); });
  record->device->Release();
  record->device = nullptr;
  record->in_scene = 0;
  record->vertex_count = 0;
  record->write_position = record->buffers[record->vertex_kind];
  LogAdd("Ｄｉｒｅｃｔ３Ｄデバイスを削除しました\n");
  return 0;
}

int DeleteAllD3DDevices() {
  for (D3DDeviceRecord& record : D3DDeviceTable) {
    if (record.in_use == 0) continue;
    if (record.device != nullptr) record.device->Release();
    std::memset(static_cast<void*>(&record), 0, sizeof(record));
    LogAdd("３Ｄデバイスの削除は正常に終了しました\n");
  }
  return 0;
}

int ReleaseDirect3D() {
  if (Direct3DWanted == 0) return -1;
  DeleteD3DDevice(CurrentD3DDevice);
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放します\n");
  if (Direct3DObject != nullptr) {
    ReleaseDirect3DObject();
    LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放しました\n");
  } else {
    LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に解放されています\n");
  }
  return 0;
}

int AcquireDirect3DObject() {
  if (Direct3DWanted == 0) return 0;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  if (Direct3DObject != nullptr) {
    LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に取得されています\n");
    return 0;
  }
  IDirect3D7* direct3d = nullptr;
  if (Screen.DirectDrawObject == nullptr ||
      Screen.DirectDrawObject->QueryInterface(IID_IDirect3D7,
                                              reinterpret_cast<void**>(&direct3d)) < 0 ||
      direct3d == nullptr) {
    return LogAdd("Direct3Dオブジェクトの作成に失敗しました\n");
  }
  Direct3DObject = direct3d;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは正常に取得されました\n");
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return -1;
  record->creation_surface = GetScreenDrawSurface();
  record->render_target =
      Screen.DrawTargetSurface != nullptr ? Screen.DrawTargetSurface : record->creation_surface;
  return CreateD3DDevice(CurrentD3DDevice);
}

int TerminateDirect3D() {
  if (Direct3DObject == nullptr) return -1;
  LogAdd("Direct3D 関連の終了処理を行います\n");
  EndCurrentD3DScene();
  D3DDrawToFront = 0;
  if (D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice)) {
    FlushD3DVertexBatch(CurrentD3DDevice);
    record->pending_texture = nullptr;
    record->texture_state_dirty = 1;
    record->blend_state_dirty = 1;
  }
  DeleteAllSurface3DData();
  DeleteAllD3DDevices();
  ReleaseDirect3DObject();
  LogAdd("Direct3D 関連の終了処理は正常に終了しました\n");
  Direct3DWanted = 0;
  return 0;
}
