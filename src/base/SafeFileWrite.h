// Replacing a file's content without ever leaving it half-written.
#pragma once

#include <QByteArray>
#include <QString>

namespace tavelkor {

enum class WriteOutcome {
    Written,
    ReadOnlyTarget, // the target exists and is read-only, or is not a regular file
    Failed,         // the folder cannot take the file, or writing failed part-way
};

// Writes `bytes` to a new temporary file in the target's folder and renames it over the
// target, which keeps its permission bits (and owner, where allowed). A target that is a link
// is resolved and the file it points to is replaced. Whatever fails, the old target stays as
// it was and the temporary file is removed.
WriteOutcome ReplaceFileContents(const QString& path, const QByteArray& bytes);
// The target may be replaced: its folder takes new files, and the target is missing or is a
// regular file that is not read-only. A file is read-only when none of its write permission bits is
// set, whoever runs the program (root included), as the read-only attribute works elsewhere.
bool CanReplaceFile(const QString& path);

// Flushes the folder that holds `file` to disk, so that a file just created or renamed there
// keeps its name after a crash. False when the folder cannot be opened or flushed.
bool SyncFolder(const QString& file);

} // namespace tavelkor
