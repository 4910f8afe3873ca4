#include "Pictograms.h"

#include <QPainter>
#include <QPolygonF>

namespace tavelkor {

namespace {

// A document with a folded corner and a short label, in the format's colour.
void DrawDocument(QPainter& p, const QColor& colour, const QString& label) {
    p.setPen(QPen(colour.darker(160), 1.5));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{6, 2}, {21, 2}, {27, 8}, {27, 30}, {6, 30}}));
    p.drawLine(QPointF(21, 2), QPointF(21, 8));
    p.drawLine(QPointF(21, 8), QPointF(27, 8));
    p.setPen(QPen(colour, 1.5));
    for (int y = 12; y <= 16; y += 4)
        p.drawLine(QPointF(10, y), QPointF(23, y));
    p.fillRect(QRectF(4, 19, 24, 10), colour);
    QFont font = p.font();
    font.setPixelSize(label.size() > 3 ? 7 : 9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 19, 24, 10), Qt::AlignCenter, label);
}

void DrawArrow(QPainter& p) {
    p.setPen(QPen(QColor(0, 90, 160), 1.5));
    p.setBrush(QColor(80, 160, 230));
    p.drawPolygon(QPolygonF({{4, 13}, {18, 13}, {18, 7}, {28, 16}, {18, 25}, {18, 19}, {4, 19}}));
}

void DrawNote(QPainter& p) {
    DrawDocument(p, QColor(200, 90, 20), QStringLiteral("MP3"));
    p.setPen(QPen(QColor(120, 50, 0), 2));
    p.setBrush(QColor(120, 50, 0));
    p.drawEllipse(QPointF(12, 14), 2.5, 2);
    p.drawLine(QPointF(14.5, 14), QPointF(14.5, 5));
    p.drawLine(QPointF(14.5, 5), QPointF(19, 7));
}

void DrawClock(QPainter& p) {
    p.setPen(QPen(QColor(40, 120, 60), 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 12, 12);
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 19));
    p.setPen(QPen(QColor(200, 40, 40), 2));
    p.drawLine(QPointF(3, 30), QPointF(9, 30));
    p.drawLine(QPointF(23, 30), QPointF(29, 30));
}

void DrawRename(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 150), 1.5));
    p.setBrush(QColor(235, 228, 250));
    p.drawRect(QRectF(3, 4, 12, 16));
    p.drawRect(QRectF(17, 12, 12, 16));
    p.setPen(QPen(QColor(90, 60, 150), 2));
    p.drawLine(QPointF(9, 22), QPointF(9, 26));
    p.drawLine(QPointF(9, 26), QPointF(15, 26));
    p.drawLine(QPointF(13, 24), QPointF(15, 26));
    p.drawLine(QPointF(13, 28), QPointF(15, 26));
    p.drawText(QRectF(17, 12, 12, 16), Qt::AlignCenter, QStringLiteral("="));
}

} // namespace

QPixmap StockPicture(int index) {
    QPixmap picture(PictogramSize, PictogramSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 1:
        DrawArrow(p);
        break;
    case 2:
        DrawDocument(p, QColor(30, 110, 200), QStringLiteral("TAG"));
        break;
    case 3:
        DrawDocument(p, QColor(40, 150, 70), QStringLiteral("SAMI"));
        break;
    case 4:
        DrawDocument(p, QColor(150, 60, 160), QStringLiteral("DSMP"));
        break;
    case 5:
        DrawNote(p);
        break;
    case 6:
        DrawClock(p);
        break;
    case 7:
        DrawRename(p);
        break;
    case 8:
        DrawDocument(p, QColor(210, 110, 20), QStringLiteral("LRC"));
        break;
    case 9:
        DrawDocument(p, QColor(180, 40, 60), QStringLiteral("SUB"));
        break;
    default:
        break; // 0: the empty side picture
    }
    return picture;
}

} // namespace tavelkor
