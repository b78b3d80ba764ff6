// Blend and texture-stage state: the draw settings and the kind of texture
// drawn become pending values of the device record; ApplyD3DBlendStates
// turns them into render states and a texture-stage program and sends what
// differs from the cache.
#include <cstring>

#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/draw_state.h"

float D3DBlendTextureWidth = 0.0f;
float D3DBlendTextureHeight = 0.0f;
float D3DBlendTextureInvWidth = 0.0f;
float D3DBlendTextureInvHeight = 0.0f;

const D3DBlendFactors D3DBlendFactorTable[10] = {
    {-1, -1},
    {static_cast<int32_t>(D3DBLEND_INVSRCALPHA), static_cast<int32_t>(D3DBLEND_SRCALPHA)},
    {static_cast<int32_t>(D3DBLEND_ONE), static_cast<int32_t>(D3DBLEND_SRCALPHA)},
    {static_cast<int32_t>(D3DBLEND_ZERO), static_cast<int32_t>(D3DBLEND_INVDESTCOLOR)},
    {static_cast<int32_t>(D3DBLEND_SRCCOLOR), static_cast<int32_t>(D3DBLEND_ZERO)},
    {static_cast<int32_t>(D3DBLEND_ONE), static_cast<int32_t>(D3DBLEND_SRCALPHA)},
    {-1, -1},
    {-1, -1},
    {static_cast<int32_t>(D3DBLEND_ONE), static_cast<int32_t>(D3DBLEND_ZERO)},
    {static_cast<int32_t>(D3DBLEND_ZERO), static_cast<int32_t>(D3DBLEND_INVDESTCOLOR)},
};

// ---- The stage programs ------------------------------------------------------------------

namespace {

constexpr int16_t kNone = -1;
constexpr int16_t kDiffuse = static_cast<int16_t>(D3DTA_DIFFUSE);
constexpr int16_t kCurrent = static_cast<int16_t>(D3DTA_CURRENT);
constexpr int16_t kTexture = static_cast<int16_t>(D3DTA_TEXTURE);
constexpr int16_t kFactor = static_cast<int16_t>(D3DTA_TFACTOR);
constexpr int16_t kSpecular = static_cast<int16_t>(D3DTA_SPECULAR);

// One operation with its arguments (an unused argument is -1).
struct Op {
  int16_t op;
  int16_t arg1;
  int16_t arg2;
};
constexpr Op Arg1(int16_t a) { return {static_cast<int16_t>(D3DTOP_SELECTARG1), a, kNone}; }
constexpr Op Arg2(int16_t a) { return {static_cast<int16_t>(D3DTOP_SELECTARG2), kNone, a}; }
constexpr Op Mod(int16_t a, int16_t b) { return {static_cast<int16_t>(D3DTOP_MODULATE), a, b}; }
constexpr Op Add(int16_t a, int16_t b) { return {static_cast<int16_t>(D3DTOP_ADD), a, b}; }

// A stage written as colour operation / alpha operation.
constexpr D3DStageEntry Stage(Op color, Op alpha) {
  return {alpha.arg1, alpha.arg2, alpha.op, color.arg1, color.arg2, color.op};
}
constexpr D3DStageEntry kDisable = {kNone, kNone, static_cast<int16_t>(D3DTOP_DISABLE),
                                    kNone, kNone, static_cast<int16_t>(D3DTOP_DISABLE)};

constexpr D3DStageProgram Program(D3DStageEntry a) { return {1, {a, kDisable, kDisable, kDisable}}; }
constexpr D3DStageProgram Program(D3DStageEntry a, D3DStageEntry b) {
  return {2, {a, b, kDisable, kDisable}};
}
constexpr D3DStageProgram Program(D3DStageEntry a, D3DStageEntry b, D3DStageEntry c) {
  return {3, {a, b, c, kDisable}};
}
constexpr D3DStageProgram Program(D3DStageEntry a, D3DStageEntry b, D3DStageEntry c,
                                  D3DStageEntry d) {
  return {4, {a, b, c, d}};
}

// The first stage of every blend-texture program: the blend texture's alpha
// lifted by the texture factor.
constexpr D3DStageEntry kBorder = Stage(Arg2(kDiffuse), Add(kTexture, kFactor));
// The second stage of the alpha-channel blend programs: the border scaled.
constexpr D3DStageEntry kScale = Stage(Arg1(kCurrent), Mod(kSpecular, kCurrent));

}  // namespace

