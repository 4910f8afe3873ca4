// The result window: its report, its font and how its controls follow the window's size.
#include "app/BatchState.h"
#include "gui/main/FormResult.h"

#include "ReportColumns.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tavelkor;

class FormResultTest : public QObject {
    Q_OBJECT

private:
    static BatchState State() {
        BatchState state;
        state.DropCount = 3;
        state.Results = {{QString::fromUtf8("/music/歌詞.txt"), 0},
                         {QStringLiteral("/music/abcdefg.txt"), 2}};
        state.RejectedFiles = {QStringLiteral("/music/x.wav")};
        return state;
    }

private slots:
    void showsTheReport() {
        FormResult form(State(), false);
        QCOMPARE(form.windowTitle(), QString::fromUtf8("処理結果"));
        QCOMPARE(form.ComClose()->text(), QString::fromUtf8("閉じる"));
        QCOMPARE(form.Text1()->toPlainText(), QString::fromUtf8("Ｄ＆Ｄファイル数 : 3\n\n"
                                                                "歌詞.txt    : 00.変換成功\n"
                                                                "abcdefg.txt : 02.セーブエラー\n"
                                                                "x.wav       : 01.拡張子エラー\n"));
        QCOMPARE(form.Text1()->font().family(), QStringLiteral("IPAGothic"));
        QVERIFY(form.Text1()->isReadOnly());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // With only proportional fonts (here IPAPGothic) a measured tab stop lines the ": " up; the
    // main window's test shows the byte-padded report of a real run.
    void withoutAByteColumnFontATabStopLinesUp() {
        FormResult form(State(), false, nullptr, {QStringLiteral("IPAPGothic")});
        form.show();
        const QList<qreal> columns = test::ColonColumns(form.Text1());
        QCOMPARE(columns.size(), 3);
        for (qreal column : columns)
            QVERIFY2(std::abs(column - columns[0]) < 0.5,
                     qPrintable(QStringLiteral("%1 against %2").arg(column).arg(columns[0])));
    }

    void theSizeGripFollowsTheMarlettFont() {
        FormResult without(State(), false);
        without.show();
        QVERIFY(!without.Label1()->isVisible());
        FormResult with(State(), true);
        with.show();
        QVERIFY(with.Label1()->isVisible());
    }

    void controlsFollowTheWindowSize() {
        FormResult form(State(), true);
        form.show();
        form.resize(600, 400);
        QCoreApplication::processEvents();
        const int top = form.Text1()->y();
        const int left = form.Text1()->x();
        QCOMPARE(form.Text1()->width(), form.width() - 2 * left);
        QCOMPARE(form.Text1()->height(), form.height() - 3 * top - form.ComClose()->height());
        QCOMPARE(form.ComClose()->x(), (form.width() - form.ComClose()->width()) / 2);
        QCOMPARE(form.ComClose()->y(), form.height() - form.ComClose()->height() - top);
        QCOMPARE(form.Label1()->geometry().bottomRight(),
                 QPoint(form.width() - 1, form.height() - 1));

        // Too small for its controls: the steps that would give a negative size are skipped.
        const int textWidth = form.Text1()->width();
        form.resize(10, 10);
        QCoreApplication::processEvents();
        QVERIFY(form.Text1()->width() >= 0);
        QVERIFY(form.Text1()->height() >= 0);
        QVERIFY(form.Text1()->width() <= textWidth);
    }

    void closingAccepts() {
        FormResult form(State(), false);
        form.show();
        QTest::mouseClick(form.ComClose(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(FormResultTest)
#include "FormResultTest.moc"
