// 「動画に書き出す…」 of the timing editor and the preview: the open lyrics file as a karaoke
// video, as the karaoke video mode makes it.
#pragma once

#include <QString>

class QWidget;

namespace tavelkor {

struct Settings;

// Asks where to write the video (NAME.mp4 beside the lyrics at first), makes it on a worker
// thread under a progress dialog whose 「中止」 (or Esc) stops it with nothing left behind, and
// tells the outcome in a message box. `songPath`, when given, is the song (the one the editor
// plays); otherwise the one beside the lyrics. A file the video cannot be made of is told at once.
void ExportKaraokeVideo(QWidget* owner, const QString& lyricsPath, const QString& songPath,
                        const Settings& settings);

} // namespace tavelkor
