#include "DsmpWriter.h"

#include "../lyrics/DisplayLines.h"

#include <QStringList>

namespace tavelkor {

QString FormatDsmpTime(int ms) {
    // Times reach the writer re-timed and never negative; a negative one is written as 0
    // rather than as a malformed prefix.
    const int value = ms < 0 ? 0 : ms;
    const int minutes = value / 60000;
    const int seconds = (value % 60000) / 1000;
    const int thousandths = value % 1000;
    return QStringLiteral("%1:%2:%3=")
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(seconds, 2, 10, QChar(u'0'))
        .arg(thousandths, 3, 10, QChar(u'0'));
}

QString MakeDsmpText(LyricsDocument& document, bool karaoke, int alignment, int lines) {
    if (document.LineCount() == 0)
        return QString();
    const LyricsHeader& header = document.Header;

    QString out;
    auto line = [&out](const QString& text) {
        out += text;
        out += CrLf;
    };
    line(QStringLiteral("[Spec]"));
    if (!header.Artist.isEmpty())
        line(QStringLiteral("Artist=") + header.Artist);
    else if (!header.CreditArtist.isEmpty())
        line(QStringLiteral("Artist=") + header.CreditArtist);
    if (!header.Title.isEmpty())
        line(QStringLiteral("Title=") + header.Title);
    else if (!header.CreditTitle.isEmpty())
        line(QStringLiteral("Title=") + header.CreditTitle);
    if (!header.TaggingBy.isEmpty())
        line(QStringLiteral("Presenter=") + header.TaggingBy);
    if (header.HasOffset)
        line(QStringLiteral("Adjust=") + QString::number(header.Offset));
    line(alignment == 0   ? QStringLiteral("Alignment=Left")
         : alignment == 1 ? QStringLiteral("Alignment=Center")
                          : QStringLiteral("Alignment=Right"));
    line(QString());
    line(QStringLiteral("[Text]"));

    const QChar quote = u'"';
    ForEachDisplayLine(document, karaoke, [&](const DisplayLine& lyric) {
        if (lyric.Source.IsDirective)
            return;
        if (!lyric.Timed) {
            line(lyric.Source.RawText);
            return;
        }
        QString row = FormatDsmpTime(lyric.TimeMs);
        if (lines == 1) {
            row += lyric.Text;
        } else {
            row += quote;
            row += lyric.Text;
            row += quote + u',' + quote + lyric.Source.FollowingTexts[0] + quote;
            if (lines == 3)
                row += u',' + quote + lyric.Source.FollowingTexts[1] + quote;
        }
        line(row);
    });
    return out;
}

} // namespace tavelkor
