#include "platform/win32/files_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

PosixError ErrorOf(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      return PosixError::kMissing;
    case EEXIST:
      return PosixError::kExists;
    case EISDIR:
      return PosixError::kIsFolder;
    default:
      return PosixError::kOther;
  }
}

void FillInfo(const struct statx& s, PosixEntryInfo* info) {
  const unsigned type = s.stx_mode & S_IFMT;
  info->directory = type == S_IFDIR;
  info->regular = type == S_IFREG;
  info->writable = (s.stx_mode & 0222) != 0;
  info->size = s.stx_size;
  info->device = (static_cast<uint64_t>(s.stx_dev_major) << 32) | s.stx_dev_minor;
  info->inode = s.stx_ino;
  info->access_seconds = s.stx_atime.tv_sec;
  info->access_nanoseconds = s.stx_atime.tv_nsec;
  info->write_seconds = s.stx_mtime.tv_sec;
  info->write_nanoseconds = s.stx_mtime.tv_nsec;
  if (s.stx_mask & STATX_BTIME) {
    info->creation_seconds = s.stx_btime.tv_sec;
    info->creation_nanoseconds = s.stx_btime.tv_nsec;
  } else {
    info->creation_seconds = s.stx_mtime.tv_sec;
    info->creation_nanoseconds = s.stx_mtime.tv_nsec;
  }
}

bool StatxInfo(int folder, const char* name, int flags, PosixEntryInfo* info) {
  struct statx s;
  if (statx(folder, name, flags, STATX_BASIC_STATS | STATX_BTIME, &s) != 0) return false;
  FillInfo(s, info);
  return true;
}

struct Counts {
  std::atomic<uint64_t> folder_listings{0};
  std::atomic<uint64_t> folder_opens{0};
  std::atomic<uint64_t> file_opens{0};
  std::atomic<uint64_t> entry_infos{0};
  std::atomic<uint64_t> descriptor_infos{0};
  std::atomic<uint64_t> current_folder_infos{0};
  std::atomic<uint64_t> watch_reads{0};
};
Counts counts;

