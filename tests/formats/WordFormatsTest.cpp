// ASS, TTML, WebVTT and SRT: generated TimeTag documents written and read back, each format
// keeping exactly what the loss table of the manual says; and hostile input for every reader.
#include "formats/WordFormats.h"
#include "CaptionDocuments.h"
#include "FormatsTestHelpers.h"
#include "formats/AssWriter.h"
#include "formats/CaptionText.h"
#include "lyrics/TimeTagWriter.h"
#include "modes/ModeSteps.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Every line's fragments as "time:text" and its readings at its time as "{from+length=reading}",
// and the title and artist.
QString Reading(const LyricsDocument& document) {
    QStringList out;
    for (int i = 0; i < document.LineCount(); ++i) {
        const LyricsLine& line = document.Lines[i];
        if (line.IsDirective || !line.HasTimeTag)
            continue;
        QString s = line.Fragments[0].Text;
        for (int f = 1; f <= line.FragmentCount(); ++f)
            s += QStringLiteral("<%1>").arg(line.Fragments[f].TimeMs) + line.Fragments[f].Text;
        if (line.FragmentCount() > 0)
            for (const RubySpan& span : RubyFor(document, i, line.Fragments[1].TimeMs))
                s +=
                    QStringLiteral("{%1+%2=").arg(span.From).arg(span.Length) + span.Reading + u'}';
        out << s;
    }
    return out.join(u'\n') + u'\n' + document.Header.Title + u'|' + document.Header.Artist;
}

std::optional<TimedLyrics> ReadBack(WordFormat format, const QString& text) {
    return ReadWordFormatText(text, WordFormatName(format));
}

TEST(WordFormats, GeneratedLyricsComeBackWithWhatEachFormatKeeps) {
    const WordFormatOptions options{{U("IPAGothic"), 48, U("#FFFF00"), U("#C0C0C0"), U("kf"), 1},
                                    U("ja")};
    for (int seed = 1; seed <= 60; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 7919};
        LyricsDocument document = ParseDoc(WithRuby(generate, CaptionTimeTag(generate)));
        ToRealTimes(document, DefaultRatio); // real milliseconds, not only hundredths
        const TimedLyrics timed = TimedLyricsOf(document, 3000);
        // Without a format in between, the document is what it was.
        ASSERT_EQ(Reading(DocumentOfTimedLyrics(timed)), Reading(document)) << "document " << seed;
        for (const WordFormat format :
             {WordFormat::Ass, WordFormat::Ttml, WordFormat::Vtt, WordFormat::Srt}) {
            WordFormatOptions varied = options;
            varied.Ass.Karaoke = QStringList{U("kf"), U("k"), U("ko")}[seed % 3];
            varied.Ass.Furigana = seed % 2 == 0;
            const QString text = MakeWordFormatText(format, timed, varied);
            const std::optional<TimedLyrics> back = ReadBack(format, text);
            ASSERT_TRUE(back) << "document " << seed << " " << WordFormatName(format).toStdString();
            EXPECT_EQ(Reading(DocumentOfTimedLyrics(*back)),
                      Reading(DocumentOfTimedLyrics(Kept(format, timed, varied.Ass.Furigana))))
                << "document " << seed << " " << WordFormatName(format).toStdString() << "\n"
                << text.toStdString();
        }
    }
}

