// Reading a TimeTag lyrics file: its bytes, decoded, then parsed.
#pragma once

#include "LyricsDocument.h"

#include <QString>

namespace tavelkor {

// Resets `file` and fills it from the file at `path`, read as `choice` says.
void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags, EncodingChoice choice = EncodingChoice::Auto);

} // namespace tavelkor
