// MPEG frame headers, frame lengths, Layer III side information, header frames and where the
// audio of a file starts.
#include "audio/MpegFrames.h"
#include "MpegFrameBuilder.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

struct HeaderCase {
    const char* name;
    FrameShape shape;
    int version, layer, bitrateKbps, samplingRate, frameLength, mainDataOffset;
};

class DecodeHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DecodeHeaderTest, GivesRateLengthAndMainDataOffset) {
    const HeaderCase& c = GetParam();
    MpegFrameHeader header;
    ASSERT_TRUE(DecodeFrameHeader(Bytes(HeaderBytes(c.shape)), header));
    EXPECT_EQ(header.Version, c.version);
    EXPECT_EQ(header.Layer, c.layer);
    EXPECT_EQ(header.Protection, c.shape.crc ? 0 : 1);
    EXPECT_EQ(header.BitrateIndex, c.shape.bitrateIndex);
    EXPECT_EQ(header.BitrateKbps, c.bitrateKbps);
    EXPECT_EQ(header.SamplingRate, c.samplingRate);
    EXPECT_EQ(header.Padding, c.shape.padding ? 1 : 0);
    EXPECT_EQ(header.ChannelMode, c.shape.channelMode);
    EXPECT_EQ(header.FrameLength, c.frameLength);
    EXPECT_EQ(header.MainDataOffset, c.mainDataOffset);
    EXPECT_EQ(FrameLength(header), c.frameLength);
    EXPECT_EQ(MainDataOffset(header), c.mainDataOffset);
}

