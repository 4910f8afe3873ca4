// Caption files written by other people and programs (the shared caption-samples folder, read
// in place): what x2t's readers take from each, written down from the format's rules and what
// its main reader (browsers, libass, ffmpeg, the word-timed TTML players) shows.
#include "FormatsTestHelpers.h"
#include "TimedLinesText.h"
#include "base/CaptionEncoding.h"
#include "base/TextFile.h"
#include "formats/WordFormats.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QString SamplesFolder =
    QStringLiteral(TAVELKOR_TEST_FIXTURES "/../../../../shared/caption-samples");

struct Sample {
    const char* file;
    int lines;                                     // how many lines it gives
    std::vector<std::pair<int, const char*>> some; // a few of them by index (from the end if < 0)
};

TEST(CaptionSamples, EachFileGivesTheLinesItsPlayersShow) {
    if (!QFileInfo(SamplesFolder).isDir()) {
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << "the caption samples are missing: " << SamplesFolder.toStdString();
        GTEST_SKIP() << "the caption samples are not here: " << SamplesFolder.toStdString();
    }
    const Sample samples[] = {
        // Word-timed TTML of the players' dialect, with and without its itunes:timing mark:
        // every time is on the song's clock, nested or not.
        {"ttml_amll_word_ja.ttml", 37, {{0, "20000-24260 あ/ま//り/に//突/然/す/ぎ/て"}}},
        {"ttml_amll_no_timing_attr.ttml",
         23,
         {{0, "21400-23870 低//等/动/物"},
          {-1, "212850-223700 穿/过/千/疮/百/孔 //却/透/出//星/星/点/点/火/种"}}},
        // SRT as ffmpeg shows it: tags of SubStation and MicroDVD hidden, "\N" a break.
        {"srt_capability_tester.srt",
         37,
         {{28, "52501-54500 Hide these tags:  also hide these tags:  but show this: {normal text}"},
          {29, "54501-60500  \\ N is a forced line break \\ h is a hard space Normal spaces at the "
               "start and at the end of the line are trimmed while hard spaces are not trimmed. "
               "The line will never break automatically right before or after a hard space. :-D"}}},
        // Caption files are UTF-8 unless they say otherwise, or else Windows-1252 as here.
        {"srt_windows1252.srt",
         1332,
         {{1, "27074-30566 CE FILM RELATE DES ÉVÉNEMENTS QUI ONT EXISTÉ."}}},
        {"srt_bom_utf16le.srt",
         7,
         {{0, "6500-9000 About 2 months ago I found myself on the comment section of YouTube"}}},
        {"vtt_cuetext_escape-characters_together.vtt",
         1,
         {{0, "0-2000 Some text < &> < &nb\u00a0 &am< \u200f&lr\u200e other stuff."}}},
        // Karaoke-template ASS: the sung lines are those with the effect "karaoke" (Comment
        // lines once the template ran, beside its Dialogue output), their "base|reading",
        // "base|<reading" and "#|reading" syllables readings; "{\\ko0}{\\-Z}！" a word sung
        // for no time.
        {"ass_afterglow_template.ass",
         39,
         {{0, "20000-24260 あ/ま//り/に//突/然/す/ぎ/て{突=とつ}{然=ぜん}"},
          {1, "24730-29090 涙/も//出/な/か/っ/た{涙=なみだ}{出=で}"}}},
        {"ass_railgun_furigana.ass",
         132,
         {{0, "13420-19960 放/て/！/心/に/刻/ん/だ/夢/を /未/来/さ/え/置/き/去/り/に/し/て"
              "{放=はな}{心=こころ}{刻=きざ}{夢=ゆめ}{未=み}{来=らい}{置=お}{去=ざ}"}}},
        {"ass_preview.ass", 6, {{0, "0-1660 手/机/中/Se/t/ /up//天/线{Se=/ˌse}{t=t}{up=ˈʌp/}"}}},
        {"ass_smog_template.ass", 2, {{0, "31250-33750 /Ma/chi-/a/ka/ri /ha/na/ya/ka"}}},
        // A timing line right under a cue's text starts the next cue, as browsers read it.
        {"vtt_file-layout_cue-spacing.vtt", 4, {{1, "2000-4000 Text"}, {2, "6000-8000 "}}},
    };
    for (const Sample& sample : samples) {
        const QString name = QString::fromUtf8(sample.file);
        const CaptionDecoded file = DecodeCaptionText(
            ReadFileBytes(SamplesFolder + u'/' + name, 0).Bytes, EncodingChoice::Auto);
        EXPECT_EQ(file.Undecodable, 0) << sample.file;
        const auto lyrics = ReadWordFormatText(file.Decoded.Text, QFileInfo(name).suffix());
        const QStringList all = LinesReading(lyrics).split(u'\n', Qt::SkipEmptyParts);
        if (qEnvironmentVariableIsSet("TAVELKOR_DUMP"))
            std::cout << "== " << name.toStdString() << " " << all.size() << "\n"
                      << all.join(u'\n').toStdString() << "\n";
        EXPECT_EQ(all.size(), sample.lines) << sample.file;
        for (const auto& [index, expected] : sample.some) {
            const qsizetype at = index < 0 ? all.size() + index : index;
            EXPECT_EQ(at >= 0 && at < all.size() ? all[at] : QString(), U(expected))
                << sample.file << " line " << index;
        }
    }
}

} // namespace
