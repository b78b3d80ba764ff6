// The check an Ogg Vorbis stream passes before the system's Vorbis decoder
// sees it. That decoder divides by a codebook's dimension without making sure
// it is above 0: when it decodes a residue with a classification or stage
// book of dimension 0, and when, after it failed to make its decoding tables
// (code lengths that make no whole code tree) and is started again after a
// seek, it decodes with the zeroed tables it left behind. A data file must
// not end the program with SIGFPE, so the check reads the headers of every
// Vorbis stream in the file (every link of a chained file) and refuses the
// file when:
//   - a setup header is cut short or malformed where the decoder would
//     refuse it as well (codebook sync, lookup type, time, floor or residue
//     type);
//   - a codebook of dimension 0 has a lattice lookup table (type 1), whose
//     size is a root of that dimension;
//   - a residue's classification book or one of its stage books is missing
//     or of dimension 0;
//   - the decoder refuses one of the three headers, or cannot make its
//     decoding tables from them (the check asks it, on a decoder of its own).
#pragma once

#include "runtime/core/file_access.h"

// 0 when every Vorbis setup header in the stream passes (also when the
// stream holds none: the decoder then refuses it on its own), -1 when one
// does not. Reads the whole stream from its start; the position is left at
// the start.
int CheckOggVorbisSetupHeaders(const StreamSource* stream);
