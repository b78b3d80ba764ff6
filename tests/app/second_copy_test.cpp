// Two copies of the built `brimal --host=null` in one login session (one
// runtime folder, this test program's own) over one data folder: while the
// first runs, the second stops at start-up with a line on stderr and a
// failing exit status and writes nothing; the first runs on; and once the
// first is gone, even killed, the next copy starts as usual.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/user.h"
#include "tools/sample_data/sample_data.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The game's window text, which names its window class.
constexpr char kGameClass[] = "BRIMAL_Ver1.04";
// How long the first copy may take to make its window before the test gives
// up (a bound for a broken program, not an ordering: the test goes on as
// soon as it sees the window).
constexpr auto kLongestStart = std::chrono::seconds(120);
constexpr auto kLookAgainAfter = std::chrono::milliseconds(1);

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What a folder holds, every level down: each entry's path with its kind,
// size and modification time, which every write moves.
std::map<std::string, std::string> FolderState(const fs::path& folder) {
  std::map<std::string, std::string> state;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    state[entry.path().string()] =
        std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " +
        std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
  }
  return state;
}

class SecondCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brimal_second_copy_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::string error;
    ASSERT_TRUE(GenerateSampleData(DataSet().string(), SampleDataOptions{}, &error)) << error;
  }
  void TearDown() override {
    // A copy still running (a check failed before the test ended it) is
    // ended here, stopped or not.
    for (pid_t child : running_) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  fs::path DataSet() const { return folder_ / "set"; }

  // Starts the program over the data set with `args`; its output goes to
  // `name`.out and `name`.err. The runtime folder is this test program's.
  pid_t Start(const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), {BRIMAL_PROGRAM, "--host=null", "--data=" + DataSet().string()});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string out = (folder_ / (name + ".out")).string();
    const std::string err = (folder_ / (name + ".err")).string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    if (posix_spawn(&child, BRIMAL_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
      child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (child > 0) running_.push_back(child);
    return child;
  }
  // The exit status of a started copy; -1 when it did not exit.
  int Wait(pid_t child) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, 0);
    Forget(child);
    if (ended != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }
  // `child` has been waited for: TearDown leaves it alone.
  void Forget(pid_t child) {
    running_.erase(std::remove(running_.begin(), running_.end(), child), running_.end());
  }
  std::string Said(const std::string& name) const { return ReadWhole(folder_ / (name + ".err")); }

  fs::path folder_;
  std::vector<pid_t> running_;  // started and not yet waited for
};

TEST_F(SecondCopyTest, StopsAtStartUpWhileTheFirstRunsOn) {
  // The first copy runs until it is killed.
  const pid_t first = Start("first", {});
  ASSERT_GT(first, 0);
  // Its window is there once a search from this program finds it.
  const auto give_up = std::chrono::steady_clock::now() + kLongestStart;
  bool seen = false;
  while (!seen && std::chrono::steady_clock::now() < give_up) {
    seen = FindWindowA(kGameClass, nullptr) != nullptr;
    int status = 0;
    if (!seen && waitpid(first, &status, WNOHANG) == first) {
      Forget(first);
      break;
    }
    if (!seen) std::this_thread::sleep_for(kLookAgainAfter);
  }
  ASSERT_TRUE(seen) << "the first copy made no window: " << Said("first");
  // Held where it stands, so that nothing it does can change the folder
  // while the second copy runs.
  ASSERT_EQ(kill(first, SIGSTOP), 0);
  const std::map<std::string, std::string> before = FolderState(DataSet());

  const pid_t second = Start("second", {"--frames=60"});
  ASSERT_GT(second, 0);
  EXPECT_EQ(Wait(second), 255);  // the game's start-up gave -1
  EXPECT_NE(Said("second").find("brimal: another copy of the program is running in this login "
                                "session (it has a window of class \"BRIMAL_Ver1.04\")\n"),
            std::string::npos)
      << Said("second");
  EXPECT_EQ(FolderState(DataSet()), before);

  // The first copy runs on with its window.
  ASSERT_EQ(kill(first, SIGCONT), 0);
  int status = 0;
  EXPECT_EQ(waitpid(first, &status, WNOHANG), 0) << "the first copy ended: " << Said("first");
  EXPECT_NE(FindWindowA(kGameClass, nullptr), nullptr);

  // Killed, as a crash would end it, it leaves nothing that stops the next
  // copy, which runs its frames and ends as usual.
  kill(first, SIGKILL);
  Wait(first);
  const pid_t third = Start("third", {"--frames=60"});
  ASSERT_GT(third, 0);
  EXPECT_EQ(Wait(third), 0) << Said("third");
  EXPECT_EQ(Said("third").find("another copy"), std::string::npos) << Said("third");
}

}  // namespace
