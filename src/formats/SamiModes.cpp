#include "SamiModes.h"

#include "../app/ModeTable.h"
#include "../lyrics/DisplayLines.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"
#include "SamiReader.h"
#include "SamiWriter.h"

namespace tavelkor {

void TimeTagToSami(BatchState& state, Settings& settings, RunQuestions&) {
    const T2SSettings& t2s = settings.T2S;
    RunTextConversion(ModeTimeTagToSami, state, settings, [&](const QString& path) {
        return ConvertFromTimeTag(
            path, settings.Init.TimeRatio,
            [&](LyricsDocument& document) -> std::optional<QString> {
                if (DisplayTextSize(document, t2s.Karaoke, t2s.Lines - 1) > MaxDisplayTextChars)
                    return std::nullopt;
                return MakeSamiText(document, t2s.Karaoke, t2s.Base, t2s.KaraokeHTML,
                                    t2s.Lines);
            });
    });
}

void SamiToTimeTag(BatchState& state, Settings& settings, RunQuestions&) {
    RunToTimeTag(ModeSamiToTimeTag, state, settings, &ReadSamiText, settings.S2T.Karaoke);
}

} // namespace tavelkor
