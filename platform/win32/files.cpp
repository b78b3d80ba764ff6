// Files and folders over the POSIX file system.
//
// Paths arrive in Shift-JIS with `\` or `/` between components; the file
// system's names are UTF-8. A drive prefix ("C:") stands for the POSIX root,
// so "C:\tmp\a.txt" and "\tmp\a.txt" are "/tmp/a.txt". "." and ".." are
// resolved in the text first, as Windows does, so "missing\..\a.txt" is
// "a.txt". Each component is then looked up in its folder: as written when
// it exists so, otherwise case-insensitively (ASCII letters), taking the
// first match in byte order when several names differ only in case. Folders
// are walked through descriptors, so paths of any length work.
//
// Share modes are kept between the handles of this process: an open that the
// share mode of an open handle (or its own) does not allow fails, and an open
// file cannot be deleted.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/host/cp932.h"
#include "platform/win32/file_names.h"
#include "platform/host/not_emulated.h"
#include "platform/win32/file_time.h"
#include "platform/win32/files_posix.h"
#include "platform/win32/folder_listings.h"
#include "platform/win32/handle_table.h"
#include "platform/win32/kernel.h"

namespace {

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

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows refuses these in a file name; a Shift-JIS trail byte may be any of
// them and is not checked.
bool IsForbiddenNameChar(unsigned char c) {
  return c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

// Whether `name` matches `pattern`: `*` stands for any run of characters, `?`
// for one character (a two-byte character counts as one), other characters
// match themselves regardless of ASCII case. A pattern ending in ".*" also
// matches the name without that ending, so "*.*" matches every name.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  auto chars = [](std::string_view text) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < text.size();) {
      const size_t length = CharLength(text, i);
      out.push_back(text.substr(i, length));
      i += length;
    }
    return out;
  };
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == 1 && b.size() == 1 ? FoldAscii(a[0]) == FoldAscii(b[0]) : a == b;
  };
  auto match = [&](std::string_view pattern_text) {
    const std::vector<std::string_view> p = chars(pattern_text);
    const std::vector<std::string_view> n = chars(name);
    // Classic backtracking over the last star.
    size_t pi = 0, ni = 0, star = p.size(), resume = 0;
    while (ni < n.size()) {
      if (pi < p.size() && p[pi] == "*") {
        star = pi++;
        resume = ni;
      } else if (pi < p.size() && (p[pi] == "?" || same(p[pi], n[ni]))) {
        ++pi;
        ++ni;
      } else if (star != p.size()) {
        pi = star + 1;
        ni = ++resume;
      } else {
        return false;
      }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    return pi == p.size();
  };
  if (match(pattern)) return true;
  return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
         match(pattern.substr(0, pattern.size() - 2));
}

// ---- Paths ----------------------------------------------------------------------

enum class PathBase { kCurrentFolder, kRoot, kNetwork };

// A path split into Shift-JIS components; empty components are dropped.
struct PathText {
  PathBase base = PathBase::kCurrentFolder;
  std::vector<std::string> parts;
  bool trailing_separator = false;
  bool valid = true;  // false when a component holds a character names cannot hold
};

PathText SplitPath(std::string_view path) {
  PathText text;
  size_t at = 0;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) at = 2;  // every drive letter names the one POSIX root
  if (at < path.size() && IsSeparator(path[at])) {
    text.base = !drive && at + 1 < path.size() && IsSeparator(path[at + 1]) ? PathBase::kNetwork
                                                                          : PathBase::kRoot;
  }
  std::string part;
  bool part_valid = true;
  auto finish_part = [&] {
    if (!part.empty()) {
      text.parts.push_back(part);
      if (!part_valid) text.valid = false;
    }
    part.clear();
    part_valid = true;
  };
  while (at < path.size()) {
    const size_t length = CharLength(path, at);
    if (length == 1 && IsSeparator(path[at])) {
      finish_part();
      text.trailing_separator = true;
    } else {
      if (length == 1 && IsForbiddenNameChar(static_cast<unsigned char>(path[at]))) {
        part_valid = false;
      }
      part.append(path.substr(at, length));
      text.trailing_separator = false;
    }
    at += length;
  }
  finish_part();
  if (text.parts.empty()) text.trailing_separator = false;
  return text;
}

