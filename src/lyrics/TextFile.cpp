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

QString ReadTextFile(const QString& path, qint64 maxBytes) {
    bool exists = false;
    return ReadTextFile(path, maxBytes, exists);
}

QString ReadTextFile(const QString& path, qint64 maxBytes, bool& exists) {
    exists = false;
    if (path.isEmpty())
        return {};
    // O_NONBLOCK: a pipe put in place of the file must not hang the run; only regular files
    // are read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat info;
    exists = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (exists && info.st_size > 0) {
        qint64 length = info.st_size;
        if (maxBytes > 0 && maxBytes < length)
            length = maxBytes;
        if (length > MaxTextFileBytes) {
            ::close(fd);
            return {};
        }
        bytes.resize(length);
        qint64 done = 0;
        while (done < length) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(length - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ::close(fd);
                return {};
            }
            if (got == 0)
                break;
            done += got;
        }
        // A file that shrank while it was read gives what it had.
        bytes.resize(done);
    }
    ::close(fd);
    return DecodeCp932(bytes);
}

} // namespace tavelkor
