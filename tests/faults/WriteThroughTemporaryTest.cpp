// A write through a temporary file (the timing editor's autosave), killed before any of its
// system calls or failing at any byte: the file is the old one whole, or none when there was
// none, or the new one whole, never a part; only a kill can leave the temporary file beside it.
// A write that says it was done left exactly the new file.
#include "FaultHarness.h"
#include "KilledAtSystemCall.h"
#include "base/SafeFileWrite.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(faults, AWriteThroughATemporaryFileIsWholeOrNotThere) {
    const QByteArray old = QByteArray("{\"Kind\": \"old\"}\n").repeated(20);
    const QByteArray now = QByteArray("{\"Kind\": \"new\", \"Text\": \"la\"}\n").repeated(300);
    for (const bool existed : {false, true}) {
        SCOPED_TRACE(existed ? "over an older file" : "a first file");
        TestFolder folder;
        const QString path = folder.File("a.autosave");
        if (existed)
            ASSERT_TRUE(WriteBytes(path, old));
        const FolderState before = Snapshot(folder.Path());
        ASSERT_EQ(WriteThroughTemporary(path, now), WriteOutcome::Written);
        const FolderState after = Snapshot(folder.Path());

        for (int k = 1;; ++k) {
            Restore(folder.Path(), before);
            if (!KilledAtSystemCall(k, [&] { WriteThroughTemporary(path, now); }))
                break;
            FolderState left = Snapshot(folder.Path());
            for (const QString& name : left.keys()) {
                if (name.startsWith(u".a.autosave.") && name.endsWith(u".tmp"))
                    left.remove(name);
            }
            EXPECT_TRUE(left == before || left == after)
                << "killed at call " << k << ": " << Differences(after, left);
        }
        for (const rlim_t limit : SweepLimits(before, after)) {
            Restore(folder.Path(), before);
            const auto records = RunInChild({limit}, [&] {
                const bool written = WriteThroughTemporary(path, now) == WriteOutcome::Written;
                return QVector<ResultRecord>{{QStringLiteral("a"), short(written ? 1 : 0)}};
            });
            ASSERT_TRUE(records && records->size() == 1) << "limit " << limit;
            const FolderState left = Snapshot(folder.Path());
            const FolderState& expected = (*records)[0].Code == 1 ? after : before;
            EXPECT_TRUE(left == expected)
                << "limit " << limit << ": " << Differences(expected, left);
        }
    }
}

} // namespace
