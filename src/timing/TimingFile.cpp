#include "TimingFile.h"

#include "../app/BatchFrame.h"
#include "../base/PathHelpers.h"
#include "../base/SafeFileWrite.h"
#include "../base/TextFile.h"
#include "../lyrics/TextRules.h"
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
    const TextFileContent content = ReadTextFileContent(path, 0, choice);
    if (content.ReadFailed) {
        source.Error = QStringLiteral(u"ファイルを読めません：") + path;
        return source;
    }
    const QString lineEnd = FirstLineEnd(content.Decoded.Text);
    if (!lineEnd.isEmpty())
        source.LineEnd = lineEnd;
    source.Format = DetectLyricsFormat(path, choice);
    if (source.Format == LyricsFormat::Unknown) {
        source.Encoding = content.Decoded.Encoding;
        source.Document = TimingFromPlainText(content.Decoded.Text, rules);
        return source;
    }
    const PreviewSource read = LoadPreviewDocument(path, choice);
    if (!read.Error.isEmpty()) {
        source.Error = read.Error;
        return source;
    }
    source.Encoding = read.Encoding;
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
