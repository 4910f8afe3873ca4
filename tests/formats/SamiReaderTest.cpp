// Reading SAMI captions back into a lyrics document: SYNC lines, caption lines, entities and
// the scan over the whole text.
#include "formats/SamiReader.h"
#include "FormatsTestHelpers.h"
#include "formats/SamiWriter.h"

#include <gtest/gtest.h>

namespace tavelkor {
namespace {

using test::CrLfLines;
using test::ParseDoc;
using test::U;

struct SyncCase {
    const char* line;
    bool ok;
    int startMs;
    const char* rest;
};

TEST(SamiReader, SyncLineRecognition) {
    const SyncCase cases[] = {
        {"<SYNC Start=1000>", true, 1000, ""},
        {"<sync start=250>after", true, 250, "after"},
        {"<Sync START=7><P>x", true, 7, "<P>x"},
        {" \t \t<SYNC Start=5>", true, 5, ""},
        {"<SYNC Start= 42  >", true, 42, ""},
        {"<SYNC Start=0>", true, 0, ""},
        {"<SYNC Start=1500.5>", true, 1500, ""},
        {"<SYNC Start=1501.5>", true, 1502, ""},
        {"<SYNC Start=2.5>", true, 2, ""},
        {"<SYNC Start=3.5>", true, 4, ""},
        {"<SYNC Start=1000.49>", true, 1000, ""},
        {"<SYNC Start=1000 End=2000>", false, 0, ""},
        {"<SYNC Start=\"1000\">", false, 0, ""},
        {"<SYNC Start='1000'>", false, 0, ""},
        {"<SYNC  Start=1000>", false, 0, ""},
        {"<SYNC Start =1000>", false, 0, ""},
        {"<SYNC Start=>", false, 0, ""},
        {"<SYNC Start=abc>", false, 0, ""},
        {"<SYNC Start=12ab>", false, 0, ""},
        {"<SYNC Start=1000", false, 0, ""},
        {"x<SYNC Start=1000>", false, 0, ""},
        {"<P Class=LyricsCC>", false, 0, ""},
        {"", false, 0, ""},
        {"<SYNC Start=99999999999>", false, 0, ""},
    };
    for (const SyncCase& c : cases) {
        int startMs = 77;
        QString rest = U("unchanged");
        const bool ok = ParseSyncLine(U(c.line), startMs, rest);
        EXPECT_EQ(ok, c.ok) << c.line;
        EXPECT_EQ(startMs, c.startMs) << c.line;
        if (c.ok)
            EXPECT_EQ(rest, U(c.rest)) << c.line;
    }
}

struct CaptionCase {
    const char* line;
    int result;
    const char* text;
    const char* rest;
};

TEST(SamiReader, CaptionLineParsing) {
    const CaptionCase cases[] = {
        {"<P Class=LyricsCC>hello world", 1, "hello world", ""},
        {"  \t<p>x", 1, "x", ""},
        {"<P Class=LyricsCC> lead", 1, " lead", ""},
        {"<P Class=LyricsCC>", 1, "", ""},
        {"<PRE>pre", 1, "pre", ""},
        {"<P>a > b", 1, "a > b", ""},
        {"<P>a < b", 1, "a < b", ""},
        {"<P><font color=yellow><b>nested", 1, "nested", ""},
        {"<P Class=LyricsCC><font color=yellow>ka</font>raoke", 2, "ka", "raoke"},
        {"<P Class=LyricsCC><font color=yellow>karaoke</font>", 2, "karaoke", ""},
        {"<P>a<b>c<d>e", 2, "a", "c"},
        {"<P>a</x><y>b", 2, "a", "b"},
        {"</P>", 0, "</P>", ""},
        {"<BR>two", 0, "<BR>two", ""},
        {"  plain", 0, "plain", ""},
        {"<>x", 0, "<>x", ""},
        {"<P x", 0, "<P x", ""},
        {"", 0, "", ""},
    };
    for (const CaptionCase& c : cases) {
        QString text = U("old");
        QString rest = U("old");
        EXPECT_EQ(ParseCaptionLine(U(c.line), text, rest), c.result) << c.line;
        EXPECT_EQ(text, U(c.text)) << c.line;
        EXPECT_EQ(rest, U(c.rest)) << c.line;
    }
}

TEST(SamiReader, EntitiesDecodeOncePerKindAmpLast) {
    EXPECT_EQ(DecodeSamiEntities(U("&nbsp;&lt;&gt;&amp;")), U(" <>&"));
    EXPECT_EQ(DecodeSamiEntities(U("&amp;lt;")), U("&lt;"));
    EXPECT_EQ(DecodeSamiEntities(U("&amp;nbsp;")), U("&nbsp;"));
    EXPECT_EQ(DecodeSamiEntities(U("&amp;amp;")), U("&amp;"));
    EXPECT_EQ(DecodeSamiEntities(U("&NBSP;&Lt;&quot;&#60;&")), U("&NBSP;&Lt;&quot;&#60;&"));
    EXPECT_EQ(DecodeSamiEntities(U("a&nbsp;&nbsp;b")), U("a  b"));
}

TEST(SamiReader, SmallHelpers) {
    EXPECT_EQ(TrimLeadingBlanks(u" \t \tx \t"), U("x \t"));
    EXPECT_EQ(TrimLeadingBlanks(U("　x")), U("　x"));
    QString inner = U("keep");
    bool found = true;
    EXPECT_EQ(SplitLeadingTag(U("x<a>"), inner, found), U("x<a>"));
    EXPECT_FALSE(found);
    EXPECT_EQ(inner, U("keep"));
    EXPECT_EQ(SplitLeadingTag(U("<a b>c>d"), inner, found), U("c>d"));
    EXPECT_TRUE(found);
    EXPECT_EQ(inner, U("a b"));
}

// Time and text of every line of a document.
QStringList Timed(const LyricsDocument& document) {
    QStringList out;
    for (const LyricsLine& line : document.Lines) {
        out << QString::number(line.HasTimeTag ? line.Fragments.value(0).TimeMs : -1) + u'|' +
                   line.PlainText;
    }
    return out;
}

TEST(SamiReader, ReadsWhatTheWriterWrites) {
    LyricsDocument source = ParseDoc("[00:00:00]\r\n[00:01:00]a <b> & c\r\n[00:02:50]two  blanks");
    const std::array<QString, 4> pieces = {U("<font color=yellow>"), U("</font>"), QString(),
                                           QString()};
    const QString sami = MakeSamiText(source, false, U("s"), pieces, 3);
    const LyricsDocument document = ReadSamiText(sami);
    EXPECT_EQ(Timed(document), (QStringList{U("0| "), U("1000|a <b> & c"), U("2500|two  blanks")}));

    ASSERT_EQ(document.LineCount(), 3);
    const LyricsLine& line = document.Lines[1];
    EXPECT_TRUE(line.HasTimeTag);
    EXPECT_FALSE(line.IsKaraoke);
    EXPECT_FALSE(line.IsDirective);
    ASSERT_EQ(line.FragmentCount(), 1);
    EXPECT_EQ(line.Fragments[0].TagText, U("[00:01:00]"));
    EXPECT_EQ(line.Fragments[0].Text, QString());
    EXPECT_EQ(line.Fragments[1].TagText, U("[00:01:00]"));
    EXPECT_EQ(line.Fragments[1].TimeMs, 1000);
    EXPECT_EQ(line.Fragments[1].Text, U("a <b> & c"));
    EXPECT_TRUE(document.HasTimeTags);
    EXPECT_FALSE(document.HasKaraoke);
    EXPECT_EQ(document.Header.TimeRatio, 1.0);
    EXPECT_TRUE(document.Header.HasTimeRatio);
    EXPECT_TRUE(document.Text.startsWith(
        U("[00:00:00] \r\n[00:01:00]a <b> & c\r\n[00:02:50]two  blanks\r\n")));
    EXPECT_TRUE(document.Text.contains(U("@TimeRatio=1\r\n")));

    // Karaoke rows read back as the sung part only.
    LyricsDocument karaoke = ParseDoc("[00:01:00]ka[00:01:50]ra");
    const LyricsDocument steps = ReadSamiText(MakeSamiText(karaoke, true, U("s"), pieces, 1));
    EXPECT_EQ(Timed(steps), (QStringList{U("1000|ka"), U("1500|kara")}));
}

TEST(SamiReader, ScanRules) {
    // Captions stay in file order although the times go backwards.
    EXPECT_EQ(Timed(ReadSamiText(CrLfLines(
                  {U("<SYNC Start=2000>"), U("<P>b"), U("<SYNC Start=1000>"), U("<P>a")}))),
              (QStringList{U("2000|b"), U("1000|a")}));

    // A SYNC line followed by a second SYNC line: the second is taken as the caption line of the
    // first, fails as a caption and is not examined as a SYNC line.
    const LyricsDocument twoSync =
        ReadSamiText(CrLfLines({U("<SYNC Start=1000>"), U("<SYNC Start=2000>"), U("<P>x"),
                                U("<SYNC Start=3000>"), U("<P>y")}));
    EXPECT_EQ(Timed(twoSync), QStringList{U("3000|y")});

    // A blank line after the SYNC line, a caption on the SYNC line itself, a non-numeric SYNC,
    // and a SYNC line at the very end give nothing.
    const LyricsDocument skipped =
        ReadSamiText(CrLfLines({U("<SYNC Start=1000>"), QString(), U("<P>lost"),
                                U("<SYNC Start=1500><P>same line"), U("<P>next line"),
                                U("<SYNC Start=x>"), U("<P>bad"), U("<SYNC Start=2000>"),
                                U("<P>kept"), U("<BR>extra"), U("</BODY>")}) +
                     U("<SYNC Start=9000>"));
    EXPECT_EQ(Timed(skipped), (QStringList{U("1500|next line"), U("2000|kept")}));

    // No caption at all: an empty document without flags or ratio.
    for (const QString& text :
         {QString(), U("<SAMI><BODY></BODY></SAMI>"), U("<SYNC Start=1000>\r\n</P>\r\n")}) {
        const LyricsDocument empty = ReadSamiText(text);
        EXPECT_EQ(empty.LineCount(), 0);
        EXPECT_FALSE(empty.HasTimeTags);
        EXPECT_FALSE(empty.Header.HasTimeRatio);
        EXPECT_EQ(empty.Text, QString());
    }
}

TEST(SamiReader, EveryLineEndFormReadsAlike) {
    const QStringList lines = {U("<SAMI><BODY>"),
                               U("<SYNC Start=1000>"),
                               U("<P Class=LyricsCC>one"),
                               U("<SYNC Start=2000>"),
                               U("<P Class=LyricsCC>two&nbsp;x"),
                               U("</BODY></SAMI>")};
    const QStringList expected = {U("1000|one"), U("2000|two x")};
    EXPECT_EQ(Timed(ReadSamiText(lines.join(U("\r\n")))), expected);
    EXPECT_EQ(Timed(ReadSamiText(lines.join(u'\n'))), expected);
    EXPECT_EQ(Timed(ReadSamiText(lines.join(u'\r'))), expected);
    // Mixed in one file.
    const QString mixed = lines[0] + u'\n' + lines[1] + u'\r' + lines[2] + U("\r\n") + lines[3] +
                          u'\n' + lines[4] + u'\r' + lines[5];
    EXPECT_EQ(Timed(ReadSamiText(mixed)), expected);
    // A lone CR between a SYNC line and a blank line still leaves a blank line.
    EXPECT_EQ(Timed(ReadSamiText(U("<SYNC Start=1>\r\r<P>x"))), QStringList());
}

} // namespace
} // namespace tavelkor
