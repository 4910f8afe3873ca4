#include "KanjiReadings.h"

#include <mecab.h>

#include <algorithm>

namespace tavelkor {

struct ReadingDictionary::Tagger {
    mecab_t* mecab;
};

ReadingDictionary::ReadingDictionary() {
    // "" reads the system's mecabrc, which names the installed dictionary.
    mecab_t* mecab = mecab_new2("");
    if (!mecab) {
        error_ = QString::fromUtf8(mecab_strerror(nullptr));
        if (error_.isEmpty())
            error_ = QStringLiteral("MeCab cannot be started");
        return;
    }
    tagger_ = new Tagger{mecab};
}

ReadingDictionary::~ReadingDictionary() {
    if (tagger_) {
        mecab_destroy(tagger_->mecab);
        delete tagger_;
    }
}

QVector<ReadingDictionary::Word> ReadingDictionary::Words(const QString& text) {
    QVector<Word> words;
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
        const QStringList features = QString::fromUtf8(node->feature).split(u',');
        if (features.size() > 7 && features[7] != u"*")
            word.Reading = features[7];
        words.append(word);
    }
    return words;
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
