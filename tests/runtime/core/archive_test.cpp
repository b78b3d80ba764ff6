#include "runtime/core/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/runtime/core/file_test_support.h"

namespace {

// ---- Unpacking ------------------------------------------------------------------

// A packed stream with escape byte `escape` and the given codes.
Bytes Packed(uint32_t unpacked_size, uint8_t escape, const Bytes& codes) {
  // Sized at once and copied into: GCC 12 warns falsely (-Warray-bounds,
  // -Wstringop-overread) inside libstdc++ when the codes are inserted.
  Bytes out(9 + codes.size());
  const uint32_t packed_size = static_cast<uint32_t>(codes.size() + 9);
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<uint8_t>(unpacked_size >> (8 * i));
    out[4 + i] = static_cast<uint8_t>(packed_size >> (8 * i));
  }
  out[8] = escape;
  std::copy(codes.begin(), codes.end(), out.begin() + 9);
  return out;
}

TEST(ArchiveDecompressTest, Codes) {
  constexpr uint8_t E = 0x10;
  struct Case {
    const char* name;
    uint32_t unpacked_size;
    Bytes codes;
    Bytes output;  // empty with ok == false
    bool ok;
  };
  const Case cases[] = {
      {"literals", 3, {'a', 'b', 'c'}, {'a', 'b', 'c'}, true},
      {"escape escape is one escape byte", 3, {'a', E, E, 'b'}, {'a', E, 'b'}, true},
      // c = E + 1 is lowered to E: length (0x10 >> 3) + 4 = 6, one distance byte.
      {"a code above the escape is lowered", 8, {'x', 'y', E, E + 1, 1},
       {'x', 'y', 'x', 'y', 'x', 'y', 'x', 'y'}, true},
      {"a code below the escape stays", 5, {'q', E, 0x00, 0}, {'q', 'q', 'q', 'q', 'q'}, true},
      // Bit 2: one more byte adds (byte << 5) to the length: 4 + 0 + 32 = 36.
      {"the length byte", 37, {'z', E, 0x04, 1, 0}, Bytes(37, 'z'), true},
      // Distance field of two bytes: 0x0001 + 1 = 2.
      {"a two-byte distance", 6, {'a', 'b', E, 0x01, 0x01, 0x00}, {'a', 'b', 'a', 'b', 'a', 'b'},
       true},
      // Three bytes: 0x000002 + 1 = 3.
      {"a three-byte distance", 7, {'a', 'b', 'c', E, 0x02, 0x02, 0x00, 0x00},
       {'a', 'b', 'c', 'a', 'b', 'c', 'a'}, true},
      // Size code 3: one more than the previous distance (1 -> 2).
      {"size code 3 takes the previous distance plus one", 10,
       {'a', 'b', E, 0x00, 0, E, 0x03}, {'a', 'b', 'b', 'b', 'b', 'b', 'b', 'b', 'b', 'b'}, true},
      {"size code 3 before any reference", 4, {'a', E, 0x03}, {}, false},
      {"a reference before the start", 5, {'a', E, 0x00, 1}, {}, false},
      {"a reference past the end", 4, {'a', E, 0x00, 0}, {}, false},
      {"a literal past the end", 1, {'a', 'b'}, {}, false},
      {"an escape at the very end", 2, {'a', E}, {}, false},
      {"a distance cut short", 4, {'a', 'b', E, 0x01, 0x00}, {}, false},
      {"a length byte cut short", 40, {'a', E, 0x04}, {}, false},
      {"output shorter than stated", 5, {'a', 'b'}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes stream = Packed(c.unpacked_size, E, c.codes);
    Bytes out(c.unpacked_size + 8, 0xEE);
    const int64_t result = ArchiveDecompress(stream.data(), stream.size(), out.data(),
                                             c.unpacked_size);
    if (!c.ok) {
      EXPECT_EQ(result, -1);
    } else {
      EXPECT_EQ(result, c.unpacked_size);
      EXPECT_EQ(Bytes(out.begin(), out.begin() + c.unpacked_size), c.output);
    }
    // Never a byte past the destination.
    for (size_t i = c.unpacked_size; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
  }
}

TEST(ArchiveDecompressTest, HeadChecks) {
  const Bytes stream = Packed(3, 0x10, {'a', 'b', 'c'});
  uint8_t out[8];
  // Without a destination only the size is given.
  EXPECT_EQ(ArchiveDecompress(stream.data(), stream.size(), nullptr, 0), 3);
  // The stated packed size must lie within what is there.
  EXPECT_EQ(ArchiveDecompress(stream.data(), stream.size() - 1, out, sizeof(out)), -1);
  EXPECT_EQ(ArchiveDecompress(stream.data(), 8, out, sizeof(out)), -1);
  // The output must fit the destination.
  EXPECT_EQ(ArchiveDecompress(stream.data(), stream.size(), out, 2), -1);
  // A head alone unpacks to nothing.
  const Bytes empty = Packed(0, 0x10, {});
  EXPECT_EQ(ArchiveDecompress(empty.data(), empty.size(), out, sizeof(out)), 0);
}

// The writer's packing and the reader's unpacking agree, for data that needs
// every kind of code.
TEST(ArchiveDecompressTest, WriterRoundTrip) {
  struct Case {
    const char* name;
    Bytes data;
    size_t most;  // the packed size must stay below this (0: no limit)
  };
  Bytes escape_heavy = NoiseBytes(5000, 21);
  // Every byte value used often: whichever the escape byte is, it occurs.
  for (size_t i = 0; i < escape_heavy.size(); i += 2) escape_heavy[i] = static_cast<uint8_t>(i / 2);
  // 20000 bytes repeated from 70000 bytes back: only three-byte distance
  // fields reach them, and three codes of at most 8195 bytes cover them.
  Bytes far = NoiseBytes(70000, 22);
  far.insert(far.end(), far.begin(), far.begin() + 20000);
  Bytes mixed = NoiseBytes(300, 23);
  for (int i = 0; i < 50; ++i) mixed.insert(mixed.end(), mixed.begin() + i, mixed.begin() + i + 40);
  Bytes period;
  for (int i = 0; i < 20000; ++i) period.push_back(static_cast<uint8_t>("abc"[i % 3]));
  const Case cases[] = {
      {"empty", {}, 10},
      {"one byte", {0x42}, 12},
      {"noise", NoiseBytes(4096, 24), 0},
      {"escape bytes", escape_heavy, 0},
      // Overlapping references (distance 1), each longer than 32 bytes.
      {"a long run", Bytes(100000, 0), 100},
      {"a short period", period, 30},
      {"three-byte distances", far,
       PackArchiveData(far.data(), 70000).size() + 3 * 6 + 10},
      {"mixed", mixed, 300 + 50 * 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes packed = PackArchiveData(c.data.data(), c.data.size());
    Bytes out(c.data.size() + 1, 0xEE);
    ASSERT_EQ(ArchiveDecompress(packed.data(), packed.size(), out.data(), c.data.size()),
              static_cast<int64_t>(c.data.size()));
    EXPECT_EQ(out.back(), 0xEE);
    out.pop_back();
    EXPECT_EQ(out, c.data);
    if (c.most != 0) {
      EXPECT_LT(packed.size(), c.most);
    }
  }
}

// ---- Keys, names, wildcards ------------------------------------------------------------

Bytes Key(const char* text) {
  Bytes key(kArchiveKeySize);
  ArchiveKeyFromString(text, key.data());
  return key;
}

TEST(ArchiveKeyTest, DerivationFromTheKeyString) {
  // More than 12 characters: the first 12 count.
  EXPECT_EQ(Key("quietmarbleXY"), Key("quietmarbleXZZZ"));
  EXPECT_NE(Key("quietmarbleX"), Key("quietmarbleY"));
  // Fewer are repeated.
  EXPECT_EQ(Key("abc"), Key("abcabcabcabc"));
  EXPECT_EQ(Key("abcde"), Key("abcdeabcdeab"));
  // No string, or an empty one: the fixed no-key key.
  EXPECT_EQ(Key(nullptr), Key(""));
  EXPECT_NE(Key(nullptr), Key("a"));
  Bytes fallback(kArchiveKeySize);
  ArchiveFallbackKey(fallback.data());
  EXPECT_NE(fallback, Key(nullptr));
  // Each position has an operation of its own: the same byte comes out
  // differently at different positions.
  const Bytes same = Key("a");
  int distinct = 0;
  for (int i = 1; i < kArchiveKeySize; ++i) distinct += same[i] != same[0];
  EXPECT_GE(distinct, 8);
}

TEST(ArchiveKeyTest, XorFollowsTheFilePosition) {
  const Bytes key = Key("quietmarble");
  const Bytes plain = NoiseBytes(100, 31);
  Bytes whole = plain;
  XorArchiveBytes(whole.size(), whole.data(), 5, key.data());
  for (size_t i = 0; i < plain.size(); ++i) {
    ASSERT_EQ(whole[i], plain[i] ^ key[(5 + i) % 12]);
  }
  // In pieces, each with its own position: the same result; twice: undone.
  Bytes pieces = plain;
  XorArchiveBytes(7, pieces.data(), 5, key.data());
  XorArchiveBytes(93, pieces.data() + 7, 12, key.data());
  EXPECT_EQ(pieces, whole);
  XorArchiveBytes(whole.size(), whole.data(), 5, key.data());
  EXPECT_EQ(whole, plain);
}

TEST(ArchiveNameKeyTest, UpperCaseSumAndUnits) {
  struct Case {
    const char* text;
    int length;
    const char* upper;
    uint16_t units;
  };
  const Case cases[] = {
      {"abc", 3, "ABC", 1},
      {"abcd", 4, "ABCD", 2},  // always room for one zero
      {"img\\a.png", 3, "IMG", 1},
      {"ソa", 3, "ソA", 1},      // 0x83 0x5C: the trail byte is no separator
      {"ａｂ", 4, "ａｂ", 2},     // two-byte letters are not upper-cased
      {"", 0, "", 1},
  };
  for (const Case& c : cases) {
    NameKeyRecord key;
    EXPECT_EQ(ArchiveNameKey(c.text, &key), c.length) << c.text;
    EXPECT_STREQ(reinterpret_cast<const char*>(key.name), c.upper);
    EXPECT_EQ(key.units, c.units);
    uint16_t sum = 0;
    for (const char* p = c.upper; *p != '\0'; ++p) sum = static_cast<uint16_t>(sum + static_cast<uint8_t>(*p));
    EXPECT_EQ(key.sum, sum);
    for (int i = c.length; i < key.units * 4; ++i) EXPECT_EQ(key.name[i], 0);
  }
  const std::string long_name(1023, 'x');
  NameKeyRecord key;
  EXPECT_EQ(ArchiveNameKey(long_name.c_str(), &key), 1023);
  EXPECT_EQ(ArchiveNameKey((long_name + "x").c_str(), &key), -1);
}

TEST(WildcardMatchTest, Cases) {
  struct Case {
    const char* pattern;
    const char* name;
    int result;
  };
  const Case cases[] = {
      {"*", "A.PNG", 0},
      {"*", ".", 0},
      {"*", "..", 0},
      {"*", "", 0},
      {"*.PNG", "A.PNG", 0},
      {"*.PNG", ".", -1},
      {"*.PNG", "..", -1},
      {"*.PNG", "A.PNGX", -1},
      {"A?C", "ABC", 0},
      {"A?C", "AC", -1},
      {"A?C", "ABCD", -1},
      {"ABC", "AB", -1},
      {"**B", "AB", 0},
      // No backtracking: the run stops at the first 'A'.
      {"*AB", "AAB", -1},
      {"表*", "表A.TXT", 0},
      {"表?", "表", -1},
      {"*ソ", "Aソ", 0},
      // '\' (the trail byte of "ソ") is not found inside the two-byte character.
      {"*\\", "ソ", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.result) << c.pattern << " / " << c.name;
  }
}

// ---- Archives read back ------------------------------------------------------------------

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    blocks_ = TrackedBlockCount();
  }
  void TearDown() override { EXPECT_EQ(TrackedBlockCount(), blocks_); }

  std::string WriteArchive(const Bytes& bytes, const std::string& name = "test.dat") {
    folder_.Write(name, bytes);
    return folder_.Path(name);
  }

  TestFolder folder_;
  int32_t blocks_ = 0;
};

// The files of the round trip: stored and packed, in sub-folders, a
// Shift-JIS name whose trail byte is a backslash, bytes equal to the escape
// byte, long and overlapping back references.
std::vector<ArchiveWriterFile> RoundTripFiles() {
  Bytes escape_heavy = NoiseBytes(3000, 41);
  for (size_t i = 0; i < escape_heavy.size(); i += 3) escape_heavy[i] = static_cast<uint8_t>(i);
  Bytes far = NoiseBytes(70000, 42);
  far.insert(far.end(), far.begin() + 10, far.begin() + 9000);
  std::vector<ArchiveWriterFile> files = {
      FileEntry("readme.txt", BytesOf("stored bytes\r\n"), false),
      FileEntry("img/a.png", NoiseBytes(2000, 43), false),
      FileEntry("img/title/logo.png", escape_heavy),
      FileEntry("bgm/long.ogg", Bytes(50000, 0x7F)),
      FileEntry("ソフト/表示.txt", BytesOf("表示テキスト")),
      FileEntry("data/far.bin", far),
      FileEntry("data/empty.bin", {}),
  };
  files[0].creation_time = 132000000000000000ull;
  files[0].last_write_time = 132500000000000000ull;
  return files;
}

struct OpenMode {
  const char* name;
  int version;
  bool in_memory;
  int async;
};

// Case names in test listings.
void PrintTo(const OpenMode& value, std::ostream* out) { *out << value.name; }

const OpenMode kOpenModes[] = {
    {"v3_streamed", 3, false, 0},    {"v3_streamed_not_waiting", 3, false, 1},
    {"v3_in_memory", 3, true, 0},    {"v3_in_memory_loading", 3, true, 1},
    {"v1_streamed", 1, false, 0},    {"v1_in_memory", 1, true, 0},
    {"v0_streamed_not_waiting", 0, false, 1},
};

class ArchiveRoundTripTest : public ArchiveTest,
                             public ::testing::WithParamInterface<OpenMode> {
 protected:
  int Open(ArchiveState* archive, const std::string& path, const char* key) {
    std::memset(archive, 0, sizeof(*archive));
    if (GetParam().in_memory) {
      return OpenArchiveInMemory(archive, path.c_str(), key, GetParam().async);
    }
    return OpenArchiveStreamed(archive, path.c_str(), key);
  }
};

Bytes ReadEntry(ArchiveState* archive, const char* path, int async, size_t chunk) {
  ArchiveEntryState entry;
  EXPECT_EQ(OpenArchiveEntry(&entry, archive, path, async), 0) << path;
  Bytes bytes;
  Bytes buffer(chunk);
  for (;;) {
    const size_t got = ReadArchiveEntry(&entry, buffer.data(), chunk);
    while (ArchiveFileIdle(&entry) == 0) Sleep(0);
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
  }
  EXPECT_NE(EofArchiveEntry(&entry), 0);
  CloseArchiveEntry(&entry);
  return bytes;
}

TEST_P(ArchiveRoundTripTest, EveryFileReadsBackAsWritten) {
  const std::vector<ArchiveWriterFile> files = RoundTripFiles();
  ArchiveWriterOptions options;
  options.version = GetParam().version;
  options.key = "quietmarble";
  const std::string path = WriteArchive(BuildTestArchive(files, options));

  ArchiveState archive;
  ASSERT_EQ(Open(&archive, path, "quietmarble"), 0);
  for (const ArchiveWriterFile& file : files) {
    std::string inner = file.path;
    for (char& c : inner) {
      if (c == '/') c = '\\';
    }
    SCOPED_TRACE(inner);
    ArchiveFileEntry entry;
    ASSERT_EQ(ArchiveFindEntry(&archive, inner.c_str(), &entry), 0);
    // Packed exactly where the writer was asked to pack and the format allows it.
    const bool packed = GetParam().version >= 2 && file.pack;
    EXPECT_EQ(entry.packed_size != kArchiveNotPacked, packed);
    EXPECT_EQ(entry.size, file.data.size());
    for (size_t chunk : {size_t{1} << 20, size_t{777}}) {
      EXPECT_EQ(ReadEntry(&archive, inner.c_str(), GetParam().async, chunk), file.data);
    }
  }
  CloseArchiveData(&archive);
}

TEST_P(ArchiveRoundTripTest, TheFallbackKeyIsTriedAndAWrongKeyRefused) {
  const std::vector<ArchiveWriterFile> files = {FileEntry("a.txt", BytesOf("fallback"))};
  ArchiveWriterOptions options;
  options.version = GetParam().version;
  options.fallback_key = true;
  const std::string fallback = WriteArchive(BuildTestArchive(files, options), "fallback.dat");
  options.fallback_key = false;
  options.key = "other";
  const std::string other = WriteArchive(BuildTestArchive(files, options), "other.dat");

  ArchiveState archive;
  ASSERT_EQ(Open(&archive, fallback, "quietmarble"), 0);
  EXPECT_EQ(ReadEntry(&archive, "A.TXT", GetParam().async, 64), BytesOf("fallback"));
  CloseArchiveData(&archive);
  EXPECT_EQ(Open(&archive, other, "quietmarble"), -1);
  ASSERT_EQ(Open(&archive, other, "otherotherot"), 0);
  CloseArchiveData(&archive);
}

INSTANTIATE_TEST_SUITE_P(Modes, ArchiveRoundTripTest, ::testing::ValuesIn(kOpenModes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArchiveTest, LookUps) {
  const std::vector<ArchiveWriterFile> files = {
      FileEntry("Img/Title/Logo.png", BytesOf("logo")),
      FileEntry("img/ａ.png", BytesOf("full-width a")),
      FileEntry("file", BytesOf("a file in the root")),
      FileEntry("ソ/x.txt", BytesOf("under so")),
  };
  const std::string path = WriteArchive(BuildTestArchive(files));
  ArchiveState archive = {};
  ASSERT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), 0);
  struct Case {
    const char* path;
    const char* content;  // null: not found
  };
  const Case cases[] = {
      {"IMG\\TITLE\\LOGO.PNG", "logo"},
      {"img\\title\\logo.png", "logo"},   // ASCII letters in any case
      {"\\img\\title\\logo.png", "logo"}, // from the root
      {"IMG\\ａ.PNG", "full-width a"},
      {"IMG\\Ａ.PNG", nullptr},           // two-byte letters keep their case
      {"FILE", "a file in the root"},
      {"ソ\\X.TXT", "under so"},
      {"IMG\\TITLE", nullptr},            // a folder is not a file
      {"IMG\\TITLE\\", nullptr},
      {"IMG", nullptr},
      {"FILE\\LOGO.PNG", nullptr},        // the walk failed before the last part
      {"NONE\\LOGO.PNG", nullptr},
      {"IMG\\TITLE\\LOGO.PNG\\", nullptr},
      {"LOGO.PNG", nullptr},
  };
  for (const Case& c : cases) {
    ArchiveFileEntry entry;
    const int found = ArchiveFindEntry(&archive, c.path, &entry);
    EXPECT_EQ(found, c.content ? 0 : -1) << c.path;
    EXPECT_EQ(archive.current_folder, 0u) << "the current folder moved: " << c.path;
    if (c.content != nullptr && found == 0) {
      EXPECT_EQ(ReadEntry(&archive, c.path, 0, 64), BytesOf(c.content));
    }
  }
  // The folder walk: into a folder, up again, not above the root.
  EXPECT_EQ(ArchiveFindFolder(&archive, "IMG\\TITLE", 0, nullptr, nullptr), 0);
  EXPECT_EQ(ArchiveFindEntry(&archive, "LOGO.PNG", nullptr), 0);
  EXPECT_EQ(ArchiveFindFolder(&archive, "..", 0, nullptr, nullptr), 0);
  EXPECT_EQ(ArchiveFindFolder(&archive, "..", 0, nullptr, nullptr), 0);
  EXPECT_EQ(archive.current_folder, 0u);
  EXPECT_EQ(ArchiveFindFolder(&archive, "..", 0, nullptr, nullptr), -1);
  EXPECT_EQ(ArchiveFindFolder(&archive, "IMG\\NONE", 1, nullptr, nullptr), -1);
  EXPECT_EQ(archive.current_folder, 0u) << "a failed walk with restore moved";
  CloseArchiveData(&archive);
}

