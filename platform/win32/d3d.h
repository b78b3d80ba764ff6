// Direct3D 7 declarations: the Direct3D object, the drawing device and the
// values the runtime's device layer hands them (render states, texture-stage
// states, blend factors, vertex formats, viewports).
//
// No Direct3D exists on this system: the DirectDraw stand-in refuses the
// Direct3D interface, so the runtime draws by software. These declarations
// serve the runtime's Direct3D layer, which is built and tested against a
// recording test double of the device (tests/support/d3d). Only what that
// layer calls is declared.
#pragma once

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/types.h"

using D3DVALUE = float;
using D3DCOLOR = DWORD;  // 0xAARRGGBB

// ---- Primitives and vertex formats ---------------------------------------------
enum D3DPRIMITIVETYPE : int32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

// Flexible vertex format bits: which fields a vertex carries, in order.
constexpr DWORD D3DFVF_XYZRHW = 0x004;    // pre-transformed x, y, z, rhw
constexpr DWORD D3DFVF_DIFFUSE = 0x040;   // 0xAARRGGBB vertex colour
constexpr DWORD D3DFVF_SPECULAR = 0x080;  // second colour
constexpr DWORD D3DFVF_TEX1 = 0x100;      // one pair of texture coordinates
constexpr DWORD D3DFVF_TEX2 = 0x200;      // two pairs

// ---- Render states ----------------------------------------------------------------
enum D3DRENDERSTATETYPE : int32_t {
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_TEXTUREFACTOR = 60,
  D3DRENDERSTATE_LIGHTING = 137,
  D3DRENDERSTATE_COLORKEYBLENDENABLE = 144,
};

// Comparison functions (z and alpha tests).
constexpr DWORD D3DCMP_NEVER = 1;
constexpr DWORD D3DCMP_LESS = 2;
constexpr DWORD D3DCMP_EQUAL = 3;
constexpr DWORD D3DCMP_LESSEQUAL = 4;
constexpr DWORD D3DCMP_GREATER = 5;
constexpr DWORD D3DCMP_NOTEQUAL = 6;
constexpr DWORD D3DCMP_GREATEREQUAL = 7;
constexpr DWORD D3DCMP_ALWAYS = 8;

// Blend factors.
constexpr DWORD D3DBLEND_ZERO = 1;
constexpr DWORD D3DBLEND_ONE = 2;
constexpr DWORD D3DBLEND_SRCCOLOR = 3;
constexpr DWORD D3DBLEND_INVSRCCOLOR = 4;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DBLEND_DESTALPHA = 7;
constexpr DWORD D3DBLEND_INVDESTALPHA = 8;
constexpr DWORD D3DBLEND_DESTCOLOR = 9;
constexpr DWORD D3DBLEND_INVDESTCOLOR = 10;

constexpr DWORD D3DSHADE_FLAT = 1;
constexpr DWORD D3DSHADE_GOURAUD = 2;

constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;

// ---- Texture-stage states -----------------------------------------------------------
enum D3DTEXTURESTAGESTATETYPE : int32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_ADDRESS = 12,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
};

// Stage operations.
constexpr DWORD D3DTOP_DISABLE = 1;
constexpr DWORD D3DTOP_SELECTARG1 = 2;
constexpr DWORD D3DTOP_SELECTARG2 = 3;
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTOP_MODULATE2X = 5;
constexpr DWORD D3DTOP_MODULATE4X = 6;
constexpr DWORD D3DTOP_ADD = 7;
constexpr DWORD D3DTOP_SUBTRACT = 10;

// Stage arguments.
constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_CURRENT = 1;
constexpr DWORD D3DTA_TEXTURE = 2;
constexpr DWORD D3DTA_TFACTOR = 3;
constexpr DWORD D3DTA_SPECULAR = 4;

// Magnification and minification filters.
constexpr DWORD D3DTFG_POINT = 1;
constexpr DWORD D3DTFG_LINEAR = 2;
constexpr DWORD D3DTFN_POINT = 1;
constexpr DWORD D3DTFN_LINEAR = 2;

constexpr DWORD D3DTADDRESS_WRAP = 1;
constexpr DWORD D3DTADDRESS_MIRROR = 2;
constexpr DWORD D3DTADDRESS_CLAMP = 3;

// ---- Transforms and viewports ----------------------------------------------------------
enum D3DTRANSFORMSTATETYPE : int32_t {
  D3DTRANSFORMSTATE_WORLD = 1,
  D3DTRANSFORMSTATE_VIEW = 2,
  D3DTRANSFORMSTATE_PROJECTION = 3,
};

// A 4 x 4 matrix, row by row.
struct D3DMATRIX {
  D3DVALUE m[4][4];
};

// The rectangle of the render target that drawing maps into, and its depth
// range.
struct D3DVIEWPORT7 {
  DWORD dwX;
  DWORD dwY;
  DWORD dwWidth;
  DWORD dwHeight;
  D3DVALUE dvMinZ;
  D3DVALUE dvMaxZ;
};

