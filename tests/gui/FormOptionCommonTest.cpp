// The common options dialog: what it stores on OK, what at once, and its folder warnings.
#include "gui/options/FormOptionCommon.h"
#include "settings/Settings.h"

#include "OptionControls.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tavelkor;

class FormOptionCommonTest : public QObject {
    Q_OBJECT

private slots:
    void loadsTheSettings() {
        Settings settings;
        settings.Init.SameFolder = false;
        settings.Init.AnotherFolder = QStringLiteral("/out/");
        settings.Init.DispResult = false;
        settings.Init.DispResult2 = true;
        FormOptionCommon dialog(settings);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("共通オプション"));
        QCOMPARE(dialog.TxtTimeRatio()->text(), QStringLiteral("0.9953125"));
        QVERIFY(dialog.OptOutputFolder(1)->isChecked());
        QCOMPARE(dialog.LblOutputFolder()->text(), QStringLiteral("/out/"));
        QVERIFY(dialog.ChkOverWrite()->isChecked());
        QVERIFY(
            dialog.ChkOverWrite()->text().endsWith(QString::fromUtf8("\n（歌詞ファイルのみ）")));
        QVERIFY(dialog.ChkDispResult2()->isChecked());
        QVERIFY(!dialog.ChkDispResult2()->isEnabled());
        QTest::mouseClick(dialog.ComDef(0), Qt::LeftButton);
        QCOMPARE(dialog.TxtTimeRatio()->text(), QStringLiteral("1"));
        QTest::mouseClick(dialog.ComDef(1), Qt::LeftButton);
        QCOMPARE(dialog.TxtTimeRatio()->text(), QStringLiteral("0.9953125"));
    }

    void folderWarningsKeepTheDialogOpen() {
        test::TestFolder folder;
        Settings settings;
        FormOptionCommon dialog(settings);
        QStringList warnings;
        dialog.Warn = [&warnings](const QString& message) { warnings.append(message); };
        dialog.show();
        dialog.OptOutputFolder(1)->setChecked(true);
        QTest::mouseClick(dialog.ComOK(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        dialog.BrowseForFolder = [&folder] { return folder.File("gone"); };
        QTest::mouseClick(dialog.LblOutputFolder(), Qt::LeftButton);
        QCOMPARE(dialog.LblOutputFolder()->text(), folder.File("gone/"));
        QTest::mouseClick(dialog.ComOK(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(warnings, QStringList({QString::fromUtf8("出力フォルダが指定されていません。"),
                                        QString::fromUtf8("出力フォルダが存在しません。")}));
        QVERIFY(settings.Init.SameFolder);

        dialog.BrowseForFolder = [&folder] { return folder.Path(); };
        QTest::mouseClick(dialog.LblOutputFolder(), Qt::LeftButton);
        dialog.ChkOverWrite()->setChecked(false);
        dialog.TxtTimeRatio()->setText(QStringLiteral("not a number"));
        QTest::mouseClick(dialog.ComOK(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!settings.Init.SameFolder);
        QCOMPARE(settings.Init.AnotherFolder, folder.Path() + u'/');
        QVERIFY(!settings.Init.OverWrite);
        QCOMPARE(settings.Init.TimeRatio, 0.9953125); // a text that is no number keeps it
    }

    void checkBoxesTakeEffectAtOnceTheRestOnlyOnOk() {
        Settings settings;
        FormOptionCommon dialog(settings);
        dialog.show();
        dialog.ChkDispResult()->click();
        QVERIFY(settings.Init.DispResult);
        QVERIFY(dialog.ChkDispResult2()->isEnabled());
        dialog.ChkDispResult2()->click();
        QVERIFY(settings.Init.DispResult2);
        dialog.ChkDispResult()->click();
        QVERIFY(!dialog.ChkDispResult2()->isEnabled());
        QVERIFY(dialog.ChkDispResult2()->isChecked());
        QVERIFY(settings.Init.DispResult2);
        dialog.ChkPreMode()->click();
        QVERIFY(settings.Init.PreMode);
        dialog.ChkOverWrite()->setChecked(false);
        dialog.TxtTimeRatio()->setText(QStringLiteral("1"));
        dialog.close();
        QVERIFY(settings.Init.OverWrite);
        QCOMPARE(settings.Init.TimeRatio, 0.9953125);
    }

    // Every control, changed alone: OK stores it under its own key and the dialog shows it again
    // when opened on the settings file; with the defaults and with every switch on.
    void everyFieldIsStoredAndShownAgainUnderItsOwnKey() {
        test::TestFolder folder;
        const PageOpener open = OpenerOf<FormOptionCommon>();
        QStringList keys;
        QStringList faults;
        for (const bool on : {false, true}) {
            keys += StoredKeysOfPage(open, [&](Settings& settings) {
                if (on)
                    SwitchEverythingOn(settings);
                settings.Init.AnotherFolder = folder.Path() + u'/'; // a folder that is there
            }, faults);
        }
        keys.removeDuplicates();
        keys.sort();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QCOMPARE(keys.join(u' '), QStringLiteral("Init/DispResult Init/DispResult2 "
                                                 "Init/InputEncoding Init/OutputEncoding "
                                                 "Init/OverWrite Init/PreMode Init/SameFolder "
                                                 "Init/TimeRatio Timing/OnsetKind"));
    }
};

QTEST_MAIN(FormOptionCommonTest)
#include "FormOptionCommonTest.moc"
