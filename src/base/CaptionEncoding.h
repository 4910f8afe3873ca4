// The encodings of caption files (ASS, TTML, WebVTT, SRT). These formats are UTF-8 unless they
// say otherwise, and those written in Europe are often Windows-1252, so they are read by their
// own rule rather than the lyrics files' one (which takes plain ASCII and what is not UTF-8 as
// CP932).
#pragma once

#include "TextEncoding.h"

namespace tavelkor {

inline constexpr QStringView ReasonWindows1252 = u"Windows-1252";
inline constexpr QStringView ReasonCp932Kana = u"CP932 with kana";

struct CaptionDecoded {
    DecodedText Decoded;
    // Bytes that no encoding read: each became one U+FFFD. The caller refuses such a text
    // rather than convert it with characters lost.
    int Undecodable = 0;
};

// Auto: a byte order mark decides (UTF-8 or UTF-16, as DecodeText has it); else bytes that are
// valid UTF-8, plain ASCII included, are UTF-8 ("valid UTF-8"); else clean CP932 that holds
// kana (what Japanese lyrics always hold) is CP932 ("CP932 with kana"); else bytes that are all
// Windows-1252 characters are read so ("Windows-1252"; the text is then written back as UTF-8,
// which holds every character); else the bytes are read as CP932 and the bytes it cannot
// decode are counted. Cp932 or Utf8: as DecodeText reads them, undecodable bytes counted.
CaptionDecoded DecodeCaptionText(QByteArrayView bytes, EncodingChoice choice);

// The bytes as Windows-1252; nothing when one of them (0x81, 0x8D, 0x8F, 0x90, 0x9D) is no
// character there.
std::optional<QString> DecodeWindows1252(QByteArrayView bytes);

} // namespace tavelkor
