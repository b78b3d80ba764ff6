#include "platform/win32/folder_listings.h"

#include <map>
#include <mutex>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/host/cp932.h"
#include "platform/win32/file_names.h"

namespace {

// A folder that changed less than this before it was read is kept nothing
// of. Ticks are a few milliseconds where times have fractions of a second; a
// file system without them may count in whole seconds or two.
constexpr int64_t kSettledNanoseconds = 20'000'000;
constexpr int64_t kSettledNanosecondsWholeSeconds = 2'000'000'000;
// At most this many folders are kept anything of; beyond, all are dropped.
constexpr size_t kMaxKeptFolders = 256;

using FolderId = std::pair<uint64_t, uint64_t>;  // device, inode

// What is kept of one folder as it was at one modification time.
struct KeptFolder {
  int64_t write_seconds = 0;
  uint32_t write_nanoseconds = 0;
  bool watched = false;  // under a watch since before it was read
  bool listed = false;
  std::unordered_set<std::string> names;  // UTF-8
  // Folded Shift-JIS name -> the first UTF-8 name in byte order of that form.
  std::unordered_map<std::string, std::string> first_by_folded;
  // Folders opened inside it, by UTF-8 name.
  std::unordered_map<std::string, std::shared_ptr<SharedFolder>> inside;
};

struct KeptFolders {
  std::mutex mutex;
  std::map<FolderId, KeptFolder> folders;
  // The watched folders, by watch and by identity.
  std::unordered_map<int, FolderId> folder_of_watch;
  std::map<FolderId, int> watch_of_folder;
  // Changes taken from the watches (and the stand-ins' own) so far: what is
  // read of a folder may be kept only while this stays as it was before the
  // reading began.
  uint64_t changes = 0;
};

KeptFolders& Kept() {
  static auto* kept = new KeptFolders;  // never destroyed: used up to exit
  return *kept;
}

FolderId IdOf(const PosixEntryInfo& info) { return {info.device, info.inode}; }

bool SameTime(const KeptFolder& kept, const PosixEntryInfo& info) {
  return kept.write_seconds == info.write_seconds &&
         kept.write_nanoseconds == info.write_nanoseconds;
}

// Whether the folder last changed long enough before now.
bool Settled(const PosixEntryInfo& folder_info) {
  int64_t seconds = 0;
  uint32_t nanoseconds = 0;
  PosixNow(&seconds, &nanoseconds);
  const __int128 now = static_cast<__int128>(seconds) * 1'000'000'000 + nanoseconds;
  const __int128 changed = static_cast<__int128>(folder_info.write_seconds) * 1'000'000'000 +
                           folder_info.write_nanoseconds;
  const int64_t margin = folder_info.write_nanoseconds == 0 ? kSettledNanosecondsWholeSeconds
                                                            : kSettledNanoseconds;
  return changed + margin < now;
}

// The kept record of the folder as `info` describes it now, or null (a record
// of an earlier modification time is dropped). With the lock held.
KeptFolder* CurrentLocked(KeptFolders& kept, const PosixEntryInfo& info) {
  const auto found = kept.folders.find(IdOf(info));
  if (found == kept.folders.end()) return nullptr;
  if (!SameTime(found->second, info)) {
    kept.folders.erase(found);
    return nullptr;
  }
  return &found->second;
}

// The record to fill for the folder as `seen` describes it now, made when
// there is none; null when a watch saw a change since `seen` was read. With
// the lock held.
KeptFolder* RecordLocked(KeptFolders& kept, const FolderSeen& seen) {
  if (seen.changes != kept.changes) return nullptr;
  if (KeptFolder* current = CurrentLocked(kept, seen.info)) return current;
  if (kept.folders.size() >= kMaxKeptFolders) {
    kept.folders.clear();
    // The watches go with them, so that they stay as few.
    PosixStopWatchingFolders();
    kept.folder_of_watch.clear();
    kept.watch_of_folder.clear();
    ++kept.changes;
    return nullptr;
  }
  KeptFolder& record = kept.folders[IdOf(seen.info)];
  record.write_seconds = seen.info.write_seconds;
  record.write_nanoseconds = seen.info.write_nanoseconds;
  record.watched = seen.watched;
  return &record;
}

void FillListing(std::vector<std::string> names, KeptFolder* folder) {
  folder->listed = true;
  for (std::string& name : names) {
    // An ASCII name is its own Shift-JIS form. Others are compared as the
    // caller would see them, except one whose Shift-JIS form came out ASCII
    // (characters the code page lacks), which no wanted name can mean.
    const bool ascii = IsAscii(name);
    const std::string cp932 = ascii ? name : Utf8ToCp932(name);
    if (ascii == IsAscii(cp932)) {
      auto [it, added] = folder->first_by_folded.try_emplace(FoldedName(cp932), name);
      if (!added && name < it->second) it->second = name;
    }
    folder->names.insert(std::move(name));
  }
}

void Match(const KeptFolder& folder, const std::string& wanted, const std::string& wanted_utf8,
           ListedName* match) {
  match->exact = folder.names.count(wanted_utf8) != 0;
  const auto found = folder.first_by_folded.find(FoldedName(wanted));
  match->first_equal = found == folder.first_by_folded.end() ? std::string() : found->second;
}

}  // namespace

