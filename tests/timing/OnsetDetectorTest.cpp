// Onsets on generated material whose onsets are known: every click, tone burst and noise burst
// found within 20 ms and none in silence; spoken syllables over a quiet chord, where snapping
// human-like taps to the onsets must not make their median error worse; and the snap itself.
#include "timing/OnsetDetector.h"
#include "timing/OnsetSnap.h"

#include "timing/OnsetMaterial.h"

#include <QProcessEnvironment>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(OnsetDetector, FindsEveryKnownOnsetAndNoneInSilence) {
    for (OnsetSound kind : {OnsetSound::Clicks, OnsetSound::ToneBursts, OnsetSound::NoiseBursts}) {
        for (quint32 seed : {3u, 4u}) {
            const OnsetMaterial material = MakeOnsetMaterial(kind, seed);
            const std::vector<int> onsets = DetectOnsets(material.Song);
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " seed " << seed);
            EXPECT_TRUE(std::is_sorted(onsets.begin(), onsets.end()));
            for (int known : material.OnsetsMs) {
                const int snapped = SnapToOnset(onsets, known, 20);
                EXPECT_TRUE(snapped != known ||
                            std::binary_search(onsets.begin(), onsets.end(), known))
                    << "nothing found near " << known << " ms";
            }
            for (int onset : onsets) {
                for (auto [from, to] : material.SilencesMs)
                    EXPECT_FALSE(onset >= from && onset < to) << "onset at " << onset << " ms";
            }
        }
    }
    EXPECT_TRUE(DetectOnsets(DecodedSong{}).empty());
    std::atomic<bool> cancel{true};
    EXPECT_TRUE(DetectOnsets(MakeOnsetMaterial(OnsetSound::Clicks, 1).Song, {}, &cancel).empty());
}

TEST(OnsetDetector, SnappingSpokenSyllablesDoesNotMakeTapsWorse) {
    const OnsetMaterial material = MakeSpokenMaterial(40, 9);
    if (material.Song.Frames() == 0) {
        if (QProcessEnvironment::systemEnvironment().value(QStringLiteral("CI")) == u"true")
            FAIL() << "espeak-ng and sox are needed (scripts/bootstrap installs them)";
        GTEST_SKIP() << "espeak-ng or sox missing";
    }
    const std::vector<int> onsets = DetectOnsets(material.Song);
    std::mt19937 random(11);
    std::normal_distribution<double> error(40, 60);
    std::vector<int> before, after;
    for (int known : material.OnsetsMs) {
        const int tap = known + int(std::lround(error(random)));
        before.push_back(std::abs(tap - known));
        after.push_back(std::abs(SnapToOnset(onsets, tap, 60) - known));
    }
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_LE(after[after.size() / 2], before[before.size() / 2]);
}

TEST(OnsetSnap, TakesTheNearestOnsetWithinTheWindowUnlessAlreadyNearOne) {
    const std::vector<int> onsets{1000, 1100, 1300, 5000};
    struct Case {
        int time, window, expected, stay = 0;
    };
    const Case cases[] = {
        {1040, 60, 1000},
        {1060, 60, 1100},
        {1050, 60, 1000}, // equally near: the earlier
        {940, 60, 1000},
        {939, 60, 939},
        {1200, 60, 1200},
        {1239, 60, 1239},
        {1240, 60, 1300},
        {5060, 60, 5000},
        {5061, 60, 5061},
        {0, 60, 0},
        {1000, 0, 1000},
        {1001, 0, 1001},
        {3000, 1000, 3000},
        {3000, 2000, 1300},
        {1040, -1, 1040},
        // A stamp already near an onset stays; one just beyond moves.
        {1010, 60, 1010, 30},
        {1029, 60, 1029, 30},
        {1030, 60, 1000, 30},
        {970, 60, 1000, 30},
        {1150, 60, 1150, 60},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnapToOnset(onsets, c.time, c.window, c.stay), c.expected)
            << c.time << " " << c.window << " " << c.stay;
    EXPECT_EQ(SnapToOnset({}, 500, 60), 500);
}

} // namespace
