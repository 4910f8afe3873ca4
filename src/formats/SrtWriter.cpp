#include "SrtWriter.h"

#include "CaptionText.h"

namespace tavelkor {

namespace {

// SRT has no escape, and its readers take "<...>" as a tag, "{\...}" as an override block and
// "\N", "\n", "\h" as a line break or hard space (ffmpeg drops "<c>" and "{\x}" from the
// text). A word joiner, which shows as nothing, after the "<", the "{" or the "\" keeps each
// of them text.
QString SrtEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        escaped += c == u'\n' || c == u'\r' ? QChar(u' ') : c;
        if (c == u'<' || (c == u'{' && next == u'\\') ||
            (c == u'\\' && (next == u'N' || next == u'n' || next == u'h')))
            escaped += SrtWordJoiner;
    }
    return escaped;
}

} // namespace

QString MakeSrtText(const TimedLyrics& lyrics) {
    QString text;
    int number = 0;
    for (const TimedLine& line : lyrics.Lines) {
        if (number > 0)
            text += CrLf;
        text += QString::number(++number) + CrLf;
        text += ClockTime(line.StartMs, u',', 3, 2) + QStringLiteral(" --> ") +
                ClockTime(line.EndMs, u',', 3, 2) + CrLf;
        text += SrtEscaped(line.Text()) + CrLf;
    }
    return text;
}

} // namespace tavelkor
