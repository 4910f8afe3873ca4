// The MP3 library: what kind of file a song is, its song information, and the lyrics embedded
// in it.
//
// Where the lyrics go:
// - MP3: a Lyrics3 v2.00 block (IND, LYR and any other fields of the block it replaces) after
//   the frames and any APE tag, before any TAG+ block and the ID3v1 tag. A file without an
//   ID3v1 tag gets one (title, artist, album and year from its ID3v2 tag), because the Lyrics3
//   format places the block in front of that tag and players of the format look for it there.
// - RMP: an ILYC sub-chunk of the LIST/INFO chunk holding a NUL, the same Lyrics3 block and a
//   NUL. The leading NUL shows INFO readers that take ILYC as a string an empty text instead
//   of the block. ILYC goes before the IID3 sub-chunk, which stays last; a file without a
//   LIST/INFO chunk gets one after its last chunk. Plain-text ILYC lyrics are read as well.
#include "Vbmp3.h"

#include "../base/Cp932Bytes.h"
#include "../base/SafeFileWrite.h"
#include "../base/TextFile.h"
#include "AudioFileReader.h"
#include "AudioTail.h"
#include "Id3Tags.h"
#include "Lyrics3Block.h"
#include "MacBinary.h"
#include "MpegFrames.h"
#include "RiffFile.h"
#include "TailRewrite.h"

#include <algorithm>
#include <cstring>

