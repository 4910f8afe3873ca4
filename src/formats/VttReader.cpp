#include "VttReader.h"

#include "CaptionText.h"
#include "SrtWriter.h"

#include <QRegularExpression>
#include <algorithm>

namespace tavelkor {

namespace {

// "&amp;" and the other character references of WebVTT text.
QString DecodeEntities(QStringView text) {
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const qsizetype semicolon = text[at] == u'&' ? text.indexOf(u';', at) : -1;
        if (semicolon < 0 || semicolon - at > 10) {
            decoded += text[at];
            continue;
        }
        const QStringView name = text.mid(at + 1, semicolon - at - 1);
        static const std::pair<const char16_t*, char16_t> named[] = {
            {u"amp", u'&'},      {u"lt", u'<'},       {u"gt", u'>'},   {u"nbsp", u'\u00a0'},
            {u"lrm", u'\u200e'}, {u"rlm", u'\u200f'}, {u"quot", u'"'}, {u"apos", u'\''}};
        bool known = false;
        for (const auto& [entity, character] : named) {
            if (name == QStringView(entity)) {
                decoded += QChar(character);
                known = true;
            }
        }
        if (!known && name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.startsWith(u"#x") || name.startsWith(u"#X")
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff)) {
                const char32_t c = code;
                decoded += QString::fromUcs4(&c, 1);
                known = true;
            }
        }
        if (!known) {
            decoded += text[at];
            continue;
        }
        at = semicolon;
    }
    return decoded;
}

// A cue's text: inline timestamps start words, tags go, <ruby> readings (its <rt>s) become
// the line's readings over the base before them.
TimedLine ReadCuePayload(QStringView payload, int start, int end) {
    TimedLine line;
    line.StartMs = start;
    line.EndMs = end;
    line.Words.append({QString(), start});
    int reading = 0;      // inside <rt>
    qsizetype length = 0; // of the line's text so far
    // The open <ruby>: where its base starts in the text, where it ends (at its first <rt>),
    // and the readings of its <rt>s.
    qsizetype rubyFrom = -1;
    qsizetype baseEnd = -1;
    QString rubyReading;
    auto closeRuby = [&] {
        const QString text = rubyReading.trimmed();
        if (rubyFrom >= 0 && baseEnd > rubyFrom && !text.isEmpty())
            line.Ruby.append({int(rubyFrom), int(baseEnd - rubyFrom), text, 0});
        rubyFrom = -1;
        baseEnd = -1;
        rubyReading.clear();
        reading = 0;
    };
    qsizetype at = 0;
    while (at < payload.size()) {
        const qsizetype open = payload.indexOf(u'<', at);
        const QStringView piece = payload.mid(at, (open < 0 ? payload.size() : open) - at);
        if (reading == 0) {
            const QString decoded = DecodeEntities(piece);
            line.Words.last().Text += decoded;
            length += decoded.size();
        } else if (rubyFrom >= 0) {
            rubyReading += DecodeEntities(piece);
        }
        if (open < 0)
            break;
        qsizetype close = payload.indexOf(u'>', open);
        if (close < 0)
            close = payload.size();
        const QStringView tag = payload.mid(open + 1, close - open - 1);
        if (tag == u"ruby" || tag.startsWith(u"ruby.") || tag.startsWith(u"ruby ")) {
            closeRuby(); // rubies do not nest
            rubyFrom = length;
        } else if (tag == u"/ruby") {
            closeRuby();
        } else if ((tag == u"rt" || tag.startsWith(u"rt.") || tag.startsWith(u"rt ")) &&
                   rubyFrom >= 0) {
            // An <rt> outside a <ruby> is no reading: the WebVTT parser ignores the tag.
            if (baseEnd >= 0 && length > baseEnd) {
                // "<ruby>漢<rt>かん</rt>字<rt>じ</rt></ruby>": a base and reading each.
                const qsizetype from = baseEnd;
                closeRuby();
                rubyFrom = from;
            }
            if (baseEnd < 0)
                baseEnd = length;
            ++reading;
        } else if (tag == u"/rt") {
            reading = std::max(0, reading - 1);
        } else if (!tag.isEmpty() && tag[0].isDigit()) {
            if (const auto ms = ParseClockTime(tag)) {
                const int time = std::clamp(*ms, std::max(start, line.Words.last().StartMs), end);
                line.Words.append({QString(), time});
                line.WordTimed = true;
            }
        }
        at = close + 1;
    }
    closeRuby();
    // The text before the first timestamp is sung from the cue's start: an empty one is no word.
    if (line.WordTimed && line.Words.first().Text.isEmpty())
        line.Words.removeFirst();
    return line;
}

