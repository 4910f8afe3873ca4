// A real playback in the timing editor: the song (a real MP3) decoded with FFmpeg, slowed to
// 0.5x by Rubber Band and played through QAudioSink into the PulseAudio null sink, under Xvfb.
// The clock runs at half the wall clock's pace, and a tap stamps the position it shows. At 1x,
// what the null sink plays (recorded from its monitor with parec) starts right after Space, and
// taps are stamped with the time of the sound heard, from the first second on.
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"

#include "NullSink.h"
#include "PrivateSettings.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

using namespace tavelkor;

namespace {

// Records the null sink's monitor and tells when, on a wall clock, its first sound was made:
// every chunk parec hands over was recorded no later than it arrives, so the earliest arrival
// less the recorded length before it places the recording on the wall clock.
class MonitorRecording {
public:
    explicit MonitorRecording(const QElapsedTimer& wall) : wall_(wall) {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] {
            samples_ += parec_.readAllStandardOutput();
            const double arrivedMs = double(wall_.nsecsElapsed()) / 1e6;
            const double recordedMs = double(samples_.size() / 2) * 1000.0 / 44100;
            originMs_ = std::min(originMs_, arrivedMs - recordedMs);
        });
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=5")});
    }
    ~MonitorRecording() {
        parec_.kill();
        parec_.waitForFinished();
    }
    bool Running() { return parec_.waitForStarted() && parec_.state() == QProcess::Running; }
    // The wall time of the first sample above `level`; -1 when none was recorded.
    double FirstSoundMs(int level) const {
        const auto* sample = reinterpret_cast<const qint16*>(samples_.constData());
        for (qsizetype i = 0; i < samples_.size() / 2; ++i)
            if (std::abs(sample[i]) > level)
                return originMs_ + double(i) * 1000.0 / 44100;
        return -1;
    }

private:
    const QElapsedTimer& wall_;
    QProcess parec_;
    QByteArray samples_;
    double originMs_ = 1e18;
};

// Opens lyrics of `lines` beside the tone song in the editor window, shown and active.
bool OpenToneSong(FormTiming& form, test::TestFolder& folder, const char* lines) {
    if (!QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/preview-tone3000.mp3"),
                     folder.File("song.mp3")) ||
        !form.OpenFile(folder.Put("song.txt", lines)))
        return false;
    form.show();
    form.activateWindow();
    return QTest::qWaitForWindowActive(&form);
}

// Runs the event loop until `wall` reaches `ms`.
void WaitUntil(const QElapsedTimer& wall, qint64 ms) {
    while (wall.elapsed() < ms)
        QTest::qWait(int(std::min<qint64>(ms - wall.elapsed(), 2)));
}

} // namespace

class TimingPlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void theSongPlaysAtHalfSpeedAndTapsLandOnTheClock() {
        TAVELKOR_REQUIRE_SOUND_SERVER();
        test::TestFolder folder;
        Settings settings;
        FormTiming form(settings);
        QVERIFY(OpenToneSong(form, folder, "one two three\r\n"));
        QVERIFY2(form.Clock()->Audible(), qPrintable(form.Clock()->Error()));
        QCOMPARE(form.Clock()->DurationMs() / 100, 30);

