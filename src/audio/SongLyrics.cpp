#include "SongLyrics.h"

#include "../base/ByteRuns.h"
#include "MpegFrames.h"
#include "SongChange.h"
#include "SongRewrite.h"

#include <cmath>

namespace tavelkor {

namespace {

// The song's start with the new tag: in the old tag's bytes, under the same journal as the
// end; when it has grown, in blocks the file system inserts in front of the audio, under that
// journal too; where it cannot, a rewrite of the whole song.
bool ApplyWithTag(const QString& path, AudioFileReader& file, const SongLayout& layout,
                  TailChange change, const QByteArray& oldTag, const QByteArray& tag) {
    const qint64 oldTagLength = oldTag.size();
    if (tag.size() == oldTagLength) {
        // Only the bytes that differ are handed on: mostly a few frames in a tag of padding.
        const auto [begin, end] = DifferingSpan(oldTag.constData(), tag.constData(), tag.size());
        if (begin < end)
            change.Patches.append({layout.TagsBegin + begin, tag.mid(begin, end - begin)});
        return ApplyChange(path, file, layout, change);
    }
    const SongRewrite rewrite{tag, layout.TagsBegin + oldTagLength, change.TailStart,
                              change.NewTail};
    if (!KeepsItsKind(tag,
                      tag.size() + (rewrite.CopyEnd - rewrite.CopyBegin) + rewrite.Tail.size()))
        return false;
    file.Device().close();
    TailChange grown = change;
    grown.FrontInsert = tag.size() - oldTagLength;
    grown.TailStart += grown.FrontInsert;
    grown.Patches = {{layout.TagsBegin, tag}};
    for (const BytePatch& patch : change.Patches)
        grown.Patches.append({patch.Position + grown.FrontInsert, patch.Bytes});
    switch (ApplyGrowingChange(path, layout.FileSize, grown)) {
    case GrowingChange::Applied:
        return true;
    case GrowingChange::Failed:
        return false;
    case GrowingChange::NotInPlace:
        break;
    }
    return RewriteSong(path, layout.FileSize, rewrite);
}

// Whether the ID3v2 tag may be read or changed: an MP3 whose frames were found, not wrapped.
bool TagUsable(const SongLayout& layout) {
    return !layout.Rmp && !Has(layout.Flags, AudioNotMpeg | AudioDamaged | AudioMacBinary) &&
           layout.TagsBegin == 0;
}

} // namespace

bool EmbedSongLyrics(const QString& path, const Lyrics3InfoRecord& info, const QByteArray& lyrics,
                     const Id3LyricsFrames* frames) {
    AudioFileReader file;
    SongLayout layout;
    QByteArray text;
    if (!OpenSong(path, file, layout) ||
        Has(layout.Flags, AudioNotMpeg | AudioDamaged | AudioLyricsNotStorable | AudioMacBinary) ||
        !LyricsToStore(lyrics, text))
        return false;
    const QByteArray block = BuildLyrics3v2(
        NewLyricsFields(info, text, layout.LyricsFound ? layout.Lyrics : Lyrics3Content{}));
    TailChange change;
    if (block.isEmpty() || !LyricsChange(file, layout, block, change))
        return false;
    if (frames == nullptr || layout.Rmp)
        return ApplyChange(path, file, layout, change);
    if (!TagUsable(layout))
        return false;
    const QByteArray oldTag = ReadFrontTag(file, layout);
    QByteArray tag;
    switch (PutLyricsFrames(oldTag, *frames, tag)) {
    case Id3TagEdit::Unusable:
        return false;
    case Id3TagEdit::Unchanged:
        return ApplyChange(path, file, layout, change);
    case Id3TagEdit::Changed:
        break;
    }
    return ApplyWithTag(path, file, layout, change, oldTag, tag);
}

FoundId3Lyrics ReadSongId3Lyrics(const QString& path, const QByteArray& language) {
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || !TagUsable(layout))
        return FoundId3Lyrics{};
    FoundId3Lyrics found = ReadLyricsFrames(ReadFrontTag(file, layout), language);
    if (found.HasSynced && found.TimesInMpegFrames) {
        const QByteArray bytes = file.Read(layout.AudioStart, 4);
        MpegFrameHeader header;
        if (bytes.size() != 4 ||
            !DecodeFrameHeader(reinterpret_cast<const uchar*>(bytes.constData()), header) ||
            header.SamplingRate <= 0) {
            found.HasSynced = false;
            found.Synced.clear();
            return found;
        }
        const double msPerFrame = SamplesPerFrame(header) * 1000.0 / header.SamplingRate;
        for (SyncedLyric& entry : found.Synced)
            entry.TimeMs = qint64(std::llround(double(entry.TimeMs) * msPerFrame));
        found.TimesInMpegFrames = false;
    }
    return found;
}

bool DeleteSongId3Lyrics(const QString& path, const Id3LyricsFrameRef& frame) {
    AudioFileReader file;
    SongLayout layout;
    if (!OpenSong(path, file, layout) || !TagUsable(layout))
        return false;
    QByteArray tag;
    if (RemoveLyricsFrame(ReadFrontTag(file, layout), frame, tag) != Id3TagEdit::Changed)
        return false;
    TailChange change;
    change.TailStart = layout.FileSize;
    change.Patches.append({layout.TagsBegin, tag});
    return ApplyChange(path, file, layout, change);
}

} // namespace tavelkor
