// Every operation that writes a user file, under faults: a write that fails at any byte (a
// file-size limit in a child process), a folder that takes no new file, a read-only file, and a
// file that disappears during the run. Whatever fails, every file is left byte for byte as it
// was, no temporary file stays behind (only the hidden undo journal of a song change that could
// not be undone at once, which the next look at the song removes), and the record carries the
// mode's failure code.
#include "FaultHarness.h"
#include "app/ResultCodes.h"
#include "app/RunQuestions.h"
#include "audio/SongFileBuilders.h"
#include "audio/Vbmp3.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// ---- the inputs -----------------------------------------------------------------------------

const QByteArray TimeTag = "[00:01:00]ka[00:01:50]ra\r\n[00:02:00]two\r\n@TimeRatio=1\r\n";
const QByteArray Sami = "<SAMI>\r\n<BODY>\r\n<SYNC Start=1000>\r\n<P Class=LyricsCC>ka\r\n"
                        "<SYNC Start=2000>\r\n<P Class=LyricsCC>two\r\n</BODY>\r\n</SAMI>\r\n";
const QByteArray Dsmp = "[Text]\r\n00:01:000=ka\r\n00:02:000=two\r\n";
const QByteArray Lrc = "[ti:t]\r\n[00:01.00]<00:01.00>ka<00:01.50>ra\r\n[00:02.00]two\r\n";
const QByteArray OldOutput = "an older output\r\n";

QByteArray Song() { return Frames(2) + Id3v1Tag("t"); }
QByteArray SongWithLyrics() {
    return Frames(2) + ApeTag("Title", "t", true) +
           Lyrics3v2({{"IND", "10"}, {"LYR", "[00:01:00]old"}}) + Id3v1Tag("t");
}
// ID3v2 tags whose lyrics frames fit in their padding, and do not.
QByteArray SongWithRoom() {
    return Id3Tag(3, 0, Id3Frame(3, "TIT2", "\0title"), 4096) + Frames(2) + Id3v1Tag("t");
}
QByteArray SongWithFullTag() { return Id3Tag(3, 0, Id3Frame(3, "TIT2", "\0title"), 0) + Frames(2); }
QByteArray SongWithSylt() {
    const QByteArray sylt = QByteArray("\0jpn\x02\x01\0sylt\0\0\0\x03\xE8", 16);
    return Id3Tag(3, 0, Id3Frame(3, "SYLT", sylt), 64) + Frames(2) + Id3v1Tag("t");
}
QByteArray RmpWithLyrics() {
    return RmpFile(Frames(2), InfoList(RiffChunk("INAM", "t") +
                                       RiffChunk("ILYC", QByteArray("[00:01:00]old\0", 14)) +
                                       RiffChunk("IID3", Id3v1Tag("t"))));
}

// ---- one batch run ------------------------------------------------------------------------

// A folder's content before a run (a name ending in "/" is a folder), the files dropped, and the
// settings of the run.
struct Batch {
    int Mode = 0;
    QVector<std::pair<std::string, QByteArray>> Files;
    std::vector<std::string> Dropped;
    std::function<void(Settings&, const QString& folder)> Configure = [](Settings&,
                                                                         const QString&) {};
};

// The time shift moves by a second for every file; the name matching lets the first name win.
// `OnQuestion` happens while the first question is open.
class Answers : public RunQuestions {
public:
    std::function<void()> OnQuestion;
    ShiftAnswer AskShift(const QString&, int) override {
        Asked();
        return {false, 1000, true};
    }
    int AskWhichNameWins(const QString&, const QString&) override {
        Asked();
        return 0;
    }

private:
    void Asked() {
        if (OnQuestion)
            std::exchange(OnQuestion, nullptr)();
    }
};

class FolderTest : public ::testing::Test {
protected:
    TestFolder folder;
    QString Root() const { return folder.Path(); }
    QString Path(const QString& name) const { return name.isEmpty() ? name : folder.File(name); }
    QString Path(const std::string& name) const { return Path(QString::fromStdString(name)); }

    FolderState Initial(const Batch& batch) const {
        FolderState state;
        for (const auto& [name, bytes] : batch.Files) {
            QString key = QString::fromStdString(name);
            const bool isFolder = key.endsWith(u'/');
            if (isFolder)
                key.chop(1);
            state.insert(key, Entry{isFolder, bytes, isFolder ? 0755u : 0644u});
        }
        return state;
    }

