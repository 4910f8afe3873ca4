#include "DialogCalibration.h"

#include "../../timing/TapCalibration.h"
#include "AudioSinkOutput.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tavelkor {

std::unique_ptr<TimingClock>
DialogCalibration::DefaultClock(std::shared_ptr<const DecodedSong> song) {
    return std::make_unique<SongPlayer>(std::move(song), std::make_unique<AudioSinkOutput>());
}

DialogCalibration::DialogCalibration(int currentOffsetMs, ClockMaker makeClock, QWidget* parent)
    : QDialog(parent), clock_(makeClock(std::make_shared<DecodedSong>(MakeClickTrack()))),
      offset_(currentOffsetMs), result_(new QLabel(this)),
      start_(new QPushButton(QStringLiteral(u"開始"), this)), ticker_(new QTimer(this)) {
    setWindowTitle(QStringLiteral(u"タップの遅れを測る"));
    sinceStart_.start();
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(
        QStringLiteral(u"「開始」を押すとクリック音が %1 回鳴ります。音に合わせて J か Space を"
                       u"押してください。\nずれの中央値が、タップした時間から引く値になります。")
            .arg(CalibrationClicks),
        this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    result_->setText(QStringLiteral(u"今の値：%1 ms").arg(currentOffsetMs));
    layout->addWidget(result_);
    layout->addWidget(start_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    ok_->setEnabled(false);
    layout->addWidget(buttons);
    // The keys belong to the dialog: Space taps, it does not press a button.
    for (QPushButton* button : {start_, ok_, buttons->button(QDialogButtonBox::Cancel)})
        button->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(start_, &QPushButton::clicked, this, &DialogCalibration::Start);
    ticker_->setInterval(20);
    connect(ticker_, &QTimer::timeout, this, &DialogCalibration::Check);
    if (!clock_->Audible()) {
        result_->setText(clock_->Error());
        start_->setEnabled(false);
    }
}

DialogCalibration::~DialogCalibration() = default;

void DialogCalibration::Start() {
    taps_.clear();
    ok_->setEnabled(false);
    start_->setEnabled(false);
    result_->setText(QStringLiteral(u"クリック音に合わせてタップしてください…"));
    clock_->Seek(0);
    clock_->Play();
    ticker_->start();
}

void DialogCalibration::Check() {
    if (clock_->PositionMs() < CalibrationClickTimes().constLast() + CalibrationEveryMs &&
        !clock_->Ended())
        return;
    clock_->Pause();
    ticker_->stop();
    start_->setEnabled(true);
    const std::optional<int> offset = CalibrationOffset(CalibrationClickTimes(), taps_);
    if (!offset) {
        result_->setText(QStringLiteral(u"タップが足りません。もう一度「開始」を押してください。"));
        return;
    }
    offset_ = *offset;
    result_->setText(QStringLiteral(u"遅れ：%1 ms（%2 回のタップの中央値）。OK で使います。")
                         .arg(offset_)
                         .arg(taps_.size()));
    ok_->setEnabled(true);
}

void DialogCalibration::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_J || event->key() == Qt::Key_Space) &&
        event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat() && clock_->Playing()) {
            const qint64 age = ages_.AgeMs(event->timestamp(), sinceStart_.elapsed());
            taps_.append(clock_->PositionMs() - qint64(double(age) * clock_->Speed()));
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tavelkor
