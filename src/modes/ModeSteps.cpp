#include "ModeSteps.h"

#include "../base/TextFile.h"
#include "../lyrics/Adjustments.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"

namespace tavelkor {

void ToRealTimes(LyricsDocument& document, double defaultRatio) {
    // The SAMI and DSMP writers read the lines' texts, tags and times, never the composed
    // TimeTag text, so the document is not composed on the way.
    bool changed = false;
    document = NormalizeKaraoke(document, changed);
    if (document.Header.TimeRatio == 0 && !ResolveTimeRatio(document.Header))
        document.Header.TimeRatio = defaultRatio;
    double realTime = 1;
    ApplyTimeCorrection(document, realTime, -1);
}

ConvertedText
ConvertFromTimeTag(const QString& path, double defaultRatio, EncodingChoice encoding,
                   const std::function<std::optional<QString>(LyricsDocument&)>& write) {
    ConvertedText result;
    LyricsFile file;
    ReadLyricsFile(path, file, true, true, encoding);
    result.Source = {QString(), file.Encoding, file.EncodingReason};
    LyricsDocument& document = file.Document;
    if (!document.HasTimeTags) {
        result.Code = NotTargetFile;
        return result;
    }
    ToRealTimes(document, defaultRatio);
    std::optional<QString> text = write(document);
    if (!text)
        result.Code = NotTargetFile;
    else
        result.Text = std::move(*text);
    return result;
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
        double target = defaultRatio;
        ApplyTimeCorrection(document, target, -1);
        if (target != defaultRatio)
            ratioBecameOne = true;
        ComposeLyricsText(document);
    }
    if (karaoke)
        document = MergeProgressiveLines(document);
    ComposeLyricsText(document);
    result.Text = document.Text;
    return result;
}

void RunToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  LyricsDocument (*read)(const QString&), bool karaoke) {
    // The conversions run side by side and only read the settings; a change that the
    // re-timing makes to the default ratio is applied once they are done.
    const double defaultRatio = settings.Init.TimeRatio;
    std::atomic<bool> ratioBecameOne{false};
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        return ConvertToTimeTag(path, read, defaultRatio, karaoke, settings.Init.InputEncoding,
                                ratioBecameOne);
    });
    if (ratioBecameOne)
        settings.Init.TimeRatio = 1;
}

} // namespace tavelkor
