// The decoder that finds a text's encoding (BOM, valid UTF-8, CP932) and the encoder that
// writes each encoding.
#include "base/TextEncoding.h"
#include "TestFiles.h"
#include "base/Cp932.h"
#include "base/TextFile.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

using namespace tavelkor;
using tavelkor::test::TestFolder;
using tavelkor::test::U;

namespace tavelkor {
// Readable names in failure messages.
void PrintTo(TextEncoding encoding, std::ostream* out) {
    *out << EncodingName(encoding).toStdString();
}
} // namespace tavelkor

namespace {

QByteArray Bytes(const char* bytes, qsizetype size) { return QByteArray(bytes, size); }
template <qsizetype N>
QByteArray Bytes(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1); // the literal may hold NUL bytes
}

QString Replacements(int count) { return QString(count, QChar(u'\uFFFD')); }

QString ReasonText(QStringView reason) { return reason.toString(); }

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    EncodingChoice choice;
    QString text;
    TextEncoding encoding;
    QStringView reason;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, GivesTextEncodingAndReason) {
    const DecodeCase& c = GetParam();
    const DecodedText decoded = DecodeText(c.bytes, c.choice);
    EXPECT_EQ(decoded.Text, c.text);
    EXPECT_EQ(decoded.Encoding, c.encoding);
    EXPECT_EQ(decoded.Reason, ReasonText(c.reason));
}

constexpr auto Auto = EncodingChoice::Auto;

