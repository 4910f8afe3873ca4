// Round trips through LRC over generated documents, both ways, by the two modes on real files;
// ffmpeg's LRC reader as a peer reading what we write; and what a round trip loses, as the
// manual tells it.
//
// What the round trips cannot carry, and the generators therefore leave out:
// - TimeTag -> LRC -> TimeTag: a time earlier than one before it (the inversion is repaired as
//   for SAMI); a line with several tags and text only after the last (read as a line shown at
//   each time, as for SAMI); header keys other than the title, artist, album and tagger. Times
//   come back to the hundredth when the document's ratio is 1, or with millisecond stamps.
// - LRC -> TimeTag -> LRC: a word stamp later than the next line's stamp (lowered to it);
//   stamps beyond 99:59.99; other ID tags; the offset (folded into the times). With the
//   standard ratio 1 as default ratio the hundredths come back exactly.
#include "DocumentGenerator.h"
#include "FormatsTestHelpers.h"
#include "formats/LrcReader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <limits>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

constexpr int Documents = 100;

// A file converted by one mode, and the text it wrote.
QString Convert(int mode, const QString& text, const char* from, const char* to,
                Settings settings) {
    TestFolder folder;
    const QString source = folder.File(from);
    if (!WriteCp932(source, text))
        return QStringLiteral("(cannot write the source)");
    const BatchState state = RunDriver(mode, {source}, settings);
    if (state.Results.size() != 1 || state.Results[0].Code != Converted)
        return QStringLiteral("(not converted)");
    return DecodeCp932(ReadBytes(folder.File(to)));
}

QString ToLrc(const QString& timeTag, const Settings& settings) {
    return Convert(ModeTimeTagToLrc, timeTag, "song.txt", "song.lrc", settings);
}

QString ToTimeTag(const QString& lrc, const Settings& settings) {
    return Convert(ModeLrcToTimeTag, lrc, "song.lrc", "song.txt", settings);
}

// A document line by line: the text before the first tag and every tag's time and text, or
// the text of an untimed line; the title, artist, album and tagger last. Trailing empty lines
// and directives are left out.
QStringList Reading(const LyricsDocument& document) {
    QStringList out;
    for (const LyricsLine& line : document.Lines) {
        if (line.IsDirective)
            continue;
        if (!line.HasTimeTag) {
            out << U("untimed:") + line.PlainText;
            continue;
        }
        QString s = line.Fragments[0].Text;
        for (int f = 1; f <= line.FragmentCount(); ++f)
            s += QStringLiteral("<%1>").arg(line.Fragments[f].TimeMs) + line.Fragments[f].Text;
        out << s;
    }
    while (!out.isEmpty() && out.back() == u"untimed:")
        out.removeLast();
    const LyricsHeader& h = document.Header;
    out << h.Title + u'|' + h.Artist + u'|' + h.Album + u'|' + h.TaggingBy;
    return out;
}

QString Joined(const QStringList& lines) { return lines.join(u'\n'); }

// TimeTag lyrics with the title and the like now and then, untimed and blank lines, line-head
// lines and karaoke lines (text before the first tag now and then, empty pieces after the
// first, an end tag), every time later than the one before.
QString GeneratedTimeTag(DocumentGenerator& generate) {
    QString text;
    const char* const keys[] = {"@Title=", "@Artist=", "@Album=", "@TaggingBy="};
    for (const char* key : keys) {
        if (generate.Between(0, 2) == 0)
            text += U(key) + generate.Text(10, true) + CrLf;
    }
    const int count = generate.Between(1, 15);
    const QVector<int> times = generate.IncreasingTimes(count * 6);
    int next = 0;
    for (int l = 0; l < count; ++l) {
        const int kind = l == 0 ? 1 : generate.Between(0, 4);
        if (kind == 0) {
            text += (generate.Between(0, 2) ? generate.Text(12, true) : QString()) + CrLf;
            continue;
        }
        if (kind == 1) {
            text += Tag(times[next++]) + generate.Text(20, true) + CrLf;
            continue;
        }
        if (generate.Between(0, 3) == 0)
            text += generate.Text(4, false);
        const int tags = generate.Between(2, 5);
        for (int t = 0; t < tags; ++t) {
            const bool empty = t > 0 && generate.Between(0, 5) == 0;
            text += Tag(times[next++]) + (empty ? QString() : generate.Text(6, true));
        }
        if (generate.Between(0, 2) == 0)
            text += Tag(times[next++]);
        text += CrLf;
    }
    return text;
}

