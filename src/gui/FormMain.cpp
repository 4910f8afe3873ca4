#include "FormMain.h"

#include "../app/BatchFrame.h"
#include "../base/PathHelpers.h"
#include "../modes/ModeTable.h"
#include "../settings/Settings.h"
#include "../settings/SettingsIo.h"
#include "../settings/SettingsStore.h"
#include "DialogQuestions.h"
#include "FormAbout.h"
#include "FormOption.h"
#include "FormOptionCommon.h"
#include "FormResult.h"
#include "Pictograms.h"
#include "WindowHelpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tavelkor {

namespace {

constexpr int WindowWidth = 360;      // pixels
constexpr int TwipsPerPixel = 15;     // window positions are stored in twips (96 dpi)
const QColor IdleColour(0, 160, 240); // 0xF0A000 as the drop area's back colour
const QColor BusyColour(255, 128, 0); // 0x0080FF

QString IdleMessage() { return QStringLiteral(u"ファイルをＤ＆Ｄしてください"); }

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->repaint();
}

} // namespace

FormMain::FormMain(Settings& settings, SettingsStore& store, QWidget* parent)
    : QWidget(parent), settings_(settings), store_(store), pic2_(new QWidget(this)),
      cmb_(new QComboBox(pic2_)), comLeft_(new QPushButton(pic2_)),
      comRight_(new QPushButton(pic2_)), comMenu_(new QPushButton(pic2_)), pic_(new QWidget(this)),
      lblExp_(new QLabel(pic_)), lblMes_(new QLabel(pic_)), lblDD_(new QLabel(pic_)),
      timer1_(new QTimer(this)), menu_(new QMenu(this)) {
    setWindowTitle(QStringLiteral(u"Tavelkor V.1.00β6"));
    setAcceptDrops(true);
    for (QLabel*& image : img_) {
        image = new QLabel(pic_);
        image->resize(PictogramSize, PictogramSize);
    }
    cmb_->setToolTip(QStringLiteral(u"モード変更"));
    comLeft_->setToolTip(QStringLiteral(u"前のモード"));
    comRight_->setToolTip(QStringLiteral(u"次のモード"));
    comMenu_->setToolTip(QStringLiteral(u"メニュー..."));
    lblDD_->setToolTip(QStringLiteral(u"ここへＤ＆Ｄ"));
    lblExp_->setWordWrap(true);
    lblExp_->setFont(QFont(QStringLiteral(u"ＭＳ Ｐゴシック")));
    lblMes_->setText(IdleMessage());
    lblDD_->setAttribute(Qt::WA_TranslucentBackground);
    SetBackground(pic_, IdleColour);

    timer1_->setInterval(200);
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &FormMain::RunDispatcher);

    mnOptionCommon_ = menu_->addAction(QStringLiteral(u"共通オプション"));
    mnOptionMode_ = menu_->addAction(QStringLiteral(u"モード別オプション"));
    menu_->addSeparator();
    mnSmallSize_ = menu_->addAction(QStringLiteral(u"スモールサイズ"));
    mnSmallSize_->setCheckable(true);
    menu_->addSeparator();
    mnHelp_ = menu_->addAction(QStringLiteral(u"ヘルプ"));
    mnAbout_ = menu_->addAction(QStringLiteral(u"Tavelkorについて"));
    connect(mnOptionMode_, &QAction::triggered, this, [this] {
        ClearTopmost(this);
        FormOption options(settings_, cmb_->currentIndex(), this);
        options.exec();
        MakeTopmost(this);
    });
    connect(mnSmallSize_, &QAction::triggered, this, [this] {
        settings_.Init.SmallSize = !settings_.Init.SmallSize;
        ApplyWindowSize();
    });
    connect(mnHelp_, &QAction::triggered, this, &FormMain::OpenHelp);
    connect(mnAbout_, &QAction::triggered, this, [this] {
        ClearTopmost(this);
        FormAbout about(this);
        about.exec();
        MakeTopmost(this);
    });
    connect(comMenu_, &QPushButton::clicked, this, [this] {
        PrepareMenu();
        menu_->popup(QCursor::pos());
    });

    for (const ModeInfo& mode : ModeTable())
        cmb_->addItem(mode.Caption);
    connect(cmb_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index != lastMode_) {
            lastMode_ = index;
            ShowModeExplanation(index);
        }
    });
    connect(comLeft_, &QPushButton::clicked, this, [this] {
        if (cmb_->currentIndex() - 1 >= 0)
            SelectMode(cmb_->currentIndex() - 1);
    });
    connect(comRight_, &QPushButton::clicked, this, [this] {
        if (cmb_->currentIndex() + 1 <= cmb_->count() - 1)
            SelectMode(cmb_->currentIndex() + 1);
    });

    ShowResult = [this](const BatchState& state) {
        FormResult result(state, hasMarlett_, this);
        result.exec();
    };

    // Settings: layout, mode, position (kept on the screen), then everything else.
    settings_.Init.Left = float(x() * TwipsPerPixel);
    settings_.Init.Top = float(y() * TwipsPerPixel);
    LoadSettings(store_, settings_);
    SetupArrowButtons();
    ApplyWindowSize();
    SelectMode(settings_.Init.NowMode);
    int left = int(settings_.Init.Left / TwipsPerPixel);
    int top = int(settings_.Init.Top / TwipsPerPixel);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        if (left < 0 || left > area.width() - width())
            left = 0;
        if (top < 0 || top > area.height() - height())
            top = 0;
    }
    move(left, top);
    MakeTopmost(this);
}