// shape: version, layer, bitrate index, rate index, crc, padding, channel mode
INSTANTIATE_TEST_SUITE_P(
    Frames, DecodeHeaderTest,
    ::testing::Values(
        HeaderCase{"Mpeg1Layer3Stereo", {1, 3, 9, 0, false, false, 1}, 1, 3, 128, 44100, 417, 36},
        HeaderCase{
            "Mpeg1Layer3MonoPadded", {1, 3, 9, 0, false, true, 3}, 1, 3, 128, 44100, 418, 21},
        HeaderCase{"Mpeg1Layer3MonoCrc", {1, 3, 1, 1, true, false, 3}, 1, 3, 32, 48000, 96, 23},
        HeaderCase{
            "Mpeg1Layer3StereoCrc", {1, 3, 14, 2, true, false, 0}, 1, 3, 320, 32000, 1440, 38},
        HeaderCase{"Mpeg2Layer3Mono", {2, 3, 2, 0, false, false, 3}, 2, 3, 16, 22050, 52, 13},
        HeaderCase{
            "Mpeg2Layer3StereoPadded", {2, 3, 8, 1, false, true, 0}, 2, 3, 64, 24000, 193, 21},
        HeaderCase{"Mpeg25Layer3Mono", {3, 3, 1, 2, false, false, 3}, 3, 3, 8, 8000, 72, 13},
        HeaderCase{"Mpeg2Layer2", {2, 2, 8, 0, false, false, 1}, 2, 2, 64, 22050, 417, 4},
        HeaderCase{"Mpeg2Layer2Padded", {2, 2, 8, 0, false, true, 1}, 2, 2, 64, 22050, 418, 4},
        HeaderCase{"Mpeg1Layer2Crc", {1, 2, 14, 2, true, true, 0}, 1, 2, 384, 32000, 1729, 6},
        HeaderCase{"Mpeg25Layer2Longest", {3, 2, 14, 2, false, true, 3}, 3, 2, 160, 8000, 2881, 4},
        HeaderCase{"Mpeg1Layer1", {1, 1, 1, 0, false, false, 0}, 1, 1, 32, 44100, 32, 4},
        HeaderCase{"Mpeg1Layer1Padded", {1, 1, 1, 0, false, true, 0}, 1, 1, 32, 44100, 36, 4},
        HeaderCase{"Mpeg2Layer1Index11", {2, 1, 11, 0, false, false, 0}, 2, 1, 176, 22050, 380, 4},
        HeaderCase{"Mpeg25Layer1", {3, 1, 11, 1, false, false, 0}, 3, 1, 176, 12000, 704, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameHeaderTest, RefusesBitrateIndex15AndUnusableLayerOrRate) {
    MpegFrameHeader header;
    EXPECT_FALSE(DecodeFrameHeader(Bytes(HeaderBytes({1, 3, 15, 0})), header));
    EXPECT_FALSE(DecodeFrameHeader(Bytes(HeaderBytes({1, 3, 9, 3})), header));
    EXPECT_EQ(header.SamplingRate, 0);
    EXPECT_FALSE(DecodeFrameHeader(Bytes(HeaderBytes({1, 0, 9, 0})), header));
    // Free format: valid, but no length can be computed.
    ASSERT_TRUE(DecodeFrameHeader(Bytes(HeaderBytes({1, 3, 0, 0})), header));
    EXPECT_EQ(header.FrameLength, 0);
    // The sync is 11 bits, as MPEG-2.5 frames have it.
    EXPECT_TRUE(HasFrameSync(Bytes(QByteArray::fromHex("ffe00000"))));
    EXPECT_FALSE(HasFrameSync(Bytes(QByteArray::fromHex("ffc00000"))));
}

TEST(FrameHeaderTest, ReservedPatternsKeepThePreviousFrameValues) {
    MpegFrameHeader previous;
    ASSERT_TRUE(DecodeFrameHeader(Bytes(HeaderBytes({1, 2, 8, 1})), previous)); // 48 kHz
    MpegFrameHeader header;
    ASSERT_TRUE(DecodeFrameHeader(Bytes(HeaderBytes({1, 0, 8, 3})), header, &previous));
    EXPECT_EQ(header.Layer, 2);
    EXPECT_EQ(header.SamplingRate, 48000);
    EXPECT_EQ(header.FrameLength, 384);
    // The kept rate is halved again for an MPEG-2 frame.
    ASSERT_TRUE(DecodeFrameHeader(Bytes(HeaderBytes({2, 3, 8, 3})), header, &previous));
    EXPECT_EQ(header.SamplingRate, 24000);
    // A bitrate index of 15 is refused whatever came before.
    EXPECT_FALSE(DecodeFrameHeader(Bytes(HeaderBytes({1, 0, 15, 3})), header, &previous));
}

// Side information: every granule and channel of every layout must be looked at.
struct SideInfoCase {
    int version;
    int channelMode;
    int granule;
    int channel;
};

class SideInfoTest : public ::testing::TestWithParam<SideInfoCase> {};

TEST_P(SideInfoTest, OneCodedGranuleMakesTheFrameCarryBits) {
    const SideInfoCase& c = GetParam();
    for (const bool crc : {false, true}) {
        const FrameShape shape{c.version, 3, 8, 0, crc, false, c.channelMode};
        QByteArray frame = Frame(shape, 0x55);
        MpegFrameHeader header;
        ASSERT_TRUE(DecodeFrameHeader(Bytes(frame), header));
        EXPECT_TRUE(SideInfoCodesNoBits(frame, header));
        const int sideStart = crc ? 6 : 4;
        const int bit = Part23LengthBit(c.version, c.channelMode == 3, c.granule, c.channel);
        // The fields right after part2_3_length (big_values, global_gain) do not count.
        SetBits(frame, sideStart, bit + 12, 17, 0x1FFFF);
        EXPECT_TRUE(SideInfoCodesNoBits(frame, header));
        SetBits(frame, sideStart, bit, 12, 1);
        EXPECT_FALSE(SideInfoCodesNoBits(frame, header)) << "crc " << crc;
        SetBits(frame, sideStart, bit, 12, 0x800);
        EXPECT_FALSE(SideInfoCodesNoBits(frame, header)) << "crc " << crc;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SideInfoTest,
                         ::testing::Values(SideInfoCase{1, 3, 0, 0}, SideInfoCase{1, 3, 1, 0},
                                           SideInfoCase{1, 0, 0, 0}, SideInfoCase{1, 0, 0, 1},
                                           SideInfoCase{1, 1, 1, 0}, SideInfoCase{1, 2, 1, 1},
                                           SideInfoCase{2, 3, 0, 0}, SideInfoCase{2, 0, 0, 0},
                                           SideInfoCase{2, 1, 0, 1}, SideInfoCase{3, 3, 0, 0},
                                           SideInfoCase{3, 0, 0, 1}));

TEST(SideInfoLayoutTest, OnlyLayer3FramesLongEnoughQualify) {
    const QByteArray layer2 = Frame({1, 2, 8, 0});
    MpegFrameHeader header;
    ASSERT_TRUE(DecodeFrameHeader(Bytes(layer2), header));
    EXPECT_FALSE(SideInfoCodesNoBits(layer2, header));
    const QByteArray layer3 = ZeroFrame();
    ASSERT_TRUE(DecodeFrameHeader(Bytes(layer3), header));
    EXPECT_FALSE(SideInfoCodesNoBits(layer3.left(20), header)); // side information cut short
    EXPECT_TRUE(SideInfoCodesNoBits(layer3.left(21), header));
}

// Header frames: "Xing"/"Info" after the side information, "VBRI" at byte 36.
QByteArray WithTextAt(QByteArray frame, int offset, const QByteArray& text) {
    frame.replace(offset, text.size(), text);
    return frame;
}

TEST(VbrHeaderTest, FindsXingInfoAndVbriWhereEncodersPutThem) {
    const FrameShape stereo{1, 3, 9, 0, false, false, 0};
    const FrameShape mono{1, 3, 9, 0};
    const FrameShape mpeg2Mono{2, 3, 8, 0};
    const FrameShape mpeg2Stereo{2, 3, 8, 0, false, false, 1};
    struct Case {
        FrameShape shape;
        int offset;
        const char* text;
        bool found, vbr;
    };
    const Case cases[] = {
        {stereo, 36, "Xing", true, true},    {stereo, 21, "Xing", false, false},
        {mono, 21, "Info", true, false},     {mpeg2Stereo, 21, "Info", true, false},
        {mpeg2Mono, 13, "Xing", true, true}, {mono, 36, "VBRI", true, true},
        {stereo, 36, "VBRI", true, true},    {mono, 22, "Info", false, false},
    };
    for (const Case& c : cases) {
        const QByteArray frame = WithTextAt(Frame(c.shape), c.offset, c.text);
        MpegFrameHeader header;
        ASSERT_TRUE(DecodeFrameHeader(Bytes(frame), header));
        const VbrHeaderInfo info = ReadVbrHeader(frame, header);
        EXPECT_EQ(info.Found, c.found) << c.text << " at " << c.offset;
        EXPECT_EQ(info.Vbr, c.vbr) << c.text << " at " << c.offset;
    }
}

TEST(VbrHeaderTest, ReadsFrameAndByteCounts) {
    MpegFrameHeader header;
    const QByteArray xing =
        WithTextAt(ZeroFrame(), 21, QByteArray::fromHex("58696e670000000300000064000012c0"));
    ASSERT_TRUE(DecodeFrameHeader(Bytes(xing), header));
    VbrHeaderInfo info = ReadVbrHeader(xing, header);
    EXPECT_EQ(info.Frames, 100);
    EXPECT_EQ(info.Bytes, 4800);
    // Bytes only (flag 2): the first field is the byte count.
    info = ReadVbrHeader(WithTextAt(xing, 25, QByteArray::fromHex("00000002")), header);
    EXPECT_EQ(info.Frames, -1);
    EXPECT_EQ(info.Bytes, 100);
    // Fields announced but cut off by the end of the frame.
    info = ReadVbrHeader(xing.left(31), header);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.Frames, -1);
    EXPECT_EQ(info.Bytes, -1);
    const QByteArray vbri =
        WithTextAt(ZeroFrame(), 36, QByteArray::fromHex("5642524900010000004b0000abcd00000123"));
    info = ReadVbrHeader(vbri, header);
    EXPECT_EQ(info.Bytes, 0xabcd);
    EXPECT_EQ(info.Frames, 0x123);
    EXPECT_FALSE(ReadVbrHeader(vbri.left(53), header).Found);
}

// Where the audio starts: after ID3v2 tags, at a confirmed frame sync.
QByteArray Id3v2Tag(int size, int version = 3, int flags = 0) {
    QByteArray tag("ID3");
    tag.append(char(version)).append('\0').append(char(flags));
    for (int shift : {21, 14, 7, 0})
        tag.append(char((size >> shift) & 0x7F));
    return tag + QByteArray(size, 'x');
}

qint64 AudioStartOf(const QByteArray& bytes, qint64 from = 0) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return FindAudioStart(buffer, from);
}

TEST(AudioStartTest, StepsOverTagsAndToleratesStrayBytes) {
    const QByteArray frames = Repeat(ZeroFrame(), 3);
    EXPECT_EQ(AudioStartOf(frames), 0);
    EXPECT_EQ(AudioStartOf(Id3v2Tag(100) + frames), 110);
    EXPECT_EQ(AudioStartOf(Id3v2Tag(0) + frames), 10);
    // A version 4 tag with a footer: ten more bytes.
    EXPECT_EQ(AudioStartOf(Id3v2Tag(100, 4, 0x10) + QByteArray(10, 'f') + frames), 120);
    EXPECT_EQ(AudioStartOf(Id3v2Tag(50) + Id3v2Tag(60) + frames), 130);
    EXPECT_EQ(AudioStartOf(Id3v2Tag(20000) + frames), 20010); // beyond the search
    // Padding beyond the size the tag states, stray bytes before the first frame.
    EXPECT_EQ(AudioStartOf(Id3v2Tag(100) + QByteArray(300, '\0') + frames), 410);
    EXPECT_EQ(AudioStartOf(QByteArray("junk") + frames), 4);
    // From the data of an RMP file.
    EXPECT_EQ(AudioStartOf(QByteArray(20, 'R') + Id3v2Tag(5) + frames, 20), 35);
    // A tag that ends exactly at the end of the data leaves no audio.
    EXPECT_EQ(AudioStartOf(Id3v2Tag(100)), -1);
}

TEST(AudioStartTest, TagSizesThatLie) {
    const QByteArray frames = Repeat(ZeroFrame(), 3);
    QByteArray tooLong = Id3v2Tag(100) + frames;
    tooLong[7] = 0x7F; // about 2 MB
    EXPECT_EQ(AudioStartOf(tooLong), -1);
    // A size byte with its top bit set is no tag size; the frames are found by their sync.
    QByteArray badSize = Id3v2Tag(100) + frames;
    badSize[9] = char(0x80);
    EXPECT_EQ(AudioStartOf(badSize), 110);
    // Too small: the search runs through the tag's remaining bytes to the frames.
    QByteArray tooSmall = Id3v2Tag(100) + frames;
    tooSmall[9] = 40;
    EXPECT_EQ(AudioStartOf(tooSmall), 110);
}

TEST(AudioStartTest, ASyncInTheTagNeedsTheNextFrameToConfirmIt) {
    // A frame header inside the tag's text whose "next frame" is tag text.
    QByteArray tag = Id3v2Tag(200);
    tag.replace(30, 4, HeaderBytes({2, 3, 1, 0}));
    tag[8] = 0;
    tag[9] = 10; // the size lies: the header above lies past the stated end
    EXPECT_EQ(AudioStartOf(tag + Repeat(ZeroFrame(), 2)), 210);
    // Nothing but bytes that never form a confirmed frame.
    EXPECT_EQ(AudioStartOf(QByteArray(5000, char(0xFF))), -1);
    EXPECT_EQ(AudioStartOf(QByteArray(5000, 'a') + Repeat(ZeroFrame(), 2)), -1); // too far
    EXPECT_EQ(AudioStartOf(QByteArray("junk") + ZeroFrame().left(300)), -1); // runs past the end
    EXPECT_EQ(AudioStartOf(QByteArray()), -1);
    EXPECT_EQ(AudioStartOf(ZeroFrame(), 417), -1);
    EXPECT_EQ(AudioStartOf(ZeroFrame(), -1), -1);
}

// The library's MPEG information.
MpegInfoRecord InfoOf(const QByteArray& bytes, qint64 start = 0, bool* ok = nullptr) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    MpegInfoRecord info;
    const bool read = ReadMpegInfo(buffer, start, info);
    if (ok)
        *ok = read;
    return info;
}

