#include "LyricsSource.h"

#include "../base/TextFile.h"
#include "../lyrics/TextRules.h"
#include "../lyrics/TimeTagFile.h"
#include "DsmpReader.h"
#include "LrcReader.h"
#include "SamiReader.h"

namespace tavelkor {

LyricsSource ReadLyricsSource(const QString& path, EncodingChoice choice) {
    LyricsSource source;
    source.Path = path;
    const FileBytes bytes = ReadFileBytes(path, 0);
    source.Exists = bytes.Exists;
    source.ReadFailed = bytes.ReadFailed;
    if (!source.Exists || source.ReadFailed)
        return source;
    DecodedText decoded = DecodeText(bytes.Bytes, choice);
    source.Encoding = decoded.Encoding;
    source.EncodingReason = decoded.Reason;
    source.Text = std::move(decoded.Text);
    const QString lineEnd = FirstLineEnd(source.Text);
    if (!lineEnd.isEmpty())
        source.LineEnd = lineEnd;
    source.Format = bytes.Bytes.size() <= FormatProbeBytes ? DetectTextFormat(source.Text)
                                                           : DetectBytesFormat(bytes.Bytes, choice);
    switch (source.Format) {
    case LyricsFormat::TimeTag:
        source.Document = TimeTagDocumentOf(source.Text, true, true);
        break;
    case LyricsFormat::Sami:
        source.Document = ReadSamiText(source.Text);
        break;
    case LyricsFormat::Dsmp:
        source.Document = ReadDsmpText(source.Text);
        break;
    case LyricsFormat::Lrc:
        if (std::optional<LyricsDocument> document = ReadLrcText(source.Text, true))
            source.Document = std::move(*document);
        break;
    case LyricsFormat::Unknown:
        break;
    }
    return source;
}

} // namespace tavelkor