void FormMain::SelectMode(int mode) {
    cmb_->setCurrentIndex(mode);
    if (lastMode_ != mode) {
        lastMode_ = mode;
        ShowModeExplanation(mode);
    }
}

void FormMain::ShowModeExplanation(int mode) {
    if (mode < 0 || mode >= ModeCount)
        return;
    const ModeInfo& info = ModeTable()[mode];
    for (int i = 0; i < 3; ++i)
        img_[i]->setPixmap(StockPicture(info.Pictogram[i]));
    lblExp_->setText(info.Explanation);
    if (!settings_.Init.SmallSize)
        ApplyWindowSize(); // the explanation's height shapes the drop area
}

void FormMain::SetupArrowButtons() {
    hasMarlett_ = QFontDatabase::families().contains(QStringLiteral("Marlett"));
    if (hasMarlett_) {
        for (QPushButton* button : {comLeft_, comRight_, comMenu_})
            button->setFont(QFont(QStringLiteral("Marlett")));
        comLeft_->setText(QStringLiteral("3"));
        comRight_->setText(QStringLiteral("4"));
        comMenu_->setText(QStringLiteral("6"));
    } else {
        comLeft_->setText(QStringLiteral(u"←"));
        comRight_->setText(QStringLiteral(u"→"));
        comMenu_->setText(QStringLiteral(u"★"));
    }
}

void FormMain::ApplyWindowSize() {
    mnSmallSize_->setChecked(settings_.Init.SmallSize);
    // The mode strip: list, then previous, next and menu buttons from the left.
    const int stripHeight = cmb_->sizeHint().height();
    const int buttonWidth = stripHeight + 4;
    pic2_->setGeometry(0, 0, WindowWidth, stripHeight);
    comMenu_->setGeometry(WindowWidth - buttonWidth, 0, buttonWidth, stripHeight);
    comRight_->setGeometry(WindowWidth - 2 * buttonWidth, 0, buttonWidth, stripHeight);
    comLeft_->setGeometry(WindowWidth - 3 * buttonWidth, 0, buttonWidth, stripHeight);
    cmb_->setGeometry(0, 0, WindowWidth - 3 * buttonWidth, stripHeight);
    if (settings_.Init.SmallSize) {
        pic_->hide();
        setFixedSize(WindowWidth, stripHeight);
        return;
    }
    // The drop area: the pictogram centred as a 96-wide group, the explanation, the message.
    pic_->show();
    const int groupLeft = (WindowWidth - 96) / 2;
    for (int i = 0; i < 3; ++i)
        img_[i]->move(groupLeft + 32 * i, 10);
    lblExp_->setGeometry(10, 52, WindowWidth - 20, 0);
    lblExp_->resize(WindowWidth - 20, lblExp_->heightForWidth(WindowWidth - 20));
    lblMes_->adjustSize();
    const int messageTop = 52 + 10 + lblExp_->height();
    const int messageLeft =
        lblMes_->width() <= WindowWidth ? (WindowWidth - lblMes_->width()) / 2 : 0;
    lblMes_->move(messageLeft, messageTop);
    const int areaHeight = 62 + 10 + lblExp_->height() + lblMes_->height();
    pic_->setGeometry(0, stripHeight, WindowWidth, areaHeight);
    lblDD_->setGeometry(0, 0, WindowWidth, areaHeight);
    lblDD_->raise();
    setFixedSize(WindowWidth, stripHeight + areaHeight);
}

