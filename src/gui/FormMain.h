// The main window: the mode strip, the pictogram and explanation of the selected mode, and
// the drop area that starts a run.
#pragma once

#include "../app/BatchState.h"

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

struct Settings;
class SettingsStore;

class FormMain : public QWidget {
    Q_OBJECT
public:
    // Loads every setting from `store` into `settings` and lays the window out.
    FormMain(Settings& settings, SettingsStore& store, QWidget* parent = nullptr);

    // Saves every setting (the window's position and mode included) to the store.
    void SaveAll();

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
    QAction* MnOptionMode() const { return mnOptionMode_; }
    QAction* MnSmallSize() const { return mnSmallSize_; }
    QTimer* Timer1() const { return timer1_; }

    // Answers the popup menu's state for the selected mode (the per-mode options entry is
    // enabled for modes 0..6), as the menu button does before it opens the menu.
    void PrepareMenu();

    // Whether the result window is shown after a run; by default it opens modally.
    std::function<void(const BatchState&)> ShowResult;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AcceptDrag(QDragMoveEvent* event);
    void SelectMode(int mode);
    void RunDispatcher();
    void SetIdleLook();
    void OpenHelp();

    Settings& settings_;
    SettingsStore& store_;
    BatchState state_;
    bool busy_ = false;
    bool hasMarlett_ = false;
    int lastMode_ = -1;

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
    QMenu* menu_;
    QAction* mnOptionCommon_;
    QAction* mnOptionMode_;
    QAction* mnSmallSize_;
    QAction* mnHelp_;
    QAction* mnAbout_;
};

} // namespace tavelkor
