// Round trips through LRC both ways over generated documents, by the two modes on real files;
// ffmpeg's LRC reader reading what we write; and what a round trip loses, as the manual says.
// The generators leave out what the manual lists as lost: time inversions, lines with several
// tags and text only after the last, words reaching the next line, a lone word stamp at the
// line's time, other header keys and tags.
#include "DocumentGenerator.h"
#include "FormatsTestHelpers.h"
#include "formats/LrcReader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTime>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// One file converted by `mode`; the text it wrote.
QString Convert(int mode, const QString& text, Settings settings) {
    TestFolder folder;
    const bool toLrc = mode == ModeTimeTagToLrc;
    const QString source = folder.File(toLrc ? "a.txt" : "a.lrc");
    if (!WriteCp932(source, text) || RunDriver(mode, {source}, settings).Results[0].Code != 0)
        return QStringLiteral("(not converted)");
    const QByteArray written = ReadBytes(folder.File(toLrc ? "a.lrc" : "a.txt"));
    return toLrc ? QString::fromUtf8(written) : DecodeCp932(written); // LRC is UTF-8 by default
}

// Every line: the text before the first tag and each tag's time and text, or an untimed
// line's text; then the title, artist, album and tagger.
QString Reading(const LyricsDocument& document) {
    QStringList out;
    for (const LyricsLine& line : document.Lines) {
        QString s = line.HasTimeTag ? line.Fragments[0].Text : U("untimed:") + line.PlainText;
        for (int f = 1; f <= line.FragmentCount(); ++f)
            s += QStringLiteral("<%1>").arg(line.Fragments[f].TimeMs) + line.Fragments[f].Text;
        if (!line.IsDirective)
            out << s;
    }
    while (!out.isEmpty() && out.back() == u"untimed:")
        out.removeLast();
    const LyricsHeader& h = document.Header;
    return out.join(u'\n') + u'\n' +
           QStringList{h.Title, h.Artist, h.Album, h.TaggingBy}.join(u'|');
}

// TimeTag with header keys, untimed and blank lines, line-head and karaoke lines (text before
// the first tag, empty pieces after the first, an end tag), every time after the one before.
QString GeneratedTimeTag(DocumentGenerator& g) {
    QString text;
    for (const char* key : {"@Title=", "@Artist=", "@Album=", "@TaggingBy="})
        text += g.Between(0, 2) ? QString() : U(key) + g.Text(10, true) + CrLf;
    const int count = g.Between(1, 15);
    const QVector<int> times = g.IncreasingTimes(count * 6);
    for (int l = 0, next = 0; l < count; ++l) {
        const int kind = l == 0 ? 1 : g.Between(0, 4);
        if (kind == 0)
            text += g.Between(0, 2) ? g.Text(12, true) : QString();
        else if (kind == 1)
            text += Tag(times[next++]) + g.Text(20, true);
        else {
            text += g.Between(0, 3) ? QString() : g.Text(4, false);
            for (int t = 0, tags = g.Between(2, 5); t < tags; ++t)
                text +=
                    Tag(times[next++]) + (t > 0 && !g.Between(0, 5) ? QString() : g.Text(6, true));
            text += g.Between(0, 2) ? QString() : Tag(times[next++]);
        }
        text += CrLf;
    }
    return text;
}

TEST(LrcRoundTrip, TimeTagThroughEnhancedLrcKeepsEveryFragmentToTheHundredth) {
    Settings realTime;
    realTime.Init.TimeRatio = 1;
    Settings playerRatio; // the player ratio both ways, stamps in milliseconds
    playerRatio.T2L.Millis = true;
    for (int seed = 1; seed <= 100; ++seed) {
        DocumentGenerator generate{unsigned(seed)};
        const QString timeTag = GeneratedTimeTag(generate);
        for (const Settings& settings : {realTime, playerRatio}) {
            const QString lrc = Convert(ModeTimeTagToLrc, timeTag, settings);
            ASSERT_EQ(Reading(ParseDoc(Convert(ModeLrcToTimeTag, lrc, settings))),
                      Reading(ParseDoc(timeTag)))
                << "document " << seed << ":\n"
                << lrc.toStdString();
        }
    }
}

