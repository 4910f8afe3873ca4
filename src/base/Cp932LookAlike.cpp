#include "Cp932LookAlike.h"

#include "Cp932.h"

#include <QChar>
#include <vector>

namespace tavelkor {

namespace {

// The look-alike rules. Bytes that are valid UTF-8 and clean CP932 at once are read both ways,
// and the UTF-8 reading is weighed character by character: real text puts its non-ASCII
// letters in words of one script, while CP932 bytes that happen to be valid UTF-8 give lone
// characters (each UTF-8 sequence needs two or three CP932 bytes to fall just so, and a chain
// of them seldom holds), many from scripts, blocks and classes no lyrics use. Each character
// adds evidence for UTF-8 (a positive weight) or for CP932 (a negative one); UTF-8 keeps the
// text only when the sum is above 0.

// Code points of the UTF-8 reading, with 0 standing before the first and after the last.
struct CodePoints {
    std::vector<char32_t> points;
    char32_t At(qsizetype i) const {
        return i < 0 || i >= qsizetype(points.size()) ? 0 : points[size_t(i)];
    }
};

constexpr int Impossible = -8; // what no text holds: outweighs several characters of real text

bool IsAsciiLetter(char32_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; }
bool IsAsciiAlnum(char32_t c) { return IsAsciiLetter(c) || (c >= u'0' && c <= u'9'); }

// A character of Japanese text: one that CP932 holds, of three UTF-8 bytes (kana, kanji, CJK
// and full-width symbols, half-width katakana) or one of the signs of JIS row 1 that Unicode
// has among the Latin-1 ones (§ ¨ ° ± ´ ¶ × ÷).
bool IsJapanese(char32_t c) {
    switch (c) {
    case 0xA7:
    case 0xA8:
    case 0xB0:
    case 0xB1:
    case 0xB4:
    case 0xB6:
    case 0xD7:
    case 0xF7:
        return true;
    default:
        return c >= 0x800 && c <= 0xFFFF && Cp932Holds(char16_t(c));
    }
}

bool IsLetterOf(char32_t c, QChar::Script script) {
    return c != 0 && QChar::isLetter(c) && QChar::script(c) == script;
}

bool IsNonCharacter(char32_t c) { return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE; }

// The character after i is one lone ASCII character of 40..7E (a letter, or @ [ \\ ^ _ ` { |
// ~; not a closing bracket), with no letter or digit after it: what a JIS level 2 kanji
// followed by a character whose second byte is that one reads as ("黙j" for 鮟冕).
bool GluedToOneAsciiCharacter(const CodePoints& text, qsizetype i) {
    const char32_t next = text.At(i + 1);
    return next >= 0x40 && next <= 0x7E && next != u']' && next != u'}' &&
           !IsAsciiAlnum(text.At(i + 2));
}

// How far the word tests look to each side: a real word shows what they look for much
// sooner, and the bound keeps a hostile text of one endless "word" linear.
constexpr qsizetype WordReach = 16;

// The Latin word around i (its run of Latin letters and marks) has an ASCII letter: "café",
// not a pair of lone accented letters.
bool InLatinWordWithAscii(const CodePoints& text, qsizetype i) {
    const auto partOfWord = [](char32_t c) {
        return c != 0 && (IsLetterOf(c, QChar::Script_Latin) || QChar::isMark(c));
    };
    for (qsizetype k = i - 1; k >= i - WordReach && partOfWord(text.At(k)); --k) {
        if (IsAsciiLetter(text.At(k)))
            return true;
    }
    for (qsizetype k = i + 1; k <= i + WordReach && partOfWord(text.At(k)); ++k) {
        if (IsAsciiLetter(text.At(k)))
            return true;
    }
    return false;
}

// The number of letters of the script in the run of them (and of marks) around i, counted up
// to 3.
qsizetype ScriptRunLength(const CodePoints& text, qsizetype i, QChar::Script script) {
    const auto partOfWord = [&](char32_t c) {
        return c != 0 && (IsLetterOf(c, script) || QChar::isMark(c));
    };
    qsizetype letters = 1;
    for (qsizetype k = i - 1; k >= i - WordReach && letters < 3 && partOfWord(text.At(k)); --k)
        letters += QChar::isLetter(text.At(k)) ? 1 : 0;
    for (qsizetype k = i + 1; k <= i + WordReach && letters < 3 && partOfWord(text.At(k)); ++k)
        letters += QChar::isLetter(text.At(k)) ? 1 : 0;
    return letters;
}

// The evidence one non-ASCII character of the UTF-8 reading gives: above 0 for UTF-8,
// below 0 for CP932.
int Weight(const CodePoints& text, qsizetype i) {
    const char32_t c = text.At(i), before = text.At(i - 1), after = text.At(i + 1);
    const QChar::Category category = QChar::category(c);
    // C1 controls, private use, non-characters; unassigned code points of the Basic
    // Multilingual Plane (Qt's tables may lag behind Unicode in the planes of new emoji) and
    // the planes 4 to 13, which Unicode leaves empty.
    if (c < 0xA0 || category == QChar::Other_PrivateUse || IsNonCharacter(c) ||
        (c <= 0xFFFF && category == QChar::Other_NotAssigned) || (c >= 0x40000 && c < 0xE0000))
        return Impossible;
    if (QChar::isMark(c)) {
        // Variation selectors and the keycap mark follow emoji, symbols and digits.
        if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x20E3)
            return 0;
        // A mark belongs after a letter (or another mark) of its script.
        if (before == 0 || !(QChar::isLetter(before) || QChar::isMark(before)))
            return Impossible;
        const QChar::Script script = QChar::script(c);
        if (script != QChar::Script_Inherited && script != QChar::script(before))
            return -2;
        // A mark counts as the letter it sits on: "e" and U+0301 in a Latin word with ASCII
        // letters; the letters of other alphabets carry their words' weight themselves.
        return QChar::script(before) == QChar::Script_Latin && InLatinWordWithAscii(text, i) ? 2
                                                                                             : 0;
    }
    if (c >= 0x10000)
        return 3; // emoji and the like: CP932 gives four such bytes only from user-defined codes
    if (IsJapanese(c)) {
        if (IsJapanese(before) || IsJapanese(after))
            return 2;
        if (QChar::isLetter(c) && GluedToOneAsciiCharacter(text, i))
            return -2;
        return 1;
    }
    if ((c >= 0x250 && c <= 0x2FF) || (c >= 0x1D00 && c <= 0x1DBF))
        return -2; // phonetic letters, modifier letters and signs: not lyrics
    const bool letter = QChar::isLetter(c);
    const QChar::Script script = QChar::script(c);
    if (letter && script == QChar::Script_Latin)
        return InLatinWordWithAscii(text, i) ? 2 : 0;
    if (c >= 0x800 && GluedToOneAsciiCharacter(text, i))
        return -2;
    if (letter && script == QChar::Script_Han) {
        // Hanzi that CP932 lacks: a lone one says nothing, and those of Extension A are rare
        // even in Chinese.
        return c >= 0x3400 && c <= 0x4DBF ? -2 : 0;
    }
    if (letter && !(c < 0x100 && script == QChar::Script_Common)) {
        // A letter of another alphabet (Greek, Cyrillic, Hangul, Arabic...) counts in a word
        // of three letters or more of its script; a pair of half-width katakana makes one
        // letter by chance, so two such pairs make a two-letter "word" now and then. Alone a
        // letter is no word (a lone syllable of Hangul says nothing).
        const qsizetype length = ScriptRunLength(text, i, script);
        if (length >= 3)
            return 1;
        if (length == 2 || script == QChar::Script_Hangul)
            return 0;
        return -2;
    }
    if (category == QChar::Symbol_Currency)
        return IsAsciiAlnum(before) || IsAsciiAlnum(after) ? 1 : 0; // "5€", not a lone "₩"
    // Punctuation and symbols of lyrics: dashes, quotes, ellipsis, letter-like signs, arrows,
    // circled numbers, shapes, miscellaneous symbols, dingbats, stars.
    if ((c >= 0x2010 && c <= 0x205E) || (c >= 0x2100 && c <= 0x21FF) ||
        (c >= 0x2460 && c <= 0x27BF) || (c >= 0x2B00 && c <= 0x2BFF))
        return 1;
    // Latin-1 signs (© ² ½ ¿): with an ASCII letter or digit beside them.
    if (c < 0x100)
        return IsAsciiAlnum(before) || IsAsciiAlnum(after) ? 1 : 0;
    // Punctuation and signs of the alphabets of two UTF-8 bytes (Greek, Armenian, Hebrew,
    // Arabic...) belong beside their letters.
    if (c < 0x800)
        return QChar::isLetter(before) || QChar::isLetter(after) ? 0 : -2;
    return 0;
}

} // namespace

bool IsCp932LookAlike(const uchar* in, qsizetype size, const QString& utf8) {
    // Bytes that CP932 cannot read are no CP932 text.
    if (FindUndecodableCp932(reinterpret_cast<const char*>(in), size) >= 0)
        return false;
    CodePoints text;
    text.points.reserve(size_t(utf8.size()));
    for (qsizetype k = 0; k < utf8.size(); ++k) {
        const char16_t c = utf8[k].unicode();
        // The text is valid UTF-8: a high surrogate always has its low one.
        if (QChar::isHighSurrogate(c) && k + 1 < utf8.size()) {
            text.points.push_back(QChar::surrogateToUcs4(c, utf8[++k].unicode()));
        } else {
            text.points.push_back(c);
        }
    }
    qint64 evidence = 0;
    for (qsizetype i = 0; i < qsizetype(text.points.size()); ++i) {
        if (text.points[size_t(i)] >= 0x80)
            evidence += Weight(text, i);
    }
    return evidence <= 0;
}

} // namespace tavelkor
