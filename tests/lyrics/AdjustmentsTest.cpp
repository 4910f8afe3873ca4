// Reshaping and re-timing whole lyrics documents.
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagWriter.h"
#include "lyrics/TimeValues.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

LyricsDocument Parse(const QString& text) {
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, false);
    return document;
}
LyricsDocument Parse(const char* utf8) { return Parse(S(utf8)); }

// The text the document composes to, without the header block.
QStringList ComposedLines(LyricsDocument document) {
    document.Header = LyricsHeader();
    ComposeLyricsText(document);
    QStringList lines = document.Text.split(CrLf);
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

std::vector<int> Times(const LyricsLine& line) {
    std::vector<int> times;
    for (const KaraokeFragment& fragment : line.Fragments)
        times.push_back(fragment.TimeMs);
    return times;
}

TEST(NormalizeKaraokeTest, LowersTimesWithinALine) {
    const LyricsDocument source = Parse("[00:05:00]a[00:04:00]b[00:06:00]c\r\n[00:07:00]d");
    bool changed = false;
    const LyricsDocument result = NormalizeKaraoke(source, changed);
    EXPECT_TRUE(changed);
    const LyricsLine& line = result.Lines[0];
    EXPECT_EQ(Times(line), (std::vector<int>{4000, 4000, 4000, 6000}));
    EXPECT_EQ(line.Fragments[0].TagText, S("[00:04:00]"));
    EXPECT_EQ(line.Fragments[1].TagText, S("[00:04:00]"));
    EXPECT_EQ(line.Fragments[1].Text, S("a"));
    EXPECT_EQ(line.RawText, source.Lines[0].RawText); // stale until composed
    EXPECT_EQ(ComposedLines(result),
              (QStringList{S("[00:04:00]a[00:04:00]b[00:06:00]c"), S("[00:07:00]d")}));
    // The source is a value and stays as it was.
    EXPECT_EQ(source.Lines[0].Fragments[1].TimeMs, 5000);
}

TEST(NormalizeKaraokeTest, LowersAcrossLinesSkippingUntaggedOnes) {
    const LyricsDocument source =
        Parse("[00:10:00]a\r\nplain\r\n@Title=T\r\n\r\n[00:08:00]b\r\n[00:09:00]c");
    bool changed = false;
    const LyricsDocument result = NormalizeKaraoke(source, changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(Times(result.Lines[0]), (std::vector<int>{8000, 8000}));
    EXPECT_EQ(result.Lines[0].Fragments[1].TagText, S("[00:08:00]"));
    EXPECT_EQ(Times(result.Lines[4]), (std::vector<int>{8000, 8000}));
    EXPECT_EQ(Times(result.Lines[5]), (std::vector<int>{9000, 9000}));
    EXPECT_EQ(result.Lines[1].PlainText, S("plain"));
    EXPECT_EQ(result.Lines[2].RawText, S("@Title=T"));
}

TEST(NormalizeKaraokeTest, OrderedOrTooShortDocumentsAreUnchanged) {
    for (const char* text :
         {"[00:01:00]a[00:01:00]b\r\n[00:01:00]c[00:02:00]d\r\nx", "no tags\r\nat all", ""}) {
        const LyricsDocument source = Parse(text);
        bool changed = true;
        const LyricsDocument result = NormalizeKaraoke(source, changed);
        EXPECT_FALSE(changed) << text;
        ASSERT_EQ(result.LineCount(), source.LineCount()) << text;
        for (int i = 0; i < source.LineCount(); ++i) {
            EXPECT_EQ(Times(result.Lines[i]), Times(source.Lines[i])) << text;
            for (qsizetype k = 0; k < source.Lines[i].Fragments.size(); ++k)
                EXPECT_EQ(result.Lines[i].Fragments[k].TagText,
                          source.Lines[i].Fragments[k].TagText);
        }
    }
}

TEST(NormalizeKaraokeTest, LongInvertedDocumentGetsSuffixMinimum) {
    // 200,000 tags in 50,000 lines of four, falling overall with a saw-tooth on top, so that
    // the smallest later time differs from tag to tag.
    constexpr int tagCount = 200000;
    std::vector<int> times(tagCount);
    for (int i = 0; i < tagCount; ++i)
        times[i] = (tagCount - i) * 20 + (i % 7) * 30;
    QString text;
    text.reserve(tagCount * 12);
    for (int i = 0; i < tagCount; ++i) {
        text += MsToTag(times[i]);
        text += QChar(u'a' + i % 26);
        if (i % 4 == 3 && i + 1 < tagCount)
            text += CrLf;
    }
    std::vector<int> expected(times);
    for (int i = tagCount - 2; i >= 0; --i)
        expected[i] = std::min(expected[i], expected[i + 1]);

    const LyricsDocument source = Parse(text);
    ASSERT_EQ(source.LineCount(), tagCount / 4);
    bool changed = false;
    const LyricsDocument result = NormalizeKaraoke(source, changed);
    EXPECT_TRUE(changed);
    int index = 0;
    int mismatches = 0;
    for (const LyricsLine& line : result.Lines) {
        ASSERT_EQ(line.FragmentCount(), 4);
        if (line.Fragments[0].TimeMs != line.Fragments[1].TimeMs)
            ++mismatches;
        for (int k = 1; k <= 4; ++k, ++index) {
            if (line.Fragments[k].TimeMs != expected[index] ||
                line.Fragments[k].TagText != MsToTag(expected[index]))
                ++mismatches;
        }
    }
    EXPECT_EQ(index, tagCount);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(result.Lines[0].Fragments[1].TimeMs, 60);
}

TEST(KaraokeToLineTopTest, KeepsFirstTimeAndWholeText) {
    const LyricsDocument result = KaraokeToLineTop(
        Parse("[00:01:00]ka[00:01:50]ra\r\nx[00:02:00]y[00:03:00]z\r\np[00:04:00]q\r\nplain"));
    EXPECT_FALSE(result.HasKaraoke);
    const LyricsLine& first = result.Lines[0];
    EXPECT_FALSE(first.IsKaraoke);
    ASSERT_EQ(first.FragmentCount(), 1);
    EXPECT_EQ(first.Fragments[0].TagText, S("[00:01:00]"));
    EXPECT_EQ(first.Fragments[0].TimeMs, 1000);
    EXPECT_EQ(first.Fragments[0].Text, QString());
    EXPECT_EQ(first.Fragments[1].Text, S("kara"));
    QStringList raw;
    for (const LyricsLine& line : result.Lines)
        raw << line.RawText;
    const QStringList expected{S("[00:01:00]kara"), S("[00:02:00]xyz"), S("[00:04:00]pq"),
                               S("plain")};
    EXPECT_EQ(raw, expected);
    EXPECT_EQ(ComposedLines(result), expected);
}

TEST(KaraokeToLineTopTest, DocumentWithoutKaraokeIsUnchanged) {
    const LyricsDocument result = KaraokeToLineTop(Parse("x[00:01:00]y\r\n[00:02:00]z"));
    EXPECT_EQ(result.Lines[0].RawText, S("x[00:01:00]y"));
    EXPECT_EQ(result.Lines[0].Fragments[0].Text, S("x"));
}

TEST(PseudoKaraokeTest, StepLinesShowTheTextSungSoFar) {
    LyricsDocument source = Parse("intro\r\n"
                                  "[00:01:00]ka[00:02:00]ra[00:03:00]oke\r\n"
                                  "@Title=T\r\n"
                                  "two\r\n"
                                  "[00:05:00]three\r\n"
                                  "four");
    QStringList unsung;
    const LyricsDocument result = MakePseudoKaraoke(source, unsung);
    ASSERT_EQ(result.LineCount(), 8);
    ASSERT_EQ(unsung.size(), 8);
    EXPECT_TRUE(result.HasTimeTags);
    EXPECT_FALSE(result.HasKaraoke);
    EXPECT_TRUE(result.Text.isEmpty());
    EXPECT_EQ(result.Header.Title, S("T"));

    EXPECT_EQ(ComposedLines(result),
              (QStringList{S("intro"), S("[00:01:00]ka"), S("[00:02:00]kara"),
                           S("[00:03:00]karaoke"), S("two"), S("[00:05:00]three"), S("four")}));
    EXPECT_EQ(unsung.mid(1, 3), (QStringList{S("raoke"), S("oke"), S("")}));
    EXPECT_EQ(unsung[6], QString());
    using Texts = std::array<QString, 3>;
    for (int i = 1; i <= 3; ++i) {
        const LyricsLine& step = result.Lines[i];
        EXPECT_FALSE(step.IsKaraoke);
        ASSERT_EQ(step.FragmentCount(), 1);
        EXPECT_EQ(step.Fragments[0].TagText, step.Fragments[1].TagText);
        EXPECT_EQ(step.Fragments[0].TimeMs, i * 1000);
        EXPECT_EQ(step.Fragments[0].Text, QString());
        EXPECT_EQ(step.Fragments[1].Text, step.PlainText);
        EXPECT_EQ(step.FollowingTexts, (Texts{S("two"), S("three"), S("four")}));
    }
    EXPECT_TRUE(result.Lines[4].IsDirective);

    // The given document's lines now know the next three lyric (non-directive) texts.
    EXPECT_EQ(source.Lines[0].FollowingTexts, (Texts{S("karaoke"), S("two"), S("three")}));
    EXPECT_EQ(source.Lines[2].FollowingTexts, (Texts{S("two"), S("three"), S("four")}));
    EXPECT_EQ(source.Lines[3].FollowingTexts, (Texts{S("three"), S("four"), S("")}));
    EXPECT_EQ(result.Lines[0].FollowingTexts, source.Lines[0].FollowingTexts);
}

TEST(PseudoKaraokeTest, FollowingTextSlotsWithoutALineKeepFormerContents) {
    LyricsDocument source = Parse("[00:01:00]a\r\n[00:02:00]b\r\nc");
    for (LyricsLine& line : source.Lines)
        line.FollowingTexts = {S("old"), S("old"), S("old")};
    QStringList unsung;
    MakePseudoKaraoke(source, unsung);
    using Texts = std::array<QString, 3>;
    EXPECT_EQ(source.Lines[0].FollowingTexts, (Texts{S("b"), S("c"), S("old")}));
    EXPECT_EQ(source.Lines[1].FollowingTexts, (Texts{S("c"), S("old"), S("old")}));
    EXPECT_EQ(source.Lines[2].FollowingTexts, (Texts{S("old"), S("old"), S("old")}));
}

TEST(PseudoKaraokeTest, TextBeforeFirstTagTagAtTheEndAndEmptyDocument) {
    LyricsDocument source = Parse("plain\r\nx[00:01:00]a[00:02:00]b[00:03:00]");
    QStringList unsung;
    const LyricsDocument result = MakePseudoKaraoke(source, unsung);
    EXPECT_EQ(ComposedLines(result),
              (QStringList{S("plain"), S("[00:01:00]xa"), S("[00:02:00]xab"), S("[00:03:00]xab")}));
    EXPECT_EQ(unsung.mid(1), (QStringList{S("b"), S(""), S("")}));

    LyricsDocument empty;
    empty.HasTimeTags = true;
    const LyricsDocument none = MakePseudoKaraoke(empty, unsung);
    EXPECT_EQ(none.LineCount(), 0);
    EXPECT_FALSE(none.HasTimeTags);
    EXPECT_TRUE(unsung.isEmpty());
}

TEST(MergeLinesTest, GrowingRunsBecomeKaraokeLines) {
    const LyricsDocument result =
        MergeProgressiveLines(Parse("[00:01:00]ka\r\n[00:02:00]kara\r\n[00:03:00]karaoke\r\n"
                                    "[00:04:00]abc\r\n[00:05:00]abc\r\n"
                                    "[00:06:00]xy\r\n[00:07:00]zz"));
    EXPECT_EQ(ComposedLines(result),
              (QStringList{S("[00:01:00]ka[00:02:00]ra[00:03:00]oke"), S("[00:04:00]abc[00:05:00]"),
                           S("[00:06:00]xy"), S("[00:07:00]zz")}));
    EXPECT_TRUE(result.HasKaraoke);
    ASSERT_EQ(result.Lines[0].FragmentCount(), 3);
    EXPECT_EQ(result.Lines[0].Fragments[3].TimeMs, 3000);
    EXPECT_EQ(result.Lines[0].PlainText, S("karaoke"));
    EXPECT_TRUE(result.Text.endsWith(CrLf));
}

TEST(MergeLinesTest, NeverMergesAcrossAnUntaggedLine) {
    const LyricsDocument result = MergeProgressiveLines(Parse(
        "@Title=T\r\n[00:01:00]a\r\n[00:02:00]ab\r\ngap\r\n[00:03:00]abc\r\n[00:04:00]abcd\r\n"
        "\r\n[00:05:00]abcde"));
    EXPECT_EQ(ComposedLines(result),
              (QStringList{S("[00:01:00]a[00:02:00]b"), S("gap"), S("[00:03:00]abc[00:04:00]d"),
                           S(""), S("[00:05:00]abcde")}));
    EXPECT_EQ(result.Header.Title, S("T"));
    EXPECT_TRUE(result.Lines[0].IsDirective);
}

TEST(MergeLinesTest, EmptyFirstTextDoesNotStartARunAndEmptyDocument) {
    const LyricsDocument result = MergeProgressiveLines(Parse("[00:01:00]\r\n[00:02:00]a"));
    EXPECT_EQ(ComposedLines(result), (QStringList{S("[00:01:00]"), S("[00:02:00]a")}));
    EXPECT_EQ(MergeProgressiveLines(LyricsDocument()).LineCount(), 0);
}

TEST(MergeLinesTest, UndoesThePseudoKaraokeExpansion) {
    const char* text = "[00:01:00]ka[00:01:50]ra[00:02:00]oke\r\n"
                       "plain\r\n"
                       "[00:03:00]a[00:04:00]b\r\n"
                       "[00:05:00]single\r\n"
                       "[00:06:00]c[00:07:00]d[00:08:00]";
    LyricsDocument source = Parse(text);
    QStringList unsung;
    const LyricsDocument merged = MergeProgressiveLines(MakePseudoKaraoke(source, unsung));
    EXPECT_EQ(ComposedLines(merged).join(CrLf), S(text));
}

struct CorrectionCase {
    const char* name;
    int ms;             // fragments 0 and 1; fragment 2 is 1000 ms later
    double ratio;       // the document's TimeRatio
    int headerSilence;  // -1: no SilencemSec in the header
    int offset;         // 0: no Offset in the header
    double target;      // passed in
    int silence;        // passed in; -1: none
    int first, second;  // expected times
    double targetAfter; // the caller's variable afterwards
};

class TimeCorrectionTest : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(TimeCorrectionTest, RetimesEveryFragment) {
    const CorrectionCase& c = GetParam();
    LyricsDocument document = Parse("[00:00:00]a[00:00:00]b\r\nplain\r\n@Title=T");
    for (KaraokeFragment& fragment : document.Lines[0].Fragments)
        fragment.TimeMs = c.ms;
    document.Lines[0].Fragments[2].TimeMs = c.ms + 1000;
    document.Header.TimeRatio = c.ratio;
    document.Header.HasTimeRatio = true;
    document.Header.HasSilencemSec = c.headerSilence >= 0;
    document.Header.SilencemSec = std::max(c.headerSilence, 0);
    document.Header.HasOffset = c.offset != 0;
    document.Header.Offset = c.offset;
    double target = c.target;
    ApplyTimeCorrection(document, target, c.silence);

    const LyricsLine& line = document.Lines[0];
    EXPECT_EQ(Times(line), (std::vector<int>{c.first, c.first, c.second}));
    for (const KaraokeFragment& fragment : line.Fragments)
        EXPECT_EQ(fragment.TagText, MsToTag(fragment.TimeMs)); // every tag rewritten
    EXPECT_EQ(line.RawText, S("[00:00:00]a[00:00:00]b"));      // until composed
    EXPECT_EQ(document.Lines[1].Fragments.size(), 1);
    EXPECT_EQ(target, c.targetAfter);
    const LyricsHeader& header = document.Header;
    EXPECT_EQ(header.TimeRatio, c.targetAfter);
    EXPECT_TRUE(header.HasTimeRatio);
    EXPECT_FALSE(header.HasOffset);
    EXPECT_EQ(header.Offset, 0);
    const int silenceAfter = c.silence >= 0 ? c.silence : c.headerSilence;
    EXPECT_EQ(header.HasSilencemSec, silenceAfter >= 0);
    EXPECT_EQ(header.SilencemSec, std::max(silenceAfter, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeCorrectionTest,
    ::testing::Values(
        // 995 / 0.9953125 = 999.69; 1995 / 0.9953125 = 2004.40
        CorrectionCase{"PlayerToStandard", 995, 0.9953125, -1, 0, 1, -1, 1000, 2004, 1},
        // 502.5 and 1002.5 round to even; 507.5 and 1007.5 too
        CorrectionCase{"HalvesToEvenDown", 1005, 1, -1, 0, 0.5, -1, 502, 1002, 0.5},
        CorrectionCase{"HalvesToEvenUp", 1015, 1, -1, 0, 0.5, -1, 508, 1008, 0.5},
        // equal ratios: whole milliseconds, silence moved from 500 to 800, offset added
        CorrectionCase{"SilenceAndOffset", 1000, 1, 500, 40, 1, 800, 1340, 2340, 1},
        CorrectionCase{"NoSilenceValue", 1000, 1, 500, 40, 1, -1, 1040, 2040, 1},
        CorrectionCase{"NoHeaderSilence", 1000, 1, -1, 0, 1, 800, 1000, 2000, 1},
        CorrectionCase{"Unchanged", 1234, 1, -1, 0, 1, -1, 1234, 2234, 1},
        // 1000 / 0.5 - 500 + 800 + 100
        CorrectionCase{"ScaledSilenceAndOffset", 1000, 0.5, 500, 100, 1, 800, 2400, 4400, 1},
        CorrectionCase{"OffsetClampedAtZero", 1000, 1, -1, -2000, 1, -1, 0, 0, 1},
        CorrectionCase{"ScaledOffsetClampedAtZero", 1000, 0.5, -1, -3000, 1, -1, 0, 1000, 1},
        CorrectionCase{"TargetAboveOne", 995, 0.9953125, -1, 0, 1.5, -1, 1000, 2004, 1},
        CorrectionCase{"TargetBelowZero", 995, 0.9953125, -1, 0, -0.1, -1, 1000, 2004, 1},
        CorrectionCase{"TargetNotANumber", 995, 0.9953125, -1, 0, std::nan(""), -1, 1000, 2004, 1},
        // a document ratio out of range counts as the player ratio
        CorrectionCase{"DocumentRatioAboveOne", 995, 1.5, -1, 0, 1, -1, 1000, 2004, 1},
        CorrectionCase{"DocumentRatioEqualsTarget", 995, -2, -1, 5, DefaultTimeRatio, -1, 1000,
                       2000, DefaultTimeRatio}),
    [](const ::testing::TestParamInfo<CorrectionCase>& info) {
        return std::string(info.param.name);
    });

TEST(TimeCorrectionEdgeTest, MissingDocumentRatioGivesUsableTimes) {
    LyricsDocument document = Parse("[00:00:99]a[00:01:99]b");
    double target = 1;
    ApplyTimeCorrection(document, target, -1);
    // Whatever stands in for the missing ratio, times stay near where they were.
    const LyricsLine& line = document.Lines[0];
    EXPECT_GE(line.Fragments[1].TimeMs, 990);
    EXPECT_LE(line.Fragments[1].TimeMs, 1000);
    EXPECT_GE(line.Fragments[2].TimeMs, 1990);
    EXPECT_LE(line.Fragments[2].TimeMs, 2000);
    EXPECT_EQ(line.Fragments[0].TimeMs, line.Fragments[1].TimeMs);
    EXPECT_EQ(line.Fragments[2].TagText, MsToTag(line.Fragments[2].TimeMs));
}

TEST(TimeCorrectionEdgeTest, HugeResultStaysATag) {
    LyricsDocument document = Parse("[99:59:99]a");
    document.Header.TimeRatio = 0.0001;
    double target = 1;
    ApplyTimeCorrection(document, target, -1);
    for (const KaraokeFragment& fragment : document.Lines[0].Fragments) {
        EXPECT_GE(fragment.TimeMs, MaxTagMs);
        EXPECT_EQ(fragment.TagText, S("[99:59:99]"));
    }
}

TEST(TimeCorrectionEdgeTest, EmptyDocumentIsLeftAlone) {
    LyricsDocument document;
    document.Header.HasOffset = true;
    double target = 1.5;
    ApplyTimeCorrection(document, target, 800);
    EXPECT_EQ(target, 1.5);
    EXPECT_TRUE(document.Header.HasOffset);
    EXPECT_FALSE(document.Header.HasTimeRatio);
    EXPECT_FALSE(document.Header.HasSilencemSec);
}

} // namespace
