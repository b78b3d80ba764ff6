#include "runtime/core/archive_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/runtime/core/file_test_support.h"

namespace {

constexpr const char* kGameKey = "quietmarble";

class ArchiveFilesTest : public ArchiveLayerTest {
 protected:
  void SetUp() override {
    ArchiveLayerTest::SetUp();
    StoreArchiveExtension("dat");
    StoreArchiveKey(kGameKey);
  }

  // Writes an archive of `files` made with the game's key.
  void WriteArchive(const std::string& relative, const std::vector<ArchiveWriterFile>& files,
                    const char* key = kGameKey) {
    ArchiveWriterOptions options;
    if (key != nullptr) options.key = key;
    folder_.Write(relative, BuildTestArchive(files, options));
  }

  std::string Read(const std::string& path, int async = 0) {
    Bytes bytes;
    if (!ReadThroughTable(path, &bytes, async)) return "(not opened)";
    return std::string(bytes.begin(), bytes.end());
  }

  ArchiveRecord* OnlyArchive() {
    for (ArchiveRecord* record : ArchiveTable.records) {
      if (record != nullptr) return record;
    }
    return nullptr;
  }
};

// data.dat stands in for the folder data: its entries are served, and a file
// it lacks is not looked for on disk, even when the disk has it.
TEST_F(ArchiveFilesTest, AnArchiveBesideItsFolderIsTheOnlyPlaceLookedIn) {
  WriteArchive("data.dat", {FileEntry("img/a.png", BytesOf("from the archive"))});
  folder_.Write("data/img/a.png", "from the disk");
  folder_.Write("data/img/b.png", "only on the disk");
  folder_.Write("other/c.txt", "no archive here");
  CurrentFolder here(folder_.path());
  for (int async : {0, 1}) {
    SCOPED_TRACE(async ? "not waiting" : "waiting");
    EXPECT_EQ(Read("data\\img\\a.png", async), "from the archive");
    EXPECT_EQ(Read("data\\img\\b.png", async), "(not opened)");
    EXPECT_EQ(Read("other\\c.txt", async), "no archive here");
  }
}

TEST_F(ArchiveFilesTest, AnArchiveFurtherDownServesItsFolder) {
  WriteArchive("data/img.dat", {FileEntry("a.png", BytesOf("from img.dat"))});
  folder_.Write("data/img/a.png", "from the disk");
  folder_.Write("data/x.txt", "beside the archive");
  CurrentFolder here(folder_.path());
  // Two separators in a row before the archive's folder end the walk: the
  // path goes to the disk.
  EXPECT_NE(Read("data\\\\img\\a.png"), "from img.dat");
  EXPECT_EQ(Read("data\\img\\a.png"), "from img.dat");
  EXPECT_EQ(Read("data\\x.txt"), "beside the archive");
}

// Every way of writing the same path leads to the same entry.
TEST_F(ArchiveFilesTest, PathSpellingsResolveToTheSameEntry) {
  WriteArchive("data.dat", {FileEntry("img/title/a.png", BytesOf("A")),
                            FileEntry("ソフト/表.txt", BytesOf("S"))});
  folder_.MakeFolder("data/img");
  folder_.MakeFolder("work");
  CurrentFolder here(folder_.path());
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string absolute = std::string(current) + "\\data\\img\\title\\a.png";
  const std::string cases[] = {
      "data\\img\\title\\a.png",
      "data/img/title/a.png",
      "DATA\\IMG\\Title\\A.PNG",
      ".\\data\\.\\img\\title\\a.png",
      "work\\..\\data\\img\\title\\a.png",
      "data\\img\\..\\img\\title\\a.png",
      absolute,
  };
  for (const std::string& path : cases) EXPECT_EQ(Read(path), "A") << path;
  EXPECT_EQ(Read("data\\ソフト\\表.txt"), "S");
}

TEST_F(ArchiveFilesTest, UseCountsAndTheOpenArchive) {
  // Stored entries: opening them reads nothing from the archive file.
  WriteArchive("data.dat",
               {FileEntry("a.txt", BytesOf("a"), false), FileEntry("b.txt", BytesOf("b"), false)});
  CurrentFolder here(folder_.path());
  const intptr_t a = FileOpenThunk("data\\a.txt", 0, 1, 0);
  ASSERT_NE(a, 0);
  EXPECT_EQ(static_cast<uint32_t>(a) & 0xF0000000u, kFileHandleBits);
  ASSERT_EQ(ArchiveTable.count, 1);
  ArchiveRecord* record = OnlyArchive();
  EXPECT_EQ(record->use_count, 1);
  // A second file of the same archive shares it; its header is not read again.
  const int64_t header_reads = Win32FileTell(record->state.file);
  const intptr_t b = FileOpenThunk("data/b.txt", 0, 1, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(ArchiveTable.count, 1);
  EXPECT_EQ(record->use_count, 2);
  EXPECT_EQ(Win32FileTell(record->state.file), header_reads);
  EXPECT_EQ(FileHandleTable.count, 2);
  // A missing entry takes back its use.
  EXPECT_EQ(FileOpenThunk("data\\none.txt", 0, 1, 0), 0);
  EXPECT_EQ(record->use_count, 2);
  // A search holds a use until it is closed; one that finds nothing holds none.
  FindFileInfo info;
  const intptr_t search = FileAccessFunctions.FindFirst("data\\*.txt", &info);
  ASSERT_NE(search, -1);
  EXPECT_EQ(record->use_count, 3);
  EXPECT_EQ(FileAccessFunctions.FindFirst("data\\*.bmp", &info), -1);
  EXPECT_EQ(record->use_count, 3);
  EXPECT_EQ(FileAccessFunctions.FindClose(search), 0);
  EXPECT_EQ(record->use_count, 2);

  EXPECT_EQ(FileCloseThunk(a), 0);
  EXPECT_EQ(FileCloseThunk(b), 0);
  EXPECT_EQ(record->use_count, 0);
  EXPECT_EQ(FileCloseThunk(b), -1);  // already closed
  EXPECT_EQ(FileHandleTable.count, 0);
  // Unused, the archive stays open for later look-ups...
  EXPECT_EQ(ArchiveTable.count, 1);
  EXPECT_EQ(Read("data\\a.txt"), "a");
  EXPECT_EQ(OnlyArchive(), record);
  // ...until archives in use below 1 are released.
  ReleaseUnusedArchives();
  EXPECT_EQ(ArchiveTable.count, 0);
}

// An archive opened takes the last empty slot of the table; one already open
// under the same path is shared; a path with no archive takes none.
TEST_F(ArchiveFilesTest, ArchivesTakeTheLastEmptySlot) {
  WriteArchive("one.dat", {FileEntry("a.txt", BytesOf("a"), false)});
  WriteArchive("two.dat", {FileEntry("b.txt", BytesOf("b"), false)});
  WriteArchive("three.dat", {FileEntry("c.txt", BytesOf("c"), false)});
  const std::string one = folder_.path() + "/one.dat";
  const std::string two = folder_.path() + "/two.dat";
  const std::string three = folder_.path() + "/three.dat";
  const std::string none = folder_.path() + "/none.dat";
  EXPECT_EQ(OpenArchive(-1, none.c_str(), 0, 0), -1);
  EXPECT_EQ(ArchiveTable.count, 0);
  EXPECT_EQ(OpenArchive(-1, one.c_str(), 0, 0), kMaxOpenArchives - 1);
  EXPECT_EQ(OpenArchive(-1, two.c_str(), 0, 0), kMaxOpenArchives - 2);
  EXPECT_EQ(OpenArchive(-1, one.c_str(), 0, 0), kMaxOpenArchives - 1) << "shared";
  EXPECT_EQ(ArchiveTable.records[kMaxOpenArchives - 1]->use_count, 2);
  EXPECT_EQ(OpenArchive(-1, none.c_str(), 0, 0), -1);
  EXPECT_EQ(ArchiveTable.count, 2);
  // A slot emptied below the others is the last empty one again only once
  // the ones above it are taken.
  ArchiveTable.records[kMaxOpenArchives - 1]->use_count = 0;
  ArchiveTable.records[kMaxOpenArchives - 2]->use_count = 1;
  ReleaseUnusedArchives();
  ASSERT_EQ(ArchiveTable.count, 1);
  EXPECT_EQ(OpenArchive(-1, three.c_str(), 0, 0), kMaxOpenArchives - 1);
  EXPECT_EQ(OpenArchive(-1, one.c_str(), 0, 0), kMaxOpenArchives - 3);
  ArchiveTable.records[kMaxOpenArchives - 2]->use_count = 0;
  ArchiveTable.records[kMaxOpenArchives - 1]->use_count = 0;
  ArchiveTable.records[kMaxOpenArchives - 3]->use_count = 0;
  ReleaseUnusedArchives();
  EXPECT_EQ(ArchiveTable.count, 0);
  EXPECT_EQ(OpenArchive(-1, two.c_str(), 0, 0), kMaxOpenArchives - 1) << "an empty table again";
  ArchiveTable.records[kMaxOpenArchives - 1]->use_count = 0;
  ReleaseUnusedArchives();
}

// The extension stored decides the archive's name; none stored means "ZRA".
TEST_F(ArchiveFilesTest, TheStoredExtension) {
  WriteArchive("data.dat", {FileEntry("a.txt", BytesOf("dat"))});
  WriteArchive("data.ZRA", {FileEntry("a.txt", BytesOf("zra"))});
  WriteArchive("data.pak", {FileEntry("a.txt", BytesOf("pak"))});
  CurrentFolder here(folder_.path());
  struct Case {
    const char* extension;
    const char* served;
  };
  const std::string too_long(64, 'x');
  const Case cases[] = {
      {"dat", "dat"}, {"pak", "pak"}, {nullptr, "zra"}, {"", "zra"}, {too_long.c_str(), "zra"},
      {"zip", "(not opened)"},
  };
  for (const Case& c : cases) {
    StoreArchiveExtension(c.extension);
    EXPECT_EQ(Read("data\\a.txt"), c.served) << (c.extension ? c.extension : "(null)");
    CloseAllArchives();
  }
  EXPECT_EQ(StoreArchiveExtension(std::string(63, 'y').c_str()), 0);
  EXPECT_EQ(ArchiveSettings.extension_length, 63);
}

// The key string stored opens archives written with it; only its first 12
// characters count; an archive with another key is passed over like a
// missing one.
TEST_F(ArchiveFilesTest, TheStoredKey) {
  WriteArchive("game.dat", {FileEntry("a.txt", BytesOf("game"))});
  WriteArchive("long.dat", {FileEntry("a.txt", BytesOf("long"))}, "keyof12chars");
  WriteArchive("none.dat", {FileEntry("a.txt", BytesOf("none"))}, nullptr);
  folder_.Write("game/a.txt", "disk");
  CurrentFolder here(folder_.path());
  struct Case {
    const char* key;
    const char* path;
    const char* served;
  };
  const Case cases[] = {
      {kGameKey, "game\\a.txt", "game"},
      {"keyof12charsAndMore", "long\\a.txt", "long"},
      {nullptr, "none\\a.txt", "none"},
      {"wrong", "game\\a.txt", "disk"},
      {"wrong", "long\\a.txt", "(not opened)"},
  };
  for (const Case& c : cases) {
    StoreArchiveKey(c.key);
    EXPECT_EQ(Read(c.path), c.served) << c.path;
    CloseAllArchives();
  }
  StoreArchiveKey("keyof12charsAndMore");
  EXPECT_STREQ(ArchiveSettings.key, "keyof12chars");
  EXPECT_EQ(ArchiveSettings.key_present, 1);
  StoreArchiveKey(nullptr);
  EXPECT_EQ(ArchiveSettings.key_present, 0);
}

// Searches through the table: inside an archive they list like a folder, in
// directory order; elsewhere they list the disk.
TEST_F(ArchiveFilesTest, SearchesInsideAndOutsideArchives) {
  WriteArchive("data.dat", {FileEntry("img/z.png", BytesOf("1")),
                            FileEntry("img/a.png", BytesOf("22")),
                            FileEntry("img/m.txt", BytesOf("333"))});
  folder_.Write("disk/z.png", "1");
  folder_.Write("disk/a.png", "22");
  CurrentFolder here(folder_.path());
  auto list = [](const char* pattern) {
    std::vector<std::string> names;
    FindFileInfo info;
    const intptr_t search = FileAccessFunctions.FindFirst(pattern, &info);
    if (search == -1) return names;
    do {
      names.push_back(info.name);
    } while (FileAccessFunctions.FindNext(search, &info) == 0);
    EXPECT_EQ(FileAccessFunctions.FindClose(search), 0);
    return names;
  };
  EXPECT_EQ(list("data\\img\\*"), (std::vector<std::string>{".", "..", "z.png", "a.png", "m.txt"}));
  EXPECT_EQ(list("data/img/*.PNG"), (std::vector<std::string>{"z.png", "a.png"}));
  EXPECT_EQ(list("disk\\*.png"), (std::vector<std::string>{"a.png", "z.png"}));
  EXPECT_EQ(list("data\\img\\*.gif"), std::vector<std::string>{});
}

// The in-memory road is chosen only by OpenArchive's flag.
TEST_F(ArchiveFilesTest, AnArchiveOpenedWholeIntoMemory) {
  WriteArchive("whole.dat", {FileEntry("a.txt", NoiseBytes(5000, 3))});
  char* full = nullptr;
  {
    CurrentFolder here(folder_.path());
    full = ToFullPath("whole.dat");
  }
  ASSERT_NE(full, nullptr);
  for (int async : {0, 1}) {
    const int slot = OpenArchive(-1, full, 1, async);
    ASSERT_GE(slot, 0);
    ArchiveRecord* record = ArchiveTable.records[slot];
    EXPECT_EQ(record->state.in_memory, 1);
    ArchiveEntryState entry;
    ASSERT_EQ(OpenArchiveEntry(&entry, &record->state, "A.TXT", 0), 0);
    Bytes bytes(5000);
    EXPECT_EQ(ReadArchiveEntry(&entry, bytes.data(), bytes.size()), 5000u);
    EXPECT_EQ(bytes, NoiseBytes(5000, 3));
    CloseArchiveEntry(&entry);
    // The same path again shares the open archive.
    EXPECT_EQ(OpenArchive(slot, full, 0, 0), slot);
    EXPECT_EQ(record->use_count, 2);
    record->use_count = 0;
    ReleaseUnusedArchives();
  }
  FreeTracked(full);
}

TEST_F(ArchiveFilesTest, FullPaths) {
  CurrentFolder here(folder_.path());
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  std::string upper = current;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  struct Case {
    const char* path;
    std::string full;
  };
  const Case cases[] = {
      {"data\\img\\a.png", upper + "\\DATA\\IMG\\A.PNG"},
      {"./data/../x.txt", upper + "\\X.TXT"},
      {"\\top\\a", "C:\\TOP\\A"},
      {"d:/Top/a", "D:\\TOP\\A"},
      {"d:..\\..\\a", "D:\\A"},
      {"\\\\server\\share\\a", "\\\\SERVER\\SHARE\\A"},
      {"ソ\\ａ.txt", upper + "\\ソ\\ａ.TXT"},
      {"a\\\\b", upper + "\\A\\\\B"},
  };
  for (const Case& c : cases) {
    char* full = ToFullPath(c.path);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(std::string(full), c.full) << c.path;
    FreeTracked(full);
  }
}

TEST_F(ArchiveFilesTest, HandlesThatAreNotOpen) {
  for (intptr_t handle : {intptr_t{0}, intptr_t{0xF0000005}, intptr_t{0xF0000200},
                          intptr_t{0x7FFFFFFF}}) {
    uint8_t buffer[4];
    EXPECT_EQ(ArchiveFileClose(handle), -1);
    EXPECT_EQ(ArchiveIdleCheck(handle), -1);
    EXPECT_EQ(ArchiveFileRead(buffer, 1, 4, handle), 0u);
    EXPECT_EQ(ArchiveFileTell(handle), -1);
    EXPECT_EQ(ArchiveFileSeek(handle, 0, 0), -1);
    EXPECT_NE(ArchiveFileEof(handle), 0);
  }
}

// Reads of whole elements report elements, inside archives as on disk.
TEST_F(ArchiveFilesTest, ElementCountsInsideArchives) {
  WriteArchive("data.dat", {FileEntry("ten.bin", NoiseBytes(10, 1))});
  folder_.Write("disk/ten.bin", NoiseBytes(10, 1));
  CurrentFolder here(folder_.path());
  for (const char* path : {"data\\ten.bin", "disk\\ten.bin"}) {
    SCOPED_TRACE(path);
    const intptr_t file = FileOpenThunk(path, 0, 1, 0);
    ASSERT_NE(file, 0);
    uint8_t buffer[16];
    EXPECT_EQ(FileReadThunk(buffer, 4, 2, file), 2u);
    EXPECT_EQ(FileReadThunk(buffer, 1, 1, file), 1u);
    EXPECT_EQ(FileTellThunk(file), 9);
    EXPECT_EQ(FileSeekThunk(file, 0, 0), 0);
    EXPECT_EQ(FileReadThunk(buffer, 10, 1, file), 1u);
    EXPECT_EQ(FileReadThunk(buffer, 1, 1, file), 0u);
    EXPECT_NE(FileEofThunk(file), 0);
    FileCloseThunk(file);
  }
}

TEST_F(ArchiveFilesTest, At512OpenFilesTheNextOpenFails) {
  WriteArchive("data.dat", {FileEntry("a.txt", BytesOf("a"), false)});
  CurrentFolder here(folder_.path());
  std::vector<intptr_t> files;
  for (int i = 0; i < kMaxOpenFiles; ++i) {
    const intptr_t file = FileOpenThunk("data\\a.txt", 0, 1, 0);
    ASSERT_NE(file, 0) << i;
    files.push_back(file);
  }
  std::string log;
  {
    LogCapture capture(folder_.path());
    EXPECT_EQ(FileOpenThunk("data\\a.txt", 0, 1, 0), 0);
    log = capture.text();
  }
  EXPECT_NE(log.find("同時に開けるファイルの数が限界を超えました"), std::string::npos) << log;
  EXPECT_EQ(OnlyArchive()->use_count, kMaxOpenFiles);
  // A slot freed is taken again: the lowest free one.
  ASSERT_EQ(FileCloseThunk(files[7]), 0);
  const intptr_t again = FileOpenThunk("data\\a.txt", 0, 1, 0);
  EXPECT_EQ(again, files[7]);
  for (intptr_t file : files) EXPECT_EQ(FileCloseThunk(file), 0);
}

// Settings made before library start-up survive it.
TEST_F(ArchiveFilesTest, StartUpKeepsTheSettings) {
  StoreArchiveExtension("pak");
  StoreArchiveKey("before");
  InitArchiveLayer();
  EXPECT_STREQ(ArchiveSettings.extension, "pak");
  EXPECT_STREQ(ArchiveSettings.key, "before");
  EXPECT_EQ(ArchiveSettings.key_present, 1);
}

}  // namespace

namespace {

// An archive the writer makes from a folder on disk (names in UTF-8 there)
// serves that folder's files under their Shift-JIS names.
TEST_F(ArchiveFilesTest, AnArchiveWrittenFromAFolder) {
  const std::string so_folder = reinterpret_cast<const char*>(u8"src/ソフト");
  folder_.Write("src/img/a.png", NoiseBytes(3000, 8));
  folder_.Write("src/img/run.bin", Bytes(20000, 'r'));
  folder_.Write(so_folder + reinterpret_cast<const char*>(u8"/表.txt"), "hyou");
  folder_.MakeFolder("src/empty");
  std::string error;
  ArchiveWriterOptions options;
  options.key = kGameKey;
  ASSERT_TRUE(WriteArchiveFromFolder(folder_.Path("src"), folder_.Path("data.dat"), options, true,
                                     &error))
      << error;
  CurrentFolder here(folder_.path());
  Bytes bytes;
  ASSERT_TRUE(ReadThroughTable("data\\img\\a.png", &bytes));
  EXPECT_EQ(bytes, NoiseBytes(3000, 8));
  ASSERT_TRUE(ReadThroughTable("data\\img\\run.bin", &bytes));
  EXPECT_EQ(bytes, Bytes(20000, 'r'));
  EXPECT_EQ(Read("data\\ソフト\\表.txt"), "hyou");

  std::vector<std::string> names;
  FindFileInfo info;
  const intptr_t search = FileAccessFunctions.FindFirst("data\\*", &info);
  ASSERT_NE(search, -1);
  do {
    names.push_back(info.name);
  } while (FileAccessFunctions.FindNext(search, &info) == 0);
  FileAccessFunctions.FindClose(search);
  EXPECT_EQ(names, (std::vector<std::string>{".", "empty", "img", "ソフト"}));

  // Packed where that made the file smaller.
  ArchiveRecord* record = OnlyArchive();
  ASSERT_NE(record, nullptr);
  ArchiveFileEntry entry;
  ASSERT_EQ(ArchiveFindEntry(&record->state, "IMG\\RUN.BIN", &entry), 0);
  EXPECT_NE(entry.packed_size, kArchiveNotPacked);
  ASSERT_EQ(ArchiveFindEntry(&record->state, "IMG\\A.PNG", &entry), 0);
  EXPECT_EQ(entry.packed_size, kArchiveNotPacked);
}

}  // namespace
