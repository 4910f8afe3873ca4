#include "DsmpModes.h"

#include "../app/ModeTable.h"
#include "../lyrics/DisplayLines.h"
#include "../settings/Settings.h"
#include "DsmpReader.h"
#include "DsmpWriter.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToDsmp(BatchState& state, Settings& settings, RunQuestions&) {
    const T2DSettings& t2d = settings.T2D;
    RunTextConversion(ModeTimeTagToDsmp, state, settings, [&](const QString& path) {
        return ConvertFromTimeTag(
            path, settings.Init.TimeRatio,
            [&](LyricsDocument& document) -> std::optional<QString> {
                const int columns = t2d.Lines == 1 ? 0 : (t2d.Lines == 3 ? 2 : 1);
                if (DisplayTextSize(document, t2d.Karaoke, columns) > MaxDisplayTextChars)
                    return std::nullopt;
                return MakeDsmpText(document, t2d.Karaoke, t2d.Alignment, t2d.Lines);
            });
    });
}

void DsmpToTimeTag(BatchState& state, Settings& settings, RunQuestions&) {
    RunToTimeTag(ModeDsmpToTimeTag, state, settings, &ReadDsmpText, settings.D2T.Karaoke);
}

} // namespace tavelkor
