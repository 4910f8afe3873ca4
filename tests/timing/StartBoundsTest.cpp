// A start moved by a dropped handle or by fine moves stays between the times beside it in its
// line, for every kind of neighbour: a start, a pause's end, its own end tag, untimed fragments,
// the line's start and end. A snap to an onset past a neighbour is not taken.
#include "timing/TimingSession.h"
#include "lyrics/TimeValues.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

struct Fragment {
    const char16_t* text;
    int start;
    int end = -1;
};

TimingDocument DocumentOf(std::initializer_list<std::initializer_list<Fragment>> lines) {
    TimingDocument document;
    for (const auto& fragments : lines) {
        TimingLine line;
        for (const Fragment& f : fragments)
            line.Fragments.append({QString::fromUtf16(f.text), f.start, f.end});
        document.Lines.append(line);
    }
    return document;
}

int StartOf(const TimingSession& session, FragmentPlace place) {
    return session.Document().At(place)->StartMs;
}

} // namespace

TEST(StartBounds, DropsAndFineMovesStopAtEveryKindOfNeighbour) {
    struct Case {
        const char* what;
        TimingDocument document;
        FragmentPlace place;
        int low, high;
    } cases[] = {
        {"starts both sides", DocumentOf({{{u"あ", 1000}, {u"い", 1500}, {u"う", 2000}}}), {0, 1},
         1000, 2000},
        {"a pause before", DocumentOf({{{u"あ", 1000, 1200}, {u"い", 1500}, {u"う", 2000}}}),
         {0, 1}, 1200, 2000},
        {"its own pause", DocumentOf({{{u"あ", 1000}, {u"い", 1500, 1800}, {u"う", 2000}}}), {0, 1},
         1000, 1799},
        {"the line's start", DocumentOf({{{u"あ", 1000}, {u"い", 1500}}}), {0, 0}, 0, 1500},
        {"the line's end", DocumentOf({{{u"あ", 1000}, {u"い", 1500}}}), {0, 1}, 1000, MaxTagMs},
        {"an end tag", DocumentOf({{{u"あ", 1000}, {u"い", 1500, 2500}}}), {0, 1}, 1000, 2499},
        {"untimed between",
         DocumentOf({{{u"あ", 1000, 1100}, {u"い", -1}, {u"う", 1500}, {u"え", -1}, {u"お", 2000}}}),
         {0, 2}, 1100, 2000},
        {"other lines do not count",
         DocumentOf({{{u"あ", 5000}}, {{u"か", 1000}, {u"き", 1500}}, {{u"さ", 1200}}}), {1, 1},
         1000, MaxTagMs},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        TimingSession session(c.document, {}, {});
        const int start = StartOf(session, c.place);
        // Dropped far before and far after.
        session.MoveStart(c.place, -100000);
        EXPECT_EQ(StartOf(session, c.place), c.low);
        session.MoveStart(c.place, MaxTagMs + 100000);
        EXPECT_EQ(StartOf(session, c.place), c.high);
        // With an onset just past each bound to snap to, the drop still stops at the bound.
        session.SetSnap({true, 300}, std::make_shared<const std::vector<int>>(
                                         std::vector<int>{c.low - 1, c.high + 1}));
        session.MoveStart(c.place, c.low + 50);
        EXPECT_EQ(StartOf(session, c.place), c.low + 50);
        session.MoveStart(c.place, c.high - 50);
        EXPECT_EQ(StartOf(session, c.place), c.high - 50);
        EXPECT_EQ(session.LastSnapMs(), 0);
        session.SetSnap({}, nullptr);
        session.MoveStart(c.place, start);
        // Fine moves reach each bound and go no further.
        session.Select(c.place);
        EXPECT_FALSE(session.MoveSelected(c.low - start - 1));
        EXPECT_TRUE(session.MoveSelected(c.low - start));
        EXPECT_TRUE(session.MoveSelected(c.high - c.low));
        EXPECT_FALSE(session.MoveSelected(1));
        EXPECT_EQ(StartOf(session, c.place), c.high);
        // Nothing else of the document moved.
        TimingDocument expected = c.document;
        expected.Lines[c.place.Line].Fragments[c.place.Fragment].StartMs = c.high;
        EXPECT_EQ(session.Document().Lines, expected.Lines);
    }
}
