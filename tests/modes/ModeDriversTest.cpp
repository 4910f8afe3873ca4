// The four converter modes run end to end on real files: output bytes, result codes, output
// naming and folders, round trips and hostile input.
#include "formats/FormatsTestHelpers.h"
#include "lyrics/TimeTagFile.h"
#include "modes/DsmpModes.h"
#include "modes/SamiModes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace tavelkor {
namespace {

using test::CrLfLines;
using test::ReadBytes;
using test::RunDriver;
using test::TestFolder;
using test::U;
using test::WriteBytes;
using test::WriteCp932;

// The results of a run as "name:code" pairs (file name only).
QStringList Codes(const BatchState& state) {
    QStringList out;
    for (const ResultRecord& record : state.Results)
        out << QFileInfo(record.FileName).fileName() + u':' + QString::number(record.Code);
    return out;
}

QStringList Names(const QStringList& paths) {
    QStringList out;
    for (const QString& path : paths)
        out << QFileInfo(path).fileName();
    return out;
}

// The credit comment line of a SAMI file (line 10), after checking its form.
QString CreditLine(const QByteArray& sami) {
    const QStringList lines = DecodeCp932(sami).split(U("\r\n"));
    if (lines.size() < 10) {
        ADD_FAILURE() << "no credit line";
        return QString();
    }
    const QString credit = lines[9];
    EXPECT_TRUE(credit.startsWith(U("<!--")) && credit.endsWith(U("-->"))) << credit.toStdString();
    return credit;
}

QString SamiHead(const QString& style, const QString& credit) {
    return CrLfLines(
        {U("<SAMI>"), U("<HEAD>"), U("<Title></Title>"), U("<STYLE TYPE=\"text/css\">"), U("<!--"),
         U("P {") + style + U("} .LyricsCC"), U("-->"), U("</STYLE></HEAD>"), U("<BODY>"), credit});
}

TEST(TimeTagToSamiMode, WritesExactCp932File) {
    TestFolder dir;
    const QString source = dir.File("song.backup.txt");
    ASSERT_TRUE(WriteCp932(
        source, U("@TimeRatio=1\r\n[00:01:00]～ab\r\nuntimed\r\n[00:02:00]c d\r\n\r\n\r\n")));
    Settings settings;
    const BatchState state = RunDriver(ModeTimeTagToSami, {source}, settings);
    ASSERT_EQ(state.Results.size(), 1);
    EXPECT_EQ(state.Results[0].FileName, source);
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_TRUE(state.RejectedFiles.isEmpty());
    EXPECT_EQ(state.DropCount, 1);

    const QByteArray bytes = ReadBytes(dir.File("song.backup.smi"));
    const QString expected =
        SamiHead(DefaultSamiBaseStyle(), CreditLine(bytes)) +
        CrLfLines({U("<SYNC Start=1000>"), U("<P Class=LyricsCC><font color=yellow>～ab</font>"),
                   U("<SYNC Start=2000>"),
                   U("<P Class=LyricsCC><font color=yellow>c&nbsp;d</font>"), U("</BODY>"),
                   U("</SAMI>")});
    EXPECT_EQ(bytes, EncodeCp932(expected));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("81606162"))); // "～ab"
    EXPECT_TRUE(bytes.endsWith("</SAMI>\r\n"));
    EXPECT_FALSE(bytes.endsWith("\r\n\r\n"));
}

TEST(TimeTagToSamiMode, SettingsShapeTheTextAndTimesUseTheDefaultRatio) {
    TestFolder dir;
    const QString source = dir.File("a.txt");
    // No ratio in the file: the default ratio turns tag time into real time.
    ASSERT_TRUE(WriteCp932(source, U("[00:01:00]one\r\n[00:02:00]two\r\n[00:01:50]back")));
    Settings settings;
    settings.T2S.Karaoke = false;
    settings.T2S.Lines = 2;
    settings.T2S.Base = U("color: red;");
    const BatchState state = RunDriver(ModeTimeTagToSami, {source}, settings);
    EXPECT_EQ(Codes(state), QStringList{U("a.txt:0")});
    const QByteArray bytes = ReadBytes(dir.File("a.smi"));
    // The inversion is repaired first: "two" moves back to the time of "back", which then
    // shares its start and is dropped.
    EXPECT_EQ(bytes, EncodeCp932(SamiHead(U("color: red;"), CreditLine(bytes)) +
                                 CrLfLines({U("<SYNC Start=1005>"), U("<P Class=LyricsCC>one"),
                                            U("<BR>two"), U("<SYNC Start=1507>"),
                                            U("<P Class=LyricsCC>two"), U("<BR>back"), U("</BODY>"),
                                            U("</SAMI>")})));
}

