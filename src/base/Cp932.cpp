#include "Cp932.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <stdexcept>

// The conversion tables are read once, on first use, from glibc's iconv, which holds the real
// Microsoft CP932 table (81 60 <-> U+FF5E, 87 40 <-> U+2460, 5C <-> U+005C, and the best-fit
// encodings Windows uses, such as U+00A5 -> 5C). Asking iconv once per byte pair and per
// character costs a few milliseconds; converting through the tables afterwards is a plain
// lookup, which keeps large batches fast. Qt's ICU-backed "CP932" codec is not used: it swaps
// 1A/1C/7F as IBM-943 does, writes FC FC for unmappable characters and drops a lone lead byte
// at the end of the input.

namespace tavelkor {

namespace {

constexpr char16_t NoChar = 0xFFFF; // not a character of any CP932 byte sequence
// No CP932 encoding. Encodings below 0x100 are one byte; two-byte ones start with a lead
// byte of at least 0x81.
constexpr quint16 NoBytes = 0xFFFF;

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-16");
    }
    ~IconvHandle() { iconv_close(handle_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    // Converts the whole input; returns the errno that stopped it, or 0.
    int Convert(const char* input, size_t size, char* output, size_t& outputSize) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        char* out = output;
        size_t outLeft = outputSize;
        const size_t result = iconv(handle_, &in, &size, &out, &outLeft);
        outputSize -= outLeft;
        return result == static_cast<size_t>(-1) ? errno : 0;
    }

private:
    iconv_t handle_;
};

struct Tables {
    std::array<char16_t, 256> single;  // character of a one-byte sequence
    std::array<bool, 256> lead;        // the byte starts a two-byte sequence
    std::array<char16_t, 65536> pair;  // character of lead << 8 | trail
    std::array<quint16, 65536> encode; // CP932 bytes of a BMP character
    bool asciiIdentity = true;         // bytes 00..7F are the characters U+0000..U+007F

    Tables() {
        single.fill(NoChar);
        lead.fill(false);
        pair.fill(NoChar);
        encode.fill(NoBytes);
        IconvHandle decoder("UTF-16LE", "CP932");
        IconvHandle encoder("CP932", "UTF-16LE");
        char out[8];
        for (int b = 0; b < 256; ++b) {
            const char in[1] = {char(b)};
            size_t size = sizeof out;
            const int error = decoder.Convert(in, 1, out, size);
            if (error == 0 && size == 2)
                single[b] = char16_t(uchar(out[0]) | uchar(out[1]) << 8);
            else if (error == EINVAL)
                lead[b] = true;
        }
        for (int l = 0; l < 256; ++l) {
            if (!lead[l])
                continue;
            for (int t = 0; t < 256; ++t) {
                const char in[2] = {char(l), char(t)};
                size_t size = sizeof out;
                if (decoder.Convert(in, 2, out, size) == 0 && size == 2)
                    pair[l << 8 | t] = char16_t(uchar(out[0]) | uchar(out[1]) << 8);
            }
        }
        for (int c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            const char in[2] = {char(c & 0xFF), char(c >> 8)};
            size_t size = sizeof out;
            if (encoder.Convert(in, 2, out, size) != 0)
                continue;
            if (size == 1)
                encode[c] = uchar(out[0]);
            else if (size == 2)
                encode[c] = quint16(uchar(out[0]) << 8 | uchar(out[1]));
        }
        for (int c = 0; c < 0x80; ++c)
            asciiIdentity = asciiIdentity && single[c] == c && encode[c] == c;
    }
};

const Tables& Cp932Tables() {
    static const std::unique_ptr<Tables> tables = std::make_unique<Tables>();
    return *tables;
}

} // namespace

QString DecodeCp932(const char* bytes, qsizetype size) {
    QString text;
    if (size <= 0)
        return text;
    const Tables& tables = Cp932Tables();
    text.resize(size); // never more characters than bytes
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const uchar* in = reinterpret_cast<const uchar*>(bytes);
    qsizetype written = 0;
    const bool ascii = tables.asciiIdentity;
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
        char16_t c = tables.single[b];
        if (c == NoChar && tables.lead[b] && i + 1 < size) {
            c = tables.pair[b << 8 | in[i + 1]];
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
    const Tables& tables = Cp932Tables();
    bytes.resize(text.size() * 2); // never more than two bytes per UTF-16 unit
    char* out = bytes.data();
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    const bool ascii = tables.asciiIdentity;
    const quint16* encode = tables.encode.data();
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
    const Tables& tables = Cp932Tables();
    const uchar* in = reinterpret_cast<const uchar*>(bytes);
    for (qsizetype i = 0; i < size; ++i) {
        const uchar b = in[i];
        if (tables.single[b] != NoChar)
            continue;
        if (tables.lead[b] && i + 1 < size && tables.pair[b << 8 | in[i + 1]] != NoChar) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

bool Cp932Holds(char16_t character) { return Cp932Tables().encode[character] != NoBytes; }

qsizetype Cp932ByteLength(const QString& text) { return EncodeCp932(text).size(); }

} // namespace tavelkor
