// The about box: the picture glides in, then the address and the button become usable.
#include "gui/main/FormAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tavelkor;

class FormAboutTest : public QObject {
    Q_OBJECT

private slots:
    void thePictureGlidesInBeforeAnythingIsActive() {
        FormAbout box;
        QStringList opened;
        box.OpenAddress = [&opened](const QString& address) {
            opened.append(address);
            return true;
        };
        box.show();
        QVERIFY(box.Animating());
        QVERIFY(!box.ComClose()->isVisible());
        QCOMPARE(box.Image1()->x(), box.width()); // beyond the right edge at first
        // Clicking the address before the end of the animation does nothing.
        QTest::mouseClick(box.Address(), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QVERIFY(box.isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(!box.Animating(), 5000);
        QCOMPARE(box.Image1()->x(), box.width() - 90);
        QVERIFY(box.ComClose()->isVisible());
        QVERIFY(box.Address()->isEnabled());
        QVERIFY(box.Address()->font().underline());
        QTest::mouseClick(box.Address(), Qt::LeftButton);
        // The address is the manual (the one beside the program, here the tests).
        QCOMPARE(opened, QStringList{QCoreApplication::applicationDirPath() +
                                     QStringLiteral("/Tavelkor.html")});
        QVERIFY(!box.isVisible());
    }

    void thePictureCanBeDraggedInsideTheBoxOnly() {
        FormAbout box;
        box.show();
        QTRY_VERIFY_WITH_TIMEOUT(!box.Animating(), 5000);
        QLabel* picture = box.Image1();
        QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QMouseEvent far(QEvent::MouseMove, QPointF(5, 5),
                        QPointF(box.mapToGlobal(QPoint(-500, -500))), Qt::NoButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(picture, &far);
        QCOMPARE(picture->pos(), QPoint(0, 0));
        QMouseEvent middle(QEvent::MouseMove, QPointF(5, 5),
                           QPointF(box.mapToGlobal(QPoint(100, 90))), Qt::NoButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(picture, &middle);
        QCOMPARE(picture->geometry().center(), QPoint(100, 90) - QPoint(1, 1));
        QTest::mouseRelease(picture, Qt::LeftButton);
    }
};

QTEST_MAIN(FormAboutTest)
#include "FormAboutTest.moc"
