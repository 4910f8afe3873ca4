// The window operations every window of the program uses: the always-on-top layer, and
// opening a document or web address with the desktop's default program.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QFont;
class QMimeData;
class QWidget;

namespace tavelkor {

// Puts the window into the always-on-top layer without moving, resizing or activating it.
void MakeTopmost(QWidget* window);
// Takes the window out of that layer, likewise.
void ClearTopmost(QWidget* window);

// How a document or address is handed to the desktop; true when the desktop took it.
using DocumentOpener = std::function<bool(const QUrl&)>;
// The desktop's default handler (QDesktopServices).
bool OpenWithDesktop(const QUrl& url);

// A target that starts with "http" (case-sensitive) is handed over as an address; any other
// target must be an existing regular file, else nothing happens and the result is false.
bool OpenDocument(QWidget* owner, const QString& target,
                  const DocumentOpener& open = OpenWithDesktop);

// Where the manual is looked for, in order: "Tavelkor.chm" and "Tavelkor.html" beside the
// program, then the installed HTML manual (share/tavelkor beside the program's bin folder).
QStringList ManualCandidates();
// The first of them that exists; "" when there is none.
QString FindManual();

// A window's place in twips (15 per pixel), as the settings keep it; a width of 0 means the
// window was never shown.
struct WindowPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};
// Puts the window where `place` says, kept on the screen; a window never shown opens in
// `defaultSize` in the middle of the screen.
void RestoreWindowPlace(QWidget* window, const WindowPlace& place, QSize defaultSize);
WindowPlace WindowPlaceOf(const QWidget* window);
// `font` drawing Latin letters, digits and Japanese in one design where a Japanese family that
// has them all is installed (IPA P Gothic, else IPA Gothic). Otherwise the system's family
// draws the digits and a fallback the kana, side by side in two designs.
QFont OneDesignFont(QFont font);
// The local file a drag or drop carries first; "" when it carries none.
QString DraggedLocalFile(const QMimeData* data);

} // namespace tavelkor
