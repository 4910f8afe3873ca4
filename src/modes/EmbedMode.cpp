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

// Whole files up to this size are read; lyrics in UTF-8 or UTF-16 take up to twice the bytes
// they take in CP932, in which they are stored.
constexpr qint64 LyricsFileReadLimit = 2 * qint64(LyricsBufferBytes) + 4;

void EmbedOne(const QString& lyrics, EncodingChoice encoding, ResultRecord& record) {
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
    const DecodedText decoded = DecodeText(file.Bytes, encoding);
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
    if (DetectLyricsFormat(lyrics, encoding) != LyricsFormat::TimeTag) {
        record.Code = NotEmbeddable;
        record.Replaced = 0;
        return;
    }
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '1';
    text.append(LyricsBufferBytes - text.size(), ' ');
    const QByteArray empty(LyricsBufferBytes, '\0');
    if (vbmp3_setFileLyrics3InfoVB(audio, info, text, empty, empty) == 0) {
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
    state.Results = QVector<ResultRecord>(state.DroppedFiles.size());
    for (qsizetype i = 0; i < state.DroppedFiles.size(); ++i) {
        state.Results[i] = {state.DroppedFiles[i], Converted};
        EmbedOne(state.DroppedFiles[i], settings.Init.InputEncoding, state.Results[i]);
    }
}

} // namespace tavelkor
