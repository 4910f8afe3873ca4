// Synchronised lyrics, as the ID3v2 SYLT frame holds them: a list of texts, each with the time
// at which it is sung in real milliseconds from the start of the song. One entry is one karaoke
// fragment (a whole line for a line with a single tag); an entry that starts a new line begins
// with a line feed, and whitespace between words goes in front of the next word. Beside them,
// the plain lyrics text of the USLT frame.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <QString>
#include <QVector>

namespace tavelkor {

struct SyncedLyric {
    QString Text;
    qint64 TimeMs = 0;
    bool operator==(const SyncedLyric& other) const = default;
};
using SyncedLyrics = QVector<SyncedLyric>;

// The entries of a document already re-timed to real milliseconds (as the SAMI writer takes
// it): one per tag of every timed line, in order. The text in front of a line's first tag goes
// with its first entry. Directive lines and lines without a time tag have no time and are left
// out; a line after the first starts with a line feed.
SyncedLyrics MakeSyncedLyrics(const LyricsDocument& document);

// The lyrics as a player shows them: the text of every line that is not a directive, without
// its tags, one line per line joined by line feeds; empty lines at the end are left out.
QString MakeUnsyncedLyrics(const LyricsDocument& document);

// The TimeTag document of synchronised lyrics: a karaoke tag in front of every entry, a new
// line at every line feed, times as they are (@TimeRatio=1). The time of an entry that holds
// line feeds goes with the text after the last one, or, when that is empty, with the last text
// before it; the texts it does not go with stay without a tag (a CR before a line feed is
// dropped).
LyricsDocument ReadSyncedLyrics(const SyncedLyrics& entries);

// Plain lyrics as text lines: every line feed (with a CR before it, or a lone CR) becomes CR LF.
QString UnsyncedLyricsText(const QString& text);

} // namespace tavelkor
