// The preview's display model against the SAMI writer: for generated TimeTag files read and
// re-timed as the SAMI mode does, the model shows at every SYNC time of the SAMI output exactly
// that caption's sung and unsung texts and following rows, and the caption before it until
// then. Tables pin the fragment boundaries, the style read from the SAMI settings and the line
// jumps.
#include "preview/KaraokeDisplay.h"
#include "TestFiles.h"
#include "formats/SamiWriter.h"
#include "modes/ModeSteps.h"
#include "preview/PreviewDocument.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Markup pieces that cannot occur in escaped text, so a caption row splits at them.
const std::array<QString, 4> Pieces = {
    QStringLiteral("<font color=yellow>"), QStringLiteral("</font>"),
    QStringLiteral("<font color=gray>"), QStringLiteral("</font>")};

QString Tag(int ms) {
    return QStringLiteral("[%1:%2:%3]")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 10 % 100, 2, 10, QLatin1Char('0'));
}

// TimeTag files with what real files hold: karaoke lines (equal times, empty pieces),
// line-head lines, untimed and empty lines, directives, times that run backwards, and now and
// then a ratio or an offset in the header.
QString GenerateTimeTagFile(std::mt19937& random) {
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution(low, high)(random);
    };
    const QString characters = U("あいうえお歌詞夢abc XY<>&!　");
    auto text = [&](int maxLength) {
        QString out;
        for (int i = between(0, maxLength); i > 0; --i)
            out += characters[between(0, int(characters.size()) - 1)];
        return out;
    };
    QString file;
    int ms = between(0, 300) * 10;
    for (int line = between(1, 14); line > 0; --line) {
        switch (between(0, 9)) {
        case 0:
            file += text(8); // untimed
            break;
        case 1:
            file += QStringLiteral("@Title=") + text(5);
            break;
        case 2:
            file += Tag(ms) + text(10); // line-head
            break;
        default:
            if (between(0, 4) == 0)
                file += text(3); // text before the first tag
            for (int tag = between(1, 6); tag > 0; --tag) {
                file += Tag(ms) + text(4);
                ms += between(0, 3) == 0 ? 0 : between(1, 120) * 10;
            }
        }
        file += QStringLiteral("\r\n");
        ms = std::max(0, ms + (between(0, 6) == 0 ? -between(1, 300) * 10 : between(0, 200) * 10));
    }
    switch (between(0, 3)) {
    case 0:
        file += QStringLiteral("@TimeRatio=0.9953125\r\n");
        break;
    case 1:
        file += QStringLiteral("@Offset=") + QString::number(between(-800, 800)) +
                QStringLiteral("\r\n");
        break;
    default:
        break;
    }
    return file;
}

struct Caption {
    int TimeMs;
    QStringList Rows;
};

// The captions of a SAMI text as the writer lays them out.
QVector<Caption> ReadCaptions(const QString& sami) {
    QVector<Caption> captions;
    for (const QString& line : sami.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u"<SYNC Start="))
            captions.append(Caption{line.mid(12, line.size() - 13).toInt(), QStringList()});
        else if (line.startsWith(u"<P Class=LyricsCC>"))
            captions.last().Rows.append(line.mid(18));
        else if (line.startsWith(u"<BR>"))
            captions.last().Rows.append(line.mid(4));
    }
    return captions;
}

QString Shown(const QString& text) {
    return text.isEmpty() ? QStringLiteral("&nbsp;") : EscapeSamiText(text);
}

// The rows as the SAMI writer would write them, from what the model shows.
QStringList AsSamiRows(const QVector<DisplayRow>& rows, bool karaoke) {
    QStringList written;
    for (int i = 0; i < rows.size(); ++i) {
        const QString& text = rows[i].Text;
        if (i == 0 && karaoke) {
            const QString sung = text.left(rows[i].Sung);
            const QString unsung = text.mid(rows[i].Sung);
            written.append(Pieces[0] + (unsung.isEmpty() ? Shown(sung) : EscapeSamiText(sung)) +
                           Pieces[1] + Pieces[2] + EscapeSamiText(unsung) + Pieces[3]);
        } else {
            written.append(Shown(text));
        }
    }
    return written;
}

