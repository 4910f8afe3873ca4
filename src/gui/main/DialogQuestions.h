// The window's answers to a run's questions: the time-shift and file-name dialogs.
#pragma once

#include "../../app/RunQuestions.h"

class QWidget;

namespace tavelkor {

class DialogQuestions : public RunQuestions {
public:
    // `mainWindow` leaves the always-on-top layer while a dialog is open.
    explicit DialogQuestions(QWidget* mainWindow) : mainWindow_(mainWindow) {}

    ShiftAnswer AskShift(const QString& path, int currentMs) override;
    int AskWhichNameWins(const QString& first, const QString& second) override;

private:
    QWidget* mainWindow_;
};

} // namespace tavelkor
