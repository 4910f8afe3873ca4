#include "KaraokeDisplay.h"

#include "../lyrics/DisplayLines.h"
#include "../settings/Settings.h"

#include <QRegularExpression>
#include <algorithm>

namespace tavelkor {

namespace {

QString Unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2).trimmed();
    return value;
}

} // namespace

QString CssProperty(const QString& style, const QString& name) {
    QString found;
    for (const QString& declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        if (declaration.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            found = Unquoted(declaration.mid(colon + 1)); // the last one counts, as in CSS
    }
    return found;
}

QString MarkupColour(const QString& markup) {
    // An attribute color=..., quoted or not, or a colour inside a style attribute.
    static const QRegularExpression attribute(
        QStringLiteral(R"((?:^|[\s<])color\s*=\s*("[^"]*"|'[^']*'|[^\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression styleAttribute(
        QStringLiteral(R"(style\s*=\s*("[^"]*"|'[^']*'|[^\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch style = styleAttribute.match(markup);
    if (style.hasMatch()) {
        const QString colour = CssProperty(Unquoted(style.captured(1)), QStringLiteral("color"));
        if (!colour.isEmpty())
            return colour;
    }
    const QRegularExpressionMatch match = attribute.match(markup);
    return match.hasMatch() ? Unquoted(match.captured(1)) : QString();
}

DisplayStyle ReadDisplayStyle(const T2SSettings& options) {
    DisplayStyle style;
    style.Karaoke = options.Karaoke;
    style.Lines = std::clamp(options.Lines, 1, 4);
    const QString base = options.Base.isEmpty() ? DefaultSamiBaseStyle() : options.Base;
    const QString colour = CssProperty(base, QStringLiteral("color"));
    if (!colour.isEmpty())
        style.BaseColour = colour;
    const QString sung = MarkupColour(options.KaraokeHTML[0]);
    style.SungColour = sung.isEmpty() ? style.BaseColour : sung;
    const QString unsung = MarkupColour(options.KaraokeHTML[2]);
    style.UnsungColour = unsung.isEmpty() ? style.BaseColour : unsung;
    // The first family of the list.
    style.FontFamily =
        Unquoted(CssProperty(base, QStringLiteral("font-family")).section(u',', 0, 0));
    static const QRegularExpression size(
        QStringLiteral(R"(^\s*([0-9]+(?:\.[0-9]+)?)\s*(pt|px)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch sizeMatch =
        size.match(CssProperty(base, QStringLiteral("font-size")));
    if (sizeMatch.hasMatch()) {
        const double value = sizeMatch.captured(1).toDouble();
        // 96 pixels to the inch, 72 points.
        const double points =
            sizeMatch.captured(2).compare(u"px", Qt::CaseInsensitive) == 0 ? value * 0.75 : value;
        if (points > 0)
            style.FontSizePt = std::min(points, 200.0);
    }
    const QString weight = CssProperty(base, QStringLiteral("font-weight")).toLower();
    style.Bold = weight == u"bold" || weight == u"bolder" || weight.toInt() >= 600;
    const QString align = CssProperty(base, QStringLiteral("text-align")).toLower();
    style.Alignment = align == u"left"    ? RowAlignment::Left
                      : align == u"right" ? RowAlignment::Right
                                          : RowAlignment::Center;
    return style;
}

KaraokeDisplay::KaraokeDisplay(LyricsDocument document, bool karaoke, int lines)
    : rows_(std::clamp(lines, 1, 4)), karaoke_(karaoke) {
    int lastStart = -1;
    const LyricsLine* lastLine = nullptr;
    ForEachDisplayLine(document, karaoke, [&](const DisplayLine& lyric) {
        if (lyric.Source.IsDirective || !lyric.Timed || lyric.TimeMs <= lastStart)
            return;
        lastStart = lyric.TimeMs;
        if (&lyric.Source != lastLine) {
            lastLine = &lyric.Source;
            lineStarts_.append(int(steps_.size()));
        }
        DisplayStep step;
        step.TimeMs = lyric.TimeMs;
        step.Line = int(lineStarts_.size()) - 1;
        step.Sung = lyric.Text.toString();
        step.Unsung = lyric.Unsung.toString();
        step.Following = lyric.Source.FollowingTexts;
        steps_.append(std::move(step));
    });
    // Readings over a following row are those of its line's start.
    ruby_ = document.Header.Ruby;
    for (DisplayStep& step : steps_) {
        for (int k = 0; k < 3; ++k) {
            const int line = step.Line + 1 + k;
            if (line >= lineStarts_.size())
                break;
            const DisplayStep& first = steps_[lineStarts_[line]];
            if (first.Sung + first.Unsung == step.Following[k])
                step.FollowingMs[k] = first.TimeMs;
        }
    }
}

int KaraokeDisplay::StepAt(qint64 positionMs) const {
    const auto after = std::upper_bound(
        steps_.begin(), steps_.end(), positionMs,
        [](qint64 position, const DisplayStep& step) { return position < step.TimeMs; });
    return int(after - steps_.begin()) - 1;
}

QVector<DisplayRow> KaraokeDisplay::RowsOf(int step) const {
    QVector<DisplayRow> rows(rows_);
    if (step < 0 || step >= steps_.size())
        return rows;
    const DisplayStep& shown = steps_[step];
    rows[0].Text = shown.Sung + shown.Unsung;
    rows[0].Sung = karaoke_ ? int(shown.Sung.size()) : 0;
    rows[0].Ruby = RubySpansIn(ruby_, rows[0].Text, shown.TimeMs);
    for (int row = 1; row < rows_; ++row) {
        rows[row].Text = shown.Following[row - 1];
        const int at = shown.FollowingMs[row - 1];
        rows[row].Ruby = RubySpansIn(ruby_, rows[row].Text, at >= 0 ? at : shown.TimeMs);
    }
    return rows;
}

QVector<DisplayRow> KaraokeDisplay::RowsAt(qint64 positionMs) const {
    return RowsOf(StepAt(positionMs));
}

qint64 KaraokeDisplay::NextChangeAfter(qint64 positionMs) const {
    const int next = StepAt(positionMs) + 1;
    return next < steps_.size() ? steps_[next].TimeMs : -1;
}

qint64 KaraokeDisplay::PreviousLineStart(qint64 positionMs) const {
    const int step = StepAt(positionMs);
    const int line = step < 0 ? -1 : steps_[step].Line;
    return line <= 0 ? 0 : steps_[lineStarts_[line - 1]].TimeMs;
}

qint64 KaraokeDisplay::NextLineStart(qint64 positionMs) const {
    const int step = StepAt(positionMs);
    const int line = step < 0 ? 0 : steps_[step].Line + 1;
    return line < lineStarts_.size() ? steps_[lineStarts_[line]].TimeMs : -1;
}

} // namespace tavelkor
