// The preview window driven as a user drives it, on a clock the test sets: play and pause with
// Space, the seek bar clicked, line jumps by key and button, the nudge by key and button and
// its save through the question (a read-only file gives the 02 message and stays as it was);
// and the ways in: the ★ menu with its file chooser, a double-click in the result window, a
// drop on the preview, a later start's request; its place kept in the settings.
#include "gui/main/FormMain.h"
#include "gui/main/FormResult.h"
#include "gui/main/SingleInstance.h"
#include "gui/options/FormOption.h"
#include "gui/preview/FormPreview.h"
#include "lyrics/TimeTagFile.h"
#include "modes/ModeTable.h"
#include "settings/IniSettingsStore.h"
#include "settings/Settings.h"

#include "OnModal.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTextBlock>
#include <QtTest>
#include <functional>

using namespace tavelkor;

namespace {

// A clock that stands where the test puts it.
class FakeClock : public PreviewClock {
public:
    explicit FakeClock(qint64 duration) : duration(duration) {}
    void Play() override { playing = true; }
    void Pause() override { playing = false; }
    bool Playing() const override { return playing; }
    qint64 PositionMs() const override { return position; }
    void Seek(qint64 to) override { position = std::clamp<qint64>(to, 0, duration); }
    qint64 DurationMs() const override { return duration; }
    qint64 duration;
    qint64 position = 0;
    bool playing = false;
};

// Clicks the message box button with this text; gives the box's text.
QString Answer(QWidget* dialog, const QString& button) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (box == nullptr)
        return QString();
    const QString text = box->text();
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == button)
            QTest::mouseClick(candidate, Qt::LeftButton);
    }
    return text;
}

const QByteArray Lyrics = "[00:01:00]\xE3\x81\x82[00:01:50]\xE3\x81\x84[00:02:00]\xE3\x81\x86\r\n"
                          "[00:03:00]\xE3\x81\x88[00:03:50]\xE3\x81\x8A\r\n"
                          "[00:05:00]end\r\n@TimeRatio=1\r\n";

QVector<int> TagTimes(const QString& path) {
    LyricsFile file;
    ReadLyricsFile(path, file, true, true);
    QVector<int> times;
    for (const LyricsLine& line : file.Document.Lines) {
        for (int i = 1; i <= line.FragmentCount(); ++i)
            times.append(line.Fragments[i].TimeMs);
    }
    return times;
}

