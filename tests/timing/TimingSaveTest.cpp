// What the timing editor's save writes: the file's own encoding, byte order mark and line ends
// after a real open, tap and edit; a line timed only at its start keeps its untimed rest apart
// from the last timed fragment and reads back as the same fragments; 「名前を付けて保存」's
// formats come in the encodings their modes write.
#include "base/TextEncoding.h"
#include "settings/Settings.h"
#include "timing/TimingExport.h"
#include "timing/TimingFile.h"
#include "timing/TimingSession.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

QByteArray Bytes(const QString& text, TextEncoding encoding) {
    return EncodeText(text, encoding).Bytes;
}

QString Lines(QString text, const QString& lineEnd) { return text.replace(u"\n"_qs, lineEnd); }

// Taps the fragments from the first at {down, up} (up -1: a start-only tap); {-1, line} goes
// to that line first.
TimingSession Tapped(const TimingDocument& document,
                     std::initializer_list<std::pair<int, int>> presses) {
    TimingSession session(document, {}, {});
    for (const auto& [down, up] : presses) {
        if (down < 0) {
            session.SelectLine(up);
            continue;
        }
        EXPECT_TRUE(session.TapDown(down, up >= 0));
        if (up >= 0)
            session.TapUp(up);
    }
    return session;
}

TimingSession Tapped(const QString& text, std::initializer_list<std::pair<int, int>> presses) {
    return Tapped(TimingFromPlainText(text, {}), presses);
}

TEST(TimingSave, KeepsEncodingByteOrderMarkAndLineEnds) {
    struct Case {
        TextEncoding Encoding;
        QByteArray Mark; // what the saved bytes start with
    };
    const Case encodings[] = {{TextEncoding::Cp932, "["},
                              {TextEncoding::Utf8, "["},
                              {TextEncoding::Utf8Bom, "\xEF\xBB\xBF["},
                              {TextEncoding::Utf16Le, QByteArray("\xFF\xFE[\0", 4)},
                              {TextEncoding::Utf16Be, QByteArray("\xFE\xFF\0[", 4)}};
    // Opened with LF, CR LF or CR, a file keeps them; one without a line end gets CR LF.
    const QString lineEnds[] = {u"\n"_qs, u"\r\n"_qs, u"\r"_qs, QString()};
    for (const Case& c : encodings) {
        for (const QString& lineEnd : lineEnds) {
            SCOPED_TRACE(EncodingName(c.Encoding).toStdString() + " " +
                         QString(lineEnd).replace(u'\r', u'R').replace(u'\n', u'N').toStdString());
            TestFolder folder;
            const QString text =
                lineEnd.isEmpty() ? u"さくら"_qs : Lines(u"さくら\nちる\n"_qs, lineEnd);
            const QString path = folder.Put("song.txt", Bytes(text, c.Encoding));
            const TimingSource source = LoadTimingSource(path, EncodingChoice::Auto, 1, {});
            ASSERT_TRUE(source.Error.isEmpty());
            TimingSession session = Tapped(source.Document, {{1000, -1}, {1250, -1}, {1400, 1600}});
            if (!lineEnd.isEmpty())
                ASSERT_TRUE(session.EditLineText(1, u"ちるちる"_qs));
            int replaced = -1;
            ASSERT_TRUE(SaveTimingText(TimingSavePath(source), session.ComposeText(),
                                       source.Encoding, source.LineEnd, replaced));
            EXPECT_EQ(replaced, 0);
            const QString saved =
                lineEnd.isEmpty()
                    ? u"[00:01:00]さ[00:01:25]く[00:01:40]ら[00:01:60]\r\n\r\n@TimeRatio=1\r\n"_qs
                    : Lines(
                          u"[00:01:00]さ[00:01:25]く[00:01:40]ら[00:01:60]\nちるちる\n\n@TimeRatio=1\n"_qs,
                          lineEnd);
            const QByteArray bytes = ReadBytes(path);
            EXPECT_EQ(bytes, Bytes(saved, c.Encoding));
            EXPECT_TRUE(bytes.startsWith(c.Mark));
        }
    }
}

