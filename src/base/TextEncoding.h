// Text encodings of lyrics files: the one decoder that turns a file's bytes into text (finding
// out the encoding: byte order mark, then valid UTF-8, then CP932) and the one encoder that
// turns text into the bytes of a chosen encoding.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace tavelkor {

// The encoding a text was read in or is written in. The BOM variants carry their byte order
// mark when written; UTF-16 is always written with its mark.
enum class TextEncoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be };

// How to read bytes: find the encoding out (Auto), or read them as the user set it.
enum class EncodingChoice { Auto, Cp932, Utf8 };

// Why a text was read in its encoding; DecodedText::Reason is one of these.
inline constexpr QStringView ReasonBom = u"BOM";
inline constexpr QStringView ReasonValidUtf8 = u"valid UTF-8";
inline constexpr QStringView ReasonCp932Default = u"CP932 by default";
inline constexpr QStringView ReasonSetByUser = u"set by the user";

struct DecodedText {
    QString Text;                                // without its byte order mark
    TextEncoding Encoding = TextEncoding::Cp932; // write it back in this to keep the file's bytes
    QString Reason;                              // one of the Reason... texts above
};

struct EncodedText {
    QByteArray Bytes; // with the byte order mark the encoding carries
    int Replaced = 0; // characters the encoding could not hold (see EncodeText)
};

// Bytes to text.
// Auto, in this order:
//  1. a byte order mark decides (UTF-8 EF BB BF, UTF-16 LE FF FE, UTF-16 BE FE FF) and is
//     removed from the text; reason "BOM";
//  2. bytes that are valid UTF-8 with at least one multi-byte sequence are UTF-8, unless they
//     are a CP932 look-alike (see below); reason "valid UTF-8";
//  3. everything else is CP932, exactly as DecodeCp932 reads it (pure ASCII too); reason
//     "CP932 by default".
// A CP932 look-alike is valid UTF-8 whose bytes are also clean CP932 (no undecodable byte)
// and whose UTF-8 reading, weighed character by character, says no more for UTF-8 than
// against it: what no lyrics hold (C1 controls, private use, unassigned code points), lone
// letters outside words of their script, kanji glued to one stray ASCII character count
// against it (docs/design-notes.md, "Text encodings", gives the weights and the figures they
// were measured on). Most CP932 texts are told apart at their first Japanese character.
// Cp932 or Utf8: the bytes are read as that encoding; a UTF-8 byte order mark is removed when
// reading UTF-8 (the encoding is then Utf8Bom). Reason "set by the user".
// Nothing is ever dropped silently: each byte that is no part of a valid UTF-8 sequence
// becomes one U+FFFD, as each undecodable CP932 byte does; in UTF-16, an odd last byte and a
// lone surrogate each become one U+FFFD.
DecodedText DecodeText(QByteArrayView bytes, EncodingChoice choice = EncodingChoice::Auto);

// Text to bytes; EncodeText(text, decoded.Encoding) gives a file back its encoding. Replaced
// counts the characters the encoding could not hold:
//  - CP932: each is written as one "?" (an emoji, a surrogate pair, is one character), the
//    bytes being exactly those of EncodeCp932;
//  - the UTF encodings hold every character: Replaced is 0, except for a lone surrogate (a
//    broken character, which no text read by DecodeText contains), written as U+FFFD and
//    counted.
EncodedText EncodeText(QStringView text, TextEncoding encoding);

// True when the bytes are UTF-8 without a single invalid sequence (an empty text is).
bool IsValidUtf8(QByteArrayView bytes);
// The bytes as UTF-8, each byte that is no part of a valid sequence one U+FFFD. A leading
// byte order mark is kept (as U+FEFF).
QString DecodeUtf8(QByteArrayView bytes);

// The byte order mark the encoding writes ("" for CP932 and plain UTF-8).
QByteArray ByteOrderMark(TextEncoding encoding);

// Names for the report and the settings: "CP932", "UTF-8", "UTF-8-BOM", "UTF-16LE",
// "UTF-16BE"; and "Auto", "CP932", "UTF-8" for the choices.
QString EncodingName(TextEncoding encoding);
QString EncodingChoiceName(EncodingChoice choice);
// A settings text to an encoding or choice; nothing when the text names none. Letter case,
// U+0020 around the name and the separators "-", "_" and " " inside it do not matter
// ("utf8", "UTF-16 LE"); CP932 is also known as "Windows-31J", "MS932", "Shift_JIS" and
// "SJIS" (what Windows calls Shift_JIS is CP932).
std::optional<TextEncoding> ParseEncodingName(QStringView name);
std::optional<EncodingChoice> ParseEncodingChoice(QStringView name);

} // namespace tavelkor
