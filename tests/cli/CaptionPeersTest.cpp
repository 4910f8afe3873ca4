// The captions mode t2x writes, read by the programs people watch them with: libass (through
// ffmpeg's subtitles filter) renders the ASS karaoke, ffprobe and ffmpeg read the cues, and
// the npm readers ass-compiler, @applemusic-like-lyrics/lyric and webvtt-parser parse ASS, TTML
// and WebVTT. A missing peer fails the test under CI=true and skips it elsewhere.
#include "CaptionPeers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// What a peer program understood of each file, one JSON document per line.
QVector<QJsonObject> ReadWithNpm(const char* format, const Written& written,
                                 const char* extension) {
    QStringList arguments{NpmFolder + QStringLiteral("/read-captions.mjs"),
                          QString::fromUtf8(format)};
    for (const QString& base : written.bases)
        arguments << base + u'.' + QString::fromUtf8(extension);
    QVector<QJsonObject> results;
    for (const QByteArray& line : Output(QStringLiteral("node"), arguments).split('\n'))
        if (!line.isEmpty())
            results << QJsonDocument::fromJson(line).object();
    return results;
}

// Cue starts and ends as ffmpeg reads them, converted to SRT.
QStringList FfmpegCues(const QString& file) {
    static const QRegularExpression cue(
        QStringLiteral(
            "^(\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d) --> (\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d)"),
        QRegularExpression::MultilineOption);
    QStringList cues;
    const QString srt = QString::fromUtf8(
        Output(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file,
                QStringLiteral("-f"), QStringLiteral("srt"), QStringLiteral("-")}));
    for (auto m = cue.globalMatch(srt); m.hasNext();) {
        const QRegularExpressionMatch match = m.next();
        auto ms = [&](int at) {
            return ((match.captured(at).toInt() * 60 + match.captured(at + 1).toInt()) * 60 +
                    match.captured(at + 2).toInt()) *
                       1000 +
                   match.captured(at + 3).toInt();
        };
        cues << QStringLiteral("%1-%2").arg(ms(1)).arg(ms(5));
    }
    return cues;
}

QString Trimmed(const QString& text) { return text.simplified(); }

// Generated lyrics with readings ("@RubyN" lines).
QString RubyTimeTag(DocumentGenerator& g) { return WithRuby(g, CaptionTimeTag(g)); }

// The words the AMLL reader gives for a line we write: every word with text as
// "start-end:text" (a word that a reading's edge cuts gives each piece so), and each reading as
// one word "0-0:base": the reader takes a reading's time and text only from a text container
// (its own pairing, which TTML2 does not allow), so a base paired with a text is a word of no
// time and no reading.
QStringList AmllWords(const TimedLine& line, const QVector<RubySpan>& ruby) {
    QStringList out;
    qsizetype at = 0;
    qsizetype next = 0; // the next reading
    QString base;
    for (qsizetype w = 0; w < line.Words.size(); ++w) {
        const QString& text = line.Words[w].Text;
        const int start = line.Words[w].StartMs;
        const int end = w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : line.EndMs;
        for (qsizetype c = 0; c < text.size();) {
            const bool inside = next < ruby.size() && ruby[next].From <= at + c;
            qsizetype to = text.size();
            if (next < ruby.size()) {
                const qsizetype edge =
                    (inside ? ruby[next].From + ruby[next].Length : ruby[next].From) - at;
                to = std::min(to, edge);
            }
            const QString piece = text.mid(c, to - c);
            if (inside) {
                base += piece;
                if (at + to == ruby[next].From + ruby[next].Length) {
                    if (!Trimmed(base).isEmpty())
                        out << QStringLiteral("0-0:") + Trimmed(base);
                    base.clear();
                    ++next;
                }
            } else if (!Trimmed(piece).isEmpty()) {
                out << QStringLiteral("%1-%2:").arg(start).arg(end) + Trimmed(piece);
            }
            c = to;
        }
        at += text.size();
    }
    return out;
}

