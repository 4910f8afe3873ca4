#include "UndoJournal.h"

#include "../base/FileBytes.h"
#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

constexpr char JournalMagic[] = "TVKUNDO1";
// A journal with anchors, and with the blocks a change inserts at the start of the file.
constexpr char AnchoredJournalMagic[] = "TVKUNDO2";
constexpr qsizetype MagicLength = 8;

quint64 Fnv1a(const char* data, qsizetype size) {
    quint64 hash = 0xcbf29ce484222325ull;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= uchar(data[i]);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

void AppendNumber(QByteArray& bytes, quint64 value) {
    for (int shift = 0; shift < 64; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
}

void AppendPatches(QByteArray& bytes, const QVector<BytePatch>& patches) {
    AppendNumber(bytes, quint64(patches.size()));
    for (const BytePatch& patch : patches) {
        AppendNumber(bytes, quint64(patch.Position));
        AppendNumber(bytes, quint64(patch.Bytes.size()));
        bytes += patch.Bytes;
    }
}

// Where a journal is written before it takes the journal's name.
QByteArray NextJournalPath(const QString& journalPath) { return NativePath(journalPath) + "-next"; }

// Reads numbers and byte runs from a journal, never past its end.
class JournalReader {
public:
    explicit JournalReader(const QByteArray& bytes) : bytes_(bytes) {}
    bool Number(qint64& value) {
        if (bytes_.size() - position_ < 8)
            return false;
        quint64 number = 0;
        for (int i = 7; i >= 0; --i)
            number = number << 8 | uchar(bytes_[position_ + i]);
        position_ += 8;
        value = qint64(number);
        return value >= 0;
    }
    bool Bytes(qint64 count, QByteArray& out) {
        if (count < 0 || count > bytes_.size() - position_)
            return false;
        out = bytes_.mid(position_, count);
        position_ += count;
        return true;
    }
    // A count (at most 16) and as many places with their bytes.
    bool Patches(QVector<BytePatch>& patches) {
        qint64 count = 0;
        if (!Number(count) || count > 16)
            return false;
        patches.clear();
        for (qint64 i = 0; i < count; ++i) {
            BytePatch patch;
            qint64 length = 0;
            if (!Number(patch.Position) || !Number(length) || !Bytes(length, patch.Bytes))
                return false;
            patches.append(patch);
        }
        return true;
    }

private:
    const QByteArray& bytes_;
    qsizetype position_ = MagicLength;
};

} // namespace

QString ResolvedPath(const QString& path) {
    char resolved[PATH_MAX];
    if (::realpath(NativePath(path).constData(), resolved) == nullptr)
        return path;
    return QFile::decodeName(resolved);
}

QString UndoJournalPath(const QString& path) {
    const QString target = ResolvedPath(path);
    const QString name = FileNameOf(target);
    const QByteArray utf8 = name.toUtf8();
    return FolderOf(target) + u'.' + name.left(40) + u'.' +
           QString::number(Fnv1a(utf8.constData(), utf8.size()) & 0xFFFFFFFFu, 16) +
           QStringLiteral(".tavelkor-undo");
}

QByteArray EncodeJournal(const Journal& journal) {
    const bool anchored = journal.FrontInsert > 0 || !journal.Anchors.isEmpty();
    QByteArray bytes(anchored ? AnchoredJournalMagic : JournalMagic, MagicLength);
    AppendNumber(bytes, journal.Device);
    AppendNumber(bytes, journal.Inode);
    AppendNumber(bytes, quint64(journal.OldSize));
    if (anchored) {
        AppendNumber(bytes, quint64(journal.FrontInsert));
        AppendNumber(bytes, journal.Inserted ? 1 : 0);
        AppendPatches(bytes, journal.Anchors);
    }
    AppendNumber(bytes, quint64(journal.TailStart));
    AppendPatches(bytes, journal.OldPatches);
    AppendNumber(bytes, quint64(journal.OldTail.size()));
    bytes += journal.OldTail;
    AppendNumber(bytes, Fnv1a(bytes.constData(), bytes.size()));
    return bytes;
}

bool DecodeJournal(const QByteArray& bytes, Journal& journal) {
    const bool anchored = bytes.startsWith(AnchoredJournalMagic);
    if (bytes.size() < MagicLength + 8 || (!bytes.startsWith(JournalMagic) && !anchored))
        return false;
    const qsizetype body = bytes.size() - 8;
    quint64 stored = 0;
    for (int i = 7; i >= 0; --i)
        stored = stored << 8 | uchar(bytes[body + i]);
    if (stored != Fnv1a(bytes.constData(), body))
        return false;
    JournalReader reader(bytes);
    qint64 device = 0, inode = 0, tailLength = 0, inserted = 0;
    if (!reader.Number(device) || !reader.Number(inode) || !reader.Number(journal.OldSize))
        return false;
    journal.Anchors.clear();
    if (anchored && (!reader.Number(journal.FrontInsert) || !reader.Number(inserted) ||
                     inserted > 1 || !reader.Patches(journal.Anchors)))
        return false;
    journal.Inserted = inserted == 1;
    if (!reader.Number(journal.TailStart) || !reader.Patches(journal.OldPatches))
        return false;
    journal.Device = quint64(device);
    journal.Inode = quint64(inode);
    return reader.Number(tailLength) && reader.Bytes(tailLength, journal.OldTail) &&
           journal.TailStart + tailLength == journal.GrownSize();
}

namespace {

// Writes the journal into a new file at `path` and flushes it. False, with no file left, when
// that fails; `exists` tells when a file was there already.
bool WriteNewJournal(const QByteArray& path, const QByteArray& bytes, bool& exists) {
    const int fd =
        ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    exists = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return false;
    const bool ok = WriteAt(fd, 0, bytes) && ::fdatasync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
        ::unlink(path.constData());
        return false;
    }
    return true;
}

} // namespace

