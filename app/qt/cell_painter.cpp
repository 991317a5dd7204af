#include "app/qt/cell_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <limits>

#include "app/qt/conversions.h"

namespace veskar {

namespace {

// Glyphs may reach a little past their advances.
constexpr int kOverhang = 2;

int flags(TextCell::Layout layout)
{
    switch (layout) {
    case TextCell::Layout::Point:
        return Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    case TextCell::Layout::Right:
        return Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap;
    case TextCell::Layout::Wrapped:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
}

}  // namespace

CellPainter::CellPainter(const QFont& font)
    : font_(font), raw_(QRawFont::fromFont(font)), ascent_(QFontMetrics(font).ascent()),
      lineSpacing_(QFontMetrics(font).lineSpacing())
{
}

CellPainter::Set CellPainter::set(const TextCell& cell) const
{
    Set set;
    if (setGlyphs(cell, &set))
        return set;
    set = Set{{}, true, toQRect(cell.rect)};
    // Qt clips a cell to its rectangle, but a point has none.
    if (cell.layout == TextCell::Layout::Point)
        set.ink = QFontMetrics(font_).boundingRect(QRect(set.ink.topLeft(), QSize()), flags(cell.layout),
                                                   toQString(cell.text))
                      .adjusted(-kOverhang, 0, kOverhang, 0);
    return set;
}

bool CellPainter::setGlyphs(const TextCell& cell, Set* set) const
{
    const QStringList texts = toQString(cell.text).split(QLatin1Char('\n'));
    const bool point = cell.layout == TextCell::Layout::Point;
    // Lines that would begin below the cell are left to Qt's layout, which
    // cuts them off.
    if (!point && lineSpacing_ * (texts.size() - 1) >= cell.rect.height())
        return false;
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString& text = texts[i];
        const QList<quint32> glyphs = raw_.glyphIndexesForString(text);
        if (glyphs.size() != text.size() || glyphs.contains(0u))
            return false;
        const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
        qreal inked = 0;  // the width without the spaces at the end, which never wrap
        qreal width = 0;
        for (qsizetype g = 0; g < glyphs.size(); ++g) {
            width += advances[g].x();
            if (text[g] != QLatin1Char(' '))
                inked = width;
        }
        if (!point && inked > cell.rect.width())
            return false;
        qreal x = cell.layout == TextCell::Layout::Right ? cell.rect.right - inked : cell.rect.left;
        const qreal baseline = cell.rect.top + ascent_ + lineSpacing_ * i;
        QList<quint32> shown;
        QList<QPointF> positions;
        shown.reserve(glyphs.size());
        positions.reserve(glyphs.size());
        for (qsizetype g = 0; g < glyphs.size(); ++g) {
            if (text[g] != QLatin1Char(' ')) {
                shown.push_back(glyphs[g]);
                positions.push_back(QPointF(x, baseline));
                left = std::min(left, x);
                right = std::max(right, x + advances[g].x());
            }
            x += advances[g].x();
        }
        QGlyphRun line;
        line.setRawFont(raw_);
        line.setGlyphIndexes(shown);
        line.setPositions(positions);
        set->lines.push_back(line);
    }
    if (left <= right) {
        const int bottom = cell.rect.top + lineSpacing_ * static_cast<int>(texts.size());
        set->ink = QRect(QPoint(qFloor(left) - kOverhang, cell.rect.top),
                         QPoint(qCeil(right) + kOverhang - 1, (point ? bottom : std::min(bottom, cell.rect.bottom)) - 1));
    }
    return true;
}

void CellPainter::draw(QPainter& painter, const TextCell& cell, const Set& set, const QColor& colour) const
{
    painter.setPen(colour);
    if (set.byQt) {
        painter.setFont(font_);
        painter.drawText(toQRect(cell.rect), flags(cell.layout), toQString(cell.text));
        return;
    }
    for (const QGlyphRun& line : set.lines)
        painter.drawGlyphRun(QPointF(), line);
}

}  // namespace veskar
