// The timing editor's autosave driven through the window: every change made with the keys is
// in the autosave within about a second (a burst is written once at its start and once after),
// the next opening of the file asks 「前回の作業を復元しますか」 and its buttons and Esc restore,
// remove or keep it; saving, 破棄 on closing and undoing back to the file remove it; a folder
// that takes no autosave is said once, a damaged autosave is passed over with a note.
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"
#include "timing/SessionAutosave.h"
#include "timing/TimingSong.h"

#include "OnModal.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace tavelkor;

namespace {

// Runs as the silent clock does, but taps are taken as if a song played.
class TappableClock : public SilentTimingClock {
public:
    TappableClock() : SilentTimingClock(600000) {}
    bool Audible() const override { return true; }
};

std::unique_ptr<TimingClock> MakeClock(const PreviewSong&) {
    return std::make_unique<TappableClock>();
}

// Clicks the message box button with this text (Esc for an empty one); gives the box's text.
QString Answer(QWidget* dialog, const QString& button) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (box == nullptr)
        return QString();
    const QString text = box->text();
    if (button.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Escape);
        return text;
    }
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == button && candidate->isVisible()) {
            QTest::mouseClick(candidate, Qt::LeftButton);
            return text;
        }
    }
    return QString();
}

} // namespace

class TimingAutosaveTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        test::TestFolder folder;
        Settings settings;
        QString lyrics;
        QString autosave;
        explicit Fixture(const QByteArray& text) {
            // The settings, and so the autosaves, live in the test's folder.
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.File("config"));
            lyrics = folder.Put("song.txt", text);
            folder.Put("song.wav", "RIFF");
            autosave = AutosavePath(folder.File("config/Tavelkor-autosave"), lyrics);
        }
        std::optional<SessionAutosave> Kept() const {
            return ReadAutosave(autosave, lyrics).Autosave;
        }
        // The autosave holds the window's session as it is now.
        bool Holds(const FormTiming& form) const {
            const std::optional<SessionAutosave> kept = Kept();
            return kept && kept->Text == form.Session().ComposeText() &&
                   kept->Document.Lines == form.Session().Document().Lines &&
                   kept->Selection == form.Session().Selection();
        }
    };

    static void Activate(QWidget& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    // Opens the lyrics in a new window, answering the recovery question (when it comes) with
    // `button` ("" for Esc); gives the question's text.
    static QString Open(Fixture& f, std::unique_ptr<FormTiming>& form, const QString& button) {
        form = std::make_unique<FormTiming>(f.settings, nullptr, &MakeClock);
        QString asked;
        {
            OnModal answer([&](QWidget* dialog) { asked = Answer(dialog, button); });
            if (!form->OpenFile(f.lyrics))
                return QStringLiteral("not opened");
        }
        Activate(*form);
        return asked;
    }

private slots:
    void everyChangeIsKeptAndTheNextOpeningBringsItBack() {
        Fixture f(QString::fromUtf8("さくら\r\nI love you\r\n").toUtf8());
        std::unique_ptr<FormTiming> form;
        QCOMPARE(Open(f, form, QString()), QString()); // nothing kept yet: no question
        QVERIFY(!QFileInfo::exists(f.autosave));

        // Taps (held and start-only), moves, merge, split, untiming, undo and redo: each one
        // is in the autosave within about a second, with nothing after it.
        QTest::keyClick(form.get(), Qt::Key_Space);
        auto key = [&form](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            return [&form, key, modifiers] { QTest::keyClick(form.get(), key, modifiers); };
        };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const std::vector<std::function<void()>> changes = {
            [&] {
                QTest::keyPress(form.get(), Qt::Key_J);
                QTest::qWait(30);
                QTest::keyRelease(form.get(), Qt::Key_J);
            },
            key(Qt::Key_F),
            key(Qt::Key_F), // く and ら
            key(Qt::Key_Left),
            key(Qt::Key_Right, ctrl), // ら 10 ms later
            key(Qt::Key_Left),
            key(Qt::Key_M), // くら
            key(Qt::Key_Down),
            key(Qt::Key_S), // "I" split off
            key(Qt::Key_Up),
            key(Qt::Key_Delete), // the first line untimed
            key(Qt::Key_Z, ctrl),
            key(Qt::Key_Z, ctrl | Qt::ShiftModifier),
            key(Qt::Key_Z, ctrl),
        };
        for (const auto& change : changes) {
            change();
            QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        }
        QTest::keyClick(form.get(), Qt::Key_Space);

        // A burst of moves a second after the last write: its first move is written at once,
        // the rest once a second has passed.
        QTest::keyClick(form.get(), Qt::Key_Up);
        QTest::keyClick(form.get(), Qt::Key_Right); // くら, free to move later
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        QTest::qWait(1100);
        QElapsedTimer burst;
        burst.start();
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        const QString first = form->Session().ComposeText();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        if (burst.elapsed() < 800)
            QCOMPARE(f.Kept()->Text, first);
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        const SessionAutosave kept = *f.Kept();
        const QString worked = form->Session().ComposeText();
        form.reset(); // as if the program had ended without a word

        // The next opening asks, and 復元 brings the work back as one step to undo.
        const QString asked = Open(f, form, QString::fromUtf8("復元"));
        QVERIFY2(asked.startsWith(QString::fromUtf8("前回の作業を復元しますか\n") + f.lyrics),
                 qPrintable(asked));
        QVERIFY2(asked.contains(kept.Time.toLocalTime().toString(QStringLiteral("HH:mm:ss"))),
                 qPrintable(asked));
        QVERIFY2(asked.contains(QString::fromUtf8("時間の違うフラグメント ")), qPrintable(asked));
        QCOMPARE(form->Session().ComposeText(), worked);
        QCOMPARE(form->Session().Document().Lines, kept.Document.Lines);
        QVERIFY(form->Session().Modified());
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!form->Session().Modified());
        QCOMPARE(form->Session().ComposeText(), QString::fromUtf8("さくら\r\nI love you\r\n\r\n"
                                                                  "@TimeRatio=1\r\n"));
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form->Session().ComposeText(), worked);
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(QString::fromUtf8(test::ReadBytes(f.lyrics)), worked);
        QVERIFY(!QFileInfo::exists(f.autosave));
        QCOMPARE(test::Entries(f.folder.File("config/Tavelkor-autosave")), QStringList());
    }

    void escKeepsItForLaterAndTheOtherAnswersRemoveIt() {
        Fixture f("[00:01:00]la[00:02:00]la\r\n");
        std::unique_ptr<FormTiming> form;
        Open(f, form, QString());
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        // Undone to what the file holds: nothing to bring back.
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!QFileInfo::exists(f.autosave));
        // 破棄 when closing drops the changes and their autosave.
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        {
            OnModal discard([](QWidget* dialog) { Answer(dialog, QString::fromUtf8("破棄")); });
            QTest::keyClick(form.get(), Qt::Key_Escape);
            QCOMPARE(discard.count, 1);
        }
        QVERIFY(!form->isVisible());
        QVERIFY(!QFileInfo::exists(f.autosave));

        Open(f, form, QString());
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
        const QByteArray autosaved = test::ReadBytes(f.autosave);
        form.reset();
        // Esc: the file opens as it is, the autosave stays, also when the window closes.
        QVERIFY(Open(f, form, QString()).startsWith(QString::fromUtf8("前回の作業を復元しますか")));
        QVERIFY(!form->Session().Modified());
        QVERIFY2(form->StatusLabel()->text().contains(QString::fromUtf8("残してあります")),
                 qPrintable(form->StatusLabel()->text()));
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(test::ReadBytes(f.autosave), autosaved);
        // 破棄 in the question removes it.
        QVERIFY(!Open(f, form, QString::fromUtf8("破棄")).isEmpty());
        QVERIFY(!form->Session().Modified());
        QVERIFY(!QFileInfo::exists(f.autosave));
    }

    void aFolderThatTakesNoAutosaveIsSaidOnceAndADamagedOneIsPassedOver() {
        Fixture f("[00:01:00]la[00:02:00]la\r\n");
        f.folder.Put("config/Tavelkor-autosave", "a file where the folder would be");
        std::unique_ptr<FormTiming> form;
        Open(f, form, QString());
        const QString cannot = QString::fromUtf8("作業の自動保存を書けません");
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_VERIFY(form->StatusLabel()->text().startsWith(cannot));
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form->StatusLabel()->text(), QString::fromUtf8("やり直す操作がありません"));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
            QTest::qWait(600);
        }
        // Said once: the failing writes that follow say nothing more.
        QVERIFY2(!form->StatusLabel()->text().startsWith(cannot),
                 qPrintable(form->StatusLabel()->text()));
        form.reset();

        // Damaged: passed over with a note; the next change puts a whole one in its place.
        QFile::remove(f.folder.File("config/Tavelkor-autosave"));
        f.folder.Put(QStringLiteral("config/Tavelkor-autosave/") + QFileInfo(f.autosave).fileName(),
                     "{\"Kind\": \"Tavelkor timing autosave\", \"Version\": 1, \"Sou");
        QCOMPARE(Open(f, form, QString()), QString());
        QVERIFY2(form->StatusLabel()->text().contains(QString::fromUtf8("無視しました")),
                 qPrintable(form->StatusLabel()->text()));
        QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(f.Holds(*form), 3000);
    }
};

QTEST_MAIN(TimingAutosaveTest)
#include "TimingAutosaveTest.moc"
