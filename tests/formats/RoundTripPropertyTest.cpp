// Round trips over many generated documents: TimeTag lyrics through SAMI captions or a DSMP
// lyrics file and back keep every timed line's text and time, composing is idempotent, and the
// pseudo-karaoke expansion followed by merging gives back the karaoke lines.
//
// What the round trips cannot carry, and the generators therefore leave out (the manual tells
// users the same):
// - Both: a line timed earlier than lines before it. The writers first repair such inversions
//   by pulling every earlier time that is later down to it, so those lines come back at its
//   time. With karaoke merging on, as by default, a line whose text starts with the whole text
//   of the line before reads as the next karaoke step of that line. The times come back as
//   real milliseconds ("@TimeRatio=1").
// - SAMI: lines without a time tag; of lines sharing a start time only the first (a caption
//   replaces the one shown); text that reads as an entity ("&lt;" comes back as "<"); the "@"
//   header keys.
// - DSMP: text that reads as a key line ("Title=x" comes back as the song title); one pair of
//   double quotes around a line and blanks at its start and end; a blank at the end of a
//   karaoke piece (it moves behind the next tag); the "@" header keys other than the artist,
//   the title and the tagger.
#include "DocumentGenerator.h"
#include "FormatsTestHelpers.h"
#include "formats/DsmpReader.h"
#include "formats/DsmpWriter.h"
#include "formats/SamiReader.h"
#include "formats/SamiWriter.h"
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagWriter.h"
#include "modes/ModeSteps.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

constexpr int Documents = 200;

struct TimedLine {
    int Ms;
    QString Text;
    bool operator==(const TimedLine&) const = default;
};

void PrintTo(const TimedLine& line, std::ostream* os) {
    *os << line.Ms << ' ' << '"' << line.Text.toStdString() << '"';
}

QString TimeTagText(const QVector<TimedLine>& lines) {
    QString text;
    for (const TimedLine& line : lines)
        text += Tag(line.Ms) + line.Text + CrLf;
    return text;
}

// The timed lines of a TimeTag text, each with its first tag's time and its whole text.
QVector<TimedLine> TimedLines(const QString& timeTagText) {
    QVector<TimedLine> lines;
    for (const LyricsLine& line : ParseDoc(timeTagText).Lines)
        if (line.HasTimeTag)
            lines.append({line.Fragments[0].TimeMs, line.PlainText});
    return lines;
}

// Every timed line's tags, each with its time and the text after it.
QVector<QVector<TimedLine>> TimedFragments(const QString& timeTagText) {
    QVector<QVector<TimedLine>> lines;
    for (const LyricsLine& line : ParseDoc(timeTagText).Lines) {
        if (!line.HasTimeTag)
            continue;
        QVector<TimedLine>& fragments = lines.emplace_back();
        for (int f = 1; f <= line.FragmentCount(); ++f)
            fragments.append({line.Fragments[f].TimeMs, line.Fragments[f].Text});
    }
    return lines;
}

// A TimeTag file converted by the TimeTag-to-caption steps with `write`, that result read back
// by the caption-to-TimeTag steps with `read`, karaoke merging on as by default.
QString RoundTrip(const QString& timeTagText,
                  const std::function<std::optional<QString>(LyricsDocument&)>& write,
                  LyricsDocument (*read)(const QString&)) {
    TestFolder folder;
    const QString source = folder.File("lyrics.txt");
    const QString captions = folder.File("lyrics.out");
    if (!WriteCp932(source, timeTagText))
        return QStringLiteral("(cannot write the source)");
    const ConvertedText converted = ConvertFromTimeTag(source, 1, EncodingChoice::Auto, write);
    if (converted.Code != Converted || !WriteCp932(captions, converted.Text))
        return QStringLiteral("(not converted)");
    std::atomic<bool> ratioBecameOne{false};
    return ConvertToTimeTag(captions, read, 1, true, EncodingChoice::Auto, ratioBecameOne).Text;
}

std::optional<QString> WriteSami(LyricsDocument& document) {
    const T2SSettings defaults;
    return MakeSamiText(document, defaults.Karaoke, defaults.Base, defaults.KaraokeHTML,
                        defaults.Lines);
}

std::optional<QString> WriteDsmp(LyricsDocument& document) {
    const T2DSettings defaults;
    return MakeDsmpText(document, defaults.Karaoke, defaults.Alignment, defaults.Lines);
}

struct CaptionFormat {
    const char* name;
    std::optional<QString> (*write)(LyricsDocument&);
    LyricsDocument (*read)(const QString&);
};

class CaptionRoundTripTest : public ::testing::TestWithParam<CaptionFormat> {};

