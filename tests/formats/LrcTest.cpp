// LRC and enhanced LRC: stamps, reading, writing, the time shift and the format detection, each
// on a table of small texts, and hostile text that must end in time.
#include "FormatsTestHelpers.h"
#include "formats/LrcReader.h"
#include "formats/LrcShift.h"
#include "formats/LrcStamps.h"
#include "formats/LrcWriter.h"
#include "formats/LyricsFormat.h"
#include "lyrics/TimeTagWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Lines joined by "|" instead of CR LF, without the empty last piece.
QString Bars(const QString& text) {
    QStringList lines = text.split(CrLf);
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines.join(u'|');
}

QString Lines(const char* barred) { return U(barred).replace(u'|', CrLf); }

TEST(LrcStamp, ReadsTheFormsPlayersWrite) {
    struct Case {
        const char* text;
        int ms; // -1: not a stamp
    };
    for (const Case& c : {Case{"[01:02.34]", 62340},
                          Case{"[01:02.345]", 62345},
                          Case{"[1:02.5]", 62500},
                          Case{"<01:02.34>", 62340},
                          Case{"[01:02]", 62000},
                          Case{"[1:2]", 62000},
                          Case{"[02:83.37]", 203370},
                          Case{"[100:00.00]", 6000000},
                          Case{"[35791:23.647]", 2147483647},
                          Case{"[35791:23.648]", -1},
                          Case{"[99999999999999999999:00]", -1},
                          Case{"[01:02.3456]", -1},
                          Case{"[01:023]", -1},
                          Case{"[01:02:03]", -1},
                          Case{"[01.02]", -1},
                          Case{"[:01.00]", -1},
                          Case{"[01:02.]", -1},
                          Case{"[01:02.34>", -1},
                          Case{"<01:02.34]", -1},
                          Case{"[01:02.34", -1},
                          Case{"[ti:x]", -1}}) {
        const std::optional<LrcStamp> stamp = ReadLrcStamp(U(c.text), 0);
        EXPECT_EQ(stamp ? stamp->TimeMs : -1, c.ms) << c.text;
        if (stamp)
            EXPECT_EQ(stamp->Length, qsizetype(strlen(c.text))) << c.text;
    }
}

TEST(LrcStamp, WritesHundredthsMillisAndWholeSecondsRoundingHalvesToEven) {
    EXPECT_EQ(FormatLrcStamp(u'[', 61005, 2), U("[01:01.00]"));
    EXPECT_EQ(FormatLrcStamp(u'[', 61015, 2), U("[01:01.02]"));
    EXPECT_EQ(FormatLrcStamp(u'<', 59995, 2), U("<01:00.00>"));
    EXPECT_EQ(FormatLrcStamp(u'[', 6001235, 2), U("[100:01.24]"));
    EXPECT_EQ(FormatLrcStamp(u'[', 1234, 3), U("[00:01.234]"));
    EXPECT_EQ(FormatLrcStamp(u'[', 2500, 0, 1, 1), U("[0:2]"));
    EXPECT_EQ(FormatLrcStamp(u'[', 3500, 0, 1, 1), U("[0:4]"));
    EXPECT_EQ(FormatLrcStamp(u'[', -20, 2), U("[00:00.00]"));
    EXPECT_EQ(FormatLrcStamp(u'[', 2147483647, 0), U("[35791:23]")); // still a stamp
}

struct ReadCase {
    const char* name;
    const char* lrc;     // lines joined by "|"
    const char* timeTag; // the composed TimeTag text, lines joined by "|"
    bool karaoke = true;
};

class LrcReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LrcReadTest, GivesTheTimeTagLinesAPlayerShows) {
    std::optional<LyricsDocument> document = ReadLrcText(Lines(GetParam().lrc), GetParam().karaoke);
    ASSERT_TRUE(document);
    ComposeLyricsText(*document);
    EXPECT_EQ(Bars(document->Text), U(GetParam().timeTag));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcReadTest,
    ::testing::Values(
        ReadCase{"StampForms", "[1:02.5]a|[00:03]b|[00:04.123]c|[100:00.00]d",
                 "[00:03:00]b|[00:04:12]c|[01:02:50]a|[99:59:99]d||@TimeRatio=1"},
        ReadCase{"SeveralStampsSortedStably", "[00:05.00] [00:01.00]x|[00:01.00]y",
                 "[00:01:00]x|[00:01:00]y|[00:05:00]x||@TimeRatio=1"},
        ReadCase{"OffsetFoldedAndHeldAtZero", "[offset:+500]|[00:00.20]a|[00:02.00]b",
                 "[00:00:00]a|[00:01:50]b||@TimeRatio=1"},
        ReadCase{"NegativeOffsetAnywhere", "[00:01.00]a|[OFFSET: -250]",
                 "[00:01:25]a||@TimeRatio=1"},
        ReadCase{"EnhancedWords", "[00:01.00]<00:01.00>ka <00:01.50>ra<00:02.00>",
                 "[00:01:00]ka [00:01:50]ra[00:02:00]||@TimeRatio=1"},
        ReadCase{"InlineSquareWords", "[00:01.00]ka[00:01.50]ra",
                 "[00:01:00]ka[00:01:50]ra||@TimeRatio=1"},
        ReadCase{"FirstWordLaterThanTheLine", "[00:01.00]<00:02.00>a<00:03.00>b",
                 "[00:01:00][00:02:00]a[00:03:00]b||@TimeRatio=1"},
        ReadCase{"TextBeforeTheFirstWord",
                 "[00:01.00]x<00:01.00>a<00:02.00>b|[00:03.00]y<00:04.00>c",
                 "x[00:01:00]a[00:02:00]b|[00:03:00]y[00:04:00]c||@TimeRatio=1"},
        ReadCase{"KaraokeOff", "[00:01.00]<00:01.00>ka<00:01.50>ra", "[00:01:00]kara||@TimeRatio=1",
                 false},
        ReadCase{"RepeatedKaraokeLineMovesItsWords", "[00:10.00][00:01.00]a<00:01.50>b",
                 "[00:01:00]a[00:01:50]b|[00:10:00]a[00:10:50]b||@TimeRatio=1"},
        ReadCase{"IdTags",
                 "[ti:Song [Live]]|[ar: Me ]|[al:Al][by:Tagger]|[au:x]|[length:03:00]|[xx:y]|"
                 "[00:01.00]a",
                 "[00:01:00]a||@Artist=Me|@Title=Song [Live]|@Album=Al|@TimeRatio=1|"
                 "@TaggingBy=Tagger"},
        ReadCase{"UntimedLinesStayAfterTheLineBefore",
                 "head|[00:05.00]late|after late|"
                 "[00:01.00]early||",
                 "head|[00:01:00]early|[00:05:00]late|after late||@TimeRatio=1"},
        ReadCase{"JunkAndUnterminatedTagsAreText", "[offset:-12345|[00:01.00]a|[1:2:3]x|[attr3]",
                 "[offset:-12345|[00:01:00]a|[1:2:3]x|[attr3]||@TimeRatio=1"},
        ReadCase{"TextKeptAsWritten", "  [00:01.00]  two  blanks  ",
                 "[00:01:00]  two  blanks  ||@TimeRatio=1"},
        ReadCase{"NoStampNoTimedLine", "<00:01.00>w|[00:01.0000]x",
                 "<00:01.00>w|[00:01.0000]x||@TimeRatio=1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LrcReader, ReadsUtf8WithOrWithoutAMarkAndCp932) {
    TestFolder folder;
    const QByteArray lrc = "[00:01.00]\xe3\x81\x8b\xe3\x81\xaa\r\n";
    const LrcFileText marked = ReadLrcFile(folder.Put("a.lrc", "\xEF\xBB\xBF" + lrc));
    EXPECT_EQ(marked.Encoding, LrcEncoding::Utf8);
    EXPECT_EQ(marked.Text, U("[00:01.00]かな\r\n"));
    const LrcFileText plain = ReadLrcFile(folder.Put("b.lrc", lrc));
    EXPECT_EQ(plain.Encoding, LrcEncoding::Utf8);
    EXPECT_EQ(plain.Text, marked.Text);
    const LrcFileText cp932 = ReadLrcFile(folder.Put("c.lrc", EncodeCp932(marked.Text)));
    EXPECT_EQ(cp932.Encoding, LrcEncoding::Cp932);
    EXPECT_EQ(cp932.Text, marked.Text);
    EXPECT_FALSE(ReadLrcFile(folder.File("missing.lrc")).Exists);
}

TEST(LrcWriter, WritesEnhancedLrcWithIdTagsOrPlainLrcInMilliseconds) {
    const LyricsDocument document =
        ParseDoc("@Title=T\r\n@Artist= A \r\n@Album=B\r\n@TaggingBy=C\r\n@Offset=5\r\n"
                 "[00:01:00]ka[00:01:50]ra[00:02:00]\r\nuntimed\r\nx[00:03:00]a[00:04:00]b\r\n"
                 "[00:05:00]one\r\n\r\n");
    EXPECT_EQ(Bars(MakeLrcText(document, {})),
              U("[ti:T]|[ar:A]|[al:B]|[by:C]|[00:01.00]<00:01.00>ka<00:01.50>ra<00:02.00>|"
                "untimed|[00:03.00]x<00:03.00>a<00:04.00>b|[00:05.00]one"));
    EXPECT_EQ(Bars(MakeLrcText(document, {false, true, false})),
              U("[00:01.000]kara|untimed|[00:03.000]xab|[00:05.000]one"));

    LyricsDocument far = ParseDoc("[00:01:00]a\r\n[00:02:00]b");
    far.Lines[0].Fragments[0].TimeMs = far.Lines[0].Fragments[1].TimeMs = 1005;
    far.Lines[1].Fragments[0].TimeMs = far.Lines[1].Fragments[1].TimeMs = 6001235;
    EXPECT_EQ(Bars(MakeLrcText(far, {})), U("[00:01.00]a|[100:01.24]b"));
}

struct ShiftCase {
    const char* name;
    const char* lrc;
    int shiftMs;
    const char* shifted;
};

class LrcShiftTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(LrcShiftTest, MovesEveryStampInItsOwnForm) {
    EXPECT_EQ(Bars(ShiftLrcText(GetParam().shiftMs, Lines(GetParam().lrc))), U(GetParam().shifted));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcShiftTest,
    ::testing::Values(
        ShiftCase{"Hundredths", "[00:01.00]a", 1500, "[00:02.50]a"},
        ShiftCase{"TenthsHalvesToEven", "[1:02.5]a|[1:02.4]b", 50, "[1:02.6]a|[1:02.4]b"},
        ShiftCase{"WholeSecondsHalvesToEven", "[00:01]a|[00:02]b", 1500, "[00:02]a|[00:04]b"},
        ShiftCase{"Millis", "[00:01.000]a", 1, "[00:01.001]a"},
        ShiftCase{"HeldAtZero", "[00:01.00]<00:01.50>a<00:05.00>", -2000,
                  "[00:00.00]<00:00.00>a<00:03.00>"},
        ShiftCase{"TagsAndUntimedLinesStay",
                  "[offset:+500]|[ti:x]|plain [00:01.00]|[00:01.00]a[00:02.00]b", 100,
                  "[offset:+500]|[ti:x]|plain [00:01.00]|[00:01.10]a[00:02.10]b"},
        ShiftCase{"MinutesGrow", "[99:59.99]a", 10, "[100:00.00]a"},
        ShiftCase{"BlanksBetweenStampsStay", " [00:01.00] [00:02.00] a <00:03.00>b", 1000,
                  " [00:02.00] [00:03.00] a <00:04.00>b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LrcShift, LineEndsBecomeCrLf) {
    EXPECT_EQ(ShiftLrcText(10, U("[00:01.00]a\n[00:02.00]b\rc")),
              U("[00:01.01]a\r\n[00:02.01]b\r\nc"));
}

struct DetectCase {
    const char* text;
    LyricsFormat format;
};

class LrcDetectTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(LrcDetectTest, TellsLrcFromTimeTag) {
    EXPECT_EQ(DetectTextFormat(Lines(GetParam().text)), GetParam().format) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LrcDetectTest,
    ::testing::Values(DetectCase{"[00:01.00]x", LyricsFormat::Lrc},
                      DetectCase{"words|  [0:01.5]a", LyricsFormat::Lrc},
                      DetectCase{"[ti:a]|[00:01]x", LyricsFormat::Lrc},
                      DetectCase{"[00:01]x<00:02>y", LyricsFormat::Lrc},
                      DetectCase{"[00:01]x|[00:02]y", LyricsFormat::TimeTag},
                      DetectCase{"[00:01:00]x|[00:02.00]y", LyricsFormat::TimeTag},
                      DetectCase{"[ti:a]|no stamps", LyricsFormat::Unknown},
                      DetectCase{"<SYNC Start=1000><P>[0:01.5]x", LyricsFormat::Sami},
                      DetectCase{"00:01:234=[0:01.5]x", LyricsFormat::Dsmp}));

// Text no player writes must give a document or nothing in a moment, never a crash or a hang.
TEST(LrcHostileText, EndsQuickly) {
    std::mt19937 random(13);
    QByteArray junk(200000, '\0');
    for (char& c : junk)
        c = char(random());
    const QString many = QStringLiteral("[00:01.00]").repeated(100000) + U("x");
    const QString words =
        QStringLiteral("[00:01.00]") + QStringLiteral("<00:01.00>a").repeated(100000);
    const QString square = QStringLiteral("[00:01.00]a").repeated(100000);
    const QString brackets =
        QStringLiteral("[").repeated(100000) + QStringLiteral("0").repeated(100000);
    const QString tags =
        QStringLiteral("[ti:a]").repeated(50000) + QStringLiteral("]").repeated(50000);
    const QStringList texts = {DecodeCp932(junk),
                               many,
                               words,
                               square,
                               brackets,
                               tags,
                               U("[99999999999999:00.00]x|[00:01.00|[ti:abc|<00:01.00")};
    const auto start = std::chrono::steady_clock::now();
    for (const QString& text : texts) {
        for (const bool karaoke : {true, false}) {
            if (const std::optional<LyricsDocument> document = ReadLrcText(text, karaoke))
                MakeLrcText(*document, {});
        }
        ShiftLrcText(-1000, text);
        DetectTextFormat(text);
    }
    EXPECT_EQ(ReadLrcText(many, true)->LineCount(), 100000);
    EXPECT_EQ(ReadLrcText(words, true)->Lines[0].FragmentCount(), 100000);
    // Ten thousand stamps before ten thousand words would be a hundred million fragments.
    const QString both = QStringLiteral("[00:01.00]").repeated(10000) +
                         QStringLiteral("<00:01.00>a").repeated(10000);
    EXPECT_FALSE(ReadLrcText(both, true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

} // namespace
