#include "FormOption.h"

#include "../../modes/ModeTable.h"
#include "../../settings/Settings.h"
#include "../common/WindowHelpers.h"
#include "FormOptionChoices.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tavelkor {

namespace {

constexpr int DialogOffsetPixels = 200 / 15; // 200 twips

QStringList Numbers(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items.append(QString::number(i));
    return items;
}

// A check box below the others of `page`, whose layout is made on first use.
QCheckBox* AddCheckBox(QWidget* page, const QString& caption) {
    if (page->layout() == nullptr)
        (new QVBoxLayout(page))->setContentsMargins(0, 0, 0, 0);
    auto* box = new QCheckBox(caption, page);
    page->layout()->addWidget(box);
    return box;
}

// A caption and a combo box in a row below the others of `page`.
QComboBox* AddComboRow(QWidget* page, const QString& caption, const QStringList& items) {
    if (page->layout() == nullptr)
        (new QVBoxLayout(page))->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(caption, page));
    auto* box = new QComboBox(page);
    box->addItems(items);
    row->addWidget(box);
    row->addStretch();
    static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
    return box;
}

// Ticking one box of a group clears the others.
void MakeExclusive(const QList<QCheckBox*>& boxes) {
    for (QCheckBox* box : boxes) {
        QObject::connect(box, &QCheckBox::toggled, box, [box, boxes](bool checked) {
            if (!checked)
                return;
            for (QCheckBox* other : boxes) {
                if (other != box)
                    other->setChecked(false);
            }
        });
    }
}

} // namespace

bool HasModeOptions(int mode) {
    return (mode >= 0 && mode <= ModeTimeTagToTimeTag) || mode == ModeTimeTagToLrc ||
           mode == ModeLrcToTimeTag || mode == ModeTimeTagToWordFormats ||
           mode == ModeWordFormatsToTimeTag || mode == ModePlace ||
           mode == ModeTimeTagToVideo;
}

