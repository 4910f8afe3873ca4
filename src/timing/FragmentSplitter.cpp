#include "FragmentSplitter.h"

#include <string_view>

namespace tavelkor {

namespace {

// What a character is to the splitting rules.
enum class CharClass {
    Syllable,     // kana, kanji, emoji and everything not named below: a fragment of its own
    Small,        // small kana, the long-vowel mark, sound marks: joins the fragment before it
    Sokuon,       // っ/ッ
    Hatsuon,      // ん/ン
    Trailing,     // punctuation, closing brackets, spaces: joins the fragment before it
    Opening,      // opening brackets and quotes: joins the fragment after it
    WordChar,     // Latin letters, digits, full-width alphanumerics: runs are one fragment
    WordJoiner,   // an apostrophe: part of a word when letters stand on both sides
    Continuation, // combining marks, variation selectors, zero-width joiner and what it joins
};

// How a class attaches to its neighbours.
enum class Attach { Own, ToPrevious, ToNext, Word };

struct ClassRange {
    char32_t First;
    char32_t Last;
    CharClass Class;
};

// Ranges checked in order; the first that holds the character decides.
constexpr ClassRange Ranges[] = {
    {U'ぁ', U'ぁ', CharClass::Small},
    {U'ぃ', U'ぃ', CharClass::Small},
    {U'ぅ', U'ぅ', CharClass::Small},
    {U'ぇ', U'ぇ', CharClass::Small},
    {U'ぉ', U'ぉ', CharClass::Small},
    {U'ゃ', U'ゃ', CharClass::Small},
    {U'ゅ', U'ゅ', CharClass::Small},
    {U'ょ', U'ょ', CharClass::Small},
    {U'ゎ', U'ゎ', CharClass::Small},
    {U'ゕ', U'ゖ', CharClass::Small},
    {U'ァ', U'ァ', CharClass::Small},
    {U'ィ', U'ィ', CharClass::Small},
    {U'ゥ', U'ゥ', CharClass::Small},
    {U'ェ', U'ェ', CharClass::Small},
    {U'ォ', U'ォ', CharClass::Small},
    {U'ャ', U'ャ', CharClass::Small},
    {U'ュ', U'ュ', CharClass::Small},
    {U'ョ', U'ョ', CharClass::Small},
    {U'ヮ', U'ヮ', CharClass::Small},
    {U'ヵ', U'ヶ', CharClass::Small},
    {U'ー', U'ー', CharClass::Small},
    {U'ｧ', U'ｮ', CharClass::Small},
    {U'ｰ', U'ｰ', CharClass::Small},
    {U'ﾞ', U'ﾟ', CharClass::Small},
    {U'゛', U'゜', CharClass::Small},
    {U'っ', U'っ', CharClass::Sokuon},
    {U'ッ', U'ッ', CharClass::Sokuon},
    {U'ｯ', U'ｯ', CharClass::Sokuon},
    {U'ん', U'ん', CharClass::Hatsuon},
    {U'ン', U'ン', CharClass::Hatsuon},
    {U'ﾝ', U'ﾝ', CharClass::Hatsuon},
    {U'0', U'9', CharClass::WordChar},
    {U'A', U'Z', CharClass::WordChar},
    {U'a', U'z', CharClass::WordChar},
    {U'０', U'９', CharClass::WordChar},
    {U'Ａ', U'Ｚ', CharClass::WordChar},
    {U'ａ', U'ｚ', CharClass::WordChar},
    {U'\u00C0', U'\u024F', CharClass::WordChar},
    {U'\u0300', U'\u036F', CharClass::Continuation},
    {U'\u3099', U'\u309A', CharClass::Continuation},
};

constexpr std::u32string_view OpeningChars = U"「『（(［[｛{〈《【〔“‘｢";
constexpr std::u32string_view TrailingChars =
    U" \u3000\t」』）)］]｝}〉》】〕”｣、。，．,.！？!?…‥・：；:;〜～~♪☆★-―‐\"｡､･%％&＆";
constexpr std::u32string_view ContinuationChars = U"\u200D\uFE0E\uFE0F\u20E3";
constexpr std::u32string_view WordJoinerChars = U"'’";

CharClass ClassOf(char32_t c) {
    if (c >= 0x1F3FB && c <= 0x1F3FF) // skin tones modify the emoji before them
        return CharClass::Continuation;
    if (ContinuationChars.find(c) != std::u32string_view::npos)
        return CharClass::Continuation;
    if (OpeningChars.find(c) != std::u32string_view::npos)
        return CharClass::Opening;
    if (TrailingChars.find(c) != std::u32string_view::npos)
        return CharClass::Trailing;
    if (WordJoinerChars.find(c) != std::u32string_view::npos)
        return CharClass::WordJoiner;
    for (const ClassRange& range : Ranges) {
        if (c >= range.First && c <= range.Last)
            return range.Class;
    }
    return CharClass::Syllable;
}

Attach AttachOf(CharClass c, const SplitRules& rules) {
    switch (c) {
    case CharClass::Syllable:
        return Attach::Own;
    case CharClass::Small:
    case CharClass::Trailing:
    case CharClass::Continuation:
        return Attach::ToPrevious;
    case CharClass::Sokuon:
        return rules.JoinSokuon ? Attach::ToPrevious : Attach::Own;
    case CharClass::Hatsuon:
        return rules.JoinHatsuon ? Attach::ToPrevious : Attach::Own;
    case CharClass::Opening:
        return Attach::ToNext;
    case CharClass::WordChar:
    case CharClass::WordJoiner:
        return Attach::Word;
    }
    return Attach::Own;
}

struct Unit {
    QStringView Text; // one code point (a surrogate pair stays whole)
    CharClass Class;
};

QVector<Unit> UnitsOf(QStringView text) {
    QVector<Unit> units;
    units.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const char32_t c =
            width == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
        units.append({text.mid(i, width), ClassOf(c)});
        i += width;
    }
    // An apostrophe is part of a word only between two word characters ("don't").
    for (qsizetype k = 0; k < units.size(); ++k) {
        if (units[k].Class != CharClass::WordJoiner)
            continue;
        const bool inWord = k > 0 && k + 1 < units.size() &&
                            units[k - 1].Class == CharClass::WordChar &&
                            units[k + 1].Class == CharClass::WordChar;
        units[k].Class = inWord ? CharClass::WordChar : CharClass::Trailing;
    }
    return units;
}

} // namespace

