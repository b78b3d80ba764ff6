// The script of the blocked paths, keep exploring and the save point.
#include "game/scenes/scene_text.h"

const scene_page_text scene104_pelune_text[1] = {
    {{"シーン１０４　ペルネのみ　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene104_orven_text[1] = {
    {{"シーン１０４　オルベンのみ　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene104_both_text[1] = {
    {{"シーン１０４　二人　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene106_pelune_text[1] = {
    {{"シーン１０６　ペルネのみ　ページ１　行１",
      "シーン１０６　ペルネのみ　ページ１　行２",
      nullptr}},
};

const scene_page_text scene106_orven_text[1] = {
    {{"シーン１０６　オルベンのみ　ページ１　行１",
      "シーン１０６　オルベンのみ　ページ１　行２",
      nullptr}},
};

const scene_page_text scene106_both_text[2] = {
    {{"シーン１０６　二人　ページ１　行１",
      "シーン１０６　二人　ページ１　行２",
      nullptr}},
    {{"シーン１０６　二人　ページ２　行１", nullptr, nullptr}},
};

const scene_page_text scene109_pelune_text[1] = {
    {{"シーン１０９　ペルネのみ　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene109_orven_text[1] = {
    {{"シーン１０９　オルベンのみ　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene109_both_text[1] = {
    {{"シーン１０９　二人　ページ１　行１", nullptr, nullptr}},
};

const scene_page_text scene120_text[1] = {
    {{"シーン１２０　セーブ　ページ１　行１", nullptr, nullptr}},
};
