#include "TextEncoding.h"

#include "Cp932.h"
#include "Cp932LookAlike.h"

#include <QChar>
#include <cstring>
#include <limits>

namespace tavelkor {

namespace {

constexpr char16_t ReplacementChar = u'\uFFFD';

const uchar* Bytes(QByteArrayView bytes) { return reinterpret_cast<const uchar*>(bytes.data()); }

bool StartsWith(QByteArrayView bytes, const char* mark, qsizetype length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), mark, size_t(length)) == 0;
}

// Skips the ASCII bytes from i on, eight at a time where the text allows; returns the index of
// the first byte that is not ASCII (or size).
inline qsizetype SkipAscii(const uchar* in, qsizetype i, qsizetype size) {
    while (i + 8 <= size) {
        quint64 block;
        std::memcpy(&block, in + i, 8);
        if (block & 0x8080808080808080ull)
            break;
        i += 8;
    }
    while (i < size && in[i] < 0x80)
        ++i;
    return i;
}

// The length of the valid UTF-8 sequence that starts at in[i] with a byte of at least 0x80,
// and its code point; 0 when no valid sequence starts there (a continuation byte, an
// overlong form, a surrogate, a code point above U+10FFFF, or a sequence cut off by the end).
inline int Utf8Sequence(const uchar* in, qsizetype i, qsizetype size, char32_t& codePoint) {
    const uchar b = in[i];
    int length;
    uchar low = 0x80, high = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        codePoint = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        codePoint = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0; // overlong below U+0800
        else if (b == 0xED)
            high = 0x9F; // surrogates U+D800..U+DFFF
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        codePoint = b & 0x07;
        if (b == 0xF0)
            low = 0x90; // overlong below U+10000
        else if (b == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (size - i < length)
        return 0;
    const uchar second = in[i + 1];
    if (second < low || second > high)
        return 0;
    codePoint = codePoint << 6 | (second & 0x3F);
    for (int k = 2; k < length; ++k) {
        const uchar next = in[i + k];
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    return length;
}

// True when the bytes from i on are valid UTF-8. One tight pass: ASCII runs are skipped eight
// bytes at a time.
bool ValidUtf8From(const uchar* in, qsizetype i, qsizetype size) {
    for (;;) {
        i = SkipAscii(in, i, size);
        if (i >= size)
            return true;
        char32_t codePoint;
        const int length = Utf8Sequence(in, i, size, codePoint);
        if (length == 0)
            return false;
        i += length;
    }
}

// The bytes as UTF-8 into `text`. Strict: false at the first byte that is no part of a valid
// sequence (the text is then of no use). Not strict: each such byte becomes one U+FFFD and the
// next byte is read afresh, so a line break after a broken sequence survives.
template <bool Strict>
bool DecodeUtf8Into(const uchar* in, qsizetype size, QString& text) {
    text.resize(size); // never more UTF-16 units than bytes
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype written = 0;
    qsizetype i = 0;
    while (i < size) {
        const uchar b = in[i];
        if (b < 0x80) {
            const qsizetype end = SkipAscii(in, i, size);
            for (; i < end; ++i)
                out[written++] = in[i];
            continue;
        }
        // The three-byte sequences of Japanese text, in short.
        if ((b & 0xF0) == 0xE0 && size - i >= 3) {
            const uchar second = in[i + 1], third = in[i + 2];
            if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
                const char16_t c =
                    char16_t((b & 0x0F) << 12 | (second & 0x3F) << 6 | (third & 0x3F));
                if (c >= 0x800 && !QChar::isSurrogate(c)) {
                    out[written++] = c;
                    i += 3;
                    continue;
                }
            }
        }
        char32_t codePoint;
        const int length = Utf8Sequence(in, i, size, codePoint);
        if (length == 0) {
            if (Strict)
                return false;
            out[written++] = ReplacementChar;
            ++i;
        } else if (codePoint >= 0x10000) {
            out[written++] = QChar::highSurrogate(codePoint);
            out[written++] = QChar::lowSurrogate(codePoint);
            i += length;
        } else {
            out[written++] = char16_t(codePoint);
            i += length;
        }
    }
    text.resize(written);
    return true;
}

QString DecodeUtf8Bytes(const uchar* in, qsizetype size) {
    QString text;
    if (size > 0)
        DecodeUtf8Into<false>(in, size, text);
    return text;
}

QString DecodeUtf16(const uchar* in, qsizetype size, bool bigEndian) {
    QString text;
    const qsizetype units = size / 2;
    text.resize(units + size % 2);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto unit = [&](qsizetype k) -> char16_t {
        const uchar first = in[2 * k], second = in[2 * k + 1];
        return bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    };
    for (qsizetype k = 0; k < units; ++k) {
        const char16_t c = unit(k);
        if (QChar::isHighSurrogate(c) && k + 1 < units && QChar::isLowSurrogate(unit(k + 1))) {
            out[k] = c;
            out[k + 1] = unit(k + 1);
            ++k;
        } else {
            out[k] = QChar::isSurrogate(c) ? ReplacementChar : c;
        }
    }
    if (size % 2)
        out[units] = ReplacementChar; // the odd last byte
    return text;
}

// True when DecodeCp932 reads each ASCII byte as the same character (as the Microsoft table
// does), so that a pure ASCII text needs no table.
bool Cp932ReadsAsciiAsItself() {
    static const bool same = [] {
        char ascii[0x80];
        for (int b = 0; b < 0x80; ++b)
            ascii[b] = char(b);
        return DecodeCp932(ascii, 0x80) == QString::fromLatin1(ascii, 0x80);
    }();
    return same;
}

// UTF-8 written with a U+FFFD for each lone surrogate, which is counted.
void AppendUtf8(QByteArray& bytes, QStringView text, int& replaced) {
    const qsizetype start = bytes.size();
    bytes.resize(start + text.size() * 3); // never more than three bytes per UTF-16 unit
    uchar* out = reinterpret_cast<uchar*>(bytes.data()) + start;
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t c = in[i];
        if (c < 0x80) {
            *out++ = uchar(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            c = QChar::surrogateToUcs4(char16_t(c), in[++i]);
        } else if (QChar::isSurrogate(c)) {
            c = ReplacementChar;
            ++replaced;
        }
        if (c < 0x800) {
            *out++ = uchar(0xC0 | c >> 6);
        } else if (c < 0x10000) {
            *out++ = uchar(0xE0 | c >> 12);
            *out++ = uchar(0x80 | (c >> 6 & 0x3F));
        } else {
            *out++ = uchar(0xF0 | c >> 18);
            *out++ = uchar(0x80 | (c >> 12 & 0x3F));
            *out++ = uchar(0x80 | (c >> 6 & 0x3F));
        }
        *out++ = uchar(0x80 | (c & 0x3F));
    }
    bytes.resize(reinterpret_cast<char*>(out) - bytes.data());
}

void AppendUtf16(QByteArray& bytes, QStringView text, bool bigEndian, int& replaced) {
    const qsizetype start = bytes.size();
    bytes.resize(start + text.size() * 2);
    uchar* out = reinterpret_cast<uchar*>(bytes.data()) + start;
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            // the pair is written as it is, its low half next
        } else if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(in[i - 1])) {
            // the low half of a pair
        } else if (QChar::isSurrogate(c)) {
            c = ReplacementChar;
            ++replaced;
        }
        *out++ = uchar(bigEndian ? c >> 8 : c & 0xFF);
        *out++ = uchar(bigEndian ? c & 0xFF : c >> 8);
    }
}