// ---- Device description ------------------------------------------------------------------
// What one kind of primitive (lines or triangles) can do.
struct D3DPRIMCAPS {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;  // D3DPTEXTURECAPS_*
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
};
static_assert(sizeof(D3DPRIMCAPS) == 56);

// Texture sides must be powers of two.
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
// Textures must be square.
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;

// A device's description: 59 32-bit words.
struct D3DDEVICEDESC7 {
  DWORD dwDevCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;   // DDBD_* bits of the render target depths
  DWORD dwDeviceZBufferBitDepth;  // DDBD_* bits of the Z-buffer depths
  DWORD dwMinTextureWidth;
  DWORD dwMinTextureHeight;
  DWORD dwMaxTextureWidth;
  DWORD dwMaxTextureHeight;
  DWORD dwMaxTextureRepeat;
  DWORD dwMaxTextureAspectRatio;
  DWORD dwMaxAnisotropy;
  D3DVALUE dvGuardBandLeft;
  D3DVALUE dvGuardBandTop;
  D3DVALUE dvGuardBandRight;
  D3DVALUE dvGuardBandBottom;
  D3DVALUE dvExtentsAdjust;
  DWORD dwStencilCaps;
  DWORD dwFVFCaps;
  DWORD dwTextureOpCaps;
  WORD wMaxTextureBlendStages;
  WORD wMaxSimultaneousTextures;
  DWORD dwMaxActiveLights;
  D3DVALUE dvMaxVertexW;
  GUID deviceGUID;
  WORD wMaxUserClipPlanes;
  WORD wMaxVertexBlendMatrices;
  DWORD dwVertexProcessingCaps;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwReserved4;
};
static_assert(sizeof(D3DDEVICEDESC7) == 59 * 4);

// ---- Pixel-format flags the texture-format enumeration looks at ------------------------
constexpr DWORD DDPF_ALPHA = 0x00000002;  // an alpha-only layout
constexpr DWORD DDPF_LUMINANCE = 0x00020000;
constexpr DWORD DDPF_BUMPLUMINANCE = 0x00040000;
constexpr DWORD DDPF_BUMPDUDV = 0x00080000;

constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

// Called once for each texture format a device offers; D3DENUMRET_OK goes
// on, D3DENUMRET_CANCEL stops.
using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(DDPIXELFORMAT* format, LPVOID context);
// Called once for each kind of device Direct3D offers, with its texts and its
// description; the same answers.
using LPD3DENUMDEVICESCALLBACK7 = HRESULT (*)(LPSTR description, LPSTR name,
                                              D3DDEVICEDESC7* device, LPVOID context);

// Render-target depths in a device description (dwDeviceRenderBitDepth).
constexpr DWORD DDBD_16 = 0x00000400;
constexpr DWORD DDBD_24 = 0x00000200;
constexpr DWORD DDBD_32 = 0x00000100;

// The Direct3D interface of a DirectDraw object.
extern const IID IID_IDirect3D7;
// The kinds of drawing device: hardware rasterisation, and hardware
// rasterisation with hardware transform and lighting.
extern const IID IID_IDirect3DHALDevice;
extern const IID IID_IDirect3DTnLHalDevice;

// ---- Interfaces -------------------------------------------------------------------------------
struct IDirect3DDevice7;

// The Direct3D object, had from the DirectDraw object's QueryInterface; the
// runtime also keeps it to know that Direct3D is in use.
struct IDirect3D7 : public IUnknown {
 public:
  // Offers each kind of drawing device to `callback`.
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) = 0;
  // Makes a device of kind `device_kind` that draws into `surface`.
  virtual HRESULT CreateDevice(REFCLSID device_kind, IDirectDrawSurface7* surface,
                               IDirect3DDevice7** device) = 0;
  // Offers each depth-buffer layout a device of kind `device_kind` can use.
  virtual HRESULT EnumZBufferFormats(REFCLSID device_kind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                     LPVOID context) = 0;
};

// The drawing device.
struct IDirect3DDevice7 : public IUnknown {
 public:
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                       DWORD value) = 0;
  // Binds a texture surface to a stage (null: none).
  virtual HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) = 0;
  virtual HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) = 0;
  virtual HRESULT SetViewport(D3DVIEWPORT7* viewport) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  // Draws `count` vertices of format `fvf` from `vertices`.
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD count,
                                DWORD flags) = 0;
  // Draws the primitives that `index_count` 16-bit indices pick out of
  // `vertex_count` vertices of format `fvf`.
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices,
                                       DWORD vertex_count, WORD* indices, DWORD index_count,
                                       DWORD flags) = 0;
  // Offers every texture format the device can use to `callback`.
  virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) = 0;
  // Copies the rectangle `source_rect` (null: whole) of texture `source` to
  // `dest_point` (null: the origin) of texture `dest`.
  virtual HRESULT Load(IDirectDrawSurface7* dest, POINT* dest_point, IDirectDrawSurface7* source,
                       RECT* source_rect, DWORD flags) = 0;
};
