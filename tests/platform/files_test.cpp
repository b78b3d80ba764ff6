// Files, folders, local time and the debugger output over the real file
// system. Every test works in a temporary folder of its own, which is also
// the current folder while it runs. Shift-JIS text is written as byte escapes.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <dirent.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "tests/platform/test_support.h"

namespace fs = std::filesystem;

namespace {

// Shift-JIS names whose trail bytes are 0x5C, the backslash, with their
// UTF-8 forms on disk: 表 and ソフト, 能力.
const char kTable932[] = "\x95\x5C";
const char kTableUtf8[] = "\xE8\xA1\xA8";
const char kSoft932[] = "\x83\x5C\x83\x74\x83\x67";
const char kSoftUtf8[] = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88";
const char kAbility932[] = "\x94\x5C\x97\xCD";
const char kAbilityUtf8[] = "\xE8\x83\xBD\xE5\x8A\x9B";

// Removes a tree of any depth, one folder descriptor at a time.
void RemoveTreeAt(int parent, const char* name) {
  const int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) {
    unlinkat(parent, name, 0);
    return;
  }
  DIR* listing = fdopendir(folder);
  std::vector<std::string> names;
  while (const dirent* entry = readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      names.push_back(entry->d_name);
    }
  }
  for (const std::string& entry : names) {
    if (unlinkat(dirfd(listing), entry.c_str(), 0) != 0) RemoveTreeAt(dirfd(listing), entry.c_str());
  }
  closedir(listing);
  unlinkat(parent, name, AT_REMOVEDIR);
}

void Put(const fs::path& path, const std::string& contents) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

HANDLE Open(const std::string& path, DWORD access = GENERIC_READ, DWORD share = FILE_SHARE_READ,
            DWORD disposition = OPEN_EXISTING) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Everything from the handle's position on.
