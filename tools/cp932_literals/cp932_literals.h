// Rewrites a C++ source so that its plain string and character literals hold
// Shift-JIS (code page 932) bytes without the compiler converting them: every
// character outside ASCII in such a literal (written as itself or as a
// universal character name) becomes hexadecimal escapes of its CP932 bytes.
// GCC does the same conversion with -fexec-charset=CP932, through the same
// iconv tables; clang has no such option, so the fuzzing build compiles the
// rewritten copies of the game and runtime sources and gets the same bytes.
// Comments, prefixed literals (u8"", u"", U"", L"") and everything else are
// copied unchanged.
#pragma once

#include <string>

// Rewrites `source` into `out`. False, with `error` set, for a character that
// has no CP932 form, a raw literal that would need one, or a literal that is
// not closed.
bool RewriteCp932Literals(const std::string& source, std::string* out, std::string* error);
