// The karaoke videos of mode t2v, read by programs nobody here wrote: ffprobe measures the
// streams, ffmpeg gives back the sound's packets and decodes the frames, mpv plays the file.
// The songs are a few seconds of tone made with sox and lame. A missing peer fails the test
// under CI=true and skips it elsewhere.
#include "TestFiles.h"
#include "audio/SongFileBuilders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

bool Installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromUtf8(program)).isEmpty();
}

#define REQUIRE_PROGRAMS(...)                                                                      \
    for (const char* program : {__VA_ARGS__})                                                      \
        if (!Installed(program)) {                                                                 \
            if (qEnvironmentVariable("CI") == u"true")                                             \
                FAIL() << program << " is missing (scripts/bootstrap installs it)";                \
            GTEST_SKIP() << program << " is not installed (scripts/bootstrap installs it)";        \
        }

struct Ran {
    int Exit = -1;
    QByteArray Out;
    QByteArray Err;
};

Ran RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// `seconds` of a quiet tone as a 128 kbit/s MP3 at `path`.
void MakeSong(const QString& path, double seconds) {
    const QString wav = path + QStringLiteral(".wav");
    ASSERT_EQ(RunProgram(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"),
                                          QStringLiteral("44100"), QStringLiteral("-c"),
                                          QStringLiteral("2"), wav, QStringLiteral("synth"),
                                          QString::number(seconds), QStringLiteral("sine"),
                                          QStringLiteral("440"), QStringLiteral("vol"),
                                          QStringLiteral("0.2")})
                  .Exit,
              0);
    ASSERT_EQ(RunProgram(QStringLiteral("lame"),
                  {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), wav, path})
                  .Exit,
              0);
    QFile::remove(wav);
}

// tavelkor-cli --mode t2v with the settings given, over the files; its report.
QString MakeVideos(const QStringList& settings, const QStringList& files) {
    QStringList arguments{QStringLiteral("--mode"), QStringLiteral("t2v")};
    for (const QString& setting : settings)
        arguments << QStringLiteral("--set") << setting;
    const Ran ran = RunProgram(QStringLiteral(TAVELKOR_CLI_PATH), arguments + files);
    return QString::fromUtf8(ran.Out + ran.Err);
}

QJsonObject Probe(const QString& file) {
    const Ran ran = RunProgram(QStringLiteral("ffprobe"),
                        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"),
                         QStringLiteral("json"), QStringLiteral("-show_streams"),
                         QStringLiteral("-show_format"), file});
    return QJsonDocument::fromJson(ran.Out).object();
}

double FormatDuration(const QString& file) {
    return Probe(file)[u"format"][u"duration"].toString().toDouble();
}

// The MPEG audio frames of an MP3 as lame wrote it: past the ID3v2 tag and the Xing/Info
// frame that describes the stream, up to an ID3v1 tag.
QByteArray AudioFrames(QByteArray mp3) {
    if (mp3.startsWith("ID3")) {
        const auto b = [&](int i) { return int(quint8(mp3[i])) & 0x7f; };
        mp3 = mp3.mid(10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)));
    }
    if (mp3.size() >= 128 && mp3.right(128).startsWith("TAG"))
        mp3.chop(128);
    const int first = mp3.indexOf("Xing") >= 0 ? mp3.indexOf("Xing") : mp3.indexOf("Info");
    if (first >= 0 && first < 64) {
        const int bitrates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
        const int length = 144000 * bitrates[quint8(mp3[2]) >> 4] / 44100 + ((mp3[2] >> 1) & 1);
        mp3 = mp3.mid(length);
    }
    return mp3;
}

// The sound of the video as MPEG frames, as ffmpeg copies them out.
QByteArray CopiedAudio(const QString& video) {
    return RunProgram(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-c"),
                QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("mp3"),
                QStringLiteral("-write_xing"), QStringLiteral("0"),
                QStringLiteral("-id3v2_version"), QStringLiteral("0"), QStringLiteral("-")})
        .Out;
}

