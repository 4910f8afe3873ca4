#include "SongLayout.h"

#include "../base/TextFile.h"
#include "MpegFrames.h"
#include "SongRewrite.h"
#include "TailRewrite.h"

#include <algorithm>

namespace tavelkor {

namespace {

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

} // namespace

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

bool OpenSong(const QString& path, AudioFileReader& file, SongLayout& layout) {
    if (!FileExists(path) || !RecoverInterruptedChange(path) || !DropUnfinishedRewrite(path) ||
        !file.Open(path))
        return false;
    layout = Examine(file);
    return true;
}

QByteArray ReadFrontTag(AudioFileReader& file, const SongLayout& layout) {
    const qint64 length = Id3v2TagLength(file.Read(layout.TagsBegin, 10));
    if (length <= 0 || length > layout.End - layout.TagsBegin)
        return QByteArray();
    return file.Read(layout.TagsBegin, length);
}

SongTags ReadFrontTags(AudioFileReader& file, const SongLayout& layout) {
    SongTags tags;
    const QByteArray tag = ReadFrontTag(file, layout);
    if (!tag.isEmpty())
        ReadId3v2Tags(tag, tags);
    return tags;
}

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

} // namespace tavelkor
