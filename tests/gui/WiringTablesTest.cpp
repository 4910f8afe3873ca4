// The wiring of the windows, each class in one table generated from the program's own tables:
// every shortcut of the windows' actions against the keys the manual lists, and pressed as a
// key; every question a run asks, for every mode, dismissed with Esc and with the close button;
// every control of every options page changed through the widget and stored by OK.
#include "app/ResultCodes.h"
#include "gui/main/FormMain.h"
#include "gui/options/FormOption.h"
#include "gui/options/FormOptionCommon.h"
#include "gui/preview/FormPreview.h"
#include "gui/timing/FormTiming.h"
#include "modes/ModeTable.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"
#include "settings/SettingsIo.h"
#include "settings/SettingsTable.h"

#include "OnModal.h"
#include "OptionControls.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <type_traits>

using namespace tavelkor;

namespace {

// The key table of a section of the manual: each row's caption (the menu entry) and keys (the
// second column, or the first where the table lists keys first).
QList<std::pair<QString, QStringList>> ManualKeys(const QString& heading, int keyColumn = 2) {
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/Tavelkor.html"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(file.readAll());
    const qsizetype section =
        html.indexOf(QStringLiteral("<h2>") + heading + QStringLiteral("</h2>"));
    const qsizetype begin = html.indexOf(QStringLiteral("<table>"), section);
    const QString table = html.mid(begin, html.indexOf(QStringLiteral("</table>"), begin) - begin);
    QList<std::pair<QString, QStringList>> rows;
    // A cell may run over several lines of the manual.
    static const QRegularExpression row(QStringLiteral("<tr><td>(.*?)</td><td>(.*?)</td>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression separators(QStringLiteral("[\\s／]+"));
    for (const QRegularExpressionMatch& match : row.globalMatch(table)) {
        QStringList keys;
        for (QString key : match.captured(keyColumn).split(separators, Qt::SkipEmptyParts)) {
            key.replace(u'←', QStringLiteral("Left")).replace(u'→', QStringLiteral("Right"));
            key.replace(u'↑', QStringLiteral("Up")).replace(u'↓', QStringLiteral("Down"));
            key.replace(QStringLiteral("Page"), QStringLiteral("Pg")); // Qt's names
            keys.append(QKeySequence::fromString(key).toString(QKeySequence::PortableText));
        }
        rows.append({match.captured(3 - keyColumn), keys});
    }
    return rows;
}

QStringList ShortcutsOf(const QWidget& window) {
    QStringList keys;
    for (const QAction* action : window.actions()) {
        if (!action->shortcut().isEmpty())
            keys.append(action->shortcut().toString(QKeySequence::PortableText));
    }
    keys.sort();
    return keys;
}

// Presses every shortcut of the window's actions as a key on the window: each triggers its own
// action once. Dialogs that open are closed with Esc.
void PressEveryShortcut(QWidget& window) {
    OnModal escape([](QWidget*) {});
    for (QAction* action : window.actions()) {
        if (action->shortcut().isEmpty())
            continue;
        const QKeyCombination key = action->shortcut()[0];
        QSignalSpy triggered(action, &QAction::triggered);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
        QVERIFY2(triggered.count() == 1, qPrintable(action->shortcut().toString()));
    }
}

struct Fixture {
    test::TestFolder folder;
    IniSettingsStore store{folder.File("Tavelkor.ini")};
    Settings settings;
};

bool Drop(FormMain& form, const QStringList& paths) {
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

// Opens the ★ menu with a click and picks an entry by its mnemonic.
void Pick(FormMain& form, char mnemonic) {
    QTest::mouseClick(form.ComMenu(), Qt::LeftButton);
    QVERIFY(form.PopupMenu()->isVisible());
    QTest::keyClick(form.PopupMenu(), mnemonic);
}

QMap<QString, QByteArray> FilesOf(const test::TestFolder& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : test::Entries(folder.Path()))
        files.insert(name, test::ReadBytes(folder.File(name)));
    return files;
}

} // namespace

class WiringTablesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // The main window's menu entries and the preview's controls have the keys the manual lists,
    // no more and no fewer, and each key reaches its action.
    void everyShortcutIsTheManualsAndReachesItsAction() {
        Fixture f;
        const QString lyrics =
            f.folder.Put("song.txt", "[00:01:00]a[00:02:00]b\r\n[00:03:00]c\r\n");
        FormMain form(f.settings, f.store);
        form.OpenWith = [](const QUrl&) { return true; };
        form.show();
        const auto mainKeys = ManualKeys(QStringLiteral(u"メニューとキーボード"));
        QVERIFY(!mainKeys.isEmpty());
        QStringList listed;
        for (const auto& [caption, keys] : mainKeys)
            listed += keys;
        listed.sort();
        QCOMPARE(ShortcutsOf(form), listed);
        for (const QAction* entry : form.PopupMenu()->actions()) {
            if (entry->isSeparator())
                continue;
            const QString caption = QString(entry->text()).remove(u'&');
            const auto row = std::find_if(mainKeys.begin(), mainKeys.end(),
                                          [&](const auto& r) { return r.first == caption; });
            QVERIFY2(row != mainKeys.end(), qPrintable(caption));
            QCOMPARE(entry->shortcut().toString(QKeySequence::PortableText),
                     row->second.join(QStringLiteral(", ")));
        }

        form.OpenPreview(lyrics, false);
        QVERIFY(form.Preview() != nullptr);
        QStringList previewListed;
        for (const auto& [caption, keys] : ManualKeys(QStringLiteral(u"プレビュー")))
            previewListed += keys;
        previewListed.sort();
        QVERIFY(!previewListed.isEmpty());
        QCOMPARE(ShortcutsOf(*form.Preview()), previewListed);
        PressEveryShortcut(*form.Preview());
        form.Preview()->close();
        PressEveryShortcut(form);
    }

    // Every question of a run, for every mode of the mode table, with and without the options
    // asked before the run, dismissed with Esc and with the window's close button: the run is
    // cancelled and no file changes. Likewise every dialog of the ★ menu.
    void dismissingAnyDialogCancelsIt() {
        int dismissed = 0;
        for (const ModeInfo& mode : ModeTable()) {
            for (const bool optionsFirst : {false, true}) {
                for (const bool escape : {true, false}) {
                    const QString row = mode.CommandName +
                                        QString::fromLatin1(optionsFirst ? " options first" : "") +
                                        QString::fromLatin1(escape ? ", Esc" : ", close button");
                    Fixture f;
                    const test::TestFolder lyrics; // the settings file is beside f's store
                    Settings defaults;
                    QStringList extensions = mode.AcceptedExtensions(defaults);
                    if (extensions.isEmpty())
                        extensions = {QStringLiteral("txt"), QStringLiteral("lrc")};
                    const QByteArray text = "[00:01:00]a\r\n[00:02:00]b\r\n";
                    const QString first =
                        lyrics.Put(QStringLiteral("a.") + extensions.first(), text);
                    const QString second =
                        lyrics.Put(QStringLiteral("b.") + extensions.last(), text);
                    const auto before = FilesOf(lyrics);
                    FormMain form(f.settings, f.store);
                    form.show();
                    f.settings.Init.PreMode = optionsFirst;
                    f.settings.Init.DispResult = true;
                    f.settings.Init.DispResult2 = false;
                    QList<BatchState> shown;
                    form.ShowResult = [&shown](const BatchState& state) { shown.append(state); };
                    form.Cmb()->setCurrentIndex(mode.Index);
                    OnModal dismiss([escape](QWidget* dialog) {
                        if (escape)
                            QTest::keyClick(dialog, Qt::Key_Escape);
                        else
                            dialog->close();
                    });
                    QVERIFY2(Drop(form, {first, second}), qPrintable(row));
                    QTRY_VERIFY(!form.Busy());
                    if (dismiss.count == 0)
                        continue; // this mode asks nothing
                    ++dismissed;
                    QVERIFY2(FilesOf(lyrics) == before, qPrintable(row));
                    QVERIFY2(shown.size() <= 1, qPrintable(row));
                    for (const BatchState& state : shown) {
                        QVERIFY2(!state.Results.isEmpty(), qPrintable(row));
                        for (const ResultRecord& record : state.Results)
                            QVERIFY2(record.Code == Cancelled, qPrintable(row));
                    }
                    QVERIFY2(form.isEnabled(), qPrintable(row));
                }
            }
        }
        QVERIFY(dismissed >= 4); // the time shift, the name match and options before a run

        // Every dialog of the ★ menu's entries (picked by their mnemonics), dismissed either
        // way: no setting changes and nothing runs.
        int menuDialogs = 0;
        for (const bool escape : {true, false}) {
            Fixture probe;
            FormMain menuOwner(probe.settings, probe.store);
            const QList<QAction*> entries = menuOwner.PopupMenu()->actions();
            for (int i = 0; i < entries.size(); ++i) {
                const QString caption = entries[i]->text();
                const qsizetype mark = caption.indexOf(u'&');
                if (mark < 0 || mark + 1 >= caption.size())
                    continue;
                Fixture f;
                FormMain form(f.settings, f.store);
                form.OpenWith = [](const QUrl&) { return true; };
                form.show();
                form.PrepareMenu();
                if (!form.PopupMenu()->actions()[i]->isEnabled())
                    continue;
                const auto before = Snapshot(f.settings);
                OnModal dismiss([escape](QWidget* dialog) {
                    if (escape)
                        QTest::keyClick(dialog, Qt::Key_Escape);
                    else
                        dialog->close();
                });
                Pick(form, caption[mark + 1].toLower().toLatin1());
                QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
                if (dismiss.count == 0)
                    continue; // the entry opens no dialog
                ++menuDialogs;
                QVERIFY2(Snapshot(f.settings) == before,
                         qPrintable(caption + u' ' + Changed(before, Snapshot(f.settings))));
                QVERIFY2(!form.Busy() && form.isEnabled(), qPrintable(caption));
            }
        }
        QVERIFY(menuDialogs >= 8); // open, preview, both options and about, each way
    }

    // Each control of the common options and of every mode's options page, changed alone
    // through the widget: OK stores it (the settings differ afterwards, and the page opened
    // again shows it), while Esc and the close button store nothing. The changes add up; a change
    // OK refuses (the same extension on both sides) is tried again after the page's other controls
    // have been changed and stored.
    void okStoresEveryFieldOfEveryOptionsPage() {
        Fixture f;
        FormMain form(f.settings, f.store);
        form.show();
        // The pages are walked with every sub-page shown first (the TimeTag → TimeTag page has
        // two), and with an output folder that exists, so that choosing it is no mistake.
        // Each page is walked twice: with the default settings, and with every yes-or-no
        // setting on, so that the controls a switch enables (エラーがあったときだけ表示する
        // under 処理終了後に結果を表示する) are walked too.
        struct Page {
            int mode; // -1: the common options
            bool correctionShown;
            bool switchesOn;
        };
        QList<Page> pages;
        for (const bool switchesOn : {false, true}) {
            for (const bool correction : {false, true}) {
                pages.append({-1, correction, switchesOn});
                for (const ModeInfo& mode : ModeTable()) {
                    form.Cmb()->setCurrentIndex(mode.Index);
                    form.PrepareMenu();
                    if (form.MnOptionMode()->isEnabled())
                        pages.append({mode.Index, correction, switchesOn});
                }
            }
        }
        enum How { List, Ok, Escape, Close, Look };
        QMap<int, QMap<int, QString>> listed; // the controls of each page as first shown
        int storedCount = 0;
        for (const Page& page : pages) {
            const QString name =
                QStringLiteral("page %1 (%2%3)")
                    .arg(page.mode)
                    .arg(QLatin1String(page.correctionShown ? "correction" : "conversion"))
                    .arg(QLatin1String(page.switchesOn ? ", switches on" : ""));
            const auto reset = [&] {
                f.settings = Settings();
                if (page.switchesOn) {
                    Settings defaults;
                    VisitSettings(
                        f.settings, defaults, [](auto, auto, auto& value, auto&, auto&&...) {
                            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>)
                                value = true;
                        });
                    f.settings.Init.SmallSize = false; // the window keeps its drop area
                }
                f.settings.Init.AnotherFolder = f.folder.Path() + u'/';
                f.settings.Init.DispCorrect = page.correctionShown;
            };
            reset();
            QList<int> controls; // the places of the controls among the dialog's widgets
            QMap<int, QString> described;
            bool accepted = false;
            QString shown; // what the control showed when the dialog closed
            // Opens the page, changes the control at `place` and closes the dialog `how`;
            // `accepted` tells whether the change was made and taken.
            const auto open = [&](How how, int place) {
                accepted = false;
                OnModal act([&](QWidget* dialog) {
                    QPushButton* ok = nullptr;
                    if (auto* options = qobject_cast<FormOption*>(dialog)) {
                        ok = options->ComOK();
                        options->Warn = [](const QString&) {};
                    } else if (auto* common = qobject_cast<FormOptionCommon*>(dialog)) {
                        ok = common->ComOK();
                        common->Warn = [](const QString&) {};
                    }
                    QVERIFY2(ok != nullptr, qPrintable(name));
                    const QList<QWidget*> widgets = dialog->findChildren<QWidget*>();
                    if (how == List) {
                        for (int i = 0; i < widgets.size(); ++i) {
                            if (!Changeable(dialog, widgets[i]))
                                continue;
                            controls.append(i);
                            described[i] =
                                QString::fromLatin1(widgets[i]->metaObject()->className()) + u' ' +
                                widgets[i]->property("text").toString();
                        }
                        return; // closed with Esc
                    }
                    QWidget* control = widgets.value(place);
                    if (how == Look) {
                        shown = StateOf(control);
                        return; // closed with Esc
                    }
                    if (control == nullptr || !Changeable(dialog, control))
                        return;
                    auto* list = qobject_cast<QComboBox*>(control);
                    for (int tries = 0;
                         dialog->isVisible() && tries < (list ? list->count() - 1 : 1); ++tries) {
                        Change(control);
                        if (how == Escape)
                            QTest::keyClick(dialog, Qt::Key_Escape);
                        else if (how == Close)
                            dialog->close();
                        else
                            QTest::mouseClick(ok, Qt::LeftButton);
                    }
                    accepted = !dialog->isVisible();
                    shown = StateOf(control);
                });
                if (page.mode >= 0)
                    form.Cmb()->setCurrentIndex(page.mode);
                Pick(form, page.mode >= 0 ? 'm' : 'c');
                QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
                QVERIFY2(act.count == 1, qPrintable(name));
            };
            open(List, -1);
            QVERIFY2(!controls.isEmpty(), qPrintable(name));
            const int key = page.mode * 2 + (page.switchesOn ? 1 : 0);
            if (page.correctionShown && listed.value(key) == described)
                continue; // the page has no sub-pages: walked already
            listed[key] = described;
            // Texts and lists first, switches last: a switch may hide or lock other controls
            // (the karaoke styles go with the karaoke box).
            const auto rank = [&](int place) {
                const QString& what = described[place];
                return what.startsWith(QStringLiteral("QLineEdit"))   ? 0
                       : what.startsWith(QStringLiteral("QComboBox")) ? 1
                                                                      : 2;
            };
            std::stable_sort(controls.begin(), controls.end(),
                             [&](int a, int b) { return rank(a) < rank(b); });
            for (int pass = 0; pass < 3 && !controls.isEmpty(); ++pass) {
                QList<int> refused;
                for (const int place : controls) {
                    const QString row = name + QStringLiteral(", ") + described.value(place);
                    for (const How how : {Escape, Close}) {
                        const auto before = Snapshot(f.settings);
                        open(how, place);
                        auto after = Snapshot(f.settings);
                        // The immediate switches of the common options and the sub-page shown
                        // are kept however the dialog closes; nothing else is.
                        for (const char* key : {"Init/DispResult", "Init/DispResult2",
                                                "Init/PreMode", "Init/DispCorrect"})
                            after[QString::fromLatin1(key)] =
                                before.value(QString::fromLatin1(key));
                        QVERIFY2(after == before, qPrintable(row + u' ' + Changed(before, after)));
                        f.settings = Settings(); // the switches back as they were
                        SnapshotStore back;
                        back.values = before;
                        LoadSettings(back, f.settings);
                    }
                    auto before = Snapshot(f.settings);
                    open(Ok, place);
                    if (!accepted) { // another switch may have locked it: from the defaults
                        reset();
                        before = Snapshot(f.settings);
                        open(Ok, place);
                    }
                    if (!accepted) {
                        refused.append(place);
                        continue;
                    }
                    QVERIFY2(Snapshot(f.settings) != before,
                             qPrintable(row + QStringLiteral(": OK stored nothing")));
                    // Opened again, the page shows what was stored (read from the same key).
                    const QString stored = shown;
                    open(Look, place);
                    QVERIFY2(shown == stored, qPrintable(row + QStringLiteral(": shows ") + shown +
                                                         QStringLiteral(" after ") + stored));
                    ++storedCount;
                }
                controls = refused;
            }
            QStringList left;
            for (const int place : controls)
                left.append(described.value(place));
            QVERIFY2(controls.isEmpty(), qPrintable(name + QStringLiteral(": never taken: ") +
                                                    left.join(QStringLiteral(", "))));
        }
        QVERIFY(storedCount >= 30);
    }

    // The timing editor's menu entries have the keys of the manual's table, no more and no
    // fewer (the tap keys are no menu entries), and each key reaches its action.
    void timingEditorKeysAreTheManuals() {
        Fixture f;
        FormTiming timing(f.settings);
        QStringList listed;
        for (const auto& [text, keys] : ManualKeys(QStringLiteral(u"タイミングを付ける"), 1))
            listed += keys;
        listed.removeAll(f.settings.Timing.TapKey);
        listed.removeAll(f.settings.Timing.StartKey);
        listed.sort();
        QVERIFY(listed.contains(QStringLiteral("O")));
        QCOMPARE(ShortcutsOf(timing), listed);
        PressEveryShortcut(timing);
    }
};

QTEST_MAIN(WiringTablesTest)
#include "WiringTablesTest.moc"