const D3DStageProgram D3DUntexturedSubtractProgram = Program(Stage(Arg1(kDiffuse), Arg2(kDiffuse)));

const D3DStageProgram D3DStageProgramTable[24] = {
    // group 0: the texture as it is
    Program(Stage(Arg1(kTexture), Arg2(kDiffuse))),
    Program(Stage(Arg1(kTexture), Arg1(kTexture))),
    Program(Stage(Arg1(kTexture), Arg1(kTexture))),
    // group 1: alpha modulated
    Program(Stage(Arg1(kTexture), Arg2(kDiffuse))),
    Program(Stage(Arg1(kTexture), Mod(kTexture, kDiffuse))),
    Program(Stage(Arg1(kTexture), Mod(kTexture, kDiffuse))),
    // group 2: colour modulated
    Program(Stage(Mod(kTexture, kDiffuse), Arg2(kDiffuse))),
    Program(Stage(Mod(kTexture, kDiffuse), Arg1(kTexture))),
    Program(Stage(Mod(kTexture, kDiffuse), Arg1(kTexture))),
    // group 3: both modulated
    Program(Stage(Mod(kTexture, kDiffuse), Arg2(kDiffuse))),
    Program(Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kDiffuse))),
    Program(Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kDiffuse))),
    // group 4: blend texture
    Program(kBorder, Stage(Arg1(kTexture), Arg1(kCurrent))),
    Program(kBorder, kScale, Stage(Arg1(kTexture), Mod(kTexture, kCurrent))),
    Program(kBorder, Stage(Arg1(kTexture), Mod(kTexture, kCurrent))),
    // group 5: blend texture, alpha modulated
    Program(kBorder, Stage(Arg1(kTexture), Mod(kDiffuse, kCurrent))),
    Program(kBorder, kScale, Stage(Arg1(kTexture), Mod(kTexture, kCurrent)),
            Stage(Arg1(kCurrent), Mod(kDiffuse, kCurrent))),
    Program(kBorder, Stage(Arg1(kTexture), Mod(kTexture, kCurrent)),
            Stage(Arg1(kCurrent), Mod(kDiffuse, kCurrent))),
    // group 6: blend texture, colour modulated
    Program(kBorder, Stage(Mod(kTexture, kDiffuse), Arg1(kCurrent))),
    Program(kBorder, kScale, Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kCurrent))),
    Program(kBorder, Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kCurrent))),
    // group 7: blend texture, both modulated
    Program(kBorder, Stage(Mod(kTexture, kDiffuse), Mod(kDiffuse, kCurrent))),
    Program(kBorder, kScale, Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kCurrent)),
            Stage(Arg1(kCurrent), Mod(kDiffuse, kCurrent))),
    Program(kBorder, Stage(Mod(kTexture, kDiffuse), Mod(kTexture, kCurrent)),
            Stage(Arg1(kCurrent), Mod(kDiffuse, kCurrent))),
};

// ---- Diffuse colour and blend graphic ------------------------------------------------------

int UpdateD3DDiffuseColor() {
  uint32_t alpha = 255;
  if (BlendMode != 0 || DrawVertexAlphaFlag != 0) alpha = static_cast<uint32_t>(BlendParam) & 0xFF;
  D3DDiffuseColor = (alpha << 24) | (DrawBrightness & 0xFFFFFF);
  return 0;
}

int SetBlendGraphicD3D(int32_t graphic, int32_t param1, int32_t param2) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record == nullptr) return -1;
  if (graphic != -1) {
    const GraphicRecord* const blend = GetGraphicRecord(graphic);
    if (blend == nullptr || blend->surface_count < 1) return -1;
    const Surface3DData* const piece = GetSurface3DData(blend->surfaces[0]);
    const SurfaceDataRecord* const data =
        piece != nullptr ? GetSurfaceDataRecord(piece->texture) : nullptr;
    if (data == nullptr) return -1;
    SetD3DPendingBlendTexture(CurrentD3DDevice, data->surface, param1, param2);
    D3DBlendTextureWidth = static_cast<float>(data->width);
    D3DBlendTextureHeight = static_cast<float>(data->height);
    D3DBlendTextureInvWidth = 1.0f / D3DBlendTextureWidth;
    D3DBlendTextureInvHeight = 1.0f / D3DBlendTextureHeight;
    return 0;
  }
  if (record->pending_blend_texture != nullptr || record->force != 0) {
    FlushD3DVertexBatch(CurrentD3DDevice);
    record->pending_blend_texture = nullptr;
    if (param1 != -1) record->blend_texture_param1 = param1;
    if (param2 != -1) record->blend_texture_param2 = param2;
    record->blend_state_dirty = 1;
  }
  return 0;
}

