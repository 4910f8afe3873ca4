// 「動画に書き出す…」 driven as a user drives it: the timing editor's file menu writes the open
// file as a karaoke video where the file dialog says, and the preview's 「動画…」 makes one that
// 「中止」 (Esc on the progress dialog) stops, leaving nothing behind. The songs are made with
// sox and lame; without them the test fails under CI=true and is skipped elsewhere.
#include "gui/preview/FormPreview.h"
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"

#include "TestFiles.h"
#include "TimingFakes.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

using namespace tavelkor;

namespace {

// `seconds` of tone as an MP3 at `path`; false when sox or lame cannot make it.
bool MakeSong(const QString& path, int seconds) {
    const QString wav = path + QStringLiteral(".wav");
    const bool made =
        QProcess::execute(QStringLiteral("sox"),
                          {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), wav,
                           QStringLiteral("synth"), QString::number(seconds),
                           QStringLiteral("sine"), QStringLiteral("440")}) == 0 &&
        QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), wav, path}) == 0;
    QFile::remove(wav);
    return made;
}

// Answers the dialogs of one export as a user does: Enter in the file dialog (the name it
// proposes), Esc on the progress dialog when `stop`, Enter on the closing message, whose text
// it keeps.
class ExportAnswers {
public:
    explicit ExportAnswers(bool stop) {
        QObject::connect(&timer_, &QTimer::timeout, [this, stop] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* chooser = qobject_cast<QFileDialog*>(dialog)) {
                proposed = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                QTest::keyClick(chooser->focusWidget(), Qt::Key_Return);
            } else if (qobject_cast<QProgressDialog*>(dialog) != nullptr) {
                sawProgress = true;
                if (stop)
                    QTest::keyClick(dialog, Qt::Key_Escape);
            } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                said = box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        timer_.start(20);
    }
    QString proposed;
    bool sawProgress = false;
    QString said;

private:
    QTimer timer_;
};

} // namespace

class VideoExportTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const bool peers = !QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty() &&
                           !QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty();
        if (!peers && qEnvironmentVariable("CI") == u"true")
            QFAIL("sox or lame is missing (scripts/bootstrap installs them)");
        if (!peers)
            QSKIP("sox or lame is not installed (scripts/bootstrap installs them)");
    }

    void editorMenuWritesTheOpenFile() {
        TimingFixture f;
        f.settings.T2V.Width = 320;
        f.settings.T2V.Height = 180;
        const QString lyrics = f.folder.Put("song.txt", "[00:00:20]さ[00:00:50]く[00:01:00]\r\n");
        QVERIFY(MakeSong(f.folder.File("song.mp3"), 2));
        FormTiming form(f.settings, nullptr, f.Maker());
        QVERIFY(form.OpenFile(lyrics));
        QVERIFY(ShowActive(form));
        ExportAnswers answers(false);
        QTest::keyClick(form.MenuBar(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_V);
        QTRY_VERIFY_WITH_TIMEOUT(!answers.said.isEmpty(), 120000);
        QCOMPARE(answers.proposed, QStringLiteral("song.mp4"));
        QVERIFY(answers.sawProgress);
        QCOMPARE(answers.said, QString::fromUtf8("動画を書き出しました：") + f.folder.File("song.mp4"));
        QVERIFY(QFileInfo(f.folder.File("song.mp4")).size() > 1000);
    }

    void previewButtonStopsWithNothingLeft() {
        test::TestFolder folder;
        Settings settings;
        const QString lyrics = folder.Put("long.txt", "[00:00:20]さ[00:00:50]く[00:59:00]\r\n");
        QVERIFY(MakeSong(folder.File("long.mp3"), 90));
        FormPreview form(settings, nullptr, [](const PreviewSong&, qint64 end) {
            return FormPreview::DefaultClock(PreviewSong(), end);
        });
        form.show();
        QVERIFY(form.OpenFile(lyrics, false));
        ExportAnswers answers(true);
        QTest::mouseClick(form.VideoButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!answers.said.isEmpty(), 120000);
        QVERIFY(answers.sawProgress);
        QCOMPARE(answers.said, QString::fromUtf8("動画の書き出しを中止しました"));
        QCOMPARE(QDir(folder.Path()).entryList({QStringLiteral("*.mp4*")},
                                               QDir::Files | QDir::Hidden),
                 QStringList());
    }
};

QTEST_MAIN(VideoExportTest)
#include "VideoExportTest.moc"
