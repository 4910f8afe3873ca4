// Mode 4: every dropped TimeTag file goes into the MP3 or RMP file of the same name beside it.
#include "../app/BatchFrame.h"
#include "../audio/CompanionAudioFile.h"
#include "../audio/Vbmp3.h"
#include "../base/TextFile.h"
#include "../formats/LyricsFormat.h"
#include "../lyrics/TimeTagReader.h"
#include "../settings/Settings.h"
#include "AudioModes.h"

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

void EmbedOne(const QString& lyrics, ResultRecord& record) {
    const QString audio = CompanionAudioFile(lyrics);
    if (audio.isEmpty()) {
        record.Code = NoAudioFile;
        return;
    }
    if (!PrepareAudioFile(audio)) {
        record.Code = NotEmbeddable;
        record.FileName = audio;
        return;
    }
    // The lyrics go in as the file's own bytes, so nothing is changed on the way.
    const FileBytes file = ReadFileBytes(lyrics, LyricsBufferBytes + 1);
    if (file.Bytes.isEmpty()) {
        record.Code = EmptyFile;
        return;
    }
    if (file.Bytes.size() > LyricsBufferBytes) {
        record.Code = LyricsSizeError;
        return;
    }
    if (DetectLyricsFormat(lyrics) != LyricsFormat::TimeTag) {
        record.Code = NotEmbeddable;
        return;
    }
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '1';
    QByteArray text = file.Bytes;
    text.append(LyricsBufferBytes - text.size(), ' ');
    const QByteArray empty(LyricsBufferBytes, '\0');
    if (vbmp3_setFileLyrics3InfoVB(audio, info, text, empty, empty) == 0) {
        record.Code = EmbedError;
        record.FileName = audio;
    }
}

} // namespace

void TimeTagToMp3(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    state.Results = QVector<ResultRecord>(state.DroppedFiles.size());
    for (qsizetype i = 0; i < state.DroppedFiles.size(); ++i) {
        state.Results[i] = {state.DroppedFiles[i], Converted};
        EmbedOne(state.DroppedFiles[i], state.Results[i]);
    }
}

} // namespace tavelkor
