// Recognising a lyrics file's format by what it holds.
#pragma once

#include "../base/TextEncoding.h"

#include <QString>
#include <QStringView>

namespace tavelkor {

enum class LyricsFormat { Unknown = 0, TimeTag = 1, Sami = 2, Dsmp = 3, Lrc = 4 };

// How many bytes of a file its format is judged by.
inline constexpr qsizetype FormatProbeBytes = 10000;

// The format of the file at `path`, judged by its first FormatProbeBytes bytes read as `choice`
// says (DetectTextFormat).
LyricsFormat DetectLyricsFormat(const QString& path, EncodingChoice choice = EncodingChoice::Auto);
// The same for a file's bytes already read.
LyricsFormat DetectBytesFormat(QByteArrayView bytes, EncodingChoice choice);

// The format of a text, tested in this order: a full TimeTag tag "[##:##:##]" anywhere, else
// LRC (LooksLikeLrc: line stamps with a form or beside tags that TimeTag does not have), else a
// short TimeTag tag "[##:##]" anywhere, else a SAMI "<SYNC Start=...>", else a DSMP time
// "##:##:###=" anywhere. A file with short tags only reads the same either way and stays
// TimeTag.
LyricsFormat DetectTextFormat(QStringView text);

} // namespace tavelkor
