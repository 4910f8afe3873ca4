// Settings × modes, generated from the mode table and the settings table: every extension
// setting (ExtOrg, ExtNew) at every value it takes changes what its own mode (the one whose
// command name is the setting's section) accepts or writes, and nothing of any other mode; and
// the mode's run really takes and writes the files so named.
#include "TestFiles.h"
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "audio/SongFileBuilders.h"
#include "base/Cp932.h"
#include "modes/ModeTable.h"
#include "settings/SettingsTable.h"

#include <QSet>
#include <gtest/gtest.h>
#include <type_traits>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

struct ExtensionKey {
    QString Section;
    QString Key;
    IntRange Range;
    int Default;
};

bool IsExtensionKey(QStringView key) { return key == u"ExtOrg" || key == u"ExtNew"; }

// Every extension setting of the settings table.
std::vector<ExtensionKey> ExtensionKeys() {
    Settings settings;
    const Settings defaults;
    std::vector<ExtensionKey> keys;
    VisitSettings(
        settings, defaults,
        [&](QStringView section, QStringView key, auto& field, const auto& def, auto&&... form) {
            if constexpr (sizeof...(form) == 1 &&
                          std::is_same_v<std::decay_t<decltype(field)>, int>) {
                if (IsExtensionKey(key))
                    keys.push_back({section.toString(), key.toString(), form..., def});
            }
        });
    return keys;
}

void Set(Settings& settings, const ExtensionKey& which, int value) {
    const Settings defaults;
    VisitSettings(settings, defaults,
                  [&](QStringView section, QStringView key, auto& field, const auto&, auto&&...) {
                      if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>) {
                          if (section == which.Section && key == which.Key)
                              field = value;
                      }
                  });
}

bool Owns(const ModeInfo& mode, const ExtensionKey& key) {
    return key.Section.toLower() == mode.CommandName;
}

// Inputs of every kind a mode reads; a run tries them in turn until one converts.
std::vector<QByteArray> Samples() {
    return {"[00:01:00]a\r\n[00:02:00]b\r\n",
            "<SAMI>\r\n<BODY>\r\n<SYNC Start=1000>\r\n<P>a\r\n</BODY>\r\n</SAMI>\r\n",
            "00:01:000=a\r\n", "[ti:t]\r\n[00:01.00]a\r\n",
            Frames(3) + Lyrics3v2({{"IND", "00"}, {"LYR", "[00:01:00]a"}}) + Id3v1Tag("t"),
            "1\r\n00:00:01,000 --> 00:00:02,000\r\na\r\n"}; // a caption (SRT)
}

struct ModeRun {
    BatchState State;
    QStringList Entries;
};

// Runs `mode` over "song.<input>" and "other.zz" (which no mode takes), each sample in turn,
// until the song converts (or the last sample was tried).
ModeRun RunWith(const ModeInfo& mode, Settings settings, const QString& input) {
    ModeRun run;
    for (const QByteArray& sample : Samples()) {
        const TestFolder folder;
        const QString song = folder.Put(QStringLiteral("song.") + input, sample);
        const QString other = folder.Put(QStringLiteral("other.zz"), sample);
        settings.Init.SameFolder = true;
        run.State = BatchState();
        run.State.DroppedFiles = {song, other};
        RunMode(mode.Index, run.State, settings);
        run.Entries = Entries(folder.Path());
        if (!run.State.Results.isEmpty() && run.State.Results[0].Code == Converted)
            break;
    }
    return run;
}

TEST(ModeExtensionSettingsTest, EachExtensionSettingChangesWhatItsOwnModeTakesAndWrites) {
    const std::vector<ExtensionKey> keys = ExtensionKeys();
    ASSERT_GE(keys.size(), 2u);
    const Settings defaults;
    for (const ExtensionKey& key : keys) {
        int owners = 0;
        for (const ModeInfo& mode : ModeTable())
            owners += Owns(mode, key);
        EXPECT_EQ(owners, 1) << "the setting " << key.Section.toStdString() << '/'
                             << key.Key.toStdString() << " belongs to one mode";
    }
    for (const ModeInfo& mode : ModeTable()) {
        const QStringList acceptedByDefault = mode.AcceptedExtensions(defaults);
        const QString writtenByDefault = mode.OutputExtension(defaults);
        for (const ExtensionKey& key : keys) {
            const bool takes = Owns(mode, key) && key.Key == u"ExtOrg";
            const bool writes = Owns(mode, key) && key.Key == u"ExtNew";
            QSet<QString> seen;
            for (int value = key.Range.Min; value <= key.Range.Max; ++value) {
                SCOPED_TRACE(testing::Message()
                             << mode.CommandName.toStdString() << ", " << key.Section.toStdString()
                             << '/' << key.Key.toStdString() << '=' << value);
                Settings settings;
                Set(settings, key, value);
                const QStringList accepted = mode.AcceptedExtensions(settings);
                const QString written = mode.OutputExtension(settings);
                if (!takes)
                    EXPECT_EQ(accepted, acceptedByDefault);
                if (!writes)
                    EXPECT_EQ(written, writtenByDefault);
                if (!takes && !writes)
                    continue;
                // Every value gives its own extension.
                const QString changed = takes ? accepted.join(u',') : written;
                EXPECT_FALSE(changed.isEmpty());
                EXPECT_FALSE(seen.contains(changed));
                seen.insert(changed);

                // The run takes a file with an accepted extension, rejects another, and writes
                // its output under the extension the mode names. Placing needs a song beside the
                // file and the timing room: tests/cli/PlaceCliTest runs it.
                if (accepted.isEmpty() || mode.Index == ModePlace)
                    continue;
                QString input = accepted.first();
                for (const QString& extension : accepted) {
                    if (extension != written) {
                        input = extension;
                        break;
                    }
                }
                const ModeRun run = RunWith(mode, settings, input);
                EXPECT_EQ(run.State.RejectedFiles.size(), 1);
                EXPECT_TRUE(run.State.RejectedFiles.isEmpty() ||
                            run.State.RejectedFiles[0].endsWith(QStringLiteral("other.zz")));
                ASSERT_EQ(run.State.Results.size(), 1);
                if (!written.isEmpty()) {
                    EXPECT_EQ(run.State.Results[0].Code, Converted);
                    EXPECT_TRUE(run.Entries.contains(QStringLiteral("song.") + written))
                        << run.Entries.join(u' ').toStdString();
                    EXPECT_EQ(run.Entries.size(), input == written ? 2 : 3)
                        << run.Entries.join(u' ').toStdString();
                }
            }
        }
    }
}

} // namespace
