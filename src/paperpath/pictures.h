// The small pictures that go with the stack test's questions, drawn with shapes only (no
// text, so no fonts are needed): a sheet's two faces side by side, pass 1's mark in blue with
// its arrow to the top, pass 2's in red, sheet numbers as dots.
#pragma once

#include "paperpath/paperpath.h"

#include <QImage>

namespace calvorigne {

// The sheets coming out of the printer, printed face up or down.
QImage outputPicture(bool printedFaceUp);
// Where pass 2's mark stands against pass 1's.
QImage landingPicture(Landing landing);
// Three sheets, numbered by dots, paired in order or crosswise.
QImage pairingPicture(bool inOrder);
// The pencilled cross on the printed face, or on the other one.
QImage crossPicture(bool onPrinted);
// The stack as it came out, then as the movement puts it back into the tray.
QImage movementPicture(Motion movement);
// The sheets in the tray, the face to print up or down, the top of the tickets towards the
// printer.
QImage loadingPicture(Face face);

} // namespace calvorigne
