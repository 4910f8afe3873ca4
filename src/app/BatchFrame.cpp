#include "BatchFrame.h"

#include "../base/Cp932.h"
#include "../base/FolderNames.h"
#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"
#include "../lyrics/TextRules.h"
#include "../settings/Settings.h"
#include "ParallelFor.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

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
        if (::stat(QFile::encodeName(outputPath).constData(), &info) == 0 && S_ISREG(info.st_mode))
            return NotOverwritten;
    }
    return CanReplaceFile(outputPath) ? Converted : SaveError;
}

EncodedText EncodeForSaving(const QString& text, TextEncoding encoding, QStringView lineEnd) {
    qsizetype end = text.size();
    while (end >= 2 && text[end - 2] == u'\r' && text[end - 1] == u'\n')
        end -= 2;
    if (lineEnd != u"\r\n")
        return EncodeText(
            ReplaceLineEnds(QStringView(text).left(end), lineEnd) + lineEnd.toString(), encoding);
    // The text is encoded where it stands, and the line break added to the bytes.
    EncodedText encoded = EncodeText(QStringView(text).left(end), encoding);
    if (encoding == TextEncoding::Utf16Le)
        encoded.Bytes.append("\r\0\n\0", 4);
    else if (encoding == TextEncoding::Utf16Be)
        encoded.Bytes.append("\0\r\0\n", 4);
    else
        encoded.Bytes.append("\r\n", 2);
    return encoded;
}

bool SaveTextFile(const QString& path, const QString& text, TextEncoding encoding, int& replaced,
                  bool* replacedFile) {
    const EncodedText encoded = EncodeForSaving(text, encoding);
    replaced = encoded.Replaced;
    return ReplaceFileContents(path, encoded.Bytes, replacedFile) == WriteOutcome::Written;
}

void SaveOutput(const QString& output, const QString& text, TextEncoding encoding, bool overwrite,
                ResultRecord& record) {
    const EncodedText encoded = EncodeForSaving(text, encoding);
    record.Replaced = encoded.Replaced;
    switch (CreateFileContents(output, encoded.Bytes)) {
    case CreateOutcome::Created:
        record.SetSaved(true, output);
        return;
    case CreateOutcome::Failed:
        record.SetSaved(false, output);
        return;
    case CreateOutcome::Refused:
    case CreateOutcome::Taken:
        break;
    }
    // A name that is taken, or a folder that made no file: the check says what the result is.
    record.Code = CheckOutputPath(output, overwrite);
    if (record.Code != Converted) {
        record.Replaced = 0;
        return;
    }
    bool replacedFile = false;
    const bool saved =
        ReplaceFileContents(output, encoded.Bytes, &replacedFile) == WriteOutcome::Written;
    record.SetSaved(saved, output, replacedFile);
}

bool SaveTextAsIs(const QString& path, const QString& text, TextEncoding encoding, int& replaced) {
    const EncodedText encoded = EncodeText(text, encoding);
    replaced = encoded.Replaced;
    return ReplaceFileContents(path, encoded.Bytes) == WriteOutcome::Written;
}

bool SaveTextFile(const QString& path, const QString& text) {
    int replaced = 0;
    return SaveTextFile(path, text, TextEncoding::Cp932, replaced);
}

TextEncoding OutputEncodingFor(const Settings& settings, TextEncoding source, bool inPlace) {
    return inPlace ? source : OutputEncodingOf(settings.Init.OutputEncoding, source);
}

