// Linked into every test program: before main, the program's
// XDG_RUNTIME_DIR is pointed at a new folder of its own, so test programs
// that run in parallel (each its own windows of the game's class) never see
// each other's windows, nor those of a game a person plays meanwhile. The
// programs the test starts inherit the folder. A program started by a test
// program (a death test's child process is the test program started again)
// makes its folder inside the first one's, which removes it all at its end.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/private_runtime_folder.h"

namespace {

// Names the folder of the first test program of the family.
constexpr char kFamilyFolderVariable[] = "BRIMAL_TEST_RUNTIME_FOLDERS";

class PrivateRuntimeFolder {
 public:
  PrivateRuntimeFolder() {
    std::string folder;
    if (const char* family = std::getenv(kFamilyFolderVariable)) {
      folder = NewRuntimeFolder(family);
    } else {
      std::error_code error;
      folder = NewRuntimeFolder(std::filesystem::temp_directory_path(error));
      if (!folder.empty()) {
        setenv(kFamilyFolderVariable, folder.c_str(), 1);
        owned_ = folder;
        owner_ = getpid();
      }
    }
    if (folder.empty()) std::exit(2);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  ~PrivateRuntimeFolder() {
    // A child made by fork alone that ends through exit must not remove it.
    if (owned_.empty() || getpid() != owner_) return;
    std::error_code ignored;
    std::filesystem::remove_all(owned_, ignored);
  }
  PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
  PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

 private:
  std::string owned_;
  pid_t owner_ = 0;
};

const PrivateRuntimeFolder private_runtime_folder;

}  // namespace
