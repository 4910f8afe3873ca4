// Reading TimeTag text into lines, fragments and header values.
#include "lyrics/TimeTagReader.h"
#include "TestFiles.h"
#include "base/Cp932.h"
#include "lyrics/TimeTagFile.h"
#include "lyrics/TimeValues.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace tavelkor;
using tavelkor::test::TestFolder;
using tavelkor::test::U;
using tavelkor::test::WriteBytes;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

LyricsDocument Parse(const char* utf8, bool normalizeOrder = false, bool expandShortTags = false) {
    LyricsDocument document;
    document.Text = S(utf8);
    ParseLyricsText(document, normalizeOrder, expandShortTags);
    return document;
}

QStringList RawLines(const LyricsDocument& document) {
    QStringList lines;
    for (const LyricsLine& line : document.Lines)
        lines << line.RawText;
    return lines;
}

void ExpectFragment(const KaraokeFragment& fragment, const char* tag, int ms, const char* text) {
    EXPECT_EQ(fragment.TagText, S(tag));
    EXPECT_EQ(fragment.TimeMs, ms);
    EXPECT_EQ(fragment.Text, S(text));
}

TEST(ReaderFragmentsTest, OneTagIsATimedLineNotKaraoke) {
    const LyricsDocument document = Parse("[00:01:00]abc");
    ASSERT_EQ(document.LineCount(), 1);
    const LyricsLine& line = document.Lines[0];
    EXPECT_TRUE(line.HasTimeTag);
    EXPECT_FALSE(line.IsKaraoke);
    EXPECT_FALSE(line.IsDirective);
    ASSERT_EQ(line.FragmentCount(), 1);
    ASSERT_EQ(line.Fragments.size(), 2);
    ExpectFragment(line.Fragments[0], "[00:01:00]", 1000, "");
    ExpectFragment(line.Fragments[1], "[00:01:00]", 1000, "abc");
    EXPECT_EQ(line.PlainText, S("abc"));
    EXPECT_EQ(line.RawText, S("[00:01:00]abc"));
    EXPECT_TRUE(document.HasTimeTags);
    EXPECT_FALSE(document.HasKaraoke);
}

TEST(ReaderFragmentsTest, SeveralTagsMakeAKaraokeLine) {
    const LyricsDocument document = Parse("x[00:01:00]ka[00:01:50]ra[00:02:00]");
    const LyricsLine& line = document.Lines[0];
    EXPECT_TRUE(line.IsKaraoke);
    EXPECT_TRUE(document.HasKaraoke);
    ASSERT_EQ(line.FragmentCount(), 3);
    ASSERT_EQ(line.Fragments.size(), 4);
    ExpectFragment(line.Fragments[0], "[00:01:00]", 1000, "x");
    ExpectFragment(line.Fragments[1], "[00:01:00]", 1000, "ka");
    ExpectFragment(line.Fragments[2], "[00:01:50]", 1500, "ra");
    ExpectFragment(line.Fragments[3], "[00:02:00]", 2000, "");
    EXPECT_EQ(line.PlainText, S("xkara"));
}

TEST(ReaderFragmentsTest, ManyTagsInOneLine) {
    QString text;
    for (int i = 0; i < 25; ++i)
        text += MsToTag(i * 1000) + QChar(u'a' + i);
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, false);
    const LyricsLine& line = document.Lines[0];
    ASSERT_EQ(line.Fragments.size(), 26);
    ExpectFragment(line.Fragments[25], "[00:24:00]", 24000, "y");
    EXPECT_EQ(line.PlainText, S("abcdefghijklmnopqrstuvwxy"));
}