TEST(LrcRoundTrip, TimeTagThroughEnhancedLrcKeepsEveryFragmentToTheHundredth) {
    Settings realTime;
    realTime.Init.TimeRatio = 1;
    Settings playerRatio; // the player ratio of the TimeTag files both ways, stamps in ms
    playerRatio.T2L.Millis = true;
    for (int seed = 1; seed <= Documents; ++seed) {
        DocumentGenerator generate{unsigned(seed)};
        const QString timeTag = GeneratedTimeTag(generate);
        for (const Settings& settings : {realTime, playerRatio}) {
            const QString lrc = ToLrc(timeTag, settings);
            const QString back = ToTimeTag(lrc, settings);
            ASSERT_EQ(Joined(Reading(ParseDoc(back))), Joined(Reading(ParseDoc(timeTag))))
                << "document " << seed << ", ratio " << settings.Init.TimeRatio << ":\n"
                << timeTag.toStdString() << "\nLRC:\n"
                << lrc.toStdString();
        }
    }
}

QString Stamp(int ms) {
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QChar(u'0'))
        .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(ms / 10 % 100, 2, 10, QChar(u'0'));
}

// LRC as players meet it: ID tags and an offset now and then; lines out of order shown at one
// to three times, with enhanced or inline word stamps or none; untimed and blank lines. The
// times of each line lie in a slot of their own, so no word reaches the next line.
QString GeneratedLrc(DocumentGenerator& generate) {
    QString text;
    const char* const tags[] = {"ti", "ar", "al", "by", "au", "length", "re"};
    for (const char* tag : tags) {
        if (generate.Between(0, 2) == 0)
            text += u'[' + U(tag) + u':' + generate.Text(10, true) + u']' + CrLf;
    }
    if (generate.Between(0, 2) == 0)
        text += QStringLiteral("[offset:%1]").arg(generate.Between(-500, 500) * 10) + CrLf;
    const int count = generate.Between(1, 15);
    QVector<int> slotTimes;
    for (int i = 0, ms = 20000; i < count * 3; ++i, ms += generate.Between(1000, 1500) * 10)
        slotTimes.append(ms);
    std::shuffle(slotTimes.begin(), slotTimes.end(),
                 std::mt19937(unsigned(generate.Between(0, 1 << 30))));
    int next = 0;
    for (int l = 0; l < count; ++l) {
        if (l > 0 && generate.Between(0, 4) == 0) {
            text += (generate.Between(0, 1) ? generate.Text(12, true) : QString()) + CrLf;
            continue;
        }
        const int stamps = generate.Between(0, 3) ? 1 : generate.Between(2, 3);
        int anchor = std::numeric_limits<int>::max();
        for (int s = 0; s < stamps; ++s) {
            anchor = std::min(anchor, slotTimes[next]);
            text += u'[' + Stamp(slotTimes[next++]) + u']';
        }
        const int form = generate.Between(0, 2); // plain, enhanced, inline
        if (form == 0) {
            text += generate.Text(20, true) + CrLf;
            continue;
        }
        int ms = anchor + (generate.Between(0, 1) ? 0 : generate.Between(1, 100) * 10);
        const QChar open = form == 1 ? u'<' : u'[';
        const QChar close = form == 1 ? u'>' : u']';
        // Text before the first word stamp: now and then in the enhanced form; always in the
        // inline form, whose first word follows the line stamp (a square stamp right after it
        // would be one more line stamp).
        if (form == 2 || generate.Between(0, 3) == 0) {
            text += generate.Text(4, false);
            ms += generate.Between(1, 100) * 10;
        }
        for (int w = generate.Between(1, 5); w > 0; --w) {
            text += open + Stamp(ms) + close + generate.Text(6, true);
            ms += generate.Between(1, 150) * 10;
        }
        if (generate.Between(0, 1) == 0)
            text += open + Stamp(ms) + close; // the end of the last word
        text += CrLf;
    }
    return text;
}

TEST(LrcRoundTrip, LrcThroughTimeTagKeepsEveryLineAndWordStampAndTheIdTags) {
    Settings settings;
    settings.Init.TimeRatio = 1;
    for (int seed = 1; seed <= Documents; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 7919};
        const QString lrc = GeneratedLrc(generate);
        const QString timeTag = ToTimeTag(lrc, settings);
        const QString back = ToLrc(timeTag, settings);
        ASSERT_EQ(Joined(Reading(*ReadLrcText(back, true))),
                  Joined(Reading(*ReadLrcText(lrc, true))))
            << "document " << seed << ":\n"
            << lrc.toStdString() << "\nTimeTag:\n"
            << timeTag.toStdString() << "\nback:\n"
            << back.toStdString();
    }
}

struct Cue {
    int Ms;
    QString Text;
    bool operator==(const Cue&) const = default;
};

void PrintTo(const Cue& cue, std::ostream* os) {
    *os << cue.Ms << " \"" << cue.Text.toStdString() << '"';
}