TEST(TimeTagToSamiMode, ReadsTheFileAsTheTimeTagModesDo) {
    TestFolder dir;
    // Short tags count as tags; a chorus line with several leading tags is spread over its
    // times; "@TimeType=normal" settles the ratio at 1, so the default ratio is not used.
    ASSERT_TRUE(WriteCp932(dir.File("a.txt"), U("@TimeType=normal\r\n[00:05]a\r\n"
                                                "[00:01:00][00:10:00]chorus\r\n")));
    Settings settings;
    settings.T2S.Karaoke = false;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {dir.File("a.txt")}, settings)),
              QStringList{U("a.txt:0")});
    const QByteArray bytes = ReadBytes(dir.File("a.smi"));
    EXPECT_EQ(bytes, EncodeCp932(SamiHead(DefaultSamiBaseStyle(), CreditLine(bytes)) +
                                 CrLfLines({U("<SYNC Start=1000>"), U("<P Class=LyricsCC>chorus"),
                                            U("<SYNC Start=5000>"), U("<P Class=LyricsCC>a"),
                                            U("<SYNC Start=10000>"), U("<P Class=LyricsCC>chorus"),
                                            U("</BODY>"), U("</SAMI>")})));
}

TEST(TextModes, ResultCodesOfABatch) {
    TestFolder dir;
    const QString tagged = U("[00:01:00]x\r\n");
    ASSERT_TRUE(WriteCp932(dir.File("a.txt"), tagged));
    ASSERT_TRUE(WriteCp932(dir.File("b.TXT"), tagged));
    ASSERT_TRUE(WriteCp932(dir.File("c.lrc"), tagged));
    ASSERT_TRUE(WriteCp932(dir.File("noext"), tagged));
    ASSERT_TRUE(WriteCp932(dir.File("e.txt"), U("[Chorus]\r\n[01:02:3]broken tag\r\nwords")));
    ASSERT_TRUE(WriteBytes(dir.File("f.txt"), QByteArray()));
    ASSERT_TRUE(QDir(dir.Path()).mkdir(U("g.txt")));
    const QStringList dropped = {dir.File("a.txt"), dir.File("b.TXT"), dir.File("c.lrc"),
                                 dir.File("noext"), dir.File("e.txt"), dir.File("f.txt"),
                                 dir.File("g.txt")};

    Settings settings;
    const BatchState sami = RunDriver(ModeTimeTagToSami, dropped, settings);
    EXPECT_EQ(sami.DropCount, 7);
    EXPECT_EQ(Codes(sami),
              (QStringList{U("a.txt:0"), U("b.TXT:0"), U("e.txt:6"), U("f.txt:6"), U("g.txt:6")}));
    EXPECT_EQ(Names(sami.RejectedFiles), (QStringList{U("c.lrc"), U("noext")}));
    EXPECT_TRUE(QFileInfo::exists(dir.File("a.smi")));
    EXPECT_TRUE(QFileInfo::exists(dir.File("b.smi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("e.smi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("f.smi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("g.smi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("c.smi")));
    EXPECT_TRUE(sami.DroppedFiles.isEmpty());

    const BatchState dsmp = RunDriver(ModeTimeTagToDsmp, dropped, settings);
    EXPECT_EQ(Codes(dsmp), Codes(sami));
    EXPECT_EQ(Names(dsmp.RejectedFiles), Names(sami.RejectedFiles));
    EXPECT_TRUE(QFileInfo::exists(dir.File("a.lyr")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("e.lyr")));

    // The readers: empty and unreadable inputs are 12.
    ASSERT_TRUE(WriteBytes(dir.File("s.smi"), QByteArray()));
    ASSERT_TRUE(WriteCp932(dir.File("t.SMI"), U("<SYNC Start=1>\r\n<P>x")));
    ASSERT_TRUE(QDir(dir.Path()).mkdir(U("u.smi")));
    const BatchState back = RunDriver(
        ModeSamiToTimeTag,
        {dir.File("s.smi"), dir.File("t.SMI"), dir.File("u.smi"), dir.File("a.txt")}, settings);
    EXPECT_EQ(Codes(back), (QStringList{U("s.smi:12"), U("t.SMI:0"), U("u.smi:12")}));
    EXPECT_EQ(Names(back.RejectedFiles), QStringList{U("a.txt")});
    EXPECT_FALSE(QFileInfo::exists(dir.File("s.txt")));
    EXPECT_TRUE(QFileInfo::exists(dir.File("t.txt")));

    ASSERT_TRUE(WriteBytes(dir.File("v.lyr"), QByteArray()));
    ASSERT_TRUE(WriteCp932(dir.File("w.LYR"), U("00:01:000=x")));
    ASSERT_TRUE(QDir(dir.Path()).mkdir(U("x.lyr")));
    const BatchState fromDsmp = RunDriver(
        ModeDsmpToTimeTag,
        {dir.File("v.lyr"), dir.File("w.LYR"), dir.File("x.lyr"), dir.File("a.smi")}, settings);
    EXPECT_EQ(Codes(fromDsmp), (QStringList{U("v.lyr:12"), U("w.LYR:0"), U("x.lyr:12")}));
    EXPECT_EQ(Names(fromDsmp.RejectedFiles), QStringList{U("a.smi")});
    EXPECT_FALSE(QFileInfo::exists(dir.File("v.txt")));
    EXPECT_TRUE(QFileInfo::exists(dir.File("w.txt")));
}

TEST(TextModes, ExtensionSettingsSelectInputAndOutput) {
    TestFolder dir;
    const QString tagged = U("[00:01:00]x\r\n");
    ASSERT_TRUE(WriteCp932(dir.File("a.txt"), tagged));
    ASSERT_TRUE(WriteCp932(dir.File("b.LRC"), tagged));
    Settings settings;
    settings.T2S.ExtOrg = 1;
    settings.T2S.ExtNew = 1;
    BatchState state =
        RunDriver(ModeTimeTagToSami, {dir.File("a.txt"), dir.File("b.LRC")}, settings);
    EXPECT_EQ(Codes(state), QStringList{U("b.LRC:0")});
    EXPECT_EQ(Names(state.RejectedFiles), QStringList{U("a.txt")});
    EXPECT_TRUE(QFileInfo::exists(dir.File("b.sami")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("b.smi")));

    settings.S2T.ExtOrg = 1;
    settings.S2T.ExtNew = 2;
    state = RunDriver(ModeSamiToTimeTag, {dir.File("b.sami")}, settings);
    EXPECT_EQ(Codes(state), QStringList{U("b.sami:0")});
    EXPECT_TRUE(QFileInfo::exists(dir.File("b.kra")));

    settings.T2D.ExtOrg = 2;
    settings.T2D.ExtNew = 4;
    state = RunDriver(ModeTimeTagToDsmp, {dir.File("b.kra"), dir.File("a.txt")}, settings);
    EXPECT_EQ(Codes(state), QStringList{U("b.kra:0")});
    EXPECT_EQ(Names(state.RejectedFiles), QStringList{U("a.txt")});
    EXPECT_TRUE(QFileInfo::exists(dir.File("b.words")));

    settings.D2T.ExtOrg = 4;
    settings.D2T.ExtNew = 1;
    ASSERT_TRUE(QFile::remove(dir.File("b.LRC")));
    state = RunDriver(ModeDsmpToTimeTag, {dir.File("b.words"), dir.File("b.sami")}, settings);
    EXPECT_EQ(Codes(state), QStringList{U("b.words:0")});
    EXPECT_EQ(Names(state.RejectedFiles), QStringList{U("b.sami")});
    EXPECT_TRUE(QFileInfo::exists(dir.File("b.lrc")));
}

TEST(TextModes, ExistingOutputIsKeptWithoutOverwrite) {
    TestFolder dir;
    ASSERT_TRUE(WriteCp932(dir.File("a.txt"), U("[00:01:00]x")));
    ASSERT_TRUE(WriteCp932(dir.File("a.lyr"), U("00:01:000=x")));
    const QByteArray old("old \x81\x60 bytes\n", 14);
    ASSERT_TRUE(WriteBytes(dir.File("a.smi"), old));
    ASSERT_TRUE(WriteBytes(dir.File("b.lyr"), old));

    Settings settings;
    settings.Init.OverWrite = false;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {dir.File("a.txt")}, settings)),
              QStringList{U("a.txt:4")});
    EXPECT_EQ(ReadBytes(dir.File("a.smi")), old);
    EXPECT_EQ(Codes(RunDriver(ModeDsmpToTimeTag, {dir.File("a.lyr")}, settings)),
              QStringList{U("a.lyr:4")});
    EXPECT_EQ(ReadBytes(dir.File("a.txt")), EncodeCp932(U("[00:01:00]x")));

    settings.Init.OverWrite = true;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {dir.File("a.txt")}, settings)),
              QStringList{U("a.txt:0")});
    EXPECT_TRUE(ReadBytes(dir.File("a.smi")).startsWith("<SAMI>\r\n"));
}

