// The cues of the WebVTT and SRT writers: inline timestamps strictly inside their cue for
// generated lines full of edge cases (words at the cue's start, at its end, at the same time
// as the word before, zero-length lines), and cues numbered 1, 2, 3... whatever their times.
#include "formats/VttWriter.h"
#include "DocumentGenerator.h"
#include "formats/CaptionText.h"
#include "formats/SrtWriter.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// A line of 1 to 6 words whose starts often repeat or sit on the line's start or end.
TimedLine GeneratedLine(DocumentGenerator& generate) {
    TimedLine line;
    line.StartMs = generate.Between(0, 3) == 0 ? 0 : generate.Between(0, 400000);
    line.WordTimed = generate.Between(0, 5) > 0;
    int ms = line.StartMs;
    const int words = line.WordTimed ? generate.Between(1, 6) : 1;
    for (int w = 0; w < words; ++w) {
        const int step = generate.Between(0, 2) == 0 ? 0 : generate.Between(1, 3) == 1 ? 1 : 700;
        ms += w == 0 ? 0 : step;
        line.Words.append({generate.Between(0, 6) == 0 ? QString() : generate.Text(4, true), ms});
    }
    const int tail = generate.Between(0, 3);
    line.EndMs = ms + (tail == 0 ? 0 : tail == 1 ? 1 : 900);
    if (line.Words.first().Text.isEmpty())
        line.Words.first().Text = generate.Text(3, false);
    return line;
}

} // namespace

TEST(CaptionCues, VttTimestampsLieStrictlyInsideTheirCueAndKeepEveryWord) {
    static const QRegularExpression cueTimes(
        QStringLiteral("([\\d:.]+) --> ([\\d:.]+)\r\n"));
    static const QRegularExpression stamp(QStringLiteral("<([\\d:.]+)>"));
    for (unsigned seed = 1; seed <= 300; ++seed) {
        DocumentGenerator generate(seed);
        TimedLyrics lyrics;
        for (int n = generate.Between(1, 5); n > 0; --n)
            lyrics.Lines.append(GeneratedLine(generate));
        const QString vtt = MakeVttText(lyrics, QString(), QString());
        QStringList cues = vtt.split(QStringLiteral("\r\n\r\n"));
        cues.removeFirst(); // "WEBVTT"
        ASSERT_EQ(cues.size(), lyrics.Lines.size()) << seed;
        for (qsizetype i = 0; i < cues.size(); ++i) {
            const QRegularExpressionMatch times = cueTimes.match(cues[i]);
            ASSERT_TRUE(times.hasMatch()) << seed << cues[i].toStdString();
            EXPECT_TRUE(cues[i].startsWith(QString::number(i + 1) + CrLf)) << seed;
            const int start = *ParseClockTime(times.captured(1));
            const int end = *ParseClockTime(times.captured(2));
            QString body = cues[i].mid(times.capturedEnd());
            if (body.endsWith(CrLf))
                body.chop(2);
            int last = start;
            for (const QRegularExpressionMatch& match : stamp.globalMatch(body)) {
                const int at = *ParseClockTime(match.captured(1));
                EXPECT_GT(at, last) << "seed " << seed << ", cue " << i << ": "
                                    << cues[i].toStdString();
                EXPECT_LT(at, end) << "seed " << seed << ", cue " << i << ": "
                                   << cues[i].toStdString();
                last = at;
            }
            // Every piece of text is a <c> span (the element a browser colours).
            QString text = QString(body).remove(stamp);
            text.remove(QStringLiteral("<c>")).remove(QStringLiteral("</c>"));
            EXPECT_EQ(text, lyrics.Lines[i].Text().toHtmlEscaped()
                                                      .replace(QStringLiteral("&quot;"), QStringLiteral("\"")))
                << seed;
        }
    }
}

TEST(CaptionCues, SrtCuesAreNumberedFromOneWhateverTheirTimes) {
    const QVector<int> cases[] = {{0}, {1000, 2000}, {3000, 3000, 3000}, {5000, 1000, 9000, 0}};
    for (const QVector<int>& starts : cases) {
        TimedLyrics lyrics;
        for (const int start : starts)
            lyrics.Lines.append({start, start + 500, false, {{QStringLiteral("1"), start}}, {}});
        const QStringList cues = MakeSrtText(lyrics).split(QStringLiteral("\r\n\r\n"));
        ASSERT_EQ(cues.size(), starts.size());
        for (qsizetype i = 0; i < cues.size(); ++i)
            EXPECT_EQ(cues[i].section(CrLf, 0, 0), QString::number(i + 1)) << starts.size();
    }
}
