// The timing model on scripted sessions: taps at known song positions give exact TimeTag
// text, holds give end tags and pauses, re-timing from the middle keeps the rest; edits keep
// the times of what they do not touch; a long random session undoes to the first text and
// redoes to the last, with the times of every line in order all the way.
#include "timing/TimingSession.h"
#include "timing/TimingFile.h"
#include "timing/TimingSong.h"

#include "TestFiles.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TimingSession SessionOf(const QString& text, TapRules taps = {}) {
    return TimingSession(TimingFromPlainText(text, {}), {}, taps);
}

QString Crlf(QString text) { return text.replace(u"\n"_qs, u"\r\n"_qs); }

// Presses and releases the tap key: {down, up} pairs, up -1 for a start-only tap.
void Tap(TimingSession& session, std::initializer_list<std::pair<int, int>> presses) {
    for (const auto& [down, up] : presses) {
        ASSERT_TRUE(session.TapDown(down, up >= 0));
        if (up >= 0)
            session.TapUp(up);
    }
}

TEST(TimingSession, StartTapsGiveTheTimeTagText) {
    TimingSession session = SessionOf(u"さくら\n\nI love you\n"_qs, TapRules{200, 30});
    Tap(session, {{1030, -1}, {1280, -1}, {1530, -1}, {3030, -1}, {3430, -1}, {3830, -1}});
    EXPECT_FALSE(session.TapDown(5000, false)); // nothing left to tap
    EXPECT_EQ(session.ComposeText(),
              Crlf(u"[00:01:00]さ[00:01:25]く[00:01:50]ら\n\n"
                   "[00:03:00]I [00:03:40]love [00:03:80]you\n\n@TimeRatio=1\n"_qs));
}

TEST(TimingSession, HoldsGiveEndsAndPausesButShortGapsDoNot) {
    TimingSession session = SessionOf(u"さくら\nはな\n"_qs);
    // く follows さ within the gap: no pause; ら follows く after 300 ms: a pause; ら's
    // release is the line's end; は follows 100 ms later: no end for the line then.
    Tap(session, {{1000, 1180}, {1250, 1400}, {1700, 2200}, {2300, 2500}, {3000, 3600}});
    EXPECT_EQ(session.ComposeText(), Crlf(u"[00:01:00]さ[00:01:25]く[00:01:40][00:01:70]ら\n"
                                          "[00:02:30]は[00:02:50][00:03:00]な[00:03:60]\n"
                                          "\n@TimeRatio=1\n"_qs));
    // One undo step takes back a whole hold: press and release.
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.Document().Lines[1].Text(), u"はな"_qs);
    EXPECT_EQ(session.Document().Lines[1].Fragments[1].StartMs, -1);
    EXPECT_EQ(session.Document().Lines[1].Fragments[0].EndMs, 2500);
}

TEST(TimingSession, RetimingFromTheMiddleKeepsTheRest) {
    TimingSession session = SessionOf(u"あいう\nかき\n"_qs);
    Tap(session, {{1000, -1}, {1500, -1}, {2000, -1}, {3000, -1}, {3500, -1}});
    session.Select({0, 1});
    Tap(session, {{1300, -1}});
    EXPECT_EQ(session.ComposeText(),
              Crlf(u"[00:01:00]あ[00:01:30]い[00:03:00]う[00:03:00]\n[00:03:00]か[00:03:50]き\n\n"
                   "@TimeRatio=1\n"_qs));
    Tap(session, {{1600, -1}});
    EXPECT_EQ(session.ComposeText(), Crlf(u"[00:01:00]あ[00:01:30]い[00:01:60]う\n"
                                          "[00:03:00]か[00:03:50]き\n\n@TimeRatio=1\n"_qs));
    EXPECT_EQ(session.Selection(), (FragmentPlace{1, 0}));
    ASSERT_TRUE(session.UntimeLine(0));
    EXPECT_EQ(session.ComposeText(),
              Crlf(u"あいう\n[00:03:00]か[00:03:50]き\n\n@TimeRatio=1\n"_qs));
}

