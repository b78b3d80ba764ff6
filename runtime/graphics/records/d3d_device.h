// The Direct3D device layer: the device records with their vertex batch and
// the caches of every render state, texture-stage state, render target and
// viewport the runtime sets (a value equal to the cached one sends nothing),
// and the blend and texture-stage programs worked out from the draw settings.
//
// Every operation on a device returns -1 while Direct3D is not in use
// (Direct3DObject null) or when the device record is not in use. The other
// drawing paths call FlushCurrentD3DBatch and EndCurrentD3DScene before they
// touch the screen, so Direct3D output and theirs land in drawing order.
#pragma once

#include <cstdint>

#include "platform/win32/d3d.h"
#include "platform/win32/types.h"

struct Surface3DData;

// ---- Vertices ----------------------------------------------------------------------
// Positions are pre-transformed screen coordinates; z and rhw are written
// once when the device is made (0 and 1.0) and drawing fills the rest.
struct D3DVertexPlain {  // kind 0: untextured
  float x, y, z, rhw;
  uint32_t color;
};
struct D3DVertexTextured {  // kind 1: one texture
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
struct D3DVertexBlended {  // kind 2: the drawing texture and the blend texture
  float x, y, z, rhw;
  uint32_t color;
  uint32_t specular;
  float u, v;    // coordinates in the first stage's texture
  float u2, v2;  // coordinates in the second
};
static_assert(sizeof(D3DVertexPlain) == 20);
static_assert(sizeof(D3DVertexTextured) == 28);
static_assert(sizeof(D3DVertexBlended) == 40);

constexpr int32_t kD3DVertexKindCount = 3;

struct D3DVertexFormat {
  DWORD fvf;
  int32_t bytes;
  int32_t capacity;  // vertices that fit the kind's buffer (about 64 KB)
};
extern const D3DVertexFormat D3DVertexFormatTable[kD3DVertexKindCount];
extern const int32_t D3DVertexCapacityTable[kD3DVertexKindCount];

// ---- Device records --------------------------------------------------------------------
constexpr int32_t kD3DDeviceCount = 4;
constexpr int32_t kD3DStageCount = 4;

// One texture stage as last sent.
struct D3DStageCache {
  IDirectDrawSurface7* texture;
  int16_t alpha_arg1;
  int16_t alpha_arg2;
  int16_t alpha_op;
  int16_t color_arg1;
  int16_t color_arg2;
  int16_t color_op;
};

struct D3DDeviceRecord {
  int32_t in_use;
  IDirect3DDevice7* device;
  IDirectDrawSurface7* creation_surface;  // the surface the device was made on
  IDirectDrawSurface7* render_target;     // null: none set

  // What the next primitives need (the input of the blend programs).
  IDirectDrawSurface7* pending_texture;
  IDirectDrawSurface7* pending_blend_texture;  // null: none
  int32_t pending_color_modulate;
  int32_t pending_alpha_modulate;
  int32_t pending_blend_mode;
  int32_t blend_texture_param1;  // -1 at creation
  int32_t blend_texture_param2;
  int32_t pending_alpha_channel;
  int32_t pending_alpha_test;
  int32_t blend_state_dirty;
  int32_t texture_state_dirty;
  // 1 while the blend texture's border parameter is 255: the batch is then
  // emptied without being drawn.
  int32_t suppress_draw;
  // While set, every cached setter sends its value even when unchanged.
  int32_t force;

  // Blend states as last sent.
  int32_t alpha_test_enable;
  int32_t alpha_ref;
  int32_t alpha_func;
  int32_t alpha_blend_enable;
  uint32_t texture_factor;
  int32_t src_blend;
  int32_t dest_blend;

  // Stages of the current stage program (its real stages; one more, with
  // DISABLE, ends it) and the cache of the four stages.
  int32_t stage_count;
  D3DStageCache stages[kD3DStageCount];

  int32_t in_scene;
  int32_t texture_filter;  // 0 point, 1 linear

  // Render states as last sent.
  int32_t z_enable;
  int32_t z_write_enable;
  int32_t z_func;
  int32_t shade_mode;  // D3DSHADE_*
  int32_t cull_mode;   // 0 none, 1 counter-clockwise
  int32_t texture_address;
  int32_t texture_perspective;
  int32_t lighting;
  int32_t color_key_enable;

  // The vertex batch: primitives drawn with one identical state.
  uint8_t* write_position;
  int32_t vertex_count;
  int32_t vertex_kind;  // 0, 1 or 2
  D3DPRIMITIVETYPE primitive_type;

  // The viewport as last set.
  int32_t viewport_x;
  int32_t viewport_y;
  int32_t viewport_width;
  int32_t viewport_height;
  float viewport_min_z;
  float viewport_max_z;