// Resolves "." and ".." in the text. A ".." that climbs above the path's start
// stays (above the root it is dropped: the root is its own parent).
std::vector<std::string> NormalisedParts(PathBase base, const std::vector<std::string>& parts) {
  std::vector<std::string> out;
  for (const std::string& part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (!out.empty() && out.back() != "..") {
        out.pop_back();
      } else if (base == PathBase::kCurrentFolder) {
        out.push_back(part);
      }
      continue;
    }
    out.push_back(part);
  }
  return out;
}

// What trying one name in a folder found.
enum class Tried { kFound, kAbsent, kUnusable };

// Looks the entry `wanted` (Shift-JIS) up in `folder`, handing names to
// `try_name(utf8_name, folder_info)` until one is found: the name as written,
// else the first name in byte order that equals it but for case. A name that
// exists but cannot be used ends the look-up. A folder with a kept listing
// (see folder_listings.h) is asked no more than its modification time, and
// only names it lists are tried; a name that exists as written in a folder
// without one is found without listing it. `folder_info` is the folder's
// information, or null where nothing may be kept of it.
template <class TryName>
bool LookUp(int folder, const std::string& wanted, TryName try_name) {
  const std::string as_written = Cp932ToUtf8(wanted);
  if (wanted == "." || wanted == "..") return try_name(as_written, nullptr) == Tried::kFound;
  PosixEntryInfo folder_info;
  const PosixEntryInfo* known = PosixInfoOf(folder, &folder_info) ? &folder_info : nullptr;
  ListedName match;
  bool tried_as_written = false;
  auto try_as_written = [&] {
    tried_as_written = true;
    return try_name(as_written, known);
  };
  if (known != nullptr && MatchKeptListing(folder_info, wanted, as_written, &match)) {
    if (match.exact) {
      const Tried tried = try_as_written();
      if (tried != Tried::kAbsent) return tried == Tried::kFound;
    }
  } else {
    const Tried tried = try_as_written();
    if (tried != Tried::kAbsent) return tried == Tried::kFound;
    if (!MatchNewListing(folder, known, wanted, as_written, &match)) return false;
  }
  if (match.first_equal.empty() || (tried_as_written && match.first_equal == as_written)) {
    return false;
  }
  return try_name(match.first_equal, known) == Tried::kFound;
}

// LookUp in a folder above the current folder (see FoldersAbove): the name
// as written is tried first, then the first name in byte order of the
// folder's listing, read once, that equals it but for case. Nothing kept
// of the folder is checked again.
template <class TryName>
bool LookUpAbove(FoldersAbove& above, const FolderOnWay& way, const std::string& wanted,
                 TryName try_name) {
  const std::string as_written = Cp932ToUtf8(wanted);
  const Tried tried = try_name(as_written, nullptr);
  if (tried != Tried::kAbsent || wanted == "." || wanted == "..") return tried == Tried::kFound;
  ListedName match;
  if (!MatchListingAbove(above, way, wanted, as_written, &match)) return false;
  if (match.first_equal.empty() || match.first_equal == as_written) return false;
  return try_name(match.first_equal, nullptr) == Tried::kFound;
}

// Where a walk of folders ended: the folder, and when it lies above the
// current folder, what is taken of it.
struct Reached {
  Descriptor folder;
  std::shared_ptr<FoldersAbove> above;  // set only for a folder above the current one
  FolderOnWay way;
};

// Finds the entry `wanted` (Shift-JIS) in the folder reached (see LookUp).
// Fills the entry's UTF-8 name and information; false when there is none,
// with the name last tried, or as written.
bool FindEntry(const Reached& reached, const std::string& wanted, std::string* name,
               PosixEntryInfo* info) {
  const int folder = reached.folder.get();
  *name = Cp932ToUtf8(wanted);
  auto try_name = [&](const std::string& candidate, const PosixEntryInfo*) {
    *name = candidate;
    return PosixInfoAt(folder, candidate, info) ? Tried::kFound : Tried::kAbsent;
  };
  if (reached.above) return LookUpAbove(*reached.above, reached.way, wanted, try_name);
  return LookUp(folder, wanted, try_name);
}

// The root, opened once; null when it cannot be opened.
std::shared_ptr<SharedFolder> RootFolder() {
  static const std::shared_ptr<SharedFolder> root =
      std::make_shared<SharedFolder>(PosixOpenRootFolder());
  return root->get() >= 0 ? root : nullptr;
}