// The cues ffmpeg reads from an LRC file (CP932), from its SubRip output.
QVector<Cue> FfmpegCues(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-sub_charenc"),
                  QStringLiteral("CP932"), QStringLiteral("-i"), path, QStringLiteral("-f"),
                  QStringLiteral("srt"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0)
        return {{-1, QString::fromUtf8(ffmpeg.readAllStandardError())}};
    const QStringList lines = QString::fromUtf8(ffmpeg.readAllStandardOutput()).split(u'\n');
    static const QRegularExpression timing(QStringLiteral("^(\\d+):(\\d+):(\\d+),(\\d+) -->"));
    QVector<Cue> cues;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch m = timing.match(lines[i]);
        if (!m.hasMatch())
            continue;
        const int ms =
            ((m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 60 + m.captured(3).toInt()) *
                1000 +
            m.captured(4).toInt();
        cues.append({ms, lines[i + 1]});
    }
    return cues;
}

TEST(LrcPeer, FfmpegReadsTheCueTimesAndTextsWeWrite) {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    static const QRegularExpression wordStamp(QStringLiteral("<\\d+:\\d\\d\\.\\d+>"));
    for (int seed = 1; seed <= 36; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 104729};
        const QString timeTag = GeneratedTimeTag(generate);
        Settings settings;
        settings.Init.TimeRatio = 1;
        settings.T2L.WordStamps = seed % 2 == 0;
        settings.T2L.Millis = seed % 3 == 0;
        TestFolder folder;
        ASSERT_TRUE(WriteCp932(folder.File("song.txt"), timeTag));
        ASSERT_EQ(RunDriver(ModeTimeTagToLrc, {folder.File("song.txt")}, settings).Results[0].Code,
                  Converted);

        QVector<Cue> expected;
        for (const LyricsLine& line : ParseDoc(timeTag).Lines) {
            qsizetype blanks = 0; // ffmpeg drops the blanks a text starts with
            while (blanks < line.PlainText.size() && line.PlainText[blanks] == u' ')
                ++blanks;
            if (line.HasTimeTag)
                expected.append({line.Fragments[0].TimeMs, line.PlainText.mid(blanks)});
        }
        QVector<Cue> cues = FfmpegCues(folder.File("song.lrc"));
        for (Cue& cue : cues)
            cue.Text.remove(wordStamp);
        ASSERT_EQ(cues, expected) << "document " << seed << ":\n"
                                  << ReadBytes(folder.File("song.lrc")).toStdString();
    }
}

// What a round trip loses, as the manual tells the user.
struct LossCase {
    const char* name;
    bool fromTimeTag; // TimeTag -> LRC -> TimeTag, else LRC -> TimeTag -> LRC
    const char* source;
    const char* back; // lines joined by "|", without blank lines and "@TimeRatio=1"
};

class LrcRoundTripLossTest : public ::testing::TestWithParam<LossCase> {};

TEST_P(LrcRoundTripLossTest, LosesOnlyWhatTheManualSays) {
    const LossCase& c = GetParam();
    Settings settings;
    settings.Init.TimeRatio = 1;
    const QString source = U(c.source).replace(u'|', CrLf);
    const QString back = c.fromTimeTag ? ToTimeTag(ToLrc(source, settings), settings)
                                       : ToLrc(ToTimeTag(source, settings), settings);
    QStringList lines;
    for (const QString& line : back.split(CrLf)) {
        if (!line.isEmpty() && line != u"@TimeRatio=1")
            lines.append(line);
    }
    EXPECT_EQ(lines.join(u'|'), U(c.back));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcRoundTripLossTest,
    ::testing::Values(
        LossCase{"OtherHeaderKeys", true,
                 "@Title=T|@BgFile=b.jpg|@EditedBy=E|@SilencemSec=0|[00:01:00]a",
                 "[00:01:00]a|@Title=T"},
        LossCase{"RatioAndOffsetBecomeRealTime", true, "@TimeRatio=0.5|@Offset=100|[00:01:00]a",
                 "[00:02:10]a"},
        LossCase{"TimeInversions", true, "[00:02:00]a|[00:01:00]b", "[00:01:00]a|[00:01:00]b"},
        LossCase{"LineShownAtSeveralTimes", true, "[00:01:00][00:03:00]c|[00:02:00]d",
                 "[00:01:00]c|[00:02:00]d|[00:03:00]c"},
        LossCase{"OtherIdTagsAndTheOffset", false,
                 "[au:x]|[offset:100]|[length:3:00]|[re:y]|[00:01.00]a", "[00:00.90]a"},
        LossCase{"Milliseconds", false, "[00:01.234]a", "[00:01.23]a"},
        LossCase{"BeyondTheTagRange", false, "[100:00.00]a", "[99:59.99]a"},
        LossCase{"SeveralStampsBecomeLines", false, "[00:03.00][00:01.00]a",
                 "[00:01.00]a|[00:03.00]a"},
        LossCase{"WordsReachingTheNextLine", false, "[00:01.00]<00:01.00>a<00:05.00>b|[00:03.00]c",
                 "[00:01.00]<00:01.00>a<00:03.00>b|[00:03.00]c"},
        LossCase{"InlineWordsBecomeEnhanced", false, "[00:01.00]a[00:01.50]c",
                 "[00:01.00]<00:01.00>a<00:01.50>c"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
