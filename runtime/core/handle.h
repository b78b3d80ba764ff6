// Handles and the registries behind them.
//
// Every runtime object that the game or the runtime keeps (graphics, sounds,
// music, fonts, movies, surfaces, textures, network connections) is named by
// a RuntimeHandle:
//   bit 31      always 0; a negative value is no handle (-1 is the failure
//               result of every maker)
//   bits 27-30  the HandleType
//   bits 16-26  the record's 11-bit check id
//   bits 0-15   the slot
// Each kind keeps its records in a HandleRegistry of fixed size. A handle is
// good only while its slot holds a record with the same check id, so a handle
// kept after its record was deleted fails once the slot is used again (unless
// 2048 records were made in between).
//
// The registries run under the library lock; nothing here locks.
#pragma once

#include <cstddef>
#include <cstdint>

using RuntimeHandle = int32_t;

enum class HandleType : int32_t {
  kGraphic = 1,
  kSound = 2,
  kMovie = 3,
  kFont = 4,
  kSurface2D = 5,
  kTexture = 6,  // 3D surface data (texture pieces)
  kSurfaceData = 7,
  kMask = 8,
  kNetWork = 9,
  kKeyInput = 10,
  kMusic = 11,
};

// Slots of each kind.
constexpr int32_t kGraphicSlotCount = 32768;
constexpr int32_t kSoundSlotCount = 4096;
constexpr int32_t kMovieSlotCount = 100;
constexpr int32_t kFontSlotCount = 40;
constexpr int32_t kSurface2DSlotCount = 32768;
constexpr int32_t kTextureSlotCount = 65536;
constexpr int32_t kSurfaceDataSlotCount = 65536;
constexpr int32_t kMaskSlotCount = 512;
constexpr int32_t kNetWorkSlotCount = 4097;
constexpr int32_t kKeyInputSlotCount = 20;
constexpr int32_t kMusicSlotCount = 256;

// Check ids run 0..kHandleCheckIdMax and then start again at 0.
constexpr int32_t kHandleCheckIdMax = 2047;

constexpr int32_t kHandleTypeMask = 0x78000000;
constexpr int32_t kHandleCheckMask = 0x07FF0000;
constexpr int32_t kHandleSlotMask = 0x0000FFFF;

constexpr int32_t HandleSlotCount(HandleType type) {
  switch (type) {
    case HandleType::kGraphic: return kGraphicSlotCount;
    case HandleType::kSound: return kSoundSlotCount;
    case HandleType::kMovie: return kMovieSlotCount;
    case HandleType::kFont: return kFontSlotCount;
    case HandleType::kSurface2D: return kSurface2DSlotCount;
    case HandleType::kTexture: return kTextureSlotCount;
    case HandleType::kSurfaceData: return kSurfaceDataSlotCount;
    case HandleType::kMask: return kMaskSlotCount;
    case HandleType::kNetWork: return kNetWorkSlotCount;
    case HandleType::kKeyInput: return kKeyInputSlotCount;
    case HandleType::kMusic: return kMusicSlotCount;
  }
  return 0;
}

// The type bits of a kind's handles (graphic: 0x08000000).
constexpr int32_t HandleTypeBits(HandleType type) {
  return static_cast<int32_t>(type) << 27;
}

// ((check id | (type << 11)) << 16) | slot.
constexpr RuntimeHandle MakeRuntimeHandle(int32_t check_id, HandleType type, int32_t slot) {
  return ((check_id | (static_cast<int32_t>(type) << 11)) << 16) | slot;
}

constexpr int32_t HandleSlot(RuntimeHandle handle) { return handle & kHandleSlotMask; }
constexpr int32_t HandleCheckId(RuntimeHandle handle) {
  return (handle & kHandleCheckMask) >> 16;
}

// The start of every record kept in a registry. A kind's record is a
// standard-layout struct whose first member is this head.
struct HandleRecordHead {
  int32_t check_id;      // always the first 32-bit word of a record
  RuntimeHandle handle;  // the record's own handle
  int32_t* lost_flag;    // the keeper's flag, set to 1 on delete; may be null
};

// Record pointers of one kind with the bookkeeping of adds and deletes.
struct HandleRegistry {
  HandleType type;
  int32_t slot_count;
  HandleRecordHead** records;  // slot_count pointers, null for an empty slot
  int32_t live_count;          // slots that hold a record
  // One past the highest slot that may be in use: new records go here while
  // it is below the slot count, and walks over a kind's records run from 0
  // up to it. Every slot at or above it is empty.
  int32_t area_end;
  int32_t check_counter;  // the check id of the next new record, 0..2047
};

// The registries of the kinds that keep record pointers. Masks and key
// inputs keep fixed arrays of their own and have none.
extern HandleRegistry GraphicTable;
extern HandleRegistry SoundHandleTable;
extern HandleRegistry MovieHandleTable;
extern HandleRegistry FontHandleTable;
extern HandleRegistry Surface2DTable;
extern HandleRegistry TextureHandleTable;
extern HandleRegistry SurfaceDataTable;
extern HandleRegistry NetWorkHandleTable;
extern HandleRegistry MusicHandleTable;

