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
// Splits at every CR LF; a text ending in CR LF gives a last, empty piece.
QList<QStringView> SplitAtCrLf(QStringView text);

} // namespace tavelkor
