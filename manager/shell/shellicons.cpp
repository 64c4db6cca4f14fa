#include "manager/shell/shellicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Pen(QPainter& p, const QColor& color, qreal width) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

}  // namespace

QIcon ToolPicture(TToolPicture picture) {
    QPixmap pixmap = Canvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(40, 100, 180), green(40, 150, 70), red(190, 50, 50), grey(90, 90, 90);
    switch (picture) {
        case TToolPicture::Search:  // magnifier
            Pen(p, blue, 3);
            p.drawEllipse(QRectF(5, 5, 15, 15));
            Pen(p, grey, 4);
            p.drawLine(QPointF(19, 19), QPointF(27, 27));
            break;
        case TToolPicture::Add:  // plus
            Pen(p, green, 5);
            p.drawLine(QPointF(16, 6), QPointF(16, 26));
            p.drawLine(QPointF(6, 16), QPointF(26, 16));
            break;
        case TToolPicture::Modify:  // pencil
            Pen(p, QColor(200, 140, 30), 5);
            p.drawLine(QPointF(8, 24), QPointF(24, 8));
            Pen(p, grey, 2);
            p.drawLine(QPointF(5, 27), QPointF(8, 24));
            break;
        case TToolPicture::Delete:  // cross
            Pen(p, red, 5);
            p.drawLine(QPointF(8, 8), QPointF(24, 24));
            p.drawLine(QPointF(24, 8), QPointF(8, 24));
            break;
        case TToolPicture::Contacts:  // a person
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawEllipse(QRectF(11, 4, 10, 10));
            p.drawRoundedRect(QRectF(6, 16, 20, 12), 5, 5);
            break;
        case TToolPicture::Multicast:  // one point to three
            Pen(p, green, 2.5);
            for (int y : {6, 16, 26})
                p.drawLine(QPointF(7, 16), QPointF(25, y));
            p.setBrush(green);
            p.drawEllipse(QRectF(3, 12, 8, 8));
            break;
        case TToolPicture::Upgrade: {  // up arrow
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            QPainterPath arrow;
            arrow.moveTo(16, 3);
            arrow.lineTo(28, 16);
            arrow.lineTo(20, 16);
            arrow.lineTo(20, 29);
            arrow.lineTo(12, 29);
            arrow.lineTo(12, 16);
            arrow.lineTo(4, 16);
            arrow.closeSubpath();
            p.drawPath(arrow);
            break;
        }
        case TToolPicture::About:  // "i" in a circle
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawEllipse(QRectF(3, 3, 26, 26));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(14, 7, 4, 4));
            p.drawRect(QRectF(14, 13, 4, 12));
            break;
        case TToolPicture::Quit:  // door with an arrow
            Pen(p, grey, 2.5);
            p.drawRect(QRectF(5, 4, 14, 24));
            Pen(p, red, 3);
            p.drawLine(QPointF(13, 16), QPointF(28, 16));
            p.drawLine(QPointF(23, 11), QPointF(28, 16));
            p.drawLine(QPointF(23, 21), QPointF(28, 16));
            break;
    }
    p.end();
    return QIcon(pixmap);
}

QIcon StatusIcon(int index) {
    QColor color;
    switch (index) {
        case 0:
            color = QColor(150, 150, 150);
            break;
        case 1:
            color = QColor(40, 170, 60);
            break;
        case 3:
            color = QColor(230, 170, 20);
            break;
        case 6:
            color = QColor(50, 110, 210);
            break;
        default:
            return QIcon();
    }
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    p.end();
    return QIcon(pixmap);
}
