#include "DsmpModes.h"

#include "../app/ModeTable.h"
#include "../settings/Settings.h"
#include "DsmpReader.h"
#include "DsmpWriter.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToDsmp(BatchState& state, Settings& settings) {
    const T2DSettings& t2d = settings.T2D;
    RunTextConversion(ModeTimeTagToDsmp, state, settings, [&](const QString& path) {
        return ConvertFromTimeTag(path, settings.Init.TimeRatio, [&](LyricsDocument& document) {
            return MakeDsmpText(document, t2d.Karaoke, t2d.Alignment, t2d.Lines);
        });
    });
}

void DsmpToTimeTag(BatchState& state, Settings& settings) {
    SettleDefaultRatio(settings.Init.TimeRatio);
    RunTextConversion(ModeDsmpToTimeTag, state, settings, [&settings](const QString& path) {
        return ConvertToTimeTag(path, &ReadDsmpText, settings.Init.TimeRatio,
                                settings.D2T.Karaoke);
    });
}

} // namespace tavelkor
