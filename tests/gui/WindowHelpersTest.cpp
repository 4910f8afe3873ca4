// The always-on-top layer and opening documents.
#include "gui/WindowHelpers.h"

#include "TestFiles.h"

#include <QWidget>
#include <QWindow>
#include <QtTest>

using namespace tavelkor;

class WindowHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void topmostChangesOnlyTheLayer() {
        QWidget window;
        window.setGeometry(50, 60, 200, 100);
        window.show();
        const WId id = window.winId();
        MakeTopmost(&window);
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.geometry(), QRect(50, 60, 200, 100));
        ClearTopmost(&window);
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
        QCOMPARE(window.geometry(), QRect(50, 60, 200, 100));
        QCOMPARE(window.winId(), id);

        QWidget hidden;
        MakeTopmost(&hidden);
        QVERIFY(!hidden.isVisible()); // a hidden window is not shown by it
        MakeTopmost(nullptr);
    }

    void documentsMustExistAddressesAlwaysGo() {
        test::TestFolder folder;
        const QString manual = folder.File("manual.html");
        QVERIFY(test::WriteBytes(manual, "<html></html>"));
        QList<QUrl> opened;
        auto opener = [&opened](const QUrl& url) {
            opened.append(url);
            return true;
        };
        QVERIFY(!OpenDocument(nullptr, folder.File("missing.chm"), opener));
        QVERIFY(!OpenDocument(nullptr, folder.Path(), opener)); // a folder is no document
        QVERIFY(opened.isEmpty());
        QVERIFY(OpenDocument(nullptr, manual, opener));
        QVERIFY(OpenDocument(nullptr, QStringLiteral("https://example.invalid/"), opener));
        QVERIFY(
            !OpenDocument(nullptr, QStringLiteral("HTTP://x"), [](const QUrl&) { return true; }));
        QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(manual),
                                      QUrl(QStringLiteral("https://example.invalid/"))}));
    }
};

QTEST_MAIN(WindowHelpersTest)
#include "WindowHelpersTest.moc"