std::vector<DecodeCase> DecodeCases() {
    QString brokenHigh = Replacements(1) + QStringLiteral("a");
    QString pair = U("a\xF0\x9F\x98\x80");
    return {
        // A byte order mark decides and is removed.
        {"Utf8Bom", Bytes("\xEF\xBB\xBF[00:01:00]\xE6\x84\x9B"), Auto, U("[00:01:00]愛"),
         TextEncoding::Utf8Bom, ReasonBom},
        {"Utf8BomAlone", Bytes("\xEF\xBB\xBF"), Auto, QString(), TextEncoding::Utf8Bom, ReasonBom},
        {"Utf8BomThenAscii",
         Bytes("\xEF\xBB\xBF"
               "abc"),
         Auto, U("abc"), TextEncoding::Utf8Bom, ReasonBom},
        {"Utf8BomWithBrokenByte",
         Bytes("\xEF\xBB\xBF"
               "a\x82"
               "b"),
         Auto, U("a") + Replacements(1) + U("b"), TextEncoding::Utf8Bom, ReasonBom},
        {"Utf16Le",
         Bytes("\xFF\xFE"
               "a\0\x42\x30\x3D\xD8\x00\xDE"),
         Auto, U("aあ😀"), TextEncoding::Utf16Le, ReasonBom},
        {"Utf16Be", Bytes("\xFE\xFF\0a\x30\x42\xD8\x3D\xDE\x00"), Auto, U("aあ😀"),
         TextEncoding::Utf16Be, ReasonBom},
        {"Utf16BomAlone", Bytes("\xFF\xFE"), Auto, QString(), TextEncoding::Utf16Le, ReasonBom},
        // Broken UTF-16: an odd last byte and lone surrogates each become one U+FFFD.
        {"Utf16OddLength",
         Bytes("\xFF\xFE"
               "a\0b"),
         Auto, U("a") + Replacements(1), TextEncoding::Utf16Le, ReasonBom},
        {"Utf16LoneHighSurrogate",
         Bytes("\xFF\xFE\x3D\xD8"
               "a\0"),
         Auto, brokenHigh, TextEncoding::Utf16Le, ReasonBom},
        {"Utf16LoneLowSurrogate", Bytes("\xFE\xFF\xDE\x00\0a"), Auto, brokenHigh,
         TextEncoding::Utf16Be, ReasonBom},
        {"Utf16HighSurrogateAtEnd", Bytes("\xFE\xFF\0a\xD8\x3D"), Auto, U("a") + Replacements(1),
         TextEncoding::Utf16Be, ReasonBom},
        {"Utf16SurrogatesSwapped", Bytes("\xFF\xFE\x00\xDE\x3D\xD8"), Auto, Replacements(2),
         TextEncoding::Utf16Le, ReasonBom},
        // Valid UTF-8 with a multi-byte sequence.
        {"Utf8Japanese", Bytes("[00:12:34]\xE6\x84\x9B\xE3\x81\x97\xE3\x81\xA6\xE3\x82\x8B\r\n"),
         Auto, U("[00:12:34]愛してる\r\n"), TextEncoding::Utf8, ReasonValidUtf8},
        {"Utf8Cafe", Bytes("caf\xC3\xA9"), Auto, U("café"), TextEncoding::Utf8, ReasonValidUtf8},
        {"Utf8OneEmoji", Bytes("\xF0\x9F\x98\x80"), Auto, U("😀"), TextEncoding::Utf8,
         ReasonValidUtf8},
        {"Utf8EmojiInLine", Bytes("[00:01:00]smile \xF0\x9F\x98\x80\r\n"), Auto,
         U("[00:01:00]smile 😀\r\n"), TextEncoding::Utf8, ReasonValidUtf8},
        {"Utf8Apostrophe", Bytes("it\xE2\x80\x99s"), Auto, U("it’s"), TextEncoding::Utf8,
         ReasonValidUtf8},
        {"Utf8LoneKana", Bytes("\xE3\x81\xA1"), Auto, U("ち"), TextEncoding::Utf8, ReasonValidUtf8},
        {"Utf8Degrees",
         Bytes("25\xC2\xB0"
               "C"),
         Auto, U("25°C"), TextEncoding::Utf8, ReasonValidUtf8},
        // CP932 texts that are valid UTF-8 by chance stay CP932.
        {"LookAlikeModifierLetter", Bytes("you \xCA\xB2 me"), Auto, U("you ﾊｲ me"),
         TextEncoding::Cp932, ReasonCp932Default},
        {"LookAlikeUnassigned", Bytes("[00:01:00]\xD4\xB0"), Auto, U("[00:01:00]ﾔｰ"),
         TextEncoding::Cp932, ReasonCp932Default},
        {"LookAlikeLoneLatinLetter", Bytes("more \xC3\xA4 love"), Auto, U("more ﾃ､ love"),
         TextEncoding::Cp932, ReasonCp932Default},
        {"LookAlikeStrayMark", Bytes("your \xCC\xA7 run"), Auto, U("your ﾌｧ run"),
         TextEncoding::Cp932, ReasonCp932Default},
        {"LookAlikeKanjiAndOneLetter", Bytes("[00:28:39]\xE9\xBB\x99j[00:29:02]"), Auto,
         U("[00:28:39]鮟冕[00:29:02]"), TextEncoding::Cp932, ReasonCp932Default},
        {"LookAlikeLatinPairWithoutAscii", Bytes("\xC6\xB1\xC4\xAD stay"), Auto, U("ﾆｱﾄｭ stay"),
         TextEncoding::Cp932, ReasonCp932Default},
        // A lone accented letter between spaces is also a lone two-katakana word: CP932 wins.
        {"AmbiguousLoneAccentedLetter", Bytes("Lei \xC3\xA8 bella"), Auto, U("Lei ﾃｨ bella"),
         TextEncoding::Cp932, ReasonCp932Default},
        // CP932 as today.
        {"Cp932Japanese", Bytes("[00:01:00]\x8A\xBF\x8E\x9A \x82\xA9\x82\xC8 \xB6\xC5\r\n"), Auto,
         U("[00:01:00]漢字 かな ｶﾅ\r\n"), TextEncoding::Cp932, ReasonCp932Default},
        {"PureAscii", Bytes("[00:01:00]la la\r\n@Title=x\\y~"), Auto,
         U("[00:01:00]la la\r\n@Title=x\\y~"), TextEncoding::Cp932, ReasonCp932Default},
        {"Empty", QByteArray(), Auto, QString(), TextEncoding::Cp932, ReasonCp932Default},
        {"Utf8BrokenLater", Bytes("caf\xC3\xA9 \x82\xA0"), Auto, U("cafﾃｩ あ"), TextEncoding::Cp932,
         ReasonCp932Default},
        {"OverlongIsNoUtf8", Bytes("\xC0\xAF"), Auto, DecodeCp932(Bytes("\xC0\xAF")),
         TextEncoding::Cp932, ReasonCp932Default},
        {"SurrogateIsNoUtf8", Bytes("\xED\xA0\x80"), Auto, DecodeCp932(Bytes("\xED\xA0\x80")),
         TextEncoding::Cp932, ReasonCp932Default},
        // The user's choice.
        {"ForcedUtf8OnCp932",
         Bytes("a\x82\xA0"
               "b"),
         EncodingChoice::Utf8, U("a") + Replacements(2) + U("b"), TextEncoding::Utf8,
         ReasonSetByUser},
        {"ForcedUtf8CutSequence", Bytes("a\xE3\x81"), EncodingChoice::Utf8,
         U("a") + Replacements(2), TextEncoding::Utf8, ReasonSetByUser},
        {"ForcedUtf8KeepsLineAfterBrokenByte",
         Bytes("\xE3\n"
               "b"),
         EncodingChoice::Utf8, Replacements(1) + U("\nb"), TextEncoding::Utf8, ReasonSetByUser},
        {"ForcedUtf8RemovesItsBom", Bytes("\xEF\xBB\xBF\xE6\x84\x9B"), EncodingChoice::Utf8,
         U("愛"), TextEncoding::Utf8Bom, ReasonSetByUser},
        {"ForcedUtf8OnAscii", Bytes("abc"), EncodingChoice::Utf8, U("abc"), TextEncoding::Utf8,
         ReasonSetByUser},
        {"ForcedUtf8Pair", Bytes("a\xF0\x9F\x98\x80"), EncodingChoice::Utf8, pair,
         TextEncoding::Utf8, ReasonSetByUser},
        {"ForcedCp932OnUtf8", Bytes("caf\xC3\xA9"), EncodingChoice::Cp932, U("cafﾃｩ"),
         TextEncoding::Cp932, ReasonSetByUser},
        {"ForcedCp932OnUtf8Bom",
         Bytes("\xEF\xBB\xBF"
               "a"),
         EncodingChoice::Cp932,
         DecodeCp932(Bytes("\xEF\xBB\xBF"
                           "a")),
         TextEncoding::Cp932, ReasonSetByUser},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeTextTest, ::testing::ValuesIn(DecodeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeTextTest, CutByteOrderMarksAreNoMarks) {
    // "\xEF\xBB" alone is no UTF-8 mark (and no valid UTF-8): CP932 reads it.
    EXPECT_EQ(DecodeText(Bytes("\xEF\xBB")).Encoding, TextEncoding::Cp932);
    EXPECT_EQ(DecodeText(Bytes("\xFF")).Encoding, TextEncoding::Cp932);
}

TEST(DecodeTextTest, AutoReadsCp932ExactlyAsDecodeCp932) {
    // Every byte pair after an ASCII start, including the broken ones.
    QByteArray bytes = "[00:01:00]";
    for (int lead = 0x80; lead < 0x100; ++lead) {
        for (int trail = 0x30; trail < 0x100; trail += 7) {
            bytes.append(char(lead));
            bytes.append(char(trail));
        }
    }
    const DecodedText decoded = DecodeText(bytes);
    EXPECT_EQ(decoded.Encoding, TextEncoding::Cp932);
    EXPECT_EQ(decoded.Text, DecodeCp932(bytes));
}

TEST(DecodeTextTest, LongTextsOfOneWordStayLinear) {
    // A megabyte of "é" is also clean CP932 (ﾃｩﾃｩ...), so every character is weighed; so is
    // a megabyte of one Cyrillic letter (ﾐｱﾐｱ...). Neither may take more than linear time.
    QByteArray latin, cyrillic;
    for (int n = 0; n < 500000; ++n) {
        latin += "\xC3\xA9";
        cyrillic += "\xD0\xB1";
    }
    EXPECT_EQ(DecodeText(latin).Encoding, TextEncoding::Cp932); // no ASCII letter: no word
    EXPECT_EQ(DecodeText(cyrillic).Encoding, TextEncoding::Utf8);
}

struct EncodeCase {
    const char* name;
    QString text;
    TextEncoding encoding;
    QByteArray bytes;
    int replaced;
};

void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }

class EncodeTextTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTextTest, GivesBytesAndReplacedCount) {
    const EncodeCase& c = GetParam();
    const EncodedText encoded = EncodeText(c.text, c.encoding);
    EXPECT_EQ(encoded.Bytes, c.bytes);
    EXPECT_EQ(encoded.Replaced, c.replaced);
}