TEST(CaptionPeers, NpmReadersUnderstandEveryLineWordAndTime) {
    REQUIRE_PEER(HasNpmPeers(), "Node.js with the npm packages of tests/peers/npm");
    Written written;
    WriteCaptions(written, 20, {}, &RubyTimeTag);
    const QVector<QJsonObject> ass = ReadWithNpm("ass", written, "ass");
    const QVector<QJsonObject> ttml = ReadWithNpm("ttml", written, "ttml");
    const QVector<QJsonObject> vtt = ReadWithNpm("vtt", written, "vtt");
    ASSERT_EQ(ass.size(), 20);
    ASSERT_EQ(ttml.size(), 20);
    ASSERT_EQ(vtt.size(), 20);
    for (int n = 0; n < 20; ++n) {
        const std::string name = written.bases[n].toStdString();
        // ass-compiler: every Dialogue's times, and the karaoke durations word by word.
        const TimedLyrics keptAss = Kept(WordFormat::Ass, written.lyrics[n]);
        const QJsonArray assLines = ass[n][QStringLiteral("lines")].toArray();
        ASSERT_EQ(assLines.size(), keptAss.Lines.size()) << name;
        for (qsizetype l = 0; l < assLines.size(); ++l) {
            const QJsonObject line = assLines[l].toObject();
            const TimedLine& expected = keptAss.Lines[l];
            EXPECT_EQ(line[QStringLiteral("start")].toInt(), expected.StartMs) << name;
            EXPECT_EQ(line[QStringLiteral("end")].toInt(), expected.EndMs) << name;
            QStringList words;
            for (const QJsonValue word : line[QStringLiteral("words")].toArray())
                words << QStringLiteral("%1:").arg(word[QStringLiteral("start")].toInt()) +
                             word[QStringLiteral("text")].toString();
            QStringList expectedWords;
            for (const TimedWord& word : expected.Words)
                expectedWords << QStringLiteral("%1:").arg(word.StartMs) + word.Text;
            EXPECT_EQ(words, expectedWords) << name;
            if (expected.WordTimed) // the durations add up to the Dialogue
                EXPECT_EQ(line[QStringLiteral("karaokeEnd")].toInt(), expected.EndMs) << name;
        }
        // The AMLL reader: the same lines, words and times to the millisecond.
        // Every word with text is a span up to the next word's start (a pause's too); a
        // reading's container is one word without time or reading.
        const TimedLyrics& keptTtml = written.lyrics[n];
        const TimedLyrics keptRuby = Kept(WordFormat::Ttml, written.lyrics[n]);
        const QJsonArray ttmlLines = ttml[n][QStringLiteral("lines")].toArray();
        EXPECT_TRUE(ttml[n][QStringLiteral("errors")].toArray().isEmpty()) << name;
        ASSERT_EQ(ttmlLines.size(), keptTtml.Lines.size()) << name;
        for (qsizetype l = 0; l < ttmlLines.size(); ++l) {
            const QJsonObject line = ttmlLines[l].toObject();
            const TimedLine& expected = keptTtml.Lines[l];
            EXPECT_EQ(line[QStringLiteral("start")].toInt(), expected.StartMs) << name;
            EXPECT_EQ(line[QStringLiteral("end")].toInt(), expected.EndMs) << name;
            QStringList words;
            for (const QJsonValue word : line[QStringLiteral("words")].toArray())
                words << QStringLiteral("%1-%2:")
                                 .arg(word[QStringLiteral("start")].toInt())
                                 .arg(word[QStringLiteral("end")].toInt()) +
                             Trimmed(word[QStringLiteral("text")].toString()) +
                             (word[QStringLiteral("ruby")].toString().isEmpty()
                                  ? QString()
                                  : u'[' + word[QStringLiteral("ruby")].toString() + u']');
            EXPECT_EQ(words, AmllWords(expected, keptRuby.Lines[l].Ruby)) << name;
        }
        // webvtt-parser: no complaint, the same cue times and inline timestamps.
        const TimedLyrics keptVtt = Kept(WordFormat::Vtt, written.lyrics[n]);
        EXPECT_TRUE(vtt[n][QStringLiteral("errors")].toArray().isEmpty())
            << name << " " << QJsonDocument(vtt[n]).toJson().toStdString();
        const QJsonArray cues = vtt[n][QStringLiteral("lines")].toArray();
        ASSERT_EQ(cues.size(), keptVtt.Lines.size()) << name;
        for (qsizetype l = 0; l < cues.size(); ++l) {
            const QJsonObject cue = cues[l].toObject();
            QStringList times{QString::number(cue[QStringLiteral("start")].toInt()),
                              QString::number(cue[QStringLiteral("end")].toInt())};
            for (const QJsonValue word : cue[QStringLiteral("words")].toArray())
                times << QString::number(word[QStringLiteral("start")].toInt());
            const TimedLine& expected = keptVtt.Lines[l];
            QStringList expectedTimes{QString::number(expected.StartMs),
                                      QString::number(expected.EndMs),
                                      QString::number(expected.StartMs)};
            for (qsizetype w = 1; w < expected.Words.size(); ++w)
                expectedTimes << QString::number(expected.Words[w].StartMs);
            EXPECT_EQ(times, expectedTimes) << name;
        }
    }
}