// The folder the walk starts from. The root stays open once opened; the
// current folder is taken as it is at each call.
Descriptor OpenBase(PathBase base) {
  if (base == PathBase::kRoot) {
    std::shared_ptr<SharedFolder> root = RootFolder();
    return root ? Descriptor(std::move(root)) : Descriptor(PosixOpenRootFolder());
  }
  return Descriptor(PosixCurrentFolder());
}

// Opens the folder `name` inside `folder`, or takes the descriptor kept of it,
// into `inside`.
Tried OpenFolderInside(int folder, const PosixEntryInfo* folder_info, const std::string& name,
                       Descriptor* inside) {
  if (folder_info != nullptr) {
    if (std::shared_ptr<SharedFolder> kept = KeptFolderInside(*folder_info, name)) {
      *inside = Descriptor(std::move(kept));
      return Tried::kFound;
    }
  }
  bool missing = false;
  const int descriptor = PosixOpenFolderAt(folder, name, &missing);
  if (descriptor < 0) return missing ? Tried::kAbsent : Tried::kUnusable;
  *inside = folder_info != nullptr ? Descriptor(KeepFolderInside(*folder_info, name, descriptor))
                                   : Descriptor(descriptor);
  return Tried::kFound;
}

// Walks the first `count` of `parts` from the root along the way to the
// current folder, as far as it is kept or leads (see FoldersAbove): the walk
// starts from the longest start of the path walked before and takes the
// folders above the current folder as they were first seen. Fills `reached`
// and `walked`, how many parts were walked; false when the way cannot be
// used (the walk then goes as usual).
bool WalkOnWay(const std::vector<std::string>& parts, size_t count, Reached* reached,
               size_t* walked_parts) {
  std::shared_ptr<FoldersAbove> above = FoldersAboveNow();
  if (!above) return false;
  // keys[i]: the walk of the first i parts (names hold no NUL).
  std::vector<std::string> keys(count + 1);
  for (size_t i = 1; i <= count; ++i) keys[i] = keys[i - 1] + '\0' + parts[i - 1];
  FolderOnWay way;
  size_t walked = count + 1;
  bool kept = false;
  while (!kept && walked-- > 0) kept = KeptFolderOnWay(*above, keys[walked], &way);
  if (!kept) {
    walked = 0;
    if (!KeepFolderOnWay(*above, keys[0], RootFolder(), &way)) return false;
  }
  reached->folder = Descriptor(way.folder);
  while (way.above && walked < count) {
    std::shared_ptr<SharedFolder> inside;
    LookUpAbove(*above, way, parts[walked], [&](const std::string& name, const PosixEntryInfo*) {
      bool missing = false;
      const int descriptor = PosixOpenFolderAt(way.folder->get(), name, &missing);
      if (descriptor < 0) return missing ? Tried::kAbsent : Tried::kUnusable;
      inside = std::make_shared<SharedFolder>(descriptor);
      return Tried::kFound;
    });
    *walked_parts = ++walked;
    if (!inside) {
      reached->folder = Descriptor();
      return true;
    }
    if (!KeepFolderOnWay(*above, keys[walked], inside, &way)) {
      reached->folder = Descriptor(std::move(inside));  // off the way: walked as usual from here
      return true;
    }
    reached->folder = Descriptor(way.folder);
  }
  if (way.above) {
    reached->above = std::move(above);
    reached->way = way;
  }
  *walked_parts = walked;
  return true;
}

// Walks the first `count` of `parts` from the base, each a folder; the
// folder reached, or an invalid descriptor.
Reached WalkFolders(PathBase base, const std::vector<std::string>& parts, size_t count) {
  Reached reached;
  size_t walked = 0;
  if (base != PathBase::kRoot || !WalkOnWay(parts, count, &reached, &walked)) {
    reached.folder = OpenBase(base);
  }
  for (size_t i = walked; i < count && reached.folder.valid(); ++i) {
    Descriptor inside;
    const int folder = reached.folder.get();
    LookUp(folder, parts[i], [&](const std::string& name, const PosixEntryInfo* info) {
      return OpenFolderInside(folder, info, name, &inside);
    });
    reached.folder = std::move(inside);
  }
  return reached;
}

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
bool Locate(LPCSTR path, Location* location) {
  if (path == nullptr || path[0] == '\0') return false;
  PathText text = SplitPath(path);
  if (!text.valid || text.base == PathBase::kNetwork) return false;  // no network shares here
  const std::vector<std::string> parts = NormalisedParts(text.base, text.parts);
  location->trailing_separator = text.trailing_separator;
  if (parts.empty()) {
    location->folder = OpenBase(text.base);
    location->name = ".";
    location->exists = location->folder.valid() &&
                       PosixInfoAt(location->folder.get(), ".", &location->info);
    return location->folder.valid();
  }
  Reached reached = WalkFolders(text.base, parts, parts.size() - 1);
  if (!reached.folder.valid()) return false;
  location->exists = FindEntry(reached, parts.back(), &location->name, &location->info);
  location->folder = std::move(reached.folder);
  if (location->exists && location->trailing_separator && !location->info.directory) {
    location->exists = false;  // "file.txt\" names no folder
  }
  return true;
}

