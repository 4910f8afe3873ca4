// The audio source against a click track that ffmpeg makes: decoded from WAV and MP3, played
// through a counting output at 1x, 0.75x and 0.5x with the speed switched while playing, the
// clock's song position where each click comes out lies within 5 ms of the click's time. The
// MPEG data of an RMP file decodes as the MP3 itself does; FLAC, Ogg, Opus and M4A decode with
// the clicks where they are.
#include "timing/SongPlayer.h"
#include "audio/SongFileBuilders.h"
#include "timing/TimingSong.h"

#include "TestFiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Plays nothing: the test pulls the frames and says how many have been played.
class CountingOutput : public SoundOutput {
public:
    bool Start(int, Source source) override {
        source_ = std::move(source);
        played = 0;
        return true;
    }
    void Stop() override { source_ = nullptr; }
    qint64 PlayedFrames() const override { return played; }
    int Pull(float* interleaved, int frames) { return source_ ? source_(interleaved, frames) : 0; }
    qint64 played = 0;

private:
    Source source_;
};

// Clicks: a 4 ms burst at 300 ms and then every 700 ms. A sample above half the burst's
// height is a click; the stretcher's smear before a click stays below it.
constexpr int FirstClickMs = 300;
constexpr int ClickEveryMs = 700;

bool MakeClickTrack(const QString& path) {
    const QString source = QStringLiteral(
        "aevalsrc='if(gte(t,0.3)*lt(mod(t-0.3,0.7),0.004),0.9*sin(2*PI*1000*t),0)':s=44100:d=7");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source,
                  QStringLiteral("-ac"), QStringLiteral("2"), path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// ffmpeg makes the click tracks: without it the tests skip, or fail where CI=true.
class SongPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            return;
        if (qgetenv("CI") == "true")
            FAIL() << "ffmpeg is not installed";
        GTEST_SKIP() << "ffmpeg is not installed";
    }
};

// Plays the song to its end, switching the speed at every step of `speeds` after 2 s of song
// time; gives, for each click heard, the clock's position minus the click's time.
std::vector<qint64> ClickErrors(const QString& path, const std::vector<double>& speeds) {
    auto song = std::make_shared<DecodedSong>(DecodeSong(path));
    EXPECT_TRUE(song->Error.isEmpty()) << song->Error.toStdString();
    auto output = std::make_unique<CountingOutput>();
    CountingOutput& out = *output;
    SongPlayer player(song, std::move(output));
    player.SetSpeed(speeds[0]);
    player.Play();
    std::vector<qint64> errors;
    size_t step = 0;
    qint64 quietSince = 0; // output frames since the last loud sample
    std::vector<float> block(2 * 512);
    while (true) {
        const int made = out.Pull(block.data(), 512);
        for (int i = 0; i < made; ++i) {
            if (std::abs(block[2 * i]) < 0.45f) {
                ++quietSince;
                continue;
            }
            if (quietSince > song->SampleRate / 5) {
                out.played += i;
                const qint64 position = player.PositionMs();
                out.played -= i;
                const qint64 nearest =
                    FirstClickMs +
                    std::max<qint64>(0,
                                     (position - FirstClickMs + ClickEveryMs / 2) / ClickEveryMs) *
                        ClickEveryMs;
                errors.push_back(position - nearest);
            }
            quietSince = 0;
        }
        out.played += made;
        if (made < 512)
            break;
        if (step + 1 < speeds.size() && player.PositionMs() >= 2000 * qint64(step + 1)) {
            player.SetSpeed(speeds[++step]);
            quietSince = 0; // the output starts afresh
        }
    }
    return errors;
}

TEST_F(SongPlayerTest, ClockPositionsMeetTheClicksAtEverySpeed) {
    TestFolder folder;
    const QString wav = folder.File("clicks.wav");
    ASSERT_TRUE(MakeClickTrack(wav));
    for (const std::vector<double>& speeds :
         {std::vector<double>{1}, {0.75}, {0.5}, {1, 0.5, 0.75}, {0.5, 1, 0.75}}) {
        const std::vector<qint64> errors = ClickErrors(wav, speeds);
        EXPECT_GE(errors.size(), 8u) << speeds[0];
        for (qint64 error : errors)
            EXPECT_LE(std::abs(error), 5) << "speeds from " << speeds[0];
    }
}

TEST_F(SongPlayerTest, DecodesTheFormatsKeptBesideLrcFilesOnTime) {
    TestFolder folder;
    const QString wav = folder.File("clicks.wav");
    ASSERT_TRUE(MakeClickTrack(wav));
    for (const char* extension : {"flac", "ogg", "opus", "m4a"}) {
        const QString song = folder.File("clicks.") + QString::fromLatin1(extension);
        ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"),
                                    {QStringLiteral("-v"), QStringLiteral("error"),
                                     QStringLiteral("-i"), wav, song}),
                  0)
            << extension;
        const std::vector<qint64> errors = ClickErrors(song, {1});
        EXPECT_GE(errors.size(), 8u) << extension;
        for (qint64 error : errors)
            EXPECT_LE(std::abs(error), 5) << extension;
    }
}

TEST_F(SongPlayerTest, DecodesMp3AndStopsAtTheEnd) {
    TestFolder folder;
    const QString wav = folder.File("clicks.wav");
    const QString mp3 = folder.File("clicks.mp3");
    ASSERT_TRUE(MakeClickTrack(wav));
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), wav,
                           QStringLiteral("-b:a"), QStringLiteral("192k"), mp3}),
        0);
    const std::vector<qint64> errors = ClickErrors(mp3, {1});
    EXPECT_GE(errors.size(), 8u);
    for (qint64 error : errors)
        EXPECT_LE(std::abs(error), 5);
    const DecodedSong song = DecodeSong(mp3);
    EXPECT_NEAR(double(song.DurationMs()), 7000, 60);
    EXPECT_FALSE(DecodeSong(folder.Put("noise.mp3", QByteArray(5000, 'x'))).Error.isEmpty());
    // The same MPEG data inside an RMP file, found beside its lyrics, decodes the same.
    folder.Put("rmp/clicks.rmp", RmpFile(ReadBytes(mp3), InfoList(QByteArray(40, 'i'))));
    const PreviewSong rmp = FindPreviewSong(folder.File("rmp/clicks.txt"));
    ASSERT_FALSE(rmp.WholeFile);
    const auto fromRmp = DecodeTimingSong(rmp);
    EXPECT_TRUE(fromRmp->Error.isEmpty());
    EXPECT_EQ(fromRmp->Frames(), song.Frames());
}

} // namespace
