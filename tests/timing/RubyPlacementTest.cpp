// The "@RubyN" entries the timing editor composes from readings placed line by line, and every
// line reading back exactly what was placed on it.
#include "timing/RubyPlacement.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

// 0 "君の為替" from 1 s (ends where line 1 starts), 1 "為替と君" from 3 s, 2 "君が好き" from 5 s
// to 7 s, 3 "君と君" from 8 s (no end), 4 "君へ" not timed.
TimingDocument Lyrics() {
    TimingDocument document =
        TimingFromPlainText(S("君の為替\n為替と君\n君が好き\n君と君\n君へ"), {});
    const int starts[] = {1000, 3000, 5000, 8000};
    for (int line = 0; line < 4; ++line) {
        for (int k = 0; k < document.Lines[line].Fragments.size(); ++k)
            document.Lines[line].Fragments[k].StartMs = starts[line] + 100 * k;
    }
    document.Lines[2].Fragments.last().EndMs = 7000;
    return document;
}

// "line:from:reading" items, the base's length taken from the reading's base text length.
QVector<QVector<RubySpan>> Readings(const TimingDocument& document, const char* items) {
    QVector<QVector<RubySpan>> readings(document.Lines.size());
    for (const QString& item : S(items).split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u':');
        const int line = parts[0].toInt();
        const int from = parts[1].toInt();
        const QString text = document.Lines[line].Text();
        const int length = text.mid(from, 2) == S("為替") ? 2 : 1;
        readings[line].append({from, length, parts[2], 0});
    }
    return readings;
}

// The editor composes its entries by the caption readers' rule: a reading starts where a line
// first wants it (without a start while no earlier line holds its base) and ends where a line
// wants the base read otherwise. Until both used one rule the editor wrote one entry per place
// with its line's start and end instead; the rows marked "was" show the bytes that changed.
TEST(RubyPlacement, EntriesKeepEveryReadingWhereItStands) {
    const char* cases[][2] = {
        // One reading everywhere: no times, but a second 君 in a line needs its own entry,
        // from that line on (was "@Ruby3=君,きみ").
        {"0:0:きみ 0:2:かわせ 1:0:かわせ 1:3:きみ 2:0:きみ 3:0:きみ 3:2:きみ 4:0:きみ",
         "@Ruby1=君,きみ|@Ruby2=為替,かわせ|@Ruby3=君,きみ,[00:08:00]"},
        // Read differently by place: each reading from the line where it changes to the line
        // where it changes again (was one entry per place with its line's start and end:
        // "@Ruby1=君,きみ,[00:01:00],[00:03:00]|@Ruby2=為替,かわせ|@Ruby3=君,くん,[00:03:00],"
        // "[00:05:00]|@Ruby4=君,きみ,[00:05:00],[00:07:00]|@Ruby5=君,きみ,[00:08:00]|"
        // "@Ruby6=君,きみ,[00:08:00]|@Ruby7=君,きみ").
        {"0:0:きみ 0:2:かわせ 1:0:かわせ 1:3:くん 2:0:きみ 3:0:きみ 3:2:きみ 4:0:きみ",
         "@Ruby1=君,きみ,,[00:03:00]|@Ruby2=為替,かわせ|@Ruby3=君,くん,[00:03:00],[00:05:00]|"
         "@Ruby4=君,きみ,[00:05:00]|@Ruby5=君,きみ,[00:08:00]"},
        // A reading in one line only must not spread to the other lines that have the base.
        {"1:3:くん", "@Ruby1=君,くん,[00:03:00],[00:05:00]"},
        // Read in the first line, bare in the next (was "[00:01:00],[00:03:00]").
        {"0:2:かわせ", "@Ruby1=為替,かわせ,,[00:03:00]"},
        {"", ""},
    };
    const TimingDocument document = Lyrics();
    for (const auto& c : cases) {
        const QVector<QVector<RubySpan>> readings = Readings(document, c[0]);
        TimingDocument composed = document;
        composed.Header.Ruby = ComposeRubyEntries(RubyLinesOf(document), readings);
        QStringList lines;
        for (const RubyEntry& entry : composed.Header.Ruby)
            lines << ComposeRubyDirective(entry);
        EXPECT_EQ(lines.join(u'|').toStdString(), c[1]) << c[0];
        // Every line reads back what was placed on it, the line not timed (4) too.
        for (int line = 0; line < 5; ++line) {
            QVector<RubySpan> read = LineReadings(composed, line);
            for (RubySpan& span : read)
                span.Number = 0;
            EXPECT_EQ(read, readings[line]) << c[0] << " line " << line;
        }
    }
}

TEST(RubyPlacement, ChangingOneLineKeepsTheOthersAndUnplacedEntries) {
    TimingDocument document = Lyrics();
    document.Header.Ruby =
        ComposeRubyEntries(RubyLinesOf(document), Readings(document, "0:2:かわせ 1:0:かわせ"));
    RubyEntry elsewhere;
    elsewhere.Base = S("桜");
    elsewhere.Reading = S("さくら");
    document.Header.Ruby.append(elsewhere);
    const QVector<RubyEntry> entries = RubyWithLineReadings(document, 2, {{0, 1, S("きみ"), 0}});
    QStringList lines;
    for (const RubyEntry& entry : entries)
        lines << ComposeRubyDirective(entry);
    EXPECT_EQ(lines.join(u'|').toStdString(),
              "@Ruby1=為替,かわせ|@Ruby2=君,きみ,[00:05:00],[00:08:00]|"
              "@Ruby3=桜,さくら");
}

} // namespace
