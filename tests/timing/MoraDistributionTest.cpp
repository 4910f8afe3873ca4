// 「行内を自動配分」: a line's fragments spread between its first start and its end by the morae
// each reads, kanji by their readings, in whole ms that never go back.
#include "timing/MoraDistribution.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(MoraDistribution, FragmentsTakeTheShareOfTheirMorae) {
    struct Case {
        const char* line;     // fragments separated by "|"
        const char* readings; // "from:length:reading ..."
        int start, end;       // the line's start; its end tag (-1: the next line's start, 9000)
        SplitRules rules;
        const char* starts; // expected starts
    };
    const Case cases[] = {
        {"さ|く|ら", "", 1000, 1300, {}, "1000 1100 1200"},
        // The kanji read かわせ: three morae over two fragments, shared by character.
        {"為|替|が", "0:2:かわせ", 0, 1000, {}, "0 375 750"},
        {"為替|が", "0:2:かわせ", 0, 1000, {}, "0 750"},
        // A kanji with no reading counts one; small kana and ー none of their own; っ one
        // unless the rules join it.
        {"夢|きょう|と", "", 0, 800, {}, "0 200 600"},
        {"らー|め", "", 0, 900, {}, "0 450"},
        {"きっ|と", "", 0, 900, {}, "0 600"},
        {"きっ|と", "", 0, 900, {true, false}, "0 450"},
        // Rounding is carried from the running sum: 1000 / 3 never drifts.
        {"あ|い|う", "", 0, 1000, {}, "0 333 667"},
        {"あ|い|う|え|お|か|き", "", 10, 17, {}, "10 11 12 13 14 15 16"},
        // Ends at the next line's start when the line has no end tag.
        {"愛|し|て", "0:1:あい", 5000, -1, {}, "5000 7000 8000"},
        {"LOVE|ソ|ン|グ", "", 0, 400, {}, "0 100 200 300"},
    };
    for (const Case& c : cases) {
        TimingDocument document;
        TimingLine line;
        for (const QString& piece : S(c.line).split(u'|'))
            line.Fragments.append({piece, -1, -1});
        line.Fragments.first().StartMs = c.start;
        if (c.end >= 0)
            line.Fragments.last().EndMs = c.end;
        // Stale times inside the line are replaced.
        if (line.Fragments.size() > 1)
            line.Fragments[1].StartMs = c.start + 1;
        document.Lines.append(line);
        document.Lines.append({{{S("次"), 9000, -1}}});
        QVector<RubySpan> readings;
        for (const QString& r : S(c.readings).split(u' ', Qt::SkipEmptyParts)) {
            const QStringList parts = r.split(u':');
            readings.append({parts[0].toInt(), parts[1].toInt(), parts[2], 0});
        }
        const LineDistribution spread = DistributeLineByMorae(document, 0, readings, c.rules);
        ASSERT_TRUE(spread.Line) << c.line << spread.Refusal.toStdString();
        QStringList starts;
        for (const TimedFragment& fragment : spread.Line->Fragments)
            starts << QString::number(fragment.StartMs);
        EXPECT_EQ(starts.join(u' '), S(c.starts)) << c.line;
        EXPECT_EQ(spread.Line->Fragments.last().EndMs, c.end) << c.line;
        EXPECT_TRUE(TimesInOrder(*spread.Line)) << c.line;
    }
}

TEST(MoraDistribution, RefusesALineWithoutStartOrEnd) {
    TimingDocument document;
    document.Lines.append({{{S("あ"), 100, -1}, {S("い"), -1, -1}}});
    EXPECT_FALSE(DistributeLineByMorae(document, 0, {}, {}).Line); // no end, no next line
    document.Lines.append({{{S("う"), -1, -1}}});
    EXPECT_FALSE(DistributeLineByMorae(document, 0, {}, {}).Line); // the next line is not timed
    document.Lines[0].Fragments[0].StartMs = -1;
    document.Lines[0].Fragments[1].EndMs = 900;
    // No time at all: the user is told what to tap first.
    EXPECT_TRUE(DistributeLineByMorae(document, 0, {}, {}).Refusal.contains(S("タップ")));
}

TEST(MoraDistribution, EachKanjiTakesThePartOfTheReadingItReads) {
    TimingDocument document;
    document.Lines.append({{{S("夜"), 0, -1}, {S("空"), -1, -1}, {S("に"), -1, 900}}});
    const QVector<RubySpan> readings = {{0, 2, S("よぞら"), 0}};
    const KanjiTable table = KanjiTable::FromKanjidic(S("夜 4C6B ヤ よ よる\n空 3675 クウ そら\n"));
    const auto starts = [&](const KanjiTable& kanji) {
        QStringList out;
        // Kept whole: a range over a member of the temporary would outlive it.
        const LineDistribution spread = DistributeLineByMorae(document, 0, readings, {}, kanji);
        for (const TimedFragment& f : spread.Line->Fragments)
            out << QString::number(f.StartMs);
        return out.join(u' ');
    };
    EXPECT_EQ(starts(table), S("0 225 675"));        // よ 1, ぞら 2, に 1
    EXPECT_EQ(starts(KanjiTable()), S("0 338 675")); // no table: 1.5 and 1.5
    // A reading the table cannot share out (read only as a whole) is shared evenly.
    document.Lines[0].Fragments[0].Text = S("今");
    document.Lines[0].Fragments[1].Text = S("日");
    EXPECT_EQ(DistributeLineByMorae(document, 0, {{0, 2, S("きょう"), 0}}, {}, table)
                  .Line->Fragments[1]
                  .StartMs,
              300);
}

TEST(MoraDistribution, TheDictionaryFillsOnlyWhatTheDocumentLeaves) {
    const QVector<RubySpan> merged =
        MergeReadings({{2, 2, S("かわせ"), 1}},
                      {{0, 1, S("きみ"), 0}, {2, 1, S("ため"), 0}, {3, 1, S("かえ"), 0}});
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[0].Reading, S("きみ"));
    EXPECT_EQ(merged[1].Reading, S("かわせ"));
}

} // namespace
