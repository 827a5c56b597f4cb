// The guide lines of the page drawing follow X, Y and E: 10 twips a millimetre from the
// page corner (2000, 1000). Positions are worked out in double and kept in single precision.
#include "core/numbers.h"
#include "ui/window/numero.h"

#include <cfloat>
#include <cmath>

namespace calvorigne {

namespace {

// A value from a hand-edited file may put a line where single precision cannot follow;
// the line then stays where it is.
bool fitsSingle(double position)
{
    return std::isfinite(position) && std::fabs(position) <= FLT_MAX;
}

} // namespace

void Numero::Lbl_X_Change()
{
    const double x = 2000 + 10 * readNumber(Lbl_X->caption());
    if (!fitsSingle(x))
        return;
    Line_X->setX1(float(x));
    Line_X->setX2(float(x));
}

void Numero::Lbl_Y_Change()
{
    const double y = 1000 + 10 * readNumber(Lbl_Y->caption());
    if (fitsSingle(y)) {
        Line_Y->setY1(float(y));
        Line_Y->setY2(float(y));
    }
    moveLineE();
}

void Numero::Lbl_E_Change()
{
    moveLineE();
}

void Numero::moveLineE()
{
    // The second number of a column stands E below the first.
    const double gap = 10 * readNumber(Lbl_E->caption());
    const double y1 = Line_Y->y1() + gap;
    const double y2 = Line_Y->y2() + gap;
    if (!fitsSingle(y1) || !fitsSingle(y2))
        return;
    Line_E->setY1(float(y1));
    Line_E->setY2(float(y2));
}

} // namespace calvorigne
