#include "TimeShiftMode.h"

#include "../app/BatchFrame.h"
#include "../base/Cp932.h"
#include "../base/TextFile.h"
#include "../formats/DsmpShift.h"
#include "../formats/LrcReader.h"
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

// The new text of one recognised file, or nothing when it cannot be read or is gone (removed
// while the amount was asked for): writing it back would make a new file.
std::optional<QString> ShiftFile(const QString& path, LyricsFormat format, int shiftMs) {
    if (format == LyricsFormat::TimeTag) {
        LyricsFile file;
        ReadLyricsFile(path, file, true, true);
        if (!file.Exists || file.ReadFailed)
            return std::nullopt;
        LyricsDocument shifted = ShiftLyricsDocument(file.Document, shiftMs);
        ComposeLyricsText(shifted);
        return shifted.Text;
    }
    if (format == LyricsFormat::Lrc) {
        const LrcFileText file = ReadLrcFile(path);
        if (!file.Exists || file.ReadFailed)
            return std::nullopt;
        return ShiftLrcText(shiftMs, file.Text);
    }
    const FileBytes bytes = ReadFileBytes(path, 0);
    if (!bytes.Exists || bytes.ReadFailed)
        return std::nullopt;
    const QString text = DecodeCp932(bytes.Bytes);
    return format == LyricsFormat::Sami ? ShiftSamiText(shiftMs, text)
                                        : ShiftDsmpText(shiftMs, text);
}

// Files are saved as CP932: an LRC file read as UTF-8 would change its encoding (and lose what
// CP932 cannot hold) if it were rewritten, so it is not shifted until saving can keep its
// encoding.
bool CanRewriteInPlace(const QString& path, LyricsFormat format) {
    return format != LyricsFormat::Lrc || ReadLrcFile(path).Encoding != LrcEncoding::Utf8;
}

} // namespace

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
        const LyricsFormat format = DetectLyricsFormat(path);
        if (format == LyricsFormat::Unknown || !CanRewriteInPlace(path, format)) {
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
        const std::optional<QString> text = ShiftFile(path, format, shiftMs);
        if (!text) {
            record.Code = EmptyFile;
            continue;
        }
        record.Code = CheckOutputPath(path, true);
        if (record.Code == Converted && !SaveTextFile(path, *text))
            record.Code = SaveError;
    }
    settings.Init.SlidemSec = shiftMs;
}

} // namespace tavelkor