TEST(ReaderFragmentsTest, BracketsThatAreNotTagsStayText) {
    const LyricsDocument document = Parse("[Chorus] words after the bracket\r\n"
                                          "[00:01:00]hello [note] and more\r\n"
                                          "[[00:02:00]x[0a:00:00]\r\n"
                                          "ab[00:01:0\r\n"
                                          "[00:03:00]end[");
    ASSERT_EQ(document.LineCount(), 5);
    EXPECT_FALSE(document.Lines[0].HasTimeTag);
    EXPECT_EQ(document.Lines[0].PlainText, S("[Chorus] words after the bracket"));
    EXPECT_EQ(document.Lines[0].FragmentCount(), 0);
    ASSERT_EQ(document.Lines[0].Fragments.size(), 1);
    ExpectFragment(document.Lines[0].Fragments[0], "", 0, "");

    ExpectFragment(document.Lines[1].Fragments[1], "[00:01:00]", 1000, "hello [note] and more");
    ExpectFragment(document.Lines[2].Fragments[0], "[00:02:00]", 2000, "[");
    ExpectFragment(document.Lines[2].Fragments[1], "[00:02:00]", 2000, "x[0a:00:00]");
    EXPECT_EQ(document.Lines[2].PlainText, S("[x[0a:00:00]"));
    EXPECT_FALSE(document.Lines[3].HasTimeTag);
    EXPECT_EQ(document.Lines[3].PlainText, S("ab[00:01:0"));
    EXPECT_EQ(document.Lines[4].PlainText, S("end["));
    EXPECT_FALSE(document.HasKaraoke);
}

TEST(ReaderLinesTest, EmptyTextAndTrailingLineBreak) {
    LyricsDocument document;
    document.HasTimeTags = true;
    document.HasKaraoke = true;
    document.Lines.resize(3);
    ParseLyricsText(document, true, true);
    EXPECT_EQ(document.LineCount(), 0);
    EXPECT_FALSE(document.HasTimeTags);
    EXPECT_FALSE(document.HasKaraoke);

    const LyricsDocument ending = Parse("a\r\n\r\nb\r\n");
    EXPECT_EQ(RawLines(ending), (QStringList{S("a"), S(""), S("b"), S("")}));
    EXPECT_EQ(ending.Lines[1].FragmentCount(), 0);
    EXPECT_EQ(ending.Lines[1].Fragments.size(), 1);
    EXPECT_FALSE(ending.HasTimeTags);
}

TEST(ReaderLinesTest, ShortTagsExpandOnlyWhenAsked) {
    const LyricsDocument expanded = Parse("[01:02]text[01:03:50]b[01:04]", false, true);
    EXPECT_EQ(expanded.Text, S("[01:02:00]text[01:03:50]b[01:04:00]"));
    const LyricsLine& line = expanded.Lines[0];
    ASSERT_EQ(line.FragmentCount(), 3);
    ExpectFragment(line.Fragments[1], "[01:02:00]", 62000, "text");
    ExpectFragment(line.Fragments[3], "[01:04:00]", 64000, "");

    const LyricsDocument kept = Parse("[01:02]text", false, false);
    EXPECT_FALSE(kept.Lines[0].HasTimeTag);
    EXPECT_EQ(kept.Lines[0].PlainText, S("[01:02]text"));
    EXPECT_FALSE(kept.HasTimeTags);
}

TEST(ReaderLinesTest, ExpandShortTagsTouchesOnlyShortTags) {
    EXPECT_EQ(ExpandShortTags(S("[01:23:45] x")), S("[01:23:45] x"));
    EXPECT_EQ(ExpandShortTags(S("[[01:23][02:34]b")), S("[[01:23:00][02:34:00]b"));
    EXPECT_EQ(ExpandShortTags(S("[01:2x] [1:23] [01:23")), S("[01:2x] [1:23] [01:23"));
    EXPECT_EQ(ExpandShortTags(S("[01:23:45][06:07]")), S("[01:23:45][06:07:00]"));
}