// The Windows form of a POSIX absolute path: "C:" and backslashes, Shift-JIS.
std::string WindowsPath(const std::string& posix_path) {
  std::string path = "C:" + Utf8ToCp932(posix_path);
  for (size_t i = 2; i < path.size();) {
    const size_t length = CharLength(path, i);
    if (length == 1 && path[i] == '/') path[i] = '\\';
    i += length;
  }
  return path;
}

// Copies `text` and its NUL into `buffer` when it fits: the length written,
// else the size needed (NUL included), as the Windows folder queries return.
DWORD CopyOut(const std::string& text, DWORD buffer_length, LPSTR buffer) {
  if (buffer == nullptr || text.size() >= buffer_length) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

DWORD AttributesOf(const PosixEntryInfo& info) {
  if (info.directory) return FILE_ATTRIBUTE_DIRECTORY;
  return FILE_ATTRIBUTE_ARCHIVE | (info.writable ? 0 : FILE_ATTRIBUTE_READONLY);
}

// ---- Open files -------------------------------------------------------------------

struct OpenFile;

// The open files of the process, for the share modes.
struct OpenFileTable {
  std::mutex mutex;
  std::vector<const OpenFile*> files;
};

OpenFileTable& OpenFiles() {
  static auto* table = new OpenFileTable;  // never destroyed: used up to exit
  return *table;
}

struct OpenFile : HandleObject {
  OpenFile(int descriptor, DWORD access, DWORD share, const PosixEntryInfo& info)
      : descriptor(descriptor),
        access(access),
        share(share),
        device(info.device),
        inode(info.inode) {}
  ~OpenFile() override {
    {
      OpenFileTable& table = OpenFiles();
      std::lock_guard<std::mutex> lock(table.mutex);
      std::erase(table.files, this);
    }
    PosixClose(descriptor);
  }

  bool SameFile(const OpenFile& other) const {
    return device == other.device && inode == other.inode;
  }

  const int descriptor;
  const DWORD access;
  const DWORD share;
  const uint64_t device;
  const uint64_t inode;
};

// Whether two handles of one file may be open together: each one's access
// must be shared by the other.
bool SharesAllow(const OpenFile& a, const OpenFile& b) {
  auto allows = [](const OpenFile& holder, const OpenFile& opener) {
    return (!(opener.access & GENERIC_READ) || (holder.share & FILE_SHARE_READ)) &&
           (!(opener.access & GENERIC_WRITE) || (holder.share & FILE_SHARE_WRITE));
  };
  return allows(a, b) && allows(b, a);
}

// Enters `file` into the table unless a handle open on the same file
// conflicts with it.
bool EnterOpenFile(const OpenFile& file) {
  OpenFileTable& table = OpenFiles();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const OpenFile* other : table.files) {
    if (other->SameFile(file) && !SharesAllow(*other, file)) return false;
  }
  table.files.push_back(&file);
  return true;
}

bool IsOpen(const PosixEntryInfo& info) {
  OpenFileTable& table = OpenFiles();
  std::lock_guard<std::mutex> lock(table.mutex);
  return std::any_of(table.files.begin(), table.files.end(), [&](const OpenFile* file) {
    return file->device == info.device && file->inode == info.inode;
  });
}

enum class OpenFailure { kNone, kExists, kOther };