namespace tavelkor {

namespace {

// What the examination of a file found.
struct SongLayout {
    AudioFileFlags Flags = 0;
    qint64 FileSize = 0;
    MacBinaryLayout MacBinary;
    qint64 Begin = 0; // the song: the whole file, or the data fork of a MacBinary file
    qint64 End = 0;
    bool Rmp = false;
    RiffLayout Riff;
    AudioTail Tail;         // the blocks after the frames of an MP3 file
    qint64 TagsBegin = 0;   // where an ID3v2 tag may start: the song or its "data" chunk
    qint64 AudioStart = -1; // the first MPEG frame
    qint64 AudioEnd = 0;    // the end of the frames: the tail, or the end of the "data" chunk
    bool LyricsFound = false;
    Lyrics3Content Lyrics; // plain ILYC text comes as one LYR field of version 0
};

constexpr char IlycId[] = "ILYC";

bool Has(AudioFileFlags flags, AudioFileFlags bits) { return (flags & bits) != 0; }

QByteArray UpToNul(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

template <std::size_t N>
QByteArray FieldBytes(const AnsiText<N>& field) {
    return UpToNul(QByteArray(field.data(), qsizetype(N)));
}

template <std::size_t N>
void SetField(AnsiText<N>& field, const QByteArray& text) {
    field.fill(0);
    const QByteArray bytes = Cp932Prefix(UpToNul(text), qsizetype(N));
    std::memcpy(field.data(), bytes.constData(), size_t(bytes.size()));
}

// The lyrics of ILYC data: a Lyrics3 block (after an optional NUL), or else the text up to
// its first NUL. False when a Lyrics3 block is there but cannot be read.
bool ReadIlyc(const QByteArray& data, SongLayout& layout) {
    QByteArray bytes = data;
    if (bytes.startsWith('\0') && bytes.mid(1).startsWith(Lyrics3Begin))
        bytes.remove(0, 1);
    if (!bytes.startsWith(Lyrics3Begin)) {
        const QByteArray text = UpToNul(bytes);
        layout.LyricsFound = !text.isEmpty();
        layout.Lyrics = {0, {{"LYR", text}}};
        return true;
    }
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    if (bytes.endsWith(Lyrics3v1End)) {
        const qsizetype length = bytes.size() - Lyrics3KeywordLength - Lyrics3EndLength;
        if (length < 0)
            return false;
        layout.Lyrics = {1, {{"LYR", bytes.mid(Lyrics3KeywordLength, length)}}};
    } else if (!ParseLyrics3v2(bytes, layout.Lyrics)) {
        return false;
    }
    layout.LyricsFound = true;
    return true;
}

void ExamineRmp(AudioFileReader& file, SongLayout& layout) {
    layout.Riff = ReadRiffLayout(file, layout.Begin, layout.End);
    if (!layout.Riff.IsRmp) {
        layout.Flags |= AudioNotMpeg;
        return;
    }
    layout.Rmp = true;
    layout.Flags |= AudioRmp;
    if (layout.Riff.Damaged) {
        layout.Flags |= AudioDamaged;
        return;
    }
    if (layout.Riff.DataChunk < 0) {
        layout.Flags |= AudioNotMpeg;
        return;
    }
    const RiffChunk& data = layout.Riff.Chunks[layout.Riff.DataChunk];
    layout.TagsBegin = data.DataOffset();
    layout.AudioEnd = data.DataEnd();
    if (const InfoItem* lyrics = layout.Riff.Find(IlycId);
        lyrics && !ReadIlyc(lyrics->Data, layout))
        layout.Flags |= AudioDamaged;
}

void ExamineMp3(AudioFileReader& file, SongLayout& layout) {
    layout.Tail = ReadAudioTail(file, layout.Begin, layout.End);
    if (layout.Tail.Damaged)
        layout.Flags |= AudioDamaged;
    if (layout.Tail.AppendedId3v2)
        layout.Flags |= AudioLyricsNotStorable;
    layout.TagsBegin = layout.Begin;
    layout.AudioEnd = layout.Tail.Start;
    if (const TailBlock* block = layout.Tail.LastLyrics()) {
        layout.LyricsFound = true;
        layout.Lyrics = block->Lyrics;
    }
}

// The first frame must follow any ID3v2 tag and end before the audio does.
void FindFirstFrame(AudioFileReader& file, SongLayout& layout) {
    const qint64 tagLength = Id3v2TagLength(file.Read(layout.TagsBegin, 10));
    if (tagLength > layout.AudioEnd - layout.TagsBegin) {
        layout.Flags |= AudioDamaged;
        return;
    }
    layout.AudioStart = FindAudioStart(file.Device(), layout.TagsBegin, layout.AudioEnd);
    MpegFrameHeader header;
    const QByteArray bytes = file.Read(layout.AudioStart, 4);
    if (layout.AudioStart < 0 || bytes.size() != 4 ||
        !DecodeFrameHeader(reinterpret_cast<const uchar*>(bytes.constData()), header)) {
        layout.AudioStart = -1;
        layout.Flags |= AudioNotMpeg;
    } else if (header.FrameLength > layout.AudioEnd - layout.AudioStart) {
        layout.Flags |= AudioDamaged; // the first frame is cut short
    }
}

SongLayout Examine(AudioFileReader& file) {
    SongLayout layout;
    layout.FileSize = file.Size();
    layout.End = layout.FileSize;
    layout.MacBinary = ReadMacBinary(file);
    if (layout.MacBinary.Present) {
        layout.Flags |= AudioMacBinary;
        if (layout.MacBinary.Damaged) {
            layout.Flags |= AudioDamaged;
            return layout;
        }
        layout.Begin = layout.MacBinary.DataForkOffset;
        layout.End = layout.Begin + layout.MacBinary.DataForkLength;
    }
    if (file.Read(layout.Begin, std::min<qint64>(4, layout.End - layout.Begin)) == "RIFF")
        ExamineRmp(file, layout);
    else
        ExamineMp3(file, layout);
    if (!Has(layout.Flags, AudioNotMpeg | AudioDamaged))
        FindFirstFrame(file, layout);
    if (layout.LyricsFound && !Has(layout.Flags, AudioNotMpeg | AudioDamaged))
        layout.Flags |= AudioHasLyrics;
    return layout;
}

// Opens the file for reading and examines it, after putting back a change to it that was
// cut short. False when the file cannot be examined at all.
bool OpenSong(const QString& path, AudioFileReader& file, SongLayout& layout) {
    if (!FileExists(path) || !RecoverInterruptedChange(path) || !file.Open(path))
        return false;
    layout = Examine(file);
    return true;
}

// The tags of the ID3v2 tag in front of the audio, if there is a readable one.
SongTags ReadFrontTags(AudioFileReader& file, const SongLayout& layout) {
    SongTags tags;
    const qint64 length = Id3v2TagLength(file.Read(layout.TagsBegin, 10));
    if (length > 0 && length <= layout.End - layout.TagsBegin)
        ReadId3v2Tags(file.Read(layout.TagsBegin, length), tags);
    return tags;
}

// The ID3v1 tag (with TAG+) at the end of an MP3, or the IID3 copy of an RMP file.
SongTags ReadEndTags(AudioFileReader& file, const SongLayout& layout) {
    if (layout.Rmp) {
        const InfoItem* copy = layout.Riff.Find("IID3");
        return copy != nullptr ? ReadId3v1(copy->Data.left(Id3v1Length)) : SongTags{};
    }
    QByteArray tag, tagPlus;
    for (const TailBlock& block : layout.Tail.Blocks) {
        if (block.Kind == TailBlockKind::Id3v1)
            tag = file.Read(block.Begin, Id3v1Length);
        else if (block.Kind == TailBlockKind::TagPlus)
            tagPlus = file.Read(block.Begin, TagPlusLength);
    }
    return ReadId3v1(tag, tagPlus);
}

// The stored lyrics: the 60000-byte argument up to its first NUL, without the blanks that
// fill it up. False when they cannot be stored in a Lyrics3 field (more than 99999 bytes, or
// a 0xFF byte, which the format does not allow and CP932 text never holds).
bool LyricsToStore(const QByteArray& argument, QByteArray& text) {
    text = UpToNul(argument);
    while (text.endsWith(' '))
        text.chop(1);
    return text.size() <= Lyrics3FieldMaxBytes && !text.contains('\xFF');
}

// The record's four texts are the extended title, artist and album and the author.
struct RecordField {
    const char* id;
    QByteArray text;
};

QVector<RecordField> RecordTexts(const Lyrics3InfoRecord& info) {
    return {{"ETT", FieldBytes(info.Text1)},
            {"EAR", FieldBytes(info.Text2)},
            {"EAL", FieldBytes(info.Text3)},
            {"AUT", FieldBytes(info.Text4)}};
}

// IND and LYR first, then the record's non-empty texts, then the other fields of the block
// being replaced.
QVector<Lyrics3Field> NewLyricsFields(const Lyrics3InfoRecord& info, const QByteArray& text,
                                      const Lyrics3Content& old) {
    QByteArray indications;
    indications += info.Indication1 == '1' ? '1' : '0';
    indications += info.Indication2 == '1' ? '1' : '0';
    const Lyrics3Field* oldIndications = old.Find("IND");
    if (oldIndications != nullptr && oldIndications->Data.size() >= 3)
        indications += oldIndications->Data[2]; // "exclude from random play"
    QVector<Lyrics3Field> fields{{"IND", indications}, {"LYR", text}};
    QVector<QByteArray> replaced{"IND", "LYR"};
    for (const RecordField& field : RecordTexts(info)) {
        if (!field.text.isEmpty()) {
            fields.append({field.id, field.text});
            replaced.append(field.id);
        }
    }
    if (old.Version == 2) {
        for (const Lyrics3Field& field : old.Fields) {
            if (!replaced.contains(field.Id))
                fields.append(field);
        }
    }
    return fields;
}

// The new end of an MP3 file: APE tags, the lyrics block (none to delete), TAG+, ID3v1.
bool Mp3Change(AudioFileReader& file, const SongLayout& layout, const QByteArray& lyricsBlock,
               TailChange& change) {
    const QByteArray old = file.Read(layout.Tail.Start, layout.End - layout.Tail.Start);
    if (old.size() != layout.End - layout.Tail.Start)
        return false;
    QByteArray front, back;
    bool hasId3v1 = false;
    for (const TailBlock& block : layout.Tail.Blocks) {
        const QByteArray bytes = old.mid(block.Begin - layout.Tail.Start, block.End - block.Begin);
        if (block.Kind == TailBlockKind::Ape)
            front += bytes;
        else if (block.Kind != TailBlockKind::Lyrics3)
            back += bytes;
        hasId3v1 = hasId3v1 || block.Kind == TailBlockKind::Id3v1;
    }
    if (!lyricsBlock.isEmpty() && !hasId3v1)
        back += BuildId3v1(ReadFrontTags(file, layout));
    change.TailStart = layout.Tail.Start;
    change.NewTail = front + lyricsBlock + back;
    return true;
}

// The new LIST/INFO chunk of an RMP file with the ILYC data (none to delete), the chunks
// after it unchanged, and the RIFF size updated.
bool RmpChange(AudioFileReader& file, const SongLayout& layout, const QByteArray& ilyc,
               TailChange& change) {
    const RiffLayout& riff = layout.Riff;
    QVector<InfoItem> items;
    for (const InfoItem& item : riff.InfoItems) {
        if (item.Id != IlycId)
            items.append(item);
    }
    if (!ilyc.isEmpty()) {
        const bool copyLast = !items.isEmpty() && items.last().Id == "IID3";
        items.insert(copyLast ? items.size() - 1 : items.size(), {IlycId, ilyc});
    }
    QByteArray list = BuildInfoList(items);
    const qint64 listBegin =
        riff.InfoList >= 0 ? riff.Chunks[riff.InfoList].Offset : riff.ChunksEnd;
    // A new LIST after a last chunk of odd length whose pad byte is missing gets that pad
    // byte first: chunks start at even offsets, or no RIFF reader finds them.
    if (riff.InfoList < 0 && (listBegin - layout.Begin) % 2 != 0)
        list.prepend('\0');
    const qint64 listEnd = riff.InfoList >= 0 ? riff.InfoListEnd : riff.ChunksEnd;
    const QByteArray rest = file.Read(listEnd, layout.End - listEnd);
    const qint64 riffSize = riff.RiffEnd - layout.Begin - 8 + list.size() - (listEnd - listBegin);
    if (rest.size() != layout.End - listEnd || riffSize < 0 || riffSize > 0xFFFFFFFFll)
        return false;
    QByteArray size(4, '\0');
    WriteLe32(size.data(), quint32(riffSize));
    change.TailStart = listBegin;
    change.NewTail = list + rest;
    change.Patches = {{layout.Begin + 4, size}};
    return true;
}

// A change must not make the song read as something else at its new size: a song that starts
// with bytes that look like an unsigned MacBinary header would turn into a wrapper whose size
// happens to match, and its lyrics and audio would no longer be found.
bool KeepsItsKind(AudioFileReader& file, const TailChange& change) {
    QByteArray start = file.Read(0, std::min(change.TailStart, MacBinaryProbeLength));
    start += change.NewTail.left(MacBinaryProbeLength - start.size());
    return !ReadMacBinaryStart(start, change.TailStart + change.NewTail.size()).Present;
}

// Applies a change to the song examined in `file` (closed first, as the change reopens it).
short ApplyChange(const QString& path, AudioFileReader& file, const SongLayout& layout,
                  const TailChange& change) {
    if (!KeepsItsKind(file, change))
        return 0;
    file.Device().close();
    return ApplyTailChange(path, layout.FileSize, change) ? 1 : 0;
}

} // namespace

int MpegInfoRecord::SamplesPerFrame() const {
    if (Layer() == 0)
        return 1152;
    MpegFrameHeader header;
    header.Version = Version();
    header.Layer = Layer();
    return tavelkor::SamplesPerFrame(header);
}

AudioFileFlags vbmp3_getFileType(const QString& path) {
    AudioFileReader file;
    SongLayout layout;
    return OpenSong(path, file, layout) ? layout.Flags : AudioFileUnreadable;
}

short vbmp3_cutMacBinary(const QString& path) {
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || !layout.MacBinary.Present || layout.MacBinary.Damaged)
        return 0;
    QByteArray dataFork;
    if (!file.ReadAt(layout.MacBinary.DataForkOffset, layout.MacBinary.DataForkLength, dataFork))
        return 0;
    file.Device().close();
    return ReplaceFileContents(path, dataFork) == WriteOutcome::Written ? 1 : 0;
}

short vbmp3_getFileInfo(const QString& path, TagInfoRecord& tags, MpegInfoRecord& mpeg) {
    InfoListRecord infoList;
    return vbmp3_getFileInfo2(path, tags, mpeg, infoList);
}

short vbmp3_getFileInfo2(const QString& path, TagInfoRecord& tags, MpegInfoRecord& mpeg,
                         InfoListRecord& infoList) {
    tags = TagInfoRecord{};
    tags.Genre = Id3v1NoGenre;
    mpeg = MpegInfoRecord{};
    infoList = InfoListRecord{};
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || (layout.MacBinary.Present && layout.MacBinary.Damaged))
        return 0;

