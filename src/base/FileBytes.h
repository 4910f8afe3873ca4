// Whole runs of bytes read from and written to an open file, through calls that the system
// cuts short or interrupts.
#pragma once

#include <QByteArray>

namespace tavelkor {

// Reads `count` bytes at `position` into `bytes`. False when the file ends before them or
// reading fails.
bool ReadAt(int fd, qint64 position, qint64 count, QByteArray& bytes);
// Writes the bytes at `position`.
bool WriteAt(int fd, qint64 position, const QByteArray& bytes);
// Writes the bytes where the file's offset stands.
bool WriteOn(int fd, const char* data, qint64 size);
inline bool WriteOn(int fd, const QByteArray& bytes) {
    return WriteOn(fd, bytes.constData(), bytes.size());
}

} // namespace tavelkor