TEST_F(ArchiveTest, EntrySeekIsClamped) {
  const Bytes data = NoiseBytes(100, 51);
  for (bool pack : {false, true}) {
    SCOPED_TRACE(pack ? "packed" : "stored");
    const std::string path = WriteArchive(BuildTestArchive({FileEntry("a.bin", data, pack)}));
    ArchiveState archive = {};
    ASSERT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), 0);
    ArchiveEntryState entry;
    ASSERT_EQ(OpenArchiveEntry(&entry, &archive, "a.bin", 0), 0);
    uint8_t buffer[16];
    EXPECT_EQ(SeekArchiveEntry(&entry, -5, 0), 0);
    EXPECT_EQ(TellArchiveEntry(&entry), 0);
    EXPECT_EQ(SeekArchiveEntry(&entry, 10, 2), 0);
    EXPECT_EQ(TellArchiveEntry(&entry), 100);
    EXPECT_EQ(ReadArchiveEntry(&entry, buffer, sizeof(buffer)), 0u);
    EXPECT_NE(EofArchiveEntry(&entry), 0);
    EXPECT_EQ(SeekArchiveEntry(&entry, -4, 1), 0);
    EXPECT_EQ(EofArchiveEntry(&entry), 0);
    EXPECT_EQ(ReadArchiveEntry(&entry, buffer, sizeof(buffer)), 4u);
    EXPECT_EQ(0, std::memcmp(buffer, data.data() + 96, 4));
    CloseArchiveEntry(&entry);
    CloseArchiveData(&archive);
  }
}