void FormMain::PrepareMenu() {
    const int mode = cmb_->currentIndex();
    mnOptionMode_->setEnabled(mode >= 0 && mode <= 6);
}

void FormMain::OpenHelp() {
    // "Tavelkor.chm" beside the program where a CHM viewer exists, else the HTML manual beside
    // the program or where it is installed (share/tavelkor); a missing manual is ignored.
    const QString folder = AddTrailingBackslash(QCoreApplication::applicationDirPath());
    for (const QString& path :
         {folder + QStringLiteral("Tavelkor.chm"), folder + QStringLiteral("Tavelkor.html"),
          folder + QStringLiteral("../share/tavelkor/Tavelkor.html")}) {
        if (OpenDocument(this, path))
            return;
    }
}

void FormMain::dragEnterEvent(QDragEnterEvent* event) { AcceptDrag(event); }

void FormMain::dragMoveEvent(QDragMoveEvent* event) { AcceptDrag(event); }

void FormMain::AcceptDrag(QDragMoveEvent* event) {
    // Only file lists, and none while a run is pending or running (the no-drop pointer).
    if (event->mimeData()->hasUrls() && !busy_) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FormMain::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || busy_)
        return;
    state_.DroppedFiles.clear();
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            state_.DroppedFiles.append(url.toLocalFile());
    }
    if (state_.DroppedFiles.isEmpty())
        return;
    event->acceptProposedAction();
    // The run starts once the drop handler has returned.
    busy_ = true;
    timer1_->start();
}

void FormMain::RunDispatcher() {
    timer1_->stop();
    const int mode = cmb_->currentIndex();
    state_.DropCount = int(state_.DroppedFiles.size());
    state_.RejectedFiles.clear();
    // The mode options first, when asked for; a cancel ends the run before it starts.
    if (settings_.Init.PreMode && mode >= 0 && mode < ModeTimeShift) {
        ClearTopmost(this);
        FormOption options(settings_, mode, this);
        options.exec();
        MakeTopmost(this);
        if (options.OptionsCancelled) {
            busy_ = false;
            return;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
    SetBackground(pic_, BusyColour);
    lblMes_->setText(QStringLiteral(u"★★★ 変換中 ★★★"));
    lblMes_->adjustSize();
    QCoreApplication::processEvents();

    if (mode == ModeTimeShift)
        settings_.Init.SlidemSec = LoadShiftAmount(store_);
    DialogQuestions questions(this);
    RunMode(mode, state_, settings_, questions);
    // The time-shift amount is stored at the end of a run that accepted a file.
    if (mode == ModeTimeShift && !state_.Results.isEmpty())
        SaveShiftAmount(store_, settings_.Init.SlidemSec);
    state_.DroppedFiles.clear();

    const bool anything = !state_.RejectedFiles.isEmpty() || !state_.Results.isEmpty();
    if (anything && settings_.Init.DispResult &&
        (!settings_.Init.DispResult2 || HasFailures(state_))) {
        QApplication::restoreOverrideCursor();
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        ClearTopmost(this);
        ShowResult(state_);
        MakeTopmost(this);
    }
    SetIdleLook();
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    busy_ = false;
}

void FormMain::SetIdleLook() {
    SetBackground(pic_, IdleColour);
    lblMes_->setText(IdleMessage());
    if (!settings_.Init.SmallSize)
        ApplyWindowSize();
}

void FormMain::SaveAll() {
    settings_.Init.NowMode = cmb_->currentIndex();
    settings_.Init.Left = float(x() * TwipsPerPixel);
    settings_.Init.Top = float(y() * TwipsPerPixel);
    SaveSettings(store_, settings_);
}

void FormMain::closeEvent(QCloseEvent* event) {
    SaveAll();
    QWidget::closeEvent(event);
}

} // namespace tavelkor
