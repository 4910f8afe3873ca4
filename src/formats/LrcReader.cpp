#include "LrcReader.h"

#include "../base/NumberText.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeValues.h"
#include "LrcStamps.h"

#include <algorithm>
#include <limits>
#include <span>
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

// One line of the file: timed (it has stamps) or untimed (kept as text). Its stamps and words
// stand in arrays of the whole file (`ReadLines`), so that a line costs no allocation.
struct SourceLine {
    qsizetype FirstStamp = 0;
    qsizetype StampCount = 0; // 0: an untimed line
    QStringView Pre; // a timed line's text before its first word stamp; an untimed line's text
    qsizetype FirstWord = 0;
    qsizetype WordCount = 0;
};

// What the file's lines hold, read once.
struct ReadLines {
    QVector<SourceLine> Lines;
    QVector<int> StampsMs; // the line stamps as written
    QVector<Word> Words;
};

// A line with its stamps and words.
struct LineParts {
    std::span<const int> StampsMs;
    QStringView Pre;
    std::span<const Word> Words;
};

LineParts PartsOf(const ReadLines& read, const SourceLine& line) {
    return {std::span<const int>(read.StampsMs.constData() + line.FirstStamp,
                                 size_t(line.StampCount)),
            line.Pre,
            std::span<const Word>(read.Words.constData() + line.FirstWord, size_t(line.WordCount))};
}

int Held(long long ms) {
    return int(std::clamp<long long>(ms, 0, std::numeric_limits<int>::max()));
}

// Appends a fragment; one at the time of the fragment before it takes that one's tag.
void AppendFragment(QVector<KaraokeFragment>& fragments, int ms, QString text) {
    if (!fragments.isEmpty() && fragments.back().TimeMs == ms)
        fragments.append({fragments.back().TagText, ms, std::move(text)});
    else
        fragments.append(FragmentAtTime(ms, std::move(text)));
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
LyricsLine TimedLine(const LineParts& source, int lineMs, long long shiftMs, bool karaoke) {
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
    if (!karaoke || source.Words.empty()) {
        const KaraokeFragment head = FragmentAtTime(lineMs, QString());
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
int WordsAnchor(const LineParts& source) {
    const int earliest = *std::min_element(source.StampsMs.begin(), source.StampsMs.end());
    if (source.Words.empty())
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

    ReadLines read;
    QVector<SourceLine>& sources = read.Lines;
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
            if (!tags) {
                SourceLine untimed;
                untimed.Pre = line;
                sources.append(untimed);
            }
            return;
        }
        SourceLine source;
        source.FirstStamp = read.StampsMs.size();
        source.StampCount = head.Stamps.size();
        for (const PlacedLrcStamp& stamp : head.Stamps)
            read.StampsMs.append(stamp.Stamp.TimeMs);
        source.FirstWord = read.Words.size();
        const QStringView body = line.mid(head.BodyBegin);
        qsizetype textBegin = 0;
        int wordMs = 0;
        bool inWord = false;
        ForEachLrcWordStamp(body, [&](const PlacedLrcStamp& stamp) {
            const QStringView piece = body.mid(textBegin, stamp.Position - textBegin);
            if (inWord)
                read.Words.append({wordMs, piece});
            else
                source.Pre = piece;
            inWord = true;
            wordMs = stamp.Stamp.TimeMs;
            textBegin = stamp.Position + stamp.Stamp.Length;
        });
        if (inWord)
            read.Words.append({wordMs, body.mid(textBegin)});
        else
            source.Pre = body;
        source.WordCount = read.Words.size() - source.FirstWord;
        expandedChars += qint64(source.StampCount) * (body.size() + 12 * (source.WordCount + 1));
        sources.append(source);
    });
    if (expandedChars > MaxDisplayTextChars)
        return std::nullopt;
    // A line break or blank lines at the end of the file follow no lyric.
    while (!sources.isEmpty() && sources.back().StampCount == 0 && sources.back().Pre.isEmpty())
        sources.removeLast();

    // Every stamp of a line starts a chunk of its own; untimed lines go with the chunk before
    // them. The chunks then sort by time, keeping file order among equal times. The lines are
    // made in file order; a chunk names its run of them.
    struct Chunk {
        int TimeMs;
        qsizetype First; // in `made`
        qsizetype Count;
    };
    QVector<LyricsLine> made;
    QVector<Chunk> chunks;
    made.reserve(sources.size() + sources.size() / 4);
    chunks.reserve(sources.size());
    qsizetype preamble = 0; // untimed lines before the first timed one
    for (const SourceLine& line : sources) {
        const LineParts source = PartsOf(read, line);
        if (source.StampsMs.empty()) {
            made.append(UntimedLine(source.Pre));
            ++(chunks.isEmpty() ? preamble : chunks.back().Count);
            continue;
        }
        const int anchorMs = WordsAnchor(source);
        for (const int stampMs : source.StampsMs) {
            const int lineMs = Held(stampMs - offset);
            // A repetition moves the words with its own stamp.
            const long long shift = static_cast<long long>(stampMs) - anchorMs - offset;
            chunks.append({lineMs, made.size(), 1});
            made.append(TimedLine(source, lineMs, shift, karaoke));
        }
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const Chunk& a, const Chunk& b) { return a.TimeMs < b.TimeMs; });

    document.Lines.reserve(made.size());
    for (qsizetype i = 0; i < preamble; ++i)
        document.Lines.append(std::move(made[i]));
    for (const Chunk& chunk : std::as_const(chunks)) {
        for (qsizetype i = chunk.First; i < chunk.First + chunk.Count; ++i)
            document.Lines.append(std::move(made[i]));
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
