// The main window: the mode strip, the pictogram and explanation of the selected mode, and
// the drop area that starts a run.
#pragma once

#include "../../app/BatchState.h"
#include "../common/WindowHelpers.h"

#include <QWidget>
#include <array>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace tavelkor {

class FormPreview;
class FormTiming;

struct Settings;
class SettingsStore;

class FormMain : public QWidget {
    Q_OBJECT
public:
    // Loads every setting from `store` into `settings` and lays the window out.
    FormMain(Settings& settings, SettingsStore& store, QWidget* parent = nullptr);

    // Saves every setting (the window's position and mode included) to the store.
    void SaveAll();

    // Starts a run of the selected mode on `paths` (full paths) as a drop of them would, after
    // this returns. While a run is pending or running or a dialog is open, the files wait and
    // run as soon as the window is free again. False only when `paths` is empty. Files named on
    // the command line, handed over by a later start and chosen with 「開く…」 come in here.
    bool OpenFiles(const QStringList& paths);
    // Files waiting for the window to be free.
    const QStringList& WaitingFiles() const { return waiting_; }
    // OpenFiles for files a later start handed over, answering what became of them in words
    // the later start prints.
    QString TakeHandedOverFiles(const QStringList& paths);

    // Opens the preview window (made on first use) on a lyrics file, playing when `play` is set.
    void OpenPreview(const QString& path, bool play = true);
    // The preview window, once it has been opened.
    FormPreview* Preview() const { return preview_; }
    // Opens the timing editor (made on first use) on a lyrics file at `positionMs`.
    void OpenTiming(const QString& path, qint64 positionMs = 0);
    FormTiming* Timing() const { return timing_; }
    QAction* MnTiming() const { return mnTiming_; }

    void ShowModeExplanation(int mode);
    void SetupArrowButtons();
    void ApplyWindowSize();
    bool Busy() const { return busy_; }
    const BatchState& State() const { return state_; }

    QComboBox* Cmb() const { return cmb_; }
    QPushButton* ComLeft() const { return comLeft_; }
    QPushButton* ComRight() const { return comRight_; }
    QPushButton* ComMenu() const { return comMenu_; }
    QLabel* LblExp() const { return lblExp_; }
    QLabel* LblMes() const { return lblMes_; }
    QLabel* LblDD() const { return lblDD_; }
    QWidget* Pic() const { return pic_; }
    QLabel* Img(int index) const { return img_[index]; }
    QMenu* PopupMenu() const { return menu_; }
    QAction* MnOpen() const { return mnOpen_; }
    QAction* MnPreview() const { return mnPreview_; }
    QAction* MnOptionCommon() const { return mnOptionCommon_; }
    QAction* MnOptionMode() const { return mnOptionMode_; }
    QAction* MnSmallSize() const { return mnSmallSize_; }
    QAction* MnHelp() const { return mnHelp_; }
    QAction* MnAbout() const { return mnAbout_; }
    QTimer* Timer1() const { return timer1_; }
    // The stop button shown on the drop area while a run goes on (Esc presses it too).
    QPushButton* ComStop() const { return comStop_; }
    // The run's summary shown after it in the drop area, "" when none is shown.
    QString Summary() const { return summary_; }
    // How long the summary stays (milliseconds), unless a new run comes first.
    static constexpr int SummaryMs = 8000;

    // Answers the popup menu's state for the selected mode (the per-mode options entry is
    // enabled for modes 0..6), as the menu button does before it opens the menu.
    void PrepareMenu();

    // Whether the result window is shown after a run; by default it opens modally.
    std::function<void(const BatchState&)> ShowResult;
    // How the manual is handed to the desktop (its default handler unless replaced).
    DocumentOpener OpenWith = OpenWithDesktop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void AcceptDrag(QDragMoveEvent* event);
    void SelectMode(int mode);
    void RunDispatcher();
    void SetIdleLook();
    // Enables or disables what a run must not be disturbed by: the mode strip and the actions.
    void SetControlsForRun(bool running);
    void ShowProgress(qsizetype done, qsizetype total);
    // How far the file being made has come (a video's frames), after the count of files.
    void ShowPartProgress(qint64 done, qint64 total);
    void ShowBusyText(const QString& text); // the busy text, centred; events are handled
    void ShowSummary();
    // Starts the waiting files when nothing holds the window any more.
    void StartWaitingFiles();
    // Opens the popup menu: at the pointer after a click, under the button from the keyboard.
    void OpenMenu(bool underButton);
    // Shows a modal dialog of the main window with the window out of the always-on-top layer.
    void WhileOutOfTop(const std::function<void()>& show);
    // Back in the always-on-top layer, unless a dialog or the preview is open.
    void RestoreTop();
    void ChooseFiles();
    void ChoosePreviewFile();
    void OpenHelp();
    // Opens the manual at `path`; when the desktop cannot, says where the manual is.
    bool OpenManual(const QString& path);

    Settings& settings_;
    SettingsStore& store_;
    BatchState state_;
    bool busy_ = false;
    bool hasMarlett_ = false;
    int lastMode_ = -1;
    int outOfTop_ = 0;    // modal dialogs open that keep the window out of the top layer
    QString lastFolder_;  // where the file chooser starts: the folder of the last files
    QStringList waiting_; // files handed over while the window was not free
    QString summary_;
    BatchProgress* progress_ = nullptr; // the progress of the run going on
    qsizetype shownDone_ = 0;           // the count the busy text shows

    QWidget* pic2_;
    QComboBox* cmb_;
    QPushButton* comLeft_;
    QPushButton* comRight_;
    QPushButton* comMenu_;
    QWidget* pic_;
    std::array<QLabel*, 3> img_;
    QLabel* lblExp_;
    QLabel* lblMes_;
    QLabel* lblDD_;
    QTimer* timer1_;
    QTimer* waitTimer_;    // looks for a free window while files wait
    QTimer* summaryTimer_; // ends the summary's time
    QPushButton* comStop_;
    QMenu* menu_;
    FormPreview* preview_ = nullptr;
    QAction* mnOpen_;
    QAction* mnPreview_;
    QAction* mnQuit_;
    QAction* mnStop_;
    QAction* mnOptionCommon_;
    QAction* mnOptionMode_;
    QAction* mnSmallSize_;
    QAction* mnHelp_;
    QAction* mnAbout_;
    void ChooseTimingFile();
    FormTiming* timing_ = nullptr;
    QAction* mnTiming_ = nullptr;
};

} // namespace tavelkor
