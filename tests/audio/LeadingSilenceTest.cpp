// Measuring the leading silence of a song: the frame walk on frames built here, on small real
// MP3 files made with LAME, and the whole measurement on files.
#include "audio/LeadingSilence.h"
#include "MpegFrameBuilder.h"
#include "TestFiles.h"
#include "audio/MpegFrames.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

int Walk(const QByteArray& bytes, bool stepOverFirst = false, int tolerance = 5, qint64 start = 0,
         qint64 end = -1) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return CountSilentFramesFrom(buffer, start, stepOverFirst, tolerance, end);
}

// A frame whose main data holds `count` bytes 0x01 at its end, with coded bits so that only
// the byte test can find it silent.
QByteArray FrameWithBytes(int count, const FrameShape& shape = FrameShape{}) {
    QByteArray frame = Frame(shape, 0, true);
    for (int i = 0; i < count; ++i)
        frame[frame.size() - 1 - i] = 0x01;
    return frame;
}

QByteArray WithByte(QByteArray frame, int offset, char value) {
    frame[offset] = value;
    return frame;
}

// The header bytes of `shape` followed by zeros up to `length` bytes.
QByteArray RawFrame(const FrameShape& shape, int length) {
    return HeaderBytes(shape) + QByteArray(length - 4, '\0');
}

QByteArray XingFrame() {
    QByteArray frame = ZeroFrame();
    frame.replace(21, 4, "Xing");
    return frame;
}

struct WalkCase {
    const char* name;
    QByteArray bytes;
    int expected;
    bool stepOverFirst = false;
    int tolerance = 5;
};

class FrameWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(FrameWalkTest, CountsFramesBeforeTheFirstSound) {
    const WalkCase& c = GetParam();
    EXPECT_EQ(Walk(c.bytes, c.stepOverFirst, c.tolerance), c.expected);
}

const FrameShape CodedFF{};
const FrameShape Mpeg2Layer2{2, 2, 8, 0};
const FrameShape Mpeg2Layer2Padded{2, 2, 8, 0, false, true};
const FrameShape Mpeg1Layer2Crc{1, 2, 9, 0, true};

