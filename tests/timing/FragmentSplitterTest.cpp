// The splitting rules on lines as karaoke makers type them: kana, kanji, katakana, half-width
// katakana, Latin words, full-width letters, digits, emoji, brackets and punctuation, with
// the sokuon and hatsuon settings off and on. "|" separates the expected fragments.
#include "timing/FragmentSplitter.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

struct SplitCase {
    const char16_t* Line;
    const char16_t* Expected;
    bool JoinSokuon = false;
    bool JoinHatsuon = false;
};

const SplitCase Cases[] = {
    {u"きみがすき", u"き|み|が|す|き"},
    {u"ちょっと待って", u"ちょ|っ|と|待|っ|て"},
    {u"ちょっと待って", u"ちょっ|と|待っ|て", true},
    {u"きゃりーぱみゅぱみゅ", u"きゃ|りー|ぱ|みゅ|ぱ|みゅ"},
    {u"ファンタジー", u"ファ|ン|タ|ジー"},
    {u"ファンタジー", u"ファン|タ|ジー", false, true},
    {u"ショッピング", u"ショッ|ピン|グ", true, true},
    {u"東京タワー", u"東|京|タ|ワー"},
    {u"さくら、さくら", u"さ|く|ら、|さ|く|ら"},
    {u"「ありがとう」", u"「あ|り|が|と|う」"},
    {u"『さよなら』の前に", u"『さ|よ|な|ら』|の|前|に"},
    {u"I love you", u"I |love |you"},
    {u"Don't stop me now", u"Don't |stop |me |now"},
    {u"Let it be, let it be", u"Let |it |be, |let |it |be"},
    {u"(Hey!) Let's go", u"(Hey!) |Let's |go"},
    {u"ＡＢＣの歌", u"ＡＢＣ|の|歌"},
    {u"Ｗｏｗ ｗｏｗ", u"Ｗｏｗ |ｗｏｗ"},
    {u"Ｉ’ｍ ｈｅｒｅ", u"Ｉ’ｍ |ｈｅｒｅ"},
    {u"2024年の夏", u"2024|年|の|夏"},
    {u"100%の愛", u"100%|の|愛"},
    {u"LOVE&PEACE", u"LOVE&|PEACE"},
    {u"café au lait", u"café |au |lait"},
    {u"ｶﾀｶﾅﾃﾞｽ", u"ｶ|ﾀ|ｶ|ﾅ|ﾃﾞ|ｽ"},
    {u"ｷｬｯﾁｰ", u"ｷｬ|ｯ|ﾁｰ"},
    {u"ﾊﾟﾝﾀﾞ", u"ﾊﾟ|ﾝ|ﾀﾞ"},
    {u"ﾎﾞｸﾉ歌", u"ﾎﾞ|ｸ|ﾉ|歌"},
    {u"ｽｰﾊﾟｰ", u"ｽｰ|ﾊﾟｰ"},
    {u"ヴァイオリン", u"ヴァ|イ|オ|リ|ン"},
    {u"ゔぁいおりん", u"ゔぁ|い|お|り|ん"},
    {u"三ヶ月", u"三ヶ|月"},
    {u"ヵ所", u"ヵ所"},
    {u"か\u3099ぎ", u"か\u3099|ぎ"},
    {u"愛してる♪", u"愛|し|て|る♪"},
    {u"ねえ　聞いて", u"ね|え　|聞|い|て"},
    {u"（Ah）夢を見た", u"（Ah）|夢|を|見|た"},
    {u"星が🌟光る", u"星|が|🌟|光|る"},
    {u"👨\u200D👩\u200D👧家族", u"👨\u200D👩\u200D👧|家|族"},
    {u"👍🏻いいね", u"👍🏻|い|い|ね"},
    {u"❤\uFE0Fラブ", u"❤\uFE0F|ラ|ブ"},
    {u"Oh yeah! 行こう", u"Oh |yeah! |行|こ|う"},
    {u"ラララ…", u"ラ|ラ|ラ…"},
    {u"ぼくはＯＫ！", u"ぼ|く|は|ＯＫ！"},
    {u"雨、雨、降れ降れ", u"雨、|雨、|降|れ|降|れ"},
    {u"  まえ", u"  ま|え"},
    {u"あ「", u"あ「"},
    {u"ゆめ〜", u"ゆ|め〜"},
    {u"キミ・ボク", u"キ|ミ・|ボ|ク"},
    {u"ありがとう。", u"あ|り|が|と|う。"},
    {u"みんな", u"みん|な", false, true},
    {u"きって", u"きっ|て", true},
    {u"ぁあ", u"ぁあ"},
    {u"ーーー", u"ーーー"},
    {u"♪", u"♪"},
    {u"", u""},
};

TEST(FragmentSplitter, SplitsLinesAsTheyAreSung) {
    for (const SplitCase& c : Cases) {
        const QString line = QString::fromUtf16(c.Line);
        const QString expected = QString::fromUtf16(c.Expected);
        const QStringList fragments =
            SplitIntoFragments(line, SplitRules{c.JoinSokuon, c.JoinHatsuon});
        EXPECT_EQ(fragments.join(u'|'), expected) << line.toStdString();
        EXPECT_EQ(fragments.join(QString()), line) << line.toStdString();
    }
}

} // namespace
