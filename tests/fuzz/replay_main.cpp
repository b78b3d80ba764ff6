// The replay driver: in the normal builds every fuzz target is linked with
// this main in place of libFuzzer's, and runs its input once for every file
// given (folders are read recursively, in name order), so the test command
// proves that no seed and no input that once failed fails again. A folder
// that holds no file is an error: a replay of nothing proves nothing.
//
//   replay_TARGET PATH...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> FilesOf(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (std::filesystem::is_regular_file(path, error)) {
    files.push_back(path);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH...\n", argv[0]);
    return 2;
  }
  // Paths are taken as given before any target changes the current folder.
  std::vector<std::filesystem::path> paths;
  for (int i = 1; i < argc; ++i) paths.push_back(std::filesystem::absolute(argv[i]));
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  for (const std::filesystem::path& path : paths) {
    const std::vector<std::filesystem::path> files = FilesOf(path);
    if (files.empty()) {
      std::fprintf(stderr, "no input in %s\n", path.c_str());
      return 1;
    }
    for (const std::filesystem::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
      std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs of %s replayed\n", files.size(), path.c_str());
  }
  return 0;
}