void Count(std::atomic<uint64_t> Counts::*counter) {
  (counts.*counter).fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

PosixCallCounts PosixCallCountsSoFar() {
  PosixCallCounts so_far;
  so_far.folder_listings = counts.folder_listings.load();
  so_far.folder_opens = counts.folder_opens.load();
  so_far.file_opens = counts.file_opens.load();
  so_far.entry_infos = counts.entry_infos.load();
  so_far.descriptor_infos = counts.descriptor_infos.load();
  so_far.current_folder_infos = counts.current_folder_infos.load();
  so_far.watch_reads = counts.watch_reads.load();
  return so_far;
}

int PosixOpenRootFolder() {
  Count(&Counts::folder_opens);
  return open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int PosixCurrentFolder() { return AT_FDCWD; }

int PosixOpenFolderAt(int folder, const std::string& name, bool* missing, bool* through_link) {
  // A folder is opened without following a symbolic link first: the one
  // call it takes tells a link apart (ELOOP, or ENOTDIR as newer kernels
  // answer), which is then followed.
  bool link = false;
  Count(&Counts::folder_opens);
  int descriptor = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (descriptor < 0 && (errno == ELOOP || errno == ENOTDIR)) {
    Count(&Counts::folder_opens);
    descriptor = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    link = descriptor >= 0 || errno != ENOTDIR;  // ENOTDIR again: a file, or a link to one
  }
  // A folder that may be passed through but not listed.
  if (descriptor < 0 && errno == EACCES) {
    Count(&Counts::folder_opens);
    descriptor = openat(folder, name.c_str(),
                        O_PATH | O_DIRECTORY | (link ? 0 : O_NOFOLLOW) | O_CLOEXEC);
  }
  if (missing != nullptr) *missing = descriptor < 0 && errno == ENOENT;
  if (through_link != nullptr) *through_link = link;
  return descriptor;
}

void PosixClose(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}

bool PosixInfoAt(int folder, const std::string& name, PosixEntryInfo* info) {
  Count(&Counts::entry_infos);
  return StatxInfo(folder, name.c_str(), 0, info);
}

bool PosixInfoOf(int descriptor, PosixEntryInfo* info) {
  Count(&Counts::descriptor_infos);
  return StatxInfo(descriptor, "", AT_EMPTY_PATH, info);
}

bool PosixListFolder(int folder, std::vector<std::string>* names) {
  names->clear();
  Count(&Counts::folder_listings);
  // A descriptor of its own, so that its read position is shared with no
  // other (folder descriptors are shared between threads).
  const int copy = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (copy < 0) return false;
  DIR* listing = fdopendir(copy);
  if (listing == nullptr) {
    close(copy);
    return false;
  }
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(listing);
  return true;
}

int PosixOpenFileAt(int folder, const std::string& name, bool read, bool write, bool create,
                    bool exclusive, PosixError* error, PosixEntryInfo* info) {
  Count(&Counts::file_opens);
  int flags = O_CLOEXEC | O_NONBLOCK;  // no waiting on a pipe or device: refused below
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  if (create) flags |= O_CREAT;
  if (exclusive) flags |= O_EXCL;
  const int file = openat(folder, name.c_str(), flags, 0666);
  if (file < 0) {
    *error = ErrorOf(errno);
    return -1;
  }
  if (!PosixInfoOf(file, info) || !info->regular) {
    *error = info->directory ? PosixError::kIsFolder : PosixError::kOther;
    close(file);
    return -1;
  }
  // Of the flags F_SETFL sets (append, asynchronous, direct, no access
  // time, non-blocking) the file was opened with only the last: 0 clears it.
  fcntl(file, F_SETFL, 0);
  *error = PosixError::kNone;
  return file;
}

bool PosixTruncate(int file) { return ftruncate(file, 0) == 0; }

int64_t PosixRead(int file, void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = read(file, static_cast<char*>(buffer) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t PosixWrite(int file, const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(file, static_cast<const char*>(buffer) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t PosixReadAt(int file, void* buffer, size_t size, int64_t offset, int64_t* done) {
  size_t moved = 0;
  int64_t result = 0;
  while (moved < size) {
    const ssize_t n = pread(file, static_cast<char*>(buffer) + moved, size - moved,
                            static_cast<off_t>(offset + static_cast<int64_t>(moved)));
    if (n < 0) {
      if (errno == EINTR) continue;
      result = -1;
      break;
    }
    if (n == 0) break;
    moved += static_cast<size_t>(n);
  }
  if (done != nullptr) *done = static_cast<int64_t>(moved);
  return result < 0 ? -1 : static_cast<int64_t>(moved);
}

int64_t PosixWriteAt(int file, const void* buffer, size_t size, int64_t offset, int64_t* done) {
  size_t moved = 0;
  int64_t result = 0;
  while (moved < size) {
    const ssize_t n = pwrite(file, static_cast<const char*>(buffer) + moved, size - moved,
                             static_cast<off_t>(offset + static_cast<int64_t>(moved)));
    if (n < 0) {
      if (errno == EINTR) continue;
      result = -1;
      break;
    }
    moved += static_cast<size_t>(n);
  }
  if (done != nullptr) *done = static_cast<int64_t>(moved);
  return result < 0 ? -1 : static_cast<int64_t>(moved);
}

int64_t PosixSeek(int file, int64_t offset, int origin) {
  const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  return lseek(file, offset, whence);
}

bool PosixRemoveFileAt(int folder, const std::string& name) {
  return unlinkat(folder, name.c_str(), 0) == 0;
}

bool PosixRenameAt(int from_folder, const std::string& from, int to_folder, const std::string& to) {
  return renameat(from_folder, from.c_str(), to_folder, to.c_str()) == 0;
}

bool PosixSyncFile(int file) {
  while (fsync(file) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool PosixSyncFolder(int folder) {
  // The descriptor a walk keeps may be one that cannot be synced (opened
  // only to pass through): the folder is opened again for reading.
  const int descriptor = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  bool synced = true;
  while (fsync(descriptor) != 0) {
    if (errno == EINTR) continue;
    synced = errno == EINVAL;  // folders this file system does not sync
    break;
  }
  close(descriptor);
  return synced;
}

bool PosixChangeFolder(int folder) { return fchdir(folder) == 0; }

bool PosixCurrentFolderInfo(PosixEntryInfo* info) {
  Count(&Counts::current_folder_infos);
  return StatxInfo(AT_FDCWD, "", AT_EMPTY_PATH, info);
}

namespace {

struct FolderWatches {
  std::mutex mutex;
  int descriptor = -1;  // the inotify instance, made at the first watch
  bool failed = false;  // no instance can be had
  bool allowed = true;
  std::atomic<bool> any{false};  // some folder is watched
};

FolderWatches& Watches() {
  static auto* watches = new FolderWatches;  // never destroyed: used up to exit
  return *watches;
}

// File systems whose folders may be changed from other machines (or, for a
// folder shared into a virtual machine, by its host), which no watch here
// sees.
bool SharedOverNetwork(int folder) {
  struct statfs info;
  if ((folder == AT_FDCWD ? statfs(".", &info) : fstatfs(folder, &info)) != 0) return true;
  switch (static_cast<unsigned long>(info.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case 0xFF534D42ul:  // CIFS
    case 0xFE534D42ul:  // SMB2
    case 0x65735546ul:  // FUSE
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case OCFS2_SUPER_MAGIC:
    case 0x01161970ul:  // GFS2
    case 0x0BD00BD0ul:  // Lustre
    case 0x6A656A63ul:  // virtiofs
      return true;
    default:
      return false;
  }
}

}  // namespace

int PosixWatchFolder(int folder) {
  FolderWatches& watches = Watches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  if (!watches.allowed || watches.failed) return -1;
  if (watches.descriptor < 0) {
    watches.descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watches.descriptor < 0) {
      watches.failed = true;
      return -1;
    }
  }
  char path[40];
  if (folder == AT_FDCWD) {
    std::snprintf(path, sizeof(path), ".");
  } else {
    std::snprintf(path, sizeof(path), "/proc/self/fd/%d", folder);
  }
  if (SharedOverNetwork(folder)) return -1;
  const int watch = inotify_add_watch(
      watches.descriptor, path,
      IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR);
  if (watch >= 0) watches.any = true;
  return watch;
}

void PosixStopWatchingFolders() {
  FolderWatches& watches = Watches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  if (watches.descriptor >= 0) close(watches.descriptor);
  watches.descriptor = -1;
  watches.any = false;
}

void PosixReadFolderChanges(PosixFolderChanges* changes) {
  changes->changed.clear();
  changes->ended.clear();
  changes->lost = false;
  FolderWatches& watches = Watches();
  if (!watches.any.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(watches.mutex);
  if (watches.descriptor < 0) return;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    Count(&Counts::watch_reads);
    const ssize_t got = read(watches.descriptor, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;  // nothing more (EAGAIN)
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof(event));
      if (event.mask & IN_Q_OVERFLOW) changes->lost = true;
      if (event.mask & IN_IGNORED) {
        changes->ended.push_back(event.wd);
      } else if (event.wd >= 0) {
        changes->changed.push_back(event.wd);
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

void PosixAllowFolderWatches(bool allow) {
  FolderWatches& watches = Watches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  watches.allowed = allow;
}

bool PosixCurrentFolderPath(std::string* path) {
  // glibc finds the path even where it is longer than PATH_MAX.
  char* text = getcwd(nullptr, 0);
  if (text == nullptr) return false;
  *path = text;
  std::free(text);
  return true;
}

std::string PosixTemporaryFolderPath() {
  const char* folder = std::getenv("TMPDIR");
  if (folder != nullptr && folder[0] == '/') return folder;
  return "/tmp";
}

int PosixProcessId() { return static_cast<int>(getpid()); }

void PosixNow(int64_t* seconds, uint32_t* nanoseconds) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  *seconds = now.tv_sec;
  *nanoseconds = static_cast<uint32_t>(now.tv_nsec);
}

bool PosixLocalTime(int64_t seconds, PosixLocalParts* parts) {
  const time_t moment = static_cast<time_t>(seconds);
  tm local;
  if (localtime_r(&moment, &local) == nullptr) return false;
  parts->year = local.tm_year + 1900;
  parts->month = local.tm_mon + 1;
  parts->day_of_week = local.tm_wday;
  parts->day = local.tm_mday;
  parts->hour = local.tm_hour;
  parts->minute = local.tm_min;
  parts->second = local.tm_sec;
  parts->utc_offset_seconds = local.tm_gmtoff;
  return true;
}
