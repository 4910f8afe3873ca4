#include "FormAbout.h"

#include "../common/Pictograms.h"
#include "../common/WindowHelpers.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <cmath>

namespace tavelkor {

namespace {

const QString Version = QStringLiteral(u"1.00β6");
const QString Licence = QStringLiteral("MIT License");

// The address the box offers: the manual where it is installed (the help entry's manual).
QString ManualAddress() {
    const QString found = FindManual();
    return found.isEmpty() ? ManualCandidates().constLast() : found;
}

} // namespace

FormAbout::FormAbout(QWidget* parent)
    : QDialog(parent), image1_(new QLabel(this)), address_(new QLabel(this)),
      comClose_(new QPushButton(QStringLiteral("OK"), this)), timer1_(new QTimer(this)) {
    setWindowTitle(QStringLiteral(u"Tavelkorについて"));
    setModal(true);
    OpenAddress = [this](const QString& address) { return OpenDocument(this, address); };
    address_->setText(ManualAddress());
    address_->setToolTip(address_->text());
    // Wide enough for the address, never narrower than the picture's glide needs.
    setFixedSize(std::max(320, address_->sizeHint().width() + 32), 200);

    auto* name = new QLabel(QStringLiteral("Tavelkor"), this);
    QFont big = name->font();
    big.setPointSize(16);
    big.setBold(true);
    name->setFont(big);
    name->setGeometry(16, 14, 200, 30);
    auto* version = new QLabel(QStringLiteral("Version ") + Version, this);
    version->setGeometry(16, 48, 200, 20);
    auto* about = new QLabel(QStringLiteral(u"タイムタグ付き歌詞の変換ツール"), this);
    about->setGeometry(16, 72, 220, 20);
    auto* credit =
        new QLabel(QStringLiteral("Tavelkor ") + Version + QStringLiteral(u" — ") + Licence, this);
    credit->setGeometry(16, 92, 220, 20);
    for (int y : {120, 124}) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(16, y, width() - 32, 2);
    }
    address_->setGeometry(16, 136, width() - 32, 20);
    address_->setEnabled(false); // inactive until the picture has come in
    address_->installEventFilter(this);
    comClose_->setGeometry(width() - 96, height() - 40, 80, 28);
    comClose_->hide();
    connect(comClose_, &QPushButton::clicked, this, &QDialog::accept);

    // The picture starts at the right edge and glides to its place.
    image1_->setPixmap(StockPicture(2).scaled(64, 64));
    image1_->resize(64, 64);
    startX_ = width() - 90; // its place in the box
    endX_ = width();        // just beyond the right edge of the box's inner area
    image1_->move(endX_, 20);
    image1_->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    MakeTopmost(this);
    timer1_->setInterval(1000); // the first step after a second, then every millisecond
    connect(timer1_, &QTimer::timeout, this, &FormAbout::Tick);
    timer1_->start();
}

bool FormAbout::Animating() const { return timer1_->isActive(); }

void FormAbout::Tick() {
    timer1_->setInterval(1);
    if (step_ == 0) {
        step_ = 1;
        return; // the first tick only speeds the timer up
    }
    const double eased = std::cos(step_ * 3.141592 / 60);
    image1_->move(startX_ + int((endX_ - startX_) * eased), image1_->y());
    QCoreApplication::processEvents();
    if (++step_ > Steps)
        FinishAnimation();
}

void FormAbout::FinishAnimation() {
    timer1_->stop();
    comClose_->show();
    address_->setEnabled(true);
    QPalette palette = address_->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    address_->setPalette(palette);
    QFont font = address_->font();
    font.setUnderline(true);
    address_->setFont(font);
    address_->setCursor(Qt::UpArrowCursor);
}

bool FormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == address_ && event->type() == QEvent::MouseButtonRelease) {
        if (Animating())
            return true; // the address is not active yet
        OpenAddress(address_->text());
        accept();
        return true;
    }
    if (watched == image1_ && !Animating()) {
        auto* mouse = dynamic_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            dragging_ = true;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            dragging_ = false;
            return true;
        }
        if (event->type() == QEvent::MouseMove && dragging_) {
            // Centred on the pointer, and kept inside the box.
            const QPoint pointer = mapFromGlobal(mouse->globalPosition().toPoint());
            const int x =
                std::clamp(pointer.x() - image1_->width() / 2, 0, width() - image1_->width());
            const int y =
                std::clamp(pointer.y() - image1_->height() / 2, 0, height() - image1_->height());
            image1_->move(x, y);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormAbout::done(int result) {
    ClearTopmost(this);
    QDialog::done(result);
}

} // namespace tavelkor
