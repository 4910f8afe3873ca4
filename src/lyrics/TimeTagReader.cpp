#include "TimeTagReader.h"

#include "../app/PathHelpers.h"
#include "Cp932.h"
#include "DisplayLines.h"
#include "TextFile.h"
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
    fragment.TagText = text.mid(tagAt, 10).toString();
    fragment.TimeMs = TagToMs(fragment.TagText);
    fragment.Text = fragmentText.toString();
    return fragment;
}

// Fills a line that carries at least one tag; `firstTag` is the position of its first tag.
void BuildFragments(LyricsDocument& document, LyricsLine& line, QStringView s,
                    qsizetype firstTag) {
    line.HasTimeTag = true;
    document.HasTimeTags = true;
    line.Fragments.clear();
    line.Fragments.reserve(4);
    line.Fragments.append(FragmentAt(s, firstTag, s.left(firstTag)));
    line.PlainText.clear();
    line.PlainText.reserve(s.size());
    line.PlainText += line.Fragments[0].Text;
    qsizetype tagAt = firstTag;
    while (true) {
        const qsizetype textAt = tagAt + 10;
        const qsizetype next = FindTimeTag(s, textAt);
        const QStringView piece = next < 0 ? s.mid(textAt) : s.mid(textAt, next - textAt);
        if (tagAt == firstTag) // fragment 1 repeats fragment 0's tag: share its text
            line.Fragments.append({line.Fragments[0].TagText, line.Fragments[0].TimeMs,
                                   piece.toString()});
        else
            line.Fragments.append(FragmentAt(s, tagAt, piece));
        line.PlainText += piece;
        if (next < 0)
            break;
        tagAt = next;
    }
    if (line.FragmentCount() > 1) {
        line.IsKaraoke = true;
        document.HasKaraoke = true;
    }
}

bool StartsWithIgnoringCase(QStringView text, QStringView prefix) {
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

bool IsDigitAt(QStringView text, qsizetype pos) {
    return pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9';
}

// The pattern "##:##:###=" anywhere in the text.
bool ContainsDsmpTime(QStringView text) {
    for (qsizetype at = text.indexOf(u':'); at >= 0; at = text.indexOf(u':', at + 1)) {
        const qsizetype start = at - 2;
        if (start < 0)
            continue;
        if (IsDigitAt(text, start) && IsDigitAt(text, start + 1) && IsDigitAt(text, start + 3) &&
            IsDigitAt(text, start + 4) && start + 5 < text.size() && text[start + 5] == u':' &&
            IsDigitAt(text, start + 6) && IsDigitAt(text, start + 7) &&
            IsDigitAt(text, start + 8) && start + 9 < text.size() && text[start + 9] == u'=')
            return true;
    }
    return false;
}

bool ContainsShortTag(QStringView text) {
    for (qsizetype at = text.indexOf(u'['); at >= 0; at = text.indexOf(u'[', at + 1)) {
        if (IsShortTagAt(text, at))
            return true;
    }
    return false;
}

} // namespace

qsizetype FindTimeTag(QStringView text, qsizetype from) {
    qsizetype at = text.indexOf(u'[', from);
    while (at >= 0 && text.size() - at >= 10) {
        if (IsFullTagAt(text, at))
            return at;
        at = text.indexOf(u'[', at + 1);
    }
    return -1;
}

bool SplitAtFirstTag(QStringView text, QString& tag, QString& before, QString& after) {
    const qsizetype at = FindTimeTag(text);
    if (at < 0) {
        before = text.toString();
        tag.clear();
        after.clear();
        return false;
    }
    before = text.left(at).toString();
    tag = text.mid(at, 10).toString();
    after = text.mid(at + 10).toString();
    return true;
}

QString ExpandShortTags(const QString& text) {
    if (!ContainsShortTag(text))
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(u'['); at >= 0; at = text.indexOf(u'[', at + 1)) {
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

void ReadDirective(QStringView line, LyricsHeader& header) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return;
    const QString key = TrimSpaces(line.left(equals)).toLower();
    const QString value = TrimSpaces(line.mid(equals + 1));
    auto setInt = [&value](int& field, bool& flag) {
        if (const auto number = ParseInt32(value)) {
            field = *number;
            flag = true;
        }
    };
    if (key == u"@timeratio") {
        if (const auto number = ParseNumber(value)) {
            header.TimeRatio = *number;
            header.HasTimeRatio = true;
        }
    } else if (key == u"@offset") {
        setInt(header.Offset, header.HasOffset);
    } else if (key == u"@silencemsec") {
        setInt(header.SilencemSec, header.HasSilencemSec);
    } else if (key == u"@artist") {
        header.Artist = value;
    } else if (key == u"@title") {
        header.Title = value;
    } else if (key == u"@album") {
        header.Album = value;
    } else if (key == u"@bgfolder") {
        header.BgFolder = value;
    } else if (key == u"@bgfile") {
        header.BgFile = value;
    } else if (key == u"@taggingby") {
        header.TaggingBy = value;
    } else if (key == u"@editedby") {
        header.EditedBy = value;
    } else if (key == u"@flames" || key == u"@frames") {
        setInt(header.Frames, header.HasFrames);
    } else if (key == u"@totalsec") {
        setInt(header.TotalSec, header.HasTotalSec);
    } else if (key == u"@timetype") {
        const QString type = value.toLower();
        if (type == u"winamp" || type == u"normal")
            header.TimeType = type;
    }
}

