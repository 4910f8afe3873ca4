// DSMP lyrics text: the time prefix, the writer's sections and columns, and the reader's
// classification of timed lines, key lines and untimed lines.
#include "FormatsTestHelpers.h"
#include "formats/DsmpReader.h"
#include "formats/DsmpWriter.h"

#include <gtest/gtest.h>

namespace tavelkor {
namespace {

using test::CrLfLines;
using test::ParseDoc;
using test::U;

const QString Head = CrLfLines({U("[Spec]"), U("Alignment=Left"), QString(), U("[Text]")});

TEST(DsmpWriter, TimePrefix) {
    EXPECT_EQ(FormatDsmpTime(0), U("00:00:000="));
    EXPECT_EQ(FormatDsmpTime(7), U("00:00:007="));
    EXPECT_EQ(FormatDsmpTime(83456), U("01:23:456="));
    EXPECT_EQ(FormatDsmpTime(59999), U("00:59:999="));
    EXPECT_EQ(FormatDsmpTime(5999990), U("99:59:990="));
    EXPECT_EQ(FormatDsmpTime(6000000), U("100:00:000="));
    EXPECT_EQ(FormatDsmpTime(6027253), U("100:27:253="));
    EXPECT_EQ(FormatDsmpTime(2147483647), U("35791:23:647="));
}

TEST(DsmpWriter, MinimalHeadAndPlainLines) {
    LyricsDocument document = ParseDoc("[00:00:00]hello\r\n"
                                       "\r\n"
                                       "untimed \"q\", x=1\r\n"
                                       "@Unknown=1\r\n"
                                       "[00:01:50]say \"hi\", a=b\r\n"
                                       "[00:02:00]");
    EXPECT_EQ(MakeDsmpText(document, false, 0, 1),
              Head + CrLfLines({U("00:00:000=hello"), QString(), U("untimed \"q\", x=1"),
                                U("00:01:500=say \"hi\", a=b"), U("00:02:000=")}));
    LyricsDocument empty;
    EXPECT_EQ(MakeDsmpText(empty, true, 0, 1), QString());
}

TEST(DsmpWriter, HeaderLinesAndTheirFallbacks) {
    LyricsDocument full = ParseDoc("@Artist=Singer\r\n@Title=Song\r\n@TaggingBy=Tagger\r\n"
                                   "artist: Credit Singer\r\ntitle: Credit Song\r\n[00:01:00]x");
    full.Header.Offset = -250;
    full.Header.HasOffset = true;
    EXPECT_EQ(MakeDsmpText(full, false, 1, 1),
              CrLfLines({U("[Spec]"), U("Artist=Singer"), U("Title=Song"), U("Presenter=Tagger"),
                         U("Adjust=-250"), U("Alignment=Center"), QString(), U("[Text]"),
                         U("artist: Credit Singer"), U("title: Credit Song"), U("00:01:000=x")}));

    // Credit lines stand in for missing header values.
    LyricsDocument credits =
        ParseDoc("Artist: Credit Singer\r\nTITLE:  Credit Song \r\n[00:01:00]x");
    EXPECT_EQ(MakeDsmpText(credits, false, 2, 1),
              CrLfLines({U("[Spec]"), U("Artist=Credit Singer"), U("Title=Credit Song"),
                         U("Alignment=Right"), QString(), U("[Text]"), U("Artist: Credit Singer"),
                         U("TITLE:  Credit Song "), U("00:01:000=x")}));

    // Header values are written as stored; an offset of 0 that is set is still written; a
    // cleared offset is not.
    LyricsDocument raw = ParseDoc("[00:01:00]x");
    raw.Header.Title = U(" padded ");
    raw.Header.Offset = 0;
    raw.Header.HasOffset = true;
    EXPECT_EQ(MakeDsmpText(raw, false, 7, 1),
              CrLfLines({U("[Spec]"), U("Title= padded "), U("Adjust=0"), U("Alignment=Right"),
                         QString(), U("[Text]"), U("00:01:000=x")}));
    LyricsDocument noOffset = ParseDoc("[00:01:00]x");
    noOffset.Header.Offset = 300;
    EXPECT_EQ(MakeDsmpText(noOffset, false, 0, 1), Head + CrLfLines({U("00:01:000=x")}));
    LyricsDocument negative = ParseDoc("[00:01:00]x");
    EXPECT_TRUE(MakeDsmpText(negative, false, -1, 1).contains(U("\r\nAlignment=Right\r\n")));
}

const char* const ColumnDoc = "[00:01:00]one\r\n@Title=T\r\n[00:02:00]two\r\n[00:03:00]three";

TEST(DsmpWriter, Columns) {
    const QString head =
        CrLfLines({U("[Spec]"), U("Title=T"), U("Alignment=Left"), QString(), U("[Text]")});
    LyricsDocument one = ParseDoc(ColumnDoc);
    EXPECT_EQ(MakeDsmpText(one, false, 0, 1),
              head + CrLfLines({U("00:01:000=one"), U("00:02:000=two"), U("00:03:000=three")}));
    const QString twoColumns =
        head + CrLfLines({U("00:01:000=\"one\",\"two\""), U("00:02:000=\"two\",\"three\""),
                          U("00:03:000=\"three\",\"\"")});
    LyricsDocument two = ParseDoc(ColumnDoc);
    EXPECT_EQ(MakeDsmpText(two, false, 0, 2), twoColumns);
    LyricsDocument zero = ParseDoc(ColumnDoc);
    EXPECT_EQ(MakeDsmpText(zero, false, 0, 0), twoColumns);
    LyricsDocument three = ParseDoc(ColumnDoc);
    EXPECT_EQ(MakeDsmpText(three, false, 0, 3),
              head + CrLfLines({U("00:01:000=\"one\",\"two\",\"three\""),
                                U("00:02:000=\"two\",\"three\",\"\""),
                                U("00:03:000=\"three\",\"\",\"\"")}));
}

TEST(DsmpWriter, KaraokeExpansion) {
    const char* const text = "[00:01:00]ka[00:01:50]ra[00:02:00]oke\r\n(untimed)\r\n[00:03:00]next";
    LyricsDocument document = ParseDoc(text);
    EXPECT_EQ(MakeDsmpText(document, true, 0, 3),
              Head + CrLfLines({U("00:01:000=\"ka\",\"(untimed)\",\"next\""),
                                U("00:01:500=\"kara\",\"(untimed)\",\"next\""),
                                U("00:02:000=\"karaoke\",\"(untimed)\",\"next\""), U("(untimed)"),
                                U("00:03:000=\"next\",\"\",\"\"")}));
    LyricsDocument plain = ParseDoc(text);
    EXPECT_EQ(MakeDsmpText(plain, false, 0, 1),
              Head + CrLfLines({U("00:01:000=karaoke"), U("(untimed)"), U("00:03:000=next")}));
    LyricsDocument stepsOne = ParseDoc("x[00:01:00]a[00:02:00]");
    EXPECT_EQ(MakeDsmpText(stepsOne, true, 0, 1),
              Head + CrLfLines({U("00:01:000=xa"), U("00:02:000=xa")}));
}

// Time and text of every line of a document ("-" for an untimed line).
QStringList Lines(const LyricsDocument& document) {
    QStringList out;
    for (const LyricsLine& line : document.Lines) {
        out << (line.HasTimeTag ? QString::number(line.Fragments.value(1).TimeMs) : U("-")) + u'|' +
                   line.PlainText;
    }
    return out;
}

TEST(DsmpReader, TimedAndUntimedLines) {
    const LyricsDocument document = ReadDsmpText(CrLfLines({
        U("00:01:500=hello"),
        U("00:75:000=late seconds"),
        U("12:34:567=  padded  "),
        U("100:00:000=three digits"),
        U("0:01:000=one digit"),
        U("00:01:00=short"),
        U("ab:cd:efg=letters"),
        U(""),
        U("  plain words  "),
        U("00:02:000="),
    }));
    EXPECT_EQ(Lines(document),
              (QStringList{U("1500|hello"), U("75000|late seconds"), U("754567|padded"),
                           U("-|100:00:000=three digits"), U("-|0:01:000=one digit"),
                           U("-|00:01:00=short"), U("-|ab:cd:efg=letters"), U("-|"),
                           U("-|plain words"), U("2000|"), U("-|")}));
    ASSERT_GE(document.LineCount(), 1);
    const LyricsLine& first = document.Lines[0];
    ASSERT_EQ(first.FragmentCount(), 1);
    EXPECT_FALSE(first.IsKaraoke);
    EXPECT_EQ(first.Fragments[0].TagText, U("[00:01:50]"));
    EXPECT_EQ(first.Fragments[0].TimeMs, 1500);
    EXPECT_EQ(first.Fragments[0].Text, QString());
    EXPECT_EQ(first.Fragments[1].TagText, U("[00:01:50]"));
    EXPECT_EQ(first.Fragments[1].Text, U("hello"));
    const LyricsLine& untimed = document.Lines[3];
    EXPECT_FALSE(untimed.HasTimeTag);
    EXPECT_EQ(untimed.FragmentCount(), 0);
    EXPECT_TRUE(document.HasTimeTags);
    EXPECT_FALSE(document.HasKaraoke);
    EXPECT_EQ(document.Header.TimeRatio, 1.0);
    EXPECT_TRUE(document.Header.HasTimeRatio);
    EXPECT_TRUE(document.Text.startsWith(U("[00:01:50]hello\r\n[01:15:00]late seconds\r\n")));
}

TEST(DsmpReader, KeyLines) {
    const LyricsDocument document = ReadDsmpText(CrLfLines({
        U("[Spec]"),
        U("Title=\"Quoted Song\""),
        U("Title="),
        U("  ARTIST  =  Name  "),
        U("Presenter=Tagger"),
        U("Adjust=0"),
        U("Comment=c"),
        U("Version=1"),
        U("Size="),
        U("Font=f"),
        U("Color=1"),
        U("Alignment=Center"),
        U("WordWrap=1"),
        U("Lyrics=l"),
        U("Music=m"),
        U("Unknown=1"),
        U("=no key"),
        U("Music"),
        U("Title"),
        U("Adjust=abc"),
        U("[TEXT]"),
        U(" [Spec] "),
        U("00:01:000=Title=Timed Title"),
        U("00:02:000=[text]"),
        U("00:03:000=lyric"),
    }));
    EXPECT_EQ(document.Header.Title, U("Timed Title"));
    EXPECT_EQ(document.Header.Artist, U("Name"));
    EXPECT_EQ(document.Header.TaggingBy, U("Tagger"));
    EXPECT_FALSE(document.Header.HasOffset);
    EXPECT_EQ(Lines(document),
              (QStringList{U("-|Unknown=1"), U("-|=no key"), U("-|Music"), U("-|Title"),
                           U("-|Adjust=abc"), U("3000|lyric"), U("-|")}));

    const LyricsDocument titles =
        ReadDsmpText(U("Title=First\r\nTitle=\r\nTitle=\"\"\r\nTitle=  "));
    EXPECT_EQ(titles.Header.Title, U("First"));
    EXPECT_EQ(Lines(titles), QStringList());
}

TEST(DsmpReader, AdjustValues) {
    const LyricsDocument negative = ReadDsmpText(U("Adjust=-250\r\n00:01:000=x"));
    EXPECT_TRUE(negative.Header.HasOffset);
    EXPECT_EQ(negative.Header.Offset, -250);
    EXPECT_TRUE(negative.Text.contains(U("@Offset=-250\r\n")));

    const LyricsDocument quoted = ReadDsmpText(U("Adjust=\" 12.5 \""));
    EXPECT_TRUE(quoted.Header.HasOffset);
    EXPECT_EQ(quoted.Header.Offset, 12);

    const LyricsDocument zero = ReadDsmpText(U("Adjust=0\r\n00:01:000=x"));
    EXPECT_FALSE(zero.Header.HasOffset);
    EXPECT_EQ(zero.Header.Offset, 0);
    EXPECT_EQ(Lines(zero), QStringList{U("1000|x")});
    EXPECT_FALSE(zero.Text.contains(U("@Offset")));
}

TEST(DsmpReader, QuotedColumns) {
    const LyricsDocument document = ReadDsmpText(CrLfLines({
        U("00:01:000=\"a\",\"b\",\"c\""),
        U("00:02:000=\"only\""),
        U("00:03:000=  \"x y\",\"\"  "),
        U("\"untimed\",\"next\""),
        U("00:04:000=\"open,\"b"),
        U("00:05:000=say \"hi\", you"),
        U("00:06:000=\""),
    }));
    EXPECT_EQ(Lines(document), (QStringList{U("1000|a"), U("2000|only"), U("3000|x y"),
                                            U("-|untimed"), U("4000|\"open,\"b"),
                                            U("5000|say \"hi\", you"), U("6000|\""), U("-|")}));

    EXPECT_EQ(StripQuotes(U("\"a\"")), U("a"));
    EXPECT_EQ(StripQuotes(U("\"\"")), QString());
    EXPECT_EQ(StripQuotes(U("\"")), U("\""));
    EXPECT_EQ(StripQuotes(U("\"a")), U("\"a"));
    EXPECT_EQ(StripQuotes(U("\"\"a\"\"")), U("\"a\""));
    EXPECT_EQ(FirstColumn(QString()), QString());
    EXPECT_EQ(FirstColumn(U("a\",\"b")), U("a\",\"b"));
    EXPECT_EQ(FirstColumn(U("\"a\",\"b\",\"c\"")), U("a"));
    EXPECT_EQ(FirstColumn(U("\"\",\"b\"")), QString());
}

TEST(DsmpReader, EmptyTextAndUntimedOnly) {
    const LyricsDocument empty = ReadDsmpText(QString());
    EXPECT_EQ(empty.LineCount(), 0);
    EXPECT_FALSE(empty.HasTimeTags);
    EXPECT_FALSE(empty.Header.HasTimeRatio);

    const LyricsDocument untimed = ReadDsmpText(U("[Spec]\r\nTitle=T\r\n[Text]\r\nwords"));
    EXPECT_EQ(Lines(untimed), QStringList{U("-|words")});
    EXPECT_FALSE(untimed.HasTimeTags);
    EXPECT_TRUE(untimed.Header.HasTimeRatio);
    EXPECT_EQ(untimed.Header.TimeRatio, 1.0);
    EXPECT_EQ(untimed.Text, U("words\r\n\r\n@Title=T\r\n@TimeRatio=1\r\n"));
}

TEST(DsmpReader, EveryLineEndFormReadsAlike) {
    const QStringList lines = {U("[Spec]"),        U("Title=T"), U("[Text]"),
                               U("00:01:000=one"), QString(),    U("00:02:000=two")};
    const QStringList expected = {U("1000|one"), U("-|"), U("2000|two")};
    EXPECT_EQ(Lines(ReadDsmpText(lines.join(U("\r\n")))), expected);
    EXPECT_EQ(Lines(ReadDsmpText(lines.join(u'\n'))), expected);
    EXPECT_EQ(Lines(ReadDsmpText(lines.join(u'\r'))), expected);
    // A lone LF followed by a lone CR is two line ends (not one CR LF).
    const QString mixed = lines[0] + u'\r' + lines[1] + u'\n' + lines[2] + U("\r\n") + lines[3] +
                          u'\n' + lines[4] + u'\r' + lines[5];
    EXPECT_EQ(Lines(ReadDsmpText(mixed)), expected);
}

TEST(DsmpReader, ReadsWhatTheWriterWrites) {
    LyricsDocument source =
        ParseDoc("@Artist=Singer\r\n@Title=Song\r\n@TaggingBy=Tagger\r\n"
                 "[00:00:00]first\r\nbetween\r\n[00:01:50]second, \"quoted\"\r\n[00:02:00]");
    source.Header.Offset = 120;
    source.Header.HasOffset = true;
    const LyricsDocument back = ReadDsmpText(MakeDsmpText(source, false, 1, 1));
    EXPECT_EQ(back.Header.Artist, U("Singer"));
    EXPECT_EQ(back.Header.Title, U("Song"));
    EXPECT_EQ(back.Header.TaggingBy, U("Tagger"));
    EXPECT_TRUE(back.Header.HasOffset);
    EXPECT_EQ(back.Header.Offset, 120);
    // The empty line before "[Text]" is an untimed empty lyric line; so is the end of the text.
    EXPECT_EQ(Lines(back), (QStringList{U("-|"), U("0|first"), U("-|between"),
                                        U("1500|second, \"quoted\""), U("2000|"), U("-|")}));

    LyricsDocument columns = ParseDoc("[00:01:00]one\r\n[00:02:00]two\r\n[00:03:00]three");
    const LyricsDocument threeBack = ReadDsmpText(MakeDsmpText(columns, false, 0, 3));
    EXPECT_EQ(Lines(threeBack),
              (QStringList{U("-|"), U("1000|one"), U("2000|two"), U("3000|three"), U("-|")}));
}

} // namespace
} // namespace tavelkor