// Readings at the edges: each writer's text holds what it should, and reads back to the same
// readings where the format keeps them.
TEST(WordFormats, RubyEdgeCasesInEachWriter) {
    const QString until = U("@Ruby1=為替,かわせ,,[00:02:00]\r\n[00:01:00]為替[00:01:50]だ\r\n"
                            "[00:03:00]為替[00:03:50]だ\r\n");
    const QString twice = U("@Ruby1=為替,かわせ\r\n@Ruby2=為替,いかわせ\r\n"
                            "[00:01:00]為替[00:01:20]と[00:01:40]為替[00:02:00]\r\n");
    const QString crossing = U("@Ruby1=為替,かわせ\r\n[00:01:00]の為[00:01:50]替[00:02:00]\r\n");
    const QString marks = U("@Ruby1=歌,&<>\r\n[00:01:00]歌[00:01:50]だ[00:02:00]\r\n");
    const struct {
        const QString& timeTag;
        WordFormat format;
        QStringList present;
        QStringList absent;
    } cases[] = {
        {until,
         WordFormat::Vtt,
         {U("<ruby><c>為替</c><rt>かわせ</rt></ruby><00:01.500><c>だ</c>"),
          U("\r\n<c>為替</c><00:03.500><c>だ</c>")},
         {}},
        {until,
         WordFormat::Ttml,
         {U("tts:ruby=\"text\">かわせ")},
         {U("L2\" ttm:agent=\"v1\"><span tts:ruby")}},
        {until, WordFormat::Ass, {U("}為替|かわせ{"), U("}為替{")}, {}},
        {twice,
         WordFormat::Vtt,
         {U("<ruby><c>為替</c><rt>かわせ</rt></ruby><00:01.200><c>と</c><00:01.400><ruby><c>為替</"
            "c>"
            "<rt>いかわせ</rt></ruby>")},
         {}},
        {twice, WordFormat::Ass, {U("}為替|かわせ{"), U("}為替|いかわせ\r\n")}, {}},
        {crossing,
         WordFormat::Vtt,
         {U("<c>の</c><ruby><c>為</c><00:01.500><c>替</c><rt>かわせ</rt></ruby>")},
         {}},
        {crossing,
         WordFormat::Ttml,
         {U("<span begin=\"00:00:01.000\" end=\"00:00:01.500\">の</span><span "
            "tts:ruby=\"container\"><span tts:ruby=\"base\"><span begin=\"00:00:01.000\" "
            "end=\"00:00:01.500\">為</span><span begin=\"00:00:01.500\" end=\"00:00:02.000\">"
            "替</span></span><span begin=\"00:00:01.000\" end=\"00:00:02.000\" "
            "tts:ruby=\"text\">かわせ</span></span>")},
         {U("Container")}},
        {crossing, WordFormat::Ass, {}, {U("|")}},
        {crossing, WordFormat::Srt, {}, {U("かわせ")}},
        {marks, WordFormat::Ttml, {U("tts:ruby=\"text\">&amp;&lt;&gt;</span>")}, {}},
        {marks, WordFormat::Vtt, {U("<ruby><c>歌</c><rt>&amp;&lt;&gt;</rt></ruby>")}, {}},
        {marks, WordFormat::Ass, {U("}歌|&<>{")}, {}},
    };
    for (const auto& c : cases) {
        LyricsDocument document = ParseDoc(c.timeTag);
        const TimedLyrics timed = TimedLyricsOf(document, 3000);
        WordFormatOptions options;
        options.Ass.Furigana = true;
        const QString text = MakeWordFormatText(c.format, timed, options);
        const std::string where =
            WordFormatName(c.format).toStdString() + "\n" + text.toStdString();
        for (const QString& present : c.present)
            EXPECT_TRUE(text.contains(present)) << present.toStdString() << " in " << where;
        for (const QString& absent : c.absent)
            EXPECT_FALSE(text.contains(absent)) << absent.toStdString() << " in " << where;
        const std::optional<TimedLyrics> back = ReadBack(c.format, text);
        ASSERT_TRUE(back) << where;
        EXPECT_EQ(Reading(DocumentOfTimedLyrics(*back)),
                  Reading(DocumentOfTimedLyrics(Kept(c.format, timed, true))))
            << where;
    }
    // Without the setting, ASS holds no reading at all.
    const TimedLyrics timed = TimedLyricsOf(ParseDoc(marks), 3000);
    EXPECT_FALSE(MakeWordFormatText(WordFormat::Ass, timed, {}).contains(U("&<>")));
    // ASS furigana is read only from a file that uses the syntax throughout.
    const QString events = U("[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,");
    const struct {
        QString dialogue;
        QString text; // of the line read
        int readings;
    } ass[] = {
        {U("{\\k50}歌|うた{\\k50}だ"), U("歌だ"), 1},
        {U("{\\k50}歌|うた{\\k50}A | B"), U("歌|うたA | B"), 0},
        {U("{\\k50}歌|うた{\\k50}#|た"), U("歌|うた#|た"), 0},
        {U("{\\k50}a|b|c"), U("a|b|c"), 0},
    };
    for (const auto& c : ass) {
        const std::optional<TimedLyrics> read = ReadWordFormatText(events + c.dialogue, U("ass"));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Lines[0].Text(), c.text);
        EXPECT_EQ(read->Lines[0].Ruby.size(), c.readings) << c.dialogue.toStdString();
    }
}

