#include "ModeSteps.h"

#include "../base/CaptionEncoding.h"

#include "../base/TextFile.h"
#include "../lyrics/Adjustments.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"
#include "../settings/Settings.h"

#include <utility>

namespace tavelkor {

void ToRealTimes(LyricsDocument& document, double defaultRatio, bool keepLineEnds) {
    // The SAMI and DSMP writers read the lines' texts, tags and times, never the composed
    // TimeTag text, so the document is not composed on the way.
    // A line's end tag is its last fragment, empty, after one with text or time.
    auto endTagOf = [](LyricsLine& line) -> KaraokeFragment* {
        const int count = line.FragmentCount();
        return line.HasTimeTag && !line.IsDirective && count > 1 &&
                       line.Fragments[count].Text.isEmpty()
                   ? &line.Fragments[count]
                   : nullptr;
    };
    QVector<int> ends; // the end tags' times as read, -1 for a line without one
    if (keepLineEnds)
        for (LyricsLine& line : document.Lines)
            ends.append(endTagOf(line) ? endTagOf(line)->TimeMs : -1);
    bool changed = false;
    document = NormalizeKaraoke(std::move(document), changed);
    for (qsizetype i = 0; changed && i < ends.size(); ++i) {
        KaraokeFragment* end = endTagOf(document.Lines[i]);
        if (end && ends[i] > end->TimeMs)
            *end = FragmentAtTime(ends[i], QString());
    }
    if (document.Header.TimeRatio == 0 && !ResolveTimeRatio(document.Header))
        document.Header.TimeRatio = defaultRatio;
    double realTime = 1;
    ApplyTimeCorrection(document, realTime, -1);
}

ConvertedText
ConvertFromTimeTag(const QString& path, double defaultRatio, EncodingChoice encoding,
                   const std::function<std::optional<QString>(LyricsDocument&)>& write,
                   bool keepLineEnds) {
    ConvertedText result;
    LyricsFile file;
    ReadLyricsFile(path, file, true, true, encoding);
    result.Source = {QString(), file.Encoding, file.EncodingReason};
    LyricsDocument& document = file.Document;
    if (!document.HasTimeTags) {
        result.Code = NotTargetFile;
        return result;
    }
    ToRealTimes(document, defaultRatio, keepLineEnds);
    std::optional<QString> text = write(document);
    if (!text)
        result.Code = NotTargetFile;
    else
        result.Text = std::move(*text);
    return result;
}

void RetimeToDefaultRatio(LyricsDocument& document, double defaultRatio,
                          std::atomic<bool>& ratioBecameOne) {
    if (defaultRatio < 1) {
        double target = defaultRatio;
        ApplyTimeCorrection(document, target, -1);
        if (target != defaultRatio)
            ratioBecameOne = true;
    }
}

ConvertedText ConvertToTimeTag(const QString& path, LyricsDocument (*read)(const QString&),
                               double defaultRatio, bool karaoke, EncodingChoice encoding,
                               std::atomic<bool>& ratioBecameOne) {
    ConvertedText result;
    TextFileContent content = ReadTextFileContent(path, 0, encoding);
    const QString text = std::move(content.Decoded.Text);
    result.Source = {QString(), content.Decoded.Encoding, content.Decoded.Reason};
    if (text.isEmpty()) {
        result.Code = EmptyFile;
        return result;
    }
    LyricsDocument document = read(text);
    if (defaultRatio < 1) {
        RetimeToDefaultRatio(document, defaultRatio, ratioBecameOne);
        ComposeLyricsText(document);
    }
    if (karaoke)
        document = MergeProgressiveLines(document);
    ComposeLyricsText(document);
    result.Text = document.Text;
    return result;
}

void RunToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  const ToTimeTagConverter& convert) {
    // The conversions run side by side and only read the settings; a change that the
    // re-timing makes to the default ratio is applied once they are done.
    const double defaultRatio = settings.Init.TimeRatio;
    std::atomic<bool> ratioBecameOne{false};
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        return convert(path, defaultRatio, ratioBecameOne);
    });
    if (ratioBecameOne)
        settings.Init.TimeRatio = 1;
}

void RunToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  LyricsDocument (*read)(const QString&), bool karaoke) {
    const EncodingChoice encoding = settings.Init.InputEncoding;
    RunToTimeTag(mode, state, settings,
                 [read, karaoke, encoding](const QString& path, double defaultRatio,
                                           std::atomic<bool>& ratioBecameOne) {
                     return ConvertToTimeTag(path, read, defaultRatio, karaoke, encoding,
                                             ratioBecameOne);
                 });
}

void RunTextToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                      const TextToDocument& read, bool captionEncodings) {
    const EncodingChoice encoding = settings.Init.InputEncoding;
    RunToTimeTag(mode, state, settings,
                 [&read, encoding, captionEncodings](const QString& path, double defaultRatio,
                                                     std::atomic<bool>& ratioBecameOne) {
                     ConvertedText result;
                     TextFileContent file;
                     int undecodable = 0;
                     if (captionEncodings) {
                         const FileBytes bytes = ReadFileBytes(path, 0);
                         CaptionDecoded caption = DecodeCaptionText(bytes.Bytes, encoding);
                         file.Decoded = std::move(caption.Decoded);
                         undecodable = caption.Undecodable;
                     } else {
                         file = ReadTextFileContent(path, 0, encoding);
                     }
                     result.Source = {QString(), file.Decoded.Encoding, file.Decoded.Reason};
                     if (file.Decoded.Text.isEmpty()) {
                         result.Code = EmptyFile;
                         return result;
                     }
                     if (undecodable > 0) {
                         result.Code = NotTargetFile;
                         result.Note =
                             QStringLiteral(u"文字コード不明：%1バイトが読めない").arg(undecodable);
                         return result;
                     }
                     if (file.Decoded.Reason == ReasonWindows1252)
                         result.Note = QStringLiteral(u"Windows-1252として読み込み");
                     std::optional<LyricsDocument> document = read(file.Decoded.Text, path);
                     if (!document) {
                         result.Code = NotTargetFile;
                         return result;
                     }
                     RetimeToDefaultRatio(*document, defaultRatio, ratioBecameOne);
                     ComposeLyricsText(*document);
                     result.Text = std::move(document->Text);
                     return result;
                 });
}

} // namespace tavelkor
