#include "TimingSession.h"

#include "../lyrics/TimeValues.h"
#include "LaneWindow.h"
#include "MoraDistribution.h"
#include "RubyPlacement.h"

#include <algorithm>

namespace tavelkor {

TimingSession::TimingSession(TimingDocument document, SplitRules split, TapRules taps)
    : document_(std::move(document)), split_(split), taps_(taps),
      selection_(document_.FirstFrom(0)) {}

void TimingSession::Select(FragmentPlace place) {
    holding_.reset();
    released_.reset();
    if (document_.At(place) != nullptr)
        selection_ = place;
}

void TimingSession::SelectLine(int line) {
    const FragmentPlace place =
        document_.FirstFrom(std::clamp(line, 0, std::max(0, int(document_.Lines.size()) - 1)));
    if (place.Valid())
        Select(place);
}

bool TimingSession::Change(const QString& caption, QVector<LineChange> changes,
                           FragmentPlace after) {
    changes.erase(std::remove_if(changes.begin(), changes.end(),
                                 [](const LineChange& c) { return c.Before == c.After; }),
                  changes.end());
    if (changes.isEmpty())
        return false;
    history_.Push(document_, {caption, std::move(changes), selection_, after});
    selection_ = after;
    return true;
}

bool TimingSession::StartTap(qint64 songMs, int& t) {
    holding_.reset();
    holdingLine_ = -1;
    lastSnapMs_ = 0;
    lastStayed_ = false;
    if (document_.At(selection_) == nullptr)
        return false;
    const int stamp = int(std::clamp<qint64>(songMs - taps_.TapOffsetMs, 0, MaxTagMs));
    t = Snap(stamp);
    lastSnapMs_ = t - stamp;
    lastStayed_ = t == stamp && Stays(stamp);
    return true;
}

bool TimingSession::TapDown(qint64 songMs, bool hold) {
    const FragmentPlace place = selection_;
    int t = 0;
    if (!StartTap(songMs, t))
        return false;
    QVector<LineChange> changes;
    TimingLine line = document_.Lines[place.Line];
    for (int j = 0; j < line.Fragments.size(); ++j) {
        TimedFragment& fragment = line.Fragments[j];
        if (j == place.Fragment) {
            fragment.StartMs = t;
            fragment.EndMs = -1;
        } else if (j > place.Fragment || fragment.StartMs > t) {
            // Later fragments are tapped next; earlier ones later than this tap lose their time.
            fragment.StartMs = -1;
            fragment.EndMs = -1;
        } else if (fragment.EndMs > t) {
            fragment.EndMs = -1;
        }
    }
    // A release just before this press is no pause: the fragment before ends where this starts.
    const FragmentPlace before = document_.Previous(place);
    if (released_ && *released_ == before && t - releasedMs_ < taps_.MinGapMs) {
        if (before.Line == place.Line) {
            line.Fragments[before.Fragment].EndMs = -1;
        } else {
            TimingLine previous = document_.Lines[before.Line];
            previous.Fragments[before.Fragment].EndMs = -1;
            changes.append({before.Line, document_.Lines[before.Line], previous});
        }
    }
    released_.reset();
    changes.append({place.Line, document_.Lines[place.Line], line});
    const FragmentPlace next = document_.Next(place);
    const bool changed = Change(QStringLiteral(u"タップ ") + MsToTag(t), changes, next);
    if (!changed)
        selection_ = next; // the same time again: nothing changed, the tap still moves on
    if (hold) {
        holding_ = place;
        holdingStep_ = changed ? history_.Index() : -1;
    }
    return true;
}

bool TimingSession::TapUp(qint64 songMs) {
    if (!holding_)
        return false;
    const FragmentPlace place = *holding_;
    holding_.reset();
    const TimedFragment* fragment = document_.At(place);
    const int t = int(std::clamp<qint64>(songMs - taps_.TapOffsetMs, 0, MaxTagMs));
    if (fragment == nullptr || !fragment->Timed() || t <= fragment->StartMs)
        return false;
    TimingLine line = document_.Lines[place.Line];
    for (int j = place.Fragment + 1; j < line.Fragments.size(); ++j) {
        if (line.Fragments[j].Timed() && line.Fragments[j].StartMs < t)
            return false;
    }
    line.Fragments[place.Fragment].EndMs = t;
    // The release joins the press's step when that is still the last one.
    if (holdingStep_ != history_.Index() || !history_.AmendLast(document_, place.Line, line))
        Change(QStringLiteral(u"終わり ") + MsToTag(t),
               {{place.Line, document_.Lines[place.Line], line}}, selection_);
    released_ = place;
    releasedMs_ = t;
    return true;
}

bool TimingSession::TapLineDown(qint64 songMs, bool hold) {
    released_.reset();
    const FragmentPlace place = selection_;
    int t = 0;
    if (!StartTap(songMs, t))
        return false;
    TimingLine line = document_.Lines[place.Line];
    for (TimedFragment& fragment : line.Fragments)
        fragment = {fragment.Text, -1, -1};
    line.Fragments.first().StartMs = t;
    const FragmentPlace next = document_.FirstFrom(place.Line + 1);
    const FragmentPlace after = next.Valid() && next.Line > place.Line ? next : FragmentPlace();
    const bool changed = Change(QStringLiteral(u"行タップ ") + MsToTag(t),
                                {{place.Line, document_.Lines[place.Line], line}}, after);
    if (!changed)
        selection_ = after; // the same time again: the tap still moves on
    lineTapped_ = place.Line;
    lineTapStep_ = changed ? history_.Index() : -1;
    if (hold)
        holdingLine_ = place.Line;
    return true;
}

int TimingSession::TapLineUp(qint64 songMs) {
    const int held = holdingLine_;
    holdingLine_ = -1;
    if (held < 0 || held >= document_.Lines.size())
        return -1;
    TimingLine line = document_.Lines[held];
    const int t = int(std::clamp<qint64>(songMs - taps_.TapOffsetMs, 0, MaxTagMs));
    if (line.Fragments.isEmpty() || !line.Fragments.first().Timed() ||
        t <= line.Fragments.first().StartMs)
        return -1;
    line.Fragments.last().EndMs = t;
    if (lineTapStep_ != history_.Index() || !history_.AmendLast(document_, held, line)) {
        const bool changed = Change(QStringLiteral(u"終わり ") + MsToTag(t),
                                    {{held, document_.Lines[held], line}}, selection_);
        lineTapStep_ = changed ? history_.Index() : -1;
    }
    return held;
}

QString TimingSession::PlaceTappedLine(int line, const QVector<RubySpan>& readings,
                                       const DecodedSong* song) {
    // Joined to the line's tap while that is the last step; else a step of its own.
    if (lineTapped_ == line && lineTapStep_ == history_.Index()) {
        const LineDistribution placed = DistributeLineByMorae(
            document_, line, readings, split_, KanjiTable::Installed(), song);
        if (!placed.Line)
            return placed.Refusal;
        if (history_.AmendLast(document_, line, *placed.Line))
            return QString();
    }
    return DistributeLine(line, readings, song);
}

bool TimingSession::MoveSelected(int deltaMs) {
    const TimedFragment* fragment = document_.At(selection_);
    if (fragment == nullptr || !fragment->Timed())
        return false;
    const TimingLine& line = document_.Lines[selection_.Line];
    const qint64 moved = qint64(fragment->StartMs) + deltaMs;
    const TimeRange range = StartRange(document_, selection_);
    if (moved < range.Low || moved > range.High)
        return false;
    TimingLine after = line;
    after.Fragments[selection_.Fragment].StartMs = int(moved);
    return Change(QStringLiteral(u"移動 %1 ms").arg(deltaMs), {{selection_.Line, line, after}},
                  selection_);
}

bool TimingSession::MoveStart(FragmentPlace place, int toMs) {
    lastSnapMs_ = 0;
    lastStayed_ = false;
    const TimeRange range = StartRange(document_, place);
    if (range.Low > range.High)
        return false;
    const int snapped = Snap(toMs);
    if (snapped != toMs && range.Clamp(snapped) == snapped)
        lastSnapMs_ = snapped - toMs;
    lastStayed_ = snapped == toMs && Stays(toMs);
    const int t = range.Clamp(toMs + lastSnapMs_);
    const TimingLine& line = document_.Lines[place.Line];
    TimingLine after = line;
    after.Fragments[place.Fragment].StartMs = t;
    return Change(QStringLiteral(u"ドラッグ ") + MsToTag(t), {{place.Line, line, after}},
                  selection_);
}

bool TimingSession::Stays(int timeMs) const {
    return snap_.On && onsets_ && OnsetWithin(*onsets_, timeMs, snap_.StayMs);
}

int TimingSession::Snap(int timeMs) const {
    return snap_.On && onsets_ ? SnapToOnset(*onsets_, timeMs, snap_.WindowMs, snap_.StayMs)
                               : timeMs;
}

bool TimingSession::MergeSelected() {
    if (document_.At(selection_) == nullptr)
        return false;
    const TimingLine& line = document_.Lines[selection_.Line];
    const int k = selection_.Fragment;
    if (k + 1 >= line.Fragments.size())
        return false;
    const TimedFragment& a = line.Fragments[k];
    const TimedFragment& b = line.Fragments[k + 1];
    TimedFragment merged{a.Text + b.Text, a.Timed() ? a.StartMs : b.StartMs, -1};
    merged.EndMs = b.EndMs >= 0 ? b.EndMs : (b.Timed() ? -1 : a.EndMs);
    TimingLine after = line;
    after.Fragments[k] = merged;
    after.Fragments.removeAt(k + 1);
    return Change(QStringLiteral(u"結合"), {{selection_.Line, line, after}}, selection_);
}

bool TimingSession::SplitSelected(int at) {
    const TimedFragment* fragment = document_.At(selection_);
    if (fragment == nullptr || at <= 0 || at >= fragment->Text.size() ||
        fragment->Text[at].isLowSurrogate())
        return false;
    const TimingLine& line = document_.Lines[selection_.Line];
    TimingLine after = line;
    TimedFragment& first = after.Fragments[selection_.Fragment];
    const TimedFragment second{first.Text.mid(at), -1, -1};
    first.Text.truncate(at);
    after.Fragments.insert(selection_.Fragment + 1, second);
    return Change(QStringLiteral(u"分割"), {{selection_.Line, line, after}}, selection_);
}

bool TimingSession::EditLineText(int lineIndex, const QString& text) {
    if (lineIndex < 0 || lineIndex >= document_.Lines.size())
        return false;
    const TimingLine& line = document_.Lines[lineIndex];
    const QString old = line.Text();
    if (old == text)
        return false;
    // The characters the old and the new text share at their head and tail.
    qsizetype head = 0;
    while (head < old.size() && head < text.size() && old[head] == text[head])
        ++head;
    qsizetype tail = 0;
    while (tail < old.size() - head && tail < text.size() - head &&
           old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
        ++tail;
    // Whole fragments inside them keep their text and times.
    TimingLine after;
    qsizetype headChars = 0;
    int first = 0;
    while (first < line.Fragments.size() && headChars + line.Fragments[first].Text.size() <= head) {
        headChars += line.Fragments[first].Text.size();
        after.Fragments.append(line.Fragments[first++]);
    }
    qsizetype tailChars = 0;
    int last = int(line.Fragments.size());
    while (last > first && tailChars + line.Fragments[last - 1].Text.size() <= tail) {
        tailChars += line.Fragments[last - 1].Text.size();
        --last;
    }
    const QString middle = text.mid(headChars, text.size() - headChars - tailChars);
    for (const QString& piece : SplitIntoFragments(middle, split_))
        after.Fragments.append({piece, -1, -1});
    for (int j = last; j < line.Fragments.size(); ++j)
        after.Fragments.append(line.Fragments[j]);
    // A line left empty hands the selection to the next line that has fragments, also when
    // the edit is redone.
    const FragmentPlace place =
        after.Fragments.isEmpty()
            ? document_.FirstFrom(lineIndex + 1)
            : FragmentPlace{lineIndex, std::min(first, int(after.Fragments.size()) - 1)};
    return Change(QStringLiteral(u"文字の編集"), {{lineIndex, line, after}}, place);
}

bool TimingSession::UntimeLine(int lineIndex) {
    if (lineIndex < 0 || lineIndex >= document_.Lines.size())
        return false;
    const TimingLine& line = document_.Lines[lineIndex];
    TimingLine after = line;
    for (TimedFragment& fragment : after.Fragments) {
        fragment.StartMs = -1;
        fragment.EndMs = -1;
    }
    return Change(QStringLiteral(u"行の時間を消す"), {{lineIndex, line, after}},
                  document_.FirstFrom(lineIndex));
}

bool TimingSession::SetLineReadings(int line, const QVector<RubySpan>& readings) {
    if (line < 0 || line >= document_.Lines.size())
        return false;
    QVector<RubyEntry> after = RubyWithLineReadings(document_, line, readings);
    if (SameRuby(after, document_.Header.Ruby))
        return false;
    EditStep step{QStringLiteral(u"ふりがな"), {}, selection_, selection_};
    step.RubyChanged = true;
    step.RubyBefore = document_.Header.Ruby;
    step.RubyAfter = std::move(after);
    history_.Push(document_, std::move(step));
    return true;
}

QString TimingSession::DistributeLine(int line, const QVector<RubySpan>& readings,
                                      const DecodedSong* song) {
    LineDistribution spread =
        DistributeLineByMorae(document_, line, readings, split_, KanjiTable::Installed(), song);
    if (!spread.Line)
        return spread.Refusal;
    if (!Change(QStringLiteral(u"行内を自動配分"), {{line, document_.Lines[line], *spread.Line}},
                selection_))
        return QStringLiteral(u"時間は変わりませんでした");
    return QString();
}

bool TimingSession::Replace(const QString& caption, const TimingDocument& document,
                            FragmentPlace selection) {
    holding_.reset();
    released_.reset();
    // No place (everything tapped) stays so; a place the document lacks becomes its first.
    if (selection.Valid() && document.At(selection) == nullptr)
        selection = document.FirstFrom(0);
    if (document.Lines == document_.Lines && ComposeTimingText(document) == ComposeText()) {
        selection_ = selection;
        return false;
    }
    EditStep step{caption, {}, selection_, selection};
    step.WholeBefore = std::make_shared<const TimingDocument>(document_);
    step.WholeAfter = std::make_shared<const TimingDocument>(document);
    history_.Push(document_, std::move(step));
    selection_ = selection;
    return true;
}

bool TimingSession::Undo() {
    if (!history_.CanUndo())
        return false;
    holding_.reset();
    released_.reset();
    selection_ = history_.Undo(document_);
    return true;
}

bool TimingSession::Redo() {
    if (!history_.CanRedo())
        return false;
    holding_.reset();
    released_.reset();
    selection_ = history_.Redo(document_);
    return true;
}

} // namespace tavelkor