// Every frame of the video as ffmpeg decodes it, in RGB.
QVector<QImage> Frames(const QString& video, int width, int height) {
    const QByteArray raw = RunProgram(QStringLiteral("ffmpeg"),
                               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                                video, QStringLiteral("-f"), QStringLiteral("rawvideo"),
                                QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                                QStringLiteral("-")})
                               .Out;
    QVector<QImage> frames;
    const qsizetype size = qsizetype(width) * height * 3;
    for (qsizetype at = 0; at + size <= raw.size(); at += size)
        frames << QImage(reinterpret_cast<const uchar*>(raw.constData() + at), width, height,
                         width * 3, QImage::Format_RGB888)
                      .copy();
    return frames;
}

// Pixels in the sung colour (yellow, #FFFF00): the unsung silver and the background are not.
int SungPixels(const QImage& frame) {
    int count = 0;
    for (int y = 0; y < frame.height(); ++y) {
        const uchar* line = frame.constScanLine(y);
        for (int x = 0; x < frame.width(); ++x) {
            const uchar* p = line + 3 * x;
            count += p[0] > 170 && p[1] > 170 && p[2] < 90;
        }
    }
    return count;
}

QString Tag(int ms) {
    return QStringLiteral("[%1:%2:%3]")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 10 % 100, 2, 10, QLatin1Char('0'));
}

// A generated karaoke document in real time (@TimeRatio=1) and the starts of its sung
// fragments. Times fall on 50 ms past a tenth of a second, so that at ten frames a second
// each lies between two frames; fragments are 300 ms or more apart.
struct Song {
    QString Text;
    QVector<int> SungStarts;
    int EndMs = 0;
};

struct SongShape {
    const char* Name;
    int Lines;
    int Words;       // per line
    bool Pauses;     // some words are followed by a rest
    bool Readings;   // lines hold kanji with @Ruby readings
    int CharsPerWord;
    int LinesAhead;  // T2S/Lines: lines shown while the one before is sung
};

Song Generate(const SongShape& shape, quint32 seed) {
    QRandomGenerator random(seed);
    Song song;
    QString header = QStringLiteral("@TimeRatio=1\r\n");
    QString body;
    const QString kana = QStringLiteral(u"あいうえおかきくけこさしすせそたちつてとなにぬねの");
    const QString kanji[] = {QStringLiteral(u"空"), QStringLiteral(u"海"), QStringLiteral(u"星")};
    const QString readings[] = {QStringLiteral(u"そら"), QStringLiteral(u"うみ"),
                                QStringLiteral(u"ほし")};
    int ms = 550;
    for (int line = 0; line < shape.Lines; ++line) {
        for (int word = 0; word < shape.Words; ++word) {
            QString text;
            if (shape.Readings && word % 2 == 1) {
                const int k = int(random.bounded(3));
                text = kanji[k];
                header += QStringLiteral("@Ruby%1=%2,%3\r\n")
                              .arg(line * shape.Words + word + 1)
                              .arg(kanji[k], readings[k]);
            } else {
                for (int c = 0; c < shape.CharsPerWord; ++c)
                    text += kana[int(random.bounded(kana.size()))];
            }
            body += Tag(ms) + text;
            song.SungStarts << ms;
            ms += 300 + 100 * int(random.bounded(4));
            if (shape.Pauses && random.bounded(3) == 0) {
                body += Tag(ms);
                ms += 300 + 100 * int(random.bounded(3));
            }
        }
        body += Tag(ms) + QStringLiteral("\r\n");
        ms += 300 + 100 * int(random.bounded(3));
    }
    song.Text = header + body;
    song.EndMs = ms;
    return song;
}

class VideoPeers : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_PROGRAMS("ffmpeg", "ffprobe", "sox", "lame"); }
    TestFolder folder_;
};

