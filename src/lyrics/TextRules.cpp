#include "TextRules.h"

#include <QList>
#include <algorithm>

namespace tavelkor {

QString TrimSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

QString ReplaceLineEnds(QStringView text, QStringView lineEnd) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    qsizetype copied = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        out += text.mid(copied, i - copied);
        out += lineEnd;
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        copied = i + 1;
    }
    out += text.mid(copied);
    return out;
}

QString FirstLineEnd(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return QStringLiteral("\n");
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? QStringLiteral("\r\n")
                                                               : QStringLiteral("\r");
    }
    return QString();
}

QString UnifyLineEnds(QStringView text) { return ReplaceLineEnds(text, u"\r\n"); }

QString UnifyLineEnds(const QString& text) {
    // Text whose every line already ends in CR LF is returned as it is, without a copy.
    const qsizetype n = text.size();
    const char16_t* data = QStringView(text).utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i];
        if (c > u'\r') // neither CR nor LF: most characters
            continue;
        if (c == u'\r') {
            if (i + 1 >= n || data[i + 1] != u'\n')
                return ReplaceLineEnds(text, u"\r\n");
            ++i;
        } else if (c == u'\n') {
            return ReplaceLineEnds(text, u"\r\n");
        }
    }
    return text;
}

QString ToLfLineEnds(QStringView text) { return ReplaceLineEnds(text, u"\n"); }

QString WithLineEndsOf(QStringView original, const QString& rewritten) {
    // The ends of the original's lines, in order; a last line without an end has "".
    QList<QStringView> ends;
    const qsizetype n = original.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (original[i] == u'\r' && i + 1 < n && original[i + 1] == u'\n') {
            ends.append(original.mid(i, 2));
            ++i;
        } else if (original[i] == u'\r' || original[i] == u'\n') {
            ends.append(original.mid(i, 1));
        }
    }
    const bool lastEnded = n > 0 && (original[n - 1] == u'\r' || original[n - 1] == u'\n');
    if (!lastEnded)
        ends.append(QStringView());
    QList<QStringView> lines = SplitAtCrLf(rewritten);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast(); // the text's final CR LF ends its last line
    if (lines.size() != ends.size())
        return rewritten;
    QString out;
    out.reserve(rewritten.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += lines[i];
        out += ends[i];
    }
    return out;
}

QList<QStringView> SplitAtCrLf(QStringView text) {
    QList<QStringView> pieces;
    pieces.reserve(text.size() / 32 + 1);
    const char16_t* begin = text.utf16();
    const char16_t* end = begin + text.size();
    const char16_t* start = begin;
    // Each CR followed by an LF ends a piece; the last piece runs to the end of the text.
    for (const char16_t* cr = std::find(begin, end, u'\r'); cr != end && cr + 1 != end;
         cr = std::find(cr + 1, end, u'\r')) {
        if (cr[1] != u'\n')
            continue;
        pieces.append(QStringView(start, cr));
        start = cr + 2;
        ++cr;
    }
    pieces.append(QStringView(start, end));
    return pieces;
}

} // namespace tavelkor
