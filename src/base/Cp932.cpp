#include "Cp932.h"

#include <cstring>

// The conversion tables come from the C library's iconv, read when the program is built
// (generate/MakeCp932Tables.cpp); converting through them is a plain lookup, which keeps large
// batches fast and costs nothing at start. Qt's ICU-backed "CP932" codec is not used: it swaps
// 1A/1C/7F as IBM-943 does, writes FC FC for unmappable characters and drops a lone lead byte
// at the end of the input.

namespace tavelkor {

namespace {

constexpr char16_t NoChar = 0xFFFF; // not a character of any CP932 byte sequence
// No CP932 encoding. Encodings below 0x100 are one byte; two-byte ones start with a lead
// byte of at least 0x81.
constexpr quint16 NoBytes = 0xFFFF;
constexpr quint8 NotALead = 0xFF;

#include "Cp932Tables.inc"

// The character of a lead byte and its trail byte, or NoChar.
inline char16_t PairChar(uchar lead, uchar trail) {
    return Cp932Pairs[Cp932LeadRow[lead] * 256 + trail];
}

} // namespace

QString DecodeCp932(const char* bytes, qsizetype size) {
    QString text;
    if (size <= 0)
        return text;
    text.resize(size); // never more characters than bytes
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const uchar* in = reinterpret_cast<const uchar*>(bytes);
    qsizetype written = 0;
    const bool ascii = Cp932AsciiIdentity;
    for (qsizetype i = 0; i < size; ++i) {
        // Runs of ASCII bytes, eight at a time where the text allows.
        if (ascii) {
            while (i + 8 <= size) {
                quint64 block;
                memcpy(&block, in + i, 8);
                if (block & 0x8080808080808080ull)
                    break;
                for (int k = 0; k < 8; ++k)
                    out[written + k] = in[i + k];
                written += 8;
                i += 8;
            }
            if (i >= size)
                break;
            if (in[i] < 0x80) {
                out[written++] = in[i];
                continue;
            }
        }
        const uchar b = in[i];
        char16_t c = Cp932Single[b];
        if (c == NoChar && Cp932LeadRow[b] != NotALead && i + 1 < size) {
            c = PairChar(b, in[i + 1]);
            if (c != NoChar)
                ++i;
        }
        // An invalid or unassigned byte, or a lead byte without a valid trail byte: one
        // replacement stands for that byte and the next byte is read afresh, so a plain
        // character after a broken lead byte is kept.
        out[written++] = c == NoChar ? UndecodableByteChar : c;
    }
    text.resize(written);
    return text;
}

QByteArray EncodeCp932(QStringView text) {
    qsizetype replaced = 0;
    return EncodeCp932(text, replaced);
}

QByteArray EncodeCp932(QStringView text, qsizetype& replaced) {
    replaced = 0;
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    bytes.resize(text.size() * 2); // never more than two bytes per UTF-16 unit
    char* out = bytes.data();
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    const bool ascii = Cp932AsciiIdentity;
    const quint16* encode = Cp932Encode;
    for (qsizetype i = 0; i < size; ++i) {
        // Runs of ASCII characters, four at a time where the text allows.
        if (ascii) {
            while (i + 4 <= size) {
                quint64 block;
                memcpy(&block, in + i, 8);
                if (block & 0xFF80FF80FF80FF80ull)
                    break;
                out[0] = char(in[i]);
                out[1] = char(in[i + 1]);
                out[2] = char(in[i + 2]);
                out[3] = char(in[i + 3]);
                out += 4;
                i += 4;
            }
            if (i >= size)
                break;
            if (in[i] < 0x80) {
                *out++ = char(in[i]);
                continue;
            }
        }
        const char16_t c = in[i];
        const quint16 code = encode[c];
        if (code == NoBytes) {
            // A character CP932 cannot hold, or a broken surrogate: one "?" for the character.
            if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
                ++i;
            *out++ = UnencodableChar;
            ++replaced;
        } else if (code < 0x100) {
            *out++ = char(code & 0xFF);
        } else {
            *out++ = char(code >> 8);
            *out++ = char(code & 0xFF);
        }
    }
    bytes.resize(out - bytes.data());
    return bytes;
}

qsizetype FindUndecodableCp932(const char* bytes, qsizetype size) {
    const uchar* in = reinterpret_cast<const uchar*>(bytes);
    for (qsizetype i = 0; i < size; ++i) {
        const uchar b = in[i];
        if (Cp932Single[b] != NoChar)
            continue;
        if (Cp932LeadRow[b] != NotALead && i + 1 < size && PairChar(b, in[i + 1]) != NoChar) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

bool Cp932Holds(char16_t character) { return Cp932Encode[character] != NoBytes; }

qsizetype Cp932ByteLength(const QString& text) { return EncodeCp932(text).size(); }

} // namespace tavelkor
