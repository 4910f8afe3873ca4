#include "WordFormatModes.h"

#include "../app/ParallelFor.h"
#include "../app/ResultNotes.h"
#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "../formats/WordFormats.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"

#include <QSet>

namespace tavelkor {

WordFormatOptions WordFormatOptionsOf(const Settings& settings) {
    const T2XSettings& t2x = settings.T2X;
    WordFormatOptions options;
    options.Ass = {t2x.AssFont,      t2x.AssFontSize,          t2x.SungColour,
                   t2x.UnsungColour, t2x.AssKaraoke.toLower(), settings.T2S.Lines};
    options.Language = t2x.Language;
    options.VttStyle = t2x.VttStyle;
    options.Ass.Furigana = t2x.AssFurigana;
    return options;
}

TextEncoding WordFormatEncoding(WordFormat format) {
    return format == WordFormat::Ass ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
}

namespace {

QList<WordFormat> ChosenFormats(const Settings& settings) {
    QString unknown;
    return ParseWordFormats(settings.T2X.Formats, unknown)
        .value_or(QList<WordFormat>{WordFormat::Ass, WordFormat::Ttml, WordFormat::Vtt});
}

// Files can be written side by side when no two of them name the same output.
bool OutputsAreDistinct(const QStringList& firstOutputs) {
    QSet<QString> seen;
    for (const QString& output : firstOutputs) {
        if (output.isEmpty())
            continue;
        if (seen.contains(output))
            return false;
        seen.insert(output);
    }
    return true;
}

} // namespace

void TimeTagToWordFormats(const ModeInfo& mode, BatchState& state, Settings& settings,
                          RunQuestions&) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    const QList<WordFormat> formats = ChosenFormats(settings);
    const WordFormatOptions options = WordFormatOptionsOf(settings);
    const QStringList sources = state.DroppedFiles;
    const qsizetype count = sources.size();
    // Every output of a file lies in one folder; the folder setting ends as the last file's.
    QVector<QStringList> outputs(count);
    QStringList firstOutputs;
    QString lastFolder;
    for (qsizetype i = 0; i < count; ++i) {
        for (const WordFormat format : formats) {
            QString folder = settings.Init.AnotherFolder;
            outputs[i].append(MakeOutputPath(sources[i], WordFormatName(format),
                                             settings.Init.SameFolder, folder));
            lastFolder = folder;
        }
        firstOutputs.append(outputs[i].first());
    }
    state.Results = QVector<ResultRecord>(count);
    ResultRecord* records = state.Results.data();
    auto process = [&](qsizetype i) {
        ResultRecord& record = records[i];
        record = ResultRecord{};
        record.FileName = sources[i];
        TimedLyrics lyrics;
        const ConvertedText converted =
            ConvertFromTimeTag(sources[i], settings.Init.TimeRatio, settings.Init.InputEncoding,
                               [&](LyricsDocument& document) -> std::optional<QString> {
                                   lyrics = TimedLyricsOf(document, settings.T2X.LastLineMs);
                                   return QString();
                               },
                               true);
        record.Code =
            converted.Code == Converted && lyrics.Lines.isEmpty() ? NotTargetFile : converted.Code;
        if (record.Code != Converted)
            return;
        record.SetInput(converted.Source);
        for (qsizetype f = 0; f < formats.size(); ++f) {
            const QString& output = outputs[i][f];
            ResultCode code = CheckOutputPath(output, settings.Init.OverWrite);
            bool replacedFile = false;
            if (code == Converted) {
                const QString text = MakeWordFormatText(formats[f], lyrics, options);
                int replaced = 0;
                if (!SaveTextFile(output, text, WordFormatEncoding(formats[f]), replaced,
                                  &replacedFile))
                    code = SaveError;
            }
            if (code == Converted) {
                if (record.OutputPath.isEmpty()) {
                    record.OutputPath = output;
                    record.OutputReplaced = replacedFile;
                } else {
                    record.OtherOutputs.append(output);
                    if (replacedFile)
                        record.OtherReplaced.append(output);
                }
                continue;
            }
            // Why the output (not the source) could not be written, found while it is as the
            // failed save left it.
            if (code == SaveError && record.Note.isEmpty())
                record.Note = SaveFailureText(output);
            record.FailedOutputs.append(WordFormatName(formats[f]) + u' ' + ResultCodeText(code));
            if (record.Code == Converted)
                record.Code = code;
        }
    };
    if (OutputsAreDistinct(firstOutputs)) {
        ParallelFor(count, process);
    } else {
        for (qsizetype i = 0; i < count; ++i)
            process(i);
    }
    if (count > 0 && !lastFolder.isEmpty())
        settings.Init.AnotherFolder = lastFolder;
}

void WordFormatsToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                          RunQuestions&) {
    const bool karaoke = settings.X2T.Karaoke;
    RunTextToTimeTag(
        mode, state, settings,
        [karaoke](const QString& text, const QString& path) -> std::optional<LyricsDocument> {
            std::optional<TimedLyrics> lyrics = ReadWordFormatText(text, ExtensionOf(path));
            if (!lyrics)
                return std::nullopt;
            if (!karaoke) {
                for (TimedLine& line : lyrics->Lines)
                    line.Words = {{line.Text(), line.StartMs}};
            }
            return DocumentOfTimedLyrics(std::move(*lyrics));
        },
        true);
}

} // namespace tavelkor
