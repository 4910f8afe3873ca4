// Lyrics in UTF-8 (with and without a byte order mark) and UTF-16 through every text mode:
// every character comes back, each output is written in its source's encoding, files
// rewritten in place keep their bytes outside the times, and characters an output encoding
// cannot hold are counted in the report instead of being lost silently.
#include "app/JsonReport.h"
#include "base/TextEncoding.h"
#include "formats/FormatsTestHelpers.h"
#include "lyrics/TimeValues.h"
#include "settings/SettingsIo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Kana, kanji, half-width katakana, letters, and characters CP932 cannot hold: a hanzi
// outside JIS, an emoji (a surrogate pair) and an accented letter.
const QString& Characters() {
    static const QString characters = U("あいうかきくアイウ漢字歌詞愛夢ｱｲｳabcXYZ019们😀é");
    return characters;
}

// A TimeTag document of line-head tags with strictly increasing times, and its lines' texts.
// No line starts with the whole text of the line before: karaoke merging would read it as the
// next step of that line.
struct Generated {
    QString Text;
    QStringList Lines;
};

Generated Generate(std::mt19937& random) {
    auto between = [&random](int low, int high) {
        return std::uniform_int_distribution(low, high)(random);
    };
    Generated generated;
    int ms = between(0, 300) * 10;
    const int lines = between(1, 12);
    for (int i = 0; i < lines; ++i) {
        QString text;
        const int length = between(1, 10);
        while (text.size() < length) {
            const qsizetype at = between(0, int(Characters().size()) - 1);
            // A surrogate pair is taken whole.
            const qsizetype start = Characters()[at].isLowSurrogate() ? at - 1 : at;
            text += Characters().mid(start, Characters()[start].isHighSurrogate() ? 2 : 1);
        }
        if (!generated.Lines.isEmpty() && text.startsWith(generated.Lines.back())) {
            --i;
            continue;
        }
        generated.Lines.append(text);
        generated.Text += MsToTag(ms) + text + QStringLiteral("\r\n");
        ms += between(1, 500) * 10;
    }
    return generated;
}

// The texts of the timed lines of a TimeTag file, whatever its encoding.
QStringList TimedTexts(const QString& path) {
    const LyricsDocument document = ParseDoc(DecodeText(ReadBytes(path)).Text);
    QStringList texts;
    for (const LyricsLine& line : document.Lines) {
        if (line.HasTimeTag)
            texts.append(line.PlainText);
    }
    return texts;
}

class EncodingRoundTrip : public ::testing::TestWithParam<TextEncoding> {};

