// The time-shift and file-name dialogs, and the answers they give a run.
#include "gui/main/DialogQuestions.h"
#include "gui/main/FormName.h"
#include "gui/main/FormSlide.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tavelkor;

class ToolDialogsTest : public QObject {
    Q_OBJECT

private:
    // Runs `act` on the modal dialog once it is open.
    template <class Dialog, class Act>
    static void WhenOpen(Act act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            act(dialog);
        });
    }

private slots:
    void theShiftDialogTakesNumbersOnly() {
        FormSlide dialog(250);
        QStringList warnings;
        dialog.Warn = [&warnings](const QString& message) { warnings.append(message); };
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("時間微調整"));
        QCOMPARE(dialog.Text1()->text(), QStringLiteral("250"));
        QCOMPARE(dialog.Text1()->selectedText(), QStringLiteral("250"));
        QVERIFY(!dialog.Check1()->isChecked());
        QVERIFY(dialog.Check1()->text().endsWith(
            QString::fromUtf8("\n(複数ファイルをＤ＆Ｄした場合)")));

        for (const char* text : {"abc", "", "99999999999", "1,5"}) {
            dialog.Text1()->setText(QString::fromLatin1(text));
            QTest::mouseClick(dialog.Command1(0), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(warnings, QStringList(4, QString::fromUtf8("数字を入力してください")));
        QCOMPARE(dialog.ShiftMs(), 250);

        dialog.Text1()->setText(QStringLiteral(" -2.5 "));
        dialog.Check1()->setChecked(true);
        QTest::mouseClick(dialog.Command1(0), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.ShiftMs(), -2); // halves to even
        QVERIFY(!dialog.Cancelled());
        QVERIFY(dialog.SameForAll());
    }

    // Numbers typed on a Japanese keyboard: full-width digits, signs and point, the minus sign
    // U+2212; typed into the field as keys.
    void theShiftDialogTakesFullWidthDigitsAndTheMinusSign() {
        const struct {
            const char* typed;
            int shift;
        } cases[] = {
            {"１００", 100}, {"−２５０", -250}, {"－5", -5}, {"＋１．５", 2}, {"　３　", 3}};
        for (const auto& c : cases) {
            FormSlide dialog(0);
            dialog.Warn = [](const QString& message) { QFAIL(qPrintable(message)); };
            dialog.show();
            dialog.Text1()->clear();
            // As an input method types: key events that carry the text.
            for (const QChar typed : QString::fromUtf8(c.typed)) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(typed));
                QApplication::sendEvent(dialog.Text1(), &press);
            }
            QCOMPARE(dialog.Text1()->text(), QString::fromUtf8(c.typed));
            QTest::keyClick(dialog.Text1(), Qt::Key_Return);
            QVERIFY2(!dialog.isVisible(), c.typed);
            QCOMPARE(dialog.ShiftMs(), c.shift);
        }
    }

    void theNameDialogShowsBothNames() {
        FormName dialog(QStringLiteral("/a/song.txt"), QStringLiteral("/b/track 01.MP3"));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("ファイル名合わせ"));
        QCOMPARE(dialog.ComOK(0)->text(), QString::fromUtf8("上"));
        QCOMPARE(dialog.ComOK(1)->text(), QString::fromUtf8("下"));
        QCOMPARE(dialog.LblFile(0)->text(), QStringLiteral("song"));
        QCOMPARE(dialog.LblExt(1)->text(), QStringLiteral("MP3"));
        dialog.show();
        QTest::mouseClick(dialog.ComOK(1), Qt::LeftButton);
        QCOMPARE(dialog.Target(), 1);
    }

    void theDialogsAnswerTheRunsQuestions() {
        QWidget mainWindow;
        mainWindow.show();
        DialogQuestions questions(&mainWindow);

        WhenOpen<FormSlide>([](FormSlide* dialog) {
            dialog->Text1()->setText(QStringLiteral("1500"));
            QTest::mouseClick(dialog->Command1(0), Qt::LeftButton);
        });
        const RunQuestions::ShiftAnswer shift = questions.AskShift(QStringLiteral("/x.txt"), 0);
        QVERIFY(!shift.Cancelled);
        QCOMPARE(shift.ShiftMs, 1500);
        QVERIFY(!shift.SameForAll);

        WhenOpen<FormName>(
            [](FormName* dialog) { QTest::mouseClick(dialog->ComOK(0), Qt::LeftButton); });
        QCOMPARE(questions.AskWhichNameWins(QStringLiteral("/a.txt"), QStringLiteral("/b.mp3")), 0);

        WhenOpen<FormName>(
            [](FormName* dialog) { QTest::mouseClick(dialog->ComCancel(), Qt::LeftButton); });
        QCOMPARE(questions.AskWhichNameWins(QStringLiteral("/a.txt"), QStringLiteral("/b.mp3")),
                 -1);
        QVERIFY(mainWindow.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(ToolDialogsTest)
#include "ToolDialogsTest.moc"
