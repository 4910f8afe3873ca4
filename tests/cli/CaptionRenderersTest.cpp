// The captions of mode t2x as the players that show them take them: GStreamer's TTML parser
// gives the words at their times, ffmpeg shows SRT lyrics that look like markup as text, and
// libass keeps long karaoke lines inside the picture.
#include "CaptionPeers.h"

#include "formats/CaptionText.h"
#include "formats/SrtWriter.h"

#include <QRegularExpression>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// One TimeTag file (real times) written by tavelkor-cli as `formats`; the path without extension.
QString WriteSong(const TestFolder& folder, const QString& timeTag, const QString& formats,
                  const QStringList& settings = {}) {
    const QString base = folder.File("song");
    EXPECT_TRUE(WriteBytes(base + QStringLiteral(".txt"),
                           (QStringLiteral("@TimeRatio=1\r\n") + timeTag).toUtf8()));
    QStringList arguments{QStringLiteral("--mode=t2x"), QStringLiteral("--to=") + formats,
                          QStringLiteral("--set"), QStringLiteral("Init/OverWrite=True")};
    for (const QString& setting : settings)
        arguments << QStringLiteral("--set") << setting;
    Output(QStringLiteral(TAVELKOR_CLI_PATH), arguments << base + QStringLiteral(".txt"));
    return base;
}

// The buffers ttmlparse gives for a TTML file, as "start-end:text" in milliseconds (the text
// with its blanks simplified); buffers of blanks only are left out. gst-launch prints the times
// and the bytes from different threads, so each comes from a run of its own.
QStringList GstBuffers(const QString& file) {
    auto run = [&](const char* flag, const char* sinkProperty) {
        return QString::fromUtf8(
            Output(QStringLiteral("gst-launch-1.0"),
                   Words(flag) << QStringLiteral("filesrc") << QStringLiteral("location=") + file
                               << Words("! ttmlparse ! fakesink") << Words(sinkProperty)));
    };
    static const QRegularExpression chain(
        QStringLiteral("chain .*pts: (\\d+):(\\d\\d):(\\d\\d)\\.(\\d{3})\\d+, "
                       "duration: (\\d+):(\\d\\d):(\\d\\d)\\.(\\d{3})"));
    static const QRegularExpression dump(
        QStringLiteral("^([0-9a-f]{8}) \\(0x[0-9a-f]+\\): ((?:[0-9a-f]{2} )+)"));
    QStringList times;
    for (const QString& line : run("-v", "silent=false").split(u'\n')) {
        if (const auto m = chain.match(line); m.hasMatch()) {
            auto ms = [&](int at) {
                return ((m.captured(at).toLongLong() * 60 + m.captured(at + 1).toInt()) * 60 +
                        m.captured(at + 2).toInt()) *
                           1000 +
                       m.captured(at + 3).toInt();
            };
            times << QStringLiteral("%1-%2").arg(ms(1)).arg(ms(1) + ms(5));
        }
    }
    QList<QByteArray> texts;
    for (const QString& line : run("-q", "dump=true").split(u'\n')) {
        if (const auto d = dump.match(line); d.hasMatch()) {
            if (d.captured(1) == u"00000000") // a buffer's first bytes
                texts.append(QByteArray());
            texts.last() += QByteArray::fromHex(d.captured(2).remove(u' ').toLatin1());
        }
    }
    EXPECT_EQ(times.size(), texts.size());
    QStringList buffers;
    for (qsizetype i = 0; i < std::min(times.size(), texts.size()); ++i) {
        const QString text = QString::fromUtf8(texts[i]).remove(QChar(0)).simplified();
        if (!text.isEmpty())
            buffers << times[i] + u':' + text;
    }
    return buffers;
}

TEST(CaptionRenderers, GStreamerTtmlParseGivesEachWordAtItsTime) {
    REQUIRE_PEER(HasProgram("gst-launch-1.0"), "gst-launch-1.0 (gstreamer1.0-tools)");
    const TestFolder folder;
    // A pause, a reading over a word's edge, a line past an hour.
    const QString base =
        WriteSong(folder,
                  U("@Ruby1=為替,かわせ\r\n"
                    "[00:01:00]Love [00:01:50]me[00:02:00][00:02:20]&<>[00:02:40]\r\n"
                    "[00:03:00]の為[00:03:50]替[00:04:00]\r\n"
                    "[62:03:00]x[62:04:00]\r\n"),
                  QStringLiteral("ttml"));
    EXPECT_EQ(
        GstBuffers(base + QStringLiteral(".ttml")),
        (QStringList{U("1000-1500:Love"), U("1500-2000:me"), U("2200-2400:&<>"),
                     U("3000-3500:の為かわせ"), U("3500-4000:替かわせ"), U("3723000-3724000:x")}))
        << ReadBytes(base + QStringLiteral(".ttml")).toStdString();
}

