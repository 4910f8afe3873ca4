// The MP3 library's changing paths on arbitrary file contents: embedding lyrics (the Lyrics3
// block alone, and with the ID3v2 lyrics frames), reading them, deleting them and stripping a
// MacBinary header. A change that reports failure must leave the file byte for byte as it was
// and nothing beside it; embedded lyrics must read back as given, the audio after the ID3v2
// tag must stay as it was, and deleted lyrics must be gone.
#include "TestFiles.h"
#include "audio/SongLyrics.h"
#include "audio/Vbmp3.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

using namespace tavelkor;
using tavelkor::test::ReadBytes;

namespace {

// Stops the run with the broken property named.
void Check(bool condition, const char* property) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

bool OnlyTheSong(const QString& path) {
    return QDir(QFileInfo(path).path())
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
               .size() == 1;
}

// The lyrics frames: as many entries as the input's size says (so that some fit in the tag's
// padding and some do not), in and out again.
void CheckId3Lyrics(const QString& path, size_t size) {
    const QByteArray before = ReadBytes(path);
    const FoundId3Lyrics old = ReadSongId3Lyrics(path, "jpn");
    if (old.HasSynced && !DeleteSongId3Lyrics(path, old.SyncedFrame))
        Check(ReadBytes(path) == before, "a failed frame deletion leaves the file as it was");

    Id3LyricsFrames frames{"jpn", QStringLiteral("lyrics\nline 2"), {}};
    for (size_t i = 0; i < size % 97; ++i)
        frames.Synced.append({QString::number(i) + (i % 5 == 0 ? QStringLiteral("\n") : QString()),
                              qint64(i) * 250});
    const QByteArray start = ReadBytes(path);
    TagInfoRecord tags;
    MpegInfoRecord mpegBefore, mpegAfter;
    const short infoBefore = vbmp3_getFileInfo(path, tags, mpegBefore);
    Lyrics3InfoRecord info;
    info.Indication1 = info.Indication2 = '1';
    QByteArray buffer("[00:01:00]x");
    buffer.append(LyricsBufferBytes - buffer.size(), ' ');
    if (!EmbedSongLyrics(path, info, buffer, &frames)) {
        Check(ReadBytes(path) == start, "a failed embedding with frames leaves the file as it was");
        Check(OnlyTheSong(path), "a failed embedding leaves no file behind");
        return;
    }
    Check(OnlyTheSong(path), "an embedding leaves no file behind");
    const QByteArray after = ReadBytes(path);
    const FoundId3Lyrics found = ReadSongId3Lyrics(path, "jpn");
    if ((vbmp3_getFileType(path) & AudioRmp) != 0) {
        Check(!found.HasSynced && !found.HasUnsynced, "an RMP file gets no ID3v2 frames");
        return;
    }
    const auto ours = [](const Id3LyricsFrameRef& frame) {
        return frame.Language == "jpn" && frame.Description.isEmpty();
    };
    Check(found.HasUnsynced && ours(found.UnsyncedFrame) && found.Unsynced == frames.Unsynced,
          "the USLT text reads back");
    Check((found.HasSynced && ours(found.SyncedFrame)) == !frames.Synced.isEmpty(),
          "a SYLT frame is there when given");
    if (!frames.Synced.isEmpty())
        Check(found.Synced == frames.Synced, "the SYLT entries read back");
    Check(vbmp3_getFileInfo(path, tags, mpegAfter) == infoBefore &&
              mpegAfter.Values == mpegBefore.Values,
          "the audio is found as before");
    if (!frames.Synced.isEmpty()) {
        Check(DeleteSongId3Lyrics(path, found.SyncedFrame), "our SYLT frame can be deleted");
        const FoundId3Lyrics left = ReadSongId3Lyrics(path, "jpn");
        Check(!left.HasSynced || !ours(left.SyncedFrame), "a deleted SYLT frame is gone");
        Check(ReadBytes(path).size() == after.size(), "deleting a frame keeps the tag's size");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Half of the songs on a memory file system where there is one, which inserts no blocks in
    // front of the audio (a tag that grows rewrites the song), half in the temporary folder,
    // whose file system may (the song grows in place).
    static QTemporaryDir memory(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/tavelkor-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/tavelkor-fuzz-XXXXXX"));
    static QTemporaryDir disk(QDir::tempPath() + QStringLiteral("/tavelkor-fuzz-XXXXXX"));
    const QString path = (size % 2 == 0 ? memory : disk).filePath(QStringLiteral("song.mp3"));
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    Check(tavelkor::test::WriteBytes(path, input), "the song can be written");

    if (vbmp3_cutMacBinary(path) == 0)
        Check(ReadBytes(path) == input, "a failed MacBinary strip leaves the file as it was");
    const QByteArray before = ReadBytes(path);

    // "[00:01:00]歌詞" in CP932, filled up with blanks as the program passes it.
    const QByteArray lyrics("[00:01:00]\x89\xcc\x8e\x8c");
    QByteArray buffer = lyrics;
    buffer.append(LyricsBufferBytes - buffer.size(), ' ');
    const QByteArray empty(LyricsBufferBytes, '\0');
    Lyrics3InfoRecord info;
    info.Indication1 = info.Indication2 = '1';
    if (vbmp3_setFileLyrics3InfoVB(path, info, buffer, empty, empty) == 0) {
        Check(ReadBytes(path) == before, "a failed embedding leaves the file as it was");
    } else {
        Lyrics3InfoRecord readInfo;
        QByteArray readLyrics, second, third;
        Check(vbmp3_getFileLyrics3InfoVB(path, readInfo, readLyrics, second, third) != 0,
              "embedded lyrics can be read");
        // The buffer holds the lyrics up to a NUL.
        Check(QByteArray(readLyrics.constData()) == lyrics, "embedded lyrics read back as given");
    }

    CheckId3Lyrics(path, size);

    const QByteArray beforeDelete = ReadBytes(path);
    if (vbmp3_delFileLyrics3Info(path) == 0) {
        Check(ReadBytes(path) == beforeDelete, "a failed deletion leaves the file as it was");
    } else {
        const AudioFileFlags flags = vbmp3_getFileType(path);
        Check(flags == AudioFileUnreadable || (flags & AudioHasLyrics) == 0,
              "deleted lyrics are gone");
    }
    return 0;
}
