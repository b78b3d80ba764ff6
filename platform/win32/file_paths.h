// What the file and folder stand-ins share: descriptors, the Shift-JIS text
// of paths, the walk of a path's folders to where it leads, and the opening
// of files.
//
// Paths arrive in Shift-JIS with `\` or `/` between components; the file
// system's names are UTF-8. A drive prefix ("C:") stands for the POSIX root,
// so "C:\tmp\a.txt" and "\tmp\a.txt" are "/tmp/a.txt". "." and ".." are
// resolved in the text first, as Windows does, so "missing\..\a.txt" is
// "a.txt". Each component is then looked up in its folder: as written when
// it exists so, otherwise case-insensitively (ASCII letters), taking the
// first match in byte order when several names differ only in case. Folders
// are walked through descriptors, so paths of any length work.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/files_posix.h"
#include "platform/win32/folder_listings.h"
#include "platform/win32/kernel.h"

// ---- Descriptors ----------------------------------------------------------------

// A descriptor of its own, or one of a folder kept open (see
// folder_listings.h) shared with other walks.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int value) : value_(value) {}
  explicit Descriptor(std::shared_ptr<SharedFolder> shared)
      : value_(shared ? shared->get() : -1), shared_(std::move(shared)) {}
  ~Descriptor() { Release(); }
  Descriptor(Descriptor&& other) noexcept
      : value_(std::exchange(other.value_, -1)), shared_(std::move(other.shared_)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Release();
      value_ = std::exchange(other.value_, -1);
      shared_ = std::move(other.shared_);
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return value_; }
  // The kept folder it shares, or null for a descriptor of its own.
  const SharedFolder* shared() const { return shared_.get(); }
  bool valid() const { return value_ >= 0 || value_ == PosixCurrentFolder(); }

 private:
  void Release() {
    if (!shared_) PosixClose(value_);
    shared_.reset();
    value_ = -1;
  }

  int value_ = -1;
  std::shared_ptr<SharedFolder> shared_;  // when set, it owns value_
};

// ---- Shift-JIS text -----------------------------------------------------------

bool IsSeparator(char c);

// ---- Paths ----------------------------------------------------------------------

enum class PathBase { kCurrentFolder, kRoot, kNetwork };

// A path split into Shift-JIS components; empty components are dropped.
struct PathText {
  PathBase base = PathBase::kCurrentFolder;
  std::vector<std::string> parts;
  bool trailing_separator = false;
  bool valid = true;  // false when a component holds a character names cannot hold
};

PathText SplitPath(std::string_view path);

// Resolves "." and ".." in the text. A ".." that climbs above the path's start
// stays (above the root it is dropped: the root is its own parent).
std::vector<std::string> NormalisedParts(PathBase base, const std::vector<std::string>& parts);

// Where a walk of folders ended: the folder, and when it lies above the
// current folder, what is taken of it.
struct Reached {
  Descriptor folder;
  std::shared_ptr<FoldersAbove> above;  // set only for a folder above the current one
  FolderOnWay way;
  bool changes_taken = false;  // the watches' changes were taken on the way (see SeeFolder)
};

// Walks the first `count` of `parts` from the base, each a folder; the
// folder reached, or an invalid descriptor.
Reached WalkFolders(PathBase base, const std::vector<std::string>& parts, size_t count);

// Where a path leads: the folder that holds its last component and that
// component's name there.
struct Location {
  Descriptor folder;
  std::string name;  // UTF-8: as found, or as written when missing; "." for the folder itself
  bool exists = false;
  bool trailing_separator = false;  // the path ended with a separator
  PosixEntryInfo info;
};

// False when the path is empty or malformed or its folder part cannot be
// reached; true otherwise, whether or not the last component exists.
bool Locate(LPCSTR path, Location* location);

// The Windows form of a POSIX absolute path: "C:" and backslashes, Shift-JIS.
std::string WindowsPath(const std::string& posix_path);

// Copies `text` and its NUL into `buffer` when it fits: the length written,
// else the size needed (NUL included), as the Windows folder queries return.
DWORD CopyOut(const std::string& text, DWORD buffer_length, LPSTR buffer);

DWORD AttributesOf(const PosixEntryInfo& info);

// ---- Opening files (files.cpp) --------------------------------------------------

enum class OpenFailure { kNone, kExists, kOther };

// Opens the file `path` as CreateFileA does, its arguments already checked;
// on failure INVALID_HANDLE_VALUE and why in `failure`.
HANDLE OpenFileAt(LPCSTR path, DWORD access, DWORD share_mode, DWORD disposition,
                  OpenFailure* failure);
