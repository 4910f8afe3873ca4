// Readings through SAMI: written only with T2S/Ruby (without, the text is what it was), as
// <RUBY> elements that the reader gives back as "@Ruby" entries and not as lyrics.
#include "CaptionDocuments.h"
#include "FormatsTestHelpers.h"
#include "formats/SamiReader.h"
#include "formats/SamiWriter.h"
#include "lyrics/Ruby.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// "base=reading" of every reading shown on a timed line of the document at its first tag.
QSet<QString> ShownPairs(const LyricsDocument& document) {
    QSet<QString> pairs;
    for (int i = 0; i < document.LineCount(); ++i) {
        const LyricsLine& line = document.Lines[i];
        if (line.FragmentCount() == 0)
            continue;
        for (const RubySpan& span : RubyFor(document, i, line.Fragments[1].TimeMs))
            pairs.insert(line.PlainText.mid(span.From, span.Length) + u'=' + span.Reading);
    }
    return pairs;
}

TEST(SamiRuby, WrittenOnlyWhenAskedAndReadBackAsEntries) {
    const std::array<QString, 4>& pieces = KaraokeHtmlDefaults();
    for (int seed = 1; seed <= 40; ++seed) {
        DocumentGenerator generate{unsigned(seed) * 104729};
        const LyricsDocument source = ParseDoc(WithRuby(generate, CaptionTimeTag(generate)));
        LyricsDocument withoutRuby = source;
        withoutRuby.Header.Ruby.clear();
        for (const bool karaoke : {false, true}) {
            LyricsDocument document = source;
            LyricsDocument plain = withoutRuby;
            // By default the readings change not one byte.
            EXPECT_EQ(MakeSamiText(document, karaoke, U("s"), pieces, 2),
                      MakeSamiText(plain, karaoke, U("s"), pieces, 2))
                << "document " << seed;
            if (karaoke)
                continue;
            const QString sami = MakeSamiText(document, false, U("s"), pieces, 1, true);
            const LyricsDocument back = ReadSamiText(sami);
            const LyricsDocument backPlain =
                ReadSamiText(MakeSamiText(plain, false, U("s"), pieces, 1));
            // The lyrics read back are the same with readings as without; the readings shown
            // are the entries' readings.
            ASSERT_EQ(back.LineCount(), backPlain.LineCount()) << "document " << seed;
            for (int i = 0; i < back.LineCount(); ++i)
                EXPECT_EQ(back.Lines[i].PlainText, backPlain.Lines[i].PlainText)
                    << sami.toStdString();
            QSet<QString> entries;
            for (const RubyEntry& entry : back.Header.Ruby)
                entries.insert(entry.Base + u'=' + entry.Reading);
            EXPECT_EQ(entries, ShownPairs(source)) << sami.toStdString();
            EXPECT_EQ(ShownPairs(back), ShownPairs(source)) << sami.toStdString();
        }
    }
}

TEST(SamiRuby, KaraokeStepsShowAReadingOnlyOverAWholeBase) {
    LyricsDocument document = ParseDoc(
        "@Ruby1=為替,かわせ\r\n@Ruby2=歌,&<>\r\n[00:01:00]歌の為[00:01:50]替[00:02:00]\r\n");
    const std::array<QString, 4> pieces = {U("<S>"), U("</S>"), U("<U>"), U("</U>")};
    const QString sami = MakeSamiText(document, true, U("s"), pieces, 1, true);
    EXPECT_TRUE(sami.contains(U("<S><RUBY>歌<RT>&&lt;&gt;</RT></RUBY>の為</S><U>替</U>")))
        << sami.toStdString();
    EXPECT_TRUE(sami.contains(
        U("<S><RUBY>歌<RT>&&lt;&gt;</RT></RUBY>の<RUBY>為替<RT>かわせ</RT></RUBY></S><U></U>")))
        << sami.toStdString();
    const LyricsDocument back = ReadSamiText(sami);
    ASSERT_EQ(back.Header.Ruby.size(), 2);
    EXPECT_EQ(ComposeRubyDirective(back.Header.Ruby[0]), U("@Ruby1=歌,&<>"));
    EXPECT_EQ(ComposeRubyDirective(back.Header.Ruby[1]), U("@Ruby2=為替,かわせ"));
    // One base read two ways by place: the second reading from the caption where it starts.
    const LyricsDocument places = ReadSamiText(CrLfLines(
        {U("<SYNC Start=1000>"), U("<P><RUBY>空<RT>そら</RT></RUBY>"), U("<SYNC Start=2000>"),
         U("<P><ruby>空<rt>から</ruby>の"), U("<SYNC Start=3000>"), U("<P>空")}));
    QStringList lines;
    for (const RubyEntry& entry : places.Header.Ruby)
        lines << ComposeRubyDirective(entry);
    EXPECT_EQ(lines,
              (QStringList{U("@Ruby1=空,そら,,[00:02:00]"), U("@Ruby2=空,から,[00:02:00]")}));
    EXPECT_EQ(places.Lines[1].PlainText, U("空の"));
}

} // namespace
