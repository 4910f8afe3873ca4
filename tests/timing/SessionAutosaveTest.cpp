// The timing editor's autosave: it brings a session back exactly (fragments not timed yet,
// ends, readings, the header, the selection and the encoding), as one step that undoes to the
// file; anything damaged or contradicting itself is refused with a reason, never half read;
// the difference to the file is counted as the user sees it.
#include "timing/SessionAutosave.h"
#include "timing/RubyPlacement.h"
#include "timing/TimingFile.h"
#include "timing/TimingSession.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QString Lyrics = u"[00:01:00]為[00:01:50]替\r\n@Title=t\r\n@Artist=a\r\n"
                       u"@Ruby1=為替,かわせ,,[01:00:00]\r\n"_qs;

// Those lyrics and two plain lines, one of which looks like a header line.
TimingDocument OpenedDocument() {
    TestFolder folder;
    TimingDocument document =
        LoadTimingSource(folder.Put("a.txt", Lyrics.toUtf8()), EncodingChoice::Auto, 1, {})
            .Document;
    document.Lines += TimingFromPlainText(u"さくら\n@Album=x\n"_qs, {}).Lines;
    return document;
}

// A held tap (an end) that leaves fragments not timed after a timed one (the text merges
// them), a split, a reading and a text edit on them.
TimingSession WorkedSession() {
    TimingSession session(OpenedDocument(), {}, {});
    session.SelectLine(2); // line 1 is empty
    EXPECT_TRUE(session.TapDown(3000, true));
    EXPECT_TRUE(session.TapUp(3400));
    session.Select({3, 1});
    EXPECT_TRUE(session.SplitSelected(2));
    EXPECT_TRUE(session.SetLineReadings(0, {{0, 2, u"かわせ"_qs, 0}, {0, 1, u"か"_qs, 0}}));
    EXPECT_TRUE(session.EditLineText(3, u"@Album=y"_qs));
    session.Select({2, 1});
    return session;
}

TEST(SessionAutosave, BringsTheSessionBackExactlyAsOneStepBackToTheFile) {
    const TimingSession worked = WorkedSession();
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(1796000000123, Qt::UTC);
    const SessionAutosave autosave =
        AutosaveOf(u"/songs/a.txt"_qs, TextEncoding::Utf16Be, worked, time);
    QString problem;
    const std::optional<SessionAutosave> back = DecodeAutosave(EncodeAutosave(autosave), &problem);
    ASSERT_TRUE(back) << problem.toStdString();
    EXPECT_EQ(back->SourcePath, u"/songs/a.txt"_qs);
    EXPECT_EQ(back->Time, time);
    EXPECT_EQ(back->Encoding, TextEncoding::Utf16Be);
    EXPECT_EQ(back->Selection, (FragmentPlace{2, 1}));
    EXPECT_EQ(back->Text, worked.ComposeText());
    EXPECT_TRUE(back->Document.Lines == worked.Document().Lines);
    EXPECT_TRUE(SameRuby(back->Document.Header.Ruby, worked.Document().Header.Ruby));

    // Put in place over the file as it was opened: one step, undone to the file, redone.
    TimingSession reopened(OpenedDocument(), {}, {});
    const QString fileText = reopened.ComposeText();
    ASSERT_TRUE(reopened.Replace(u"復元"_qs, back->Document, back->Selection));
    EXPECT_TRUE(reopened.Modified());
    EXPECT_EQ(reopened.ComposeText(), worked.ComposeText());
    EXPECT_EQ(reopened.Selection(), (FragmentPlace{2, 1}));
    ASSERT_TRUE(reopened.Undo());
    EXPECT_EQ(reopened.ComposeText(), fileText);
    EXPECT_FALSE(reopened.Modified());
    ASSERT_TRUE(reopened.Redo());
    EXPECT_TRUE(reopened.Document().Lines == worked.Document().Lines);
    // The same document again is no change.
    EXPECT_FALSE(reopened.Replace(u"復元"_qs, back->Document, {0, 0}));
    EXPECT_EQ(reopened.History().Index(), 1);
}

