// The timing editor's readings driven as a user drives them: Y opens 「ふりがな」 with the
// dictionary's proposals, one is kept, one changed, one dropped, OK stores them as "@RubyN"
// lines in one undo step, and the editor draws them; A spreads a line's fragments by their
// morae, refusing a line without an end. Without a dictionary the editor says why, once.
#include "gui/preview/FormPreview.h"
#include "gui/timing/DialogReadings.h"
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"
#include "timing/KanjiReadings.h"

#include "OnModal.h"
#include "TestFiles.h"
#include "TimingFakes.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

std::unique_ptr<TimingClock> MakeClock(const PreviewSong&) {
    return std::make_unique<FakeTimingClock>(false);
}

QStringList RubyLines(const FormTiming& form) {
    QStringList lines;
    for (const RubyEntry& entry : form.Session().Document().Header.Ruby)
        lines << ComposeRubyDirective(entry);
    return lines;
}

QString Starts(const FormTiming& form, int line) {
    QStringList starts;
    for (const TimedFragment& fragment : form.Session().Document().Lines[line].Fragments)
        starts << QString::number(fragment.StartMs);
    return starts.join(u' ');
}

// The row of the window's table whose base is `base`, or -1.
int RowOf(QTableWidget* table, const QString& base) {
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, DialogReadings::Base)->text() == base)
            return row;
    }
    return -1;
}

// Skips the test when MeCab's dictionary is missing (fails it where CI is set).
#define SKIP_WITHOUT_DICTIONARY()                                                                  \
    do {                                                                                           \
        const ReadingDictionary dictionary;                                                        \
        if (!dictionary.Available()) {                                                             \
            QVERIFY2(QProcessEnvironment::systemEnvironment().value(QStringLiteral("CI")) !=       \
                         u"true",                                                                  \
                     qPrintable(dictionary.Error()));                                              \
            QSKIP("no MeCab dictionary (scripts/bootstrap installs mecab-ipadic-utf8)");           \
        }                                                                                          \
    } while (false)

// The timing editor with `lyrics` open (the chooser for a song closed with Esc), active.
std::unique_ptr<FormTiming> OpenEditor(const test::TestFolder& folder, Settings& settings,
                                       const char* lyrics) {
    const QString path = folder.Put("song.txt", S(lyrics).toUtf8());
    auto form = std::make_unique<FormTiming>(settings, nullptr, &MakeClock);
    {
        OnModal noSong([](QWidget*) {});
        if (!form->OpenFile(path))
            return nullptr;
    }
    if (!ShowActive(*form))
        return nullptr;
    return form;
}

// F2 on the reading of the row over `base`, and `reading` typed over it: the editor it
// returns is still open.
QLineEdit* TypeReading(QTableWidget* table, const QString& base, const QString& reading) {
    table->setFocus();
    table->setCurrentCell(RowOf(table, base), DialogReadings::Reading);
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = table->findChild<QLineEdit*>();
    if (editor != nullptr) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, reading, Qt::NoModifier);
    }
    return editor;
}

} // namespace

class TimingReadingsTest : public QObject {
    Q_OBJECT

private slots:
    void readingsAndAutoDistribution() {
        SKIP_WITHOUT_DICTIONARY();
        test::TestFolder folder;
        Settings settings;
        const auto opened = OpenEditor(
            folder, settings,
            "[00:01:00]為替が動く日[00:03:00]\r\n[00:05:00]君\r\n星\r\n@TimeRatio=1\r\n");
        QVERIFY(opened != nullptr);
        FormTiming& form = *opened;
        QCOMPARE(Starts(form, 0), S("1000 -1 -1 -1 -1 -1"));

        // 為替 kept, 日 changed to び, 動 dropped; OK.
        {
            OnModal answer([](QWidget* window) {
                auto* dialog = qobject_cast<DialogReadings*>(window);
                QVERIFY(dialog != nullptr);
                QTableWidget* table = dialog->Table();
                QTRY_VERIFY(RowOf(table, S("日")) >= 0);
                QVERIFY(RowOf(table, S("為替")) >= 0);
                QCOMPARE(table->item(RowOf(table, S("為替")), DialogReadings::Reading)->text(),
                         S("かわせ"));
                QVERIFY(!table->horizontalScrollBar()->isVisible());
                table->setFocus();
                table->setCurrentCell(RowOf(table, S("動")), DialogReadings::Use);
                QTest::keyClick(table, Qt::Key_Space);
                QLineEdit* editor = TypeReading(table, S("日"), S("び"));
                QVERIFY(editor != nullptr);
                QTest::keyClick(editor, Qt::Key_Return);
                QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
            });
            QTest::keyClick(&form, Qt::Key_Y);
            QCOMPARE(answer.count, 1);
        }
        QVERIFY(ShowActive(form));
        QCOMPARE(RubyLines(form), QStringList({S("@Ruby1=為替,かわせ"), S("@Ruby2=日,び")}));
        // The editor draws them over the line.
        QCOMPARE(form.View()->Rows().value(0).Ruby.size(), 2);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(RubyLines(form), QStringList());
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(RubyLines(form).size(), 2);

        // A: かわせ (3 morae over 為 and 替), が, 動 read うご by the dictionary, く, 日 read び.
        QTest::keyClick(&form, Qt::Key_A);
        QTRY_COMPARE(Starts(form, 0), S("1000 1375 1750 2000 2500 2750"));
        QCOMPARE(form.Session().Document().Lines[0].Fragments.last().EndMs, 3000);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Starts(form, 0), S("1000 -1 -1 -1 -1 -1"));
        QCOMPARE(RubyLines(form).size(), 2); // the readings are another step

