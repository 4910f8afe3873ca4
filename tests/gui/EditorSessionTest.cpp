// The timing editor through a whole session as a karaoke maker works: a tap key held for the
// sung length in every shape a window system repeats it, a later start handing over another
// file while a question waits, the page keys and the overview bar of a long song, and status
// messages that say what was last done.
#include "gui/main/FormMain.h"
#include "gui/main/SingleInstance.h"
#include "gui/timing/EditorKeys.h"
#include "gui/timing/FormTiming.h"
#include "gui/timing/SongOverview.h"
#include "gui/timing/WaveformLane.h"
#include "preview/PreviewDocument.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"

#include "OnModal.h"
#include "TestFiles.h"
#include "TimingFakes.h"

#include <QKeyEvent>
#include <QLabel>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace tavelkor;

namespace {

// How a held key reaches the window, after its first press: the shapes window systems use.
enum class RepeatShape { Flagged, PressesOnly, ReleasePressPairs };

void SendKey(QWidget* to, QEvent::Type type, int key, quint64 timestamp, bool repeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(QChar(key).toLower()), repeat);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(to, &event);
}

} // namespace

class EditorSessionTest : public QObject {
    Q_OBJECT

private:
    using Fixture = TimingFixture;
    static void Activate(QWidget& window) { QVERIFY(ShowActive(window)); }

private slots:
    // J held from 1.00 s to 2.50 s stamps one fragment's start and end, whatever shape its
    // repeats come in; M held merges once.
    void aHeldKeyActsOnce() {
        for (const RepeatShape shape :
             {RepeatShape::Flagged, RepeatShape::PressesOnly, RepeatShape::ReleasePressPairs}) {
            Fixture f;
            const QString lyrics =
                f.folder.Put("song.txt", QString::fromUtf8("さくらさいた\r\n").toUtf8());
            f.folder.Put("song.wav", SilentWav());
            FormTiming form(f.settings, nullptr, f.Maker());
            QVERIFY(form.OpenFile(lyrics));
            Activate(form);
            QTest::keyClick(&form, Qt::Key_Space);
            f.clock->position = 1000;
            quint64 time = 50000;
            SendKey(&form, QEvent::KeyPress, Qt::Key_J, time, false);
            // The first repeat after 660 ms, then one every 40 ms.
            for (int ms = 660; ms < 1500; ms += 40) {
                f.clock->position = 1000 + ms;
                const quint64 at = time + quint64(ms);
                const bool flagged = shape == RepeatShape::Flagged;
                if (shape != RepeatShape::PressesOnly)
                    SendKey(&form, QEvent::KeyRelease, Qt::Key_J, at, flagged);
                SendKey(&form, QEvent::KeyPress, Qt::Key_J, at, flagged);
                QTest::qWait(1);
            }
            f.clock->position = 2500;
            SendKey(&form, QEvent::KeyRelease, Qt::Key_J, time + 1500, false);
            // The document is replaced by every change: read afresh each time.
            // The document is replaced by every change: read afresh each time.
            auto fragments = [&form] { return form.Session().Document().Lines[0].Fragments; };
            QTRY_COMPARE(fragments()[0].EndMs, 2500);
            QCOMPARE(fragments()[0].StartMs, 1000);
            for (int i = 1; i < fragments().size(); ++i)
                QVERIFY2(!fragments()[i].Timed(), qPrintable(fragments()[i].Text));

            // M (merge with the next) held down: one merge, one undo step.
            const int count = int(fragments().size());
            QTest::keyPress(&form, Qt::Key_M);
            for (int i = 0; i < 5; ++i)
                QTest::simulateEvent(&form, true, Qt::Key_M, Qt::NoModifier, QStringLiteral("m"),
                                     shape == RepeatShape::Flagged);
            QTest::keyRelease(&form, Qt::Key_M);
            QCOMPARE(form.Session().Document().Lines[0].Fragments.size(), count - 1);
            // Released, it acts again.
            QTest::keyClick(&form, Qt::Key_M);
            QCOMPARE(form.Session().Document().Lines[0].Fragments.size(), count - 2);
        }
    }

