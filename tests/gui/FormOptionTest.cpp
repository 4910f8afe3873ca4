// The mode options dialog: pages, store rules and the same-extension warning.
#include "gui/options/FormOption.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "OptionControls.h"

using namespace tavelkor;

class FormOptionTest : public QObject {
    Q_OBJECT

private slots:
    void sameExtensionsAreRefusedExceptForTimeTagToTimeTag() {
        Settings settings;
        FormOption dsmp(settings, ModeTimeTagToDsmp);
        QStringList warnings;
        dsmp.Warn = [&warnings](const QString& message) { warnings.append(message); };
        dsmp.show();
        QCOMPARE(dsmp.windowTitle(), QString::fromUtf8("モード別オプション  TimeTag → DSMP"));
        dsmp.CmbExtOrg()->setCurrentIndex(0); // txt
        dsmp.CmbExtNew()->setCurrentIndex(2); // txt
        dsmp.OptAlignment(1)->setChecked(true);
        QTest::mouseClick(dsmp.ComOK(), Qt::LeftButton);
        QVERIFY(dsmp.isVisible());
        QCOMPARE(warnings, QStringList{QString::fromUtf8("変換元と変換後の拡張子が同じです。")});
        QCOMPARE(settings.T2D.Alignment, 0); // nothing stored

        FormOption t2t(settings, ModeTimeTagToTimeTag);
        t2t.show();
        t2t.CmbExtOrg()->setCurrentIndex(1);
        t2t.CmbExtNew()->setCurrentIndex(1);
        QTest::mouseClick(t2t.ComOK(), Qt::LeftButton);
        QVERIFY(!t2t.isVisible());
        QVERIFY(!t2t.OptionsCancelled);
        QCOMPARE(settings.T2T.ExtNew, 1);
    }

    void samiPageStoresItsRules() {
        Settings settings;
        settings.T2S.Lines = 3;
        FormOption dialog(settings, ModeTimeTagToSami);
        dialog.show();
        QCOMPARE(dialog.CmbT2SLines()->currentIndex(), 2);
        QVERIFY(dialog.FrmT2SKaraoke()->isVisible());
        dialog.ChkT2SKaraoke()->click();
        QVERIFY(!dialog.FrmT2SKaraoke()->isVisible());
        dialog.TxtT2SBase()->clear();
        dialog.TxtT2SKaraoke(2)->setText(QStringLiteral("<i>"));
        dialog.CmbT2SLines()->setCurrentIndex(3);
        QTest::mouseClick(dialog.ComOK(), Qt::LeftButton);
        QCOMPARE(settings.T2S.Base, DefaultSamiBaseStyle());
        QCOMPARE(settings.T2S.KaraokeHTML[2], QStringLiteral("<i>"));
        QCOMPARE(settings.T2S.Lines, 4);
        QVERIFY(!settings.T2S.Karaoke);
    }

    void timeTagPageKeepsOneSwitchAndValidRatios() {
        Settings settings;
        settings.T2T.KaraokeNise = true;
        settings.T2T.KaraokeLineTop = true; // hand-edited: two switches on
        settings.Init.DispCorrect = true;
        FormOption dialog(settings, ModeTimeTagToTimeTag);
        dialog.show();
        QVERIFY(dialog.CorrectionPage()->isVisible());
        QVERIFY(dialog.ChkT2TKaraokeNise()->isChecked());
        QVERIFY(dialog.ChkT2TKaraokeLineTop()->isChecked());
        const char* ratios[3] = {"0.9953125", "1.5", "word"};
        for (int i = 0; i < 3; ++i)
            dialog.TxtT2TTR(i)->setText(QString::fromLatin1(ratios[i]));
        dialog.TxtT2TTR(0)->setText(QStringLiteral("1"));
        dialog.OptArtist(2)->setChecked(true);
        dialog.OptT2T(0)->setChecked(true);
        QVERIFY(dialog.ConversionPage()->isVisible());
        QTest::mouseClick(dialog.ComOK(), Qt::LeftButton);
        QVERIFY(settings.T2T.KaraokeNise);
        QVERIFY(!settings.T2T.KaraokeLineTop);
        QCOMPARE(settings.T2T.TimeRatio[0], 1.0);
        QCOMPARE(settings.T2T.TimeRatio[1], 0.9953125); // 1.5 is not a ratio
        QCOMPARE(settings.T2T.TimeRatio[2], 0.9953125); // nor is a word
        QCOMPARE(settings.T2T.AtArtist, 2);
        QVERIFY(!settings.Init.DispCorrect); // the conversion page was showing last

        // Ticking one switch clears the others.
        FormOption again(settings, ModeTimeTagToTimeTag);
        again.ChkT2TNormalize()->click();
        QVERIFY(!again.ChkT2TKaraokeNise()->isChecked());
        again.ChkT2TCorrectAdd()->click();
        again.ChkT2TCorrectTrans()->click();
        QVERIFY(!again.ChkT2TCorrectAdd()->isChecked());
    }