TEST(ReaderDirectivesTest, KeysIgnoreCaseAndSpacesAndValuesKeepEquals) {
    const LyricsDocument document = Parse("@Title=A=B\r\n"
                                          "@ARTIST = Someone  \r\n"
                                          "@album=Al\r\n"
                                          "@BgFolder=bg\\dir\r\n"
                                          "@bgfile=pic.jpg\r\n"
                                          "@TaggingBy=t\r\n"
                                          "@EditedBy=e\r\n"
                                          "@Unknown=1\r\n"
                                          "@NoEquals\r\n"
                                          " @Title=not a directive\r\n"
                                          "@Title=[00:01:00]x");
    const LyricsHeader& h = document.Header;
    // A later directive overwrites an earlier one.
    EXPECT_EQ(
        (QStringList{h.Title, h.Artist, h.Album, h.BgFolder, h.BgFile, h.TaggingBy, h.EditedBy}),
        (QStringList{S("[00:01:00]x"), S("Someone"), S("Al"), S("bg\\dir"), S("pic.jpg"), S("t"),
                     S("e")}));
    for (int i = 0; i < document.LineCount(); ++i) {
        const LyricsLine& line = document.Lines[i];
        EXPECT_EQ(line.IsDirective, i != 8 && i != 9) << i;
        EXPECT_FALSE(line.HasTimeTag) << i;
        EXPECT_EQ(line.PlainText, line.RawText) << i;
        if (line.IsDirective)
            EXPECT_TRUE(line.Fragments.isEmpty()) << i;
    }
    EXPECT_FALSE(document.HasTimeTags);

    LyricsHeader single;
    ReadDirective(u"@TITLE = x ", single);
    EXPECT_EQ(single.Title, S("x"));
    ReadDirective(u"@Title=\tx\t", single);
    EXPECT_EQ(single.Title, S("\tx\t")); // only U+0020 is trimmed
}

TEST(ReaderDirectivesTest, NumbersAreReadOnlyWhenNumericAndIn32Bits) {
    const LyricsDocument document = Parse("@TimeRatio= 0.9953125 \r\n"
                                          "@Offset=-1500\r\n"
                                          "@SilencemSec=2.5\r\n"
                                          "@Flames=1234\r\n"
                                          "@TotalSec=1e2\r\n"
                                          "@TimeType=WinAmp");
    const LyricsHeader& header = document.Header;
    EXPECT_TRUE(header.HasTimeRatio);
    EXPECT_DOUBLE_EQ(header.TimeRatio, 0.9953125);
    EXPECT_TRUE(header.HasOffset);
    EXPECT_EQ(header.Offset, -1500);
    EXPECT_TRUE(header.HasSilencemSec);
    EXPECT_EQ(header.SilencemSec, 2); // halves to even
    EXPECT_TRUE(header.HasFrames);
    EXPECT_EQ(header.Frames, 1234);
    EXPECT_TRUE(header.HasTotalSec);
    EXPECT_EQ(header.TotalSec, 100);
    EXPECT_EQ(header.TimeType, S("winamp"));

    const LyricsDocument bad = Parse("@timeratio=abc\r\n"
                                     "@offset=99999999999\r\n"
                                     "@silencemsec=1,5\r\n"
                                     "@frames=\r\n"
                                     "@totalsec=-2147483649\r\n"
                                     "@timetype=other");
    const LyricsHeader& b = bad.Header;
    EXPECT_FALSE(b.HasTimeRatio || b.HasOffset || b.HasSilencemSec || b.HasFrames || b.HasTotalSec);
    EXPECT_EQ(b.TimeRatio, 0);
    EXPECT_EQ(b.Offset, 0);
    EXPECT_EQ(b.TimeType, QString());
    for (const LyricsLine& line : bad.Lines)
        EXPECT_TRUE(line.IsDirective);

    // A bad value leaves an earlier good one in place; so does an unknown time type.
    const LyricsDocument mixed =
        Parse("@Offset=300\r\n@Offset=x\r\n@Frames=10\r\n@Frames=5000000000\r\n"
              "@TimeType=normal\r\n@TimeType=fast");
    EXPECT_EQ(mixed.Header.Offset, 300);
    EXPECT_EQ(mixed.Header.Frames, 10);
    EXPECT_EQ(mixed.Header.TimeType, S("normal"));
}

