#include "TimeTagMode.h"

#include "../app/BatchFrame.h"
#include "../audio/CompanionAudioFile.h"
#include "../audio/LeadingSilence.h"
#include "../audio/Vbmp3.h"
#include "../lyrics/Adjustments.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"

#include <atomic>
#include <cmath>
#include <utility>

namespace tavelkor {

namespace {

// What the song beside the lyrics says: its leading silence and its title, artist and album.
struct SongFacts {
    int SilenceMs = -1; // -1: no silence value
    QString Title;
    QString Artist;
    QString Album;
};

SongFacts ReadSong(const QString& song, bool wantSilence) {
    SongFacts facts;
    if (song.isEmpty() || !wantSilence)
        return facts;
    TagInfoRecord tags;
    MpegInfoRecord mpeg;
    InfoListRecord infoList;
    // A song file that cannot be read gives no silence and no values, rather than a silence
    // of 0 that would move every time by the lyrics' own start silence.
    if (vbmp3_getFileInfo2(song, tags, mpeg, infoList) == 0)
        return facts;
    const int rate = mpeg.SamplingRate() != 0 ? mpeg.SamplingRate() : 44100;
    const int frames = CountLeadingSilentFrames(song, 5);
    // A frame lasts as many samples as its version and layer hold: counting 1152 for every
    // song would double or triple the silence of MPEG-2 and 2.5 Layer III or Layer I songs.
    const int samples = mpeg.SamplesPerFrame();
    facts.SilenceMs = int(std::nearbyint(frames * double(samples) / (rate / 1000.0)));
    auto pick = [](const QString& info, const QString& tag) { return info.isEmpty() ? tag : info; };
    facts.Title = pick(AnsiToText(infoList.Texts[0]), AnsiToText(tags.Title));
    facts.Artist = pick(AnsiToText(infoList.Texts[1]), AnsiToText(tags.Artist));
    facts.Album = pick(AnsiToText(infoList.Texts[2]), AnsiToText(tags.Album));
    return facts;
}

// Takes artist, title (and from the song, album) from the lyrics' credit lines (source 1) or
// from the song (source 2): every value that is given, or, with `onlyIntoEmpty`, only into
// header fields that are still empty.
void TakeNames(LyricsHeader& header, const SongFacts& facts, int source, bool onlyIntoEmpty) {
    auto take = [onlyIntoEmpty](QString& field, const QString& value) {
        if (!value.isEmpty() && (!onlyIntoEmpty || field.isEmpty()))
            field = value;
    };
    if (source == 1) {
        take(header.Artist, header.CreditArtist);
        take(header.Title, header.CreditTitle);
    } else if (source == 2) {
        take(header.Artist, facts.Artist);
        take(header.Title, facts.Title);
        take(header.Album, facts.Album);
    }
}

// Adds correction data, or converts the times by it.
void ApplyCorrections(LyricsFile& file, const T2TSettings& options, double& targetRatio) {
    LyricsDocument& document = file.Document;
    LyricsHeader& header = document.Header;
    const QString song = CompanionAudioFile(file.Path);
    const SongFacts facts = ReadSong(song, options.SilencemSec || options.AtArtist == 2);

    if (options.CorrectAdd) {
        header.TimeRatio = options.TimeRatio[0];
        header.HasTimeRatio = true;
        TakeNames(header, facts, options.AtArtist, false);
        if (options.AtArtist == 0) {
            header.Artist.clear();
            header.Title.clear();
            header.Album.clear();
        }
        if (header.TaggingBy.isEmpty()) {
            header.TaggingBy = options.Name;
            header.EditedBy.clear();
        }
        if (facts.SilenceMs >= 0) {
            header.SilencemSec = facts.SilenceMs;
            header.HasSilencemSec = true;
        }
        return;
    }

    if (!header.HasTimeRatio) {
        header.TimeRatio = options.TimeRatio[1];
        header.HasTimeRatio = true;
    }
    if (header.TaggingBy.isEmpty())
        header.TaggingBy = options.Name;
    if (header.TaggingBy != options.Name)
        header.EditedBy = options.Name;
    TakeNames(header, facts, options.AtArtist, true);
    ApplyTimeCorrection(document, targetRatio, facts.SilenceMs);
}

ConvertedText ConvertOne(const QString& path, const T2TSettings& options, EncodingChoice encoding,
                         std::atomic<bool>& targetBecameOne) {
    ConvertedText result;
    LyricsFile file;
    ReadLyricsFile(path, file, options.Normalize, options.mSec, encoding);
    result.Source = {QString(), file.Encoding, file.EncodingReason};
    // A file that is gone (removed after the drop) or cannot be read is not rewritten as an
    // empty one: its output may be the file itself.
    if (!file.Exists || file.ReadFailed) {
        result.Code = EmptyFile;
        return result;
    }
    LyricsDocument& document = file.Document;
    if (options.KaraokeLineTop) {
        document = KaraokeToLineTop(document);
        ComposeLyricsText(document);
    }
    if (options.KaraokeNise) {
        // Every step repeats its line: a hostile line of thousands of tags is refused rather
        // than written as gigabytes.
        if (DisplayTextSize(document, true, 0) > MaxDisplayTextChars) {
            result.Code = NotTargetFile;
            return result;
        }
        QStringList unsung;
        document = MakePseudoKaraoke(document, unsung);
        ComposeLyricsText(document);
    }
    if (options.KaraokeNormalize) {
        bool changed = false;
        document = NormalizeKaraoke(std::move(document), changed);
        ComposeLyricsText(document);
    }
    if (options.CorrectAdd || options.CorrectTrans) {
        double target = options.TimeRatio[2];
        ApplyCorrections(file, options, target);
        if (target != options.TimeRatio[2])
            targetBecameOne = true;
    }
    ComposeLyricsText(document);
    result.Text = document.Text;
    return result;
}

} // namespace

void TimeTagToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    // The files are converted side by side and only read the settings; a target ratio outside
    // 0..1 reads 1 afterwards, as converting by it leaves the setting.
    const T2TSettings options = settings.T2T;
    std::atomic<bool> targetBecameOne{false};
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        return ConvertOne(path, options, settings.Init.InputEncoding, targetBecameOne);
    });
    if (targetBecameOne)
        settings.T2T.TimeRatio[2] = 1;
}

} // namespace tavelkor
