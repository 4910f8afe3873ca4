// The in-memory lyrics document that every conversion passes through.
#pragma once

#include "../base/TextEncoding.h"
#include "TagChars.h"

#include <QString>
#include <QVector>
#include <array>

namespace tavelkor {

// One time tag of a line and the text that follows it up to the next tag.
struct KaraokeFragment {
    TagChars TagText; // the tag as it stands in the text, "[mm:ss:cc]"
    int TimeMs = 0;  // the tag's time in milliseconds
    QString Text;    // text belonging to the fragment
};

struct LyricsLine {
    bool HasTimeTag = false;
    bool IsKaraoke = false;
    bool IsDirective = false;
    QString RawText;   // the line as read; the TimeTag writer stores the recomposed line here
    QString PlainText; // the line without its tags
    // The PlainText of the next up to three non-directive lines (multi-line displays).
    std::array<QString, 3> FollowingTexts;
    // Indexes 0..FragmentCount. Fragment 0 repeats tag 1 and holds the text before the first
    // tag; fragments 1..N are the tags in order. An untagged line has the single empty
    // fragment 0; a directive line has none.
    QVector<KaraokeFragment> Fragments;

    int FragmentCount() const { return Fragments.size() > 1 ? int(Fragments.size()) - 1 : 0; }
    // The line's untimed rest: text that no one has timed yet, after the last timed fragment.
    // It stands after the line's end tag as a part that lasts no time, "[s]F[t]rest[t]" (t is
    // not before s), and is not sung. Its fragment index, or 0 for a line without one.
    int UntimedRest() const {
        const int count = FragmentCount();
        if (count < 3)
            return 0;
        const KaraokeFragment& last = Fragments[count - 2];
        const KaraokeFragment& rest = Fragments[count - 1];
        const KaraokeFragment& end = Fragments[count];
        return end.Text.isEmpty() && !rest.Text.isEmpty() && !last.Text.isEmpty() &&
                       rest.TimeMs == end.TimeMs && last.TimeMs <= rest.TimeMs
                   ? count - 1
                   : 0;
    }
};

// One reading (ruby, furigana) of a header line "@RubyN=base,reading[,start][,end]": the
// reading shown over the first not yet covered occurrence of `Base` in a line, from StartMs
// (inclusive) to EndMs (exclusive); an entry without times applies everywhere. Players that
// do not know these lines skip them. See Ruby.h.
struct RubyEntry {
    int Number = 0; // N of "@RubyN", kept as read
    QString Base;
    QString Reading;
    QString StartTag; // "[mm:ss:cc]" or "" (no start)
    QString EndTag;   // "[mm:ss:cc]" or "" (no end)
    int StartMs = -1; // -1: no start
    int EndMs = -1;   // -1: no end
};

struct LyricsHeader {
    QString Artist;
    QString Title;
    QString Album;
    QString CreditArtist;
    QString CreditTitle;
    QString CreditLyricist;
    QString CreditComposer;
    QString BgFolder;
    QString BgFile;
    double TimeRatio = 0;
    bool HasTimeRatio = false;
    QString TaggingBy;
    QString EditedBy;
    int Frames = 0;
    bool HasFrames = false;
    int TotalSec = 0;
    bool HasTotalSec = false;
    QString TimeType; // "winamp", "normal" or ""
    int Offset = 0;   // milliseconds
    bool HasOffset = false;
    int SilencemSec = 0; // milliseconds
    bool HasSilencemSec = false;
    QVector<RubyEntry> Ruby; // the "@RubyN" lines in the order read
};

struct LyricsDocument {
    QString Text; // the whole text, lines separated by CR LF
    bool HasTimeTags = false;
    bool HasKaraoke = false;
    QVector<LyricsLine> Lines; // line 1 of the file is Lines[0]
    LyricsHeader Header;

    int LineCount() const { return int(Lines.size()); }
};

// One input file and its parsed content.
struct LyricsFile {
    QString BaseName;
    QString Extension; // lower-cased
    QString Path;
    QString Folder; // with a trailing separator
    bool Exists = false;
    bool ReadFailed = false; // it exists but could not be read: the document is empty
    TextEncoding Encoding = TextEncoding::Cp932; // what the file was read in
    QString EncodingReason;                      // why: "BOM", "valid UTF-8", ...
    LyricsDocument Document;
};

// The line break written into every text the program makes.
inline const QString CrLf = QStringLiteral("\r\n");

} // namespace tavelkor
