// Texts of one page that would print ink on ink. Each text's ink is its glyphs' tight bounds,
// turned as it prints, widened by a small margin: rows closer than their character cells are
// high still print clear when their digits do not touch.
#pragma once

#include "print/plan.h"

#include <QRectF>
#include <QString>
#include <vector>

namespace calvorigne {

class Printer;

// The ink, widened by its margin, of each text of that page that would touch another's: in
// millimetres from the printable area's corner, in printing order.
std::vector<QRectF> overlappingOn(const PrintPlan& plan, const PlannedPage& page, const Printer& printer);

// Why two texts of a page of the run would print on top of each other, naming the first such
// pair in printing order, the control as the window labels it and the smallest value that
// clears them; empty when none would.
QString overlapRefusal(const PrintPlan& plan, const Printer& printer);

} // namespace calvorigne
