// Reading TimeTag text into a LyricsDocument.
#pragma once

#include "LineOrder.h"
#include "LyricsDocument.h"

#include <QString>
#include <QStringView>

namespace tavelkor {

// Rebuilds the lines, the flags and the header values from the document's Text.
void ParseLyricsText(LyricsDocument& document, bool normalizeOrder, bool expandShortTags);

// Position of the first full tag "[##:##:##]" at or after `from`, or -1.
qsizetype FindTimeTag(QStringView text, qsizetype from = 0);
// True when the text holds a short tag "[##:##]".
bool ContainsShortTag(QStringView text);
// "[mm:ss]" becomes "[mm:ss:00]"; full tags are left alone.
QString ExpandShortTags(const QString& text);
// Takes a directive line "@Key=value" into the header. False when the program does not know
// the key or could not read its value (the line then says something the header cannot hold).
bool ReadDirective(QStringView line, LyricsHeader& header);
void ReadCreditLine(QStringView text, LyricsHeader& header);

} // namespace tavelkor
