// The undo journal of an in-place change of a song: the old bytes of every place that changes,
// kept in a hidden file beside the song until the change is finished (TailRewrite.h).
#pragma once

#include "TailRewrite.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tavelkor {

// What the journal holds: the old bytes of every changed place and the file they belong to.
// With an insert at the start, `Inserted` tells whether the blocks are in (the old bytes then
// count in the grown file); before that, only the insert itself can have happened.
struct Journal {
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 OldSize = 0;
    qint64 FrontInsert = 0;
    bool Inserted = false;
    qint64 TailStart = 0;
    QVector<BytePatch> OldPatches;
    QByteArray OldTail;
    // Bytes of the old file that the change never writes (the first and the last between the
    // patches and the tail: the audio), at their places in the old file. They tell whether the
    // file is the one the journal was made for when its identity changed (a FAT file system
    // numbers its files anew at every mount), and with an insert whether the blocks are in:
    // found at their places, they are out; found as far on as the insert is long, they are in.
    QVector<BytePatch> Anchors;

    qint64 GrownSize() const { return OldSize + FrontInsert; }
};

QByteArray EncodeJournal(const Journal& journal);
// False for anything but a whole journal whose checksum matches.
bool DecodeJournal(const QByteArray& bytes, Journal& journal);

// Writes the journal and flushes it, and its name in the folder, to disk (false when the
// folder cannot be flushed: a journal that a crash may lose is no journal). One that replaces
// a journal that is there is written under another name and renamed over it, all at once.
bool WriteJournal(const QString& journalPath, const QByteArray& bytes);
// Whether a journal, or one that was being written to replace it, is there (or cannot be
// told to be missing).
bool JournalPresent(const QString& journalPath);
// Removes a journal that was still being written when the program stopped (it never took
// effect). True when none is left.
bool DropUnwrittenJournal(const QString& journalPath);
// Removes the journal of a finished or undone change. A journal that cannot be removed is
// emptied, so that it can never undo the change later.
bool DiscardJournal(const QString& journalPath);

// Where the undo journal of a file is kept: a hidden file beside it.
QString UndoJournalPath(const QString& path);

// The file that is really changed: a link's final target.
QString ResolvedPath(const QString& path);

} // namespace tavelkor
