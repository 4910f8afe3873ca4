#include "lyrics/DisplayLines.h"
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagReader.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

struct Shown {
    bool timed;
    int time;
    QString text;
    QString unsung;
    std::array<QString, 3> following;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> Walk(LyricsDocument document, bool karaoke) {
    std::vector<Shown> shown;
    ForEachDisplayLine(document, karaoke, [&](const DisplayLine& line) {
        if (!line.Source.IsDirective)
            shown.push_back({line.Timed, line.TimeMs, line.Text.toString(), line.Unsung.toString(),
                             line.Source.FollowingTexts});
    });
    return shown;
}

// What the writers showed when they walked the built pseudo-karaoke expansion.
std::vector<Shown> WalkExpansion(LyricsDocument document) {
    QStringList unsung;
    const LyricsDocument expanded = MakePseudoKaraoke(document, unsung);
    std::vector<Shown> shown;
    for (qsizetype i = 0; i < expanded.Lines.size(); ++i) {
        const LyricsLine& line = expanded.Lines[i];
        if (line.IsDirective)
            continue;
        shown.push_back({line.HasTimeTag, line.Fragments.isEmpty() ? 0 : line.Fragments[0].TimeMs,
                         line.PlainText, line.HasTimeTag ? unsung[i] : QString(),
                         line.FollowingTexts});
    }
    return shown;
}

LyricsDocument Parse(const QString& text) {
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, false);
    return document;
}

TEST(DisplayLines, StepsMatchTheBuiltExpansion) {
    const LyricsDocument document = Parse(QString::fromUtf8(
        "title: x\r\n@Title=T\r\nx[00:01:00]ka[00:01:50]ra[00:02:00]\r\n\r\n[00:03:00]one\r\n"
        "[00:04:00]a[00:04:50]b\r\nuntimed\r\n[00:05:00]歌[00:05:10]詞"));
    EXPECT_EQ(Walk(document, true), WalkExpansion(document));
}

TEST(DisplayLines, FragmentsThatDoNotCutThePlainTextAreJoined) {
    LyricsDocument document = Parse(QStringLiteral("[00:01:00]ab[00:02:00]cd\r\n[00:03:00]e"));
    document.Lines[0].PlainText = QStringLiteral("zzzzzz"); // edited by hand, out of step
    document.Lines[1].Fragments[1].Text = QStringLiteral("longer than the line");
    EXPECT_EQ(Walk(document, true), WalkExpansion(document));
}

TEST(DisplayLines, RandomDocumentsMatchTheBuiltExpansion) {
    QRandomGenerator random(20261207);
    const QStringList pieces = {QStringLiteral("[00:01:00]"), QStringLiteral("[00:00:50]"),
                                QStringLiteral("ab"),         QStringLiteral(" "),
                                QString::fromUtf8("歌"),      QStringLiteral("\r\n"),
                                QStringLiteral("@X=1\r\n"),   QStringLiteral("[")};
    for (int round = 0; round < 300; ++round) {
        QString text;
        for (int k = random.bounded(30); k > 0; --k)
            text += pieces[random.bounded(int(pieces.size()))];
        const LyricsDocument document = Parse(text);
        ASSERT_EQ(Walk(document, true), WalkExpansion(document)) << text.toStdString();
    }
}

TEST(DisplayLines, WithoutKaraokeEveryLineAsItIs) {
    const LyricsDocument document = Parse(QStringLiteral("[00:01:00]a[00:02:00]b\r\nplain"));
    const auto shown = Walk(document, false);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("ab"));
    EXPECT_EQ(shown[0].time, 1000);
    EXPECT_EQ(shown[0].unsung, QString());
    EXPECT_FALSE(shown[1].timed);
    EXPECT_EQ(shown[1].text, QStringLiteral("plain"));
}

} // namespace