// The streams: H.264 of the chosen size and rate, the song's MPEG frames bit for bit (from an
// MP3 and from the MPEG data inside an RMP), or AAC when asked for; as long as the song to
// within a frame; mpv plays it to the end.
TEST_F(VideoPeers, StreamsHoldTheSongAsItIs) {
    REQUIRE_PROGRAMS("mpv");
    const QString mp3 = folder_.File("song.mp3");
    MakeSong(mp3, 2.5);
    const QByteArray lyrics = "[00:00:50]あい[00:01:00]うえ[00:01:50]\r\n";
    folder_.Put(QStringLiteral("song.txt"), lyrics);
    folder_.Put(QStringLiteral("rmp/song.txt"), lyrics);
    folder_.Put(QStringLiteral("rmp/song.rmp"), RmpFile(ReadBytes(mp3)));
    folder_.Put(QStringLiteral("aac/song.txt"), lyrics);
    QFile::copy(mp3, folder_.File("aac/song.mp3"));
    const QString report =
        MakeVideos({}, {folder_.File("song.txt"), folder_.File("rmp/song.txt")}) +
        MakeVideos({QStringLiteral("T2V/Audio=aac"), QStringLiteral("T2V/Fps=25")},
                   {folder_.File("aac/song.txt")});
    EXPECT_EQ(report.count(QStringLiteral(u"00.変換成功")), 3) << report.toStdString();

    const double song = FormatDuration(mp3);
    const QByteArray frames = AudioFrames(ReadBytes(mp3));
    ASSERT_GT(frames.size(), 10000);
    for (const char* name : {"song.mp4", "rmp/song.mp4", "aac/song.mp4"}) {
        SCOPED_TRACE(name);
        const QString video = folder_.File(name);
        const bool aac = QString::fromUtf8(name).startsWith(u"aac");
        const QJsonObject probe = Probe(video);
        const QJsonArray streams = probe[u"streams"].toArray();
        ASSERT_EQ(streams.size(), 2);
        EXPECT_EQ(streams[0][u"codec_name"].toString(), u"h264");
        EXPECT_EQ(streams[0][u"width"].toInt(), 1280);
        EXPECT_EQ(streams[0][u"height"].toInt(), 720);
        EXPECT_EQ(streams[0][u"pix_fmt"].toString(), u"yuv420p");
        EXPECT_EQ(streams[0][u"r_frame_rate"].toString(), aac ? u"25/1" : u"30/1");
        EXPECT_EQ(streams[1][u"codec_name"].toString(), aac ? u"aac" : u"mp3");
        EXPECT_NEAR(probe[u"format"][u"duration"].toString().toDouble(), song,
                    aac ? 1.0 / 25 : 1.0 / 30);
        if (!aac)
            EXPECT_EQ(QCryptographicHash::hash(CopiedAudio(video), QCryptographicHash::Sha256),
                      QCryptographicHash::hash(frames, QCryptographicHash::Sha256));
        const Ran played = RunProgram(QStringLiteral("mpv"),
                               {QStringLiteral("--no-config"), QStringLiteral("--vo=null"),
                                QStringLiteral("--ao=null"), QStringLiteral("--msg-level=all=warn"),
                                video});
        EXPECT_EQ(played.Exit, 0);
        EXPECT_EQ(played.Out + played.Err, QByteArray()) << (played.Out + played.Err).toStdString();
    }
}

