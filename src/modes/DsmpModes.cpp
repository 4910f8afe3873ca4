#include "DsmpModes.h"

#include "../formats/DsmpReader.h"
#include "../formats/DsmpWriter.h"
#include "../lyrics/DisplayLines.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToDsmp(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const T2DSettings& t2d = settings.T2D;
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        return ConvertFromTimeTag(
            path, settings.Init.TimeRatio, settings.Init.InputEncoding,
            [&](LyricsDocument& document) -> std::optional<QString> {
                const int columns = t2d.Lines == 1 ? 0 : (t2d.Lines == 3 ? 2 : 1);
                if (DisplayTextSize(document, t2d.Karaoke, columns) > MaxDisplayTextChars)
                    return std::nullopt;
                return MakeDsmpText(document, t2d.Karaoke, t2d.Alignment, t2d.Lines);
            });
    });
}

void DsmpToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    RunToTimeTag(mode, state, settings, &ReadDsmpText, settings.D2T.Karaoke);
}

} // namespace tavelkor
