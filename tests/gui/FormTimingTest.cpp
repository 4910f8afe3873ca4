// The timing editor driven as a user drives it, on a clock the test sets: Space plays, the tap
// key held and released stamps starts, ends and pauses, the start key stamps starts only; the
// arrows select, Ctrl+arrows move a time (a move across a neighbour is refused), Ctrl+Z and
// Ctrl+Shift+Z undo and redo, the history shows in its menu, Ctrl+S saves; Esc asks before it
// drops unsaved changes; the tap offset is measured from taps along clicks. Without a song the
// editor refuses to tap. The ★ menu and the
// preview's 「編集」 open it.
#include "gui/timing/FormTiming.h"
#include "gui/main/FormMain.h"
#include "gui/preview/FormPreview.h"
#include "gui/timing/DialogCalibration.h"
#include "preview/PreviewDocument.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"
#include "timing/TapCalibration.h"

#include "OnModal.h"
#include "TestFiles.h"
#include "TimingFakes.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace tavelkor;

class FormTimingTest : public QObject {
    Q_OBJECT

private:
    using Fixture = TimingFixture;
    static void Activate(QWidget& window) { QVERIFY(ShowActive(window)); }

    // Presses the key at one song position and releases it at another.
    static void Hold(FormTiming& form, FakeTimingClock& clock, Qt::Key key, int down, int up) {
        clock.position = down;
        QTest::keyPress(&form, key);
        clock.position = up;
        QTest::keyRelease(&form, key);
    }

