// A lyrics file comes in once: the timing editor and the preview open it a single time (counted
// by the kernel's inotify), and the one read gives the facts saving needs (format, encoding,
// byte order mark, line ends) for each format in each encoding the program reads.
#include "base/TextEncoding.h"
#include "formats/LyricsSource.h"
#include "preview/PreviewDocument.h"
#include "timing/TimingFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// How many times `work` opens the file at `path`.
template <typename Work>
int OpensDuring(const QString& path, Work work) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(fd, 0);
    // Closes are watched too: the kernel merges an event into the one before it when both are
    // the same, so opens in a row would count as one.
    EXPECT_GE(inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE), 0);
    work();
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            opens += (event->mask & IN_OPEN) != 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(fd);
    return opens;
}

struct Case {
    const char* Text; // lines ended with "\n", replaced by LineEnd
    TextEncoding Encoding;
    const char* LineEnd;
    LyricsFormat Format;
    int TimedLines; // lines the editor opens with a time on them
};

const Case Cases[] = {
    {"[00:01:00]君[00:02:00]の\n[00:03:00]歌\n", TextEncoding::Cp932, "\r\n", LyricsFormat::TimeTag,
     2},
    {"[00:01:00]君[00:02:00]の\n[00:03:00]歌\n", TextEncoding::Utf8Bom, "\n", LyricsFormat::TimeTag,
     2},
    {"[00:01.00]<00:01.00>君 <00:02.00>の\n[00:03.00]歌\n", TextEncoding::Utf8, "\r",
     LyricsFormat::Lrc, 2},
    {"<SAMI><BODY>\n<SYNC Start=1000>\n<P>君\n<SYNC Start=3000>\n<P>歌\n</BODY></SAMI>\n",
     TextEncoding::Utf16Le, "\r\n", LyricsFormat::Sami, 2},
    {"00:01:000=君\n00:03:000=歌\n", TextEncoding::Cp932, "\n", LyricsFormat::Dsmp, 2},
    {"君の歌\n二行目\n", TextEncoding::Utf16Be, "\r\n", LyricsFormat::Unknown, 0},
};

TEST(OneRead, TheEditorAndThePreviewOpenAFileOnceAndKeepItsFacts) {
    TestFolder folder;
    int n = 0;
    for (const Case& c : Cases) {
        const QString text =
            QString::fromUtf8(c.Text).replace(u'\n', QString::fromLatin1(c.LineEnd));
        const QString path =
            folder.Put(QStringLiteral("song%1.txt").arg(++n), EncodeText(text, c.Encoding).Bytes);
        SCOPED_TRACE(c.Text);

        const LyricsSource read = ReadLyricsSource(path, EncodingChoice::Auto);
        EXPECT_EQ(read.Format, c.Format);
        EXPECT_EQ(read.Encoding, c.Encoding);
        EXPECT_EQ(read.LineEnd, QString::fromLatin1(c.LineEnd));
        EXPECT_EQ(read.Format, DetectLyricsFormat(path, EncodingChoice::Auto));

        TimingSource source;
        EXPECT_EQ(
            OpensDuring(path,
                        [&] { source = LoadTimingSource(path, EncodingChoice::Auto, 1.0, {}); }),
            1);
        EXPECT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
        EXPECT_EQ(source.Format, c.Format);
        EXPECT_EQ(source.Encoding, c.Encoding);
        EXPECT_EQ(source.LineEnd, QString::fromLatin1(c.LineEnd));
        int timed = 0;
        for (const TimingLine& line : source.Document.Lines)
            timed += !line.Fragments.isEmpty() && line.Fragments.first().Timed();
        EXPECT_EQ(timed, c.TimedLines);

        if (c.Format != LyricsFormat::Unknown) {
            PreviewSource preview;
            EXPECT_EQ(OpensDuring(
                          path, [&] { preview = LoadPreviewDocument(path, EncodingChoice::Auto); }),
                      1);
            EXPECT_TRUE(preview.Error.isEmpty()) << preview.Error.toStdString();
            EXPECT_EQ(preview.Encoding, c.Encoding);
        }
    }
}

} // namespace