TEST(MpegInfoTest, DescribesTheFirstAudioFrame) {
    bool ok = false;
    // 40 frames of 128 kbit/s at 44.1 kHz mono with CRC: 40 x 1152 samples = 1045 ms.
    MpegInfoRecord info = InfoOf(Repeat(Frame({1, 3, 9, 0, true}), 40), 0, &ok);
    ASSERT_TRUE(ok);
    const std::array<int32_t, 14> cbr{1, 3, 1, 128, 3, 1, 0, 0, 0, 1, 44100, 40, 1045, 0};
    EXPECT_EQ(info.Values, cbr);

    // An Info header frame at 48 kHz stereo in front: the tenth value is 0 and the rest comes
    // from the frame after it and the header's counts.
    const FrameShape stereo{1, 3, 9, 1, false, false, 1};
    const QByteArray header =
        WithTextAt(Frame(stereo), 36, QByteArray::fromHex("496e666f000000030000000a00000f00"));
    info = InfoOf(Id3v2Tag(30) + header + Repeat(Frame({2, 3, 8, 1}), 10), 40, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.FirstFrameIsAudio(), 0);
    EXPECT_EQ(info.SamplingRate(), 24000);
    EXPECT_EQ(info.Version(), 2);
    EXPECT_EQ(info.Channels(), 1);
    EXPECT_EQ(info.FrameCount(), 10);
    EXPECT_EQ(info.LengthMs(), 240);                       // 10 x 576 samples at 24 kHz
    EXPECT_EQ(info.Bitrate(), 3840 * 8 * 24000 / 5760000); // bytes over time: 128 kbit/s
    EXPECT_EQ(info.Vbr(), 0);
}

