#include "TimeShiftMode.h"

#include "../app/BatchFrame.h"
#include "../base/TextFile.h"
#include "../formats/DsmpShift.h"
#include "../formats/LrcShift.h"
#include "../formats/LyricsFormat.h"
#include "../formats/SamiShift.h"
#include "../lyrics/TextRules.h"
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
        // The file is rewritten in place: directives the program does not know are the
        // user's own and stay, after the header lines the writer composes.
        shifted.Text += UnknownDirectiveText(shifted);
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
    // LRC files, and files of every format in an encoding other than CP932, keep every byte
    // outside the times, their line ends included; CP932 TimeTag, SAMI and DSMP files are
    // written as the program writes them (lines ended with CR LF).
    bool saved = false;
    if (format == LyricsFormat::Lrc || text->Encoding != TextEncoding::Cp932) {
        const QString original = ReadTextFileContent(path, 0, encoding).Decoded.Text;
        std::optional<QString> kept;
        if (format == LyricsFormat::TimeTag)
            kept = ShiftTimeTagTextInPlace(original, shiftMs);
        if (!kept)
            kept = WithLineEndsOf(original, text->Text);
        saved = SaveTextAsIs(path, *kept, text->Encoding, record.Replaced);
    } else {
        saved = SaveTextFile(path, text->Text, text->Encoding, record.Replaced);
    }
    if (saved) {
        record.OutputPath = path;
        record.OutputReplaced = true; // the file itself, rewritten
    } else {
        record.Code = SaveError;
    }
}

void TimeShiftMode(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions) {
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    if (state.DroppedFiles.isEmpty())
        return;
    bool cancelled = false;
    bool sameForAll = false;
    int shiftMs = settings.Init.SlidemSec;
    RunEachFile(state, [&](const QString& path, ResultRecord& record) {
        if (cancelled) {
            record.Code = Cancelled;
            return;
        }
        const LyricsFormat format = DetectLyricsFormat(path, settings.Init.InputEncoding);
        if (format == LyricsFormat::Unknown) {
            record.Code = NotTargetFile;
            return;
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
            return;
        }
        ShiftFileInPlace(path, format, shiftMs, settings.Init.InputEncoding, record);
    });
    settings.Init.SlidemSec = shiftMs;
}

} // namespace tavelkor
