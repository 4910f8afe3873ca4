#include "SafeFileWrite.h"

#include "FileBytes.h"

#include "PathHelpers.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

// The file that is really replaced (a link's final target) and what is there now.
struct Target {
    QString path;
    bool exists = false;
    struct stat info {};
};

Target ResolveTarget(const QString& path) {
    Target target{path};
    const QByteArray native = NativePath(path);
    if (::lstat(native.constData(), &target.info) != 0)
        return target;
    if (S_ISLNK(target.info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(native.constData(), resolved) == nullptr)
            return target; // a dangling link: the link itself is replaced
        target.path = QFile::decodeName(resolved);
        if (::stat(resolved, &target.info) != 0)
            return target;
    }
    target.exists = true;
    return target;
}

bool IsReadOnly(const struct stat& info) {
    return !S_ISREG(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Opens a new, unused file name beside the target: ".<name>.<random>.tmp", the name cut short
// so that a long target name still leaves room within the file system's name limit.
int CreateTemporaryBeside(const QString& target, QByteArray& tempPath) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const QString folder = FolderOf(target);
    const QString name = FileNameOf(target).left(40);
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
    const Target target = ResolveTarget(path);
    if (target.exists &&
        (IsReadOnly(target.info) || ::access(NativePath(target.path).constData(), W_OK) != 0))
        return false;
    // The new content is written beside the target and renamed over it, so the folder must
    // take new files, also when the target exists. A folder path ends with the separator, so
    // access() fails for anything but a folder.
    const QString folder = FolderOf(target.path);
    return !folder.isEmpty() && ::access(NativePath(folder).constData(), W_OK | X_OK) == 0;
}

CreateOutcome CreateFileContents(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty() || FileNameOf(path).isEmpty())
        return CreateOutcome::Refused;
    const QByteArray native = NativePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? CreateOutcome::Taken : CreateOutcome::Refused;
    bool ok = WriteOn(fd, bytes);
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        return CreateOutcome::Created;
    ::unlink(native.constData());
    return CreateOutcome::Failed;
}

namespace {

// Replaces a file that is there (or a link), or makes a missing one, through a temporary file
// renamed over it.
WriteOutcome ReplaceExistingFile(const QString& path, const QByteArray& bytes,
                                 bool* replacedExisting) {
    const Target resolved = ResolveTarget(path);
    const QString& target = resolved.path;
    const bool exists = resolved.exists;
    const struct stat& old = resolved.info;
    if (exists && IsReadOnly(old))
        return WriteOutcome::ReadOnlyTarget;

    QByteArray tempPath;
    const int fd = CreateTemporaryBeside(target, tempPath);
    if (fd < 0)
        return WriteOutcome::Failed;
    bool ok = WriteOn(fd, bytes);
    if (ok && exists) {
        // The new file takes the old one's permissions, and its owner when we may set it.
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)::fchown(fd, old.st_uid, old.st_gid);
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(tempPath.constData(), NativePath(target).constData()) == 0) {
        if (replacedExisting != nullptr)
            *replacedExisting = exists;
        return WriteOutcome::Written;
    }
    ::unlink(tempPath.constData());
    return WriteOutcome::Failed;
}

} // namespace

WriteOutcome WriteThroughTemporary(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty() || FileNameOf(path).isEmpty())
        return WriteOutcome::Failed;
    return ReplaceExistingFile(path, bytes, nullptr);
}

WriteOutcome ReplaceFileContents(const QString& path, const QByteArray& bytes,
                                 bool* replacedExisting) {
    if (replacedExisting != nullptr)
        *replacedExisting = false;
    switch (CreateFileContents(path, bytes)) {
    case CreateOutcome::Created:
        return WriteOutcome::Written;
    case CreateOutcome::Taken:
        return ReplaceExistingFile(path, bytes, replacedExisting);
    case CreateOutcome::Refused:
    case CreateOutcome::Failed:
        break;
    }
    return WriteOutcome::Failed;
}

bool SyncFolder(const QString& file) {
    const int fd =
        ::open(NativePath(FolderOf(file)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

} // namespace tavelkor
