// The SAMI text made from a lyrics document: layout, caption blocks, escaping, karaoke rows
// and the extra rows of multi-line displays.
#include "formats/SamiWriter.h"
#include "FormatsTestHelpers.h"

#include <gtest/gtest.h>

namespace tavelkor {
namespace {

using test::CrLfLines;
using test::ParseDoc;
using test::U;

const std::array<QString, 4> DefaultPieces = {U("<font color=yellow>"), U("</font>"), QString(),
                                              QString()};

// The text lines of a SAMI text (split at CR LF, the empty piece after the last CR LF dropped).
QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(U("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Checks the fixed layout around the caption blocks and returns the blocks' lines.
QStringList CaptionLines(const QString& text, const QString& style) {
    EXPECT_TRUE(text.endsWith(U("</BODY>\r\n</SAMI>\r\n")));
    const QStringList lines = SplitLines(text);
    if (lines.size() < 12) {
        ADD_FAILURE() << "too few lines";
        return {};
    }
    const QStringList head = {U("<SAMI>"),
                              U("<HEAD>"),
                              U("<Title></Title>"),
                              U("<STYLE TYPE=\"text/css\">"),
                              U("<!--"),
                              U("P {") + style + U("} .LyricsCC"),
                              U("-->"),
                              U("</STYLE></HEAD>"),
                              U("<BODY>")};
    EXPECT_EQ(lines.mid(0, 9), head);
    const QString credit = lines[9];
    EXPECT_TRUE(credit.startsWith(U("<!--"))) << credit.toStdString();
    EXPECT_TRUE(credit.endsWith(U("-->"))) << credit.toStdString();
    EXPECT_GT(credit.size(), 7);
    EXPECT_FALSE(credit.contains(u'\r') || credit.contains(u'\n'));
    EXPECT_EQ(lines[lines.size() - 2], U("</BODY>"));
    EXPECT_EQ(lines.last(), U("</SAMI>"));
    return lines.mid(10, lines.size() - 12);
}

TEST(SamiWriter, WholeTextOfPlainCaptionsIsExact) {
    LyricsDocument document = ParseDoc("@Title=Song\r\n"
                                       "[00:00:00]\r\n"
                                       "[00:01:00]a <b> & c\r\n"
                                       "untimed words\r\n"
                                       "[00:02:00]same\r\n"
                                       "[00:02:00]lost line\r\n"
                                       "[00:01:50]earlier line\r\n"
                                       "[00:03:00]全　角\tx&amp;y\r\n");
    const QString style = U("color: red;");
    const QString text = MakeSamiText(document, false, style, DefaultPieces, 1);

    const QStringList lines = SplitLines(text);
    ASSERT_GT(lines.size(), 10);
    const QString expected = CrLfLines({
        U("<SAMI>"),
        U("<HEAD>"),
        U("<Title></Title>"),
        U("<STYLE TYPE=\"text/css\">"),
        U("<!--"),
        U("P {color: red;} .LyricsCC"),
        U("-->"),
        U("</STYLE></HEAD>"),
        U("<BODY>"),
        lines[9], // the credit comment; its form is checked below
        U("<SYNC Start=0>"),
        U("<P Class=LyricsCC>&nbsp;"),
        U("<SYNC Start=1000>"),
        U("<P Class=LyricsCC>a&nbsp;&lt;b&gt;&nbsp;&&nbsp;c"),
        U("<SYNC Start=2000>"),
        U("<P Class=LyricsCC>same"),
        U("<SYNC Start=3000>"),
        U("<P Class=LyricsCC>全　角\tx&amp;y"),
        U("</BODY>"),
        U("</SAMI>"),
    });
    EXPECT_EQ(text, expected);
    CaptionLines(text, style);
    EXPECT_FALSE(text.contains(U("lost")));
    EXPECT_FALSE(text.contains(U("earlier")));
    EXPECT_FALSE(text.contains(U("untimed")));
    EXPECT_FALSE(text.contains(U("Song")));
}

TEST(SamiWriter, EmptyDocumentGivesEmptyText) {
    LyricsDocument document;
    EXPECT_EQ(MakeSamiText(document, false, U("x"), DefaultPieces, 1), QString());
    EXPECT_EQ(MakeSamiText(document, true, U("x"), DefaultPieces, 3), QString());
}

TEST(SamiWriter, DocumentWithoutTimedLinesHasLayoutOnly) {
    LyricsDocument document = ParseDoc("just words\r\n@Title=T");
    const QString text = MakeSamiText(document, false, U("s"), DefaultPieces, 1);
    EXPECT_EQ(CaptionLines(text, U("s")), QStringList());
    EXPECT_FALSE(text.contains(U("SYNC")));
}

TEST(SamiWriter, EscapingTouchesOnlyAnglesAndBlanks) {
    EXPECT_EQ(EscapeSamiText(U("<a> & b")), U("&lt;a&gt;&nbsp;&&nbsp;b"));
    EXPECT_EQ(EscapeSamiText(U("&lt;")), U("&lt;"));
    EXPECT_EQ(EscapeSamiText(U("　\t\"'")), U("　\t\"'"));
    EXPECT_EQ(EscapeSamiText(U("  ")), U("&nbsp;&nbsp;"));
    EXPECT_EQ(EscapeSamiText(QString()), QString());
}

TEST(SamiWriter, KaraokeRowsWithDefaultPieces) {
    LyricsDocument document = ParseDoc("[00:01:00]ka[00:01:50]ra[00:02:00]oke\r\n"
                                       "between\r\n"
                                       "[00:03:00]one\r\n"
                                       "[00:04:00]\r\n"
                                       "[00:05:00]a [00:05:50]<b>\r\n"
                                       "[00:06:00]ab[00:07:00]\r\n"
                                       "[00:08:00][00:09:00]abc");
    const QString text = MakeSamiText(document, true, U("s"), DefaultPieces, 1);
    const QStringList expected = {
        U("<SYNC Start=1000>"),
        U("<P Class=LyricsCC><font color=yellow>ka</font>raoke"),
        U("<SYNC Start=1500>"),
        U("<P Class=LyricsCC><font color=yellow>kara</font>oke"),
        U("<SYNC Start=2000>"),
        U("<P Class=LyricsCC><font color=yellow>karaoke</font>"),
        U("<SYNC Start=3000>"),
        U("<P Class=LyricsCC><font color=yellow>one</font>"),
        U("<SYNC Start=4000>"),
        U("<P Class=LyricsCC><font color=yellow>&nbsp;</font>"),
        U("<SYNC Start=5000>"),
        U("<P Class=LyricsCC><font color=yellow>a&nbsp;</font>&lt;b&gt;"),
        U("<SYNC Start=5500>"),
        U("<P Class=LyricsCC><font color=yellow>a&nbsp;&lt;b&gt;</font>"),
        U("<SYNC Start=6000>"),
        U("<P Class=LyricsCC><font color=yellow>ab</font>"),
        U("<SYNC Start=7000>"),
        U("<P Class=LyricsCC><font color=yellow>ab</font>"),
        // An empty sung part before a non-empty rest stays empty.
        U("<SYNC Start=8000>"),
        U("<P Class=LyricsCC><font color=yellow></font>abc"),
        U("<SYNC Start=9000>"),
        U("<P Class=LyricsCC><font color=yellow>abc</font>"),
    };
    EXPECT_EQ(CaptionLines(text, U("s")), expected);
}

TEST(SamiWriter, KaraokeRowsWithCustomPiecesAreNotEscaped) {
    LyricsDocument document = ParseDoc("[00:01:00]ka[00:01:50]ra\r\n[00:02:00]");
    const std::array<QString, 4> pieces = {U("<L x=\"1\">"), U("</L>"), U("<R>"), U("</R>")};
    const QString text = MakeSamiText(document, true, U("s"), pieces, 1);
    const QStringList expected = {
        U("<SYNC Start=1000>"), U("<P Class=LyricsCC><L x=\"1\">ka</L><R>ra</R>"),
        U("<SYNC Start=1500>"), U("<P Class=LyricsCC><L x=\"1\">kara</L><R></R>"),
        U("<SYNC Start=2000>"), U("<P Class=LyricsCC><L x=\"1\">&nbsp;</L><R></R>"),
    };
    EXPECT_EQ(CaptionLines(text, U("s")), expected);
}

TEST(SamiWriter, KaraokeStepsWithEqualTimesKeepOnlyTheFirst) {
    LyricsDocument document = ParseDoc("[00:01:00]a[00:01:00]b[00:02:00]c");
    const QString text = MakeSamiText(document, true, U("s"), DefaultPieces, 1);
    const QStringList expected = {
        U("<SYNC Start=1000>"),
        U("<P Class=LyricsCC><font color=yellow>a</font>bc"),
        U("<SYNC Start=2000>"),
        U("<P Class=LyricsCC><font color=yellow>abc</font>"),
    };
    EXPECT_EQ(CaptionLines(text, U("s")), expected);
}

const char* const MultiLineDoc = "[00:01:00]one\r\n"
                                 "@Title=skipped\r\n"
                                 "(inter lude)\r\n"
                                 "[00:02:00]two\r\n"
                                 "[00:03:00]three <3>\r\n"
                                 "[00:04:00]four";

TEST(SamiWriter, ExtraRowsFollowTheLineCount) {
    LyricsDocument two = ParseDoc(MultiLineDoc);
    EXPECT_EQ(
        CaptionLines(MakeSamiText(two, false, U("s"), DefaultPieces, 2), U("s")),
        (QStringList{U("<SYNC Start=1000>"), U("<P Class=LyricsCC>one"), U("<BR>(inter&nbsp;lude)"),
                     U("<SYNC Start=2000>"), U("<P Class=LyricsCC>two"),
                     U("<BR>three&nbsp;&lt;3&gt;"), U("<SYNC Start=3000>"),
                     U("<P Class=LyricsCC>three&nbsp;&lt;3&gt;"), U("<BR>four"),
                     U("<SYNC Start=4000>"), U("<P Class=LyricsCC>four"), U("<BR>&nbsp;")}));

    const QStringList four = {
        U("<SYNC Start=1000>"),
        U("<P Class=LyricsCC>one"),
        U("<BR>(inter&nbsp;lude)"),
        U("<BR>two"),
        U("<BR>three&nbsp;&lt;3&gt;"),
        U("<SYNC Start=2000>"),
        U("<P Class=LyricsCC>two"),
        U("<BR>three&nbsp;&lt;3&gt;"),
        U("<BR>four"),
        U("<BR>&nbsp;"),
        U("<SYNC Start=3000>"),
        U("<P Class=LyricsCC>three&nbsp;&lt;3&gt;"),
        U("<BR>four"),
        U("<BR>&nbsp;"),
        U("<BR>&nbsp;"),
        U("<SYNC Start=4000>"),
        U("<P Class=LyricsCC>four"),
        U("<BR>&nbsp;"),
        U("<BR>&nbsp;"),
        U("<BR>&nbsp;"),
    };
    LyricsDocument doc4 = ParseDoc(MultiLineDoc);
    const QString text4 = MakeSamiText(doc4, false, U("s"), DefaultPieces, 4);
    EXPECT_EQ(CaptionLines(text4, U("s")), four);
    // A stored count above four shows four lines.
    LyricsDocument doc9 = ParseDoc(MultiLineDoc);
    EXPECT_EQ(MakeSamiText(doc9, false, U("s"), DefaultPieces, 9), text4);

    // One line or fewer: no extra rows.
    for (int lines : {1, 0}) {
        LyricsDocument doc = ParseDoc(MultiLineDoc);
        const QString text = MakeSamiText(doc, false, U("s"), DefaultPieces, lines);
        EXPECT_FALSE(text.contains(U("<BR>"))) << lines;
        EXPECT_EQ(CaptionLines(text, U("s")).size(), 8) << lines;
    }
}

TEST(SamiWriter, KaraokeStepsShareTheirLinesExtraRows) {
    LyricsDocument document = ParseDoc("[00:01:00]ka[00:01:50]ra\r\n[00:03:00]next one");
    const QString text = MakeSamiText(document, true, U("s"), DefaultPieces, 3);
    const QStringList expected = {
        U("<SYNC Start=1000>"), U("<P Class=LyricsCC><font color=yellow>ka</font>ra"),
        U("<BR>next&nbsp;one"), U("<BR>&nbsp;"),
        U("<SYNC Start=1500>"), U("<P Class=LyricsCC><font color=yellow>kara</font>"),
        U("<BR>next&nbsp;one"), U("<BR>&nbsp;"),
        U("<SYNC Start=3000>"), U("<P Class=LyricsCC><font color=yellow>next&nbsp;one</font>"),
        U("<BR>&nbsp;"),        U("<BR>&nbsp;"),
    };
    EXPECT_EQ(CaptionLines(text, U("s")), expected);
}

TEST(SamiWriter, StyleIsInsertedAsItIs) {
    LyricsDocument document = ParseDoc("[00:01:00]x");
    const QString style = U("font-family: ＭＳ Ｐゴシック; a<b>");
    const QString text = MakeSamiText(document, false, style, DefaultPieces, 1);
    EXPECT_EQ(CaptionLines(text, style).size(), 2);
    LyricsDocument again = ParseDoc("[00:01:00]x");
    const QString empty = MakeSamiText(again, false, QString(), DefaultPieces, 1);
    EXPECT_TRUE(empty.contains(U("\r\nP {} .LyricsCC\r\n")));
}

} // namespace
} // namespace tavelkor
