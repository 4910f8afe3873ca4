// The about box: the program's name and version, with the picture gliding in from the right.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace tavelkor {

class FormAbout : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(QWidget* parent = nullptr);

    // How the address is opened (the desktop's handler unless replaced).
    std::function<bool(const QString&)> OpenAddress;

    QLabel* Image1() const { return image1_; }
    QLabel* Address() const { return address_; }
    QPushButton* ComClose() const { return comClose_; }
    QTimer* Timer1() const { return timer1_; }
    bool Animating() const;
    int Step() const { return step_; }
    static constexpr int Steps = 30;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tick();
    void FinishAnimation();

    QLabel* image1_;
    QLabel* address_;
    QPushButton* comClose_;
    QTimer* timer1_;
    int step_ = 0;
    int startX_ = 0;
    int endX_ = 0;
    bool dragging_ = false;
};

} // namespace tavelkor
