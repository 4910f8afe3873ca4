// Undo gives back the selection the change found, redo the one it left, for every kind of
// change the editor makes.
#include "timing/TimingSession.h"
#include "timing/TimingFile.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tavelkor;

TEST(UndoSelection, UndoAndRedoRestoreTheSelectionOfEachSide) {
    struct Case {
        const char* what;
        FragmentPlace before;
        std::function<bool(TimingSession&)> change;
        FragmentPlace after;
    } cases[] = {
        {"tap", {0, 1}, [](TimingSession& s) { return s.TapDown(1300, false); }, {0, 2}},
        {"tap at a line's end", {0, 2}, [](TimingSession& s) { return s.TapDown(2100, false); },
         {1, 0}},
        {"hold", {1, 0}, [](TimingSession& s) { return s.TapDown(2900, true) && s.TapUp(3100); },
         {1, 1}},
        {"drag elsewhere", {1, 1}, [](TimingSession& s) { return s.MoveStart({0, 1}, 1200); },
         {1, 1}},
        {"untime a line", {0, 2}, [](TimingSession& s) { return s.UntimeLine(0); }, {0, 0}},
        {"edit a line", {1, 1}, [](TimingSession& s) { return s.EditLineText(0, u"あえう"_qs); },
         {0, 1}},
        {"empty a line", {0, 1}, [](TimingSession& s) { return s.EditLineText(0, QString()); },
         {1, 0}},
        {"merge", {1, 0}, [](TimingSession& s) { return s.MergeSelected(); }, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TimingSession session(TimingFromPlainText(u"あいう\nかき\n"_qs, {}), {}, {});
        for (const int ms : {1000, 1500, 2000, 3000, 3500})
            ASSERT_TRUE(session.TapDown(ms, false));
        session.Select(c.before);
        ASSERT_TRUE(c.change(session));
        EXPECT_EQ(session.Selection(), c.after);
        const QString changed = session.ComposeText();
        ASSERT_TRUE(session.Undo());
        EXPECT_EQ(session.Selection(), c.before);
        ASSERT_TRUE(session.Redo());
        EXPECT_EQ(session.Selection(), c.after);
        EXPECT_EQ(session.ComposeText(), changed);
        // Selecting elsewhere between does not change what undo gives back.
        session.Select({1, 1});
        ASSERT_TRUE(session.Undo());
        EXPECT_EQ(session.Selection(), c.before);
    }
}
