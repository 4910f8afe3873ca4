// Cutting CP932 text bytes to a byte limit without splitting a two-byte character, for the
// fixed-width record fields and buffers of the MP3 library.
#pragma once

#include <QByteArray>

namespace tavelkor {

// The byte 0x81..0x9F or 0xE0..0xFC, which starts a two-byte CP932 character.
inline bool IsCp932LeadByte(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest start of `text` of at most `limit` bytes that ends on a character boundary.
inline QByteArray Cp932Prefix(const QByteArray& text, qsizetype limit) {
    if (text.size() <= limit)
        return text;
    qsizetype length = 0;
    while (length < limit) {
        const qsizetype step = IsCp932LeadByte(text[length]) ? 2 : 1;
        if (length + step > limit)
            break;
        length += step;
    }
    return text.left(length);
}

} // namespace tavelkor
