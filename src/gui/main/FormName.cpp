#include "FormName.h"

#include "../../base/PathHelpers.h"
#include "../common/WindowHelpers.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tavelkor {

namespace {

constexpr int DialogOffsetPixels = 200 / 15; // 200 twips
constexpr int GapPixels = 60 / 15;           // 60 twips

} // namespace

FormName::FormName(const QString& first, const QString& second, QWidget* owner)
    : QDialog(owner), cancel_(new QPushButton(QStringLiteral(u"キャンセル"), this)) {
    setWindowTitle(QStringLiteral(u"ファイル名合わせ"));
    setModal(true);
    auto* lbl = new QLabel(QStringLiteral(u"どちらに合わせますか？"), this);
    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(GapPixels);
    layout->addWidget(lbl, 0, 0, 1, 3);
    const QString paths[2] = {first, second};
    const QString captions[2] = {QStringLiteral(u"上"), QStringLiteral(u"下")};
    for (int i = 0; i < 2; ++i) {
        ok_[i] = new QPushButton(captions[i], this);
        file_[i] = new QLabel(BaseNameOf(paths[i]), this);
        ext_[i] = new QLabel(ExtensionOf(paths[i]), this);
        // The grid gives both name labels the width of the wider one, and both extension
        // labels likewise, each extension starting a small gap right of its name.
        layout->addWidget(ok_[i], i + 1, 0);
        layout->addWidget(file_[i], i + 1, 1);
        layout->addWidget(ext_[i], i + 1, 2);
        connect(ok_[i], &QPushButton::clicked, this, [this, i] {
            target_ = i;
            ClearTopmost(this);
            accept();
        });
    }
    layout->addWidget(cancel_, 3, 2, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        target_ = -1;
        ClearTopmost(this);
        reject();
    });
    if (owner != nullptr)
        move(owner->pos() + QPoint(DialogOffsetPixels, DialogOffsetPixels));
    MakeTopmost(this);
}

} // namespace tavelkor
