#include "TtmlReader.h"

#include "CaptionText.h"
#include "TtmlTime.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace tavelkor {

namespace {

const QString TtmlNamespace = QStringLiteral("http://www.w3.org/ns/ttml");

// The element's timing: its begin and end on the song's clock, from its own attributes and
// the begin of its parent (`base`, 0 when times are on the song's clock).
struct Timing {
    std::optional<qint64> Begin;
    std::optional<qint64> End;
};

// Whether the document's times are all on the song's clock, as the music players' dialect
// writes them (with or without its `itunes:timing` mark), rather than counted from the parent's
// begin as TTML says. A timed element inside a timed parent tells: read as TTML, a dialect
// file's word starts after its line has ended (21.40 s inside a line from 21.40 s gives 42.80
// s); read on the song's clock, a TTML file's word starts before its line. The reading that
// fewer elements contradict wins; when neither is contradicted the times are TTML's.
bool TimesOnTheSongsClock(const QString& text) {
    QXmlStreamReader xml(text);
    struct Raw {
        std::optional<qint64> Begin;
        std::optional<qint64> End;
    };
    QVector<Raw> open;
    TtmlRates rates;
    int againstNested = 0;   // elements the TTML reading puts past their parent's end
    int againstAbsolute = 0; // elements the song's clock puts outside their parent
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD)
            return false;
        if (token == QXmlStreamReader::EndElement && !open.isEmpty())
            open.removeLast();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"tt") {
            for (const QXmlStreamAttribute& attribute : attributes)
                if (attribute.name() == u"timing")
                    return true;
            rates = TtmlRatesOf(attributes);
        }
        Raw raw;
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (attribute.name() == u"begin")
                raw.Begin = ParseTtmlTime(attribute.value(), rates);
            else if (attribute.name() == u"end")
                raw.End = ParseTtmlTime(attribute.value(), rates);
        }
        // Each open element holds the times of its nearest timed element, itself included.
        if (raw.Begin && !open.isEmpty() && open.last().Begin && open.last().End &&
            *open.last().Begin > 0) {
            const qint64 from = *open.last().Begin;
            const qint64 to = *open.last().End;
            if (from + *raw.Begin >= to)
                ++againstNested;
            if (*raw.Begin < from || *raw.Begin > to || (raw.End && *raw.End > to))
                ++againstAbsolute;
        }
        if (!raw.Begin && !open.isEmpty())
            raw = open.last();
        open.append(raw);
    }
    return againstNested > againstAbsolute;
}

class TtmlParser {
public:
    explicit TtmlParser(QStringView text)
        : xml_(text.toString()), absolute_(TimesOnTheSongsClock(text.toString())) {}

    std::optional<TimedLyrics> Read() {
        // The base time of every open element; the body's children inherit it.
        QVector<qint64> bases{0};
        int skipDepth = 0; // inside an element whose text is not lyrics
        while (!xml_.atEnd()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::DTD)
                return std::nullopt; // entities are never expanded, so no declaration is taken
            if (token == QXmlStreamReader::StartElement) {
                const Timing timing = TimingOf(bases.last());
                bases.append(absolute_ ? 0 : timing.Begin.value_or(bases.last()));
                if (skipDepth > 0) {
                    ++skipDepth;
                    continue;
                }
                StartElement(timing, skipDepth);
            } else if (token == QXmlStreamReader::EndElement) {
                bases.removeLast();
                if (skipDepth > 0) {
                    --skipDepth;
                    continue;
                }
                EndElement();
            } else if (token == QXmlStreamReader::Characters && skipDepth == 0) {
                Characters(xml_.text());
            }
        }
        if (xml_.hasError() || !sawTt_ || lyrics_.Lines.isEmpty())
            return std::nullopt;
        return std::move(lyrics_);
    }

