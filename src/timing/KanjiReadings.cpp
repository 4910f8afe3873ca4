#include "KanjiReadings.h"

#include <mecab.h>

#include <algorithm>

namespace tavelkor {

struct ReadingDictionary::Tagger {
    mecab_t* mecab;
    mecab_lattice_t* lattice; // for reading a few words as one
};

namespace {

// IPADIC's part of speech of a number (一, 二) and of a counter after it (人, 日).
bool IsNumber(const QStringList& features) {
    return features.size() > 1 && features[0] == u"名詞" && features[1] == u"数";
}
bool IsCounter(const QStringList& features) {
    return features.size() > 2 && features[0] == u"名詞" && features[1] == u"接尾" &&
           features[2] == u"助数詞";
}

} // namespace

ReadingDictionary::ReadingDictionary() {
    // "" reads the system's mecabrc, which names the installed dictionary.
    mecab_t* mecab = mecab_new2("");
    if (!mecab) {
        error_ = QString::fromUtf8(mecab_strerror(nullptr));
        if (error_.isEmpty())
            error_ = QStringLiteral("MeCab cannot be started");
        return;
    }
    tagger_ = new Tagger{mecab, mecab_lattice_new()};
}

ReadingDictionary::~ReadingDictionary() {
    if (tagger_) {
        mecab_lattice_destroy(tagger_->lattice);
        mecab_destroy(tagger_->mecab);
        delete tagger_;
    }
}

QVector<ReadingDictionary::Word> ReadingDictionary::Words(const QString& text) {
    QVector<Word> words;
    QVector<QStringList> features;
    if (!tagger_ || text.isEmpty())
        return words;
    const QByteArray utf8 = text.toUtf8();
    const mecab_node_t* node = mecab_sparse_tonode(tagger_->mecab, utf8.constData());
    for (; node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0)
            continue;
        Word word;
        const qsizetype byteAt = node->surface - utf8.constData();
        word.From = int(QString::fromUtf8(utf8.constData(), byteAt).size());
        word.Surface = QString::fromUtf8(node->surface, node->length);
        // IPADIC: part of speech (6 fields), base form, reading, pronunciation.
        features.append(QString::fromUtf8(node->feature).split(u','));
        if (features.last().size() > 7 && features.last()[7] != u"*")
            word.Reading = features.last()[7];
        words.append(word);
    }
    // MeCab reads a number and its counter apart (一人 いち・にん) even where the dictionary
    // has the two as one word read as a whole (一人 ひとり, 二人 ふたり): that word is taken.
    for (int k = 0; k + 1 < words.size(); ++k) {
        int last = k;
        while (last + 1 < words.size() && IsNumber(features[last]) &&
               words[last + 1].From == words[last].From + words[last].Surface.size())
            ++last;
        if (last == k || !IsNumber(features[k]) || !IsCounter(features[last]))
            continue;
        const QString surface =
            text.mid(words[k].From, words[last].From - words[k].From + words[last].Surface.size());
        const QString reading = WholeWordReading(surface);
        if (reading.isEmpty())
            continue;
        words[k].Surface = surface;
        words[k].Reading = reading;
        words.remove(k + 1, last - k);
        features.remove(k + 1, last - k);
    }
    return words;
}

QString ReadingDictionary::WholeWordReading(const QString& surface) {
    const QByteArray utf8 = surface.toUtf8();
    mecab_lattice_t* lattice = tagger_->lattice;
    mecab_lattice_clear(lattice);
    mecab_lattice_set_sentence(lattice, utf8.constData());
    mecab_lattice_set_request_type(lattice, MECAB_ONE_BEST);
    // One word over all of it, a common noun: not the name of a place MeCab also knows.
    mecab_lattice_set_boundary_constraint(lattice, 0, MECAB_TOKEN_BOUNDARY);
    for (qsizetype at = 1; at < utf8.size(); ++at)
        mecab_lattice_set_boundary_constraint(lattice, size_t(at), MECAB_INSIDE_TOKEN);
    mecab_lattice_set_boundary_constraint(lattice, size_t(utf8.size()), MECAB_TOKEN_BOUNDARY);
    mecab_lattice_set_feature_constraint(lattice, 0, size_t(utf8.size()), "名詞,一般");
    QString reading;
    if (mecab_parse_lattice(tagger_->mecab, lattice)) {
        const mecab_node_t* node = mecab_lattice_get_bos_node(lattice);
        node = node ? node->next : nullptr;
        if (node && node->stat == MECAB_NOR_NODE && node->length == size_t(utf8.size())) {
            const QStringList features = QString::fromUtf8(node->feature).split(u',');
            if (features.size() > 7 && features[7] != u"*")
                reading = features[7];
        }
    }
    mecab_lattice_clear(lattice);
    return reading;
}

QVector<KanjiReading> ReadingDictionary::ProposeReadings(const QString& line) {
    QVector<KanjiReading> readings;
    for (const Word& word : Words(line)) {
        if (word.Reading.isEmpty() ||
            std::none_of(word.Surface.begin(), word.Surface.end(), IsKanji))
            continue;
        QString surface = word.Surface;
        QString reading = ToHiragana(word.Reading);
        int from = word.From;
        // Kana written out before and after the kanji are read as written.
        while (!surface.isEmpty() && !reading.isEmpty() && !IsKanji(surface.back()) &&
               ToHiragana(QStringView(surface).right(1)) == reading.right(1)) {
            surface.chop(1);
            reading.chop(1);
        }
        while (!surface.isEmpty() && !reading.isEmpty() && !IsKanji(surface.front()) &&
               ToHiragana(QStringView(surface).left(1)) == reading.left(1)) {
            surface.remove(0, 1);
            reading.remove(0, 1);
            ++from;
        }
        if (surface.isEmpty() || reading.isEmpty())
            continue;
        readings.append({from, int(surface.size()), surface, reading});
    }
    return readings;
}

QString ReadingDictionary::ReadingOf(const QString& text) {
    if (!tagger_)
        return ToHiragana(text);
    QString out;
    int at = 0;
    for (const Word& word : Words(text)) {
        out += QStringView(text).mid(at, word.From - at); // spaces MeCab skipped
        out += ToHiragana(word.Reading.isEmpty() ? word.Surface : word.Reading);
        at = word.From + int(word.Surface.size());
    }
    out += QStringView(text).mid(at);
    return out;
}

QString ToHiragana(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out) {
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6)
            c = QChar(c.unicode() - 0x60);
    }
    return out;
}

bool IsKanji(QChar c) {
    return c.script() == QChar::Script_Han || c == u'々' || c == u'〆' || c == u'〇';
}

int CountMorae(QStringView reading, const SplitRules& rules) {
    return int(SplitIntoFragments(ToHiragana(reading), rules).size());
}

} // namespace tavelkor
