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
#include "MpegFrames.h"
#include "SongChange.h"
#include "SongLyrics.h"

#include <cstring>

namespace tavelkor {

namespace {

template <std::size_t N>
void SetField(AnsiText<N>& field, const QByteArray& text) {
    field.fill(0);
    const QByteArray bytes = Cp932Prefix(UpToNul(text), qsizetype(N));
    std::memcpy(field.data(), bytes.constData(), size_t(bytes.size()));
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
    return EmbedSongLyrics(path, info, lyrics, nullptr) ? 1 : 0;
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
    return LyricsChange(file, layout, QByteArray(), change) &&
                   ApplyChange(path, file, layout, change)
               ? 1
               : 0;
}

} // namespace tavelkor
