#include "LrcModes.h"

#include "../base/TextFile.h"
#include "../formats/LrcReader.h"
#include "../formats/LrcWriter.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToLrc(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const LrcWriteOptions options{settings.T2L.WordStamps, settings.T2L.Millis,
                                  settings.T2L.IdTags};
    const OutputEncodingChoice encoding = settings.T2L.Encoding;
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        ConvertedText converted =
            ConvertFromTimeTag(path, settings.Init.TimeRatio, settings.Init.InputEncoding,
                               [&](LyricsDocument& document) -> std::optional<QString> {
                                   return MakeLrcText(document, options);
                               });
        // LRC players read UTF-8; "Source" leaves the choice to Init/OutputEncoding.
        if (encoding != OutputEncodingChoice::Source)
            converted.OutputEncoding = OutputEncodingOf(encoding, converted.Source.Encoding);
        return converted;
    });
}

void LrcToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const bool karaoke = settings.L2T.Karaoke;
    RunTextToTimeTag(
        mode, state, settings,
        [karaoke](const QString& text, const QString&) -> std::optional<LyricsDocument> {
            // A file that holds TimeTag tags is TimeTag, whatever its name.
            if (FindTimeTag(text) >= 0)
                return std::nullopt;
            std::optional<LyricsDocument> document = ReadLrcText(text, karaoke);
            if (!document || !document->HasTimeTags)
                return std::nullopt;
            return document;
        });
}

} // namespace tavelkor