TEST(WordFormats, AssKaraokeDurationsAddUpToEveryDialogueExactly) {
    static const QRegularExpression dialogue(
        QStringLiteral(
            "^Dialogue: "
            "\\d+,(\\d+):(\\d\\d):(\\d\\d)\\.(\\d\\d),(\\d+):(\\d\\d):(\\d\\d)\\.(\\d\\d),(.*)$"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression karaoke(QStringLiteral("\\{\\\\k[fo]?(\\d+)\\}"));
    for (int lines = 1; lines <= 4; ++lines) {
        for (int seed = 1; seed <= 15; ++seed) {
            DocumentGenerator generate{unsigned(seed) * 31 + unsigned(lines)};
            LyricsDocument document = ParseDoc(CaptionTimeTag(generate));
            ToRealTimes(document, DefaultRatio);
            AssWriteOptions options{U("IPAGothic"), 48, U("#FFFF00"), U("#C0C0C0"), U("ko"), lines};
            const QString ass = MakeAssText(TimedLyricsOf(document, 3000), options);
            auto dialogues = dialogue.globalMatch(ass);
            int count = 0;
            while (dialogues.hasNext()) {
                const QRegularExpressionMatch m = dialogues.next();
                auto cs = [&](int at) {
                    return ((m.captured(at).toLongLong() * 60 + m.captured(at + 1).toInt()) * 60 +
                            m.captured(at + 2).toInt()) *
                               100 +
                           m.captured(at + 3).toInt();
                };
                qint64 sum = 0;
                bool timed = false;
                for (auto k = karaoke.globalMatch(m.captured(9)); k.hasNext(); timed = true)
                    sum += k.next().captured(1).toLongLong();
                if (timed)
                    EXPECT_EQ(sum, cs(5) - cs(1)) << m.captured(0).toStdString();
                ++count;
            }
            EXPECT_EQ(count, TimedLyricsOf(document, 3000).Lines.size());
        }
    }
}

// Texts no reader may hang or crash on; each gives lyrics whose times stay in order, or none.
TEST(WordFormats, HostileInputGivesAResultNeverAHang) {
    const QString tt = U("<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div>");
    QString manySpans = tt + U("<p begin=\"0s\" end=\"9999s\">");
    for (int i = 0; i < 100000; ++i)
        manySpans += QStringLiteral("<span begin=\"%1ms\" end=\"%2ms\">w</span>").arg(i).arg(i + 1);
    manySpans += U("</p></div></body></tt>");
    // Many readings in one line, each base a word of its own.
    QString manyRubies = U("<tt xmlns=\"http://www.w3.org/ns/ttml\" "
                           "xmlns:tts=\"http://www.w3.org/ns/ttml#styling\"><body><div>"
                           "<p begin=\"0s\" end=\"9999s\">");
    QString manyVttRubies = U("WEBVTT\n\n00:00.000 --> 99:00.000\n");
    for (int i = 0; i < 3000; ++i) {
        manyRubies += QStringLiteral("<span tts:ruby=\"container\"><span tts:ruby=\"base\"><span "
                                     "begin=\"%1ms\" end=\"%2ms\">w%1</span></span><span "
                                     "tts:ruby=\"text\">r</span></span>")
                          .arg(i)
                          .arg(i + 1);
        manyVttRubies +=
            QStringLiteral("<%1><ruby>w%2<rt>r</rt></ruby>").arg(ClockTime(i, u'.', 3, 0)).arg(i);
    }
    manyRubies += U("</p></div></body></tt>");
    QString bomb = U("<?xml version=\"1.0\"?><!DOCTYPE tt [<!ENTITY a \"aaaaaaaaaa\">");
    for (int i = 1; i < 12; ++i)
        bomb += QStringLiteral("<!ENTITY %1 \"%2\">")
                    .arg(QChar(u'a' + i))
                    .arg(QString(QStringLiteral("&%1;").arg(QChar(u'a' + i - 1))).repeated(10));
    bomb += U("]>") + tt + U("<p begin=\"1s\" end=\"2s\">&l;</p></div></body></tt>");
    const struct {
        const char* extension;
        QString text;
        bool readable;
    } cases[] = {
        {"ttml", tt + U("<p begin=\"1s\" end=\"2s\"><span begin=\"1"), false},
        {"ttml", bomb, false},
        {"ttml",
         U("<!DOCTYPE tt [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>") + tt +
             U("<p begin=\"1s\">&x;</p></div></body></tt>"),
         false},
        {"ttml", manySpans, true},
        {"ttml", manyRubies, true},
        {"vtt", manyVttRubies, true},
        {"ttml", // even a harmless internal entity is not expanded
         U("<!DOCTYPE tt [<!ENTITY x \"ok\">]>") + tt +
             U("<p begin=\"1s\" end=\"2s\">&x;</p></div></body></tt>"),
         false},
        {"ttml",
         tt + U("<p begin=\"5s\" end=\"1s\"><span begin=\"9s\">a</span>"
                "<span begin=\"-3s\" end=\"x\">b</span></p></div></body></tt>"),
         true},
        {"vtt",
         U("WEBVTT\n\n00:05.000 --> 00:06.000\nb\n\n00:01.000 --> 00:09.000\n"
           "a<00:08.000>c<00:02.000>d<99:00.000>e<\n"),
         true},
        {"vtt", U("WEBVTT\n\n99999999999:00.000 --> 1\nx\n"), false},
        {"ass",
         U("[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,"
           "{\\k-50}a{\\k999999999999999}b{\\kf10}c{\\k\nDialogue: 0,x,y,,,0,0,0,,z\n"),
         true},
        {"srt", U("1\n00:00:02,000 --> 00:00:01,000\n<i>a</i>\n\n2\n--> -->\n"), true},
        {"srt", QString(100000, u'-') + U("->"), false},
    };
    for (const auto& c : cases) {
        const std::optional<TimedLyrics> lyrics = ReadWordFormatText(c.text, U(c.extension));
        EXPECT_EQ(lyrics.has_value(), c.readable) << c.text.left(200).toStdString();
        if (!lyrics)
            continue;
        for (const TimedLine& line : lyrics->Lines) {
            int last = line.StartMs;
            for (const TimedWord& word : line.Words) {
                EXPECT_GE(word.StartMs, last) << c.text.left(200).toStdString();
                last = word.StartMs;
            }
            EXPECT_LE(last, line.EndMs) << c.text.left(200).toStdString();
        }
        LyricsDocument document = DocumentOfTimedLyrics(*lyrics);
        ComposeLyricsText(document);
        EXPECT_FALSE(document.Text.isEmpty());
    }
}

} // namespace