bool SaveTextBytes(const QString& path, const QByteArray& bytes, bool* replacedFile) {
    qsizetype end = bytes.size();
    while (end >= 2 && bytes[end - 2] == '\r' && bytes[end - 1] == '\n')
        end -= 2;
    QByteArray content = bytes.left(end);
    content += "\r\n";
    return ReplaceFileContents(path, content, replacedFile) == WriteOutcome::Written;
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

namespace {

// The folder part made canonical (links resolved), so that two spellings of one file compare
// equal; folders are looked up once each. A file that is itself a link is resolved whole.
class CanonicalPaths {
public:
    // Reads at once the folders that hold many of `paths`, so that OfFile needs no look-up
    // for a name that is not a link there.
    void ReadFoldersOf(const QStringList& paths) { names_.ReadFoldersOf(paths, 16); }

    QString OfFile(const QString& path) {
        if (!names_.MayBeLink(path))
            return Of(path);
        struct stat info;
        const QByteArray native = QFile::encodeName(path);
        if (::lstat(native.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
            char resolved[PATH_MAX];
            if (::realpath(native.constData(), resolved) != nullptr)
                return QFile::decodeName(resolved);
        }
        return Of(path);
    }

    QString Of(const QString& path) {
        const QString folder = FolderOf(path);
        auto found = folders_.constFind(folder);
        if (found == folders_.constEnd()) {
            char resolved[PATH_MAX];
            const QByteArray native = QFile::encodeName(folder);
            const QString canonical = ::realpath(native.constData(), resolved) != nullptr
                                          ? AddTrailingBackslash(QFile::decodeName(resolved))
                                          : folder;
            found = folders_.insert(folder, canonical);
        }
        return *found + FileNameOf(path);
    }

private:
    QHash<QString, QString> folders_;
    FolderNames names_;
};

// Files can be converted and saved side by side when no output is written twice and no
// output is another file's source: then the order of the files cannot change any result.
bool OutputsAreIndependent(const QStringList& sources, const QStringList& outputs) {
    CanonicalPaths canonical;
    canonical.ReadFoldersOf(sources + outputs);
    QHash<QString, qsizetype> sourceIndex;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString source = canonical.OfFile(sources[i]);
        if (sourceIndex.contains(source))
            return false; // one file dropped twice, perhaps under two names
        sourceIndex.insert(source, i);
    }
    QSet<QString> seen;
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (outputs[i].isEmpty())
            continue;
        const QString output = canonical.OfFile(outputs[i]);
        if (seen.contains(output))
            return false;
        seen.insert(output);
        const auto source = sourceIndex.constFind(output);
        if (source != sourceIndex.constEnd() && *source != i)
            return false;
    }
    return true;
}

} // namespace

void RunTextConversion(const ModeInfo& mode, BatchState& state, Settings& settings,
                       const TextConverter& convert) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    const QString outputExtension = mode.OutputExtension(settings);
    const QStringList sources = state.DroppedFiles;
    const qsizetype count = sources.size();

    // Output names depend only on the source and the settings, so they are made up front; the
    // output-folder setting is changed afterwards as making them one by one would leave it.
    QStringList outputs;
    QStringList outputFolders;
    for (const QString& source : sources) {
        QString folder = settings.Init.AnotherFolder;
        outputs.append(MakeOutputPath(source, outputExtension, settings.Init.SameFolder, folder));
        outputFolders.append(folder);
    }
    const bool overwrite = settings.Init.OverWrite;
    // An output that is its own source is rewritten in place and keeps the source's encoding.
    std::vector<char> inPlace(static_cast<size_t>(count), 0);
    CanonicalPaths canonical;
    for (qsizetype i = 0; i < count; ++i) {
        if (!outputs[i].isEmpty() && FileNameOf(outputs[i]) == FileNameOf(sources[i]) &&
            canonical.OfFile(outputs[i]) == canonical.OfFile(sources[i]))
            inPlace[size_t(i)] = 1;
    }
    std::vector<char> named(static_cast<size_t>(count), 0); // the file got an output name

    state.Results = QVector<ResultRecord>(count);
    ResultRecord* records = state.Results.data(); // every thread writes only its own record
    state.StartFiles(count);
    auto convertOne = [&](qsizetype i) {
        ResultRecord& record = records[i];
        record = {sources[i], Converted};
        if (!state.MayStartFile()) {
            record.Code = Cancelled;
            return;
        }
        const ConvertedText converted = convert(sources[i]);
        record.Note = converted.Note;
        if (converted.Code != Converted) {
            record.Code = converted.Code;
            return;
        }
        record.SetInput(converted.Source);
        named[size_t(i)] = 1;
        const TextEncoding encoding =
            converted.OutputEncoding && !inPlace[size_t(i)]
                ? *converted.OutputEncoding
                : OutputEncodingFor(settings, converted.Source.Encoding, inPlace[size_t(i)]);
        SaveOutput(outputs[i], converted.Text, encoding, overwrite, record);
    };
    auto process = [&](qsizetype i) {
        convertOne(i);
        state.FileFinished();
    };

    if (OutputsAreIndependent(sources, outputs)) {
        ParallelFor(count, process);
    } else {
        for (qsizetype i = 0; i < count; ++i)
            process(i);
    }
    qsizetype lastNamed = -1;
    for (qsizetype i = 0; i < count; ++i) {
        if (named[size_t(i)])
            lastNamed = i;
    }
    if (lastNamed >= 0)
        settings.Init.AnotherFolder = outputFolders[lastNamed];
}

} // namespace tavelkor
