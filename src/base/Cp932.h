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
// Number of bytes the text takes in CP932 (full-width characters 2, half-width 1).
qsizetype Cp932ByteLength(const QString& text);

} // namespace tavelkor
