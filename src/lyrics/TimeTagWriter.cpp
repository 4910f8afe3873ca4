#include "TimeTagWriter.h"

#include "Ruby.h"
#include "TextRules.h"
#include "TimeTagReader.h"
#include "TimeValues.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavelkor {

namespace {

QString ComposeLine(const LyricsDocument& document, const LyricsLine& line) {
    if (!document.HasTimeTags)
        return line.PlainText;
    if (document.HasKaraoke) {
        if (!line.HasTimeTag || line.FragmentCount() == 0)
            return line.PlainText;
        // The pieces are counted first and copied into a text of exactly their size.
        const KaraokeFragment& first = line.Fragments[0];
        const bool firstTag = line.Fragments[1].TagText != first.TagText;
        qsizetype size = (firstTag ? first.TagText.size() : 0) + first.Text.size();
        for (int k = 1; k <= line.FragmentCount(); ++k)
            size += line.Fragments[k].TagText.size() + line.Fragments[k].Text.size();
        QString s(size, Qt::Uninitialized);
        QChar* at = s.data();
        auto put = [&at](QStringView piece) {
            at = std::copy(piece.cbegin(), piece.cend(), at);
        };
        if (firstTag)
            put(first.TagText);
        put(first.Text);
        for (int k = 1; k <= line.FragmentCount(); ++k) {
            put(line.Fragments[k].TagText);
            put(line.Fragments[k].Text);
        }
        return s;
    }
    if (line.HasTimeTag && !line.Fragments.isEmpty() && !line.Fragments[0].TagText.isEmpty())
        return line.Fragments[0].TagText.toString() + line.PlainText;
    return line.PlainText;
}

int SnapToSampleRate(int estimated) {
    if (estimated >= 46051)
        return 48000;
    if (estimated >= 38051)
        return 44100;
    if (estimated >= 28001)
        return 32000;
    if (estimated >= 23026)
        return 24000;
    if (estimated >= 19026)
        return 22050;
    if (estimated >= 14001)
        return 16000;
    if (estimated >= 11513)
        return 12000;
    if (estimated >= 9513)
        return 11025;
    return 8000;
}

} // namespace

QString NormalizeTrailingBreaks(QString text) {
    qsizetype end = text.size();
    while (end >= 2 && text[end - 2] == u'\r' && text[end - 1] == u'\n')
        end -= 2;
    if (end == 0)
        return QString();
    // A text handed over (moved in) is cut and ended where it stands, without a copy.
    text.truncate(end);
    text += CrLf;
    return text;
}

void ComposeLyricsText(LyricsDocument& document) {
    document.Text.clear();
    if (document.LineCount() == 0)
        return;
    qsizetype size = 0;
    for (const LyricsLine& line : std::as_const(document.Lines))
        size += line.RawText.size() + 2;
    QString text;
    text.reserve(size + size / 16 + 256); // room for retimed tags and the header
    for (LyricsLine& line : document.Lines) {
        if (line.IsDirective)
            continue;
        line.RawText = ComposeLine(document, line);
        text += line.RawText;
        text += CrLf;
    }
    text = NormalizeTrailingBreaks(std::move(text));
    const QString header = ComposeHeaderText(document.Header);
    if (!text.isEmpty())
        text += CrLf;
    text += header;
    document.Text = std::move(text);
}

QString UnknownDirectiveText(const LyricsDocument& document) {
    QString out;
    for (const LyricsLine& line : document.Lines) {
        LyricsHeader scratch;
        if (line.IsDirective && !ReadDirective(line.RawText, scratch)) {
            out += line.RawText;
            out += CrLf;
        }
    }
    return out;
}

QString ComposeHeaderText(LyricsHeader& header) {
    QString out;
    auto line = [&out](QStringView key, const QString& value) {
        out += key;
        out += value;
        out += CrLf;
    };
    if (!header.Artist.isEmpty())
        line(u"@Artist=", TrimSpaces(header.Artist));
    if (!header.Title.isEmpty())
        line(u"@Title=", TrimSpaces(header.Title));
    if (!header.Album.isEmpty())
        line(u"@Album=", TrimSpaces(header.Album));
    if (!header.BgFile.isEmpty())
        line(u"@BgFile=", TrimSpaces(header.BgFile));
    if (!header.BgFolder.isEmpty())
        line(u"@BgFolder=", TrimSpaces(header.BgFolder));
    if (header.HasTimeRatio || ResolveTimeRatio(header))
        line(u"@TimeRatio=", FormatNumber(header.TimeRatio));
    if (header.HasSilencemSec)
        line(u"@SilencemSec=", QString::number(header.SilencemSec));
    if (header.HasOffset)
        line(u"@Offset=", QString::number(header.Offset));
    if (!header.TaggingBy.isEmpty())
        line(u"@TaggingBy=", TrimSpaces(header.TaggingBy));
    if (!header.EditedBy.isEmpty())
        line(u"@EditedBy=", TrimSpaces(header.EditedBy));
    for (const RubyEntry& entry : header.Ruby) {
        out += ComposeRubyDirective(entry);
        out += CrLf;
    }
    return out;
}

bool EstimateWinampRatio(int frames, int totalSeconds, double& ratio) {
    ratio = 0;
    if (frames <= 0 || totalSeconds <= 0)
        return false;
    const double msPerFrame = double(totalSeconds) * 1000.0 / double(frames);
    const double estimated = std::floor(1152000.0 / msPerFrame);
    const int rate = SnapToSampleRate(estimated > 1e9 ? 1000000000 : int(estimated));
    const double exact = 1152.0 / (rate / 1000.0);
    const double counted = std::floor(exact);
    ratio = RoundTrip15(counted / exact);
    return true;
}

bool ResolveTimeRatio(LyricsHeader& header) {
    if (header.TimeType == u"normal") {
        header.TimeRatio = 1;
        header.HasTimeRatio = true;
        header.HasFrames = false;
        header.HasTotalSec = false;
        return true;
    }
    if (header.TimeType == u"winamp") {
        double ratio = 0;
        if (EstimateWinampRatio(header.Frames, header.TotalSec, ratio)) {
            header.TimeRatio = ratio;
            header.HasTimeRatio = true;
            header.HasFrames = false;
            header.HasTotalSec = false;
            return true;
        }
        header.TimeRatio = 0;
        header.HasTimeRatio = false;
        return false;
    }
    return false;
}

} // namespace tavelkor
