// The three openings that follow the character choice of a new game.
#pragma once

#include <cstdint>

// How a wait of an opening is passed.
enum opening_wait_rule : int32_t {
  kDecideEachAddsOne,           // each player pressing decide adds 1
  kDecideOrForwardEachAddsOne,  // each player pressing decide or holding fast-forward adds 1
  kPlayerZeroAddsStep,          // player 0 alone, decide or fast-forward, adds the step
  kPlayerZeroAddsOne,           // player 0 alone, decide or fast-forward, adds 1
  kDecideOrForwardEachAddsStep, // each player pressing decide or holding fast-forward adds the step
};

// One page of an opening: shown for first <= counter <= wait, waiting at `wait`.
struct opening_page {
  int32_t first;
  int32_t wait;
  const int32_t* face;  // the face image's handle global
  int32_t line_count;
  opening_wait_rule rule;
};

extern const opening_page scene101_pages[3];
extern const opening_page scene102_pages[5];
extern const opening_page scene103_pages[13];

// Scenes 100 and 101 (the first character alone), 102 (the second alone)
// and 103 (both).
void run_opening_alone_first();
void run_opening_alone_second();
void run_opening_both();
