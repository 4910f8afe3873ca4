#include "CaptionText.h"

#include <QList>
#include <algorithm>
#include <limits>

namespace tavelkor {

int HeldMs(qint64 ms) { return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())); }

QString ClockTime(qint64 ms, QChar separator, int fractionDigits, int hourDigits) {
    ms = std::max<qint64>(ms, 0);
    const qint64 unit = fractionDigits == 2 ? 10 : 1;
    const qint64 fraction = (ms + unit / 2) / unit; // in units
    const qint64 perSecond = fractionDigits == 2 ? 100 : 1000;
    const qint64 seconds = fraction / perSecond;
    QString text;
    if (hourDigits > 0 || seconds >= 3600)
        text = QStringLiteral("%1:").arg(seconds / 3600, hourDigits == 0 ? 2 : hourDigits, 10,
                                         QChar(u'0'));
    text += QStringLiteral("%1:%2")
                .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
                .arg(seconds % 60, 2, 10, QChar(u'0'));
    text += separator;
    text += QStringLiteral("%1").arg(fraction % perSecond, fractionDigits, 10, QChar(u'0'));
    return text;
}

std::optional<int> ParseClockTime(QStringView text) {
    text = text.trimmed();
    qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        dot = text.indexOf(u',');
    const QStringView whole = dot < 0 ? text : text.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : text.mid(dot + 1);
    const QList<QStringView> fields = whole.split(u':');
    if (fields.size() > 3 || (dot >= 0 && fraction.isEmpty()))
        return std::nullopt;
    qint64 seconds = 0;
    for (const QStringView field : fields) {
        if (field.isEmpty() || field.size() > 9 ||
            !std::all_of(field.begin(), field.end(), [](QChar c) { return c.isDigit(); }))
            return std::nullopt;
        seconds = seconds * 60 + field.toLongLong();
    }
    qint64 ms = seconds * 1000;
    if (!fraction.isEmpty()) {
        if (!std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); }))
            return std::nullopt;
        // Only the first four digits matter for whole milliseconds.
        const QStringView digits = fraction.left(4);
        qint64 value = digits.toLongLong();
        for (qsizetype n = digits.size(); n < 4; ++n)
            value *= 10;
        ms += (value + 5) / 10;
    }
    return HeldMs(ms);
}

std::optional<std::array<int, 3>> ParseHexColour(QStringView text) {
    text = text.trimmed();
    if (text.size() != 7 || text[0] != u'#')
        return std::nullopt;
    bool ok = false;
    const uint value = text.mid(1).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return std::array<int, 3>{int(value >> 16 & 0xff), int(value >> 8 & 0xff), int(value & 0xff)};
}

QList<QStringView> SplitLines(QStringView text) {
    if (text.startsWith(u'\xfeff'))
        text = text.mid(1);
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

} // namespace tavelkor
