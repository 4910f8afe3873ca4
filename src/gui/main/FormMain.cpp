#include "FormMain.h"

#include "../../modes/ModeTable.h"
#include "../../settings/ExtensionTables.h"
#include "../../settings/Settings.h"
#include "../../settings/SettingsIo.h"
#include "../../settings/SettingsStore.h"
#include "../common/Pictograms.h"
#include "../options/FormOption.h"
#include "../options/FormOptionCommon.h"
#include "../preview/FormPreview.h"
#include "../timing/FormTiming.h"
#include "FormAbout.h"
#include "FormMainLook.h"
#include "FormResult.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tavelkor {

namespace {

constexpr int TwipsPerPixel = 15; // window positions are stored in twips (96 dpi)

} // namespace

FormMain::FormMain(Settings& settings, SettingsStore& store, QWidget* parent)
    : QWidget(parent), settings_(settings), store_(store), pic2_(new QWidget(this)),
      cmb_(new QComboBox(pic2_)), comLeft_(new QPushButton(pic2_)),
      comRight_(new QPushButton(pic2_)), comMenu_(new QPushButton(pic2_)), pic_(new QWidget(this)),
      lblExp_(new QLabel(pic_)), lblMes_(new QLabel(pic_)), lblDD_(new QLabel(pic_)),
      timer1_(new QTimer(this)), waitTimer_(new QTimer(this)), summaryTimer_(new QTimer(this)),
      comStop_(new QPushButton(QStringLiteral(u"中止 (Esc)"), pic_)), menu_(new QMenu(this)) {
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
    // While a run disables the window, the status text keeps its full contrast.
    QPalette message = lblMes_->palette();
    message.setColor(QPalette::Disabled, QPalette::WindowText,
                     message.color(QPalette::Active, QPalette::WindowText));
    lblMes_->setPalette(message);
    lblDD_->setAttribute(Qt::WA_TranslucentBackground);
    SetBackground(pic_, IdleColour);

    timer1_->setInterval(200);
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &FormMain::RunDispatcher);
    waitTimer_->setInterval(200);
    connect(waitTimer_, &QTimer::timeout, this, &FormMain::StartWaitingFiles);
    summaryTimer_->setInterval(SummaryMs);
    summaryTimer_->setSingleShot(true);
    connect(summaryTimer_, &QTimer::timeout, this, [this] {
        summary_.clear();
        if (!busy_)
            SetIdleLook();
    });
    // The stop button of a run: the files done stay done, the others get 07.
    comStop_->hide();
    comStop_->setFocusPolicy(Qt::NoFocus);
    connect(comStop_, &QPushButton::clicked, this, [this] {
        if (progress_ != nullptr)
            progress_->StopRequested = true;
    });
    lblDD_->installEventFilter(this);

    BuildMenu();

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
        QString chosen;
        result.OpenPreview = [&chosen](const QString& path) { chosen = path; };
        result.exec();
        // A file's line double-clicked: its preview opens once the run has finished.
        if (!chosen.isEmpty())
            QTimer::singleShot(0, this, [this, chosen] { OpenPreview(chosen); });
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
        // The first start, with no place stored: the middle of the screen.
        if (store_.Read(QStringLiteral("Init"), QStringLiteral("Left"), QString()).isEmpty() &&
            store_.Read(QStringLiteral("Init"), QStringLiteral("Top"), QString()).isEmpty()) {
            const QRect free = screen->availableGeometry();
            left = free.x() + (free.width() - width()) / 2;
            top = free.y() + (free.height() - height()) / 2;
        }
    }
    move(left, top);
    MakeTopmost(this);
}

