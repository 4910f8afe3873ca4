#include "RiffFile.h"

#include <algorithm>

namespace tavelkor {

namespace {

// More chunks than this are not a real RMP file's; the walk calls the file damaged.
constexpr int MaxChunks = 4096;

struct Walk {
    QVector<RiffChunk> chunks;
    qint64 end = 0; // after the last whole chunk
    bool damaged = false;
};

// The chunks one after another in [from, to): each needs its 8-byte header and its data
// inside; the pad byte of the last one may be missing. Fewer than 8 bytes left end the walk.
Walk WalkChunks(const QByteArray* memory, AudioFileReader* file, qint64 from, qint64 to) {
    Walk walk;
    qint64 position = from;
    while (to - position >= 8) {
        if (walk.chunks.size() >= MaxChunks) {
            walk.damaged = true;
            break;
        }
        const QByteArray header =
            memory != nullptr ? memory->mid(position, 8) : file->Read(position, 8);
        if (header.size() != 8) {
            walk.damaged = true;
            break;
        }
        const RiffChunk chunk{header.left(4), position, ReadLe32(header.constData() + 4)};
        if (chunk.Size > to - chunk.DataOffset()) {
            walk.damaged = true;
            break;
        }
        walk.chunks.append(chunk);
        position = std::min(to, chunk.DataEnd() + (chunk.Size & 1));
    }
    walk.end = position;
    return walk;
}

} // namespace

const InfoItem* RiffLayout::Find(const char* id) const {
    for (const InfoItem& item : InfoItems) {
        if (item.Id == id)
            return &item;
    }
    return nullptr;
}

RiffLayout ReadRiffLayout(AudioFileReader& file, qint64 begin, qint64 end) {
    RiffLayout layout;
    const QByteArray head = end - begin >= 12 ? file.Read(begin, 12) : QByteArray();
    if (!head.startsWith("RIFF"))
        return layout;
    layout.IsRiff = true;
    layout.IsRmp = head.mid(8, 4) == "RMP3";
    layout.RiffEnd = begin + 8 + qint64(ReadLe32(head.constData() + 4));
    if (!layout.IsRmp)
        return layout;
    if (layout.RiffEnd > end) {
        layout.Damaged = true;
        return layout;
    }
    const Walk top = WalkChunks(nullptr, &file, begin + 12, layout.RiffEnd);
    layout.Chunks = top.chunks;
    layout.ChunksEnd = top.end;
    layout.Damaged = top.damaged;
    for (int i = 0; i < layout.Chunks.size(); ++i) {
        const RiffChunk& chunk = layout.Chunks[i];
        if (layout.DataChunk < 0 && chunk.Id == "data")
            layout.DataChunk = i;
        if (layout.InfoList < 0 && chunk.Id == "LIST" && chunk.Size >= 4 &&
            file.Read(chunk.DataOffset(), 4) == "INFO")
            layout.InfoList = i;
    }
    if (layout.Damaged || layout.InfoList < 0)
        return layout;

    const RiffChunk& list = layout.Chunks[layout.InfoList];
    layout.InfoListEnd = std::min(layout.ChunksEnd, list.DataEnd() + (list.Size & 1));
    const QByteArray body = file.Read(list.DataOffset(), list.Size);
    if (body.size() != list.Size) {
        layout.Damaged = true;
        return layout;
    }
    const Walk items = WalkChunks(&body, nullptr, 4, body.size());
    layout.Damaged = items.damaged;
    for (const RiffChunk& item : items.chunks)
        layout.InfoItems.append({item.Id, body.mid(item.DataOffset(), item.Size)});
    return layout;
}

QByteArray BuildInfoList(const QVector<InfoItem>& items) {
    QByteArray body("INFO");
    for (const InfoItem& item : items) {
        body += item.Id;
        AppendLe32(body, quint32(item.Data.size()));
        body += item.Data;
        if (item.Data.size() % 2 != 0)
            body += '\0';
    }
    QByteArray list("LIST");
    AppendLe32(list, quint32(body.size()));
    return list + body;
}

} // namespace tavelkor
