// A reading over several kanji shared out by what each kanji reads on its own in the installed
// KANJIDIC, with the sound changes of compounds; words read only as a whole stay whole.
#include "timing/KanjiShares.h"

#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(KanjiShares, ReadingsAreSharedOutWhereEachKanjiReadsItsPart) {
    const KanjiTable& table = KanjiTable::Installed();
    if (table.Empty()) {
        EXPECT_NE(QProcessEnvironment::systemEnvironment().value(QStringLiteral("CI")), u"true")
            << "kanjidic is needed (scripts/bootstrap installs it)";
        GTEST_SKIP() << "no kanjidic";
    }
    const char* cases[][3] = {
        // base, reading, parts ("" when read only as a whole)
        {"夜空", "よぞら", "よ|ぞら"}, // voiced after another kanji
        {"青空", "あおぞら", "あお|ぞら"},
        {"花火", "はなび", "はな|び"},
        {"笑顔", "えがお", "え|がお"},     // the kun reading without its kana (笑む)
        {"学校", "がっこう", "がっ|こう"}, // small っ before another kanji
        {"一緒", "いっしょ", "いっ|しょ"},
        {"切符", "きっぷ", "きっ|ぷ"},
        {"雨雲", "あまぐも", "あま|ぐも"}, // あめ before another kanji
        {"日々", "ひび", "ひ|び"},         // 々 reads as the kanji before it
        {"人々", "ひとびと", "ひと|びと"},
        {"思い出", "おもいで", "おも|い|で"}, // kana of the base as written
        {"世界", "せかい", "せ|かい"},
        {"約束", "やくそく", "やく|そく"},
        {"桜", "さくら", "さくら"},
        // Read only as a whole.
        {"一人", "ひとり", ""},
        {"二人", "ふたり", ""},
        {"今日", "きょう", ""},
        {"大人", "おとな", ""},
        {"明日", "あした", ""},
        {"時計", "とけい", ""},
        {"為替", "かわせ", ""},
        {"桜", "はな", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table.Share(S(c[0]), S(c[1])).join(u'|'), S(c[2])) << c[0];
}

TEST(KanjiShares, TheTableKeepsReadingsOfTheKanjiAlone) {
    const KanjiTable table =
        KanjiTable::FromKanjidic(S("# KANJIDIC\n"
                                   "人 3F4D U4eba B9 G1 ジン ニン ひと -り -と T1 じ と {person}\n"
                                   "空 3675 U7a7a クウ そら あ.く から- {sky}\n"));
    EXPECT_EQ(table.ReadingsOf(u'人').join(u' '), S("じん にん ひと"));
    EXPECT_EQ(table.ReadingsOf(u'空').join(u' '), S("くう そら あ あく から"));
    EXPECT_TRUE(table.ReadingsOf(u'夜').isEmpty());
    EXPECT_TRUE(KanjiTable().Share(S("空"), S("そら")).isEmpty());
}

} // namespace
