// Generated lyrics for the round-trip tests: texts, times and tags from a fixed seed, so that a
// failure names the document number and repeats exactly.
#pragma once

#include "TestFiles.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <random>

namespace tavelkor::test {

inline constexpr int LastTagMs = 5999990; // [99:59:99]

// Characters the generated lyrics are made of: kana, kanji, letters, digits and punctuation
// that none of the formats gives a meaning to.
inline const QString& LyricCharacters() {
    static const QString characters =
        U("あいうえおかきくけこさしすせそんアイウエオカキクケコー漢字歌詞愛夢空"
          "abcxyzABCXYZ0189!?,.'()・～、。「」");
    return characters;
}

class DocumentGenerator {
public:
    explicit DocumentGenerator(unsigned seed) : random_(seed) {}

    int Between(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

    // Lyric text of 1 to `maxLength` characters; with `blanks`, single blanks inside.
    QString Text(int maxLength, bool blanks) {
        const QString& characters = LyricCharacters();
        const int length = Between(1, maxLength);
        QString text;
        for (int i = 0; i < length; ++i) {
            if (blanks && i > 0 && i + 1 < length && Between(0, 5) == 0 && !text.endsWith(u' '))
                text += u' ';
            else
                text += characters[Between(0, int(characters.size()) - 1)];
        }
        return text;
    }

    // Times on hundredths, strictly increasing, all within the tag range.
    QVector<int> IncreasingTimes(int count) {
        QVector<int> times;
        int ms = Between(0, 500) * 10;
        for (int i = 0; i < count; ++i) {
            times.append(std::min(ms, LastTagMs - 10 * (count - i)));
            ms = times.back() + Between(1, 2000) * 10;
        }
        return times;
    }

    // Texts of which none starts with the whole text of the one before.
    QStringList LineTexts(int count, int maxLength, bool blanks = true) {
        QStringList texts;
        while (texts.size() < count) {
            const QString text = Text(maxLength, blanks);
            if (texts.isEmpty() || !text.startsWith(texts.back()))
                texts.append(text);
        }
        return texts;
    }

private:
    std::mt19937 random_;
};

// The TimeTag tag of a time on hundredths.
inline QString Tag(int ms) {
    const int cs = ms / 10;
    return QStringLiteral("[%1:%2:%3]")
        .arg(cs / 6000, 2, 10, QChar(u'0'))
        .arg(cs / 100 % 60, 2, 10, QChar(u'0'))
        .arg(cs % 100, 2, 10, QChar(u'0'));
}

} // namespace tavelkor::test
