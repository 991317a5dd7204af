// Sets and draws the core's text cells.
//
// Twenty refreshes a second go through here, so a cell whose lines fit its
// width is set from the font's glyphs and kerned advances alone, without
// Qt's text layout, and its spaces, which show nothing, are left out.  A cell
// that does not set this way (a line too long for its cell, a character the
// font lacks) goes through Qt's word-wrapping layout.
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <vector>

#include "app/core/paint_output.h"

class QPainter;

namespace veskar {

class CellPainter {
public:
    explicit CellPainter(const QFont& font);

    const QFont& font() const { return font_; }

    // A cell ready to draw: one glyph run per line, or none when Qt lays it
    // out, and the area its ink may reach.
    struct Set {
        std::vector<QGlyphRun> lines;
        bool byQt = false;
        QRect ink;
    };
    Set set(const TextCell& cell) const;
    void draw(QPainter& painter, const TextCell& cell, const Set& set, const QColor& colour) const;

private:
    bool setGlyphs(const TextCell& cell, Set* set) const;

    QFont font_;
    QRawFont raw_;
    int ascent_;
    int lineSpacing_;
};

}  // namespace veskar
