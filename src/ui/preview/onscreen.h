// Windows of their own open whole on the screen they open on, a laptop's 1366 × 768 included.
#pragma once

#include <QSize>

class QWidget;

namespace calvorigne {

// Sizes the window as wished, or smaller where the screen has less room, and centres it there.
void sizeOnScreen(QWidget& window, QSize wished);

} // namespace calvorigne
