#include "Adjustments.h"

#include "DisplayLines.h"
#include "Ruby.h"

#include "TimeTagReader.h"
#include "TimeValues.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tavelkor {

LyricsDocument NormalizeKaraoke(LyricsDocument document, bool& changed) {
    changed = false;
    if (document.LineCount() < 2)
        return document;
    // Walking backwards with the running minimum gives every fragment the smallest time among
    // itself and all later fragments in one pass.
    // Lines are only written to (and so copied, when the document is shared) where a time
    // changes.
    int laterMinimum = std::numeric_limits<int>::max();
    for (qsizetype i = document.Lines.size() - 1; i >= 0; --i) {
        if (!std::as_const(document.Lines)[i].HasTimeTag)
            continue;
        for (qsizetype k = std::as_const(document.Lines)[i].Fragments.size() - 1; k >= 0; --k) {
            const int time = std::as_const(document.Lines)[i].Fragments[k].TimeMs;
            if (time > laterMinimum) {
                KaraokeFragment& fragment = document.Lines[i].Fragments[k];
                fragment.TimeMs = laterMinimum;
                SetTagText(fragment.TagText, laterMinimum);
                changed = true;
            } else {
                laterMinimum = time;
            }
        }
    }
    return document;
}

LyricsDocument KaraokeToLineTop(const LyricsDocument& document) {
    LyricsDocument copy = document;
    if (!copy.HasKaraoke)
        return copy;
    for (LyricsLine& line : copy.Lines) {
        if (!line.HasTimeTag || line.Fragments.size() < 2)
            continue;
        KaraokeFragment head = line.Fragments[1];
        head.Text = line.PlainText;
        KaraokeFragment zero = head;
        zero.Text.clear();
        line.Fragments = {zero, head};
        line.RawText = head.TagText.toString() + line.PlainText;
        line.IsKaraoke = false;
    }
    copy.HasKaraoke = false;
    return copy;
}

void FillFollowingTexts(LyricsDocument& document, int filled) {
    filled = std::clamp(filled, 0, 3);
    if (filled == 0)
        return;
    // Walks backwards keeping the nearest three non-directive texts, so a long run of
    // directive lines costs nothing extra.
    // The texts are shared, not copied; a text that is already there (the document was filled
    // before) is left alone.
    std::array<const QString*, 3> next{};
    int known = 0;
    for (qsizetype j = document.Lines.size() - 1; j >= 0; --j) {
        LyricsLine& line = document.Lines[j];
        for (int slot = 0; slot < std::min(known, filled); ++slot) {
            if (!line.FollowingTexts[slot].isSharedWith(*next[slot]))
                line.FollowingTexts[slot] = *next[slot];
        }
        if (line.IsDirective)
            continue;
        next[2] = next[1];
        next[1] = next[0];
        next[0] = &line.PlainText;
        if (known < 3)
            ++known;
    }
}

qint64 DisplayTextSize(LyricsDocument& document, bool karaoke, int followingSlots) {
    const int slotCount = std::clamp(followingSlots, 0, 3);
    FillFollowingTexts(document, slotCount);
    qint64 total = 0;
    for (const LyricsLine& line : std::as_const(document.Lines)) {
        qint64 shown = line.PlainText.size();
        for (int slot = 0; slot < slotCount; ++slot)
            shown += line.FollowingTexts[slot].size();
        const qint64 steps = karaoke && line.HasTimeTag ? std::max(1, line.FragmentCount()) : 1;
        total += steps * shown;
        if (total > MaxDisplayTextChars)
            return total; // enough to know
    }
    return total;
}

