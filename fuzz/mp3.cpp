// The MP3 library's reading paths on arbitrary file contents: file kind, song information,
// embedded lyrics and the silence scan. The file is written once per input and only read.
#include "TestFiles.h"
#include "audio/LeadingSilence.h"
#include "audio/Vbmp3.h"

#include <QTemporaryDir>

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("song.mp3"));
    if (!test::WriteBytes(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    vbmp3_getFileType(path);
    TagInfoRecord tags;
    MpegInfoRecord mpeg;
    InfoListRecord info;
    vbmp3_getFileInfo2(path, tags, mpeg, info);
    Lyrics3InfoRecord record;
    QByteArray lyrics, second, third;
    vbmp3_getFileLyrics3InfoVB(path, record, lyrics, second, third);
    CountLeadingSilentFrames(path, 5);
    return 0;
}