void ReadCreditLine(QStringView text, LyricsHeader& header) {
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

bool NeedsLineOrderNormalization(const LyricsDocument& document) {
    for (const LyricsLine& line : document.Lines) {
        if (!line.IsKaraoke)
            continue;
        for (int k = 0; k < line.FragmentCount(); ++k) {
            if (!line.Fragments[k].Text.isEmpty())
                return false;
        }
    }
    return true;
}

LyricsDocument NormalizeLineOrder(const LyricsDocument& document) {
    LyricsDocument copy = document;
    if (!copy.HasTimeTags || copy.LineCount() == 0)
        return copy;
    // Every time of a karaoke line repeats the line's text; a hostile file could make that
    // gigabytes. Such a document keeps its order.
    qint64 size = 0;
    for (const LyricsLine& line : std::as_const(copy.Lines))
        size += qint64(line.IsKaraoke ? line.FragmentCount() + 1 : 1) * (line.RawText.size() + 12);
    if (size > MaxDisplayTextChars)
        return copy;

    // 1-2. One entry per time of every line, joined into one text.
    QString joined;
    for (const LyricsLine& line : copy.Lines) {
        if (line.IsDirective)
            continue;
        if (line.IsKaraoke) {
            for (int k = 0; k <= line.FragmentCount(); ++k) {
                if (k == 1 && line.Fragments[1].TimeMs == line.Fragments[0].TimeMs)
                    continue;
                joined += line.Fragments[k].TagText;
                joined += line.PlainText;
                joined += CrLf;
            }
        } else if (line.HasTimeTag) {
            // Text that stood before the tag moves behind it, as the line-head layout writes
            // it, instead of being dropped.
            joined += line.Fragments[1].TagText;
            joined += line.PlainText;
            joined += CrLf;
        } else {
            joined += line.RawText;
            joined += CrLf;
        }
    }
    joined = NormalizeTrailingBreaks(joined);

    // 3. Cut into a preamble and chunks that each start with a tag.
    const QStringView text(joined);
    qsizetype at = FindTimeTag(text);
    QString result = (at < 0 ? text : text.left(at)).toString();
    QList<QStringView> chunks;
    while (at >= 0) {
        const qsizetype next = FindTimeTag(text, at + 10);
        chunks.append(next < 0 ? text.mid(at) : text.mid(at, next - at));
        at = next;
    }

    // 4-5. Ascending by tag, then by the text that follows, ignoring letter case; stable.
    std::stable_sort(chunks.begin(), chunks.end(), [](QStringView a, QStringView b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (const QStringView chunk : chunks)
        result += chunk;

    copy.Text = result;
    ParseLyricsText(copy, false, false);
    return copy;
}

void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags) {
    file = LyricsFile();
    file.Path = path;
    file.BaseName = BaseNameOf(path);
    file.Folder = AddTrailingBackslash(FolderOf(path));
    file.Extension = ExtensionOf(path).toLower();
    // One open tells both whether the file exists and what it holds.
    const FileBytes bytes = ReadFileBytes(path, 0);
    file.Exists = bytes.Exists;
    file.ReadFailed = bytes.ReadFailed;
    if (!file.Exists)
        return;
    file.Document.Text = UnifyLineEnds(DecodeCp932(bytes.Bytes));
    ParseLyricsText(file.Document, normalizeOrder, expandShortTags);
}

LyricsFormat DetectLyricsFormat(const QString& path) {
    if (!FileExists(path))
        return LyricsFormat::Unknown;
    const QString text = ReadTextFile(path, 10000).toLower();
    if (text.isEmpty())
        return LyricsFormat::Unknown;
    if (FindTimeTag(text) >= 0 || ContainsShortTag(text))
        return LyricsFormat::TimeTag;
    const qsizetype sync = text.indexOf(u"<sync start=");
    if (sync >= 0 && text.indexOf(u'>', sync + 12) >= 0)
        return LyricsFormat::Sami;
    if (ContainsDsmpTime(text))
        return LyricsFormat::Dsmp;
    return LyricsFormat::Unknown;
}

} // namespace tavelkor
