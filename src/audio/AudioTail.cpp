#include "AudioTail.h"

#include "Id3Tags.h"

#include <algorithm>

namespace tavelkor {

namespace {

constexpr qint64 ApeFooterLength = 32;
constexpr quint32 ApeHasHeader = 1u << 31;
constexpr quint32 ApeIsHeader = 1u << 29;
// More blocks than this before the ID3v1 tag are not a real file's; the search stops.
constexpr int MaxTailBlocks = 16;

enum class Found { Nothing, Block, Damaged };

// An APE tag ending at `end`: its footer, items and header (when it has one).
Found FindApeTag(AudioFileReader& file, qint64 begin, qint64 end, TailBlock& block) {
    if (end - begin < ApeFooterLength)
        return Found::Nothing;
    const QByteArray footer = file.Read(end - ApeFooterLength, ApeFooterLength);
    if (!footer.startsWith("APETAGEX"))
        return Found::Nothing;
    const qint64 size = ReadLe32(footer.constData() + 12); // items and footer
    const quint32 flags = ReadLe32(footer.constData() + 20);
    const qint64 headerLength = (flags & ApeHasHeader) != 0 ? ApeFooterLength : 0;
    if ((flags & ApeIsHeader) != 0 || size < ApeFooterLength || size + headerLength > end - begin)
        return Found::Damaged;
    block.Kind = TailBlockKind::Ape;
    block.Begin = end - size - headerLength;
    block.End = end;
    if (headerLength != 0 && !file.Read(block.Begin, 8).startsWith("APETAGEX"))
        return Found::Damaged;
    return Found::Block;
}

Found FindLyrics3v2(AudioFileReader& file, qint64 begin, qint64 end, TailBlock& block) {
    const qint64 length =
        Lyrics3v2BlockLength(file.Read(end - Lyrics3v2TrailerLength, Lyrics3v2TrailerLength));
    if (length < 0 || length > end - begin)
        return Found::Damaged;
    block.Kind = TailBlockKind::Lyrics3;
    block.Begin = end - length;
    block.End = end;
    return ParseLyrics3v2(file.Read(block.Begin, length), block.Lyrics) ? Found::Block
                                                                        : Found::Damaged;
}

Found FindLyrics3v1(AudioFileReader& file, qint64 begin, qint64 end, TailBlock& block) {
    const qint64 window = std::min<qint64>(
        end - begin, Lyrics3KeywordLength + Lyrics3v1MaxTextBytes + Lyrics3EndLength);
    const QByteArray bytes = file.Read(end - window, window);
    const qsizetype start = FindLyrics3v1Begin(bytes);
    if (start < 0)
        return Found::Damaged;
    block.Kind = TailBlockKind::Lyrics3;
    block.Begin = end - window + start;
    block.End = end;
    block.Lyrics.Version = 1;
    const qsizetype textLength = bytes.size() - start - Lyrics3KeywordLength - Lyrics3EndLength;
    block.Lyrics.Fields = {{"LYR", bytes.mid(start + Lyrics3KeywordLength, textLength)}};
    return Found::Block;
}

// The block that ends at `end`, if any.
Found FindBlockEndingAt(AudioFileReader& file, qint64 begin, qint64 end, TailBlock& block,
                        bool& appendedId3v2) {
    if (end - begin < Lyrics3EndLength)
        return Found::Nothing;
    const QByteArray last = file.Read(end - Lyrics3EndLength, Lyrics3EndLength);
    if (last == Lyrics3v2End)
        return FindLyrics3v2(file, begin, end, block);
    if (last == Lyrics3v1End)
        return FindLyrics3v1(file, begin, end, block);
    const Found ape = FindApeTag(file, begin, end, block);
    if (ape != Found::Nothing)
        return ape;
    if (end - begin >= 10 && file.Read(end - 10, 3) == "3DI")
        appendedId3v2 = true;
    return Found::Nothing;
}

} // namespace

const TailBlock* AudioTail::LastLyrics() const {
    for (auto block = Blocks.crbegin(); block != Blocks.crend(); ++block) {
        if (block->Kind == TailBlockKind::Lyrics3)
            return &*block;
    }
    return nullptr;
}

AudioTail ReadAudioTail(AudioFileReader& file, qint64 begin, qint64 end) {
    AudioTail tail;
    qint64 position = end;
    if (position - begin >= Id3v1Length &&
        IsId3v1(file.Read(position - Id3v1Length, Id3v1Length))) {
        tail.Blocks.prepend({TailBlockKind::Id3v1, position - Id3v1Length, position, {}});
        position -= Id3v1Length;
        // A TAG+ block ends in its genre and time fields, never in a Lyrics3 trailer or an APE
        // footer: when such a block ends right before the ID3v1 tag, "TAG+" 227 bytes earlier
        // is text or audio that happens to read so, and taking it as a tag would hide the
        // lyrics or cut the APE tag in two.
        const QByteArray trailer = file.Read(position - Lyrics3EndLength, Lyrics3EndLength);
        const bool blockEndsHere = trailer == Lyrics3v2End || trailer == Lyrics3v1End ||
                                   file.Read(position - ApeFooterLength, 8) == "APETAGEX";
        if (!blockEndsHere && position - begin >= TagPlusLength &&
            IsTagPlus(file.Read(position - TagPlusLength, TagPlusLength))) {
            tail.Blocks.prepend({TailBlockKind::TagPlus, position - TagPlusLength, position, {}});
            position -= TagPlusLength;
        }
    }
    for (int count = 0; count < MaxTailBlocks; ++count) {
        TailBlock block;
        const Found found = FindBlockEndingAt(file, begin, position, block, tail.AppendedId3v2);
        if (found == Found::Damaged)
            tail.Damaged = true;
        if (found != Found::Block)
            break;
        tail.Blocks.prepend(block);
        position = block.Begin;
    }
    tail.Start = position;
    return tail;
}

} // namespace tavelkor
