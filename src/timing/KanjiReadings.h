// Readings of Japanese lyrics from MeCab and its system dictionary (mecab-ipadic-utf8): the
// hiragana the timing editor proposes over the kanji of a line, and the morae of a reading
// for sharing a line's time among its fragments. Without a dictionary nothing is proposed.
#pragma once

#include "FragmentSplitter.h"

#include <QString>
#include <QStringView>
#include <QVector>
#include <memory>

namespace tavelkor {

// A proposed reading: characters From .. From + Length - 1 of the line (UTF-16 indexes), the
// kanji of one word with the kana written out around them cut away ("食べ" gives "食" read "た").
struct KanjiReading {
    int From = 0;
    int Length = 0;
    QString Base;
    QString Reading; // hiragana

    bool operator==(const KanjiReading& other) const {
        return From == other.From && Length == other.Length && Base == other.Base &&
               Reading == other.Reading;
    }
};

// MeCab with the dictionary its configuration names. Use from one thread at a time.
class ReadingDictionary {
public:
    ReadingDictionary();
    ~ReadingDictionary();
    ReadingDictionary(const ReadingDictionary&) = delete;
    ReadingDictionary& operator=(const ReadingDictionary&) = delete;

    bool Available() const { return tagger_ != nullptr; }
    // Why no readings can be proposed (MeCab's own message); empty when Available().
    QString Error() const { return error_; }

    // A reading for each word of the line that has kanji and a reading in the dictionary.
    QVector<KanjiReading> ProposeReadings(const QString& line);
    // The whole text as read, in hiragana: words the dictionary does not know stay as written.
    QString ReadingOf(const QString& text);

private:
    struct Word {
        int From;
        QString Surface;
        QString Reading; // katakana as the dictionary gives it, or empty
    };
    QVector<Word> Words(const QString& text);
    // The reading the dictionary gives `surface` as one common noun, or empty.
    QString WholeWordReading(const QString& surface);

    struct Tagger;
    Tagger* tagger_ = nullptr;
    QString error_;
};

// Katakana turned into hiragana; everything else is kept.
QString ToHiragana(QStringView text);
// True for a kanji (a Han character or 々, 〆, 〇).
bool IsKanji(QChar c);
// The morae of a reading counted as the fragments the splitting rules make of it: each kana one,
// small kana and ー none (they join the kana before them), っ and ん one unless `rules` join
// them; a word of Latin letters or digits one.
int CountMorae(QStringView reading, const SplitRules& rules);

} // namespace tavelkor
