// Read-only access to an audio file for the MP3 library: exact reads at byte positions that
// never reach outside the file, and the little- and big-endian numbers of the tag formats.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

namespace tavelkor {

class AudioFileReader {
public:
    // Opens a regular file for reading; false when it is missing, not a regular file or
    // unreadable.
    bool Open(const QString& path);
    qint64 Size() const { return size_; }
    // Exactly `count` bytes from `position`; false (and `bytes` empty) when any of them lies
    // outside the file or cannot be read.
    bool ReadAt(qint64 position, qint64 count, QByteArray& bytes);
    // Convenience: the bytes, or an empty array on failure.
    QByteArray Read(qint64 position, qint64 count);
    QFile& Device() { return file_; }

private:
    QFile file_;
    qint64 size_ = 0;
};

inline quint32 ReadLe32(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

inline quint32 ReadBe32(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

inline void AppendLe32(QByteArray& bytes, quint32 value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
}

inline void WriteLe32(char* bytes, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace tavelkor