// A name in settings form: lower case, without U+0020 around it and without "-", "_" and " ".
QString NameKey(QStringView name) {
    QString key;
    for (const QChar c : name) {
        if (c != u'-' && c != u'_' && c != u' ')
            key += c.toLower();
    }
    return key;
}

} // namespace

bool IsValidUtf8(QByteArrayView bytes) { return ValidUtf8From(Bytes(bytes), 0, bytes.size()); }

QString DecodeUtf8(QByteArrayView bytes) { return DecodeUtf8Bytes(Bytes(bytes), bytes.size()); }

DecodedText DecodeText(QByteArrayView bytes, EncodingChoice choice) {
    DecodedText decoded;
    const uchar* in = Bytes(bytes);
    const qsizetype size = bytes.size();
    const bool utf8Bom = StartsWith(bytes, "\xEF\xBB\xBF", 3);
    switch (choice) {
    case EncodingChoice::Cp932:
        decoded.Text = DecodeCp932(bytes.data(), size);
        decoded.Encoding = TextEncoding::Cp932;
        decoded.Reason = ReasonSetByUser.toString();
        return decoded;
    case EncodingChoice::Utf8:
        decoded.Text = utf8Bom ? DecodeUtf8Bytes(in + 3, size - 3) : DecodeUtf8Bytes(in, size);
        decoded.Encoding = utf8Bom ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
        decoded.Reason = ReasonSetByUser.toString();
        return decoded;
    case EncodingChoice::Auto:
        break;
    }
    if (utf8Bom) {
        decoded.Text = DecodeUtf8Bytes(in + 3, size - 3);
        decoded.Encoding = TextEncoding::Utf8Bom;
        decoded.Reason = ReasonBom.toString();
        return decoded;
    }
    const bool utf16Le = StartsWith(bytes, "\xFF\xFE", 2);
    if (utf16Le || StartsWith(bytes, "\xFE\xFF", 2)) {
        decoded.Text = DecodeUtf16(in + 2, size - 2, !utf16Le);
        decoded.Encoding = utf16Le ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        decoded.Reason = ReasonBom.toString();
        return decoded;
    }
    // UTF-8 needs a multi-byte sequence, so the first byte that is not ASCII must start a
    // valid one; most CP932 texts end the look there, at their first Japanese character.
    const qsizetype first = SkipAscii(in, 0, size);
    if (first == size && Cp932ReadsAsciiAsItself()) {
        decoded.Text = QString::fromLatin1(bytes.data(), size); // what DecodeCp932 gives
        decoded.Encoding = TextEncoding::Cp932;
        decoded.Reason = ReasonCp932Default.toString();
        return decoded;
    }
    char32_t codePoint;
    if (first < size && Utf8Sequence(in, first, size, codePoint) > 0) {
        QString text;
        if (DecodeUtf8Into<true>(in, size, text) && !IsCp932LookAlike(in, size, text)) {
            decoded.Text = std::move(text);
            decoded.Encoding = TextEncoding::Utf8;
            decoded.Reason = ReasonValidUtf8.toString();
            return decoded;
        }
    }
    decoded.Text = DecodeCp932(bytes.data(), size);
    decoded.Encoding = TextEncoding::Cp932;
    decoded.Reason = ReasonCp932Default.toString();
    return decoded;
}