TEST(CaptionRenderers, FfmpegShowsSrtLyricsThatLookLikeMarkupAsText) {
    REQUIRE_PEER(HasProgram("ffmpeg"), "ffmpeg");
    const TestFolder folder;
    const QStringList lines{U("A&B <c> 🎤"), U("<b>bold</b> 1<2 a>b <<x>>"),
                            U("{\\i1}x {\\b1} a\\Nb \\n \\h")};
    QString timeTag;
    for (int i = 0; i < lines.size(); ++i)
        timeTag += QStringLiteral("[00:%1:00]").arg(i * 2 + 1, 2, 10, QChar(u'0')) + lines[i] +
                   QStringLiteral("[00:%1:00]\r\n").arg(i * 2 + 2, 2, 10, QChar(u'0'));
    const QString base = WriteSong(folder, timeTag, QStringLiteral("srt"));
    // ffmpeg's own subtitles are ASS events: their text, the invisible word joiners left out.
    const QString ass = QString::fromUtf8(
        Output(QStringLiteral("ffmpeg"),
               Words("-v error -i") << base + QStringLiteral(".srt") << Words("-f ass -")));
    QStringList shown;
    for (const QStringView line : SplitLines(ass))
        if (line.startsWith(u"Dialogue:"))
            shown << line.toString().section(u',', 9).remove(SrtWordJoiner);
    EXPECT_EQ(shown, lines) << ReadBytes(base + QStringLiteral(".srt")).toStdString();
}

// A line of `length` characters: Latin words of four letters with blanks, or kana and kanji.
QString LongLine(int length, bool japanese) {
    static const QString kana = U("あいうえおかきくけこ漢字さしすせそたちつてと");
    QString text;
    for (int i = 0; i < length; ++i)
        text += japanese ? kana[i % kana.size()] : i % 5 == 4 ? QChar(u' ') : QChar(u'a' + i % 26);
    return text;
}

TEST(CaptionRenderers, LibassKeepsLongKaraokeLinesInsideThePicture) {
    REQUIRE_PEER(HasProgram("ffmpeg"), "ffmpeg with libass");
    const TestFolder folder;
    const int lengths[] = {1, 10, 23, 36, 37, 38, 46, 60, 80};
    // One line a second (four words of a quarter second each, a hundredth of rest), Latin then
    // Japanese, at the default size; {\k}, so that a word turns whole at its start.
    QString timeTag;
    int second = 0;
    for (const bool japanese : {false, true}) {
        for (const int length : lengths) {
            const QString line = LongLine(length, japanese);
            for (int w = 0; w < 4; ++w)
                timeTag += QStringLiteral("[00:%1:%2]")
                               .arg(second, 2, 10, QChar(u'0'))
                               .arg(w * 25, 2, 10, QChar(u'0')) +
                           line.mid(w * length / 4, (w + 1) * length / 4 - w * length / 4);
            timeTag += QStringLiteral("[00:%1:99]\r\n").arg(second++, 2, 10, QChar(u'0'));
        }
    }
    const QString base =
        WriteSong(folder, timeTag, QStringLiteral("ass"), {QStringLiteral("T2X/AssKaraoke=k")});
    constexpr int width = 480, height = 270, frameBytes = width * height * 3;
    const QByteArray video = Output(
        QStringLiteral("ffmpeg"),
        Words("-v error -f lavfi -i")
            << QStringLiteral("color=c=black:s=%1x%2:r=20:d=%3").arg(width).arg(height).arg(second)
            << QStringLiteral("-vf") << QStringLiteral("subtitles=") + base + QStringLiteral(".ass")
            << Words("-f rawvideo -pix_fmt rgb24 -"));
    ASSERT_EQ(video.size(), qsizetype(second) * 20 * frameBytes);
    const std::string ass = ReadBytes(base + QStringLiteral(".ass")).toStdString();
    for (int line = 0; line < second; ++line) {
        // The first frame of the line (its first word sung) and its last (every word sung).
        for (const int frame : {line * 20 + 1, line * 20 + 19}) {
            const uchar* p =
                reinterpret_cast<const uchar*>(video.constData()) + qsizetype(frame) * frameBytes;
            int sung = 0, unsung = 0, outside = 0;
            for (int i = 0; i < frameBytes; i += 3) {
                const int x = i / 3 % width, y = i / 3 / width;
                const bool text = std::max({p[i], p[i + 1], p[i + 2]}) > 60;
                // The style's margins are 60 of 1920 wide and 60 of 1080 high: 15 pixels here.
                outside += text && (x < 4 || x >= width - 4 || y < 4);
                sung += p[i] > 150 && p[i + 1] > 150 && p[i + 2] < 100;
                unsung += p[i] > 150 && std::abs(p[i] - p[i + 2]) < 30;
            }
            const std::string where =
                "line " + std::to_string(line) + " frame " + std::to_string(frame) + "\n" + ass;
            EXPECT_EQ(outside, 0) << where;
            if (frame % 20 == 19) {
                EXPECT_GT(sung, 0) << where;
                EXPECT_EQ(unsung, 0) << where;
            } else if (lengths[line % std::size(lengths)] >= 4) {
                EXPECT_GT(sung, 0) << where;
                EXPECT_GT(unsung, 0) << where;
            }
        }
    }
}

} // namespace
