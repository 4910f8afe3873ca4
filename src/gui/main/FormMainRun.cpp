// The main window's runs: files chosen, dropped or handed over by a later start, waiting while
// the window is busy, and the run of the selected mode on them with its progress and summary
// in the drop area.
#include "FormMain.h"

#include "../../app/BatchFrame.h"
#include "../../app/ResultCodes.h"
#include "../../modes/ModeTable.h"
#include "../../settings/Settings.h"
#include "../../settings/SettingsIo.h"
#include "../options/FormOption.h"
#include "../preview/FormPreview.h"
#include "DialogQuestions.h"
#include "FormMainLook.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace tavelkor {

void FormMain::ChooseFiles() {
    if (busy_)
        return;
    // The selected mode's extensions first (either letter case), then every file.
    QStringList filters;
    const int mode = cmb_->currentIndex();
    if (mode >= 0 && mode < ModeCount) {
        QStringList patterns;
        for (const QString& extension : ModeTable()[mode].AcceptedExtensions(settings_))
            patterns << QStringLiteral("*.") + extension
                     << QStringLiteral("*.") + extension.toUpper();
        patterns.removeDuplicates();
        if (!patterns.isEmpty())
            filters << ModeTable()[mode].Caption + QStringLiteral(" (") + patterns.join(u' ') +
                           u')';
    }
    filters << QStringLiteral(u"すべてのファイル (*)");
    QStringList files;
    WhileOutOfTop([&] {
        files = QFileDialog::getOpenFileNames(this, QStringLiteral(u"開く"), lastFolder_,
                                              filters.join(QStringLiteral(";;")));
    });
    OpenFiles(files);
}

bool FormMain::OpenFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return false;
    // Files handed over by a later start may come while a run goes on or a dialog is open:
    // they wait, and run as a drop of them would once the window is free.
    if (busy_ || QApplication::activeModalWidget() != nullptr || !waiting_.isEmpty()) {
        waiting_ += paths;
        waitTimer_->start();
        return true;
    }
    summaryTimer_->stop();
    summary_.clear();
    state_.DroppedFiles = paths;
    lastFolder_ = QFileInfo(paths.constLast()).absolutePath();
    SetBackground(pic_, IdleColour);
    // The run starts once the caller has returned.
    busy_ = true;
    timer1_->start();
    return true;
}

QString FormMain::TakeHandedOverFiles(const QStringList& paths) {
    const bool dialogOpen = QApplication::activeModalWidget() != nullptr;
    const bool running = busy_;
    OpenFiles(paths);
    const bool one = paths.size() == 1;
    const QString files =
        one ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(paths.size());
    if (waiting_.isEmpty())
        return files + QStringLiteral(" handed to the open window, which runs ") +
               (one ? QStringLiteral("it") : QStringLiteral("them")) + QStringLiteral(" now");
    return files + QStringLiteral(" handed to the open window; ") +
           (one ? QStringLiteral("it runs") : QStringLiteral("they run")) +
           (dialogOpen && !running ? QStringLiteral(" when its open dialog is closed")
                                   : QStringLiteral(" when its current run has finished"));
}

void FormMain::StartWaitingFiles() {
    if (waiting_.isEmpty()) {
        waitTimer_->stop();
        return;
    }
    if (busy_ || QApplication::activeModalWidget() != nullptr)
        return;
    waitTimer_->stop();
    const QStringList files = std::exchange(waiting_, {});
    OpenFiles(files);
}

void FormMain::dragEnterEvent(QDragEnterEvent* event) { AcceptDrag(event); }

void FormMain::dragMoveEvent(QDragMoveEvent* event) { AcceptDrag(event); }

void FormMain::AcceptDrag(QDragMoveEvent* event) {
    // Only file lists, and none while a run is pending or running (the no-drop pointer). The
    // drop area lights up while a drop would be taken.
    if (event->mimeData()->hasUrls() && !busy_) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        SetBackground(pic_, HighlightColour);
    } else {
        event->ignore();
    }
}

void FormMain::dragLeaveEvent(QDragLeaveEvent* event) {
    if (!busy_)
        SetBackground(pic_, IdleColour);
    QWidget::dragLeaveEvent(event);
}

void FormMain::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || busy_)
        return;
    SetBackground(pic_, IdleColour);
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    if (OpenFiles(paths))
        event->acceptProposedAction();
    else
        state_.DroppedFiles.clear(); // a drop without files starts nothing
}

