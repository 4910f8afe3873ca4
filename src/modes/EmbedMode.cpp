// Mode 4: every dropped TimeTag file goes into the MP3 or RMP file of the same name beside it:
// as a Lyrics3 block for the karaoke players of its day, and, unless T2M/Id3v2Lyrics is off,
// into an MP3's ID3v2 tag as the USLT and SYLT frames today's players read.
#include "../app/BatchFrame.h"
#include "../audio/CompanionAudioFile.h"
#include "../audio/SongLyrics.h"
#include "../audio/Vbmp3.h"
#include "../base/TextFile.h"
#include "../formats/LyricsFormat.h"
#include "../formats/SyncedLyrics.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../settings/Settings.h"
#include "AudioModes.h"
#include "ModeSteps.h"

namespace tavelkor {

namespace {

// The audio file may take lyrics; a MacBinary header in front is stripped first.
bool PrepareAudioFile(const QString& audio) {
    const AudioFileFlags flags = vbmp3_getFileType(audio);
    bool eligible = flags != AudioFileUnreadable &&
                    (flags & (AudioNotMpeg | AudioDamaged | AudioLyricsNotStorable)) == 0;
    // The strip is tried whenever the header is there, even for a file already refused.
    if (flags != AudioFileUnreadable && (flags & AudioMacBinary) != 0 &&
        vbmp3_cutMacBinary(audio) == 0)
        eligible = false;
    return eligible;
}

// Whole files up to this size are read; lyrics in UTF-8 or UTF-16 take up to twice the bytes
// they take in CP932, in which they are stored.
constexpr qint64 LyricsFileReadLimit = 2 * qint64(LyricsBufferBytes) + 4;

// The ID3v2 lyrics frames of a TimeTag file: its lines as text, and its fragments re-timed
// to real milliseconds exactly as for a SAMI file (ratio, offset and time inversions).
Id3LyricsFrames MakeId3LyricsFrames(const QString& lyrics, const Settings& settings) {
    Id3LyricsFrames frames;
    frames.Language = settings.T2M.Id3v2Language.toLatin1();
    bool timed = false;
    ConvertFromTimeTag(lyrics, settings.Init.TimeRatio, settings.Init.InputEncoding,
                       [&](LyricsDocument& document) -> std::optional<QString> {
                           timed = true;
                           frames.Synced = MakeSyncedLyrics(document);
                           frames.Unsynced = MakeUnsyncedLyrics(document);
                           return QString();
                       });
    if (!timed) { // no time tag to re-time: the text alone
        LyricsFile file;
        ReadLyricsFile(lyrics, file, true, true, settings.Init.InputEncoding);
        frames.Unsynced = MakeUnsyncedLyrics(file.Document);
    }
    return frames;
}

void EmbedOne(const QString& lyrics, const QString& audio, const Settings& settings,
              ResultRecord& record) {
    if (audio.isEmpty()) {
        record.Code = NoAudioFile;
        return;
    }
    if (!PrepareAudioFile(audio)) {
        record.Code = NotEmbeddable;
        record.FileName = audio;
        return;
    }
    const FileBytes file = ReadFileBytes(lyrics, LyricsFileReadLimit + 1);
    if (file.Bytes.isEmpty()) {
        record.Code = EmptyFile;
        return;
    }
    if (file.Bytes.size() > LyricsFileReadLimit) {
        record.Code = LyricsSizeError;
        return;
    }
    // Lyrics3 holds CP932, as every reader of the tag expects: CP932 lyrics go in as the
    // file's own bytes, so nothing is changed on the way; others are converted.
    const DecodedText decoded = DecodeText(file.Bytes, settings.Init.InputEncoding);
    record.SetInput(decoded);
    QByteArray text = file.Bytes;
    if (decoded.Encoding != TextEncoding::Cp932) {
        const EncodedText stored = EncodeText(decoded.Text, TextEncoding::Cp932);
        text = stored.Bytes;
        record.Replaced = stored.Replaced;
    }
    if (text.size() > LyricsBufferBytes) {
        record.Code = LyricsSizeError;
        record.Replaced = 0;
        return;
    }
    if (DetectBytesFormat(file.Bytes, settings.Init.InputEncoding) != LyricsFormat::TimeTag) {
        record.Code = NotEmbeddable;
        record.Replaced = 0;
        return;
    }
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '1';
    text.append(LyricsBufferBytes - text.size(), ' ');
    const QByteArray empty(LyricsBufferBytes, '\0');
    bool embedded = false;
    if (settings.T2M.Id3v2Lyrics) {
        const Id3LyricsFrames frames = MakeId3LyricsFrames(lyrics, settings);
        embedded = EmbedSongLyrics(audio, info, text, &frames);
    } else {
        embedded = vbmp3_setFileLyrics3InfoVB(audio, info, text, empty, empty) != 0;
    }
    if (!embedded) {
        record.Code = EmbedError;
        record.FileName = audio;
        record.Replaced = 0;
    } else {
        record.OutputPath = audio;
    }
}

} // namespace

void TimeTagToMp3(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    RunEachFile(state, [&](const QString& path, ResultRecord& record) {
        EmbedOne(path, CompanionAudioFile(path), settings, record);
    });
}

ResultRecord EmbedLyricsInSong(const QString& lyrics, const QString& song,
                               const Settings& settings) {
    ResultRecord record;
    record.FileName = lyrics;
    EmbedOne(lyrics, song, settings, record);
    return record;
}

} // namespace tavelkor
