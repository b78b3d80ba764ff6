// The script of the three openings.
#include "game/scenes/scene_text.h"

const scene_page_text scene101_text[3] = {
    {{"うーん、今日も外がさわがしいなあ。", "このごろ、魔物がふえたって聞くけど……。", nullptr}},
    {{"じっとしていても、何も分からないよね。", "何が起きているのか、自分で確かめよう！", nullptr}},
    {{"よーし、出発！", nullptr, nullptr}},
};

const scene_page_text scene102_text[5] = {
    {{"おーい、ペルネ！　いるんだろ？", "外は魔物だらけだぞ、戸じまりしとけよ！", nullptr}},
    {{"……おい、返事くらいしろよ！", nullptr, nullptr}},
    {{"どこにもいない……。まさか、もう出かけたのか？", nullptr, nullptr}},
    {{"あいつ、ひとりで魔物を調べに行ったな……。", nullptr, nullptr}},
    {{"しかたない、おれが追いかけてやるか。", "待ってろよ、ペルネ！", nullptr}},
};

const scene_page_text scene103_text[13] = {
    {{"ペルネ！　やっぱりここにいたか。", "外は魔物だらけだってのに、",
      "まさか、ひとりで出かける気じゃないだろうな？"}},
    {{"あ、オルベン。おはよう！", "出かけるなんて、まだ言ってないよ？",
      "……ちょっとだけ、行く気だったけど。"}},
    {{"やっぱりな！", nullptr, nullptr}},
    {{"えへへ、ばれちゃった。", nullptr, nullptr}},
    {{"魔物がふえたわけを、どうしても知りたいの。", nullptr, nullptr}},
    {{"……そう言うと思ったよ。", nullptr, nullptr}},
    {{"あれ、止めに来たんじゃないの？", nullptr, nullptr}},
    {{"止めたって、どうせ行くんだろ。", nullptr, nullptr}},
    {{"さすがオルベン、よく分かってる！", "じゃあ、いっしょに来てくれる？", nullptr}},
    {{"当たり前だ。ひとりで行かせるかよ。", "そのかわり、むちゃはするなよ！", nullptr}},
    {{"はーい！", nullptr, nullptr}},
    {{"……返事だけはいいんだよな。", nullptr, nullptr}},
    {{"さあ、出発しよう！", nullptr, nullptr}},
};