// ---- Pending values ---------------------------------------------------------------------------

int SetD3DPendingTexture(int32_t device, IDirectDrawSurface7* texture) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->pending_texture == texture && record->force == 0) return 0;
  FlushD3DVertexBatch(device);
  // A texture appearing or going away changes the whole program.
  if ((record->pending_texture == nullptr) != (texture == nullptr)) record->blend_state_dirty = 1;
  record->pending_texture = texture;
  record->texture_state_dirty = 1;
  return 0;
}

int SetD3DPendingBlendTexture(int32_t device, IDirectDrawSurface7* texture, int32_t param1,
                              int32_t param2) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  const int32_t p1 = param1 == -1 ? record->blend_texture_param1 : param1;
  const int32_t p2 = param2 == -1 ? record->blend_texture_param2 : param2;
  if (record->pending_blend_texture == texture && record->blend_texture_param1 == p1 &&
      record->blend_texture_param2 == p2 && record->force == 0) {
    return 0;
  }
  FlushD3DVertexBatch(device);
  record->pending_blend_texture = texture;
  record->blend_texture_param1 = p1;
  record->blend_texture_param2 = p2;
  record->blend_state_dirty = 1;
  return 0;
}

// The common rule of the flag setters.
static int SetPendingValue(int32_t device, int32_t D3DDeviceRecord::*field, int32_t value) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->*field == value && record->force == 0) return 0;
  FlushD3DVertexBatch(device);
  record->*field = value;
  record->blend_state_dirty = 1;
  return 0;
}

int SetD3DPendingColorModulate(int32_t device, int32_t flag) {
  return SetPendingValue(device, &D3DDeviceRecord::pending_color_modulate, flag != 0 ? 1 : 0);
}

int SetD3DPendingVertexAlpha(int32_t device, int32_t flag) {
  return SetPendingValue(device, &D3DDeviceRecord::pending_alpha_modulate, flag != 0 ? 1 : 0);
}

int SetD3DPendingBlendMode(int32_t device, int32_t mode, int32_t alpha_test,
                           int32_t alpha_channel) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  alpha_test = alpha_test != 0 ? 1 : 0;
  alpha_channel = alpha_channel != 0 ? 1 : 0;
  if (record->pending_blend_mode == mode && record->pending_alpha_test == alpha_test &&
      record->pending_alpha_channel == alpha_channel && record->force == 0) {
    return 0;
  }
  FlushD3DVertexBatch(device);
  record->pending_blend_mode = mode;
  record->pending_alpha_test = alpha_test;
  record->pending_alpha_channel = alpha_channel;
  record->blend_state_dirty = 1;
  return 0;
}

// ---- Working out and sending the state ---------------------------------------------------------

