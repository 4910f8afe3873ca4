// SAMI captions back to TimeTag lyrics. Reads the layout the SAMI writer makes: a SYNC tag
// alone on a line and the caption paragraph on the very next line.
#pragma once

#include "../lyrics/LyricsDocument.h"

namespace tavelkor {

LyricsDocument ReadSamiText(const QString& text);
// Without leading blanks and tabs.
QString TrimLeadingBlanks(QStringView s);
// When `s` starts with "<" and holds a ">": the tag's inner text and the text after it.
QString SplitLeadingTag(const QString& s, QString& tagInner, bool& found);
// True for a "<SYNC Start=n>" line, with its start time and the text after the tag.
bool ParseSyncLine(const QString& line, int& startMs, QString& rest);
// 0: not a caption line; 1: a caption; 2: a caption with further markup, split in two.
int ParseCaptionLine(const QString& line, QString& text, QString& rest);
QString DecodeSamiEntities(const QString& s);

} // namespace tavelkor
