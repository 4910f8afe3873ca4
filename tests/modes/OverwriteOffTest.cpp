// With overwriting off, a real run of every kind of mode meets every kind of thing already at
// its output's name: nothing there is replaced, emptied, followed or removed, and the file gets
// the code that says why.
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QByteArray Lyrics = "[00:01:00]\x89\xcc\r\n[00:02:00]two\r\n";
const QByteArray Old = "old \x81\x60 bytes\r\n";

// What is at a name: its kind, the link's target, the permission bits and the bytes.
QString Snapshot(const QString& path) {
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    QString kind = S_ISLNK(info.st_mode)   ? u"link to "_qs + QFile::symLinkTarget(path)
                   : S_ISDIR(info.st_mode) ? u"folder "_qs + QDir(path).entryList().join(u',')
                                           : u"file"_qs;
    return kind + QStringLiteral(" %1 ").arg(StatOf(path).st_mode, 0, 8) +
           QString::fromLatin1(ReadBytes(path).toHex());
}

} // namespace

TEST(OverwriteOff, NothingAtTheOutputsNameIsReplaced) {
    struct Mode {
        const char* what;
        int mode;
        const char* source;
        QByteArray bytes;
        const char* output;
        std::function<void(Settings&, const QString& folder)> prepare;
    } modes[] = {
        {"t2s", ModeTimeTagToSami, "a.txt", Lyrics, "a.smi", {}},
        {"t2d", ModeTimeTagToDsmp, "a.txt", Lyrics, "a.lyr", {}},
        {"t2l", ModeTimeTagToLrc, "a.txt", Lyrics, "a.lrc", {}},
        {"d2t", ModeDsmpToTimeTag, "a.lyr", "00:01:000=x\r\n", "a.txt", {}},
        {"t2x", ModeTimeTagToWordFormats, "a.txt", Lyrics, "a.srt",
         [](Settings& s, const QString&) { s.T2X.Formats = u"srt"_qs; }},
        {"x2t", ModeWordFormatsToTimeTag, "a.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nx\r\n",
         "a.txt", {}},
        {"m2t", ModeMp3ToTimeTag, "a.mp3",
         ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3")), "a.lrc",
         [](Settings& s, const QString& folder) {
             // The song gets its lyrics from the lyrics file beside it first.
             BatchState embed;
             embed.DroppedFiles = {folder + u"/a.txt"_qs};
             ASSERT_TRUE(WriteBytes(embed.DroppedFiles[0], Lyrics));
             ASSERT_TRUE(RunMode(ModeTimeTagToMp3, embed, s));
             ASSERT_EQ(embed.Results.value(0).Code, Converted);
             s.M2T.ExtNew = 1; // .lrc
         }},
    };
    struct Existing {
        const char* what;
        std::function<void(const QString& output, const TestFolder& folder)> make;
        ResultCode code;
    } existing[] = {
        {"empty file", [](const QString& o, const TestFolder&) { WriteBytes(o, {}); },
         NotOverwritten},
        {"file", [](const QString& o, const TestFolder&) { WriteBytes(o, Old); }, NotOverwritten},
        {"link to a file",
         [](const QString& o, const TestFolder& f) {
             f.Put("target", Old);
             QFile::link(f.File("target"), o);
         },
         NotOverwritten},
        {"folder",
         [](const QString& o, const TestFolder&) {
             QDir().mkpath(o);
             WriteBytes(o + u"/inside"_qs, Old);
         },
         SaveError},
        {"read-only file",
         [](const QString& o, const TestFolder&) {
             WriteBytes(o, Old);
             QFile::setPermissions(o, QFile::ReadOwner | QFile::ReadGroup);
         },
         NotOverwritten},
    };
    for (const Mode& m : modes) {
        for (const Existing& e : existing) {
            SCOPED_TRACE(std::string(m.what) + ", " + e.what);
            TestFolder folder;
            Settings settings;
            const QString source = folder.Put(m.source, m.bytes);
            if (m.prepare)
                m.prepare(settings, folder.Path());
            const QString output = folder.File(m.output);
            e.make(output, folder);
            const QString before = Snapshot(output);
            const QString target = Snapshot(folder.File("target"));

            settings.Init.OverWrite = false;
            BatchState state;
            state.DroppedFiles = {source};
            ASSERT_TRUE(RunMode(m.mode, state, settings));
            ASSERT_EQ(state.Results.size(), 1);
            EXPECT_EQ(state.Results[0].Code, e.code);
            EXPECT_EQ(Snapshot(output), before);
            EXPECT_EQ(Snapshot(folder.File("target")), target);
            // Nothing else was left beside it (no temporary file).
            EXPECT_EQ(QDir(folder.Path()).entryList(QDir::AllEntries | QDir::Hidden |
                                                    QDir::NoDotAndDotDot | QDir::System)
                          .filter(u".tmp"_qs),
                      QStringList());
        }
    }
}