TEST_P(CaptionRoundTripTest, KeepsEveryLineHeadTaggedLinesTextAndTime) {
    const CaptionFormat& format = GetParam();
    for (int seed = 1; seed <= Documents; ++seed) {
        DocumentGenerator generate{unsigned(seed)};
        const int count = generate.Between(1, 30);
        const QVector<int> times = generate.IncreasingTimes(count);
        const QStringList texts = generate.LineTexts(count, 40);
        QVector<TimedLine> lines;
        for (int i = 0; i < count; ++i)
            lines.append({times[i], texts[i]});

        const QString back = RoundTrip(TimeTagText(lines), format.write, format.read);
        ASSERT_EQ(TimedLines(back), lines) << "document " << seed << ":\n" << back.toStdString();
    }
}

// Karaoke lines become one caption per tag showing the line sung so far, and merging makes
// them one line again.
TEST_P(CaptionRoundTripTest, KeepsKaraokeLinesWhenBothWaysUseKaraoke) {
    const CaptionFormat& format = GetParam();
    for (int seed = 1; seed <= Documents; ++seed) {
        DocumentGenerator generate(unsigned(seed) * 7919);
        const int count = generate.Between(1, 12);
        QString text;
        QStringList previous;
        const QStringList texts = generate.LineTexts(count, 12, false);
        int tags = 0;
        QVector<int> fragmentsPerLine;
        for (const QString& lineText : texts) {
            fragmentsPerLine.append(std::min(int(lineText.size()), generate.Between(1, 6)));
            tags += fragmentsPerLine.back();
        }
        const QVector<int> times = generate.IncreasingTimes(tags);
        int next = 0;
        for (int l = 0; l < count; ++l) {
            // The line cut into non-empty pieces, each after its own tag.
            const QString& lineText = texts[l];
            const int pieces = fragmentsPerLine[l];
            int from = 0;
            for (int p = 0; p < pieces; ++p) {
                const int left = int(lineText.size()) - from - (pieces - p - 1);
                const int length = p + 1 == pieces ? left : generate.Between(1, left);
                text += Tag(times[next++]) + lineText.mid(from, length);
                from += length;
            }
            text += CrLf;
        }

        const QString back = RoundTrip(text, format.write, format.read);
        ASSERT_EQ(TimedFragments(back), TimedFragments(text)) << "document " << seed << ":\n"
                                                              << back.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CaptionRoundTripTest,
                         ::testing::Values(CaptionFormat{"Sami", &WriteSami, &ReadSamiText},
                                           CaptionFormat{"Dsmp", &WriteDsmp, &ReadDsmpText}),
                         [](const auto& info) { return std::string(info.param.name); });

// Any mixture of header keys, timed, karaoke, short-tagged, untimed and blank lines.
QString AnyTimeTagText(DocumentGenerator& generate) {
    static const char* const keys[] = {
        "@Title=",  "@Artist=",      "@Album=",     "@TimeRatio=0.9953",
        "@Offset=", "@SilencemSec=", "@TaggingBy=", "@Frames=12"};
    QString text;
    const int count = generate.Between(0, 25);
    for (int i = 0; i < count; ++i) {
        switch (generate.Between(0, 6)) {
        case 0:
            text += QString::fromUtf8(keys[generate.Between(0, 7)]) + generate.Text(8, false);
            break;
        case 1:
            text += generate.Text(20, true);
            break;
        case 2:
            break; // a blank line
        case 3:
            text += QStringLiteral("[%1:%2]")
                        .arg(generate.Between(0, 99))
                        .arg(generate.Between(0, 59)) +
                    generate.Text(10, true);
            break;
        default:
            for (int t = generate.Between(1, 5); t > 0; --t)
                text += Tag(generate.Between(0, 600000) * 10) +
                        (generate.Between(0, 3) ? generate.Text(6, true) : QString());
        }
        text += generate.Between(0, 9) ? CrLf : QStringLiteral("\n");
    }
    return text;
}

TEST(ComposeTest, ComposingAParsedDocumentAgainChangesNothing) {
    for (int seed = 1; seed <= 1000; ++seed) {
        DocumentGenerator generate{unsigned(seed)};
        LyricsDocument document;
        document.Text = AnyTimeTagText(generate);
        ParseLyricsText(document, true, true);
        bool changed = false;
        document = NormalizeKaraoke(document, changed);
        ComposeLyricsText(document);
        const QString once = document.Text;
        LyricsDocument again = ParseDoc(once);
        ComposeLyricsText(again);
        ASSERT_EQ(again.Text, once) << "document " << seed;
    }
}

TEST(PseudoKaraokeTest, MergingTheExpansionGivesBackTheKaraokeLines) {
    for (int seed = 1; seed <= 1000; ++seed) {
        DocumentGenerator generate{unsigned(seed)};
        const int count = generate.Between(1, 15);
        const QStringList texts = generate.LineTexts(count, 20);
        QString text;
        for (const QString& lineText : texts) {
            // An untimed line now and then; tags on any character, the first piece not empty.
            if (generate.Between(0, 5) == 0) {
                text += generate.Text(10, true) + CrLf;
                continue;
            }
            int ms = generate.Between(0, 1000) * 10;
            int from = 0;
            while (from < lineText.size()) {
                const int length = generate.Between(1, int(lineText.size()) - from);
                text += Tag(ms) + lineText.mid(from, length);
                from += length;
                ms += generate.Between(0, 100) * 10;
            }
            if (generate.Between(0, 3) == 0)
                text += Tag(ms); // the end of the line is timed too
            text += CrLf;
        }
        LyricsDocument source = ParseDoc(text);
        QStringList unsung;
        LyricsDocument merged = MergeProgressiveLines(MakePseudoKaraoke(source, unsung));
        ComposeLyricsText(merged);
        ComposeLyricsText(source);
        ASSERT_EQ(merged.Text, source.Text) << "document " << seed;
    }
}

// What a round trip loses, as the manual tells the user.
struct LossCase {
    const char* name;
    const char* timeTag;
    const char* samiBack;
    const char* dsmpBack;
};

class RoundTripLossTest : public ::testing::TestWithParam<LossCase> {};

// The lines that came back, joined by "|", without blank lines and the ratio line that every
// return adds.
QString Summary(const QString& timeTagText) {
    QStringList lines;
    for (const QString& line : timeTagText.split(CrLf)) {
        if (!line.isEmpty() && line != u"@TimeRatio=1")
            lines.append(line);
    }
    return lines.join(u'|');
}

TEST_P(RoundTripLossTest, LosesOnlyWhatTheManualSays) {
    const LossCase& c = GetParam();
    EXPECT_EQ(Summary(RoundTrip(U(c.timeTag), &WriteSami, &ReadSamiText)), U(c.samiBack));
    EXPECT_EQ(Summary(RoundTrip(U(c.timeTag), &WriteDsmp, &ReadDsmpText)), U(c.dsmpBack));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RoundTripLossTest,
    ::testing::Values(
        LossCase{"UntimedLine", "[00:01:00]a\r\nplain\r\n[00:02:00]b\r\n",
                 "[00:01:00]a|[00:02:00]b", "[00:01:00]a|plain|[00:02:00]b"},
        LossCase{"EqualStartTimes", "[00:01:00]a\r\n[00:01:00]b\r\n[00:02:00]c\r\n",
                 "[00:01:00]a|[00:02:00]c", "[00:01:00]a|[00:01:00]b|[00:02:00]c"},
        LossCase{"EarlierLaterLine", "[00:02:00]a\r\n[00:01:00]b\r\n", "[00:01:00]a",
                 "[00:01:00]a|[00:01:00]b"},
        LossCase{"EarlyLastLine", "[00:01:00]x\r\n[00:02:00]y\r\n[00:03:00]z\r\n[00:00:50]w\r\n",
                 "[00:00:50]x", "[00:00:50]x|[00:00:50]y|[00:00:50]z|[00:00:50]w"},
        LossCase{"EntityLikeText", "[00:01:00]x &lt; y &amp; z\r\n[00:02:00]<b>\r\n",
                 "[00:01:00]x < y & z|[00:02:00]<b>", "[00:01:00]x &lt; y &amp; z|[00:02:00]<b>"},
        LossCase{"KeyLikeAndQuotedText", "[00:01:00]Title=x\r\n[00:02:00]\"q\"\r\n",
                 "[00:01:00]Title=x|[00:02:00]\"q\"", "[00:02:00]q|@Title=x"},
        LossCase{"OuterBlanks", "[00:01:00]  a b  \r\n", "[00:01:00]  a b  ", "[00:01:00]a b"},
        LossCase{"HeaderKeys", "@Title=T\r\n@Album=B\r\n[00:01:00]a\r\n", "[00:01:00]a",
                 "[00:01:00]a|@Title=T"},
        LossCase{"BlankEndingAKaraokePiece", "[00:01:00]ab [00:02:00]c\r\n",
                 "[00:01:00]ab [00:02:00]c", "[00:01:00]ab[00:02:00] c"},
        LossCase{"GrowingLines", "[00:01:00]ab\r\n[00:02:00]abc\r\n", "[00:01:00]ab[00:02:00]c",
                 "[00:01:00]ab[00:02:00]c"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