bool IsBlankLine(QStringView line) { return line.trimmed().isEmpty(); }

bool IsVttSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\f'; }

// The digits at `at` (moved past them) as a number, held at a billion; -1 when there are none.
// `count` gets how many there were.
qint64 Digits(QStringView line, qsizetype& at, qsizetype& count) {
    const qsizetype from = at;
    qint64 value = 0;
    while (at < line.size() && line[at] >= u'0' && line[at] <= u'9') {
        value = std::min<qint64>(value * 10 + (line[at].unicode() - u'0'), 1000000000);
        ++at;
    }
    count = at - from;
    return count > 0 ? value : -1;
}

// A WebVTT timestamp at `at` (moved past it), as the WebVTT parser reads one: "mm:ss.ttt" or
// "h+:mm:ss.ttt", minutes and seconds of two digits below 60, exactly three fraction digits.
std::optional<qint64> VttTimestamp(QStringView line, qsizetype& at) {
    qsizetype count = 0;
    qint64 first = Digits(line, at, count);
    if (first < 0)
        return std::nullopt;
    const bool hours = count != 2 || first > 59;
    if (at >= line.size() || line[at] != u':')
        return std::nullopt;
    ++at;
    qint64 second = Digits(line, at, count);
    if (count != 2)
        return std::nullopt;
    qint64 third = 0;
    if (hours || (at < line.size() && line[at] == u':')) {
        if (at >= line.size() || line[at] != u':')
            return std::nullopt;
        ++at;
        third = Digits(line, at, count);
        if (count != 2)
            return std::nullopt;
    } else {
        third = second;
        second = first;
        first = 0;
    }
    if (at >= line.size() || line[at] != u'.')
        return std::nullopt;
    ++at;
    const qint64 fraction = Digits(line, at, count);
    if (count != 3 || second > 59 || third > 59)
        return std::nullopt;
    return ((first * 60 + second) * 60 + third) * 1000 + fraction;
}

// A cue's timing line as the WebVTT parser reads it ("start --> end", then its settings).
std::optional<std::pair<int, int>> ParseVttCueTiming(QStringView line) {
    qsizetype at = 0;
    auto skipSpace = [&] {
        while (at < line.size() && IsVttSpace(line[at]))
            ++at;
    };
    skipSpace();
    const auto start = VttTimestamp(line, at);
    skipSpace();
    if (!start || !line.mid(at).startsWith(u"-->"))
        return std::nullopt;
    at += 3;
    skipSpace();
    const auto end = VttTimestamp(line, at);
    if (!end || (at < line.size() && !IsVttSpace(line[at])))
        return std::nullopt;
    return std::pair<int, int>{HeldMs(*start), std::max(HeldMs(*start), HeldMs(*end))};
}

// The text ffmpeg shows of an SRT cue: override blocks borrowed from SubStation ("{\\an8}") and
// MicroDVD's style blocks ("{Y:i}", a letter and a colon) are hidden, other braces are text;
// "\\N", "\\n" and the hard space "\\h" are blanks in a lyrics line, as the ASS reader has them.
QString SrtMarkupAsText(QStringView text) {
    QString shown;
    shown.reserve(text.size());
    bool braceCloses = true; // a "}" follows somewhere (once none does, none will)
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QStringView rest = text.mid(at);
        if (braceCloses && rest.startsWith(u'{') && rest.size() > 2 &&
            (rest[1] == u'\\' || (rest[1].isLetter() && rest[2] == u':'))) {
            const qsizetype close = rest.indexOf(u'}');
            if (close >= 0) {
                at += close;
                continue;
            }
            braceCloses = false;
        }
        if (rest.startsWith(u'\\') && rest.size() > 1 &&
            (rest[1] == u'N' || rest[1] == u'n' || rest[1] == u'h')) {
            shown += u' ';
            ++at;
            continue;
        }
        shown += text[at];
    }
    return shown;
}

} // namespace