void FormMain::BuildMenu() {
    // The program's entries in their order, each with its mnemonic in the Japanese way, and
    // 「開く…」 before them. The window carries the actions too, so that their shortcuts work
    // while the menu is closed; Ctrl+Q has no entry.
    mnOpen_ = menu_->addAction(QStringLiteral(u"開く…(&O)"));
    mnOpen_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnPreview_ = menu_->addAction(QStringLiteral(u"プレビュー…(&P)"));
    mnPreview_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    mnTiming_ = menu_->addAction(QStringLiteral(u"タイミング編集…(&T)"));
    mnTiming_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    menu_->addSeparator();
    mnOptionCommon_ = menu_->addAction(QStringLiteral(u"共通オプション(&C)"));
    mnOptionCommon_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    mnOptionMode_ = menu_->addAction(QStringLiteral(u"モード別オプション(&M)"));
    menu_->addSeparator();
    mnSmallSize_ = menu_->addAction(QStringLiteral(u"スモールサイズ(&S)"));
    mnSmallSize_->setCheckable(true);
    menu_->addSeparator();
    mnHelp_ = menu_->addAction(QStringLiteral(u"ヘルプ(&H)"));
    mnHelp_->setShortcut(QKeySequence(Qt::Key_F1));
    mnAbout_ = menu_->addAction(QStringLiteral(u"Tavelkorについて(&A)"));
    mnQuit_ = new QAction(this);
    mnQuit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnStop_ = new QAction(this);
    mnStop_->setShortcut(QKeySequence(Qt::Key_Escape)); // stops a run; nothing otherwise
    addActions(menu_->actions());
    addAction(mnQuit_);
    addAction(mnStop_);
    connect(mnStop_, &QAction::triggered, comStop_, &QPushButton::click);

    connect(mnOpen_, &QAction::triggered, this, &FormMain::ChooseFiles);
    connect(mnPreview_, &QAction::triggered, this, &FormMain::ChoosePreviewFile);
    connect(mnTiming_, &QAction::triggered, this, &FormMain::ChooseTimingFile);
    connect(mnOptionCommon_, &QAction::triggered, this, [this] {
        WhileOutOfTop([this] {
            FormOptionCommon options(settings_, this);
            options.exec();
        });
        if (preview_ != nullptr)
            preview_->ReloadStyle();
    });
    connect(mnOptionMode_, &QAction::triggered, this, [this] {
        const int mode = cmb_->currentIndex();
        if (!HasModeOptions(mode))
            return; // the menu disables the entry for modes without options
        WhileOutOfTop([this, mode] {
            FormOption options(settings_, mode, this);
            options.exec();
        });
        if (preview_ != nullptr)
            preview_->ReloadStyle();
    });
    connect(mnSmallSize_, &QAction::triggered, this, [this] {
        settings_.Init.SmallSize = !settings_.Init.SmallSize;
        ApplyWindowSize();
    });
    connect(mnHelp_, &QAction::triggered, this, &FormMain::OpenHelp);
    connect(mnAbout_, &QAction::triggered, this, [this] {
        WhileOutOfTop([this] {
            FormAbout about(this);
            about.OpenAddress = [this](const QString& address) { return OpenManual(address); };
            about.exec();
        });
    });
    connect(mnQuit_, &QAction::triggered, this, &QWidget::close);
    connect(comMenu_, &QPushButton::clicked, this, [this] { OpenMenu(false); });
    comMenu_->installEventFilter(this);
}

void FormMain::OpenMenu(bool underButton) {
    PrepareMenu();
    menu_->popup(underButton ? comMenu_->mapToGlobal(QPoint(0, comMenu_->height()))
                             : QCursor::pos());
}

