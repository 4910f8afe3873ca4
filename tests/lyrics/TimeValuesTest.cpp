// Time tags and the numbers read from lyrics files.
#include "lyrics/TimeValues.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

using namespace tavelkor;

namespace {

struct MsCase {
    int ms;
    const char* tag;
};

class MsToTagTest : public ::testing::TestWithParam<MsCase> {};

TEST_P(MsToTagTest, GivesTenCharacterTag) {
    EXPECT_EQ(MsToTag(GetParam().ms), QString::fromLatin1(GetParam().tag));
}

INSTANTIATE_TEST_SUITE_P(
    Values, MsToTagTest,
    ::testing::Values(
        MsCase{0, "[00:00:00]"}, MsCase{62030, "[01:02:03]"},
        // hundredths round to the nearest, halves to even
        MsCase{61005, "[01:01:00]"}, MsCase{61015, "[01:01:02]"}, MsCase{61025, "[01:01:02]"},
        MsCase{61035, "[01:01:04]"}, MsCase{61004, "[01:01:00]"}, MsCase{61006, "[01:01:01]"},
        // 99.5 hundredths would be 100: kept at 99 in the same second
        MsCase{61995, "[01:01:99]"}, MsCase{59999, "[00:59:99]"},
        // clamped to 0 .. 99:59.99
        MsCase{-20, "[00:00:00]"}, MsCase{std::numeric_limits<int>::min(), "[00:00:00]"},
        MsCase{5999990, "[99:59:99]"}, MsCase{5999999, "[99:59:99]"}, MsCase{6000000, "[99:59:99]"},
        MsCase{std::numeric_limits<int>::max(), "[99:59:99]"}));

TEST(TagToMsTest, ReadsDigitsOrGivesMinusOne) {
    EXPECT_EQ(TagToMs(u"[01:02:03]"), 62030);
    EXPECT_EQ(TagToMs(u"[99:59:99]"), 5999990);
    EXPECT_EQ(TagToMs(u"[00:75:00]"), 75000); // seconds beyond 59 read as written
    EXPECT_EQ(TagToMs(u"[aa:bb:cc]"), -1);
    EXPECT_EQ(TagToMs(u"[01:02:0x]"), -1);
    EXPECT_EQ(TagToMs(u"[0 :02:03]"), -1);
    EXPECT_EQ(TagToMs(u"[01:02]"), -1);
    EXPECT_EQ(TagToMs(QString::fromUtf8("[０１:02:03]")), -1); // full-width digits
}

TEST(TagToMsTest, RoundTripsEveryHundredthOfAMinute) {
    for (int ms = 0; ms < 60000; ms += 10)
        ASSERT_EQ(TagToMs(MsToTag(ms)), ms) << ms;
}

struct NumberCase {
    const char* text;
    std::optional<double> value;
};

class ParseNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTest, AcceptsOnlyPlainDecimalNumbers) {
    const auto result = ParseNumber(QString::fromUtf8(GetParam().text));
    ASSERT_EQ(result.has_value(), GetParam().value.has_value()) << GetParam().text;
    if (result)
        EXPECT_DOUBLE_EQ(*result, *GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ParseNumberTest,
    ::testing::Values(NumberCase{"1", 1.0}, NumberCase{"0.9953125", 0.9953125},
                      NumberCase{"-2000", -2000.0}, NumberCase{"+5", 5.0}, NumberCase{".5", 0.5},
                      NumberCase{"2.", 2.0}, NumberCase{"1e3", 1000.0}, NumberCase{"1.5E-2", 0.015},
                      NumberCase{"+2e+2", 200.0}, NumberCase{"  42  ", 42.0},
                      NumberCase{"", std::nullopt}, NumberCase{"   ", std::nullopt},
                      NumberCase{"1,5", std::nullopt}, NumberCase{"1.2.3", std::nullopt},
                      NumberCase{"12abc", std::nullopt}, NumberCase{"0x10", std::nullopt},
                      NumberCase{"1e", std::nullopt}, NumberCase{".", std::nullopt},
                      NumberCase{"+-1", std::nullopt}, NumberCase{"1 000", std::nullopt},
                      NumberCase{"\t1", std::nullopt}, NumberCase{"inf", std::nullopt},
                      NumberCase{"nan", std::nullopt},
                      NumberCase{"\xe3\x80\x80"
                                 "1",
                                 std::nullopt},                   // ideographic space
                      NumberCase{"\xef\xbc\x91", std::nullopt})); // full-width digit one

TEST(NumberLocaleTest, DecimalPointIsAlwaysADot) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto dot = ParseNumber(u"1.5");
    const auto comma = ParseNumber(u"1,5");
    const QString written = FormatNumber(0.5);
    QLocale::setDefault(saved);
    EXPECT_EQ(dot, 1.5);
    EXPECT_FALSE(comma.has_value());
    EXPECT_EQ(written, QStringLiteral("0.5"));
}

TEST(ParseInt32Test, RoundsHalvesToEven) {
    EXPECT_EQ(ParseInt32(u"2.5"), 2);
    EXPECT_EQ(ParseInt32(u"3.5"), 4);
    EXPECT_EQ(ParseInt32(u"-2.5"), -2);
    EXPECT_EQ(ParseInt32(u"-3.5"), -4);
    EXPECT_EQ(ParseInt32(u"2.51"), 3);
    EXPECT_EQ(ParseInt32(u" 1e3 "), 1000);
}

TEST(ParseInt32Test, RejectsValuesBeyond32Bits) {
    EXPECT_EQ(ParseInt32(u"2147483647"), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseInt32(u"-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseInt32(u"2147483647.4"), std::numeric_limits<int>::max());
    EXPECT_FALSE(ParseInt32(u"2147483648").has_value());
    EXPECT_FALSE(ParseInt32(u"2147483647.5").has_value()); // rounds to 2^31
    EXPECT_FALSE(ParseInt32(u"-2147483649").has_value());
    EXPECT_FALSE(ParseInt32(u"99999999999").has_value());
    EXPECT_FALSE(ParseInt32(u"1e400").has_value());
    EXPECT_FALSE(ParseInt32(u"x").has_value());
}

TEST(FormatNumberTest, ShortestFormWithFifteenDigitsAtMost) {
    EXPECT_EQ(FormatNumber(1), QStringLiteral("1"));
    EXPECT_EQ(FormatNumber(0.9953125), QStringLiteral("0.9953125"));
    EXPECT_EQ(FormatNumber(1.0 / 3.0), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(FormatNumber(-2000), QStringLiteral("-2000"));
    EXPECT_EQ(FormatNumber(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(RoundTrip15(0.1 + 0.2), 0.3);
    EXPECT_EQ(RoundTrip15(1.0 / 3.0), 0.333333333333333);
}

} // namespace
