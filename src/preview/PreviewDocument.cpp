#include "PreviewDocument.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "../formats/DsmpReader.h"
#include "../formats/LrcReader.h"
#include "../formats/SamiReader.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagShift.h"
#include "../lyrics/TimeValues.h"
#include "../modes/ModeSteps.h"

#include <QFileInfo>
#include <limits>

namespace tavelkor {

namespace {

int MovedTime(int timeMs, int nudgeMs) {
    const qint64 moved = qint64(timeMs) + nudgeMs;
    if (moved < 0)
        return 0;
    return moved > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(moved);
}

// Runs of captions whose text grows become one line with a fragment per caption, times kept.
LyricsDocument MergeGrowingCaptions(const LyricsDocument& document) {
    LyricsDocument merged;
    merged.Header = document.Header;
    merged.HasTimeTags = document.HasTimeTags;
    bool open = false;
    for (const LyricsLine& line : document.Lines) {
        if (!line.HasTimeTag || line.Fragments.size() < 2) {
            merged.Lines.append(line);
            open = false;
            continue;
        }
        const int time = line.Fragments[0].TimeMs;
        const QString tag = line.Fragments[0].TagText.toString();
        if (open) {
            LyricsLine& last = merged.Lines.last();
            if (!last.PlainText.isEmpty() && line.PlainText.startsWith(last.PlainText)) {
                last.Fragments.append(
                    KaraokeFragment{tag, time, line.PlainText.mid(last.PlainText.size())});
                last.PlainText = line.PlainText;
                last.IsKaraoke = true;
                merged.HasKaraoke = true;
                continue;
            }
        }
        LyricsLine start = line;
        start.Fragments = {KaraokeFragment{tag, time, QString()},
                           KaraokeFragment{tag, time, line.PlainText}};
        merged.Lines.append(start);
        open = true;
    }
    return merged;
}

} // namespace

PreviewSource LoadPreviewDocument(const QString& path, EncodingChoice choice) {
    PreviewSource source;
    source.Path = path;
    const QFileInfo info(path);
    if (!info.exists()) {
        source.Error = QStringLiteral(u"ファイルが見つかりません：") + path;
        return source;
    }
    if (!info.isFile()) {
        source.Error = QStringLiteral(u"歌詞ファイルではありません：") + path;
        return source;
    }
    source.Format = DetectLyricsFormat(path, choice);
    switch (source.Format) {
    case LyricsFormat::TimeTag: {
        LyricsFile file;
        ReadLyricsFile(path, file, true, true, choice);
        source.Encoding = file.Encoding;
        if (file.ReadFailed) {
            source.Error = QStringLiteral(u"ファイルを読めません：") + path;
            return source;
        }
        source.Document = std::move(file.Document);
        break;
    }
    case LyricsFormat::Sami:
    case LyricsFormat::Dsmp:
    case LyricsFormat::Lrc: {
        const TextFileContent content = ReadTextFileContent(path, 0, choice);
        source.Encoding = content.Decoded.Encoding;
        if (content.ReadFailed) {
            source.Error = QStringLiteral(u"ファイルを読めません：") + path;
            return source;
        }
        const QString& text = content.Decoded.Text;
        if (source.Format == LyricsFormat::Sami)
            source.Document = ReadSamiText(text);
        else if (source.Format == LyricsFormat::Dsmp)
            source.Document = ReadDsmpText(text);
        // LRC word stamps become karaoke fragments; the times are real times, as in SAMI and
        // DSMP.
        else if (std::optional<LyricsDocument> document = ReadLrcText(text, true))
            source.Document = std::move(*document);
        break;
    }
    case LyricsFormat::Unknown:
        source.Error =
            QStringLiteral(u"TimeTag・SAMI・DSMP・LRCの歌詞ファイルではありません：") + path;
        return source;
    }
    if (!source.Document.HasTimeTags) {
        source.Error = QStringLiteral(u"時間タグのある行がありません：") + path;
        return source;
    }
    // The display of a hostile file (a line of many thousands of tags with long text) would
    // not be lyrics-sized; the SAMI mode refuses such a file too.
    LyricsDocument probe = source.Document;
    if (DisplayTextSize(probe, true, 0) > MaxDisplayTextChars) {
        source.Error = QStringLiteral(u"表示が大きすぎて歌詞として扱えません：") + path;
        source.Document = LyricsDocument();
    }
    return source;
}

LyricsDocument PreviewTimes(const PreviewSource& source, int nudgeMs, double defaultRatio,
                            bool karaoke) {
    if (source.Format == LyricsFormat::TimeTag) {
        LyricsDocument document =
            nudgeMs == 0 ? source.Document : ShiftLyricsDocument(source.Document, nudgeMs);
        ToRealTimes(document, defaultRatio);
        return document;
    }
    LyricsDocument document = source.Document;
    for (LyricsLine& line : document.Lines) {
        for (KaraokeFragment& fragment : line.Fragments)
            fragment.TimeMs = MovedTime(fragment.TimeMs, nudgeMs);
    }
    // LRC lines carry their word timing already; captions that grow are SAMI's and DSMP's.
    return karaoke && source.Format != LyricsFormat::Lrc ? MergeGrowingCaptions(document)
                                                         : document;
}

} // namespace tavelkor
