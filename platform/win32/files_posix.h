// The POSIX calls behind the file, folder and local-time stand-ins, kept in
// their own translation unit so that POSIX names never meet the Windows-named
// ones. Names are UTF-8 file-system names of one component; folders are
// reached through descriptors, one component at a time, so paths of any
// length work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a file-system entry is.
struct PosixEntryInfo {
  bool directory = false;
  bool regular = false;
  bool writable = false;  // some write permission bit is set
  uint64_t size = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  // Seconds and nanoseconds since 1970-01-01 UTC. The creation time is the
  // file system's birth time where it keeps one, else the last write time.
  int64_t creation_seconds = 0;
  uint32_t creation_nanoseconds = 0;
  int64_t access_seconds = 0;
  uint32_t access_nanoseconds = 0;
  int64_t write_seconds = 0;
  uint32_t write_nanoseconds = 0;
};

// Why an operation failed, as far as the stand-ins tell the cases apart.
enum class PosixError { kNone, kMissing, kExists, kIsFolder, kOther };

// Folder descriptors. -1 is none. The current folder has a descriptor of its
// own that every call here takes and PosixClose leaves alone.
int PosixOpenRootFolder();
int PosixCurrentFolder();
// Opens the folder `name` inside `folder` ("." and ".." included). On
// failure -1, and `missing` (when given) tells whether nothing of that name
// exists. `through_link` (when given) tells whether `name` is a symbolic link
// that was followed to the folder.
int PosixOpenFolderAt(int folder, const std::string& name, bool* missing = nullptr,
                      bool* through_link = nullptr);
void PosixClose(int descriptor);

// The entry `name` inside `folder`, following symbolic links; false when it
// does not exist (or cannot be reached).
bool PosixInfoAt(int folder, const std::string& name, PosixEntryInfo* info);
bool PosixInfoOf(int descriptor, PosixEntryInfo* info);
// The names in `folder`, without "." and "..", in the order the file system
// gives them; false when it cannot be read.
bool PosixListFolder(int folder, std::vector<std::string>* names);
// How many of the calls that reach the file system the process has made so
// far, for tests and benchmarks.
struct PosixCallCounts {
  uint64_t folder_listings = 0;  // PosixListFolder
  uint64_t folder_opens = 0;     // PosixOpenRootFolder, PosixOpenFolderAt
  uint64_t file_opens = 0;       // PosixOpenFileAt
  uint64_t entry_infos = 0;      // PosixInfoAt
  uint64_t descriptor_infos = 0; // PosixInfoOf
  uint64_t current_folder_infos = 0;  // PosixCurrentFolderInfo
  uint64_t watch_reads = 0;      // PosixReadFolderChanges
};
PosixCallCounts PosixCallCountsSoFar();

// Opens (and with `create`, creates; with `exclusive`, only creates) the
// regular file `name` inside `folder`, filling the open file's `info`. -1 on
// failure, with `error` set.
int PosixOpenFileAt(int folder, const std::string& name, bool read, bool write, bool create,
                    bool exclusive, PosixError* error, PosixEntryInfo* info);
bool PosixTruncate(int file);
// Read and write loop until done; -1 on failure, else the bytes moved (a read
// stops short only at the end of the file).
int64_t PosixRead(int file, void* buffer, size_t size);
int64_t PosixWrite(int file, const void* buffer, size_t size);
// The same at `offset`, leaving the descriptor's own position; `done` (when
// given) counts the bytes moved, those before a failure included.
int64_t PosixReadAt(int file, void* buffer, size_t size, int64_t offset, int64_t* done = nullptr);
int64_t PosixWriteAt(int file, const void* buffer, size_t size, int64_t offset,
                     int64_t* done = nullptr);
// `origin` 0 from the start, 1 from the position, 2 from the end; the new
// position, or -1 on failure.
int64_t PosixSeek(int file, int64_t offset, int origin);
// Removes the file (not a folder) `name` inside `folder`.
bool PosixRemoveFileAt(int folder, const std::string& name);
// Renames `from` in `from_folder` to `to` in `to_folder`, replacing a file of
// that name in one step.
bool PosixRenameAt(int from_folder, const std::string& from, int to_folder, const std::string& to);
// Writes a file's data, or a folder's list of names, to the disk. A file
// system that cannot sync a folder counts as done.
bool PosixSyncFile(int file);
bool PosixSyncFolder(int folder);

// The process's current folder. Anyone in the process may change it (the C
// library's own calls, such as nftw's, included) and nothing here is told:
// what is kept of it is checked against its information, read anew.
bool PosixChangeFolder(int folder);
bool PosixCurrentFolderPath(std::string* path);
bool PosixCurrentFolderInfo(PosixEntryInfo* info);

// Watches of folders (inotify): a folder is watched for names added to it,
// removed from it or renamed in it, and for its own removal. The kernel
// notes a change before the call that made it returns, so a change another
// program finished before a read of the changes is in that read.
//
// Starts watching `folder` (or finds it watched); the watch's number, the
// same for one folder for as long as it is watched, or -1 when the folder
// cannot be watched: no watches here, too many, or a file system shared over
// a network, whose changes made on other machines no watch sees.
int PosixWatchFolder(int folder);
// Ends every watch.
void PosixStopWatchingFolders();
// What the watches saw since the last read.
struct PosixFolderChanges {
  std::vector<int> changed;  // watches whose folder's names changed
  std::vector<int> ended;    // watches the kernel ended (the folder removed)
  bool lost = false;         // the kernel dropped changes: any folder may have changed
};
// Reads the changes without waiting: one read of the watch descriptor when
// nothing changed. Nothing is read while no folder is watched.
void PosixReadFolderChanges(PosixFolderChanges* changes);
// For tests: false keeps every folder from being watched (as where watches
// cannot be had); true (the start) watches where it can.
void PosixAllowFolderWatches(bool allow);
// The folder for temporary files: TMPDIR when it is an absolute path, else /tmp.
std::string PosixTemporaryFolderPath();
int PosixProcessId();

// The wall clock.
void PosixNow(int64_t* seconds, uint32_t* nanoseconds);

// A moment broken down in local time.
struct PosixLocalParts {
  int year;
  int month;  // 1 to 12
  int day_of_week;  // 0 Sunday
  int day;
  int hour;
  int minute;
  int second;
  int64_t utc_offset_seconds;  // local time minus UTC at that moment
};
bool PosixLocalTime(int64_t seconds, PosixLocalParts* parts);
