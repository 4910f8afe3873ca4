// What a result line says beyond its code: why a save failed and what to do, that a file was
// empty. The notes are found out right after the run, while the files are as the run left them.
#pragma once

#include <QString>

namespace tavelkor {

struct BatchState;

// Why `path` could not be written, and what the user can do about it: a missing folder, a
// read-only file or folder, something that is not a file under that name, a full disk.
QString SaveFailureText(const QString& path);
// Gives the run's save errors (02) their reason and its files without a target that were
// empty (06) the words 「空のファイル」, where no note was given yet.
void AddResultNotes(BatchState& state);

} // namespace tavelkor