void TakeFolderChanges() {
  PosixFolderChanges changes;
  PosixReadFolderChanges(&changes);
  if (changes.changed.empty() && changes.ended.empty() && !changes.lost) return;
  KeptFolders& kept = Kept();
  std::lock_guard<std::mutex> lock(kept.mutex);
  ++kept.changes;
  if (changes.lost) {
    // Which folders changed, or were removed (their identities free for new
    // folders), is not known: everything goes, the watches too.
    kept.folders.clear();
    PosixStopWatchingFolders();
    kept.folder_of_watch.clear();
    kept.watch_of_folder.clear();
    return;
  }
  for (const int watch : changes.changed) {
    const auto found = kept.folder_of_watch.find(watch);
    if (found != kept.folder_of_watch.end()) kept.folders.erase(found->second);
  }
  for (const int watch : changes.ended) {
    const auto found = kept.folder_of_watch.find(watch);
    if (found == kept.folder_of_watch.end()) continue;
    kept.folders.erase(found->second);
    kept.watch_of_folder.erase(found->second);
    kept.folder_of_watch.erase(found);
  }
}

bool SeeFolder(int folder, const SharedFolder* shared, bool* changes_taken, FolderSeen* seen) {
  if (!*changes_taken) {
    TakeFolderChanges();
    *changes_taken = true;
  }
  KeptFolders& kept = Kept();
  FolderId id;
  bool identified = false;
  bool read = false;  // seen->info is read already
  if (shared != nullptr) {
    identified = shared->Identity(&id);
  } else if (folder == PosixCurrentFolder()) {
    // Anyone may have changed the current folder since the last look-up:
    // which folder it is now is read at each walk that starts there.
    if (!PosixCurrentFolderInfo(&seen->info)) return false;
    read = identified = true;
    id = IdOf(seen->info);
  }
  {
    std::lock_guard<std::mutex> lock(kept.mutex);
    seen->changes = kept.changes;
    if (identified) {
      const auto found = kept.folders.find(id);
      if (found != kept.folders.end() && found->second.watched) {
        seen->info = PosixEntryInfo();
        seen->info.directory = true;
        seen->info.device = id.first;
        seen->info.inode = id.second;
        seen->info.write_seconds = found->second.write_seconds;
        seen->info.write_nanoseconds = found->second.write_nanoseconds;
        seen->watched = true;
        return true;
      }
    }
  }
  seen->watched = false;
  if (!read && !PosixInfoOf(folder, &seen->info)) return false;
  if (shared != nullptr) shared->SetIdentity(seen->info);
  if (!Settled(seen->info)) return true;
  // Watched from now on, before anything is read there.
  std::lock_guard<std::mutex> lock(kept.mutex);
  if (kept.watch_of_folder.count(IdOf(seen->info)) == 0) {
    const int watch = PosixWatchFolder(folder);
    if (watch >= 0) {
      // A watch number the kernel gives again is the same folder's.
      kept.folder_of_watch[watch] = IdOf(seen->info);
      kept.watch_of_folder[IdOf(seen->info)] = watch;
    }
  }
  seen->watched = kept.watch_of_folder.count(IdOf(seen->info)) != 0;
  return true;
}

