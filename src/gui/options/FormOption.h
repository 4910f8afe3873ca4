// The mode options dialog: the extensions and switches of the mode selected in the main
// window. It edits the settings in place on OK and tells the caller whether it was cancelled.
#pragma once

#include "../../modes/ModeTable.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace tavelkor {

struct Settings;

// Whether the mode has a page of options (modes 0..6, 9 and 10; the two tools have none).
bool HasModeOptions(int mode);

class FormOption : public QDialog {
    Q_OBJECT
public:
    FormOption(Settings& settings, int mode, QWidget* owner = nullptr);

    // False after OK; true after the cancel button, Esc or the window's close button, so that
    // a dismissed question before a run never runs it.
    bool OptionsCancelled = false;
    std::function<void(const QString&)> Warn;

    void LoadModePage(int mode);
    void StoreModePage(int mode);
    void done(int result) override;
    void reject() override;

    // The page of a mode (empty for 4, 7 and 8); only the current mode's page is visible.
    QWidget* Frm(int mode) const { return frm_[mode]; }
    QComboBox* CmbExtOrg() const { return extOrg_; }
    QComboBox* CmbExtNew() const { return extNew_; }
    QPushButton* ComOK() const { return ok_; }
    QPushButton* ComCancel() const { return cancel_; }
    // Mode 0.
    QCheckBox* ChkT2SKaraoke() const { return t2sKaraoke_; }
    QWidget* FrmT2SKaraoke() const { return t2sKaraokeFrame_; }
    QLineEdit* TxtT2SKaraoke(int i) const { return t2sHtml_[i]; }
    QLineEdit* TxtT2SBase() const { return t2sBase_; }
    QPushButton* ComT2KDef(int i) const { return t2kDef_[i]; }
    QComboBox* CmbT2SLines() const { return t2sLines_; }
    // Modes 1 to 5.
    QCheckBox* ChkS2TKaraoke() const { return s2tKaraoke_; }
    QCheckBox* ChkT2DKaraoke() const { return t2dKaraoke_; }
    QRadioButton* OptAlignment(int i) const { return alignment_[i]; }
    QComboBox* CmbT2DLines() const { return t2dLines_; }
    QCheckBox* ChkD2TKaraoke() const { return d2tKaraoke_; }
    QCheckBox* ChkM2TDelete() const { return m2tDelete_; }
    QCheckBox* ChkM2TPreferSylt() const { return m2tPreferSylt_; }
    QCheckBox* ChkT2LWordStamps() const { return t2lWordStamps_; }
    QCheckBox* ChkL2TKaraoke() const { return l2tKaraoke_; }
    QComboBox* CmbT2LEncoding() const { return t2lEncoding_; }
    QCheckBox* ChkT2XFormat(int i) const { return t2xFormats_[i]; }
    QComboBox* CmbT2XKaraoke() const { return t2xKaraoke_; }
    QLineEdit* TxtT2XFont() const { return t2xFont_; }
    QCheckBox* ChkT2XFurigana() const { return t2xFurigana_; }
    QCheckBox* ChkT2XVttStyle() const { return t2xVttStyle_; }
    QCheckBox* ChkT2SRuby() const { return t2sRuby_; }
    QCheckBox* ChkX2TKaraoke() const { return x2tKaraoke_; }
    QCheckBox* ChkT2MId3v2() const { return t2mId3v2_; }
    QLineEdit* TxtT2MLanguage() const { return t2mLanguage_; }
    // Mode 6.
    QRadioButton* OptT2T(int i) const { return t2tPage_[i]; }
    QCheckBox* ChkT2TKaraokeNormalize() const { return t2tKaraokeNormalize_; }
    QCheckBox* ChkT2TmSec() const { return t2tmSec_; }
    QCheckBox* ChkT2TNormalize() const { return t2tNormalize_; }
    QCheckBox* ChkT2TKaraokeNise() const { return t2tKaraokeNise_; }
    QCheckBox* ChkT2TKaraokeLineTop() const { return t2tKaraokeLineTop_; }
    QCheckBox* ChkT2TCorrectAdd() const { return t2tCorrectAdd_; }
    QCheckBox* ChkT2TCorrectTrans() const { return t2tCorrectTrans_; }
    QLineEdit* TxtT2TTR(int i) const { return t2tRatio_[i]; }
    QLineEdit* TxtT2TName() const { return t2tName_; }
    QCheckBox* ChkT2TSilencemSec() const { return t2tSilence_; }
    QRadioButton* OptArtist(int i) const { return artist_[i]; }
    QWidget* ConversionPage() const { return t2tConversion_; }
    QWidget* CorrectionPage() const { return t2tCorrection_; }

private:
    void BuildTimeTagToSamiPage(QWidget* page);
    void BuildTimeTagToDsmpPage(QWidget* page);
    void BuildTimeTagToWordFormatsPage(QWidget* page);
    void BuildTimeTagToTimeTagPage(QWidget* page);
    void Confirm();

