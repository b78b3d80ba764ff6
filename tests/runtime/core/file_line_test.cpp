// Reading text lines through the file table, from plain files and from
// archive entries alike.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "runtime/core/file_access.h"
#include "tests/runtime/core/file_test_support.h"

namespace {

constexpr const char* kEnd = "<end>";  // the call returned -1

struct LineCase {
  const char* name;
  std::string content;
  int buffer_size;
  std::vector<std::string> lines;
};

const std::vector<LineCase>& LineCases() {
  static const std::vector<LineCase> cases = {
      {"crlf", "ab\r\ncd", 16, {"ab", "cd", kEnd}},
      {"lone lf stays in the line", "ab\ncd\n", 16, {"ab\ncd\n", kEnd}},
      {"longer than the buffer", "abcdefghij\r\nk", 5, {"abcd", "efgh", "ij", "k", kEnd}},
      {"last line without a line end", "x\r\ny", 16, {"x", "y", kEnd}},
      {"empty lines", "\r\n\r\nz", 16, {"", "", "z", kEnd}},
      // "あ" is 0x82 0xA0: cut by the read, it starts the next line.
      {"two-byte character cut by the read", "abあ", 4, {"ab", "あ", kEnd}},
      {"two-byte character whole", "aあ\r\nb", 4, {"aあ", "", "b", kEnd}},
      // A lead byte that no trail byte can follow: the file ends behind it,
      // or the buffer has room for one byte only. It stays in the line, so
      // the reading goes on and meets the end.
      {"lone lead byte at the end of the file", "ab\x81", 16, {"ab\x81", kEnd}},
      {"lone lead byte after a full read", "abc\x81", 5, {"abc", "\x81", kEnd}},
      {"room for one byte only", "あb", 2, {"\x82", "\xA0", "b", kEnd}},
      // The pair must be in one read: a CR at the read's end stays.
      {"pair split by the read", "abc\r\nd", 5, {"abc\r", "\nd", kEnd}},
      {"a nul byte ends the line", std::string("ab\0cd\r\n", 7), 16, {"ab", kEnd}},
      // A lead byte pairs only with a trail byte: a NUL or a CR behind it
      // keeps its meaning, and the lead byte stands alone in the line.
      {"a nul after a lead byte ends the line", std::string("ab\x81\0cd\r\n", 8), 16,
       {"ab\x81", kEnd}},
      {"a cr lf after a lead byte ends the line", "a\x81\r\nb", 16, {"a\x81", "b", kEnd}},
      {"a lead byte before a byte that is no trail byte", "\x81 \x9F\x7F\xE0\xFD\r\nc", 16,
       {"\x81 \x9F\x7F\xE0\xFD", "c", kEnd}},
      // Pairs whose trail bytes lie at the ends of their ranges stay whole:
      // "表" is 0x95 0x5C, "\x81\x40" the wide space.
      {"trail bytes at both ends of their ranges", "表\x81\x40\x9F\x7E\xE0\x80\xFC\xFC\r\nd", 16,
       {"表\x81\x40\x9F\x7E\xE0\x80\xFC\xFC", "d", kEnd}},
      {"empty file", "", 16, {kEnd}},
      {"a buffer with room for the nul only", "abc", 1, {kEnd}},
  };
  return cases;
}

struct Source {
  const char* name;
  const char* folder;  // "disk", "stored" or "packed"
  int cache;
  int async;
};

// Case names in test listings.
void PrintTo(const Source& value, std::ostream* out) { *out << value.name; }

const Source kSources[] = {
    {"plain", "disk", 0, 0},
    {"plain_cached", "disk", 1, 0},
    {"plain_not_waiting", "disk", 0, 1},
    {"archive_stored", "stored", 0, 0},
    {"archive_packed", "packed", 0, 0},
    {"archive_stored_not_waiting", "stored", 0, 1},
    {"archive_packed_not_waiting", "packed", 0, 1},
};

class ReadFileLineTest : public ArchiveLayerTest, public ::testing::WithParamInterface<Source> {};

TEST_P(ReadFileLineTest, LineCases) {
  std::vector<ArchiveWriterFile> stored, packed;
  const std::vector<LineCase>& cases = LineCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string name = "case" + std::to_string(i) + ".txt";
    folder_.Write("disk/" + name, BytesOf(cases[i].content));
    stored.push_back(FileEntry(name, BytesOf(cases[i].content), false));
    packed.push_back(FileEntry(name, BytesOf(cases[i].content), true));
  }
  folder_.Write("stored.dat", BuildTestArchive(stored));
  folder_.Write("packed.dat", BuildTestArchive(packed));
  StoreArchiveExtension("dat");
  CurrentFolder here(folder_.path());

  for (size_t i = 0; i < cases.size(); ++i) {
    const LineCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string path =
        std::string(GetParam().folder) + "\\case" + std::to_string(i) + ".txt";
    const intptr_t file = FileOpenThunk(path.c_str(), GetParam().cache, 1, GetParam().async);
    ASSERT_NE(file, 0) << path;
    std::vector<std::string> lines;
    for (size_t call = 0; call < c.lines.size() + 2; ++call) {
      std::vector<char> buffer(static_cast<size_t>(c.buffer_size) + 4, '#');
      const int length = ReadFileLineFromTable(buffer.data(), c.buffer_size, file);
      if (length == -1) {
        lines.push_back(kEnd);
        break;
      }
      ASSERT_GE(length, 0);
      ASSERT_LT(length, c.buffer_size);
      EXPECT_EQ(buffer[static_cast<size_t>(length)], '\0');
      // Nothing past the buffer is touched.
      for (size_t k = static_cast<size_t>(c.buffer_size); k < buffer.size(); ++k) {
        ASSERT_EQ(buffer[k], '#');
      }
      lines.emplace_back(buffer.data(), static_cast<size_t>(length));
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(FileCloseThunk(file), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ReadFileLineTest, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFileLineBufferTest, NoBufferOrNoRoomGivesMinusOne) {
  char byte = 'x';
  EXPECT_EQ(ReadFileLineFromTable(nullptr, 16, 1), -1);
  EXPECT_EQ(ReadFileLineFromTable(&byte, 0, 1), -1);
  EXPECT_EQ(byte, 'x');
}

}  // namespace