bool MatchKeptListing(const FolderSeen& seen, const std::string& wanted,
                      const std::string& wanted_utf8, ListedName* match) {
  KeptFolders& kept = Kept();
  std::lock_guard<std::mutex> lock(kept.mutex);
  const KeptFolder* folder = CurrentLocked(kept, seen.info);
  if (folder == nullptr || !folder->listed) return false;
  Match(*folder, wanted, wanted_utf8, match);
  return true;
}

bool MatchNewListing(int folder, const FolderSeen* seen, const std::string& wanted,
                     const std::string& wanted_utf8, ListedName* match) {
  // Whether the listing may be kept is settled before the folder is read.
  const bool keep = seen != nullptr && Settled(seen->info);
  std::vector<std::string> names;
  if (!PosixListFolder(folder, &names)) return false;
  KeptFolder listing;
  FillListing(std::move(names), &listing);
  Match(listing, wanted, wanted_utf8, match);
  if (keep) {
    KeptFolders& kept = Kept();
    std::lock_guard<std::mutex> lock(kept.mutex);
    if (KeptFolder* record = RecordLocked(kept, *seen)) {
      record->listed = true;
      record->names = std::move(listing.names);
      record->first_by_folded = std::move(listing.first_by_folded);
    }
  }
  return true;
}

std::shared_ptr<SharedFolder> KeptFolderInside(const FolderSeen& seen, const std::string& name) {
  KeptFolders& kept = Kept();
  std::lock_guard<std::mutex> lock(kept.mutex);
  const KeptFolder* folder = CurrentLocked(kept, seen.info);
  if (folder == nullptr) return nullptr;
  const auto found = folder->inside.find(name);
  return found == folder->inside.end() ? nullptr : found->second;
}

std::shared_ptr<SharedFolder> KeepFolderInside(const FolderSeen& seen, const std::string& name,
                                               int descriptor) {
  auto shared = std::make_shared<SharedFolder>(descriptor);
  if (Settled(seen.info)) {
    KeptFolders& kept = Kept();
    std::lock_guard<std::mutex> lock(kept.mutex);
    if (KeptFolder* record = RecordLocked(kept, seen)) record->inside[name] = shared;
  }
  return shared;
}

// ---- The folders above the current folder ------------------------------------

// A folder's identity and its creation: a folder removed and another made
// may get the same identity.
struct FolderBirth {
  FolderId id;
  int64_t seconds = 0;
  uint32_t nanoseconds = 0;
  bool operator==(const FolderBirth&) const = default;
};

FolderBirth BirthOf(const PosixEntryInfo& info) {
  return {IdOf(info), info.creation_seconds, info.creation_nanoseconds};
}

class FoldersAbove {
 public:
  std::mutex mutex;
  FolderBirth current_birth;  // the current folder, as taken
  FolderId current;           // the current folder
  std::set<FolderId> above;   // the folders strictly above it
  std::string current_path;
  std::unordered_map<std::string, FolderOnWay> on_way;  // by the walk's key
  std::map<FolderId, KeptFolder> listings;              // of folders above
};

namespace {

struct CurrentFoldersAbove {
  std::mutex mutex;
  std::shared_ptr<FoldersAbove> taken;
};

CurrentFoldersAbove& Above() {
  static auto* above = new CurrentFoldersAbove;  // never destroyed: used up to exit
  return *above;
}

// The folders above the current folder `here`, from ".." to ".." up to the
// root (its own parent).
std::shared_ptr<FoldersAbove> TakeFoldersAbove(const PosixEntryInfo& here) {
  auto taken = std::make_shared<FoldersAbove>();
  taken->current_birth = BirthOf(here);
  taken->current = IdOf(here);
  if (!PosixCurrentFolderPath(&taken->current_path)) return nullptr;
  constexpr int kDeepest = 4096;
  int folder = PosixCurrentFolder();
  FolderId id = taken->current;
  for (int depth = 0; depth < kDeepest; ++depth) {
    const int parent = PosixOpenFolderAt(folder, "..");
    if (folder != PosixCurrentFolder()) PosixClose(folder);
    folder = parent;
    PosixEntryInfo info;
    if (parent < 0 || !PosixInfoOf(parent, &info) || IdOf(info) == id) break;
    id = IdOf(info);
    taken->above.insert(id);
  }
  if (folder != PosixCurrentFolder()) PosixClose(folder);
  return taken;
}

}  // namespace

