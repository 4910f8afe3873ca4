// Answers the modal dialogs a test opens through the real window.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

// Acts once on every modal dialog that opens while it lives (the dialog's own event loop runs
// the check); a dialog the act left open (a failed check) is closed with Esc.
class OnModal {
public:
    explicit OnModal(std::function<void(QWidget*)> act) {
        QObject::connect(&timer_, &QTimer::timeout, [this, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || dialog == last_)
                return;
            last_ = dialog;
            ++count;
            act(dialog);
            if (last_ != nullptr && last_->isVisible())
                QTest::keyClick(last_, Qt::Key_Escape);
        });
        timer_.start(10);
    }
    int count = 0;

private:
    QTimer timer_;
    QPointer<QWidget> last_;
};