TEST(TextModes, OutputFolders) {
    TestFolder dir;
    const QString source = dir.File("a.txt");
    ASSERT_TRUE(WriteCp932(source, U("[00:01:00]x")));
    ASSERT_TRUE(QDir(dir.Path()).mkdir(U("out")));

    Settings settings;
    settings.Init.SameFolder = false;
    settings.Init.AnotherFolder = dir.File("out");
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {source}, settings)), QStringList{U("a.txt:0")});
    EXPECT_EQ(settings.Init.AnotherFolder, dir.File("out") + u'/');
    EXPECT_TRUE(QFileInfo::exists(dir.File("out/a.smi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("a.smi")));

    // The folder is missing: 02 with the source path, nothing written.
    settings.Init.AnotherFolder = dir.File("missing");
    const BatchState missing = RunDriver(ModeTimeTagToDsmp, {source}, settings);
    ASSERT_EQ(missing.Results.size(), 1);
    EXPECT_EQ(missing.Results[0].Code, SaveError);
    EXPECT_EQ(missing.Results[0].FileName, source);
    EXPECT_EQ(settings.Init.AnotherFolder, dir.File("missing") + u'/');
    EXPECT_FALSE(QFileInfo::exists(dir.File("missing")));

    // The output name is taken by a folder: 02 as well.
    ASSERT_TRUE(QDir(dir.Path()).mkdir(U("out/a.lyr")));
    settings.Init.AnotherFolder = dir.File("out/");
    const BatchState taken = RunDriver(ModeTimeTagToDsmp, {source}, settings);
    ASSERT_EQ(taken.Results.size(), 1);
    EXPECT_EQ(taken.Results[0].Code, SaveError);
    EXPECT_TRUE(QFileInfo(dir.File("out/a.lyr")).isDir());

    // Same folder: the setting becomes the source's folder.
    settings.Init.SameFolder = true;
    settings.Init.AnotherFolder = U("/elsewhere");
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {source}, settings)), QStringList{U("a.txt:0")});
    EXPECT_EQ(settings.Init.AnotherFolder, dir.Path() + u'/');
    EXPECT_TRUE(QFileInfo::exists(dir.File("a.smi")));
}

