#include "WindowHelpers.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace tavelkor {

namespace {

// Only the stacking layer changes: the native window stays the same window, where it is, as
// large as it is, and the focus stays where it is. A window that has no native window yet takes
// the flag with it when it is created.
void SetStaysOnTop(QWidget* window, bool onTop) {
    if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const Qt::WindowFlags flags = window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
    QWindow* native = window->windowHandle();
    if (native == nullptr) {
        window->setWindowFlags(flags);
        return;
    }
    // QWidget::setWindowFlags would destroy and recreate the native window. Instead the widget
    // records the flag without telling the window system, and the native window is told alone:
    // on X11 that is a _NET_WM_STATE_ABOVE request to the window manager (a hidden window
    // carries the state in its _NET_WM_STATE property when it is mapped again); on Wayland the
    // protocol has no such layer and nothing changes.
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
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

QStringList ManualCandidates() {
    const QString folder = AddTrailingBackslash(QCoreApplication::applicationDirPath());
    return {folder + QStringLiteral("Tavelkor.chm"), folder + QStringLiteral("Tavelkor.html"),
            QDir::cleanPath(folder + QStringLiteral("../share/tavelkor/Tavelkor.html"))};
}

QString FindManual() {
    for (const QString& path : ManualCandidates()) {
        if (FileExists(path))
            return path;
    }
    return {};
}

namespace {
constexpr int TwipsPerPixel = 15;
}

void RestoreWindowPlace(QWidget* window, const WindowPlace& place, QSize defaultSize) {
    QRect geometry(QPoint(0, 0), defaultSize);
    if (place.Width > 0 && place.Height > 0)
        geometry = QRect(place.Left / TwipsPerPixel, place.Top / TwipsPerPixel,
                         place.Width / TwipsPerPixel, place.Height / TwipsPerPixel);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        geometry.setSize(geometry.size().boundedTo(area.size()));
        if (place.Width <= 0 || !area.contains(geometry))
            geometry.moveCenter(area.center());
    }
    window->resize(geometry.size());
    window->move(geometry.topLeft());
}

WindowPlace WindowPlaceOf(const QWidget* window) {
    return {window->x() * TwipsPerPixel, window->y() * TwipsPerPixel,
            window->width() * TwipsPerPixel, window->height() * TwipsPerPixel};
}

QString DraggedLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty() ||
        !data->urls().constFirst().isLocalFile())
        return QString();
    return data->urls().constFirst().toLocalFile();
}

} // namespace tavelkor
