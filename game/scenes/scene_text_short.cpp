// The script of the blocked paths, keep exploring and the save point.
#include "game/scenes/scene_text.h"

const scene_page_text scene104_pelune_text[1] = {
    {{"この先は、いやな気配がする。まだやめておこう。", nullptr, nullptr}},
};

const scene_page_text scene104_orven_text[1] = {
    {{"おっと、こっちはまだ早そうだな。ほかを当たろう。", nullptr, nullptr}},
};

const scene_page_text scene104_both_text[1] = {
    {{"この先は、いやな気配がするね。ほかの道から行こう。", nullptr, nullptr}},
};

const scene_page_text scene106_pelune_text[1] = {
    {{"タルボも、じっとしていられないって言ってた。",
      "この先で、何かが起きているのかも。",
      nullptr}},
};

const scene_page_text scene106_orven_text[1] = {
    {{"よし、洞くつのぬしは片づいた。",
      "この調子で、どんどん先へ行ってみるか！",
      nullptr}},
};

const scene_page_text scene106_both_text[2] = {
    {{"タルボも、じっとしていられないって言ってたね。",
      "この先を、もっと調べてみよう。",
      nullptr}},
    {{"ああ。……なんだか、いやな予感がするけどな。", nullptr, nullptr}},
};

const scene_page_text scene109_pelune_text[1] = {
    {{"こっちの道は、今は用がないかな。", nullptr, nullptr}},
};

const scene_page_text scene109_orven_text[1] = {
    {{"こっちに用はないな。引き返そう。", nullptr, nullptr}},
};

const scene_page_text scene109_both_text[1] = {
    {{"オルベン、そっちじゃないよ。こっちこっち！", nullptr, nullptr}},
};

const scene_page_text scene120_text[1] = {
    {{"やあ、旅の人。ここで冒険の記録をつけていくかい？", nullptr, nullptr}},
};