TEST(SamiToTimeTagMode, WritesExactTimeTagText) {
    TestFolder dir;
    const QString source = dir.File("a.smi");
    const QString sami =
        CrLfLines({U("<SAMI>"), U("<BODY>"), U("<SYNC Start=1005>"), U("<P Class=LyricsCC>ka"),
                   U("<SYNC Start=1507>"), U("<P Class=LyricsCC>kara"), U("<SYNC Start=3014>"),
                   U("<P Class=LyricsCC>x&nbsp;&lt;y&gt;～"), U("</BODY>"), U("</SAMI>")});
    ASSERT_TRUE(WriteCp932(source, sami));

    Settings settings;
    settings.Init.TimeRatio = 1;
    EXPECT_EQ(Codes(RunDriver(ModeSamiToTimeTag, {source}, settings)), QStringList{U("a.smi:0")});
    EXPECT_EQ(
        ReadBytes(dir.File("a.txt")),
        EncodeCp932(U("[00:01:00]ka[00:01:51]ra\r\n[00:03:01]x <y>～\r\n\r\n@TimeRatio=1\r\n")));

    settings.S2T.Karaoke = false;
    EXPECT_EQ(Codes(RunDriver(ModeSamiToTimeTag, {source}, settings)), QStringList{U("a.smi:0")});
    EXPECT_EQ(ReadBytes(dir.File("a.txt")),
              EncodeCp932(U(
                  "[00:01:00]ka\r\n[00:01:51]kara\r\n[00:03:01]x <y>～\r\n\r\n@TimeRatio=1\r\n")));

    // The default ratio turns real time back into tag time.
    Settings defaults;
    EXPECT_EQ(Codes(RunDriver(ModeSamiToTimeTag, {source}, defaults)), QStringList{U("a.smi:0")});
    EXPECT_EQ(
        ReadBytes(dir.File("a.txt")),
        EncodeCp932(
            U("[00:01:00]ka[00:01:50]ra\r\n[00:03:00]x <y>～\r\n\r\n@TimeRatio=0.9953125\r\n")));

    // No caption at all is still a success; the file holds a single line end.
    ASSERT_TRUE(WriteCp932(dir.File("b.smi"), U("<SAMI>\r\n<BODY>\r\n</BODY>\r\n</SAMI>\r\n")));
    EXPECT_EQ(Codes(RunDriver(ModeSamiToTimeTag, {dir.File("b.smi")}, defaults)),
              QStringList{U("b.smi:0")});
    EXPECT_EQ(ReadBytes(dir.File("b.txt")), QByteArray("\r\n"));
}

