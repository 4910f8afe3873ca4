#include "TimingExport.h"

#include "../formats/DsmpWriter.h"
#include "../formats/LrcWriter.h"
#include "../formats/SamiWriter.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeTagReader.h"
#include "../modes/ModeSteps.h"

namespace tavelkor {

std::optional<QString> ExportTimingText(const TimingDocument& document, ExportFormat format,
                                        const Settings& settings) {
    const QString text = ComposeTimingText(document);
    if (format == ExportFormat::TimeTag)
        return text;
    // The TimeTag text read back as the modes read a TimeTag file.
    LyricsDocument lyrics;
    lyrics.Text = text;
    ParseLyricsText(lyrics, true, true);
    ToRealTimes(lyrics, settings.Init.TimeRatio);
    switch (format) {
    case ExportFormat::Lrc:
        return MakeLrcText(lyrics,
                           {settings.T2L.WordStamps, settings.T2L.Millis, settings.T2L.IdTags});
    case ExportFormat::Sami: {
        const T2SSettings& t2s = settings.T2S;
        if (DisplayTextSize(lyrics, t2s.Karaoke, t2s.Lines - 1) > MaxDisplayTextChars)
            return std::nullopt;
        return MakeSamiText(lyrics, t2s.Karaoke, t2s.Base, t2s.KaraokeHTML, t2s.Lines);
    }
    case ExportFormat::Dsmp: {
        const T2DSettings& t2d = settings.T2D;
        const int columns = t2d.Lines == 1 ? 0 : (t2d.Lines == 3 ? 2 : 1);
        if (DisplayTextSize(lyrics, t2d.Karaoke, columns) > MaxDisplayTextChars)
            return std::nullopt;
        return MakeDsmpText(lyrics, t2d.Karaoke, t2d.Alignment, t2d.Lines);
    }
    case ExportFormat::TimeTag:
        break;
    }
    return text;
}

} // namespace tavelkor