HANDLE OpenFileAt(LPCSTR path, DWORD access, DWORD share_mode, DWORD disposition,
                  OpenFailure* failure) {
  *failure = OpenFailure::kOther;
  Location location;
  if (!Locate(path, &location) || location.trailing_separator || location.name == "." ||
      location.name == "..") {
    return INVALID_HANDLE_VALUE;
  }
  if (location.exists && location.info.directory) return INVALID_HANDLE_VALUE;
  if (location.exists && disposition == CREATE_NEW) {
    *failure = OpenFailure::kExists;
    return INVALID_HANDLE_VALUE;
  }
  if (!location.exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
    return INVALID_HANDLE_VALUE;
  }
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return INVALID_HANDLE_VALUE;

  // An existing file is opened as it is and emptied only once the share
  // modes allow the open.
  PosixError error;
  PosixEntryInfo info;
  const bool create = !location.exists;
  const int descriptor = PosixOpenFileAt(location.folder.get(), location.name,
                                         (access & GENERIC_READ) != 0, (access & GENERIC_WRITE) != 0,
                                         create, disposition == CREATE_NEW, &error, &info);
  if (descriptor < 0) {
    if (error == PosixError::kExists) *failure = OpenFailure::kExists;
    return INVALID_HANDLE_VALUE;
  }
  if (create) ForgetFolderListing(location.folder.get());  // a new entry
  auto file = std::make_shared<OpenFile>(descriptor, access, share_mode, info);
  if (!EnterOpenFile(*file)) return INVALID_HANDLE_VALUE;
  const bool empty_it = location.exists &&
                        (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  if (empty_it && !PosixTruncate(descriptor)) return INVALID_HANDLE_VALUE;
  *failure = OpenFailure::kNone;
  return AddHandle(std::move(file));
}

// The open file of a handle; null for a handle that is not open. A handle of
// another kind (an event, a thread, a folder search) is a caller's fault.
std::shared_ptr<OpenFile> FindFile(HANDLE file, const char* call) {
  std::shared_ptr<OpenFile> open = FindHandleAs<OpenFile>(file);
  RequireEmulated(open || !FindHandle(file), call, "not a file handle", file);
  return open;
}

// ---- Test seam ------------------------------------------------------------------

struct FileCallSeam {
  std::mutex mutex;
  FileCallHook hook = nullptr;
  void* context = nullptr;
};

FileCallSeam& Seam() {
  static auto* seam = new FileCallSeam;
  return *seam;
}

// Whether the installed hook lets `call` through.
bool FileCallAllowed(const char* call) {
  FileCallHook hook;
  void* context;
  {
    FileCallSeam& seam = Seam();
    std::lock_guard<std::mutex> lock(seam.mutex);
    hook = seam.hook;
    context = seam.context;
  }
  return hook == nullptr || hook(context, call);
}

// ---- Folder searches ------------------------------------------------------------

struct FolderSearch : HandleObject {
  bool ClosedByCloseHandle() const override { return false; }
  std::vector<WIN32_FIND_DATAA> found;
  size_t next = 0;
  std::mutex mutex;
};

WIN32_FIND_DATAA FindData(const std::string& cp932_name, const PosixEntryInfo& info) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = AttributesOf(info);
  data.ftCreationTime = FileTimeFromUnixTime(info.creation_seconds, info.creation_nanoseconds);
  data.ftLastAccessTime = FileTimeFromUnixTime(info.access_seconds, info.access_nanoseconds);
  data.ftLastWriteTime = FileTimeFromUnixTime(info.write_seconds, info.write_nanoseconds);
  const uint64_t size = info.directory ? 0 : info.size;
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(data.cFileName, cp932_name.c_str(), cp932_name.size() + 1);
  return data;
}

// Whether `folder` is the root, which lists no "." and "..".
bool IsRoot(int folder) {
  PosixEntryInfo here, root;
  Descriptor root_folder(PosixOpenRootFolder());
  return root_folder.valid() && PosixInfoOf(folder, &here) &&
         PosixInfoOf(root_folder.get(), &root) && here.device == root.device &&
         here.inode == root.inode;
}

}  // namespace

