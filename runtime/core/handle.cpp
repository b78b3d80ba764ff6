// Handles and registries: the handle check and the common add and delete
// that every kind's adder and delete are built on.
#include "runtime/core/handle.h"

#include <cassert>

#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"

static HandleRecordHead* g_graphic_records[kGraphicSlotCount];
static HandleRecordHead* g_sound_records[kSoundSlotCount];
static HandleRecordHead* g_movie_records[kMovieSlotCount];
static HandleRecordHead* g_font_records[kFontSlotCount];
static HandleRecordHead* g_surface_2d_records[kSurface2DSlotCount];
static HandleRecordHead* g_texture_records[kTextureSlotCount];
static HandleRecordHead* g_surface_data_records[kSurfaceDataSlotCount];
static HandleRecordHead* g_network_records[kNetWorkSlotCount];
static HandleRecordHead* g_music_records[kMusicSlotCount];

HandleRegistry GraphicTable = {HandleType::kGraphic, kGraphicSlotCount, g_graphic_records, 0, 0, 0};
HandleRegistry SoundHandleTable = {HandleType::kSound, kSoundSlotCount, g_sound_records, 0, 0, 0};
HandleRegistry MovieHandleTable = {HandleType::kMovie, kMovieSlotCount, g_movie_records, 0, 0, 0};
HandleRegistry FontHandleTable = {HandleType::kFont, kFontSlotCount, g_font_records, 0, 0, 0};
HandleRegistry Surface2DTable = {HandleType::kSurface2D, kSurface2DSlotCount,
                                 g_surface_2d_records, 0, 0, 0};
HandleRegistry TextureHandleTable = {HandleType::kTexture, kTextureSlotCount, g_texture_records,
                                     0, 0, 0};
HandleRegistry SurfaceDataTable = {HandleType::kSurfaceData, kSurfaceDataSlotCount,
                                   g_surface_data_records, 0, 0, 0};
HandleRegistry NetWorkHandleTable = {HandleType::kNetWork, kNetWorkSlotCount, g_network_records,
                                     0, 0, 0};
HandleRegistry MusicHandleTable = {HandleType::kMusic, kMusicSlotCount, g_music_records, 0, 0, 0};

// Running out of graphics ends the program.
const HandleKindPolicy kGraphicHandlePolicy = {
    true,
    "グラフィックの数が許容量を越えました終了します",
    false,
    "メモリの確保に失敗しました",
    false,
};

const HandleKindPolicy kSoundHandlePolicy = {
    false,
    "サウンドの数が許容量を越えました\n",
    false,
    "メモリ領域の確保に失敗しました in AddSoundData",
    false,
};

// A new font takes the first free slot of all 40.
const HandleKindPolicy kFontHandlePolicy = {
    false,
    "作成できるフォントハンドル数 %d の限界を超えました",
    true,
    "フォント管理用メモリ領域の確保に失敗しました\n",
    true,
};

HandleRecordHead* CheckRuntimeHandle(const HandleRegistry& registry, RuntimeHandle handle) {
  if (handle < 0 || (handle & kHandleTypeMask) != HandleTypeBits(registry.type)) {
    return nullptr;
  }
  const int32_t slot = HandleSlot(handle);
  if (slot >= registry.slot_count) {
    return nullptr;
  }
  HandleRecordHead* const record = registry.records[slot];
  if (record == nullptr || (record->check_id << 16) != (handle & kHandleCheckMask)) {
    return nullptr;
  }
  return record;
}

// A failed add: the program ends (fatal kinds), or the message is logged and
// the add gives -1.
static RuntimeHandle FailAdd(const HandleKindPolicy& policy, const char* message,
                             bool takes_slot_count, int32_t slot_count) {
  if (policy.fatal) {
    FatalExit(message);
  }
  if (takes_slot_count) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    return LogPrintf(message, slot_count);
#pragma GCC diagnostic pop
  }
  return LogAdd(message);
}

