#include "TimingView.h"

#include <climits>

#include "../lyrics/TimeValues.h"
#include "RubyPlacement.h"

namespace tavelkor {

QVector<DisplayRow> TimingRows(const TimingDocument& document, int line, qint64 positionMs) {
    QVector<DisplayRow> rows(2);
    if (line < 0 || line >= document.Lines.size())
        return rows;
    for (const TimedFragment& fragment : document.Lines[line].Fragments) {
        rows[0].Text += fragment.Text;
        if (fragment.Timed() && fragment.StartMs <= positionMs)
            rows[0].Sung = int(rows[0].Text.size());
    }
    rows[0].Ruby = LineReadings(document, line);
    for (int next = line + 1; next < document.Lines.size(); ++next) {
        const QString text = document.Lines[next].Text();
        if (!text.isEmpty()) {
            rows[1].Text = text;
            rows[1].Ruby = LineReadings(document, next);
            break;
        }
    }
    return rows;
}

QString ClockText(qint64 ms) {
    ms = std::max<qint64>(0, ms);
    const qint64 centis = (ms + 5) / 10;
    return QStringLiteral("%1:%2.%3")
        .arg(centis / 6000, 2, 10, QChar(u'0'))
        .arg(centis / 100 % 60, 2, 10, QChar(u'0'))
        .arg(centis % 100, 2, 10, QChar(u'0'));
}

QString TimingListText(const TimingLine& line, int selected) {
    QString text;
    int start = -1;
    for (const TimedFragment& fragment : line.Fragments) {
        if (fragment.Timed()) {
            start = fragment.StartMs;
            break;
        }
    }
    text += start >= 0 ? ClockText(start) : QStringLiteral("--:--.--");
    text += u"  ";
    for (int k = 0; k < line.Fragments.size(); ++k) {
        if (k > 0)
            text += u'|';
        const QString& piece = line.Fragments[k].Text;
        text += k == selected ? u'［' + piece + u'］' : piece;
    }
    return text;
}

QString FragmentTimesText(const TimingLine& line) {
    QStringList parts;
    for (const TimedFragment& fragment : line.Fragments) {
        QString part = fragment.Text + u' ';
        part += fragment.Timed() ? ClockText(fragment.StartMs) : QStringLiteral(u"–");
        if (fragment.EndMs >= 0)
            part += u'～' + ClockText(fragment.EndMs);
        parts.append(part);
    }
    return parts.join(QStringLiteral("  "));
}

namespace {

int FirstStart(const TimingLine& line) {
    for (const TimedFragment& fragment : line.Fragments) {
        if (fragment.Timed())
            return fragment.StartMs;
    }
    return -1;
}

} // namespace

int LineAt(const TimingDocument& document, qint64 positionMs) {
    int found = -1;
    int latest = -1;
    for (int i = 0; i < document.Lines.size(); ++i) {
        const int start = FirstStart(document.Lines[i]);
        if (start >= 0 && start <= positionMs && start >= latest) {
            found = i;
            latest = start;
        }
    }
    return found;
}

FragmentPlace FragmentAt(const TimingDocument& document, qint64 positionMs) {
    FragmentPlace found;
    int latest = -1;
    for (int i = 0; i < document.Lines.size(); ++i) {
        const QVector<TimedFragment>& fragments = document.Lines[i].Fragments;
        for (int j = 0; j < fragments.size(); ++j) {
            const int start = fragments[j].StartMs;
            if (start >= 0 && start <= positionMs && start >= latest) {
                found = {i, j};
                latest = start;
            }
        }
    }
    if (!found.Valid())
        return document.FirstFrom(0);
    const int end = document.At(found)->EndMs;
    if (end >= 0 && end <= positionMs && document.Next(found).Valid())
        return document.Next(found);
    return found;
}

QVector<TimeRange> LineSpans(const TimingDocument& document) {
    QVector<TimeRange> spans;
    for (const TimingLine& line : document.Lines) {
        TimeRange span{INT_MAX, -1};
        for (const TimedFragment& fragment : line.Fragments) {
            if (!fragment.Timed())
                continue;
            span.Low = std::min(span.Low, fragment.StartMs);
            span.High = std::max({span.High, fragment.StartMs, fragment.EndMs});
        }
        if (span.High >= 0)
            spans.append(span);
    }
    return spans;
}

qint64 LineEndMs(const TimingDocument& document, int line) {
    if (line < 0 || line >= document.Lines.size())
        return -1;
    qint64 last = -1;
    for (const TimedFragment& fragment : document.Lines[line].Fragments) {
        if (fragment.Timed())
            last = std::max<qint64>({last, fragment.StartMs, fragment.EndMs});
    }
    if (last < 0)
        return -1;
    qint64 end = last + 1000;
    for (int next = line + 1; next < document.Lines.size(); ++next) {
        const int start = FirstStart(document.Lines[next]);
        if (start >= 0) {
            if (start > last)
                end = std::min<qint64>(end, start);
            break;
        }
    }
    return end;
}

qint64 EventAge::AgeMs(quint64 timestampMs, qint64 nowMs) {
    if (timestampMs == 0)
        return 0;
    const qint64 difference = nowMs - qint64(timestampMs);
    if (!known_ || difference < smallest_) {
        smallest_ = difference;
        known_ = true;
    }
    const qint64 age = difference - smallest_;
    return age > 1000 ? 0 : age;
}

} // namespace tavelkor