TEST(MpegInfoTest, FailsWithoutAFrameAndNeverReadsPastTheEnd) {
    bool ok = true;
    const MpegInfoRecord info = InfoOf(QByteArray("ID3 no frame here"), 0, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(info.Values, MpegInfoRecord{}.Values);
    InfoOf(HeaderBytes({1, 3, 15, 0}) + QByteArray(100, 0), 0, &ok);
    EXPECT_FALSE(ok);
    InfoOf(ZeroFrame(), 500, &ok);
    EXPECT_FALSE(ok);
    // A header frame cut short still reads as one.
    const QByteArray xing = WithTextAt(ZeroFrame(), 21, "Xing");
    EXPECT_EQ(InfoOf(xing.left(40), 0, &ok).FirstFrameIsAudio(), 0);
    EXPECT_TRUE(ok);
}

TEST(MpegInfoTest, RealFilesFromLame) {
    const QString dir = QStringLiteral(TAVELKOR_TEST_FIXTURES);
    struct Case {
        const char* name;
        qint64 audioStart;
        int firstFrameIsAudio, samplingRate, version, vbr;
    };
    const Case cases[] = {{"silence1000-cbr32-id3.mp3", 127, 1, 44100, 1, 0},
                          {"silence700-vbr.mp3", 0, 0, 32000, 1, 1},
                          {"silence1500-mpeg2-cbr16.mp3", 0, 1, 22050, 2, 0}};
    for (const Case& c : cases) {
        QFile file(dir + u'/' + QString::fromLatin1(c.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        ASSERT_EQ(FindAudioStart(file, 0), c.audioStart) << c.name;
        MpegInfoRecord info;
        ASSERT_TRUE(ReadMpegInfo(file, c.audioStart, info)) << c.name;
        EXPECT_EQ(info.FirstFrameIsAudio(), c.firstFrameIsAudio) << c.name;
        EXPECT_EQ(info.SamplingRate(), c.samplingRate) << c.name;
        EXPECT_EQ(info.Version(), c.version) << c.name;
        EXPECT_EQ(info.Vbr(), c.vbr) << c.name;
        EXPECT_EQ(info.Channels(), 1) << c.name;
        // Each song lasts its silence plus a 0.5 s tone, and the encoder adds less than 0.2 s.
        const int silenceMs = QString::fromLatin1(c.name).mid(7, 4).remove(u'-').toInt();
        EXPECT_GE(info.LengthMs(), silenceMs + 500) << c.name;
        EXPECT_LT(info.LengthMs(), silenceMs + 700) << c.name;
    }
}

} // namespace
