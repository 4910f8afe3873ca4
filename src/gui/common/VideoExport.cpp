#include "VideoExport.h"

#include "../../app/ResultCodes.h"
#include "../../base/PathHelpers.h"
#include "../../modes/VideoMode.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <memory>

namespace tavelkor {

namespace {

const QString Title = QStringLiteral(u"動画に書き出す");

void Tell(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, Title, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

void ExportKaraokeVideo(QWidget* owner, const QString& lyricsPath, const QString& songPath,
                        const Settings& settings) {
    VideoPlan plan = PlanKaraokeVideo(lyricsPath, settings, songPath);
    if (plan.Code != Converted) {
        Tell(owner, QMessageBox::Warning,
             ResultCodeText(plan.Code) + (plan.Note.isEmpty() ? QString() : u'\n' + plan.Note) +
                 u'\n' + lyricsPath);
        return;
    }
    QFileDialog chooser(owner, Title,
                        AddTrailingBackslash(FolderOf(lyricsPath)) + BaseNameOf(lyricsPath) +
                            QStringLiteral(".mp4"),
                        QStringLiteral(u"MP4 動画 (*.mp4)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("mp4"));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    plan.Job.OutputPath = chooser.selectedFiles().first();

    QProgressDialog progress(QStringLiteral(u"動画を作っています…"), QStringLiteral(u"中止"), 0,
                             1000, owner);
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    std::atomic<bool> stop{false};
    // 「中止」 and Esc (which only hides the dialog) both stop the video.
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&stop] { stop = true; });
    QObject::connect(&progress, &QDialog::rejected, &progress, [&stop] { stop = true; });
    KaraokeVideoProgress shown;
    shown.Stop = &stop;
    shown.Shown = [&progress](qint64 done, qint64 total) {
        const int value = total > 0 ? int(done * 1000 / total) : 0;
        QMetaObject::invokeMethod(&progress, [&progress, value] { progress.setValue(value); },
                                  Qt::QueuedConnection);
    };
    KaraokeVideoResult result;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { result = WriteKaraokeVideo(plan.Job, shown); }));
    QEventLoop waiting;
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    waiting.exec();
    worker->wait();
    progress.close();

    switch (result.Outcome) {
    case VideoOutcome::Written:
        Tell(owner, QMessageBox::Information,
             QStringLiteral(u"動画を書き出しました：") + plan.Job.OutputPath +
                 (plan.Note.isEmpty() ? QString() : u'\n' + plan.Note));
        break;
    case VideoOutcome::Cancelled:
        Tell(owner, QMessageBox::Information, QStringLiteral(u"動画の書き出しを中止しました"));
        break;
    case VideoOutcome::InputUnreadable:
    case VideoOutcome::Failed:
        Tell(owner, QMessageBox::Warning,
             QStringLiteral(u"動画を書き出せませんでした：") + plan.Job.OutputPath + u'\n' +
                 result.Error);
        break;
    }
}

} // namespace tavelkor
