// Readings in TimeTag header lines "@RubyN=base,reading[,start][,end]": which line reads as an
// entry, the canonical line written back, the time shift and ratio conversion moving their
// times, and where each reading stands in real-looking lines at a given time.
#include "lyrics/Ruby.h"
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagShift.h"
#include "lyrics/TimeTagWriter.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

LyricsDocument Read(const char* utf8) {
    LyricsDocument document;
    document.Text = S(utf8);
    ParseLyricsText(document, false, true);
    return document;
}

TEST(RubyDirective, ReadsWellFormedLinesAndWritesThemBackAsRead) {
    struct Case {
        const char* line;
        bool isRuby;
        int number, startMs, endMs;
        const char* canonical; // "" when the line is written back as read
    };
    const Case cases[] = {
        {"@Ruby1=為替,かわせ", true, 1, -1, -1, ""},
        {"@Ruby2=為替,かわせ,,[01:00:00]", true, 2, -1, 60000, ""},
        {"@Ruby3=明日,あした,[00:30:50]", true, 3, 30500, -1, ""},
        {"@Ruby12=未来,あす,[00:10:00],[00:20:00]", true, 12, 10000, 20000, ""},
        {"@ruby4 = 夢 , ゆめ ", true, 4, -1, -1, "@Ruby4=夢 , ゆめ"},
        {"@Ruby5=空,そら,", true, 5, -1, -1, "@Ruby5=空,そら"},
        {"@Ruby5=空,そら,,", true, 5, -1, -1, "@Ruby5=空,そら"},
        {"@Ruby=空,そら", false, 0, 0, 0, ""},
        {"@RubyX=空,そら", false, 0, 0, 0, ""},
        {"@Ruby1=空", false, 0, 0, 0, ""},
        {"@Ruby1=,そら", false, 0, 0, 0, ""},
        {"@Ruby1=空,", false, 0, 0, 0, ""},
        {"@Ruby1=空,そら,[00:10],", false, 0, 0, 0, ""},
        {"@Ruby1=空,そら,x,", false, 0, 0, 0, ""},
        {"@Ruby1=空,そら,,,[00:10:00]", false, 0, 0, 0, ""},
        {"@Rubyist=a,b", false, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto entry = ReadRubyDirective(S(c.line));
        ASSERT_EQ(entry.has_value(), c.isRuby);
        if (!entry)
            continue;
        EXPECT_EQ(entry->Number, c.number);
        EXPECT_EQ(entry->StartMs, c.startMs);
        EXPECT_EQ(entry->EndMs, c.endMs);
        EXPECT_EQ(ComposeRubyDirective(*entry), S(*c.canonical ? c.canonical : c.line));
    }
}

TEST(RubyDirective, FilesWithReadingsComeBackByteForByte) {
    const char* text = "[00:01:00]為替[00:01:50]の[00:02:00]話\r\n"
                       "[01:02:00]為替[01:02:50]が[01:03:00]動く\r\n"
                       "\r\n"
                       "@Title=T\r\n@TimeRatio=1\r\n"
                       "@Ruby1=為替,かわせ,,[01:00:00]\r\n"
                       "@Ruby2=為替,カワセ,[01:00:00]\r\n"
                       "@Ruby3=話,はなし\r\n";
    LyricsDocument document = Read(text);
    ASSERT_EQ(document.Header.Ruby.size(), 3);
    ComposeLyricsText(document);
    EXPECT_EQ(document.Text, S(text));
    // Read again from its own text (as the line-head reshaping does), nothing doubles.
    ParseLyricsText(document, false, true);
    EXPECT_EQ(document.Header.Ruby.size(), 3);
}

TEST(RubyDirective, ShiftsAndRatioConversionsMoveTheirTimes) {
    LyricsDocument document = Read("[00:02:00]為替\r\n@Ruby1=為替,かわせ,[00:01:00],[00:03:00]\r\n"
                                   "@Ruby2=為替,X\r\n@Ruby3=話,はなし,[00:00:50]\r\n");
    LyricsDocument shifted = ShiftLyricsDocument(document, -700);
    ComposeLyricsText(shifted);
    EXPECT_TRUE(shifted.Text.endsWith(S("@Ruby1=為替,かわせ,[00:00:30],[00:02:30]\r\n"
                                        "@Ruby2=為替,X\r\n@Ruby3=話,はなし,[00:00:00]\r\n")))
        << shifted.Text.toStdString();
    document.Header.TimeRatio = 0.5;
    document.Header.HasTimeRatio = true;
    double target = 1;
    ApplyTimeCorrection(document, target, -1);
    EXPECT_EQ(document.Header.Ruby[0].StartTag, S("[00:02:00]"));
    EXPECT_EQ(document.Header.Ruby[0].EndMs, 6000);
    EXPECT_EQ(document.Header.Ruby[1].StartMs, -1);
    EXPECT_EQ(document.Lines[0].Fragments[1].TimeMs, 4000);
}

TEST(RubyFor, ReadingsStandOverTheFirstUncoveredBaseWhileTheyApply) {
    const LyricsDocument document = Read("[00:10:00]為替と為替の話\r\n"
                                         "[00:20:00]明日の空に明日を見た\r\n"
                                         "[00:30:00]夢を見た\r\n"
                                         "[01:10:00]為替が動く\r\n"
                                         "@Ruby1=為替,かわせ,,[01:00:00]\r\n"
                                         "@Ruby2=為替,カワセ\r\n"
                                         "@Ruby3=明日,あした,,[00:25:00]\r\n"
                                         "@Ruby4=明日,あす,[00:15:00]\r\n"
                                         "@Ruby5=夢,ゆめ,[00:30:00],[00:31:00]\r\n"
                                         "@Ruby6=話,はなし\r\n");
    auto spans = [&](int line, int ms) {
        QStringList out;
        for (const RubySpan& span : RubyFor(document, line, ms))
            out << QString::number(span.From) + u'+' + QString::number(span.Length) + u':' +
                       span.Reading;
        return out.join(u' ');
    };
    struct Case {
        int line, ms;
        const char* expected;
    };
    const Case cases[] = {
        // Two entries for one base: the first takes the first occurrence, the second the next.
        {0, 10000, "0+2:かわせ 3+2:カワセ 6+1:はなし"},
        // Past the first entry's end (exclusive) only the second applies, at the first place.
        {3, 60000, "0+2:カワセ"},
        {3, 59990, "0+2:かわせ"},
        // Start inclusive: あす applies from 00:15:00 on and takes the second 明日.
        {1, 14990, "0+2:あした"},
        {1, 15000, "0+2:あした 5+2:あす"},
        {1, 25000, "0+2:あす"},
        {2, 29990, ""},
        {2, 30000, "0+1:ゆめ"},
        {2, 31000, ""},
        // Directive lines and places outside the document have none.
        {4, 0, ""},
        {-1, 0, ""},
        {99, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spans(c.line, c.ms), S(c.expected)) << c.line << " at " << c.ms;
}

} // namespace
