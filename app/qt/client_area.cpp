#include "app/qt/client_area.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <optional>

#include "app/qt/conversions.h"

namespace veskar {

QFont viewFont(const QFont& base)
{
    std::vector<TextCell> header;
    addChannelTable(nullptr, nullptr, 0, &header);
    const QString text = toQString(header.front().text);
    QFont font(base);
    font.setPixelSize(11);
    for (int stretch = 100; stretch > 50; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(text) <= header.front().rect.width())
            break;
    }
    return font;
}

ClientArea::ClientArea(QWidget* parent) : QWidget(parent), cells_(viewFont(font()))
{
    // Everything is painted here on the button face, as the text is.
    setBackgroundRole(QPalette::Button);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(cells_.font());
}

WavePalette ClientArea::wavePalette() const
{
    WavePalette wave;
    wave.background = palette().color(QPalette::Button).rgb();
    return wave;
}

QColor ClientArea::colour(const Colour& colour) const
{
    switch (colour.kind) {
    case Colour::Kind::ButtonShadow:
        return palette().color(QPalette::Dark);
    case Colour::Kind::Rgb:
        return QColor(colour.red, colour.green, colour.blue);
    case Colour::Kind::WindowText:
        break;
    }
    return palette().color(QPalette::WindowText);
}

void ClientArea::refresh(const QRegion& region)
{
    refreshing_ = region;
    repaint(region);
    refreshing_ = QRegion();
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (application_ == nullptr) {
        painter.fillRect(event->rect(), palette().button());
        return;
    }
    const Painting& painting = application_->paint();
    const std::vector<TextCell>& cells = painting.cells;
    const bool refresh = !refreshing_.isEmpty() && event->region() == refreshing_;
    const bool incremental = refresh && shownValid_ && shown_.size() == cells.size();
    shown_.resize(cells.size());

    std::vector<std::optional<CellPainter::Set>> sets(cells.size());
    QRegion dirty = incremental ? QRegion() : event->region();
    for (size_t i = 0; i < cells.size(); ++i) {
        const QRgb rgb = colour(cells[i].colour).rgb();
        if (incremental && shown_[i].cell == cells[i] && shown_[i].colour == rgb)
            continue;
        sets[i] = cells_.set(cells[i]);
        dirty += shown_[i].ink;
        dirty += sets[i]->ink;
        shown_[i] = {cells[i], rgb, sets[i]->ink};
    }
    // Cells are drawn in order over the button face wherever anything
    // changed, as a whole paint would draw them there.
    dirty &= event->region();
    painter.setClipRegion(dirty);
    painter.fillRect(dirty.boundingRect(), palette().button());
    for (size_t i = 0; i < cells.size(); ++i) {
        if (!dirty.intersects(shown_[i].ink))
            continue;
        if (!sets[i])
            sets[i] = cells_.set(cells[i]);
        cells_.draw(painter, cells[i], *sets[i], colour(cells[i].colour));
    }
    painter.setClipping(false);
    if (painting.wave != nullptr) {
        const QImage wave(reinterpret_cast<const uchar*>(painting.wave->data()), WaveImage::kWidth,
                          WaveImage::kHeight, WaveImage::kWidth * 4, QImage::Format_RGB32);
        painter.drawImage(QPoint(painting.waveLeft, painting.waveTop), wave);
    }
    shownValid_ = refresh;
}

}  // namespace veskar
