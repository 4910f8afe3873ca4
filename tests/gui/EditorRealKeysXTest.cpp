// The timing editor in a real X server, its keys typed by xdotool as a keyboard sends them:
// the server repeats a key held past its repeat delay, and a menu opened with Alt and closed
// with Esc, or a stray Alt, leaves the focus where the server and Qt put it.
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"

#include "PrivateSettings.h"
#include "TestFiles.h"
#include "TimingFakes.h"
#include "Xdo.h"

#include <QMenu>
#include <QtTest>

using namespace tavelkor;

class EditorRealKeysXTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TAVELKOR_REQUIRE_XDOTOOL(); }

    void heldTapKeyAndLettersAfterAMenu() {
        test::TestFolder folder;
        Settings settings;
        const QString lyrics =
            folder.Put("song.txt", QString::fromUtf8("さくらさいた\r\n").toUtf8());
        folder.Put("song.wav", SilentWav());
        FakeTimingClock* clock = nullptr;
        FormTiming form(settings, nullptr, [&clock](const PreviewSong&) {
            auto made = std::make_unique<FakeTimingClock>(true);
            clock = made.get();
            return made;
        });
        QVERIFY(form.OpenFile(lyrics));
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // The document is replaced by every change: read afresh each time.
        auto fragment = [&form](int i) { return form.Session().Document().Lines[0].Fragments[i]; };

        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("space")}));
        QTRY_VERIFY(clock->playing);
        // J held for 1.5 s, well past the server's repeat delay.
        clock->position = 1000;
        QVERIFY(Xdo({QStringLiteral("keydown"), QStringLiteral("j")}));
        QTest::qWait(1500);
        clock->position = 2500;
        QVERIFY(Xdo({QStringLiteral("keyup"), QStringLiteral("j")}));
        QTRY_VERIFY(fragment(0).EndMs >= 0);
        QTest::qWait(200);
        QVERIFY2(!fragment(1).Timed(), "the repeats stamped the next fragment");
        QCOMPARE(fragment(0).StartMs, 1000);

        // Paused; the file menu opened with Alt+F and closed with Esc; then Space plays and F
        // stamps the next start instead of opening the file menu.
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("space")}));
        QTRY_VERIFY(!clock->playing);
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("alt+f")}));
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("space")}));
        QTRY_VERIFY(clock->playing);
        clock->position = 4000;
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("f")}));
        // Stamped at the key's own time: the clock stood at 4 s since before the key went down.
        QTRY_VERIFY(fragment(1).Timed());
        QVERIFY2(fragment(1).StartMs > 3700 && fragment(1).StartMs <= 4000,
                 qPrintable(QString::number(fragment(1).StartMs)));
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        // A stray Alt alone (Alt+Tab and back), then a letter: a tap too.
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("alt")}));
        clock->position = 6000;
        QVERIFY(Xdo({QStringLiteral("key"), QStringLiteral("f")}));
        QTRY_VERIFY(fragment(2).Timed());
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(form.isVisible());
        // The stamps are kept in the test's own settings folder, not in the user's.
        QVERIFY(QFileInfo::exists(settings_.Autosave(lyrics)));
        QVERIFY(!QFileInfo::exists(PrivateSettings::UsersAutosave(lyrics)));
    }

private:
    PrivateSettings settings_;
};

QTEST_MAIN(EditorRealKeysXTest)
#include "EditorRealKeysXTest.moc"
