// The timing editor's keyboard as a karaoke maker uses it: a key held down (a tap key held for
// the sung length) acts once however the window system sends its repeats, except the keys
// that are meant to repeat (moving through the lines and fragments, fine moves, undo); and a
// closed menu hands the keys back to the editor, so a letter pressed after a menu was used
// taps or acts instead of opening a menu or running one of its commands.
#pragma once

#include "../../timing/HeldKeys.h"

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QMenuBar;
class QWidget;

namespace tavelkor {

class EditorKeys : public QObject {
public:
    // Watches the keys of `window` and the menus of `menuBar` from now on.
    EditorKeys(QWidget* window, QMenuBar* menuBar);
    ~EditorKeys() override;

    // True while `key` is held down (a repeat's press holds it again).
    bool Held(int key) const { return held_.Held(key); }

    // Keys that repeat while held: the arrows (with any modifier), page keys, Home/End and undo.
    static bool MayRepeat(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the press is a repeat of a key held down (decided once per press).
    bool IsRepeat(const QKeyEvent* press, bool override);
    void ReturnFromMenu();

    QPointer<QWidget> window_;
    QPointer<QMenuBar> menuBar_;
    HeldKeys held_;
    // The press whose shortcut check came first: its key press follows with the same answer.
    int overrideKey_ = 0;
    quint64 overrideTime_ = 0;
    bool overrideRepeat_ = false;
};

} // namespace tavelkor
