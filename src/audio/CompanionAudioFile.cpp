#include "CompanionAudioFile.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"

namespace tavelkor {

QString CompanionAudioFile(const QString& lyricsPath) {
    const QString stem = FolderOf(lyricsPath) + BaseNameOf(lyricsPath);
    for (const QString& extension : {QStringLiteral(".mp3"), QStringLiteral(".rmp")}) {
        if (FileExists(stem + extension))
            return stem + extension;
    }
    return QString();
}

} // namespace tavelkor
