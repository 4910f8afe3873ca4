#include "SongChange.h"

#include "../base/ByteRuns.h"

namespace tavelkor {

namespace {

QByteArray FieldBytes(const AnsiText<250>& field) {
    return UpToNul(QByteArray(field.data(), qsizetype(field.size())));
}

} // namespace

bool LyricsToStore(const QByteArray& argument, QByteArray& text) {
    text = UpToNul(argument);
    text.truncate(EndBeforeFill(text.constData(), text.size(), ' '));
    return text.size() <= Lyrics3FieldMaxBytes && !text.contains('\xFF');
}

QVector<RecordField> RecordTexts(const Lyrics3InfoRecord& info) {
    return {{"ETT", FieldBytes(info.Text1)},
            {"EAR", FieldBytes(info.Text2)},
            {"EAL", FieldBytes(info.Text3)},
            {"AUT", FieldBytes(info.Text4)}};
}

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

bool LyricsChange(AudioFileReader& file, const SongLayout& layout, const QByteArray& block,
                  TailChange& change) {
    if (!layout.Rmp)
        return Mp3Change(file, layout, block, change);
    return RmpChange(file, layout, block.isEmpty() ? block : '\0' + block + '\0', change);
}

bool KeepsItsKind(const QByteArray& start, qint64 newSize) {
    return !ReadMacBinaryStart(start.left(MacBinaryProbeLength), newSize).Present;
}

bool ApplyChange(const QString& path, AudioFileReader& file, const SongLayout& layout,
                 const TailChange& change) {
    QByteArray start = file.Read(0, std::min(change.TailStart, MacBinaryProbeLength));
    for (const BytePatch& patch : change.Patches) {
        for (qsizetype i = 0; i < patch.Bytes.size() && patch.Position + i < start.size(); ++i)
            start[patch.Position + i] = patch.Bytes[i];
    }
    start += change.NewTail.left(MacBinaryProbeLength - start.size());
    if (!KeepsItsKind(start, change.TailStart + change.NewTail.size()))
        return false;
    file.Device().close();
    return ApplyTailChange(path, layout.FileSize, change);
}

} // namespace tavelkor
