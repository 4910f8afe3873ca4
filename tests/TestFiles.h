// Helpers for tests that work on real files: a fresh folder per test, and byte-exact file
// reading and writing.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace tavelkor::test {

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

class TestFolder {
public:
    TestFolder() : TestFolder(QDir::tempPath()) {}
    // A folder inside `parent` (on another file system than the temporary folder, say).
    explicit TestFolder(const QString& parent)
        : dir_(parent + QStringLiteral("/tavelkor-test-XXXXXX")) {}
    bool IsValid() const { return dir_.isValid(); }
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.path() + u'/' + name; }
    QString File(const char* name) const { return File(QString::fromUtf8(name)); }

    // Writes a file at `name` (a path inside the folder; its folders are made) and gives its
    // path. A test cannot go on without its input, so a failure stops the test program.
    QString Put(const QString& name, const QByteArray& bytes) const {
        const QString path = File(name);
        if (!QDir().mkpath(path.left(path.lastIndexOf(u'/'))) || !WriteBytes(path, bytes))
            qFatal("cannot write the test file %s", qPrintable(path));
        return path;
    }
    QString Put(const char* name, const QByteArray& bytes) const {
        return Put(QString::fromUtf8(name), bytes);
    }

private:
    QTemporaryDir dir_;
};

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Text in the tests is written as UTF-8 literals and stored as CP932 where it matters.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The file's status (all zero when it is missing).
inline struct stat StatOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Every entry of a folder, hidden ones included (a journal or a temporary file left behind).
inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace tavelkor::test