// The sung colour spreads at each fragment's start, to within a frame, and at no other time:
// in plain karaoke, across rests, with kanji carrying readings, in lines long enough to wrap
// and with lines shown ahead of their turn.
TEST_F(VideoPeers, SungColourRisesAtEachFragmentStart) {
    const SongShape shapes[] = {
        {"karaoke", 3, 4, false, false, 1, 1},   {"rests", 3, 4, true, false, 1, 1},
        {"readings", 2, 4, false, true, 1, 1},   {"long lines", 2, 6, false, false, 4, 1},
        {"lines ahead", 4, 3, true, false, 2, 3},
    };
    constexpr int Width = 640, Height = 360, Fps = 10;
    quint32 seed = 20261208;
    for (const SongShape& shape : shapes) {
        SCOPED_TRACE(shape.Name);
        const Song song = Generate(shape, ++seed);
        const QString base = folder_.File(QString::fromUtf8(shape.Name).replace(u' ', u'-'));
        folder_.Put(QFileInfo(base).fileName() + QStringLiteral(".txt"), song.Text.toUtf8());
        MakeSong(base + QStringLiteral(".mp3"), (song.EndMs + 500) / 1000.0);
        const QString report = MakeVideos(
            {QStringLiteral("T2V/Width=%1").arg(Width), QStringLiteral("T2V/Height=%1").arg(Height),
             QStringLiteral("T2V/Fps=%1").arg(Fps), QStringLiteral("T2X/AssKaraoke=k"),
             QStringLiteral("T2X/AssFontSize=96"), QStringLiteral("T2S/Lines=%1").arg(shape.LinesAhead)},
            {base + QStringLiteral(".txt")});
        ASSERT_TRUE(report.contains(QStringLiteral(u"00.変換成功"))) << report.toStdString();
        const QVector<QImage> frames = Frames(base + QStringLiteral(".mp4"), Width, Height);
        ASSERT_GE(frames.size(), song.EndMs * Fps / 1000);
        // Frame i shows the lyrics at i/Fps: a fragment starting at s is first sung in frame
        // ceil(s * Fps / 1000).
        QVector<int> expected;
        for (const int start : song.SungStarts)
            expected << (start * Fps + 999) / 1000;
        int previous = SungPixels(frames[0]);
        for (int i = 1; i < frames.size(); ++i) {
            const int count = SungPixels(frames[i]);
            const bool rose = count > previous + 20;
            const bool due = std::any_of(expected.begin(), expected.end(),
                                         [i](int e) { return std::abs(e - i) <= 1; });
            EXPECT_TRUE(!rose || due) << "rose at frame " << i << " (" << previous << " -> "
                                      << count << ") with no fragment starting";
            previous = count;
        }
        for (const int e : expected) {
            const int before = SungPixels(frames[std::max(0, e - 2)]);
            const int after = SungPixels(frames[std::min<qsizetype>(frames.size() - 1, e + 1)]);
            EXPECT_GT(after, before + 20) << "no rise around frame " << e;
        }
        if (!shape.Readings)
            continue;
        // The readings are drawn over their kanji and turn with them: the same song without
        // its @Ruby lines shows fewer sung pixels once a line is sung.
        folder_.Put(QStringLiteral("bare.txt"),
                    song.Text.split(QStringLiteral("\r\n"))
                        .filter(QRegularExpression(QStringLiteral("^(?!@Ruby)")))
                        .join(QStringLiteral("\r\n"))
                        .toUtf8());
        QFile::copy(base + QStringLiteral(".mp3"), folder_.File("bare.mp3"));
        MakeVideos({QStringLiteral("T2V/Width=%1").arg(Width),
                    QStringLiteral("T2V/Height=%1").arg(Height), QStringLiteral("T2V/Fps=%1").arg(Fps),
                    QStringLiteral("T2X/AssKaraoke=k"), QStringLiteral("T2X/AssFontSize=96")},
                   {folder_.File("bare.txt")});
        const QVector<QImage> bare = Frames(folder_.File("bare.mp4"), Width, Height);
        const int lineSung = expected[shape.Words - 1] + 2;
        ASSERT_GT(bare.size(), lineSung);
        EXPECT_GT(SungPixels(frames[lineSung]), SungPixels(bare[lineSung]) + 20);
    }
}

// The background: the image @BgFile names in @BgFolder covers the frame away from the text;
// without one the colour of T2V/BackgroundColour does.
TEST_F(VideoPeers, BackgroundImageOrColourFillsTheFrame) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 255));
    QDir().mkpath(folder_.File("pictures"));
    ASSERT_TRUE(image.save(folder_.File("pictures/back.png")));
    folder_.Put(QStringLiteral("pictured.txt"),
                "@BgFolder=pictures\r\n@BgFile=back.png\r\n[00:00:20]あ[00:00:80]い[00:01:20]\r\n");
    folder_.Put(QStringLiteral("plain.txt"), "[00:00:20]あ[00:00:80]い[00:01:20]\r\n");
    MakeSong(folder_.File("pictured.mp3"), 1.5);
    QFile::copy(folder_.File("pictured.mp3"), folder_.File("plain.mp3"));
    const QString report =
        MakeVideos({QStringLiteral("T2V/Width=320"), QStringLiteral("T2V/Height=180"),
                    QStringLiteral("T2V/BackgroundColour=#C04000")},
                   {folder_.File("pictured.txt"), folder_.File("plain.txt")});
    EXPECT_EQ(report.count(QStringLiteral(u"00.変換成功")), 2) << report.toStdString();
    const QRgb wanted[] = {qRgb(0, 128, 255), qRgb(0xC0, 0x40, 0)};
    const char* names[] = {"pictured.mp4", "plain.mp4"};
    for (int n = 0; n < 2; ++n) {
        const QVector<QImage> frames = Frames(folder_.File(names[n]), 320, 180);
        ASSERT_FALSE(frames.isEmpty()) << names[n];
        for (const QPoint at : {QPoint(8, 8), QPoint(300, 20), QPoint(160, 60)}) {
            const QRgb pixel = frames[frames.size() / 2].pixel(at);
            EXPECT_NEAR(qRed(pixel), qRed(wanted[n]), 12) << names[n];
            EXPECT_NEAR(qGreen(pixel), qGreen(wanted[n]), 12) << names[n];
            EXPECT_NEAR(qBlue(pixel), qBlue(wanted[n]), 12) << names[n];
        }
    }
}

