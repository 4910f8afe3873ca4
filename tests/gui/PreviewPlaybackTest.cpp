// A real playback: the preview plays a real MP3 song through Qt Multimedia into a PulseAudio
// null sink that this test starts for itself (with a private runtime folder), under Xvfb. The
// position the player reports advances with the wall clock, and the highlighted fragment
// changes when the player reaches its time (within 100 ms).
#include "gui/FormPreview.h"
#include "settings/Settings.h"

#include "NullSink.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

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
};

TAVELKOR_PLAYBACK_TEST_MAIN(PreviewPlaybackTest)

#include "PreviewPlaybackTest.moc"
