// Writing a LyricsDocument as standard or enhanced LRC.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <QString>

namespace tavelkor {

struct LrcWriteOptions {
    bool WordStamps = true; // karaoke lines get "<mm:ss.xx>" word stamps (enhanced LRC)
    bool Millis = false;    // stamps in milliseconds ("[mm:ss.xxx]") instead of hundredths
    bool IdTags = true;     // title, artist, album and tagger as "[ti:]", "[ar:]", "[al:]", "[by:]"
};

// The LRC text of a document whose times are real milliseconds: the ID tags, then every line
// in document order. A timed line gets its first tag's time as line stamp; with word stamps, a
// karaoke line (or one with text before its tag) gets "<time>" before the text of each tag (a
// last tag without text marks the end of the last word); an untimed line is written as its
// text. Header directives are left out, and no offset is ever written. Lines end with CR LF.
QString MakeLrcText(const LyricsDocument& document, const LrcWriteOptions& options);

} // namespace tavelkor