    Settings& settings_;
    int mode_;
    std::array<QWidget*, ModeCount> frm_; // one page per mode, empty for the tools
    QLabel* extOrgLabel_;
    QLabel* extNewLabel_;
    QComboBox* extOrg_;
    QComboBox* extNew_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QCheckBox* t2sKaraoke_;
    QWidget* t2sKaraokeFrame_;
    std::array<QLineEdit*, 4> t2sHtml_;
    QLineEdit* t2sBase_;
    std::array<QPushButton*, 2> t2kDef_;
    QComboBox* t2sLines_;
    QCheckBox* s2tKaraoke_;
    QCheckBox* t2dKaraoke_;
    std::array<QRadioButton*, 3> alignment_;
    QComboBox* t2dLines_;
    QCheckBox* d2tKaraoke_;
    QCheckBox* m2tDelete_;
    QCheckBox* m2tPreferSylt_;
    QCheckBox* t2lWordStamps_;
    QCheckBox* t2lMillis_;
    QCheckBox* t2lIdTags_;
    QCheckBox* l2tKaraoke_;
    QComboBox* t2lEncoding_;
    std::array<QCheckBox*, 4> t2xFormats_; // ass, ttml, vtt, srt
    QComboBox* t2xKaraoke_;
    QLineEdit* t2xFont_;
    QCheckBox* t2xFurigana_;
    QCheckBox* t2xVttStyle_;
    QCheckBox* t2sRuby_;
    QCheckBox* x2tKaraoke_;
    QCheckBox* placeRedo_;
    void BuildTimeTagToVideoPage(QWidget* page);
    QComboBox* t2vSize_;       // "1280×720"
    QComboBox* t2vFps_;
    QLineEdit* t2vBackground_;
    QComboBox* t2vColour_;     // "#000000 黒"
    QComboBox* t2vPreset_;
    QComboBox* t2vCrf_;
    QComboBox* t2vAudio_;
    QCheckBox* t2mId3v2_;
    QLineEdit* t2mLanguage_;
    std::array<QRadioButton*, 2> t2tPage_;
    QStackedWidget* t2tSubPages_;
    QWidget* t2tConversion_;
    QWidget* t2tCorrection_;
    QCheckBox* t2tKaraokeNormalize_;
    QCheckBox* t2tmSec_;
    QCheckBox* t2tNormalize_;
    QCheckBox* t2tKaraokeNise_;
    QCheckBox* t2tKaraokeLineTop_;
    QCheckBox* t2tCorrectAdd_;
    QCheckBox* t2tCorrectTrans_;
    std::array<QLineEdit*, 3> t2tRatio_;
    QLineEdit* t2tName_;
    QCheckBox* t2tSilence_;
    std::array<QRadioButton*, 3> artist_;
};

} // namespace tavelkor