QString Stamp(QChar open, int ms) {
    return open +
           QStringLiteral("%1:%2.%3")
               .arg(ms / 60000, 2, 10, QChar(u'0'))
               .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
               .arg(ms / 10 % 100, 2, 10, QChar(u'0')) +
           (open == u'<' ? u'>' : u']');
}

// LRC as players meet it: ID tags and an offset now and then; lines out of order shown at one
// to three times, with enhanced or inline word stamps or none; untimed and blank lines. Each
// line's times lie in a slot of their own, so no word reaches the next line.
QString GeneratedLrc(DocumentGenerator& g) {
    QString text;
    for (const char* tag : {"ti", "ar", "al", "by", "au", "length"})
        text += g.Between(0, 2) ? QString() : u'[' + U(tag) + u':' + g.Text(10, true) + u']' + CrLf;
    if (!g.Between(0, 2))
        text += QStringLiteral("[offset:%1]").arg(g.Between(-500, 500) * 10) + CrLf;
    const int count = g.Between(1, 15);
    QVector<int> slotTimes;
    for (int i = 0, ms = 20000; i < count * 3; ++i, ms += g.Between(1000, 1500) * 10)
        slotTimes.append(ms);
    std::shuffle(slotTimes.begin(), slotTimes.end(), std::mt19937(unsigned(g.Between(0, 9999))));
    for (int l = 0, next = 0; l < count; ++l) {
        if (l > 0 && !g.Between(0, 4)) {
            text += (g.Between(0, 1) ? g.Text(12, true) : QString()) + CrLf;
            continue;
        }
        int anchor = slotTimes[next];
        for (int s = g.Between(0, 3) ? 1 : g.Between(2, 3); s > 0; --s) {
            anchor = std::min(anchor, slotTimes[next]);
            text += Stamp(u'[', slotTimes[next++]);
        }
        const int form = g.Between(0, 2); // plain, enhanced, inline
        int ms = anchor + g.Between(0, 1) * g.Between(1, 100) * 10;
        // The inline form's first word follows the line stamp: a square stamp right after it
        // would be one more line stamp.
        if (form == 2 || (form == 1 && !g.Between(0, 3)))
            text += g.Text(4, false);
        // A lone word stamp at the line's time says nothing the line stamp does not (lost).
        const int words = form ? g.Between(1, 5) : 0;
        for (int w = words; w > 0; --w, ms += g.Between(1, 150) * 10)
            text += Stamp(form == 1 ? u'<' : u'[', ms) + g.Text(6, true);
        const bool end = words == 1 || (words && g.Between(0, 1));
        text += end ? Stamp(form == 1 ? u'<' : u'[', ms) : QString();
        text += (form ? QString() : g.Text(20, true)) + CrLf;
    }
    return text;
}

TEST(LrcRoundTrip, LrcThroughTimeTagKeepsEveryLineAndWordStampAndTheIdTags) {
    Settings settings;
    settings.Init.TimeRatio = 1;
    for (int seed = 1; seed <= 100; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 7919};
        const QString lrc = GeneratedLrc(generate);
        const QString back =
            Convert(ModeTimeTagToLrc, Convert(ModeLrcToTimeTag, lrc, settings), settings);
        ASSERT_EQ(Reading(*ReadLrcText(back, true)), Reading(*ReadLrcText(lrc, true)))
            << "document " << seed << ":\n"
            << lrc.toStdString() << "\nback:\n"
            << back.toStdString();
    }
}

