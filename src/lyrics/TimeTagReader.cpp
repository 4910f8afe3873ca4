#include "TimeTagReader.h"

#include "DisplayLines.h"
#include "LineOrder.h"
#include "Ruby.h"
#include "TextRules.h"
#include "TimeTagWriter.h"
#include "TimeValues.h"

#include <algorithm>

namespace tavelkor {

namespace {

// An untagged line: its plain text is the line itself (shared, not copied).
void MakeUntaggedLine(LyricsLine& line) {
    line.HasTimeTag = false;
    line.IsKaraoke = false;
    line.PlainText = line.RawText;
    line.Fragments = QVector<KaraokeFragment>(1);
}

KaraokeFragment FragmentAt(QStringView text, qsizetype tagAt, QStringView fragmentText) {
    KaraokeFragment fragment;
    fragment.TagText = text.mid(tagAt, 10);
    fragment.TimeMs = TagToMs(fragment.TagText);
    fragment.Text = fragmentText.toString();
    return fragment;
}

// Fills a line that carries at least one tag; `firstTag` is the position of its first tag.
void BuildFragments(LyricsDocument& document, LyricsLine& line, QStringView s, qsizetype firstTag) {
    line.HasTimeTag = true;
    document.HasTimeTags = true;
    line.Fragments.clear();
    // A tag takes 10 characters, so a line holds at most size / 10 of them: room for all of
    // a line's fragments at once (up to a bound, for a freak line of thousands of tags).
    line.Fragments.reserve(std::min<qsizetype>(s.size() / 10 + 2, 64));
    line.Fragments.append(FragmentAt(s, firstTag, s.left(firstTag)));
    qsizetype plainSize = firstTag;
    qsizetype tagAt = firstTag;
    while (true) {
        const qsizetype textAt = tagAt + 10;
        const qsizetype next = FindTimeTag(s, textAt);
        const QStringView piece = next < 0 ? s.mid(textAt) : s.mid(textAt, next - textAt);
        if (tagAt == firstTag) // fragment 1 repeats fragment 0's tag
            line.Fragments.append(
                {line.Fragments[0].TagText, line.Fragments[0].TimeMs, piece.toString()});
        else
            line.Fragments.append(FragmentAt(s, tagAt, piece));
        plainSize += piece.size();
        if (next < 0)
            break;
        tagAt = next;
    }
    // The plain text is the fragments' texts, copied once into room of their size.
    line.PlainText = QString(plainSize, Qt::Uninitialized);
    QChar* at = line.PlainText.data();
    for (const KaraokeFragment& fragment : std::as_const(line.Fragments))
        at = std::copy(fragment.Text.cbegin(), fragment.Text.cend(), at);
    if (line.FragmentCount() > 1) {
        line.IsKaraoke = true;
        document.HasKaraoke = true;
    }
}

// The position of the next "[" at or after `from`, or -1. A plain scan: lines are short, and
// the library's search costs more to call than to run over them.
qsizetype NextBracket(QStringView text, qsizetype from) {
    if (from < 0 || from >= text.size())
        return -1;
    const char16_t* begin = text.utf16();
    const char16_t* end = begin + text.size();
    const char16_t* found = std::find(begin + from, end, u'[');
    return found == end ? -1 : found - begin;
}

bool StartsWithIgnoringCase(QStringView text, QStringView prefix) {
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

qsizetype FindTimeTag(QStringView text, qsizetype from) {
    qsizetype at = NextBracket(text, from);
    while (at >= 0 && text.size() - at >= 10) {
        if (IsFullTagAt(text, at))
            return at;
        at = NextBracket(text, at + 1);
    }
    return -1;
}

bool ContainsShortTag(QStringView text) {
    // A short tag closes where a full tag has its second ':', which rules out most brackets
    // at one look.
    for (qsizetype at = NextBracket(text, 0); at >= 0; at = NextBracket(text, at + 1)) {
        if (text.size() - at >= 7 && text[at + 6] == u']' && IsShortTagAt(text, at))
            return true;
    }
    return false;
}

QString ExpandShortTags(const QString& text) {
    if (!ContainsShortTag(text))
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype copied = 0;
    for (qsizetype at = NextBracket(text, 0); at >= 0; at = NextBracket(text, at + 1)) {
        if (!IsShortTagAt(text, at))
            continue;
        out += QStringView(text).mid(copied, at + 6 - copied);
        out += u":00]";
        copied = at + 7;
        at += 6;
    }
    out += QStringView(text).mid(copied);
    return out;
}

bool ReadDirective(QStringView line, LyricsHeader& header) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return false;
    const QString key = TrimSpaces(line.left(equals)).toLower();
    const QString value = TrimSpaces(line.mid(equals + 1));
    auto setInt = [&value](int& field, bool& flag) {
        if (const auto number = ParseInt32(value)) {
            field = *number;
            flag = true;
            return true;
        }
        return false;
    };
    auto setText = [&value](QString& field) {
        field = value;
        return true;
    };
    if (key == u"@timeratio") {
        if (const auto number = ParseNumber(value)) {
            header.TimeRatio = *number;
            header.HasTimeRatio = true;
            return true;
        }
        return false;
    }
    if (key == u"@offset")
        return setInt(header.Offset, header.HasOffset);
    if (key == u"@silencemsec")
        return setInt(header.SilencemSec, header.HasSilencemSec);
    if (key == u"@artist")
        return setText(header.Artist);
    if (key == u"@title")
        return setText(header.Title);
    if (key == u"@album")
        return setText(header.Album);
    if (key == u"@bgfolder")
        return setText(header.BgFolder);
    if (key == u"@bgfile")
        return setText(header.BgFile);
    if (key == u"@taggingby")
        return setText(header.TaggingBy);
    if (key == u"@editedby")
        return setText(header.EditedBy);
    if (key == u"@flames" || key == u"@frames")
        return setInt(header.Frames, header.HasFrames);
    if (key == u"@totalsec")
        return setInt(header.TotalSec, header.HasTotalSec);
    if (key.startsWith(u"@ruby")) {
        auto entry = ReadRubyDirective(line);
        if (entry)
            header.Ruby.append(*entry);
        return entry.has_value();
    }
    if (key == u"@timetype") {
        const QString type = value.toLower();
        if (type == u"winamp" || type == u"normal") {
            header.TimeType = type;
            return true;
        }
    }
    return false;
}

void ReadCreditLine(QStringView text, LyricsHeader& header) {
    // Most lines start with a tag or a letter no credit starts with.
    if (text.isEmpty())
        return;
    switch (text.front().unicode() | 0x20) { // the letter in lower case
    case u't':
    case u'a':
    case u'l':
    case u'm':
        break;
    default:
        return;
    }
    if (StartsWithIgnoringCase(text, u"title:"))
        header.CreditTitle = TrimSpaces(text.mid(6));
    else if (StartsWithIgnoringCase(text, u"artist:"))
        header.CreditArtist = TrimSpaces(text.mid(7));
    else if (StartsWithIgnoringCase(text, u"lyrics:"))
        header.CreditLyricist = TrimSpaces(text.mid(7));
    else if (StartsWithIgnoringCase(text, u"music:"))
        header.CreditComposer = TrimSpaces(text.mid(6));
}

void ParseLyricsText(LyricsDocument& document, bool normalizeOrder, bool expandShortTags) {
    document.Lines.clear();
    document.Header.Ruby.clear(); // read again from the text's "@RubyN" lines
    if (document.Text.isEmpty()) {
        document.HasTimeTags = false;
        document.HasKaraoke = false;
        return;
    }
    if (expandShortTags)
        document.Text = ExpandShortTags(document.Text);

    const QList<QStringView> pieces = SplitAtCrLf(document.Text);
    document.Lines.resize(pieces.size());
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QStringView s = pieces[i];
        LyricsLine& line = document.Lines[i];
        line.RawText = s.toString();
        if (s.isEmpty()) {
            MakeUntaggedLine(line);
        } else if (s.startsWith(u'@') && s.contains(u'=')) {
            ReadDirective(s, document.Header);
            line.IsDirective = true;
            line.PlainText = line.RawText;
        } else if (const qsizetype tagAt = FindTimeTag(s); tagAt >= 0) {
            BuildFragments(document, line, s, tagAt);
        } else {
            MakeUntaggedLine(line);
        }
        ReadCreditLine(line.PlainText, document.Header);
    }

    if (document.HasTimeTags && document.HasKaraoke && normalizeOrder &&
        NeedsLineOrderNormalization(document))
        document = NormalizeLineOrder(document);
}

} // namespace tavelkor