// A read that does not wait on a streamed archive: the bytes are decoded
// once IdleCheck finds the read done.
TEST_F(ArchiveTest, StoredReadsThatDoNotWaitAreDecodedWhenDone) {
  const Bytes data = NoiseBytes(4000, 52);
  const std::string path = WriteArchive(BuildTestArchive({FileEntry("a.bin", data, false)}));
  ArchiveState archive = {};
  ASSERT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), 0);
  ArchiveEntryState entry;
  ASSERT_EQ(OpenArchiveEntry(&entry, &archive, "A.BIN", 1), 0);
  Bytes buffer(4000);
  ASSERT_EQ(ReadArchiveEntry(&entry, buffer.data(), 1000), 1000u);
  // The next read waits for the first (and decodes it) before it starts.
  ASSERT_EQ(ReadArchiveEntry(&entry, buffer.data() + 1000, 3000), 3000u);
  while (ArchiveFileIdle(&entry) == 0) Sleep(0);
  EXPECT_EQ(buffer, data);
  CloseArchiveEntry(&entry);
  CloseArchiveData(&archive);
}

// ---- Search ---------------------------------------------------------------------------------

std::vector<std::string> Listing(ArchiveState* archive, const char* pattern,
                                 std::vector<FindFileInfo>* infos = nullptr) {
  std::vector<std::string> names;
  FindFileInfo info;
  const intptr_t search = ArchiveFindFirstEntry(archive, pattern, &info);
  if (search == -1) return names;
  auto* record = reinterpret_cast<ArchiveFindRecord*>(search);
  do {
    names.push_back(info.name);
    if (infos != nullptr) infos->push_back(info);
    std::memset(&info, 0, sizeof(info));
  } while (ArchiveFindNextEntry(record, &info) == 0 && (++record->index, true));
  FreeArchiveFindRecord(record);
  return names;
}

