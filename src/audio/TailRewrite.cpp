#include "TailRewrite.h"

#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"
#include "AudioFileReader.h"

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
constexpr qsizetype MagicLength = 8;

QByteArray NativePath(const QString& path) { return QFile::encodeName(path); }

// The file that is really changed: a link's final target.
QString ResolvedPath(const QString& path) {
    char resolved[PATH_MAX];
    if (::realpath(NativePath(path).constData(), resolved) == nullptr)
        return path;
    return QFile::decodeName(resolved);
}

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

// What the journal holds: the old bytes of every changed place and the file they belong to.
struct Journal {
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 OldSize = 0;
    qint64 TailStart = 0;
    QVector<BytePatch> OldPatches;
    QByteArray OldTail;
};

QByteArray EncodeJournal(const Journal& journal) {
    QByteArray bytes(JournalMagic, MagicLength);
    AppendNumber(bytes, journal.Device);
    AppendNumber(bytes, journal.Inode);
    AppendNumber(bytes, quint64(journal.OldSize));
    AppendNumber(bytes, quint64(journal.TailStart));
    AppendNumber(bytes, quint64(journal.OldPatches.size()));
    for (const BytePatch& patch : journal.OldPatches) {
        AppendNumber(bytes, quint64(patch.Position));
        AppendNumber(bytes, quint64(patch.Bytes.size()));
        bytes += patch.Bytes;
    }
    AppendNumber(bytes, quint64(journal.OldTail.size()));
    bytes += journal.OldTail;
    AppendNumber(bytes, Fnv1a(bytes.constData(), bytes.size()));
    return bytes;
}

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

private:
    const QByteArray& bytes_;
    qsizetype position_ = MagicLength;
};

// False for anything but a whole journal whose checksum matches.
bool DecodeJournal(const QByteArray& bytes, Journal& journal) {
    if (bytes.size() < MagicLength + 8 || !bytes.startsWith(JournalMagic))
        return false;
    const qsizetype body = bytes.size() - 8;
    quint64 stored = 0;
    for (int i = 7; i >= 0; --i)
        stored = stored << 8 | uchar(bytes[body + i]);
    if (stored != Fnv1a(bytes.constData(), body))
        return false;
    JournalReader reader(bytes);
    qint64 device = 0, inode = 0, patches = 0, tailLength = 0;
    if (!reader.Number(device) || !reader.Number(inode) || !reader.Number(journal.OldSize) ||
        !reader.Number(journal.TailStart) || !reader.Number(patches) || patches > 16)
        return false;
    journal.Device = quint64(device);
    journal.Inode = quint64(inode);
    journal.OldPatches.clear();
    for (qint64 i = 0; i < patches; ++i) {
        BytePatch patch;
        qint64 length = 0;
        if (!reader.Number(patch.Position) || !reader.Number(length) ||
            !reader.Bytes(length, patch.Bytes))
            return false;
        journal.OldPatches.append(patch);
    }
    return reader.Number(tailLength) && reader.Bytes(tailLength, journal.OldTail) &&
           journal.TailStart + tailLength == journal.OldSize;
}

bool ReadAll(int fd, qint64 position, qint64 count, QByteArray& bytes) {
    bytes.resize(count);
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(count - done), position + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool WriteAll(int fd, qint64 position, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), position + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

// Writes the journal and flushes it, and its name in the folder, to disk.
bool WriteJournal(const QString& journalPath, const QByteArray& bytes) {
    const QByteArray native = NativePath(journalPath);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, 0, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
        ::unlink(native.constData());
        return false;
    }
    SyncFolder(journalPath);
    return true;
}

// Removes the journal of a finished or undone change. A journal that cannot be removed is
// emptied, so that it can never undo the change later.
bool DiscardJournal(const QString& journalPath) {
    const QByteArray native = NativePath(journalPath);
    if (::unlink(native.constData()) != 0 && errno != ENOENT &&
        ::truncate(native.constData(), 0) != 0)
        return false;
    SyncFolder(journalPath);
    return true;
}

