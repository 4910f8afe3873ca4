// Recognising a lyrics file's format by what it holds.
#pragma once

#include "../base/TextEncoding.h"

#include <QString>

namespace tavelkor {

enum class LyricsFormat { Unknown = 0, TimeTag = 1, Sami = 2, Dsmp = 3 };

// The format of the file at `path`, judged by its first 10000 bytes read as `choice` says: a
// TimeTag tag (full or short) anywhere, else a SAMI "<SYNC Start=...>", else a DSMP time
// "##:##:###=" anywhere.
LyricsFormat DetectLyricsFormat(const QString& path, EncodingChoice choice = EncodingChoice::Auto);

} // namespace tavelkor
