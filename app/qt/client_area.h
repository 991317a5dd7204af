// The main window's client area: the parent of the child controls, and the
// surface the core's views are painted on.
#pragma once

#include <QFont>
#include <QRegion>
#include <QWidget>
#include <vector>

#include "app/core/application.h"
#include "app/qt/cell_painter.h"

namespace veskar {

class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent);

    // Paints `application`'s views from now on (null: nothing).
    void setApplication(Application* application) { application_ = application; }
    // The wave view's colours on this window.
    WavePalette wavePalette() const;
    // Repaints `region` at once, the live areas of the views, as a refresh.
    void refresh(const QRegion& region);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour(const Colour& colour) const;

    Application* application_ = nullptr;
    CellPainter cells_;
    // A refresh repaints only the cells that read differently from what the
    // last refresh left on the screen, and what their ink covered or covers:
    // from one refresh to the next few do.  Any other paint (the window
    // shown or uncovered, or drawn elsewhere) makes the next refresh whole.
    struct Shown {
        TextCell cell;
        QRgb colour = 0;
        QRect ink;
    };
    std::vector<Shown> shown_;
    bool shownValid_ = false;
    QRegion refreshing_;
};

// The views were laid out for a narrow system font 13 pixels high: `base` at
// that height, narrowed until the channel table's header, the widest line of
// all, fits its rectangle.
QFont viewFont(const QFont& base);

}  // namespace veskar