  // The three vertex buffers, never reallocated.
  D3DVertexPlain buffer0[3225];
  D3DVertexTextured buffer1[2340];
  D3DVertexBlended buffer2[1638];
  uint8_t* buffers[kD3DVertexKindCount];
};

extern D3DDeviceRecord D3DDeviceTable[kD3DDeviceCount];
// The device that draws (its low 16 bits index the table).
extern int32_t CurrentD3DDevice;
// The Direct3D object; null while Direct3D is not in use.
extern IDirect3D7* Direct3DObject;
// 1 while the draw target is a graphic Direct3D cannot render into: drawing,
// viewport and capture operations then return 0 at once.
extern int32_t D3DTargetUnusable;
// 1 while the render target is the front screen: drawing ends the scene after
// queueing, so the output shows at once.
extern int32_t D3DDrawToFront;
// The vertex colour of all textured drawing, 0xAARRGGBB.
extern uint32_t D3DDiffuseColor;

// The description of the chosen device and the texture size limits, kept by
// Direct3D start.
extern D3DDEVICEDESC7 D3DDeviceDescription;

// ---- Draw settings the device layer reads -----------------------------------------------
// Nothing in this system changes these from their start values.
extern int32_t DrawZBufferFlag;       // 1: draw with the z-buffer settings below
extern int32_t DrawZWriteFlag;        // z write enable when drawing with z; 0
extern int32_t DrawZFunction;         // z compare function when drawing with z; LESSEQUAL
extern float DrawZValue;              // z of every vertex; 0.0
extern int32_t DrawCullFlag;          // 1: cull counter-clockwise triangles; 0
extern int32_t DrawVertexAlphaFlag;   // 1: vertex alpha without a blend mode; 0

// The record of `device` when Direct3D is in use and the record is, else null.
D3DDeviceRecord* GetD3DDeviceRecord(int32_t device);

// Clears a record and gives it the values a new device starts with: the
// vertex buffers (z 0, rhw 1.0, specular 0xffffffff), the cached states of a
// freshly set-up device, `device` made on `surface`, in use. Device creation
// sends the matching states and then calls RestoreD3DDeviceStates.
void InitD3DDeviceRecord(D3DDeviceRecord* record, IDirect3DDevice7* device,
                         IDirectDrawSurface7* surface);

// ---- Cached setters ---------------------------------------------------------------------
// Each returns 0 (also when nothing was sent) or -1. A value equal to the
// cached one sends nothing unless the force flag is set; otherwise the batch
// is drawn first, the value sent and cached (also when the call fails).
int SetD3DTexturePerspective(int32_t device, int32_t flag);  // no flush; -1 when the call fails
int SetD3DColorKeyEnable(int32_t device, int32_t flag);
int SetD3DZEnable(int32_t device, int32_t flag);
int SetD3DZWriteEnable(int32_t device, int32_t flag);
int SetD3DZFunc(int32_t device, int32_t function);
int SetD3DShadeMode(int32_t device, int32_t mode);  // -1 when the call fails
int SetD3DCullMode(int32_t device, int32_t flag);
// 0 point, 1 linear on every stage of the current program; another value: -1.
int SetD3DTextureFilter(int32_t device, int32_t mode);
// Null: back to the surface the device was made on, when a target was set.
int SetD3DRenderTarget(int32_t device, IDirectDrawSurface7* surface);
// Compared on x, y, width and height; the scene ends first. A refused
// viewport is logged, keeps the old values and gives -1.
int SetD3DViewport(int32_t device, int32_t x, int32_t y, int32_t width, int32_t height,
                   float min_z, float max_z);

// ---- Batch and scenes ----------------------------------------------------------------------
// Draws the batch (unless it is empty, the window was closed or drawing is
// suppressed) and empties it. 0.
int FlushD3DVertexBatch(int32_t device);
int FlushCurrentD3DBatch();
// Makes room for `count` vertices of the current kind for a primitive of
// `type` (drawing the batch first when its type differs or it is too full),
// and returns where to write them; they count as queued. Null for a count
// larger than the buffer.
void* QueueD3DVertices(D3DDeviceRecord* record, D3DPRIMITIVETYPE type, int32_t count);
// Opens the scene of the current device unless one is open. 0.
int BeginD3DScene();
// Draws the batch and closes the scene when one is open. 0.
int EndD3DScene(int32_t device);
int EndCurrentD3DScene();

// ---- Transforms, viewport, render target ---------------------------------------------------
int SetD3DWorldMatrix(const D3DMATRIX* matrix);
int SetD3DViewMatrix(const D3DMATRIX* matrix);
int SetD3DProjectionMatrix(const D3DMATRIX* matrix);
// The viewport from a rectangle of the draw screen (moved by DrawTargetRect).
// 0 while the target is unusable; -1 for an empty rectangle.
int SetD3DViewportRect(const RECT* rect);
// Points the device at the mask's screen surface (flag 1) or back at the
// draw screen (flag 0), with the viewport of DrawArea.
int SetD3DDrawArea(int32_t mask_flag);
// Hands the texture filter to the current device. 0, -1 without Direct3D.
int SetTextureFilterCurrent(int32_t mode);
// The device interface of the current device, or null.
IDirect3DDevice7* GetCurrentD3DDeviceObject();
// Sends the states a device loses without comparing. 0.
int ResetD3DDeviceStates(int32_t device);
// Sends every cached state again (after creation, or when the cache can no
// longer be trusted). 0.
int RestoreD3DDeviceStates(int32_t device);
// Gives `to` the pending blend state, filter and texture of `from` and
// applies them. 0.
int ApplyD3DStatesToDevice(int32_t from, int32_t to);
// Makes draw target `target` (-4 front, -2 back, a graphic) the render
// target; `old_target` is the target before. 0, or -1 for a graphic Direct3D
// cannot render into (D3DTargetUnusable is then set) or a texture graphic
// that is not a draw target. 0 without Direct3D.
int SetDrawScreenD3D(int32_t target, int32_t old_target);

// ---- Blend and texture-stage state ------------------------------------------------------------
// PrepareD3DDrawStates flags.
constexpr int32_t kD3DDrawTransparent = 1;
constexpr int32_t kD3DDrawKeepAlphaKind = 2;  // unscaled draws at integer positions
constexpr int32_t kD3DDrawUseZ = 4;
constexpr int32_t kD3DDrawGouraud = 8;
constexpr int32_t kD3DDrawPerspective = 16;
constexpr int32_t kD3DDrawModulateColor = 32;
constexpr int32_t kD3DDrawModulateAlpha = 64;

// Works out what the next primitives of the current device need from the
// draw settings, the piece (null: untextured) and `flags`, and sends what
// changed. 0, -1 without Direct3D.
int PrepareD3DDrawStates(const Surface3DData* piece, int32_t flags);
// The pending setters: a value equal to the pending one does nothing (unless
// forced); otherwise the batch is drawn and the blend state marked dirty.
int SetD3DPendingTexture(int32_t device, IDirectDrawSurface7* texture);
// A param1 of -1 (0xffffffff) or param2 of -1 keeps the stored parameter.
int SetD3DPendingBlendTexture(int32_t device, IDirectDrawSurface7* texture, int32_t param1,
                              int32_t param2);
int SetD3DPendingColorModulate(int32_t device, int32_t flag);
int SetD3DPendingVertexAlpha(int32_t device, int32_t flag);
int SetD3DPendingBlendMode(int32_t device, int32_t mode, int32_t alpha_test,
                           int32_t alpha_channel);
// Works out and sends the blend states, the stage program and the stage
// textures of the pending values. 0; -1 without Direct3D or record, or when
// nothing is dirty and the force flag is clear.
int ApplyD3DBlendStates(int32_t device);

// The blend graphic's texture size and its reciprocals, for the second
// texture coordinates.
extern float D3DBlendTextureWidth;
extern float D3DBlendTextureHeight;
extern float D3DBlendTextureInvWidth;
extern float D3DBlendTextureInvHeight;

// Makes a graphic's first piece the blend texture (-1: none) with its border
// parameter and range. 0, or -1 (no Direct3D, a bad graphic or piece).
int SetBlendGraphicD3D(int32_t graphic, int32_t param1, int32_t param2);
// Rebuilds D3DDiffuseColor from BlendMode, BlendParam and DrawBrightness. 0.
int UpdateD3DDiffuseColor();

// ---- The stage programs (exposed for tests) ------------------------------------------------------
struct D3DStageEntry {
  int16_t alpha_arg1;
  int16_t alpha_arg2;
  int16_t alpha_op;
  int16_t color_arg1;
  int16_t color_arg2;
  int16_t color_op;  // -1 in any field: keep the value last sent
};
struct D3DStageProgram {
  int32_t stage_count;
  D3DStageEntry stages[kD3DStageCount];
};
// Group (blend texture x 4 + colour modulate x 2 + alpha modulate) x 3 +
// kind (0 plain, 1 alpha channel, 2 alpha test).
extern const D3DStageProgram D3DStageProgramTable[24];
// Blend mode 3 without texture.
extern const D3DStageProgram D3DUntexturedSubtractProgram;
// Destination and source factors by blend mode (-1: keep the factor sent).
struct D3DBlendFactors {
  int32_t dest;
  int32_t src;
};
extern const D3DBlendFactors D3DBlendFactorTable[10];