// ---- Files ----------------------------------------------------------------------------

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share_mode, void* security,
                   DWORD creation_disposition, DWORD flags_and_attributes, HANDLE template_file) {
  RequireEmulated(security == nullptr, "CreateFileA", "file security attributes are not emulated",
                  security);
  RequireEmulated(template_file == nullptr, "CreateFileA", "template files are not emulated",
                  template_file);
  RequireEmulated(flags_and_attributes == 0 || flags_and_attributes == FILE_ATTRIBUTE_NORMAL,
                  "CreateFileA",
                  "file flags and attributes other than FILE_ATTRIBUTE_NORMAL are not emulated",
                  flags_and_attributes);
  RequireEmulated(access != 0 && (access & ~(GENERIC_READ | GENERIC_WRITE)) == 0, "CreateFileA",
                  "access other than GENERIC_READ and GENERIC_WRITE is not emulated", access);
  RequireEmulated((share_mode & ~(FILE_SHARE_READ | FILE_SHARE_WRITE)) == 0, "CreateFileA",
                  "share modes other than FILE_SHARE_READ and FILE_SHARE_WRITE are not emulated",
                  share_mode);
  RequireEmulated(creation_disposition >= CREATE_NEW && creation_disposition <= TRUNCATE_EXISTING,
                  "CreateFileA", "unknown creation disposition", creation_disposition);
  OpenFailure failure;
  return OpenFileAt(path, access, share_mode, creation_disposition, &failure);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
              void* overlapped) {
  RequireEmulated(overlapped == nullptr, "ReadFile", "overlapped reads are not emulated",
                  overlapped);
  if (bytes_read != nullptr) *bytes_read = 0;
  std::shared_ptr<OpenFile> open = FindFile(file, "ReadFile");
  if (!open || !(open->access & GENERIC_READ)) return FALSE;
  if (bytes_to_read == 0) return TRUE;
  if (buffer == nullptr) return FALSE;
  const int64_t read = PosixRead(open->descriptor, buffer, bytes_to_read);
  if (read < 0) return FALSE;
  if (bytes_read != nullptr) *bytes_read = static_cast<DWORD>(read);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write, LPDWORD bytes_written,
               void* overlapped) {
  RequireEmulated(overlapped == nullptr, "WriteFile", "overlapped writes are not emulated",
                  overlapped);
  if (bytes_written != nullptr) *bytes_written = 0;
  std::shared_ptr<OpenFile> open = FindFile(file, "WriteFile");
  if (!open || !(open->access & GENERIC_WRITE)) return FALSE;
  if (!FileCallAllowed("WriteFile")) return FALSE;
  if (bytes_to_write == 0) return TRUE;
  if (buffer == nullptr) return FALSE;
  const int64_t written = PosixWrite(open->descriptor, buffer, bytes_to_write);
  if (written < 0) return FALSE;
  if (bytes_written != nullptr) *bytes_written = static_cast<DWORD>(written);
  return static_cast<DWORD>(written) == bytes_to_write ? TRUE : FALSE;
}

// Without `distance_high` the distance is a signed 32-bit value; with it, the
// two make one signed 64-bit distance and the high half of the new position
// goes back through it. A position before the start fails and leaves the
// position; one past the end is allowed.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD move_method) {
  RequireEmulated(move_method <= FILE_END, "SetFilePointer", "unknown move method", move_method);
  std::shared_ptr<OpenFile> open = FindFile(file, "SetFilePointer");
  if (!open) return INVALID_SET_FILE_POINTER;
  const int64_t offset =
      distance_high == nullptr
          ? static_cast<int64_t>(distance)
          : static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distance_high))
                                  << 32) |
                                 static_cast<uint32_t>(distance));
  const int64_t base = move_method == FILE_BEGIN ? 0 : PosixSeek(open->descriptor, 0, move_method);
  if (base < 0) return INVALID_SET_FILE_POINTER;
  const int64_t target = base + offset;
  if (target < 0 || PosixSeek(open->descriptor, target, 0) != target) {
    return INVALID_SET_FILE_POINTER;
  }
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(target >> 32);
  return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE file, LPDWORD size_high) {
  std::shared_ptr<OpenFile> open = FindFile(file, "GetFileSize");
  PosixEntryInfo info;
  if (!open || !PosixInfoOf(open->descriptor, &info)) return INVALID_FILE_SIZE;
  if (size_high != nullptr) *size_high = static_cast<DWORD>(info.size >> 32);
  return static_cast<DWORD>(info.size);
}

