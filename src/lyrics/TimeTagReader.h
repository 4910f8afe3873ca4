// Reading TimeTag text into a LyricsDocument, and recognising a lyrics file's format.
#pragma once

#include "LyricsDocument.h"

#include <QString>
#include <QStringView>

namespace tavelkor {

enum class LyricsFormat { Unknown = 0, TimeTag = 1, Sami = 2, Dsmp = 3 };

// Resets `file` and fills it from the file at `path`.
void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags);
// Rebuilds the lines, the flags and the header values from the document's Text.
void ParseLyricsText(LyricsDocument& document, bool normalizeOrder, bool expandShortTags);
LyricsFormat DetectLyricsFormat(const QString& path);

// Position of the first full tag "[##:##:##]" at or after `from`, or -1.
qsizetype FindTimeTag(QStringView text, qsizetype from = 0);
// Splits at the first full tag: the text before it, the tag, the text after it. False (and
// the whole text in `before`) when there is no tag.
bool SplitAtFirstTag(QStringView text, QString& tag, QString& before, QString& after);
// "[mm:ss]" becomes "[mm:ss:00]"; full tags are left alone.
QString ExpandShortTags(const QString& text);
void ReadDirective(QStringView line, LyricsHeader& header);
void ReadCreditLine(QStringView text, LyricsHeader& header);
bool NeedsLineOrderNormalization(const LyricsDocument& document);
LyricsDocument NormalizeLineOrder(const LyricsDocument& document);

} // namespace tavelkor