    QVector<ResultRecord> RunHere(const Batch& batch, std::function<void()> onQuestion = nullptr) {
        Settings settings;
        batch.Configure(settings, Root());
        BatchState state;
        for (const std::string& name : batch.Dropped)
            state.DroppedFiles.append(Path(name));
        Answers answers;
        answers.OnQuestion = std::move(onQuestion);
        RunMode(batch.Mode, state, settings, answers);
        return state.Results;
    }

    // Runs the batch in a child process under `fault`.
    std::optional<QVector<ResultRecord>> Run(const Batch& batch, const ChildFault& fault,
                                             std::function<void()> onQuestion = nullptr) {
        return RunInChild(fault, [&] { return RunHere(batch, onQuestion); });
    }

    // The folder after a run, without the undo journal of a change that could not be undone
    // at once (the design keeps it for the next look at the song); `journal` tells whether one
    // was there.
    FolderState AfterRun(bool& journal) const {
        FolderState state = Snapshot(Root());
        journal = false;
        for (const QString& name : state.keys()) {
            if (name.endsWith(QStringLiteral(".tavelkor-undo"))) {
                state.remove(name);
                journal = true;
            }
        }
        return state;
    }

    // The next look at every song, which finishes with any journal left.
    void LookAtSongs() const {
        for (const QString& name : Snapshot(Root()).keys()) {
            if (name.endsWith(QStringLiteral(".mp3")) || name.endsWith(QStringLiteral(".rmp")))
                vbmp3_getFileType(Path(name));
        }
    }
};

bool SameRecords(const QVector<ResultRecord>& a, const QVector<ResultRecord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.Code == y.Code && x.FileName == y.FileName;
    });
}

// ---- a write that fails, a read-only folder, a read-only file -----------------------------

// What a failed run leaves: its record, the files a step before the failure finished (as a
// successful run leaves them), and a MacBinary song left as its data fork by the strip.
struct Outcome {
    short Code = Converted;
    std::string FileName;
    std::vector<std::string> Finished = {};
    QByteArray Stripped = {};
};

struct Operation {
    const char* Name;
    Batch Job;
    QVector<Outcome> WriteFails;        // each reached by some file-size limit
    Outcome FolderReadOnly;             // the folder of the dropped files takes no new file
    const char* ReadOnlyFile = nullptr; // the existing file the run writes, if any
    Outcome FileReadOnly = {};
};

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.Name; }

std::function<void(Settings&, const QString&)> WithOptions(std::function<void(Settings&)> set) {
    return [set](Settings& settings, const QString&) { set(settings); };
}

// A run that saves one text, `written`: a failed save names it with 02; a save refused up front
// (the folder or the file cannot take it) names the dropped file. `existing`: the text
// replaces a file that is there.
Operation TextOutput(const char* name, Batch job, const char* written, bool existing) {
    const std::string dropped = job.Dropped.front();
    return {name,
            std::move(job),
            {{SaveError, written}},
            {SaveError, dropped},
            existing ? written : nullptr,
            {SaveError, dropped}};
}

// Lyrics going into `song`: every failure names the song with 18.
Operation Embedding(const char* name, const char* song, const QByteArray& bytes) {
    return {name,
            {ModeTimeTagToMp3, {{"song.txt", TimeTag}, {song, bytes}}, {"song.txt"}},
            {{EmbedError, song}},
            {EmbedError, song},
            song,
            {EmbedError, song}};
}

