// The program's pictures, drawn from its own SVG resources.
#pragma once

#include <QIcon>

namespace calvorigne {

QIcon applicationIcon();
QIcon printerIcon();
QIcon exitIcon();

} // namespace calvorigne
