// The script of the ending (its roll, pages and closing lines) and of the
// trial end.
#include "game/scenes/scene_text.h"

const scene_page_text scene118_pelune_text[5] = {
    {{"ただいま！　やっぱり、うちが一番だね。",
      "長い旅だったなあ。",
      nullptr}},
    {{"タルボたちも、元気にしてるかな。", nullptr, nullptr}},
    {{"テッサも、もうさみしくないといいな。", nullptr, nullptr}},
    {{"そうだ、旅で集めた結晶をならべてみよう。",
      "……わあ、光りだした！",
      nullptr}},
    {{"きれい……！", nullptr, nullptr}},
};

const scene_page_text scene118_orven_text[11] = {
    {{"ペルネ……帰ってるか？", nullptr, nullptr}},
    {{"あ、オルベン！　おかえりなさい！", nullptr, nullptr}},
    {{"なんだ、先に帰ってたのか。",
      "心配して損したよ。",
      nullptr}},
    {{"ずっと、どこに行ってたんだ？", nullptr, nullptr}},
    {{"ごめんね。わたしも魔物のことを調べて、",
      "あちこち歩き回ってたの。",
      nullptr}},
    {{"ひとりで出かけるなって、いつも言ってるだろ！",
      "おれがどれだけ探したと思ってるんだ。",
      nullptr}},
    {{"……うん。探してくれて、ありがとう。", nullptr, nullptr}},
    {{"まあ、無事ならいいさ。",
      "地の底の歌も、もう聞こえない。",
      nullptr}},
    {{"オルベンが止めてくれたの？",
      "すごい！　ねえ、旅の話を聞かせて。",
      "最初から、ぜーんぶ！"}},
    {{"お茶をいれるから、座って待ってて。",
      "おかしもあるよ！",
      nullptr}},
    {{"やれやれ、長い話になるぞ。",
      "……でも、帰ってきてよかったな。",
      nullptr}},
};

const scene_page_text scene118_both_text[10] = {
    {{"……本当に、終わったんだよな。", nullptr, nullptr}},
    {{"家に帰ってくると、ほっとするな。", nullptr, nullptr}},
    {{"うん。みんなも、もとどおりになったね。", nullptr, nullptr}},
    {{"でも、テッサはまたひとりぼっちか……。", nullptr, nullptr}},
    {{"じゃあ、今度はこっちから会いに行こうよ！",
      "おみやげを持って、ニンブラまで。",
      "もちろん、オルベンもいっしょにね！"}},
    {{"もう次の旅の話か！？", nullptr, nullptr}},
    {{"だって、約束したでしょ。",
      "また遊びに行くって。",
      nullptr}},
    {{"それじゃ、お先に行ってきまーす！", nullptr, nullptr}},
    {{"こら、ペルネ！　待てってば！", nullptr, nullptr}},
    {{"……はあ。やっぱり、おれも行くしかないか。", nullptr, nullptr}},
};

const scene_page_text scene119_pelune_text[3] = {
    {{"この先へは、まだ進めないみたい。", nullptr, nullptr}},
    {{"今回の冒険は、ここまでだね。", nullptr, nullptr}},
    {{"遊んでくれて、ありがとう！", nullptr, nullptr}},
};

const scene_page_text scene119_orven_text[3] = {
    {{"おっと、この先はまだ準備中らしいな。", nullptr, nullptr}},
    {{"冒険のつづきは、また今度だ。", nullptr, nullptr}},
    {{"ここまで遊んでくれて、ありがとな！", nullptr, nullptr}},
};

const scene_page_text scene119_both_text[6] = {
    {{"あれ？　この先の道が、",
      "まだできていないみたい。",
      "工事中なのかな？"}},
    {{"どうやら、今回の冒険は",
      "ここまでってことらしいな。",
      nullptr}},
    {{"ちょっと残念だね。", nullptr, nullptr}},
    {{"でも、つづきはきっとあるよ！", nullptr, nullptr}},
    {{"ああ。その時は、またよろしくな。", nullptr, nullptr}},
    {{"遊んでくれて、ありがとう！", nullptr, nullptr}},
};

// The roll: lines that start close together (50 apart) read as one
// sentence.
const char* const scene118_pelune_roll[5] = {
    "地の底のニンブラに、やさしい歌がひびいた。",
    "魔物たちは落ち着きを取りもどし、",
    "それぞれのすみかへと帰っていった。",
    "そしてペルネも、",
    "なつかしい我が家へ帰ってきた。",
};

const char* const scene118_orven_roll[5] = {
    "地の底の歌は、静かにやんだ。",
    "地上には、おだやかな日々がもどってきた。",
    "長い旅を終えたオルベンは、",
    "まっすぐに、ある家へと向かった。",
    "帰りを待つ、友だちのもとへ。",
};

const char* const scene118_both_roll[6] = {
    "ニンブラに、明るい歌がひびきわたった。",
    "また会う約束を、テッサとかわして、",
    "ふたりは地上へともどってきた。",
    "魔物たちのさわぎもおさまり、",
    "村には、いつもの毎日が帰ってきた。",
    "それから、しばらくたったある日。",
};

const char* const scene118_closing[2] = {
    "こうして、オルベンの長い旅は終わった。",
    "その夜、ペルネの家の明かりは、おそくまで消えなかったという。",
};
