// The boundaries of every reader and of the time shift: where a stamp, a time or a length equals
// its neighbour or its limit, a row pins the side it falls on.
#include "FormatsTestHelpers.h"
#include "formats/DsmpReader.h"
#include "formats/DsmpShift.h"
#include "formats/LrcReader.h"
#include "formats/LrcShift.h"
#include "formats/SamiReader.h"
#include "formats/SamiShift.h"
#include "lyrics/TimeTagShift.h"
#include "lyrics/TimeTagWriter.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

enum class Reader { Lrc, LrcLines, Sami, Dsmp, TimeTag };

// A document as "time:text" per fragment, fragments joined by ",", lines by " | "; an untimed
// line is "-" and its text.
QString Render(const LyricsDocument& document) {
    QStringList lines;
    for (const LyricsLine& line : document.Lines) {
        if (!line.HasTimeTag) {
            lines.append(u'-' + line.PlainText);
            continue;
        }
        QStringList fragments;
        for (const KaraokeFragment& fragment : line.Fragments)
            fragments.append(QString::number(fragment.TimeMs) + u':' + fragment.Text);
        lines.append(fragments.join(u','));
    }
    return lines.join(QStringLiteral(" | "));
}

QString Read(Reader reader, const QString& text) {
    switch (reader) {
    case Reader::Lrc:
    case Reader::LrcLines: {
        const auto document = ReadLrcText(text, reader == Reader::Lrc);
        return document ? Render(*document) : QStringLiteral("(too long)");
    }
    case Reader::Sami:
        return Render(ReadSamiText(text));
    case Reader::Dsmp:
        return Render(ReadDsmpText(text));
    case Reader::TimeTag: {
        LyricsDocument document;
        document.Text = text;
        ParseLyricsText(document, false, true);
        return Render(document);
    }
    }
    return QString();
}

