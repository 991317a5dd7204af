#include "app/qt/icons.h"

#include <QImage>
#include <QPixmap>

#include "app/core/icon_art.h"
#include "app/core/resource_ids.h"

namespace veskar {

namespace {

QPixmap pixmap(int id, int size)
{
    const std::vector<uint32_t> pixels = iconPixels(id, size);
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, pixels[static_cast<size_t>(y * size + x)]);
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon veskarIcon(int id)
{
    QIcon icon;
    if (iconHasSmallSize(id))
        icon.addPixmap(pixmap(id, 16));
    icon.addPixmap(pixmap(id, 32));
    return icon;
}

}  // namespace veskar