QVector<Operation> Operations() {
    const auto deleting = WithOptions([](Settings& settings) {
        settings.M2T.DeleteL3 = true;
        settings.M2T.ExtNew = 1; // lrc
    });
    const auto deletingIntoOut = [deleting](Settings& settings, const QString& folder) {
        deleting(settings, folder);
        settings.Init.SameFolder = false;
        settings.Init.AnotherFolder = folder + QStringLiteral("/out");
    };
    return {
        TextOutput(
            "TimeTagToSamiOverAnOlderOutput",
            {ModeTimeTagToSami, {{"song.txt", TimeTag}, {"song.smi", OldOutput}}, {"song.txt"}},
            "song.smi", true),
        TextOutput("SamiToTimeTag", {ModeSamiToTimeTag, {{"song.smi", Sami}}, {"song.smi"}},
                   "song.txt", false),
        TextOutput("TimeTagToDsmp", {ModeTimeTagToDsmp, {{"song.txt", TimeTag}}, {"song.txt"}},
                   "song.lyr", false),
        TextOutput("DsmpToTimeTagOverAnOlderOutput",
                   {ModeDsmpToTimeTag, {{"song.lyr", Dsmp}, {"song.txt", OldOutput}}, {"song.lyr"}},
                   "song.txt", true),
        TextOutput("TimeTagToTimeTagInPlace",
                   {ModeTimeTagToTimeTag, {{"song.txt", TimeTag}}, {"song.txt"}}, "song.txt", true),
        TextOutput("TimeShiftOfTimeTag", {ModeTimeShift, {{"song.txt", TimeTag}}, {"song.txt"}},
                   "song.txt", true),
        TextOutput("TimeShiftOfSami", {ModeTimeShift, {{"song.smi", Sami}}, {"song.smi"}},
                   "song.smi", true),
        TextOutput("TimeShiftOfDsmp", {ModeTimeShift, {{"song.lyr", Dsmp}}, {"song.lyr"}},
                   "song.lyr", true),
        TextOutput("TimeTagToLrc", {ModeTimeTagToLrc, {{"song.txt", TimeTag}}, {"song.txt"}},
                   "song.lrc", false),
        TextOutput("LrcToTimeTagOverAnOlderOutput",
                   {ModeLrcToTimeTag, {{"song.lrc", Lrc}, {"song.txt", OldOutput}}, {"song.lrc"}},
                   "song.txt", true),
        TextOutput("TimeShiftOfLrc", {ModeTimeShift, {{"song.lrc", Lrc}}, {"song.lrc"}}, "song.lrc",
                   true),
        TextOutput("ExtractingOverAnOlderText",
                   {ModeMp3ToTimeTag,
                    {{"song.mp3", SongWithLyrics()}, {"song.txt", OldOutput}},
                    {"song.mp3"}},
                   "song.txt", true),
        Embedding("EmbeddingReplacesTheLyricsOfAnMp3", "song.mp3", SongWithLyrics()),
        Embedding("EmbeddingIntoAnMp3WithoutTags", "song.mp3", Frames(2)),
        Embedding("EmbeddingIntoAnMp3WhoseTagHasRoom", "song.mp3", SongWithRoom()),
        Embedding("EmbeddingIntoAnMp3WhoseTagIsFull", "song.mp3", SongWithFullTag()),
        Embedding("EmbeddingIntoAnRmp", "song.rmp",
                  RmpFile(Frames(2),
                          InfoList(RiffChunk("INAM", "t") + RiffChunk("IID3", Id3v1Tag("t"))))),
        // The header is stripped before the lyrics go in; a failure after the strip leaves the
        // song without its header, as a refused embedding does.
        {"EmbeddingIntoAMacBinaryMp3",
         {ModeTimeTagToMp3,
          {{"song.txt", TimeTag}, {"song.mp3", MacBinaryFile(Song(), "rsrc")}},
          {"song.txt"}},
         {{NotEmbeddable, "song.mp3"}, {EmbedError, "song.mp3", {}, Song()}},
         {NotEmbeddable, "song.mp3"},
         "song.mp3",
         {NotEmbeddable, "song.mp3"}},
        // The lyrics are deleted only once the text is saved; a deletion that fails keeps it.
        {"ExtractingAndDeletingTheLyricsOfAnMp3",
         {ModeMp3ToTimeTag, {{"song.mp3", SongWithLyrics()}}, {"song.mp3"}, deleting},
         {{SaveError, "song.lrc"}, {DeleteLyricsError, "song.mp3", {"song.lrc"}}},
         {SaveError, "song.mp3"},
         "song.mp3",
         {DeleteLyricsError, "song.mp3", {"song.lrc"}}},
        {"ExtractingAndDeletingTheSyltOfAnMp3",
         {ModeMp3ToTimeTag, {{"song.mp3", SongWithSylt()}}, {"song.mp3"}, deleting},
         {{SaveError, "song.lrc"}, {DeleteLyricsError, "song.mp3", {"song.lrc"}}},
         {SaveError, "song.mp3"},
         "song.mp3",
         {DeleteLyricsError, "song.mp3", {"song.lrc"}}},
        {"ExtractingAndDeletingTheLyricsOfAnRmpIntoAnotherFolder",
         {ModeMp3ToTimeTag,
          {{"out/", {}}, {"song.rmp", RmpWithLyrics()}},
          {"song.rmp"},
          deletingIntoOut},
         {{SaveError, "out/song.lrc"}, {DeleteLyricsError, "song.rmp", {"out/song.lrc"}}},
         {DeleteLyricsError, "song.rmp", {"out/song.lrc"}},
         "song.rmp",
         {DeleteLyricsError, "song.rmp", {"out/song.lrc"}}},
        // Renaming writes no bytes: no file-size limit stops it, a folder that takes no new
        // name does.
        {"NameMatching",
         {ModeNameMatch, {{"a.txt", TimeTag}, {"b.mp3", Song()}}, {"a.txt", "b.mp3"}},
         {},
         {SaveError, "a.mp3"}},
    };
}