LyricsDocument MakePseudoKaraoke(LyricsDocument& document, QStringList& unsungTexts) {
    LyricsDocument result;
    unsungTexts.clear();
    if (document.LineCount() == 0)
        return result;
    FillFollowingTexts(document);
    qsizetype steps = 0;
    for (const LyricsLine& source : std::as_const(document.Lines))
        steps += source.HasTimeTag ? std::max(1, source.FragmentCount()) : 1;
    result.Lines.reserve(steps);
    unsungTexts.reserve(steps);
    for (const LyricsLine& source : std::as_const(document.Lines)) {
        if (!source.HasTimeTag || source.Fragments.size() < 2) {
            result.Lines.append(source);
            unsungTexts.append(QString());
            continue;
        }
        QString sung = source.Fragments[0].Text;
        for (int l = 1; l <= source.FragmentCount(); ++l) {
            const KaraokeFragment& tag = source.Fragments[l];
            sung += tag.Text;
            LyricsLine& step = result.Lines.emplace_back();
            step.HasTimeTag = true;
            step.PlainText = sung;
            step.FollowingTexts = source.FollowingTexts;
            step.Fragments.reserve(2);
            step.Fragments.append(KaraokeFragment{tag.TagText, tag.TimeMs, QString()});
            step.Fragments.append(KaraokeFragment{tag.TagText, tag.TimeMs, sung});
            unsungTexts.append(source.PlainText.mid(sung.size()));
        }
    }
    result.HasTimeTags = true;
    result.HasKaraoke = false;
    result.Header = document.Header;
    return result;
}

LyricsDocument MergeProgressiveLines(const LyricsDocument& document) {
    LyricsDocument result;
    result.Header = document.Header;
    if (document.LineCount() == 0) {
        result.Text = document.Text;
        ParseLyricsText(result, false, true);
        return result;
    }
    QString text;
    QString previous;
    bool open = false;
    for (const LyricsLine& line : document.Lines) {
        if (line.HasTimeTag) {
            const QStringView tag = line.Fragments[0].TagText;
            if (open && !previous.isEmpty() && line.PlainText.startsWith(previous)) {
                text += tag;
                text += QStringView(line.PlainText).mid(previous.size());
            } else {
                if (open)
                    text += CrLf;
                text += tag;
                text += line.PlainText;
                open = true;
            }
            previous = line.PlainText;
        } else {
            if (open) {
                text += CrLf;
                previous.clear();
                open = false;
            }
            text += line.RawText;
            text += CrLf;
        }
    }
    if (!text.endsWith(CrLf))
        text += CrLf;
    result.Text = text;
    ParseLyricsText(result, false, true);
    // The readings stay the document's: a document read from another format (SAMI) holds
    // them in its header only, not as lines of its text.
    result.Header.Ruby = document.Header.Ruby;
    return result;
}

void ApplyTimeCorrection(LyricsDocument& document, double& targetRatio, int silenceMs) {
    if (document.LineCount() == 0)
        return;
    if (!(targetRatio >= 0 && targetRatio <= 1))
        targetRatio = 1;
    LyricsHeader& header = document.Header;
    double ratio = header.TimeRatio;
    if (!(ratio >= 0 && ratio <= 1))
        ratio = DefaultTimeRatio;
    // A ratio of 0 cannot turn tag time back into real time; the division takes it, like a
    // ratio out of range, as the standard player ratio.
    const double divisor = ratio > 0 ? ratio : DefaultTimeRatio;
    const bool moveSilence = silenceMs >= 0 && header.HasSilencemSec;
    const double target = targetRatio;

    auto corrected = [&](int timeMs) {
        long long ms;
        if (target != ratio) {
            double x = timeMs / divisor;
            if (moveSilence)
                x = x - header.SilencemSec + silenceMs;
            if (header.HasOffset)
                x += header.Offset;
            if (x < 0)
                x = 0;
            x *= target;
            const double rounded = RoundVia15Digits(x);
            ms = rounded > double(std::numeric_limits<int>::max())
                     ? std::numeric_limits<int>::max()
                     : static_cast<long long>(rounded);
        } else {
            ms = timeMs;
            if (moveSilence)
                ms = ms - header.SilencemSec + silenceMs;
            if (header.HasOffset)
                ms += header.Offset;
            if (ms < 0)
                ms = 0;
        }
        return ClampToInt32(ms);
    };

    for (LyricsLine& line : document.Lines) {
        if (line.FragmentCount() == 0)
            continue;
        for (KaraokeFragment& fragment : line.Fragments) {
            fragment.TimeMs = corrected(fragment.TimeMs);
            SetTagText(fragment.TagText, fragment.TimeMs);
        }
    }
    // The readings' times are times like any other.
    MapRubyTimes(header.Ruby, corrected);

    header.HasOffset = false;
    header.Offset = 0;
    header.TimeRatio = target;
    header.HasTimeRatio = true;
    if (silenceMs >= 0) {
        header.SilencemSec = silenceMs;
        header.HasSilencemSec = true;
    }
}

} // namespace tavelkor
