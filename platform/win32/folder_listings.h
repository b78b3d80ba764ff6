// What the file stand-ins keep of the folders they walk through: listings for
// the case-insensitive look-up of names, and open descriptors of the folders
// inside them.
//
// A name that does not exist as written is looked for in its folder's
// listing. A folder is listed once and what is kept of it (its listing, and
// the descriptors of folders opened inside it) holds, by the folder's
// identity (device and inode), until its names change. Where the folder can
// be watched (see PosixWatchFolder) the watch tells: the watch is set before
// the folder is first listed or opened into, every look-up first takes the
// changes the watches saw (one read when there are none), and a folder kept
// under a watch is asked nothing more. Where it cannot, what is kept holds
// for as long as the folder's modification time stays what it was (read at
// each look-up): an entry cannot be added, removed or renamed without
// changing that time. Either way the stand-ins' own changes drop what is
// kept at once (they say so through ForgetFolderListing), and nothing is kept
// of a folder that changed right before (within 20 ms, or 2 s where the file
// system keeps whole seconds): another change within the same tick of the
// file system's clock would leave the modification time as it was.
//
// A folder reached through a symbolic link is kept nothing of under the
// link's folder, whose watch and modification time do not see the link's
// target change: its descriptor is opened anew at each walk, and its
// listing and the folders opened inside it are kept by its own identity and
// watched at its real place, like any other folder's.
//
// The folders above the current folder (the one the program runs in) are
// taken differently: see FoldersAbove below.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/files_posix.h"

// What a folder's listing holds of one wanted name.
struct ListedName {
  bool exact = false;  // the name as written is listed
  // The first listed name in byte order that equals the wanted one but for
  // the case of ASCII letters (the name itself included); empty when none.
  std::string first_equal;
};

// What a look-up read of the folder it looks in before looking there.
struct FolderSeen {
  PosixEntryInfo info;  // identity and modification time at least
  uint64_t changes = 0;  // the count of changes taken from the watches then
  bool watched = false;  // the folder was under a watch by then
};

// Takes the changes the watches saw since the last call and drops what is
// kept of the folders they changed.
void TakeFolderChanges();

// Answers from the kept listing of the folder `seen` describes for the
// Shift-JIS name `wanted` (`wanted_utf8` in the file system's text). False
// when no listing of the folder as it is now is kept.
bool MatchKeptListing(const FolderSeen& seen, const std::string& wanted,
                      const std::string& wanted_utf8, ListedName* match);

// Lists `folder` and answers from that listing, which is kept unless the
// folder changed too recently, a watch saw a change since `seen` was read, or
// `seen` (read before the listing) is null. False when the folder cannot be
// listed.
bool MatchNewListing(int folder, const FolderSeen* seen, const std::string& wanted,
                     const std::string& wanted_utf8, ListedName* match);

// An open folder descriptor, closed with the last reference, and the
// folder's identity once read (a descriptor's folder never changes).
class SharedFolder {
 public:
  explicit SharedFolder(int descriptor) : descriptor_(descriptor) {}
  ~SharedFolder() { PosixClose(descriptor_); }
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;
  int get() const { return descriptor_; }

  bool Identity(std::pair<uint64_t, uint64_t>* id) const {
    if (!identity_known_.load(std::memory_order_acquire)) return false;
    *id = {device_.load(std::memory_order_relaxed), inode_.load(std::memory_order_relaxed)};
    return true;
  }
  void SetIdentity(const PosixEntryInfo& info) const {
    device_.store(info.device, std::memory_order_relaxed);
    inode_.store(info.inode, std::memory_order_relaxed);
    identity_known_.store(true, std::memory_order_release);
  }

 private:
  int descriptor_;
  mutable std::atomic<bool> identity_known_{false};
  mutable std::atomic<uint64_t> device_{0};
  mutable std::atomic<uint64_t> inode_{0};
};

// Fills `seen` for a look-up in `folder` (`shared` when it is a kept
// descriptor, else null): from what is kept under a watch when there is
// such a record (nothing read), else by reading the folder's information,
// and then the watch is set (when the folder may be kept) before the
// look-up lists or opens anything there. Which folder the current folder is
// is read at each call for it (anyone may have changed the current folder).
// The first call of a walk (while `changes_taken` is false; it is then set)
// first takes the watches' changes (TakeFolderChanges), so a walk that stays
// above the current folder reads nothing of them. False when the folder
// cannot be read.
bool SeeFolder(int folder, const SharedFolder* shared, bool* changes_taken, FolderSeen* seen);

// The kept descriptor of the folder `name` (UTF-8) inside the folder
// `seen` describes as it is now; null when none is kept.
std::shared_ptr<SharedFolder> KeptFolderInside(const FolderSeen& seen, const std::string& name);
// Takes `descriptor`, just opened for the folder `name` inside the folder
// `seen` describes (not through a symbolic link), and keeps it unless that
// folder changed too recently or a watch saw a change since `seen` was read.
std::shared_ptr<SharedFolder> KeepFolderInside(const FolderSeen& seen, const std::string& name,
                                               int descriptor);

// Drops what is kept of `folder`, whose entries the stand-ins changed.
void ForgetFolderListing(int folder);

// ---- The folders above the current folder ------------------------------------

// What is taken of the way from the root to the current folder, for as long
// as the current folder stays the same folder (by identity and birth time,
// read at each walk that uses it, as anyone may have changed the current
// folder). The folders strictly above it are listed at most once and never
// checked again, so a folder up there that keeps changing (a busy temporary
// folder) costs nothing; the walk from the root down to each folder on the
// way is kept by the text of its path, so the look-ups of paths with a
// common start share it (a walk that passes a symbolic link leaves the way
// there). A name there is still tried as written before the listing is
// asked, so an entry another program made up there since is found as
// written. The stand-ins' own changes to a folder on the way drop all of it.
class FoldersAbove;

// The folders above the current folder as it is now (taken anew when the
// current folder is another folder); null when the current folder cannot be
// read. Costs one information read of the current folder while it stays
// the same folder.
std::shared_ptr<FoldersAbove> FoldersAboveNow();

// A folder on the way from the root to the current folder.
struct FolderOnWay {
  std::shared_ptr<SharedFolder> folder;
  bool above = false;                // strictly above the current folder; false: the current folder
  std::pair<uint64_t, uint64_t> id;  // device, inode
};

// The folder on the way that the walk `key` (from the root) reached before;
// false when none is kept under that key.
bool KeptFolderOnWay(FoldersAbove& above, const std::string& key, FolderOnWay* found);
// Keeps `folder`, reached by the walk `key`, when it lies on the way (its
// identity is read once); false, keeping nothing, when it does not.
bool KeepFolderOnWay(FoldersAbove& above, const std::string& key,
                     std::shared_ptr<SharedFolder> folder, FolderOnWay* kept);
// Answers from the listing of `folder`, a folder above the current one,
// read at its first use. False when it cannot be listed.
bool MatchListingAbove(FoldersAbove& above, const FolderOnWay& folder, const std::string& wanted,
                       const std::string& wanted_utf8, ListedName* match);
// The current folder's path as taken with the rest (read once).
std::string CurrentFolderPathAbove(const FoldersAbove& above);
