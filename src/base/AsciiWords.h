// Copying runs of ASCII text between bytes and UTF-16 eight characters at a time, inside
// 64-bit words, for the text decoders and encoders. On a big-endian machine (where a word's
// low bytes do not come first) nothing is copied and the callers go character by character.
#pragma once

#include <QtGlobal>
#include <cstring>

namespace tavelkor {

inline constexpr bool AsciiWordsWork = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;

// Four bytes (the low half of `bytes`) spread to four UTF-16 units.
inline quint64 WidenFourBytes(quint64 bytes) {
    quint64 units = bytes & 0xFFFFFFFFull;
    units = (units | units << 16) & 0x0000FFFF0000FFFFull;
    return (units | units << 8) & 0x00FF00FF00FF00FFull;
}

// Four UTF-16 units below 0x100 to four bytes (the low half of the result).
inline quint64 NarrowFourUnits(quint64 units) {
    units = (units | units >> 8) & 0x0000FFFF0000FFFFull;
    return (units | units >> 16) & 0xFFFFFFFFull;
}

// Copies the ASCII bytes at the start of `in` (of `size`) to `out` as UTF-16, in whole groups
// of eight, up to the first group that holds a byte of 0x80 or more; returns how many.
inline qsizetype WidenAsciiWords(const uchar* in, qsizetype size, char16_t* out) {
    if (!AsciiWordsWork)
        return 0;
    qsizetype done = 0;
    while (done + 8 <= size) {
        quint64 block;
        std::memcpy(&block, in + done, 8);
        if (block & 0x8080808080808080ull)
            break;
        const quint64 units[2] = {WidenFourBytes(block), WidenFourBytes(block >> 32)};
        std::memcpy(out + done, units, 16);
        done += 8;
    }
    return done;
}

// Copies the ASCII characters at the start of `in` (of `size`) to `out` as bytes, in whole
// groups of eight, up to the first group that holds a character of 0x80 or more; returns how
// many.
inline qsizetype NarrowAsciiWords(const char16_t* in, qsizetype size, char* out) {
    if (!AsciiWordsWork)
        return 0;
    qsizetype done = 0;
    while (done + 8 <= size) {
        quint64 block[2];
        std::memcpy(block, in + done, 16);
        if ((block[0] | block[1]) & 0xFF80FF80FF80FF80ull)
            break;
        const quint64 eight = NarrowFourUnits(block[0]) | NarrowFourUnits(block[1]) << 32;
        std::memcpy(out + done, &eight, 8);
        done += 8;
    }
    return done;
}

} // namespace tavelkor
