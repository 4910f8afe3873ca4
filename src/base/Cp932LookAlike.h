// Telling CP932 bytes that happen to be valid UTF-8 from real UTF-8 text (DecodeText's Auto).
#pragma once

#include <QString>
#include <QtGlobal>

namespace tavelkor {

// True when the bytes, valid UTF-8 with multi-byte sequences, are better read as CP932.
// `utf8` is their UTF-8 reading.
bool IsCp932LookAlike(const uchar* in, qsizetype size, const QString& utf8);

} // namespace tavelkor