TEST_P(EncodingRoundTrip, EveryCharacterComesBackInTheSourceEncoding) {
    const TextEncoding encoding = GetParam();
    std::mt19937 random(unsigned(encoding) + 11);
    for (int round = 0; round < 25; ++round) {
        const Generated generated = Generate(random);
        TestFolder folder;
        const QString source = folder.File("song.txt");
        ASSERT_TRUE(WriteBytes(source, EncodeText(generated.Text, encoding).Bytes));
        // Through SAMI and through DSMP, and back: every output is in the source's encoding.
        for (const auto& [there, back, output, returned] :
             {std::tuple{ModeTimeTagToSami, ModeSamiToTimeTag, "song.smi", "song.txt"},
              std::tuple{ModeTimeTagToDsmp, ModeDsmpToTimeTag, "song.lyrics", "song.txt"}}) {
            Settings settings;
            settings.Init.TimeRatio = 1;
            settings.T2D.ExtNew = 3; // "lyrics", so that it is not read back as the source
            settings.D2T.ExtOrg = 3;
            const QString copy = folder.File("copy.txt");
            ASSERT_TRUE(WriteBytes(copy, ReadBytes(source)));
            BatchState state = RunDriver(there, {source}, settings);
            ASSERT_EQ(state.Results.value(0).Code, Converted) << output;
            EXPECT_EQ(DecodeText(ReadBytes(folder.File(output))).Encoding, encoding) << output;
            EXPECT_EQ(state.Results[0].Replaced, 0);
            state = RunDriver(back, {folder.File(output)}, settings);
            ASSERT_EQ(state.Results.value(0).Code, Converted) << output;
            EXPECT_EQ(DecodeText(ReadBytes(folder.File(returned))).Encoding, encoding);
            EXPECT_EQ(TimedTexts(folder.File(returned)), generated.Lines) << output;
            ASSERT_TRUE(WriteBytes(source, ReadBytes(copy)));
        }
        // TimeTag to TimeTag in place, then the time shift in place: the encoding and its
        // byte order mark stay, and so does every byte but the times'.
        Settings settings;
        RunDriver(ModeTimeTagToTimeTag, {source}, settings);
        const QByteArray rewritten = ReadBytes(source);
        EXPECT_TRUE(rewritten.startsWith(ByteOrderMark(encoding)));
        EXPECT_EQ(TimedTexts(source), generated.Lines);
        struct ShiftBy : NoQuestions {
            ShiftAnswer AskShift(const QString&, int) override { return {false, 1230, true}; }
        } shift;
        BatchState state;
        state.DroppedFiles = {source};
        RunMode(ModeTimeShift, state, settings, shift);
        ASSERT_EQ(state.Results.value(0).Code, Converted);
        const DecodedText shifted = DecodeText(ReadBytes(source));
        EXPECT_EQ(shifted.Encoding, encoding);
        const DecodedText before = DecodeText(rewritten);
        QString expected = before.Text;
        for (qsizetype at = FindTimeTag(expected); at >= 0; at = FindTimeTag(expected, at + 10))
            expected.replace(at, 10, MsToTag(TagToMs(expected.mid(at, 10)) + 1230));
        EXPECT_EQ(shifted.Text, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, EncodingRoundTrip,
                         ::testing::Values(TextEncoding::Utf8, TextEncoding::Utf8Bom,
                                           TextEncoding::Utf16Le, TextEncoding::Utf16Be));

TEST(EncodingReport, ReplacedCharactersAreCountedAndNamedInEveryReport) {
    TestFolder folder;
    const QString utf8 = folder.File("utf8.txt");
    const QString cp932 = folder.File("cp932.txt");
    ASSERT_TRUE(WriteBytes(utf8, U("[00:01:00]歌😀们é\r\n").toUtf8()));
    ASSERT_TRUE(WriteBytes(cp932, EncodeCp932(U("[00:01:00]歌\r\n"))));
    Settings settings;
    settings.Init.OutputEncoding = OutputEncodingChoice::Cp932;
    const BatchState state = RunDriver(ModeTimeTagToSami, {utf8, cp932}, settings);
    ASSERT_EQ(state.Results.size(), 2);
    EXPECT_EQ(state.Results[0].Replaced, 3);
    EXPECT_EQ(state.Results[1].Replaced, 0);
    EXPECT_TRUE(ReadBytes(folder.File("utf8.smi")).contains("\x89\xcc???"));
    const QStringList lines = MakeResultReport(state).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.value(2), U("utf8.txt  : 00.変換成功（CP932にない文字 3字を?で保存）"));
    EXPECT_EQ(lines.value(3), U("cp932.txt : 00.変換成功"));

    const QJsonObject json =
        QJsonDocument::fromJson(MakeJsonReport(ModeTable()[0], state)).object();
    EXPECT_EQ(json[QStringLiteral("mode")].toString(), QStringLiteral("t2s"));
    const QJsonArray files = json[QStringLiteral("files")].toArray();
    ASSERT_EQ(files.size(), 2);
    const QJsonObject first = files[0].toObject();
    EXPECT_EQ(first[QStringLiteral("path")].toString(), utf8);
    EXPECT_EQ(first[QStringLiteral("output")].toString(), folder.File("utf8.smi"));
    EXPECT_EQ(first[QStringLiteral("code")].toInt(), 0);
    EXPECT_EQ(first[QStringLiteral("inputEncoding")].toString(), QStringLiteral("UTF-8"));
    EXPECT_EQ(first[QStringLiteral("encodingReason")].toString(), QStringLiteral("valid UTF-8"));
    EXPECT_EQ(first[QStringLiteral("replaced")].toInt(), 3);
    EXPECT_EQ(files[1].toObject()[QStringLiteral("encodingReason")].toString(),
              QStringLiteral("CP932 by default"));
}

TEST(EncodingSettings, StoredFormsAndTheUsersOverride) {
    struct Case {
        const char* input;
        const char* output;
        EncodingChoice wantInput;
        OutputEncodingChoice wantOutput;
    };
    for (const Case& c :
         {Case{"UTF-8", "UTF-8-BOM", EncodingChoice::Utf8, OutputEncodingChoice::Utf8Bom},
          Case{"CP932", "CP932", EncodingChoice::Cp932, OutputEncodingChoice::Cp932},
          Case{"Latin-1", "UTF-16", EncodingChoice::Auto, OutputEncodingChoice::Source},
          Case{"", "", EncodingChoice::Auto, OutputEncodingChoice::Source}}) {
        Settings settings;
        QString error;
        SetSettingFromText(settings, QStringLiteral("Init"), QStringLiteral("InputEncoding"),
                           U(c.input), error);
        SetSettingFromText(settings, QStringLiteral("Init"), QStringLiteral("OutputEncoding"),
                           U(c.output), error);
        EXPECT_EQ(settings.Init.InputEncoding, c.wantInput) << c.input;
        EXPECT_EQ(settings.Init.OutputEncoding, c.wantOutput) << c.output;
    }
    // Read as the user says: a CP932 file that happens to be valid UTF-8 stays CP932.
    TestFolder folder;
    const QString source = folder.File("song.txt");
    ASSERT_TRUE(WriteBytes(source, QByteArray("[00:01:00]\xe3\x81\xa1\r\n")));
    Settings settings;
    settings.Init.InputEncoding = EncodingChoice::Cp932;
    const BatchState state = RunDriver(ModeTimeTagToSami, {source}, settings);
    EXPECT_EQ(state.Results.value(0).EncodingReason, QStringLiteral("set by the user"));
    EXPECT_TRUE(ReadBytes(folder.File("song.smi")).contains("\xe3\x81\xa1"));
}

} // namespace
