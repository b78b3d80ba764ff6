// The script of the three openings.
#include "game/scenes/scene_text.h"

const scene_page_text scene101_text[3] = {
    {{"シーン１０１　ページ１　行１", "シーン１０１　ページ１　行２", nullptr}},
    {{"シーン１０１　ページ２　行１", "シーン１０１　ページ２　行２", nullptr}},
    {{"シーン１０１　ページ３　行１", nullptr, nullptr}},
};

const scene_page_text scene102_text[5] = {
    {{"シーン１０２　ページ１　行１", "シーン１０２　ページ１　行２", nullptr}},
    {{"シーン１０２　ページ２　行１", nullptr, nullptr}},
    {{"シーン１０２　ページ３　行１", nullptr, nullptr}},
    {{"シーン１０２　ページ４　行１", nullptr, nullptr}},
    {{"シーン１０２　ページ５　行１", "シーン１０２　ページ５　行２", nullptr}},
};

const scene_page_text scene103_text[13] = {
    {{"シーン１０３　ページ１　行１", "シーン１０３　ページ１　行２", "シーン１０３　ページ１　行３"}},
    {{"シーン１０３　ページ２　行１", "シーン１０３　ページ２　行２", "シーン１０３　ページ２　行３"}},
    {{"シーン１０３　ページ３　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ４　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ５　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ６　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ７　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ８　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ９　行１", "シーン１０３　ページ９　行２", nullptr}},
    {{"シーン１０３　ページ１０　行１", "シーン１０３　ページ１０　行２", nullptr}},
    {{"シーン１０３　ページ１１　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ１２　行１", nullptr, nullptr}},
    {{"シーン１０３　ページ１３　行１", nullptr, nullptr}},
};
