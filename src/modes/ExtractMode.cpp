// Mode 5: the lyrics embedded in every dropped MP3 or RMP file are saved as a text file, and
// removed from the audio file afterwards when the user asked for it. The lyrics come from the
// Lyrics3 block, else from the ID3v2 SYLT frame (TimeTag lyrics with its times), else from the
// USLT frame (its text); with M2T/PreferSylt a SYLT frame wins over a Lyrics3 block. Deleting
// removes only what was saved: the Lyrics3 block, or that one frame.
#include "../app/BatchFrame.h"
#include "../audio/SongLyrics.h"
#include "../audio/Vbmp3.h"
#include "../formats/SyncedLyrics.h"
#include "../settings/Settings.h"
#include "AudioModes.h"

namespace tavelkor {

namespace {

struct Buffers {
    QByteArray lyrics = QByteArray(LyricsBufferBytes, '\0');
    QByteArray second = QByteArray(LyricsBufferBytes, '\0');
    QByteArray third = QByteArray(LyricsBufferBytes, '\0');
};

// The output path of an audio file's extracted text once checked; "" with the record's code
// set when the text is empty or must not be written there.
QString CheckedOutput(bool empty, const QString& audio, const QString& extension,
                      Settings& settings, ResultRecord& record) {
    if (empty) {
        record.Code = EmptyFile;
        return QString();
    }
    const QString output =
        MakeOutputPath(audio, extension, settings.Init.SameFolder, settings.Init.AnotherFolder);
    record.Code = CheckOutputPath(output, settings.Init.OverWrite);
    return record.Code == Converted ? output : QString();
}

void ExtractLyrics3(const QString& audio, const QString& extension, Settings& settings,
                    Buffers& buffers, ResultRecord& record) {
    Lyrics3InfoRecord info;
    if (vbmp3_getFileLyrics3InfoVB(audio, info, buffers.lyrics, buffers.second, buffers.third) ==
        0) {
        record.Code = NoEmbeddedLyrics;
        return;
    }
    const qsizetype end = buffers.lyrics.indexOf('\0');
    const QByteArray text = end < 0 ? buffers.lyrics : buffers.lyrics.left(end);
    // Other tools store UTF-8 too; the text is saved in the encoding it was stored in unless
    // the user chose another.
    const DecodedText decoded = DecodeText(text, settings.Init.InputEncoding);
    record.SetInput(decoded);
    const TextEncoding encoding = OutputEncodingFor(settings, decoded.Encoding, false);
    const QString output = CheckedOutput(text.isEmpty(), audio, extension, settings, record);
    if (output.isEmpty())
        return;
    // In the encoding it was stored in, the text is saved exactly as stored: the bytes are
    // neither parsed nor converted.
    const bool asStored = encoding == decoded.Encoding &&
                          (encoding == TextEncoding::Cp932 || encoding == TextEncoding::Utf8 ||
                           encoding == TextEncoding::Utf8Bom);
    bool replacedFile = false;
    const bool saved =
        asStored ? SaveTextBytes(output, text, &replacedFile)
                 : SaveTextFile(output, decoded.Text, encoding, record.Replaced, &replacedFile);
    if (!record.SetSaved(saved, output, replacedFile))
        return;
    // Only once the text is safely written, and only when the text is whole: lyrics that
    // fill the whole buffer may have been cut short, and deleting them would lose the rest.
    if (settings.M2T.DeleteL3 && (end < 0 || vbmp3_delFileLyrics3Info(audio) == 0))
        record.Code = DeleteLyricsError;
}

// The text of one ID3v2 lyrics frame, saved; then, when asked, that frame is removed.
void ExtractFrame(const QString& audio, const QString& extension, Settings& settings,
                  const QString& text, const Id3LyricsFrameRef& frame, ResultRecord& record) {
    const QString output = CheckedOutput(text.isEmpty(), audio, extension, settings, record);
    if (output.isEmpty())
        return;
    // A frame holds Unicode text: it is saved as CP932, as lyrics files have been, when CP932
    // holds every character of it, else as UTF-8 so that nothing is lost, unless the user chose
    // an encoding for all outputs.
    const TextEncoding own = EncodeText(text, TextEncoding::Cp932).Replaced == 0
                                 ? TextEncoding::Cp932
                                 : TextEncoding::Utf8;
    bool replacedFile = false;
    const bool saved = SaveTextFile(output, text, OutputEncodingFor(settings, own, false),
                                    record.Replaced, &replacedFile);
    if (!record.SetSaved(saved, output, replacedFile))
        return;
    if (settings.M2T.DeleteL3 && !DeleteSongId3Lyrics(audio, frame))
        record.Code = DeleteLyricsError;
}

void ExtractOne(const QString& audio, const QString& extension, Settings& settings,
                Buffers& buffers, ResultRecord& record) {
    const AudioFileFlags flags = vbmp3_getFileType(audio);
    if (flags == AudioFileUnreadable) {
        record.Code = NoEmbeddedLyrics;
        return;
    }
    const bool hasLyrics3 = (flags & AudioHasLyrics) != 0;
    FoundId3Lyrics frames;
    if (!hasLyrics3 || settings.M2T.PreferSylt)
        frames = ReadSongId3Lyrics(audio, settings.T2M.Id3v2Language.toLatin1());
    if (hasLyrics3 && !(settings.M2T.PreferSylt && frames.HasSynced))
        ExtractLyrics3(audio, extension, settings, buffers, record);
    else if (frames.HasSynced)
        ExtractFrame(audio, extension, settings, ReadSyncedLyrics(frames.Synced).Text,
                     frames.SyncedFrame, record);
    else if (frames.HasUnsynced)
        ExtractFrame(audio, extension, settings, UnsyncedLyricsText(frames.Unsynced),
                     frames.UnsyncedFrame, record);
    else
        record.Code = NoEmbeddedLyrics;
}

} // namespace

void Mp3ToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    const QString outputExtension = mode.OutputExtension(settings);
    Buffers buffers;
    RunEachFile(state, [&](const QString& path, ResultRecord& record) {
        ExtractOne(path, outputExtension, settings, buffers, record);
    });
}

} // namespace tavelkor
