#include "LyricsView.h"

#include "WindowHelpers.h"

#include <QFontDatabase>
#include <QPainter>
#include <QRegularExpression>

namespace tavelkor {

namespace {

const QColor Background(0, 0, 0);

QColor CssColour(const QString& text, const QColor& fallback) {
    QColor colour = QColor::fromString(text.trimmed());
    if (!colour.isValid()) {
        // rgb(r, g, b)
        static const QRegularExpression rgb(
            QStringLiteral(R"(^\s*rgb\s*\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\)\s*$)"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = rgb.match(text);
        if (match.hasMatch())
            colour = QColor(std::min(255, match.captured(1).toInt()),
                            std::min(255, match.captured(2).toInt()),
                            std::min(255, match.captured(3).toInt()));
    }
    return colour.isValid() ? colour : fallback;
}

} // namespace

LyricsView::LyricsView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 90);
}

void LyricsView::SetStyle(const DisplayStyle& style) {
    style_ = style;
    update();
}

void LyricsView::SetRows(const QVector<DisplayRow>& rows) {
    bool same = rows.size() == rows_.size();
    for (int i = 0; same && i < rows.size(); ++i)
        same = rows[i].Text == rows_[i].Text && rows[i].Sung == rows_[i].Sung &&
               rows[i].Ruby == rows_[i].Ruby;
    if (same)
        return;
    rows_ = rows;
    update();
}

QFont LyricsView::StyleFont() const {
    QFont font = QFontDatabase::families().contains(style_.FontFamily)
                     ? QFont(style_.FontFamily)
                     : OneDesignFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    font.setBold(style_.Bold);
    return font;
}

LyricsLayout LyricsView::Layout() const { return LayOutLyrics(rows_, style_, StyleFont(), size()); }

void LyricsView::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    const LyricsLayout layout = Layout();
    const QColor base = CssColour(style_.BaseColour, Qt::lightGray);
    const QColor sung = CssColour(style_.SungColour, base);
    const QColor unsung = CssColour(style_.UnsungColour, base);
    for (const DrawnPiece& piece : layout.Pieces) {
        painter.setPen(piece.Colour == PieceColour::Sung     ? sung
                       : piece.Colour == PieceColour::Unsung ? unsung
                                                             : base);
        painter.setFont(piece.Reading ? layout.RubyFont : layout.Font);
        painter.drawText(piece.Origin, piece.Text);
    }
}

} // namespace tavelkor