bool WriteJournal(const QString& journalPath, const QByteArray& bytes) {
    const QByteArray native = NativePath(journalPath);
    const QByteArray next = NextJournalPath(journalPath);
    bool exists = false;
    // The first journal of a change takes its name at once; before the change has begun, no
    // journal is better than one whose name a crash may lose.
    if (WriteNewJournal(native, bytes, exists)) {
        if (SyncFolder(journalPath))
            return true;
        ::unlink(native.constData());
        return false;
    }
    // One that replaces another is written beside it and renamed over it. Once renamed it
    // stays, flushed or not: it is whole, and it says more than the one it replaced.
    if (!exists || (::unlink(next.constData()) != 0 && errno != ENOENT) ||
        !WriteNewJournal(next, bytes, exists))
        return false;
    if (::rename(next.constData(), native.constData()) != 0) {
        ::unlink(next.constData());
        return false;
    }
    return SyncFolder(journalPath);
}

bool DiscardJournal(const QString& journalPath) {
    const QByteArray native = NativePath(journalPath);
    // The removal is not flushed: the file was flushed before, so a journal that a crash
    // brings back (before the file system commits the removal) finds the change whole and
    // undoes it whole. The song is then as it was; the change is lost, never half-made, as a
    // rollback journal's deletion commits in SQLite.
    return ::unlink(native.constData()) == 0 || errno == ENOENT ||
           ::truncate(native.constData(), 0) == 0;
}

bool JournalPresent(const QString& journalPath) {
    struct stat info;
    const auto missing = [&info](const QByteArray& path) {
        return ::lstat(path.constData(), &info) != 0 && errno == ENOENT;
    };
    return !missing(NativePath(journalPath)) || !missing(NextJournalPath(journalPath));
}

bool DropUnwrittenJournal(const QString& journalPath) {
    const QByteArray next = NextJournalPath(journalPath);
    struct stat info;
    return ::lstat(next.constData(), &info) != 0 || ::unlink(next.constData()) == 0;
}

} // namespace tavelkor
