#include "MoraDistribution.h"

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
                              const SplitRules& rules) {
    QVector<double> morae;
    int at = 0;
    for (const TimedFragment& fragment : line.Fragments) {
        const int from = at;
        const int to = at + int(fragment.Text.size());
        at = to;
        double weight = 0;
        QString uncovered;
        for (int c = from; c < to; ++c) {
            const auto span =
                std::find_if(readings.begin(), readings.end(), [c](const RubySpan& s) {
                    return c >= s.From && c < s.From + s.Length;
                });
            if (span == readings.end())
                uncovered += fragment.Text[c - from];
            else
                weight += double(CountMorae(span->Reading, rules)) / span->Length;
        }
        weight += CountMorae(uncovered, rules);
        morae.append(weight);
    }
    return morae;
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
                                       const QVector<RubySpan>& readings, const SplitRules& rules) {
    if (line < 0 || line >= document.Lines.size() || document.Lines[line].Fragments.isEmpty())
        return {std::nullopt, QStringLiteral(u"この行にはフラグメントがありません")};
    const TimingLine& own = document.Lines[line];
    const int start = own.Fragments.first().StartMs;
    if (start < 0)
        return {std::nullopt, QStringLiteral(u"行の最初のフラグメントに時間がありません")};
    const int end = LineReadingEndMs(document, line);
    if (end < 0)
        return {
            std::nullopt,
            QStringLiteral(u"行の終わりがありません（終わりのタグも次の行の始まりもありません）")};
    if (end <= start)
        return {std::nullopt, QStringLiteral(u"行の終わりが始まりより前です")};
    const QVector<int> starts = SpreadStarts(FragmentMorae(own, readings, rules), start, end);
    TimingLine after = own;
    for (int k = 0; k < after.Fragments.size(); ++k) {
        after.Fragments[k].StartMs = starts[k];
        after.Fragments[k].EndMs = -1;
    }
    after.Fragments.last().EndMs = own.Fragments.last().EndMs;
    return {after, QString()};
}

} // namespace tavelkor
