#include "TimingExport.h"

#include "../app/BatchFrame.h"
#include "../formats/DsmpWriter.h"
#include "../formats/LrcWriter.h"
#include "../formats/SamiWriter.h"
#include "../formats/TimedLyrics.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeTagReader.h"
#include "../modes/ModeSteps.h"
#include "../modes/WordFormatModes.h"

namespace tavelkor {

namespace {

const QString TooLong = QStringLiteral(u"歌詞として表示するには長すぎます");

std::optional<WordFormat> WordFormatOf(ExportFormat format) {
    switch (format) {
    case ExportFormat::Ass:
        return WordFormat::Ass;
    case ExportFormat::Ttml:
        return WordFormat::Ttml;
    case ExportFormat::Vtt:
        return WordFormat::Vtt;
    case ExportFormat::Srt:
        return WordFormat::Srt;
    default:
        return std::nullopt;
    }
}

} // namespace

ExportedText ExportTimingText(const TimingSource& source, const TimingDocument& document,
                              ExportFormat format, const Settings& settings) {
    ExportedText out;
    out.Text = ComposeTimingText(document);
    out.Encoding = OutputEncodingFor(settings, source.Encoding, false);
    if (format == ExportFormat::TimeTag) {
        out.LineEnd = source.LineEnd;
        return out;
    }
    // The TimeTag text read back as the modes read a TimeTag file.
    LyricsDocument lyrics;
    lyrics.Text = out.Text;
    ParseLyricsText(lyrics, true, true);
    ToRealTimes(lyrics, settings.Init.TimeRatio);
    if (!lyrics.HasTimeTags) {
        out.Error = QStringLiteral(u"時間の付いた行がありません");
        return out;
    }
    if (const std::optional<WordFormat> word = WordFormatOf(format)) {
        const TimedLyrics timed = TimedLyricsOf(lyrics, settings.T2X.LastLineMs);
        out.Text = MakeWordFormatText(*word, timed, WordFormatOptionsOf(settings));
        out.Encoding = WordFormatEncoding(*word);
        return out;
    }
    switch (format) {
    case ExportFormat::Lrc: {
        // LRC players read UTF-8; "Source" leaves the choice to Init/OutputEncoding.
        if (settings.T2L.Encoding != OutputEncodingChoice::Source)
            out.Encoding = OutputEncodingOf(settings.T2L.Encoding, source.Encoding);
        out.Text = MakeLrcText(lyrics,
                               {settings.T2L.WordStamps, settings.T2L.Millis, settings.T2L.IdTags});
        break;
    }
    case ExportFormat::Sami: {
        const T2SSettings& t2s = settings.T2S;
        if (DisplayTextSize(lyrics, t2s.Karaoke, t2s.Lines - 1) > MaxDisplayTextChars)
            out.Error = TooLong;
        else
            out.Text = MakeSamiText(lyrics, t2s.Karaoke, t2s.Base, t2s.KaraokeHTML, t2s.Lines);
        break;
    }
    case ExportFormat::Dsmp: {
        const T2DSettings& t2d = settings.T2D;
        const int columns = t2d.Lines == 1 ? 0 : (t2d.Lines == 3 ? 2 : 1);
        if (DisplayTextSize(lyrics, t2d.Karaoke, columns) > MaxDisplayTextChars)
            out.Error = TooLong;
        else
            out.Text = MakeDsmpText(lyrics, t2d.Karaoke, t2d.Alignment, t2d.Lines);
        break;
    }
    default:
        break;
    }
    return out;
}

} // namespace tavelkor