// How a kind's adder fails.
struct HandleKindPolicy {
  // true: a full registry or a failed record allocation ends the program
  // through FatalExit with the message; false: the message is logged and
  // the add gives -1.
  bool fatal;
  // Logged (or passed to FatalExit) when every slot holds a record. When
  // `full_message_takes_slot_count` is set it is a format with one %d, given
  // the registry's slot count, and goes through LogPrintf (which ends the
  // line); otherwise it goes through LogAdd as it stands.
  const char* full_message;
  bool full_message_takes_slot_count;
  // Logged (or passed to FatalExit) when the record cannot be allocated.
  const char* allocation_failed_message;
  // true: a new record takes the lowest empty slot even while the area end
  // is below the slot count.
  bool lowest_empty_slot;
};

extern const HandleKindPolicy kGraphicHandlePolicy;
extern const HandleKindPolicy kSoundHandlePolicy;
extern const HandleKindPolicy kFontHandlePolicy;

// The record of `handle`, or null when the handle is bad: negative, another
// kind's type bits, a slot not below the slot count, an empty slot, or a
// check id that differs from the record's.
HandleRecordHead* CheckRuntimeHandle(const HandleRegistry& registry, RuntimeHandle handle);

// Adds a record of `record_size` bytes (at least a HandleRecordHead),
// allocated cleared, and returns its handle with the record's head filled
// (check id, handle; lost flag null). `record` receives the record when not
// null.
//
// `slot` -1 lets the registry choose: the area end while it is below the slot
// count, else (or always, for a kind that takes the lowest empty slot) the
// lowest empty slot; a full registry fails by the policy. A slot of 0 or
// above is used as given; when it is out of range or holds a record the add
// gives -1 without a message.
// `check_id` -1 takes the check counter's value and moves the counter on; a
// check id of 0..2047 is used as given and leaves the counter alone (so a
// record made again keeps its handle value); anything else gives -1.
RuntimeHandle AddHandleRecord(HandleRegistry* registry, const HandleKindPolicy& policy,
                              size_t record_size, int32_t slot = -1, int32_t check_id = -1,
                              HandleRecordHead** record = nullptr);

// The add of kinds that may be given a handle to restore: when
// `restore_handle` is one of this registry's handles whose slot is empty, the
// record goes into that slot with that handle's check id (the counter is left
// alone), so the old handle value is good again; otherwise (-1, or its slot
// holds a record) a new slot is chosen. After the add an area end below the
// live count is raised to it.
RuntimeHandle AddRestoredHandleRecord(HandleRegistry* registry, const HandleKindPolicy& policy,
                                      size_t record_size, RuntimeHandle restore_handle,
                                      HandleRecordHead** record = nullptr);

// What a kind's release step asks of the delete that called it.
enum class HandleRelease {
  kFree,  // go on: the record is freed and its slot emptied
  kKeep,  // the record stays in its slot for now (the delete still gives 0)
};

// The common end of a delete, once the kind has released the record's
// resources: live count down, the area end moved down past empty slots when
// the record was the highest below it, the lost flag set to 1, the record
// freed and the slot emptied.
void FreeHandleRecord(HandleRegistry* registry, HandleRecordHead* record);

// Deletes the record of `handle`: -1 for a bad handle (nothing changes);
// otherwise `release(record)` frees what the kind hangs on the record and
// returns a HandleRelease, then the record is removed (FreeHandleRecord);
// 0. The release step may delete other records of the same registry.
template <typename Release>
int DeleteHandleRecord(HandleRegistry* registry, RuntimeHandle handle, Release&& release) {
  HandleRecordHead* const record = CheckRuntimeHandle(*registry, handle);
  if (record == nullptr) {
    return -1;
  }
  const int32_t slot = HandleSlot(handle);
  if (release(record) == HandleRelease::kKeep) {
    return 0;
  }
  // The release step may have deleted other records; this one is removed
  // only while its slot still holds it.
  if (registry->records[slot] == record) {
    FreeHandleRecord(registry, record);
  }
  return 0;
}

// Walks slots 0 to area end - 1 and, for each slot that holds a record,
// calls `delete_one(handle)` with the handle rebuilt from the record's check
// id, the kind and the slot. The area end is read again after each delete.
template <typename DeleteOne>
void DeleteAllHandleRecords(HandleRegistry* registry, DeleteOne&& delete_one) {
  for (int32_t slot = 0; slot < registry->area_end; ++slot) {
    const HandleRecordHead* const record = registry->records[slot];
    if (record != nullptr) {
      delete_one(MakeRuntimeHandle(record->check_id, registry->type, slot));
    }
  }
}
