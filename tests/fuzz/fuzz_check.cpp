#include "tests/fuzz/fuzz_check.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

void FuzzCheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

namespace {

std::string& ScratchFolder() {
  static std::string folder;
  return folder;
}

void RemoveScratchFolder() {
  if (ScratchFolder().empty()) return;
  nftw(
      ScratchFolder().c_str(),
      [](const char* path, const struct stat*, int, struct FTW*) { return remove(path); }, 16,
      FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& EnterScratchFolder() {
  std::string& folder = ScratchFolder();
  if (!folder.empty()) return folder;
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base == '/' ? base : "/tmp") + "/brimal_fuzz_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  FUZZ_CHECK(mkdtemp(name.data()) != nullptr);
  folder = name.data();
  FUZZ_CHECK(chdir(folder.c_str()) == 0);
  std::atexit(RemoveScratchFolder);
  return folder;
}

std::string WriteScratchFile(const std::string& relative, const uint8_t* data, size_t size) {
  const std::string path = EnterScratchFolder() + "/" + relative;
  for (size_t at = relative.find('/'); at != std::string::npos; at = relative.find('/', at + 1)) {
    mkdir((EnterScratchFolder() + "/" + relative.substr(0, at)).c_str(), 0755);
  }
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  FUZZ_CHECK(file >= 0);
  size_t written = 0;
  while (written < size) {
    const ssize_t n = write(file, data + written, size - written);
    FUZZ_CHECK(n > 0);
    written += static_cast<size_t>(n);
  }
  close(file);
  return path;
}