TEST(CaptionPeers, FfmpegReadsEveryCueOfTheSrtWebVttAndAss) {
    REQUIRE_PEER(HasProgram("ffmpeg") && HasProgram("ffprobe"), "ffmpeg");
    Written written;
    // FFmpeg (5.1 at least) reads no cue after a WebVTT STYLE block, so it gets the file
    // without one (T2X/VttStyle).
    WriteCaptions(written, 20, {QStringLiteral("T2X/VttStyle=False")}, &RubyTimeTag);
    for (int n = 0; n < 20; ++n) {
        QStringList expected;
        for (const TimedLine& line : written.lyrics[n].Lines)
            expected << QStringLiteral("%1-%2").arg(line.StartMs).arg(line.EndMs);
        EXPECT_EQ(FfmpegCues(written.bases[n] + QStringLiteral(".srt")), expected);
        EXPECT_EQ(FfmpegCues(written.bases[n] + QStringLiteral(".vtt")), expected);
        QStringList dialogues;
        const QString probed = QString::fromUtf8(
            Output(QStringLiteral("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                    QStringLiteral("packet=pts_time,duration_time"), QStringLiteral("-of"),
                    QStringLiteral("csv=p=0"), written.bases[n] + QStringLiteral(".ass")}));
        for (const QString& packet : probed.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList times = packet.split(u',');
            const int start = qRound(times.value(0).toDouble() * 1000);
            dialogues << QStringLiteral("%1-%2").arg(start).arg(
                start + qRound(times.value(1).toDouble() * 1000));
        }
        QStringList expectedDialogues;
        for (const TimedLine& line : Kept(WordFormat::Ass, written.lyrics[n]).Lines)
            expectedDialogues << QStringLiteral("%1-%2").arg(line.StartMs).arg(line.EndMs);
        EXPECT_EQ(dialogues, expectedDialogues) << written.bases[n].toStdString();
    }
}

// Short karaoke songs for rendering: a few lines of a few words (no blanks, so that every word
// shows), each line ended by a tag before the next one starts.
QString RenderedTimeTag(DocumentGenerator& g) {
    QString text = QStringLiteral("@TimeRatio=1\r\n");
    int cs = g.Between(5, 30);
    for (int l = 0, lines = g.Between(1, 3); l < lines; ++l) {
        for (int w = 0, words = g.Between(1, 3); w < words; ++w) {
            text += Tag(cs * 10) + (w > 0 && g.Between(0, 4) == 0 ? QString() : g.Text(3, false));
            cs += g.Between(8, 40);
        }
        text += Tag(cs * 10) + CrLf;
        cs += g.Between(10, 40);
    }
    return text;
}

TEST(CaptionPeers, LibassTurnsEachWordToTheSungColourAtItsTimeAndAtNoOtherTime) {
    REQUIRE_PEER(HasProgram("ffmpeg"), "ffmpeg with libass");
    Written written;
    // With readings in the templates' furigana syntax: a plain renderer shows "base|reading"
    // as the syllable's text, turning at the syllable's time like any other.
    WriteCaptions(written, 20,
                  {QStringLiteral("T2X/AssKaraoke=k"), QStringLiteral("T2X/AssFontSize=160"),
                   QStringLiteral("T2X/AssFurigana=True")},
                  [](DocumentGenerator& g) { return WithRuby(g, RenderedTimeTag(g)); });
    constexpr int width = 320, height = 180, frameBytes = width * height * 3;
    for (int n = 0; n < 20; ++n) {
        const TimedLyrics& lyrics = written.lyrics[n];
        const int frames = lyrics.Lines.last().EndMs / 10 + 20;
        const QByteArray video =
            Output(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("color=c=black:s=%1x%2:r=100:d=%3")
                        .arg(width)
                        .arg(height)
                        .arg(frames / 100.0),
                    QStringLiteral("-vf"),
                    QStringLiteral("subtitles=") + written.bases[n] + QStringLiteral(".ass"),
                    QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                    QStringLiteral("rgb24"), QStringLiteral("-")});
        ASSERT_GE(video.size(), qsizetype(frames - 1) * frameBytes);
        // The frames (10 ms each) at which more pixels are in the sung colour than before.
        QList<int> rises;
        int before = 0;
        for (int f = 0; f * frameBytes + frameBytes <= video.size(); ++f) {
            const uchar* p =
                reinterpret_cast<const uchar*>(video.constData()) + qsizetype(f) * frameBytes;
            int sung = 0;
            for (int i = 0; i < frameBytes; i += 3)
                sung += p[i] > 150 && p[i + 1] > 150 && p[i + 2] < 100;
            if (sung > before)
                rises << f;
            before = sung;
        }
        QList<int> words; // every word with text turns at its start
        for (const TimedLine& line : lyrics.Lines)
            for (const TimedWord& word : line.Words)
                if (!word.Text.isEmpty())
                    words << (word.StartMs + 5) / 10;
        const std::string ass = ReadBytes(written.bases[n] + QStringLiteral(".ass")).toStdString();
        ASSERT_EQ(rises.size(), words.size()) << ass;
        for (qsizetype i = 0; i < words.size(); ++i)
            EXPECT_LE(std::abs(rises[i] - words[i]), 1) << ass;
    }
}

} // namespace
