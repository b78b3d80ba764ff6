// Files over the POSIX file system: opening, reading, writing, moving and
// removing them (where paths lead: see file_paths.h).
//
// Share modes are kept between the handles of this process: an open that the
// share mode of an open handle (or its own) does not allow fails, and an open
// file cannot be deleted.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/not_emulated.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/files_posix.h"
#include "platform/win32/folder_listings.h"
#include "platform/win32/handle_table.h"
#include "platform/win32/kernel.h"

namespace {

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
  // The file position, kept here rather than in the descriptor: moving it
  // then costs no call into the kernel.
  std::mutex position_mutex;
  int64_t position = 0;
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

}  // namespace

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

namespace {

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
  std::lock_guard<std::mutex> lock(open->position_mutex);
  int64_t moved = 0;
  const int64_t read = PosixReadAt(open->descriptor, buffer, bytes_to_read, open->position, &moved);
  open->position += moved;
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
  std::lock_guard<std::mutex> lock(open->position_mutex);
  int64_t moved = 0;
  const int64_t written =
      PosixWriteAt(open->descriptor, buffer, bytes_to_write, open->position, &moved);
  open->position += moved;
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
  std::lock_guard<std::mutex> lock(open->position_mutex);
  // The end is asked of the kernel (another program may have changed the
  // file); so is a position past 2 GiB, which a file system may refuse.
  constexpr int64_t kEveryFileSystemTakes = 0x7FFFFFFF;
  const int64_t base = move_method == FILE_BEGIN     ? 0
                       : move_method == FILE_CURRENT ? open->position
                                                     : PosixSeek(open->descriptor, 0, FILE_END);
  if (base < 0) return INVALID_SET_FILE_POINTER;
  const int64_t target = base + offset;
  if (target < 0 ||
      (target > kEveryFileSystemTakes && PosixSeek(open->descriptor, target, 0) != target)) {
    return INVALID_SET_FILE_POINTER;
  }
  open->position = target;
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

void SetFileCallHook(FileCallHook hook, void* context) {
  FileCallSeam& seam = Seam();
  std::lock_guard<std::mutex> lock(seam.mutex);
  seam.hook = hook;
  seam.context = context;
}
