// Mode 13: karaoke videos. Each lyrics file with its song beside it becomes an MP4 of the song
// under the lyrics as the ASS mode writes them.
#pragma once

#include "../app/ModeInfo.h"
#include "../app/ResultCodes.h"
#include "../video/KaraokeVideo.h"

namespace tavelkor {

struct Settings;

// What a video of one lyrics file needs, or why there is none: a file no reader takes
// (NotTargetFile, also when it has no timed line), one that cannot be read (OpenError), one
// without a song beside it (NoAudioFile; the note names the names looked for) or with a song
// that cannot be read (OpenError). The lyrics are read as the TimeTag-to-captions mode reads
// TimeTag, as LRC, or as the caption-to-TimeTag mode reads ASS, TTML, WebVTT and SRT. The
// background is the image @BgFile names (in @BgFolder, else beside the lyrics; relative
// folders from the lyrics' folder), else T2V/Background, else T2V/BackgroundColour; a named
// image that is not there is passed over with a note. A `songPath` given is the song instead of
// the one beside the lyrics.
struct VideoPlan {
    ResultCode Code = Converted;
    QString Note;
    KaraokeVideoJob Job; // its OutputPath is left empty
    DecodedText Source;  // the lyrics' encoding, for the report
    bool HasSource = false;
};
VideoPlan PlanKaraokeVideo(const QString& lyricsPath, const Settings& settings,
                           const QString& songPath = QString());

// The file types the mode takes: TimeTag, LRC and the caption formats.
QStringList VideoSourceExtensions();

// Writes NAME.mp4 beside each file or into the output folder (overwriting as Init/OverWrite
// says), one file after the other; the frames of the file being made are shown as its part of
// the progress, and a stop asked for ends it at once (07, nothing left behind).
void TimeTagToVideo(const ModeInfo& mode, BatchState& state, Settings& settings,
                    RunQuestions& questions);

} // namespace tavelkor
