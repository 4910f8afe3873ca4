#include "SafeFileWrite.h"

#include "PathHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

QByteArray NativePath(const QString& path) { return QFile::encodeName(path); }

// The file that is really replaced: a link's final target.
QString ResolveTarget(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        left -= done;
    }
    return true;
}

// Opens a new, unused file name beside the target: ".<name>.<random>.tmp".
int CreateTemporaryBeside(const QString& target, QByteArray& tempPath) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const QString folder = FolderOf(target);
    const QString name = FileNameOf(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate = folder + u'.' + name + u'.' +
                                  QString::number(random() & 0xFFFFFFFFFFull, 36) +
                                  QStringLiteral(".tmp");
        tempPath = NativePath(candidate);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool CanReplaceFile(const QString& path) {
    if (path.isEmpty())
        return false;
    const QString target = ResolveTarget(path);
    struct stat info;
    if (::stat(NativePath(target).constData(), &info) != 0) {
        if (errno != ENOENT)
            return false;
        const QString folder = FolderOf(target);
        struct stat folderInfo;
        return !folder.isEmpty() && ::stat(NativePath(folder).constData(), &folderInfo) == 0 &&
               S_ISDIR(folderInfo.st_mode) &&
               ::access(NativePath(folder).constData(), W_OK | X_OK) == 0;
    }
    if (!S_ISREG(info.st_mode))
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(NativePath(target).constData(), W_OK) == 0;
}

WriteOutcome ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty() || FileNameOf(path).isEmpty())
        return WriteOutcome::Failed;
    const QString target = ResolveTarget(path);
    struct stat old;
    const bool exists = ::stat(NativePath(target).constData(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
        return WriteOutcome::ReadOnlyTarget;

    QByteArray tempPath;
    const int fd = CreateTemporaryBeside(target, tempPath);
    if (fd < 0)
        return WriteOutcome::Failed;
    bool ok = WriteAll(fd, bytes);
    if (ok && exists) {
        // The new file takes the old one's permissions, and its owner when we may set it.
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)::fchown(fd, old.st_uid, old.st_gid);
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(tempPath.constData(), NativePath(target).constData()) == 0)
        return WriteOutcome::Written;
    ::unlink(tempPath.constData());
    return WriteOutcome::Failed;
}

} // namespace tavelkor