BOOL DeleteFileA(LPCSTR path) {
  Location location;
  if (!Locate(path, &location) || !location.exists || location.info.directory ||
      location.trailing_separator) {
    return FALSE;
  }
  if (IsOpen(location.info)) return FALSE;  // no handle shares deletion
  if (!PosixRemoveFileAt(location.folder.get(), location.name)) return FALSE;
  ForgetFolderListing(location.folder.get());
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  std::shared_ptr<OpenFile> open = FindFile(file, "FlushFileBuffers");
  if (!open || !(open->access & GENERIC_WRITE)) return FALSE;
  if (!FileCallAllowed("FlushFileBuffers")) return FALSE;
  return PosixSyncFile(open->descriptor) ? TRUE : FALSE;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
  RequireEmulated((flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) == 0,
                  "MoveFileExA", "flags not emulated", flags);
  Location from, to;
  if (!Locate(existing, &from) || !from.exists || from.info.directory || from.trailing_separator) {
    return FALSE;
  }
  if (!Locate(new_name, &to) || to.name == "." || to.trailing_separator) return FALSE;
  if (to.exists) {
    const bool same = to.info.device == from.info.device && to.info.inode == from.info.inode;
    if (to.info.directory || (flags & MOVEFILE_REPLACE_EXISTING) == 0 || same) return FALSE;
    if (IsOpen(to.info)) return FALSE;
  }
  if (IsOpen(from.info)) return FALSE;
  if (!FileCallAllowed("MoveFileExA")) return FALSE;
  if (!PosixRenameAt(from.folder.get(), from.name, to.folder.get(), to.name)) return FALSE;
  ForgetFolderListing(from.folder.get());
  ForgetFolderListing(to.folder.get());
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
    // Both folders' lists of names: the new name in one, the old one gone
    // from the other.
    PosixEntryInfo to_folder, from_folder;
    const bool one_folder = PosixInfoOf(to.folder.get(), &to_folder) &&
                            PosixInfoOf(from.folder.get(), &from_folder) &&
                            to_folder.device == from_folder.device &&
                            to_folder.inode == from_folder.inode;
    if (!PosixSyncFolder(to.folder.get())) return FALSE;
    if (!one_folder && !PosixSyncFolder(from.folder.get())) return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path) {
  Location location;
  if (!Locate(path, &location) || !location.exists) return INVALID_FILE_ATTRIBUTES;
  return AttributesOf(location.info);
}

// ---- Folder searches --------------------------------------------------------------

// The folder is read once, at the first call; its entries that match are
// handed out in order: "." and ".." (except in the root), then the others by
// their upper-cased Shift-JIS name. Names whose Shift-JIS form does not fit
// cFileName are left out.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || pattern[0] == '\0') return INVALID_HANDLE_VALUE;
  PathText text = SplitPath(pattern);
  if (text.base == PathBase::kNetwork || text.parts.empty() || text.trailing_separator) {
    return INVALID_HANDLE_VALUE;
  }
  const std::string name_pattern = text.parts.back();
  text.parts.pop_back();
  // Only the last component may hold wildcards.
  if (!SplitPath(std::string_view(pattern, std::strlen(pattern) - name_pattern.size())).valid) {
    return INVALID_HANDLE_VALUE;
  }
  const std::vector<std::string> parts = NormalisedParts(text.base, text.parts);
  const Descriptor folder = WalkFolders(text.base, parts, parts.size()).folder;
  if (!folder.valid()) return INVALID_HANDLE_VALUE;

  std::vector<std::string> names;
  if (!PosixListFolder(folder.get(), &names)) return INVALID_HANDLE_VALUE;
  struct Candidate {
    std::string key;  // sort key
    WIN32_FIND_DATAA data;
  };
  std::vector<Candidate> others;
  for (const std::string& name : names) {
    const std::string cp932 = Utf8ToCp932(name);
    if (cp932.size() >= MAX_PATH || !WildcardMatch(name_pattern, cp932)) continue;
    PosixEntryInfo info;
    if (!PosixInfoAt(folder.get(), name, &info)) continue;  // e.g. a broken link
    others.push_back(Candidate{FoldedName(cp932) + '\0' + cp932, FindData(cp932, info)});
  }
  std::sort(others.begin(), others.end(),
            [](const Candidate& a, const Candidate& b) { return a.key < b.key; });

  auto search = std::make_shared<FolderSearch>();
  if (!IsRoot(folder.get())) {
    for (const char* dots : {".", ".."}) {
      PosixEntryInfo info;
      if (WildcardMatch(name_pattern, dots) && PosixInfoAt(folder.get(), dots, &info)) {
        search->found.push_back(FindData(dots, info));
      }
    }
  }
  for (Candidate& candidate : others) search->found.push_back(candidate.data);
  if (search->found.empty()) return INVALID_HANDLE_VALUE;
  if (data != nullptr) *data = search->found[0];
  search->next = 1;
  return AddHandle(std::move(search));
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
  std::shared_ptr<FolderSearch> found = FindHandleAs<FolderSearch>(search);
  RequireEmulated(found || !FindHandle(search), "FindNextFileA", "not a folder search handle",
                  search);
  if (!found) return FALSE;
  std::lock_guard<std::mutex> lock(found->mutex);
  if (found->next >= found->found.size()) return FALSE;
  if (data != nullptr) *data = found->found[found->next];
  ++found->next;
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  const bool closed = RemoveHandle(search, [](const HandleObject& object) {
    return dynamic_cast<const FolderSearch*>(&object) != nullptr;
  });
  RequireEmulated(closed || !FindHandle(search), "FindClose", "FindClose takes a folder search handle",
                  search);
  return closed ? TRUE : FALSE;
}

