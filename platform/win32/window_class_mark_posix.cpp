// Window class marks over open-file locks in the session's runtime folder;
// see window_class_mark_posix.h.
//
// A mark is a shared (read) lock of the whole file, taken with F_OFD_SETLK:
// open-file locks belong to the open file rather than to the process, so
// two windows of one class in one program hold two marks, and closing one
// leaves the other. A search asks with F_OFD_GETLK whether an exclusive lock
// could be had, which any mark prevents: the search itself takes nothing, so
// it never blocks a program that is making its window. The files are opened
// close-on-exec, so a program the game starts (a dialog) never inherits a
// mark.
#include "platform/win32/window_class_mark_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace {

constexpr char kFolderVariable[] = "XDG_RUNTIME_DIR";
constexpr char kFilePrefix[] = "brimal-window-";
constexpr char kFileSuffix[] = ".lock";
constexpr mode_t kFileMode = 0600;
// A class name whose escaped form is longer than this keeps the first
// kKeptOfLongName bytes of that form and ends with a hash of the whole name,
// so the file name stays well within the 255 bytes a name may have.
constexpr size_t kLongestEscapedName = 200;
constexpr size_t kKeptOfLongName = 160;

bool IsAsciiUpper(unsigned char byte) { return byte >= 'A' && byte <= 'Z'; }
bool IsAsciiLowerOrDigit(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

// Class names match without regard to ASCII case, byte by byte (a
// two-byte character's second byte included), as the window table matches
// them: the name is taken in lower case.
std::string LowerCase(const std::string& name) {
  std::string lower = name;
  for (char& byte : lower) {
    if (IsAsciiUpper(static_cast<unsigned char>(byte))) byte = static_cast<char>(byte - 'A' + 'a');
  }
  return lower;
}

// 64-bit FNV-1a.
uint64_t NameHash(const std::string& bytes) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

// The file name of a class: lower-case letters and digits stay, every other
// byte becomes '_' and two hex digits, so no name can hold a '/', be "." or
// "..", begin with a dot or name another class. A long name is cut at a
// whole byte's escape and ends in '-' (which no escape makes) and its hash.
std::string MarkFileName(const std::string& class_name) {
  const std::string lower = LowerCase(class_name);
  std::string escaped;
  size_t kept = 0;  // the length of `escaped` within kKeptOfLongName
  for (const char byte : lower) {
    const unsigned char value = static_cast<unsigned char>(byte);
    if (IsAsciiLowerOrDigit(value)) {
      escaped += byte;
    } else {
      char text[4];
      std::snprintf(text, sizeof(text), "_%02x", value);
      escaped += text;
    }
    if (escaped.size() <= kKeptOfLongName) kept = escaped.size();
  }
  if (escaped.size() > kLongestEscapedName) {
    char hash[24];
    std::snprintf(hash, sizeof(hash), "-%016llx",
                  static_cast<unsigned long long>(NameHash(lower)));
    escaped.resize(kept);
    escaped += hash;
  }
  return kFilePrefix + escaped + kFileSuffix;
}

// Writes why marks cannot be made or seen, once for each reason.
void Report(const std::string& problem) {
  static std::mutex* mutex = new std::mutex;  // never destroyed: used up to exit
  static std::set<std::string>* reported = new std::set<std::string>;
  std::lock_guard<std::mutex> lock(*mutex);
  if (!reported->insert(problem).second) return;
  std::fprintf(stderr,
               "brimal: %s; a second copy of the program in this login session is not "
               "noticed\n",
               problem.c_str());
}

// The session's runtime folder, open; -1 with `problem` set when it is not
// set, not absolute, or not a folder of this user closed to everyone else.
int OpenRuntimeFolder(std::string* folder, std::string* problem) {
  const char* value = std::getenv(kFolderVariable);
  if (value == nullptr || value[0] == '\0') {
    *problem = std::string(kFolderVariable) + " is not set";
    return -1;
  }
  *folder = value;
  if (value[0] != '/') {
    *problem = std::string(kFolderVariable) + " (" + *folder + ") is not an absolute path";
    return -1;
  }
  const int descriptor = open(value, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    *problem = std::string("cannot open ") + kFolderVariable + " (" + *folder +
               "): " + std::strerror(errno);
    return -1;
  }
  struct stat info {};
  if (fstat(descriptor, &info) != 0 || info.st_uid != geteuid() ||
      (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    close(descriptor);
    *problem = std::string(kFolderVariable) + " (" + *folder +
               ") is not a folder that only this user may use";
    return -1;
  }
  return descriptor;
}

// Opens the mark file of `class_name` for reading, made first when `make`
// is set. Only a regular file of this user is taken: never a link (which
// O_NOFOLLOW refuses), a folder, a device or a pipe. Returns -1 with
// `problem` empty when the file does not exist and is not to be made, or
// with `problem` set on a failure.
int OpenMarkFile(const std::string& class_name, bool make, std::string* problem) {
  problem->clear();
  std::string folder_path;
  const int folder = OpenRuntimeFolder(&folder_path, problem);
  if (folder < 0) return -1;
  const std::string name = MarkFileName(class_name);
  const std::string path = folder_path + "/" + name;
  const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY |
                    (make ? O_CREAT : 0);
  const int descriptor = openat(folder, name.c_str(), flags, kFileMode);
  const int open_error = errno;
  close(folder);
  if (descriptor < 0) {
    if (!make && open_error == ENOENT) return -1;
    *problem = "cannot open " + path + ": " + std::strerror(open_error);
    return -1;
  }
  struct stat info {};
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    close(descriptor);
    *problem = path + " is not a file of this user";
    return -1;
  }
  return descriptor;
}

// The whole file, for a lock of `type`.
struct flock WholeFile(short type) {
  struct flock lock {};  // l_pid must be 0 for open-file locks
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

}  // namespace

int MarkWindowClass(const std::string& class_name) {
  std::string problem;
  const int descriptor = OpenMarkFile(class_name, true, &problem);
  if (descriptor < 0) {
    Report(problem);
    return -1;
  }
  struct flock lock = WholeFile(F_RDLCK);
  if (fcntl(descriptor, F_OFD_SETLK, &lock) != 0) {
    Report("cannot lock " + MarkFileName(class_name) + " in " + kFolderVariable + ": " +
           std::strerror(errno));
    close(descriptor);
    return -1;
  }
  return descriptor;
}

void ReleaseWindowClassMark(int mark) {
  if (mark >= 0) close(mark);
}

bool WindowClassMarkedElsewhere(const std::string& class_name) {
  std::string problem;
  const int descriptor = OpenMarkFile(class_name, false, &problem);
  if (descriptor < 0) {
    if (!problem.empty()) Report(problem);
    return false;
  }
  struct flock lock = WholeFile(F_WRLCK);
  const bool asked = fcntl(descriptor, F_OFD_GETLK, &lock) == 0;
  const int ask_error = errno;
  close(descriptor);
  if (!asked) {
    Report("cannot ask for the lock of " + MarkFileName(class_name) + " in " + kFolderVariable +
           ": " + std::strerror(ask_error));
    return false;
  }
  return lock.l_type != F_UNLCK;
}
