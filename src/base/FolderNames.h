// The names in a folder, read once: for a batch that names many files of one folder, telling
// which of them are there and which are links costs a few reads of the folder instead of a
// status look-up per file.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace tavelkor {

class FolderNames {
public:
    // Reads the folders that hold at least `minimum` of `paths` (each up to and including its
    // last separator), unless a folder holds far more names than that (then a look-up per
    // file costs less than reading them all).
    void ReadFoldersOf(const QStringList& paths, qsizetype minimum);
    // False when the path's folder was read and its name is not there, or is there and is
    // not a link; true when it is a link or nothing is known (the caller looks it up).
    bool MayBeLink(const QString& path) const;

private:
    // Per folder read: each name, and whether it is a link (or of a kind the folder does not
    // tell).
    QHash<QString, QHash<QString, bool>> folders_;
};

} // namespace tavelkor
