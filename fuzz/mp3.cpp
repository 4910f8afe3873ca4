// The MP3 library's reading paths on arbitrary file contents: file kind, song information,
// embedded lyrics and the silence scan. The file is written once per input and only read.
#include "audio/LeadingSilence.h"
#include "audio/Vbmp3.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("song.mp3"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
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
