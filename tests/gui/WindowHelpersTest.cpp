// The always-on-top layer and opening documents.
#include "gui/common/QtTranslations.h"
#include "gui/common/WindowHelpers.h"

#include "TestFiles.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>
#include <QWindow>
#include <QtTest>

using namespace tavelkor;

class WindowHelpersTest : public QObject {
    Q_OBJECT

private slots:
    // Qt's own dialogs speak Japanese on a Japanese desktop: the standard buttons and the file
    // chooser's texts come from Qt's translations.
    void qtsOwnDialogsAreInTheSystemLanguage() {
        QVERIFY2(InstallQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan)),
                 "Qt's Japanese translations (qt6-translations-l10n) are not installed");
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QString::fromUtf8("開く"));
    }

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
