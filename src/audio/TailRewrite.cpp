#include "TailRewrite.h"

#include "../base/ByteRuns.h"
#include "../base/FileBytes.h"
#include "UndoJournal.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

QByteArray NativePath(const QString& path) { return QFile::encodeName(path); }

// Takes out the blocks inserted at the start. The file tells whether they are in: it is as
// long as it was, or longer by the insert (before the insert was flushed, or after it was
// taken out, it is as long as it was). A file of another length was changed by someone else
// since; there is nothing of ours to undo in it.
bool TakeOutInsert(int fd, const Journal& journal) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return false;
    if (info.st_size != journal.GrownSize())
        return true;
    return ::fallocate(fd, FALLOC_FL_COLLAPSE_RANGE, 0, journal.FrontInsert) == 0 &&
           ::fsync(fd) == 0;
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
        const bool cannot = CannotInsert(errno);
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
    Journal journal;
    struct stat info;
    // An incomplete journal was being written when the program stopped, before the file was
    // touched; a journal of another file (the name now belongs to a new one) is stale.
    const QString target = ResolvedPath(path);
    if (!DecodeJournal(bytes, journal) || ::stat(NativePath(target).constData(), &info) != 0 ||
        quint64(info.st_dev) != journal.Device || quint64(info.st_ino) != journal.Inode)
        return DiscardJournal(journalPath);
    const int fd = ::open(NativePath(target).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool restored = PutBack(fd, journal, journalPath);
    ::close(fd);
    return restored && DiscardJournal(journalPath);
}

} // namespace tavelkor