std::shared_ptr<FoldersAbove> FoldersAboveNow() {
  PosixEntryInfo here;
  if (!PosixCurrentFolderInfo(&here)) return nullptr;
  CurrentFoldersAbove& above = Above();
  {
    std::lock_guard<std::mutex> lock(above.mutex);
    if (above.taken && above.taken->current_birth == BirthOf(here)) return above.taken;
  }
  std::shared_ptr<FoldersAbove> taken = TakeFoldersAbove(here);
  std::shared_ptr<FoldersAbove> dropped;  // released once the lock is let go
  std::lock_guard<std::mutex> lock(above.mutex);
  dropped = std::exchange(above.taken, taken);
  return taken;
}

bool KeptFolderOnWay(FoldersAbove& above, const std::string& key, FolderOnWay* found) {
  std::lock_guard<std::mutex> lock(above.mutex);
  const auto it = above.on_way.find(key);
  if (it == above.on_way.end()) return false;
  *found = it->second;
  return true;
}

bool KeepFolderOnWay(FoldersAbove& above, const std::string& key,
                     std::shared_ptr<SharedFolder> folder, FolderOnWay* kept) {
  PosixEntryInfo info;
  if (!folder || !PosixInfoOf(folder->get(), &info)) return false;
  folder->SetIdentity(info);
  const FolderId id = IdOf(info);
  std::lock_guard<std::mutex> lock(above.mutex);
  const bool is_above = above.above.count(id) != 0;
  if (!is_above && id != above.current) return false;
  FolderOnWay on_way;
  on_way.folder = std::move(folder);
  on_way.above = is_above;
  on_way.id = id;
  *kept = above.on_way.try_emplace(key, std::move(on_way)).first->second;
  return true;
}

bool MatchListingAbove(FoldersAbove& above, const FolderOnWay& folder, const std::string& wanted,
                       const std::string& wanted_utf8, ListedName* match) {
  {
    std::lock_guard<std::mutex> lock(above.mutex);
    const auto found = above.listings.find(folder.id);
    if (found != above.listings.end()) {
      Match(found->second, wanted, wanted_utf8, match);
      return true;
    }
  }
  std::vector<std::string> names;
  if (!PosixListFolder(folder.folder->get(), &names)) return false;
  KeptFolder listing;
  FillListing(std::move(names), &listing);
  Match(listing, wanted, wanted_utf8, match);
  std::lock_guard<std::mutex> lock(above.mutex);
  above.listings.try_emplace(folder.id, std::move(listing));
  return true;
}

std::string CurrentFolderPathAbove(const FoldersAbove& above) { return above.current_path; }

void ForgetFolderListing(int folder) {
  PosixEntryInfo info;
  if (!PosixInfoOf(folder, &info)) return;
  {
    KeptFolders& kept = Kept();
    std::lock_guard<std::mutex> lock(kept.mutex);
    kept.folders.erase(IdOf(info));
    ++kept.changes;  // a listing read before the change is not kept
  }
  // A changed entry above the current folder may change where any walk
  // through it leads: all that was taken there goes. It is released once
  // both locks are let go, its own among them.
  std::shared_ptr<FoldersAbove> dropped;
  CurrentFoldersAbove& above = Above();
  std::lock_guard<std::mutex> lock(above.mutex);
  if (!above.taken) return;
  std::lock_guard<std::mutex> taken_lock(above.taken->mutex);
  if (above.taken->above.count(IdOf(info)) != 0) dropped = std::move(above.taken);
}