INSTANTIATE_TEST_SUITE_P(
    Silence, FrameWalkTest,
    ::testing::Values(
        WalkCase{"ZeroMainData", Repeat(ZeroFrame(), 3) + SoundFrame(), 3},
        WalkCase{"ZeroAndFFMainDataWithCodedBits",
                 Frame(CodedFF, char(0xFF), true) + Frame(CodedFF, 0, true) + SoundFrame(), 2},
        WalkCase{"LameFillerWithoutCodedBits", Repeat(LameSilentFrame(), 4) + SoundFrame(), 4},
        WalkCase{"MixedSilence",
                 ZeroFrame() + LameSilentFrame() + FrameWithBytes(0) + LameSilentFrame() +
                     SoundFrame() + ZeroFrame(),
                 4},
        WalkCase{"OneByteEndsTheCount", ZeroFrame() + FrameWithBytes(1) + ZeroFrame(), 1},
        // Main data of a single-channel MPEG-1 Layer III frame without CRC starts at byte 21.
        WalkCase{"MainDataStartsAtByte21",
                 WithByte(FrameWithBytes(0), 20, 0x01) + WithByte(FrameWithBytes(0), 21, 0x01), 1},
        WalkCase{"OnlySilentFrames", Repeat(ZeroFrame(), 5) + LameSilentFrame(), 0},
        WalkCase{"SoundFirst", SoundFrame() + ZeroFrame() + SoundFrame(), 0},
        WalkCase{"Layer2BytesOnly",
                 Frame(Mpeg1Layer2Crc) + Frame(Mpeg1Layer2Crc, char(0xFF)) +
                     FrameWithBytes(1, Mpeg1Layer2Crc),
                 2},
        WalkCase{"Layer2FillerIsSound", Frame(Mpeg1Layer2Crc) + Frame(Mpeg1Layer2Crc, 0x55), 1},
        // The CRC and the side information are no main data.
        WalkCase{"BytesBeforeMainDataIgnored",
                 Frame(CodedFF, 0, true) + SoundFrame().left(21) + QByteArray(396, '\0') +
                     SoundFrame(),
                 2},
        // Frame lengths decide where the next frame is: 417/418 for MPEG-2 Layer II.
        WalkCase{"Mpeg2Layer2Lengths",
                 Frame(Mpeg2Layer2) + Frame(Mpeg2Layer2Padded) + Frame(Mpeg2Layer2) +
                     FrameWithBytes(1, Mpeg2Layer2),
                 3},
        WalkCase{"Mpeg2Layer3Lame",
                 Repeat(Frame({2, 3, 2, 0}, 0x55), 3) + Frame({2, 3, 2, 0, false, true}, 0x55) +
                     Frame({2, 3, 2, 0}, 0x55, true),
                 4},
        // A header frame in front is stepped over and counted.
        WalkCase{"StepOverHeaderThenSound", XingFrame() + SoundFrame(), 1, true},
        WalkCase{"StepOverSoundFrame", SoundFrame() + SoundFrame(), 1, true},
        WalkCase{"StepOverThenSilence", XingFrame() + Repeat(LameSilentFrame(), 2) + SoundFrame(),
                 3, true},
        // Tolerance: the allowance is floor(tolerance / 100 x -8) bytes.
        WalkCase{"Tolerance0", ZeroFrame() + FrameWithBytes(1) + SoundFrame(), 1, false, 0},
        WalkCase{"ToleranceMinus25Allows2",
                 FrameWithBytes(2) + FrameWithBytes(1) + FrameWithBytes(3) + SoundFrame(), 2, false,
                 -25},
        WalkCase{"ToleranceMinus12Allows0", FrameWithBytes(0) + FrameWithBytes(1) + SoundFrame(), 1,
                 false, -12},
        // Reserved patterns keep the layer and rate of the frame before.
        WalkCase{"RateField3KeepsRate",
                 ZeroFrame() + RawFrame({1, 3, 9, 3}, 417) + RawFrame({1, 0, 9, 0}, 417) +
                     SoundFrame(),
                 3},
        // Every failure gives no silence.
        WalkCase{"RateField3InFirstFrame", RawFrame({1, 3, 9, 3}, 417) + SoundFrame(), 0},
        WalkCase{"BitrateIndex15",
                 Repeat(ZeroFrame(), 2) + RawFrame({1, 3, 15, 0}, 417) + SoundFrame(), 0},
        WalkCase{"BitrateIndex15SteppedOver", RawFrame({1, 3, 15, 0}, 417) + SoundFrame(), 0, true},
        WalkCase{"FreeFormat", ZeroFrame() + RawFrame({1, 3, 0, 0}, 417) + SoundFrame(), 0},
        WalkCase{"TruncatedSoundFrame", Repeat(ZeroFrame(), 2) + SoundFrame().left(416), 0},
        WalkCase{"LostSync", Repeat(ZeroFrame(), 2) + QByteArray("TAG") + SoundFrame(), 0},
        WalkCase{"TrailingTag", Repeat(ZeroFrame(), 2) + QByteArray("TAG") + QByteArray(125, 'a'),
                 0},
        WalkCase{"Empty", QByteArray(), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameWalkLimitsTest, StartEndAndLongestSilence) {
    const QByteArray frames = Repeat(ZeroFrame(), 2) + SoundFrame();
    EXPECT_EQ(Walk(QByteArray(20, 'R') + frames, false, 5, 20), 2);
    EXPECT_EQ(Walk(frames, false, 5, 417), 1);
    EXPECT_EQ(Walk(frames, false, 5, 0, 834), 0); // the sound frame lies past the end
    EXPECT_EQ(Walk(frames, false, 5, 0, 1250), 0);
    EXPECT_EQ(Walk(frames, false, 5, 0, 1251), 2);
    EXPECT_EQ(Walk(frames, false, 5, -4), 0);
    EXPECT_EQ(Walk(frames, false, 5, 5000), 0);
    // Layer I frames of 32 bytes: 32767 silent frames are counted, one more is too many.
    const QByteArray silent = Frame({1, 1, 1, 0});
    const QByteArray sound = FrameWithBytes(1, {1, 1, 1, 0});
    EXPECT_EQ(Walk(Repeat(silent, MaxSilentFrames) + sound), MaxSilentFrames);
    EXPECT_EQ(Walk(Repeat(silent, MaxSilentFrames + 1) + sound), 0);
}

// Hostile bytes: damaged copies of a real-looking stream never crash, hang or read outside the
// data, and always end in a count within range.
TEST(FrameWalkLimitsTest, DamagedStreamsEndInARangedCount) {
    const QByteArray tag = QByteArray("ID3\3\0\0\0\0\0\x20", 10) + QByteArray(32, 'x');
    const QByteArray base = tag + XingFrame() + Repeat(LameSilentFrame(), 3) + Frame({2, 2, 8, 0}) +
                            Repeat(SoundFrame(), 2);
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = base;
        const int changes = 1 + int(random() % 12);
        for (int i = 0; i < changes; ++i)
            bytes[int(random() % bytes.size())] = char(random());
        bytes.truncate(int(random() % (bytes.size() + 1)));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const qint64 start = FindAudioStart(buffer, 0);
        ASSERT_LT(start, bytes.size());
        const int count = CountSilentFramesFrom(buffer, std::max<qint64>(start, 0), round % 2 == 1,
                                                5 - round % 40);
        ASSERT_GE(count, 0);
        ASSERT_LE(count, 6);
        MpegInfoRecord info;
        ReadMpegInfo(buffer, std::max<qint64>(start, 0), info);
        ASSERT_GE(info.Values[11], 0);
    }
}

// The whole measurement on files, with the library's file kind and MPEG information.

// Real files from LAME: silence then a tone, made by fixtures/make-fixtures.
struct RealFile {
    const char* name;
    double silenceSeconds;
};

const RealFile RealFiles[] = {{"silence1000-cbr32-id3.mp3", 1.0},
                              {"silence700-vbr.mp3", 0.7},
                              {"silence1500-mpeg2-cbr16.mp3", 1.5}};

QString FixturePath(const char* name) {
    return QStringLiteral(TAVELKOR_TEST_FIXTURES) + u'/' + QString::fromLatin1(name);
}

// The silence a file was made with, in frames of that file.
double SilenceInFrames(QIODevice& file, qint64 audioStart, double seconds) {
    uchar bytes[4];
    file.seek(audioStart);
    file.read(reinterpret_cast<char*>(bytes), 4);
    MpegFrameHeader header;
    DecodeFrameHeader(bytes, header);
    return seconds * header.SamplingRate / SamplesPerFrame(header);
}

// An RMP file holding `mp3`: the `data` chunk first, then a LIST chunk.
QByteArray RmpOf(const QByteArray& mp3) {
    auto le32 = [](qint64 value) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    QByteArray data = "data" + le32(mp3.size()) + mp3;
    if (mp3.size() % 2)
        data.append('\0');
    const QByteArray info = QByteArray("INFO") + "INAM" + le32(6) + QByteArray("Title", 6);
    const QByteArray list = "LIST" + le32(info.size()) + info;
    const QByteArray body = "RMP3" + data + list;
    return "RIFF" + le32(body.size()) + body;
}

TEST(LeadingSilenceTest, RealFilesAsMp3AndAsRmp) {
    TestFolder folder;
    for (const RealFile& real : RealFiles) {
        const QByteArray mp3 = ReadBytes(FixturePath(real.name));
        ASSERT_FALSE(mp3.isEmpty()) << real.name;
        QBuffer buffer;
        buffer.setData(mp3);
        buffer.open(QIODevice::ReadOnly);
        const double expected =
            SilenceInFrames(buffer, FindAudioStart(buffer, 0), real.silenceSeconds);

        const QString mp3Path = folder.File(real.name);
        const QString rmpPath =
            folder.File(QString::fromLatin1(real.name) + QStringLiteral(".rmp"));
        const QByteArray rmp = RmpOf(mp3);
        ASSERT_TRUE(WriteBytes(mp3Path, mp3));
        ASSERT_TRUE(WriteBytes(rmpPath, rmp));
        EXPECT_NEAR(CountLeadingSilentFrames(mp3Path, 5), expected, 1.0) << real.name;
        EXPECT_NEAR(CountLeadingSilentFrames(rmpPath, 5), expected, 1.0) << real.name;
        EXPECT_EQ(ReadBytes(mp3Path), mp3) << real.name;
        EXPECT_EQ(ReadBytes(rmpPath), rmp) << real.name;
    }
}

TEST(LeadingSilenceTest, HeaderFrameInFrontCountsAsOneSilentFrame) {
    TestFolder folder;
    // A header frame that the frame tests alone would take for sound: only the library's
    // tenth value makes it count.
    QByteArray header = SoundFrame();
    header.replace(21, 4, "Xing");
    const QString withHeader = folder.File("header.mp3");
    ASSERT_TRUE(WriteBytes(withHeader, header + SoundFrame() + SoundFrame()));
    EXPECT_EQ(CountLeadingSilentFrames(withHeader, 5), 1);
    const QString soundFirst = folder.File("sound.mp3");
    ASSERT_TRUE(WriteBytes(soundFirst, Repeat(SoundFrame(), 3)));
    EXPECT_EQ(CountLeadingSilentFrames(soundFirst, 5), 0);
    const QString tagged = folder.File("tagged.mp3");
    const QByteArray tag = QByteArray("ID3\4\0\0\0\0\0\x40", 10) + QByteArray(64, '\0');
    ASSERT_TRUE(WriteBytes(tagged, tag + Repeat(LameSilentFrame(), 4) + SoundFrame()));
    EXPECT_EQ(CountLeadingSilentFrames(tagged, 5), 4);
}

TEST(LeadingSilenceTest, BadFilesGiveNoSilenceAndStayUnchanged) {
    TestFolder folder;
    EXPECT_EQ(CountLeadingSilentFrames(folder.File("missing.mp3"), 5), 0);
    EXPECT_EQ(CountLeadingSilentFrames(QString(), 5), 0);
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("x.mp3")));
    EXPECT_EQ(CountLeadingSilentFrames(folder.File("x.mp3"), 5), 0);

    const QByteArray frames = Repeat(LameSilentFrame(), 2) + SoundFrame();
    QByteArray tagPastEnd = QByteArray("ID3\3\0\0\x7f\0\0\0", 10) + frames;
    QByteArray rmpPastEnd = RmpOf(frames);
    rmpPastEnd.replace(16, 4, QByteArray("\xff\xff\xff\x0f", 4)); // data size past the end
    const QByteArray files[] = {
        QByteArray(),
        QByteArray("not audio at all"),
        tagPastEnd,
        rmpPastEnd,
        RmpOf(QByteArray()),
        Repeat(ZeroFrame(), 2) + RawFrame({1, 3, 15, 0}, 417) + SoundFrame(),
        RawFrame({1, 3, 9, 3}, 417) + SoundFrame(),
        Repeat(LameSilentFrame(), 3) + SoundFrame().left(100),
    };
    int index = 0;
    for (const QByteArray& bytes : files) {
        const QString path = folder.File(QStringLiteral("bad%1.mp3").arg(index++));
        ASSERT_TRUE(WriteBytes(path, bytes));
        EXPECT_EQ(CountLeadingSilentFrames(path, 5), 0) << index;
        EXPECT_EQ(ReadBytes(path), bytes) << index;
    }
}

} // namespace