TEST(TimeTagToDsmpMode, WritesExactDsmpText) {
    TestFolder dir;
    const QString source = dir.File("a.txt");
    // A lone lead byte cannot be decoded; it is written back as "?".
    ASSERT_TRUE(WriteBytes(
        source, EncodeCp932(U("@Title=T\r\n@Offset=500\r\n@TimeRatio=1\r\nartist: 歌手\r\n"
                              "[00:01:00]a[00:01:50]b\r\n[00:02:00]～")) +
                    QByteArray("x\x81\r\n")));
    Settings settings;
    settings.T2D.Alignment = 1;
    settings.T2D.Lines = 2;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToDsmp, {source}, settings)), QStringList{U("a.txt:0")});
    // The offset is folded into the times, so no "Adjust=" line.
    EXPECT_EQ(ReadBytes(dir.File("a.lyr")),
              EncodeCp932(CrLfLines(
                  {U("[Spec]"), U("Artist=歌手"), U("Title=T"), U("Alignment=Center"), QString(),
                   U("[Text]"), U("artist: 歌手"), U("00:01:500=\"a\",\"～x?\""),
                   U("00:02:000=\"ab\",\"～x?\""), U("00:02:500=\"～x?\",\"\"")})));

    // Tag times near the end of the tag range become real times of 100 minutes and more.
    ASSERT_TRUE(WriteCp932(dir.File("long.txt"), U("[99:59:00]end")));
    Settings defaults;
    defaults.T2D.Karaoke = false;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToDsmp, {dir.File("long.txt")}, defaults)),
              QStringList{U("long.txt:0")});
    EXPECT_EQ(ReadBytes(dir.File("long.lyr")),
              EncodeCp932(CrLfLines({U("[Spec]"), U("Alignment=Left"), QString(), U("[Text]"),
                                     U("100:27:253=end")})));
}

