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
    m_ascent = QFontMetricsF(font, &m_printer).ascent();
    m_changed = true;
}

double NumberPainter::dotsPerMillimetre() const
{
    return m_printer.logicalDpiY() / 25.4;
}

void NumberPainter::draw(QPainter& painter, const QString& text, QPointF millimetres)
{
    if (m_changed) {
        // A painter sizes fonts for its own device: on a screen the points are scaled so that
        // the text keeps its size in the printer's dots.
        QFont font = m_font;
        const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : m_printer.logicalDpiY();
        font.setPointSizeF(m_font.pointSizeF() * m_printer.logicalDpiY() / deviceDpi);
        painter.setFont(font);
        painter.setPen(m_ink);
        m_changed = false;
    }
    const double dots = dotsPerMillimetre();
    painter.drawText(QPointF(millimetres.x() * dots, millimetres.y() * dots + m_ascent), text);
}

} // namespace calvorigne
