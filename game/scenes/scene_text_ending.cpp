// The script of the ending (its roll, pages and closing lines) and of the
// trial end.
#include "game/scenes/scene_text.h"

const scene_page_text scene118_pelune_text[5] = {
    {{"シーン１１８　ペルネのみ　ページ１　行１",
      "シーン１１８　ペルネのみ　ページ１　行２",
      nullptr}},
    {{"シーン１１８　ペルネのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１１８　ペルネのみ　ページ３　行１", nullptr, nullptr}},
    {{"シーン１１８　ペルネのみ　ページ４　行１",
      "シーン１１８　ペルネのみ　ページ４　行２",
      nullptr}},
    {{"シーン１１８　ペルネのみ　ページ５　行１", nullptr, nullptr}},
};

const scene_page_text scene118_orven_text[11] = {
    {{"シーン１１８　オルベンのみ　ページ１　行１", nullptr, nullptr}},
    {{"シーン１１８　オルベンのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１１８　オルベンのみ　ページ３　行１",
      "シーン１１８　オルベンのみ　ページ３　行２",
      nullptr}},
    {{"シーン１１８　オルベンのみ　ページ４　行１", nullptr, nullptr}},
    {{"シーン１１８　オルベンのみ　ページ５　行１",
      "シーン１１８　オルベンのみ　ページ５　行２",
      nullptr}},
    {{"シーン１１８　オルベンのみ　ページ６　行１",
      "シーン１１８　オルベンのみ　ページ６　行２",
      nullptr}},
    {{"シーン１１８　オルベンのみ　ページ７　行１", nullptr, nullptr}},
    {{"シーン１１８　オルベンのみ　ページ８　行１",
      "シーン１１８　オルベンのみ　ページ８　行２",
      nullptr}},
    {{"シーン１１８　オルベンのみ　ページ９　行１",
      "シーン１１８　オルベンのみ　ページ９　行２",
      "シーン１１８　オルベンのみ　ページ９　行３"}},
    {{"シーン１１８　オルベンのみ　ページ１０　行１",
      "シーン１１８　オルベンのみ　ページ１０　行２",
      nullptr}},
    {{"シーン１１８　オルベンのみ　ページ１１　行１",
      "シーン１１８　オルベンのみ　ページ１１　行２",
      nullptr}},
};

const scene_page_text scene118_both_text[10] = {
    {{"シーン１１８　二人　ページ１　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ２　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ３　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ４　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ５　行１",
      "シーン１１８　二人　ページ５　行２",
      "シーン１１８　二人　ページ５　行３"}},
    {{"シーン１１８　二人　ページ６　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ７　行１",
      "シーン１１８　二人　ページ７　行２",
      nullptr}},
    {{"シーン１１８　二人　ページ８　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ９　行１", nullptr, nullptr}},
    {{"シーン１１８　二人　ページ１０　行１", nullptr, nullptr}},
};

const scene_page_text scene119_pelune_text[3] = {
    {{"シーン１１９　ペルネのみ　ページ１　行１", nullptr, nullptr}},
    {{"シーン１１９　ペルネのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１１９　ペルネのみ　ページ３　行１", nullptr, nullptr}},
};

const scene_page_text scene119_orven_text[3] = {
    {{"シーン１１９　オルベンのみ　ページ１　行１", nullptr, nullptr}},
    {{"シーン１１９　オルベンのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１１９　オルベンのみ　ページ３　行１", nullptr, nullptr}},
};

const scene_page_text scene119_both_text[6] = {
    {{"シーン１１９　二人　ページ１　行１",
      "シーン１１９　二人　ページ１　行２",
      "シーン１１９　二人　ページ１　行３"}},
    {{"シーン１１９　二人　ページ２　行１",
      "シーン１１９　二人　ページ２　行２",
      nullptr}},
    {{"シーン１１９　二人　ページ３　行１", nullptr, nullptr}},
    {{"シーン１１９　二人　ページ４　行１", nullptr, nullptr}},
    {{"シーン１１９　二人　ページ５　行１", nullptr, nullptr}},
    {{"シーン１１９　二人　ページ６　行１", nullptr, nullptr}},
};

const char* const scene118_pelune_roll[5] = {
    "シーン１１８　ペルネのみ　ロール１",
    "シーン１１８　ペルネのみ　ロール２",
    "シーン１１８　ペルネのみ　ロール３",
    "シーン１１８　ペルネのみ　ロール４",
    "シーン１１８　ペルネのみ　ロール５",
};

const char* const scene118_orven_roll[5] = {
    "シーン１１８　オルベンのみ　ロール１",
    "シーン１１８　オルベンのみ　ロール２",
    "シーン１１８　オルベンのみ　ロール３",
    "シーン１１８　オルベンのみ　ロール４",
    "シーン１１８　オルベンのみ　ロール５",
};

const char* const scene118_both_roll[6] = {
    "シーン１１８　二人　ロール１",
    "シーン１１８　二人　ロール２",
    "シーン１１８　二人　ロール３",
    "シーン１１８　二人　ロール４",
    "シーン１１８　二人　ロール５",
    "シーン１１８　二人　ロール６",
};

const char* const scene118_closing[2] = {
    "シーン１１８　オルベンのみ　結び１",
    "シーン１１８　オルベンのみ　結び２",
};
