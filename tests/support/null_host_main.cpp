// Test entry for everything that runs on the null host: the host is installed
// once, before any test, with the test thread as its game thread.
#include <gtest/gtest.h>

#include <memory>

#include "platform/host/host.h"
#include "platform/null/null_host.h"

namespace {

class NullHostEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
    CurrentHost().Clock().SetGameThread();
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ::testing::AddGlobalTestEnvironment(new NullHostEnvironment);
  return RUN_ALL_TESTS();
}