class WriteFaultTest : public FolderTest, public ::testing::WithParamInterface<Operation> {
protected:
    QVector<ResultRecord> successRecords;
    FolderState before;
    FolderState success;

    void SetUp() override {
        before = Initial(GetParam().Job);
        Restore(Root(), before);
        // Run here, this also readies what every child uses (the tables, the CP932 converter).
        successRecords = RunHere(GetParam().Job);
        ASSERT_FALSE(successRecords.isEmpty());
        for (const ResultRecord& record : successRecords)
            ASSERT_EQ(record.Code, Converted) << "the run does not succeed without a fault";
        success = Snapshot(Root());
        ASSERT_FALSE(success == before);
    }

    // The records and the folder that `outcome` stands for, starting from `start`.
    std::pair<QVector<ResultRecord>, FolderState> Expected(const Outcome& outcome,
                                                           FolderState start) const {
        for (const std::string& name : outcome.Finished)
            start.insert(QString::fromStdString(name), success.value(QString::fromStdString(name)));
        if (!outcome.Stripped.isNull())
            start[QString::fromStdString(outcome.FileName)].Bytes = outcome.Stripped;
        return {{{Path(outcome.FileName), outcome.Code}}, start};
    }

    // Runs under `fault` and checks that the run left exactly `outcome`.
    void ExpectOutcome(const ChildFault& fault, const Outcome& outcome) {
        const FolderState start = Snapshot(Root());
        const auto records = Run(GetParam().Job, fault);
        ::chmod(Native(Root()).constData(), 0755);
        ASSERT_TRUE(records) << "the run did not end normally";
        const auto [expectedRecords, expectedFolder] = Expected(outcome, start);
        EXPECT_TRUE(SameRecords(*records, expectedRecords))
            << Describe(*records) << " instead of " << Describe(expectedRecords);
        const FolderState now = Snapshot(Root());
        EXPECT_TRUE(now == expectedFolder) << Differences(expectedFolder, now);
    }
};

TEST_P(WriteFaultTest, AWriteThatFailsAtAnyByteLeavesEveryFileAsItWas) {
    const Operation& operation = GetParam();
    std::vector<bool> reached(size_t(operation.WriteFails.size()), false);
    bool succeeded = false;
    for (const rlim_t limit : SweepLimits(before, success)) {
        SCOPED_TRACE(testing::Message() << "file-size limit " << limit);
        Restore(Root(), before);
        const auto records = Run(operation.Job, {limit});
        ASSERT_TRUE(records) << "the run did not end normally";
        bool journal = false;
        const FolderState now = AfterRun(journal);
        succeeded = !journal && SameRecords(*records, successRecords) && now == success;
        if (succeeded)
            continue;
        qsizetype match = -1;
        for (qsizetype i = 0; i < operation.WriteFails.size() && match < 0; ++i) {
            const auto [expectedRecords, expectedFolder] =
                Expected(operation.WriteFails[i], before);
            if (SameRecords(*records, expectedRecords) && now == expectedFolder)
                match = i;
        }
        ASSERT_GE(match, 0) << Describe(*records) << "; " << Differences(before, now);
        reached[size_t(match)] = true;
        if (journal) {
            LookAtSongs();
            EXPECT_TRUE(Snapshot(Root()) == now) << "the next look must only drop the journal";
        }
    }
    EXPECT_TRUE(succeeded) << "the largest limit must leave room for the whole run";
    for (qsizetype i = 0; i < operation.WriteFails.size(); ++i)
        EXPECT_TRUE(reached[size_t(i)])
            << "no limit ends the run with code " << operation.WriteFails[i].Code;
}

// Root passes over permission bits, so a root child runs as another user here.
TEST_P(WriteFaultTest, AFolderThatTakesNoNewFileIsLeftAsItWas) {
    Restore(Root(), before);
    HandToOtherUser(Root());
    ASSERT_EQ(::chmod(Native(Root()).constData(), 0555), 0);
    ExpectOutcome({std::nullopt, true}, GetParam().FolderReadOnly);
}

