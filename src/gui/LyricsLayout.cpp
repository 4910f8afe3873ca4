#include "LyricsLayout.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>

namespace tavelkor {

namespace {

constexpr qreal Margin = 8;
constexpr qreal LineSpacing = 1.2;

struct VisualLine {
    int Row;
    qsizetype From; // its characters in the row's text
    qsizetype To;
};

// Breaks a row's text into lines no wider than `width`: at the last space inside the line
// where there is one (a Latin word stays whole), else before the character that does not fit.
// A single character wider than the room still gets a line of its own.
QVector<VisualLine> WrapRow(int row, const QString& text, const QFontMetricsF& metrics,
                            qreal width) {
    QVector<VisualLine> lines;
    if (text.isEmpty()) {
        lines.append({row, 0, 0});
        return lines;
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype from = 0;
    qsizetype lastFit = 0;
    qsizetype afterSpace = -1;
    for (qsizetype at = graphemes.toNextBoundary(); at != -1; at = graphemes.toNextBoundary()) {
        if (metrics.horizontalAdvance(text.mid(from, at - from)) > width && lastFit > from) {
            const qsizetype end = afterSpace > from ? afterSpace : lastFit;
            lines.append({row, from, end});
            from = end;
            afterSpace = -1;
        }
        if (text[at - 1] == u' ' || text[at - 1] == u'\u3000')
            afterSpace = at;
        lastFit = at;
    }
    lines.append({row, from, text.size()});
    return lines;
}

QVector<VisualLine> WrapAll(const QVector<DisplayRow>& rows, const QFontMetricsF& metrics,
                            qreal width) {
    QVector<VisualLine> lines;
    for (int i = 0; i < rows.size(); ++i)
        lines += WrapRow(i, rows[i].Text, metrics, width);
    return lines;
}

} // namespace

LyricsLayout LayOutLyrics(const QVector<DisplayRow>& rows, const DisplayStyle& style, QFont font,
                          QSize size) {
    const qreal width = std::max<qreal>(1, size.width() - 2 * Margin);
    const int rowCount = std::max(1, int(rows.size()));

    // The style's size, made larger when the window has room for it (at most four times).
    font.setPointSizeF(style.FontSizePt);
    const qreal natural = QFontMetricsF(font).height();
    const qreal room = size.height() / (rowCount + 1.0);
    qreal points = style.FontSizePt * std::clamp(room / natural, 1.0, 4.0);
    const qreal least = std::min<qreal>(points, LeastReadablePt);

    // Smaller for the widest row, down to the least size; then the rows wrap, and the text
    // shrinks further while the wrapped rows are taller than the view.
    font.setPointSizeF(points);
    qreal widest = 0;
    for (const DisplayRow& row : rows)
        widest = std::max(widest, QFontMetricsF(font).horizontalAdvance(row.Text));
    if (widest > width)
        points = std::max(least, points * width / widest * 0.98);
    QVector<VisualLine> lines;
    for (;;) {
        font.setPointSizeF(points);
        const QFontMetricsF metrics(font);
        lines = WrapAll(rows, metrics, width);
        if (lines.size() * metrics.height() * LineSpacing <= size.height() || points <= least)
            break;
        points = std::max(least, points * 0.9);
    }
    const QFontMetricsF metrics(font);
    const qreal lineHeight = metrics.height() * LineSpacing;
    // Rows that cannot fit even at the least size are left off from the end: the current
    // line's rows come first.
    const qsizetype fitting = std::max<qsizetype>(1, qsizetype(size.height() / lineHeight));
    if (lines.size() > fitting)
        lines.resize(fitting);

    LyricsLayout layout;
    layout.Font = font;
    qreal y = std::max<qreal>(0, (size.height() - lineHeight * lines.size()) / 2) +
              (lineHeight - metrics.height()) / 2 + metrics.ascent();
    for (const VisualLine& line : lines) {
        const DisplayRow& row = rows[line.Row];
        const QString text = row.Text.mid(line.From, line.To - line.From);
        const qreal lineWidth = metrics.horizontalAdvance(text);
        qreal x = style.Alignment == RowAlignment::Left    ? Margin
                  : style.Alignment == RowAlignment::Right ? size.width() - Margin - lineWidth
                                                           : (size.width() - lineWidth) / 2;
        const qsizetype sung = std::clamp<qsizetype>(row.Sung - line.From, 0, text.size());
        // The rest of the current line is in the colour of the part still to sing; the
        // following lines, and every line without karaoke, in the base colour.
        const PieceColour rest =
            line.Row == 0 && style.Karaoke ? PieceColour::Unsung : PieceColour::Base;
        const std::pair<QString, PieceColour> parts[] = {{text.left(sung), PieceColour::Sung},
                                                         {text.mid(sung), rest}};
        for (const auto& [part, colour] : parts) {
            if (part.isEmpty())
                continue;
            const qreal advance = metrics.horizontalAdvance(part);
            layout.Pieces.append({part, QPointF(x, y),
                                  QRectF(x, y - metrics.ascent(), advance, metrics.height()),
                                  colour, line.Row});
            x += advance;
        }
        y += lineHeight;
    }
    return layout;
}

} // namespace tavelkor
