// Reading a TimeTag lyrics file: its bytes, decoded, then parsed.
#pragma once

#include "LyricsDocument.h"

#include <QString>

namespace tavelkor {

// Resets `file` and fills it from the file at `path`, read as `choice` says.
void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags, EncodingChoice choice = EncodingChoice::Auto);

// The document of a decoded TimeTag text (line ends unified, then parsed).
LyricsDocument TimeTagDocumentOf(const QString& text, bool normalizeOrder, bool expandShortTags);

} // namespace tavelkor
