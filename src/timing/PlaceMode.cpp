#include "PlaceMode.h"

#include "../preview/PreviewDocument.h"
#include "../settings/Settings.h"
#include "KanjiReadings.h"
#include "MoraDistribution.h"
#include "RubyPlacement.h"
#include "TimingFile.h"
#include "TimingSong.h"

#include <algorithm>

namespace tavelkor {

ConvertedText PlaceLinesOfFile(const QString& path, const Settings& settings) {
    ConvertedText result;
    const SplitRules rules{settings.Timing.JoinSokuon, settings.Timing.JoinHatsuon};
    TimingSource source =
        LoadTimingSource(path, settings.Init.InputEncoding, settings.Init.TimeRatio, rules);
    if (!source.Error.isEmpty()) {
        result.Code = OpenError;
        result.Note = source.Error;
        return result;
    }
    result.Source = {QString(), source.Encoding, QString()};
    TimingDocument& document = source.Document;
    bool anyTimed = false;
    for (const TimingLine& line : document.Lines)
        anyTimed = anyTimed || LineFirstStartMs(line) >= 0;
    if (source.Format == LyricsFormat::Unknown || !anyTimed) {
        result.Code = NotTargetFile;
        result.Note = QStringLiteral(u"行の始まりのタイムタグがありません");
        return result;
    }
    const PreviewSong song = FindPreviewSong(path);
    if (song.Path.isEmpty()) {
        result.Code = NoAudioFile;
        result.Note = QStringLiteral(u"同じ名前の曲（.mp3 など）が横にありません");
        return result;
    }
    const std::shared_ptr<const DecodedSong> decoded = DecodeTimingSong(song);
    if (!decoded->Error.isEmpty()) {
        result.Code = NoAudioFile;
        result.Note = QStringLiteral(u"曲を読めません：") + decoded->Error;
        return result;
    }
    ReadingDictionary dictionary;
    int placed = 0, unplaced = 0;
    for (int line = 0; line < document.Lines.size(); ++line) {
        const TimingLine& own = document.Lines[line];
        if (own.Fragments.isEmpty() || LineFirstStartMs(own) < 0)
            continue;
        // A line timed inside already (by hand, or placed before) is kept unless asked.
        const bool timedInside = std::any_of(own.Fragments.begin() + 1, own.Fragments.end(),
                                             [](const TimedFragment& f) { return f.Timed(); });
        if (timedInside && !settings.Place.Redo) {
            ++placed;
            continue;
        }
        QVector<RubySpan> readings = LineReadings(document, line);
        if (dictionary.Available())
            readings = MergeReadings(readings, SpansOf(dictionary.ProposeReadings(own.Text())));
        const LineDistribution spread = DistributeLineByMorae(
            document, line, readings, rules, KanjiTable::Installed(), decoded.get());
        if (!spread.Line) {
            ++unplaced;
            continue;
        }
        document.Lines[line] = *spread.Line;
        ++placed;
    }
    if (placed == 0) {
        result.Code = NotTargetFile;
        result.Note = QStringLiteral(u"始まりと終わりのある行がありません");
        return result;
    }
    if (unplaced > 0)
        result.Note = QString::number(unplaced) +
                      QStringLiteral(u"行は始まりか終わりがないため配置していません");
    result.Text = ComposeTimingText(document);
    return result;
}

void PlaceInLines(const ModeInfo& mode, BatchState& state, Settings& settings, RunQuestions&) {
    RunTextConversion(mode, state, settings,
                      [&settings](const QString& path) { return PlaceLinesOfFile(path, settings); });
}

} // namespace tavelkor