TEST(DsmpToTimeTagMode, WritesExactTimeTagText) {
    TestFolder dir;
    const QString source = dir.File("a.lyr");
    ASSERT_TRUE(WriteCp932(
        source, U("[Spec]\r\nTitle=\"T\"\r\nAdjust=500\r\nAlignment=Left\r\n\r\n[Text]\r\n"
                  "00:01:000=ka\r\n00:01:500=kara\r\nMusic\r\n00:03:000=next ～\r\n")));
    Settings settings;
    settings.Init.TimeRatio = 1;
    EXPECT_EQ(Codes(RunDriver(ModeDsmpToTimeTag, {source}, settings)), QStringList{U("a.lyr:0")});
    EXPECT_EQ(ReadBytes(dir.File("a.txt")),
              EncodeCp932(U("\r\n[00:01:00]ka[00:01:50]ra\r\nMusic\r\n[00:03:00]next ～\r\n\r\n"
                            "@Title=T\r\n@TimeRatio=1\r\n@Offset=500\r\n")));

    // With the default ratio the offset is folded into the times.
    Settings defaults;
    defaults.D2T.Karaoke = false;
    EXPECT_EQ(Codes(RunDriver(ModeDsmpToTimeTag, {source}, defaults)), QStringList{U("a.lyr:0")});
    EXPECT_EQ(
        ReadBytes(dir.File("a.txt")),
        EncodeCp932(U("\r\n[00:01:49]ka\r\n[00:01:99]kara\r\nMusic\r\n[00:03:48]next ～\r\n\r\n"
                      "@Title=T\r\n@TimeRatio=0.9953125\r\n")));

    // A file of untimed lines only is converted as well.
    ASSERT_TRUE(WriteCp932(dir.File("b.lyr"), U("[Spec]\r\nTitle=T\r\n[Text]\r\nwords")));
    EXPECT_EQ(Codes(RunDriver(ModeDsmpToTimeTag, {dir.File("b.lyr")}, settings)),
              QStringList{U("b.lyr:0")});
    EXPECT_EQ(ReadBytes(dir.File("b.txt")),
              QByteArray("words\r\n\r\n@Title=T\r\n@TimeRatio=1\r\n"));
}

// Every timed line of a TimeTag file: its text and the times of its tags.
struct TimedLine {
    QString Text;
    QVector<int> Times;
};

QVector<TimedLine> TimedLines(const QString& path) {
    LyricsFile file;
    ReadLyricsFile(path, file, false, false);
    QVector<TimedLine> out;
    for (const LyricsLine& line : file.Document.Lines) {
        if (!line.HasTimeTag)
            continue;
        TimedLine timed{line.PlainText, {}};
        for (int k = 1; k <= line.FragmentCount(); ++k)
            timed.Times << line.Fragments[k].TimeMs;
        out << timed;
    }
    return out;
}

void ExpectSameTimedLines(const QString& original, const QString& roundTrip) {
    const QVector<TimedLine> before = TimedLines(original);
    const QVector<TimedLine> after = TimedLines(roundTrip);
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].Text, before[i].Text) << i;
        ASSERT_EQ(after[i].Times.size(), before[i].Times.size()) << before[i].Text.toStdString();
        for (qsizetype k = 0; k < before[i].Times.size(); ++k)
            EXPECT_LE(std::abs(after[i].Times[k] - before[i].Times[k]), 10)
                << before[i].Text.toStdString() << " tag " << k;
    }
}

const char* const RoundTripLyrics = "@Title=Round\r\n"
                                    "[00:01:00]first line\r\n"
                                    "[00:03:25]ka[00:03:75]ra[00:04:10]oke\r\n"
                                    "untimed\r\n"
                                    "[00:05:00]x < y & z  two\r\n"
                                    "[00:07:33]～全角　空白\r\n"
                                    "[01:02:03]last\r\n"
                                    "[59:59:99]end\r\n";

