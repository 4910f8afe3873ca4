// The CP932 and UTF-8 conversions copy ASCII runs eight characters at a time: every byte and
// character, at every position inside and around such a run, must come out as the
// character-by-character conversion gives it.
#include "base/Cp932.h"
#include "base/TextEncoding.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

// One character at a time: a two-byte input that decodes to one character is a pair.
QString DecodeOneByOne(const QByteArray& bytes) {
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const QString pair = DecodeCp932(bytes.mid(i, 2));
        if (i + 1 < bytes.size() && pair.size() == 1 && pair[0] != UndecodableByteChar) {
            text += pair;
            i += 2;
        } else {
            text += DecodeCp932(bytes.mid(i, 1));
            i += 1;
        }
    }
    return text;
}

QByteArray EncodeOneByOne(const QString& text, qsizetype& replaced) {
    QByteArray bytes;
    replaced = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1; // a surrogate pair is one character
        qsizetype one = 0;
        bytes += EncodeCp932(QStringView(text).mid(i, length), one);
        replaced += one;
        i += length;
    }
    return bytes;
}

QByteArray AsciiRun(QRandomGenerator& random, int length) {
    QByteArray run;
    for (int k = 0; k < length; ++k)
        run += char(random.bounded(0x20, 0x7F));
    return run;
}

} // namespace

TEST(Cp932AsciiRunsTest, EveryByteInsideAndAroundAsciiRunsDecodesAsAlone) {
    QRandomGenerator random(932);
    for (int byte = 0; byte < 256; ++byte) {
        for (int before = 0; before <= 17; ++before) {
            // The byte alone, as a lead byte before an ASCII trail byte, and before a kana.
            for (const QByteArray& after :
                 {QByteArray("abcdefghijklmnop"), QByteArray("\x82\xA0"), QByteArray()}) {
                const QByteArray bytes =
                    AsciiRun(random, before) + char(byte) + after + AsciiRun(random, byte % 11);
                ASSERT_EQ(DecodeCp932(bytes), DecodeOneByOne(bytes))
                    << "byte " << byte << " after " << before << " ASCII bytes";
            }
        }
    }
}

TEST(Cp932AsciiRunsTest, RandomMixedBytesAndTextConvertAsOneByOne) {
    QRandomGenerator random(31);
    const char16_t others[] = {u'\u3042', u'\u6F22', u'\uFF71', u'\u00E9', u'\u20AC', u'\x80',
                               u'\xFF',   u'\xD83C', u'\xDFB5', u'\xDC00', u'\u0100', u'\x7F'};
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        QString text;
        while (bytes.size() < random.bounded(1, 80)) {
            const int run = random.bounded(0, 20);
            bytes += AsciiRun(random, run);
            text += QString::fromLatin1(AsciiRun(random, run));
            bytes += char(random.bounded(0x80, 0x100));
            text += QChar(others[random.bounded(int(std::size(others)))]);
        }
        ASSERT_EQ(DecodeCp932(bytes), DecodeOneByOne(bytes)) << bytes.toHex().constData();
        qsizetype replaced = -1;
        qsizetype expectedReplaced = -1;
        ASSERT_EQ(EncodeCp932(text, replaced), EncodeOneByOne(text, expectedReplaced))
            << text.toStdString();
        ASSERT_EQ(replaced, expectedReplaced);
    }
}

TEST(Utf8AsciiRunsTest, TextWithAsciiRunsEncodesAndDecodesAsQtDoes) {
    QRandomGenerator random(8);
    const QString others[] = {QStringLiteral("\u00E9"), QStringLiteral("\u3042"),
                              QStringLiteral("\u6F22"), QStringLiteral("\U0001F3B5"),
                              QStringLiteral("\u0080"), QStringLiteral("\uFFFD")};
    for (int round = 0; round < 2000; ++round) {
        QString text;
        while (text.size() < random.bounded(1, 80)) {
            text += QString::fromLatin1(AsciiRun(random, random.bounded(0, 20)));
            text += others[random.bounded(int(std::size(others)))];
        }
        const EncodedText encoded = EncodeText(text, TextEncoding::Utf8);
        ASSERT_EQ(encoded.Bytes, text.toUtf8()) << text.toStdString();
        ASSERT_EQ(DecodeText(encoded.Bytes, EncodingChoice::Utf8).Text, text) << text.toStdString();
    }
}
