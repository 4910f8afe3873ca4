#include "TailRewrite.h"

#include "../base/ByteRuns.h"
#include "../base/FileBytes.h"
#include "../base/PathHelpers.h"
#include "UndoJournal.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

// Whether every anchor of the journal is found `shift` bytes on from its old place.
bool AnchorsAt(int fd, const Journal& journal, qint64 shift) {
    for (const BytePatch& anchor : journal.Anchors) {
        QByteArray now;
        if (!ReadAt(fd, anchor.Position + shift, anchor.Bytes.size(), now) || now != anchor.Bytes)
            return false;
    }
    return true;
}

// Takes out the blocks inserted at the start. The file tells whether they are in: as long as
// it was with the audio where it was, they are out (never inserted, or taken out already);
// longer by the insert with the audio as far on, they are in. A file in neither state (a file
// system that stopped half-way through moving the audio, or a change by someone else) is not
// touched: false, and the journal stays.
bool TakeOutInsert(int fd, const Journal& journal) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return false;
    const auto out = [&] { return info.st_size == journal.OldSize && AnchorsAt(fd, journal, 0); };
    if (out())
        return true;
    if (info.st_size != journal.GrownSize() || !AnchorsAt(fd, journal, journal.FrontInsert) ||
        ::fallocate(fd, FALLOC_FL_COLLAPSE_RANGE, 0, journal.FrontInsert) != 0 ||
        ::fsync(fd) != 0 || ::fstat(fd, &info) != 0)
        return false;
    return out();
}

// Writes old bytes back where they differ from what is there: a write that failed changed
// nothing, and what it did not change needs no write to undo it.
bool WriteBack(int fd, qint64 position, const QByteArray& bytes) {
    QByteArray now;
    if (!ReadAt(fd, position, bytes.size(), now))
        return WriteAt(fd, position, bytes);
    const auto [begin, end] = DifferingSpan(now.constData(), bytes.constData(), bytes.size());
    return begin == end || WriteAt(fd, position + begin, bytes.mid(begin, end - begin));
}

// Puts the old bytes back and gives the file its old size. Every place is written even when
// another one fails: a write that failed part-way may have left the rest of the tail as it was,
// and the bytes before it (the RIFF size) must not stay changed meanwhile. Blocks inserted at
// the start go last, after the journal says that only they are left to undo.
bool PutBack(int fd, const Journal& journal, const QString& journalPath) {
    if (journal.FrontInsert > 0 && !journal.Inserted)
        return TakeOutInsert(fd, journal);
    // The blocks are in: the audio must be as far on as they are long.
    if (journal.FrontInsert > 0 && !AnchorsAt(fd, journal, journal.FrontInsert))
        return false;
    const qint64 size = journal.GrownSize();
    struct stat info;
    // A grown file is cut first, which frees the space the old bytes may need.
    if (::fstat(fd, &info) != 0 || (info.st_size > size && ::ftruncate(fd, size) != 0))
        return false;
    bool restored = WriteBack(fd, journal.TailStart, journal.OldTail);
    for (const BytePatch& patch : journal.OldPatches)
        restored = WriteBack(fd, patch.Position, patch.Bytes) && restored;
    if (!restored || ::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)
        return false;
    if (journal.FrontInsert == 0)
        return true;
    Journal insertOnly = journal;
    insertOnly.Inserted = false;
    insertOnly.TailStart = size;
    insertOnly.OldPatches.clear();
    insertOnly.OldTail.clear();
    return WriteJournal(journalPath, EncodeJournal(insertOnly)) && TakeOutInsert(fd, journal);
}

bool Apply(int fd, const TailChange& change, qint64 oldSize) {
    for (const BytePatch& patch : change.Patches) {
        if (!WriteAt(fd, patch.Position, patch.Bytes))
            return false;
    }
    const qint64 newSize = change.TailStart + change.NewTail.size();
    return WriteAt(fd, change.TailStart, change.NewTail) &&
           (newSize >= oldSize || ::ftruncate(fd, newSize) == 0) && ::fdatasync(fd) == 0;
}

bool IsWritableRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Errors of a file system that cannot insert blocks (or not these): the song is then
// rewritten instead.
bool CannotInsert(int error) {
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL || error == ENODEV;
}