TEST(TimingSession, MovesStayInsideTheirNeighboursAndEditsKeepUnchangedTimes) {
    TimingSession session = SessionOf(u"あいう\n"_qs);
    Tap(session, {{1000, -1}, {1500, -1}, {2000, -1}});
    session.Select({0, 1});
    EXPECT_TRUE(session.MoveSelected(100));
    EXPECT_TRUE(session.MoveSelected(400)); // reaches う's start
    EXPECT_FALSE(session.MoveSelected(10)); // would pass it
    EXPECT_TRUE(session.MoveSelected(-1000));
    EXPECT_FALSE(session.MoveSelected(-10)); // would go before あ
    EXPECT_EQ(session.Document().Lines[0].Fragments[1].StartMs, 1000);

    ASSERT_TRUE(session.MergeSelected()); // いう at い's time
    EXPECT_EQ(session.ComposeText(), Crlf(u"[00:01:00]あ[00:01:00]いう\n\n@TimeRatio=1\n"_qs));
    ASSERT_TRUE(session.SplitSelected(1));
    EXPECT_FALSE(session.SplitSelected(1 + 1));
    EXPECT_EQ(session.Document().Lines[0].Fragments.size(), 3);

    // The head あ and the tail う keep their times; the new middle is not timed.
    session.Select({0, 2});
    Tap(session, {{2000, -1}});
    ASSERT_TRUE(session.EditLineText(0, u"あえおう"_qs));
    const TimingLine& line = session.Document().Lines[0];
    ASSERT_EQ(line.Fragments.size(), 4);
    EXPECT_EQ(line.Fragments[0].StartMs, 1000);
    EXPECT_EQ(line.Fragments[1].Text, u"え"_qs);
    EXPECT_EQ(line.Fragments[1].StartMs, -1);
    EXPECT_EQ(line.Fragments[3].StartMs, 2000);
}

TEST(TimingSession, LongRandomSessionUndoesAndRedoesToTheSameText) {
    const QString lyrics = u"きみがすき\nI love you\n\n「ありがとう」ちょっと待って\n"
                           "ファンタジー ｷｬｯﾁｰ🌟\nさくら、さくら\n"_qs;
    TimingSession session = SessionOf(lyrics);
    QRandomGenerator random(20);
    QStringList texts{session.ComposeText()}; // texts[i]: the text after i steps
    const QString first = texts[0];
    int songMs = 0;
    for (int op = 0; op < 2000; ++op) {
        const FragmentPlace place = session.Selection();
        const int lines = int(session.Document().Lines.size());
        const QString plain = [&] {
            QString all;
            for (const TimingLine& line : session.Document().Lines)
                all += line.Text() + u'\n';
            return all;
        }();
        bool textEdit = false;
        switch (random.bounded(10)) {
        case 0:
        case 1:
        case 2:
            songMs += random.bounded(400);
            if (!session.TapDown(songMs, random.bounded(2) == 0))
                session.SelectLine(0);
            if (random.bounded(2) == 0)
                session.TapUp(songMs + random.bounded(300));
            break;
        case 3:
            session.Select({random.bounded(lines), random.bounded(4)});
            songMs = random.bounded(60000);
            break;
        case 4:
            session.MoveSelected(std::array{-100, -10, 10, 100}[random.bounded(4)]);
            break;
        case 5:
            session.MergeSelected();
            break;
        case 6:
            session.SplitSelected(random.bounded(1, 3));
            break;
        case 7: {
            const int line = place.Valid() ? place.Line : 0;
            QString text = session.Document().Lines[line].Text();
            const int at = random.bounded(int(text.size()) + 1);
            if (random.bounded(2) == 0 && at < text.size())
                text.remove(at, 1);
            else
                text.insert(at, QChar(u'あ' + random.bounded(40)));
            textEdit = session.EditLineText(line, text);
            break;
        }
        case 8:
            session.UntimeLine(random.bounded(lines));
            break;
        case 9:
            // An undone text edit changes the text back.
            if (random.bounded(4) == 0)
                textEdit = session.Undo();
            break;
        }
        const int index = session.History().Index();
        texts.resize(index);
        texts.append(session.ComposeText());
        for (const TimingLine& line : session.Document().Lines)
            ASSERT_TRUE(TimesInOrder(line)) << op;
        if (!textEdit && session.History().Steps().value(index - 1).Caption != u"文字の編集"_qs) {
            QString all;
            for (const TimingLine& line : session.Document().Lines)
                all += line.Text() + u'\n';
            ASSERT_EQ(all, plain) << "timing changed the text at " << op;
        }
    }
    const int steps = session.History().Index();
    ASSERT_GT(steps, 1000);
    for (int i = steps; i > 0; --i) {
        ASSERT_TRUE(session.Undo());
        ASSERT_EQ(session.ComposeText(), texts[i - 1]) << i;
    }
    EXPECT_EQ(session.ComposeText(), first);
    EXPECT_FALSE(session.Modified());
    while (session.Redo())
        ;
    EXPECT_EQ(session.ComposeText(), texts[steps]);
}

