// The script of the first two boss rooms' dialogues.
#include "game/scenes/scene_text.h"

const scene_page_text scene105_pelune_text[6] = {
    {{"ここが、洞くつのいちばん奥……。",
      "あなたが、この洞くつのぬし？",
      nullptr}},
    {{"ぬし？　オイラはタルボ。ここに住んでるだけだよ。", nullptr, nullptr}},
    {{"このごろ、魔物たちがあばれて困ってるの。", nullptr, nullptr}},
    {{"オイラも、なんだか体がうずうずしてさ。遊ぼうぜ！", nullptr, nullptr}},
    {{"いいよ、受けて立つ！", nullptr, nullptr}},
    {{"でも、手かげんはしないからね！", nullptr, nullptr}},
};

const scene_page_text scene105_orven_text[5] = {
    {{"見つけたぞ。おまえがこの洞くつのぬしだな！", nullptr, nullptr}},
    {{"ぬし？　オイラはタルボ。ここに住んでるだけだよ。", nullptr, nullptr}},
    {{"魔物があばれてるのは、おまえのしわざだろ？",
      "正直に言えば、見のがしてやってもいいぞ。",
      nullptr}},
    {{"しわざだなんて、失礼なやつだな！", nullptr, nullptr}},
    {{"オイラだって、体がうずうずして困ってるんだぞ！", nullptr, nullptr}},
};

const scene_page_text scene105_both_text[8] = {
    {{"いたぞ。あいつが、この洞くつのぬしだな。", nullptr, nullptr}},
    {{"こんにちは！　大きいね、あなた。", nullptr, nullptr}},
    {{"へへっ、こんにちは。オイラはタルボ。",
      "お客さんなんて、ひさしぶりだなあ。",
      nullptr}},
    {{"……なんだか、のんきなやつだな。", nullptr, nullptr}},
    {{"このごろ、体がうずうずして止まらないんだ。",
      "なあ、ちょっと相手をしてくれよ！",
      nullptr}},
    {{"魔物たちが落ち着かないのも、同じわけなのかな。",
      "いいよ。気がすむまで遊ぼう！",
      nullptr}},
    {{"そうこなくっちゃ！",
      "いくぞ、ふたりとも！",
      nullptr}},
    {{"オルベン、準備はいい？", nullptr, nullptr}},
};

// The toad has no face: its pages carry its name, unknown at first.
const scene_page_text scene107_pelune_text[6] = {
    {{"だれだゲコ……。わしの昼寝をじゃまするのは。", nullptr, nullptr}, "？？？"},
    {{"わっ、大きなカエル！", nullptr, nullptr}},
    {{"わしは氷ガエルのフェスク。これでもくらえゲコ！", nullptr, nullptr}, "フェスク"},
    {{nullptr, nullptr, nullptr}},
    {{"つめたっ！　でも、当たらなかったよ！", nullptr, nullptr}},
    {{"氷の息をはくカエルなんて、はじめて見た。",
      "気をつけて戦わなくちゃ！",
      nullptr}},
};

const scene_page_text scene107_orven_text[6] = {
    {{"広い部屋だな。何かいそうだぞ。", nullptr, nullptr}},
    {{"ゲコ……さわがしいのう。だれだゲコ？", nullptr, nullptr}, "？？？"},
    {{"……今の声、どこから聞こえたんだ？", nullptr, nullptr}},
    {{"ここだゲコ！　氷ガエルのフェスクさまの息をくらえ！", nullptr, nullptr}, "フェスク"},
    {{nullptr, nullptr, nullptr}},
    {{"へっ、そんなのろい息に当たるかよ！", nullptr, nullptr}},
};

const scene_page_text scene107_both_text[8] = {
    {{"ゲコゲコ……。だれだゲコ、さわがしいのう。", nullptr, nullptr}, "？？？"},
    {{"ねえ、今なにか聞こえなかった？", nullptr, nullptr}},
    {{"カエルの鳴き声だろ。気にするなって。", nullptr, nullptr}},
    {{"ただのカエルとはなんだゲコ！　くらえ！", nullptr, nullptr}, "フェスク"},
    {{nullptr, nullptr, nullptr}},
    {{"わっ、つめたい！　氷のつぶだ！", nullptr, nullptr}},
    {{"でっかいカエルだな。相手にとって不足なしだ。", nullptr, nullptr}},
    {{"オルベン、気をつけてね。",
      "あの息に当たったら、こおっちゃうよ！",
      nullptr}},
};
