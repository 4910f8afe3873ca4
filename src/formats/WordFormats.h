// The word-timed caption formats as one family: their names, writing one by name and
// recognising which one a text is.
#pragma once

#include "AssWriter.h"
#include "TimedLyrics.h"

#include <QList>
#include <QStringView>
#include <optional>

namespace tavelkor {

enum class WordFormat { Ass, Ttml, Vtt, Srt };

// "ass", "ttml", "vtt", "srt": the format's name and the extension of what it writes.
QString WordFormatName(WordFormat format);
// A list such as "ass, ttml,VTT" (letter case and blanks do not matter) in the order of the
// formats, each once; nothing when a name is unknown or the list is empty (`unknown` then
// holds the offending word).
std::optional<QList<WordFormat>> ParseWordFormats(QStringView list, QString& unknown);

struct WordFormatOptions {
    AssWriteOptions Ass;
    QString Language = QStringLiteral("ja"); // TTML's xml:lang
    bool VttStyle = true; // WebVTT gets its STYLE block
};

// The format's text of timed lyrics; ASS is the only one that shows lines ahead.
QString MakeWordFormatText(WordFormat format, const TimedLyrics& lyrics,
                           const WordFormatOptions& options);

// The timed lyrics of a text in one of the formats, recognised by content: the format the
// extension names is tried first, then WebVTT ("WEBVTT" first), ASS ([Events]), TTML (<tt>)
// and SRT (a "-->" line). Nothing when none reads it.
std::optional<TimedLyrics> ReadWordFormatText(QStringView text, QStringView extension);

// The extensions the reading mode takes.
const QStringList& WordFormatExtensions();

} // namespace tavelkor
