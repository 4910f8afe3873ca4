#include "LyricsFormat.h"

#include "../base/TextFile.h"
#include "../lyrics/TimeTagReader.h"
#include "DsmpReader.h"
#include "LrcReader.h"

#include <algorithm>

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
    return DetectTextFormat(ReadTextFile(path, FormatProbeBytes, choice));
}

LyricsFormat DetectBytesFormat(QByteArrayView bytes, EncodingChoice choice) {
    return DetectTextFormat(
        DecodeText(bytes.first(std::min(bytes.size(), FormatProbeBytes)), choice).Text);
}

LyricsFormat DetectTextFormat(QStringView text) {
    if (text.isEmpty())
        return LyricsFormat::Unknown;
    if (FindTimeTag(text) >= 0)
        return LyricsFormat::TimeTag;
    if (LooksLikeLrc(text))
        return LyricsFormat::Lrc;
    if (ContainsShortTag(text))
        return LyricsFormat::TimeTag;
    const QString lower = text.toString().toLower();
    const qsizetype sync = lower.indexOf(u"<sync start=");
    if (sync >= 0 && lower.indexOf(u'>', sync + 12) >= 0)
        return LyricsFormat::Sami;
    if (ContainsDsmpTime(lower))
        return LyricsFormat::Dsmp;
    return LyricsFormat::Unknown;
}

} // namespace tavelkor
