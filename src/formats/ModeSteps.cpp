#include "ModeSteps.h"

#include "../lyrics/Adjustments.h"
#include "../lyrics/TextFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"

namespace tavelkor {

ConvertedText ConvertFromTimeTag(
    const QString& path, double defaultRatio,
    const std::function<std::optional<QString>(LyricsDocument&)>& write) {
    ConvertedText result;
    LyricsFile file;
    ReadLyricsFile(path, file, true, true);
    LyricsDocument& document = file.Document;
    if (!document.HasTimeTags) {
        result.Code = NotTargetFile;
        return result;
    }
    // The SAMI and DSMP writers read the lines' texts, tags and times, never the composed
    // TimeTag text, so the document is not composed on the way.
    bool changed = false;
    document = NormalizeKaraoke(document, changed);
    if (document.Header.TimeRatio == 0 && !ResolveTimeRatio(document.Header))
        document.Header.TimeRatio = defaultRatio;
    double realTime = 1;
    ApplyTimeCorrection(document, realTime, -1);
    std::optional<QString> text = write(document);
    if (!text)
        result.Code = NotTargetFile;
    else
        result.Text = std::move(*text);
    return result;
}

void SettleDefaultRatio(double& defaultRatio) {
    if (!(defaultRatio >= 1) && !(defaultRatio >= 0))
        defaultRatio = 1;
}

ConvertedText ConvertToTimeTag(const QString& path, LyricsDocument (*read)(const QString&),
                               double defaultRatio, bool karaoke) {
    ConvertedText result;
    const QString text = ReadTextFile(path, 0);
    if (text.isEmpty()) {
        result.Code = EmptyFile;
        return result;
    }
    LyricsDocument document = read(text);
    if (defaultRatio < 1) {
        ApplyTimeCorrection(document, defaultRatio, -1);
        ComposeLyricsText(document);
    }
    if (karaoke)
        document = MergeProgressiveLines(document);
    ComposeLyricsText(document);
    result.Text = document.Text;
    return result;
}

} // namespace tavelkor
