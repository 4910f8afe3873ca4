// A real playback: the preview plays a real MP3 song through Qt Multimedia into a PulseAudio
// null sink that this test starts for itself (with a private runtime folder), under Xvfb. The
// position the player reports advances with the wall clock, and the highlighted fragment
// changes when the player reaches its time (within 100 ms).
#include "gui/FormPreview.h"
#include "gui/MediaClock.h"
#include "settings/Settings.h"

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

// The sound server of the test: a PulseAudio daemon with a null sink, reachable only through
// the private runtime folder.
struct NullSink {
    QString missing; // what is not installed, when the server could not be started for that
    QString failure; // why an installed server did not start
    bool started = false;
    QTemporaryDir runtime;

    NullSink() {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
        if (pulseaudio.isEmpty() || pactl.isEmpty()) {
            missing = pulseaudio.isEmpty() ? QStringLiteral("pulseaudio")
                                           : QStringLiteral("pactl (pulseaudio-utils)");
            return;
        }
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qunsetenv("PULSE_SERVER");
        QProcess daemon;
        daemon.start(pulseaudio, {QStringLiteral("--daemonize=yes"),
                                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                                  QStringLiteral("--load=module-null-sink sink_name=null"),
                                  QStringLiteral("--load=module-native-protocol-unix")});
        daemon.waitForFinished(20000);
        for (int i = 0; i < 50 && !started; ++i) {
            started = QProcess::execute(pactl, {QStringLiteral("info")}) == 0;
            if (!started)
                QThread::msleep(100);
        }
        if (!started)
            failure = QString::fromLocal8Bit(daemon.readAllStandardError());
    }
    ~NullSink() {
        if (started)
            QProcess::execute(QStringLiteral("pulseaudio"), {QStringLiteral("--kill")});
    }
};

NullSink* sink = nullptr;

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
        if (!sink->missing.isEmpty())
            QSKIP(qPrintable(sink->missing +
                             QStringLiteral(" is not installed: no sound server for the test")));
        QVERIFY2(sink->started,
                 qPrintable(QStringLiteral("PulseAudio did not start: ") + sink->failure));
        test::TestFolder folder;
        QVERIFY(QFile::copy(Fixture("preview-tone3000.mp3"), folder.File("song.mp3")));
        const QString lyrics =
            folder.Put("song.txt", "[00:01:90]one[00:02:30]two[00:02:70]three\r\n@TimeRatio=1\r\n");
        // The fragments come after the first second and a half: while the sound server starts,
        // the position the player reports stalls and jumps before it runs evenly.
        const QVector<int> tags = {1900, 2300, 2700};

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

        // The position runs with the wall clock while the song plays (from 1.7 s to 2.9 s).
        const auto at = [&](qint64 position) {
            return *std::find_if(samples.begin(), samples.end(),
                                 [&](const Sample& s) { return s.PositionMs >= position; });
        };
        const Sample from = at(1700);
        const Sample to = at(2900);
        const double rate =
            double(to.PositionMs - from.PositionMs) / double(to.WallMs - from.WallMs);
        qInfo("position / wall clock: %.3f over %lld ms", rate, to.WallMs - from.WallMs);
        QVERIFY2(rate > 0.85 && rate < 1.15, qPrintable(QString::number(rate)));

        // Each fragment lights up when the player reaches its time.
        const int sungAfter[] = {3, 6, 11};
        for (int i = 0; i < tags.size(); ++i) {
            const auto change = std::find_if(samples.begin(), samples.end(), [&](const Sample& s) {
                return s.Sung >= sungAfter[i];
            });
            QVERIFY(change != samples.end());
            const qint64 late = change->PositionMs - tags[i];
            qInfo("fragment at %d ms lit at %lld ms", tags[i], change->PositionMs);
            QVERIFY2(late > -30 && late <= 100, qPrintable(QString::number(late)));
        }
    }

    // Both clocks of the preview, the silent one and the song's (a generated three-second tone
    // played into the null sink), through play, pause, seek and the end. Waits are generous and
    // no step depends on how fast the machine is.
    void bothClocksPlayPauseSeekAndEnd() {
        const bool withSound = sink->missing.isEmpty() && sink->started;
        if (!withSound)
            qWarning("no sound server: only the silent clock is tried");
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
            QTRY_VERIFY_WITH_TIMEOUT(clock->Playing() && clock->PositionMs() >= 300, 15000);
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
            QTRY_VERIFY_WITH_TIMEOUT(clock->Ended(), 15000);
            QVERIFY2(clock->PositionMs() >= duration - 100,
                     qPrintable(QString::number(clock->PositionMs())));
            QVERIFY(clock->Error().isEmpty());
        }
    }
};

int main(int argc, char** argv) {
    NullSink server; // before any sound is opened, so the player finds this server
    sink = &server;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    PreviewPlaybackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreviewPlaybackTest.moc"