TEST_F(ArchiveTest, SearchListsDotsThenEntriesInDirectoryOrder) {
  std::vector<ArchiveWriterFile> files = {
      FileEntry("img/zeta.png", Bytes(7, 1)),  FileEntry("img/Alpha.PNG", Bytes(3, 2)),
      FileEntry("img/sub/x.bmp", Bytes(1, 3)), FileEntry("img/mid.txt", Bytes(2, 4)),
      FileEntry("top.png", Bytes(5, 5)),
  };
  files[1].creation_time = 132000000000000000ull;  // 2019
  files[1].last_write_time = 133000000000000000ull;  // 2022
  const std::string path = WriteArchive(BuildTestArchive(files));
  ArchiveState archive = {};
  ASSERT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), 0);

  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"IMG\\*", {".", "..", "zeta.png", "Alpha.PNG", "sub", "mid.txt"}},
      {"img/*", {".", "..", "zeta.png", "Alpha.PNG", "sub", "mid.txt"}},
      {"*", {".", "img", "top.png"}},
      {"img\\*.png", {"zeta.png", "Alpha.PNG"}},
      {"img\\?????.*", {"Alpha.PNG"}},
      {"img\\sub\\*.bmp", {"x.bmp"}},
      {"img\\*.gif", {}},
      {"none\\*", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Listing(&archive, c.pattern), c.names) << c.pattern;
    EXPECT_EQ(archive.current_folder, 0u);
  }

  std::vector<FindFileInfo> infos;
  Listing(&archive, "IMG\\*", &infos);
  ASSERT_EQ(infos.size(), 6u);
  EXPECT_EQ(infos[0].folder, 1);  // "."
  EXPECT_EQ(infos[0].size_low, 0u);
  EXPECT_EQ(infos[0].creation_time[0], 0);
  EXPECT_EQ(infos[3].size_low, 3u);  // Alpha.PNG
  EXPECT_EQ(infos[3].folder, 0);
  EXPECT_EQ(infos[3].creation_time[0], 2019);
  EXPECT_EQ(infos[3].last_write_time[0], 2022);
  EXPECT_EQ(infos[4].folder, 1);  // sub
  CloseArchiveData(&archive);
}

