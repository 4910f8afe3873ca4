// CP932 bytes to text and back, and reading text files.
#include "base/Cp932.h"
#include "TestFiles.h"
#include "base/TextFile.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tavelkor;
using tavelkor::test::TestFolder;
using tavelkor::test::U;
using tavelkor::test::WriteBytes;

namespace {

QByteArray Bytes(const char* bytes) { return QByteArray(bytes); }

struct MappingCase {
    const char* bytes;
    char16_t unit;
};

class Cp932MappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(Cp932MappingTest, DecodesAndEncodesBothWays) {
    const QByteArray bytes = Bytes(GetParam().bytes);
    const QString text(QChar(GetParam().unit));
    EXPECT_EQ(DecodeCp932(bytes), text);
    EXPECT_EQ(EncodeCp932(text), bytes);
}

// The Microsoft code page, not JIS: the wave dash is the full-width tilde, 5C is a backslash,
// and the NEC and IBM extensions are present.
INSTANTIATE_TEST_SUITE_P(
    Characters, Cp932MappingTest,
    ::testing::Values(MappingCase{"\x81\x60", u'\uFF5E'}, MappingCase{"\x81\x5F", u'\uFF3C'},
                      MappingCase{"\x81\x7C", u'\uFF0D'}, MappingCase{"\x87\x40", u'\u2460'},
                      MappingCase{"\xFA\x5C", u'\u7E8A'}, MappingCase{"\x5C", u'\\'},
                      MappingCase{"\x7E", u'~'}, MappingCase{"\xB1", u'\uFF71'},
                      MappingCase{"\x82\xA0", u'\u3042'}, MappingCase{"\x1A", u'\x1A'},
                      MappingCase{"\x7F", u'\x7F'}));

TEST(Cp932Test, DuplicateCodesDecodeAndEncodeAsWindowsDoes) {
    // The NEC-selected copies (ED/EE) decode; encoding writes the IBM extension (FA..FC).
    EXPECT_EQ(DecodeCp932(Bytes("\xED\x40")), QString(QChar(u'\u7E8A')));
    EXPECT_EQ(DecodeCp932(Bytes("\xFA\x40")), QString(QChar(u'\u2170')));
    EXPECT_EQ(DecodeCp932(Bytes("\xEE\xEF")), QString(QChar(u'\u2170')));
    EXPECT_EQ(EncodeCp932(QString(QChar(u'\u2170'))), Bytes("\xFA\x40"));
}

TEST(Cp932Test, MixedTextRoundTrips) {
    const QString text = U("[00:01:00]漢字 かな ｶﾅ abc\r\n①～＼");
    const QByteArray bytes = EncodeCp932(text);
    EXPECT_EQ(bytes.left(14), Bytes("[00:01:00]\x8A\xBF\x8E\x9A"));
    EXPECT_EQ(DecodeCp932(bytes), text);
    EXPECT_EQ(Cp932ByteLength(text), bytes.size());
}

TEST(Cp932Test, ByteLengthCountsFullWidthAsTwo) {
    EXPECT_EQ(Cp932ByteLength(U("aあｱ漢")), 6);
    EXPECT_EQ(Cp932ByteLength(QString()), 0);
    EXPECT_TRUE(DecodeCp932(QByteArray()).isEmpty());
    EXPECT_EQ(Cp932ByteLength(U("é")), 1); // written as "?"
}

TEST(Cp932Test, LoneLeadByteAtEndBecomesReplacementCharacter) {
    EXPECT_EQ(DecodeCp932(Bytes("a\x82")), U("a\xEF\xBF\xBD"));
    EXPECT_EQ(DecodeCp932(Bytes("\x81")), QString(QChar(UndecodableByteChar)));
}

TEST(Cp932Test, LeadByteWithInvalidTrailKeepsTheFollowingCharacter) {
    // A line break after a lead byte must survive: the lyric lines depend on it.
    EXPECT_EQ(DecodeCp932(Bytes("\x82\nb")), U("\xEF\xBF\xBD\nb"));
    EXPECT_EQ(DecodeCp932(Bytes("\x82 a")), U("\xEF\xBF\xBD a"));
    EXPECT_EQ(DecodeCp932(Bytes("x\x81\r\ny")), U("x\xEF\xBF\xBD\r\ny"));
}

TEST(Cp932Test, UndefinedSingleBytesAreReplacedOneEach) {
    // 80 and FD..FF are not characters of the code page.
    EXPECT_EQ(DecodeCp932(Bytes("a\x80"
                                "b")),
              U("a\xEF\xBF\xBD"
                "b"));
    EXPECT_EQ(DecodeCp932(Bytes("\xFD\xFE\xFF")), U("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"));
    // An unassigned double-byte code: the replacement stands for its lead byte, and a tag
    // that starts at the second byte survives.
    EXPECT_EQ(DecodeCp932(Bytes("\x85[00:01:00]")), U("\xEF\xBF\xBD[00:01:00]"));
}

TEST(Cp932Test, CharacterOutsideTheCodePageIsOneQuestionMark) {
    EXPECT_EQ(EncodeCp932(U("caf\xC3\xA9")), Bytes("caf?"));
    // An emoji is two UTF-16 units but one character: one "?".
    EXPECT_EQ(EncodeCp932(U("a\xF0\x9F\x98\x80"
                            "b")),
              Bytes("a?b"));
    EXPECT_EQ(EncodeCp932(U("\xF0\x9F\x98\x80\xF0\x9F\x8E\xB5")), Bytes("??"));
    EXPECT_EQ(EncodeCp932(U("\xE2\x82\xAC"
                            "1")),
              Bytes("?1")); // euro sign
}

TEST(Cp932Test, BrokenSurrogatesAreOneQuestionMarkEach) {
    QString text = QStringLiteral("a");
    text += QChar(0xD800);
    text += QStringLiteral("b");
    text += QChar(0xDC00);
    EXPECT_EQ(EncodeCp932(text), Bytes("a?b?"));
    QString endsInHigh = QStringLiteral("z");
    endsInHigh += QChar(0xD83D);
    EXPECT_EQ(EncodeCp932(endsInHigh), Bytes("z?"));
}

TEST(TextFileTest, ReadsWholeFileDecoded) {
    TestFolder folder;
    const QString path = folder.File("a.txt");
    ASSERT_TRUE(WriteBytes(path, Bytes("[00:01:00]\x82\xA0\r\nx")));
    EXPECT_EQ(ReadTextFile(path, 0), U("[00:01:00]あ\r\nx"));
    EXPECT_EQ(ReadTextFile(path, 1000), U("[00:01:00]あ\r\nx"));
}

TEST(TextFileTest, MaxBytesCuttingADoubleByteCharacter) {
    TestFolder folder;
    const QString path = folder.File("cut.txt");
    // 20000 bytes: "a", 9999 full-width characters, "b"; byte 10000 is a lead byte.
    QByteArray bytes("a");
    for (int i = 0; i < 9999; ++i)
        bytes += "\x82\xA0";
    bytes += "b";
    ASSERT_EQ(bytes.size(), 20000);
    ASSERT_TRUE(WriteBytes(path, bytes));
    const QString text = ReadTextFile(path, 10000);
    ASSERT_EQ(text.size(), 1 + 4999 + 1);
    EXPECT_EQ(text.left(3), U("aああ"));
    EXPECT_EQ(text.at(text.size() - 2), QChar(u'\u3042'));
    EXPECT_EQ(text.back(), QChar(UndecodableByteChar));
    const QString whole = ReadTextFile(path, 0);
    EXPECT_EQ(whole.size(), 1 + 9999 + 1);
    EXPECT_EQ(whole.back(), QChar(u'b'));
}

TEST(TextFileTest, UnusableInputsReadAsEmpty) {
    TestFolder folder;
    const QString empty = folder.File("empty.txt");
    ASSERT_TRUE(WriteBytes(empty, QByteArray()));
    EXPECT_EQ(ReadTextFile(empty, 0), QString());
    EXPECT_EQ(ReadTextFile(folder.File("missing.txt"), 0), QString());
    EXPECT_EQ(ReadTextFile(folder.Path(), 0), QString());
    EXPECT_EQ(ReadTextFile(QString(), 0), QString());
}

TEST(TextFileTest, FileExistsOnlyForRegularFiles) {
    TestFolder folder;
    const QString path = folder.File("there.txt");
    ASSERT_TRUE(WriteBytes(path, Bytes("x")));
    EXPECT_TRUE(FileExists(path));
    const QString empty = folder.File("empty.txt");
    ASSERT_TRUE(WriteBytes(empty, QByteArray()));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder.Path() + u'/'));
    EXPECT_FALSE(FileExists(folder.File("missing.txt")));
}

} // namespace
