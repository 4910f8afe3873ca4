#include "LyricsFormat.h"

#include "../base/TextFile.h"
#include "../lyrics/TimeTagReader.h"
#include "DsmpReader.h"

namespace tavelkor {

namespace {

// A DSMP time "##:##:###=" anywhere in the text, not only at a line's start.
bool ContainsDsmpTime(QStringView text) {
    for (qsizetype at = text.indexOf(u':'); at >= 0; at = text.indexOf(u':', at + 1)) {
        if (at >= 2 && ReadDsmpTime(text.mid(at - 2)))
            return true;
    }
    return false;
}

} // namespace

LyricsFormat DetectLyricsFormat(const QString& path, EncodingChoice choice) {
    if (!FileExists(path))
        return LyricsFormat::Unknown;
    const QString text = ReadTextFile(path, 10000, choice).toLower();
    if (text.isEmpty())
        return LyricsFormat::Unknown;
    if (FindTimeTag(text) >= 0 || ContainsShortTag(text))
        return LyricsFormat::TimeTag;
    const qsizetype sync = text.indexOf(u"<sync start=");
    if (sync >= 0 && text.indexOf(u'>', sync + 12) >= 0)
        return LyricsFormat::Sami;
    if (ContainsDsmpTime(text))
        return LyricsFormat::Dsmp;
    return LyricsFormat::Unknown;
}

} // namespace tavelkor
