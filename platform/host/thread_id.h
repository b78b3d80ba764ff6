// Small per-thread numbers. GetCurrentThreadId and the host clock's notion of
// "the game thread" both use them, so they agree on who is who.
#pragma once

#include <cstdint>

// This thread's number: assigned on first use, counting up from 1; never 0 and
// never 0xFFFFFFFF.
uint32_t HostThreadId();
// A fresh number for a thread that is about to start, so its creator can learn
// the number before the thread runs.
uint32_t ReserveHostThreadId();
// Makes `id` (from ReserveHostThreadId) the calling thread's number. Called
// first thing in a new thread, before anything has asked for its number.
void AdoptHostThreadId(uint32_t id);