namespace {

// What ApplyD3DBlendStates sends.
struct BlendPlan {
  D3DStageProgram program;
  IDirectDrawSurface7* textures[kD3DStageCount];
  int32_t alpha_test_enable;
  int32_t alpha_ref;
  int32_t alpha_func;
  int32_t alpha_blend_enable;
  uint32_t texture_factor;
  int32_t dest_blend;
  int32_t src_blend;
  int32_t vertex_kind;
};

// Sends a render state when it differs from the cache (or always when
// forced) and caches it.
void SendCached(D3DDeviceRecord* record, D3DRENDERSTATETYPE state, int32_t* cache,
                int32_t value) {
  if (*cache == value && record->force == 0) return;
  if (record->device != nullptr) record->device->SetRenderState(state, static_cast<DWORD>(value));
  *cache = value;
}

void SendStageValue(D3DDeviceRecord* record, int32_t stage, D3DTEXTURESTAGESTATETYPE state,
                    int16_t* cache, int16_t value) {
  if (value == -1) return;
  if (*cache == value && record->force == 0) return;
  if (record->device != nullptr) {
    record->device->SetTextureStageState(static_cast<DWORD>(stage), state,
                                         static_cast<DWORD>(value));
  }
  *cache = value;
}

// The stage that holds the drawing texture.
int32_t DrawingTextureStage(const D3DDeviceRecord* record) {
  if (record->pending_blend_texture == nullptr) return 0;
  return record->pending_alpha_channel != 0 ? 2 : 1;
}

void PlanBlendTexture(const D3DDeviceRecord* record, bool blending, BlendPlan* plan) {
  const int32_t group =
      4 + record->pending_color_modulate * 2 + record->pending_alpha_modulate;
  const int32_t kind = record->pending_alpha_channel != 0 ? 1
                       : record->pending_alpha_test != 0  ? 2
                                                           : 0;
  plan->program = D3DStageProgramTable[group * 3 + kind];
  plan->vertex_kind = 2;
  if (!blending) {
    plan->dest_blend = static_cast<int32_t>(D3DBLEND_INVSRCALPHA);
    plan->src_blend = static_cast<int32_t>(D3DBLEND_SRCALPHA);
  }
  plan->textures[0] = record->pending_blend_texture;
  plan->textures[DrawingTextureStage(record)] = record->pending_texture;

  const int32_t p = record->blend_texture_param1;
  const int32_t r = record->blend_texture_param2;
  if (r < 2) {
    // A hard border: the alpha test cuts at the parameter.
    plan->alpha_test_enable = 1;
    plan->alpha_ref =
        p == 0 && (record->pending_alpha_channel != 0 || record->pending_alpha_test != 0) ? 1 : p;
    plan->alpha_func = static_cast<int32_t>(D3DCMP_GREATEREQUAL);
    plan->alpha_blend_enable = 0;
    plan->texture_factor = 0x00FFFFFFu;
    return;
  }
  // A soft border of range r: the blend texture's alpha is shifted by the
  // texture factor and scaled by the second stage.
  plan->alpha_test_enable = 0;
  plan->alpha_blend_enable = 1;
  int32_t scale;
  int32_t top;
  int32_t divisor;
  int16_t scale_op;
  if (r < 65) {
    scale = 1280;
    top = 64;
    divisor = 1024;
    scale_op = static_cast<int16_t>(D3DTOP_MODULATE4X);
  } else if (r < 129) {
    scale = 768;
    top = 128;
    divisor = 512;
    scale_op = static_cast<int16_t>(D3DTOP_MODULATE2X);
  } else {
    scale = 512;
    top = 255;
    divisor = 256;
    scale_op = static_cast<int16_t>(D3DTOP_MODULATE);
  }
  plan->program.stages[1].alpha_op = scale_op;
  const int32_t t = p * scale / 255;
  uint32_t alpha;
  if (t <= 256) {
    plan->program.stages[0].alpha_op = static_cast<int16_t>(D3DTOP_ADD);
    alpha = static_cast<uint32_t>((256 - t) * top / 256);
  } else {
    plan->program.stages[0].alpha_op = static_cast<int16_t>(D3DTOP_SUBTRACT);
    alpha = static_cast<uint32_t>(255 - ((scale - t) * 255 / divisor));
  }
  plan->texture_factor = ((alpha & 0xFF) << 24) | 0x00FFFFFFu;
}

}  // namespace

