#include "NameMatchMode.h"

#include "../app/BatchState.h"
#include "../app/ResultCodes.h"
#include "../app/RunQuestions.h"
#include "../base/PathHelpers.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelkor {

namespace {

enum class RenameOutcome { Renamed, TargetExists, Failed };

// Renames without ever replacing a file at the new path, also one that appears between the
// check and the rename: the kernel refuses atomically (RENAME_NOREPLACE, or a hard link that
// cannot be made over an existing name where the file system lacks it).
RenameOutcome RenameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return RenameOutcome::Renamed;
    if (errno == EEXIST)
        return RenameOutcome::TargetExists;
    if (errno != EINVAL && errno != ENOSYS)
        return RenameOutcome::Failed;
    if (::link(source.constData(), target.constData()) != 0)
        return errno == EEXIST ? RenameOutcome::TargetExists : RenameOutcome::Failed;
    if (::unlink(source.constData()) != 0) {
        ::unlink(target.constData());
        return RenameOutcome::Failed;
    }
    return RenameOutcome::Renamed;
}

bool SomethingAt(const QString& path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

void NameMatchRun(const ModeInfo&, BatchState& state, Settings&, RunQuestions& questions) {
    state.RejectedFiles.clear();
    state.Results = QVector<ResultRecord>(1);
    ResultRecord& record = state.Results[0];
    if (state.DroppedFiles.size() != 2) {
        record.Code = DropCountError;
        return;
    }
    const QString& first = state.DroppedFiles[0];
    const QString& second = state.DroppedFiles[1];
    if (ExtensionOf(first).compare(ExtensionOf(second), Qt::CaseInsensitive) == 0) {
        record = {first, SameExtension};
        return;
    }
    if (BaseNameOf(first).compare(BaseNameOf(second), Qt::CaseInsensitive) == 0) {
        record = {first, SameNameAlready};
        return;
    }
    const int winner = questions.AskWhichNameWins(first, second);
    if (winner != 0 && winner != 1) {
        record = {first, Cancelled};
        return;
    }
    const QString& renamed = winner == 0 ? second : first;
    const QString& named = winner == 0 ? first : second;
    const QString newPath = FolderOf(renamed) + BaseNameOf(named) + u'.' + ExtensionOf(renamed);
    // Any entry there counts, a folder or a dangling link included: nothing is replaced.
    if (SomethingAt(newPath)) {
        record = {newPath, AlreadyExists};
        return;
    }
    switch (RenameNoReplace(renamed, newPath)) {
    case RenameOutcome::Renamed:
        // The file that was renamed, and its new name.
        record = {renamed, Converted};
        record.OutputPath = newPath;
        record.Note = FileNameOf(newPath) + QStringLiteral(u" に名前を変更");
        break;
    case RenameOutcome::TargetExists:
        record = {newPath, AlreadyExists};
        break;
    case RenameOutcome::Failed:
        record = {newPath, SaveError};
        break;
    }
}

} // namespace tavelkor
