// The rewriter of literals for the fuzzing build: the bytes its escapes spell
// are the bytes GCC makes of the same literal with -fexec-charset=CP932 (this
// file is compiled that way), and nothing but plain literals changes.
#include "tools/cp932_literals/cp932_literals.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The bytes of a sequence of plain string literals ("a" "b" ...) as the
// compiler joins them, for the escapes the rewriter and these cases use.
std::string LiteralBytes(const std::string& literals) {
  std::string bytes;
  bool inside = false;
  for (size_t i = 0; i < literals.size(); ++i) {
    const char c = literals[i];
    if (!inside) {
      if (c == '"') inside = true;
      continue;
    }
    if (c == '"') {
      inside = false;
    } else if (c == '\\' && literals[i + 1] == 'x') {
      int value = 0;
      i += 2;
      while (i < literals.size() && std::isxdigit(static_cast<unsigned char>(literals[i]))) {
        value = value * 16 + HexValue(literals[i++]);
      }
      --i;
      bytes += static_cast<char>(value);
    } else if (c == '\\') {
      const char e = literals[++i];
      bytes += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    } else {
      bytes += c;
    }
  }
  return bytes;
}

struct LiteralCase {
  const char* name;
  std::string source;  // the literal as written in a UTF-8 source
  std::string gcc;     // the same literal as GCC compiles it here
};

TEST(Cp932LiteralsTest, EscapesSpellTheBytesGccMakes) {
  const LiteralCase cases[] = {
      {"a message", Utf8(u8R"("ファイル書き込みエラー\n")"), "ファイル書き込みエラー\n"},
      {"a trail byte 0x5C", Utf8(u8R"("表示\\")"), "表示\\"},
      {"a hexadecimal digit after a converted character", Utf8(u8R"("１６bit = %s")"),
       "１６bit = %s"},
      {"a universal character name", Utf8(u8R"("\u3042\U00003044")"), "\u3042\U00003044"},
      {"escapes of the source kept", Utf8(u8R"("\x41あ\t\"")"), "\x41あ\t\""},
      {"wave dash and full-width tilde", Utf8(u8R"("〜～")"), "〜～"},
      {"half-width katakana", Utf8(u8R"("ｱｲｳ")"), "ｱｲｳ"},
      {"joined literals", Utf8(u8R"("ザーネル" "Ver%s")"), "ザーネル" "Ver%s"},
  };
  for (const LiteralCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    std::string error;
    ASSERT_TRUE(RewriteCp932Literals(c.source, &out, &error)) << error;
    for (const char byte : out) EXPECT_EQ(static_cast<unsigned char>(byte) & 0x80, 0) << out;
    EXPECT_EQ(LiteralBytes(out), c.gcc) << out;
  }
}

TEST(Cp932LiteralsTest, OnlyPlainLiteralsChange) {
  const std::string kept[] = {
      Utf8(u8"// コメント \"あ\"\n/* 表 'x */ int a = 1'000'000;\n"),
      Utf8(u8"auto s = u8\"あ\"; auto w = L\"あ\"; auto r = R\"(x\"y)\";\n"),
      Utf8(u8"char q = '\"'; char b = '\\\\'; const char* e = \"\\\"'\";\n"),
      Utf8(u8"#include \"runtime/core/api.h\"\n"),
  };
  for (const std::string& source : kept) {
    std::string out;
    std::string error;
    ASSERT_TRUE(RewriteCp932Literals(source, &out, &error)) << error;
    EXPECT_EQ(out, source);
  }
  std::string out;
  std::string error;
  ASSERT_TRUE(RewriteCp932Literals(Utf8(u8"f('あ', \"い\"); // う\n"), &out, &error));
  EXPECT_EQ(out, Utf8(u8"f('\\x82\\xA0', \"\\x82\\xA2\"); // う\n"));
}

TEST(Cp932LiteralsTest, WhatCannotBeRewrittenIsRefused) {
  for (const std::string& source :
       {Utf8(u8"\"😀\""), Utf8(u8"R\"(あ)\""), Utf8(u8"\"never closed\n"), Utf8(u8"'あa'")}) {
    std::string out;
    std::string error;
    EXPECT_FALSE(RewriteCp932Literals(source, &out, &error)) << source;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
