#include "Id3Lyrics.h"

#include "../base/ByteRuns.h"

#include "AudioFileReader.h"
#include "Id3Tags.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2synchdata.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <vector>

namespace tavelkor {

namespace {

namespace Id3 = TagLib::ID3v2;
using TagLib::ByteVector;

constexpr qsizetype TagHeaderLength = 10;
constexpr uchar FlagUnsynchronised = 0x80;
constexpr uchar FlagExtendedHeader = 0x40; // ID3v2.3 and 2.4; in ID3v2.2 it marks compression
constexpr uchar FlagFooter = 0x10;
constexpr uchar FrameFlagUnsynchronised = 0x02; // ID3v2.4 frame format flag
constexpr qint64 MaxTagSize = 0x0FFFFFFF;       // 28 bits of a syncsafe size
constexpr qsizetype MinimumPadding = 4096;
constexpr qsizetype GrowthStep = 4096;

ByteVector ToTagLib(const QByteArray& bytes) {
    return ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

QByteArray FromTagLib(const ByteVector& bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A text for a frame: NUL ends a text in a frame, so it cannot be part of one.
TagLib::String ToTagLibString(QString text) {
    text.remove(QChar(0));
    return TagLib::String(ToTagLib(text.toUtf8()), TagLib::String::UTF8);
}

enum class FrameKind { Other, Synced, Unsynced };

// One frame of a tag, as a run of bytes of its frame area; lyrics frames also parsed.
struct TagFrame {
    qsizetype Begin = 0;
    qsizetype Length = 0;
    FrameKind Kind = FrameKind::Other;
    QByteArray Language;
    QString Description;
    std::unique_ptr<Id3::Frame> Parsed;
};

// A tag taken apart.
struct TagParts {
    int Version = 3;
    char Revision = 0;
    uchar Flags = 0;
    QByteArray Area; // the frames, no longer unsynchronised, without an extended header
    std::vector<TagFrame> Frames;
    QByteArray Rest; // bytes after the frames that are neither a frame nor padding
};

void Classify(TagFrame& frame) {
    if (const auto* synced = dynamic_cast<Id3::SynchronizedLyricsFrame*>(frame.Parsed.get())) {
        frame.Kind = FrameKind::Synced;
        frame.Language = FromTagLib(synced->language());
        frame.Description = Id3FieldText(synced->description(), synced->textEncoding());
    } else if (const auto* text =
                   dynamic_cast<Id3::UnsynchronizedLyricsFrame*>(frame.Parsed.get())) {
        frame.Kind = FrameKind::Unsynced;
        frame.Language = FromTagLib(text->language());
        frame.Description = Id3FieldText(text->description(), text->textEncoding());
    } else {
        frame.Parsed.reset(); // only lyrics frames are read
    }
}

// Walks the frames of the area with TagLib's frame factory, which knows every version's frame
// header (and the ID3v2.4 frame sizes some writers store as plain numbers). The walk ends at
// padding (a zero byte) or at bytes that are no frame; those stay as Rest.
//
// TagLib is given the area up to a little past its last non-zero byte, not the padding after
// it (a tag may hold hundreds of kilobytes of it): a frame's own bytes may end in zeros, so
// when a frame reaches past what TagLib was given, or the walk stops at bytes that are no
// frame before that, the walk is made again over the whole area.
void WalkFrames(TagParts& parts, const Id3::Header& header) {
    constexpr qsizetype FrameEndSlack = 4096;
    const char* bytes = parts.Area.constData();
    const qsizetype size = parts.Area.size();
    const qsizetype end = EndBeforeFill(bytes, size, '\0');
    const qsizetype headerLength = Id3::Frame::headerSize(unsigned(parts.Version));
    qsizetype position = 0;
    for (qsizetype given = std::min(size, end + FrameEndSlack);; given = size) {
        const ByteVector area(bytes, static_cast<unsigned int>(given));
        parts.Frames.clear();
        position = 0;
        bool whole = true; // the walk never needed bytes past `given`
        while (position + headerLength <= size && bytes[position] != '\0') {
            TagFrame frame;
            frame.Parsed.reset(Id3::FrameFactory::instance()->createFrame(
                area.mid(static_cast<unsigned int>(position)), &header));
            if (frame.Parsed)
                frame.Length = headerLength + qsizetype(frame.Parsed->size());
            whole = frame.Parsed && position + frame.Length <= given;
            if (!frame.Parsed || frame.Length <= headerLength || position + frame.Length > size)
                break;
            if (!whole)
                break;
            frame.Begin = position;
            Classify(frame);
            parts.Frames.push_back(std::move(frame));
            position += parts.Frames.back().Length;
        }
        const bool atPadding = position + headerLength > size || bytes[position] == '\0';
        if (given == size || (whole && atPadding))
            break;
    }
    const qsizetype restEnd = std::max(position, end);
    while (position < restEnd && bytes[position] == '\0')
        ++position;
    parts.Rest = parts.Area.mid(position, restEnd - position);
}

bool SplitTag(const QByteArray& tag, TagParts& parts) {
    if (tag.isEmpty())
        return true; // no tag: a new ID3v2.3 tag
    if (tag.size() < TagHeaderLength)
        return false;
    const auto* b = reinterpret_cast<const uchar*>(tag.constData());
    parts.Version = b[3];
    parts.Revision = char(b[4]);
    parts.Flags = b[5];
    if (parts.Version < 2 || parts.Version > 4 ||
        (parts.Version == 2 && (parts.Flags & FlagExtendedHeader) != 0))
        return false; // unknown, or an ID3v2.2 tag compressed by a scheme never defined
    const qsizetype size = Id3::SynchData::toUInt(ToTagLib(tag.mid(6, 4)));
    if (tag.size() - TagHeaderLength < size)
        return false;
    // The tag's own bytes, not a copy; a change below makes one.
    QByteArray area = QByteArray::fromRawData(tag.constData() + TagHeaderLength, size);
    QByteArray head = tag.left(TagHeaderLength);
    if (parts.Version <= 3 && (parts.Flags & FlagUnsynchronised) != 0) {
        area = FromTagLib(Id3::SynchData::decode(ToTagLib(area)));
        head[5] = char(parts.Flags & ~FlagUnsynchronised);
    }
    if (parts.Version >= 3 && (parts.Flags & FlagExtendedHeader) != 0) {
        // ID3v2.3 counts the bytes after the size field, ID3v2.4 the whole extended header.
        if (area.size() < 4)
            return false;
        const qint64 length = parts.Version == 3
                                  ? 4 + qint64(ReadBe32(area.constData()))
                                  : qint64(Id3::SynchData::toUInt(ToTagLib(area.left(4))));
        if (length < 4 || length > area.size())
            return false;
        area.remove(0, length);
        head[5] = char(uchar(head[5]) & ~FlagExtendedHeader);
    }
    parts.Area = area;
    const Id3::Header header(ToTagLib(head));
    WalkFrames(parts, header);
    return true;
}

// TagLib renders a frame for the ID3v2 version of its header, which only frame classes may set.
template <class Frame>
class FrameOfVersion : public Frame {
public:
    explicit FrameOfVersion(int version) : Frame(TagLib::String::UTF16) {
        this->header()->setVersion(version >= 4 ? 4 : 3);
    }
};

// The unsynchronisation scheme: a zero after every 0xFF that comes before a byte of the form
// 111xxxxx, before a zero, or at the end.
QByteArray Unsynchronise(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 64);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (uchar(bytes[i]) == 0xFF &&
            (i + 1 == bytes.size() || (uchar(bytes[i + 1]) & 0xE0) == 0xE0 || bytes[i + 1] == 0))
            out += '\0';
    }
    return out;
}

// A frame TagLib rendered for ID3v2.3, made fit for the tag: ID3v2.2 has 3-letter IDs and
// 3-byte sizes; an ID3v2.4 tag marked unsynchronised gets its frames unsynchronised.
QByteArray FitFrame(const QByteArray& rendered, const TagParts& parts, const char* shortId) {
    QByteArray body = rendered.mid(TagHeaderLength);
    if (parts.Version == 2) {
        const quint32 size = quint32(body.size());
        return QByteArray(shortId) + char(size >> 16) + char(size >> 8 & 0xFF) + char(size & 0xFF) +
               body;
    }
    if (parts.Version == 4 && (parts.Flags & FlagUnsynchronised) != 0) {
        body = Unsynchronise(body);
        return rendered.left(4) + FromTagLib(Id3::SynchData::fromUInt(quint32(body.size()))) +
               '\0' + char(FrameFlagUnsynchronised) + body;
    }
    return rendered;
}

QByteArray UnsyncedFrame(const Id3LyricsFrames& frames, const TagParts& parts) {
    FrameOfVersion<Id3::UnsynchronizedLyricsFrame> frame(parts.Version);
    frame.setLanguage(ToTagLib(frames.Language));
    frame.setDescription(TagLib::String());
    frame.setText(ToTagLibString(frames.Unsynced));
    return FitFrame(FromTagLib(frame.render()), parts, "ULT");
}

QByteArray SyncedFrame(const Id3LyricsFrames& frames, const TagParts& parts) {
    FrameOfVersion<Id3::SynchronizedLyricsFrame> frame(parts.Version);
    frame.setLanguage(ToTagLib(frames.Language));
    frame.setDescription(TagLib::String());
    frame.setTimestampFormat(Id3::SynchronizedLyricsFrame::AbsoluteMilliseconds);
    frame.setType(Id3::SynchronizedLyricsFrame::Lyrics);
    Id3::SynchronizedLyricsFrame::SynchedTextList list;
    for (const SyncedLyric& entry : frames.Synced) {
        const qint64 time =
            std::clamp<qint64>(entry.TimeMs, 0, std::numeric_limits<quint32>::max());
        list.append({static_cast<unsigned int>(time), ToTagLibString(entry.Text)});
    }
    frame.setSynchedText(list);
    return FitFrame(FromTagLib(frame.render()), parts, "SLT");
}

// The whole tag around the frames: the old one's bytes when they suffice, else room to grow.
// Bytes that were no frame stay at the very end, behind padding at which every reader stops:
// right after the frames they could read as a frame once padding follows them (a frame size
// that pointed past the old tag's end may not point past the new one's).
bool Assemble(const TagParts& parts, QByteArray frames, qsizetype growth, qsizetype oldLength,
              QByteArray& tag) {
    constexpr qsizetype StopBytes = 4; // a frame ID of zeros ends the frames for every reader
    const QByteArray rest =
        parts.Rest.isEmpty() ? QByteArray() : QByteArray(StopBytes, '\0') + parts.Rest;
    const qsizetype needed = TagHeaderLength + frames.size() + rest.size();
    qsizetype length =
        needed <= oldLength ? oldLength : needed + std::max(MinimumPadding, growth / 2);
    // A tag grows by whole blocks of 4 KB, which file systems insert in front of the audio
    // without moving it.
    if (length > oldLength)
        length = oldLength + (length - oldLength + GrowthStep - 1) / GrowthStep * GrowthStep;
    if (length - TagHeaderLength > MaxTagSize)
        return false;
    uchar flags = parts.Flags & ~(FlagExtendedHeader | FlagFooter);
    if (parts.Version <= 3)
        flags &= ~FlagUnsynchronised;
    tag.clear();
    tag.reserve(length);
    tag.append("ID3").append(char(parts.Version)).append(parts.Revision).append(char(flags));
    tag += FromTagLib(Id3::SynchData::fromUInt(quint32(length - TagHeaderLength)));
    tag += frames;
    tag.append(length - needed, '\0');
    tag += rest;
    return true;
}

bool IsOurs(const TagFrame& frame, FrameKind kind, const QByteArray& language,
            const QString& description) {
    return frame.Kind == kind && frame.Language == language && frame.Description == description;
}

// The n-th frame of a kind, language and description.
const TagFrame* FindFrame(const TagParts& parts, const Id3LyricsFrameRef& ref) {
    const FrameKind kind = ref.Synced ? FrameKind::Synced : FrameKind::Unsynced;
    int index = 0;
    for (const TagFrame& frame : parts.Frames) {
        if (IsOurs(frame, kind, ref.Language, ref.Description) && index++ == ref.Index)
            return &frame;
    }
    return nullptr;
}

Id3LyricsFrameRef RefOf(const TagParts& parts, const TagFrame& chosen) {
    Id3LyricsFrameRef ref{chosen.Kind == FrameKind::Synced, chosen.Language, chosen.Description, 0};
    for (const TagFrame& frame : parts.Frames) {
        if (&frame == &chosen)
            break;
        if (IsOurs(frame, chosen.Kind, chosen.Language, chosen.Description))
            ++ref.Index;
    }
    return ref;
}

// The frame of a kind a reader takes: ours (the language, no description), else for SYLT one of
// content type lyrics, else the first.
const TagFrame* ChooseFrame(const TagParts& parts, FrameKind kind, const QByteArray& language) {
    const TagFrame* chosen = nullptr;
    int chosenRank = 3;
    for (const TagFrame& frame : parts.Frames) {
        if (frame.Kind != kind)
            continue;
        int rank = 2;
        if (IsOurs(frame, kind, language, QString()))
            rank = 0;
        else if (const auto* synced =
                     dynamic_cast<const Id3::SynchronizedLyricsFrame*>(frame.Parsed.get());
                 synced != nullptr && synced->type() == Id3::SynchronizedLyricsFrame::Lyrics)
            rank = 1;
        if (rank < chosenRank) {
            chosen = &frame;
            chosenRank = rank;
        }
    }
    return chosen;
}

} // namespace

bool IsLanguageCode(const QByteArray& language) {
    return language.size() == 3 && std::all_of(language.begin(), language.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

Id3TagEdit PutLyricsFrames(const QByteArray& tag, const Id3LyricsFrames& frames,
                           QByteArray& newTag) {
    TagParts parts;
    if (!IsLanguageCode(frames.Language) || !SplitTag(tag, parts))
        return Id3TagEdit::Unusable;
    QByteArray area;
    if (!frames.Unsynced.isEmpty())
        area += UnsyncedFrame(frames, parts);
    if (!frames.Synced.isEmpty())
        area += SyncedFrame(frames, parts);
    const qsizetype lyricsLength = area.size();
    bool replaces = false;
    for (const TagFrame& frame : parts.Frames) {
        const bool ours = IsOurs(frame, FrameKind::Synced, frames.Language, QString()) ||
                          IsOurs(frame, FrameKind::Unsynced, frames.Language, QString());
        replaces = replaces || ours;
        if (!ours)
            area += parts.Area.mid(frame.Begin, frame.Length);
    }
    if (lyricsLength == 0 && !replaces) {
        newTag = tag; // nothing to put in and nothing to take out
        return Id3TagEdit::Unchanged;
    }
    if (!Assemble(parts, area, lyricsLength, tag.size(), newTag))
        return Id3TagEdit::Unusable;
    return newTag == tag ? Id3TagEdit::Unchanged : Id3TagEdit::Changed;
}

Id3TagEdit RemoveLyricsFrame(const QByteArray& tag, const Id3LyricsFrameRef& ref,
                             QByteArray& newTag) {
    TagParts parts;
    if (tag.isEmpty() || !SplitTag(tag, parts))
        return Id3TagEdit::Unusable;
    const TagFrame* removed = FindFrame(parts, ref);
    if (removed == nullptr) {
        newTag = tag;
        return Id3TagEdit::Unchanged;
    }
    QByteArray area;
    for (const TagFrame& frame : parts.Frames) {
        if (&frame != removed)
            area += parts.Area.mid(frame.Begin, frame.Length);
    }
    if (!Assemble(parts, area, 0, tag.size(), newTag) || newTag.size() != tag.size())
        return Id3TagEdit::Unusable;
    return Id3TagEdit::Changed;
}

FoundId3Lyrics ReadLyricsFrames(const QByteArray& tag, const QByteArray& language) {
    FoundId3Lyrics found;
    TagParts parts;
    if (tag.isEmpty() || !SplitTag(tag, parts))
        return found;
    if (const TagFrame* frame = ChooseFrame(parts, FrameKind::Synced, language)) {
        const auto& synced = static_cast<const Id3::SynchronizedLyricsFrame&>(*frame->Parsed);
        found.HasSynced = true;
        found.SyncedFrame = RefOf(parts, *frame);
        found.TimesInMpegFrames =
            synced.timestampFormat() == Id3::SynchronizedLyricsFrame::AbsoluteMpegFrames;
        for (const auto& entry : synced.synchedText())
            found.Synced.append({Id3FieldText(entry.text, synced.textEncoding()), entry.time});
    }
    if (const TagFrame* frame = ChooseFrame(parts, FrameKind::Unsynced, language)) {
        const auto& text = static_cast<const Id3::UnsynchronizedLyricsFrame&>(*frame->Parsed);
        found.HasUnsynced = true;
        found.UnsyncedFrame = RefOf(parts, *frame);
        found.Unsynced = Id3FieldText(text.text(), text.textEncoding());
    }
    return found;
}

} // namespace tavelkor
