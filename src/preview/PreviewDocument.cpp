#include "PreviewDocument.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "../lyrics/DisplayLines.h"
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
    const QFileInfo info(path);
    if (!info.exists()) {
        PreviewSource source;
        source.Path = path;
        source.Error = QStringLiteral(u"ファイルが見つかりません：") + path;
        return source;
    }
    if (!info.isFile()) {
        PreviewSource source;
        source.Path = path;
        source.Error = QStringLiteral(u"歌詞ファイルではありません：") + path;
        return source;
    }
    return PreviewSourceOf(ReadLyricsSource(path, choice));
}

PreviewSource PreviewSourceOf(LyricsSource&& file) {
    PreviewSource source;
    source.Path = file.Path;
    source.Format = file.Format;
    source.Encoding = file.Encoding;
    if (!file.Exists) {
        source.Error = QStringLiteral(u"ファイルが見つかりません：") + file.Path;
        return source;
    }
    if (file.ReadFailed) {
        source.Error = QStringLiteral(u"ファイルを読めません：") + file.Path;
        return source;
    }
    if (file.Format == LyricsFormat::Unknown) {
        source.Error =
            QStringLiteral(u"TimeTag・SAMI・DSMP・LRCの歌詞ファイルではありません：") + file.Path;
        return source;
    }
    source.Document = std::move(file.Document);
    const QString& path = file.Path;
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
