// The heap the program starts with. Start-up fills tens of megabytes with
// decoded pictures, and each 4 KiB page of it costs a page fault when first
// written; where faults are dear (virtual machines: about 10 us each) that is a
// third of the time to the first title frame. Backing the first stretch of the
// heap with transparent huge pages faults it in 2 MiB at a time.
#pragma once

#include <cstddef>

// Grows the C library's heap by `bytes` at once, keeps it (free never hands it
// back), marks it for transparent huge pages and has blocks up to 32 MiB taken
// from the heap rather than mapped one by one, so that the pictures land in
// it. Called in main before the host starts. The allocator's settings and
// the heap's growth stay whatever the answer. Returns false, with nothing
// marked, where the heap is not the C library's own (a sanitizer's allocator)
// or the kernel has no transparent huge pages (one that has them switched off
// takes the mark and ignores it); the program works the same either way, only
// its start is slower.
bool ReserveStartHeap(size_t bytes);
