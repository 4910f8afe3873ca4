// The song that belongs to a lyrics file: the audio file of the same base name beside it.
#pragma once

#include <QString>

namespace tavelkor {

// FolderOf(lyrics) + BaseNameOf(lyrics) + ".mp3" when that file exists, else the same with
// ".rmp" when that exists, else "".
QString CompanionAudioFile(const QString& lyricsPath);

} // namespace tavelkor
