#include "FormOptionCommon.h"

#include "../../base/PathHelpers.h"
#include "../../lyrics/TimeValues.h"
#include "../../settings/Settings.h"
#include "../common/WindowHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace tavelkor {

namespace {

constexpr int DialogOffsetPixels = 200 / 15; // 200 twips

} // namespace

FormOptionCommon::FormOptionCommon(Settings& settings, QWidget* owner)
    : QDialog(owner), settings_(settings) {
    setWindowTitle(QStringLiteral(u"共通オプション"));
    setModal(true);
    BrowseForFolder = [this] {
        return QFileDialog::getExistingDirectory(this,
                                                 QStringLiteral(u"フォルダを選択してください"));
    };
    Warn = [this](const QString& message) {
        QMessageBox::warning(this, windowTitle(), message, QMessageBox::Ok);
    };

    auto* layout = new QGridLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral(u"変換時の出力先フォルダ：　（歌詞ファイルのみ）"), this), 0, 0,
        1, 3);
    outputFolder_[0] = new QRadioButton(QStringLiteral(u"元ファイルと同じフォルダ"), this);
    outputFolder_[1] = new QRadioButton(QStringLiteral(u"指定フォルダ"), this);
    // Drawn as a field; clicking it opens the folder chooser.
    folderLabel_ = new QPushButton(this);
    folderLabel_->setStyleSheet(QStringLiteral(
        "QPushButton { text-align: left; padding: 3px 5px; border: 1px solid palette(mid);"
        " background: palette(base); color: palette(text); }"
        " QPushButton[placeholder=\"true\"] { color: palette(mid); }"));
    layout->addWidget(outputFolder_[0], 1, 0, 1, 3);
    layout->addWidget(outputFolder_[1], 2, 0);
    layout->addWidget(folderLabel_, 2, 1, 1, 2);

    overWrite_ = new QCheckBox(QStringLiteral(u"変換時に同名ファイルがあったら上書きする") + u'\n' +
                                   QStringLiteral(u"（歌詞ファイルのみ）"),
                               this);
    layout->addWidget(overWrite_, 3, 0, 1, 3);

    auto* ratioFrame = new QGroupBox(this);
    auto* ratioLayout = new QGridLayout(ratioFrame);
    timeRatio_ = new QLineEdit(ratioFrame);
    def_[0] = new QPushButton(QStringLiteral(u"標準"), ratioFrame);
    def_[1] = new QPushButton(QStringLiteral("WinAmp"), ratioFrame);
    ratioLayout->addWidget(new QLabel(QStringLiteral(u"デフォルトTimeRatio："), ratioFrame), 0, 0);
    ratioLayout->addWidget(timeRatio_, 0, 1);
    ratioLayout->addWidget(def_[0], 0, 2);
    ratioLayout->addWidget(def_[1], 0, 3);
    layout->addWidget(ratioFrame, 4, 0, 1, 3);

    // The encodings: each item carries the setting it stands for.
    auto* encodingFrame = new QGroupBox(QStringLiteral(u"文字コード"), this);
    auto* encodingLayout = new QGridLayout(encodingFrame);
    inputEncoding_ = new QComboBox(encodingFrame);
    inputEncoding_->addItem(QStringLiteral(u"自動判別"), int(EncodingChoice::Auto));
    inputEncoding_->addItem(QStringLiteral("CP932 (Shift_JIS)"), int(EncodingChoice::Cp932));
    inputEncoding_->addItem(QStringLiteral("UTF-8"), int(EncodingChoice::Utf8));
    outputEncoding_ = new QComboBox(encodingFrame);
    outputEncoding_->addItem(QStringLiteral(u"元ファイルと同じ"),
                             int(OutputEncodingChoice::Source));
    outputEncoding_->addItem(QStringLiteral("CP932 (Shift_JIS)"), int(OutputEncodingChoice::Cp932));
    outputEncoding_->addItem(QStringLiteral("UTF-8"), int(OutputEncodingChoice::Utf8));
    outputEncoding_->addItem(QStringLiteral(u"UTF-8（BOM付き）"),
                             int(OutputEncodingChoice::Utf8Bom));
    encodingLayout->addWidget(new QLabel(QStringLiteral(u"読み込み："), encodingFrame), 0, 0);
    encodingLayout->addWidget(inputEncoding_, 0, 1);
    encodingLayout->addWidget(new QLabel(QStringLiteral(u"保存："), encodingFrame), 1, 0);
    encodingLayout->addWidget(outputEncoding_, 1, 1);
    layout->addWidget(encodingFrame, 5, 0, 1, 3);

    // The timing editor's onsets (Timing/OnsetKind): each item carries its stored word.
    auto* onsetRow = new QHBoxLayout;
    onsetKind_ = new QComboBox(this);
    onsetKind_->addItem(QStringLiteral(u"歌声の始まり"), QStringLiteral("voice"));
    onsetKind_->addItem(QStringLiteral(u"すべての音の始まり"), QStringLiteral("plain"));
    onsetRow->addWidget(new QLabel(QStringLiteral(u"タイミング編集のオンセット："), this));
    onsetRow->addWidget(onsetKind_);
    onsetRow->addStretch();
    layout->addLayout(onsetRow, 6, 0, 1, 3);

    dispResult_ = new QCheckBox(QStringLiteral(u"処理終了後に結果を表示する"), this);
    dispResult2_ = new QCheckBox(QStringLiteral(u"エラーがあったときだけ表示する"), this);
    preMode_ = new QCheckBox(QStringLiteral(u"D&&Dした後にモード別オプションを確認する"), this);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    layout->addWidget(dispResult_, 7, 0, 1, 3);
    layout->addWidget(dispResult2_, 8, 0, 1, 3);
    layout->addWidget(preMode_, 9, 0, 1, 3);
    layout->addWidget(ok_, 10, 2);

    // On load, from the settings.
    if (owner != nullptr)
        move(owner->pos() + QPoint(DialogOffsetPixels, DialogOffsetPixels));
    MakeTopmost(this);
    overWrite_->setChecked(settings_.Init.OverWrite);
    timeRatio_->setText(FormatNumber(settings_.Init.TimeRatio));
    outputFolder_[settings_.Init.SameFolder ? 0 : 1]->setChecked(true);
    ShowFolder(settings_.Init.AnotherFolder);
    dispResult_->setChecked(settings_.Init.DispResult);
    dispResult2_->setChecked(settings_.Init.DispResult2);
    preMode_->setChecked(settings_.Init.PreMode);
    inputEncoding_->setCurrentIndex(inputEncoding_->findData(int(settings_.Init.InputEncoding)));
    outputEncoding_->setCurrentIndex(outputEncoding_->findData(int(settings_.Init.OutputEncoding)));
    onsetKind_->setCurrentIndex(std::max(0, int(onsetKind_->findData(settings_.Timing.OnsetKind))));
    dispResult2_->setEnabled(dispResult_->isChecked());

    // Immediate changes.
    connect(dispResult_, &QCheckBox::clicked, this, [this](bool checked) {
        settings_.Init.DispResult = checked;
        dispResult2_->setEnabled(checked);
    });
    connect(dispResult2_, &QCheckBox::clicked, this,
            [this](bool checked) { settings_.Init.DispResult2 = checked; });
    connect(preMode_, &QCheckBox::clicked, this,
            [this](bool checked) { settings_.Init.PreMode = checked; });
    connect(def_[0], &QPushButton::clicked, this,
            [this] { timeRatio_->setText(QStringLiteral("1")); });
    connect(def_[1], &QPushButton::clicked, this,
            [this] { timeRatio_->setText(QStringLiteral("0.9953125")); });
    connect(folderLabel_, &QPushButton::clicked, this, [this] {
        const QString folder = BrowseForFolder();
        if (!folder.isEmpty())
            ShowFolder(AddTrailingBackslash(folder));
    });
    connect(ok_, &QPushButton::clicked, this, &FormOptionCommon::Confirm);
}

