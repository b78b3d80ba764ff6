// The lookup tables every software blit reads, and their builders. The three
// fixed tables are built once per screen start (`BuildSoftwareRenderTables`,
// called by the DirectDraw screen start); the blend graphic table is rebuilt
// whenever a blend graphic is selected.
#pragma once

#include <cstdint>

// 64 levels of 64 x 64 bytes, at level x 4096 + source x 64 + destination:
// (source x level + destination x (63 - level)) / 63, truncated. Mixes two
// 5- or 6-bit fields by a 6-bit weight. Also called Mix6Table.
extern uint8_t BlendLerpTable[64 * 64 * 64];
// 256 rows of 256: row r, value v: (v x r) / 255, truncated. Row 255 is the
// identity.
extern int32_t ScaleTable[256][256];
// 256 rows of 512 slots (511 used): row r, slot k: ((k - 255) x r) / 255,
// truncated toward zero. Read through `SignedScaleRow`, with a signed
// difference from -255 to 255. Also called DeltaScaleTable.
extern int32_t SignedScaleTable[256][512];
// The weight (0 to 255) of each byte of the blend graphic's image. Also
// called BlendImageAlphaTable.
extern uint8_t BlendGraphicTable[256];

// The centre (slot 255) of a SignedScaleTable row: index it with -255 to 255.
inline const int32_t* SignedScaleRow(int32_t level) { return SignedScaleTable[level] + 255; }

// Builds SignedScaleTable, ScaleTable and BlendLerpTable by their formulas.
void BuildSoftwareRenderTables();
// Rebuilds BlendGraphicTable from the blend graphic's border parameter p and
// border range r (both 0 to 255): base = 256 - ((65536 / (r + 1) + 256) x p)
// / 256, entry i = i x 256 / (r + 1) + base, clamped to 0 to 255. r = 0 gives
// a hard step at i = p.
void BuildBlendGraphicTable(int32_t param, int32_t range);
