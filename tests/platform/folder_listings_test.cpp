// The listings the file stand-ins keep for the case-insensitive look-up,
// counted through the stand-in: a name that exists as written needs none, a
// folder is listed once for all the misses in it, and a change to its entries
// (by the stand-ins, or by another program, seen through a watch of the
// folder or, where none can be had, its modification time) is seen by the
// next look-up. Each test works in a temporary folder of its own, the
// current folder while it runs; its folders' times are set well in the past,
// as for data that was installed earlier.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/files_posix.h"
#include "platform/win32/kernel.h"
#include "tests/platform/test_support.h"

namespace fs = std::filesystem;

namespace {

class FolderListingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "brimal_listings_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::current_path(root_);
    fs::create_directories("data/img");
    Put("data/img/title.png", "title");
    Put("data/img/menu.png", "menu");
    Settle("data/img");
    Settle("data");
    Settle(".");
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    fs::remove(root_.string() + "_link", ignored);
  }

  static void Put(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
  }

  // Gives the folder a modification time of its own, a minute ago, so that
  // what is kept of it may stay.
  static void Settle(const std::string& folder) {
    static long nanoseconds = 0;
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 60;
    times[0].tv_nsec = ++nanoseconds;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0) << folder;
  }

  static timespec ModificationTime(const std::string& folder) {
    struct stat info {};
    stat(folder.c_str(), &info);
    return info.st_mtim;
  }
  static void SetModificationTime(const std::string& folder, const timespec& when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0) << folder;
  }

  static bool Opens(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  static uint64_t Listings() { return PosixCallCountsSoFar().folder_listings; }

  void ChangesOfAnotherProgramAreSeen();

  fs::path previous_;
  fs::path root_;
};