    SongTags song = ReadFrontTags(file, layout);
    if (!song.Found)
        song = ReadEndTags(file, layout);
    SetField(tags.Title, song.Title);
    SetField(tags.Artist, song.Artist);
    SetField(tags.Album, song.Album);
    SetField(tags.Year, song.Year);
    SetField(tags.Comment, song.Comment);
    SetField(tags.GenreText, song.GenreText);
    tags.Genre = song.Genre;

    if (layout.Rmp) {
        static const char* const ids[14] = {"INAM", "IART", "IPRD", "ICMT", "ICRD", "IGNR", "ICOP",
                                            "IENG", "ISRC", "ISFT", "IKEY", "ITCH", "IMED", "ISBJ"};
        for (int i = 0; i < 14; ++i) {
            if (const InfoItem* item = layout.Riff.Find(ids[i]))
                SetField(infoList.Texts[size_t(i)], item->Data);
        }
    }
    if (layout.AudioStart < 0 || Has(layout.Flags, AudioDamaged))
        return 0;
    return ReadMpegInfo(file.Device(), layout.AudioStart, mpeg, layout.AudioEnd) ? 1 : 0;
}

short vbmp3_setFileLyrics3InfoVB(const QString& path, const Lyrics3InfoRecord& info,
                                 const QByteArray& lyrics, const QByteArray& buffer2,
                                 const QByteArray& buffer3) {
    Q_UNUSED(buffer2);
    Q_UNUSED(buffer3);
    AudioFileReader file;
    SongLayout layout;
    QByteArray text;
    if (!OpenSong(path, file, layout) ||
        Has(layout.Flags, AudioNotMpeg | AudioDamaged | AudioLyricsNotStorable | AudioMacBinary) ||
        !LyricsToStore(lyrics, text))
        return 0;
    const QByteArray block = BuildLyrics3v2(
        NewLyricsFields(info, text, layout.LyricsFound ? layout.Lyrics : Lyrics3Content{}));
    TailChange change;
    if (block.isEmpty() || !(layout.Rmp ? RmpChange(file, layout, '\0' + block + '\0', change)
                                        : Mp3Change(file, layout, block, change)))
        return 0;
    return ApplyChange(path, file, layout, change);
}

