#include "base/PathHelpers.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

struct PathCase {
    const char* path;
    const char* folder;
    const char* fileName;
    const char* baseName;
    const char* extension;
};

class PathParts : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathParts, SplitIntoFolderNameBaseAndExtension) {
    const PathCase& c = GetParam();
    const QString path = QString::fromUtf8(c.path);
    EXPECT_EQ(FolderOf(path), QString::fromUtf8(c.folder));
    EXPECT_EQ(FileNameOf(path), QString::fromUtf8(c.fileName));
    EXPECT_EQ(BaseNameOf(path), QString::fromUtf8(c.baseName));
    EXPECT_EQ(ExtensionOf(path), QString::fromUtf8(c.extension));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParts,
    ::testing::Values(PathCase{"/music/song.backup.txt", "/music/", "song.backup.txt",
                               "song.backup", "txt"},
                      PathCase{"/music/README", "/music/", "README", "README", ""},
                      PathCase{"/music/Song.TXT", "/music/", "Song.TXT", "Song", "TXT"},
                      PathCase{"/music/.hidden", "/music/", ".hidden", "", "hidden"},
                      PathCase{"/music.d/noext", "/music.d/", "noext", "noext", ""},
                      PathCase{"bare.txt", "", "", "", ""}, PathCase{"", "", "", "", ""},
                      PathCase{"/", "/", "", "", ""}));

TEST(TrailingSeparator, AddedOnceAndNeverStrippedFromTheRoot) {
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/out")), QStringLiteral("/out/"));
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/out/")), QStringLiteral("/out/"));
    EXPECT_EQ(AddTrailingBackslash(QString()), QString());
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/out/")), QStringLiteral("/out"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/out")), QStringLiteral("/out"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(RemoveTrailingBackslash(QString()), QString());
}

} // namespace