// Lyrics in the other formats make the same video: LRC (as t2l writes it) and ASS, TTML and
// WebVTT (as t2x writes them) turn the first word at its time.
TEST_F(VideoPeers, LyricsInEveryFormatTurnAtTheirTimes) {
    const QByteArray timeTag = "@TimeRatio=1\r\n[00:00:50]かぜ[00:01:20]のうた[00:02:00]\r\n";
    const QStringList small{QStringLiteral("T2V/Width=320"), QStringLiteral("T2V/Height=180"),
                            QStringLiteral("T2V/Fps=10"), QStringLiteral("T2X/AssKaraoke=k"),
                            QStringLiteral("T2X/AssFontSize=120")};
    for (const char* format : {"lrc", "ass", "ttml", "vtt"}) {
        SCOPED_TRACE(format);
        const QString name = QString::fromUtf8(format);
        const QString source = folder_.Put(name + QStringLiteral("/song.txt"), timeTag);
        RunProgram(QStringLiteral(TAVELKOR_CLI_PATH),
                   name == u"lrc" ? QStringList{QStringLiteral("--mode=t2l"), source}
                                  : QStringList{QStringLiteral("--mode=t2x"),
                                                QStringLiteral("--to=") + name, source});
        ASSERT_TRUE(QFile::remove(source));
        MakeSong(folder_.File(name + QStringLiteral("/song.mp3")), 2.5);
        const QString report =
            MakeVideos(small, {folder_.File(name + QStringLiteral("/song.") + name)});
        ASSERT_TRUE(report.contains(QStringLiteral(u"00.変換成功"))) << report.toStdString();
        const QVector<QImage> frames =
            Frames(folder_.File(name + QStringLiteral("/song.mp4")), 320, 180);
        ASSERT_GE(frames.size(), 20);
        // The first word is sung from 0.5 s (frame 5), the second from 1.2 s (frame 12).
        EXPECT_EQ(SungPixels(frames[3]), 0);
        EXPECT_GT(SungPixels(frames[7]), 20);
        EXPECT_GT(SungPixels(frames[14]), SungPixels(frames[10]) + 20);
    }
}

// A file without a song gets 13 and says what was looked for; Ctrl+C while a video is being
// made stops it with 07 and leaves neither the video nor its temporary file.
TEST_F(VideoPeers, MissingSongAndInterruptLeaveNothing) {
    folder_.Put(QStringLiteral("alone.txt"), "[00:00:20]あ[00:00:80]\r\n");
    const QString alone = MakeVideos({}, {folder_.File("alone.txt")});
    EXPECT_TRUE(alone.contains(QStringLiteral(u"13.")) && alone.contains(QStringLiteral(".mp3")))
        << alone.toStdString();

    folder_.Put(QStringLiteral("long.txt"), "[00:00:20]あ[00:00:80]い[01:00:00]\r\n");
    MakeSong(folder_.File("long.mp3"), 120);
    QProcess cli;
    cli.start(QStringLiteral(TAVELKOR_CLI_PATH),
              {QStringLiteral("--mode"), QStringLiteral("t2v"), folder_.File("long.txt")});
    ASSERT_TRUE(cli.waitForStarted());
    const QDir dir(folder_.Path());
    bool started = false;
    for (int wait = 0; wait < 600 && !started && cli.state() == QProcess::Running; ++wait) {
        cli.waitForFinished(100);
        started = !dir.entryList({QStringLiteral(".long.mp4.*")}, QDir::Files | QDir::Hidden)
                       .isEmpty();
    }
    ASSERT_TRUE(started) << "the video was never begun";
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QString report = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_TRUE(report.contains(QStringLiteral(u"07.処理キャンセル"))) << report.toStdString();
    EXPECT_EQ(dir.entryList({QStringLiteral("*.mp4*")}, QDir::Files | QDir::Hidden),
              QStringList());
}

} // namespace