TEST(TimingSave, AnUntimedRestIsNotSungWithTheLastTimedFragmentAndReadsBack) {
    struct Case {
        const char* Name;
        QString Text;
        std::initializer_list<std::pair<int, int>> Presses;
        QString Saved;
    };
    const Case cases[] = {
        // The last timed fragment held: the rest follows its end, lasting no time.
        {"held",
         u"きらの星が光る\n"_qs,
         {{3000, -1}, {3150, -1}, {3290, 3610}},
         u"[00:03:00]き[00:03:15]ら[00:03:29]の[00:03:61]星が光る[00:03:61]\r\n"_qs},
        // Start-only: the rest waits for the next line's start, and on the last timed line
        // stands at the fragment's own start; either way the fragment keeps having no end.
        {"start only",
         u"きらの星\nそらに\n"_qs,
         {{3000, -1}, {3150, -1}, {3290, -1}, {-1, 1}, {4000, -1}},
         u"[00:03:00]き[00:03:15]ら[00:03:29]の[00:04:00]星[00:04:00]\r\n"
         u"[00:04:00]そ[00:04:00]らに[00:04:00]\r\n"_qs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TimingSession session = Tapped(c.Text, c.Presses);
        const QString text = session.ComposeText();
        EXPECT_EQ(text, c.Saved + u"\r\n@TimeRatio=1\r\n"_qs);

        TestFolder folder;
        const QString path = folder.Put("song.txt", text.toUtf8());
        const TimingSource again = LoadTimingSource(path, EncodingChoice::Auto, 1, {});
        ASSERT_TRUE(again.Error.isEmpty());
        // The lines, then only empty ones (around the header).
        const QVector<TimingLine>& lines = session.Document().Lines;
        ASSERT_GE(again.Document.Lines.size(), lines.size());
        EXPECT_EQ(again.Document.Lines.first(lines.size()), lines);
        for (const TimingLine& line : again.Document.Lines.mid(lines.size()))
            EXPECT_TRUE(line.Fragments.isEmpty());
    }
}

TEST(TimingSave, SaveAsWritesEveryFormatInItsModesEncodingWithTheRestUnsung) {
    TimingSession session = Tapped(u"きらの星\n"_qs, {{1000, -1}, {1500, -1}, {2000, 2500}});
    TimingSource source;
    source.Encoding = TextEncoding::Cp932;
    source.LineEnd = u"\n"_qs;
    const Settings settings;
    struct Case {
        ExportFormat Format;
        TextEncoding Encoding;
        const char* Sign; // the format's own mark in the text
    };
    const Case cases[] = {{ExportFormat::TimeTag, TextEncoding::Cp932, "[00:02:50]"},
                          {ExportFormat::Lrc, TextEncoding::Utf8, "[00:01.00]"},
                          {ExportFormat::Sami, TextEncoding::Cp932, "<SAMI>"},
                          {ExportFormat::Ass, TextEncoding::Utf8Bom, "[Events]"},
                          {ExportFormat::Ttml, TextEncoding::Utf8, "<tt "},
                          {ExportFormat::Vtt, TextEncoding::Utf8, "WEBVTT"},
                          {ExportFormat::Srt, TextEncoding::Utf8, "-->"}};
    for (const Case& c : cases) {
        const ExportedText out = ExportTimingText(source, session.Document(), c.Format, settings);
        SCOPED_TRACE(out.Text.toStdString());
        EXPECT_TRUE(out.Error.isEmpty());
        EXPECT_EQ(out.Encoding, c.Encoding);
        EXPECT_EQ(out.LineEnd, c.Format == ExportFormat::TimeTag ? u"\n"_qs : u"\r\n"_qs);
        EXPECT_TRUE(out.Text.contains(QString::fromUtf8(c.Sign)));
    }
    // A line timed up to 「の」 (held to 3.61 s): in every format its rest is not sung with 「の」.
    const TimingSession partly =
        Tapped(u"きらの星が光る\n"_qs, {{3000, -1}, {3150, -1}, {3290, 3610}});
    const struct {
        ExportFormat Format;
        const char* Has;
        const char* HasNot;
    } rests[] = {
        {ExportFormat::Lrc, "<00:03.29>の<00:03.61>星が光る<00:03.61>", "の星"},
        // SAMI and DSMP show it sung, all at once, when 「の」 ends (a step that lasts no time).
        {ExportFormat::Sami, "<font color=yellow>きらの</font>星が光る", "きらの星</font>"},
        {ExportFormat::Dsmp, "=きらの\r\n", "=きらの星\r\n"},
        {ExportFormat::Ass, "{\\kf32}の{\\kf0}星が光る", "{\\kf32}の星"},
        {ExportFormat::Ttml, "<span begin=\"00:00:03.610\" end=\"00:00:03.610\">星が光る</span>",
         "の星"},
        {ExportFormat::Vtt, "<00:03.290><c>の</c><00:03.609><c>星が光る</c>", "の星"},
        {ExportFormat::Srt, "きらの星が光る", "<"}};
    for (const auto& rest : rests) {
        const QString text =
            ExportTimingText(source, partly.Document(), rest.Format, settings).Text;
        EXPECT_TRUE(text.contains(QString::fromUtf8(rest.Has))) << text.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8(rest.HasNot))) << text.toStdString();
    }
    // Nothing timed: no caption file, and the reason.
    const TimingSession untimed = Tapped(u"きら\n"_qs, {});
    EXPECT_FALSE(
        ExportTimingText(source, untimed.Document(), ExportFormat::Vtt, settings).Error.isEmpty());
}

} // namespace