// ---- Malformed archives ------------------------------------------------------------------

// An archive made with no key, turned into its decoded bytes for editing.
Bytes Decoded(Bytes archive) {
  uint8_t key[kArchiveKeySize];
  ArchiveKeyFromString(nullptr, key);
  XorArchiveBytes(archive.size(), archive.data(), 0, key);
  return archive;
}
Bytes Encoded(Bytes decoded) { return Decoded(std::move(decoded)); }

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put(Bytes* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Opens the archive and reads everything it can list: whatever the bytes, it
// is refused or read without a step out of bounds (the sanitizer build
// watches), and nothing is left allocated.
void ExerciseArchive(const std::string& path, bool in_memory) {
  ArchiveState archive = {};
  const int opened = in_memory ? OpenArchiveInMemory(&archive, path.c_str(), nullptr, 0)
                               : OpenArchiveStreamed(&archive, path.c_str(), nullptr);
  if (opened != 0) return;
  for (const char* pattern : {"*", "A\\*", "A\\B\\*", "ソ\\*"}) {
    std::vector<std::string> names = Listing(&archive, pattern);
    std::string folder = pattern;
    folder.resize(folder.size() - 1);
    for (const std::string& name : names) {
      Bytes buffer(64);
      ArchiveEntryState entry;
      if (OpenArchiveEntry(&entry, &archive, (folder + name).c_str(), 0) != 0) continue;
      while (ReadArchiveEntry(&entry, buffer.data(), buffer.size()) != 0) {
      }
      SeekArchiveEntry(&entry, -3, 2);
      ReadArchiveEntry(&entry, buffer.data(), buffer.size());
      CloseArchiveEntry(&entry);
    }
  }
  CloseArchiveData(&archive);
}

std::vector<ArchiveWriterFile> SmallTree() {
  return {FileEntry("a/b/c.txt", BytesOf("deep file, packed packed packed packed")),
          FileEntry("a/d.bin", NoiseBytes(40, 61), false),
          FileEntry("ソ/e.txt", Bytes(300, 'e')), FileEntry("f.txt", BytesOf("f"), false)};
}

TEST_F(ArchiveTest, MalformedHeadersAndDirectoriesAreRefused) {
  const Bytes good = Decoded(BuildTestArchive(SmallTree()));
  const uint32_t directory_size = Get32(good, 4);

  struct Case {
    const char* name;
    std::function<void(Bytes*)> damage;
  };
  const Case cases[] = {
      {"bad magic", [](Bytes* b) { (*b)[0] = 'X'; }},
      {"version 4", [](Bytes* b) { (*b)[2] = 4; }},
      {"version 0xFFFF", [](Bytes* b) { (*b)[2] = 0xFF, (*b)[3] = 0xFF; }},
      {"directory past the end",
       [&](Bytes* b) { Put(b, 12, static_cast<uint32_t>(b->size()) - directory_size + 1); }},
      {"directory size past the end", [&](Bytes* b) { Put(b, 4, directory_size + 1); }},
      {"directory size wraps", [](Bytes* b) { Put(b, 4, 0xFFFFFFF0u); }},
      {"data area past the end", [](Bytes* b) { Put(b, 8, static_cast<uint32_t>(b->size()) + 1); }},
      {"file table outside the directory", [&](Bytes* b) { Put(b, 16, directory_size + 4); }},
      {"folder table outside the directory", [&](Bytes* b) { Put(b, 20, directory_size - 8); }},
      {"truncated header", [](Bytes* b) { b->erase(b->begin() + 20, b->end()); }},
      {"truncated directory", [](Bytes* b) { b->pop_back(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    c.damage(&bad);
    const std::string path = WriteArchive(Encoded(bad), "bad.dat");
    ArchiveState archive = {};
    EXPECT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), -1);
    EXPECT_EQ(OpenArchiveInMemory(&archive, path.c_str(), nullptr, 0), -1);
    EXPECT_EQ(archive.file, 0);
  }
}

// Damage inside the directory or the data: look-ups fail and entries refuse
// to open rather than read outside what the archive holds.
TEST_F(ArchiveTest, MalformedEntriesFailToOpen) {
  const Bytes good = Decoded(BuildTestArchive(SmallTree()));
  const uint32_t directory_size = Get32(good, 4);
  const uint32_t data_position = Get32(good, 8);
  const uint32_t directory = Get32(good, 12);
  const uint32_t files = directory + Get32(good, 16);
  const uint32_t folders = directory + Get32(good, 20);
  // The writer lays folders out breadth first (root, a, ソ, a\b) and each
  // folder's entries in their given order: the root holds a, ソ, f.txt.
  const uint32_t f_entry = files + 2 * kArchiveEntrySize;
  const uint32_t ab_folder = folders + 3 * kArchiveFolderRecordSize;
  const uint32_t c_entry = files + Get32(good, ab_folder + 12);
  const uint32_t c_data = data_position + Get32(good, c_entry + 32);

  struct Case {
    const char* name;
    const char* path;
    std::function<void(Bytes*)> damage;
  };
  const Case cases[] = {
      {"data offset past the end", "F.TXT",
       [&](Bytes* b) { Put(b, f_entry + 32, static_cast<uint32_t>(b->size())); }},
      {"size past the end", "F.TXT", [&](Bytes* b) { Put(b, f_entry + 36, 0xFFFFFFFFu); }},
      {"name record outside the directory", "F.TXT",
       [&](Bytes* b) { Put(b, f_entry, directory_size - 2); }},
      {"name record length outside the directory", "F.TXT",
       [&](Bytes* b) { (*b)[directory + Get32(*b, f_entry)] = 0xFF, (*b)[directory + Get32(*b, f_entry) + 1] = 0xFF; }},
      {"root entry count too large", "NONE.TXT",
       [&](Bytes* b) { Put(b, folders + 8, 0x10000000u); }},
      {"root entries outside the table", "F.TXT",
       [&](Bytes* b) { Put(b, folders + 12, directory_size); }},
      {"folder record outside the table", "A\\B\\C.TXT",
       [&](Bytes* b) { Put(b, files + 32, directory_size); }},
      {"packed size past the end", "A\\B\\C.TXT",
       [&](Bytes* b) { Put(b, c_entry + 40, 0x7FFFFFFFu); }},
      {"size beyond what the packed bytes can hold", "A\\B\\C.TXT",
       [&](Bytes* b) { Put(b, c_entry + 36, 0x7FFFFFFFu); }},
      {"packed stream head beyond its data", "A\\B\\C.TXT",
       [&](Bytes* b) { Put(b, c_data + 4, 0x10000u); }},
      {"packed stream stating another size", "A\\B\\C.TXT",
       [&](Bytes* b) { Put(b, c_data, Get32(*b, c_data) + 1); }},
      {"back reference before the start", "A\\B\\C.TXT",
       [&](Bytes* b) {
         // The first code becomes a reference with distance 256.
         const uint8_t escape = (*b)[c_data + 8];
         (*b)[c_data + 9] = escape;
         (*b)[c_data + 10] = escape == 0 ? 1 : 0;
         (*b)[c_data + 11] = 0xFF;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    c.damage(&bad);
    const std::string path = WriteArchive(Encoded(bad), "bad.dat");
    for (bool in_memory : {false, true}) {
      ArchiveState archive = {};
      const int opened = in_memory ? OpenArchiveInMemory(&archive, path.c_str(), nullptr, 0)
                                   : OpenArchiveStreamed(&archive, path.c_str(), nullptr);
      ASSERT_EQ(opened, 0);
      ArchiveEntryState entry;
      EXPECT_EQ(OpenArchiveEntry(&entry, &archive, c.path, 0), -1);
      Listing(&archive, "A\\B\\*");
      CloseArchiveData(&archive);
    }
    ExerciseArchive(path, false);
  }
}

// Every cut of an archive and a sweep of damaged bytes: refused, or read
// within bounds.
TEST_F(ArchiveTest, TruncatedAndDamagedArchivesStayInBounds) {
  const Bytes good = BuildTestArchive(SmallTree());
  const std::string path = folder_.Path("cut.dat");
  for (size_t length = 0; length < good.size(); length += (length < 64 ? 1 : 7)) {
    folder_.Write("cut.dat", Bytes(good.begin(), good.begin() + static_cast<long>(length)));
    ArchiveState archive = {};
    EXPECT_EQ(OpenArchiveStreamed(&archive, path.c_str(), nullptr), -1) << length;
    ExerciseArchive(path, true);
  }
  const Bytes decoded = Decoded(good);
  uint32_t state = 99;
  for (int round = 0; round < 300; ++round) {
    Bytes bad = decoded;
    for (int flips = 0; flips < 3; ++flips) {
      state = state * 1664525u + 1013904223u;
      const size_t at = 24 + (state >> 8) % (bad.size() - 24);
      state = state * 1664525u + 1013904223u;
      bad[at] = static_cast<uint8_t>(state >> 24);
    }
    folder_.Write("cut.dat", Encoded(bad));
    ExerciseArchive(path, round % 2 == 0);
  }
}

}  // namespace
