#include "Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

// glibc's iconv holds the real Microsoft CP932 table (81 60 <-> U+FF5E, 87 40 <-> U+2460,
// 5C <-> U+005C). It stops at anything it cannot convert, so the loops below resume after one
// byte (decoding) or one character (encoding) with a replacement. Qt's ICU-backed "CP932"
// codec is not used: it swaps 1A/1C/7F as IBM-943 does, writes FC FC for unmappable
// characters and drops a lone lead byte at the end.

namespace tavelkor {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-16");
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns the errno that stopped it, or 0.
    int Convert(char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        const size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
        return result == static_cast<size_t>(-1) ? errno : 0;
    }

private:
    iconv_t handle_;
};

Converter& Decoder() {
    thread_local Converter converter("UTF-16LE", "CP932");
    return converter;
}

Converter& Encoder() {
    thread_local Converter converter("CP932", "UTF-16LE");
    return converter;
}

} // namespace

QString DecodeCp932(const char* bytes, qsizetype size) {
    QString text;
    if (size <= 0)
        return text;
    // Every CP932 byte sequence gives at most one UTF-16 unit per byte.
    text.resize(size);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size_t(size);
    char* outStart = reinterpret_cast<char*>(text.data());
    char* out = outStart;
    size_t outLeft = size_t(size) * 2;
    while (inLeft > 0) {
        const int error = Decoder().Convert(in, inLeft, out, outLeft);
        if (error == 0)
            break;
        // EILSEQ: an invalid or unassigned sequence; EINVAL: a lead byte cut off at the end.
        // One replacement stands for the first byte; the next byte is read afresh, so a
        // lead byte followed by a plain character keeps that character.
        const char16_t replacement = UndecodableByteChar;
        memcpy(out, &replacement, 2);
        out += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    text.resize((out - outStart) / 2);
    return text;
}

QByteArray EncodeCp932(const QString& text) {
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    // Every UTF-16 unit gives at most two bytes.
    bytes.resize(text.size() * 2);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.constData()));
    size_t inLeft = size_t(text.size()) * 2;
    char* out = bytes.data();
    size_t outLeft = size_t(bytes.size());
    while (inLeft > 0) {
        const int error = Encoder().Convert(in, inLeft, out, outLeft);
        if (error == 0)
            break;
        // A character CP932 cannot hold (or a broken surrogate): one "?" for the character.
        *out++ = UnencodableChar;
        --outLeft;
        const char16_t unit = char16_t(uchar(in[0]) | (uchar(in[1]) << 8));
        size_t skip = 2;
        if (QChar::isHighSurrogate(unit) && inLeft >= 4) {
            const char16_t next = char16_t(uchar(in[2]) | (uchar(in[3]) << 8));
            if (QChar::isLowSurrogate(next))
                skip = 4;
        }
        in += skip;
        inLeft -= skip;
    }
    bytes.resize(out - bytes.data());
    return bytes;
}

qsizetype Cp932ByteLength(const QString& text) { return EncodeCp932(text).size(); }

} // namespace tavelkor
