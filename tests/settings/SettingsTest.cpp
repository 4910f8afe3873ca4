#include "settings/IniSettingsStore.h"
#include "settings/SettingsIo.h"

#include "TestFiles.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// A store in memory that records the order of writes.
class MemoryStore : public SettingsStore {
public:
    QString Read(const QString& section, const QString& key,
                 const QString& fallback) const override {
        return values.value(section + u'/' + key, fallback);
    }
    void Write(const QString& section, const QString& key, const QString& value) override {
        values[section + u'/' + key] = value;
        order.append(section + u'/' + key);
    }
    QMap<QString, QString> values;
    QStringList order;
};

TEST(LoadSettings, AnEmptyStoreGivesEveryDefault) {
    MemoryStore store;
    Settings settings;
    settings.Init.Left = 1200;
    settings.Init.Top = 900;
    LoadSettings(store, settings);
    EXPECT_FALSE(settings.Init.SmallSize);
    EXPECT_EQ(settings.Init.NowMode, 0);
    EXPECT_EQ(settings.Init.Left, 1200.0f); // the window's current position
    EXPECT_EQ(settings.Init.Top, 900.0f);
    EXPECT_EQ(settings.Init.TimeRatio, 0.9953125);
    EXPECT_TRUE(settings.Init.OverWrite);
    EXPECT_TRUE(settings.Init.SameFolder);
    EXPECT_EQ(settings.Init.AnotherFolder, QString());
    EXPECT_FALSE(settings.Init.DispResult);
    EXPECT_TRUE(settings.T2S.Karaoke);
    EXPECT_EQ(settings.T2S.Base, U("font-size: 12pt; font-family: ＭＳ Ｐゴシック; font-weight: "
                                   "normal; text-align: center; color: silver;"));
    EXPECT_EQ(settings.T2S.KaraokeHTML[0], QStringLiteral("<font color=yellow>"));
    EXPECT_EQ(settings.T2S.KaraokeHTML[1], QStringLiteral("</font>"));
    EXPECT_EQ(settings.T2S.KaraokeHTML[2], QString());
    EXPECT_EQ(settings.T2S.KaraokeHTML[3], QString());
    EXPECT_EQ(settings.T2S.Lines, 1);
    EXPECT_EQ(settings.T2D.Lines, 1);
    EXPECT_TRUE(settings.D2T.Karaoke);
    EXPECT_FALSE(settings.M2T.DeleteL3);
    EXPECT_FALSE(settings.M2T.PreferSylt);
    EXPECT_TRUE(settings.T2M.Id3v2Lyrics);
    EXPECT_EQ(settings.T2M.Id3v2Language, QStringLiteral("jpn"));
    EXPECT_TRUE(settings.T2T.mSec);
    EXPECT_TRUE(settings.T2T.SilencemSec);
    EXPECT_EQ(settings.T2T.AtArtist, 1);
    for (double ratio : settings.T2T.TimeRatio)
        EXPECT_EQ(ratio, 0.9953125);
}

TEST(SaveSettings, WritesEveryKeyInTableOrderButTheShiftAmount) {
    MemoryStore store;
    Settings settings;
    settings.Init.SlidemSec = 250;
    SaveSettings(store, settings);
    EXPECT_EQ(store.order.size(), 67 + 17 + 13 + 2 + 2 + 8);
    EXPECT_EQ(store.order.first(), QStringLiteral("Init/SmallSize"));
    EXPECT_EQ(store.order.indexOf(QStringLiteral("T2S/Base")) + 1,
              store.order.indexOf(QStringLiteral("T2S/KaraokeHTML0")));
    EXPECT_EQ(store.order.last(), QStringLiteral("T2V/Audio"));
    EXPECT_EQ(store.order.indexOf(QStringLiteral("Preview/Height")) + 1,
              store.order.indexOf(QStringLiteral("Timing/JoinSokuon")));
    EXPECT_EQ(store.order.indexOf(QStringLiteral("L2T/Karaoke")) + 1,
              store.order.indexOf(QStringLiteral("Preview/Left")));
    EXPECT_FALSE(store.values.contains(QStringLiteral("Init/SlidemSec")));
    EXPECT_EQ(store.values[QStringLiteral("Init/OverWrite")], QStringLiteral("True"));
    EXPECT_EQ(store.values[QStringLiteral("Init/PreMode")], QStringLiteral("False"));
    EXPECT_EQ(store.values[QStringLiteral("Init/TimeRatio")], QStringLiteral("0.9953125"));
    EXPECT_EQ(store.values[QStringLiteral("T2T/TimeRatio2")], QStringLiteral("0.9953125"));
    EXPECT_EQ(store.values[QStringLiteral("T2S/KaraokeHTML3")], QString());
    EXPECT_EQ(store.values[QStringLiteral("Init/InputEncoding")], QStringLiteral("Auto"));
    EXPECT_EQ(store.values[QStringLiteral("Init/OutputEncoding")], QStringLiteral("Source"));
    EXPECT_EQ(store.values[QStringLiteral("T2L/Millis")], QStringLiteral("False"));
}

