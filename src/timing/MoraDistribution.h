// 「行内を自動配分」: a line's fragments spread between its first start and its end by the morae
// of what each fragment reads (kana as written, kanji by their reading), so that a line tapped
// only at its start and end gets karaoke times that follow its syllables.
#pragma once

#include "../lyrics/Ruby.h"
#include "KanjiReadings.h"
#include "KanjiShares.h"
#include "TimingDocument.h"

#include <QString>
#include <QVector>
#include <optional>

namespace tavelkor {

struct DecodedSong;

// The readings of a line for counting: `first` (the document's) and, where they leave kanji
// uncovered, `more` (the dictionary's) that overlap none of them.
QVector<RubySpan> MergeReadings(const QVector<RubySpan>& first, const QVector<RubySpan>& more);

// The dictionary's readings as spans of the line.
QVector<RubySpan> SpansOf(const QVector<KanjiReading>& readings);

// The morae of each fragment of `line`: characters under a reading share its morae (a reading
// over several fragments is shared by characters: each kanji the part of the reading it reads
// by `kanji`, evenly where the reading cannot be shared out), other characters count as the
// splitting rules count them (a kanji without a reading one).
QVector<double> FragmentMorae(const TimingLine& line, const QVector<RubySpan>& readings,
                              const SplitRules& rules, const KanjiTable& kanji = KanjiTable());

// The starts of fragments weighing `weights` (a weight of 0 or less counts 1) from `startMs` to
// `endMs`: each start is `startMs` plus the share of the weights before it, rounded to whole
// ms from the running sum, so the times never go back and nothing drifts.
QVector<int> SpreadStarts(const QVector<double>& weights, int startMs, int endMs);

struct LineDistribution {
    std::optional<TimingLine> Line; // the line with its new times, or nothing
    QString Refusal;                // why not, when nothing
};
// Line `line` of `document` spread by its morae between its first fragment's start and its end
// (the last fragment's end, else the next timed line's start). Pauses inside the line go; the
// first start and the end stay. With `song`, the fragments are placed on its voice inside that
// span instead (PlaceFragments, words of Latin letters weighing their syllables).
LineDistribution DistributeLineByMorae(const TimingDocument& document, int line,
                                       const QVector<RubySpan>& readings, const SplitRules& rules,
                                       const KanjiTable& kanji = KanjiTable(),
                                       const DecodedSong* song = nullptr);

} // namespace tavelkor
