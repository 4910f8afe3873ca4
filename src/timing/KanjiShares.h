// How a reading over several kanji shares out among them (夜空 よぞら: 夜 よ, 空 ぞら), found from
// the readings each kanji has on its own in KANJIDIC (Debian's kanjidic package). A word read
// only as a whole (今日 きょう, 一人 ひとり) cannot be shared out; neither can any word when the
// table is not installed: the editor then shares such a reading evenly, as before.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tavelkor {

class KanjiTable {
public:
    // A table without readings: nothing can be shared out.
    KanjiTable() = default;

    // The table KANJIDIC gives (lines "漢 JIS fields… readings…", UTF-8): on readings in
    // katakana, kun readings in hiragana with "." before the kana written after the kanji.
    // Readings used only after another kanji ("-り" of 人 in 一人) and the name readings after
    // "T1"/"T2" are left out.
    static KanjiTable FromKanjidic(const QString& text);
    // The table of the installed kanjidic package (EUC-JP), read once on first use; empty
    // when it is not installed or cannot be read.
    static const KanjiTable& Installed();

    bool Empty() const { return readings_.isEmpty(); }
    // The hiragana readings of `kanji` (a kun reading also without its written-out kana).
    QStringList ReadingsOf(QChar kanji) const { return readings_.value(kanji.unicode()); }

    // The part of `reading` (hiragana) each character of `base` reads, when every kanji gets
    // one of its own readings, voiced after another kanji (ぞら from そら), its last kana made
    // small っ before another kanji (がっ from がく) or its final e-sound made an a-sound
    // (あま from あめ), 々 a reading of the kanji before it, and kana of the base read as
    // written. Empty when the reading cannot be shared out that way.
    QStringList Share(QStringView base, QStringView reading) const;

private:
    bool ShareFrom(QStringView base, QStringView reading, int at, QStringList& parts) const;
    QStringList Forms(QStringView base, int at) const;

    QHash<char16_t, QStringList> readings_;
};

} // namespace tavelkor