static int32_t LowestEmptySlot(const HandleRegistry& registry) {
  for (int32_t slot = 0; slot < registry.slot_count; ++slot) {
    if (registry.records[slot] == nullptr) {
      return slot;
    }
  }
  return -1;
}

RuntimeHandle AddHandleRecord(HandleRegistry* registry, const HandleKindPolicy& policy,
                              size_t record_size, int32_t slot, int32_t check_id,
                              HandleRecordHead** record) {
  assert(record_size >= sizeof(HandleRecordHead));
  // A check id outside its 11 bits would spill into the type bits.
  if (check_id != -1 && (check_id < 0 || check_id > kHandleCheckIdMax)) {
    return -1;
  }
  if (slot != -1) {
    if (slot < 0 || slot >= registry->slot_count || registry->records[slot] != nullptr) {
      return -1;
    }
  } else {
    if (registry->live_count >= registry->slot_count) {
      return FailAdd(policy, policy.full_message, policy.full_message_takes_slot_count,
                     registry->slot_count);
    }
    if (!policy.lowest_empty_slot && registry->area_end < registry->slot_count) {
      slot = registry->area_end;
    } else {
      slot = LowestEmptySlot(*registry);
      if (slot < 0) {
        return FailAdd(policy, policy.full_message, policy.full_message_takes_slot_count,
                       registry->slot_count);
      }
    }
  }

  auto* const added =
      static_cast<HandleRecordHead*>(AllocTrackedCleared(record_size, "", 0));
  if (added == nullptr) {
    return FailAdd(policy, policy.allocation_failed_message, false, registry->slot_count);
  }
  registry->records[slot] = added;

  if (check_id == -1) {
    check_id = registry->check_counter;
    registry->check_counter = check_id >= kHandleCheckIdMax ? 0 : check_id + 1;
  }
  added->check_id = check_id;
  added->handle = MakeRuntimeHandle(check_id, registry->type, slot);

  registry->live_count += 1;
  // A slot given by the caller may lie above the area end; the area end then
  // moves past it, so that walks over the kind's records find it and a later
  // add at the area end never lands on a slot in use.
  if (slot >= registry->area_end) {
    registry->area_end = slot + 1;
  }
  if (record != nullptr) {
    *record = added;
  }
  return added->handle;
}

RuntimeHandle AddRestoredHandleRecord(HandleRegistry* registry, const HandleKindPolicy& policy,
                                      size_t record_size, RuntimeHandle restore_handle,
                                      HandleRecordHead** record) {
  int32_t slot = -1;
  int32_t check_id = -1;
  // Only a handle of this kind whose slot lies in the registry and is empty
  // can be restored; any other value asks for a new slot.
  if (restore_handle >= 0 &&
      (restore_handle & kHandleTypeMask) == HandleTypeBits(registry->type) &&
      HandleSlot(restore_handle) < registry->slot_count &&
      registry->records[HandleSlot(restore_handle)] == nullptr) {
    slot = HandleSlot(restore_handle);
    check_id = HandleCheckId(restore_handle);
  }
  const RuntimeHandle handle =
      AddHandleRecord(registry, policy, record_size, slot, check_id, record);
  // The restoring kind's own rule. Adds already move the area end past the
  // slot they use, so it is never below the live count here; the raise stays
  // as the guarantee the kind relies on.
  if (handle != -1 && registry->area_end < registry->live_count) {
    registry->area_end = registry->live_count;
  }
  return handle;
}

void FreeHandleRecord(HandleRegistry* registry, HandleRecordHead* record) {
  const int32_t slot = HandleSlot(record->handle);
  assert(slot < registry->slot_count && registry->records[slot] == record);

  registry->live_count -= 1;
  if (slot == registry->area_end - 1) {
    int32_t end = slot;
    while (end > 0 && registry->records[end - 1] == nullptr) {
      --end;
    }
    registry->area_end = end;
  }
  if (record->lost_flag != nullptr) {
    *record->lost_flag = 1;
  }
  FreeTracked(record);
  registry->records[slot] = nullptr;
}
