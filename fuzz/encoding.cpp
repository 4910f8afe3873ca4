// The decoder and the encoder on arbitrary bytes. Decoding never fails; with Auto, a text
// found to be CP932 is exactly what DecodeCp932 reads, and a text found to be UTF-8 (with or
// without its mark) writes back to the same bytes when they are valid; UTF-16 texts read
// back as written. The bytes taken as UTF-16 units (lone surrogates included) encode in every
// encoding with the CP932 bytes of EncodeCp932, one replacement per lone surrogate in the UTF
// encodings, and read back (with Auto) as the same text, each lone surrogate one U+FFFD.
#include "base/Cp932.h"
#include "base/TextEncoding.h"

#include <cstdlib>
#include <cstring>

using namespace tavelkor;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

QString WithoutLoneSurrogates(const QString& text, int& lone) {
    QString out = text;
    lone = 0;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            out[i] = QChar(u'\uFFFD');
            ++lone;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const DecodedText decoded = DecodeText(bytes);
    switch (decoded.Encoding) {
    case TextEncoding::Cp932:
        Check(decoded.Text == DecodeCp932(bytes));
        break;
    case TextEncoding::Utf8:
        Check(IsValidUtf8(bytes));
        Check(EncodeText(decoded.Text, TextEncoding::Utf8).Bytes == bytes);
        break;
    case TextEncoding::Utf8Bom:
        if (IsValidUtf8(bytes))
            Check(EncodeText(decoded.Text, TextEncoding::Utf8Bom).Bytes == bytes);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const EncodedText again = EncodeText(decoded.Text, decoded.Encoding);
        Check(again.Replaced == 0); // the decoder leaves no lone surrogate
        Check(DecodeText(again.Bytes).Text == decoded.Text);
        break;
    }
    }
    for (const EncodingChoice choice : {EncodingChoice::Cp932, EncodingChoice::Utf8}) {
        const DecodedText forced = DecodeText(bytes, choice);
        Check(EncodeText(forced.Text, TextEncoding::Utf8).Replaced == 0);
    }

    // The bytes as UTF-16 units.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size / 2 * 2);
    int lone = 0;
    const QString readable = WithoutLoneSurrogates(text, lone);
    qsizetype cp932Replaced = 0;
    const QByteArray cp932 = EncodeCp932(text, cp932Replaced);
    const EncodedText asCp932 = EncodeText(text, TextEncoding::Cp932);
    Check(asCp932.Bytes == cp932 && asCp932.Replaced == cp932Replaced);
    for (const TextEncoding encoding : {TextEncoding::Utf8Bom, TextEncoding::Utf16Le,
                                        TextEncoding::Utf16Be, TextEncoding::Utf8}) {
        const EncodedText encoded = EncodeText(text, encoding);
        Check(encoded.Replaced == lone);
        const DecodedText back = DecodeText(encoded.Bytes);
        if (encoding == TextEncoding::Utf8) {
            // Plain UTF-8 may be taken for CP932 (pure ASCII, or a look-alike): read it as
            // set. A text that starts with U+FEFF reads as one with a byte order mark.
            const QString expected =
                readable.startsWith(QChar(u'\uFEFF')) ? readable.mid(1) : readable;
            Check(DecodeText(encoded.Bytes, EncodingChoice::Utf8).Text == expected);
            continue;
        }
        Check(back.Text == readable);
        Check(back.Encoding == encoding);
    }
    return 0;
}
