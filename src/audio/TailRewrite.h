// Changing the end of an audio file in place without ever leaving it half-changed.
//
// Tags and lyrics live at the end of an MP3 or RMP file, after megabytes of audio frames. A
// change replaces the bytes from some position to the end of the file (and may overwrite a few
// bytes before it, such as the RIFF size or the ID3v2 tag at the start), so the audio is
// neither read nor copied:
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
//
// A change may also grow the start of the file (an ID3v2 tag that needs more room) by whole
// file system blocks, which ext4 and XFS insert in front of the audio without moving it
// (fallocate's insert range). The journal first says that the blocks are being inserted;
// once they are, it is replaced by one that also holds the old bytes, in the grown file's
// places. Undoing puts the old bytes back, says again that only the insert is left, and takes
// the blocks out. At every moment the journal on disk tells how to get back to the old file.
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
    // Bytes inserted before the first byte, before anything else changes (whole file system
    // blocks); TailStart and the patches count in the grown file.
    qint64 FrontInsert = 0;
};

// Applies the change to the file at `path` (a link is followed) if it is still `expectedSize`
// bytes long. False, with the file as it was, when it is not a regular writable file (one
// without any write permission bit counts as read-only, whoever runs the program), when the
// journal cannot be written beside it, or when writing fails.
bool ApplyTailChange(const QString& path, qint64 expectedSize, const TailChange& change);

enum class GrowingChange {
    Applied,
    Failed,     // the file is as it was
    NotInPlace, // the file system cannot insert these bytes; the file is as it was
};
// ApplyTailChange for a change with a FrontInsert.
GrowingChange ApplyGrowingChange(const QString& path, qint64 expectedSize,
                                 const TailChange& change);

// Puts back the old bytes of a change that was cut short, if a complete journal for this file
// is there, and removes the journal. True when nothing is left to undo.
bool RecoverInterruptedChange(const QString& path);

} // namespace tavelkor
