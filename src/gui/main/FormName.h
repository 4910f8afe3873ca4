// The file-name matching dialog: which of two files gives its base name to the other.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tavelkor {

class FormName : public QDialog {
    Q_OBJECT
public:
    // `first` is shown in the upper row, `second` in the lower one.
    FormName(const QString& first, const QString& second, QWidget* owner = nullptr);

    // 0: the upper file's name wins, 1: the lower one's, -1: cancelled or closed.
    int Target() const { return target_; }

    QPushButton* ComOK(int index) const { return ok_[index]; }
    QPushButton* ComCancel() const { return cancel_; }
    QLabel* LblFile(int index) const { return file_[index]; }
    QLabel* LblExt(int index) const { return ext_[index]; }

private:
    int target_ = -1;
    QPushButton* ok_[2];
    QLabel* file_[2];
    QLabel* ext_[2];
    QPushButton* cancel_;
};

} // namespace tavelkor
