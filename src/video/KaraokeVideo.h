// A karaoke video: the song's sound under a picture of its lyrics, as an MP4 file of H.264
// video (libx264) and the song's MPEG audio as it is, or AAC.
#pragma once

#include "../audio/SongBeside.h"

#include <QString>
#include <atomic>
#include <functional>

namespace tavelkor {

struct KaraokeVideoJob {
    QByteArray AssScript; // the lyrics, an ASS script in UTF-8 (what the ASS mode writes)
    PreviewSong Song;     // where the song's data lies
    QString OutputPath;   // the file to write; made under a temporary name, then renamed
    int Width = 1280;
    int Height = 720;
    int Fps = 30;
    QString BackgroundImage;                              // "" for the colour
    QString BackgroundColour = QStringLiteral("#000000"); // "#RRGGBB"
    QString Preset = QStringLiteral("veryfast");
    int Crf = 20;
    bool Aac = false; // the sound as AAC; else MPEG audio is copied as it is
};

// How far the video has come and whether to stop: `Shown` (may be empty) is called on the
// writing thread with the frames done and their total, at most about every 1/200 of the
// video; a set `Stop` ends the writing before its next frame.
struct KaraokeVideoProgress {
    std::function<void(qint64 done, qint64 total)> Shown;
    const std::atomic<bool>* Stop = nullptr;
};

// Written; stopped; the song, the background image or the lyrics' script could not be read;
// the video could not be made or written.
enum class VideoOutcome { Written, Cancelled, InputUnreadable, Failed };

struct KaraokeVideoResult {
    VideoOutcome Outcome = VideoOutcome::Failed;
    QString Error;          // why it failed, for the user
    bool Replaced = false;  // the video replaced a file of that name
};

// Writes the video: as many frames as the song lasts (its length rounded up to a frame), each
// the background with the lyrics at the frame's time. A frame whose lyrics look as the frame
// before is not drawn again. The file appears under its name only when it is whole: a failed
// or stopped video leaves nothing behind.
KaraokeVideoResult WriteKaraokeVideo(const KaraokeVideoJob& job,
                                     const KaraokeVideoProgress& progress = {});

} // namespace tavelkor
