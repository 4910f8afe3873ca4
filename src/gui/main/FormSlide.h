// The time-shift dialog: how many milliseconds to move the times of a lyrics file.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavelkor {

class FormSlide : public QDialog {
    Q_OBJECT
public:
    // `shiftMs` is the amount shown; `owner` (the main window) places the dialog; `path` is
    // the file asked about, named above the amount.
    FormSlide(int shiftMs, QWidget* owner = nullptr, const QString& path = QString());

    // The answer once the dialog has closed. Esc and the window's close button are the cancel
    // button: a question the user dismissed never rewrites a file.
    int ShiftMs() const { return shiftMs_; }
    bool Cancelled() const { return cancelled_; }
    bool SameForAll() const { return sameForAll_; }

    // Shows the warning for a text that is not a number (a message box unless replaced).
    std::function<void(const QString&)> Warn;

    QLineEdit* Text1() const { return text1_; }
    QLabel* FileLabel() const { return file_; }
    QCheckBox* Check1() const { return check1_; }
    QPushButton* Command1(int index) const { return index == 0 ? ok_ : cancel_; }

    // Cancels (the cancel button, Esc, the window's close button).
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Confirm();

    int shiftMs_;
    bool cancelled_ = false;
    bool sameForAll_ = false;
    QLabel* file_;
    QLineEdit* text1_;
    QCheckBox* check1_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace tavelkor