TEST(ReaderCreditsTest, CreditLinesAreRememberedAndStayLyrics) {
    const LyricsDocument document = Parse("Title: My Song \r\n"
                                          "ARTIST:Singer\r\n"
                                          "lyrics:  Writer\r\n"
                                          "[00:01:00]music: Composer\r\n"
                                          "title:\tSecond\r\n"
                                          "subtitle: no");
    const LyricsHeader& header = document.Header;
    EXPECT_EQ(header.CreditTitle, S("\tSecond"));
    EXPECT_EQ(header.CreditArtist, S("Singer"));
    EXPECT_EQ(header.CreditLyricist, S("Writer"));
    EXPECT_EQ(header.CreditComposer, S("Composer"));
    EXPECT_TRUE(header.Title.isEmpty());
    EXPECT_TRUE(header.Artist.isEmpty());
    for (const LyricsLine& line : document.Lines)
        EXPECT_FALSE(line.IsDirective);
    EXPECT_EQ(document.Lines[0].PlainText, S("Title: My Song "));
    EXPECT_TRUE(document.Lines[3].HasTimeTag);

    LyricsHeader first;
    ReadCreditLine(u"Title: My Song ", first);
    EXPECT_EQ(first.CreditTitle, S("My Song"));
}

TEST(ReaderFileTest, MixedLineEndsAndCp932Content) {
    TestFolder folder;
    const QString path = folder.File("Song.Name.LRC");
    // A lead byte cut off by the line break must not swallow the break.
    ASSERT_TRUE(WriteBytes(path, EncodeCp932(U("[00:01:00]あ\rb\nc\r\n\n\r\rd\r\r\ne")) +
                                     QByteArray("\r\nz\x81\r\ny")));
    LyricsFile file;
    file.Document.Header.Title = S("stale");
    ReadLyricsFile(path, file, false, false);
    EXPECT_TRUE(file.Exists);
    EXPECT_EQ(file.Path, path);
    EXPECT_EQ(file.BaseName, S("Song.Name"));
    EXPECT_EQ(file.Extension, S("lrc"));
    EXPECT_EQ(file.Folder, folder.Path() + u'/');
    EXPECT_TRUE(file.Document.Header.Title.isEmpty());
    EXPECT_EQ(file.Document.Text,
              U("[00:01:00]あ\r\nb\r\nc\r\n\r\n\r\n\r\nd\r\n\r\ne\r\nz\xEF\xBF\xBD\r\ny"));
    EXPECT_EQ(RawLines(file.Document),
              (QStringList{U("[00:01:00]あ"), S("b"), S("c"), S(""), S(""), S(""), S("d"), S(""),
                           S("e"), U("z\xEF\xBF\xBD"), S("y")}));
    EXPECT_EQ(file.Document.Lines[0].PlainText, U("あ"));
}

TEST(ReaderFileTest, MissingAndEmptyFiles) {
    TestFolder folder;
    LyricsFile file;
    file.Exists = true;
    file.Document.Text = S("old");
    file.Document.Lines.resize(2);
    const QString missing = folder.File("none.txt");
    ReadLyricsFile(missing, file, true, true);
    EXPECT_FALSE(file.Exists);
    EXPECT_EQ(file.Path, missing);
    EXPECT_EQ(file.BaseName, S("none"));
    EXPECT_EQ(file.Extension, S("txt"));
    EXPECT_TRUE(file.Document.Text.isEmpty());
    EXPECT_EQ(file.Document.LineCount(), 0);

    const QString empty = folder.File("empty");
    ASSERT_TRUE(WriteBytes(empty, QByteArray()));
    ReadLyricsFile(empty, file, true, true);
    EXPECT_TRUE(file.Exists);
    EXPECT_EQ(file.Extension, QString());
    EXPECT_EQ(file.Document.LineCount(), 0);
    EXPECT_FALSE(file.Document.HasTimeTags);
}