QString LoneSurrogates() {
    QString text = QStringLiteral("a");
    text += QChar(0xD800);
    text += QChar(0xDC00);
    text += QChar(0xDC00); // the first two are a pair; the third is alone
    text += QChar(0xD83D);
    return text;
}

std::vector<EncodeCase> EncodeCases() {
    return {
        {"Cp932", U("[00:01:00]あ漢ｶ①～"), TextEncoding::Cp932,
         Bytes("[00:01:00]\x82\xA0\x8A\xBF\xB6\x87\x40\x81\x60"), 0},
        {"Cp932QuestionMarkIsNoReplacement", U("why?"), TextEncoding::Cp932, Bytes("why?"), 0},
        {"Cp932Emoji", U("a😀b🎵"), TextEncoding::Cp932, Bytes("a?b?"), 2},
        {"Cp932HanziOutsideJis", U("你们好"), TextEncoding::Cp932, Bytes("??\x8D\x44"), 2},
        {"Cp932Latin", U("café €"), TextEncoding::Cp932, Bytes("caf? ?"), 2},
        {"Cp932LoneSurrogates", LoneSurrogates(), TextEncoding::Cp932, Bytes("a???"), 3},
        {"Cp932Empty", QString(), TextEncoding::Cp932, QByteArray(), 0},
        {"Utf8", U("aあ😀"), TextEncoding::Utf8, Bytes("a\xE3\x81\x82\xF0\x9F\x98\x80"), 0},
        {"Utf8Bom", U("aあ"), TextEncoding::Utf8Bom,
         Bytes("\xEF\xBB\xBF"
               "a\xE3\x81\x82"),
         0},
        {"Utf8BomEmpty", QString(), TextEncoding::Utf8Bom, Bytes("\xEF\xBB\xBF"), 0},
        {"Utf8Empty", QString(), TextEncoding::Utf8, QByteArray(), 0},
        {"Utf8TwoAndFourBytes", U("é\xF4\x8F\xBF\xBD"), TextEncoding::Utf8,
         Bytes("\xC3\xA9\xF4\x8F\xBF\xBD"), 0},
        {"Utf8LoneSurrogates", LoneSurrogates(), TextEncoding::Utf8,
         Bytes("a\xF0\x90\x80\x80\xEF\xBF\xBD\xEF\xBF\xBD"), 2},
        {"Utf16Le", U("aあ😀"), TextEncoding::Utf16Le,
         Bytes("\xFF\xFE"
               "a\0\x42\x30\x3D\xD8\x00\xDE"),
         0},
        {"Utf16Be", U("aあ😀"), TextEncoding::Utf16Be, Bytes("\xFE\xFF\0a\x30\x42\xD8\x3D\xDE\x00"),
         0},
        {"Utf16LeEmpty", QString(), TextEncoding::Utf16Le, Bytes("\xFF\xFE"), 0},
        {"Utf16BeLoneSurrogates", LoneSurrogates(), TextEncoding::Utf16Be,
         Bytes("\xFE\xFF\0a\xD8\x00\xDC\x00\xFF\xFD\xFF\xFD"), 2},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodeTextTest, ::testing::ValuesIn(EncodeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodingNamesTest, NamesParseBack) {
    for (const TextEncoding encoding :
         {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16Le,
          TextEncoding::Utf16Be}) {
        EXPECT_EQ(ParseEncodingName(EncodingName(encoding)), encoding);
        EXPECT_EQ(ParseEncodingName(EncodingName(encoding).toLower()), encoding);
    }
    EXPECT_EQ(EncodingName(TextEncoding::Cp932), U("CP932"));
    EXPECT_EQ(EncodingName(TextEncoding::Utf8), U("UTF-8"));
    EXPECT_EQ(EncodingName(TextEncoding::Utf8Bom), U("UTF-8-BOM"));
    EXPECT_EQ(EncodingName(TextEncoding::Utf16Le), U("UTF-16LE"));
    EXPECT_EQ(EncodingName(TextEncoding::Utf16Be), U("UTF-16BE"));
    for (const EncodingChoice choice :
         {EncodingChoice::Auto, EncodingChoice::Cp932, EncodingChoice::Utf8})
        EXPECT_EQ(ParseEncodingChoice(EncodingChoiceName(choice)), choice);
    EXPECT_EQ(EncodingChoiceName(EncodingChoice::Auto), U("Auto"));
}

TEST(EncodingNamesTest, SettingsTextsAreReadLeniently) {
    EXPECT_EQ(ParseEncodingName(u" utf8 "), TextEncoding::Utf8);
    EXPECT_EQ(ParseEncodingName(u"UTF-16 LE"), TextEncoding::Utf16Le);
    EXPECT_EQ(ParseEncodingName(u"utf_8_bom"), TextEncoding::Utf8Bom);
    EXPECT_EQ(ParseEncodingName(u"Shift_JIS"), TextEncoding::Cp932);
    EXPECT_EQ(ParseEncodingName(u"Windows-31J"), TextEncoding::Cp932);
    EXPECT_EQ(ParseEncodingName(u""), std::nullopt);
    EXPECT_EQ(ParseEncodingName(u"UTF-32"), std::nullopt);
    EXPECT_EQ(ParseEncodingName(u"Auto"), std::nullopt);
    EXPECT_EQ(ParseEncodingChoice(u"AUTO"), EncodingChoice::Auto);
    EXPECT_EQ(ParseEncodingChoice(u"sjis"), EncodingChoice::Cp932);
    EXPECT_EQ(ParseEncodingChoice(u"UTF-8-BOM"), std::nullopt); // a choice reads, not writes
    EXPECT_EQ(ParseEncodingChoice(u"UTF-16LE"), std::nullopt);
}

TEST(ReadTextFileContentTest, ReadsAndDetects) {
    TestFolder folder;
    const QString utf8 = folder.Put("utf8.txt", Bytes("[00:01:00]\xE6\x84\x9B\r\n"));
    const DecodedText decoded = ReadTextFileContent(utf8, 0, EncodingChoice::Auto).Decoded;
    EXPECT_EQ(decoded.Text, U("[00:01:00]愛\r\n"));
    EXPECT_EQ(decoded.Encoding, TextEncoding::Utf8);
    EXPECT_EQ(ReadTextFileContent(utf8, 0, EncodingChoice::Cp932).Decoded.Encoding,
              TextEncoding::Cp932);
    const DecodedText missing =
        ReadTextFileContent(folder.File("missing.txt"), 0, EncodingChoice::Auto).Decoded;
    EXPECT_TRUE(missing.Text.isEmpty());
    EXPECT_EQ(missing.Encoding, TextEncoding::Cp932);
}

// Round trips over generated texts: each text written in each encoding reads back, with
// Auto, as the same text in the same encoding. The texts hold only characters CP932 holds
// when they are written as CP932, and at least one non-ASCII character when written as
// plain UTF-8 (pure ASCII is CP932 by default).
class Random {
public:
    explicit Random(quint64 seed) : state_(seed) {}
    int Below(int n) {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return int((z ^ (z >> 31)) % quint64(n));
    }

private:
    quint64 state_;
};

// The characters of the CP932 codes from..to (one-byte codes below 0x100).
QString Cp932Characters(int from, int to) {
    QString characters;
    for (int code = from; code <= to; ++code) {
        QByteArray bytes;
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
        const QString character = DecodeCp932(bytes);
        if (FindUndecodableCp932(bytes.constData(), bytes.size()) < 0 && character.size() == 1)
            characters += character;
    }
    return characters;
}

// A lyrics-like text: ASCII words and tags stand apart from their neighbours, Japanese runs
// may follow each other directly, and accented letters sit inside words. (A lone accented
// letter and half-width katakana glued to ASCII letters are the ambiguous cases shown above.)
QString Generate(Random& random, bool cp932Only) {
    static const QString pools[] = {
        Cp932Characters(0x829F, 0x82F1), // hiragana
        Cp932Characters(0x8340, 0x8396), // katakana
        Cp932Characters(0x889F, 0x9872), // kanji, JIS level 1
        Cp932Characters(0x989F, 0xEAA4), // kanji, JIS level 2
        Cp932Characters(0xA1, 0xDF),     // half-width katakana
        Cp932Characters(0x8140, 0x81FC), // full-width signs
        Cp932Characters(0x8740, 0x879C), // NEC specials
    };
    static const QString words[] = {U("love"), U("[00:12:34]"), U("la la"), U("you")};
    static const QString beyondCp932[] = {U("😀"), U("café"), U("你们"), U("♥"), U("Привет")};
    static const QString gaps[] = {U(" "), U("\r\n"), U("[00:12:34]")};
    QString text;
    bool lastWasWord = false;
    const int tokens = 1 + random.Below(12);
    for (int t = 0; t < tokens; ++t) {
        const int kind = random.Below(10);
        const bool word = kind < 3;
        if (t > 0 && (word || lastWasWord || random.Below(2) == 0))
            text += gaps[random.Below(3)];
        if (word) {
            text += words[random.Below(4)];
        } else if (kind == 3 && !cp932Only) {
            text += beyondCp932[random.Below(5)];
        } else {
            const QString& pool = pools[random.Below(7)];
            for (int n = 1 + random.Below(4); n > 0; --n)
                text += pool[random.Below(int(pool.size()))];
        }
        lastWasWord = word || kind == 3;
    }
    return text;
}

bool HasNonAscii(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80; });
}