void FormMain::RunDispatcher() {
    timer1_->stop();
    const int mode = cmb_->currentIndex();
    // The mode options first, when asked for; a cancel ends the run before it starts.
    if (settings_.Init.PreMode && HasModeOptions(mode)) {
        bool cancelled = false;
        WhileOutOfTop([&] {
            FormOption options(settings_, mode, this);
            options.exec();
            cancelled = options.OptionsCancelled;
        });
        if (preview_ != nullptr)
            preview_->ReloadStyle();
        if (cancelled) {
            busy_ = false;
            StartWaitingFiles();
            return;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetControlsForRun(true);
    SetBackground(pic_, BusyColour);
    lblMes_->setText(QStringLiteral(u"★★★ 変換中 ★★★"));
    lblMes_->adjustSize();
    QCoreApplication::processEvents();

    if (mode == ModeTimeShift)
        settings_.Init.SlidemSec = LoadShiftAmount(store_);
    DialogQuestions questions(this);
    BatchProgress progress;
    progress.Shown = [this](qsizetype done, qsizetype total) { ShowProgress(done, total); };
    progress.PartShown = [this](qint64 done, qint64 total) { ShowPartProgress(done, total); };
    progress_ = &progress;
    state_.Progress = &progress;
    // A run with outputs beside their sources makes each source's folder the output folder;
    // the folder the user chose is kept for when 指定フォルダ is picked again.
    const QString chosenFolder = settings_.Init.AnotherFolder;
    RunMode(mode, state_, settings_, questions);
    if (settings_.Init.SameFolder)
        settings_.Init.AnotherFolder = chosenFolder;
    state_.Progress = nullptr;
    progress_ = nullptr;
    // The time-shift amount is stored at the end of a run that accepted a file.
    if (mode == ModeTimeShift && !state_.Results.isEmpty())
        SaveShiftAmount(store_, settings_.Init.SlidemSec);

    // The window looks ready again, with the run's summary, before the results show.
    SetControlsForRun(false);
    ShowSummary();
    QCoreApplication::processEvents();
    const bool anything = !state_.RejectedFiles.isEmpty() || !state_.Results.isEmpty();
    if (anything && settings_.Init.DispResult &&
        (!settings_.Init.DispResult2 || HasFailures(state_))) {
        QApplication::restoreOverrideCursor();
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        WhileOutOfTop([this] { ShowResult(state_); });
    }
    QApplication::restoreOverrideCursor();
    busy_ = false;
    StartWaitingFiles();
}

void FormMain::SetControlsForRun(bool running) {
    // The window stays enabled so that Esc and the stop button reach it; everything that
    // would change the run's settings or start another one waits.
    pic2_->setEnabled(!running);
    for (QAction* action : actions())
        action->setEnabled(!running);
    mnStop_->setEnabled(true);
    comStop_->setVisible(running);
    if (running) {
        comStop_->adjustSize();
        comStop_->move(pic_->width() - comStop_->width() - 6,
                       pic_->height() - comStop_->height() - 4);
        comStop_->raise();
    }
}

void FormMain::ShowProgress(qsizetype done, qsizetype total) {
    // The count changes the text at most every 1/50 of the files, so that a run of many small
    // files spends its time on the files.
    const qsizetype step = std::max<qsizetype>(1, total / 50);
    if (done != 0 && done != total && done - shownDone_ < step)
        return;
    shownDone_ = done;
    ShowBusyText(QStringLiteral(u"★★★ 変換中 ★★★ %1/%2").arg(done).arg(total));
}

void FormMain::ShowPartProgress(qint64 done, qint64 total) {
    if (progress_ == nullptr || total <= 0)
        return;
    ShowBusyText(QStringLiteral(u"★★★ 変換中 ★★★ %1/%2 (%3%)")
                     .arg(progress_->Done.load() + 1)
                     .arg(progress_->Total.load())
                     .arg(done * 100 / total));
}

void FormMain::ShowBusyText(const QString& text) {
    lblMes_->setText(text);
    lblMes_->adjustSize();
    lblMes_->move(std::max(0, (WindowWidth - lblMes_->width()) / 2), lblMes_->y());
    QCoreApplication::processEvents();
}

void FormMain::ShowSummary() {
    summary_ = RunSummaryText(state_);
    SetIdleLook();
    if (!summary_.isEmpty())
        summaryTimer_->start();
}

void FormMain::SetIdleLook() {
    SetBackground(pic_, IdleColour);
    lblMes_->setText(summary_.isEmpty() ? IdleMessage()
                                        : summary_ + QStringLiteral(u"（クリックで結果）"));
    lblDD_->setCursor(summary_.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    if (!settings_.Init.SmallSize)
        ApplyWindowSize();
}

} // namespace tavelkor
