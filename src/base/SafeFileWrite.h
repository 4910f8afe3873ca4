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

// What CreateFileContents did.
enum class CreateOutcome {
    Created, // the file was made and holds the bytes
    Taken,   // the name is taken (a file, a folder, a link even when dangling): nothing changed
    Refused, // the file could not be made (the folder is missing or takes no new file, ...)
    Failed,  // writing failed part-way; the file made for it was removed again
};

// Makes a new file that holds `bytes` (exclusive create: a name that is taken is never
// opened). Nobody else can have the file open while it is written, so no temporary file is
// needed: a write that fails removes the file, and nothing half-written remains.
CreateOutcome CreateFileContents(const QString& path, const QByteArray& bytes);
// Writes `bytes` to the target. A target that is not there is created directly
// (CreateFileContents). An existing one is never opened for writing: the bytes go to a new
// temporary file in the target's folder, which is renamed over the target and takes its
// permission bits (and owner, where allowed). A target that is a link is resolved and the
// file it points to is replaced. Whatever fails, the old target stays as it was and the
// temporary file is removed. `replacedExisting`, when given, tells whether a file that was
// there was replaced.
WriteOutcome ReplaceFileContents(const QString& path, const QByteArray& bytes,
                                 bool* replacedExisting = nullptr);
// The target may be replaced: its folder takes new files, and the target is missing or is a
// regular file that is not read-only. A file is read-only when none of its write permission bits is
// set, whoever runs the program (root included), as the read-only attribute works elsewhere.
bool CanReplaceFile(const QString& path);
// Writes `bytes` to the target always through a temporary file renamed over it, also when
// there is no target yet: whoever reads the name, even after the program was killed part-way,
// finds the whole old file, the whole new one or none, never a part. Leftover temporary files
// of a killed write are ".<name>.<random>.tmp" beside the target.
WriteOutcome WriteThroughTemporary(const QString& path, const QByteArray& bytes);

// Flushes the folder that holds `file` to disk, so that a file just created or renamed there
// keeps its name after a crash. False when the folder cannot be opened or flushed.
bool SyncFolder(const QString& file);

} // namespace tavelkor