TEST(TextModes, RoundTripsKeepTimedLines) {
    for (const double ratio : {1.0, DefaultRatio}) {
        SCOPED_TRACE(ratio);
        TestFolder dir;
        const QString source = dir.File("song.txt");
        ASSERT_TRUE(WriteCp932(source, U(RoundTripLyrics)));
        Settings settings;
        settings.Init.TimeRatio = ratio;
        settings.S2T.ExtNew = 1;
        settings.D2T.ExtNew = 2;

        EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami, {source}, settings)),
                  QStringList{U("song.txt:0")});
        EXPECT_EQ(Codes(RunDriver(ModeSamiToTimeTag, {dir.File("song.smi")}, settings)),
                  QStringList{U("song.smi:0")});
        ExpectSameTimedLines(source, dir.File("song.lrc"));

        EXPECT_EQ(Codes(RunDriver(ModeTimeTagToDsmp, {source}, settings)),
                  QStringList{U("song.txt:0")});
        EXPECT_EQ(Codes(RunDriver(ModeDsmpToTimeTag, {dir.File("song.lyr")}, settings)),
                  QStringList{U("song.lyr:0")});
        ExpectSameTimedLines(source, dir.File("song.kra"));
        LyricsFile file;
        ReadLyricsFile(dir.File("song.kra"), file, false, false);
        EXPECT_EQ(file.Document.Header.Title, U("Round"));
    }
}

// A few mode runs on inputs no lyrics file looks like: every file gets a code, nothing crashes.
void ExpectCodes(int mode, const QStringList& paths, const QList<short>& allowed) {
    Settings settings;
    const BatchState state = RunDriver(mode, paths, settings);
    ASSERT_EQ(state.Results.size(), paths.size()) << mode;
    for (const ResultRecord& record : state.Results)
        EXPECT_TRUE(allowed.contains(record.Code))
            << record.FileName.toStdString() << " " << record.Code;
}

