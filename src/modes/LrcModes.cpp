#include "LrcModes.h"

#include "../base/TextFile.h"
#include "../formats/LrcReader.h"
#include "../formats/LrcWriter.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"
#include "ModeSteps.h"

namespace tavelkor {

void TimeTagToLrc(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const LrcWriteOptions options{settings.T2L.WordStamps, settings.T2L.Millis,
                                  settings.T2L.IdTags};
    const OutputEncodingChoice encoding = settings.T2L.Encoding;
    RunTextConversion(mode, state, settings, [&](const QString& path) {
        ConvertedText converted =
            ConvertFromTimeTag(path, settings.Init.TimeRatio, settings.Init.InputEncoding,
                               [&](LyricsDocument& document) -> std::optional<QString> {
                                   return MakeLrcText(document, options);
                               });
        // LRC players read UTF-8; "Source" leaves the choice to Init/OutputEncoding.
        if (encoding != OutputEncodingChoice::Source)
            converted.OutputEncoding = OutputEncodingOf(encoding, converted.Source.Encoding);
        return converted;
    });
}

void LrcToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    const bool karaoke = settings.L2T.Karaoke;
    const EncodingChoice encoding = settings.Init.InputEncoding;
    RunToTimeTag(mode, state, settings,
                 [karaoke, encoding](const QString& path, double defaultRatio,
                                     std::atomic<bool>& ratioBecameOne) {
                     ConvertedText result;
                     const TextFileContent file = ReadTextFileContent(path, 0, encoding);
                     result.Source = {QString(), file.Decoded.Encoding, file.Decoded.Reason};
                     if (file.Decoded.Text.isEmpty()) {
                         result.Code = EmptyFile;
                         return result;
                     }
                     // A file that holds TimeTag tags is TimeTag, whatever its name.
                     std::optional<LyricsDocument> document;
                     if (FindTimeTag(file.Decoded.Text) < 0)
                         document = ReadLrcText(file.Decoded.Text, karaoke);
                     if (!document || !document->HasTimeTags) {
                         result.Code = NotTargetFile;
                         return result;
                     }
                     RetimeToDefaultRatio(*document, defaultRatio, ratioBecameOne);
                     ComposeLyricsText(*document);
                     result.Text = std::move(document->Text);
                     return result;
                 });
}

} // namespace tavelkor
