#include "MoraDistribution.h"

#include "LinePlacing.h"

#include "KanjiReadings.h"
#include "RubyPlacement.h"

#include <algorithm>
#include <cmath>

namespace tavelkor {

QVector<RubySpan> MergeReadings(const QVector<RubySpan>& first, const QVector<RubySpan>& more) {
    QVector<RubySpan> merged = first;
    for (const RubySpan& span : more) {
        const bool overlaps = std::any_of(first.begin(), first.end(), [&](const RubySpan& f) {
            return span.From < f.From + f.Length && f.From < span.From + span.Length;
        });
        if (!overlaps)
            merged.append(span);
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const RubySpan& a, const RubySpan& b) { return a.From < b.From; });
    return merged;
}

QVector<double> FragmentMorae(const TimingLine& line, const QVector<RubySpan>& readings,
                              const SplitRules& rules, const KanjiTable& kanji) {
    QString text;
    for (const TimedFragment& fragment : line.Fragments)
        text += fragment.Text;
    // The morae of each character under a reading (the first reading over it counts); -1 for
    // the others.
    QVector<double> read(text.size(), -1);
    for (const RubySpan& span : readings) {
        if (span.Length <= 0)
            continue;
        const bool inside = span.From >= 0 && span.From + span.Length <= text.size();
        const QStringList parts =
            inside ? kanji.Share(QStringView(text).mid(span.From, span.Length), span.Reading)
                   : QStringList();
        const double even = double(CountMorae(span.Reading, rules)) / span.Length;
        for (int k = std::max(0, -span.From); k < span.Length && span.From + k < text.size(); ++k) {
            if (read[span.From + k] < 0)
                read[span.From + k] = parts.isEmpty() ? even : CountMorae(parts[k], rules);
        }
    }
    QVector<double> morae;
    int at = 0;
    for (const TimedFragment& fragment : line.Fragments) {
        double weight = 0;
        QString uncovered;
        for (QChar c : fragment.Text) {
            if (read[at] < 0)
                uncovered += c;
            else
                weight += read[at];
            ++at;
        }
        weight += CountMorae(uncovered, rules);
        morae.append(weight);
    }
    return morae;
}

QVector<RubySpan> SpansOf(const QVector<KanjiReading>& readings) {
    QVector<RubySpan> spans;
    for (const KanjiReading& reading : readings)
        spans.append({reading.From, reading.Length, reading.Reading, 0});
    return spans;
}

QVector<int> SpreadStarts(const QVector<double>& weights, int startMs, int endMs) {
    double total = 0;
    for (double w : weights)
        total += w > 0 ? w : 1;
    QVector<int> starts;
    double before = 0;
    for (double w : weights) {
        const double share = total > 0 ? before / total : 0;
        starts.append(startMs + int(std::lround(share * (endMs - startMs))));
        before += w > 0 ? w : 1;
    }
    return starts;
}

LineDistribution DistributeLineByMorae(const TimingDocument& document, int line,
                                       const QVector<RubySpan>& readings, const SplitRules& rules,
                                       const KanjiTable& kanji, const DecodedSong* song) {
    if (line < 0 || line >= document.Lines.size() || document.Lines[line].Fragments.isEmpty())
        return {std::nullopt, QStringLiteral(u"この行にはフラグメントがありません")};
    const TimingLine& own = document.Lines[line];
    const int start = own.Fragments.first().StartMs;
    // The line's start and end are the user's taps: without them there is nothing to spread.
    if (LineFirstStartMs(own) < 0)
        return {std::nullopt, QStringLiteral(u"この行にはまだ時間がありません。先に行の始まりと"
                                             u"終わりをタップしてください")};
    if (start < 0)
        return {std::nullopt, QStringLiteral(u"行の最初のフラグメントに時間がありません。先に行の"
                                             u"始まりをタップしてください")};
    const int end = LineReadingEndMs(document, line);
    if (end < 0)
        return {
            std::nullopt,
            QStringLiteral(u"行の終わりがありません（終わりのタグも次の行の始まりもありません）")};
    if (end <= start)
        return {std::nullopt, QStringLiteral(u"行の終わりが始まりより前です")};
    const QVector<double> morae = FragmentMorae(own, readings, rules, kanji);
    const QVector<int> starts = song ? PlaceFragmentsOnSong(*song, PlacingWeights(own, morae), start, end)
                                     : SpreadStarts(morae, start, end);
    TimingLine after = own;
    for (int k = 0; k < after.Fragments.size(); ++k) {
        after.Fragments[k].StartMs = starts[k];
        after.Fragments[k].EndMs = -1;
    }
    after.Fragments.last().EndMs = own.Fragments.last().EndMs;
    return {after, QString()};
}

} // namespace tavelkor
