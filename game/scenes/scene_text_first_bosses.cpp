// The script of the first two boss rooms' dialogues.
#include "game/scenes/scene_text.h"

const scene_page_text scene105_pelune_text[6] = {
    {{"シーン１０５　ペルネのみ　ページ１　行１",
      "シーン１０５　ペルネのみ　ページ１　行２",
      nullptr}},
    {{"シーン１０５　ペルネのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０５　ペルネのみ　ページ３　行１", nullptr, nullptr}},
    {{"シーン１０５　ペルネのみ　ページ４　行１", nullptr, nullptr}},
    {{"シーン１０５　ペルネのみ　ページ５　行１", nullptr, nullptr}},
    {{"シーン１０５　ペルネのみ　ページ６　行１", nullptr, nullptr}},
};

const scene_page_text scene105_orven_text[5] = {
    {{"シーン１０５　オルベンのみ　ページ１　行１", nullptr, nullptr}},
    {{"シーン１０５　オルベンのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０５　オルベンのみ　ページ３　行１",
      "シーン１０５　オルベンのみ　ページ３　行２",
      nullptr}},
    {{"シーン１０５　オルベンのみ　ページ４　行１", nullptr, nullptr}},
    {{"シーン１０５　オルベンのみ　ページ５　行１", nullptr, nullptr}},
};

const scene_page_text scene105_both_text[8] = {
    {{"シーン１０５　二人　ページ１　行１", nullptr, nullptr}},
    {{"シーン１０５　二人　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０５　二人　ページ３　行１",
      "シーン１０５　二人　ページ３　行２",
      nullptr}},
    {{"シーン１０５　二人　ページ４　行１", nullptr, nullptr}},
    {{"シーン１０５　二人　ページ５　行１",
      "シーン１０５　二人　ページ５　行２",
      nullptr}},
    {{"シーン１０５　二人　ページ６　行１",
      "シーン１０５　二人　ページ６　行２",
      nullptr}},
    {{"シーン１０５　二人　ページ７　行１",
      "シーン１０５　二人　ページ７　行２",
      nullptr}},
    {{"シーン１０５　二人　ページ８　行１", nullptr, nullptr}},
};

const scene_page_text scene107_pelune_text[6] = {
    {{"シーン１０７　ペルネのみ　ページ１　行１", nullptr, nullptr}, "シーン１０７　ペルネのみ　ページ１　名前"},
    {{"シーン１０７　ペルネのみ　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０７　ペルネのみ　ページ３　行１", nullptr, nullptr}, "シーン１０７　ペルネのみ　ページ３　名前"},
    {{nullptr, nullptr, nullptr}},
    {{"シーン１０７　ペルネのみ　ページ５　行１", nullptr, nullptr}},
    {{"シーン１０７　ペルネのみ　ページ６　行１",
      "シーン１０７　ペルネのみ　ページ６　行２",
      nullptr}},
};

const scene_page_text scene107_orven_text[6] = {
    {{"シーン１０７　オルベンのみ　ページ１　行１", nullptr, nullptr}},
    {{"シーン１０７　オルベンのみ　ページ２　行１", nullptr, nullptr}, "シーン１０７　オルベンのみ　ページ２　名前"},
    {{"シーン１０７　オルベンのみ　ページ３　行１", nullptr, nullptr}},
    {{"シーン１０７　オルベンのみ　ページ４　行１", nullptr, nullptr}, "シーン１０７　オルベンのみ　ページ４　名前"},
    {{nullptr, nullptr, nullptr}},
    {{"シーン１０７　オルベンのみ　ページ６　行１", nullptr, nullptr}},
};

const scene_page_text scene107_both_text[8] = {
    {{"シーン１０７　二人　ページ１　行１", nullptr, nullptr}, "シーン１０７　二人　ページ１　名前"},
    {{"シーン１０７　二人　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０７　二人　ページ３　行１", nullptr, nullptr}},
    {{"シーン１０７　二人　ページ４　行１", nullptr, nullptr}, "シーン１０７　二人　ページ４　名前"},
    {{nullptr, nullptr, nullptr}},
    {{"シーン１０７　二人　ページ６　行１", nullptr, nullptr}},
    {{"シーン１０７　二人　ページ７　行１", nullptr, nullptr}},
    {{"シーン１０７　二人　ページ８　行１",
      "シーン１０７　二人　ページ８　行２",
      nullptr}},
};
