// A real playback in the timing editor: the song (a real MP3) decoded with FFmpeg, slowed to
// 0.5x by Rubber Band and played through QAudioSink into the PulseAudio null sink, under Xvfb.
// The clock runs at half the wall clock's pace, and a tap stamps the position it shows.
#include "gui/FormTiming.h"
#include "settings/Settings.h"

#include "NullSink.h"
#include "PrivateSettings.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

using namespace tavelkor;

class TimingPlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void theSongPlaysAtHalfSpeedAndTapsLandOnTheClock() {
        TAVELKOR_REQUIRE_SOUND_SERVER();
        test::TestFolder folder;
        QVERIFY(QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/preview-tone3000.mp3"),
                            folder.File("song.mp3")));
        const QString lyrics = folder.Put("song.txt", "one two three\r\n");
        Settings settings;
        FormTiming form(settings);
        QVERIFY(form.OpenFile(lyrics));
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
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
        QVERIFY(QFileInfo::exists(settings_.Autosave(lyrics)));
        QVERIFY(!QFileInfo::exists(PrivateSettings::UsersAutosave(lyrics)));
    }

private:
    PrivateSettings settings_;
};

TAVELKOR_PLAYBACK_TEST_MAIN(TimingPlaybackTest)

#include "TimingPlaybackTest.moc"
