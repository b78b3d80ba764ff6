// Shift-JIS file-name text shared by the file stand-ins: character lengths
// and the ASCII case folding that the case-insensitive look-up compares by.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

inline bool IsCp932Lead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length of the character at `text[at]`: 2 for a lead byte with a trail byte
// behind it, else 1.
inline size_t CharLength(std::string_view text, size_t at) {
  return IsCp932Lead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

inline char FoldAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The same name with ASCII letters upper-cased (trail bytes kept). Two names
// are equal but for the case of ASCII letters when their folded forms are
// equal: folding never changes which bytes are lead bytes.
inline std::string FoldedName(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size();) {
    const size_t length = CharLength(folded, i);
    if (length == 1) folded[i] = FoldAscii(folded[i]);
    i += length;
  }
  return folded;
}

inline bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