TEST(TextEncodingRoundTripTest, EveryEncodingReadsBackAsWritten) {
    Random random(20261207);
    int checked = 0;
    for (int n = 0; n < 3000; ++n) {
        const bool cp932Only = n % 2 == 0;
        const QString text = Generate(random, cp932Only);
        for (const TextEncoding encoding :
             {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16Le,
              TextEncoding::Utf16Be}) {
            if (encoding == TextEncoding::Cp932 && !cp932Only)
                continue;
            if (encoding == TextEncoding::Utf8 && !HasNonAscii(text))
                continue;
            const EncodedText encoded = EncodeText(text, encoding);
            ASSERT_EQ(encoded.Replaced, 0) << "text " << n;
            const DecodedText decoded = DecodeText(encoded.Bytes);
            ASSERT_EQ(decoded.Text.toStdString(), text.toStdString())
                << "text " << n << " in " << EncodingName(encoding).toStdString();
            ASSERT_EQ(decoded.Encoding, encoding) << "text " << n << ": " << text.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 10000);
}

TEST(TextEncodingRoundTripTest, Cp932BytesAreThoseOfEncodeCp932) {
    Random random(7);
    for (int n = 0; n < 500; ++n) {
        const QString text = Generate(random, false);
        qsizetype replaced = 0;
        const QByteArray expected = EncodeCp932(text, replaced);
        const EncodedText encoded = EncodeText(text, TextEncoding::Cp932);
        ASSERT_EQ(encoded.Bytes, expected) << "text " << n;
        ASSERT_EQ(encoded.Replaced, replaced) << "text " << n;
    }
}

} // namespace
