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
#endif

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ::testing::AddGlobalTestEnvironment(new NullHostEnvironment);
#ifdef BRIMAL_TEST_RUNTIME
  ::testing::UnitTest::GetInstance()->listeners().Append(new UpperLayersListener);
#endif
  return RUN_ALL_TESTS();
}