private:
    QStringView AttributeNamed(QStringView name) const {
        for (const QXmlStreamAttribute& attribute : xml_.attributes()) {
            if (attribute.name() == name)
                return attribute.value();
        }
        return {};
    }

    Timing TimingOf(qint64 base) const {
        Timing timing;
        const QStringView begin = AttributeNamed(u"begin");
        const QStringView end = AttributeNamed(u"end");
        const QStringView dur = AttributeNamed(u"dur");
        if (!begin.isEmpty())
            if (const auto ms = ParseTtmlTime(begin, rates_))
                timing.Begin = base + *ms;
        if (!end.isEmpty())
            if (const auto ms = ParseTtmlTime(end, rates_))
                timing.End = base + *ms;
        if (!timing.End && !dur.isEmpty())
            if (const auto ms = ParseTtmlTime(dur, rates_))
                timing.End = timing.Begin.value_or(base) + *ms;
        return timing;
    }

    void StartElement(const Timing& timing, int& skipDepth) {
        const QStringView name = xml_.name();
        if (name == u"tt") {
            sawTt_ = xml_.namespaceUri() == TtmlNamespace;
            rates_ = TtmlRatesOf(xml_.attributes());
            return;
        }
        if (!sawTt_) {
            skipDepth = 1;
            return;
        }
        if (name == u"title" || (name == u"name" && inAgent_)) {
            metadata_ = name == u"title" ? &lyrics_.Title : &lyrics_.Artist;
            return;
        }
        if (name == u"agent") {
            inAgent_ = true;
            return;
        }
        if (name == u"meta") {
            const QStringView key = AttributeNamed(u"key");
            const QString value = AttributeNamed(u"value").toString();
            if (key == u"musicName" && lyrics_.Title.isEmpty())
                lyrics_.Title = value;
            else if (key == u"artists" && lyrics_.Artist.isEmpty())
                lyrics_.Artist = value;
            return;
        }
        if (name == u"head" || name == u"styling" || name == u"layout") {
            inHead_ = inHead_ || name == u"head";
            return;
        }
        if (inHead_)
            return;
        if (name == u"p") {
            line_ = TimedLine{};
            lineTiming_ = timing;
            spanRoles_.clear();
            ruby_.reset();
            lastSpanWasPiece_ = false;
            lastSpanEnd_.reset();
            textLength_ = 0;
            inLine_ = true;
            return;
        }
        if (!inLine_)
            return;
        if (name == u"br") {
            Characters(u" ");
            return;
        }
        if (name == u"span") {
            const QStringView role = AttributeNamed(u"role");
            const QStringView ruby = AttributeNamed(u"ruby");
            if (role.startsWith(u"x-translation") || role.startsWith(u"x-roman")) {
                skipDepth = 1;
                return;
            }
            spanRoles_.append(ruby.toString());
            if (ruby == u"container") {
                ruby_ = RubyInProgress{};
                ruby_->Depth = int(spanRoles_.size());
            }
            if (ruby == u"text" || ruby == u"textContainer") {
                // A reading is kept only inside a container; elsewhere it is no lyric text.
                if (!ruby_ || ruby_->Base < 0 || ruby_->BaseEnd < 0)
                    skipDepth = 1;
                else
                    ++ruby_->InText;
                if (skipDepth > 0)
                    spanRoles_.removeLast();
                return;
            }
            if (ruby == u"base" && ruby_ && ruby_->Base < 0) {
                ruby_->Base = TextLength();
                ruby_->BaseDepth = int(spanRoles_.size());
            }
            if (timing.Begin) {
                const int begin = HeldMs(*timing.Begin);
                // The pieces a reading's edge cuts out of one word carry that word's time:
                // they join it again.
                const bool inBase = ruby_ && ruby_->BaseDepth > 0;
                const bool joins = (inBase || lastSpanWasPiece_) && !line_.Words.isEmpty() &&
                                   timing.End && lastSpanEnd_ && *timing.End == *lastSpanEnd_ &&
                                   *timing.End > begin && line_.Words.last().StartMs == begin;
                lastSpanWasPiece_ = inBase;
                lastSpanEnd_ = timing.End;
                if (joins)
                    return;
                line_.Words.append({QString(), begin});
                line_.WordTimed = true;
                spanEnds_.append(timing.End);
            }
        }
    }

    // The length of the line's text so far.
    qsizetype TextLength() const { return textLength_; }

    void EndSpan() {
        if (spanRoles_.isEmpty())
            return;
        const QString role = spanRoles_.takeLast();
        if (!ruby_)
            return;
        const int depth = int(spanRoles_.size()) + 1;
        if (role == u"text" || role == u"textContainer") {
            ruby_->InText = std::max(0, ruby_->InText - 1);
        } else if (depth == ruby_->BaseDepth) {
            ruby_->BaseEnd = TextLength();
            ruby_->BaseDepth = 0;
        } else if (depth == ruby_->Depth) {
            const QString reading = ruby_->Reading.trimmed();
            if (ruby_->Base >= 0 && ruby_->BaseEnd > ruby_->Base && !reading.isEmpty())
                line_.Ruby.append(
                    {int(ruby_->Base), int(ruby_->BaseEnd - ruby_->Base), reading, 0});
            ruby_.reset();
        }
    }

    void EndElement() {
        const QStringView name = xml_.name();
        if (name == u"title" || name == u"name")
            metadata_ = nullptr;
        else if (name == u"agent")
            inAgent_ = false;
        else if (name == u"head")
            inHead_ = false;
        else if (name == u"span" && inLine_)
            EndSpan();
        else if (name == u"p" && inLine_)
            FinishLine();
    }

    void Characters(QStringView text) {
        if (metadata_ != nullptr) {
            *metadata_ += text;
            return;
        }
        if (!inLine_)
            return;
        if (ruby_ && ruby_->InText > 0) {
            ruby_->Reading += text;
            return;
        }
        textLength_ += text.size();
        if (line_.Words.isEmpty())
            pending_ += text;
        else
            line_.Words.last().Text += text;
    }

    void FinishLine() {
        inLine_ = false;
        TimedLine line = std::move(line_);
        const std::optional<qint64> spanEnd = spanEnds_.isEmpty() ? std::nullopt : spanEnds_.last();
        if (line.Words.isEmpty()) {
            line.Words.append({QString(), 0});
        }
        line.Words.first().Text.prepend(pending_);
        pending_.clear();
        const qint64 firstWord = line.Words.first().StartMs;
        const qint64 begin = lineTiming_.Begin.value_or(line.WordTimed ? firstWord : -1);
        if (begin < 0 || line.Text().trimmed().isEmpty()) {
            spanEnds_.clear();
            return; // an untimed or empty paragraph shows nothing
        }
        line.StartMs = HeldMs(std::min<qint64>(begin, line.WordTimed ? firstWord : begin));
        if (!line.WordTimed)
            line.Words.first().StartMs = line.StartMs;
        line.OpenEnd = !lineTiming_.End && !spanEnd;
        qint64 end = lineTiming_.End.value_or(spanEnd.value_or(line.Words.last().StartMs));
        // A word that ends before the next one starts leaves a pause.
        QVector<TimedWord> words;
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            words.append(line.Words[w]);
            const qint64 next =
                w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : std::max(end, qint64(0));
            // The span's end, or -1 when it has none.
            const qint64 wordEnd =
                line.WordTimed && w < spanEnds_.size() ? spanEnds_[w].value_or(-1) : -1;
            if (wordEnd > line.Words[w].StartMs && wordEnd < next)
                words.append({QString(), HeldMs(wordEnd)});
        }
        line.Words = std::move(words);
        for (qsizetype w = 1; w < line.Words.size(); ++w)
            line.Words[w].StartMs = std::max(line.Words[w].StartMs, line.Words[w - 1].StartMs);
        line.EndMs = HeldMs(std::max<qint64>(end, line.Words.last().StartMs));
        lyrics_.Lines.append(std::move(line));
        spanEnds_.clear();
    }

    QXmlStreamReader xml_;
    TimedLyrics lyrics_;
    bool sawTt_ = false;
    bool absolute_;
    TtmlRates rates_;
    bool inHead_ = false;
    bool inAgent_ = false;
    QString* metadata_ = nullptr;
    bool inLine_ = false;
    TimedLine line_;
    Timing lineTiming_;
    QString pending_;
    QVector<std::optional<qint64>> spanEnds_;
    // A ruby container being read: where its base starts and ends in the line's text (-1: not
    // yet), the depths (in spanRoles_) of the container and of its open base, and its reading.
    struct RubyInProgress {
        qsizetype Base = -1;
        qsizetype BaseEnd = -1;
        int Depth = 0;
        int BaseDepth = 0;
        int InText = 0;
        QString Reading;
    };
    QVector<QString> spanRoles_; // the tts:ruby of every open span of the line
    std::optional<RubyInProgress> ruby_;
    bool lastSpanWasPiece_ = false;
    std::optional<qint64> lastSpanEnd_;
    qsizetype textLength_ = 0; // of pending_ and the line's words
};

} // namespace

std::optional<TimedLyrics> ReadTtmlText(QStringView text) {
    TtmlParser parser(text);
    return parser.Read();
}

} // namespace tavelkor
