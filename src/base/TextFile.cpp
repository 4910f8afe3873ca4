#include "TextFile.h"

#include "Cp932.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

FileBytes ReadFileBytes(const QString& path, qint64 maxBytes) {
    FileBytes result;
    if (path.isEmpty())
        return result;
    // O_NONBLOCK: a pipe put in place of the file must not hang the run; only regular files
    // are read.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.Exists = FileExists(path);
        result.ReadFailed = result.Exists;
        return result;
    }
    struct stat info;
    result.Exists = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (result.Exists && info.st_size > 0) {
        qint64 length = info.st_size;
        if (maxBytes > 0 && maxBytes < length)
            length = maxBytes;
        if (length > MaxTextFileBytes) {
            ::close(fd);
            result.ReadFailed = true;
            return result;
        }
        result.Bytes.resize(length);
        qint64 done = 0;
        while (done < length) {
            const ssize_t got = ::read(fd, result.Bytes.data() + done, size_t(length - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ::close(fd);
                result.Bytes.clear();
                result.ReadFailed = true;
                return result;
            }
            if (got == 0)
                break;
            done += got;
        }
        // A file that shrank while it was read gives what it had.
        result.Bytes.resize(done);
    }
    ::close(fd);
    return result;
}

QString ReadTextFile(const QString& path, qint64 maxBytes) {
    return DecodeCp932(ReadFileBytes(path, maxBytes).Bytes);
}

DecodedText ReadDecodedTextFile(const QString& path, qint64 maxBytes, EncodingChoice choice) {
    // One byte more than asked tells whether the file goes on after maxBytes.
    const FileBytes file = ReadFileBytes(path, maxBytes > 0 ? maxBytes + 1 : 0);
    QByteArrayView bytes(file.Bytes);
    if (maxBytes > 0 && bytes.size() > maxBytes) {
        bytes = bytes.first(maxBytes);
        bytes = bytes.first(WholeCharactersLength(bytes));
    }
    return DecodeText(bytes, choice);
}

} // namespace tavelkor