std::optional<std::pair<int, int>> ParseCueTiming(QStringView line) {
    const qsizetype arrow = line.indexOf(u"-->");
    if (arrow < 0)
        return std::nullopt;
    const auto start = ParseClockTime(line.left(arrow));
    QStringView rest = line.mid(arrow + 3).trimmed();
    const qsizetype space = rest.indexOf(u' ');
    const qsizetype tab = rest.indexOf(u'\t');
    const qsizetype cut = space < 0 ? tab : tab < 0 ? space : std::min(space, tab);
    const auto end = ParseClockTime(cut < 0 ? rest : rest.left(cut));
    if (!start || !end)
        return std::nullopt;
    return std::pair<int, int>{*start, std::max(*start, *end)};
}

std::optional<TimedLyrics> ReadVttText(QStringView text) {
    const QList<QStringView> lines = SplitLines(text);
    if (lines.isEmpty() || !lines[0].startsWith(u"WEBVTT") ||
        (lines[0].size() > 6 && lines[0][6] != u' ' && lines[0][6] != u'\t'))
        return std::nullopt;
    // The blocks as the WebVTT parser collects them: a block ends at a blank line or at a line
    // with "-->" that cannot be its timing line (the first line, or the second after an
    // identifier), which then starts the next block. A cue's text is what follows its timing.
    TimedLyrics lyrics;
    qsizetype i = 1;
    auto collectBlock = [&](bool inHeader) {
        int lineCount = 0;
        bool seenArrow = false;
        std::optional<std::pair<int, int>> timing;
        QString payload;
        while (i < lines.size()) {
            const QStringView line = lines[i++];
            ++lineCount;
            if (line.contains(u"-->")) {
                if (!inHeader && (lineCount == 1 || (lineCount == 2 && !seenArrow))) {
                    seenArrow = true;
                    timing = ParseVttCueTiming(line);
                    payload.clear();
                    continue;
                }
                --i; // the line starts the next block
                break;
            }
            if (line.isEmpty())
                break;
            if (seenArrow) {
                if (!payload.isEmpty())
                    payload += u' ';
                payload += line;
            }
        }
        if (seenArrow && timing)
            lyrics.Lines.append(ReadCuePayload(payload, timing->first, timing->second));
    };
    if (i < lines.size() && !lines[i].isEmpty())
        collectBlock(true);
    while (i < lines.size()) {
        if (lines[i].isEmpty()) {
            ++i;
            continue;
        }
        collectBlock(false);
    }
    if (lyrics.Lines.isEmpty())
        return std::nullopt;
    return lyrics;
}

std::optional<TimedLyrics> ReadSrtText(QStringView text) {
    const QList<QStringView> lines = SplitLines(text);
    TimedLyrics lyrics;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto timing = ParseCueTiming(lines[i]);
        if (!timing)
            continue;
        QString payload;
        qsizetype p = i + 1;
        for (; p < lines.size() && !IsBlankLine(lines[p]); ++p) {
            if (!payload.isEmpty())
                payload += u' ';
            payload += lines[p];
        }
        // SRT knows <b>, <i>, <u> and <font>; the text itself is taken as it stands.
        static const QRegularExpression tags(QStringLiteral("</?(b|i|u|s|font)(\\s[^>]*)?>"),
                                             QRegularExpression::CaseInsensitiveOption);
        QString plain = SrtMarkupAsText(payload).replace(tags, QString());
        // The word joiner our writer puts after markup-like text (SrtWriter.h) goes again.
        for (const char16_t* mark : {u"<", u"{", u"\\"})
            plain.replace(QString::fromUtf16(mark) + SrtWordJoiner, QString::fromUtf16(mark));
        TimedLine line;
        line.StartMs = timing->first;
        line.EndMs = timing->second;
        line.Words.append({plain, timing->first});
        lyrics.Lines.append(std::move(line));
        i = p;
    }
    if (lyrics.Lines.isEmpty())
        return std::nullopt;
    return lyrics;
}

} // namespace tavelkor