QMimeData* FileList(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

void DropOn(QWidget& window, const QString& path) {
    std::unique_ptr<QMimeData> data(FileList(path));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

} // namespace

class FormPreviewTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        test::TestFolder folder;
        Settings settings;
        FakeClock* clock = nullptr;
        FormPreview::ClockMaker Maker() {
            return [this](const PreviewSong&, qint64 end) {
                auto made = std::make_unique<FakeClock>(end + 1000);
                clock = made.get();
                return made;
            };
        }
    };

    // The first row on screen once the window has read the clock: its text and the number of
    // characters sung.
    static std::pair<QString, int> FirstRow(FormPreview& form) {
        form.Refresh();
        const QVector<DisplayRow>& rows = form.View()->Rows();
        return rows.isEmpty() ? std::pair<QString, int>() : std::pair(rows[0].Text, rows[0].Sung);
    }

    // The window the keys go to, as a click on it makes it.
    static void Activate(QWidget& window) {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    static std::pair<QString, int> Row(const char* text, int sung) {
        return {QString::fromUtf8(text), sung};
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void playPauseSeekJumpAndNudgeByKeysAndButtons() {
        Fixture f;
        const QString path = f.folder.Put("song.txt", Lyrics);
        FormPreview form(f.settings, nullptr, f.Maker());
        form.show();
        Activate(form);
        QVERIFY(form.OpenFile(path, false));
        QVERIFY(form.windowTitle().startsWith(QString::fromUtf8("プレビュー")));
        QVERIFY(form.StatusLabel()->text().contains(QString::fromUtf8("曲がありません")));
        QVERIFY(!f.clock->playing);
        QCOMPARE(FirstRow(form), Row("", 0)); // nothing before the first caption

        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(f.clock->playing);
        QCOMPARE(form.PlayButton()->text(), QString::fromUtf8("∥ 一時停止"));
        // The window's own timer follows the clock while it plays.
        f.clock->position = 1200;
        QTRY_COMPARE(form.View()->Rows().value(0).Sung, 1);
        QCOMPARE(form.View()->Rows()[0].Text, QString::fromUtf8("あいう"));
        f.clock->position = 1500;
        QTRY_COMPARE(form.View()->Rows().value(0).Sung, 2);
        QTRY_COMPARE(form.TimeLabel()->text(), QStringLiteral("00:01.5 / 00:06.0"));
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(!f.clock->playing);
        QCOMPARE(form.PlayButton()->text(), QString::fromUtf8("▶ 再生"));
        QTest::mouseClick(form.PlayButton(), Qt::LeftButton);
        QVERIFY(f.clock->playing);
        QTest::mouseClick(form.PlayButton(), Qt::LeftButton);
        QVERIFY(!f.clock->playing);

        // A click on the seek bar moves there (to within one pixel's worth of time).
        QSlider* bar = form.SeekBar();
        const qint64 duration = f.clock->duration;
        const int x = int(3700 * (bar->width() - 1) / duration);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
        const qint64 pixel = duration / (bar->width() - 1) + 1;
        QVERIFY2(std::abs(f.clock->position - 3700) <= pixel,
                 qPrintable(QString::number(f.clock->position)));
        QCOMPARE(FirstRow(form), Row("えお", 2));
        QCOMPARE(bar->value(), int(f.clock->position));

        // Line jumps: Down and Up, and the buttons.
        QTest::keyClick(&form, Qt::Key_Down);
        QCOMPARE(f.clock->position, 5000);
        QCOMPARE(FirstRow(form), Row("end", 3));
        QTest::keyClick(&form, Qt::Key_Down); // there is no line after the last
        QCOMPARE(f.clock->position, 5000);
        QTest::keyClick(&form, Qt::Key_Up);
        QCOMPARE(f.clock->position, 3000);
        QTest::keyClick(&form, Qt::Key_Up);
        QCOMPARE(f.clock->position, 1000);
        QTest::keyClick(&form, Qt::Key_Up);
        QCOMPARE(f.clock->position, 0);
        QTest::mouseClick(form.findChildren<QPushButton*>().value(0), Qt::LeftButton); // 前の行
        QCOMPARE(f.clock->position, 0);
        QPushButton* next = nullptr;
        for (QPushButton* button : form.findChildren<QPushButton*>())
            if (button->text().contains(QString::fromUtf8("次の行")))
                next = button;
        QVERIFY(next != nullptr);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(f.clock->position, 1000);

        // The nudge: keys and buttons, shown as the offset; the lyrics move against the song.
        QVERIFY(!form.SaveButton()->isEnabled());
        QTest::keyClick(&form, Qt::Key_Right);
        QCOMPARE(form.NudgeMs(), 10);
        QTest::keyClick(&form, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(form.NudgeMs(), 110);
        QTest::mouseClick(form.NudgeButton(-10), Qt::LeftButton);
        QCOMPARE(form.NudgeMs(), 100);
        QCOMPARE(form.NudgeLabel()->text(), QStringLiteral("+100 ms"));
        QTest::keyClick(&form, Qt::Key_Left, Qt::ShiftModifier);
        QTest::mouseClick(form.NudgeButton(100), Qt::LeftButton);
        QTest::mouseClick(form.NudgeButton(-100), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_Left);
        QCOMPARE(form.NudgeMs(), -10);
        QCOMPARE(form.NudgeLabel()->text(), QString::fromUtf8("−10 ms")); // as on the buttons
        for (int i = 0; i < 11; ++i)
            QTest::keyClick(&form, Qt::Key_Right);
        QCOMPARE(form.NudgeMs(), 100);
        QVERIFY(form.SaveButton()->isEnabled());
        f.clock->position = 3050;
        QCOMPARE(FirstRow(form), Row("あいう", 3)); // the line of 3000 now starts at 3100
        f.clock->position = 3100;
        QCOMPARE(FirstRow(form), Row("えお", 1));
        QTest::keyClick(&form, Qt::Key_Up); // the jumps follow the nudged times
        QCOMPARE(f.clock->position, 1100);

        // Saved after the question: the file's times move by the nudge, and the display
        // stays where it was.
        const QVector<int> before = TagTimes(path);
        const auto shownBefore = FirstRow(form);
        QString question;
        {
            OnModal answer(
                [&](QWidget* dialog) { question = Answer(dialog, QString::fromUtf8("いいえ")); });
            QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
            QCOMPARE(answer.count, 1);
        }
        QVERIFY(question.contains(QStringLiteral("+100")));
        QCOMPARE(TagTimes(path), before); // "no" changes nothing
        {
            OnModal answer([&](QWidget* dialog) { Answer(dialog, QString::fromUtf8("はい")); });
            Activate(form); // back to the window after the question
            QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(answer.count, 1);
        }
        QVector<int> moved;
        for (const int time : before)
            moved.append(time + 100);
        QCOMPARE(TagTimes(path), moved);
        QCOMPARE(form.NudgeMs(), 0);
        QVERIFY(!form.SaveButton()->isEnabled());
        QCOMPARE(FirstRow(form), shownBefore); // the saved file shows the same at 1100
        f.clock->position = 3100;
        QCOMPARE(FirstRow(form), Row("えお", 1));

        // Closing (Esc, Ctrl+W, the close box) stops the playback and keeps the place.
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            Activate(form);
            QTest::keyClick(&form, Qt::Key_Space);
            QVERIFY(f.clock->playing);
            QTest::keyClick(&form, keys[0].key(), keys[0].keyboardModifiers());
            QVERIFY(!form.isVisible());
            QVERIFY(!f.clock->playing);
            form.show();
        }
        Activate(form);
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(f.clock->playing);
        form.resize(760, 460);
        form.move(40, 30);
        form.close();
        QVERIFY(!f.clock->playing);
        QCOMPARE(f.settings.Preview.Width, 760 * 15);
        QCOMPARE(f.settings.Preview.Height, 460 * 15);
        FormPreview again(f.settings, nullptr, f.Maker());
        QCOMPARE(again.size(), QSize(760, 460));
        QCOMPARE(again.pos(), form.pos());
    }

    void aReadOnlyFileGivesTheSaveErrorAndStaysAsItWas() {
        Fixture f;
        const QString path = f.folder.Put("song.txt", Lyrics);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        FormPreview form(f.settings, nullptr, f.Maker());
        form.show();
        Activate(form);
        QVERIFY(form.OpenFile(path, true));
        QTest::keyClick(&form, Qt::Key_Left, Qt::ShiftModifier);
        QStringList texts;
        {
            OnModal answer([&](QWidget* dialog) {
                texts.append(Answer(dialog, texts.isEmpty() ? QString::fromUtf8("はい")
                                                            : QStringLiteral("OK")));
            });
            QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
            QCOMPARE(answer.count, 2);
        }
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[1].startsWith(QString::fromUtf8("02.セーブエラー")), qPrintable(texts[1]));
        QVERIFY2(texts[1].contains(QString::fromUtf8("読み取り専用")), qPrintable(texts[1]));
        QCOMPARE(test::ReadBytes(path), Lyrics);
        QCOMPARE(form.NudgeMs(), -100); // nothing lost: the nudge is still there
    }

    // Lines of 1 to 80 characters, Japanese, Latin and mixed, at three widths of the window:
    // every drawn piece lies inside the view, the pieces of a row give its text in order, and
    // the sung colour runs on from row to row of a wrapped line.
    void everyLineFitsTheView() {
        Fixture f;
        FormPreview form(f.settings, nullptr, f.Maker());
        form.show();
        const QString japanese = QString::fromUtf8("あいうえおかきくけこ漢字カタカナ「歌」ー");
        const QString latin = QStringLiteral("The quick brown fox jumps over a lazy dog ");
        for (const int width : {300, 640, 1400}) {
            form.resize(width, 360);
            QCoreApplication::processEvents();
            LyricsView* view = form.View();
            const QRectF inside(0, 0, view->width(), view->height());
            for (int length = 1; length <= 80; length += length < 20 ? 1 : 7) {
                for (const QString& source : {japanese, latin, japanese + latin}) {
                    QString text;
                    while (text.size() < length)
                        text += source;
                    text.truncate(length);
                    const int sung = length * 2 / 3;
                    view->SetRows({{text, sung}, {text.left(length / 2), 0}});
                    const LyricsLayout layout = view->Layout();
                    QStringList rowTexts(2);
                    int sungDrawn = 0;
                    bool unsungSeen = false;
                    for (const DrawnPiece& piece : layout.Pieces) {
                        QVERIFY2(inside.contains(piece.Box),
                                 qPrintable(QStringLiteral("%1 px: \"%2\" at %3,%4 %5x%6")
                                                .arg(width)
                                                .arg(piece.Text)
                                                .arg(piece.Box.x())
                                                .arg(piece.Box.y())
                                                .arg(piece.Box.width())
                                                .arg(piece.Box.height())));
                        rowTexts[piece.Row] += piece.Text;
                        if (piece.Row == 0 && piece.Colour == PieceColour::Sung) {
                            QVERIFY(!unsungSeen); // sung text comes before the rest
                            sungDrawn += piece.Text.size();
                        } else if (piece.Row == 0) {
                            unsungSeen = true;
                        }
                    }
                    QCOMPARE(rowTexts[0], text);
                    QCOMPARE(sungDrawn, sung);
                    QVERIFY(layout.Font.pointSizeF() >= LeastReadablePt - 0.01);
                }
            }
        }
    }

    // At any size every control shows whole, and the nudge label keeps one width; 表示行数
    // changed in the mode options reaches the open preview while the song plays on.
    void theControlsStayWholeAndTheOptionsReachAPlayingPreview() {
        Fixture f;
        test::TestFolder config;
        IniSettingsStore store(config.File("Tavelkor.ini"));
        const QString path = f.folder.Put("song.txt", Lyrics);
        FormMain main(f.settings, store);
        main.show();
        main.OpenPreview(path, true);
        FormPreview& form = *main.Preview();
        form.resize(300, 200);
        QCoreApplication::processEvents();
        for (QPushButton* button : form.findChildren<QPushButton*>())
            QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()),
                     qPrintable(button->text()));
        const int labelWidth = form.NudgeLabel()->width();
        for (int i = 0; i < 30; ++i)
            QTest::mouseClick(form.NudgeButton(-100), Qt::LeftButton);
        QCOMPARE(form.NudgeLabel()->width(), labelWidth);

        QVERIFY(form.Clock()->Playing());
        QCOMPARE(form.View()->Rows().size(), 1);
        main.Cmb()->setCurrentIndex(ModeTimeTagToSami);
        {
            OnModal options([](QWidget* dialog) {
                auto* options = qobject_cast<FormOption*>(dialog);
                QVERIFY(options != nullptr);
                options->CmbT2SLines()->setCurrentIndex(2);
                QTest::mouseClick(options->ComOK(), Qt::LeftButton);
            });
            QTest::mouseClick(main.ComMenu(), Qt::LeftButton);
            QTest::keyClick(main.PopupMenu(), 'M');
            QCOMPARE(options.count, 1);
        }
        QCOMPARE(f.settings.T2S.Lines, 3);
        QVERIFY(form.Clock()->Playing());
        QCOMPARE(form.View()->Rows().size(), 3);
    }

    void aDropOpensAFileAndABadOneIsSaidSo() {
        Fixture f;
        const QString first = f.folder.Put("first.txt", Lyrics);
        const QString second =
            f.folder.Put("second.smi", "<SAMI>\r\n<SYNC Start=1234>\r\n<P Class=LyricsCC>hi\r\n");
        const QString bad = f.folder.Put("notes.txt", "no tags here\r\n");
        FormPreview form(f.settings, nullptr, f.Maker());
        form.show();
        Activate(form);
        QVERIFY(form.OpenFile(first, false));
        DropOn(form, second);
        QTRY_COMPARE(form.FilePath(), second);
        QVERIFY(f.clock->playing); // a dropped file plays at once
        QCOMPARE(form.windowTitle(), QString::fromUtf8("プレビュー - second.smi"));
        f.clock->position = 1234;
        QCOMPARE(FirstRow(form), Row("hi", 2));
        QString said;
        {
            OnModal close([&](QWidget* dialog) { said = Answer(dialog, QStringLiteral("OK")); });
            DropOn(form, bad);
            QTRY_COMPARE(close.count, 1);
        }
        QVERIFY(said.contains(bad));
        QCOMPARE(form.FilePath(), second); // the window keeps what it had
    }

    void reachedFromTheMenuTheResultWindowAndALaterStart() {
        test::TestFolder folder;
        IniSettingsStore store(folder.File("Tavelkor.ini"));
        Settings settings;
        const QString lyrics = folder.Put("song.txt", Lyrics);
        FormMain main(settings, store);
        main.show();

        // A double-click on a file's line in the result window previews its output.
        settings.Init.DispResult = true;
        main.Cmb()->setCurrentIndex(ModeTimeTagToSami);
        {
            OnModal click([&](QWidget* dialog) {
                auto* result = qobject_cast<FormResult*>(dialog);
                QVERIFY(result != nullptr);
                const QTextBlock line = result->Text1()->document()->findBlockByNumber(2);
                const QRect place = result->Text1()->cursorRect(QTextCursor(line));
                QTest::mouseDClick(result->Text1()->viewport(), Qt::LeftButton, {},
                                   place.center() + QPoint(4, 0));
            });
            QVERIFY(main.OpenFiles({lyrics}));
            QTRY_VERIFY(!main.Busy());
            QCOMPARE(click.count, 1);
        }
        QTRY_VERIFY(main.Preview() != nullptr);
        QTRY_COMPARE(main.Preview()->FilePath(), folder.File("song.smi"));
        QVERIFY(main.Preview()->isVisible());

        // ★ menu → プレビュー… → the chooser, which starts in the folder of the last files: the
        // name typed and Enter.
        {
            OnModal choose([&](QWidget* dialog) {
                auto* chooser = qobject_cast<QFileDialog*>(dialog);
                QVERIFY(chooser != nullptr);
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name != nullptr);
                QTest::keyClicks(name, QStringLiteral("song.txt"));
                // The first Return may only take the completion offered while typing.
                for (int i = 0; i < 3 && chooser->isVisible(); ++i)
                    QTest::keyClick(name, Qt::Key_Return);
            });
            QTest::mouseClick(main.ComMenu(), Qt::LeftButton);
            QTest::keyClick(main.PopupMenu(), 'p');
            QCOMPARE(choose.count, 1);
        }
        QVERIFY(main.Preview()->isVisible());
        QCOMPARE(main.Preview()->FilePath(), lyrics);
        QVERIFY(main.Preview()->Clock()->Playing()); // no song: the silent clock plays
        QVERIFY(main.Preview()->windowTitle().startsWith(QString::fromUtf8("プレビュー")));

        // A later start's request, over the program's socket.
        const QString runtime = folder.File("runtime");
        QVERIFY(QDir().mkpath(runtime));
        SingleInstance first(runtime);
        QVERIFY(first.Acquire());
        QObject::connect(&first, &SingleInstance::PreviewArrived, &main,
                         [&main](const QString& file) { main.OpenPreview(file); });
        QSignalSpy files(&first, &SingleInstance::FilesArrived);
        SingleInstance later(runtime);
        QVERIFY(!later.Acquire());
        QVERIFY(later.HandOverPreview(lyrics));
        QTRY_COMPARE(main.Preview()->FilePath(), lyrics);
        QCOMPARE(files.count(), 0); // not a run

        // Closing the program closes the preview, which stops and keeps its place.
        main.close();
        QVERIFY(!main.Preview()->isVisible());
        QVERIFY(!main.Preview()->Clock()->Playing());
        QVERIFY(settings.Preview.Width > 0);
        store.Flush();
        QSettings saved(folder.File("Tavelkor.ini"), QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("Preview/Width")).toInt(), settings.Preview.Width);
    }
};

QTEST_MAIN(FormPreviewTest)
#include "FormPreviewTest.moc"
