// The main window: modes, the drop of files that starts a run, refusal while busy.
#include "gui/FormMain.h"
#include "app/ResultCodes.h"
#include "gui/FormOption.h"
#include "modes/ModeTable.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

using namespace tavelkor;

class FormMainTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        test::TestFolder folder;
        IniSettingsStore store{folder.File("Tavelkor.ini")};
        Settings settings;
    };

    static bool Drop(FormMain& form, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        const QPoint at = form.LblDD()->mapTo(&form, QPoint(5, 5));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        return true;
    }

private slots:
    void aDropRunsTheSelectedModeAfterTheHandlerReturns() {
        Fixture f;
        const QString lyrics = f.folder.File("song.txt");
        QVERIFY(test::WriteBytes(lyrics, "[00:01:00]a\r\n@TimeRatio=1\r\n"));
        FormMain form(f.settings, f.store);
        form.show();
        QList<BatchState> shown;
        form.ShowResult = [&shown](const BatchState& state) { shown.append(state); };
        f.settings.Init.DispResult = true;

        QVERIFY(Drop(form, {lyrics, f.folder.File("x.wav")}));
        QVERIFY(form.Busy());
        QVERIFY(!QFile::exists(f.folder.File("song.smi"))); // not yet: the timer starts it
        QVERIFY(!Drop(form, {lyrics}));                     // refused while pending
        QTRY_VERIFY(!form.Busy());
        QVERIFY(test::ReadBytes(f.folder.File("song.smi")).contains("<SYNC Start=1000>"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].DropCount, 2);
        QCOMPARE(shown[0].Results[0].Code, short(Converted));
        QCOMPARE(shown[0].RejectedFiles, QStringList{f.folder.File("x.wav")});
        QCOMPARE(form.LblMes()->text(), QString::fromUtf8("ファイルをＤ＆Ｄしてください"));
        QVERIFY(form.isEnabled());
    }

    void theResultWindowWaitsForFailuresWhenAskedTo() {
        Fixture f;
        const QString lyrics = f.folder.File("song.txt");
        QVERIFY(test::WriteBytes(lyrics, "[00:01:00]a\r\n"));
        FormMain form(f.settings, f.store);
        int shown = 0;
        form.ShowResult = [&shown](const BatchState&) { ++shown; };
        f.settings.Init.DispResult = true;
        f.settings.Init.DispResult2 = true;
        QVERIFY(Drop(form, {lyrics}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(shown, 0);
        QVERIFY(Drop(form, {lyrics, f.folder.File("x.wav")}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(shown, 1);
    }

    void cancellingTheModeOptionsEndsTheRunBeforeItStarts() {
        Fixture f;
        const QString lyrics = f.folder.File("song.txt");
        QVERIFY(test::WriteBytes(lyrics, "[00:01:00]a\r\n"));
        FormMain form(f.settings, f.store);
        f.settings.Init.PreMode = true;
        int cancelled = 0;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&cancelled] {
            if (auto* options = qobject_cast<FormOption*>(QApplication::activeModalWidget())) {
                QTest::mouseClick(options->ComCancel(), Qt::LeftButton);
                ++cancelled;
            }
        });
        watcher.start(20);
        QVERIFY(Drop(form, {lyrics}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(cancelled, 1);
        QVERIFY(!QFile::exists(f.folder.File("song.smi")));
        QCOMPARE(form.State().DroppedFiles, QStringList{lyrics}); // kept until the next drop
        QVERIFY(form.isEnabled());
    }

    void arrowsStopAtBothEndsAndTheMenuFollowsTheMode() {
        Fixture f;
        FormMain form(f.settings, f.store);
        QCOMPARE(form.windowTitle(), QString::fromUtf8("Tavelkor V.1.00β6"));
        QCOMPARE(form.Cmb()->count(), ModeCount);
        QCOMPARE(form.Cmb()->currentIndex(), 0);
        QTest::mouseClick(form.ComLeft(), Qt::LeftButton);
        QCOMPARE(form.Cmb()->currentIndex(), 0);
        QCOMPARE(form.LblExp()->text(), ModeTable()[0].Explanation);
        form.PrepareMenu();
        QVERIFY(form.MnOptionMode()->isEnabled());
        for (int i = 0; i <= ModeCount; ++i)
            QTest::mouseClick(form.ComRight(), Qt::LeftButton);
        QCOMPARE(form.Cmb()->currentIndex(), ModeCount - 1);
        QCOMPARE(form.LblExp()->text(), ModeTable()[ModeCount - 1].Explanation);
        form.Cmb()->setCurrentIndex(ModeNameMatch);
        form.PrepareMenu();
        QVERIFY(!form.MnOptionMode()->isEnabled());
        QVERIFY(!form.Img(0)->pixmap().isNull());
    }

    void theSmallLayoutTogglesBack() {
        Fixture f;
        FormMain form(f.settings, f.store);
        const QSize normal = form.size();
        form.MnSmallSize()->trigger();
        QVERIFY(form.MnSmallSize()->isChecked());
        QVERIFY(form.height() < normal.height());
        QVERIFY(form.Pic()->isHidden());
        form.MnSmallSize()->trigger();
        QCOMPARE(form.size(), normal);
    }

    void settingsComeBackAfterAClose() {
        Fixture f;
        {
            FormMain form(f.settings, f.store);
            form.Cmb()->setCurrentIndex(3);
            form.SaveAll();
            QVERIFY(f.store.Flush());
        }
        Settings again;
        FormMain form(again, f.store);
        QCOMPARE(form.Cmb()->currentIndex(), 3);
        QCOMPARE(again.Init.NowMode, 3);
    }
};

QTEST_MAIN(FormMainTest)
#include "FormMainTest.moc"