TEST(SessionAutosave, DamagedOrForeignAutosavesAreRefusedWithAReason) {
    const TimingSession worked = WorkedSession();
    const QByteArray whole = EncodeAutosave(AutosaveOf(u"/songs/a.txt"_qs, TextEncoding::Utf8,
                                                       worked, QDateTime::currentDateTimeUtc()));
    std::vector<std::pair<std::string, QByteArray>> damaged = {
        {"empty", QByteArray()},
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0\xff", 11)},
        {"another JSON", "{\"Kind\":\"something else\"}"},
        {"a later version", QByteArray(whole).replace("\"Version\": 1", "\"Version\": 2")},
        {"a time out of range", QByteArray(whole).replace("3400", "99999999")},
        {"text and lines disagree", QByteArray(whole).replace("3400", "3410")},
        {"an unknown encoding", QByteArray(whole).replace("UTF-8", "EBCDIC")},
        {"no selection", QByteArray(whole).replace("\"Selection\"", "\"Selected\"")},
    };
    for (qsizetype cut = 1; cut < whole.size(); cut += std::max<qsizetype>(1, whole.size() / 40))
        damaged.push_back({"cut at " + std::to_string(cut), whole.left(cut)});
    for (const auto& [name, bytes] : damaged) {
        QString problem;
        EXPECT_FALSE(DecodeAutosave(bytes, &problem)) << name;
        EXPECT_FALSE(problem.isEmpty()) << name;
    }

    TestFolder folder;
    const QString path = AutosavePath(folder.File("autosave"), u"/songs/a.txt"_qs);
    EXPECT_FALSE(ReadAutosave(path, u"/songs/a.txt"_qs).Found);
    ASSERT_TRUE(WriteAutosave(path, *DecodeAutosave(whole, nullptr)));
    EXPECT_TRUE(ReadAutosave(path, u"/songs/a.txt"_qs).Autosave);
    // A file of the same name for another path (a hash collision, a copied folder).
    const AutosaveReading foreign = ReadAutosave(path, u"/songs/b.txt"_qs);
    EXPECT_TRUE(foreign.Found);
    EXPECT_FALSE(foreign.Autosave);
    EXPECT_TRUE(foreign.Problem.contains(u"/songs/a.txt"_qs));
}

TEST(SessionAutosave, IsWrittenWholeBesideTheSettingsAndRemovedWithWhatKilledWritesLeft) {
    TestFolder folder;
    const QString autosaves = AutosaveFolder(folder.File("config/Tavelkor.ini"));
    EXPECT_EQ(autosaves, folder.File("config/Tavelkor-autosave"));
    const QString path = AutosavePath(autosaves, folder.File("song.txt"));
    EXPECT_EQ(path, AutosavePath(autosaves, folder.File("x/../song.txt")));
    EXPECT_NE(path, AutosavePath(autosaves, folder.File("Song.txt")));
    const SessionAutosave autosave = AutosaveOf(folder.File("song.txt"), TextEncoding::Cp932,
                                                WorkedSession(), QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(WriteAutosave(path, autosave)); // the folder is made
    ASSERT_TRUE(WriteAutosave(path, autosave)); // and the file replaced
    const QString name = QFileInfo(path).fileName();
    folder.Put(u"config/Tavelkor-autosave/."_qs + name.left(40) + u".x1y2.tmp"_qs, "{\"Ki");
    folder.Put("config/Tavelkor-autosave/other.autosave", "{}");
    EXPECT_TRUE(RemoveAutosave(path));
    EXPECT_EQ(Entries(autosaves), QStringList{u"other.autosave"_qs});
    EXPECT_TRUE(RemoveAutosave(path)); // none there is none left
    // A folder that cannot be made: nothing written, nothing thrown.
    folder.Put("blocked", "a file where the folder would be");
    EXPECT_FALSE(
        WriteAutosave(AutosavePath(folder.File("blocked"), folder.File("song.txt")), autosave));
}

TEST(SessionAutosave, SaysWhatDiffersFromTheFile) {
    TimingSession session(TimingFromPlainText(u"さくら\nI love you\n"_qs, {}), {}, {});
    const TimingDocument file = session.Document();
    EXPECT_EQ(AutosaveDifference(file, file), u"ファイルとの違いはありません"_qs);
    session.TapDown(1000, false);
    session.TapDown(1200, false);
    EXPECT_EQ(AutosaveDifference(file, session.Document()),
              u"ファイルとの違い：時間の違うフラグメント 2"_qs);
    session.SelectLine(1);
    session.MergeSelected();
    session.EditLineText(0, u"さくらら"_qs);
    EXPECT_EQ(AutosaveDifference(file, session.Document()),
              u"ファイルとの違い：文字の違う行 1、区切りの違う行 1"_qs);
    session.SetLineReadings(1, {{0, 1, u"あい"_qs, 0}});
    TimingDocument longer = session.Document();
    longer.Lines.append(file.Lines[0]);
    EXPECT_EQ(AutosaveDifference(file, longer),
              u"ファイルとの違い：文字の違う行 2、区切りの違う行 1、ふりがな"_qs);
}

} // namespace
