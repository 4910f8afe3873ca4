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
    bool HasRuby = false; // a reading starts in it: it takes a reading row above
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
    for (int i = 0; i < rows.size(); ++i) {
        for (VisualLine line : WrapRow(i, rows[i].Text, metrics, width)) {
            for (const RubySpan& span : rows[i].Ruby)
                line.HasRuby = line.HasRuby || (span.From >= line.From && span.From < line.To);
            lines.append(line);
        }
    }
    return lines;
}

QFont RubyFontOf(QFont font) {
    font.setPointSizeF(font.pointSizeF() * RubyScale);
    return font;
}

// The height the lines take: a text row each, a reading row more where they have readings.
qreal HeightOf(const QVector<VisualLine>& lines, const QFont& font) {
    const qreal text = QFontMetricsF(font).height() * LineSpacing;
    const qreal ruby = QFontMetricsF(RubyFontOf(font)).height();
    qreal height = 0;
    for (const VisualLine& line : lines)
        height += text + (line.HasRuby ? ruby : 0);
    return height;
}

// The readings over a visual line whose text starts at `x` on `baseline`: each centred over its
// base (kept inside the view), its first characters sung as far as its base is sung.
void AddReadings(LyricsLayout& layout, const DisplayRow& row, const VisualLine& line,
                 const QFontMetricsF& metrics, qreal x, qreal baseline, PieceColour rest,
                 qreal viewWidth) {
    const QFontMetricsF ruby(layout.RubyFont);
    const QString text = row.Text.mid(line.From, line.To - line.From);
    for (const RubySpan& span : row.Ruby) {
        if (span.From < line.From || span.From >= line.To || span.Reading.isEmpty())
            continue;
        const qsizetype from = span.From - line.From;
        const qsizetype length = std::min<qsizetype>(span.Length, text.size() - from);
        const qreal baseX = x + metrics.horizontalAdvance(text.left(from));
        const qreal baseWidth = metrics.horizontalAdvance(text.mid(from, length));
        const qreal width = ruby.horizontalAdvance(span.Reading);
        qreal at = baseX + (baseWidth - width) / 2;
        at = std::max<qreal>(0, std::min(at, viewWidth - width));
        const qreal y = baseline - metrics.ascent() - ruby.descent();
        const qsizetype sungBase = std::clamp<qsizetype>(row.Sung - span.From, 0, span.Length);
        const qsizetype sung =
            span.Length > 0 ? (span.Reading.size() * sungBase + span.Length / 2) / span.Length : 0;
        const std::pair<QString, PieceColour> parts[] = {
            {span.Reading.left(sung), PieceColour::Sung}, {span.Reading.mid(sung), rest}};
        for (const auto& [part, colour] : parts) {
            if (part.isEmpty())
                continue;
            const qreal advance = ruby.horizontalAdvance(part);
            layout.Pieces.append({part, QPointF(at, y),
                                  QRectF(at, y - ruby.ascent(), advance, ruby.height()), colour,
                                  line.Row, true});
            at += advance;
        }
    }
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
        if (HeightOf(lines, font) <= size.height() || points <= least)
            break;
        points = std::max(least, points * 0.9);
    }
    const QFontMetricsF metrics(font);
    const qreal lineHeight = metrics.height() * LineSpacing;
    const qreal rubyHeight = QFontMetricsF(RubyFontOf(font)).height();
    // Rows that cannot fit even at the least size are left off from the end: the current
    // line's rows come first.
    while (lines.size() > 1 && HeightOf(lines, font) > size.height())
        lines.removeLast();

    LyricsLayout layout;
    layout.Font = font;
    layout.RubyFont = RubyFontOf(font);
    qreal y = std::max<qreal>(0, (size.height() - HeightOf(lines, font)) / 2) +
              (lineHeight - metrics.height()) / 2 + metrics.ascent();
    for (const VisualLine& line : lines) {
        if (line.HasRuby)
            y += rubyHeight;
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
        AddReadings(layout, row, line, metrics, x, y, rest, size.width());
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
