// Mode 5: the lyrics embedded in every dropped MP3 or RMP file are saved as a text file, and
// removed from the audio file afterwards when the user asked for it.
#include "../app/BatchFrame.h"
#include "../audio/Vbmp3.h"
#include "../settings/Settings.h"
#include "AudioModes.h"

namespace tavelkor {

namespace {

void ExtractOne(const QString& audio, const QString& outputExtension, Settings& settings,
                QByteArray& lyrics, QByteArray& buffer2, QByteArray& buffer3,
                ResultRecord& record) {
    const AudioFileFlags flags = vbmp3_getFileType(audio);
    if (flags == AudioFileUnreadable || (flags & AudioHasLyrics) == 0) {
        record.Code = NoEmbeddedLyrics;
        return;
    }
    Lyrics3InfoRecord info;
    if (vbmp3_getFileLyrics3InfoVB(audio, info, lyrics, buffer2, buffer3) == 0) {
        record.Code = NoEmbeddedLyrics;
        return;
    }
    const qsizetype end = lyrics.indexOf('\0');
    const QByteArray text = end < 0 ? lyrics : lyrics.left(end);
    // Other tools store UTF-8 too; the text is saved in the encoding it was stored in unless
    // the user chose another.
    const DecodedText decoded = DecodeText(text, settings.Init.InputEncoding);
    record.SetInput(decoded);
    const TextEncoding encoding = OutputEncodingFor(settings, decoded.Encoding, false);
    if (text.isEmpty()) {
        record.Code = EmptyFile;
        return;
    }
    const QString output = MakeOutputPath(audio, outputExtension, settings.Init.SameFolder,
                                          settings.Init.AnotherFolder);
    record.Code = CheckOutputPath(output, settings.Init.OverWrite);
    if (record.Code != Converted)
        return;
    // In the encoding it was stored in, the text is saved exactly as stored: the bytes are
    // neither parsed nor converted.
    const bool asStored = encoding == decoded.Encoding &&
                          (encoding == TextEncoding::Cp932 || encoding == TextEncoding::Utf8 ||
                           encoding == TextEncoding::Utf8Bom);
    const bool saved = asStored ? SaveTextBytes(output, text)
                                : SaveTextFile(output, decoded.Text, encoding, record.Replaced);
    if (!saved) {
        record.Code = SaveError;
        record.FileName = output;
        record.Replaced = 0;
        return;
    }
    record.OutputPath = output;
    // Only once the text is safely written, and only when the text is whole: lyrics that
    // fill the whole buffer may have been cut short, and deleting them would lose the rest.
    if (settings.M2T.DeleteL3 && (end < 0 || vbmp3_delFileLyrics3Info(audio) == 0))
        record.Code = DeleteLyricsError;
}

} // namespace

void Mp3ToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    const QString outputExtension = mode.OutputExtension(settings);
    QByteArray lyrics(LyricsBufferBytes, '\0');
    QByteArray buffer2(LyricsBufferBytes, '\0');
    QByteArray buffer3(LyricsBufferBytes, '\0');
    state.Results = QVector<ResultRecord>(state.DroppedFiles.size());
    for (qsizetype i = 0; i < state.DroppedFiles.size(); ++i) {
        state.Results[i] = {state.DroppedFiles[i], Converted};
        ExtractOne(state.DroppedFiles[i], outputExtension, settings, lyrics, buffer2, buffer3,
                   state.Results[i]);
    }
}

} // namespace tavelkor
