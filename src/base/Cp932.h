// The one place where bytes become text and text becomes bytes: CP932 (Windows-31J), the
// code page of the lyrics files and players the program serves.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tavelkor {

// Stands for every byte sequence that CP932 does not define (an invalid or unassigned byte,
// a lead byte without its trail byte at the end of the input).
inline constexpr char16_t UndecodableByteChar = u'\uFFFD';
// Written for every character that CP932 cannot hold.
inline constexpr char UnencodableChar = '?';

QString DecodeCp932(const char* bytes, qsizetype size);
inline QString DecodeCp932(const QByteArray& bytes) {
    return DecodeCp932(bytes.constData(), bytes.size());
}
QByteArray EncodeCp932(QStringView text);
// The same bytes; `replaced` is set to the number of characters written as "?".
QByteArray EncodeCp932(QStringView text, qsizetype& replaced);
// Where the first byte stands that DecodeCp932 reads as U+FFFD, or -1 when every byte is part
// of a CP932 character (the bytes are clean CP932).
qsizetype FindUndecodableCp932(const char* bytes, qsizetype size);
// True when CP932 holds the character (a character of the Basic Multilingual Plane).
bool Cp932Holds(char16_t character);
// Number of bytes the text takes in CP932 (full-width characters 2, half-width 1).
qsizetype Cp932ByteLength(const QString& text);

} // namespace tavelkor