TEST(SaveSettings, AnIniStoreReadsBackTheSameValues) {
    TestFolder folder;
    const QString file = folder.File("Tavelkor.ini");
    Settings saved;
    saved.Init.SmallSize = true;
    saved.Init.NowMode = 3;
    saved.Init.Left = 1234.5f;
    saved.Init.Top = -60;
    saved.Init.TimeRatio = 1;
    saved.Init.OverWrite = false;
    saved.Init.AnotherFolder = U("/home/歌詞; a=b ");
    saved.T2S.Base = QStringLiteral("color: red;");
    saved.T2S.KaraokeHTML[2] = QStringLiteral("<i>");
    saved.T2S.Lines = 3;
    saved.T2D.Alignment = 2;
    saved.D2T.ExtOrg = 6;
    saved.M2T.DeleteL3 = true;
    saved.T2T.TimeRatio[1] = 0.5;
    saved.T2T.Name = U("タグ付け人");
    saved.T2T.AtArtist = 2;
    {
        IniSettingsStore store(file);
        SaveSettings(store, saved);
        ASSERT_TRUE(store.Flush());
    }
    const QByteArray ini = ReadBytes(file);
    EXPECT_TRUE(ini.contains("[Init]"));
    EXPECT_TRUE(ini.contains("SmallSize=True"));
    EXPECT_TRUE(ini.contains("OverWrite=False"));

    IniSettingsStore store(file);
    Settings loaded;
    LoadSettings(store, loaded);
    MemoryStore a;
    MemoryStore b;
    SaveSettings(a, saved);
    SaveSettings(b, loaded);
    EXPECT_EQ(a.values, b.values);
}

TEST(LoadSettings, StoredFormsAndBadValues) {
    MemoryStore store;
    store.values[QStringLiteral("Init/OverWrite")] = QStringLiteral("false");
    store.values[QStringLiteral("Init/SameFolder")] = QStringLiteral("0");
    store.values[QStringLiteral("Init/PreMode")] = QStringLiteral("-1");
    store.values[QStringLiteral("Init/DispResult")] = QStringLiteral("maybe");
    store.values[QStringLiteral("Init/NowMode")] = QString::number(LastModeIndex + 1);
    store.values[QStringLiteral("T2S/ExtOrg")] = QStringLiteral("2");
    store.values[QStringLiteral("T2S/ExtNew")] = QStringLiteral("5");
    store.values[QStringLiteral("T2S/Base")] = QString();
    store.values[QStringLiteral("T2D/Lines")] = QStringLiteral("70000");
    store.values[QStringLiteral("Init/TimeRatio")] = QStringLiteral("1,5");
    store.values[QStringLiteral("T2T/TimeRatio0")] = QStringLiteral(" 1e0 ");
    store.values[QStringLiteral("T2M/Id3v2Language")] = QStringLiteral("ja");
    store.values[QStringLiteral("T2L/ExtNew")] = QStringLiteral("2"); // LrcExtensions has 0, 1
    store.values[QStringLiteral("T2L/Encoding")] = QStringLiteral("utf-8-bom");
    store.values[QStringLiteral("T2X/Formats")] = QStringLiteral("srt, ASS");
    store.values[QStringLiteral("T2X/AssKaraoke")] = QStringLiteral("kx");
    store.values[QStringLiteral("T2X/SungColour")] = QStringLiteral("#12345");
    store.values[QStringLiteral("T2V/Audio")] = QStringLiteral("mp3");
    store.values[QStringLiteral("T2V/Preset")] = QStringLiteral("Slow");
    Settings settings;
    LoadSettings(store, settings);
    EXPECT_FALSE(settings.Init.OverWrite);
    EXPECT_FALSE(settings.Init.SameFolder);
    EXPECT_TRUE(settings.Init.PreMode);
    EXPECT_FALSE(settings.Init.DispResult); // not a Boolean: default
    EXPECT_EQ(settings.Init.NowMode, 0);    // no such mode: default
    EXPECT_EQ(settings.T2L.Encoding, OutputEncodingChoice::Utf8Bom);
    EXPECT_EQ(settings.T2X.Formats, QStringLiteral("srt, ASS"));
    EXPECT_EQ(settings.T2X.AssKaraoke, QStringLiteral("kf"));      // not kf, k or ko: default
    EXPECT_EQ(settings.T2X.SungColour, QStringLiteral("#FFFF00")); // not #RRGGBB: default
    EXPECT_EQ(settings.T2V.Audio, QStringLiteral("copy"));         // not copy or aac: default
    EXPECT_EQ(settings.T2V.Preset, QStringLiteral("Slow"));        // a preset, letter case aside
    EXPECT_EQ(settings.T2S.ExtOrg, 2);
    EXPECT_EQ(settings.T2S.ExtNew, 0);                    // outside the table: default
    EXPECT_EQ(settings.T2S.Base, DefaultSamiBaseStyle()); // stored empty
    EXPECT_EQ(settings.T2D.Lines, 1);                     // beyond 16 bits: default
    EXPECT_EQ(settings.Init.TimeRatio, 0.9953125);        // "," is no decimal point here
    EXPECT_EQ(settings.T2T.TimeRatio[0], 1.0);
    EXPECT_EQ(settings.T2M.Id3v2Language, QStringLiteral("jpn")); // no language code: default
    EXPECT_EQ(settings.T2L.ExtNew, 0);
}