// Puts the old bytes back and gives the file its old size. Every place is written even when
// another one fails: a write that failed part-way may have left the rest of the tail as it was,
// and the bytes before it (the RIFF size) must not stay changed meanwhile.
bool PutBack(int fd, const Journal& journal) {
    struct stat info;
    // A grown file is cut first, which frees the space the old bytes may need.
    if (::fstat(fd, &info) != 0 ||
        (info.st_size > journal.OldSize && ::ftruncate(fd, journal.OldSize) != 0))
        return false;
    bool restored = WriteAll(fd, journal.TailStart, journal.OldTail);
    for (const BytePatch& patch : journal.OldPatches)
        restored = WriteAll(fd, patch.Position, patch.Bytes) && restored;
    return restored && ::ftruncate(fd, journal.OldSize) == 0 && ::fsync(fd) == 0;
}

bool Apply(int fd, const TailChange& change, qint64 oldSize) {
    for (const BytePatch& patch : change.Patches) {
        if (!WriteAll(fd, patch.Position, patch.Bytes))
            return false;
    }
    const qint64 newSize = change.TailStart + change.NewTail.size();
    return WriteAll(fd, change.TailStart, change.NewTail) &&
           (newSize >= oldSize || ::ftruncate(fd, newSize) == 0) && ::fsync(fd) == 0;
}

bool IsWritableRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

} // namespace

QString UndoJournalPath(const QString& path) {
    const QString target = ResolvedPath(path);
    const QString name = FileNameOf(target);
    const QByteArray utf8 = name.toUtf8();
    return FolderOf(target) + u'.' + name.left(40) + u'.' +
           QString::number(Fnv1a(utf8.constData(), utf8.size()) & 0xFFFFFFFFu, 16) +
           QStringLiteral(".tavelkor-undo");
}

bool ApplyTailChange(const QString& path, qint64 expectedSize, const TailChange& change) {
    const QString target = ResolvedPath(path);
    const int fd = ::open(NativePath(target).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info;
    const qint64 newSize = change.TailStart + change.NewTail.size();
    bool ok = ::fstat(fd, &info) == 0 && IsWritableRegularFile(info) &&
              info.st_size == expectedSize && change.TailStart >= 0 &&
              change.TailStart <= expectedSize;
    Journal journal;
    journal.Device = quint64(info.st_dev);
    journal.Inode = quint64(info.st_ino);
    journal.OldSize = expectedSize;
    journal.TailStart = change.TailStart;
    // Only the bytes of a patch that differ are journaled and written: a tag of hundreds of
    // kilobytes, mostly padding, in which a few frames change costs a few kilobytes.
    TailChange narrowed{change.TailStart, change.NewTail, {}};
    for (const BytePatch& patch : change.Patches) {
        QByteArray old;
        ok = ok && patch.Position >= 0 && patch.Position + patch.Bytes.size() <= change.TailStart &&
             ReadAll(fd, patch.Position, patch.Bytes.size(), old);
        if (!ok)
            break;
        qsizetype begin = 0, end = patch.Bytes.size();
        while (begin < end && old[begin] == patch.Bytes[begin])
            ++begin;
        while (end > begin && old[end - 1] == patch.Bytes[end - 1])
            --end;
        if (begin == end)
            continue;
        journal.OldPatches.append({patch.Position + begin, old.mid(begin, end - begin)});
        narrowed.Patches.append({patch.Position + begin, patch.Bytes.mid(begin, end - begin)});
    }
    ok = ok && ReadAll(fd, change.TailStart, expectedSize - change.TailStart, journal.OldTail);
    const QString journalPath = UndoJournalPath(target);
    if (!ok || !WriteJournal(journalPath, EncodeJournal(journal))) {
        ::close(fd);
        return false;
    }
    // Space for a grown file is taken before any byte changes, where the file system allows.
    if (newSize > expectedSize &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, expectedSize, newSize - expectedSize) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        ::close(fd);
        DiscardJournal(journalPath);
        return false;
    }
    if (Apply(fd, narrowed, expectedSize)) {
        if (DiscardJournal(journalPath)) {
            ::close(fd);
            return true;
        }
    }
    // The old bytes go back from memory; if even that fails, the journal stays for the next
    // look at the file.
    if (PutBack(fd, journal))
        DiscardJournal(journalPath);
    ::close(fd);
    return false;
}

bool RecoverInterruptedChange(const QString& path) {
    const QString journalPath = UndoJournalPath(path);
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
    const bool restored = PutBack(fd, journal);
    ::close(fd);
    return restored && DiscardJournal(journalPath);
}

} // namespace tavelkor