void FormOptionCommon::ShowFolder(const QString& folder) {
    folder_ = folder;
    folderLabel_->setText(folder.isEmpty() ? QStringLiteral(u"フォルダを選択…") : folder);
    folderLabel_->setToolTip(folder);
    folderLabel_->setProperty("placeholder", folder.isEmpty());
    folderLabel_->style()->unpolish(folderLabel_);
    folderLabel_->style()->polish(folderLabel_);
}

void FormOptionCommon::Confirm() {
    const QString folder = folder_;
    if (outputFolder_[1]->isChecked()) {
        if (folder.isEmpty()) {
            Warn(QStringLiteral(u"出力フォルダが指定されていません。"));
            return;
        }
        if (!QFileInfo(RemoveTrailingBackslash(folder)).isDir()) {
            Warn(QStringLiteral(u"出力フォルダが存在しません。"));
            return;
        }
    }
    settings_.Init.OverWrite = overWrite_->isChecked();
    if (const std::optional<double> ratio = ParseNumber(timeRatio_->text()))
        settings_.Init.TimeRatio = *ratio;
    settings_.Init.SameFolder = outputFolder_[0]->isChecked();
    settings_.Init.AnotherFolder = AddTrailingBackslash(folder);
    settings_.Init.InputEncoding = EncodingChoice(inputEncoding_->currentData().toInt());
    settings_.Init.OutputEncoding = OutputEncodingChoice(outputEncoding_->currentData().toInt());
    settings_.Timing.OnsetKind = onsetKind_->currentData().toString();
    accept();
}

void FormOptionCommon::done(int result) {
    ClearTopmost(this);
    QDialog::done(result);
}

} // namespace tavelkor
