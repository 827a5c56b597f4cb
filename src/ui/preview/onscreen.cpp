#include "onscreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace calvorigne {

void sizeOnScreen(QWidget& window, QSize wished)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return window.resize(wished);
    const QRect room = screen->availableGeometry();
    // The title bar and the frame need room too.
    const QSize size = wished.boundedTo(room.size() - QSize(16, 48)).expandedTo(window.minimumSizeHint());
    window.resize(size);
    window.move(room.center() - QPoint(size.width() / 2, (size.height() + 32) / 2));
}

} // namespace calvorigne
