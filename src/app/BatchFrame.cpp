#include "BatchFrame.h"

#include "../lyrics/Cp932.h"
#include "../settings/Settings.h"
#include "ModeTable.h"
#include "OrderedWork.h"
#include "PathHelpers.h"
#include "SafeFileWrite.h"

#include <QFile>
#include <sys/stat.h>

namespace tavelkor {

void FilterByExtension(BatchState& state, const QStringList& accepted) {
    state.RejectedFiles.clear();
    if (state.DroppedFiles.isEmpty() || accepted.isEmpty())
        return;
    QStringList kept;
    for (const QString& path : state.DroppedFiles) {
        if (accepted.contains(ExtensionOf(path).toLower()))
            kept.append(path);
        else
            state.RejectedFiles.append(path);
    }
    state.DroppedFiles = kept;
}

QString MakeOutputPath(const QString& sourcePath, const QString& newExt, bool sameFolder,
                       QString& outputFolder) {
    if (sameFolder) {
        outputFolder = AddTrailingBackslash(FolderOf(sourcePath));
    } else {
        if (outputFolder.isEmpty())
            return QString();
        outputFolder = AddTrailingBackslash(outputFolder);
    }
    return outputFolder + BaseNameOf(sourcePath) + u'.' + newExt;
}

ResultCode CheckOutputPath(const QString& outputPath, bool overwrite) {
    if (outputPath.isEmpty())
        return Converted;
    if (!overwrite) {
        struct stat info;
        if (::stat(QFile::encodeName(outputPath).constData(), &info) == 0 &&
            S_ISREG(info.st_mode))
            return NotOverwritten;
    }
    return CanReplaceFile(outputPath) ? Converted : SaveError;
}

bool SaveTextFile(const QString& path, const QString& text) {
    qsizetype end = text.size();
    while (end >= 2 && text[end - 2] == u'\r' && text[end - 1] == u'\n')
        end -= 2;
    QString content = text.left(end);
    content += u"\r\n";
    return ReplaceFileContents(path, EncodeCp932(content)) == WriteOutcome::Written;
}

bool HasFailures(const BatchState& state) {
    if (!state.RejectedFiles.isEmpty())
        return true;
    for (const ResultRecord& record : state.Results) {
        if (record.Code > 0)
            return true;
    }
    return false;
}

void RunTextConversion(int mode, BatchState& state, Settings& settings,
                       const TextConverter& convert) {
    const ModeInfo& info = ModeTable()[mode];
    FilterByExtension(state, info.AcceptedExtensions(settings));
    const QString outputExtension = info.OutputExtension(settings);
    state.Results = QVector<ResultRecord>(state.DroppedFiles.size());
    const QStringList sources = state.DroppedFiles;
    ForEachInOrder<ConvertedText>(
        sources.size(), [&](qsizetype i) { return convert(sources[i]); },
        [&](qsizetype i, ConvertedText& converted) {
            const QString& source = sources[i];
            ResultRecord& record = state.Results[i];
            record.FileName = source;
            if (converted.Code != Converted) {
                record.Code = converted.Code;
                return;
            }
            const QString output = MakeOutputPath(source, outputExtension,
                                                  settings.Init.SameFolder,
                                                  settings.Init.AnotherFolder);
            record.Code = CheckOutputPath(output, settings.Init.OverWrite);
            if (record.Code == Converted && !SaveTextFile(output, converted.Text)) {
                record.Code = SaveError;
                record.FileName = output;
            }
        });
}

} // namespace tavelkor