short vbmp3_getFileLyrics3InfoVB(const QString& path, Lyrics3InfoRecord& info, QByteArray& lyrics,
                                 QByteArray& buffer2, QByteArray& buffer3) {
    info = Lyrics3InfoRecord{};
    for (QByteArray* buffer : {&lyrics, &buffer2, &buffer3})
        *buffer = QByteArray(LyricsBufferBytes, '\0');
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || !Has(layout.Flags, AudioHasLyrics))
        return 0;
    const Lyrics3Field* field = layout.Lyrics.Find("LYR");
    const QByteArray text =
        Cp932Prefix(UpToNul(field != nullptr ? field->Data : QByteArray()), LyricsBufferBytes);
    lyrics.replace(0, text.size(), text);
    if (const Lyrics3Field* indications = layout.Lyrics.Find("IND")) {
        const QByteArray& flags = indications->Data;
        info.Indication1 = flags.size() > 0 ? flags[0] : '\0';
        info.Indication2 = flags.size() > 1 ? flags[1] : '\0';
    }
    AnsiText<250>* texts[4] = {&info.Text1, &info.Text2, &info.Text3, &info.Text4};
    const QVector<RecordField> ids = RecordTexts(info);
    for (int i = 0; i < 4; ++i) {
        if (const Lyrics3Field* extended = layout.Lyrics.Find(ids[i].id))
            SetField(*texts[i], extended->Data);
    }
    return 1;
}

short vbmp3_delFileLyrics3Info(const QString& path) {
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || Has(layout.Flags, AudioDamaged | AudioMacBinary) ||
        !Has(layout.Flags, AudioHasLyrics))
        return 0;
    TailChange change;
    if (!(layout.Rmp ? RmpChange(file, layout, QByteArray(), change)
                     : Mp3Change(file, layout, QByteArray(), change)))
        return 0;
    return ApplyChange(path, file, layout, change);
}

} // namespace tavelkor
