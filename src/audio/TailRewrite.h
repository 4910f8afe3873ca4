// Changing the end of an audio file in place without ever leaving it half-changed.
//
// Tags and lyrics live at the end of an MP3 or RMP file, after megabytes of audio frames. A
// change replaces the bytes from some position to the end of the file (and may overwrite a few
// bytes before it, such as the RIFF size), so the audio is neither read nor copied:
//
//  1. The old bytes of every place that changes are written to an undo journal beside the
//     file and flushed to disk, with the file's identity and old size.
//  2. The new bytes are written into the file, which is cut or extended to its new size and
//     flushed.
//  3. The journal is removed.
//
// A failure in step 2 (a write error, a full disk) puts the old bytes back from memory and
// cuts the file to its old size. If the program stops during step 2, the journal is still
// there, and the next look at the file (RecoverInterruptedChange) puts the old bytes back
// from it. The file keeps its inode, permissions, owner and links.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tavelkor {

// Bytes overwritten in place before the replaced end; they keep their length.
struct BytePatch {
    qint64 Position = 0;
    QByteArray Bytes;
};

struct TailChange {
    qint64 TailStart = 0; // everything from here to the end of the file is replaced
    QByteArray NewTail;
    QVector<BytePatch> Patches;
};

// Applies the change to the file at `path` (a link is followed) if it is still `expectedSize`
// bytes long. False, with the file as it was, when it is not a regular writable file (one
// without any write permission bit counts as read-only, whoever runs the program), when the
// journal cannot be written beside it, or when writing fails.
bool ApplyTailChange(const QString& path, qint64 expectedSize, const TailChange& change);

// Puts back the old bytes of a change that was cut short, if a complete journal for this file
// is there, and removes the journal. True when nothing is left to undo.
bool RecoverInterruptedChange(const QString& path);

// Where the undo journal of a file is kept: a hidden file beside it.
QString UndoJournalPath(const QString& path);

} // namespace tavelkor
