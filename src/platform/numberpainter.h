// Draws a placed number as the printer prints it, on the printer itself or on the preview:
// the top-left corner of its character cell at the position, so the baseline is one ascent of
// the font lower, measured with the printer's own metrics.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <map>

class QPainter;
class QPaintDevice;

namespace calvorigne {

class NumberPainter {
public:
    // Metrics and resolution come from the printer, whatever the painter draws on.
    explicit NumberPainter(const QPaintDevice& printer);

    // Again before drawing on another painter. The size is given with each text.
    void setFont(const QFont& font, const QColor& ink);
    // The painter's units are the printer's dots, from the top-left corner of its printable
    // area; the text is turned clockwise about the top-left corner of its cell.
    void draw(QPainter& painter, const QString& text, QPointF millimetres, double points, int rotation = 0);
    double dotsPerMillimetre() const;

private:
    const QPaintDevice& m_printer;
    QFont m_font;
    QColor m_ink;
    std::map<double, double> m_ascents; // by size in points
    double m_points = 0;                // the size the painter has
    double m_ascent = 0;
    bool m_changed = true; // the painter's font and pen are to be set again
};

} // namespace calvorigne
