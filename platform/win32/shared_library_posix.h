// Libraries loaded at their first use rather than at program start: the
// movie decoder and the MIDI synthesiser bring in well over a hundred
// libraries between them, whose loading cost every start-up although most
// runs never play a movie or a MIDI piece. Kept apart so that POSIX names
// never meet the Windows-named ones.
#pragma once

#include <initializer_list>

// Loads the libraries named (their run-time names, e.g. "libfoo.so.1"), in
// order, each for good; false (and the reason in `error`, when given) when
// one cannot be loaded.
bool LoadSharedLibraries(std::initializer_list<const char*> names, const char** error);
// The address of `symbol` in the libraries loaded by the last successful
// LoadSharedLibraries call that named it, or null.
void* FindLoadedSymbol(std::initializer_list<const char*> names, const char* symbol);
