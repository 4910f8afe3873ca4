// What the peer tests of the captions share: running a peer program, and captions written by
// tavelkor-cli's mode t2x from generated TimeTag files. A missing peer fails a test under
// CI=true and skips it elsewhere.
#pragma once

#include "formats/CaptionDocuments.h"
#include "formats/FormatsTestHelpers.h"
#include "modes/ModeSteps.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace tavelkor::test {

#define REQUIRE_PEER(available, name)                                                              \
    if (!(available)) {                                                                            \
        if (qEnvironmentVariable("CI") == u"true")                                                 \
            FAIL() << name << " is missing (scripts/bootstrap installs it)";                       \
        GTEST_SKIP() << name << " is not installed (scripts/bootstrap installs it)";               \
    }

inline const QString NpmFolder = QStringLiteral(TAVELKOR_TEST_FIXTURES "/../../peers/npm");

// A command line's words ("-v error -f ass -"), for arguments without blanks.
inline QStringList Words(const char* line) {
    return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
}

inline bool HasProgram(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromUtf8(name)).isEmpty();
}

inline bool HasNpmPeers() {
    return HasProgram("node") &&
           QFile::exists(NpmFolder + QStringLiteral("/node_modules/.package-lock.json"));
}

inline QByteArray Output(const QString& program, const QStringList& arguments,
                         int timeoutMs = 120000) {
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    QByteArray out;
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(timeoutMs);
        out += process.readAllStandardOutput();
    }
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << arguments.join(u' ').toStdString() << "\n"
        << process.readAllStandardError().toStdString();
    return out;
}

// `count` generated TimeTag files converted by tavelkor-cli with `settings` (--set words);
// the timed lyrics the mode wrote for each, as the mode itself reads them.
struct Written {
    TestFolder folder;
    QStringList bases;
    QVector<TimedLyrics> lyrics;
};

inline void WriteCaptions(Written& written, int count, const QStringList& settings,
                          QString (*make)(DocumentGenerator&)) {
    QStringList arguments{QStringLiteral("--mode=t2x"), QStringLiteral("--to=ass,ttml,vtt,srt")};
    for (const QString& setting : settings)
        arguments << QStringLiteral("--set") << setting;
    for (int n = 1; n <= count; ++n) {
        DocumentGenerator generate{unsigned(n) * 15485863};
        const QString base =
            written.folder.File(QStringLiteral("song%1").arg(n).toUtf8().constData());
        ASSERT_TRUE(WriteBytes(base + QStringLiteral(".txt"), make(generate).toUtf8()));
        TimedLyrics lyrics;
        ConvertFromTimeTag(base + QStringLiteral(".txt"), DefaultRatio, EncodingChoice::Auto,
                           [&](LyricsDocument& document) -> std::optional<QString> {
                               lyrics = TimedLyricsOf(document, 3000);
                               return QString();
                           });
        written.bases << base;
        written.lyrics << lyrics;
        arguments << base + QStringLiteral(".txt");
    }
    Output(QStringLiteral(TAVELKOR_CLI_PATH), arguments);
}

} // namespace tavelkor::test