TEST(LrcPeer, FfmpegReadsTheCueTimesAndTextsWeWrite) {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    static const QRegularExpression cue(QStringLiteral("^([0-9:,]+) -->.*\n(.*)$"),
                                        QRegularExpression::MultilineOption);
    static const QRegularExpression wordStamp(QStringLiteral("<\\d+:\\d\\d\\.\\d+>"));
    for (int seed = 1; seed <= 36; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 104729};
        const QString timeTag = GeneratedTimeTag(generate);
        Settings settings;
        settings.Init.TimeRatio = 1;
        settings.T2L.WordStamps = seed % 2 == 0;
        settings.T2L.Millis = seed % 3 == 0;
        TestFolder folder;
        ASSERT_TRUE(WriteCp932(folder.File("a.lrc"), Convert(ModeTimeTagToLrc, timeTag, settings)));
        QStringList expected; // ffmpeg drops the blanks a text starts with
        for (const LyricsLine& line : ParseDoc(timeTag).Lines)
            if (line.HasTimeTag)
                expected << QString::number(line.Fragments[0].TimeMs) + u' ' +
                                QString(line.PlainText)
                                    .remove(QRegularExpression(QStringLiteral("^ +")));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     QStringLiteral("-v error -sub_charenc CP932 -i %1 -f srt -")
                         .arg(folder.File("a.lrc"))
                         .split(u' '));
        ASSERT_TRUE(ffmpeg.waitForFinished(30000));
        QStringList cues;
        auto matches = cue.globalMatch(QString::fromUtf8(ffmpeg.readAllStandardOutput()));
        while (matches.hasNext()) {
            const QRegularExpressionMatch m = matches.next();
            const QTime start = QTime::fromString(m.captured(1), QStringLiteral("hh:mm:ss,zzz"));
            cues << QString::number(start.msecsSinceStartOfDay()) + u' ' +
                        m.captured(2).remove(wordStamp);
        }
        ASSERT_EQ(cues, expected) << "document " << seed;
    }
}

struct LossCase {
    const char* name;
    const char* source; // TimeTag when it holds a TimeTag tag, else LRC; lines joined by "|"
    const char* back;   // the same kind after the way there and back, without the ratio line
};

class LrcRoundTripLossTest : public ::testing::TestWithParam<LossCase> {};

TEST_P(LrcRoundTripLossTest, LosesOnlyWhatTheManualSays) {
    Settings settings;
    settings.Init.TimeRatio = 1;
    const QString source = U(GetParam().source).replace(u'|', CrLf);
    const bool timeTag = FindTimeTag(source) >= 0;
    const QString back =
        timeTag ? Convert(ModeLrcToTimeTag, Convert(ModeTimeTagToLrc, source, settings), settings)
                : Convert(ModeTimeTagToLrc, Convert(ModeLrcToTimeTag, source, settings), settings);
    EXPECT_EQ(back.split(CrLf, Qt::SkipEmptyParts)
                  .filter(QRegularExpression(QStringLiteral("^(?!@TimeRatio=1$)")))
                  .join(u'|'),
              U(GetParam().back));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LrcRoundTripLossTest,
    ::testing::Values(
        LossCase{"OtherHeaderKeys", "@Title=T|@BgFile=b|@EditedBy=E|[00:01:00]a",
                 "[00:01:00]a|@Title=T"},
        LossCase{"RatioAndOffset", "@TimeRatio=0.5|@Offset=100|[00:01:00]a", "[00:02:10]a"},
        LossCase{"OtherTagsAndTheOffset", "[au:x]|[offset:100]|[length:3:00]|[00:01.00]a",
                 "[00:00.90]a"},
        LossCase{"MillisecondsAndBeyondTheTagRange", "[00:01.234]a|[100:00.00]b",
                 "[00:01.23]a|[99:59.99]b"},
        LossCase{"WordsReachingTheNextLine", "[00:01.00]<00:01.00>a<00:05.00>b|[00:03.00]c",
                 "[00:01.00]<00:01.00>a<00:03.00>b|[00:03.00]c"},
        LossCase{"OneWordStampAtTheLineTime", "[00:01.00]x<00:01.00>a", "[00:01.00]xa"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
