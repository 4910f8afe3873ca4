// The main window as a user meets it: modes, drops and the run they start, the ★ menu and the
// keyboard, and the dialogs each opens, closed the way a user closes them.
#include "app/ResultCodes.h"
#include "gui/common/WindowHelpers.h"
#include "gui/main/FormMain.h"
#include "gui/main/FormSlide.h"
#include "gui/main/SingleInstance.h"
#include "gui/options/FormOption.h"
#include "gui/options/FormOptionCommon.h"
#include "gui/preview/FormPreview.h"
#include "modes/ModeTable.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"

#include "OnModal.h"
#include "ReportColumns.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>

using namespace tavelkor;

namespace {

QString ManualBesideTests() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Tavelkor.html");
}

} // namespace

class FormMainTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        test::TestFolder folder;
        IniSettingsStore store{folder.File("Tavelkor.ini")};
        Settings settings;
    };

    static QMimeData* Files(const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        return data;
    }

    static bool DragEnter(FormMain& form, const QMimeData& data) {
        QDragEnterEvent enter(form.LblDD()->mapTo(&form, QPoint(5, 5)), Qt::CopyAction, &data,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        return enter.isAccepted();
    }

    static bool Drop(FormMain& form, const QStringList& paths) {
        std::unique_ptr<QMimeData> data(Files(paths));
        if (!DragEnter(form, *data))
            return false;
        QDropEvent drop(QPointF(form.LblDD()->mapTo(&form, QPoint(5, 5))), Qt::CopyAction,
                        data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        return true;
    }

    // Opens the ★ menu with a click and picks an entry by its mnemonic.
    static void Pick(FormMain& form, char mnemonic) {
        QTest::mouseClick(form.ComMenu(), Qt::LeftButton);
        QVERIFY(form.PopupMenu()->isVisible());
        QTest::keyClick(form.PopupMenu(), mnemonic);
        QVERIFY(!form.PopupMenu()->isVisible());
    }

private slots:
    void initTestCase() {
        // Ctrl+Q closes a window; the tests go on after it.
        QApplication::setQuitOnLastWindowClosed(false);
    }

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
        // Ready again, with the run's summary where the busy text was.
        QCOMPARE(form.Summary(), QString::fromUtf8("1件成功・1件エラー"));
        QVERIFY(form.LblMes()->text().startsWith(form.Summary()));
        QVERIFY(form.isEnabled() && form.Cmb()->isEnabled());
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

    // The result window of a run lines the ": " up for names of full- and half-width characters.
    void theReportLinesUp_data() {
        QTest::addColumn<QString>("odd");
        QTest::newRow("CP932 names") << QString();
        QTest::newRow("an emoji") << QString::fromUtf8("\xF0\x9F\x8E\xA4\xE6\xAD\x8C.txt");
    }

    void theReportLinesUp() {
        QFETCH(QString, odd);
        Fixture f;
        const QByteArray lyrics = "[00:01:00]a\r\n";
        QStringList files = {f.folder.Put("歌詞サンプル.txt", lyrics),
                             f.folder.Put("abcdefg.txt", lyrics), f.folder.File("x.wav")};
        if (!odd.isEmpty())
            files.append(f.folder.Put(odd, lyrics));
        FormMain form(f.settings, f.store);
        f.settings.Init.DispResult = true;
        QList<qreal> columns;
        OnModal measure([&columns](QWidget* dialog) {
            columns = test::ColonColumns(dialog->findChild<QPlainTextEdit*>());
        });
        QVERIFY(Drop(form, files));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(columns.size(), int(files.size()));
        for (qreal column : columns)
            QCOMPARE(column, columns[0]);
    }

    void theDropAreaLightsUpForFilesAndTheBusyTextStaysReadable() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "[00:01:00]a\r\n");
        FormMain form(f.settings, f.store);
        form.show();
        auto colour = [&form] { return form.Pic()->palette().color(QPalette::Window); };
        const QColor idle = colour();
        std::unique_ptr<QMimeData> files(Files({lyrics}));
        QVERIFY(DragEnter(form, *files));
        QVERIFY(colour() != idle);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&form, &leave);
        QCOMPARE(colour(), idle);
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QVERIFY(!DragEnter(form, text));
        QCOMPARE(colour(), idle);

        // While the run holds the mode strip, the busy text is drawn dark on orange (seen while
        // the run asks its question); once the run has ended the window looks ready again,
        // also behind the result window.
        f.settings.Init.DispResult = true;
        QImage busy;
        OnModal question([&](QWidget* dialog) {
            QVERIFY(!form.Cmb()->isEnabled());
            QVERIFY(form.LblMes()->text().startsWith(QString::fromUtf8("★★★ 変換中 ★★★")));
            busy = form.LblMes()->grab().toImage();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QString behindResults;
        form.ShowResult = [&](const BatchState&) { behindResults = form.LblMes()->text(); };
        form.Cmb()->setCurrentIndex(ModeTimeShift);
        QVERIFY(Drop(form, {lyrics}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(behindResults, form.LblMes()->text());
        QVERIFY(behindResults.startsWith(QString::fromUtf8("0件成功・1件キャンセル")));
        int darkest = 255;
        for (int y = 0; y < busy.height(); ++y) {
            for (int x = 0; x < busy.width(); ++x)
                darkest = std::min(darkest, qGray(busy.pixel(x, y)));
        }
        QVERIFY2(darkest < 64, qPrintable(QString::number(darkest)));
    }

    void dismissedQuestionsChangeNoFile_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"cancel button", "Esc", "close button"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    // However the time-shift question or the pre-run options are dismissed, it is a cancel.
    void dismissedQuestionsChangeNoFile() {
        QFETCH(QString, how);
        Fixture f;
        const QByteArray text = "[00:01:00]a\r\n\r\n@Title=t\r\n";
        const QString first = f.folder.Put("a.txt", text);
        const QString second = f.folder.Put("b.txt", text);
        f.store.Write(QStringLiteral("Init"), QStringLiteral("SlidemSec"), QStringLiteral("250"));
        FormMain form(f.settings, f.store);
        form.show();
        f.settings.Init.DispResult = true;
        QList<BatchState> shown;
        form.ShowResult = [&shown](const BatchState& state) { shown.append(state); };
        QStringList named;
        OnModal dismiss([how, &named](QWidget* dialog) {
            auto* slide = qobject_cast<FormSlide*>(dialog);
            auto* options = qobject_cast<FormOption*>(dialog);
            if (slide != nullptr)
                named.append(slide->FileLabel()->text());
            if (how == QStringLiteral("Esc"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else if (how == QStringLiteral("close button"))
                dialog->close();
            else
                QTest::mouseClick(slide ? slide->Command1(1) : options->ComCancel(),
                                  Qt::LeftButton);
        });

        form.Cmb()->setCurrentIndex(ModeTimeShift);
        QVERIFY(Drop(form, {first, second}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(dismiss.count, 1); // the second file is not asked about
        QCOMPARE(named, QStringList{QStringLiteral("a.txt")});
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].Results.size(), 2);
        for (const ResultRecord& record : shown[0].Results)
            QCOMPARE(record.Code, short(Cancelled));
        QCOMPARE(test::ReadBytes(first), text);
        QCOMPARE(test::ReadBytes(second), text);

        f.settings.Init.PreMode = true;
        form.Cmb()->setCurrentIndex(ModeTimeTagToSami);
        QVERIFY(Drop(form, {first}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(dismiss.count, 2);
        QCOMPARE(shown.size(), 1); // no run, no result window
        QVERIFY(!QFile::exists(f.folder.File("a.smi")));
        QCOMPARE(form.State().DroppedFiles, QStringList{first}); // kept until the next drop
        QVERIFY(form.isEnabled());
    }

    // Every entry of the ★ menu, picked in the real popup: its dialog opens (closed with Esc)
    // with the window out of the top layer, the size toggles, the manual is asked for. The
    // window stays the same native window, shown and where it was, throughout.
    void theStarMenuEntriesEachDoWhatTheySay() {
        Fixture f;
        FormMain form(f.settings, f.store);
        form.show();
        QList<QUrl> asked;
        form.OpenWith = [&asked](const QUrl& url) {
            asked.append(url);
            return true;
        };
        const WId id = form.winId();
        const QWindow* native = form.windowHandle();
        const QRect geometry = form.geometry();
        QSignalSpy hidden(form.windowHandle(), &QWindow::visibleChanged);
        QStringList opened;
        OnModal close([&](QWidget* dialog) {
            opened.append(QString::fromLatin1(dialog->metaObject()->className()));
            QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(form.winId(), id);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        for (char mnemonic : {'o', 'c', 'm', 'a'})
            Pick(form, mnemonic);
        QCOMPARE(opened, QStringList({QStringLiteral("QFileDialog"),
                                      QStringLiteral("tavelkor::FormOptionCommon"),
                                      QStringLiteral("tavelkor::FormOption"),
                                      QStringLiteral("tavelkor::FormAbout")}));
        QVERIFY(!form.Busy()); // a cancelled file chooser starts nothing
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(form.winId(), id);
        QCOMPARE(form.windowHandle(), native);
        QCOMPARE(form.geometry(), geometry);
        QCOMPARE(hidden.count(), 0); // never unmapped and mapped again

        Pick(form, 'h');
        QCOMPARE(asked, QList<QUrl>{QUrl::fromLocalFile(ManualBesideTests())});
        Pick(form, 's');
        QVERIFY(form.MnSmallSize()->isChecked());
        QVERIFY(form.Pic()->isHidden());
        QVERIFY(form.height() < geometry.height());
        Pick(form, 's');
        QCOMPARE(form.size(), geometry.size());

        form.Cmb()->setCurrentIndex(ModeNameMatch);
        QTest::mouseClick(form.ComMenu(), Qt::LeftButton);
        QVERIFY(!form.MnOptionMode()->isEnabled());
        QTest::keyClick(form.PopupMenu(), Qt::Key_Escape);
        QCOMPARE(close.count, 4);
    }

    // Space, Enter and Return on ★ open the menu under the button; F1, Ctrl+, Ctrl+O and
    // Ctrl+Q work without it.
    void theKeyboardReachesEverything() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "[00:01:00]a\r\n");
        FormMain form(f.settings, f.store);
        form.move(0, 0); // where the menu has room below and right of the button
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
            form.ComMenu()->setFocus();
            QTest::keyClick(form.ComMenu(), key);
            QVERIFY(form.PopupMenu()->isVisible());
            QCOMPARE(form.PopupMenu()->pos(),
                     form.ComMenu()->mapToGlobal(QPoint(0, form.ComMenu()->height())));
            QTest::keyClick(form.PopupMenu(), Qt::Key_Escape);
        }

        form.OpenWith = [](const QUrl&) { return false; }; // no browser opener installed
        QStringList seen;
        OnModal answer([&](QWidget* dialog) {
            seen.append(QString::fromLatin1(dialog->metaObject()->className()));
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                QVERIFY(box->text().contains(ManualBesideTests()));
                QTest::keyClick(box, Qt::Key_Escape);
            } else if (auto* chooser = qobject_cast<QFileDialog*>(dialog)) {
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                name->setText(lyrics);
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                dialog->close();
            }
        });
        // As on a desktop, the window is active again once a dialog has closed.
        auto press = [&form](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QApplication::setActiveWindow(&form);
            QTest::keyClick(&form, key, modifiers);
        };
        press(Qt::Key_F1, Qt::NoModifier);
        press(Qt::Key_Comma, Qt::ControlModifier);
        press(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(seen, QStringList({QStringLiteral("QMessageBox"),
                                    QStringLiteral("tavelkor::FormOptionCommon"),
                                    QStringLiteral("QFileDialog")}));
        QVERIFY(form.Busy()); // the chosen file runs as a drop would
        QTRY_VERIFY(!form.Busy());
        QVERIFY(QFile::exists(f.folder.File("song.smi")));

        form.Cmb()->setCurrentIndex(3);
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form.isVisible());
        QCOMPARE(f.store.Read(QStringLiteral("Init"), QStringLiteral("NowMode"), {}),
                 QStringLiteral("3"));
    }

    // The encodings are chosen in the common options (reached with Ctrl+,) and the next run
    // writes in the one chosen; the report window shows replaced characters.
    void theEncodingsAreChosenInTheCommonOptions() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "[00:01:00]\x82\xa0\r\n");
        FormMain form(f.settings, f.store);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        OnModal choose([&](QWidget* dialog) {
            auto* options = qobject_cast<FormOptionCommon*>(dialog);
            QVERIFY(options != nullptr);
            QCOMPARE(options->CmbOutputEncoding()->currentText(), test::U("元ファイルと同じ"));
            QTest::keyClick(options->CmbInputEncoding(), Qt::Key_End);
            QTest::keyClick(options->CmbOutputEncoding(), Qt::Key_End);
            QTest::mouseClick(options->ComOK(), Qt::LeftButton);
        });
        QTest::keyClick(&form, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(choose.count, 1);
        QCOMPARE(f.settings.Init.InputEncoding, EncodingChoice::Utf8);
        QCOMPARE(f.settings.Init.OutputEncoding, OutputEncodingChoice::Utf8Bom);
        f.settings.Init.InputEncoding = EncodingChoice::Auto;
        QVERIFY(Drop(form, {lyrics}));
        QTRY_VERIFY(!form.Busy());
        QVERIFY(test::ReadBytes(f.folder.File("song.smi")).startsWith("\xef\xbb\xbf<SAMI>"));
    }

    // The lyrics frames' options of modes 4 and 5, set in their pages through the menu.
    void theLyricsFrameOptionsAreSetInTheirPages() {
        Fixture f;
        FormMain form(f.settings, f.store);
        form.show();
        OnModal set([&](QWidget* dialog) {
            auto* options = qobject_cast<FormOption*>(dialog);
            QVERIFY(options != nullptr);
            if (form.Cmb()->currentIndex() == ModeTimeTagToMp3) {
                QVERIFY(options->TxtT2MLanguage()->isEnabled());
                options->TxtT2MLanguage()->selectAll();
                QTest::keyClicks(options->TxtT2MLanguage(), QStringLiteral("ENG1"));
                QCOMPARE(options->TxtT2MLanguage()->text(), QStringLiteral("ENG"));
                QTest::keyClick(options->ChkT2MId3v2(), Qt::Key_Space);
                QVERIFY(!options->TxtT2MLanguage()->isEnabled());
            } else {
                QTest::keyClick(options->ChkM2TPreferSylt(), Qt::Key_Space);
            }
            QTest::mouseClick(options->ComOK(), Qt::LeftButton);
        });
        form.Cmb()->setCurrentIndex(ModeTimeTagToMp3);
        Pick(form, 'm');
        form.Cmb()->setCurrentIndex(ModeMp3ToTimeTag);
        Pick(form, 'm');
        QCOMPARE(set.count, 2);
        QCOMPARE(f.settings.T2M.Id3v2Language, QStringLiteral("eng"));
        QVERIFY(!f.settings.T2M.Id3v2Lyrics);
        QVERIFY(f.settings.M2T.PreferSylt);
    }

    // The mode options dialog is as large as the current mode's page and the shared area below
    // it, follows the page when it changes, and tabs through the page first.
    void theModeOptionsFitThePageOfTheirMode() {
        Fixture f;
        FormMain form(f.settings, f.store);
        form.show();
        int mode = 0;
        OnModal check([&](QWidget* dialog) {
            auto* options = qobject_cast<FormOption*>(dialog);
            QVERIFY(options != nullptr);
            QWidget* page = options->Frm(mode);
            auto fits = [&] {
                if (page->isVisible())
                    QTRY_COMPARE(page->height(), page->sizeHint().height());
                QTRY_COMPARE(options->size(), options->sizeHint());
            };
            fits();
            QVERIFY(page->isVisible()); // every mode with options has controls on its page
            if (mode == ModeTimeTagToSami) {
                QCOMPARE(options->TxtT2SBase()->cursorPosition(), 0);
                const int height = options->height();
                options->ChkT2SKaraoke()->click();
                fits();
                QVERIFY(options->height() < height);
            }
            if (mode == ModeTimeTagToTimeTag) {
                const QSize size = options->size();
                options->OptT2T(options->OptT2T(0)->isChecked() ? 1 : 0)->click();
                fits();
                QCOMPARE(options->size(), size);
            }
            // Tab from the first control: the page's controls, then the shared area's.
            QWidget* first = options->nextInFocusChain();
            while (!first->isVisible() || !(first->focusPolicy() & Qt::TabFocus))
                first = first->nextInFocusChain();
            first->setFocus();
            bool shared = false;
            for (int i = 0; i < 50 && (i == 0 || options->focusWidget() != first); ++i) {
                shared = shared || !page->isAncestorOf(options->focusWidget());
                QVERIFY(!shared || !page->isAncestorOf(options->focusWidget()));
                QTest::keyClick(options->focusWidget(), Qt::Key_Tab);
            }
            QVERIFY(shared); // the walk went round
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        int opened = 0;
        for (mode = 0; mode < ModeCount; ++mode) {
            if (mode == ModeTimeShift || mode == ModeNameMatch)
                continue; // the tools have no options
            form.Cmb()->setCurrentIndex(mode);
            Pick(form, 'm');
            QCOMPARE(check.count, ++opened);
        }
    }

    // A long run shows how far it is; Esc stops it before its next file (the files done stay
    // done, the rest get 07); the summary stays in the drop area, a click on it opens the
    // results, and the next drop clears it. Esc comes from this thread's progress display
    // while another thread goes on converting, so on a busy machine every file may be done
    // before it: such a run is tried again.
    void aRunShowsItsProgressStopsOnEscAndLeavesASummary() {
        for (int attempt = 0; attempt < 10; ++attempt) {
            Fixture f;
            QStringList files;
            for (int i = 0; i < 300; ++i)
                files.append(f.folder.Put(QStringLiteral("s%1.txt").arg(i), "[00:01:00]a\r\n"));
            FormMain form(f.settings, f.store);
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QList<BatchState> shown;
            form.ShowResult = [&shown](const BatchState& state) { shown.append(state); };
            QStringList counts;
            QTimer watch;
            watch.setInterval(1);
            QObject::connect(&watch, &QTimer::timeout, [&] {
                const QString text = form.LblMes()->text();
                if (!text.contains(u'/') || counts.contains(text))
                    return;
                counts.append(text);
                QVERIFY(form.ComStop()->isVisible());
                QVERIFY(!form.Cmb()->isEnabled());
                if (counts.size() == 3)
                    QTest::keyClick(&form, Qt::Key_Escape);
            });
            watch.start();
            QVERIFY(Drop(form, files));
            QTRY_VERIFY_WITH_TIMEOUT(!form.Busy(), 30000);
            watch.stop();
            int done = 0;
            int cancelled = 0;
            for (const ResultRecord& record : form.State().Results) {
                const QString output =
                    record.FileName.left(record.FileName.size() - 3) + QStringLiteral("smi");
                QCOMPARE(QFile::exists(output), record.Code == Converted);
                done += record.Code == Converted;
                cancelled += record.Code == Cancelled;
            }
            QCOMPARE(done + cancelled, 300);
            if (cancelled == 0)
                continue; // every file was done before Esc
            QVERIFY2(counts.size() >= 3, qPrintable(counts.join(u'|')));
            QVERIFY(counts[0].endsWith(QStringLiteral("/300")));
            QVERIFY(shown.isEmpty()); // the result window is off by default
            QVERIFY(done > 0);
            QCOMPARE(form.Summary(),
                     QString::fromUtf8("%1件成功・%2件キャンセル").arg(done).arg(cancelled));
            QVERIFY(!form.ComStop()->isVisible());

            QTest::mouseClick(form.LblDD(), Qt::LeftButton);
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].Results.size(), 300);
            QVERIFY(Drop(form, {files[0]}));
            QCOMPARE(form.Summary(), QString());
            QTRY_VERIFY(!form.Busy());
            return;
        }
        QFAIL("every run ended before Esc reached it");
    }

    // Files a later start hands over while a dialog is open wait for it to close, then run as
    // a drop would; the later start is told so.
    void filesHandedOverWhileADialogIsOpenRunWhenItCloses() {
        Fixture f;
        const QString lyrics = f.folder.Put("handed.txt", "[00:01:00]a\r\n");
        FormMain form(f.settings, f.store);
        form.show();
        SingleInstance first(f.folder.Path());
        QVERIFY(first.Acquire());
        first.TakeFiles = [&form](const QStringList& files) {
            return form.TakeHandedOverFiles(files);
        };
        QString answer;
        bool handed = false;
        OnModal options([&](QWidget* dialog) {
            QVERIFY(qobject_cast<FormOptionCommon*>(dialog) != nullptr);
            std::atomic<bool> finished = false;
            std::thread later([&] {
                SingleInstance second(f.folder.Path());
                handed = second.HandOver({lyrics}, &answer);
                finished = true;
            });
            QTRY_VERIFY(finished.load());
            later.join();
            QCOMPARE(form.WaitingFiles(), QStringList{lyrics});
            QVERIFY(!QFile::exists(f.folder.File("handed.smi")));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Pick(form, 'C');
        QCOMPARE(options.count, 1);
        QVERIFY(handed);
        QVERIFY2(answer.contains(QStringLiteral("when its open dialog is closed")),
                 qPrintable(answer));
        QTRY_VERIFY(QFile::exists(f.folder.File("handed.smi")));
        QVERIFY(form.WaitingFiles().isEmpty());
    }

    // The folder chosen for the outputs survives runs that write beside the sources, and the
    // empty field says what it is for.
    void theChosenFolderIsKeptAndAnEmptyFieldSaysSo() {
        Fixture f;
        const QString lyrics = f.folder.Put("song.txt", "[00:01:00]a\r\n");
        FormMain form(f.settings, f.store);
        f.settings.Init.SameFolder = true;
        f.settings.Init.AnotherFolder = f.folder.Path() + QStringLiteral("/chosen/");
        QVERIFY(Drop(form, {lyrics}));
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(f.settings.Init.AnotherFolder, f.folder.Path() + QStringLiteral("/chosen/"));

        f.settings.Init.AnotherFolder.clear();
        QString field;
        bool flat = true;
        OnModal options([&](QWidget* dialog) {
            auto* common = qobject_cast<FormOptionCommon*>(dialog);
            field = common->LblOutputFolder()->text();
            flat = common->LblOutputFolder()->isFlat();
            QVERIFY(common->ChosenFolder().isEmpty());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Pick(form, 'C');
        QCOMPARE(field, QString::fromUtf8("フォルダを選択…"));
        QVERIFY(!flat);
    }

    // F1 with an opener that finds no program for the manual (it exits with an error) says
    // where the manual is, as when there is no opener at all.
    void helpThatNothingOpensSaysWhereTheManualIs() {
        Fixture f;
        const QString opener = f.folder.Put("bin/xdg-open", "#!/bin/sh\nexit 3\n");
        QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(f.folder.File("bin")) + ':' + path);
        FormMain form(f.settings, f.store);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.OpenWith = OpenWithDesktop;
        QString said;
        {
            OnModal message([&said](QWidget* dialog) {
                if (auto* box = qobject_cast<QMessageBox*>(dialog))
                    said = box->text();
            });
            QTest::keyClick(&form, Qt::Key_F1);
            QTRY_COMPARE(message.count, 1);
        }
        qputenv("PATH", path);
        QVERIFY2(said.contains(ManualBesideTests()), qPrintable(said));
    }

    void arrowsStopAtBothEnds() {
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

    // The first start (no place stored) is in the middle of the screen; the window leaves the
    // top layer while the preview is open and comes back when it closes; the karaoke colour
    // fields show the start of their markup.
    void theFirstStartIsCentredAndThePreviewIsNeverCovered() {
        Fixture f;
        FormMain form(f.settings, f.store);
        form.show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(qAbs(form.frameGeometry().center().x() - screen.center().x()) <= 2 &&
                     qAbs(form.frameGeometry().center().y() - screen.center().y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2 in %3x%4")
                                .arg(form.x())
                                .arg(form.y())
                                .arg(screen.width())
                                .arg(screen.height())));
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        form.OpenPreview(f.folder.Put("song.txt", "[00:01:00]a\r\n"), false);
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        form.Preview()->close();
        QTRY_VERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        form.Cmb()->setCurrentIndex(ModeTimeTagToSami);
        OnModal options([](QWidget* dialog) {
            auto* page = qobject_cast<FormOption*>(dialog);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(page->TxtT2SKaraoke(i)->cursorPosition(), 0);
        });
        Pick(form, 'M');
        QCOMPARE(options.count, 1);
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
