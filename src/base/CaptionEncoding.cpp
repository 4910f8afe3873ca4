#include "CaptionEncoding.h"

#include "Cp932.h"

namespace tavelkor {

namespace {

bool HoldsKana(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x30FA)
            return true;
    }
    return false;
}

int UndecodableIn(QStringView text) {
    return int(std::min<qsizetype>(text.count(QChar(UndecodableByteChar)), 0x7fffffff));
}

} // namespace

std::optional<QString> DecodeWindows1252(QByteArrayView bytes) {
    // 0x80..0x9F; 0 where the byte is no character.
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        const char16_t c = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b);
        if (c == 0)
            return std::nullopt;
        out[i] = c;
    }
    return text;
}

CaptionDecoded DecodeCaptionText(QByteArrayView bytes, EncodingChoice choice) {
    CaptionDecoded result;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
                     bytes.startsWith("\xFE\xFF");
    if (choice != EncodingChoice::Auto || bom) {
        result.Decoded = DecodeText(bytes, choice);
        // A U+FFFD of the file itself is no loss: only a text read with broken bytes counts.
        const TextEncoding encoding = result.Decoded.Encoding;
        const bool clean = encoding == TextEncoding::Cp932
                               ? FindUndecodableCp932(bytes.data(), bytes.size()) < 0
                           : encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom
                               ? IsValidUtf8(bytes)
                               : false;
        result.Undecodable = clean ? 0 : UndecodableIn(result.Decoded.Text);
        return result;
    }
    DecodedText& decoded = result.Decoded;
    if (IsValidUtf8(bytes)) {
        decoded.Text = DecodeUtf8(bytes);
        decoded.Encoding = TextEncoding::Utf8;
        decoded.Reason = ReasonValidUtf8.toString();
        return result;
    }
    const bool cleanCp932 = FindUndecodableCp932(bytes.data(), bytes.size()) < 0;
    decoded.Text = DecodeCp932(bytes.data(), bytes.size());
    decoded.Encoding = TextEncoding::Cp932;
    if (cleanCp932 && HoldsKana(decoded.Text)) {
        decoded.Reason = ReasonCp932Kana.toString();
        return result;
    }
    if (std::optional<QString> western = DecodeWindows1252(bytes)) {
        decoded.Text = std::move(*western);
        decoded.Encoding = TextEncoding::Utf8;
        decoded.Reason = ReasonWindows1252.toString();
        return result;
    }
    decoded.Reason = ReasonCp932Default.toString();
    result.Undecodable = UndecodableIn(decoded.Text);
    return result;
}

} // namespace tavelkor