void SetFileCallHook(FileCallHook hook, void* context) {
  FileCallSeam& seam = Seam();
  std::lock_guard<std::mutex> lock(seam.mutex);
  seam.hook = hook;
  seam.context = context;
}

// ---- Folders --------------------------------------------------------------------------

// The path is taken with the folders above the current folder, once for as
// long as the current folder stays the same folder.
DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
  std::string path;
  if (std::shared_ptr<FoldersAbove> above = FoldersAboveNow()) {
    path = CurrentFolderPathAbove(*above);
  } else if (!PosixCurrentFolderPath(&path)) {
    return 0;
  }
  return CopyOut(WindowsPath(path), buffer_length, buffer);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  Location location;
  if (!Locate(path, &location) || !location.exists || !location.info.directory) return FALSE;
  Descriptor folder(PosixOpenFolderAt(location.folder.get(), location.name));
  return folder.valid() && PosixChangeFolder(folder.get()) ? TRUE : FALSE;
}

DWORD GetTempPathA(DWORD buffer_length, LPSTR buffer) {
  std::string path = WindowsPath(PosixTemporaryFolderPath());
  if (path.back() != '\\') path += '\\';
  return CopyOut(path, buffer_length, buffer);
}

// Numbers are tried from a per-process starting point onwards, skipping
// names in use. A name that would not fit MAX_PATH bytes fails.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR temp_file_name) {
  RequireEmulated(folder != nullptr, "GetTempFileNameA", "a folder is needed", folder);
  RequireEmulated(temp_file_name != nullptr, "GetTempFileNameA", "a name buffer is needed",
                  temp_file_name);
  std::string base = folder;
  // Ends with a separator unless its last character is a two-byte one
  // whose trail byte happens to be 0x5C.
  bool separated = false;
  for (size_t i = 0; i < base.size();) {
    const size_t length = CharLength(base, i);
    separated = length == 1 && IsSeparator(base[i]);
    i += length;
  }
  if (!base.empty() && !separated) base += '\\';
  if (prefix != nullptr) {
    const std::string_view text(prefix);
    size_t at = 0;
    for (int characters = 0; characters < 3 && at < text.size(); ++characters) {
      at += CharLength(text, at);
    }
    base.append(text.substr(0, at));
  }
  auto name_for = [&](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%X", number & 0xFFFFu);
    return base + hex + ".tmp";
  };
  auto give = [&](const std::string& name) {
    std::memcpy(temp_file_name, name.c_str(), name.size() + 1);
  };
  if (name_for(0xFFFF).size() >= MAX_PATH) return 0;
  if (unique != 0) {
    give(name_for(unique));
    return unique;
  }
  static std::atomic<uint32_t> next{static_cast<uint32_t>(PosixProcessId())};
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    UINT number = next.fetch_add(1) & 0xFFFFu;
    if (number == 0) number = next.fetch_add(1) & 0xFFFFu;
    const std::string name = name_for(number);
    OpenFailure failure;
    HANDLE file = OpenFileAt(name.c_str(), GENERIC_WRITE, 0, CREATE_NEW, &failure);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      give(name);
      return number;
    }
    if (failure != OpenFailure::kExists) return 0;
  }
  return 0;
}
