// The runtime's one double-byte character test.
#pragma once

// 1 when the byte at `byte` starts a two-byte character of character set
// `char_set`, else 0. Set 2: every byte of 0x80 or above; any other set:
// the Shift-JIS lead bytes 0x81 to 0x9F and 0xE0 to 0xFC.
int IsLeadByte(const char* byte, int char_set);
