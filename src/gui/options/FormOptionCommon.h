// The common options dialog: where outputs go, overwriting, the default time ratio, the
// encodings files are read and written in, the timing editor's kind of onsets, and when the
// result window and the mode options dialog appear. It edits the settings in place.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavelkor {

struct Settings;

class FormOptionCommon : public QDialog {
    Q_OBJECT
public:
    FormOptionCommon(Settings& settings, QWidget* owner = nullptr);

    // The folder chooser ("" when cancelled) and the warning box; replaceable for tests.
    std::function<QString()> BrowseForFolder;
    std::function<void(const QString&)> Warn;

    QRadioButton* OptOutputFolder(int index) const { return outputFolder_[index]; }
    QPushButton* LblOutputFolder() const { return folderLabel_; }
    // The folder the field holds ("" when none is chosen yet).
    QString ChosenFolder() const { return folder_; }
    QCheckBox* ChkOverWrite() const { return overWrite_; }
    QLineEdit* TxtTimeRatio() const { return timeRatio_; }
    QPushButton* ComDef(int index) const { return def_[index]; }
    QCheckBox* ChkDispResult() const { return dispResult_; }
    QCheckBox* ChkDispResult2() const { return dispResult2_; }
    QCheckBox* ChkPreMode() const { return preMode_; }
    QComboBox* CmbInputEncoding() const { return inputEncoding_; }
    QComboBox* CmbOutputEncoding() const { return outputEncoding_; }
    QComboBox* CmbOnsetKind() const { return onsetKind_; }
    QPushButton* ComOK() const { return ok_; }

    void done(int result) override;

private:
    void Confirm();
    void ShowFolder(const QString& folder);

    Settings& settings_;
    QRadioButton* outputFolder_[2];
    QPushButton* folderLabel_; // drawn as a field: clicking it opens the folder chooser
    QString folder_;           // the chosen folder; "" shows a placeholder
    QCheckBox* overWrite_;
    QLineEdit* timeRatio_;
    QPushButton* def_[2];
    QCheckBox* dispResult_;
    QCheckBox* dispResult2_;
    QCheckBox* preMode_;
    QComboBox* inputEncoding_;
    QComboBox* outputEncoding_;
    QComboBox* onsetKind_;
    QPushButton* ok_;
};

} // namespace tavelkor
