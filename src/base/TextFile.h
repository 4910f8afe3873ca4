// Reading lyrics and caption files as text.
#pragma once

#include "TextEncoding.h"

#include <QString>

namespace tavelkor {

// A text input larger than this is not lyrics; it reads as "" (unusable) instead of
// exhausting memory.
inline constexpr qint64 MaxTextFileBytes = qint64(512) * 1024 * 1024;

// True when the path names an existing regular file (not a folder, device or pipe).
bool FileExists(const QString& path);

// What reading a file's bytes found.
struct FileBytes {
    bool Exists = false;     // a regular file is there
    bool ReadFailed = false; // it is there but could not be opened or read (or is too large)
    QByteArray Bytes;        // its bytes (the first maxBytes of them when asked so)
};
// The file's bytes; all of them when maxBytes is 0.
FileBytes ReadFileBytes(const QString& path, qint64 maxBytes);
// The file's bytes (all of them when maxBytes is 0, else at most maxBytes) decoded from CP932;
// "" when the file is missing, empty or cannot be read.
QString ReadTextFile(const QString& path, qint64 maxBytes);
// The file's bytes (all of them when maxBytes is 0, else at most maxBytes) through DecodeText
// with the given choice. When maxBytes cuts the file short, a character split by the cut is
// left out (WholeCharactersLength), so that the start of a UTF-8 file still reads as UTF-8.
// A missing, empty or unreadable file reads as "" in CP932 by default.
DecodedText ReadDecodedTextFile(const QString& path, qint64 maxBytes, EncodingChoice choice);

} // namespace tavelkor