FormOption::FormOption(Settings& settings, int mode, QWidget* owner)
    : QDialog(owner), settings_(settings), mode_(mode) {
    setModal(true);
    Warn = [this](const QString& message) {
        QMessageBox::warning(this, windowTitle(), message, QMessageBox::Ok);
    };

    // One page per mode, all at the same place above the shared area; only the current mode's
    // page shows, and the dialog takes the size of that page plus the shared area, following
    // it when the page grows or shrinks. The pages come first in the tab order.
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (int i = 0; i < ModeCount; ++i) {
        frm_[i] = new QWidget(this);
        frm_[i]->hide();
        layout->addWidget(frm_[i]);
    }
    BuildTimeTagToSamiPage(frm_[ModeTimeTagToSami]);
    s2tKaraoke_ = AddCheckBox(frm_[ModeSamiToTimeTag], QStringLiteral(u"カラオケタグ化する"));
    BuildTimeTagToDsmpPage(frm_[ModeTimeTagToDsmp]);
    d2tKaraoke_ = AddCheckBox(frm_[ModeDsmpToTimeTag], QStringLiteral(u"カラオケタグ化する"));
    t2mId3v2_ =
        AddCheckBox(frm_[ModeTimeTagToMp3], QStringLiteral(u"ID3v2 の歌詞フレームも書き込む"));
    {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral(u"ID3v2 の言語："), frm_[ModeTimeTagToMp3]));
        t2mLanguage_ = new QLineEdit(frm_[ModeTimeTagToMp3]);
        // Three ASCII letters, the language code the frames carry (for example "jpn", "eng").
        t2mLanguage_->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[A-Za-z]{3}")), t2mLanguage_));
        t2mLanguage_->setMaxLength(3);
        row->addWidget(t2mLanguage_);
        row->addStretch();
        static_cast<QVBoxLayout*>(frm_[ModeTimeTagToMp3]->layout())->addLayout(row);
        connect(t2mId3v2_, &QCheckBox::toggled, t2mLanguage_, &QWidget::setEnabled);
    }
    m2tDelete_ = AddCheckBox(frm_[ModeMp3ToTimeTag],
                             QStringLiteral(u"歌詞の保存に成功したら、内蔵歌詞を削除する"));
    m2tPreferSylt_ =
        AddCheckBox(frm_[ModeMp3ToTimeTag],
                    QStringLiteral(u"Lyrics3 と SYLT の両方があるときは SYLT を優先する"));
    BuildTimeTagToTimeTagPage(frm_[ModeTimeTagToTimeTag]);
    t2lWordStamps_ =
        AddCheckBox(frm_[ModeTimeTagToLrc],
                    QStringLiteral(u"カラオケの行に単語ごとのタイムを付ける（拡張LRC）"));
    t2lMillis_ = AddCheckBox(frm_[ModeTimeTagToLrc], QStringLiteral(u"タイムをミリ秒で書く"));
    t2lIdTags_ = AddCheckBox(frm_[ModeTimeTagToLrc],
                             QStringLiteral(u"曲名・歌手名・アルバム名・作成者を ID タグにする"));
    l2tKaraoke_ = AddCheckBox(frm_[ModeLrcToTimeTag], QStringLiteral(u"カラオケタグ化する"));
    t2lEncoding_ = AddComboRow(frm_[ModeTimeTagToLrc], QStringLiteral(u"LRCの文字コード："),
                               LrcEncodingNames());
    BuildTimeTagToWordFormatsPage(frm_[ModeTimeTagToWordFormats]);
    x2tKaraoke_ =
        AddCheckBox(frm_[ModeWordFormatsToTimeTag], QStringLiteral(u"カラオケタグ化する"));
    placeRedo_ = AddCheckBox(frm_[ModePlace],
                             QStringLiteral(u"行の中まで時間のある行も配置し直す"));
    BuildTimeTagToVideoPage(frm_[ModeTimeTagToVideo]);

    // The shared area: the two extensions, then OK and cancel at the right-hand edge.
    auto* shared = new QGridLayout;
    extOrgLabel_ = new QLabel(QStringLiteral(u"変換元ファイルの拡張子："), this);
    extOrg_ = new QComboBox(this);
    extNewLabel_ = new QLabel(QStringLiteral(u"変換後ファイルの拡張子："), this);
    extNew_ = new QComboBox(this);
    shared->addWidget(extOrgLabel_, 0, 0);
    shared->addWidget(extOrg_, 0, 1);
    shared->addWidget(extNewLabel_, 1, 0);
    shared->addWidget(extNew_, 1, 1);
    shared->setColumnStretch(2, 1);
    layout->addLayout(shared);
    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral(u"キャンセル"), this);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &FormOption::Confirm);
    connect(cancel_, &QPushButton::clicked, this, &FormOption::reject);

    if (owner != nullptr)
        move(owner->pos() + QPoint(DialogOffsetPixels, DialogOffsetPixels));
    MakeTopmost(this);
    const bool correction = settings_.Init.DispCorrect;
    t2tPage_[correction ? 1 : 0]->setChecked(true);
    t2tSubPages_->setCurrentIndex(correction ? 1 : 0);
    LoadModePage(mode_);
}

void FormOption::BuildTimeTagToSamiPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    t2sKaraoke_ = new QCheckBox(QStringLiteral(u"カラオケ有効"), page);
    layout->addWidget(t2sKaraoke_);
    t2sKaraokeFrame_ = new QWidget(page);
    auto* frame = new QGridLayout(t2sKaraokeFrame_);
    for (int i = 0; i < 4; ++i)
        t2sHtml_[i] = new QLineEdit(t2sKaraokeFrame_);
    frame->setContentsMargins(0, 0, 0, 0);
    const QString sides[2] = {QStringLiteral(u"左側（すでに歌った部分）："),
                              QStringLiteral(u"右側（これから歌う部分）：")};
    for (int row = 0; row < 2; ++row) {
        frame->addWidget(new QLabel(sides[row], t2sKaraokeFrame_), row, 0);
        frame->addWidget(t2sHtml_[2 * row], row, 1);
        frame->addWidget(new QLabel(QStringLiteral(u"～"), t2sKaraokeFrame_), row, 2);
        frame->addWidget(t2sHtml_[2 * row + 1], row, 3);
    }
    frame->addWidget(
        new QLabel(QStringLiteral(u"（空白ならベーススタイルになります。）"), t2sKaraokeFrame_), 2,
        0, 1, 3);
    t2kDef_[1] = new QPushButton(QStringLiteral(u"初期値"), t2sKaraokeFrame_);
    frame->addWidget(t2kDef_[1], 2, 3);
    layout->addWidget(t2sKaraokeFrame_);
    layout->addWidget(new QLabel(QStringLiteral(u"ベーススタイル（スタイルシート形式）："), page));
    auto* base = new QHBoxLayout;
    t2sBase_ = new QLineEdit(page);
    t2sBase_->setMinimumWidth(t2sBase_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    t2kDef_[0] = new QPushButton(QStringLiteral(u"初期値"), page);
    base->addWidget(t2sBase_);
    base->addWidget(t2kDef_[0]);
    layout->addLayout(base);
    auto* lines = new QHBoxLayout;
    t2sLines_ = new QComboBox(page);
    t2sLines_->addItems(Numbers(4));
    lines->addWidget(new QLabel(QStringLiteral(u"表示行数："), page));
    lines->addWidget(t2sLines_);
    lines->addStretch();
    layout->addLayout(lines);
    t2sRuby_ = new QCheckBox(QStringLiteral(u"ふりがなを RUBY タグで書く"), page);
    layout->addWidget(t2sRuby_);

    connect(t2sKaraoke_, &QCheckBox::toggled, t2sKaraokeFrame_, &QWidget::setVisible);
    connect(t2kDef_[0], &QPushButton::clicked, this,
            [this] { t2sBase_->setText(DefaultSamiBaseStyle()); });
    connect(t2kDef_[1], &QPushButton::clicked, this, [this] {
        for (int i = 0; i < 4; ++i) {
            t2sHtml_[i]->setText(KaraokeHtmlDefaults()[i]);
            t2sHtml_[i]->setCursorPosition(0);
        }
    });
}

void FormOption::BuildTimeTagToWordFormatsPage(QWidget* page) {
    const QString captions[] = {QStringLiteral(u"ASS（カラオケ字幕）"),
                                QStringLiteral(u"TTML（単語ごとのタイム）"),
                                QStringLiteral(u"WebVTT"), QStringLiteral(u"SRT")};
    for (int i = 0; i < 4; ++i)
        t2xFormats_[i] = AddCheckBox(page, captions[i]);
    t2xKaraoke_ = AddComboRow(page, QStringLiteral(u"ASSのカラオケタグ："),
                              {QStringLiteral("kf"), QStringLiteral("k"), QStringLiteral("ko")});
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral(u"ASSのフォント："), page));
    t2xFont_ = new QLineEdit(page);
    row->addWidget(t2xFont_);
    static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
    t2xFurigana_ = AddCheckBox(page, QStringLiteral(u"ASSにふりがなを書く（漢字|かんじ の形）"));
    t2xVttStyle_ = AddCheckBox(page, QStringLiteral(u"WebVTTに色のSTYLEブロックを書く"));
    auto* note = new QLabel(
        QStringLiteral(u"オン：ブラウザ（Chrome など）が歌った部分に色を付けます。"
                       u"ffmpeg 5.1 とそれを使う mpv などは字幕を 1 つも表示しません。\n"
                       u"オフ：ffmpeg・mpv でも表示しますが、ブラウザでは色が変わりません。"),
        page);
    note->setWordWrap(true);
    page->layout()->addWidget(note);
}

