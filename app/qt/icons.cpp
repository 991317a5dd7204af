#include "app/qt/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include "app/core/resource_ids.h"

namespace veskar {

namespace {

// Every icon is drawn on a 16 x 16 grid and scaled to the size asked for.
constexpr double kGrid = 16.0;

const QColor kBlack(0, 0, 0);
const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

void playTriangle(QPainter& painter, const QColor& colour)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(5, 13), QPointF(12, 8)}));
}

void stopSquare(QPainter& painter, const QColor& colour)
{
    painter.fillRect(QRectF(4, 4, 8, 8), colour);
}

// A little wave view in a silver frame, in the 16 colours of the oldest
// displays: the application's icon and the About box's background.
void wavePanel(QPainter& painter)
{
    painter.setPen(kBlack);
    painter.setBrush(kSilver);
    painter.drawRect(QRectF(0.5, 1.5, 15, 13));
    painter.fillRect(QRectF(2, 3, 12, 10), kWhite);
}

void traces(QPainter& painter)
{
    painter.setPen(QPen(kRed, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(4.5, 4.5), QPointF(6.5, 8.5), QPointF(8.5, 11.5),
                                    QPointF(10.5, 8.5), QPointF(12.5, 5.5), QPointF(13.5, 6.5)}));
    painter.setPen(QPen(kBlue, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(4.5, 11.5), QPointF(6.5, 9.5), QPointF(8.5, 5.5),
                                    QPointF(10.5, 7.5), QPointF(12.5, 10.5), QPointF(13.5, 9.5)}));
}

// An eighth note over the panel.
void note(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBlack);
    painter.drawEllipse(QRectF(4, 9, 4, 3));
    painter.fillRect(QRectF(7, 3, 1, 8), kBlack);
    painter.setPen(QPen(kBlack, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(QPointF(8.5, 3.5), QPointF(11.5, 6.5));
}

void draw(int id, QPainter& painter)
{
    switch (id) {
    case IDI_PLAY:
        return playTriangle(painter, kBlack);
    case IDI_PLAY_OFF:
        return playTriangle(painter, kGrey);
    case IDI_STOP:
        return stopSquare(painter, kBlack);
    case IDI_STOP_OFF:
        return stopSquare(painter, kGrey);
    case IDI_ABOUT:
        wavePanel(painter);
        return note(painter);
    default:  // IDI_MAIN
        wavePanel(painter);
        return traces(painter);
    }
}

QPixmap pixmap(int id, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / kGrid, size / kGrid);
    draw(id, painter);
    return pixmap;
}

}  // namespace

QIcon veskarIcon(int id)
{
    QIcon icon;
    if (id != IDI_ABOUT)
        icon.addPixmap(pixmap(id, 16));
    icon.addPixmap(pixmap(id, 32));
    return icon;
}

}  // namespace veskar