    // 「ファイル」 -> 「名前を付けて保存…」: in the file dialog the user picks `filter` and types
    // "song" without an extension, then Enter.
    static void SaveAs(FormTiming& form, const QString& filter) {
        OnModal choose([&](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(chooser != nullptr);
            chooser->selectNameFilter(filter);
            auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QStringLiteral("song"));
            for (int i = 0; i < 3 && chooser->isVisible(); ++i)
                QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::keyClick(form.MenuBar(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QTRY_COMPARE(choose.count, 1);
    }

private slots:
    void tapsMovesUndoesAndSaves() {
        Fixture f;
        const QString lyrics =
            f.folder.Put("song.txt", QString::fromUtf8("さくら\r\nI love\r\n").toUtf8());
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        QCOMPARE(form.List()->count(), 2);
        QCOMPARE(form.List()->item(0)->text(), QString::fromUtf8("--:--.--  ［さ］|く|ら"));

        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(f.clock->playing);
        // さ held, く 70 ms after its release (no pause), ら 300 ms after (a pause), ら's end.
        Hold(form, *f.clock, Qt::Key_J, 1000, 1180);
        Hold(form, *f.clock, Qt::Key_J, 1250, 1400);
        Hold(form, *f.clock, Qt::Key_J, 1700, 2200);
        Hold(form, *f.clock, Qt::Key_F, 3000, 3100);
        Hold(form, *f.clock, Qt::Key_F, 3400, 3500);
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(!f.clock->playing);

        // く moves: +10 +10, then -100 -100, and a third -100 would pass さ.
        QTest::keyClick(&form, Qt::Key_Up);
        QCOMPARE(f.clock->position, 1000); // the line's start
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyClick(&form, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&form, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&form, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form.StatusLabel()->text(),
                 QString::fromUtf8("前後の時間を越えるので動かせません"));
        QCOMPARE(form.Session().Document().Lines[0].Fragments[1].StartMs, 1070);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.Session().Document().Lines[0].Fragments[1].StartMs, 1170);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form.Session().Document().Lines[0].Fragments[1].StartMs, 1070);

        // The history menu: the opening state and every step, the last one checked.
        QMenu* history = form.HistoryMenu();
        history->popup(form.mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(history->isVisible());
        QCOMPARE(history->actions().size(), 1 + 5 + 4);
        QVERIFY(history->actions().last()->isChecked());
        QTest::keyClick(history, Qt::Key_Escape);

        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(test::ReadBytes(lyrics),
                 QString::fromUtf8("[00:01:00]さ[00:01:07]く[00:01:40][00:01:70]ら[00:02:20]\r\n"
                                   "[00:03:00]I [00:03:40]love\r\n\r\n@TimeRatio=1\r\n")
                     .toUtf8());
        const QByteArray saved = test::ReadBytes(lyrics);

        // 「名前を付けて保存」 as SAMI, through the SAMI mode's writer.
        SaveAs(form, QStringLiteral("SAMI (*.smi)"));
        const QString sami = QString::fromUtf8(test::ReadBytes(f.folder.File("song.smi")));
        QVERIFY2(sami.contains(QStringLiteral("<SYNC Start=1070>")), qPrintable(sami));
        QVERIFY(sami.contains(QStringLiteral("<SYNC Start=3400>")));
        Activate(form);

        // A change, then Esc: キャンセル keeps the window, 破棄 closes it and the file stays.
        QTest::keyClick(&form, Qt::Key_Delete);
        {
            OnModal cancel(
                [](QWidget* dialog) { Answer(dialog, QString::fromUtf8("キャンセル")); });
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(cancel.count, 1);
        }
        QVERIFY(form.isVisible());
        Activate(form);
        {
            OnModal discard([](QWidget* dialog) { Answer(dialog, QString::fromUtf8("破棄")); });
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(discard.count, 1);
        }
        QVERIFY(!form.isVisible());
        QCOMPARE(test::ReadBytes(lyrics), saved);
        QCOMPARE(f.settings.Timing.LastFile, lyrics);
        QVERIFY(f.settings.Timing.Width > 0);
    }

    void replaysLoopsAndTapsAtTheKeyEventsOwnTime() {
        Fixture f;
        const QString lyrics =
            f.folder.Put("song.txt", QString::fromUtf8("あい\r\nう\r\n").toUtf8());
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        QTest::keyClick(&form, Qt::Key_3);
        QCOMPARE(f.clock->speed, 0.5);
        QCOMPARE(f.settings.Timing.SpeedPercent, 50);
        QTest::keyClick(&form, Qt::Key_Space);

        // The first event is handled at once; the second comes 10 ms after it but is handled
        // later: its stamp is the clock's position less that delay, in song time (half of it).
        f.clock->position = 5000;
        QElapsedTimer handled;
        QKeyEvent first(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
        first.setTimestamp(100000);
        QApplication::sendEvent(&form, &first);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_F, Qt::NoModifier);
        up.setTimestamp(100005);
        QApplication::sendEvent(&form, &up);
        handled.start();
        QTest::qWait(80);
        f.clock->position = 5100;
        QKeyEvent late(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
        late.setTimestamp(100010);
        QApplication::sendEvent(&form, &late);
        const qint64 delay = handled.elapsed() - 10;
        QKeyEvent lateUp(QEvent::KeyRelease, Qt::Key_F, Qt::NoModifier);
        lateUp.setTimestamp(100020);
        QApplication::sendEvent(&form, &lateUp);
        const TimingLine& line = form.Session().Document().Lines[0];
        QCOMPARE(line.Fragments[0].StartMs, 5000);
        QVERIFY2(std::abs(line.Fragments[1].StartMs - (5100 - delay / 2)) <= 10,
                 qPrintable(QString::number(line.Fragments[1].StartMs)));
        f.clock->position = 6000;
        QTest::keyClick(&form, Qt::Key_F);
        QTest::keyClick(&form, Qt::Key_Space);

        // R plays the line from a second before it and stops at its end (the next line).
        QTest::keyClick(&form, Qt::Key_Home);
        QTest::keyClick(&form, Qt::Key_R);
        QCOMPARE(f.clock->position, 4000);
        QVERIFY(f.clock->playing);
        f.clock->position = 6000;
        QTRY_VERIFY(!f.clock->playing);
        // L loops it until pressed again.
        QTest::keyClick(&form, Qt::Key_L);
        f.clock->position = 6010;
        QTRY_COMPARE(f.clock->position, 4000);
        QVERIFY(f.clock->playing);
        QTest::keyClick(&form, Qt::Key_L);
        QVERIFY(!f.clock->playing);
        {
            OnModal discard([](QWidget* dialog) { Answer(dialog, QString::fromUtf8("破棄")); });
            form.close();
        }
    }

    void calibratesTheTapOffsetFromTapsAlongTheClicks() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "la la\r\n");
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        FakeTimingClock* clicks = nullptr;
        form.MakeCalibrationClock = [&clicks](std::shared_ptr<const DecodedSong> song) {
            auto made = std::make_unique<FakeTimingClock>(song->Error.isEmpty());
            clicks = made.get();
            return made;
        };
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        // Taps 70..95 ms after each click (one far out); the median of the eight is 86 ms.
        const int late[] = {80, 95, 70, 85, 90, 300, 82, 88};
        {
            OnModal tapAlong([&](QWidget* dialog) {
                auto* calibration = qobject_cast<DialogCalibration*>(dialog);
                QVERIFY(calibration != nullptr);
                QTest::mouseClick(calibration->StartButton(), Qt::LeftButton);
                QVERIFY(clicks->playing);
                for (int i = 0; i < CalibrationClicks; ++i) {
                    clicks->position = CalibrationClickTimes()[i] + late[i];
                    QTest::keyClick(calibration, Qt::Key_J);
                }
                clicks->position = 9000;
                QTRY_VERIFY(calibration->OkButton()->isEnabled());
                QTest::mouseClick(calibration->OkButton(), Qt::LeftButton);
            });
            QTest::keyClick(form.MenuBar(), Qt::Key_P, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
            QTRY_COMPARE(tapAlong.count, 1);
        }
        QCOMPARE(f.settings.Timing.TapOffsetMs, 86);
        // Every stamp now comes 86 ms earlier.
        Activate(form);
        QTest::keyClick(&form, Qt::Key_Space);
        f.clock->position = 1086;
        QTest::keyClick(&form, Qt::Key_F);
        QCOMPARE(form.Session().Document().Lines[0].Fragments[0].StartMs, 1000);
        {
            OnModal discard([](QWidget* dialog) { Answer(dialog, QString::fromUtf8("破棄")); });
            form.close();
        }
    }

    // Into the song beside the lyrics, and into one of another name chosen when opening them:
    // the song the editor plays.
    void embedsTheTimingIntoTheSong() {
        for (const char* name : {"tone.mp3", "chosen song.mp3"}) {
            Fixture f;
            const QString lyrics = f.folder.Put("tone.txt", "la la\r\n");
            const QString song = f.folder.File(name);
            QVERIFY(QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3"), song));
            QFile::setPermissions(song, QFile::ReadOwner | QFile::WriteOwner);
            FormTiming form(f.settings, nullptr, f.Maker());
            {
                OnModal choose([&](QWidget* dialog) {
                    auto* chooser = qobject_cast<QFileDialog*>(dialog);
                    QVERIFY(chooser != nullptr);
                    auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    chooser->setDirectory(f.folder.Path());
                    QTest::keyClicks(field, QString::fromUtf8(name));
                    for (int i = 0; i < 3 && chooser->isVisible(); ++i)
                        QTest::keyClick(field, Qt::Key_Return);
                });
                QVERIFY(form.OpenFile(lyrics));
                QCOMPARE(choose.count, QString::fromUtf8(name) == u"tone.mp3"_qs ? 0 : 1);
            }
            Activate(form);
            QTest::keyClick(&form, Qt::Key_Space);
            f.clock->position = 1000;
            QTest::keyClick(&form, Qt::Key_F);
            QString said;
            {
                OnModal ok([&](QWidget* dialog) { said = Answer(dialog, QStringLiteral("OK")); });
                QTest::keyClick(form.MenuBar(), Qt::Key_F, Qt::AltModifier);
                QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
                QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_E);
                QTRY_COMPARE(ok.count, 1);
            }
            QVERIFY2(said.startsWith(QString::fromUtf8("00.")), qPrintable(said));
            QVERIFY(said.contains(song));
            QVERIFY(!form.Session().Modified()); // saved before embedding
            QVERIFY(test::ReadBytes(song).contains("LYRICSBEGIN"));
            QVERIFY(test::ReadBytes(song).contains("[00:01:00]la"));
        }
    }

    // 「名前を付けて保存」 through the real dialog in each caption format of mode t2x: the
    // chosen filter gives the extension, the file comes in the mode's writer and encoding.
    void savesAsEveryCaptionFormat() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", QString::fromUtf8("さくら\n").toUtf8());
        f.folder.Put("song.wav", SilentWav());
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        Activate(form);
        QTest::keyClick(&form, Qt::Key_Space);
        Hold(form, *f.clock, Qt::Key_F, 1000, 1000);
        Hold(form, *f.clock, Qt::Key_F, 1500, 1500);
        Hold(form, *f.clock, Qt::Key_J, 2000, 2500);
        const struct {
            const char* filter;
            const char* file;
            QByteArray start; // the file's first bytes
            QByteArray sign;  // the word timing of く as the format writes it
        } rows[] = {
            {"ASS (*.ass)", "song.ass", "\xEF\xBB\xBF[Script Info]", "{\\kf50}"},
            {"TTML (*.ttml)", "song.ttml", "<?xml",
             "<span begin=\"00:00:01.500\" end=\"00:00:02.000\">"},
            {"WebVTT (*.vtt)", "song.vtt", "WEBVTT", "<00:01.500>"},
            {"SRT (*.srt)", "song.srt", "1\r\n00:00:01,000 --> 00:00:02,500", "さくら"},
        };
        QTest::keyClick(&form, Qt::Key_Space);
        for (const auto& row : rows) {
            SaveAs(form, QString::fromUtf8(row.filter));
            const QByteArray bytes = test::ReadBytes(f.folder.File(row.file));
            QVERIFY2(bytes.startsWith(row.start), row.file);
            QVERIFY2(bytes.contains(row.sign), bytes.constData());
            Activate(form);
        }
    }

    void refusesToTapWithoutASong() {
        Fixture f;
        const QString lyrics = f.folder.Put("alone.txt", "la la\r\n");
        FormTiming form(f.settings, nullptr, f.Maker());
        {
            // The chooser for the song, closed with Esc: no song.
            OnModal close([](QWidget* dialog) { QVERIFY(qobject_cast<QFileDialog*>(dialog)); });
            QVERIFY(form.OpenFile(lyrics));
            QCOMPARE(close.count, 1);
        }
        Activate(form);
        QTest::keyClick(&form, Qt::Key_Space);
        QTest::keyClick(&form, Qt::Key_J);
        QCOMPARE(form.StatusLabel()->text(), QString::fromUtf8("曲がないとタップできません"));
        QVERIFY(!form.Session().Modified());
    }

    void openedFromTheStarMenu() {
        test::TestFolder folder;
        IniSettingsStore store(folder.File("Tavelkor.ini"));
        Settings settings;
        const QString lyrics = folder.Put("tune.txt", "la la\r\n");
        folder.Put("tune.wav", SilentWav());
        FormMain main(settings, store);
        main.show();
        {
            OnModal choose([&](QWidget* dialog) {
                auto* chooser = qobject_cast<QFileDialog*>(dialog);
                QVERIFY(chooser != nullptr);
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name != nullptr);
                // The user goes to the folder, types the name and presses Enter.
                chooser->setDirectory(folder.Path());
                QTest::keyClicks(name, QStringLiteral("tune.txt"));
                for (int i = 0; i < 3 && chooser->isVisible(); ++i)
                    QTest::keyClick(name, Qt::Key_Return);
            });
            QTest::mouseClick(main.ComMenu(), Qt::LeftButton);
            QTest::keyClick(main.PopupMenu(), 't');
            QCOMPARE(choose.count, 1);
        }
        QVERIFY(main.Timing() != nullptr);
        QVERIFY(main.Timing()->isVisible());
        QCOMPARE(main.Timing()->Source().Path, lyrics);
        QVERIFY(main.Timing()->Clock()->Audible()); // the WAV beside it decoded
        QCOMPARE(main.Timing()->Clock()->DurationMs(), 100);

        // The preview's 「編集」 opens the editor on the preview's file, at the preview's time
        // with the fragment sung then selected (the song is too short: the silent clock runs).
        const QString timed = folder.Put(
            "timed.txt", "[00:00:05]la[00:00:08]la[00:00:20]\r\n[00:00:30]li[00:00:40]lo\r\n");
        main.OpenPreview(timed, false);
        QVERIFY(main.Preview()->EditButton()->isVisible());
        main.Preview()->Clock()->Seek(450);
        {
            // No song beside it: the editor asks for one, and the user declines.
            OnModal decline([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
            QTest::mouseClick(main.Preview()->EditButton(), Qt::LeftButton);
            QCOMPARE(decline.count, 1);
        }
        QCOMPARE(main.Timing()->Source().Path, timed);
        QCOMPARE(main.Timing()->Session().Document().Lines[0].Fragments[1].StartMs, 80);
        QCOMPARE(main.Timing()->Clock()->PositionMs(), 450);
        QCOMPARE(main.Timing()->Session().Selection(), (FragmentPlace{1, 1}));
        main.Timing()->close();
    }
};

QTEST_MAIN(FormTimingTest)
#include "FormTimingTest.moc"