TEST(LineOrderTest, TagsTogetherBecomeOneLinePerTimeInTimeOrder) {
    const LyricsDocument document = Parse("@Title=T\r\n"
                                          "intro\r\n"
                                          "[00:30:00][01:10:00]chorus\r\n"
                                          "note after chorus\r\n"
                                          "[00:10:00]first\r\n"
                                          "[00:50:00]middle\r\n"
                                          "[00:40:00]B\r\n"
                                          "[00:40:00]a",
                                          true, false);
    EXPECT_EQ(RawLines(document),
              (QStringList{S("intro"), S("[00:10:00]first"), S("[00:30:00]chorus"),
                           S("[00:40:00]a"), S("[00:40:00]B"), S("[00:50:00]middle"),
                           S("[01:10:00]chorus"), S("note after chorus"), S("")}));
    EXPECT_EQ(document.Header.Title, S("T"));
    for (const LyricsLine& line : document.Lines) {
        EXPECT_FALSE(line.IsKaraoke);
        EXPECT_FALSE(line.IsDirective);
    }
    ASSERT_EQ(document.Lines[6].FragmentCount(), 1);
    EXPECT_EQ(document.Lines[6].Fragments[1].TimeMs, 70000);
}

TEST(LineOrderTest, FirstTagGivesOneLineLaterEqualTagsTheirOwn) {
    // The first tag stands for both fragment 0 and fragment 1: one line. A later tag with the
    // same time is a tag of its own and gives another line.
    const LyricsDocument document = Parse("[00:05:00][00:05:00][00:02:00]x", true, false);
    EXPECT_EQ(RawLines(document),
              (QStringList{S("[00:02:00]x"), S("[00:05:00]x"), S("[00:05:00]x"), S("")}));
    const LyricsDocument pair = Parse("[00:05:00][00:02:00]x", true, false);
    EXPECT_EQ(RawLines(pair), (QStringList{S("[00:02:00]x"), S("[00:05:00]x"), S("")}));
}

TEST(LineOrderTest, NotAppliedWhenItMustNotBe) {
    const char* outOfOrder = "[00:20:00]b\r\n[00:30:00][00:40:00]c\r\n[00:10:00]a";
    // Switched off.
    EXPECT_EQ(RawLines(Parse(outOfOrder, false, false)),
              (QStringList{S("[00:20:00]b"), S("[00:30:00][00:40:00]c"), S("[00:10:00]a")}));
    // No karaoke line at all.
    EXPECT_EQ(RawLines(Parse("[00:20:00]b\r\n[00:10:00]a", true, false)),
              (QStringList{S("[00:20:00]b"), S("[00:10:00]a")}));
    // One true karaoke line (text between its tags) keeps every line where it is.
    const LyricsDocument sung =
        Parse("[00:20:00]b\r\n[00:30:00][00:40:00]c\r\n[00:50:00]ka[00:51:00]ra\r\n[00:10:00]a",
              true, false);
    EXPECT_EQ(sung.LineCount(), 4);
    EXPECT_EQ(sung.Lines[0].RawText, S("[00:20:00]b"));
    EXPECT_FALSE(NeedsLineOrderNormalization(sung));
    // Text before the first tag of a karaoke line counts as sung text too.
    const LyricsDocument before = Parse("[00:20:00]b\r\nx[00:30:00][00:40:00]c", true, false);
    EXPECT_EQ(before.Lines[0].RawText, S("[00:20:00]b"));
    EXPECT_EQ(before.LineCount(), 2);
}

TEST(LineOrderTest, ShortTagsAreExpandedBeforeOrdering) {
    const LyricsDocument document = Parse("[00:20]b\r\n[00:05][00:30]a", true, true);
    EXPECT_EQ(RawLines(document),
              (QStringList{S("[00:05:00]a"), S("[00:20:00]b"), S("[00:30:00]a"), S("")}));
}

} // namespace

TEST(LineOrderNormalization, ADocumentThatWouldRepeatItsTextGigabytesKeepsItsOrder) {
    // 100,000 tags in front of 2,000 characters: one line per time would be 200 million
    // characters, so the document is left in its order.
    QString text = QStringLiteral("[00:09:00]late\r\n");
    for (int i = 0; i < 100000; ++i)
        text += MsToTag(i * 10);
    text += QString(2000, u'z');
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, true, false);
    ASSERT_EQ(document.LineCount(), 2);
    EXPECT_EQ(document.Lines[0].PlainText, QStringLiteral("late"));
    EXPECT_EQ(document.Lines[1].FragmentCount(), 100000);
}