        QTest::keyClick(&form, Qt::Key_3);
        QCOMPARE(form.Clock()->Speed(), 0.5);
        QTest::keyClick(&form, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(
            form.Clock()->PositionMs() > 200 || !form.Clock()->Error().isEmpty(), 15000);
        QVERIFY2(form.Clock()->Error().isEmpty(), qPrintable(form.Clock()->Error()));
        QElapsedTimer wall;
        wall.start();
        const qint64 from = form.Clock()->PositionMs();
        QTest::qWait(1500);
        const qint64 to = form.Clock()->PositionMs();
        const double rate = double(to - from) / double(wall.elapsed());
        qInfo("song position / wall clock at 0.5x: %.3f", rate);
        // Apart from 0.75x and 1x, with room for a starved sound server on a busy machine.
        QVERIFY2(rate > 0.35 && rate < 0.62, qPrintable(QString::number(rate)));

        const qint64 before = form.Clock()->PositionMs();
        QTest::keyClick(&form, Qt::Key_F);
        const qint64 after = form.Clock()->PositionMs();
        const int stamped = form.Session().Document().Lines[0].Fragments[0].StartMs;
        QVERIFY2(stamped >= before - 10 && stamped <= after + 10,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(before).arg(stamped).arg(after)));
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(!form.Clock()->Playing());
        // The stamp is kept in the test's own settings folder, not in the user's.
        const QString lyrics = folder.File("song.txt");
        QVERIFY(QFileInfo::exists(settings_.Autosave(lyrics)));
        QVERIFY(!QFileInfo::exists(PrivateSettings::UsersAutosave(lyrics)));
    }

    void theSoundStartsAtOnceAndTapsKeepItsTime() {
        TAVELKOR_REQUIRE_SOUND_SERVER();
        if (QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("parec (pulseaudio-utils) is not installed");
        test::TestFolder folder;
        QElapsedTimer wall;
        wall.start();
        Settings settings;
        FormTiming form(settings);
        QVERIFY(OpenToneSong(form, folder, "one two three four\r\n"));
        QVERIFY2(form.Clock()->Audible(), qPrintable(form.Clock()->Error()));
        QTest::keyClick(&form, Qt::Key_1);
        // The user looks at the lyrics first; the sound server has woken up by then (up to two
        // seconds after the window opened: see AudioSinkOutput::KeepSoundServerAwake), so the
        // recording runs on the wall clock too.
        WaitUntil(wall, 2500);
        MonitorRecording recording(wall);
        QVERIFY(recording.Running());
        WaitUntil(wall, 3000);

        const qint64 space = wall.elapsed();
        QTest::keyClick(&form, Qt::Key_Space);
        std::vector<qint64> tappedAt;
        for (qint64 after : {1000, 1500, 2000}) {
            WaitUntil(wall, space + after);
            tappedAt.push_back(wall.elapsed() - space);
            QTest::keyClick(&form, Qt::Key_J);
        }
        QTest::qWait(300);
        QTest::keyClick(&form, Qt::Key_Space);
        // The song itself fades in over its first milliseconds: its first sample above the level
        // is where the sound is heard.
        const std::vector<float>& song = form.Clock()->Song()->Left;
        const auto loud = std::find_if(song.begin(), song.end(),
                                       [](float sample) { return std::abs(sample) > 0.01f; });
        const double songMs = double(loud - song.begin()) * 1000.0 / 44100;
        const double heard = recording.FirstSoundMs(int(0.01 * 32768)) - songMs - double(space);
        qInfo("song heard from %.1f ms after Space", heard);
        QVERIFY2(heard >= -5 && heard <= 100, qPrintable(QString::number(heard)));

        const QVector<TimedFragment>& stamped = form.Session().Document().Lines[0].Fragments;
        for (int i = 0; i < 3; ++i) {
            const qint64 stamp = stamped[i].StartMs;
            qInfo("tap %lld ms after Space stamped %lld", tappedAt[i], stamp);
            // The song's time on the wall clock, and what was heard by the tap.
            QVERIFY2(std::abs(stamp - tappedAt[i]) <= 30,
                     qPrintable(QStringLiteral("%1 %2").arg(tappedAt[i]).arg(stamp)));
            QVERIFY2(std::abs(double(stamp) - (double(tappedAt[i]) - heard)) <= 30,
                     qPrintable(QStringLiteral("%1 %2").arg(tappedAt[i]).arg(stamp)));
            if (i > 0)
                QVERIFY2(std::abs((stamp - stamped[i - 1].StartMs) -
                                  (tappedAt[i] - tappedAt[i - 1])) <= 30,
                         qPrintable(QStringLiteral("%1 %2").arg(tappedAt[i]).arg(stamp)));
        }
    }

private:
    PrivateSettings settings_;
};

TAVELKOR_PLAYBACK_TEST_MAIN(TimingPlaybackTest)

#include "TimingPlaybackTest.moc"
