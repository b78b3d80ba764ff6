// Test entry for everything that runs on the null host: the host is installed
// once, before any test, with the test thread as its game thread. Built a
// second time for the runtime's tests (BRIMAL_TEST_RUNTIME): there the upper
// layers' procedures that lower layers call are registered before each test,
// as library start-up registers them, so a test that drives one room without
// starting the library sees the runtime as the program does.
#include <gtest/gtest.h>

#include <memory>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#ifdef BRIMAL_TEST_RUNTIME
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/system/library.h"
#endif

namespace {

class NullHostEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
    CurrentHost().Clock().SetGameThread();
#ifdef BRIMAL_TEST_RUNTIME
    // A death test's child process runs its test without the listeners.
    InstallUpperLayers();
#endif
  }
};

#ifdef BRIMAL_TEST_RUNTIME
class UpperLayersListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { InstallUpperLayers(); }
};

// Library start-up writes its log into the current folder: the runtime's tests
// run in a temporary folder of their own, so a test binary started from the
// repository (or anywhere) leaves nothing behind there. A death test's child
// process (the same program started again) finds the folder in the
// environment and works in it too. Returns true when this process made the
// folder and so removes it at the end.
constexpr char kTestFolderVariable[] = "BRIMAL_TEST_FOLDER";

bool EnterTemporaryFolder(std::string* folder) {
  bool made = false;
  if (const char* inherited = std::getenv(kTestFolderVariable)) {
    *folder = inherited;
  } else {
    *folder = (std::filesystem::temp_directory_path() / "brimal_test_XXXXXX").string();
    if (mkdtemp(folder->data()) == nullptr) {
      std::perror("temporary test folder");
      std::exit(2);
    }
    setenv(kTestFolderVariable, folder->c_str(), 1);
    made = true;
  }
  if (chdir(folder->c_str()) != 0) {
    std::perror("temporary test folder");
    std::exit(2);
  }
  return made;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef BRIMAL_TEST_RUNTIME
  std::string folder;
  const bool made_folder = EnterTemporaryFolder(&folder);
#endif
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ::testing::AddGlobalTestEnvironment(new NullHostEnvironment);
#ifdef BRIMAL_TEST_RUNTIME
  ::testing::UnitTest::GetInstance()->listeners().Append(new UpperLayersListener);
#endif
  const int result = RUN_ALL_TESTS();
#ifdef BRIMAL_TEST_RUNTIME
  if (made_folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
#endif
  return result;
}