TEST(ShiftAmount, IsReadAndWrittenOnItsOwn) {
    MemoryStore store;
    EXPECT_EQ(LoadShiftAmount(store), 0);
    SaveShiftAmount(store, -1500);
    EXPECT_EQ(store.values[QStringLiteral("Init/SlidemSec")], QStringLiteral("-1500"));
    EXPECT_EQ(LoadShiftAmount(store), -1500);
    Settings settings;
    LoadSettings(store, settings);
    EXPECT_EQ(settings.Init.SlidemSec, 0);
}

TEST(SetSettingFromText, KnownKeysInTheirStoredForm) {
    Settings settings;
    QString error;
    EXPECT_TRUE(SetSettingFromText(settings, QStringLiteral("Init"), QStringLiteral("OverWrite"),
                                   QStringLiteral("False"), error));
    EXPECT_FALSE(settings.Init.OverWrite);
    EXPECT_TRUE(SetSettingFromText(settings, QStringLiteral("T2S"), QStringLiteral("KaraokeHTML2"),
                                   QStringLiteral("<b>"), error));
    EXPECT_EQ(settings.T2S.KaraokeHTML[2], QStringLiteral("<b>"));
    EXPECT_TRUE(SetSettingFromText(settings, QStringLiteral("T2T"), QStringLiteral("TimeRatio2"),
                                   QStringLiteral("1"), error));
    EXPECT_EQ(settings.T2T.TimeRatio[2], 1.0);

    EXPECT_FALSE(SetSettingFromText(settings, QStringLiteral("Init"), QStringLiteral("Nope"),
                                    QStringLiteral("1"), error));
    EXPECT_TRUE(error.contains(QStringLiteral("unknown setting Init/Nope")));
    EXPECT_FALSE(SetSettingFromText(settings, QStringLiteral("T2D"), QStringLiteral("ExtNew"),
                                    QStringLiteral("7"), error));
    EXPECT_FALSE(SetSettingFromText(settings, QStringLiteral("Init"), QStringLiteral("PreMode"),
                                    QStringLiteral("yes"), error));
    for (const char* language : {"eng", "XXX", "en", "engl", "e g", "日本語"})
        EXPECT_EQ(SetSettingFromText(settings, QStringLiteral("T2M"),
                                     QStringLiteral("Id3v2Language"), QString::fromUtf8(language),
                                     error),
                  qstrlen(language) == 3 && QByteArray(language) != "e g")
            << language;
}

} // namespace