TEST(TextModes, HostileInputsGiveResultCodes) {
    TestFolder dir;
    std::mt19937 random(20240601);
    QByteArray noise(64 * 1024, '\0');
    for (char& byte : noise)
        byte = char(random() & 0xFF);

    const QByteArray pieces[] = {"[",
                                 "[00:",
                                 "[00:01:00]",
                                 "[99:99:99]",
                                 "<SYNC Start=",
                                 "<SYNC Start=5>",
                                 "<sync start=-7>",
                                 "<P>",
                                 "<P",
                                 "\r\n",
                                 "\r",
                                 "\n",
                                 "&amp;",
                                 "&",
                                 "00:01:000=",
                                 "\"",
                                 "=",
                                 "\x81",
                                 "\xff",
                                 "\x00",
                                 "Title=",
                                 "Adjust=1e9",
                                 "<SYNC Start=1e400>"};
    QByteArray junk;
    while (junk.size() < 200 * 1024) {
        const QByteArray& piece = pieces[random() % std::size(pieces)];
        junk += piece.isEmpty() ? QByteArray(1, '\0') : piece;
        if (random() % 4 == 0)
            junk += char(random() & 0xFF);
    }
    const QByteArray huge = "[00:01:00]" + QByteArray(2 * 1024 * 1024, 'a');
    const QByteArray hugeSami = "<SYNC Start=2010>\r\n<P>" + QByteArray(2 * 1024 * 1024, 'b');
    const QByteArray hugeDsmp = "00:02:010=" + QByteArray(2 * 1024 * 1024, 'c');
    const QByteArray brackets(300 * 1024, '[');

    struct Input {
        const char* name;
        QByteArray bytes;
    };
    const Input inputs[] = {{"noise", noise},       {"junk", junk}, {"empty", QByteArray()},
                            {"brackets", brackets}, {"huge", huge}, {"hugesami", hugeSami},
                            {"hugedsmp", hugeDsmp}};
    // Each input under a name of its own per extension, so that no run's output replaces
    // another run's input: name-t.txt, name-s.smi, name-d.lyr.
    auto path = [&dir](const char* name, const char* suffix) {
        return dir.File(QString::fromUtf8(name) + QString::fromUtf8(suffix));
    };
    QStringList txt, smi, lyr;
    for (const Input& input : inputs) {
        txt << path(input.name, "-t.txt");
        smi << path(input.name, "-s.smi");
        lyr << path(input.name, "-d.lyr");
        for (const QString& file : {txt.last(), smi.last(), lyr.last()})
            ASSERT_TRUE(WriteBytes(file, input.bytes));
    }
    for (const char* name : {"folder-t.txt", "folder-s.smi", "folder-d.lyr"})
        ASSERT_TRUE(QDir(dir.Path()).mkdir(QString::fromUtf8(name)));
    txt << path("folder", "-t.txt");
    smi << path("folder", "-s.smi");
    lyr << path("folder", "-d.lyr");

    ExpectCodes(ModeTimeTagToSami, txt, {Converted, NotTargetFile});
    ExpectCodes(ModeTimeTagToDsmp, txt, {Converted, NotTargetFile});
    ExpectCodes(ModeSamiToTimeTag, smi, {Converted, EmptyFile});
    ExpectCodes(ModeDsmpToTimeTag, lyr, {Converted, EmptyFile});

    // The known cases among them.
    Settings settings;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToSami,
                              {path("empty", "-t.txt"), path("folder", "-t.txt"),
                               path("brackets", "-t.txt"), path("huge", "-t.txt")},
                              settings)),
              (QStringList{U("empty-t.txt:6"), U("folder-t.txt:6"), U("brackets-t.txt:6"),
                           U("huge-t.txt:0")}));
    EXPECT_GT(ReadBytes(path("huge", "-t.smi")).size(), 2 * 1024 * 1024);
    EXPECT_EQ(Codes(RunDriver(
                  ModeSamiToTimeTag,
                  {path("empty", "-s.smi"), path("folder", "-s.smi"), path("hugesami", "-s.smi")},
                  settings)),
              (QStringList{U("empty-s.smi:12"), U("folder-s.smi:12"), U("hugesami-s.smi:0")}));
    EXPECT_TRUE(ReadBytes(path("hugesami", "-s.txt")).startsWith("[00:02:00]bbbb"));
    EXPECT_EQ(Codes(RunDriver(
                  ModeDsmpToTimeTag,
                  {path("empty", "-d.lyr"), path("folder", "-d.lyr"), path("hugedsmp", "-d.lyr")},
                  settings)),
              (QStringList{U("empty-d.lyr:12"), U("folder-d.lyr:12"), U("hugedsmp-d.lyr:0")}));
    EXPECT_TRUE(ReadBytes(path("hugedsmp", "-d.txt")).startsWith("[00:02:00]cccc"));
}

} // namespace
} // namespace tavelkor

namespace tavelkor::test {

TEST(TextModes, ALineWhoseStepsWouldMakeGigabytesIsNotConverted) {
    // 60,000 tags with text between them and a long tail: every step of the karaoke display
    // repeats the whole line, several gigabytes of SAMI or DSMP text.
    TestFolder dir;
    QByteArray line;
    for (int i = 0; i < 60000; ++i)
        line += QStringLiteral("[00:%1:%2]x")
                    .arg((i / 100) % 60, 2, 10, QChar(u'0'))
                    .arg(i % 100, 2, 10, QChar(u'0'))
                    .toLatin1();
    line += QByteArray(2000, 'y') + "\r\n";
    const QString source = dir.File("hostile.txt");
    ASSERT_TRUE(WriteBytes(source, line));
    for (const int mode : {int(ModeTimeTagToSami), int(ModeTimeTagToDsmp)}) {
        BatchState state;
        Settings settings;
        state.DroppedFiles = {source};
        ASSERT_TRUE(RunMode(mode, state, settings));
        ASSERT_EQ(state.Results.size(), 1);
        EXPECT_EQ(state.Results[0].Code, NotTargetFile);
    }
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{QStringLiteral("hostile.txt")});

    // Without karaoke the same line is one display line and converts.
    BatchState state;
    Settings settings;
    settings.T2S.Karaoke = false;
    state.DroppedFiles = {source};
    ASSERT_TRUE(RunMode(ModeTimeTagToSami, state, settings));
    EXPECT_EQ(state.Results[0].Code, Converted);
}

} // namespace tavelkor::test
