#include "FileBytes.h"

#include <cerrno>
#include <unistd.h>

namespace tavelkor {

bool ReadAt(int fd, qint64 position, qint64 count, QByteArray& bytes) {
    bytes.resize(count);
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(count - done), position + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool WriteAt(int fd, qint64 position, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), position + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

bool WriteOn(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size_t(size));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= put;
    }
    return true;
}

} // namespace tavelkor
