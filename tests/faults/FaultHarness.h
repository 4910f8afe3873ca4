// Running one batch in a child process under an injected fault (a file-size limit, or a user
// whom the permission bits bind), and comparing a folder with what it held before.
#pragma once

#include "TestFiles.h"
#include "app/BatchState.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <grp.h>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tavelkor::test {

// One entry of a folder tree: a file's bytes and permission bits, or a folder.
struct Entry {
    bool Folder = false;
    QByteArray Bytes;
    uint Mode = 0;
    bool operator==(const Entry& other) const {
        return Folder == other.Folder && Bytes == other.Bytes && Mode == other.Mode;
    }
};

// Every file and folder below a folder, hidden ones included, by path relative to it.
using FolderState = QMap<QString, Entry>;

inline QByteArray Native(const QString& path) { return QFile::encodeName(path); }

inline uint ModeOf(const QString& path) {
    struct stat info {};
    return ::lstat(Native(path).constData(), &info) == 0 ? uint(info.st_mode & 07777) : 0;
}

inline FolderState Snapshot(const QString& root) {
    FolderState state;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        Entry entry;
        entry.Folder = it.fileInfo().isDir();
        entry.Mode = ModeOf(path);
        if (!entry.Folder)
            entry.Bytes = ReadBytes(path);
        state.insert(QDir(root).relativeFilePath(path), entry);
    }
    return state;
}

// Makes the folder hold exactly `state` again.
inline void Restore(const QString& root, const FolderState& state) {
    ::chmod(Native(root).constData(), 0755);
    for (const QString& name : QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot)) {
        const QString path = root + u'/' + name;
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
    for (auto it = state.begin(); it != state.end(); ++it) { // a folder comes before its files
        const QString path = root + u'/' + it.key();
        if (it->Folder)
            QDir().mkpath(path);
        else
            WriteBytes(path, it->Bytes);
        ::chmod(Native(path).constData(), it->Mode);
    }
}

// What differs between two states, for failure messages.
inline std::string Differences(const FolderState& expected, const FolderState& actual) {
    QSet<QString> names;
    for (const QString& name : expected.keys())
        names.insert(name);
    for (const QString& name : actual.keys())
        names.insert(name);
    QStringList lines;
    for (const QString& name : names) {
        if (!actual.contains(name))
            lines << name + QStringLiteral(" is missing");
        else if (!expected.contains(name))
            lines << name + QStringLiteral(" is new (") +
                         QString::number(actual[name].Bytes.size()) + QStringLiteral(" bytes)");
        else if (!(expected[name] == actual[name]))
            lines << name + QStringLiteral(" differs: ") +
                         QString::number(actual[name].Bytes.size()) +
                         QStringLiteral(" bytes, mode ") + QString::number(actual[name].Mode, 8) +
                         QStringLiteral(" instead of ") +
                         QString::number(expected[name].Bytes.size()) +
                         QStringLiteral(" bytes, mode ") + QString::number(expected[name].Mode, 8);
    }
    lines.sort();
    return lines.join(QStringLiteral("; ")).toStdString();
}

// The records of a run as the child reports them: one "code<TAB>file name" line each.
inline QByteArray EncodeResults(const QVector<ResultRecord>& results) {
    QByteArray bytes;
    for (const ResultRecord& record : results)
        bytes += QByteArray::number(record.Code) + '\t' + record.FileName.toUtf8() + '\n';
    return bytes;
}

inline QVector<ResultRecord> DecodeResults(const QByteArray& bytes) {
    QVector<ResultRecord> results;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            results.append({QString::fromUtf8(line.mid(tab + 1)), short(line.left(tab).toInt())});
    }
    return results;
}

inline std::string Describe(const QVector<ResultRecord>& results) {
    return QString::fromUtf8(EncodeResults(results)).replace(u'\n', u' ').toStdString();
}

// The fault the child runs under.
struct ChildFault {
    std::optional<rlim_t> FileSizeLimit; // writes past this many bytes into any file fail (EFBIG)
    bool DropRoot = false;               // root runs as `OtherUser`, so that permission bits bind
};

inline constexpr uid_t OtherUser = 65534; // "nobody"

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Gives a tree to `OtherUser`, whom a root child becomes under ChildFault::DropRoot.
inline void HandToOtherUser(const QString& root) {
    if (!RunningAsRoot())
        return;
    ::chown(Native(root).constData(), OtherUser, OtherUser);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ::lchown(Native(it.next()).constData(), OtherUser, OtherUser);
}

// Runs `work` in a child process under `fault`; its records come back through a pipe. Nothing
// when the child did not end normally (a crash, a signal).
inline std::optional<QVector<ResultRecord>>
RunInChild(const ChildFault& fault, const std::function<QVector<ResultRecord>()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        if (fault.DropRoot && RunningAsRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(OtherUser, OtherUser, OtherUser) != 0 ||
             ::setresuid(OtherUser, OtherUser, OtherUser) != 0))
            ::_exit(3);
        if (fault.FileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = *fault.FileSizeLimit;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(4);
        }
        const QByteArray report = EncodeResults(work());
        qsizetype done = 0;
        while (done < report.size()) {
            const ssize_t put =
                ::write(channel[1], report.constData() + done, size_t(report.size() - done));
            if (put <= 0)
                ::_exit(5);
            done += put;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            report.append(buffer, got);
        else if (errno != EINTR)
            break;
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return DecodeResults(report);
}

// File-size limits that stop every write of a change on its way from `before` to `after`: the
// bytes around each changed file's old and new size and around where its content starts and
// stops changing (the ends of the writes), every limit up to 8 bytes, and 24 more spread up to
// the largest changed file (inside each longer write). The last limit leaves room for all.
inline std::vector<rlim_t> SweepLimits(const FolderState& before, const FolderState& after) {
    std::set<qint64> limits;
    const auto around = [&](qint64 at) {
        for (qint64 d = -1; d <= 1; ++d)
            limits.insert(std::max<qint64>(0, at + d));
    };
    qint64 largest = 0;
    for (const QString& name : before.keys() + after.keys()) {
        if (before.contains(name) && after.contains(name) && before[name] == after[name])
            continue; // not written
        const QByteArray old = before.value(name).Bytes;
        const QByteArray now = after.value(name).Bytes;
        largest = std::max({largest, qint64(old.size()), qint64(now.size())});
        around(old.size());
        around(now.size());
        const qsizetype common = std::min(old.size(), now.size());
        qsizetype head = 0;
        while (head < common && old[head] == now[head])
            ++head;
        qsizetype tail = 0;
        while (tail < common - head && old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        around(head);
        around(now.size() - tail);
        around(old.size() - tail);
    }
    const qint64 stride = std::max<qint64>(1, largest / 24);
    for (qint64 limit = 0; limit <= largest; limit += limit < 8 ? 1 : stride)
        limits.insert(limit);
    limits.insert(largest + 4096); // room for everything, an undo journal included
    return std::vector<rlim_t>(limits.begin(), limits.end());
}

} // namespace tavelkor::test
