// The main window's size and the drop area's look, shared by its files (FormMain.cpp and
// FormMainRun.cpp).
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace tavelkor {

inline constexpr int WindowWidth = 360;      // pixels
inline const QColor IdleColour(0, 160, 240); // 0xF0A000 as the drop area's back colour
inline const QColor BusyColour(255, 128, 0); // 0x0080FF
// A drag that would be accepted is over the window.
inline const QColor HighlightColour(128, 208, 255);

inline QString IdleMessage() { return QStringLiteral(u"ファイルをＤ＆Ｄしてください"); }

inline void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->repaint();
}

} // namespace tavelkor