    // A later start hands over another file while the editor asks about unsaved changes, and
    // gives up waiting long before the user answers: the open window carries on.
    void aHandOverWaitsForTheAnswerWithoutACrash() {
        test::TestFolder folder;
        IniSettingsStore store(folder.File("Tavelkor.ini"));
        Settings settings;
        const QString first = folder.Put("first.txt", "[00:01:00]la\r\n");
        const QString second = folder.Put("second.txt", "[00:02:00]lo\r\n");
        folder.Put("first.wav", SilentWav());
        folder.Put("second.wav", SilentWav());
        FormMain main(settings, store);
        main.show();
        SingleInstance instance(folder.Path());
        QVERIFY(instance.Acquire());
        QObject::connect(&instance, &SingleInstance::EditArrived, &main,
                         [&main](const QString& file) { main.OpenTiming(file); });
        main.OpenTiming(first);
        FormTiming& editor = *main.Timing();
        Activate(editor);
        QTest::keyClick(&editor, Qt::Key_Delete);
        QVERIFY(editor.Session().Modified());

        std::atomic<bool> finished = false;
        bool handed = false;
        OnModal discard([&](QWidget* dialog) {
            // Longer than a later start waits for its answer.
            QTest::qWait(3500);
            QVERIFY(Answer(dialog, QString::fromUtf8("破棄")).contains(first));
        });
        std::thread later([&] {
            SingleInstance again(folder.Path());
            handed = again.HandOverEdit(second);
            finished = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(finished.load() && discard.count == 1, 15000);
        later.join();
        QVERIFY(handed);
        QTRY_COMPARE(editor.Source().Path, second);
        QVERIFY(!editor.Session().Modified());
    }

    // PageDown and PageUp move by the lane's width; a click on the overview goes anywhere.
    void pagesAndTheOverviewReachTheWholeSong() {
        Fixture f;
        const QString lyrics =
            f.folder.Put("song.txt", "[00:10:00]a\r\n[01:30:00]b[01:40:00]\r\n[09:00:00]c\r\n");
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        const int span = form.Lane()->Window().SpanMs();
        QTest::keyClick(&form, Qt::Key_PageDown);
        QTest::keyClick(&form, Qt::Key_PageDown);
        QCOMPARE(f.clock->position, 2 * span);
        QTest::keyClick(&form, Qt::Key_PageUp);
        QCOMPARE(f.clock->position, span);
        QTest::keyClick(&form, Qt::Key_PageUp);
        QTest::keyClick(&form, Qt::Key_PageUp);
        QCOMPARE(f.clock->position, 0);

        // The song is 10 minutes: the middle of the bar is 5 minutes.
        SongOverview* overview = form.Overview();
        QVERIFY(overview->isVisible() && overview->width() > 100);
        QTest::mouseClick(overview, Qt::LeftButton, Qt::NoModifier,
                          QPoint(overview->width() / 2, overview->height() / 2));
        QVERIFY(std::abs(f.clock->position - 300000) <= 600000 / overview->width());
        QVERIFY(form.Lane()->Window().FromMs() <= f.clock->position &&
                f.clock->position <= form.Lane()->Window().ToMs());
    }

    // What the status line says belongs to what was done last.
    void theStatusSaysWhatWasDoneLast() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "[00:01:00]la[00:02:00]lo\r\n");
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyClick(&form, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(form.StatusLabel()->text().startsWith(QString::fromUtf8("元に戻しました")),
                 qPrintable(form.StatusLabel()->text()));
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(form.StatusLabel()->text().startsWith(QString::fromUtf8("やり直しました")),
                 qPrintable(form.StatusLabel()->text()));
        QTest::keyClick(&form, Qt::Key_Left);
        QTest::keyClick(&form, Qt::Key_M);
        QCOMPARE(form.Session().Document().Lines[0].Fragments.size(), 1);
        QCOMPARE(form.StatusLabel()->text(), QString());
    }
};

QTEST_MAIN(EditorSessionTest)
#include "EditorSessionTest.moc"
