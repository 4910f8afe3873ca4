#include "VideoMode.h"

#include "../app/BatchFrame.h"
#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "../formats/AssWriter.h"
#include "../formats/LrcReader.h"
#include "../formats/LyricsFormat.h"
#include "../formats/WordFormats.h"
#include "../settings/ExtensionTables.h"
#include "../settings/Settings.h"
#include "../video/VideoRuby.h"
#include "ModeSteps.h"
#include "WordFormatModes.h"

#include <QDir>
#include <QFileInfo>

namespace tavelkor {

namespace {

struct VideoLyrics {
    ResultCode Code = Converted;
    TimedLyrics Lyrics;
    LyricsHeader Header;
    DecodedText Source;
};

VideoLyrics ReadVideoLyrics(const QString& path, const Settings& settings) {
    VideoLyrics read;
    const bool caption = WordFormatExtensions().contains(ExtensionOf(path).toLower());
    const LyricsFormat format =
        caption ? LyricsFormat::Unknown : DetectLyricsFormat(path, settings.Init.InputEncoding);
    if (format == LyricsFormat::TimeTag) {
        const ConvertedText converted = ConvertFromTimeTag(
            path, settings.Init.TimeRatio, settings.Init.InputEncoding,
            [&](LyricsDocument& document) -> std::optional<QString> {
                read.Lyrics = TimedLyricsOf(document, settings.T2X.LastLineMs);
                read.Header = document.Header;
                return QString();
            });
        read.Code = converted.Code;
        read.Source = converted.Source;
        return read;
    }
    const TextFileContent content = ReadTextFileContent(path, 0, settings.Init.InputEncoding);
    read.Source = content.Decoded;
    if (!content.Exists || content.ReadFailed) {
        read.Code = OpenError;
        return read;
    }
    if (caption) {
        std::optional<TimedLyrics> lyrics =
            ReadWordFormatText(content.Decoded.Text, ExtensionOf(path));
        if (lyrics)
            read.Lyrics = std::move(*lyrics);
    } else if (format == LyricsFormat::Lrc) {
        // LRC times are real times already; word stamps become the karaoke words.
        if (std::optional<LyricsDocument> document = ReadLrcText(content.Decoded.Text, true)) {
            read.Lyrics = TimedLyricsOf(*document, settings.T2X.LastLineMs);
            read.Header = document->Header;
        }
    }
    return read;
}

// The background image the lyrics name with @BgFile, looked for in @BgFolder (from the lyrics'
// folder when relative) or beside the lyrics; "" when they name none.
QString NamedBackground(const QString& lyricsPath, const LyricsHeader& header) {
    const QString file = header.BgFile.trimmed();
    if (file.isEmpty())
        return {};
    const QDir lyricsFolder = QFileInfo(lyricsPath).absoluteDir();
    const QString folder = header.BgFolder.trimmed();
    const QDir base = folder.isEmpty() ? lyricsFolder : QDir(lyricsFolder.filePath(folder));
    return QDir::cleanPath(base.filePath(file));
}

} // namespace

QStringList VideoSourceExtensions() {
    QStringList extensions = TimeTagExtensions() + LrcExtensions() + WordFormatExtensions();
    extensions.removeDuplicates();
    return extensions;
}

VideoPlan PlanKaraokeVideo(const QString& lyricsPath, const Settings& settings,
                           const QString& songPath) {
    VideoPlan plan;
    VideoLyrics read = ReadVideoLyrics(lyricsPath, settings);
    plan.Source = read.Source;
    plan.HasSource = read.Code != OpenError;
    plan.Code = read.Code == Converted && read.Lyrics.Lines.isEmpty() ? NotTargetFile : read.Code;
    if (plan.Code != Converted)
        return plan;
    plan.Job.Song = songPath.isEmpty() ? FindPreviewSong(lyricsPath) : SongAt(songPath);
    if (plan.Job.Song.Path.isEmpty()) {
        plan.Code = NoAudioFile;
        plan.Note = QStringLiteral(u"同じ名前の曲ファイル（.mp3 .rmp .flac .ogg .opus .m4a .wav）"
                                   u"がありません");
        return plan;
    }
    if (!plan.Job.Song.Error.isEmpty()) {
        plan.Code = OpenError;
        plan.Note = plan.Job.Song.Error;
        return plan;
    }
    const T2VSettings& t2v = settings.T2V;
    AssWriteOptions ass = WordFormatOptionsOf(settings).Ass;
    // libass shows the templates' "base|reading" syllables as they are written: the readings
    // are drawn as events of their own instead.
    ass.Furigana = false;
    plan.Job.AssScript = WithFurigana(MakeAssText(read.Lyrics, ass).toUtf8(), read.Lyrics,
                                      ass.FontSize, ass.Karaoke.toLower());
    plan.Job.Width = t2v.Width & ~1; // 4:2:0 pictures have even sides
    plan.Job.Height = t2v.Height & ~1;
    plan.Job.Fps = t2v.Fps;
    plan.Job.Preset = t2v.Preset.toLower();
    plan.Job.Crf = t2v.Crf;
    plan.Job.Aac = t2v.Audio.compare(u"aac", Qt::CaseInsensitive) == 0;
    plan.Job.BackgroundColour = t2v.BackgroundColour;
    plan.Job.BackgroundImage = t2v.Background;
    const QString named = NamedBackground(lyricsPath, read.Header);
    if (!named.isEmpty() && QFileInfo(named).isFile())
        plan.Job.BackgroundImage = named;
    else if (!named.isEmpty())
        plan.Note = QStringLiteral(u"@BgFileの画像がないため既定の背景：") + named;
    return plan;
}

void TimeTagToVideo(const ModeInfo& mode, BatchState& state, Settings& settings,
                    RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    RunEachFile(state, [&](const QString& path, ResultRecord& record) {
        VideoPlan plan = PlanKaraokeVideo(path, settings);
        if (plan.HasSource)
            record.SetInput(plan.Source);
        record.Code = plan.Code;
        record.Note = plan.Note;
        if (plan.Code != Converted)
            return;
        QString folder = settings.Init.AnotherFolder;
        const QString output =
            MakeOutputPath(path, QStringLiteral("mp4"), settings.Init.SameFolder, folder);
        settings.Init.AnotherFolder = folder;
        record.Code = output.isEmpty() ? FolderError : CheckOutputPath(output, settings.Init.OverWrite);
        if (record.Code != Converted)
            return;
        plan.Job.OutputPath = output;
        KaraokeVideoProgress progress;
        if (state.Progress != nullptr)
            progress.Stop = &state.Progress->StopRequested;
        progress.Shown = [&state](qint64 done, qint64 total) { state.ShowPart(done, total); };
        const KaraokeVideoResult result = WriteKaraokeVideo(plan.Job, progress);
        switch (result.Outcome) {
        case VideoOutcome::Written:
            record.SetSaved(true, output, result.Replaced);
            break;
        case VideoOutcome::Cancelled:
            record.Code = Cancelled;
            break;
        case VideoOutcome::InputUnreadable:
            record.Code = OpenError;
            record.Note = result.Error;
            break;
        case VideoOutcome::Failed:
            record.SetSaved(false, output);
            record.Note = result.Error;
            break;
        }
    });
}

} // namespace tavelkor
