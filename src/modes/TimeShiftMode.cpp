#include "TimeShiftMode.h"

#include "../app/BatchFrame.h"
#include "../base/TextFile.h"
#include "../formats/DsmpShift.h"
#include "../formats/LrcShift.h"
#include "../formats/LyricsFormat.h"
#include "../formats/SamiShift.h"
#include "../lyrics/TimeTagFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagShift.h"
#include "../lyrics/TimeTagWriter.h"
#include "../settings/Settings.h"

#include <optional>

namespace tavelkor {

namespace {

// The new text of one recognised file in the encoding the file was read in, or nothing when
// it cannot be read or is gone (removed while the amount was asked for): writing it back would
// make a new file.
std::optional<DecodedText> ShiftFile(const QString& path, LyricsFormat format, int shiftMs,
                                     EncodingChoice encoding) {
    if (format == LyricsFormat::TimeTag) {
        LyricsFile file;
        ReadLyricsFile(path, file, true, true, encoding);
        if (!file.Exists || file.ReadFailed)
            return std::nullopt;
        LyricsDocument shifted = ShiftLyricsDocument(file.Document, shiftMs);
        ComposeLyricsText(shifted);
        return DecodedText{shifted.Text, file.Encoding, file.EncodingReason};
    }
    TextFileContent content = ReadTextFileContent(path, 0, encoding);
    if (!content.Exists || content.ReadFailed)
        return std::nullopt;
    DecodedText& text = content.Decoded;
    if (format == LyricsFormat::Lrc)
        text.Text = ShiftLrcText(shiftMs, text.Text);
    else if (format == LyricsFormat::Sami)
        text.Text = ShiftSamiText(shiftMs, text.Text);
    else
        text.Text = ShiftDsmpText(shiftMs, text.Text);
    return std::move(text);
}

} // namespace

void ShiftFileInPlace(const QString& path, LyricsFormat format, int shiftMs,
                      EncodingChoice encoding, ResultRecord& record) {
    record.FileName = path;
    const std::optional<DecodedText> text = ShiftFile(path, format, shiftMs, encoding);
    if (!text) {
        record.Code = EmptyFile;
        return;
    }
    record.SetInput(*text);
    // A file rewritten in place keeps its own encoding (and byte order mark).
    record.Code = CheckOutputPath(path, true);
    if (record.Code != Converted)
        return;
    bool replacedFile = false;
    if (SaveTextFile(path, text->Text, text->Encoding, record.Replaced, &replacedFile)) {
        record.OutputPath = path;
        record.OutputReplaced = replacedFile;
    } else {
        record.Code = SaveError;
    }
}

void TimeShiftMode(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    const qsizetype count = state.DroppedFiles.size();
    state.Results = QVector<ResultRecord>(count);
    if (count == 0)
        return;
    bool cancelled = false;
    bool sameForAll = false;
    int shiftMs = settings.Init.SlidemSec;
    for (qsizetype i = 0; i < count; ++i) {
        const QString& path = state.DroppedFiles[i];
        ResultRecord& record = state.Results[i];
        record = {path, Converted};
        if (cancelled) {
            record.Code = Cancelled;
            continue;
        }
        const LyricsFormat format = DetectLyricsFormat(path, settings.Init.InputEncoding);
        if (format == LyricsFormat::Unknown) {
            record.Code = NotTargetFile;
            continue;
        }
        if (!sameForAll) {
            const RunQuestions::ShiftAnswer answer = questions.AskShift(path, shiftMs);
            cancelled = answer.Cancelled;
            if (!answer.Cancelled)
                shiftMs = answer.ShiftMs;
            sameForAll = answer.SameForAll;
        }
        if (cancelled || shiftMs == 0) {
            record.Code = Cancelled;
            continue;
        }
        ShiftFileInPlace(path, format, shiftMs, settings.Init.InputEncoding, record);
    }
    settings.Init.SlidemSec = shiftMs;
}

} // namespace tavelkor