INSTANTIATE_TEST_SUITE_P(faults, WriteFaultTest, ::testing::ValuesIn(Operations()),
                         [](const auto& info) { return std::string(info.param.Name); });

class ReadOnlyFileTest : public WriteFaultTest {};

// A file without write permission bits is refused whoever runs the program, root included.
TEST_P(ReadOnlyFileTest, TheFileIsLeftAsItWas) {
    Restore(Root(), before);
    ASSERT_EQ(::chmod(Native(Path(std::string(GetParam().ReadOnlyFile))).constData(), 0444), 0);
    ExpectOutcome({}, GetParam().FileReadOnly);
}

QVector<Operation> OperationsOnAnExistingFile() {
    QVector<Operation> operations = Operations();
    operations.removeIf(
        [](const Operation& operation) { return operation.ReadOnlyFile == nullptr; });
    return operations;
}

INSTANTIATE_TEST_SUITE_P(faults, ReadOnlyFileTest,
                         ::testing::ValuesIn(OperationsOnAnExistingFile()),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- a file that disappears during the run ------------------------------------------------

enum class Disturb { RemovedAfterDrop, RemovedWhileAsked, NameTakenWhileAsked };

struct Disturbance {
    const char* Name;
    Batch Job;
    std::string Victim; // the file removed, or the name taken
    Disturb What;
    Outcome Result; // the record the disturbance gives; when it names a dropped file, the
                    // rest of the batch goes on as in a run without that file
};

void PrintTo(const Disturbance& disturbance, std::ostream* out) { *out << disturbance.Name; }

QVector<Disturbance> Disturbances() {
    // Two files of one kind, "a" and "b"; "a" is removed after the drop.
    const auto pair = [](int mode, const char* extension, const QByteArray& bytes) {
        const std::string a = std::string("a.") + extension, b = std::string("b.") + extension;
        return Batch{mode, {{a, bytes}, {b, bytes}}, {a, b}};
    };
    const auto firstGone = [&](const char* name, int mode, const char* extension,
                               const QByteArray& bytes, short code) {
        const Batch job = pair(mode, extension, bytes);
        return Disturbance{
            name, job, job.Files[0].first, Disturb::RemovedAfterDrop, {code, job.Dropped[0]}};
    };
    const Batch embed{
        ModeTimeTagToMp3,
        {{"a.txt", TimeTag}, {"a.mp3", Song()}, {"b.txt", TimeTag}, {"b.mp3", Song()}},
        {"a.txt", "b.txt"}};
    const Batch shift{ModeTimeShift, {{"a.smi", Sami}, {"b.txt", TimeTag}}, {"a.smi", "b.txt"}};
    const Batch shiftTimeTag{
        ModeTimeShift, {{"a.txt", TimeTag}, {"b.smi", Sami}}, {"a.txt", "b.smi"}};
    const Batch match{ModeNameMatch, {{"a.txt", TimeTag}, {"b.mp3", Song()}}, {"a.txt", "b.mp3"}};
    Batch extract = pair(ModeMp3ToTimeTag, "mp3", SongWithLyrics());
    extract.Configure = WithOptions([](Settings& settings) { settings.M2T.DeleteL3 = true; });
    const Disturb after = Disturb::RemovedAfterDrop;
    return {
        firstGone("TimeTagToSami", ModeTimeTagToSami, "txt", TimeTag, NotTargetFile),
        firstGone("SamiToTimeTag", ModeSamiToTimeTag, "smi", Sami, EmptyFile),
        firstGone("TimeTagToDsmp", ModeTimeTagToDsmp, "txt", TimeTag, NotTargetFile),
        firstGone("DsmpToTimeTag", ModeDsmpToTimeTag, "lyr", Dsmp, EmptyFile),
        firstGone("TimeTagToTimeTagInPlace", ModeTimeTagToTimeTag, "txt", TimeTag, EmptyFile),
        {"TimeShiftBeforeItsTurn", shift, "a.smi", after, {NotTargetFile, "a.smi"}},
        {"TimeShiftWhileAsked", shift, "a.smi", Disturb::RemovedWhileAsked, {EmptyFile, "a.smi"}},
        {"TimeShiftOfTimeTagWhileAsked",
         shiftTimeTag,
         "a.txt",
         Disturb::RemovedWhileAsked,
         {EmptyFile, "a.txt"}},
        {"EmbeddingWithoutItsLyrics", embed, "a.txt", after, {EmptyFile, "a.txt"}},
        {"EmbeddingWithoutItsSong", embed, "a.mp3", after, {NoAudioFile, "a.txt"}},
        {"Extracting", extract, "a.mp3", after, {NoEmbeddedLyrics, "a.mp3"}},
        {"NameMatchingLosesTheFileToRename",
         match,
         "b.mp3",
         Disturb::RemovedWhileAsked,
         {SaveError, "a.mp3"}},
        {"NameMatchingFindsTheNewNameTaken",
         match,
         "a.mp3",
         Disturb::NameTakenWhileAsked,
         {AlreadyExists, "a.mp3"}},
    };
}

class DisturbanceTest : public FolderTest, public ::testing::WithParamInterface<Disturbance> {
protected:
    void Apply() {
        const QString victim = Path(GetParam().Victim);
        if (GetParam().What == Disturb::NameTakenWhileAsked)
            WriteBytes(victim, "taken");
        else
            QFile::remove(victim);
    }
};

TEST_P(DisturbanceTest, TheFileGetsACodeAndNothingElseChanges) {
    const Disturbance& disturbance = GetParam();
    const FolderState initial = Initial(disturbance.Job);
    const bool whileAsked = disturbance.What != Disturb::RemovedAfterDrop;

    // What the run must leave: the other files as a run without the victim leaves them.
    Restore(Root(), initial);
    Apply();
    const ResultRecord disturbed{Path(disturbance.Result.FileName), disturbance.Result.Code};
    QVector<ResultRecord> expectedRecords{disturbed};
    Batch others = disturbance.Job;
    const auto dropped =
        std::find(others.Dropped.begin(), others.Dropped.end(), disturbance.Result.FileName);
    if (dropped != others.Dropped.end()) {
        const qsizetype index = dropped - others.Dropped.begin();
        others.Dropped.erase(dropped);
        expectedRecords = RunHere(others);
        expectedRecords.insert(index, disturbed);
    }
    const FolderState expectedFolder = Snapshot(Root());

    Restore(Root(), initial);
    if (!whileAsked)
        Apply();
    const auto records = Run(disturbance.Job, {}, [&] {
        if (whileAsked)
            Apply();
    });
    ASSERT_TRUE(records) << "the run did not end normally";
    EXPECT_TRUE(SameRecords(*records, expectedRecords))
        << Describe(*records) << " instead of " << Describe(expectedRecords);
    const FolderState now = Snapshot(Root());
    EXPECT_TRUE(now == expectedFolder) << Differences(expectedFolder, now);
}

INSTANTIATE_TEST_SUITE_P(faults, DisturbanceTest, ::testing::ValuesIn(Disturbances()),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- the command line ---------------------------------------------------------------------

// tavelkor-cli reports a write that fails with the mode's code and exit status 1.
TEST(faults, TheCommandLineReportsAFailedWriteAndLeavesTheFiles) {
    struct Case {
        const char* mode;
        QVector<std::pair<const char*, QByteArray>> files;
        const char* dropped;
        const char* reported; // the file the report names
        short code;
    } cases[] = {
        {"t2s",
         {{"song.txt", TimeTag}, {"song.smi", OldOutput}},
         "song.txt",
         "song.smi",
         SaveError},
        {"t2m",
         {{"song.txt", TimeTag}, {"song.mp3", SongWithLyrics()}},
         "song.txt",
         "song.mp3",
         EmbedError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        TestFolder folder;
        TestFolder config;
        for (const auto& [name, bytes] : c.files)
            ASSERT_TRUE(WriteBytes(folder.File(name), bytes));
        const FolderState before = Snapshot(folder.Path());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.Path());
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 0;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        process.start(
            QStringLiteral(TAVELKOR_CLI_PATH),
            {QStringLiteral("--mode"), QString::fromUtf8(c.mode), folder.File(c.dropped)});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1);
        const QString report = QString::fromUtf8(process.readAllStandardOutput());
        const QStringList lines = report.split(u'\n');
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line.startsWith(QString::fromUtf8(c.reported) + u' ') &&
                   line.contains(QStringLiteral(": ") + ResultCodeText(c.code)); // note may follow
        })) << report.toStdString();
        const FolderState now = Snapshot(folder.Path());
        EXPECT_TRUE(now == before) << Differences(before, now);
    }
}

} // namespace
