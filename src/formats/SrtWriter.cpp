#include "SrtWriter.h"

#include "CaptionText.h"

namespace tavelkor {

QString MakeSrtText(const TimedLyrics& lyrics) {
    QString text;
    int number = 0;
    for (const TimedLine& line : lyrics.Lines) {
        if (number > 0)
            text += CrLf;
        text += QString::number(++number) + CrLf;
        text += ClockTime(line.StartMs, u',', 3, 2) + QStringLiteral(" --> ") +
                ClockTime(line.EndMs, u',', 3, 2) + CrLf;
        QString words = line.Text();
        words.replace(u'\n', u' ');
        words.replace(u'\r', u' ');
        text += words + CrLf;
    }
    return text;
}

} // namespace tavelkor
