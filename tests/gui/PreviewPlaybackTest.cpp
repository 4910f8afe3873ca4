// A real playback: the preview plays a real MP3 song through Qt Multimedia into a PulseAudio
// null sink that this test starts for itself (with a private runtime folder), under Xvfb. The
// position the player reports advances with the wall clock, and the highlighted fragment
// changes when the player reaches its time: within 100 ms for the median fragment of ten, never
// before it. The worst lateness is printed, not asserted: on a loaded machine one late repaint
// says nothing about the preview.
#include "gui/preview/FormPreview.h"
#include "gui/preview/MediaClock.h"
#include "settings/Settings.h"

#include "NullSink.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <functional>
#include <memory>

using namespace tavelkor;

namespace {

QString Fixture(const char* name) {
    return QStringLiteral(TAVELKOR_TEST_FIXTURES "/") + QString::fromUtf8(name);
}

struct Sample {
    qint64 WallMs;
    qint64 PositionMs;
    int Sung;
};

} // namespace

class PreviewPlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void thePositionAdvancesWithTheSongAndTheColoursChangeOnTime() {
        TAVELKOR_REQUIRE_SOUND_SERVER();
        test::TestFolder folder;
        QVERIFY(QFile::copy(Fixture("preview-tone3000.mp3"), folder.File("song.mp3")));
        // One character every 100 ms from 1.8 s on: after the first second and a half, because
        // while the sound server starts, the position the player reports stalls and jumps
        // before it runs evenly.
        QVector<int> tags;
        QByteArray line;
        for (int i = 0; i < 10; ++i) {
            tags.append(1800 + 100 * i);
            line += QStringLiteral("[00:%1:%2]%3")
                        .arg(tags[i] / 1000, 2, 10, QLatin1Char('0'))
                        .arg(tags[i] % 1000 / 10, 2, 10, QLatin1Char('0'))
                        .arg(QChar(u'a' + i))
                        .toLatin1();
        }
        const QString lyrics = folder.Put("song.txt", line + "\r\n@TimeRatio=1\r\n");

