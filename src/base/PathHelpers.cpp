#include "PathHelpers.h"

#include <QFile>

namespace tavelkor {

QString FolderOf(const QString& path) {
    const qsizetype at = path.lastIndexOf(PathSeparator);
    return at < 0 ? QString() : path.left(at + 1);
}

QString FileNameOf(const QString& path) {
    const qsizetype at = path.lastIndexOf(PathSeparator);
    return at < 0 ? QString() : path.mid(at + 1);
}

QString AddTrailingBackslash(const QString& path) {
    if (path.isEmpty() || path.endsWith(PathSeparator))
        return path;
    return path + PathSeparator;
}

QString RemoveTrailingBackslash(const QString& path) {
    if (path.size() >= 2 && path.endsWith(PathSeparator))
        return path.left(path.size() - 1);
    return path;
}

QString BaseNameOf(const QString& path) {
    const QString name = FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString ExtensionOf(const QString& path) {
    const QString name = FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QByteArray NativePath(const QString& path) { return QFile::encodeName(path); }

} // namespace tavelkor
