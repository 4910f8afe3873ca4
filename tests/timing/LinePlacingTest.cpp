// Placing a line's fragments on the voice: on generated singing the starts land on the sung
// notes where even spacing misses them; any line and any span keep the starts in order and
// inside the span.
#include "timing/LinePlacing.h"
#include "timing/MoraDistribution.h"

#include "timing/SungLine.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(LinePlacing, StartsLandOnTheSungNotesOfALine) {
    // Uneven syllables: spreading by the weights misses most of them by 100 ms or more.
    const std::vector<std::vector<int>> lines = {
        {1000, 1180, 1600, 1750, 2300, 2450, 2600},
        {800, 1300, 1420, 1540, 2100},
        {500, 700, 1400, 1600, 1800, 2000, 2600, 2800},
    };
    const std::vector<int> ends = {3200, 2900, 3300};
    for (size_t l = 0; l < lines.size(); ++l) {
        const std::vector<int>& starts = lines[l];
        const DecodedSong song = MakeSungLine(starts, ends[l], quint32(l + 1));
        const QVector<int> placed = PlaceFragmentsOnSong(
            song, QVector<double>(qsizetype(starts.size()), 1), starts.front(), ends[l]);
        ASSERT_EQ(placed.size(), qsizetype(starts.size()));
        for (size_t k = 0; k < starts.size(); ++k)
            EXPECT_NEAR(placed[qsizetype(k)], starts[k], 40) << "line " << l << " syllable " << k;
    }
}

TEST(LinePlacing, AnyLineAndSpanKeepsTheStartsInOrderInsideIt) {
    QRandomGenerator random(20261208);
    for (int round = 0; round < 3000; ++round) {
        SyllableStartCurve curve;
        curve.StartMs = int(random.bounded(2000)) / 10 * 10;
        curve.Onset.resize(size_t(random.bounded(600)));
        for (float& v : curve.Onset)
            v = float(random.generateDouble());
        const int count = int(random.bounded(1, 24));
        QVector<double> weights;
        for (int k = 0; k < count; ++k)
            weights.append(random.bounded(8) == 0 ? -1.0 : random.generateDouble() * 4);
        // Spans on the curve's frames and off them, shorter than the fragments and longer
        // than the curve.
        const int start = curve.StartMs + int(random.bounded(3000)) - 200;
        const int end = start + int(random.bounded(7000)) - 100;
        const QVector<int> starts = PlaceFragments(curve, weights, start, end);
        ASSERT_EQ(starts.size(), count);
        EXPECT_EQ(starts.front(), start);
        for (int k = 1; k < count; ++k) {
            EXPECT_GE(starts[k], starts[k - 1]) << round;
            EXPECT_LE(starts[k], std::max(start, end)) << round;
            // Two fragments start together only where the span is shorter than a ms each.
            if (end - start >= count)
                EXPECT_GT(starts[k], starts[k - 1]) << round;
        }
    }
}

TEST(LinePlacing, WordsWeighTheirSyllables) {
    const struct {
        const char* word;
        int syllables;
    } cases[] = {{"fantasma", 3}, {"que", 1},   {"Veränderung", 4}, {"y", 1},
                 {"rhythm", 1},   {"glous", 1}, {"oiseau", 2},      {"123", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(LatinSyllables(QString::fromUtf8(c.word)), c.syllables) << c.word;
}

} // namespace
