#include "WordFormats.h"

#include "AssReader.h"
#include "SrtWriter.h"
#include "TtmlReader.h"
#include "TtmlWriter.h"
#include "VttReader.h"
#include "VttWriter.h"

namespace tavelkor {

namespace {

constexpr WordFormat AllFormats[] = {WordFormat::Ass, WordFormat::Ttml, WordFormat::Vtt,
                                     WordFormat::Srt};

std::optional<WordFormat> FormatOfExtension(QStringView extension) {
    const QString e = extension.toString().toLower();
    if (e == u"ass" || e == u"ssa")
        return WordFormat::Ass;
    if (e == u"ttml" || e == u"xml" || e == u"dfxp")
        return WordFormat::Ttml;
    if (e == u"vtt")
        return WordFormat::Vtt;
    if (e == u"srt")
        return WordFormat::Srt;
    return std::nullopt;
}

std::optional<TimedLyrics> ReadAs(WordFormat format, QStringView text) {
    switch (format) {
    case WordFormat::Ass:
        return ReadAssText(text);
    case WordFormat::Ttml:
        return ReadTtmlText(text);
    case WordFormat::Vtt:
        return ReadVttText(text);
    case WordFormat::Srt:
        return ReadSrtText(text);
    }
    return std::nullopt;
}

} // namespace

QString WordFormatName(WordFormat format) {
    switch (format) {
    case WordFormat::Ass:
        return QStringLiteral("ass");
    case WordFormat::Ttml:
        return QStringLiteral("ttml");
    case WordFormat::Vtt:
        return QStringLiteral("vtt");
    case WordFormat::Srt:
        return QStringLiteral("srt");
    }
    return QString();
}

std::optional<QList<WordFormat>> ParseWordFormats(QStringView list, QString& unknown) {
    QList<WordFormat> chosen;
    for (const QStringView word : list.split(u',')) {
        const QString name = word.trimmed().toString().toLower();
        if (name.isEmpty())
            continue;
        bool known = false;
        for (const WordFormat format : AllFormats) {
            if (name == WordFormatName(format)) {
                known = true;
                if (!chosen.contains(format))
                    chosen.append(format);
            }
        }
        if (!known) {
            unknown = word.trimmed().toString();
            return std::nullopt;
        }
    }
    if (chosen.isEmpty()) {
        unknown = list.toString();
        return std::nullopt;
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

QString MakeWordFormatText(WordFormat format, const TimedLyrics& lyrics,
                           const WordFormatOptions& options) {
    switch (format) {
    case WordFormat::Ass:
        return MakeAssText(lyrics, options.Ass);
    case WordFormat::Ttml:
        return MakeTtmlText(lyrics, options.Language);
    case WordFormat::Vtt:
        return MakeVttText(lyrics, options.VttStyle ? options.Ass.SungColour : QString(),
                           options.Ass.UnsungColour);
    case WordFormat::Srt:
        return MakeSrtText(lyrics);
    }
    return QString();
}

std::optional<TimedLyrics> ReadWordFormatText(QStringView text, QStringView extension) {
    const std::optional<WordFormat> hinted = FormatOfExtension(extension);
    if (hinted)
        if (auto lyrics = ReadAs(*hinted, text))
            return lyrics;
    const QStringView head = text.left(4096);
    auto tryFormat = [&](WordFormat format) -> std::optional<TimedLyrics> {
        return format == hinted ? std::nullopt : ReadAs(format, text);
    };
    std::optional<TimedLyrics> lyrics;
    if (head.trimmed().startsWith(u"WEBVTT") || head.startsWith(u"\xfeffWEBVTT"))
        lyrics = tryFormat(WordFormat::Vtt);
    if (!lyrics && text.contains(u"[Events]", Qt::CaseInsensitive))
        lyrics = tryFormat(WordFormat::Ass);
    if (!lyrics && head.contains(u"<tt"))
        lyrics = tryFormat(WordFormat::Ttml);
    if (!lyrics && text.contains(u"-->"))
        lyrics = tryFormat(WordFormat::Srt);
    return lyrics;
}

const QStringList& WordFormatExtensions() {
    static const QStringList extensions = {QStringLiteral("ass"),  QStringLiteral("ssa"),
                                           QStringLiteral("ttml"), QStringLiteral("xml"),
                                           QStringLiteral("dfxp"), QStringLiteral("vtt"),
                                           QStringLiteral("srt")};
    return extensions;
}

} // namespace tavelkor
