#include "numberpainter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace calvorigne {

NumberPainter::NumberPainter(const QPaintDevice& printer) : m_printer(printer) {}

void NumberPainter::setFont(const QFont& font, const QColor& ink)
{
    m_font = font;
    m_ink = ink;
    m_ascents.clear();
    m_changed = true;
}

double NumberPainter::dotsPerMillimetre() const
{
    return m_printer.logicalDpiY() / 25.4;
}

void NumberPainter::draw(QPainter& painter, const QString& text, QPointF millimetres, double points, int rotation)
{
    if (m_changed || points != m_points) {
        QFont font = m_font;
        font.setPointSizeF(points);
        auto ascent = m_ascents.find(points);
        if (ascent == m_ascents.end())
            ascent = m_ascents.emplace(points, QFontMetricsF(font, &m_printer).ascent()).first;
        m_ascent = ascent->second;
        // A painter sizes fonts for its own device: on a screen the points are scaled so that
        // the text keeps its size in the printer's dots.
        const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : m_printer.logicalDpiY();
        font.setPointSizeF(points * m_printer.logicalDpiY() / deviceDpi);
        painter.setFont(font);
        painter.setPen(m_ink);
        m_points = points;
        m_changed = false;
    }
    const double dots = dotsPerMillimetre();
    const QPointF corner = millimetres * dots;
    if (rotation == 0)
        return painter.drawText(corner + QPointF(0, m_ascent), text);
    painter.save();
    painter.translate(corner);
    painter.rotate(rotation);
    painter.drawText(QPointF(0, m_ascent), text);
    painter.restore();
}

} // namespace calvorigne
