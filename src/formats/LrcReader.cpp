#include "LrcReader.h"

#include "../base/NumberText.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeValues.h"
#include "LrcStamps.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tavelkor {

namespace {

// Calls `visit` for every line of the text; lines end at CR LF, LF or a lone CR, and a line
// break at the very end starts no further line.
template <class Visit>
void ForEachLine(QStringView text, Visit&& visit) {
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        visit(text.mid(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
}

struct Word {
    int StampMs;      // as written
    QStringView Text; // up to the next word stamp or the end of the line
};

// One line of the file: timed (it has stamps) or untimed (kept as text).
struct SourceLine {
    QVector<int> StampsMs; // the line stamps as written, empty for an untimed line
    QStringView Pre; // a timed line's text before its first word stamp; an untimed line's text
    QVector<Word> Words;
};

int Held(long long ms) {
    return int(std::clamp<long long>(ms, 0, std::numeric_limits<int>::max()));
}

KaraokeFragment Fragment(int ms, QString text) { return {MsToTag(ms), ms, std::move(text)}; }

// Appends a fragment; one at the time of the fragment before it shares that one's tag text.
void AppendFragment(QVector<KaraokeFragment>& fragments, int ms, QString text) {
    if (!fragments.isEmpty() && fragments.back().TimeMs == ms)
        fragments.append({fragments.back().TagText, ms, std::move(text)});
    else
        fragments.append(Fragment(ms, std::move(text)));
}

LyricsLine UntimedLine(QStringView text) {
    LyricsLine line;
    line.RawText = text.toString();
    line.PlainText = line.RawText;
    line.Fragments = {KaraokeFragment()};
    return line;
}

// The timed line shown at `lineMs`; `shiftMs` moves the words from the first stamp's time to
// this one's and folds the offset in.
LyricsLine TimedLine(const SourceLine& source, int lineMs, long long shiftMs, bool karaoke) {
    LyricsLine line;
    line.HasTimeTag = true;
    qsizetype size = source.Pre.size();
    for (const Word& word : source.Words)
        size += word.Text.size();
    QString plain;
    plain.reserve(size);
    plain += source.Pre;
    for (const Word& word : source.Words)
        plain += word.Text;
    line.PlainText = plain;
    if (!karaoke || source.Words.isEmpty()) {
        const KaraokeFragment head = Fragment(lineMs, QString());
        line.Fragments = {head, {head.TagText, lineMs, std::move(plain)}};
        return line;
    }
    // The text before the first word stamp is sung at the line's time: it stays before the
    // first tag when that is the line's time, and gets a tag of its own otherwise.
    QVector<KaraokeFragment> fragments;
    fragments.reserve(source.Words.size() + 2);
    const int firstWordMs = Held(source.Words[0].StampMs + shiftMs);
    if (firstWordMs == lineMs) {
        AppendFragment(fragments, lineMs, source.Pre.toString());
    } else {
        AppendFragment(fragments, lineMs, QString());
        AppendFragment(fragments, lineMs, source.Pre.toString());
    }
    for (const Word& word : source.Words)
        AppendFragment(fragments, Held(word.StampMs + shiftMs), word.Text.toString());
    line.IsKaraoke = fragments.size() > 2;
    line.Fragments = std::move(fragments);
    return line;
}

// The line stamp that a line's word stamps were timed for: the latest one not after the first
// word, else the earliest.
int WordsAnchor(const SourceLine& source) {
    const int earliest = *std::min_element(source.StampsMs.cbegin(), source.StampsMs.cend());
    if (source.Words.isEmpty())
        return earliest;
    int anchor = -1;
    for (const int stampMs : source.StampsMs) {
        if (stampMs <= source.Words[0].StampMs && stampMs > anchor)
            anchor = stampMs;
    }
    return anchor >= 0 ? anchor : earliest;
}

} // namespace

std::optional<LyricsDocument> ReadLrcText(QStringView text, bool karaoke) {
    LyricsDocument document;
    if (text.isEmpty())
        return document;
    LyricsHeader& header = document.Header;
    header.TimeRatio = 1;
    header.HasTimeRatio = true;

    QVector<SourceLine> sources;
    long long offset = 0;
    qint64 expandedChars = 0;
    ForEachLine(text, [&](QStringView line) {
        const LrcLineHead head = ReadLrcLineHead(line);
        if (head.Stamps.isEmpty()) {
            const bool tags = ReadLrcIdTags(line, [&](QStringView key, QStringView value) {
                auto is = [&key](const char16_t* name) {
                    return key.compare(QStringView(name), Qt::CaseInsensitive) == 0;
                };
                if (is(u"offset")) {
                    if (const std::optional<int> ms = ParseInt32(value))
                        offset = *ms;
                } else if (!value.isEmpty()) {
                    if (is(u"ti"))
                        header.Title = value.toString();
                    else if (is(u"ar"))
                        header.Artist = value.toString();
                    else if (is(u"al"))
                        header.Album = value.toString();
                    else if (is(u"by"))
                        header.TaggingBy = value.toString();
                }
            });
            if (!tags)
                sources.append({{}, line, {}});
            return;
        }
        SourceLine source;
        for (const PlacedLrcStamp& stamp : head.Stamps)
            source.StampsMs.append(stamp.Stamp.TimeMs);
        const QStringView body = line.mid(head.BodyBegin);
        qsizetype textBegin = 0;
        int wordMs = 0;
        bool inWord = false;
        ForEachLrcWordStamp(body, [&](const PlacedLrcStamp& stamp) {
            const QStringView piece = body.mid(textBegin, stamp.Position - textBegin);
            if (inWord)
                source.Words.append({wordMs, piece});
            else
                source.Pre = piece;
            inWord = true;
            wordMs = stamp.Stamp.TimeMs;
            textBegin = stamp.Position + stamp.Stamp.Length;
        });
        if (inWord)
            source.Words.append({wordMs, body.mid(textBegin)});
        else
            source.Pre = body;
        expandedChars +=
            qint64(source.StampsMs.size()) * (body.size() + 12 * (source.Words.size() + 1));
        sources.append(std::move(source));
    });
    if (expandedChars > MaxDisplayTextChars)
        return std::nullopt;
    // A line break or blank lines at the end of the file follow no lyric.
    while (!sources.isEmpty() && sources.back().StampsMs.isEmpty() && sources.back().Pre.isEmpty())
        sources.removeLast();

    // Every stamp of a line starts a chunk of its own; untimed lines go with the chunk before
    // them. The chunks then sort by time, keeping file order among equal times.
    struct Chunk {
        int TimeMs;
        QVector<LyricsLine> Lines;
    };
    QVector<LyricsLine> preamble;
    QVector<Chunk> chunks;
    for (const SourceLine& source : sources) {
        if (source.StampsMs.isEmpty()) {
            (chunks.isEmpty() ? preamble : chunks.back().Lines).append(UntimedLine(source.Pre));
            continue;
        }
        const int anchorMs = WordsAnchor(source);
        for (const int stampMs : source.StampsMs) {
            const int lineMs = Held(stampMs - offset);
            // A repetition moves the words with its own stamp.
            const long long shift = static_cast<long long>(stampMs) - anchorMs - offset;
            chunks.append({lineMs, {TimedLine(source, lineMs, shift, karaoke)}});
        }
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const Chunk& a, const Chunk& b) { return a.TimeMs < b.TimeMs; });

    qsizetype lineCount = preamble.size();
    for (const Chunk& chunk : std::as_const(chunks))
        lineCount += chunk.Lines.size();
    document.Lines = std::move(preamble);
    document.Lines.reserve(lineCount);
    for (Chunk& chunk : chunks) {
        for (LyricsLine& line : chunk.Lines)
            document.Lines.append(std::move(line));
    }
    for (const LyricsLine& line : document.Lines) {
        document.HasTimeTags = document.HasTimeTags || line.HasTimeTag;
        document.HasKaraoke = document.HasKaraoke || line.IsKaraoke;
    }
    return document;
}

bool LooksLikeLrc(QStringView text) {
    bool timedLine = false;
    bool lrcOnly = false; // something a TimeTag file with short tags does not hold
    ForEachLine(text, [&](QStringView line) {
        if (lrcOnly && timedLine)
            return;
        const LrcLineHead head = ReadLrcLineHead(line);
        if (head.Stamps.isEmpty()) {
            ReadLrcIdTags(line, [&](QStringView key, QStringView) {
                lrcOnly = lrcOnly || IsKnownLrcIdTag(key);
            });
            return;
        }
        timedLine = true;
        for (const PlacedLrcStamp& placed : head.Stamps) {
            const LrcStamp& s = placed.Stamp;
            if (s.MinuteDigits != 2 || s.SecondDigits != 2 || s.FractionDigits != 0)
                lrcOnly = true;
        }
        ForEachLrcWordStamp(line.mid(head.BodyBegin), [&](const PlacedLrcStamp& placed) {
            const LrcStamp& s = placed.Stamp;
            if (line[head.BodyBegin + placed.Position] == u'<' || s.MinuteDigits != 2 ||
                s.SecondDigits != 2 || s.FractionDigits != 0)
                lrcOnly = true;
        });
    });
    return timedLine && lrcOnly;
}

} // namespace tavelkor
