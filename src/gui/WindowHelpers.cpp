#include "WindowHelpers.h"

#include "../base/TextFile.h"

#include <QDesktopServices>
#include <QWidget>

namespace tavelkor {

namespace {

// Changing a window flag hides a visible window; it is shown again in place, without taking
// the focus from the window the user works in.
void SetStaysOnTop(QWidget* window, bool onTop) {
    if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->setGeometry(geometry);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

} // namespace

void MakeTopmost(QWidget* window) { SetStaysOnTop(window, true); }

void ClearTopmost(QWidget* window) { SetStaysOnTop(window, false); }

bool OpenWithDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool OpenDocument(QWidget*, const QString& target, const DocumentOpener& open) {
    if (target.startsWith(QStringLiteral("http")))
        return open(QUrl(target));
    if (!FileExists(target))
        return false;
    return open(QUrl::fromLocalFile(target));
}

} // namespace tavelkor
