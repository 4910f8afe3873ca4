// Small text rules shared by the readers and writers.
#pragma once

#include <QString>
#include <QStringView>

namespace tavelkor {

// Removes leading and trailing U+0020 only (not tabs, not the ideographic space).
QString TrimSpaces(QStringView text);
// Every CR LF, lone CR and lone LF becomes CR LF.
QString UnifyLineEnds(QStringView text);
QString UnifyLineEnds(const QString& text);
// Every CR LF and lone CR becomes LF.
QString ToLfLineEnds(QStringView text);
// Every CR LF, lone CR and lone LF becomes `lineEnd`.
QString ReplaceLineEnds(QStringView text, QStringView lineEnd);
// The text's first line end (CR LF, LF or CR); "" when it has none.
QString FirstLineEnd(QStringView text);
// Splits at every CR LF; a text ending in CR LF gives a last, empty piece.
QList<QStringView> SplitAtCrLf(QStringView text);
// `rewritten` (lines joined with CR LF, as RewriteLines and the writers give them) with each
// line ended as the same line of `original` was: CR LF, LF, CR or nothing at the very end.
// When the two differ in their number of lines, `rewritten` as it is.
QString WithLineEndsOf(QStringView original, const QString& rewritten);

// Applies `rewrite` to every line. Lines may end in CR LF, LF or CR, so that a file saved on
// another system is rewritten whole; they are joined with CR LF, as the program writes lines.
template <class Rewrite>
QString RewriteLines(const QString& text, Rewrite&& rewrite) {
    if (text.isEmpty())
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        out += rewrite(QStringView(text).mid(start, end - start));
        if (end == n)
            return out;
        qsizetype next = end + 1;
        if (text[end] == u'\r' && next < n && text[next] == u'\n')
            ++next;
        out += u"\r\n";
        start = next;
    }
}

} // namespace tavelkor
