#include "SongRewrite.h"

#include "../base/FileBytes.h"
#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"
#include "UndoJournal.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

// Copies the bytes [begin, end) of `from` to the end of what was written to `to`: inside the
// kernel where the file system allows, else through a buffer.
bool CopyRange(int from, int to, qint64 begin, qint64 end) {
    loff_t position = begin;
    while (position < end) {
        const ssize_t copied =
            ::copy_file_range(from, &position, to, nullptr, size_t(end - position), 0);
        if (copied > 0)
            continue;
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied == 0 ||
            (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP))
            return false;
        break; // no copy inside the kernel here: the rest goes through a buffer
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (position < end) {
        const ssize_t got = ::pread(
            from, buffer.data(), size_t(std::min<qint64>(buffer.size(), end - position)), position);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !WriteOn(to, buffer.constData(), got))
            return false;
        position += got;
    }
    return true;
}

// Writes the new content into `fd` and gives it the song's permissions, owner and group.
bool WriteNewSong(int source, int fd, const struct stat& song, const SongRewrite& rewrite) {
    if (!WriteOn(fd, rewrite.Head) || !CopyRange(source, fd, rewrite.CopyBegin, rewrite.CopyEnd) ||
        !WriteOn(fd, rewrite.Tail) || ::fchmod(fd, song.st_mode & 07777) != 0)
        return false;
    struct stat made;
    if (::fstat(fd, &made) != 0)
        return false;
    if ((made.st_uid != song.st_uid || made.st_gid != song.st_gid) &&
        (::fchown(fd, song.st_uid, song.st_gid) != 0 || ::fstat(fd, &made) != 0 ||
         made.st_uid != song.st_uid || made.st_gid != song.st_gid))
        return false;
    // A chown by root clears nothing, but one by the owner may clear the set-ID bits.
    return ((made.st_mode & 07777) == (song.st_mode & 07777) ||
            ::fchmod(fd, song.st_mode & 07777) == 0) &&
           ::fdatasync(fd) == 0;
}

} // namespace

QString RewritePath(const QString& path) {
    QString journal = UndoJournalPath(path);
    journal.chop(int(qstrlen("undo")));
    return journal + QStringLiteral("new");
}

bool RewriteSong(const QString& path, qint64 expectedSize, const SongRewrite& rewrite) {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || rewrite.CopyBegin < 0 || rewrite.CopyBegin > rewrite.CopyEnd ||
        rewrite.CopyEnd > expectedSize)
        return false;
    const int source = ::open(NativePath(target).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source < 0)
        return false;
    struct stat song;
    if (::fstat(source, &song) != 0 || !S_ISREG(song.st_mode) ||
        (song.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || song.st_size != expectedSize ||
        ::access(NativePath(target).constData(), W_OK) != 0) {
        ::close(source);
        return false;
    }
    const QByteArray temporary = NativePath(RewritePath(target));
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        ::close(source);
        return false;
    }
    bool ok = WriteNewSong(source, fd, song, rewrite);
    ok = ::close(fd) == 0 && ok;
    ::close(source);
    if (ok && ::rename(temporary.constData(), NativePath(target).constData()) == 0) {
        SyncFolder(target);
        return true;
    }
    ::unlink(temporary.constData());
    return false;
}

bool DropUnfinishedRewrite(const QString& path) {
    const QByteArray temporary = NativePath(RewritePath(path));
    struct stat info;
    if (::lstat(temporary.constData(), &info) != 0)
        return errno == ENOENT;
    return ::unlink(temporary.constData()) == 0 || errno == ENOENT;
}

} // namespace tavelkor