// Inserts the change's front blocks under a journal that says so, and flushes the insert
// before the journal may say more.
GrowingChange InsertAtFront(int fd, const Journal& journal, const QString& journalPath) {
    if (!WriteJournal(journalPath, EncodeJournal(journal)))
        return GrowingChange::Failed;
    if (::fallocate(fd, FALLOC_FL_INSERT_RANGE, 0, journal.FrontInsert) != 0) {
        // A file system may fail part-way, with the file grown: the journal stays unless the
        // file is as it was, or is made so.
        const bool cannot = CannotInsert(errno);
        if (!TakeOutInsert(fd, journal))
            return GrowingChange::Failed;
        DiscardJournal(journalPath);
        return cannot ? GrowingChange::NotInPlace : GrowingChange::Failed;
    }
    if (::fsync(fd) != 0) {
        if (TakeOutInsert(fd, journal))
            DiscardJournal(journalPath);
        return GrowingChange::Failed;
    }
    return GrowingChange::Applied;
}

// Keeps other runs of the program off the song while it changes or is put back: one would
// take the other's journal for that of a change cut short. False when another run has it; a
// file system without locks changes the song unlocked.
bool LockSong(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

// The anchors of a change: bytes of the old file that the change never writes (after the
// patches and any inserted blocks, before the tail), at the start, the middle and the end of
// those bytes: of a song, the first frame (which describes the whole song) and two places in
// its music.
bool ReadAnchors(int fd, const TailChange& change, Journal& journal) {
    constexpr qint64 AnchorLength = 256;
    qint64 begin = change.FrontInsert;
    for (const BytePatch& patch : change.Patches)
        begin = std::max(begin, patch.Position + patch.Bytes.size());
    begin -= change.FrontInsert;
    const qint64 end = change.TailStart - change.FrontInsert;
    if (end <= begin)
        return true; // nothing of the old file stays unwritten: its length alone tells
    const qint64 length = std::min(AnchorLength, end - begin);
    journal.Anchors.clear();
    for (const qint64 position : {begin, begin + (end - begin - length) / 2, end - length}) {
        BytePatch anchor{position, {}};
        if (!ReadAt(fd, position, length, anchor.Bytes))
            return false;
        journal.Anchors.append(anchor);
    }
    return true;
}

// Reads the old bytes of the places that change into the journal. Only the bytes of a patch
// that differ are journaled and written: a tag of hundreds of kilobytes, mostly padding, in
// which a few frames change costs a few kilobytes.
bool ReadOldBytes(int fd, const TailChange& change, Journal& journal, TailChange& narrowed) {
    narrowed = {change.TailStart, change.NewTail, {}, 0};
    for (const BytePatch& patch : change.Patches) {
        QByteArray old;
        if (patch.Position < 0 || patch.Position + patch.Bytes.size() > change.TailStart ||
            !ReadAt(fd, patch.Position, patch.Bytes.size(), old))
            return false;
        const auto [begin, end] =
            DifferingSpan(old.constData(), patch.Bytes.constData(), patch.Bytes.size());
        if (begin == end)
            continue;
        journal.OldPatches.append({patch.Position + begin, old.mid(begin, end - begin)});
        narrowed.Patches.append({patch.Position + begin, patch.Bytes.mid(begin, end - begin)});
    }
    return ReadAt(fd, change.TailStart, journal.GrownSize() - change.TailStart, journal.OldTail);
}

GrowingChange ChangeFile(const QString& path, qint64 expectedSize, const TailChange& change) {
    const QString target = ResolvedPath(path);
    const int fd = ::open(NativePath(target).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return GrowingChange::Failed;
    struct stat info;
    Journal journal;
    journal.OldSize = expectedSize;
    journal.FrontInsert = change.FrontInsert;
    journal.TailStart = journal.GrownSize();
    const qint64 newSize = change.TailStart + change.NewTail.size();
    if (::fstat(fd, &info) != 0 || !IsWritableRegularFile(info) || info.st_size != expectedSize ||
        change.FrontInsert < 0 || change.TailStart < 0 || change.TailStart > journal.GrownSize()) {
        ::close(fd);
        return GrowingChange::Failed;
    }
    journal.Device = quint64(info.st_dev);
    journal.Inode = quint64(info.st_ino);
    const QString journalPath = UndoJournalPath(target);
    if (!LockSong(fd) || !ReadAnchors(fd, change, journal)) {
        ::close(fd);
        return GrowingChange::Failed;
    }
    if (change.FrontInsert > 0) {
        const GrowingChange inserted = InsertAtFront(fd, journal, journalPath);
        if (inserted != GrowingChange::Applied) {
            ::close(fd);
            return inserted;
        }
        journal.Inserted = true;
    }
    journal.TailStart = change.TailStart;
    TailChange narrowed;
    if (!ReadOldBytes(fd, change, journal, narrowed) ||
        !WriteJournal(journalPath, EncodeJournal(journal))) {
        // The journal on disk, if any, still says that only the insert is to be undone.
        if (change.FrontInsert > 0 && TakeOutInsert(fd, journal))
            DiscardJournal(journalPath);
        ::close(fd);
        return GrowingChange::Failed;
    }
    // Space for a grown file is taken before any byte changes, where the file system allows.
    const bool reserved = newSize <= journal.GrownSize() ||
                          ::fallocate(fd, FALLOC_FL_KEEP_SIZE, journal.GrownSize(),
                                      newSize - journal.GrownSize()) == 0 ||
                          errno == EOPNOTSUPP || errno == ENOSYS;
    if (!reserved && change.FrontInsert == 0) {
        ::close(fd);
        DiscardJournal(journalPath);
        return GrowingChange::Failed;
    }
    if (reserved && Apply(fd, narrowed, journal.GrownSize()) && DiscardJournal(journalPath)) {
        ::close(fd);
        return GrowingChange::Applied;
    }
    // The old bytes go back from memory; if even that fails, the journal stays for the next
    // look at the file.
    if (PutBack(fd, journal, journalPath))
        DiscardJournal(journalPath);
    ::close(fd);
    return GrowingChange::Failed;
}

// Undoes a change cut short, with the song locked.
bool RecoverLocked(const QString& path, const QString& journalPath) {
    if (!DropUnwrittenJournal(journalPath))
        return false;
    const QByteArray nativeJournal = NativePath(journalPath);
    struct stat journalInfo;
    if (::lstat(nativeJournal.constData(), &journalInfo) != 0)
        return errno == ENOENT;
    QFile file(journalPath);
    if (!S_ISREG(journalInfo.st_mode) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    // An incomplete journal was being written when the program stopped, before the file was
    // touched.
    Journal journal;
    if (!DecodeJournal(bytes, journal))
        return DiscardJournal(journalPath);
    const QString target = ResolvedPath(path);
    const int fd = ::open(NativePath(target).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    // A journal of another file (the name now belongs to a new one) is stale. The identity
    // alone may change (a FAT file system numbers files anew at every mount, a removable disk
    // may come back as another device), and it alone does not prove the file either: another
    // song copied over this one keeps its number, and a number freed by removing the song is
    // soon given to the next file. Where the journal has anchors, they tell; only a file that
    // stopped half-way through the insert (longer, the audio not yet moved) has them in neither
    // place and is still the journal's.
    struct stat info;
    const bool same = ::fstat(fd, &info) == 0 && quint64(info.st_dev) == journal.Device &&
                      quint64(info.st_ino) == journal.Inode;
    const bool anchored = AnchorsAt(fd, journal, 0) ||
                          (journal.FrontInsert > 0 && AnchorsAt(fd, journal, journal.FrontInsert));
    const bool halfWayInsert = same && journal.FrontInsert > 0 && info.st_size > journal.OldSize &&
                               info.st_size <= journal.GrownSize();
    if (journal.Anchors.isEmpty() ? !same : !anchored && !halfWayInsert) {
        ::close(fd);
        return DiscardJournal(journalPath);
    }
    const bool restored = PutBack(fd, journal, journalPath);
    ::close(fd);
    return restored && DiscardJournal(journalPath);
}

} // namespace

bool ApplyTailChange(const QString& path, qint64 expectedSize, const TailChange& change) {
    return change.FrontInsert == 0 &&
           ChangeFile(path, expectedSize, change) == GrowingChange::Applied;
}

GrowingChange ApplyGrowingChange(const QString& path, qint64 expectedSize,
                                 const TailChange& change) {
    if (change.FrontInsert <= 0)
        return GrowingChange::Failed;
    return ChangeFile(path, expectedSize, change);
}

bool RecoverInterruptedChange(const QString& path) {
    const QString journalPath = UndoJournalPath(path);
    if (!JournalPresent(journalPath))
        return true; // nothing to undo: the usual case, with no lock taken
    // The song is locked first: a journal of a change that another run is making now is not
    // one to undo.
    const QString target = ResolvedPath(path);
    const int lock = ::open(NativePath(target).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const bool locked = lock >= 0 && LockSong(lock);
    const bool recovered = locked && RecoverLocked(path, journalPath);
    if (lock >= 0)
        ::close(lock);
    return recovered;
}

} // namespace tavelkor
