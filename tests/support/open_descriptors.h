// The process's open descriptors other than folders: the sockets, files and
// pipes a test opens and expects closed again. Folders are left out because
// the file layer keeps the folders it has walked open, with their listings,
// for later look-ups, and so is the one watch of those folders (an inotify
// instance) that it keeps for the whole run.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

inline int OpenDescriptorsOtherThanFolders() {
  DIR* directory = opendir("/proc/self/fd");
  if (directory == nullptr) return -1;
  const int own = dirfd(directory);
  int count = 0;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name == std::to_string(own)) continue;
    struct stat info {};
    if (fstatat(own, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)) continue;
    char target[64];
    const ssize_t length = readlinkat(own, entry->d_name, target, sizeof(target));
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == "anon_inode:inotify") {
      continue;
    }
    ++count;
  }
  closedir(directory);
  return count;
}
