// The timing editor's 「名前を付けて保存」: the document in any format the modes write,
// through their writers and with their settings.
#pragma once

#include "../settings/Settings.h"
#include "TimingDocument.h"

#include <QString>
#include <optional>

namespace tavelkor {

enum class ExportFormat { TimeTag, Lrc, Sami, Dsmp };

// The document's text in `format`: TimeTag as Ctrl+S writes it; LRC, SAMI and DSMP as the
// TimeTag -> LRC / SAMI / DSMP modes write that TimeTag text with their settings (T2L, T2S,
// T2D). Nothing when the display would not be lyrics-sized (as the modes refuse it).
std::optional<QString> ExportTimingText(const TimingDocument& document, ExportFormat format,
                                        const Settings& settings);

} // namespace tavelkor