int ApplyD3DBlendStates(int32_t device) {
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;
  if (record->blend_state_dirty == 0 && record->texture_state_dirty == 0 && record->force == 0) {
    return -1;
  }
  FlushD3DVertexBatch(device);

  // Only the texture changed: rebind it where the program reads it.
  if (record->blend_state_dirty == 0 && record->texture_state_dirty != 0 && record->force == 0) {
    const int32_t stage = DrawingTextureStage(record);
    if (record->device != nullptr) {
      record->device->SetTexture(static_cast<DWORD>(stage), record->pending_texture);
    }
    record->stages[stage].texture = record->pending_texture;
    record->texture_state_dirty = 0;
    return 0;
  }
  record->blend_state_dirty = 0;
  record->texture_state_dirty = 0;

  const int32_t mode = record->pending_blend_mode;
  BlendPlan plan{};
  if (mode >= 0 && mode < 10) {
    plan.dest_blend = D3DBlendFactorTable[mode].dest;
    plan.src_blend = D3DBlendFactorTable[mode].src;
  } else {
    plan.dest_blend = -1;
    plan.src_blend = -1;
  }
  const bool blending = mode != 0 && mode != 6;
  plan.alpha_ref = record->alpha_ref;
  plan.alpha_func = record->alpha_func;
  plan.texture_factor = 0xFFFFFFFFu;

  if (record->pending_texture == nullptr) {
    plan.vertex_kind = 0;
    record->suppress_draw = 0;
    if (mode == 3) {
      plan.program = D3DUntexturedSubtractProgram;
    } else {
      // The stage operations stay as the last textured draw left them.
      plan.program.stage_count = record->stage_count;
      for (int32_t i = 0; i < kD3DStageCount; ++i) {
        const D3DStageCache& cached = record->stages[i];
        plan.program.stages[i] = {cached.alpha_arg1, cached.alpha_arg2, cached.alpha_op,
                                  cached.color_arg1, cached.color_arg2, cached.color_op};
      }
    }
    plan.alpha_test_enable = 0;
    plan.texture_factor = record->texture_factor;
    plan.alpha_blend_enable = blending ? 1 : 0;
  } else if (record->pending_blend_texture == nullptr) {
    plan.vertex_kind = 1;
    record->suppress_draw = 0;
    const int32_t group = record->pending_color_modulate * 2 + record->pending_alpha_modulate;
    const int32_t kind = record->pending_alpha_channel != 0 ? 1
                         : record->pending_alpha_test != 0  ? 2
                                                             : 0;
    plan.program = D3DStageProgramTable[group * 3 + kind];
    plan.textures[0] = record->pending_texture;
    if (record->pending_alpha_test != 0) {
      plan.alpha_test_enable = 1;
      plan.alpha_ref = 16;
      plan.alpha_func = static_cast<int32_t>(D3DCMP_GREATER);
    } else {
      if (record->z_enable != 0) {
        // Fully transparent texels must not write z.
        plan.alpha_test_enable = 1;
        plan.alpha_ref = 0;
        plan.alpha_func = static_cast<int32_t>(D3DCMP_GREATER);
      } else {
        plan.alpha_test_enable = 0;
      }
      if (record->pending_alpha_channel != 0 && !blending) {
        plan.dest_blend = static_cast<int32_t>(D3DBLEND_INVSRCALPHA);
        plan.src_blend = static_cast<int32_t>(D3DBLEND_SRCALPHA);
      }
    }
    plan.alpha_blend_enable = record->pending_alpha_channel != 0 || blending ? 1 : 0;
  } else {
    record->suppress_draw = record->blend_texture_param1 == 255 ? 1 : 0;
    PlanBlendTexture(record, blending, &plan);
  }

  // The filter goes to every stage of a program of another length.
  if (plan.program.stage_count != record->stage_count) {
    record->stage_count = plan.program.stage_count;
    const int32_t force = record->force;
    record->force = 1;
    SetD3DTextureFilter(device, record->texture_filter);
    record->force = force;
  }

  SendCached(record, D3DRENDERSTATE_ALPHAFUNC, &record->alpha_func, plan.alpha_func);
  SendCached(record, D3DRENDERSTATE_ALPHAREF, &record->alpha_ref, plan.alpha_ref);
  SendCached(record, D3DRENDERSTATE_ALPHATESTENABLE, &record->alpha_test_enable,
             plan.alpha_test_enable);
  SendCached(record, D3DRENDERSTATE_ALPHABLENDENABLE, &record->alpha_blend_enable,
             plan.alpha_blend_enable);
  if (record->texture_factor != plan.texture_factor || record->force != 0) {
    if (record->device != nullptr) {
      record->device->SetRenderState(D3DRENDERSTATE_TEXTUREFACTOR, plan.texture_factor);
    }
    record->texture_factor = plan.texture_factor;
  }
  if (plan.src_blend != -1) {
    SendCached(record, D3DRENDERSTATE_SRCBLEND, &record->src_blend, plan.src_blend);
  }
  if (plan.dest_blend != -1) {
    SendCached(record, D3DRENDERSTATE_DESTBLEND, &record->dest_blend, plan.dest_blend);
  }

  const int32_t written =
      plan.program.stage_count + 1 < kD3DStageCount ? plan.program.stage_count + 1 : kD3DStageCount;
  for (int32_t stage = 0; stage < written; ++stage) {
    if (stage >= 2 && plan.program.stages[stage - 1].alpha_op == static_cast<int16_t>(D3DTOP_DISABLE)) {
      break;
    }
    D3DStageCache& cache = record->stages[stage];
    if (cache.texture != plan.textures[stage] || record->force != 0) {
      if (record->device != nullptr) {
        record->device->SetTexture(static_cast<DWORD>(stage), plan.textures[stage]);
      }
      cache.texture = plan.textures[stage];
    }
    const D3DStageEntry& entry = plan.program.stages[stage];
    SendStageValue(record, stage, D3DTSS_ALPHAARG1, &cache.alpha_arg1, entry.alpha_arg1);
    SendStageValue(record, stage, D3DTSS_ALPHAARG2, &cache.alpha_arg2, entry.alpha_arg2);
    SendStageValue(record, stage, D3DTSS_ALPHAOP, &cache.alpha_op, entry.alpha_op);
    SendStageValue(record, stage, D3DTSS_COLORARG1, &cache.color_arg1, entry.color_arg1);
    SendStageValue(record, stage, D3DTSS_COLORARG2, &cache.color_arg2, entry.color_arg2);
    SendStageValue(record, stage, D3DTSS_COLOROP, &cache.color_op, entry.color_op);
  }

  record->vertex_kind = plan.vertex_kind;
  record->write_position = record->buffers[plan.vertex_kind];
  record->vertex_count = 0;
  return 0;
}

