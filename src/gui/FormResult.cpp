#include "FormResult.h"

#include "../app/BatchState.h"
#include "../app/ResultCodes.h"
#include "WindowHelpers.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace tavelkor {

namespace {

// Margin above the text box, between it and the button, and below the button.
constexpr int TextTop = 8;
constexpr int TextLeft = 8;

// A fixed-pitch font in which a full-width character is as wide as two half-width ones, so
// names padded by their CP932 byte count line up on the ": " column.
QFont ReportFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(14); // even, so a half-width character is exactly half a full-width one
    return font;
}

} // namespace

bool MarlettInstalled() { return QFontDatabase::families().contains(QStringLiteral("Marlett")); }

FormResult::FormResult(const BatchState& state, bool hasMarlett, QWidget* parent)
    : QDialog(parent), text1_(new QPlainTextEdit(this)), comClose_(new QPushButton(this)),
      label1_(new QLabel(this)) {
    setWindowTitle(QStringLiteral(u"処理結果"));
    setModal(true);
    setSizeGripEnabled(false);
    resize(480, 320);

    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setFont(ReportFont());
    text1_->move(TextLeft, TextTop);
    comClose_->setText(QStringLiteral(u"閉じる"));
    comClose_->resize(96, 28);
    connect(comClose_, &QPushButton::clicked, this, &QDialog::accept);
    label1_->setText(QStringLiteral("o"));
    label1_->setFont(QFont(QStringLiteral("Marlett")));
    label1_->resize(16, 16);
    // 1. The size-grip glyph only where its font exists.
    label1_->setVisible(hasMarlett);

    // 2. Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    // 3-6. The report, lines ending as the text box shows them.
    QString report = MakeResultReport(state);
    report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text1_->setPlainText(report);
    // 7. On top of all other windows.
    MakeTopmost(this);
    ArrangeControls();
}

void FormResult::ArrangeControls() {
    const int innerWidth = width();
    const int innerHeight = height();
    label1_->move(innerWidth - label1_->width(), innerHeight - label1_->height());
    const int closeLeft = (innerWidth - comClose_->width()) / 2;
    const int closeTop = innerHeight - comClose_->height() - TextTop;
    if (closeLeft >= 0 && closeTop >= 0)
        comClose_->move(closeLeft, closeTop);
    const int textWidth = innerWidth - 2 * TextLeft;
    if (textWidth >= 0)
        text1_->resize(textWidth, text1_->height());
    const int textHeight = innerHeight - 3 * TextTop - comClose_->height();
    if (textHeight >= 0)
        text1_->resize(text1_->width(), textHeight);
}

void FormResult::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ArrangeControls();
}

void FormResult::done(int result) {
    ClearTopmost(this); // on unloading, the window leaves the always-on-top layer
    QDialog::done(result);
}

void FormResult::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    comClose_->setFocus(); // activation: the focus goes to the close button
}

} // namespace tavelkor
