#include "WindowHelpers.h"

#include "../../base/PathHelpers.h"
#include "../../base/TextFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

namespace tavelkor {

namespace {

// How long the desktop's opener is given to say that nothing could open a document.
constexpr int OpenerAnswerMs = 2000;

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

bool OpenWithDesktop(const QUrl& url) {
    // xdg-open says by its exit status when no program takes the document (it then exits at
    // once); a program it starts may keep it running, which counts as taken.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url);
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
    if (!process->waitForStarted(OpenerAnswerMs)) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(OpenerAnswerMs))
        return true; // still running: the document is open in a program xdg-open waits for
    const bool taken = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    process->deleteLater();
    return taken;
}

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
    // Never smaller than what shows every control whole.
    window->resize(geometry.size().expandedTo(window->minimumSizeHint()));
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

QFont OneDesignFont(QFont font) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")}) {
        if (installed.contains(family)) {
            font.setFamilies({family, font.family()});
            break;
        }
    }
    return font;
}

} // namespace tavelkor