bool FormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == preview_ && event->type() == QEvent::Hide)
        QTimer::singleShot(0, this, [this] { RestoreTop(); });
    // A click on the drop area while a run's summary shows opens that run's results.
    if (watched == lblDD_ && event->type() == QEvent::MouseButtonRelease && !busy_ &&
        !summary_.isEmpty() && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        summaryTimer_->stop();
        WhileOutOfTop([this] { ShowResult(state_); });
        return true;
    }
    // Space, Enter or Return on the menu button opens the menu under the button.
    if (watched == comMenu_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
             key->key() == Qt::Key_Enter)) {
            if (!key->isAutoRepeat())
                OpenMenu(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormMain::WhileOutOfTop(const std::function<void()>& show) {
    // A dialog opened from a dialog (the manual's message from the about box) keeps the window
    // out of the layer until the outer one has closed too.
    if (outOfTop_++ == 0)
        ClearTopmost(this);
    show();
    --outOfTop_;
    RestoreTop();
}

void FormMain::RestoreTop() {
    // The window stays out of the layer while a working window (the preview) is open, so that
    // it never covers it.
    if (outOfTop_ == 0 && !(preview_ != nullptr && preview_->isVisible()))
        MakeTopmost(this);
}

void FormMain::ChoosePreviewFile() {
    // Every extension a lyrics file of the three formats has, in either letter case.
    QStringList patterns;
    for (const QString& extension : TimeTagExtensions() + SamiExtensions() + DsmpExtensions())
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    patterns.removeDuplicates();
    const QString filters = QStringLiteral(u"歌詞ファイル (") + patterns.join(u' ') +
                            QStringLiteral(u");;すべてのファイル (*)");
    QString file;
    WhileOutOfTop([&] {
        file =
            QFileDialog::getOpenFileName(this, QStringLiteral(u"プレビュー"), lastFolder_, filters);
    });
    if (file.isEmpty())
        return;
    lastFolder_ = QFileInfo(file).absolutePath();
    OpenPreview(file);
}

void FormMain::OpenPreview(const QString& path, bool play) {
    if (preview_ == nullptr) {
        preview_ = new FormPreview(settings_, this);
        preview_->installEventFilter(this);
        preview_->OpenEditor = [this](const QString& file, qint64 positionMs) {
            OpenTiming(file, positionMs);
        };
        preview_->EditButton()->setVisible(true);
    }
    if (outOfTop_ == 0)
        ClearTopmost(this);
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
    preview_->OpenFile(path, play);
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
    hasMarlett_ = MarlettInstalled();
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
    mnOptionMode_->setEnabled(HasModeOptions(mode));
}

void FormMain::OpenHelp() {
    // "Tavelkor.chm" beside the program where a CHM viewer exists, else the HTML manual beside
    // the program or where it is installed. Nothing is left unsaid: a manual that cannot be
    // found or opened is reported with where it was looked for.
    const QString manual = FindManual();
    if (!manual.isEmpty()) {
        OpenManual(manual);
        return;
    }
    WhileOutOfTop([this] {
        QMessageBox box(QMessageBox::Information, QStringLiteral(u"ヘルプ"),
                        QStringLiteral(u"マニュアルが見つかりません。次の場所を探しました：\n") +
                            ManualCandidates().join(u'\n'),
                        QMessageBox::Ok, this);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    });
}

bool FormMain::OpenManual(const QString& path) {
    if (OpenDocument(this, path, OpenWith))
        return true;
    WhileOutOfTop([this, &path] {
        QMessageBox box(QMessageBox::Information, QStringLiteral(u"ヘルプ"),
                        QStringLiteral(u"マニュアルを開くプログラムが見つかりません。"
                                       u"ブラウザーで次のファイルを開いてください：\n") +
                            path,
                        QMessageBox::Ok, this);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    });
    return false;
}

void FormMain::SaveAll() {
    if (preview_ != nullptr && preview_->isVisible())
        preview_->StorePlace();
    settings_.Init.NowMode = cmb_->currentIndex();
    settings_.Init.Left = float(x() * TwipsPerPixel);
    settings_.Init.Top = float(y() * TwipsPerPixel);
    SaveSettings(store_, settings_);
}

void FormMain::closeEvent(QCloseEvent* event) {
    // The timing editor asks about unsaved changes first; cancelled, the program stays.
    if (timing_ != nullptr && timing_->isVisible() && !timing_->close()) {
        event->ignore();
        return;
    }
    // The preview closes with the program: its playback stops and its place is kept.
    if (preview_ != nullptr)
        preview_->close();
    SaveAll();
    QWidget::closeEvent(event);
}

void FormMain::ChooseTimingFile() {
    QString file;
    WhileOutOfTop([&] {
        file = QFileDialog::getOpenFileName(
            this, QStringLiteral(u"タイミング編集"), lastFolder_,
            QStringLiteral(u"歌詞ファイル (*.txt *.kra *.lrc *.smi *.sami *.lyr *.TXT *.LRC);;"
                           u"すべてのファイル (*)"));
    });
    if (file.isEmpty())
        return;
    lastFolder_ = QFileInfo(file).absolutePath();
    OpenTiming(file);
}

void FormMain::OpenTiming(const QString& path, qint64 positionMs) {
    if (timing_ == nullptr)
        timing_ = new FormTiming(settings_, this);
    timing_->show();
    timing_->raise();
    timing_->activateWindow();
    timing_->OpenFile(path, positionMs);
}

} // namespace tavelkor