    void captionPagesStoreFormatsKaraokeTagAndLrcEncoding() {
        Settings settings;
        FormOption t2x(settings, ModeTimeTagToWordFormats);
        t2x.show();
        QVERIFY(t2x.CmbExtOrg()->isVisible() && !t2x.CmbExtNew()->isVisible());
        QVERIFY(t2x.ChkT2XFormat(0)->isChecked() && !t2x.ChkT2XFormat(3)->isChecked());
        t2x.ChkT2XFormat(0)->click(); // no ASS
        t2x.ChkT2XFormat(3)->click(); // SRT
        t2x.CmbT2XKaraoke()->setCurrentIndex(2);
        QVERIFY(t2x.ChkT2XVttStyle()->isChecked());
        t2x.ChkT2XVttStyle()->click(); // WebVTT for ffmpeg and mpv
        QTest::mouseClick(t2x.ComOK(), Qt::LeftButton);
        QCOMPARE(settings.T2X.Formats, QStringLiteral("ttml,vtt,srt"));
        QCOMPARE(settings.T2X.AssKaraoke, QStringLiteral("ko"));
        QVERIFY(!settings.T2X.VttStyle);

        FormOption x2t(settings, ModeWordFormatsToTimeTag);
        x2t.show();
        QVERIFY(!x2t.CmbExtOrg()->isVisible() && x2t.CmbExtNew()->isVisible());
        x2t.ChkX2TKaraoke()->click();
        QTest::mouseClick(x2t.ComOK(), Qt::LeftButton);
        QVERIFY(!settings.X2T.Karaoke);

        FormOption t2l(settings, ModeTimeTagToLrc);
        t2l.show();
        QCOMPARE(t2l.CmbT2LEncoding()->currentText(), QStringLiteral("UTF-8"));
        t2l.CmbT2LEncoding()->setCurrentIndex(3);
        QTest::mouseClick(t2l.ComOK(), Qt::LeftButton);
        QCOMPARE(settings.T2L.Encoding, OutputEncodingChoice::Source);
    }

    // Every control of every mode's page, changed alone: OK stores it under the page's own keys
    // and the page shows it again when opened on the settings file. The page is opened with the
    // defaults and with every switch on, each sub-page showing.
    void everyFieldIsStoredAndShownAgainUnderItsOwnKey() {
        const QMap<int, const char*> pages = {
            {ModeTimeTagToSami, "T2S/Base T2S/ExtNew T2S/ExtOrg T2S/Karaoke T2S/KaraokeHTML0 "
                                "T2S/KaraokeHTML1 T2S/KaraokeHTML2 T2S/KaraokeHTML3 T2S/Lines "
                                "T2S/Ruby"},
            {ModeSamiToTimeTag, "S2T/ExtNew S2T/ExtOrg S2T/Karaoke"},
            {ModeTimeTagToDsmp, "T2D/Alignment T2D/ExtNew T2D/ExtOrg T2D/Karaoke T2D/Lines"},
            {ModeDsmpToTimeTag, "D2T/ExtNew D2T/ExtOrg D2T/Karaoke"},
            {ModeTimeTagToMp3, "T2M/ExtOrg T2M/Id3v2Language T2M/Id3v2Lyrics"},
            {ModeMp3ToTimeTag, "M2T/DeleteL3 M2T/ExtNew M2T/PreferSylt"},
            {ModeTimeTagToTimeTag,
             "Init/DispCorrect T2T/AtArtist T2T/CorrectAdd T2T/CorrectTrans T2T/ExtNew "
             "T2T/ExtOrg T2T/KaraokeLineTop T2T/KaraokeNise T2T/KaraokeNormalize T2T/Name "
             "T2T/Normalize T2T/SilencemSec T2T/TimeRatio0 T2T/TimeRatio1 T2T/TimeRatio2 "
             "T2T/mSec"},
            {ModeTimeTagToLrc, "T2L/Encoding T2L/ExtNew T2L/ExtOrg T2L/IdTags T2L/Millis "
                               "T2L/WordStamps"},
            {ModeLrcToTimeTag, "L2T/ExtNew L2T/ExtOrg L2T/Karaoke"},
            {ModeTimeTagToWordFormats, "T2X/AssFont T2X/AssFurigana T2X/AssKaraoke T2X/ExtOrg "
                                       "T2X/Formats T2X/VttStyle"},
            {ModeWordFormatsToTimeTag, "X2T/ExtNew X2T/Karaoke"},
            {ModePlace, "Place/ExtNew Place/Redo"},
            {ModeTimeTagToVideo, "T2V/Audio T2V/Background T2V/BackgroundColour T2V/Crf T2V/Fps "
                                 "T2V/Height T2V/Preset T2V/Width"},
        };
        for (int mode = 0; mode < ModeCount; ++mode)
            QCOMPARE(HasModeOptions(mode), pages.contains(mode));
        for (auto page = pages.begin(); page != pages.end(); ++page) {
            const int mode = page.key();
            const PageOpener open = OpenerOf<FormOption>(mode);
            QStringList keys;
            QStringList faults;
            for (const bool on : {false, true}) {
                for (const bool correction : {false, true}) {
                    keys += StoredKeysOfPage(open, [&](Settings& settings) {
                        if (on)
                            SwitchEverythingOn(settings);
                        settings.Init.DispCorrect = correction;
                    }, faults);
                }
            }
            keys.removeDuplicates();
            keys.sort();
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
            QCOMPARE(keys.join(u' '), QString::fromLatin1(page.value()));
        }
    }

    void cancelStoresNothing() {
        Settings settings;
        FormOption dialog(settings, ModeMp3ToTimeTag);
        dialog.show();
        QVERIFY(!dialog.CmbExtOrg()->isVisible());
        dialog.ChkM2TDelete()->click();
        QTest::mouseClick(dialog.ComCancel(), Qt::LeftButton);
        QVERIFY(dialog.OptionsCancelled);
        QVERIFY(!settings.M2T.DeleteL3);
    }
};

QTEST_MAIN(FormOptionTest)
#include "FormOptionTest.moc"