TEST(KaraokeDisplay, ShowsAtEverySyncTimeWhatTheSamiWriterWrites) {
    std::mt19937 random(20261215);
    TestFolder folder;
    int captionsSeen = 0;
    for (int n = 0; n < 300; ++n) {
        const QString path =
            folder.Put(QStringLiteral("song%1.txt").arg(n), GenerateTimeTagFile(random).toUtf8());
        const bool karaoke = n % 3 != 0;
        const int lines = 1 + n % 4;
        const PreviewSource source = LoadPreviewDocument(path, EncodingChoice::Auto);
        if (!source.Error.isEmpty())
            continue; // no timed line: the SAMI mode gives 06, the preview says so
        const KaraokeDisplay display(PreviewTimes(source, 0, DefaultRatio, karaoke), karaoke,
                                     lines);
        QString sami;
        ConvertFromTimeTag(path, DefaultRatio, EncodingChoice::Auto, [&](LyricsDocument& d) {
            sami = MakeSamiText(d, karaoke, QString(), Pieces, lines);
            return std::optional<QString>(sami);
        });
        const QVector<Caption> captions = ReadCaptions(sami);
        SCOPED_TRACE("document " + std::to_string(n) + "\n" + sami.toStdString());
        ASSERT_EQ(display.Steps().size(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            const int t = captions[i].TimeMs;
            EXPECT_EQ(display.StepAt(t), i);
            EXPECT_EQ(AsSamiRows(display.RowsAt(t), karaoke), captions[i].Rows) << "at " << t;
            if (t > 0) {
                EXPECT_EQ(display.StepAt(t - 1), i - 1) << "just before " << t;
                if (i == 0) {
                    for (const DisplayRow& row : display.RowsAt(t - 1))
                        EXPECT_TRUE(row.Text.isEmpty());
                }
            }
        }
        captionsSeen += int(captions.size());
    }
    EXPECT_GT(captionsSeen, 1000); // the generator makes real documents
}

TEST(KaraokeDisplay, FragmentBoundariesTable) {
    TestFolder folder;
    const QString path = folder.Put("song.txt", U("[00:01:00]あ[00:01:50]い[00:02:00]う\r\n"
                                                  "untimed line\r\n"
                                                  "[00:03:00]え[00:03:00]お[00:03:20]か\r\n"
                                                  "[00:04:00]last\r\n")
                                                    .toUtf8());
    const PreviewSource source = LoadPreviewDocument(path, EncodingChoice::Auto);
    ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
    struct Row {
        bool Karaoke;
        qint64 Position;
        const char* Text;
        int Sung;
        const char* Next;
    };
    const Row table[] = {
        {true, 0, "", 0, ""},
        {true, 999, "", 0, ""},
        {true, 1000, "あいう", 1, "untimed line"}, // at the tag
        {true, 1499, "あいう", 1, "untimed line"}, // just before the next
        {true, 1500, "あいう", 2, "untimed line"},
        {true, 2000, "あいう", 3, "untimed line"}, // the last fragment: all sung
        {true, 2999, "あいう", 3, "untimed line"}, // the untimed line never shows
        {true, 3000, "えおか", 1, "last"},         // equal times: the second is dropped
        {true, 3199, "えおか", 1, "last"},
        {true, 3200, "えおか", 3, "last"},
        {true, 4000, "last", 4, ""}, // one tag: the whole line sung at once
        {true, 999999, "last", 4, ""},
        {false, 1999, "あいう", 0, "untimed line"}, // karaoke off: the line, nothing sung
        {false, 3500, "えおか", 0, "last"},
    };
    for (const Row& row : table) {
        const KaraokeDisplay display(PreviewTimes(source, 0, 1, row.Karaoke), row.Karaoke, 2);
        const QVector<DisplayRow> rows = display.RowsAt(row.Position);
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0].Text, U(row.Text)) << row.Position;
        EXPECT_EQ(rows[0].Sung, row.Sung) << row.Position;
        EXPECT_EQ(rows[1].Text, U(row.Next)) << row.Position;
    }
}

TEST(KaraokeDisplay, LineJumpsAndNextChange) {
    LyricsDocument document;
    TestFolder folder;
    const QString path = folder.Put(
        "song.txt",
        QByteArray("[00:01:00]a[00:01:50]b\r\n[00:03:00]c\r\n[00:05:00]d[00:05:50]e\r\n"));
    const KaraokeDisplay display(
        PreviewTimes(LoadPreviewDocument(path, EncodingChoice::Auto), 0, 1, true), true, 1);
    ASSERT_EQ(display.LineCount(), 3);
    struct Row {
        qint64 Position, Previous, Next, Change;
    };
    const Row table[] = {
        {0, 0, 1000, 1000},    {999, 0, 1000, 1000},     {1000, 0, 3000, 1500},
        {1700, 0, 3000, 3000}, {3000, 1000, 5000, 5000}, {5600, 3000, -1, -1},
    };
    for (const Row& row : table) {
        EXPECT_EQ(display.PreviousLineStart(row.Position), row.Previous) << row.Position;
        EXPECT_EQ(display.NextLineStart(row.Position), row.Next) << row.Position;
        EXPECT_EQ(display.NextChangeAfter(row.Position), row.Change) << row.Position;
    }
    EXPECT_EQ(display.LastTimeMs(), 5500);
}

TEST(DisplayStyle, ReadFromTheSamiSettings) {
    struct Row {
        const char* Base;
        const char* Piece0;
        const char* Piece2;
        const char* BaseColour;
        const char* Sung;
        const char* Unsung;
        double Size;
        bool Bold;
        RowAlignment Alignment;
        const char* Family;
    };
    const Row table[] = {
        {"", "<font color=yellow>", "", "silver", "yellow", "silver", 12, false,
         RowAlignment::Center, "ＭＳ Ｐゴシック"},
        {"color: #ff8000; font-size: 24px; font-weight: bold; text-align: left; "
         "font-family: 'IPAGothic', sans-serif",
         "<span style=\"color: red\">", "<font color='#808080'>", "#ff8000", "red", "#808080", 18,
         true, RowAlignment::Left, "IPAGothic"},
        {"COLOR:White;font-weight:700;text-align:right", "<b>", "<FONT COLOR=\"blue\">", "White",
         "White", "blue", 12, true, RowAlignment::Right, ""},
    };
    for (const Row& row : table) {
        T2SSettings options;
        options.Base = U(row.Base);
        options.KaraokeHTML[0] = U(row.Piece0);
        options.KaraokeHTML[2] = U(row.Piece2);
        options.Lines = 9;
        const DisplayStyle style = ReadDisplayStyle(options);
        EXPECT_EQ(style.BaseColour, U(row.BaseColour)) << row.Base;
        EXPECT_EQ(style.SungColour, U(row.Sung)) << row.Piece0;
        EXPECT_EQ(style.UnsungColour, U(row.Unsung)) << row.Piece2;
        EXPECT_DOUBLE_EQ(style.FontSizePt, row.Size);
        EXPECT_EQ(style.Bold, row.Bold);
        EXPECT_EQ(style.Alignment, row.Alignment);
        EXPECT_EQ(style.FontFamily, U(row.Family));
        EXPECT_EQ(style.Lines, 4); // four rows at most, as the SAMI writer shows
    }
}

} // namespace