TEST(TimingFile, SavesPlainTextInPlaceInItsEncodingAndTimeTagBesideOtherFormats) {
    TestFolder folder;
    const QString plain =
        folder.Put("song.txt", QByteArray("\xEF\xBB\xBF") + u"あい\r\n"_qs.toUtf8());
    TimingSource source = LoadTimingSource(plain, EncodingChoice::Auto, 1, {});
    ASSERT_TRUE(source.Error.isEmpty());
    EXPECT_TRUE(SavesInPlace(source));
    TimingSession session(source.Document, {}, {});
    Tap(session, {{1000, -1}, {1500, 2000}});
    int replaced = 0;
    ASSERT_TRUE(SaveTimingText(TimingSavePath(source), session.ComposeText(), source.Encoding,
                               source.LineEnd, replaced));
    EXPECT_EQ(ReadBytes(plain),
              QByteArray("\xEF\xBB\xBF") +
                  u"[00:01:00]あ[00:01:50]い[00:02:00]\r\n\r\n@TimeRatio=1\r\n"_qs.toUtf8());
    // Read back, it is the same document.
    TimingSource again = LoadTimingSource(plain, EncodingChoice::Auto, 1, {});
    EXPECT_EQ(ComposeTimingText(again.Document), session.ComposeText());

    // A TimeTag file with a ratio comes in real time; LRC saves beside itself.
    const QString ratio = folder.Put("ratio.kra", "[00:10:00]a[00:20:00]b\r\n@TimeRatio=0.5\r\n");
    TimingSource timed = LoadTimingSource(ratio, EncodingChoice::Auto, 1, {});
    EXPECT_EQ(timed.Document.Lines[0].Fragments[1].StartMs, 40000);
    const QString lrc = folder.Put("words.lrc", "[00:01.00]<00:01.00>la <00:01.50>la\n");
    TimingSource fromLrc = LoadTimingSource(lrc, EncodingChoice::Auto, 1, {});
    ASSERT_TRUE(fromLrc.Error.isEmpty()) << fromLrc.Error.toStdString();
    EXPECT_EQ(TimingSavePath(fromLrc), folder.File("words.txt"));
    EXPECT_EQ(fromLrc.Document.Lines[0].Fragments.size(), 2);

    // The header takes the song's tags where the lyrics give no names.
    QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/tags-id3v1v2.mp3"),
                folder.File("song.mp3"));
    const PreviewSong song = FindPreviewSong(plain);
    source.Document.Header.Artist = u"歌い手"_qs;
    TakeSongNames(source.Document.Header, song);
    EXPECT_EQ(source.Document.Header.Title, u"Sample Title"_qs);
    EXPECT_EQ(source.Document.Header.Artist, u"歌い手"_qs);
    EXPECT_TRUE(ComposeTimingText(source.Document).contains(u"@Title=Sample Title\r\n"_qs));
}

TEST(TimingFile, ReadingLinesSurviveTheEditorsSaveInRealTime) {
    TestFolder folder;
    const QByteArray text = u"[00:01:00]為[00:01:50]替\r\n\r\n@TimeRatio=1\r\n"
                            u"@Ruby1=為替,かわせ,,[01:00:00]\r\n@Ruby2=為替,カワセ,[01:00:00]\r\n"_qs
                                .toUtf8();
    const QString path = folder.Put("ruby.txt", QByteArray("\xEF\xBB\xBF") + text);
    TimingSource source = LoadTimingSource(path, EncodingChoice::Auto, 1, {});
    ASSERT_TRUE(source.Error.isEmpty());
    int replaced = 0;
    ASSERT_TRUE(SaveTimingText(TimingSavePath(source), ComposeTimingText(source.Document),
                               source.Encoding, source.LineEnd, replaced));
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF") + text);
    // Saved with "@TimeRatio=1", the readings' times become real like the fragments'.
    const QString half = folder.Put("half.kra", "[00:10:00]a\r\n@TimeRatio=0.5\r\n"
                                                "@Ruby1=a,b,[00:05:00]\r\n");
    TimingSource halfSource = LoadTimingSource(half, EncodingChoice::Auto, 1, {});
    EXPECT_TRUE(ComposeTimingText(halfSource.Document).endsWith(u"@Ruby1=a,b,[00:10:00]\r\n"_qs));
}

} // namespace
