#include "SamiModes.h"

#include "../formats/SamiReader.h"
#include "../formats/SamiWriter.h"
#include "../lyrics/DisplayLines.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToSami(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const T2SSettings& t2s = settings.T2S;
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        return ConvertFromTimeTag(
            path, settings.Init.TimeRatio, settings.Init.InputEncoding,
            [&](LyricsDocument& document) -> std::optional<QString> {
                if (DisplayTextSize(document, t2s.Karaoke, t2s.Lines - 1) > MaxDisplayTextChars)
                    return std::nullopt;
                return MakeSamiText(document, t2s.Karaoke, t2s.Base, t2s.KaraokeHTML, t2s.Lines,
                                    t2s.Ruby);
            });
    });
}

void SamiToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    RunToTimeTag(mode, state, settings, &ReadSamiText, settings.S2T.Karaoke);
}

} // namespace tavelkor