EncodedText EncodeText(QStringView text, TextEncoding encoding) {
    EncodedText encoded;
    if (encoding == TextEncoding::Cp932) {
        qsizetype replaced = 0;
        encoded.Bytes = EncodeCp932(text, replaced);
        encoded.Replaced = int(qMin<qsizetype>(replaced, std::numeric_limits<int>::max()));
        return encoded;
    }
    encoded.Bytes = ByteOrderMark(encoding);
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        AppendUtf8(encoded.Bytes, text, encoded.Replaced);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        AppendUtf16(encoded.Bytes, text, encoding == TextEncoding::Utf16Be, encoded.Replaced);
        break;
    case TextEncoding::Cp932:
        break;
    }
    return encoded;
}

QByteArray ByteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16Le:
        return QByteArray("\xFF\xFE", 2);
    case TextEncoding::Utf16Be:
        return QByteArray("\xFE\xFF", 2);
    case TextEncoding::Cp932:
    case TextEncoding::Utf8:
        break;
    }
    return QByteArray();
}

QString EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringLiteral("CP932");
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8-BOM");
    case TextEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    }
    return QString();
}

QString EncodingChoiceName(EncodingChoice choice) {
    switch (choice) {
    case EncodingChoice::Auto:
        return QStringLiteral("Auto");
    case EncodingChoice::Cp932:
        return QStringLiteral("CP932");
    case EncodingChoice::Utf8:
        return QStringLiteral("UTF-8");
    }
    return QString();
}

std::optional<TextEncoding> ParseEncodingName(QStringView name) {
    const QString key = NameKey(name);
    if (key == u"cp932" || key == u"windows31j" || key == u"ms932" || key == u"shiftjis" ||
        key == u"sjis")
        return TextEncoding::Cp932;
    if (key == u"utf8")
        return TextEncoding::Utf8;
    if (key == u"utf8bom")
        return TextEncoding::Utf8Bom;
    if (key == u"utf16le")
        return TextEncoding::Utf16Le;
    if (key == u"utf16be")
        return TextEncoding::Utf16Be;
    return std::nullopt;
}

std::optional<EncodingChoice> ParseEncodingChoice(QStringView name) {
    if (NameKey(name) == u"auto")
        return EncodingChoice::Auto;
    const std::optional<TextEncoding> encoding = ParseEncodingName(name);
    if (encoding == TextEncoding::Cp932)
        return EncodingChoice::Cp932;
    if (encoding == TextEncoding::Utf8)
        return EncodingChoice::Utf8;
    return std::nullopt; // a choice says how to read; the BOM and UTF-16 variants say how to write
}

} // namespace tavelkor
