#include "FormSlide.h"

#include "../../base/NumberText.h"
#include "../../base/PathHelpers.h"
#include "../../lyrics/TimeValues.h"
#include "../common/WindowHelpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tavelkor {

namespace {

// Dialogs opened from the main window sit 200 twips right of and below its top-left corner.
constexpr int DialogOffsetPixels = 200 / 15;

} // namespace

FormSlide::FormSlide(int shiftMs, QWidget* owner, const QString& path)
    : QDialog(owner), shiftMs_(shiftMs), file_(new QLabel(this)), text1_(new QLineEdit(this)),
      check1_(new QCheckBox(this)), ok_(new QPushButton(this)), cancel_(new QPushButton(this)) {
    setWindowTitle(QStringLiteral(u"時間微調整"));
    setModal(true);
    Warn = [this](const QString& message) {
        QMessageBox::warning(this, windowTitle(), message, QMessageBox::Ok);
    };

    auto* label1 = new QLabel(QStringLiteral(u"どのくらいズラしますか？"), this);
    auto* label2 = new QLabel(QStringLiteral(u"（ミリ秒）"), this);
    auto* label3 = new QLabel(QStringLiteral(u"歌詞が遅れるときはマイナスの値を、歌詞が早すぎると"
                                             u"きはプラスの値を入力します。"),
                              this);
    label3->setWordWrap(true);
    check1_->setText(QStringLiteral(u"他の曲も同じだけずらす") + u'\n' +
                     QStringLiteral(u"(複数ファイルをＤ＆Ｄした場合)"));
    check1_->setChecked(false);
    ok_->setText(QStringLiteral(u"ＯＫ"));
    cancel_->setText(QStringLiteral(u"キャンセル"));
    ok_->setDefault(true);

    // The file asked about, so that the questions of a run of several files differ.
    file_->setText(FileNameOf(path));
    file_->setToolTip(path);
    QFont bold = file_->font();
    bold.setBold(true);
    file_->setFont(bold);
    file_->setVisible(!path.isEmpty());
    auto* layout = new QGridLayout(this);
    layout->addWidget(file_, 0, 0, 1, 3);
    layout->addWidget(label1, 1, 0, 1, 3);
    layout->addWidget(text1_, 2, 0, 1, 2);
    layout->addWidget(label2, 2, 2);
    layout->addWidget(label3, 3, 0, 1, 3);
    layout->addWidget(check1_, 4, 0, 1, 3);
    layout->addWidget(ok_, 5, 1);
    layout->addWidget(cancel_, 5, 2);

    connect(ok_, &QPushButton::clicked, this, &FormSlide::Confirm);
    connect(cancel_, &QPushButton::clicked, this, &FormSlide::reject);

    if (owner != nullptr)
        move(owner->pos() + QPoint(DialogOffsetPixels, DialogOffsetPixels));
    text1_->setText(QString::number(shiftMs_));
    text1_->selectAll();
    MakeTopmost(this);
}

void FormSlide::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    text1_->setFocus();
    text1_->selectAll();
}

void FormSlide::Confirm() {
    // A number rounds to whole milliseconds (halves to even); one that does not fit 32 bits
    // is refused like any text that is not a number.
    const std::optional<int> value = ParseTypedInt32(text1_->text());
    if (!value) {
        Warn(QStringLiteral(u"数字を入力してください"));
        return;
    }
    shiftMs_ = *value;
    cancelled_ = false;
    sameForAll_ = check1_->isChecked();
    ClearTopmost(this);
    accept();
}

void FormSlide::reject() {
    cancelled_ = true;
    sameForAll_ = check1_->isChecked();
    ClearTopmost(this);
    QDialog::reject();
}

} // namespace tavelkor