int PrepareD3DDrawStates(const Surface3DData* piece, int32_t flags) {
  const int32_t device = CurrentD3DDevice;
  D3DDeviceRecord* const record = GetD3DDeviceRecord(device);
  if (record == nullptr) return -1;

  const SurfaceDataRecord* const data =
      piece != nullptr ? GetSurfaceDataRecord(piece->texture) : nullptr;
  IDirectDrawSurface7* const texture = data != nullptr ? data->surface : nullptr;

  int32_t alpha_channel = 0;
  int32_t alpha_test = 0;
  int32_t color_key = 0;
  if ((flags & kD3DDrawTransparent) != 0 && data != nullptr) {
    const SurfaceSettings& settings = data->settings;
    if (settings.AlphaChFlag == 0 && settings.AlphaTestFlag == 0) {
      // The texture's colour key makes the transparent colour vanish.
      color_key = 1;
    } else if ((BlendMode == 0 || BlendMode == 8) &&
               ((flags & kD3DDrawKeepAlphaKind) != 0 || DrawFilterMode != 1)) {
      alpha_channel = settings.AlphaChFlag;
      alpha_test = settings.AlphaTestFlag;
    } else {
      // A filtered or blended draw of an alpha-test texture blends its edges.
      alpha_channel = 1;
      alpha_test = 0;
    }
  }
  const int32_t color_modulate =
      (flags & kD3DDrawModulateColor) != 0 || (DrawBrightness & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
  const int32_t alpha_modulate =
      (flags & kD3DDrawModulateAlpha) != 0 || BlendMode != 0 || DrawVertexAlphaFlag != 0 ? 1 : 0;

  SetD3DTexturePerspective(device, (flags & kD3DDrawPerspective) != 0 ? 1 : 0);
  SetD3DPendingColorModulate(device, color_modulate);
  SetD3DPendingVertexAlpha(device, alpha_modulate);
  SetD3DPendingTexture(device, texture);
  SetD3DShadeMode(device, (flags & kD3DDrawGouraud) != 0 ? static_cast<int32_t>(D3DSHADE_GOURAUD)
                                                          : static_cast<int32_t>(D3DSHADE_FLAT));
  SetD3DCullMode(device, DrawCullFlag);
  SetD3DPendingBlendMode(device, BlendMode, alpha_test, alpha_channel);
  if (record->blend_state_dirty != 0 || record->texture_state_dirty != 0) {
    ApplyD3DBlendStates(device);
  }
  SetD3DColorKeyEnable(device, color_key);

  if ((flags & kD3DDrawUseZ) == 0) {
    if (record->z_enable != 0 || record->force != 0) {
      FlushD3DVertexBatch(device);
      if (record->device != nullptr) record->device->SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
      record->z_enable = 0;
    }
  } else {
    SetD3DZEnable(device, DrawZBufferFlag);
    SetD3DZWriteEnable(device, DrawZWriteFlag);
    SetD3DZFunc(device, DrawZFunction);
  }
  return 0;
}
