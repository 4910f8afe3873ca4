// The timing editor's model: the document, the selected fragment (the next one a tap stamps),
// taps and holds in song time, re-timing, fine moves, merge and split, text edits and the
// undo history. The window maps keys to these calls and draws what they leave.
#pragma once

#include "../lyrics/Ruby.h"
#include "EditHistory.h"
#include "OnsetSnap.h"
#include "TimingDocument.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace tavelkor {

struct TapRules {
    int MinGapMs = 200;  // a release followed by a press within this is no pause
    int TapOffsetMs = 0; // subtracted from every stamp (the user's reaction time)
};

struct DecodedSong;

class TimingSession {
public:
    TimingSession() = default;
    TimingSession(TimingDocument document, SplitRules split, TapRules taps);

    const TimingDocument& Document() const { return document_; }
    const EditHistory& History() const { return history_; }
    bool Modified() const { return history_.Modified(); }
    void MarkSaved() { history_.MarkClean(); }
    QString ComposeText() const { return ComposeTimingText(document_); }
    void SetTapRules(TapRules taps) { taps_ = taps; }
    void SetSplitRules(SplitRules split) { split_ = split; }
    // Taps and dropped handles take the time of an onset within the window when snapping is
    // on; `onsets` (sorted) may be null while they are not known yet.
    void SetSnap(SnapRules snap, std::shared_ptr<const std::vector<int>> onsets) {
        snap_ = snap;
        onsets_ = std::move(onsets);
    }
    // How far snapping moved the last tap or dropped handle (0: not at all).
    int LastSnapMs() const { return lastSnapMs_; }
    // True when snapping left the last tap or drop where it was because an onset is already
    // within SnapRules::StayMs of it.
    bool LastSnapStayed() const { return lastStayed_; }

    FragmentPlace Selection() const { return selection_; }
    // Selects a fragment (clamped into the document); the next tap re-times from it.
    void Select(FragmentPlace place);
    void SelectLine(int line);

    // A tap key went down at `songMs`: stamps the selected fragment's start, clears the later
    // fragments of its line (they are tapped next) and selects the next fragment. With `hold`
    // the key's release stamps the end. False when nothing is left to stamp.
    bool TapDown(qint64 songMs, bool hold);
    // The hold key came up at `songMs`: the fragment its press stamped ends there (joined to
    // the tap's undo step). False when no hold is open.
    bool TapUp(qint64 songMs);

    // 「行だけタップ」: a tap key went down at `songMs`: the selected line's first fragment starts
    // there, its other times go and the next line is selected. With `hold` the release ends the
    // line (TapLineUp). False when no line is left to tap.
    bool TapLineDown(qint64 songMs, bool hold);
    // The hold key came up at `songMs`: the line its press started ends there (joined to the
    // press's step). The line, or -1 when no hold is open or the end is not after the start.
    int TapLineUp(qint64 songMs);
    // The fragments of tapped line `line` placed between its start and end by `readings`, on
    // `song`'s voice when there is one: joined to the line's tap step while that is the last
    // step, else a step of its own. Empty when done, else why not.
    QString PlaceTappedLine(int line, const QVector<RubySpan>& readings, const DecodedSong* song);

    // The selected fragment's start moves by `deltaMs`; refused (false) when it is not timed or
    // would cross a time beside it in its line.
    bool MoveSelected(int deltaMs);
    // A handle dragged on the waveform: the start of the fragment at `place` goes to `toMs`
    // (snapped), held between the times beside it in its line; one undo step. The selection
    // stays. False when the fragment is not timed or the time does not change.
    bool MoveStart(FragmentPlace place, int toMs);
    // The selected fragment and the next one in its line become one. False at the line's end.
    bool MergeSelected();
    // The selected fragment splits before its character `at` (1..length-1); the second part is
    // not timed. False for a position outside the fragment.
    bool SplitSelected(int at);
    // The line's text becomes `text`: fragments in the unchanged head and tail of the text
    // keep their times, the changed middle is split anew and not timed.
    bool EditLineText(int line, const QString& text);
    // Every time of the line is removed. False when it had none.
    bool UntimeLine(int line);

    // Line `line` reads `readings` (over its text; none: no readings): the document's "@RubyN"
    // entries are composed anew (RubyPlacement.h) as one step. False when nothing changed.
    bool SetLineReadings(int line, const QVector<RubySpan>& readings);
    // 「行内を自動配分」: the line's fragments spread by the morae of `readings`, or with `song`
    // placed on its voice (MoraDistribution.h), as one step. Empty when done, else why not.
    QString DistributeLine(int line, const QVector<RubySpan>& readings,
                           const DecodedSong* song = nullptr);

    // The whole document becomes `document` with `selection` (a restored autosave) as one step
    // named `caption`, so that undoing it gives the file as it was opened. False (only the
    // selection taken) when the document is the same.
    bool Replace(const QString& caption, const TimingDocument& document, FragmentPlace selection);

    bool Undo();
    bool Redo();

private:
    bool Change(const QString& caption, QVector<LineChange> changes, FragmentPlace after);
    int Snap(int timeMs) const;
    // A tap begins: open holds end; false when nothing is selected to tap, else `t` is the
    // tap's time (less the tap offset, inside the tags' range, snapped; LastSnapMs set).
    bool StartTap(qint64 songMs, int& t);
    bool Stays(int timeMs) const;

    TimingDocument document_;
    EditHistory history_;
    SplitRules split_;
    TapRules taps_;
    SnapRules snap_;
    std::shared_ptr<const std::vector<int>> onsets_;
    int lastSnapMs_ = 0;
    bool lastStayed_ = false;
    FragmentPlace selection_;
    // The fragment a held key stamped, until the key comes up.
    std::optional<FragmentPlace> holding_;
    int holdingStep_ = -1; // the history index after the held tap's own step; -1: it made none
    // The fragment whose end the last release stamped, and that time.
    std::optional<FragmentPlace> released_;
    int releasedMs_ = 0;
    // The line a held line tap started, and the history index after the tap's step.
    int holdingLine_ = -1;
    int lineTapStep_ = -1;
    int lineTapped_ = -1; // the line that step tapped
};

} // namespace tavelkor
