// Text conversion at the host boundary. Game and runtime text is Shift-JIS
// (code page 932); the hosts (window title, message boxes, typed text, font
// look-up) speak UTF-8.
#pragma once

#include <string>
#include <string_view>

// Bytes that do not form a valid character become U+FFFD (one per bad byte);
// conversion never stops early.
std::string Cp932ToUtf8(std::string_view cp932);
// Characters without a code page 932 form become one '?' each; so do stray bytes.
std::string Utf8ToCp932(std::string_view utf8);
