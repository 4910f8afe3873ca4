#include "TimingFile.h"

#include "../app/BatchFrame.h"
#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"
#include "../preview/PreviewDocument.h"

#include <QFileInfo>

namespace tavelkor {

TimingSource LoadTimingSource(const QString& path, EncodingChoice choice, double defaultRatio,
                              const SplitRules& rules) {
    TimingSource source;
    source.Path = path;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        source.Error = QStringLiteral(u"ファイルが見つかりません：") + path;
        return source;
    }
    LyricsSource file = ReadLyricsSource(path, choice);
    if (file.ReadFailed) {
        source.Error = QStringLiteral(u"ファイルを読めません：") + path;
        return source;
    }
    source.LineEnd = file.LineEnd;
    source.Format = file.Format;
    source.Encoding = file.Encoding;
    if (source.Format == LyricsFormat::Unknown) {
        source.Document = TimingFromPlainText(file.Text, rules);
        return source;
    }
    const PreviewSource read = PreviewSourceOf(std::move(file));
    if (!read.Error.isEmpty()) {
        source.Error = read.Error;
        return source;
    }
    source.Document = TimingFromLyrics(PreviewTimes(read, 0, defaultRatio, true), rules);
    return source;
}

bool SavesInPlace(const TimingSource& source) {
    return source.Format == LyricsFormat::TimeTag || source.Format == LyricsFormat::Unknown;
}

QString TimingSavePath(const TimingSource& source) {
    if (SavesInPlace(source))
        return source.Path;
    const QString stem = AddTrailingBackslash(FolderOf(source.Path)) + BaseNameOf(source.Path);
    if (ExtensionOf(source.Path).toLower() == u"txt")
        return stem + QStringLiteral(".timetag.txt");
    return stem + QStringLiteral(".txt");
}

bool SaveTimingText(const QString& path, const QString& text, TextEncoding encoding,
                    QStringView lineEnd, int& replaced) {
    const EncodedText encoded = EncodeForSaving(text, encoding, lineEnd);
    replaced = encoded.Replaced;
    return ReplaceFileContents(path, encoded.Bytes) == WriteOutcome::Written;
}

} // namespace tavelkor