TEST_F(FolderListingsTest, NamesThatExistAsWrittenNeedNoListing) {
  const uint64_t before = Listings();
  EXPECT_TRUE(Opens("data\\img\\title.png"));
  EXPECT_TRUE(Opens("data/img/menu.png"));
  EXPECT_TRUE(Opens((root_ / "data/img/title.png").string()));
  EXPECT_EQ(GetFileAttributesA("data\\img"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(Listings(), before);
  // The folders walked through are kept open: the same walk opens none again.
  const uint64_t opens = PosixCallCountsSoFar().folder_opens;
  EXPECT_TRUE(Opens("data\\img\\title.png"));
  EXPECT_EQ(PosixCallCountsSoFar().folder_opens, opens);
}

TEST_F(FolderListingsTest, MissesInOneFolderListItOnceAndCaseDifferentNamesOpenThroughIt) {
  const uint64_t before = Listings();
  for (const char* missing : {"a.png", "B.PNG", "title.bmp", "TITLE_a.png", "a.png"}) {
    EXPECT_FALSE(Opens(std::string("data\\img\\") + missing)) << missing;
  }
  EXPECT_EQ(Listings(), before + 1) << "data/img listed once for five misses";
  EXPECT_TRUE(Opens("data\\img\\TITLE.PNG"));
  EXPECT_TRUE(Opens("data\\img\\Menu.Png"));
  EXPECT_EQ(Listings(), before + 1) << "case-different names found in the kept listing";
  // Case-different folders list the folders that hold them, once each.
  EXPECT_TRUE(Opens("DATA\\IMG\\TITLE.PNG"));
  EXPECT_TRUE(Opens("Data\\Img\\menu.png"));
  EXPECT_EQ(Listings(), before + 3) << "DATA lists the test's folder, IMG lists data";
}

TEST_F(FolderListingsTest, EntriesTheStandInsMakeOrRemoveAreSeenByTheNextLookUp) {
  EXPECT_FALSE(Opens("data\\img\\new.png"));  // lists the folder
  // The folder's time is put back after each change, so that only the
  // stand-ins' own word tells what changed.
  const timespec listed_at = ModificationTime("data/img");
  HANDLE file = CreateFileA("data\\img\\NEW.PNG", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  SetModificationTime("data/img", listed_at);
  EXPECT_TRUE(Opens("data\\img\\new.png")) << "made through the stand-in";
  EXPECT_TRUE(DeleteFileA("data\\img\\NEW.PNG"));
  SetModificationTime("data/img", listed_at);
  EXPECT_FALSE(Opens("data\\img\\new.png")) << "removed through the stand-in";
}

// Another program makes, removes and replaces entries; each change also
// moves the folder's time, as it does on every file system.
void FolderListingsTest::ChangesOfAnotherProgramAreSeen() {
  EXPECT_FALSE(Opens("data\\img\\other.png"));  // lists the folder
  const uint64_t listed = Listings();
  EXPECT_FALSE(Opens("data\\img\\other.png"));
  EXPECT_EQ(Listings(), listed) << "the listing is kept";
  Put("data/img/OTHER.PNG", "other");
  Settle("data/img");
  EXPECT_TRUE(Opens("data\\img\\other.png")) << "made by another program";
  ASSERT_EQ(unlink("data/img/OTHER.PNG"), 0);
  Settle("data/img");
  EXPECT_FALSE(Opens("data\\img\\other.png")) << "removed by another program";
  // A folder replaced by another program under the same name is walked anew.
  const uint64_t folder_listings = Listings();
  fs::rename("data/img", "data/old");
  fs::create_directories("data/img");
  Put("data/img/Title.png", "new title");
  Settle("data/img");
  Settle("data");
  EXPECT_TRUE(Opens("data\\img\\TITLE.PNG"));
  EXPECT_FALSE(Opens("data\\img\\menu.png"));
  EXPECT_GT(Listings(), folder_listings);
}

TEST_F(FolderListingsTest, EntriesAnotherProgramMakesOrRemovesAreSeenThroughTheFolderTime) {
  ChangesOfAnotherProgramAreSeen();
}

TEST_F(FolderListingsTest, WhereNoFolderCanBeWatchedTheFolderTimeTellsTheChanges) {
  PosixAllowFolderWatches(false);
  ChangesOfAnotherProgramAreSeen();
  PosixAllowFolderWatches(true);
}

TEST_F(FolderListingsTest, AFolderThatJustChangedIsListedAgainUntilItSettles) {
  // Another change within the same tick of the file system's clock would not
  // move the folder's time: nothing is kept of it yet. The folder's time is
  // put ahead of the clock, so that it stays "just changed" however slowly
  // the test runs.
  Put("data/img/fresh.png", "fresh");
  timespec ahead{};
  clock_gettime(CLOCK_REALTIME, &ahead);
  ahead.tv_sec += 3600;
  SetModificationTime("data/img", ahead);
  const uint64_t before = Listings();
  EXPECT_FALSE(Opens("data\\img\\a.png"));
  EXPECT_FALSE(Opens("data\\img\\b.png"));
  EXPECT_EQ(Listings(), before + 2);
  Settle("data/img");
  EXPECT_FALSE(Opens("data\\img\\a.png"));
  EXPECT_FALSE(Opens("data\\img\\b.png"));
  EXPECT_TRUE(Opens("data\\img\\FRESH.PNG"));
  EXPECT_EQ(Listings(), before + 3);
}

// The full path of `path` as the archive layer writes it: "C:", backslashes,
// upper case.
std::string UpperWindowsPath(const fs::path& path) {
  std::string out = "C:";
  for (char c : path.string()) out += c == '/' ? '\\' : static_cast<char>(std::toupper(c));
  return out;
}

TEST_F(FolderListingsTest, FoldersAboveTheCurrentFolderAreListedOnceHoweverTheyChange) {
  const std::string title = UpperWindowsPath(root_ / "data/img/title.png");
  const std::string menu = UpperWindowsPath(root_ / "data/img/menu.png");
  // The archive layer's probes: a name beside every folder on the way.
  std::vector<std::string> probes;
  for (fs::path folder = root_; folder != folder.root_path(); folder = folder.parent_path()) {
    probes.push_back(UpperWindowsPath(folder) + ".DAT");
  }
  EXPECT_TRUE(Opens(title));
  for (const std::string& probe : probes) EXPECT_FALSE(Opens(probe)) << probe;
  const uint64_t listed = Listings();
  // Another program keeps changing the folder that holds the current one.
  const fs::path beside = root_.string() + "_beside";
  for (int i = 0; i < 4; ++i) {
    Put(beside.string(), "changes the parent folder");
    EXPECT_TRUE(Opens(title));
    fs::remove(beside);
    EXPECT_TRUE(Opens(menu));
    for (const std::string& probe : probes) EXPECT_FALSE(Opens(probe)) << probe;
  }
  EXPECT_EQ(Listings(), listed) << "nothing above the current folder listed again";
}

TEST_F(FolderListingsTest, AboveTheCurrentFolderNewNamesAsWrittenAndTheStandInsOwnChangesAreSeen) {
  const fs::path beside = root_.string() + "_new";
  EXPECT_FALSE(Opens(beside.string()));  // takes the folders above
  Put(beside.string(), "made by another program");
  EXPECT_TRUE(Opens(beside.string())) << "found as written";
  fs::remove(beside);
  EXPECT_FALSE(Opens(beside.string()));
  // Made by the stand-ins in upper case, then asked for as first written.
  const std::string upper = UpperWindowsPath(beside);
  HANDLE file = CreateFileA(upper.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(Opens(beside.string())) << "case-different name made through the stand-in";
  EXPECT_TRUE(DeleteFileA(upper.c_str()));
  EXPECT_FALSE(Opens(beside.string()));
  // A current folder changed behind the stand-ins' back is seen.
  char folder[MAX_PATH];
  fs::current_path(root_ / "data");
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, folder), 0u);
  std::string expected = "C:" + (root_ / "data").string();
  std::replace(expected.begin(), expected.end(), '/', '\\');
  EXPECT_EQ(std::string(folder), expected);
  EXPECT_TRUE(Opens("img\\TITLE.PNG"));
  EXPECT_TRUE(Opens(UpperWindowsPath(root_ / "data/img/title.png")));
}

// Whether folders can be watched here: not without inotify, nor on a file
// system shared over a network.
bool FoldersCanBeWatched() { return PosixWatchFolder(PosixCurrentFolder()) >= 0; }

TEST_F(FolderListingsTest, ChangesAnotherProgramMakesAreSeenThroughTheWatchWhateverTheFolderTime) {
  if (!FoldersCanBeWatched()) GTEST_SKIP() << "no folder can be watched here";
  // Every change is made by plain POSIX calls, and the changed folders' times
  // are then put back to what they were when listed: only the watch tells.
  struct Case {
    const char* what;
    std::vector<std::string> changed_folders;
    std::function<void()> change;
    std::vector<std::pair<std::string, bool>> opens;  // path, whether it opens after
  };
  const std::vector<Case> cases = {
      {"a file made", {"data/img"},
       [] {
         const int file = open("data/img/OTHER.PNG", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
         close(file);
       },
       {{"data\\img\\other.png", true}, {"data\\img\\title.png", true}}},
      {"a file removed", {"data/img"}, [] { unlink("data/img/OTHER.PNG"); },
       {{"data\\img\\other.png", false}, {"data\\img\\OTHER.PNG", false}}},
      {"a file renamed", {"data/img"}, [] { rename("data/img/menu.png", "data/img/Menu2.png"); },
       {{"data\\img\\menu.png", false}, {"data\\img\\MENU2.PNG", true}}},
      {"a folder made inside", {"data/img"},
       [] {
         mkdir("data/img/Sub", 0755);
         const int file = open("data/img/Sub/x.png", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
         close(file);
       },
       {{"data\\img\\sub\\X.PNG", true}}},
      {"the folder replaced by another of the same name", {"data", "data/img"},
       [] {
         rename("data/img", "data/old");
         mkdir("data/img", 0755);
         const int file = open("data/img/Fresh.png", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
         close(file);
       },
       {{"data\\img\\title.png", false}, {"data\\img\\FRESH.PNG", true},
        {"data\\old\\TITLE.PNG", true}}},
  };
  // Each case starts with every folder on the way listed and kept.
  for (const Case& c : cases) {
    EXPECT_FALSE(Opens("data\\img\\missing.png")) << c.what;
    EXPECT_FALSE(Opens("DATA\\missing")) << c.what;
    std::vector<timespec> listed_at;
    for (const std::string& folder : c.changed_folders) {
      listed_at.push_back(ModificationTime(folder));
    }
    c.change();
    for (size_t i = 0; i < c.changed_folders.size(); ++i) {
      SetModificationTime(c.changed_folders[i], listed_at[i]);
    }
    for (const auto& [path, opens] : c.opens) {
      EXPECT_EQ(Opens(path), opens) << c.what << ": " << path;
      EXPECT_EQ(Opens((root_ / "").string() + path), opens) << c.what << ": full path of " << path;
    }
  }
}

// A folder reached through a symbolic link is whatever the link leads to at
// the look-up. Another program changes what `data/linked -> ../store/v` leads
// to without touching `data`, by plain POSIX calls, after every look-up there
// has been made once (so whatever may be kept of them is kept); with watches
// and with the folder times alone.
TEST_F(FolderListingsTest, FoldersReachedThroughALinkAreWhatTheLinkLeadsToNow) {
  struct Case {
    const char* what;
    std::function<void()> make_target;  // store/v, holding Old.png
    std::function<void()> change;       // store/v then holds New.png alone
  };
  const auto folder_with = [](const char* folder, const char* file) {
    mkdir(folder, 0755);
    Put(std::string(folder) + "/" + file, file);
    Settle(folder);
  };
  const std::vector<Case> cases = {
      {"the target moved away and another made in its place",
       [&] { folder_with("store/v", "Old.png"); },
       [&] {
         EXPECT_EQ(rename("store/v", "store/moved"), 0);
         folder_with("store/v", "New.png");
       }},
      {"the target removed and made again",
       [&] { folder_with("store/v", "Old.png"); },
       [&] {
         fs::remove_all("store/v");
         folder_with("store/v", "New.png");
       }},
      {"a link further on retargeted to another folder",
       [&] {
         folder_with("store/first", "Old.png");
         EXPECT_EQ(symlink("first", "store/v"), 0);
       },
       [&] {
         folder_with("store/second", "New.png");
         EXPECT_EQ(symlink("second", "store/v.next"), 0);
         EXPECT_EQ(rename("store/v.next", "store/v"), 0);
       }},
  };
  int round = 0;
  for (const bool watches : {true, false}) {
    PosixAllowFolderWatches(watches);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (watches ? "" : ", no watches"));
      const fs::path here = root_ / ("round" + std::to_string(++round));
      fs::create_directories(here / "data");
      fs::create_directories(here / "store");
      fs::current_path(here);
      c.make_target();
      ASSERT_EQ(symlink("../store/v", "data/linked"), 0);
      for (const char* folder : {"store", "data", "."}) Settle(folder);
      const std::vector<std::string> ways = {"data\\linked\\",
                                             UpperWindowsPath(here) + "\\DATA\\LINKED\\"};
      for (const std::string& way : ways) {
        EXPECT_TRUE(Opens(way + "Old.png")) << way;
        EXPECT_TRUE(Opens(way + "OLD.PNG")) << way;
        EXPECT_EQ(SearchNames(way + "*"), (std::vector<std::string>{".", "..", "Old.png"})) << way;
      }
      c.change();
      Settle("store");
      // Twice: what the first look-ups keep of the new target holds too.
      for (int i = 0; i < 2; ++i) {
        for (const std::string& way : ways) {
          EXPECT_TRUE(Opens(way + "New.png")) << way;
          EXPECT_TRUE(Opens(way + "new.PNG")) << way;
          EXPECT_FALSE(Opens(way + "Old.png")) << way;
          EXPECT_FALSE(Opens(way + "OLD.PNG")) << way;
          EXPECT_EQ(SearchNames(way + "*"), (std::vector<std::string>{".", "..", "New.png"}))
              << way;
        }
      }
    }
  }
  PosixAllowFolderWatches(true);
}

// The walk from the root to the current folder is kept (see FoldersAbove),
// but not through a link: one beside the current folder that leads to it is
// followed as it is at each look-up.
TEST_F(FolderListingsTest, AWayThroughALinkAboveTheCurrentFolderIsWhatTheLinkLeadsToNow) {
  const fs::path link = root_.string() + "_link";
  const std::string way = UpperWindowsPath(link) + "\\";
  ASSERT_EQ(symlink(root_.filename().c_str(), link.c_str()), 0);
  EXPECT_TRUE(Opens(way + "DATA\\IMG\\TITLE.PNG"));
  EXPECT_TRUE(Opens(way + "data\\img\\title.png"));
  // Retargeted to the data folder inside.
  const fs::path next = root_.string() + "_link.next";
  ASSERT_EQ(symlink((root_.filename() / "data").c_str(), next.c_str()), 0);
  fs::rename(next, link);
  EXPECT_TRUE(Opens(way + "IMG\\TITLE.PNG"));
  EXPECT_TRUE(Opens(way + "img\\title.png"));
  EXPECT_FALSE(Opens(way + "DATA\\IMG\\TITLE.PNG"));
  EXPECT_FALSE(Opens(way + "data\\img\\title.png"));
}

TEST_F(FolderListingsTest, LookUpsInWatchedFoldersReadOnlyTheChangesAndTheCurrentFolderOnce) {
  if (!FoldersCanBeWatched()) GTEST_SKIP() << "no folder can be watched here";
  const std::string full = UpperWindowsPath(root_ / "data/img/title.png");
  const std::string beside = UpperWindowsPath(root_) + ".DAT";  // in the folder above
  EXPECT_TRUE(Opens("data\\img\\TITLE.PNG"));  // lists and watches the folders on the way
  EXPECT_TRUE(Opens(full));
  EXPECT_FALSE(Opens(beside));
  char folder[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, folder), 0u);
  const PosixCallCounts before = PosixCallCountsSoFar();
  constexpr int kRounds = 5;
  for (int i = 0; i < kRounds; ++i) {
    EXPECT_TRUE(Opens("data\\img\\TITLE.PNG"));
    EXPECT_TRUE(Opens(full));
    EXPECT_FALSE(Opens(beside));
    EXPECT_EQ(GetFileAttributesA("data\\img\\menu.png"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_GT(GetCurrentDirectoryA(MAX_PATH, folder), 0u);
  }
  const PosixCallCounts after = PosixCallCountsSoFar();
  // Each open reads the opened file's information, and nothing of a folder.
  EXPECT_EQ(after.descriptor_infos - before.descriptor_infos, 2u * kRounds);
  EXPECT_EQ(after.folder_listings, before.folder_listings);
  EXPECT_EQ(after.folder_opens, before.folder_opens);
  // One read of the changes a look-up, none for the one that stays above
  // the current folder nor for the current folder's path; which folder is
  // current, read once a call.
  EXPECT_EQ(after.watch_reads - before.watch_reads, 3u * kRounds);
  EXPECT_EQ(after.current_folder_infos - before.current_folder_infos, 5u * kRounds);
}

TEST_F(FolderListingsTest, ACurrentFolderChangedInAnyWayIsSeen) {
  // A folder named "work" in the test's folder, removed and made again at
  // the same path before it is entered a second time: the file system may
  // give the new one the old one's identity.
  struct Case {
    const char* how;
    std::function<bool(const fs::path&)> enter;
  };
  const std::vector<Case> cases = {
      {"SetCurrentDirectoryA",
       [](const fs::path& to) { return SetCurrentDirectoryA(to.string().c_str()) != FALSE; }},
      {"chdir", [](const fs::path& to) { return chdir(to.c_str()) == 0; }},
      {"fchdir",
       [](const fs::path& to) {
         const int folder = open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
         const bool changed = fchdir(folder) == 0;
         close(folder);
         return changed;
       }},
      {"the C++ library",
       [](const fs::path& to) {
         std::error_code error;
         fs::current_path(to, error);
         return !error;
       }},
      {"a raw system call",
       [](const fs::path& to) { return syscall(SYS_chdir, to.c_str()) == 0; }},
  };
  const fs::path work = root_ / "work";
  int round = 0;
  for (const Case& c : cases) {
    for (const bool made_again : {false, true}) {
      SCOPED_TRACE(std::string(c.how) + (made_again ? ", folder made again" : ""));
      fs::current_path(root_);
      if (made_again) fs::remove_all(work);
      fs::create_directories(work);
      const std::string name = "Round" + std::to_string(++round) + ".txt";
      Put((work / name).string(), "here");
      Settle(work.string());
      ASSERT_TRUE(c.enter(work));
      // The full path first: the way to the current folder was taken while
      // the one entered before was current.
      EXPECT_TRUE(Opens(UpperWindowsPath(work / name)));
      char folder[MAX_PATH];
      ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, folder), 0u);
      std::string expected = "C:" + work.string();
      std::replace(expected.begin(), expected.end(), '/', '\\');
      EXPECT_EQ(std::string(folder), expected);
      EXPECT_TRUE(Opens(name));
      EXPECT_TRUE(Opens("..\\DATA\\IMG\\TITLE.PNG"));
      if (made_again) {
        EXPECT_FALSE(Opens("Round" + std::to_string(round - 1) + ".txt")) << "the removed one's";
      }
      // Back to the test's folder: relative names mean it again at once.
      ASSERT_TRUE(c.enter(root_));
      EXPECT_TRUE(Opens("DATA\\IMG\\TITLE.PNG"));
      EXPECT_FALSE(Opens(name));
    }
  }
}

// What the walk of TheCurrentFolderTheCLibraryChangesForItselfIsSeen saw
// at its file.
struct SeenInWalk {
  bool visited = false;
  bool as_written = false;
  bool other_case = false;
  std::string current_folder;
};
SeenInWalk* seen_in_walk = nullptr;

int LookUpInWalk(const char* path, const struct stat*, int type, FTW* at) {
  if (type != FTW_F) return 0;
  seen_in_walk->visited = true;
  const std::string name = path + at->base;  // nftw's current folder holds it
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto [wanted, found] : {std::pair{name, &seen_in_walk->as_written},
                               std::pair{upper, &seen_in_walk->other_case}}) {
    HANDLE file = CreateFileA(wanted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    *found = file != INVALID_HANDLE_VALUE;
    if (*found) CloseHandle(file);
  }
  char folder[MAX_PATH];
  if (GetCurrentDirectoryA(MAX_PATH, folder) > 0) seen_in_walk->current_folder = folder;
  return 0;
}

// nftw with FTW_CHDIR changes the current folder by the C library's own
// calls, into each folder it walks and back at its end: both are seen,
// whether the current folder was asked about before the walk or not.
TEST_F(FolderListingsTest, TheCurrentFolderTheCLibraryChangesForItselfIsSeen) {
  fs::create_directories("walk/deep");
  Put("walk/deep/Leaf.png", "leaf");
  for (const char* folder : {"walk/deep", "walk", "."}) Settle(folder);
  const auto windows_form = [](const fs::path& path) {
    std::string out = "C:" + path.string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
  };
  for (const bool asked_before : {true, false}) {
    SCOPED_TRACE(asked_before ? "asked before the walk" : "first asked in the walk");
    ASSERT_EQ(chdir(root_.c_str()), 0);
    if (asked_before) {
      EXPECT_FALSE(Opens("Leaf.png"));  // lists the test's folder
      EXPECT_FALSE(Opens("Leaf.png"));
    }
    SeenInWalk seen;
    seen_in_walk = &seen;
    ASSERT_EQ(nftw("walk", LookUpInWalk, 8, FTW_CHDIR | FTW_PHYS), 0);
    seen_in_walk = nullptr;
    EXPECT_TRUE(seen.visited);
    EXPECT_TRUE(seen.as_written);
    EXPECT_TRUE(seen.other_case);
    EXPECT_EQ(seen.current_folder, windows_form(root_ / "walk/deep"));
    char folder[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, folder), 0u);
    EXPECT_EQ(std::string(folder), windows_form(root_));
    EXPECT_TRUE(Opens("data\\img\\TITLE.PNG"));
    EXPECT_FALSE(Opens("Leaf.png"));
  }
}

}  // namespace