QStringList SplitIntoFragments(QStringView text, const SplitRules& rules) {
    QStringList fragments;
    QString pending;              // opening brackets (and leading marks) waiting for a fragment
    bool previousWasWord = false; // the last fragment is a word still open for more letters
    bool afterJoiner = false;     // a zero-width joiner asks the next character to join
    for (const Unit& unit : UnitsOf(text)) {
        Attach attach = AttachOf(unit.Class, rules);
        if (afterJoiner)
            attach = Attach::ToPrevious;
        afterJoiner = unit.Text == u"\u200D";
        if (attach == Attach::Word && previousWasWord && pending.isEmpty())
            attach = Attach::ToPrevious;
        if (attach == Attach::ToPrevious && !fragments.isEmpty() && pending.isEmpty()) {
            fragments.last() += unit.Text;
            // Letters and their combining marks keep a word open; anything else closes it.
            previousWasWord = previousWasWord && (unit.Class == CharClass::WordChar ||
                                                  unit.Class == CharClass::Continuation);
            continue;
        }
        if (attach == Attach::ToNext || attach == Attach::ToPrevious) {
            // An opening bracket waits for what follows; a mark with nothing before it (the
            // start of the line, or after an opening bracket) waits with it.
            pending += unit.Text;
            previousWasWord = false;
            continue;
        }
        fragments.append(pending + unit.Text.toString());
        pending.clear();
        previousWasWord = attach == Attach::Word;
    }
    if (!pending.isEmpty()) {
        // Opening brackets at the end of the line join the fragment before them.
        if (fragments.isEmpty())
            fragments.append(pending);
        else
            fragments.last() += pending;
    }
    return fragments;
}

} // namespace tavelkor
