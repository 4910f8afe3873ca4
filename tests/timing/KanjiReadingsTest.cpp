// Readings MeCab proposes for the kanji of lyric lines (30 common words, kana around them cut
// away), whole lines read as hiragana, and morae counted as the splitting rules count them.
#include "timing/KanjiReadings.h"

#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

bool DictionaryOrSkip(const ReadingDictionary& dictionary) {
    if (dictionary.Available())
        return true;
    EXPECT_NE(QProcessEnvironment::systemEnvironment().value(QStringLiteral("CI")), u"true")
        << "MeCab's dictionary is needed (scripts/bootstrap installs mecab-ipadic-utf8): "
        << dictionary.Error().toStdString();
    return false;
}

QString Proposals(ReadingDictionary& dictionary, const char* line) {
    QStringList out;
    for (const KanjiReading& r : dictionary.ProposeReadings(S(line)))
        out << QString::number(r.From) + u':' + r.Base + u'=' + r.Reading;
    return out.join(u' ');
}

TEST(KanjiReadings, CommonLyricWordsGetTheirReadings) {
    ReadingDictionary dictionary;
    if (!DictionaryOrSkip(dictionary))
        GTEST_SKIP() << "no MeCab dictionary";
    const char* cases[][2] = {
        {"桜", "0:桜=さくら"},
        {"涙", "0:涙=なみだ"},
        {"笑顔", "0:笑顔=えがお"},
        {"未来", "0:未来=みらい"},
        {"明日", "0:明日=あした"},
        {"約束", "0:約束=やくそく"},
        {"永遠", "0:永遠=えいえん"},
        {"奇跡", "0:奇跡=きせき"},
        {"季節", "0:季節=きせつ"},
        {"花火", "0:花火=はなび"},
        {"夜空", "0:夜空=よぞら"},
        {"星", "0:星=ほし"},
        {"心", "0:心=こころ"},
        {"瞳", "0:瞳=ひとみ"},
        {"想い", "0:想=おも"},
        {"届く", "0:届=とど"},
        {"抱きしめて", "0:抱=だ"},
        {"歌う", "0:歌=うた"},
        {"君", "0:君=きみ"},
        {"僕", "0:僕=ぼく"},
        {"世界", "0:世界=せかい"},
        {"夢", "0:夢=ゆめ"},
        {"愛", "0:愛=あい"},
        {"恋", "0:恋=こい"},
        {"光", "0:光=ひかり"},
        {"翼", "0:翼=つばさ"},
        {"青空", "0:青空=あおぞら"},
        {"強く", "0:強=つよ"},
        {"優しい", "0:優=やさ"},
        {"思い出", "0:思い出=おもいで"},
        // Lines: kana and katakana get nothing, each word its own place.
        {"為替が動く", "0:為替=かわせ 3:動=うご"},
        {"明日の空に夢を見た", "0:明日=あした 3:空=そら 5:夢=ゆめ 7:見=み"},
        {"ヴァイオリンとお茶", "8:茶=ちゃ"},
        {"  今日も LOVE SONG", "2:今日=きょう"},
        {"ららら", ""},
        // A number and its counter the dictionary reads as one word.
        {"一人で歩く", "0:一人=ひとり 3:歩=ある"},
        {"二人の時計", "0:二人=ふたり 3:時計=とけい"},
        {"三人", "0:三=さん 1:人=にん"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Proposals(dictionary, c[0]), S(c[1])) << c[0];
    EXPECT_EQ(dictionary.ReadingOf(S("為替が動く LOVE")), S("かわせがうごく LOVE"));
    EXPECT_EQ(dictionary.ReadingOf(S("一人の大人")), S("ひとりのおとな"));
}

TEST(KanjiReadings, MoraeAreCountedAsTheSplittingRulesSplit) {
    struct Case {
        const char* reading;
        int morae, joined; // default rules; っ and ん joined
    };
    const Case cases[] = {
        {"さくら", 3, 3},
        {"きょう", 2, 2},
        {"トーキョー", 2, 2},
        {"がっこう", 4, 3},
        {"しんぶん", 4, 2},
        {"ちゃんと", 3, 2},
        {"ヴァイオリン", 5, 4},
        {"LOVE", 1, 1},
        {"きみ、と", 3, 3},
        {"", 0, 0},
        {"ぁ", 1, 1},
        {"まっ", 2, 1},
        {"かわせ", 3, 3},
        {"なみだ", 3, 3},
        {"えがお", 3, 3},
        {"やくそく", 4, 4},
        {"えいえん", 4, 3},
        {"ひかり", 3, 3},
        {"しゃしん", 3, 2},
        {"きっぷ", 3, 2},
        {"らーめん", 3, 2},
        {"コーヒー", 2, 2},
        {"パーティー", 2, 2},
        {"ファッション", 4, 2},
        {"ちょっと", 3, 2},
        {"いっしょ", 3, 2},
        {"せんせい", 4, 3},
        {"にほんご", 4, 3},
        {"がんばって", 5, 3},
        {"ぎゅうにゅう", 4, 4},
        {"でんしゃ", 3, 2},
        {"ほっかいどう", 6, 5},
        {"んー", 1, 1},
        {"っ", 1, 1},
        {"Hello World", 2, 2},
        {"2024", 1, 1},
        {"カタカナ", 4, 4},
        {"ウィンター", 3, 2},
        {"きゃりーぱみゅぱみゅ", 6, 6},
        {"たんぽぽ", 4, 3},
        {"「ゆめ」", 2, 2},
        {"ｶﾞｯｺｳ", 4, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountMorae(S(c.reading), {}), c.morae) << c.reading;
        EXPECT_EQ(CountMorae(S(c.reading), {true, true}), c.joined) << c.reading;
    }
    EXPECT_EQ(ToHiragana(S("カワセ・ヴ ヵヶー")), S("かわせ・ゔ ゕゖー"));
}

} // namespace