        Settings settings;
        FormPreview form(settings);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenFile(lyrics, true));
        QVERIFY(form.StatusLabel()->text().contains(folder.File("song.mp3")));
        QTRY_VERIFY_WITH_TIMEOUT(form.Clock()->PositionMs() > 0 || !form.Clock()->Error().isEmpty(),
                                 15000);
        QVERIFY2(form.Clock()->Error().isEmpty(), qPrintable(form.Clock()->Error()));

        QVector<Sample> samples;
        QElapsedTimer wall;
        wall.start();
        while (form.Clock()->Playing() && wall.elapsed() < 6000) {
            const QVector<DisplayRow>& rows = form.View()->Rows();
            samples.append(
                {wall.elapsed(), form.Clock()->PositionMs(), rows.isEmpty() ? 0 : rows[0].Sung});
            QTest::qWait(2);
        }
        QVERIFY(samples.size() > 100);
        // The song plays to its end and stops there.
        QVERIFY(!form.Clock()->Playing());
        QVERIFY(samples.last().PositionMs >= 2500);

        // The position runs with the wall clock while the song plays (from 1.7 s to 2.9 s): the
        // slope of a least-squares line through every sample there, so that one stall and jump
        // of the reported position, or one late look of a busy test, does not decide it.
        double n = 0, sumWall = 0, sumPosition = 0, sumWallWall = 0, sumWallPosition = 0;
        for (const Sample& sample : samples) {
            if (sample.PositionMs < 1700 || sample.PositionMs > 2900)
                continue;
            const double wall = double(sample.WallMs);
            const double position = double(sample.PositionMs);
            n += 1;
            sumWall += wall;
            sumPosition += position;
            sumWallWall += wall * wall;
            sumWallPosition += wall * position;
        }
        QVERIFY(n > 20);
        const double rate =
            (n * sumWallPosition - sumWall * sumPosition) / (n * sumWallWall - sumWall * sumWall);
        qInfo("position / wall clock: %.3f over %.0f samples", rate, n);
        QVERIFY2(rate > 0.85 && rate < 1.15, qPrintable(QString::number(rate)));

        // Each fragment lights up when the player reaches its time: never before it, and the
        // median fragment within 100 ms of it.
        QVector<qint64> lateness;
        for (int i = 0; i < tags.size(); ++i) {
            const auto change = std::find_if(samples.begin(), samples.end(),
                                             [&](const Sample& s) { return s.Sung >= i + 1; });
            QVERIFY(change != samples.end());
            const qint64 late = change->PositionMs - tags[i];
            QVERIFY2(late > -30, qPrintable(QStringLiteral("fragment at %1 ms lit at %2 ms")
                                                .arg(tags[i])
                                                .arg(change->PositionMs)));
            lateness.append(late);
        }
        std::sort(lateness.begin(), lateness.end());
        const qint64 median = lateness[lateness.size() / 2];
        qInfo("lateness of the fragments: median %lld ms, worst %lld ms", median, lateness.last());
        QVERIFY2(median <= 100, qPrintable(QString::number(median)));
    }

    // The song beside the lyrics in the formats the timing editor plays is found and played by
    // the preview too (each made from the MP3 tone with ffmpeg): its position runs, no error.
    void playsTheSongBesideTheLyricsInEveryFormat() {
        TAVELKOR_REQUIRE_SOUND_SERVER();
        const char* formats[][2] = {
            {"flac", "flac"}, {"ogg", "libvorbis"}, {"opus", "libopus"}, {"m4a", "aac"}};
        for (const auto& [extension, codec] : formats) {
            qInfo("%s", extension);
            test::TestFolder folder;
            const QString song = folder.File(QStringLiteral("song.") + QLatin1String(extension));
            QCOMPARE(QProcess::execute(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-loglevel"), QStringLiteral("error"),
                                        QStringLiteral("-i"), Fixture("preview-tone3000.mp3"),
                                        QStringLiteral("-c:a"), QLatin1String(codec), song}),
                     0);
            const QString lyrics = folder.Put("song.txt", "[00:01:00]la[00:02:00]la\r\n");
            Settings settings;
            FormPreview form(settings);
            form.show();
            QVERIFY(form.OpenFile(lyrics, true));
            QVERIFY2(form.StatusLabel()->text().contains(song),
                     qPrintable(form.StatusLabel()->text()));
            QTRY_VERIFY_WITH_TIMEOUT(
                form.Clock()->PositionMs() >= 300 || !form.Clock()->Error().isEmpty(), 30000);
            QVERIFY2(form.Clock()->Error().isEmpty(), qPrintable(form.Clock()->Error()));
            // Still the song's clock (one that fails gives way to a silent one) and its name.
            QVERIFY(dynamic_cast<MediaClock*>(form.Clock()) != nullptr);
            QVERIFY2(form.StatusLabel()->text().contains(song),
                     qPrintable(form.StatusLabel()->text()));
            form.close();
        }
    }

    // Both clocks of the preview, the silent one and the song's (a generated three-second tone
    // played into the null sink), through play, pause, seek and the end. Waits are generous and
    // no step depends on how fast the machine is.
    void bothClocksPlayPauseSeekAndEnd() {
        // The song clock needs the sound server (required where CI=true, as for the playback).
        const bool withSound =
            SoundServer()->missing.isEmpty() && SoundServer()->started;
        if (!withSound) {
            QVERIFY2(qgetenv("CI") != "true", "no sound server for the song clock");
            qWarning("no sound server: only the silent clock is tried");
        }
        struct Row {
            const char* name;
            std::function<std::unique_ptr<PreviewClock>()> make;
        };
        const Row rows[] = {
            {"silent clock", [] { return std::make_unique<SilentClock>(3000); }},
            {"song clock",
             [] {
                 PreviewSong song;
                 song.Path = Fixture("preview-tone3000.mp3");
                 return std::make_unique<MediaClock>(song);
             }},
        };
        for (const Row& row : rows) {
            if (!withSound && QByteArray(row.name) == "song clock")
                continue;
            qInfo("%s", row.name);
            const std::unique_ptr<PreviewClock> clock = row.make();
            QVERIFY(!clock->Playing());
            QCOMPARE(clock->PositionMs(), 0);

            // Play runs the position on (a song's length is known once it plays); pause holds
            // the position exactly where it was.
            clock->Play();
            QTRY_VERIFY_WITH_TIMEOUT(clock->Playing() && clock->PositionMs() >= 300, 30000);
            QTRY_VERIFY_WITH_TIMEOUT(clock->DurationMs() > 2500, 15000);
            const qint64 duration = clock->DurationMs();
            clock->Pause();
            QTRY_VERIFY_WITH_TIMEOUT(!clock->Playing(), 5000);
            QTest::qWait(200);
            const qint64 paused = clock->PositionMs();
            QVERIFY2(paused >= 300 && paused < duration, qPrintable(QString::number(paused)));
            QTest::qWait(300);
            QCOMPARE(clock->PositionMs(), paused);

            // Seeking while paused moves the position and nothing else; it is held within the
            // song.
            clock->Seek(1000);
            QTRY_COMPARE_WITH_TIMEOUT(clock->PositionMs(), 1000, 5000);
            QVERIFY(!clock->Playing());
            clock->Seek(-500);
            QTRY_COMPARE_WITH_TIMEOUT(clock->PositionMs(), 0, 5000);
            clock->Seek(duration + 5000);
            QTRY_COMPARE_WITH_TIMEOUT(clock->PositionMs(), duration, 5000);

            // Played from a seek, it goes on from there and stops at the end.
            clock->Seek(duration - 800);
            QTRY_COMPARE_WITH_TIMEOUT(clock->PositionMs(), duration - 800, 5000);
            clock->Play();
            QTRY_VERIFY_WITH_TIMEOUT(clock->PositionMs() > duration - 800, 15000);
            QTRY_VERIFY_WITH_TIMEOUT(clock->Ended(), 30000);
            QVERIFY2(clock->PositionMs() >= duration - 100,
                     qPrintable(QString::number(clock->PositionMs())));
            QVERIFY(clock->Error().isEmpty());
        }
    }
};

TAVELKOR_PLAYBACK_TEST_MAIN(PreviewPlaybackTest)

#include "PreviewPlaybackTest.moc"