        // The last line has no end tag and no line after it: nothing is done.
        QTest::keyClick(&form, Qt::Key_Down);
        QTest::keyClick(&form, Qt::Key_A);
        QVERIFY(form.StatusLabel()->text().contains(S("行の終わりがありません")));
        QCOMPARE(Starts(form, 1), S("5000"));
        // A line not tapped yet: the editor says what to do first.
        QTest::keyClick(&form, Qt::Key_Down);
        QTest::keyClick(&form, Qt::Key_A);
        QVERIFY(
            form.StatusLabel()->text().contains(S("先に行の始まりと終わりをタップしてください")));

        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QString::fromUtf8(test::ReadBytes(folder.Path() + QStringLiteral("/song.txt")))
                    .contains(S("@Ruby1=為替,かわせ\r\n@Ruby2=日,び\r\n")));
    }

    // The window is not active while a reading is typed and OK clicked (another program has
    // the activation, or the window system has not given it yet): the editor never had the
    // focus, nothing stored what it holds, and OK still takes the reading as typed.
    void okKeepsTheReadingBeingTyped() {
        SKIP_WITHOUT_DICTIONARY();
        test::TestFolder folder;
        Settings settings;
        const auto form =
            OpenEditor(folder, settings, "[00:01:00]動く日[00:02:00]\r\n@TimeRatio=1\r\n");
        QVERIFY(form != nullptr);
        {
            OnModal answer([](QWidget* window) {
                auto* dialog = qobject_cast<DialogReadings*>(window);
                QVERIFY(dialog != nullptr);
                QTableWidget* table = dialog->Table();
                QTRY_VERIFY(RowOf(table, S("日")) >= 0);
                QApplication::setActiveWindow(nullptr);
                QVERIFY(TypeReading(table, S("日"), S("び")) != nullptr);
                QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
                QTRY_VERIFY(!dialog->isVisible());
            });
            QTest::keyClick(form.get(), Qt::Key_Y);
            QCOMPARE(answer.count, 1);
        }
        QCOMPARE(RubyLines(*form), QStringList({S("@Ruby1=動,うご"), S("@Ruby2=日,び")}));
    }

    void withoutADictionaryTheEditorSaysWhyOnce() {
        const QByteArray saved = qgetenv("MECABRC");
        qputenv("MECABRC", "/nonexistent/mecabrc");
        const QString error = ReadingDictionary().Error();
        QVERIFY(!error.isEmpty());
        test::TestFolder folder;
        Settings settings;
        const auto opened =
            OpenEditor(folder, settings, "[00:01:00]為替が[00:02:00]\r\n@TimeRatio=1\r\n");
        QVERIFY(opened != nullptr);
        FormTiming& form = *opened;
        {
            OnModal close([&error](QWidget* window) {
                auto* dialog = qobject_cast<DialogReadings*>(window);
                QVERIFY(dialog != nullptr);
                QTRY_VERIFY(dialog->Note()->text().contains(error));
                QCOMPARE(dialog->Table()->rowCount(), 0);
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
            QTest::keyClick(&form, Qt::Key_Y);
            QCOMPARE(close.count, 1);
        }
        QVERIFY(ShowActive(form));
        QVERIFY(form.StatusLabel()->text().contains(error));
        QVERIFY(RubyLines(form).isEmpty());
        // The editor goes on: A spreads by the kana and one mora per kanji, and says no more.
        QTest::keyClick(&form, Qt::Key_A);
        QTRY_COMPARE(Starts(form, 0), S("1000 1333 1667"));
        QVERIFY(!form.StatusLabel()->text().contains(error));
        if (saved.isNull())
            qunsetenv("MECABRC");
        else
            qputenv("MECABRC", saved);
    }
};

QTEST_MAIN(TimingReadingsTest)
#include "TimingReadingsTest.moc"
