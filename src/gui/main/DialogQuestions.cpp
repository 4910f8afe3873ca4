#include "DialogQuestions.h"

#include "../common/WindowHelpers.h"
#include "FormName.h"
#include "FormSlide.h"

#include <QApplication>
#include <QCursor>

namespace tavelkor {

namespace {

// While a dialog is open: the normal pointer, and the main window out of the top layer.
template <class Ask>
auto WithDialog(QWidget* mainWindow, Ask&& ask) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    ClearTopmost(mainWindow);
    auto answer = ask();
    MakeTopmost(mainWindow);
    QApplication::restoreOverrideCursor();
    return answer;
}

} // namespace

RunQuestions::ShiftAnswer DialogQuestions::AskShift(const QString& path, int currentMs) {
    return WithDialog(mainWindow_, [&] {
        FormSlide dialog(currentMs, mainWindow_, path);
        dialog.exec();
        return ShiftAnswer{dialog.Cancelled(), dialog.ShiftMs(), dialog.SameForAll()};
    });
}

int DialogQuestions::AskWhichNameWins(const QString& first, const QString& second) {
    return WithDialog(mainWindow_, [&] {
        FormName dialog(first, second, mainWindow_);
        dialog.exec();
        return dialog.Target();
    });
}

} // namespace tavelkor
