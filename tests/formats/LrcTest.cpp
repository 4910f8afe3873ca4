// LRC and enhanced LRC on tables of small texts: reading, writing and the time shift; and
// hostile text that must end in time.
#include "FormatsTestHelpers.h"
#include "formats/LrcReader.h"
#include "formats/LrcShift.h"
#include "formats/LrcWriter.h"
#include "lyrics/TimeTagWriter.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

QString Lines(const char* barred) { return U(barred).replace(u'|', CrLf); }
// CR LF as "|", without the ratio line every read document has and the final line break.
QString Bars(QString text) {
    text.remove(QStringLiteral("@TimeRatio=1\r\n"));
    while (text.endsWith(CrLf))
        text.chop(2);
    return text.replace(CrLf, QStringLiteral("|"));
}

struct Case {
    const char* name;
    const char* in;
    const char* out;
    int shiftMs = 0;
};

class LrcReadTest : public ::testing::TestWithParam<Case> {};

TEST_P(LrcReadTest, GivesTheTimeTagLinesAPlayerShows) {
    const bool karaoke = !QByteArray(GetParam().name).endsWith("KaraokeOff");
    std::optional<LyricsDocument> document = ReadLrcText(Lines(GetParam().in), karaoke);
    ASSERT_TRUE(document);
    ComposeLyricsText(*document);
    EXPECT_EQ(Bars(document->Text), U(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcReadTest,
    ::testing::Values(
        Case{"StampForms", "[1:02.5]a|[00:03]b|[00:04.123]c|[100:00.00]d|[02:83.37]e",
             "[00:03:00]b|[00:04:12]c|[01:02:50]a|[03:23:37]e|[99:59:99]d"},
        Case{"NoStamps", "[01:02.3456]a|[01:023]b|[35791:23.648]c|[01:02:03.4]d|<00:01.00>e",
             "[01:02.3456]a|[01:023]b|[35791:23.648]c|[01:02:03.4]d|<00:01.00>e"},
        Case{"OffsetFoldedAndHeldAtZero", "[00:00.20]a|[00:02.00]b|[OFFSET: +500]",
             "[00:00:00]a|[00:01:50]b"},
        Case{"TextBeforeTheFirstWord", "[00:01.00]x<00:01.00>a<00:02.00>b|[00:03.00]y<00:04.00>c",
             "x[00:01:00]a[00:02:00]b|[00:03:00]y[00:04:00]c"},
        Case{"KaraokeOff", "[00:01.00]<00:01.00>ka<00:01.50>ra", "[00:01:00]kara"},
        Case{"IdTags", "[ti:Song [Live]]|[ar: Me ]|[al:Al][by:Tagger]|[au:x]|[xx:y]|[00:01.00]a",
             "[00:01:00]a||@Artist=Me|@Title=Song [Live]|@Album=Al|@TaggingBy=Tagger"},
        Case{"UntimedLinesStayAfterTheirLine", "[offset:-1|[00:05.00]late|  after||[00:01.00]x||",
             "[offset:-1|[00:01:00]x|[00:05:00]late|  after"},
        Case{"TextKeptAsWritten", "  [00:01.00]  two  blanks  ", "[00:01:00]  two  blanks  "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LrcWriter, EnhancedLrcWithIdTagsOrPlainLrcInMilliseconds) {
    LyricsDocument document =
        ParseDoc("@Title=T\r\n@Artist= A \r\n@Album=B\r\n@TaggingBy=C\r\n@Offset=5\r\n"
                 "[00:01:00]ka[00:01:50]ra[00:02:00]\r\nuntimed\r\nx[00:03:00]a[00:04:00]b\r\n"
                 "<00:0[00:05:00]1.00>\r\n[00:06:00]one");
    document.Lines.back().Fragments[0].TimeMs = document.Lines.back().Fragments[1].TimeMs = 6001235;
    EXPECT_EQ(Bars(MakeLrcText(document, {})),
              U("[ti:T]|[ar:A]|[al:B]|[by:C]|[00:01.00]<00:01.00>ka<00:01.50>ra<00:02.00>|"
                "untimed|[00:03.00]x<00:03.00>a<00:04.00>b|[00:05.00]<00:0<00:05.00>1.00>|"
                "[100:01.24]one"));
    EXPECT_EQ(Bars(MakeLrcText(document, {false, true, false})),
              U("[00:01.000]kara|untimed|[00:03.000]xab|[00:05.000]<00:01.00>|[100:01.235]one"));
}

class LrcShiftTest : public ::testing::TestWithParam<Case> {};

TEST_P(LrcShiftTest, MovesEveryStampInItsOwnForm) {
    EXPECT_EQ(Bars(ShiftLrcText(GetParam().shiftMs, Lines(GetParam().in))), U(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcShiftTest,
    ::testing::Values(
        Case{"Hundredths", "[00:01.00]a|[99:59.99]b", "[00:02.50]a|[100:01.49]b", 1500},
        Case{"HalvesToEven", "[1:02.5]a|[1:02.4]b|[00:01]c|[00:02]d|[00:01.000]e",
             "[1:03.0]a|[1:02.9]b|[00:02]c|[00:02]d|[00:01.500]e", 500},
        Case{"HeldAtZero", "[00:01.00]<00:01.50>a<00:05.00>", "[00:00.00]<00:00.00>a<00:03.00>",
             -2000},
        Case{"TagsAndUntimedLinesStay",
             "[offset:+500]|[ti:x]|plain [00:01.00]|[00:01.00]a[00:02.00]b",
             "[offset:+500]|[ti:x]|plain [00:01.00]|[00:01.10]a[00:02.10]b", 100},
        Case{"BlanksStayLineEndsBecomeCrLf", " [00:01.00] [00:02.00] a <00:03.00>b\nc",
             " [00:02.00] [00:03.00] a <00:04.00>b|c", 1000}),
    [](const auto& info) { return std::string(info.param.name); });

// Text no player writes must give a document, or nothing when it would be too large, quickly.
TEST(LrcHostileText, EndsQuickly) {
    const auto start = std::chrono::steady_clock::now();
    const QString stamps = QStringLiteral("[00:01.00]").repeated(100000);
    const QString words = QStringLiteral("<00:01.00>a").repeated(100000);
    EXPECT_EQ(ReadLrcText(stamps + U("x"), true)->LineCount(), 100000);
    EXPECT_EQ(ReadLrcText(stamps.left(10) + words, true)->Lines[0].FragmentCount(), 100000);
    // Ten thousand stamps before ten thousand words would be a hundred million fragments.
    EXPECT_FALSE(ReadLrcText(stamps.left(100000) + words.left(110000), true));
    for (const QString& text : {QStringLiteral("[").repeated(100000) + QString(100000, u'0'),
                                QStringLiteral("[ti:a]").repeated(50000) + QString(50000, u']'),
                                Lines("[99999999999999:00.00]x|[00:01.00|[ti:abc|<00:01.00")}) {
        MakeLrcText(*ReadLrcText(text, true), {});
        ShiftLrcText(-1000, text);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

} // namespace