void FormOption::BuildTimeTagToVideoPage(QWidget* page) {
    // Lists of the usual choices; a stored value that is not among them is added when the
    // page is filled, so that the settings file's own values stay choosable.
    t2vSize_ = AddComboRow(page, QStringLiteral(u"画面の大きさ："),
                           {QStringLiteral(u"640×360"), QStringLiteral(u"854×480"),
                            QStringLiteral(u"1280×720"), QStringLiteral(u"1920×1080")});
    t2vFps_ = AddComboRow(page, QStringLiteral(u"コマ数（毎秒）："),
                          {QStringLiteral("24"), QStringLiteral("25"), QStringLiteral("30"),
                           QStringLiteral("50"), QStringLiteral("60")});
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral(u"背景の画像（@BgFileがないとき）："), page));
    t2vBackground_ = new QLineEdit(page);
    row->addWidget(t2vBackground_);
    static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
    t2vColour_ = AddComboRow(page, QStringLiteral(u"背景の色（画像がないとき）："),
                             {QStringLiteral(u"#000000 黒"), QStringLiteral(u"#FFFFFF 白"),
                              QStringLiteral(u"#000080 紺"), QStringLiteral(u"#004000 緑"),
                              QStringLiteral(u"#400000 えんじ")});
    t2vPreset_ = AddComboRow(page, QStringLiteral(u"H.264のプリセット："),
                             {QStringLiteral("ultrafast"), QStringLiteral("superfast"),
                              QStringLiteral("veryfast"), QStringLiteral("faster"),
                              QStringLiteral("fast"), QStringLiteral("medium"),
                              QStringLiteral("slow"), QStringLiteral("slower"),
                              QStringLiteral("veryslow")});
    t2vCrf_ = AddComboRow(page, QStringLiteral(u"画質（CRF、小さいほど高画質）："), Numbers(51));
    t2vCrf_->insertItem(0, QStringLiteral("0"));
    t2vAudio_ = AddComboRow(page, QStringLiteral(u"音声："),
                            {QStringLiteral(u"曲のMP3をそのまま入れる"), QStringLiteral(u"AACにする")});
}

void FormOption::BuildTimeTagToDsmpPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    t2dKaraoke_ = new QCheckBox(QStringLiteral(u"疑似カラオケ化する"), page);
    layout->addWidget(t2dKaraoke_);
    auto* alignment = new QHBoxLayout;
    auto* group = new QButtonGroup(page);
    const QString captions[3] = {QStringLiteral(u"左揃え"), QStringLiteral(u"中央揃え"),
                                 QStringLiteral(u"右揃え")};
    for (int i = 0; i < 3; ++i) {
        alignment_[i] = new QRadioButton(captions[i], page);
        group->addButton(alignment_[i], i);
        alignment->addWidget(alignment_[i]);
    }
    layout->addLayout(alignment);
    auto* lines = new QHBoxLayout;
    t2dLines_ = new QComboBox(page);
    t2dLines_->addItems(Numbers(3));
    lines->addWidget(new QLabel(QStringLiteral(u"表示行数："), page));
    lines->addWidget(t2dLines_);
    lines->addStretch();
    layout->addLayout(lines);
}

void FormOption::BuildTimeTagToTimeTagPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* selector = new QHBoxLayout;
    auto* group = new QButtonGroup(page);
    t2tPage_[0] = new QRadioButton(QStringLiteral(u"変換オプション"), page);
    t2tPage_[1] = new QRadioButton(QStringLiteral(u"補正オプション"), page);
    for (int i = 0; i < 2; ++i) {
        group->addButton(t2tPage_[i], i);
        selector->addWidget(t2tPage_[i]);
    }
    layout->addLayout(selector);

    // The two sub-pages lie on top of each other: the page keeps its size whichever shows.
    t2tSubPages_ = new QStackedWidget(page);
    t2tConversion_ = new QWidget(t2tSubPages_);
    auto* conversion = new QVBoxLayout(t2tConversion_);
    conversion->setContentsMargins(0, 0, 0, 0);
    t2tKaraokeNormalize_ =
        AddCheckBox(t2tConversion_, QStringLiteral(u"カラオケタグ付き歌詞の逆転補正"));
    t2tmSec_ = AddCheckBox(t2tConversion_, QStringLiteral(u"[mm:ss] があれば [mm:ss:00] にする"));
    t2tNormalize_ =
        AddCheckBox(t2tConversion_, QStringLiteral(u"行頭タグ付き歌詞の正規化&&並べ替え"));
    t2tKaraokeNise_ =
        AddCheckBox(t2tConversion_, QStringLiteral(u"カラオケタグ付き歌詞の疑似カラオケ化"));
    t2tKaraokeLineTop_ =
        AddCheckBox(t2tConversion_, QStringLiteral(u"カラオケタグ付き歌詞の行頭タグ化"));
    conversion->addStretch();
    t2tSubPages_->addWidget(t2tConversion_);

    t2tCorrection_ = new QWidget(t2tSubPages_);
    auto* correction = new QGridLayout(t2tCorrection_);
    correction->setContentsMargins(0, 0, 0, 0);
    t2tCorrectAdd_ = new QCheckBox(QStringLiteral(u"補正用データの新規追加"), t2tCorrection_);
    t2tCorrectTrans_ = new QCheckBox(QStringLiteral(u"補正変換"), t2tCorrection_);
    correction->addWidget(t2tCorrectAdd_, 0, 0, 1, 2);
    correction->addWidget(t2tCorrectTrans_, 1, 0, 1, 2);
    const QString tips[3] = {QStringLiteral(u"追加するTimeRatio値（タグ付けしたときの時間）"),
                             QStringLiteral(u"元歌詞に@TimeRatioがない場合の初期値"),
                             QStringLiteral(u"変換後のTimeRatio値")};
    for (int i = 0; i < 3; ++i) {
        t2tRatio_[i] = new QLineEdit(t2tCorrection_);
        t2tRatio_[i]->setToolTip(tips[i]);
        correction->addWidget(t2tRatio_[i], 2, i);
    }
    correction->addWidget(
        new QLabel(QStringLiteral(u"（通常のMP3ファイルなら Winamp時間 = 0.9953125") + u'\n' +
                       QStringLiteral(u"標準時間 = 1 ）"),
                   t2tCorrection_),
        3, 0, 1, 3);
    correction->addWidget(new QLabel(QStringLiteral(u"あなたの名前："), t2tCorrection_), 4, 0);
    t2tName_ = new QLineEdit(t2tCorrection_);
    correction->addWidget(t2tName_, 4, 1, 1, 2);
    t2tSilence_ = new QCheckBox(QStringLiteral(u"出だし調整用の処理もする"), t2tCorrection_);
    correction->addWidget(t2tSilence_, 5, 0, 1, 3);
    correction->addWidget(new QLabel(QStringLiteral(u"@Artistなどは"), t2tCorrection_), 6, 0);
    auto* artistGroup = new QButtonGroup(t2tCorrection_);
    const QString artists[3] = {QStringLiteral(u"つけない"), QStringLiteral(u"歌詞参照"),
                                QStringLiteral(u"曲参照")};
    auto* artistRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        artist_[i] = new QRadioButton(artists[i], t2tCorrection_);
        artistGroup->addButton(artist_[i], i);
        artistRow->addWidget(artist_[i]);
    }
    correction->addLayout(artistRow, 6, 1, 1, 2);
    t2tSubPages_->addWidget(t2tCorrection_);
    layout->addWidget(t2tSubPages_);

    MakeExclusive({t2tNormalize_, t2tKaraokeNormalize_, t2tKaraokeNise_, t2tKaraokeLineTop_});
    MakeExclusive({t2tCorrectAdd_, t2tCorrectTrans_});
    connect(t2tPage_[0], &QRadioButton::toggled, this, [this](bool conversionShown) {
        t2tSubPages_->setCurrentIndex(conversionShown ? 0 : 1);
    });
}

void FormOption::reject() {
    OptionsCancelled = true;
    QDialog::reject();
}

void FormOption::Confirm() {
    if (mode_ != ModeTimeTagToTimeTag && !extOrg_->currentText().isEmpty() &&
        extOrg_->currentText() == extNew_->currentText()) {
        Warn(QStringLiteral(u"変換元と変換後の拡張子が同じです。"));
        return;
    }
    // The caption mode writes at least one format: none ticked is said, not silently ignored.
    if (mode_ == ModeTimeTagToWordFormats &&
        std::none_of(std::begin(t2xFormats_), std::end(t2xFormats_),
                     [](const QCheckBox* box) { return box->isChecked(); })) {
        Warn(QStringLiteral(u"書き出す形式を 1 つ以上選んでください。"));
        return;
    }
    StoreModePage(mode_);
    OptionsCancelled = false;
    accept();
}

void FormOption::done(int result) {
    settings_.Init.DispCorrect = t2tPage_[1]->isChecked();
    ClearTopmost(this);
    QDialog::done(result);
}

} // namespace tavelkor
