// What the file stand-ins keep of the folders they walk through: listings for
// the case-insensitive look-up of names, and open descriptors of the folders
// inside them.
//
// A name that does not exist as written is looked for in its folder's
// listing. A folder is listed once and what is kept of it (its listing, and
// the descriptors of folders opened inside it) holds, by the folder's
// identity (device and inode), for as long as the folder's modification time
// stays what it was and the file stand-ins have not themselves created,
// renamed or removed an entry in it (they say so through
// ForgetFolderListing): an entry cannot be added, removed or renamed without
// changing that time. Nothing is kept of a folder that changed right before
// (within 20 ms, or 2 s where the file system keeps whole seconds): another
// change within the same tick of the file system's clock would leave the
// modification time as it was.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/files_posix.h"

// What a folder's listing holds of one wanted name.
struct ListedName {
  bool exact = false;  // the name as written is listed
  // The first listed name in byte order that equals the wanted one but for
  // the case of ASCII letters (the name itself included); empty when none.
  std::string first_equal;
};

// Answers from the kept listing of the folder `folder_info` describes (its
// identity and modification time, as just read) for the Shift-JIS name
// `wanted` (`wanted_utf8` in the file system's text). False when no listing
// of the folder as it is now is kept.
bool MatchKeptListing(const PosixEntryInfo& folder_info, const std::string& wanted,
                      const std::string& wanted_utf8, ListedName* match);

// Lists `folder` and answers from that listing, which is kept unless the
// folder changed too recently or `folder_info` (read before the listing) is
// null. False when the folder cannot be listed.
bool MatchNewListing(int folder, const PosixEntryInfo* folder_info, const std::string& wanted,
                     const std::string& wanted_utf8, ListedName* match);

// An open folder descriptor, closed with the last reference.
class SharedFolder {
 public:
  explicit SharedFolder(int descriptor) : descriptor_(descriptor) {}
  ~SharedFolder() { PosixClose(descriptor_); }
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

// The kept descriptor of the folder `name` (UTF-8) inside the folder
// `folder_info` describes as it is now; null when none is kept.
std::shared_ptr<SharedFolder> KeptFolderInside(const PosixEntryInfo& folder_info,
                                               const std::string& name);
// Takes `descriptor`, just opened for the folder `name` inside the folder
// `folder_info` describes, and keeps it unless that folder changed too
// recently.
std::shared_ptr<SharedFolder> KeepFolderInside(const PosixEntryInfo& folder_info,
                                               const std::string& name, int descriptor);

// Drops what is kept of `folder`, whose entries the stand-ins changed.
void ForgetFolderListing(int folder);