struct ReadCase {
    const char* name;
    Reader reader;
    const char* text;
    const char* read;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

const ReadCase ReadCases[] = {
    // LRC: the line stamp a line's words were timed for is the latest one not after the first
    // word; a repetition moves the words with its own stamp.
    {"lrc word stamp equal to a later line stamp", Reader::Lrc, "[00:01.00][00:05.00]<00:05.00>a",
     "1000:,1000:a | 5000:,5000:a"},
    {"lrc word stamp just before a later line stamp", Reader::Lrc,
     "[00:01.00][00:05.00]<00:04.99>a", "1000:,1000:,4990:a | 5000:,5000:,8990:a"},
    {"lrc word stamp just after a later line stamp", Reader::Lrc, "[00:01.00][00:05.00]<00:05.01>a",
     "1000:,1000:,1010:a | 5000:,5000:,5010:a"},
    {"lrc word stamp before every line stamp", Reader::Lrc, "[00:05.00][00:09.00]<00:04.00>a",
     "5000:,5000:,4000:a | 9000:,9000:,8000:a"},
    {"lrc first word at the line's time keeps the text before it", Reader::Lrc,
     "[00:01.00]x<00:01.00>a<00:01.50>b", "1000:x,1000:a,1500:b"},
    {"lrc first word a hundredth after the line's time", Reader::Lrc, "[00:01.00]x<00:01.01>a",
     "1000:,1000:x,1010:a"},
    {"lrc equal line times keep the file's order", Reader::Lrc,
     "[00:02.00]b\n[00:01.00]a\n[00:02.00]c\n[00:02.00][00:01.00]d",
     "1000:,1000:a | 1000:,1000:d | 2000:,2000:b | 2000:,2000:c | 2000:,2000:d"},
    {"lrc word stamp at the very end of the line", Reader::Lrc, "[00:01.00]<00:01.00>a<00:02.00>",
     "1000:,1000:a,2000:"},
    {"lrc offset exactly to 0 and past it", Reader::Lrc,
     "[offset:1000]\n[00:01.00]<00:01.00>a<00:01.50>b\n[00:00.99]c", "0:,0:a,500:b | 0:,0:c"},
    {"lrc offset 0", Reader::LrcLines, "[offset:0]\n[00:00.00]a", "0:,0:a"},
    {"lrc largest stamp and one beyond it", Reader::LrcLines, "[35791:23.647]a\n[35791:23.648]b",
     "2147483647:,2147483647:a | -[35791:23.648]b"},
    {"lrc seconds of two digits, fraction of three", Reader::LrcLines,
     "[00:59.999]a\n[00:100.00]b\n[00:01.0000]c",
     "59999:,59999:a | -[00:100.00]b | -[00:01.0000]c"},
    // SAMI: equal times stay in order; a SYNC line needs the caption line after it.
    {"sami equal times keep the file's order", Reader::Sami,
     "<SYNC Start=1000>\n<P>a\n<SYNC Start=1000>\n<P>b\n<SYNC Start=0>\n<P>c",
     "1000:,1000:a | 1000:,1000:b | 0:,0:c"},
    {"sami caption on the last line, then a SYNC line last", Reader::Sami,
     "<SYNC Start=5>\n<P>a\n<SYNC Start=9>", "5:,5:a"},
    {"sami largest time and one beyond it", Reader::Sami,
     "<SYNC Start=2147483647>\n<P>a\n<SYNC Start=2147483648>\n<P>b", "2147483647:,2147483647:a"},
    {"sami start without a number", Reader::Sami, "<SYNC Start=>\n<P>a\n<SYNC Start=7>\n<P>b",
     "7:,7:b"},
    // DSMP: a time prefix is exactly "##:##:###=".
    {"dsmp equal times keep the file's order, an empty lyric at exactly ten characters",
     Reader::Dsmp, "00:01:000=b\n00:01:000=a\n00:00:000=", "1000:,1000:b | 1000:,1000:a | 0:,0:"},
    {"dsmp smallest and largest digits, and their neighbours", Reader::Dsmp,
     "99:59:999=a\n0/:00:000=b\n00:0::000=c\n00:00:00=d",
     "5999999:,5999999:a | -0/:00:000=b | "
     "-00:0::000=c | -00:00:00=d"},
    // TimeTag: a tag may end the line; equal tags stay apart.
    {"timetag tag ending the line", Reader::TimeTag, "a[00:01:00]\r\nb[00:01]",
     "1000:a,1000: | 1000:b,1000:"},
    {"timetag equal tags and the largest tag", Reader::TimeTag, "[00:01:00]a[00:01:00]b[99:59:99]",
     "1000:,1000:a,1000:b,5999990:"},
    {"timetag tag cut short at the end", Reader::TimeTag, "a[00:01:0\r\n[00:01:00]b",
     "-a[00:01:0 | "
     "1000:,1000:b"},
};

class ReaderBoundaryTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReaderBoundaryTest, TheBoundaryFallsOnItsSide) {
    EXPECT_EQ(Read(GetParam().reader, U(GetParam().text)), U(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(Rows, ReaderBoundaryTest, ::testing::ValuesIn(ReadCases));

// The time shift at exactly 0, just past it, and at the largest time each form holds.
enum class Shifted { Lrc, Sami, Dsmp, TimeTag };

QString Shift(Shifted format, int shiftMs, const QString& text) {
    switch (format) {
    case Shifted::Lrc:
        return ShiftLrcText(shiftMs, text);
    case Shifted::Sami:
        return ShiftSamiText(shiftMs, text);
    case Shifted::Dsmp:
        return ShiftDsmpText(shiftMs, text);
    case Shifted::TimeTag: {
        LyricsDocument shifted = ShiftLyricsDocument(ParseDoc(text), shiftMs);
        ComposeLyricsText(shifted);
        return shifted.Text;
    }
    }
    return QString();
}

struct ShiftCase {
    const char* name;
    Shifted format;
    int shiftMs;
    const char* text;
    const char* shifted; // lines joined by "|"
};

void PrintTo(const ShiftCase& c, std::ostream* out) { *out << c.name; }

const ShiftCase ShiftCases[] = {
    {"lrc to exactly 0 and past it", Shifted::Lrc, -1000, "[00:01.00]a<00:01.00>b\n[00:01.01]c",
     "[00:00.00]a<00:00.00>b|[00:00.01]c"},
    {"lrc to the largest stamp and past it", Shifted::Lrc, 1,
     "[35791:23.646]a\n[35791:23.647]b\n[35791:23.64]c",
     "[35791:23.647]a|[35791:23.647]b|"
     "[35791:23.64]c"},
    {"lrc by 0", Shifted::Lrc, 0, "[00:00.00]a", "[00:00.00]a"},
    {"sami to exactly 0 and past it", Shifted::Sami, -1000,
     "<SYNC Start=1000><P>a\n<SYNC Start=999><P>b", "<SYNC Start=0><P>a|<SYNC Start=0><P>b"},
    {"sami to the largest time and past it", Shifted::Sami, 1,
     "<SYNC Start=2147483646><P>a\n<SYNC Start=2147483647><P>b",
     "<SYNC Start=2147483647><P>a|<SYNC Start=2147483647><P>b"},
    {"dsmp to exactly 0 and past it", Shifted::Dsmp, -1000, "00:01:000=a\n00:00:999=b",
     "00:00:000=a|00:00:000=b"},
    {"dsmp to the largest time and past it", Shifted::Dsmp, 1, "99:59:998=a\n99:59:999=b",
     "99:59:999=a|99:59:999=b"},
    {"timetag to exactly 0 and past it", Shifted::TimeTag, -1000,
     "[00:01:00]a[00:01:50]b\r\n"
     "[00:00:90]c",
     "[00:00:00]a[00:00:50]b|[00:00:00]c"},
    {"timetag to the largest tag and past it", Shifted::TimeTag, 10, "[99:59:98]a\r\n[99:59:99]b",
     "[99:59:99]a|[99:59:99]b"},
};

class ShiftBoundaryTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftBoundaryTest, TheShiftedTimeIsHeldAtTheLimit) {
    QString shifted = Shift(GetParam().format, GetParam().shiftMs, U(GetParam().text));
    while (shifted.endsWith(u'\n') || shifted.endsWith(u'\r'))
        shifted.chop(1);
    shifted.replace(QStringLiteral("\r\n"), QStringLiteral("|"));
    EXPECT_EQ(shifted, U(GetParam().shifted));
    // A shifted file reads back as its own format, with every time still a time.
    if (GetParam().format == Shifted::Dsmp)
        EXPECT_FALSE(Read(Reader::Dsmp, shifted.replace(u'|', u'\n')).contains(u'-'));
}

INSTANTIATE_TEST_SUITE_P(Rows, ShiftBoundaryTest, ::testing::ValuesIn(ShiftCases));

} // namespace
