// The shared body of the caption readers' fuzz targets (ass, ttml, vtt, srt): arbitrary text
// read as the format gives a result or nothing; what it gives has every word in time order
// within its line and its readings over its text; written back in the same format (ASS with
// and without furigana) it reads again, with the same lines that have text; and it goes
// through the TimeTag writer.
#pragma once

#include "base/CaptionEncoding.h"
#include "formats/WordFormats.h"
#include "lyrics/TimeTagWriter.h"

#include <algorithm>
#include <cstdlib>

namespace tavelkor {

// The lines with text other than blanks and control characters (which the writers may put as
// blanks, and the readers then leave out as lines without text).
inline int LinesWithText(const TimedLyrics& lyrics) {
    int count = 0;
    for (const TimedLine& line : lyrics.Lines) {
        const QString text = line.Text();
        count += std::any_of(text.begin(), text.end(), [](QChar c) {
            return !c.isSpace() && c.category() != QChar::Other_Control;
        });
    }
    return count;
}

// Readings stand over the line's text, in order, none over another.
inline void CheckRuby(const TimedLine& line) {
    const qsizetype length = line.Text().size();
    qsizetype end = 0;
    for (const RubySpan& span : line.Ruby) {
        if (span.From < end || span.Length <= 0 || span.From + span.Length > length ||
            span.Reading.isEmpty())
            std::abort(); // a reading outside its line, empty, or over another
        end = span.From + span.Length;
    }
}

inline int FuzzCaptionReader(WordFormat format, const uint8_t* data, size_t size) {
    // Decoded as x2t decodes caption files.
    const QString text =
        DecodeCaptionText(QByteArrayView(data, qsizetype(size)), EncodingChoice::Auto).Decoded.Text;
    const std::optional<TimedLyrics> lyrics = ReadWordFormatText(text, WordFormatName(format));
    if (!lyrics)
        return 0;
    for (const TimedLine& line : lyrics->Lines) {
        if (line.Words.isEmpty() || line.StartMs < 0 || line.EndMs < line.StartMs)
            std::abort(); // a line without words or ending before it starts
        int last = line.StartMs;
        for (const TimedWord& word : line.Words) {
            if (word.StartMs < last || word.StartMs > line.EndMs)
                std::abort(); // a word out of order or outside its line
            last = word.StartMs;
        }
        CheckRuby(line);
    }
    LyricsDocument document = DocumentOfTimedLyrics(*lyrics);
    const TimedLyrics timed = TimedLyricsOf(document, 3000);
    for (const TimedLine& line : timed.Lines)
        CheckRuby(line);
    WordFormatOptions options;
    options.Ass.Furigana = size % 2 == 0;
    const QString written = MakeWordFormatText(format, timed, options);
    const std::optional<TimedLyrics> again = ReadWordFormatText(written, WordFormatName(format));
    if (LinesWithText(timed) > 0 && (!again || LinesWithText(*again) != LinesWithText(timed)))
        std::abort(); // what we write does not read back with the lines we had
    if (again)
        for (const TimedLine& line : again->Lines)
            CheckRuby(line);
    ComposeLyricsText(document);
    return 0;
}

} // namespace tavelkor
