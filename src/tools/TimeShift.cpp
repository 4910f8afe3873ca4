#include "TimeShift.h"

#include "../app/BatchFrame.h"
#include "../app/ModeTable.h"
#include "../app/RunQuestions.h"
#include "../formats/DsmpReader.h"
#include "../formats/DsmpWriter.h"
#include "../formats/SamiReader.h"
#include "../lyrics/Cp932.h"
#include "../lyrics/TextFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"
#include "../settings/Settings.h"

#include <optional>

namespace tavelkor {

namespace {

int Shifted(int timeMs, int shiftMs) {
    const long long value = static_cast<long long>(timeMs) + shiftMs;
    if (value < 0)
        return 0;
    return ClampToInt32(value);
}

// Applies `rewrite` to every line. Lines may end in CR LF, LF or CR, so that a file saved on
// another system is shifted whole; they are joined with CR LF, as the program writes lines.
template <class Rewrite>
QString RewriteLines(const QString& text, Rewrite&& rewrite) {
    if (text.isEmpty())
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        out += rewrite(QStringView(text).mid(start, end - start));
        if (end == n)
            return out;
        qsizetype next = end + 1;
        if (text[end] == u'\r' && next < n && text[next] == u'\n')
            ++next;
        out += CrLf;
        start = next;
    }
}

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
    const FileBytes bytes = ReadFileBytes(path, 0);
    if (!bytes.Exists || bytes.ReadFailed)
        return std::nullopt;
    const QString text = DecodeCp932(bytes.Bytes);
    return format == LyricsFormat::Sami ? ShiftSamiText(shiftMs, text)
                                        : ShiftDsmpText(shiftMs, text);
}

} // namespace

LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs) {
    LyricsDocument result = document;
    if (shiftMs == 0)
        return result;
    for (LyricsLine& line : result.Lines) {
        if (!line.HasTimeTag)
            continue;
        for (KaraokeFragment& fragment : line.Fragments) {
            fragment.TimeMs = Shifted(fragment.TimeMs, shiftMs);
            fragment.TagText = MsToTag(fragment.TimeMs);
        }
    }
    return result;
}

QString ShiftSamiText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const QString whole = line.toString();
        int start = 0;
        QString rest;
        if (!ParseSyncLine(whole, start, rest))
            return whole;
        return QStringLiteral("<SYNC Start=") + QString::number(Shifted(start, shiftMs)) + u'>' +
               rest;
    });
}

QString ShiftDsmpText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const std::optional<int> time = ReadDsmpTime(line);
        if (!time)
            return line.toString();
        QString shifted = FormatDsmpTime(Shifted(*time, shiftMs));
        shifted += line.mid(10);
        return shifted;
    });
}

bool TimeShiftRun(BatchState& state, Settings& settings, RunQuestions& questions) {
    FilterByExtension(state, ModeTable()[ModeTimeShift].AcceptedExtensions(settings));
    const qsizetype count = state.DroppedFiles.size();
    state.Results = QVector<ResultRecord>(count);
    if (count == 0)
        return false;
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
    return true;
}

void TimeShiftMode(BatchState& state, Settings& settings, RunQuestions& questions) {
    TimeShiftRun(state, settings, questions);
}

} // namespace tavelkor
