// The timing editor's 「名前を付けて保存」: the document in any format the modes write,
// through their writers and with their settings.
#pragma once

#include "../settings/Settings.h"
#include "TimingFile.h"

#include <QString>

namespace tavelkor {

enum class ExportFormat { TimeTag, Lrc, Sami, Dsmp, Ass, Ttml, Vtt, Srt };

// The file "名前を付けて保存" writes: its text (lines ended with CR LF), the encoding and line
// end it is written with, or why it cannot be written (Error not empty).
struct ExportedText {
    QString Text;
    TextEncoding Encoding = TextEncoding::Utf8;
    QString LineEnd = QStringLiteral("\r\n");
    QString Error;
};

// The document's text in `format`: TimeTag as Ctrl+S writes it, in the source's line ends and
// the encoding Init/OutputEncoding gives; LRC, SAMI and DSMP as the TimeTag -> LRC / SAMI /
// DSMP modes write that TimeTag text with their settings (T2L, T2S, T2D) and encodings; ASS,
// TTML, WebVTT and SRT as the TimeTag -> word-timed captions mode writes them (T2X). An Error
// when the display would not be lyrics-sized or nothing is timed to show (as the modes refuse
// such a file).
ExportedText ExportTimingText(const TimingSource& source, const TimingDocument& document,
                              ExportFormat format, const Settings& settings);

} // namespace tavelkor
