#include "FolderNames.h"

#include "PathHelpers.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace tavelkor {

namespace {

// A folder of more bytes than this per name asked about is not read: its size says it holds
// many times more names (ext4 takes about 40 bytes per name, tmpfs 20).
constexpr qint64 FolderBytesPerName = 1024;

} // namespace

void FolderNames::ReadFoldersOf(const QStringList& paths, qsizetype minimum) {
    QHash<QString, qsizetype> named;
    for (const QString& path : paths) {
        const QString folder = FolderOf(path);
        if (!folder.isEmpty() && !FileNameOf(path).isEmpty())
            ++named[folder];
    }
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        if (it.value() < minimum || folders_.contains(it.key()))
            continue;
        DIR* folder = ::opendir(NativePath(it.key()).constData());
        if (folder == nullptr)
            continue;
        struct stat info;
        if (::fstat(::dirfd(folder), &info) != 0 ||
            info.st_size > qint64(it.value()) * FolderBytesPerName) {
            ::closedir(folder);
            continue;
        }
        QHash<QString, bool> names;
        names.reserve(info.st_size / 16);
        errno = 0;
        while (const dirent* entry = ::readdir(folder))
            names.insert(QFile::decodeName(entry->d_name),
                         entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN);
        const bool whole = errno == 0; // a folder that could not be read to its end tells nothing
        ::closedir(folder);
        if (whole)
            folders_.insert(it.key(), std::move(names));
    }
}

bool FolderNames::MayBeLink(const QString& path) const {
    const auto folder = folders_.constFind(FolderOf(path));
    if (folder == folders_.constEnd())
        return true;
    return folder->value(FileNameOf(path), false);
}

} // namespace tavelkor
