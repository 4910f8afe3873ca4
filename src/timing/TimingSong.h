// The song the timing editor plays (found beside the lyrics by FindPreviewSong, as the preview
// finds it): its names, its decoding; and the clock used where there is none.
#pragma once

#include "../preview/PreviewDocument.h"
#include "SongPlayer.h"

namespace tavelkor {

// Title, artist and album the song's tags give: for MP3 and RMP as the TimeTag mode reads them
// (the RIFF texts, else the ID3 tags, CP932 where they are not Unicode), for the other formats
// as FFmpeg reads their tags. Only header fields that are still empty are filled.
void TakeSongNames(LyricsHeader& header, const PreviewSong& song);

// Decodes the song (at `song.Offset`, `song.Length`) for a player.
std::shared_ptr<const DecodedSong> DecodeTimingSong(const PreviewSong& song);

// A clock without sound: it can be played and sought (to look at lyrics), but it is not
// audible, so nothing can be tapped to it.
class SilentTimingClock : public TimingClock {
public:
    explicit SilentTimingClock(qint64 durationMs) : clock_(durationMs) {}
    void Play() override { clock_.Play(); }
    void Pause() override { clock_.Pause(); }
    bool Playing() const override { return clock_.Playing(); }
    qint64 PositionMs() const override { return clock_.PositionMs(); }
    void Seek(qint64 positionMs) override { clock_.Seek(positionMs); }
    qint64 DurationMs() const override { return clock_.DurationMs(); }
    bool Ended() const override { return clock_.Ended(); }
    void SetSpeed(double speed) override { speed_ = speed; }
    double Speed() const override { return speed_; }
    bool Audible() const override { return false; }

private:
    SilentClock clock_;
    double speed_ = 1;
};

} // namespace tavelkor
