// Pure helpers on path texts. "Backslash" in the names is the platform's folder separator
// ("/" here). Each returns "" for an empty input.
#pragma once

#include <QByteArray>
#include <QString>

namespace tavelkor {

inline constexpr QChar PathSeparator = u'/';

// Up to and including the last separator; "" when there is none.
QString FolderOf(const QString& path);
// After the last separator; "" when there is none.
QString FileNameOf(const QString& path);
QString AddTrailingBackslash(const QString& path);
// Drops a final separator, but never the one of the root folder "/".
QString RemoveTrailingBackslash(const QString& path);
// The file name up to its last "."; the whole file name when it has no ".".
QString BaseNameOf(const QString& path);
// The file name after its last "."; "" when it has no ".". Letter case is kept.
QString ExtensionOf(const QString& path);

// The path as the system's file calls take it (the file name encoding of the system).
QByteArray NativePath(const QString& path);

} // namespace tavelkor
