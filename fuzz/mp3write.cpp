// The MP3 library's changing paths on arbitrary file contents: embedding lyrics, deleting them
// and stripping a MacBinary header. A change that reports failure must leave the file byte for
// byte as it was; embedded lyrics must read back as given, and deleted ones must be gone.
#include "TestFiles.h"
#include "audio/Vbmp3.h"

#include <QDir>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A memory file system where there is one: every change is flushed to disk.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/tavelkor-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/tavelkor-fuzz-XXXXXX"));
    const QString path = folder.filePath(QStringLiteral("song.mp3"));
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