std::string ReadRest(HANDLE file) {
  std::string out;
  char buffer[7];  // small, so reads run into the end
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

// The contents of a file read through the stand-ins, or nothing when it
// cannot be opened.
std::optional<std::string> ReadThrough(const std::string& path) {
  HANDLE file = Open(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out = ReadRest(file);
  CloseHandle(file);
  return out;
}

bool Write(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

// "C:" and backslashes: how the stand-ins show a POSIX absolute path.
std::string WindowsForm(const std::string& posix_path) {
  std::string out = "C:" + posix_path;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

std::string CurrentFolder() {
  char buffer[8192];
  const DWORD length = GetCurrentDirectoryA(sizeof(buffer), buffer);
  return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "brimal_files_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    fs::current_path(pattern);
    root_ = fs::current_path();  // as the system spells it (no symbolic links)
  }
  void TearDown() override {
    fs::current_path(previous_);
    RemoveTreeAt(AT_FDCWD, root_.c_str());
  }

  // The Windows form of a path below the test's folder.
  std::string Under(const std::string& relative) const {
    return WindowsForm(root_.string()) + "\\" + relative;
  }

  fs::path previous_;
  fs::path root_;
};

// ---- Path look-up ------------------------------------------------------------------

TEST_F(FilesTest, PathsFindTheFileWhateverTheCaseAndSeparators) {
  Put("Data/Img/Title.PNG", "png");
  struct Case {
    std::string path;
    bool found;
  };
  const Case cases[] = {
      {"Data\\Img\\Title.PNG", true},
      {"data\\img\\title.png", true},         // other case in the folders and the name
      {"DATA/IMG/TITLE.PNG", true},           // slashes
      {"data/Img\\tItle.png", true},          // both separators
      {"data\\\\img//title.png", true},       // doubled separators
      {".\\data\\..\\DATA\\img\\.\\title.png", true},
      {"missing\\..\\data\\img\\title.png", true},  // ".." is resolved in the text
      {Under("DATA\\IMG\\TITLE.PNG"), true},  // the drive stands for the root
      {"c:" + root_.string() + "/data/img/title.png", true},
      {"\\" + root_.string().substr(1) + "\\Data\\Img\\Title.PNG", true},
      {"data\\img\\title.png\\", false},  // a file is no folder
      {"data\\im\\title.png", false},
      {"data\\img\\titl?.png", false},  // wildcards name no file
      {"data\\img\\title.png.bak", false},
      {"data\\img", false},  // a folder is refused where a file is opened
      {"\\\\server\\share\\title.png", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<std::string> contents = ReadThrough(c.path);
    EXPECT_EQ(contents.has_value(), c.found);
    if (c.found) {
      EXPECT_EQ(contents.value_or(""), "png");
      EXPECT_EQ(GetFileAttributesA(c.path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    }
  }
}

TEST_F(FilesTest, AnExactNameWinsOverOnesThatDifferInCase) {
  Put("a.txt", "lower");
  Put("A.txt", "upper");
  EXPECT_EQ(ReadThrough("a.txt"), "lower");
  EXPECT_EQ(ReadThrough("A.txt"), "upper");
  EXPECT_EQ(ReadThrough("a.TXT"), "upper");  // no exact match: the first in byte order
}

TEST_F(FilesTest, NewFilesGoIntoFoldersFoundInAnotherCase) {
  fs::create_directories("Save/Slots");
  HANDLE file = Open("SAVE\\slots\\New.dat", GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Write(file, "x"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Contents("Save/Slots/New.dat"), "x");  // the name as written, the folders as found
  EXPECT_FALSE(fs::exists("SAVE"));
}

TEST_F(FilesTest, FoldersAreRefusedWhereAFileIsOpened) {
  fs::create_directories("data/sub");
  for (DWORD disposition : {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS,
                            TRUNCATE_EXISTING}) {
    for (const char* path : {"data", "DATA\\SUB", "data\\sub\\", ".", "C:\\"}) {
      SCOPED_TRACE(std::string(path) + " disposition " + std::to_string(disposition));
      EXPECT_EQ(Open(path, GENERIC_READ | GENERIC_WRITE, 0, disposition), INVALID_HANDLE_VALUE);
    }
  }
  EXPECT_TRUE(fs::is_directory("data/sub"));
  EXPECT_FALSE(DeleteFileA("data\\sub"));
  EXPECT_TRUE(fs::is_directory("data/sub"));
}

TEST_F(FilesTest, ShiftJisNamesRoundTripThroughTheUtf8FileSystem) {
  const std::string folder932 = kAbility932;
  const std::string folderUtf8 = kAbilityUtf8;
  struct Case {
    std::string name932;
    std::string nameUtf8;
  };
  const Case cases[] = {
      {std::string(kTable932) + ".txt", std::string(kTableUtf8) + ".txt"},
      {kSoft932, kSoftUtf8},
      {std::string("A") + kTable932 + "b", std::string("A") + kTableUtf8 + "b"},
  };
  ASSERT_TRUE(fs::create_directory(fs::path(folderUtf8)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nameUtf8);
    const std::string path932 = folder932 + "\\" + c.name932;
    const fs::path pathUtf8 = fs::path(folderUtf8 + "/" + c.nameUtf8);
    HANDLE file = Open(path932, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Write(file, c.nameUtf8));
    CloseHandle(file);
    EXPECT_EQ(Contents(pathUtf8), c.nameUtf8);  // the trail byte split nothing

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path932.c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::string(data.cFileName), c.name932);
    FindClose(search);

    // The same name with its ASCII letters in another case.
    std::string other_case = path932;
    for (size_t i = 0; i < other_case.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(other_case[i]);
      if ((byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0) {
        ++i;
      } else if (std::isalpha(byte)) {
        other_case[i] = static_cast<char>(byte ^ 0x20);
      }
    }
    EXPECT_EQ(ReadThrough(other_case), c.nameUtf8);
    EXPECT_TRUE(DeleteFileA(path932.c_str()));
    EXPECT_FALSE(fs::exists(pathUtf8));
  }
}

TEST_F(FilesTest, PathsLongerThanThePlatformLimitWork) {
  // 24 folders of 200 bytes: about 4,800 bytes, more than PATH_MAX.
  const std::string level(200, 'L');
  std::string relative;
  for (int i = 0; i < 24; ++i) {
    ASSERT_TRUE(fs::create_directory(level));
    ASSERT_TRUE(SetCurrentDirectoryA(level.c_str()));
    relative += level + "\\";
  }
  const std::string deep_folder = CurrentFolder();
  EXPECT_EQ(deep_folder, Under(relative.substr(0, relative.size() - 1)));
  char small[16];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof(small), small), deep_folder.size() + 1);
  ASSERT_TRUE(SetCurrentDirectoryA(Under("").c_str()));

  const std::string path = relative + "deep.txt";
  ASSERT_GT(Under(path).size(), 4096u);
  HANDLE file = Open(Under(path), GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Write(file, "deep"));
  CloseHandle(file);
  EXPECT_EQ(ReadThrough(path), "deep");
  EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((relative + "*.TXT").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "deep.txt");
  FindClose(search);
  EXPECT_TRUE(SetCurrentDirectoryA(deep_folder.c_str()));
  EXPECT_EQ(CurrentFolder(), deep_folder);
  EXPECT_EQ(GetFileAttributesA("deep.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(DeleteFileA("deep.txt"));
  EXPECT_EQ(GetFileAttributesA(Under(path).c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- Opening, reading and writing -------------------------------------------------

TEST_F(FilesTest, CreationDispositionsOnExistingAndMissingFiles) {
  struct Case {
    const char* name;
    DWORD disposition;
    bool exists;
    bool opens;
    std::optional<std::string> after;  // the file's contents afterwards; none: no file
  };
  const Case cases[] = {
      {"create new, existing", CREATE_NEW, true, false, "old"},
      {"create new, missing", CREATE_NEW, false, true, ""},
      {"create always, existing", CREATE_ALWAYS, true, true, ""},
      {"create always, missing", CREATE_ALWAYS, false, true, ""},
      {"open existing, existing", OPEN_EXISTING, true, true, "old"},
      {"open existing, missing", OPEN_EXISTING, false, false, std::nullopt},
      {"open always, existing", OPEN_ALWAYS, true, true, "old"},
      {"open always, missing", OPEN_ALWAYS, false, true, ""},
      {"truncate existing, existing", TRUNCATE_EXISTING, true, true, ""},
      {"truncate existing, missing", TRUNCATE_EXISTING, false, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove("file.txt");
    fs::remove("FILE.TXT");
    if (c.exists) Put("file.txt", "old");
    // Another case than the one on disk: creation must not make a twin.
    HANDLE file = Open("FILE.TXT", GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (c.after) {
      const char* on_disk = c.exists ? "file.txt" : "FILE.TXT";
      EXPECT_EQ(Contents(on_disk), *c.after);
      EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
    } else {
      EXPECT_TRUE(fs::is_empty("."));
    }
  }
}

TEST_F(FilesTest, OpenAlwaysAndFileEndAppendLikeTheLog) {
  for (const char* line : {"first\r\n", "second\r\n", "third"}) {
    HANDLE file = Open("Log.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_NE(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_TRUE(Write(file, line));
    CloseHandle(file);
  }
  EXPECT_EQ(Contents("Log.txt"), "first\r\nsecond\r\nthird");
}

TEST_F(FilesTest, ReadsAndSeeksAtAndPastTheEnd) {
  Put("digits", "0123456789");
  HANDLE file = Open("digits");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  struct Step {
    const char* name;
    LONG distance;  // a seek when method is set
    DWORD method;
    DWORD position;  // SetFilePointer's result
    DWORD to_read;
    std::string read;
  };
  constexpr DWORD kRead = 99;
  const Step steps[] = {
      {"read from the start", 0, kRead, 0, 4, "0123"},
      {"forward from here", 2, FILE_CURRENT, 6, 0, ""},
      {"read across the end", 0, kRead, 0, 8, "6789"},
      {"read at the end", 0, kRead, 0, 4, ""},
      {"back from the end", -3, FILE_END, 7, 2, "78"},
      {"past the end", 5, FILE_END, 15, 4, ""},
      {"before the start fails", -20, FILE_CURRENT, INVALID_SET_FILE_POINTER, 0, ""},
      {"the failed seek left the position", 0, FILE_CURRENT, 15, 0, ""},
      {"back to the start", 1, FILE_BEGIN, 1, 3, "123"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.method != kRead) {
      EXPECT_EQ(SetFilePointer(file, step.distance, nullptr, step.method), step.position);
    }
    if (step.to_read > 0 || step.method == kRead) {
      char buffer[16] = {};
      DWORD got = 12345;
      EXPECT_TRUE(ReadFile(file, buffer, step.to_read, &got, nullptr));
      EXPECT_EQ(std::string(buffer, got), step.read);
    }
  }
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 10u);
  EXPECT_EQ(high, 0u);
  // A 64-bit seek hands the high half of the position back.
  LONG seek_high = 1;
  EXPECT_EQ(SetFilePointer(file, 5, &seek_high, FILE_BEGIN), 5u);
  EXPECT_EQ(seek_high, 1);
  seek_high = -1;
  EXPECT_EQ(SetFilePointer(file, -2, &seek_high, FILE_CURRENT), 3u);
  EXPECT_EQ(seek_high, 1);
  // Handles are per open: a second one starts at the beginning.
  EXPECT_EQ(ReadThrough("digits"), "0123456789");
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
}

// The position belongs to the handle; the file's end is the file's, which
// another program may move between two calls.
TEST_F(FilesTest, TheEndIsWhereAnotherProgramLeftTheFile) {
  Put("grows", "0123");
  HANDLE file = Open("grows", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 2, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "01");
  {
    std::ofstream other("grows", std::ios::binary | std::ios::app);
    other << "4567";
  }
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 2u) << "the handle's position stays";
  ASSERT_TRUE(ReadFile(file, buffer, 16, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "234567");
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 7u);
  ASSERT_TRUE(ReadFile(file, buffer, 16, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "7");
  // Cut short by the other program: reading at the old end finds nothing,
  // and a write there fills the gap.
  ASSERT_EQ(truncate("grows", 3), 0);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 8u);
  ASSERT_TRUE(ReadFile(file, buffer, 16, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 3u);
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_CURRENT), 5u);
  EXPECT_TRUE(Write(file, "x"));
  CloseHandle(file);
  EXPECT_EQ(Contents("grows"), std::string("012\0\0x", 6));
}

TEST_F(FilesTest, WritingPastTheEndFillsTheGapWithZeros) {
  HANDLE file = Open("gap", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Write(file, "ab"));
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_END), 4u);
  EXPECT_TRUE(Write(file, "z"));
  EXPECT_EQ(GetFileSize(file, nullptr), 5u);
  CloseHandle(file);
  EXPECT_EQ(Contents("gap"), std::string("ab\0\0z", 5));
}

TEST_F(FilesTest, SizesAbove4GiBUseTheHighWord) {
  Put("big", "");
  ASSERT_EQ(truncate("big", (5LL << 30) + 3), 0);  // sparse: takes no room
  HANDLE file = Open("big");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD high = 0;
  EXPECT_EQ(GetFileSize(file, &high), (1u << 30) + 3);
  EXPECT_EQ(high, 1u);
  CloseHandle(file);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("big", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeHigh, 1u);
  EXPECT_EQ(data.nFileSizeLow, (1u << 30) + 3);
  FindClose(search);
}

TEST_F(FilesTest, HandlesReadAndWriteOnlyAsTheirAccessAllows) {
  Put("f", "data");
  char buffer[4];
  DWORD count = 9;
  HANDLE writer = Open("f", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(writer, buffer, sizeof(buffer), &count, nullptr));
  EXPECT_EQ(count, 0u);
  HANDLE reader = Open("f", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  count = 9;
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(count, 0u);
  CloseHandle(writer);
  CloseHandle(reader);
  EXPECT_EQ(Contents("f"), "data");
}

TEST_F(FilesTest, ShareModesOfOpenHandlesDecideLaterOpens) {
  Put("shared.txt", "s");
  struct Case {
    const char* name;
    DWORD first_access, first_share, second_access, second_share;
    bool second_opens;
  };
  constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ,
                  SW = FILE_SHARE_WRITE;
  const Case cases[] = {
      {"two readers sharing reads", R, SR, R, SR, true},
      {"no sharing keeps a second writer out", W, 0, W, 0, false},
      {"no sharing keeps a reader out", W, 0, R, SR | SW, false},
      {"a writer needs the reader to share writing", R, SR, W, SR, false},
      {"both share what the other does", R, SR | SW, W, SR, true},
      {"the second must share what the first does", W, SR | SW, R, SR, false},
      {"a reader that shares nothing", R, 0, R, SR, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE first = Open("shared.txt", c.first_access, c.first_share);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    // The same file reached through another spelling is the same file.
    HANDLE second = Open("SHARED.TXT", c.second_access, c.second_share);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.second_opens);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    CloseHandle(first);
    HANDLE alone = Open("shared.txt", c.second_access, c.second_share);
    EXPECT_NE(alone, INVALID_HANDLE_VALUE);  // free again once the first is closed
    CloseHandle(alone);
  }
  // CREATE_ALWAYS does not empty a file that it may not open.
  HANDLE holder = Open("shared.txt", R, SR);
  EXPECT_EQ(Open("shared.txt", W, SR, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  CloseHandle(holder);
  EXPECT_EQ(Contents("shared.txt"), "s");
}

TEST_F(FilesTest, DeleteFileRemovesOnlyClosedFiles) {
  struct Case {
    const char* name;
    const char* path;
    bool deleted;
  };
  const Case cases[] = {
      {"as written", "Victim.txt", true},
      {"in another case", "VICTIM.TXT", true},
      {"with slashes and dots", "./sub/../Victim.txt", true},
      {"missing", "other.txt", false},
      {"with a separator after it", "Victim.txt\\", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put("Victim.txt", "v");
    fs::create_directory("sub");
    EXPECT_EQ(DeleteFileA(c.path) != FALSE, c.deleted);
    EXPECT_EQ(fs::exists("Victim.txt"), !c.deleted);
  }
  Put("Victim.txt", "v");
  HANDLE open = Open("Victim.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(DeleteFileA("Victim.txt"));
  CloseHandle(open);
  EXPECT_TRUE(DeleteFileA("Victim.txt"));
}

TEST_F(FilesTest, MoveFileRenamesAndReplacesOnlyWhereAsked) {
  constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  struct Case {
    const char* name;
    const char* from;
    const char* to;
    DWORD flags;
    bool moved;
    const char* new_file;  // the file that holds the moved text afterwards
  };
  const Case cases[] = {
      {"to a new name", "new.tmp", "fresh.dat", MOVEFILE_WRITE_THROUGH, true, "fresh.dat"},
      {"over an old file", "new.tmp", "old.dat", kReplace, true, "old.dat"},
      {"over an old file in another case", "new.tmp", "OLD.DAT", kReplace, true, "old.dat"},
      {"into another folder", "new.tmp", "sub\\moved.dat", kReplace, true, "sub/moved.dat"},
      {"over an old file without the replace flag", "new.tmp", "old.dat", MOVEFILE_WRITE_THROUGH, false, ""},
      {"from a missing file", "missing.tmp", "old.dat", kReplace, false, ""},
      {"from a folder", "sub", "old.dat", kReplace, false, ""},
      {"over a folder", "new.tmp", "sub", kReplace, false, ""},
      {"into a missing folder", "new.tmp", "nowhere\\x.dat", kReplace, false, ""},
      {"onto itself", "new.tmp", "NEW.TMP", kReplace, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"fresh.dat", "sub/moved.dat", "new.tmp"}) fs::remove(name);
    fs::create_directory("sub");
    Put("old.dat", "old");
    Put("new.tmp", "new");
    EXPECT_EQ(MoveFileExA(c.from, c.to, c.flags) != FALSE, c.moved);
    if (c.moved) {
      EXPECT_EQ(Contents(c.new_file), "new");
      EXPECT_FALSE(fs::exists("new.tmp"));
    } else {
      EXPECT_EQ(Contents("old.dat"), "old");
      EXPECT_EQ(Contents("new.tmp"), "new");
    }
  }
  // No file with an open handle is moved or replaced.
  Put("new.tmp", "new");
  HANDLE open = Open("old.dat", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(MoveFileExA("new.tmp", "old.dat", kReplace));
  CloseHandle(open);
  open = Open("new.tmp", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(MoveFileExA("new.tmp", "old.dat", kReplace));
  CloseHandle(open);
  EXPECT_TRUE(MoveFileExA("new.tmp", "old.dat", kReplace));
  EXPECT_EQ(Contents("old.dat"), "new");
}

TEST_F(FilesTest, FlushFileBuffersTakesFilesOpenForWriting) {
  HANDLE file = Open("flushed.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Write(file, "kept"));
  EXPECT_TRUE(FlushFileBuffers(file));
  CloseHandle(file);
  EXPECT_EQ(Contents("flushed.txt"), "kept");
  file = Open("flushed.txt");
  EXPECT_FALSE(FlushFileBuffers(file));  // opened only for reading
  CloseHandle(file);
  EXPECT_FALSE(FlushFileBuffers(file));  // closed
}

// The test seam fails the writing calls it is asked about, and only those.
TEST_F(FilesTest, TheFileCallHookFailsTheCallsItRefuses) {
  static std::vector<std::string> asked;
  asked.clear();
  SetFileCallHook(
      [](void*, LPCSTR call) {
        asked.push_back(call);
        return std::string(call) != "MoveFileExA";
      },
      nullptr);
  HANDLE file = Open("hooked.tmp", GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_TRUE(Write(file, "text"));
  EXPECT_TRUE(FlushFileBuffers(file));
  CloseHandle(file);
  EXPECT_FALSE(MoveFileExA("hooked.tmp", "hooked.dat", MOVEFILE_REPLACE_EXISTING));
  SetFileCallHook(nullptr, nullptr);
  EXPECT_EQ(asked, (std::vector<std::string>{"WriteFile", "FlushFileBuffers", "MoveFileExA"}));
  EXPECT_EQ(Contents("hooked.tmp"), "text");
  EXPECT_FALSE(fs::exists("hooked.dat"));
  EXPECT_TRUE(MoveFileExA("hooked.tmp", "hooked.dat", MOVEFILE_REPLACE_EXISTING));
}

TEST_F(FilesTest, AttributesTellFoldersFilesAndReadOnlyFiles) {
  Put("Folder/file.txt", "f");
  Put("locked.txt", "l");
  fs::permissions("locked.txt", fs::perms::owner_read | fs::perms::group_read);
  struct Case {
    std::string path;
    DWORD attributes;
  };
  const Case cases[] = {
      {"folder", FILE_ATTRIBUTE_DIRECTORY},
      {"FOLDER\\", FILE_ATTRIBUTE_DIRECTORY},
      {"folder\\FILE.TXT", FILE_ATTRIBUTE_ARCHIVE},
      {"locked.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
      {"C:\\", FILE_ATTRIBUTE_DIRECTORY},
      {"\\", FILE_ATTRIBUTE_DIRECTORY},
      {".", FILE_ATTRIBUTE_DIRECTORY},
      {"folder\\missing", INVALID_FILE_ATTRIBUTES},
      {"folder\\file.txt\\", INVALID_FILE_ATTRIBUTES},
      {"folder\\*", INVALID_FILE_ATTRIBUTES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(GetFileAttributesA(c.path.c_str()), c.attributes);
  }
}

// ---- Folder searches ----------------------------------------------------------------

TEST_F(FilesTest, SearchesMatchTheLastComponentWithWildcards) {
  for (const char* name : {"pics/a.png", "pics/B.PNG", "pics/ab.png", "pics/c.txt", "pics/noext"}) {
    Put(name, "12345");
  }
  fs::create_directory("pics/Sub");
  using Names = std::vector<std::string>;
  struct Case {
    std::string pattern;
    Names names;
  };
  const Case cases[] = {
      {"pics\\*", {".", "..", "a.png", "ab.png", "B.PNG", "c.txt", "noext", "Sub"}},
      {"PICS/*.PNG", {"a.png", "ab.png", "B.PNG"}},
      {"pics\\?.png", {"a.png", "B.PNG"}},
      {"pics\\a*", {"a.png", "ab.png"}},
      {"pics\\*b*", {"ab.png", "B.PNG", "Sub"}},
      {"pics\\*.*", {".", "..", "a.png", "ab.png", "B.PNG", "c.txt", "noext", "Sub"}},
      {"pics\\SUB", {"Sub"}},
      {"pics\\sub\\*", {".", ".."}},
      {"pics\\..\\pics\\c.*", {"c.txt"}},
      {"pics\\*.bmp", {}},
      {"pics\\", {}},
      {"nowhere\\*", {}},
      {"pi*\\*", {}},  // wildcards only in the last component
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(SearchNames(c.pattern), c.names);
  }
  WIN32_FIND_DATAA data{};
  EXPECT_EQ(FindFirstFileA("pics\\*.bmp", &data), INVALID_HANDLE_VALUE);
}

TEST_F(FilesTest, SearchesFillAttributesSizesAndTimes) {
  Put("dir/five.bin", "12345");
  fs::create_directory("dir/inner");
  // 2001-09-09 01:46:40 UTC.
  const timespec times[2] = {{1000000000, 0}, {1000000000, 500000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, "dir/five.bin", times, 0), 0);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("dir\\*", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::set<std::string> seen;
  do {
    SCOPED_TRACE(data.cFileName);
    const std::string name = data.cFileName;
    seen.insert(name);
    if (name == "five.bin") {
      EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
      EXPECT_EQ(data.nFileSizeLow, 5u);
      EXPECT_EQ(data.nFileSizeHigh, 0u);
      const uint64_t write = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime;
      EXPECT_EQ(write, 126444736005000000ull);
      const uint64_t access = (uint64_t(data.ftLastAccessTime.dwHighDateTime) << 32) |
                              data.ftLastAccessTime.dwLowDateTime;
      EXPECT_EQ(access, 126444736000000000ull);
      const uint64_t creation = (uint64_t(data.ftCreationTime.dwHighDateTime) << 32) |
                                data.ftCreationTime.dwLowDateTime;
      EXPECT_NE(creation, 0u);
    } else {
      EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
      EXPECT_EQ(data.nFileSizeLow, 0u);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  EXPECT_EQ(seen, (std::set<std::string>{".", "..", "five.bin", "inner"}));
}

TEST_F(FilesTest, TheRootListsNoDotEntries) {
  const std::vector<std::string> names = SearchNames("C:\\*");
  ASSERT_FALSE(names.empty());
  EXPECT_NE(names[0], ".");
  EXPECT_NE(std::find(names.begin(), names.end(), "tmp"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), ".."), names.end());
}

// ---- Folders --------------------------------------------------------------------------

TEST_F(FilesTest, TheCurrentFolderRoundTrips) {
  fs::create_directories("Work/Inner");
  const std::string start = CurrentFolder();
  EXPECT_EQ(start, WindowsForm(root_.string()));
  struct Case {
    std::string path;
    bool changes;
    std::string then;  // the current folder afterwards, below the test's folder
  };
  const Case cases[] = {
      {"WORK", true, "Work"},
      {"inner\\", true, "Work\\Inner"},
      {"..\\..\\work/INNER", true, "Work\\Inner"},
      {"..", true, "Work"},
      {"missing", false, "Work"},
      {Under("work\\inner"), true, "Work\\Inner"},
      {"", false, "Work\\Inner"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(SetCurrentDirectoryA(c.path.c_str()) != FALSE, c.changes);
    EXPECT_EQ(CurrentFolder(), start + "\\" + c.then);
  }
  Put(root_ / "plain.txt", "p");
  EXPECT_FALSE(SetCurrentDirectoryA(Under("plain.txt").c_str()));
  EXPECT_TRUE(SetCurrentDirectoryA(start.c_str()));
  EXPECT_EQ(CurrentFolder(), start);
  EXPECT_EQ(fs::current_path(), root_);

  // A short buffer gets the size needed, NUL included, and is left alone.
  char small[4] = "abc";
  EXPECT_EQ(GetCurrentDirectoryA(sizeof(small), small), start.size() + 1);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), start.size() + 1);
  std::vector<char> exact(start.size() + 1);
  EXPECT_EQ(GetCurrentDirectoryA(static_cast<DWORD>(exact.size()), exact.data()), start.size());
  EXPECT_EQ(std::string(exact.data()), start);
}

TEST_F(FilesTest, TheRootIsShownWithADrive) {
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  EXPECT_EQ(CurrentFolder(), "C:\\");
  EXPECT_TRUE(SetCurrentDirectoryA(Under("").c_str()));
}

// ---- Temporary files ----------------------------------------------------------------

// Points TMPDIR at a folder for one test.
class ScopedTemporaryFolder {
 public:
  explicit ScopedTemporaryFolder(const std::string& folder) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~ScopedTemporaryFolder() {
    if (old_) {
      setenv("TMPDIR", old_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST_F(FilesTest, TemporaryFileNamesAreMadeUniqueAndUsable) {
  fs::create_directory("Temp");
  ScopedTemporaryFolder temporary((root_ / "Temp").string());
  char folder[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  EXPECT_EQ(std::string(folder, length), Under("Temp\\"));
  char tiny[2];
  EXPECT_EQ(GetTempPathA(sizeof(tiny), tiny), length + 1);

  // As the runtime makes a file for a platform component: a name made, that
  // file deleted and made anew exclusively.
  std::set<std::string> names;
  for (int i = 0; i < 3; ++i) {
    char name[MAX_PATH];
    const UINT number = GetTempFileNameA(folder, "tmpfile", 0, name);
    ASSERT_NE(number, 0u);
    SCOPED_TRACE(name);
    const std::string text = name;
    char hex[8];
    std::snprintf(hex, sizeof(hex), "%X", number);
    EXPECT_EQ(text, std::string(folder) + "tmp" + hex + ".tmp");
    EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_ARCHIVE);  // made, empty
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileA(name));
    HANDLE file = Open(name, GENERIC_WRITE, 0, CREATE_NEW);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    names.insert(text);
  }
  EXPECT_EQ(names.size(), 3u);
  EXPECT_EQ(std::distance(fs::directory_iterator("Temp"), fs::directory_iterator()), 3);

  // A number given is only formatted; the folder's separator is added.
  char given[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA("Temp", "ab", 0x2F, given), 0x2Fu);
  EXPECT_STREQ(given, "Temp\\ab2F.tmp");
  EXPECT_FALSE(fs::exists("Temp/ab2F.tmp"));
  // A folder that does not exist gives no name.
  EXPECT_EQ(GetTempFileNameA("nowhere", "tmp", 0, given), 0u);
  // Nor does one whose names would not fit MAX_PATH bytes.
  EXPECT_EQ(GetTempFileNameA(std::string(300, 'x').c_str(), "tmp", 0, given), 0u);
}

TEST_F(FilesTest, TemporaryNamesInAShiftJisFolderKeepItsLastCharacter) {
  // The folder's last byte is a trail byte 0x5C, not a separator.
  ASSERT_TRUE(fs::create_directory(fs::path(kTableUtf8)));
  char name[MAX_PATH];
  ASSERT_NE(GetTempFileNameA(kTable932, "tmp", 0, name), 0u);
  EXPECT_EQ(std::string(name).substr(0, 3), std::string(kTable932) + "\\");
  EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_ARCHIVE);
}

// ---- Time -----------------------------------------------------------------------------

TEST(LocalTimeTest, GetLocalTimeIsPlausible) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const time_t seconds = time(nullptr);
  tm local;
  localtime_r(&seconds, &local);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_LE(now.wYear, local.tm_year + 1900);  // equal but across a new year
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
  EXPECT_GE(now.wDay, 1);
  EXPECT_LE(now.wDay, 31);
  EXPECT_LE(now.wDayOfWeek, 6);
  EXPECT_LE(now.wHour, 23);
  EXPECT_LE(now.wMinute, 59);
  EXPECT_LE(now.wSecond, 60);
  EXPECT_LE(now.wMilliseconds, 999);
}

FILETIME Ticks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

uint64_t TicksOf(const FILETIME& time) {
  return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(FileTimeTest, SystemTimeOfKnownValues) {
  struct Case {
    uint64_t ticks;
    SYSTEMTIME expected;  // year, month, day of week, day, hour, minute, second, ms
  };
  const Case cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {116444736000000000ull, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {125911584000000000ull, {2000, 1, 6, 1, 0, 0, 0, 0}},
      {133536836967890000ull, {2024, 2, 4, 29, 12, 34, 56, 789}},
      {157521023999990000ull, {2100, 3, 1, 1, 23, 59, 59, 999}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ticks);
    const FILETIME time = Ticks(c.ticks);
    SYSTEMTIME got{};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &got));
    EXPECT_EQ(std::vector<int>({got.wYear, got.wMonth, got.wDayOfWeek, got.wDay, got.wHour,
                                got.wMinute, got.wSecond, got.wMilliseconds}),
              std::vector<int>({c.expected.wYear, c.expected.wMonth, c.expected.wDayOfWeek,
                                c.expected.wDay, c.expected.wHour, c.expected.wMinute,
                                c.expected.wSecond, c.expected.wMilliseconds}));
  }
  const FILETIME too_late = Ticks(0x8000000000000000ull);
  SYSTEMTIME got;
  EXPECT_FALSE(FileTimeToSystemTime(&too_late, &got));
}

// Sets the time zone for one test.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(FileTimeTest, LocalFileTimeTakesTheOffsetInForceAtThatMoment) {
  constexpr uint64_t kHour = 36000000000ull;
  constexpr uint64_t kWinter = 133497504000000000ull;  // 2024-01-15 00:00 UTC
  constexpr uint64_t kSummer = 133642656000000000ull;  // 2024-07-01 00:00 UTC
  struct Case {
    const char* zone;
    uint64_t utc;
    uint64_t local;
  };
  const Case cases[] = {
      {"UTC0", kWinter, kWinter},
      {"JST-9", kWinter, kWinter + 9 * kHour},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kWinter, kWinter + kHour},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kSummer, kSummer + 2 * kHour},
      {"EST5EDT,M3.2.0,M11.1.0", kSummer, kSummer - 4 * kHour},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.utc));
    ScopedTimeZone zone(c.zone);
    const FILETIME utc = Ticks(c.utc);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(TicksOf(local), c.local);
  }
  // The log's dated file name takes its parts this way.
  ScopedTimeZone zone("JST-9");
  const FILETIME utc = Ticks(133536836967890000ull);  // 2024-02-29 12:34:56.789 UTC
  FILETIME local;
  SYSTEMTIME parts;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  ASSERT_TRUE(FileTimeToSystemTime(&local, &parts));
  EXPECT_EQ(parts.wDay, 29);
  EXPECT_EQ(parts.wHour, 21);
  EXPECT_EQ(parts.wMinute, 34);
}

// ---- Debugger output ----------------------------------------------------------------

TEST(DebugOutputTest, TextReachesTheInstalledSinkUnchanged) {
  OutputDebugStringA("before any sink");  // goes nowhere
  std::vector<std::string> received;
  SetDebugOutputSink(
      [](void* context, LPCSTR text) {
        static_cast<std::vector<std::string>*>(context)->push_back(text);
      },
      &received);
  const std::string shift_jis = std::string("\x83\x8D\x83\x4F") + kTable932 + "\r\n";
  OutputDebugStringA("12:\t");
  OutputDebugStringA(shift_jis.c_str());
  OutputDebugStringA(nullptr);
  SetDebugOutputSink(nullptr, nullptr);
  OutputDebugStringA("after the sink");
  EXPECT_EQ(received, (std::vector<std::string>{"12:\t", shift_jis}));
}

// ---- Arguments that are not emulated ------------------------------------------------

// Death tests run again in a child process: they use a file that always
// exists rather than a temporary folder the child would leave behind. Every
// build aborts, with the call and the refused value in the message.
TEST(FileArgumentsTest, ArgumentsThatAreNotEmulatedFailLoudly) {
  static const char* const kAlways = "/proc/self/exe";
  static int dummy = 0;
  struct Case {
    const char* label;
    void (*call)();
    const char* message;
  };
  const Case cases[] = {
      {"security", [] { CreateFileA(kAlways, GENERIC_READ, 0, &dummy, OPEN_EXISTING, 0, nullptr); },
       "CreateFileA: file security attributes are not emulated \\(got 0x"},
      {"flags",
       [] { CreateFileA(kAlways, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0x40000000u, nullptr); },
       "CreateFileA: file flags .* \\(got 1073741824 = 0x40000000\\)"},
      {"access", [] { CreateFileA(kAlways, 0x10000000u, 0, nullptr, OPEN_EXISTING, 0, nullptr); },
       "CreateFileA: access .* \\(got 268435456 = 0x10000000\\)"},
      {"share", [] { CreateFileA(kAlways, GENERIC_READ, 4, nullptr, OPEN_EXISTING, 0, nullptr); },
       "CreateFileA: share modes .* \\(got 4\\)"},
      {"disposition", [] { CreateFileA(kAlways, GENERIC_READ, 0, nullptr, 9, 0, nullptr); },
       "CreateFileA: unknown creation disposition \\(got 9\\)"},
      {"overlapped",
       [] {
         char buffer[1];
         DWORD got;
         ReadFile(Open(kAlways), buffer, 1, &got, &dummy);
       },
       "ReadFile: overlapped reads are not emulated"},
      {"move method", [] { SetFilePointer(Open(kAlways), 0, nullptr, 7); },
       "SetFilePointer: unknown move method \\(got 7\\)"},
      {"FindClose of a file", [] { FindClose(Open(kAlways)); },
       "FindClose: FindClose takes a folder search handle"},
      {"move flags", [] { MoveFileExA(kAlways, "copy", 2 /* copy allowed */); },
       "MoveFileExA: flags not emulated \\(got 2\\)"},
      {"waiting for a file", [] { WaitForSingleObject(Open(kAlways), 0); },
       "WaitForSingleObject: only events and threads can be waited for"},
      {"reading a folder search",
       [] {
         char buffer[1];
         DWORD got;
         WIN32_FIND_DATAA data;
         ReadFile(FindFirstFileA("/proc/self/*", &data), buffer, 1, &got, nullptr);
       },
       "ReadFile: not a file handle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_DEATH(c.call(), c.message);
  }
}

}  // namespace
