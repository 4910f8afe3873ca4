#include "EditorKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTimer>

namespace tavelkor {

namespace {

// The menu bar's style, but Alt pressed and released alone does not hand the keyboard to the
// menu bar: a letter after a stray Alt (Alt+Tab and back) taps instead of opening a menu.
// Alt with a letter still opens its menu.
class NoAltNavigationStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

EditorKeys::EditorKeys(QWidget* window, QMenuBar* menuBar)
    : QObject(window), window_(window), menuBar_(menuBar) {
    qApp->installEventFilter(this);
    // Made after the menu bar, so it goes after it: the menu bar never outlives its style.
    auto* style = new NoAltNavigationStyle(QStyleFactory::create(menuBar->style()->name()));
    style->setParent(this);
    menuBar->setStyle(style);
    for (QAction* action : menuBar->actions()) {
        if (QMenu* menu = action->menu())
            connect(menu, &QMenu::aboutToHide, this, [this] {
                // Once the popup is gone (and no other one, such as the next menu, opened).
                QTimer::singleShot(0, this, [this] { ReturnFromMenu(); });
            });
    }
}

EditorKeys::~EditorKeys() { qApp->removeEventFilter(this); }

bool EditorKeys::MayRepeat(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return true;
    case Qt::Key_Z:
    case Qt::Key_Y:
        return modifiers.testFlag(Qt::ControlModifier);
    default:
        return false;
    }
}

void EditorKeys::ReturnFromMenu() {
    // Esc in a menu leaves the menu bar holding the keyboard, where a letter opens the menu of
    // its mnemonic: the keys go back to the editor instead. Alt still opens the menus.
    if (window_ == nullptr || menuBar_ == nullptr || QApplication::activePopupWidget() != nullptr)
        return;
    // The keys released while the menu had the keyboard were not seen here.
    held_.Clear();
    if (menuBar_->hasFocus() || QApplication::focusWidget() == nullptr)
        window_->setFocus(Qt::OtherFocusReason);
    menuBar_->setActiveAction(nullptr);
}

bool EditorKeys::IsRepeat(const QKeyEvent* press, bool override) {
    const int key = press->key();
    const quint64 time = press->timestamp();
    if (!override && overrideKey_ == key && overrideTime_ == time) {
        overrideKey_ = 0;
        return overrideRepeat_;
    }
    const bool repeat = !held_.Press(key, time, press->isAutoRepeat());
    if (override) {
        overrideKey_ = key;
        overrideTime_ = time;
        overrideRepeat_ = repeat;
    }
    return repeat;
}

bool EditorKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == window_ && type == QEvent::WindowDeactivate) {
        // The releases of keys held now go to another window.
        held_.Clear();
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    // Keys are sent to the widget with the focus (the window when none has it) and passed up
    // from there: each press is judged once, where it is first sent.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || window_ == nullptr || widget->window() != window_)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (widget != (focus != nullptr ? focus : window_.data()))
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (MayRepeat(keyEvent->key(), keyEvent->modifiers()))
        return false;
    if (type == QEvent::KeyRelease) {
        held_.Release(keyEvent->key(), keyEvent->timestamp(), keyEvent->isAutoRepeat());
        return keyEvent->isAutoRepeat();
    }
    if (!IsRepeat(keyEvent, type == QEvent::ShortcutOverride))
        return false;
    // A repeat: accepting the shortcut check keeps the shortcut from firing, and the press
    // itself goes nowhere.
    event->accept();
    return true;
}

} // namespace tavelkor
