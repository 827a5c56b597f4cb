#include "numberpainter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace calvorigne {

namespace {
constexpr int designPixels = 2048; // large enough for whole pixels to be a font's design units
}

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
        if (ascent == m_ascents.end()) {
            // From the font's design, not the printer's: Windows sizes a printer font and its
            // ascent in whole device pixels, which at 300 dpi puts a cell's top 0.1 mm too high.
            QFont design = m_font;
            design.setPixelSize(designPixels);
            const double pixels = points * m_printer.logicalDpiY() / 72;
            ascent = m_ascents.emplace(points, QFontMetricsF(design).ascent() * pixels / designPixels).first;
        }
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
    // The whole placement goes in the painter's transform and the text is drawn at its origin:
    // Windows' print engine rounds the point a text is drawn at to whole dots, before turning it.
    const QPointF corner = millimetres * dotsPerMillimetre();
    const QTransform world = painter.worldTransform();
    painter.setWorldTransform(QTransform(world).translate(corner.x(), corner.y()).rotate(rotation).translate(0, m_ascent));
    painter.drawText(QPointF(), text);
    painter.setWorldTransform(world);
}

} // namespace calvorigne
