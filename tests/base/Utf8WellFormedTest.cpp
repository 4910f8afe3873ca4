// UTF-8 validation against the table of well-formed byte sequences of the Unicode standard
// (Table 3-7): every lead byte with every second byte, the third and fourth bytes at both edges
// of their range and just outside it, and every well-formed sequence cut short by the end of
// the text. The validator, the tolerant decoder and the encoding finder must all agree with it.
#include "base/TextEncoding.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tavelkor;

namespace {

struct ByteRange {
    int Low;
    int High;
    bool Holds(int byte) const { return byte >= Low && byte <= High; }
};

// Table 3-7, one row per line: the allowed range of each byte of the sequence.
const std::vector<std::vector<ByteRange>> WellFormed = {
    {{0x00, 0x7F}},
    {{0xC2, 0xDF}, {0x80, 0xBF}},
    {{0xE0, 0xE0}, {0xA0, 0xBF}, {0x80, 0xBF}},
    {{0xE1, 0xEC}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xED, 0xED}, {0x80, 0x9F}, {0x80, 0xBF}},
    {{0xEE, 0xEF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF0, 0xF0}, {0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF1, 0xF3}, {0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF4, 0xF4}, {0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}},
};

// The row whose first byte range holds `lead`, or nullptr (C0, C1, F5..FF, continuation bytes).
const std::vector<ByteRange>* RowOf(int lead) {
    for (const auto& row : WellFormed) {
        if (row[0].Holds(lead))
            return &row;
    }
    return nullptr;
}

// The code point a well-formed sequence stands for, worked out from the bit layout.
char32_t CodePointOf(const QByteArray& bytes) {
    const auto b = [&](int i) { return char32_t(uchar(bytes[i])); };
    switch (bytes.size()) {
    case 1:
        return b(0);
    case 2:
        return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3:
        return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default:
        return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

// The byte values worth trying at a place whose range is `range`: its edges and their outer
// neighbours, and an ASCII letter.
std::vector<int> EdgesOf(const ByteRange& range) {
    return {range.Low - 1, range.Low, range.High, range.High + 1, 'a'};
}

struct Case {
    QByteArray Bytes;
    int WellFormedLength; // the length of the well-formed sequence at the start, 0 when none
};

// Every lead byte with every second byte; from the third byte on, the edges of the row's ranges
// (or a continuation byte where the row has no such place).
std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (int lead = 0; lead <= 0xFF; ++lead) {
        const auto* row = RowOf(lead);
        const int length = row ? int(row->size()) : 1;
        for (int second = 0; second <= 0xFF; ++second) {
            std::vector<QByteArray> tails{QByteArray(1, char(second))};
            for (int place = 2; place < length; ++place) {
                std::vector<QByteArray> longer;
                for (const QByteArray& tail : tails) {
                    for (const int next : EdgesOf((*row)[place]))
                        longer.push_back(tail + char(next));
                }
                tails = longer;
            }
            for (const QByteArray& tail : tails) {
                QByteArray bytes = char(lead) + tail;
                bool ok = row != nullptr;
                for (int place = 1; ok && place < length; ++place)
                    ok = (*row)[place].Holds(uchar(bytes[place]));
                cases.push_back({bytes, ok ? length : 0});
            }
        }
    }
    return cases;
}

// What the tolerant decoder must give: the well-formed sequences as characters, every other
// byte as one U+FFFD.
QString Expected(const QByteArray& bytes) {
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto* row = RowOf(uchar(bytes[i]));
        const qsizetype length = row ? qsizetype(row->size()) : 1;
        bool ok = row != nullptr && i + length <= bytes.size();
        for (qsizetype place = 1; ok && place < length; ++place)
            ok = (*row)[place].Holds(uchar(bytes[i + place]));
        if (ok) {
            const char32_t point = CodePointOf(bytes.mid(i, length));
            if (point >= 0x10000) {
                text += QChar(QChar::highSurrogate(point));
                text += QChar(QChar::lowSurrogate(point));
            } else {
                text += QChar(char16_t(point)); // U+FEFF too: the decoder keeps a mark
            }
            i += length;
        } else {
            text += QChar(QChar::ReplacementCharacter);
            ++i;
        }
    }
    return text;
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')); }

TEST(Utf8WellFormedTest, EveryByteSequenceIsJudgedAsTable3_7Says) {
    int wellFormed = 0, illFormed = 0, cut = 0;
    for (const Case& c : Cases()) {
        // The sequence alone, between ASCII letters, and cut short at the end of the text.
        std::vector<QByteArray> texts{c.Bytes, "x" + c.Bytes + "y"};
        if (c.WellFormedLength > 1) {
            for (int keep = 1; keep < c.WellFormedLength; ++keep, ++cut)
                texts.push_back("x" + c.Bytes.left(keep));
        }
        for (const QByteArray& text : texts) {
            const QString expected = Expected(text);
            const bool valid = !expected.contains(QChar(QChar::ReplacementCharacter));
            ASSERT_EQ(IsValidUtf8(text), valid) << Hex(text).toStdString();
            ASSERT_EQ(DecodeUtf8(text), expected) << Hex(text).toStdString();
            if (!valid) // bytes that are no UTF-8 are never read as UTF-8
                ASSERT_NE(DecodeText(text).Encoding, TextEncoding::Utf8) << Hex(text).toStdString();
            (valid ? wellFormed : illFormed) += 1;
        }
    }
    // The table is really walked: every row and every rejection class shows up.
    EXPECT_GT(wellFormed, 1000);
    EXPECT_GT(illFormed, 10000);
    EXPECT_GT(cut, 100);
}

} // namespace
