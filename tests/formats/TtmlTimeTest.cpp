// TTML time expressions against values worked out by hand from TTML2's grammar: every form it
// allows at the rates a document declares, the music players' shorter forms, and what it forbids.
#include "formats/TtmlReader.h"
#include "formats/TtmlTime.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

const QString Ttp = QStringLiteral("http://www.w3.org/ns/ttml#parameter");

TtmlRates RatesOf(std::initializer_list<std::pair<const char*, const char*>> attributes) {
    QXmlStreamAttributes tt;
    for (const auto& [name, value] : attributes)
        tt.append(Ttp, QString::fromLatin1(name), QString::fromLatin1(value));
    return TtmlRatesOf(tt);
}

} // namespace

TEST(TtmlTime, EveryFormAtTheDeclaredRates) {
    const TtmlRates plain;                      // 30 frames, 1 tick a second
    const TtmlRates pal{25, 2, 10000000};       // 25 frames of 2 sub-frames
    const TtmlRates ntsc{30.0 * 1000 / 1001, 1, 1}; // 29.97 frames
    struct Case {
        const char* text;
        TtmlRates rates;
        qint64 ms;
    } cases[] = {
        {"00:00:00", plain, 0},
        {"01:02:03", plain, 3723000},
        {"100:00:00", plain, 360000000},
        {"00:00:01.5", plain, 1500},
        {"00:01:02.0626", plain, 62063},
        {"00:00:00.0004", plain, 0},
        {"00:00:01:15", plain, 1500},
        {"00:00:01:29", plain, 1967},
        {"00:00:02:10", pal, 2400},
        {"00:00:01:10.1", pal, 1420},   // 10.5 frames of 40 ms
        {"00:00:00:10", ntsc, 334},     // 10 × 1001 / 30000 s
        {"00:01:00:29", ntsc, 60968},   // the 29.97 frame rate still has a frame 29
        {"2h", plain, 7200000},
        {"1.5h", plain, 5400000},
        {"3m", plain, 180000},
        {"0.25m", plain, 15000},
        {"12s", plain, 12000},
        {"1.5s", plain, 1500},
        {"1500ms", plain, 1500},
        {"0.6ms", plain, 1},
        {"90f", plain, 3000},
        {"60f", ntsc, 2002},
        {"100t", plain, 100000},
        {"15000000t", pal, 1500},
        {" 12s ", plain, 12000},
        {"99999999999h", plain, 2147483647},
        // The music players' dialect.
        {"01:02.500", plain, 62500},
        {"1:02.5", plain, 62500},
        {"75:00.000", plain, 4500000},
        {"12.345", plain, 12345},
        {"7", plain, 7000},
        {"1:00:00.000", plain, 3600000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTtmlTime(QString::fromLatin1(c.text), c.rates), c.ms) << c.text;

    const char* forbidden[] = {
        "", " ", "00:60:00", "00:00:75", "00:1:00", "00:00:1", "00:00:01,500", "00:00:01.",
        "00:00:01.5:10", "00:00:01:30", "00:00:01:5", "00:00:01:15.1", "01:02:03:04:05",
        "00:01:15:", ":00:01", "00:01:15:ab", "1.5.5s", ".5s", "1.s", "-1s", "+1s", "1e3ms",
        "1 s", "1S", "1sec", "1x", "infs", "nan", "0x10ms", "1,5s", "s", "ms", "12:", "1::2"};
    for (const char* text : forbidden)
        EXPECT_EQ(ParseTtmlTime(QString::fromLatin1(text), plain), std::nullopt) << text;
    EXPECT_EQ(ParseTtmlTime(QStringLiteral("00:00:00:30"), ntsc), std::nullopt);
    EXPECT_EQ(ParseTtmlTime(QString::fromUtf8("１s"), plain), std::nullopt);
}

TEST(TtmlTime, RatesFromTheDocumentWithTheirDefaults) {
    struct Case {
        TtmlRates got;
        double frameRate, subFrameRate, tickRate;
    } cases[] = {
        {RatesOf({}), 30, 1, 1},
        {RatesOf({{"frameRate", "25"}}), 25, 1, 25}, // ticks are sub-frames
        {RatesOf({{"frameRate", "25"}, {"subFrameRate", "4"}}), 25, 4, 100},
        {RatesOf({{"frameRate", "30"}, {"frameRateMultiplier", "1000 1001"}}), 30000.0 / 1001, 1,
         30000.0 / 1001},
        {RatesOf({{"frameRateMultiplier", "1000 1001"}}), 30000.0 / 1001, 1, 1},
        {RatesOf({{"tickRate", "10000000"}, {"frameRate", "24"}}), 24, 1, 10000000},
        {RatesOf({{"frameRate", "0"}, {"tickRate", "-3"}, {"subFrameRate", "x"}}), 30, 1, 1},
        {RatesOf({{"frameRate", "24"}, {"frameRateMultiplier", "1000"}}), 24, 1, 24},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.got.FrameRate, c.frameRate);
        EXPECT_DOUBLE_EQ(c.got.SubFrameRate, c.subFrameRate);
        EXPECT_DOUBLE_EQ(c.got.TickRate, c.tickRate);
    }
    // The reader counts a document's frames and ticks at its rates.
    const auto lyrics = ReadTtmlText(QStringLiteral(
        "<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:ttp=\"%1\" ttp:frameRate=\"30\" "
        "ttp:frameRateMultiplier=\"1000 1001\"><body><div><p begin=\"00:00:01:10\" "
        "end=\"300t\"><span begin=\"0f\">あ</span><span begin=\"60f\">い</span></p></div></body>"
        "</tt>").arg(Ttp));
    ASSERT_TRUE(lyrics);
    ASSERT_EQ(lyrics->Lines.size(), 1);
    EXPECT_EQ(lyrics->Lines[0].StartMs, 1334);
    EXPECT_EQ(lyrics->Lines[0].Words[1].StartMs, 1334 + 2002);
    EXPECT_EQ(lyrics->Lines[0].EndMs, 10010); // 300 ticks of 1001/30000 s from the div
}
